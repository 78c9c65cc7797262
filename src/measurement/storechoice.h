#pragma once
// Which patient store the program works on, and the command line's exchange between a legacy
// folder and the database. A database is named by --database, else $TAVEN_DATABASE, else the
// user's own file (clinicdb::configFile()); with none, the legacy folder, as it always was.
#include "measurement/commandline.h"
#include "patients/store.h"

#include <QStringList>
#include <memory>

namespace storechoice {

// The database's store when one is named, else null: the folder. `problem` says why a named
// one cannot be used (a connection string that does not parse, a file that cannot be read);
// a server out of reach is told by the first action, not here.
std::unique_ptr<patients::Store> open(const QString& option, QString* problem);

// --import-folder or --export-folder: the exit code, 0 when done, 2 without a database named,
// 1 when it failed; what happened, in Russian, a line each in `say`.
int exchange(const commandline::Options& options, bool import, QStringList* say);

} // namespace storechoice
