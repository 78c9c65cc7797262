// "Database\client.crd" as any bytes, then a new patient as the card window would add one.
// The index is written back byte for byte, the tail after its last "*" included; every
// record's fields come back the same when the record is made again from them; a card file
// name that is taken as one is the name written for its number; a new patient the checks
// let through is found again with every other record untouched.
#include "common/text1251.h"
#include "fuzzcheck.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

namespace {

using patients::Index;
using patients::IndexRecord;

QString fields(const IndexRecord& r) {
    return r.name() + u'|' + r.year() + u'|' + r.dates() + u'|' + r.cardFile();
}

void checkRecord(const IndexRecord& r) {
    for (const QString& f : {r.name(), r.year(), r.dates(), r.cardFile()})
        FUZZ_CHECK(!f.contains(u'|') && !f.contains(u'*'), r.text().left(200));
    FUZZ_CHECK(r.dateCount() == r.dateLines().size() - 1, r.dates().left(200));
    // A record cut short has fewer bars; its missing fields are empty.
    if (r.text().count(u'|') >= 3)
        FUZZ_CHECK(r.text().startsWith(fields(r)), r.text().left(200));
    else
        FUZZ_CHECK(r.cardFile().isEmpty() && r.text().startsWith(r.name()), r.text().left(200));
    const IndexRecord again = IndexRecord::make(r.name(), r.year(), r.dates(), r.cardFile());
    FUZZ_CHECK(fields(again) == fields(r), r.text().left(200));
    if (const auto n = patients::cardNumber(r.cardFile()))
        FUZZ_CHECK(*n >= 1 && *n <= patients::kMaxCard && patients::cardFileName(*n) == r.cardFile(),
                   r.cardFile());
}

// A name, a year and a card number from the bytes after the last NUL, added as a new record.
void checkAddition(const Index& ix, const QByteArray& edit) {
    const QList<QByteArray> parts = edit.split('\n');
    const QString name = QString::fromUtf8(parts.value(0));
    const QString year = QString::fromUtf8(parts.value(1));
    const int number = 1 + parts.value(2).size() * 131 % patients::kMaxCard;
    if (patients::checkIndexText(name, QStringLiteral("Ф.И.О.")) ||
        patients::checkIndexText(year, QStringLiteral("Год рождения")))
        return;
    Index grown = ix;
    grown.records.append(IndexRecord::make(name, year, QString(), patients::cardFileName(number)));
    const auto back = Index::parse(grown.serialise());
    FUZZ_CHECK(back && back->records.size() == grown.records.size(), name);
    const IndexRecord& added = back->records.last();
    FUZZ_CHECK(added.name() == name && added.year() == year &&
                   patients::cardNumber(added.cardFile()) == number,
               name + u'|' + year);
    for (qsizetype k = 0; k + 1 < grown.records.size(); ++k)
        FUZZ_CHECK(back->records[k].text() == ix.records[k].text(), QString::number(k));
    FUZZ_CHECK(back->counterLine == ix.counterLine, ix.counterLine.left(80));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.lastIndexOf('\0');
    const QByteArray bytes = nul < 0 ? input : input.left(nul);
    const auto ix = Index::parse(bytes);
    const qsizetype lastStar = bytes.lastIndexOf('*');
    FUZZ_CHECK(ix.has_value() == (lastStar >= 0), QString());
    if (!ix)
        return 0;
    FUZZ_CHECK(ix->serialise() == bytes, QString::number(bytes.size()));
    if (const auto counter = ix->counter())
        FUZZ_CHECK(*counter >= 0 && *counter <= patients::kMaxCard + 1, QString::number(*counter));
    for (const IndexRecord& r : ix->records)
        checkRecord(r);
    if (nul >= 0)
        checkAddition(*ix, input.mid(nul + 1));
    return 0;
}
