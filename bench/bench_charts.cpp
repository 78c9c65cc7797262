// Chart figures: opening the visit chart of a card of 1,000 visits and the trend of one
// point across them, against reading the card, measured side by side in one run; then the
// resident memory of the program (main window shown) before and after the chart window
// opens. Prints medians (ms) and ratios.
// Usage: bench_charts [visits] [runs]
#include "common/messages.h"
#include "common/text1251.h"
#include "measurement/frmmain.h"
#include "patientgen.h"
#include "patients/chartrender.h"
#include "patients/chartwindow.h"
#include "timing.h"

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
    const QString card = store.cardPath(store.index().records[0].cardFile());

    std::vector<double> read, all, visit, trend, trendRead;
    charts::History history;
    for (int r = 0; r < runs; ++r) {
        read.push_back(timeMs([&] { readCard(card); }));
        // What opening a chart cost when every visit was read as numbers first.
        all.push_back(timeMs([&] {
            QString error;
            const charts::History h = *charts::readHistory(store, 0, &error);
            for (int v = 0; v < h.size(); ++v)
                charts::VisitCells::ofRecord(h.records[v]);
        }));
        visit.push_back(timeMs([&] {
            QString error;
            history = *charts::readHistory(store, 0, &error);
            const auto chart = charts::visitChart(history.visit(history.size() - 1));
            paintOnImage(
                [&](QPainter& p, const QRectF& a) { charts::paintVisit(p, a, chart, QStringLiteral("v")); });
        }));
        trend.push_back(timeMs([&] {
            const charts::Trend t = charts::trendOf(history, 8, true, 3);
            paintOnImage(
                [&](QPainter& p, const QRectF& a) { charts::paintTrend(p, a, t, QStringLiteral("t")); });
        }));
        trendRead.push_back(timeMs([&] {
            QString error;
            const charts::History h = *charts::readHistory(store, 0, &error);
            const charts::Trend t = charts::trendOf(h, 8, true, 3);
            paintOnImage(
                [&](QPainter& p, const QRectF& a) { charts::paintTrend(p, a, t, QStringLiteral("t")); });
        }));
    }
    const double base = median(read);
    std::printf("Card of %d visits, %d runs, medians (ms):\n", history.size(), runs);
    std::printf("  reading the card (bytes, decoded, cut into visits)   %8.2f\n", base);
    std::printf("  reading, then every visit as numbers                 %8.2f  (%.2fx reading)\n",
                median(all), median(all) / base);
    std::printf("  visit chart: read, the visit shown as numbers, paint %8.2f  (%.2fx reading)\n",
                median(visit), median(visit) / base);
    std::printf("  trend of one point, card already read, paint         %8.2f  (%.2fx reading)\n",
                median(trend), median(trend) / base);
    std::printf("  trend of one point with reading the card             %8.2f  (%.2fx reading)\n",
                median(trendRead), median(trendRead) / base);

    frmmain w{WorkFolder(work.path())};
    w.Form_Load();
    w.show();
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    const long before = rssKb();
    ChartWindow* charts = openCharts(&w, store, 0, w.session());
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
