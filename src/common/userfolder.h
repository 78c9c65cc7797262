#pragma once
// Which folder the program keeps its data files in, and filling it from the installed data
// on first start. The user's files are never replaced: a file already there, under any case
// of its name ("DataBase" for "Database"), stays as it is.
#include <QString>
#include <QStringList>

namespace userfolder {

struct Candidates {
    QString option;  // --folder
    QString env;     // $TAVEN_HOME
    QString current; // the process's current folder
    QString xdgData; // the per-user data location, ~/.local/share/taven
};

// The first that is given of --folder and $TAVEN_HOME; else the current folder when it holds
// the data files (a checkout's ./run, a legacy installation); else the per-user location.
QString choose(const Candidates& c);

// A folder the program has worked in: it holds its settings or its point function texts.
bool holdsData(const QString& folder);

// Why `folder` cannot serve as the working folder (it cannot be made, or nothing can be
// written into it), in one Russian sentence with the system's reason; empty when it is made
// and writable. A folder that can be used is left made.
QString unusable(const QString& folder);

// Copies into `folder` every file of `bundled` it lacks, creating folders as needed.
// Returns one Russian message per file or folder that could not be made; an empty list
// when all is there.
QStringList fill(const QString& bundled, const QString& folder);

} // namespace userfolder
