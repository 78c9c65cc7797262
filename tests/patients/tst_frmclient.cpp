// The patient list window: its lines, selections and questions after each action, and
// what "Выход" hands to the session. The files' own rules are the store tests' business.
#include "common/colours.h"
#include "common/widgets.h"
#include "patients/frmcardclient.h"
#include "uicheck.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace patients;
using namespace windowtest;
using storetest::bytesOf;
using storetest::kTodayText;

namespace {

Index indexOf(const ListFixture& f) {
    return Index::parse(bytesOf(f.db("client.crd"))).value_or(Index());
}

// A visit with every cell of meridian 0 measured and branch 2 in cell 0.
QString measuredVisit(const QString& date) {
    session::ResultsMatrix m;
    for (int c = 0; c < session::kResultColumns; ++c)
        m.cell(0, c) = QStringLiteral("%1 %2").arg(50 + c).arg(-c);
    m.cell(23, 0) = QStringLiteral("77 7");
    return withResults(blankVisit(date), m);
}

} // namespace

class FrmClientTest : public QObject {
    Q_OBJECT
  private slots:
    void loadOnEmptyFolderMakesIndexAndEmptyList() {
        ListFixture f(0);
        QCOMPARE(bytesOf(f.db("client.crd")), QByteArray("0\r\n*"));
        QVERIFY(f.names().isEmpty());
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.list->windowTitle(), QStringLiteral("Карты пациентов"));
    }

    void unreadableIndexIsToldAndKept() {
        ListFixture f(0);
        storetest::put(f.db("client.crd"), "not an index");
        f.list->Form_Load();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(f.messages.last().contains("client.crd"), qPrintable(f.messages.last()));
        QVERIFY(f.names().isEmpty());
        QCOMPARE(bytesOf(f.db("client.crd")), QByteArray("not an index"));
    }

    void choosingShowsPatientAndDates() {
        ListFixture f;
        const Index ix = indexOf(f);
        QStringList expected;
        for (const auto& r : ix.records)
            expected << r.name();
        QCOMPARE(f.names(), expected);
        QSignalSpy changed(&f.session, &session::Session::choiceChanged);
        f.choose(1);
        const IndexRecord& r = ix.records[1];
        QCOMPARE(uicheck::spoken(f.list->lblname), "Выбранный пациент | " + r.name());
        QCOMPARE(uicheck::spoken(f.list->lblyear), "Год рождения выбранного пациента | " + r.year());
        QCOMPARE(f.dates(), r.dateLines());
        QCOMPARE(f.dates().size(), 4);
        QVERIFY(f.dates().last().isEmpty());
        QCOMPARE(f.list->selectedDate(), -1);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(f.session.choice().name, r.name());
        QCOMPARE(f.session.choice().cardFile, r.cardFile());
        QVERIFY(!f.session.choice().hasVisit());
    }

    void chartsFromBothListsForTheChosenPatient() {
        ListFixture f;
        for (QWidget* list : {static_cast<QWidget*>(f.list->lstname), static_cast<QWidget*>(f.list->lstdate)})
            QCOMPARE(list->actions().size(), 1);
        f.list->lstname->actions().first()->trigger(); // no patient yet: refused
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown.last().text, kNoPatient);
        QList<QPoint> wanted; // patient, visit
        QObject::connect(f.list.get(), &frmclient::chartsWanted,
                         [&](int patient, int visit) { wanted << QPoint(patient, visit); });
        f.choose(1);
        f.list->lstdate->actions().first()->trigger();
        f.chooseDate(2);
        f.list->lstname->actions().first()->trigger();
        QCOMPARE(wanted, (QList<QPoint>{{1, -1}, {1, 2}}));
        QCOMPARE(f.messages.shown.size(), 1);
    }
    void choosingReadsTheIndexAfresh() {
        ListFixture f;
        // Another workstation mended patient 2's year meanwhile.
        const QByteArray year = indexOf(f).records[2].year().toLatin1();
        QByteArray bytes = bytesOf(f.db("client.crd"));
        QCOMPARE(bytes.count("|" + year + "|"), 1);
        bytes.replace("|" + year + "|", "|1901|");
        storetest::put(f.db("client.crd"), bytes);
        f.choose(2);
        QCOMPARE(f.list->lblyear->text(), QStringLiteral("1901"));
    }

    void actionsWithoutPatient_data() {
        QTest::addColumn<QString>("button");
        for (const char* b : {"cmdredact", "cmddelcard", "cmdadddate", "cmddeldate"})
            QTest::newRow(b) << QString(b);
    }
    void actionsWithoutPatient() {
        QFETCH(QString, button);
        ListFixture f;
        const auto files = f.snapshot();
        f.list->findChild<QPushButton*>(button)->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].text, QStringLiteral("Пациент не выбран"));
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY(!f.messages.shown[0].question);
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.names().size(), 3);
    }

    void deleteCardAsksWithNoAsDefault() {
        ListFixture f;
        const Index ix = indexOf(f);
        f.choose(1);
        f.messages.answer = msgbox::Answer::No;
        const auto files = f.snapshot();
        f.list->cmddelcard->click();
        QCOMPARE(f.messages.shown.size(), 1);
        const msgbox::Shown& q = f.messages.shown[0];
        QCOMPARE(q.text, QStringLiteral("Вы действительно хотите удалить карту?\n\nПациент: %1, %2")
                             .arg(ix.records[1].name(), ix.records[1].year()));
        QCOMPARE(q.title, QStringLiteral("Удаление карты"));
        QVERIFY(q.question && q.defaultNo);
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.list->selectedPatient(), 1);

        f.messages.answer = msgbox::Answer::Yes;
        f.list->cmddelcard->click();
        QCOMPARE(f.names(), QStringList({ix.records[0].name(), ix.records[2].name()}));
        QCOMPARE(f.list->selectedPatient(), -1);
        QVERIFY(f.list->lblname->text().isEmpty() && f.list->lblyear->text().isEmpty());
        QVERIFY(f.dates().isEmpty());
        QVERIFY(!f.session.choice().hasPatient());
        QVERIFY(!QFile::exists(f.db(ix.records[1].cardFile())));
        // Nothing is chosen now: the next action refuses.
        f.list->cmdadddate->click();
        QCOMPARE(f.messages.last(), QStringLiteral("Пациент не выбран"));
    }

    void addDateSelectsTheNewFirstLine() {
        ListFixture f;
        f.choose(0);
        f.chooseDate(2);
        f.list->cmdadddate->click();
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.dates().size(), 5);
        QCOMPARE(f.dates().first(), kTodayText);
        QCOMPARE(f.list->selectedDate(), 0);
        QCOMPARE(f.dates(), indexOf(f).records[0].dateLines());
        // The second click of a quick double click asks first, "Нет" the default.
        f.messages.answer = msgbox::Answer::No;
        f.list->cmdadddate->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QVERIFY(f.messages.shown[0].question && f.messages.shown[0].defaultNo);
        QCOMPARE(f.dates().size(), 5);
    }

    // A card cut short and a card without its patient are told once a run, and shown.
    void damagedFilesAreToldOnce() {
        ListFixture f;
        const QByteArray card = bytesOf(f.db("c 3.dat"));
        storetest::put(f.db("c 3.dat"), card.left(card.lastIndexOf('@') - 300));
        storetest::put(f.db("c 9.dat"), card);
        PatientStore store{WorkFolder(f.files.dir->path())};
        f.list = std::make_unique<frmclient>(f.session, store);
        for (int k = 0; k < 2; ++k) {
            f.list->Form_Load();
            QCoreApplication::processEvents();
            f.choose(0);
            f.choose(1);
        }
        QCOMPARE(f.messages.shown.size(), 2);
        QVERIFY2(f.messages.shown[0].text.contains("c 9.dat"), qPrintable(f.messages.shown[0].text));
        QVERIFY2(f.messages.shown[1].text.contains("не полностью"), qPrintable(f.messages.shown[1].text));
    }

    void deleteDateRefusals_data() {
        QTest::addColumn<int>("visits");
        QTest::addColumn<int>("line"); // -1: none selected
        QTest::newRow("only date") << 1 << 0;
        QTest::newRow("no line") << 3 << -1;
        QTest::newRow("empty last line") << 3 << 3;
    }
    void deleteDateRefusals() {
        QFETCH(int, visits);
        QFETCH(int, line);
        ListFixture f(2, visits);
        f.choose(1);
        f.chooseDate(line);
        const auto files = f.snapshot();
        f.list->cmddeldate->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.last(), QStringLiteral("Дата не выбрана или она единственная"));
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.dates().size(), visits + 1);
    }

    void deleteDateAsksThenRemovesThatLine() {
        ListFixture f;
        f.choose(2);
        const QStringList before = f.dates();
        f.chooseDate(1);
        f.messages.answer = msgbox::Answer::No;
        f.list->cmddeldate->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].text, "Вы действительно хотите удалить дату посещения?\n\nДата: " +
                                               before[1] + "\nПациент: " + f.list->lblname->text());
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Удаление даты посещения"));
        QVERIFY(f.messages.shown[0].question && f.messages.shown[0].defaultNo);
        QCOMPARE(f.dates(), before);

        f.messages.answer = msgbox::Answer::Yes;
        f.list->cmddeldate->click();
        QCOMPARE(f.messages.shown.size(), 2);
        QCOMPARE(f.dates(), QStringList({before[0], before[2], QString()}));
        QCOMPARE(f.list->selectedDate(), 0);
    }

    void editNeedsAVisitLine_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<QString>("message");
        QTest::newRow("no line") << -1 << kNoVisit;
        QTest::newRow("empty last line") << 3 << kNoVisit;
    }
    void editNeedsAVisitLine() {
        QFETCH(int, line);
        QFETCH(QString, message);
        ListFixture f;
        f.choose(0);
        f.chooseDate(line);
        const auto files = f.snapshot();
        f.list->cmdredact->click();
        QCOMPARE(f.messages.last(), message);
        QCOMPARE(f.snapshot(), files);
    }

    void editOpensTheCardOnTheChosenVisit_data() {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Редактировать", "Enter", "double click"})
            QTest::newRow(how) << QString(how);
    }
    void editOpensTheCardOnTheChosenVisit() {
        QFETCH(QString, how);
        ListFixture f;
        f.list->show();
        f.choose(2);
        f.chooseDate(1);
        QString shown;
        QTimer::singleShot(0, f.list.get(), [&] {
            auto* card = qobject_cast<frmcardclient*>(QApplication::activeModalWidget());
            QVERIFY(card);
            shown = card->lblname->text() + u'|' + card->lbldate->text();
            card->cmdcancel->click();
        });
        if (how == "Enter")
            QTest::keyClick(f.list->lstdate, Qt::Key_Return);
        else if (how == "double click")
            emit f.list->lstdate->itemDoubleClicked(f.list->lstdate->item(1));
        else
            f.list->cmdredact->click();
        const IndexRecord r = indexOf(f).records[2];
        QCOMPARE(shown, r.name() + u'|' + r.dateLines()[1]);
        QVERIFY(f.messages.shown.isEmpty());
        QVERIFY(f.list->isVisible());
        QCOMPARE(f.list->selectedDate(), 1);
    }

    // Typing into the list opens the find line over it; a line chosen among those found is
    // the patient at its index position; a chosen patient the filter hides stays chosen.
    void findLineFiltersAndChoosesByIndexPosition() {
        ListFixture f(12);
        f.list->show();
        const QRect place = f.list->lstname->geometry();
        const Index ix = indexOf(f);
        const QString part = ix.records[7].name().mid(1, 3).toLower();
        QList<int> found;
        for (int k = 0; k < ix.records.size(); ++k)
            if (ix.records[k].name().contains(part, Qt::CaseInsensitive))
                found << k;
        QVERIFY2(found.size() > 1 && found.size() < 12, qPrintable(QString::number(found.size())));
        QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, part);
        QApplication::sendEvent(f.list->lstname, &typed);
        auto* find = f.list->findChild<QLineEdit*>();
        QCOMPARE(find->isVisible() ? find->text() : QString(), part);
        QCOMPARE(find->accessibleDescription(), QStringLiteral("Найдено: %1").arg(found.size()));
        QCOMPARE(f.names().last(), ix.records[found.last()].name());
        f.list->lstname->setCurrentIndex(f.list->lstname->model()->index(1, 0));
        QCOMPARE(f.session.choice().cardFile, ix.records[found[1]].cardFile());
        find->setText(part + "@");
        QCOMPARE(f.list->selectedPatient(), found[1]);
        QTest::keyClick(find, Qt::Key_Escape);
        QVERIFY(find->isHidden() && f.list->isVisible());
        QCOMPARE(f.names().size(), 12);
        QCOMPARE(f.list->lstname->currentIndex().row(), found[1]);
        QCOMPARE(f.list->lstname->geometry(), place);
    }

    void exitHandsOverTheChosenVisit() {
        ListFixture f;
        // Patient 1's card: visit 1 measured, visit 2 cut short.
        const IndexRecord r = indexOf(f).records[1];
        const QStringList d = r.dateLines();
        Card card;
        card.visits = {blankVisit(d[0]), measuredVisit(d[1]), d[2] + "\r\n>cut\r\n>"};
        storetest::put(f.db(r.cardFile()), card.serialise());
        f.session.strRezult.cell(5, 5) = "1 1";
        QSignalSpy loaded(&f.session, &session::Session::visitLoaded);
        f.list->show();

        f.choose(1);
        f.chooseDate(1);
        f.list->cmdexit->click();
        QVERIFY(f.list->isHidden());
        QCOMPARE(loaded.size(), 1);
        const session::Choice c = f.session.choice();
        QCOMPARE(c.cardFile, r.cardFile());
        QCOMPARE(c.visit, 1);
        QCOMPARE(c.visitDate, d[1]);
        QCOMPARE(f.session.loadedVisit(), c);
        QCOMPARE(f.session.strRezult, resultsOf(measuredVisit(d[1])));
        QCOMPARE(f.session.strRezult.cell(23, 0), QStringLiteral("77 7"));

        // The choice lasts: the short visit empties the matrix.
        QCOMPARE(f.list->selectedPatient(), 1);
        f.chooseDate(2);
        f.list->cmdexit_Click();
        QCOMPARE(loaded.size(), 2);
        QVERIFY(f.session.strRezult.isEmpty());
        QVERIFY(f.messages.shown.isEmpty());
    }

    void exitWithoutVisitKeepsResults_data() {
        QTest::addColumn<int>("line");
        QTest::newRow("no line") << -1;
        QTest::newRow("empty last line") << 3;
    }
    void exitWithoutVisitKeepsResults() {
        QFETCH(int, line);
        ListFixture f;
        f.session.strRezult.cell(0, 0) = "40 2";
        const session::ResultsMatrix before = f.session.strRezult;
        QSignalSpy loaded(&f.session, &session::Session::visitLoaded);
        f.choose(2);
        f.chooseDate(line);
        f.list->cmdexit_Click();
        QCOMPARE(loaded.size(), 0);
        QCOMPARE(f.session.strRezult, before);
        QCOMPARE(f.session.choice().cardFile, indexOf(f).records[2].cardFile());
        QVERIFY(!f.session.choice().hasVisit());
    }

    void closeBoxActsLikeExit() {
        ListFixture f;
        f.list->show();
        f.choose(0);
        f.chooseDate(0);
        QSignalSpy loaded(&f.session, &session::Session::visitLoaded);
        f.list->close();
        QVERIFY(f.list->isHidden());
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(f.session.choice().visit, 0);
        // Hidden, not destroyed: the choice is there when it opens again.
        f.list->show();
        QCOMPARE(f.list->selectedPatient(), 0);
        QCOMPARE(f.list->selectedDate(), 0);
    }

    void storeFailureChangesNothingShown() {
        ListFixture f;
        f.choose(0);
        const QStringList before = f.dates();
        const QString card = f.db(indexOf(f).records[0].cardFile());
        QVERIFY(QFile::remove(card));
        f.list->cmdadddate->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(f.messages.last().contains(QFileInfo(card).fileName()), qPrintable(f.messages.last()));
        QCOMPARE(f.dates(), before);
        QCOMPARE(f.list->selectedDate(), -1);
    }

    void changedIndexKeepsChoiceAndIsReadOnNextOpening() {
        ListFixture f;
        f.choose(0);
        const QString shown = f.list->lblname->text();
        // Another workstation put a patient on top: every line now means someone else.
        QByteArray bytes = bytesOf(f.db("client.crd"));
        bytes.insert(bytes.indexOf('*') + 1,
                     cp1251::encode(QStringLiteral("Новый Пациент|1990|01.01.2027 |c 90.dat|\r\n*")));
        storetest::put(f.db("client.crd"), bytes);
        f.choose(1);
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(f.list->selectedPatient(), 0);
        QCOMPARE(f.list->lblname->text(), shown);

        QTimer::singleShot(0, f.list.get(), [&] { f.list->cmdexit_Click(); });
        f.list->execList();
        QCOMPARE(f.names().size(), 4);
        QCOMPARE(f.names().first(), QStringLiteral("Новый Пациент"));
    }

    void layoutCaptionsFitAndNames() {
        ListFixture f;
        f.list->show();
        QCOMPARE(f.list->size(), QSize(459, 348));
        QCOMPARE(f.list->lstname->geometry(), QRect(8, 64, 257, 276));
        QCOMPARE(f.list->cmdexit->geometry(), QRect(360, 296, 89, 25));
        for (QLabel* l : {f.list->lblname, f.list->lblyear})
            QCOMPARE(backColour(l), colours::toQColor(colours::kHighlightText));
        for (QWidget* w : f.list->findChildren<QWidget*>()) {
            if (w->parentWidget() != f.list.get())
                continue;
            QVERIFY2(!w->accessibleName().isEmpty(), qPrintable(w->objectName()));
            if (qobject_cast<QPushButton*>(w) || qobject_cast<QLabel*>(w))
                QVERIFY2(w->sizeHint().width() <= w->width(), qPrintable(w->objectName()));
        }
        const QStringList found = uicheck::problems(f.list.get());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_MAIN(FrmClientTest)
#include "tst_frmclient.moc"
