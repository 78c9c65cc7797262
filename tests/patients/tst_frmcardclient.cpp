// The card window over a generated database: what it shows, what "Сохранить" writes and
// refuses, what "Выход" leaves, and that no visit opens no window.
#include "charts/chartrender.h"
#include "common/messages.h"
#include "common/session.h"
#include "common/text1251.h"
#include "common/widgets.h"
#include "patients/frmcardclient.h"
#include "storefixture.h"
#include "uicheck.h"

#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace storetest;
using patients::Card;
using patients::visitFields;

class tst_frmcardclient : public QObject {
    Q_OBJECT

    std::unique_ptr<Fixture> m_f;
    session::Session m_session;
    QList<msgbox::Shown> m_shown;
    msgbox::Answer m_answer = msgbox::Answer::Ok;

    QString card() const { return m_f->db("c 3.dat"); }

    // Chooses visit `visit` of the patient on top, as the patient list does.
    void choose(int visit) {
        const patients::PatientView v = chosen(*m_f->store, 0);
        const patients::VisitRef ref = v.visits.value(visit);
        m_session.setChoice({v.record.name(), v.record.year(), v.ref.cardFile, visit, ref.date, ref.token});
    }

    // Replaces one text field of a visit of the card on disk, keeping a tail after it.
    void putField(int visit, int field, const QString& text) {
        Card c = Card::parse(bytesOf(card()));
        QStringList f = visitFields(c.visits[visit]);
        f[field] = text + "\r\n";
        c.visits[visit] = f.join(u'>');
        put(card(), c.serialise() + "\r\n\r\n");
    }

    // With the chart page the patient list hands on from the main window.
    std::unique_ptr<frmcardclient> open() {
        auto w = std::make_unique<frmcardclient>(*m_f->store, m_session);
        w->setChartPage(charts::resultsPage);
        return w;
    }

  private slots:
    void init() {
        m_f = std::make_unique<Fixture>();
        generate(*m_f);
        m_session.clearPrescription();
        m_shown.clear();
        m_answer = msgbox::Answer::Ok;
        msgbox::setHandler([this](const msgbox::Shown& s) {
            m_shown << s;
            return s.question ? m_answer : msgbox::Answer::Ok;
        });
    }
    void cleanup() { msgbox::setHandler({}); }

    // Complaints as stored (null: as generated), as typed (null: untouched) and as saved.
    void savedTexts_data() {
        QTest::addColumn<int>("visit");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("generated, first visit") << 0 << QString() << QString() << QString();
        QTest::newRow("generated, last visit") << 2 << QString() << QString() << QString();
        QTest::newRow("blanks around trimmed") << 1 << "  боли\r\nдавно  " << QString() << "боли\r\nдавно";
        QTest::newRow("bare LF and CR kept") << 1 << "а\nб\rв" << QString() << "а\nб\rв";
        QTest::newRow("typed: CR LF, trimmed") << 1 << QString() << " первая\nвторая  "
                                               << "первая\r\nвторая";
        QByteArray every("a ");
        for (int b = 0x21; b <= 0xFF; ++b)
            if (b != '>' && b != '@')
                every += char(b);
        QTest::newRow("typed: every character, no-break space too")
            << 1 << QString() << cp1251::decode(every) << cp1251::decode(every);
    }
    void savedTexts() {
        QFETCH(int, visit);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        if (!stored.isNull())
            putField(visit, 1, stored);
        Card expected = Card::parse(bytesOf(card()));
        const QStringList f = visitFields(expected.visits[visit]);
        if (!saved.isNull())
            expected.visits[visit] = (QStringList{f[0], saved + "\r\n"} + f.mid(2)).join(u'>');
        const QByteArray index = bytesOf(m_f->db("client.crd"));
        choose(visit);
        m_session.loadVisit(m_session.choice(), {});
        auto w = open();
        QVERIFY2(!w->loadError(), qPrintable(w->loadError().message));
        QCOMPARE(uicheck::spoken(w->lblname), "Фамилия, имя, отчество | " + m_session.choice().name);
        QCOMPARE(uicheck::spoken(w->lblyear), "Год рождения | " + m_session.choice().year);
        QCOMPARE(uicheck::spoken(w->lbldate), "Дата посещения | " + m_session.choice().visitDate);
        QCOMPARE(w->txtdiagnoz->toPlainText(), patients::fieldText(f, 2).replace("\r\n", "\n"));
        if (!typed.isNull())
            w->txtgalob->setPlainText(typed);
        QTest::mouseClick(w->cmdsave, Qt::LeftButton);
        QVERIFY2(m_shown.isEmpty(), qPrintable(m_shown.value(0).text));
        QCOMPARE(w->result(), int(QDialog::Accepted));
        QCOMPARE(bytesOf(card()), expected.serialise());
        QCOMPARE(bytesOf(m_f->db("client.crd")), index);
        // The main window's next save of this visit is not refused as a change made elsewhere.
        QCOMPARE(m_session.choice().token, chosen(*m_f->store, 0).visits[visit].token);
        QCOMPARE(m_session.loadedVisit(), m_session.choice());
    }

