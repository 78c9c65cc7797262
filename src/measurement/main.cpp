#include "common/termination.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "measurement/beeper.h"
#include "measurement/frmmain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QTimer>

#ifdef TAVEN_WARM_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <thread>
#endif

namespace {

// Start-up timing ends when the window has been painted once, text and all.
class FirstPaint : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            QTimer::singleShot(0, qApp, &QApplication::quit);
        }
        return false;
    }

  private:
    bool m_seen = false;
};

void quitAfterFirstPaint(QWidget* w) {
    w->installEventFilter(new FirstPaint(w));
}

} // namespace

int main(int argc, char** argv) {
#ifdef TAVEN_WARM_FONTCONFIG
    // Reading the system's font configuration is the longest single step of start-up; it
    // runs beside the application's own set-up instead of after it.
    std::thread fonts([] { FcInit(); });
#endif
    QApplication app(argc, argv);
#ifdef TAVEN_WARM_FONTCONFIG
    fonts.join();
#endif
    QApplication::setApplicationName(QStringLiteral("taven"));

    QCommandLineParser cli;
    cli.addHelpOption();
    const QCommandLineOption quitAfterShow(
        QStringLiteral("quit-after-show"),
        QStringLiteral("Quit as soon as the main window has been shown and painted (start-up timing)."));
    cli.addOption(quitAfterShow);
    const QCommandLineOption port(
        QStringLiteral("port"), QStringLiteral("Serial port of the device (default: the first that opens)."),
        QStringLiteral("name"));
    cli.addOption(port);
    cli.process(app);
    termination::quitOnSignals(&app);
    // A save killed between writing and renaming leaves its temporary file behind.
    const WorkFolder folder;
    textfile::removeLeftTemporaries(folder.root());
    textfile::removeLeftTemporaries(folder.path(QStringLiteral("Database")));

    Beeper beeper;
    beeper.setSystemBeep([] { QApplication::beep(); });
    frmmain w(folder);
    w.setBeeper(&beeper);
    w.drawMapAfterFirstPaint();
    w.Form_Load();
    w.show();
    if (!cli.isSet(quitAfterShow)) {
        beeper.prepare();
        w.startDevice(cli.value(port));
    }
    if (cli.isSet(quitAfterShow))
        quitAfterFirstPaint(&w);
    return app.exec();
}
