#include "measurement/beeper.h"
#include "measurement/frmmain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("taven"));

    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption quitAfterShow(QStringLiteral("quit-after-show"),
                                           QStringLiteral("Quit as soon as the main window is shown (start-up timing)."));
    cli.addOption(quitAfterShow);
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Serial port of the device (default: the first that opens)."),
                                  QStringLiteral("name"));
    cli.addOption(port);
    cli.process(app);

    Beeper beeper;
    beeper.setSystemBeep([] { QApplication::beep(); });
    frmmain w;
    w.setBeeper(&beeper);
    w.Form_Load();
    w.show();
    if (!cli.isSet(quitAfterShow)) {
        beeper.prepare();
        w.startDevice(cli.value(port));
    }
    if (cli.isSet(quitAfterShow))
        QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
