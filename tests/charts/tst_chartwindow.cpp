#include "charts/chartview.h"
#include "charts/chartwindow.h"
#include "common/messages.h"
#include "patientgen.h"
#include "patients/patientstore.h"
#include "printing/pageprint.h"
#include "uicheck.h"

#include <QComboBox>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

class ChartWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<patients::PatientStore> store;
    session::Session session;
    QList<msgbox::Shown> shown;

    session::Choice visitOf(int patient, int visit) const {
        const patients::IndexRecord& r = store->index().records[patient];
        return {r.name(), r.year(), r.cardFile(), visit, r.dateLines()[visit]};
    }
    const charts::Hit* hitOf(const ChartWindow& w, int row, bool left, int point) const {
        for (const charts::Hit& h : w.view->hits())
            if (h.row == row && h.left == left && h.point == point)
                return &h;
        return nullptr;
    }

  private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        patientgen::Options o;
        o.patients = 2;
        o.bigVisits = 12;
        QVERIFY(patientgen::writeDatabase(dir->path(), o));
        store = std::make_unique<patients::PatientStore>(WorkFolder(dir->path()));
        QVERIFY(!store->load());
        shown.clear();
        msgbox::setHandler([this](const msgbox::Shown& s) {
            shown << s;
            return msgbox::Answer::Ok;
        });
        session.loadVisit({}, {});
    }
    void cleanup() { msgbox::setHandler({}); }

    void clickOnABarChoosesItsPoint() {
        ChartWindow w(*store, 0, session);
        w.resize(1200, 800);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy chosen(&w, &ChartWindow::pointChosen);
        const charts::Hit* h = hitOf(w, 3, false, 2);
        QVERIFY(h);
        w.view->clickAt(h->rect.center());
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0], QVariantList({3, false, 2}));
        // The trend then follows that point.
        QCOMPARE(w.cbomeridian->currentIndex(), 3);
        QCOMPARE(w.cbopoint->currentIndex(), 2);
        QVERIFY(w.optright->isChecked());
        const charts::Hit* branch = hitOf(w, 23, true, 0);
        QVERIFY(branch);
        w.view->clickAt(branch->rect.center());
        QCOMPARE(chosen.last(), QVariantList({23, true, 0}));
    }

    // The visit loaded in the main window is shown with the main window's results, and
    // only while it is this patient's.
    void theLoadedVisitShowsTheMainWindowsResults() {
        session::ResultsMatrix live;
        live.cell(0, 10) = QStringLiteral("77 7");
        session.loadVisit(visitOf(0, 2), live);
        ChartWindow w(*store, 0, session);
        QCOMPARE(w.cbovisit->currentIndex(), 2);
        QVERIFY2(w.cbovisit->currentText().contains(QStringLiteral("в главном окне")),
                 qPrintable(w.cbovisit->currentText()));
        const QImage withLive = w.image(QSize(1200, 700));
        session.loadVisit(visitOf(1, 0), live);
        QVERIFY(!w.cbovisit->itemText(2).contains(QStringLiteral("в главном окне")));
        QCOMPARE(w.cbovisit->currentIndex(), 2);
        QVERIFY(w.image(QSize(1200, 700)) != withLive);
    }

    void noPatientShowsTheResultsAlone() {
        session.strRezult.cell(2, 0) = QStringLiteral("50 5");
        ChartWindow w(*store, -1, session);
        QVERIFY(w.error().isEmpty());
        QCOMPARE(w.cbovisit->count(), 1);
        QCOMPARE(w.cbovisit->currentText(), QStringLiteral("Текущие измерения"));
    }

    void captionsFitAndControlsAreNamed() {
        ChartWindow w(*store, 0, session);
        w.show();
        const QStringList found = uicheck::problems(&w);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }

    void anUnreadableCardIsToldAndNotOpened() {
        QVERIFY(QFile::remove(store->cardPath(store->index().records[0].cardFile())));
        QWidget parent;
        QVERIFY(!openCharts(&parent, *store, 0, session));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].title, msgbox::kErrorTitle);
    }

    void savesPngAndSaysWhenItCannot() {
        ChartWindow w(*store, 0, session);
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString path = dir->filePath(QStringLiteral("chart.png"));
        w.setPngName([&](QWidget*, const QString&) { return path; });
        w.cmdpng_Click();
        QImage saved(path);
        QVERIFY(!saved.isNull());
        QCOMPARE(saved.size(), w.view->size() * 2);
        QVERIFY(shown.isEmpty());
        w.setPngName(
            [&](QWidget*, const QString&) { return dir->filePath(QStringLiteral("no/such/chart.png")); });
        w.cmdpng_Click();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].text.startsWith(QStringLiteral("Не удалось сохранить график в PNG")),
                 qPrintable(shown[0].text));
    }

    void printsOnePageOfTheChartShown() {
        ChartWindow w(*store, 0, session);
        w.showChart(ChartWindow::TrendChart);
        const QString pdf = dir->filePath(QStringLiteral("chart.pdf"));
        const printing::Pages pages = w.pages();
        QVERIFY(pages.title.contains(store->index().records[0].name()));
        QVERIFY(!printing::savePagesPdf(pdf, pages).failed());
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("%PDF"));
        QStringList reported;
        printing::PagesPreview preview(
            pages, [&](QWidget*, const printing::Outcome& failure) { reported << failure.error; });
        QCOMPARE(preview.pageCount(), 1);
        // Its failures go to the window's report; the preview shows no message of its own.
        const QString nowhere = dir->filePath(QStringLiteral("no/such/chart.pdf"));
        preview.setSaveAction(
            [&](QWidget*, const printing::Pages& p) { return printing::savePagesPdf(nowhere, p); });
        preview.cmdpdf_Click();
        QCOMPARE(reported.size(), 1);
        QVERIFY2(reported[0].contains(nowhere), qPrintable(reported[0]));
        QVERIFY(shown.isEmpty());
    }
};

QTEST_MAIN(ChartWindowTest)
#include "tst_chartwindow.moc"
