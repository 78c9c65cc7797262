// A card file "c N.dat" as any bytes, then a visit's texts and results as the card window
// and "Сохранить" would write them. The card is written back byte for byte, the tail after
// its last "@" included; rewriting a visit's texts keeps its date and results, rewriting its
// results keeps its date and texts; what the checks let through reads back as written.
#include "common/text1251.h"
#include "common/textutil.h"
#include "fuzzcheck.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

namespace {

using namespace patients;

QStringList texts(const QString& record) {
    const QStringList f = visitFields(record);
    return {fieldText(f, 1), fieldText(f, 2), fieldText(f, 3)};
}

void checkCells(const session::ResultsMatrix& m) {
    for (int r = 0; r < session::kResultRows; ++r)
        for (int c = 0; c < session::kResultColumns; ++c)
            if (const auto result = session::parseResult(m.cell(r, c))) {
                const auto again = session::parseResult(session::resultText(result->max, result->drop));
                FUZZ_CHECK(again && again->max == result->max && again->drop == result->drop, m.cell(r, c));
            }
}

// Each visit as read: its results and texts survive rewriting the other half.
void checkVisit(const QString& record) {
    const QString date = visitDate(record);
    const session::ResultsMatrix results = resultsOf(record);
    checkCells(results);
    const QStringList t = texts(record);

    const QString rewritten = withResults(record, results);
    FUZZ_CHECK(visitDate(rewritten) == date && texts(rewritten) == t, record.left(200));
    if (visitFields(record).size() >= 7 || !results.isEmpty())
        FUZZ_CHECK(resultsOf(rewritten) == results, record.left(200));

    const QString retexted = withTexts(record, t[0], t[1], t[2]);
    FUZZ_CHECK(visitDate(retexted) == date && resultsOf(retexted) == results, record.left(200));
    FUZZ_CHECK(texts(retexted) == QStringList({text::trim(t[0]), text::trim(t[1]), text::trim(t[2])}),
               record.left(200));
}

// From the bytes after the last NUL: a date, three texts and result cells, one per line.
void checkSave(const Card& card, const QByteArray& edit) {
    const QStringList lines = QString::fromUtf8(edit).split(u'\n');
    const QString date = lines.value(0);
    const QStringList t = {lines.value(1), lines.value(2), lines.value(3)};
    session::ResultsMatrix m;
    for (qsizetype k = 4; k < lines.size(); ++k) {
        const int cell = int(k - 4) * 37 % (21 * session::kResultColumns + 4);
        const int row = cell < 21 * session::kResultColumns ? cell / session::kResultColumns : 21 + cell % 4;
        m.cell(row, row < 21 ? cell % session::kResultColumns : 0) = lines[k];
    }
    if (date.contains(u'>') || date.contains(u'@') || date.contains(u'\r') || date.contains(u'\n') ||
        cp1251::firstUnencodable(date) >= 0 || checkResults(m))
        return;
    for (const QString& one : t)
        if (checkCardText(one, QStringLiteral("Жалобы")))
            return;

    const QString visit = withResults(withTexts(blankVisit(date), t[0], t[1], t[2]), m);
    Card saved = card;
    saved.visits.prepend(visit);
    const Card back = Card::parse(saved.serialise());
    FUZZ_CHECK(back.visits.size() == saved.visits.size() && back.visits.first() == visit, date);
    FUZZ_CHECK(visitDate(visit) == date, date);
    FUZZ_CHECK(texts(visit) == QStringList({text::trim(t[0]), text::trim(t[1]), text::trim(t[2])}),
               t.join(u'|'));
    FUZZ_CHECK(resultsOf(visit) == m, edit.left(200));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.lastIndexOf('\0');
    const QByteArray bytes = nul < 0 ? input : input.left(nul);
    const Card card = Card::parse(bytes);
    FUZZ_CHECK(card.serialise() == bytes, QString::number(bytes.size()));
    for (const QString& record : card.visits)
        checkVisit(record);
    if (nul >= 0)
        checkSave(card, input.mid(nul + 1));
    return 0;
}
