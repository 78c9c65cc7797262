#pragma once
// The program's command line, read before any window exists, so that --help, --version and
// a mistyped option answer in a terminal without a display.
#include <QString>
#include <QStringList>

namespace commandline {

struct Options {
    QString port;           // empty: the first serial port that speaks
    QString folder;         // empty: chosen by userfolder::choose
    QString database;       // empty: $TAVEN_DATABASE, the user's file, else the legacy folder
    QString exchangeFolder; // the legacy folder of --import-folder or --export-folder
    bool merge = false;     // --import-folder into a database that holds patients
    bool quitAfterShow = false;
};

// ImportFolder and ExportFolder run without a window and end with their own exit code.
enum class Action { Run, Help, Version, Error, ImportFolder, ExportFolder };

struct Parsed {
    Action action = Action::Run;
    Options options;
    QString text; // what to print: help, version or the error with a hint
};

// `args` as in argv, the program's name first. Qt's own options (-platform, -style ...) are
// left for QApplication. Texts are Russian when `russian`, English otherwise.
Parsed parse(const QStringList& args, bool russian);

// The program's version, as --version prints it.
QString version();

// Whether the user's locale (LC_ALL, LC_MESSAGES, LANG) asks for Russian.
bool russianLocale();

// Exit status for each action: a usage error is 2, as for the usual command-line tools.
int exitCode(Action action);

} // namespace commandline
