#pragma once
// Writes a patient database as the older workstations left it: index and card files
// built byte by byte, texts with every Cyrillic letter and every byte 0x80..0xFF, some
// visits measured in full and some not, tails of line ends after the last separator.
#include <QString>

namespace patientgen {

struct Options {
    int patients = 10;
    int visits = 3;
    // One more patient, on top, with this many visits (0: none).
    int bigVisits = 0;
    unsigned seed = 1;
};

// Creates root/Database with client.crd and the card files; false when a file fails.
bool writeDatabase(const QString& root, const Options& options);

} // namespace patientgen
