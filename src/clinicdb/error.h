#pragma once
// What an operation on the clinic's database answers: nothing, or why it was refused or
// failed, in Russian for the window to show.
#include <QString>

namespace clinicdb {

enum class Fault {
    None,
    BadText,   // a separator or a character Windows-1251 cannot hold
    OnlyVisit, // the visit to delete is the patient's only one
    Changed,   // the row changed or went since it was read: nothing written
    Lost,      // no connection to the server; the transaction rolled back
    Timeout,   // the server did not answer in time, or a row stayed locked
    Server,    // the server refused the statement
    Setup,     // the connection string, the driver or the schema
    NotEmpty,  // an import into a database that already holds patients
    Folder,    // a legacy folder that cannot be read or written
};

struct Error {
    Fault fault = Fault::None;
    QString message;
    explicit operator bool() const { return fault != Fault::None; }
};

} // namespace clinicdb