    void pendingPrescription_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("Сохранить stores it, no longer pending") << true;
        QTest::newRow("Выход discards it") << false;
    }
    void pendingPrescription() {
        QFETCH(bool, save);
        putField(0, 3, "Старый рецепт");
        const QByteArray before = bytesOf(card());
        m_session.addToPrescription("Арника D6");
        m_session.addToPrescription("Нукс вомика C30");
        choose(0);
        auto w = open();
        QCOMPARE(w->txtrecept->toPlainText(), QStringLiteral("Старый рецепт\nАрника D6\nНукс вомика C30"));
        QTest::mouseClick(save ? w->cmdsave : w->cmdcancel, Qt::LeftButton);
        const QString stored = patients::fieldText(visitFields(Card::parse(bytesOf(card())).visits[0]), 3);
        if (save)
            QCOMPARE(stored, QStringLiteral("Старый рецепт\r\nАрника D6\r\nНукс вомика C30"));
        else
            QCOMPARE(bytesOf(card()), before);
        QVERIFY2(m_session.strRecept.isEmpty(), qPrintable(m_session.strRecept));
    }

    // "Выход", Escape and the close box close at once when nothing was typed; with typed
    // text they ask: Yes saves, No discards as "Выход", Cancel stays.
    void leavingWithTypedTextAsks_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("typed");
        QTest::addColumn<msgbox::Answer>("answer");
        for (const char* way : {"Выход", "Escape", "close box"})
            QTest::addRow("%s, untouched", way) << QString(way) << false << msgbox::Answer::Cancel;
        QTest::newRow("Выход, Yes saves") << "Выход" << true << msgbox::Answer::Yes;
        QTest::newRow("Escape, No discards") << "Escape" << true << msgbox::Answer::No;
        QTest::newRow("close box, Cancel stays") << "close box" << true << msgbox::Answer::Cancel;
    }
    void leavingWithTypedTextAsks() {
        QFETCH(QString, way);
        QFETCH(bool, typed);
        QFETCH(msgbox::Answer, answer);
        m_answer = answer;
        const QByteArray before = bytesOf(card());
        m_session.addToPrescription("Арника");
        choose(0);
        auto w = open();
        w->show();
        if (typed)
            w->txtgalob->insertPlainText("новое");
        if (way == "Выход")
            QTest::mouseClick(w->cmdcancel, Qt::LeftButton);
        else if (way == "Escape")
            QTest::keyClick(w->txtgalob, Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(m_shown.size(), typed ? 1 : 0);
        QCOMPARE(m_shown.value(0).text, typed ? QStringLiteral("Сохранить изменения?") : QString());
        QCOMPARE(m_shown.value(0).cancel, typed);
        const bool stays = answer == msgbox::Answer::Cancel && typed;
        QCOMPARE(w->isVisible(), stays);
        QCOMPARE(bytesOf(card()) != before, answer == msgbox::Answer::Yes);
        QCOMPARE(m_session.strRecept.isEmpty(), !stays);
        QCOMPARE(w->txtgalob->toPlainText().contains("новое"), typed);
    }

    void refusedTextStaysAndNothingIsWritten_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("pending");
        QTest::addColumn<QString>("named");
        QTest::newRow("> in complaints") << 0 << "боль\nслева > справа"
                                         << ""
                                         << "\"Жалобы\" (строка 2, позиция 7)";
        QTest::newRow("@ in diagnosis") << 1 << "a@b"
                                        << ""
                                        << "\"Диагноз\" (строка 1, позиция 2)";
        QTest::newRow("no code page") << 2 << "x€y✓"
                                      << ""
                                      << "\"✓\" в поле \"Рецепт\" (строка 1, позиция 4)";
        QTest::newRow("pending medication") << -1 << ""
                                            << "Капли >5"
                                            << "\"Рецепт\" (строка 2, позиция 7)";
    }
    void refusedTextStaysAndNothingIsWritten() {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, pending);
        QFETCH(QString, named);
        putField(0, 3, "");
        const auto before = snapshot(m_f->dir->path());
        if (!pending.isEmpty())
            m_session.addToPrescription(pending);
        choose(0);
        auto w = open();
        QPlainTextEdit* boxes[] = {w->txtgalob, w->txtdiagnoz, w->txtrecept};
        if (box >= 0)
            boxes[box]->setPlainText(typed);
        const QString shown = boxes[box < 0 ? 2 : box]->toPlainText();
        w->cmdsave_Click();
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(m_shown[0].text.contains(named), qPrintable(m_shown[0].text));
        QCOMPARE(snapshot(m_f->dir->path()), before);
        QCOMPARE(boxes[box < 0 ? 2 : box]->toPlainText(), shown);
        QCOMPARE(w->result(), 0); // still open
        QCOMPARE(m_session.strRecept, pending.isEmpty() ? QString() : "\r\n" + pending);
    }

    void noVisitNoWindow_data() {
        QTest::addColumn<int>("visit");
        QTest::addColumn<QString>("date");
        QTest::newRow("no date chosen") << -1 << "";
        QTest::newRow("empty last date line") << 3 << "";
        QTest::newRow("date no longer at its place") << 1 << "01.01.1999";
    }
    void noVisitNoWindow() {
        QFETCH(int, visit);
        QFETCH(QString, date);
        const auto before = snapshot(m_f->dir->path());
        const patients::IndexRecord& r = m_f->store->index().records[0];
        m_session.setChoice({r.name(), r.year(), r.cardFile(), visit, date});
        QWidget opener;
        bool opened = false;
        // A window that opened would be closed by this and counted.
        QTimer::singleShot(0, &opener, [&] {
            if (auto* w = qobject_cast<frmcardclient*>(QApplication::activeModalWidget())) {
                opened = true;
                w->reject();
            }
        });
        const patients::Error e = frmcardclient::showCard(*m_f->store, m_session, &opener);
        QVERIFY(e);
        QVERIFY(!opened);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].text, e.message);
        QCOMPARE(snapshot(m_f->dir->path()), before);
    }

    // The dates moved while the card was open (a visit added elsewhere): nothing is written
    // into the visit that now stands at the shown position.
    void visitMovedMeanwhileIsNotOverwritten() {
        choose(0);
        auto w = open();
        QVERIFY(!w->loadError());
        patients::PatientStore other{WorkFolder(m_f->dir->path())};
        patients::PatientView o;
        QVERIFY(!other.load() && !other.addVisit(chosen(other, 0).ref, QDate(2030, 1, 2), &o));
        const auto before = snapshot(m_f->dir->path());
        w->txtgalob->setPlainText("новое");
        w->cmdsave_Click();
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(snapshot(m_f->dir->path()), before);
    }

    // Printing takes the texts as the window shows them; a failure is told and the card
    // stays as it was, like a save that cannot write.
    void failures_data() {
        QTest::addColumn<bool>("print");
        QTest::newRow("printer fails") << true;
        QTest::newRow("card unwritable") << false;
    }
    void failures() {
        QFETCH(bool, print);
        m_session.addToPrescription("Арника");
        choose(0);
        auto w = open();
        const auto before = snapshot(m_f->dir->path());
        w->txtgalob->setPlainText("изменено");
        printing::Card printed;
        w->setPrintAction([&](QWidget*, const printing::Card& c) {
            printed = c;
            return printing::Outcome{printing::Outcome::Kind::Failed, "Принтер не найден."};
        });
        const InjectedFault unwritable(fileaccess::Call::Rename, "c 3.dat", EIO);
        QTest::mouseClick(print ? w->cmdprint : w->cmdsave, Qt::LeftButton);
        QCOMPARE(m_shown.size(), 1);
        QCOMPARE(m_shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(m_shown[0].text.contains(print ? "Принтер" : "c 3.dat"), qPrintable(m_shown[0].text));
        QCOMPARE(snapshot(m_f->dir->path()), before);
        QCOMPARE(w->txtgalob->toPlainText(), QStringLiteral("изменено"));
        if (print) {
            QCOMPARE(printed.complaints, QStringLiteral("изменено"));
            QVERIFY(printed.prescription.endsWith("\nАрника"));
            QCOMPARE(printed.date, w->lbldate->text());
        }
    }

    // The chart offered after the card is its visit's: as stored, or as the main window
    // holds it when that visit is loaded there. The card alone is printed unless chosen.
    void chartOfTheShownVisit_data() {
        QTest::addColumn<bool>("loaded");
        QTest::newRow("stored results") << false;
        QTest::newRow("loaded in the main window") << true;
    }
    void chartOfTheShownVisit() {
        QFETCH(bool, loaded);
        Card stored = Card::parse(bytesOf(card()));
        session::ResultsMatrix results;
        results.cell(3, 2) = "60 10";
        stored.visits[1] = patients::withResults(stored.visits[1], results);
        put(card(), stored.serialise() + "\r\n\r\n");
        choose(1);
        session::ResultsMatrix live;
        live.cell(0, 0) = "99 1";
        m_session.loadVisit(loaded ? m_session.choice() : session::Choice{}, live);
        auto w = open();
        const printing::Card printed = w->printedCard();
        QVERIFY(printed.chartPage);
        QVERIFY(!printed.withChart);
        const charts::VisitCells expected = charts::VisitCells::of(loaded ? live : results);
        const auto paint = [](const std::function<void(QPainter&, const QRectF&)>& page) {
            QImage image(600, 850, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            page(p, QRectF(0, 0, 600, 850));
            return image;
        };
        const QString title = w->lblname->text() + QStringLiteral(", посещение ") + w->lbldate->text();
        QVERIFY(paint(printed.chartPage) == paint(charts::visitPage(expected, title)));
        QVERIFY(paint(printed.chartPage) != paint(charts::visitPage(charts::VisitCells{}, title)));
    }

    // The PDF and the preview sit behind "Печать" (context menu) and Ctrl+P.
    void pdfFromThePrintMenu() {
        choose(0);
        auto w = open();
        QString pdfOf;
        w->setPdfAction([&](QWidget*, const printing::Card& c) {
            pdfOf = c.name;
            return printing::Outcome{};
        });
        const QList<QAction*> menu = w->cmdprint->actions();
        QCOMPARE(menu.size(), 2);
        QCOMPARE(menu[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        menu[1]->trigger();
        QCOMPARE(pdfOf, w->lblname->text());
    }

    void captionsFitAndControlsAreNamed() {
        choose(0);
        auto w = open();
        for (QLabel* l : {w->lblname, w->lblyear, w->lbldate})
            QCOMPARE(backColour(l), QApplication::palette().color(QPalette::HighlightedText));
        for (QWidget* c : w->findChildren<QWidget*>()) {
            if (c->parentWidget() != w.get())
                continue;
            QVERIFY2(!c->accessibleName().isEmpty(), c->metaObject()->className());
            QString caption;
            if (auto* l = qobject_cast<QLabel*>(c))
                caption = l->text();
            else if (auto* b = qobject_cast<QPushButton*>(c))
                caption = b->text();
            const int room = qobject_cast<QPushButton*>(c) ? c->width() - 8 : c->width();
            QVERIFY2(c->fontMetrics().horizontalAdvance(caption) <= room,
                     qPrintable(QStringLiteral("%1: %2 > %3")
                                    .arg(caption)
                                    .arg(c->fontMetrics().horizontalAdvance(caption))
                                    .arg(room)));
        }
        const QStringList found = uicheck::problems(w.get());
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_MAIN(tst_frmcardclient)
#include "tst_frmcardclient.moc"
