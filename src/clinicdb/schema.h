#pragma once
// The tables of the clinic's database, made and brought up to date by the program itself.
#include "clinicdb/connection.h"

#include <QStringList>

namespace clinicdb {

// Step k brings the schema from version k to k + 1.
using SchemaSteps = QList<QStringList>;
const SchemaSteps& schemaSteps();

// Creates the tables or runs the steps the database lacks, all in one transaction: an upgrade
// that fails leaves the schema as it was. Refuses a database of a newer program.
Error ensureSchema(Connection& connection, const SchemaSteps& steps = schemaSteps());

} // namespace clinicdb
