// The yardstick for start-up: a Qt Widgets program that only shows an empty window.
#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget w;
    w.resize(579, 467);
    w.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
