// Holds the port named on its command line through the device link, as the program does,
// until it is told to end; prints "open" once the port is held.
#include "common/termination.h"
#include "measurement/devicelink.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2 || !termination::quitOnSignals(&app))
        return 3;
    DeviceLink link;
    link.setPortName(QString::fromLocal8Bit(argv[1]));
    link.start();
    if (!link.isOpen())
        return 2;
    std::printf("open\n");
    std::fflush(stdout);
    return app.exec();
}
