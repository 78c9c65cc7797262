// Chart figures: opening the visit chart of a card of 1,000 visits and the trend of one
// point across them, against reading the card, measured side by side in one run (with the
// way they were read before: every visit as numbers first); then the
// resident memory of the program (main window shown) before and after the chart window
// opens. Prints medians (ms) and ratios.
// Usage: bench_charts [visits] [runs]
#include "charts/chartrender.h"
#include "charts/chartwindow.h"
#include "common/messages.h"
#include "common/text1251.h"
#include "measurement/frmmain.h"
#include "patientgen.h"
#include "patients/patientstore.h"
#include "timing.h"
#include "uicheck.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using benchtiming::median;
using benchtiming::timeMs;

long rssKb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// What the program does to read a card: the bytes, decoded and cut into visits.
int readCard(const QString& path) {
    const auto bytes = textfile::readBytes(path);
    return bytes ? int(patients::Card::parse(*bytes).visits.size()) : -1;
}

void paintOnImage(const std::function<void(QPainter&, const QRectF&)>& paint) {
    QImage image(1280, 720, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    paint(p, QRectF(0, 0, 1280, 720));
}

charts::History readHistory(patients::PatientStore& store) {
    QString error;
    return *charts::readHistory(store, 0, &error);
}

void paintVisit(const charts::VisitCells& v) {
    const auto chart = charts::visitChart(v);
    paintOnImage([&](QPainter& p, const QRectF& a) { charts::paintVisit(p, a, chart, QStringLiteral("v")); });
}

void paintTrend(const charts::Trend& t) {
    paintOnImage([&](QPainter& p, const QRectF& a) { charts::paintTrend(p, a, t, QStringLiteral("t")); });
}

// How opening went before: every visit of the card read as numbers first.
std::vector<charts::VisitCells> everyVisit(const charts::History& h) {
    std::vector<charts::VisitCells> all;
    all.reserve(size_t(h.size()));
    for (int v = 0; v < h.size(); ++v)
        all.push_back(h.visit(v));
    return all;
}

charts::Trend trendOfNumbers(const charts::History& h, const std::vector<charts::VisitCells>& all) {
    charts::Trend t{8, true, 3, charts::Scale::Points, {}, std::nullopt};
    for (int v = 0; v < h.size(); ++v)
        t.visits.push_back(charts::trendPointOf(all[size_t(v)], h.dates.value(v), 8, true, 3));
    return t;
}

struct Figures {
    std::vector<double> read, visitBefore, visit, trendBefore, trend, trendRead;
};

Figures timeCharts(patients::PatientStore& store, int runs) {
    const QString card = store.cardPath(store.index().records[0].cardFile());
    Figures f;
    for (int r = 0; r < runs; ++r) {
        f.read.push_back(timeMs([&] { readCard(card); }));
        f.visitBefore.push_back(timeMs([&] { paintVisit(everyVisit(readHistory(store)).back()); }));
        f.visit.push_back(timeMs([&] {
            const charts::History h = readHistory(store);
            paintVisit(h.visit(h.size() - 1));
        }));
        f.trendBefore.push_back(timeMs([&] {
            const charts::History h = readHistory(store);
            paintTrend(trendOfNumbers(h, everyVisit(h)));
        }));
        f.trend.push_back(timeMs([&] { paintTrend(charts::trendOf(readHistory(store), 8, true, 3)); }));
        const charts::History h = readHistory(store);
        f.trendRead.push_back(timeMs([&] { paintTrend(charts::trendOf(h, 8, true, 3)); }));
    }
    return f;
}

void printFigures(const Figures& f, int visits, int runs) {
    const double base = median(f.read);
    const auto row = [base](const char* what, const std::vector<double>& v) {
        std::printf("  %-58s %8.2f  (%.2fx reading)\n", what, median(v), median(v) / base);
    };
    std::printf("Card of %d visits, %d runs, medians (ms):\n", visits, runs);
    std::printf("  %-58s %8.2f\n", "reading the card (bytes, decoded, cut into visits)", base);
    row("visit chart, every visit as numbers first (before)", f.visitBefore);
    row("visit chart, only the visit shown as numbers", f.visit);
    row("trend of one point, every visit as numbers first (before)", f.trendBefore);
    row("trend of one point, one row of each visit", f.trend);
    row("trend of one point, card already read, paint", f.trendRead);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int visits = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 15;
    QTemporaryDir work;
    const QString data = QStringLiteral(TAVEN_BUNDLED_DATA);
    for (const QString& f : QDir(data).entryList(QDir::Files))
        QFile::copy(data + u'/' + f, work.filePath(f));
    patientgen::Options o;
    o.patients = 1;
    o.bigVisits = visits;
    if (!patientgen::writeDatabase(work.path(), o))
        return 1;
    QFile::copy(data + QStringLiteral("/Database/medicam.nam"),
                work.filePath(QStringLiteral("Database/medicam.nam")));
    msgbox::setHandler([](const msgbox::Shown&) { return msgbox::Answer::Ok; });
    patients::PatientStore store{WorkFolder(work.path())};
    if (store.load())
        return 1;
    printFigures(timeCharts(store, runs), visits, runs);

    frmmain w{WorkFolder(work.path())};
    w.Form_Load();
    w.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const long before = rssKb();
    ChartWindow* charts = openCharts(&w, store, 0, *uicheck::child<session::Session>(&w, "session"));
    charts->resize(1280, 800);
    charts->show();
    for (int c = 0; c < 3; ++c) {
        charts->showChart(ChartWindow::Chart(c));
        for (int i = 0; i < 10; ++i)
            QApplication::processEvents();
    }
    const long after = rssKb();
    std::printf("Resident memory: program %ld KB, with the chart window %ld KB (%.2fx)\n", before, after,
                double(after) / double(before));
    return 0;
}
