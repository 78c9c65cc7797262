#pragma once
// Patients between a legacy folder (Database/client.crd and its card files) and the clinic's
// database. A folder the program wrote comes back out byte for byte; legacy variants (LF line
// ends, tails after the last separator, a last visit without its "@") record for record.
#include "clinicdb/clinicstore.h"

#include <QStringList>

namespace clinicdb {

// Copies the patients and visits of the folder `dir` (the one holding Database/) in, all in
// one transaction. A database that already holds patients is refused unless `merge` is
// asked: then the patients are added on top and take new card numbers. Every legacy oddity
// kept on the way (a last visit cut short, dates and records that disagree) is told in `notes`.
Error importFolder(ClinicStore& db, const QString& dir, bool merge, QStringList* notes = nullptr);

// Writes the database as a legacy folder under `dir`, which must hold no patient index yet.
// Refused when a card number is beyond the legacy format's 32,767.
Error exportFolder(ClinicStore& db, const QString& dir);

} // namespace clinicdb
