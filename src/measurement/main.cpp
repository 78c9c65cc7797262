#include "common/messages.h"
#include "common/termination.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "measurement/appsetup.h"
#include "measurement/beeper.h"
#include "measurement/commandline.h"
#include "measurement/frmmain.h"
#include "measurement/storechoice.h"

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

// --import-folder and --export-folder: no window, for the administrator's terminal or a script.
int exchange(int& argc, char** argv, const commandline::Options& options, bool import) {
    QCoreApplication app(argc, argv);
    QStringList said;
    const int code = storechoice::exchange(options, import, &said);
    for (const QString& line : std::as_const(said))
        std::fprintf(stderr, "taven: %s\n", line.toLocal8Bit().constData());
    return code;
}

// Said once, with the cause: every data file would otherwise fail on its own.
int startFailed(const QString& problem) {
    std::fprintf(stderr, "taven: %s\n", problem.toLocal8Bit().constData());
    msgbox::warning(nullptr, problem);
    return 1;
}

// The window until the program ends; a start-up timing run ends at the first paint, and what
// waits for it (the picture, the clean-up below) is no part of that run.
int runWindow(frmmain& w, Beeper& beeper, const commandline::Options& options, const WorkFolder& folder,
              const QStringList& fillErrors) {
    w.Form_Load();
    w.show();
    if (options.quitAfterShow) {
        new FirstPaint(&w, [&w] {
            w.dropDeferredMap();
            QApplication::quit();
        });
        return QApplication::exec();
    }
    // Once the window is up: a save killed between writing and renaming leaves its temporary
    // file behind, which nothing reads; and a message about the folder or the device opens
    // over the window, not before it.
    new FirstPaint(&w, [&] {
        textfile::removeLeftTemporaries(folder.root());
        textfile::removeLeftTemporaries(folder.path(QStringLiteral("Database")));
        if (!fillErrors.isEmpty())
            msgbox::info(&w, fillErrors.join(u'\n'));
        w.startDevice(options.port);
    });
    beeper.prepare();
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv) {
    // Read before any window system is reached: --help answers in a terminal without one.
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    const commandline::Parsed cli = commandline::parse(args, commandline::russianLocale());
    const bool import = cli.action == commandline::Action::ImportFolder;
    if (import || cli.action == commandline::Action::ExportFolder)
        return exchange(argc, argv, cli.options, import);
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
    // A database named but unusable is told, never passed over for the folder: the cards
    // would go where the practitioner does not look for them.
    QString storeProblem;
    std::unique_ptr<patients::Store> store =
        root ? storechoice::open(cli.options.database, &storeProblem) : nullptr;
    if (!root || !storeProblem.isEmpty()) {
#ifdef TAVEN_WARM_FONTCONFIG
        fonts.join();
#endif
        return startFailed(root ? storeProblem : folderProblem);
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
    if (store)
        w.useStore(std::move(store));
    w.useStartFiles(std::move(files));
    w.setBeeper(&beeper);
    w.drawMapAfterFirstPaint();
    return runWindow(w, beeper, cli.options, folder, fillErrors);
}
