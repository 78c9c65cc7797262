// "Database\medicam.nam" as any bytes, then an addition and a deletion the editor allows.
// An unedited file is written back byte for byte; what is written reads back as the same
// document; a name the editor accepts is found again where it was added and is gone again
// after its deletion; every meridian and point of the catalogue is there.
#include "catalogue/catalogue.h"
#include "common/text1251.h"
#include "fuzzcheck.h"
#include "medications/medicamdb.h"

namespace {

using medicam::Database;

// Written, read back: the same document and the same bytes written again.
void checkRoundTrip(const Database& db) {
    const QByteArray written = db.serialise();
    const Database back = Database::parse(written);
    FUZZ_CHECK(back.meridians() == db.meridians(), QString::fromLatin1(written.left(200)));
    FUZZ_CHECK(back.serialise() == written, QString::number(written.size()));
}

void checkCatalogue(const Database& db) {
    FUZZ_CHECK(db.meridians().size() >= catalogue::kMeridianCount, QString::number(db.meridians().size()));
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        FUZZ_CHECK(db.pointNames(m).size() >= catalogue::pointCount(m), QString::number(m));
        for (int row = -1; row <= catalogue::kRows; ++row)
            db.medicationsOfRow(m, row);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The file, then after the last NUL (if any) the addition: meridian, point, typed name.
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.lastIndexOf('\0');
    const QByteArray file = nul < 0 ? input : input.left(nul);
    Database db = Database::parse(file);
    FUZZ_CHECK(!file.isEmpty() || !db.problem().isEmpty(), QString());
    checkCatalogue(db);
    FUZZ_CHECK(db.serialise() == file, QString::number(file.size()));
    checkRoundTrip(db);
    if (nul < 0)
        return 0;

    const QByteArray edit = input.mid(nul + 1);
    const int m = edit.size() > 0 ? quint8(edit[0]) % (catalogue::kMeridianCount + 2) - 1 : 0;
    const int p = edit.size() > 1 ? quint8(edit[1]) % 16 - 1 : 0;
    // Typed as UTF-8, as a keyboard gives it.
    const QString name = QString::fromUtf8(edit.mid(2));
    QString refusal;
    const qsizetype before = db.medications(m, p).size();
    if (db.add(m, p, name, &refusal)) {
        const QStringList after = db.medications(m, p);
        FUZZ_CHECK(after.size() == before + 1 && after.last() == medicam::acceptedName(name, nullptr), name);
        const Database back = Database::parse(db.serialise());
        FUZZ_CHECK(back.medications(m, p) == after, name);
        checkRoundTrip(db);
        FUZZ_CHECK(db.remove(m, p, int(before)) && db.medications(m, p) == after.mid(0, before), name);
        checkRoundTrip(db);
    } else {
        FUZZ_CHECK(!refusal.isEmpty() && !db.changed(), name);
    }
    return 0;
}
