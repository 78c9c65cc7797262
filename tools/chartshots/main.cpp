// Writes PNG screenshots of the chart window for a generated patient, for a look without
// a display:   QT_QPA_PLATFORM=offscreen chartshots <output folder> [pixel ratio] [width height]
// (unless sized, the window as it fits on a 1366 x 768 laptop screen under a title bar and a panel)
#include "charts/chartwindow.h"
#include "patientgen.h"
#include "patients/patientstore.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const qreal ratio = argc > 2 ? QString::fromLocal8Bit(argv[2]).toDouble() : 1.0;
    QDir().mkpath(out);
    QTemporaryDir root;
    patientgen::Options o;
    o.patients = 2;
    o.bigVisits = 14;
    if (!root.isValid() || !patientgen::writeDatabase(root.path(), o))
        return 1;
    patients::PatientStore store{WorkFolder(root.path())};
    if (store.load())
        return 1;
    session::Session session;
    ChartWindow w(store, 0, session, 0);
    if (!w.error().isEmpty())
        return 1;
    const int width = argc > 4 ? std::atoi(argv[3]) : 1366, height = argc > 4 ? std::atoi(argv[4]) : 700;
    w.resize(width, height);
    w.show();
    const char* names[] = {"charts_visit.png", "charts_trend.png", "charts_sides.png"};
    for (int c = 0; c < 3; ++c) {
        w.showChart(ChartWindow::Chart(c));
        if (c == ChartWindow::TrendChart)
            w.choosePoint(8, true, 6);
        QApplication::processEvents();
        QImage shot = ratio == 1.0 ? w.grab().toImage() : w.image(w.size(), ratio);
        shot.save(out + u'/' + QString::fromLatin1(names[c]));
    }
    return 0;
}
