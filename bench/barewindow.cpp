// The yardstick for start-up: a Qt Widgets program that only shows an empty window.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(579, 467);
    // Quits once the window has been painted, as the program does for its timing.
    struct FirstPaint : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            if (e->type() == QEvent::Paint)
                QTimer::singleShot(0, qApp, &QApplication::quit);
            return false;
        }
    } firstPaint;
    w.installEventFilter(&firstPaint);
    w.show();
    return app.exec();
}
