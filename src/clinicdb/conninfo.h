#pragma once
// Which database to use and how to reach it: a libpq connection string ("host=... dbname=..."
// or "postgresql://..."), named on the command line, in the environment or in the user's own
// configuration file. Passwords come the libpq way (.pgpass, service file, PGPASSWORD): the
// program stores none.
#include "clinicdb/error.h"

#include <QList>
#include <QString>
#include <utility>

namespace clinicdb {

inline const QString kEnvironmentVariable = QStringLiteral("TAVEN_DATABASE");

// ~/.config/taven/database.conf (the user's configuration folder): the first line that is
// neither blank nor a "#" comment is the connection string.
QString configFile();

struct ConnectionChoice {
    QString conninfo; // empty: no database named, the legacy folder is used
    QString origin;   // where it was named, for messages
};

// The first of: the --database option, $TAVEN_DATABASE, the configuration file. A file that
// is missing names nothing; one that exists but cannot be read is an error.
Error chooseConnection(const QString& option, const QString& environment, const QString& configPath,
                       ConnectionChoice* chosen);

// A connection string taken apart for Qt's PostgreSQL driver.
struct ConnParams {
    QString host;
    QString database;
    QString user;
    QString password;
    int port = -1;
    QList<std::pair<QString, QString>> options; // every other libpq keyword, in order

    bool has(const QString& keyword) const;
    // The options as the driver takes them: "key='value'" separated by ";".
    QString connectOptions() const;
};

Error parseConninfo(const QString& conninfo, ConnParams* params);

} // namespace clinicdb
