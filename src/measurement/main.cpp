#include "common/messages.h"
#include "common/termination.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "measurement/appsetup.h"
#include "measurement/beeper.h"
#include "measurement/commandline.h"
#include "measurement/frmmain.h"

#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <utility>

#ifdef TAVEN_WARM_FONTCONFIG
#include <fontconfig/fontconfig.h>
#include <thread>
#endif

namespace {

// Runs `then` once the window has been painted for the first time (start-up timing ends
// there; what the first frame does not need waits for it).
class FirstPaint : public QObject {
  public:
    FirstPaint(QWidget* w, std::function<void()> then) : QObject(w), m_then(std::move(then)) {
        w->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && m_then)
            QTimer::singleShot(0, qApp, std::exchange(m_then, nullptr));
        return false;
    }

  private:
    std::function<void()> m_then;
};

} // namespace

int main(int argc, char** argv) {
    // Read before any window system is reached: --help answers in a terminal without one.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const commandline::Parsed cli = commandline::parse(args, commandline::russianLocale());
    if (cli.action != commandline::Action::Run) {
        std::fputs(cli.text.toLocal8Bit().constData(),
                   cli.action == commandline::Action::Error ? stderr : stdout);
        return commandline::exitCode(cli.action);
    }
#ifdef TAVEN_WARM_FONTCONFIG
    // Reading the system's font configuration is the longest single step of start-up; it
    // runs beside the application's own set-up instead of after it.
    std::thread fonts([] { FcInit(); });
#endif
    QApplication app(argc, argv);
    appsetup::prepare();
    termination::quitOnSignals(&app);

    QStringList fillErrors;
    QString folderProblem;
    // Installed, the data sits in share/taven/data beside bin/; a build folder has none.
    const std::optional<QString> root = appsetup::workFolder(
        cli.options,
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TAVEN_DATA_FROM_BIN)),
        &fillErrors, &folderProblem);
    if (!root) {
#ifdef TAVEN_WARM_FONTCONFIG
        fonts.join();
#endif
        // Said once, with the cause; every data file would otherwise fail on its own.
        std::fprintf(stderr, "taven: %s\n", folderProblem.toLocal8Bit().constData());
        msgbox::warning(nullptr, folderProblem);
        return 1;
    }
    const WorkFolder folder(*root);
    for (const QString& e : fillErrors)
        std::fprintf(stderr, "%s\n", e.toLocal8Bit().constData());
    Beeper beeper;
    beeper.setSystemBeep([] { QApplication::beep(); });
    // Read while the font configuration is still being read: the window is the first to
    // measure text.
    StartFiles files = readStartFiles(folder);
#ifdef TAVEN_WARM_FONTCONFIG
    fonts.join();
#endif
    frmmain w(folder);
    w.useStartFiles(std::move(files));
    w.setBeeper(&beeper);
    w.drawMapAfterFirstPaint();
    w.Form_Load();
    w.show();
    // Start-up timing ends at the first paint: what waits for it (the picture, the clean-up
    // below) is no part of the run.
    if (cli.options.quitAfterShow) {
        new FirstPaint(&w, [&w] {
            w.dropDeferredMap();
            QApplication::quit();
        });
        return app.exec();
    }
    // Once the window is up: a save killed between writing and renaming leaves its temporary
    // file behind, which nothing reads; and a message about the folder or the device opens
    // over the window, not before it.
    new FirstPaint(&w, [&] {
        textfile::removeLeftTemporaries(folder.root());
        textfile::removeLeftTemporaries(folder.path(QStringLiteral("Database")));
        if (!fillErrors.isEmpty())
            msgbox::info(&w, fillErrors.join(u'\n'));
        w.startDevice(cli.options.port);
    });
    beeper.prepare();
    return app.exec();
}
