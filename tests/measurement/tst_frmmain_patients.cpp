// The main window's side of the patient records: the modal patient list, the caption,
// "Сохранить" into the chosen visit, closing with results not saved, and a bar clicked in
// the charts.
#include "charts/chartwindow.h"
#include "common/colours.h"
#include "common/widgets.h"
#include "gridrows.h"
#include "mainui.h"
#include "measurement/pointgrid.h"
#include "patientgen.h"
#include "patients/frmclient.h"
#include "patients/patientfiles.h"
#include "tempfolder.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <functional>
#include <memory>

using namespace patients;

namespace {

const QString kCaption = QStringLiteral("Диагностика по Тавену");

} // namespace

class MainPatientsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<MainUi> w;

    Index index() const { return Index::parse(folder->bytes("Database/client.crd")).value_or(Index()); }
    Card card(int patient) const {
        return Card::parse(folder->bytes("Database/" + index().records[patient].cardFile()));
    }
    // Opens the list through "Карта" and does `inside` while it is up.
    void inList(const std::function<void(frmclient&)>& inside) {
        QTimer::singleShot(0, w.get(), [inside] {
            auto* list = qobject_cast<frmclient*>(QApplication::activeModalWidget());
            QVERIFY(list);
            inside(*list);
            if (list->isVisible())
                list->cmdexit->click();
        });
        w->cmdclient->click();
        QVERIFY(!w->client()->isVisible());
    }
    void chooseVisit(int patient, int visit) {
        inList([=](frmclient& list) {
            list.selectPatient(patient);
            list.lstdate->setCurrentRow(visit);
        });
    }

  private slots:
    void init() {
        folder = std::make_unique<TempFolder>();
        log = std::make_unique<MessageLog>();
        folder->writeNumberedFunctionFile();
        folder->writeMedicationFile();
        folder->write("taven.ini", "13\r\n");
        patientgen::Options o;
        o.patients = 3;
        o.visits = 3;
        QVERIFY(patientgen::writeDatabase(folder->path(), o));
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        w->show();
    }
    void cleanup() {
        w.reset();
        log.reset();
        folder.reset();
    }

    void saveWithoutPatientAsksNothing() {
        const QByteArray before = folder->bytes("Database/client.crd");
        w->session().strRezult.cell(0, 0) = "50 5";
        w->cmdsave->click();
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].text, QStringLiteral("Пациент не выбран"));
        QCOMPARE(log->shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(folder->bytes("Database/client.crd"), before);
    }

    void listChoiceLoadsVisitAndCaption() {
        const IndexRecord r = index().records[1];
        chooseVisit(1, 1);
        QCOMPARE(w->windowTitle(), kCaption + "   (" + r.name() + ")");
        const session::ResultsMatrix stored = resultsOf(card(1).visits[1]);
        QCOMPARE(w->session().strRezult, stored);
        // The grid shows the loaded meridian from its bottom row, as a change of meridian does.
        const int bottom = catalogue::bottomRow(0);
        QCOMPARE(w->property("Index").toInt(), bottom);
        const session::ResultFields cell = session::splitResult(stored.cell(0, bottom));
        QCOMPARE(w->grid->txtmax[bottom]->text(), cell.max);
        QCOMPARE(w->grid->txtpad[bottom]->text(), cell.drop);
        QVERIFY(log->shown.isEmpty());
    }

    void savedResultsComeBack() {
        chooseVisit(2, 1);
        const QList<QString> otherVisits{card(2).visits[0], card(2).visits[2]};
        session::ResultsMatrix m;
        m.cell(3, 20) = "88 -4";
        m.cell(24, 0) = "12 3";
        w->session().strRezult = m;
        w->session().markUnsaved();

        log->answer = msgbox::Answer::No;
        const QByteArray before = folder->bytes("Database/" + index().records[2].cardFile());
        w->cmdsave->click();
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].text, QStringLiteral("Вы хотите сохранить данные в карту"));
        QCOMPARE(log->shown[0].title, QStringLiteral("Сохранение измерений"));
        QVERIFY(log->shown[0].question && !log->shown[0].defaultNo);
        QCOMPARE(folder->bytes("Database/" + index().records[2].cardFile()), before);
        QVERIFY(w->session().unsaved());

        log->answer = msgbox::Answer::Yes;
        w->cmdsave->click();
        QCOMPARE(log->shown.size(), 2);
        QVERIFY(!w->session().unsaved());
        QCOMPARE(resultsOf(card(2).visits[1]), m);
        QCOMPARE(card(2).visits[0], otherVisits[0]);
        QCOMPARE(card(2).visits[2], otherVisits[1]);
        // Saved again: this workstation's own change is not taken for one made elsewhere.
        w->cmdsave->click();
        QCOMPARE(log->shown.size(), 3);
        QVERIFY(log->shown[2].question);

        // Another visit in between, then the saved one again: the same matrix.
        chooseVisit(2, 0);
        QVERIFY(w->session().strRezult != m);
        inList([](frmclient& list) {
            QCOMPARE(list.selectedPatient(), 2);
            list.lstdate->setCurrentRow(1);
        });
        QCOMPARE(w->session().strRezult, m);
    }

    // No visit of the chosen patient is loaded: nothing is asked and nothing written.
    void saveRefusedWithoutVisitOfThatPatient_data() {
        QTest::addColumn<int>("secondPatient");
        QTest::addColumn<int>("secondLine");
        QTest::newRow("no date line") << 1 << -1;
        QTest::newRow("empty last line") << 1 << 3;
        QTest::newRow("another patient, no line") << 0 << -1;
    }
    void saveRefusedWithoutVisitOfThatPatient() {
        QFETCH(int, secondPatient);
        QFETCH(int, secondLine);
        chooseVisit(1, 0);
        chooseVisit(secondPatient, secondLine);
        w->session().strRezult.cell(0, 0) = "50 5";
        const auto before = QList<QByteArray>{folder->bytes("Database/" + index().records[0].cardFile()),
                                              folder->bytes("Database/" + index().records[1].cardFile())};
        w->cmdsave->click();
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].text, kNoVisit);
        QCOMPARE(log->shown[0].title, QStringLiteral("Ошибка"));
        QCOMPARE(folder->bytes("Database/" + index().records[0].cardFile()), before[0]);
        QCOMPARE(folder->bytes("Database/" + index().records[1].cardFile()), before[1]);
    }

    void deletedPatientTakesTheCaptionBack() {
        chooseVisit(0, 0);
        QVERIFY(w->windowTitle() != kCaption);
        inList([](frmclient& list) { list.cmddelcard->click(); });
        QCOMPARE(w->windowTitle(), kCaption);
    }

    // A bar clicked in the charts: its meridian, side and point row here, switching between
    // the points and the branches as the bar needs; from wherever the window stood.
    void selectFromChart_data() {
        QTest::addColumn<int>("startMeridian");
        QTest::addColumn<int>("meridian");
        QTest::addColumn<bool>("left");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("listed"); // position in the meridian list
        QTest::newRow("left point") << 0 << 8 << true << 5 << 8;
        QTest::newRow("right point") << 3 << 8 << false << 2 << 8;
        QTest::newRow("top row of the last meridian") << 0 << 20 << false << 0 << 20;
        QTest::newRow("branch") << 0 << 22 << true << 0 << 1;
        QTest::newRow("point after a branch") << 23 << 1 << false << 4 << 1;
        QTest::newRow("branch after a branch") << 21 << 24 << true << 0 << 3;
    }
    void selectFromChart() {
        QFETCH(int, startMeridian);
        QFETCH(int, meridian);
        QFETCH(bool, left);
        QFETCH(int, row);
        QFETCH(int, listed);
        w->selectFromChart(startMeridian, !left, 1);
        w->selectFromChart(meridian, left, row);
        const bool branch = meridian >= catalogue::kFirstBranchRow;
        QCOMPARE(w->currentMode(), branch ? modes::Mode::Branches : modes::Mode::Points);
        QCOMPARE(w->cbomeridian->currentIndex(), listed);
        if (branch)
            return; // a branch is the list's choice; its one result has no row to light
        QCOMPARE(w->optleft->isChecked(), left);
        QCOMPARE(w->optright->isChecked(), !left);
        QCOMPARE(highlightedRows(*w), QList<int>{row});
        QCOMPARE(w->property("Index").toInt(), row);
    }

    // The list's charts are opened here, over the list, and their bars select here too.
    void chartsAskedForByTheList() {
        inList([](frmclient& list) {
            list.selectPatient(1);
            list.lstname->actions().first()->trigger();
        });
        auto* charts = w->client()->findChild<ChartWindow*>();
        QVERIFY(charts);
        emit charts->pointChosen(8, false, 2);
        QCOMPARE(w->cbomeridian->currentIndex(), 8);
        QCOMPARE(highlightedRows(*w), QList<int>{2});
    }

    // A place the grid has not leaves the window as it stood.
    void selectFromChartOutsideTheGrid_data() {
        QTest::addColumn<int>("meridian");
        QTest::addColumn<int>("row");
        QTest::newRow("meridian below") << -1 << 0;
        QTest::newRow("meridian past the branches") << catalogue::kResultRows << 0;
        QTest::newRow("row below") << 3 << -1;
        QTest::newRow("row past the column") << 3 << catalogue::kRows;
    }
    void selectFromChartOutsideTheGrid() {
        QFETCH(int, meridian);
        QFETCH(int, row);
        w->selectFromChart(8, true, 5);
        w->selectFromChart(meridian, false, row);
        QCOMPARE(w->currentMode(), modes::Mode::Points);
        QCOMPARE(w->cbomeridian->currentIndex(), 8);
        QVERIFY(w->optleft->isChecked());
        QCOMPARE(highlightedRows(*w), QList<int>{5});
    }

    void closingWithUnsavedResultsAsks_data() {
        QTest::addColumn<bool>("unsaved");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("closed");
        QTest::newRow("saved") << false << int(msgbox::Answer::No) << true;
        QTest::newRow("unsaved, No") << true << int(msgbox::Answer::No) << false;
        QTest::newRow("unsaved, Yes") << true << int(msgbox::Answer::Yes) << true;
    }
    void closingWithUnsavedResultsAsks() {
        QFETCH(bool, unsaved);
        QFETCH(int, answer);
        QFETCH(bool, closed);
        if (unsaved) // typed into the grid, as a correction is
            w->txtmax_KeyDown(w->property("Index").toInt(), 53, 0);
        QCOMPARE(w->session().unsaved(), unsaved);
        log->answer = msgbox::Answer(answer);
        w->close();
        QCOMPARE(log->shown.size(), unsaved ? 1 : 0);
        if (unsaved) {
            QVERIFY(log->shown[0].question && log->shown[0].defaultNo);
        }
        QCOMPARE(w->isVisible(), !closed);
    }
};

QTEST_MAIN(MainPatientsTest)
#include "tst_frmmain_patients.moc"
