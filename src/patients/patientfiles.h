#pragma once
// The patient index "Database\client.crd" and the card files "Database\c N.dat" as
// bytes. Whatever is not changed is written back as it was read, the tail after the last
// separator and each line's own line end included: older workstations wrote LF-only
// files, and a card cut short by a crash keeps its last visit in that tail.
#include "common/session.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace patients {

inline const QString kIndexFile = QStringLiteral("Database\\client.crd");
inline const QString kFolder = QStringLiteral("Database");
constexpr int kMaxCard = 32767;

// The separators of both files, named here only. Nothing in the files is escaped, so the
// checks keep them out of what is stored. All are ASCII: a byte of their own in the code
// page, so bytes split as the text does.
constexpr char16_t kRecordEnd = u'*';  // index: after the counter line and after each record
constexpr char16_t kFieldEnd = u'|';   // index record: after each field
constexpr char16_t kDateEnd = u' ';    // index record's dates: after each date
constexpr char16_t kVisitEnd = u'@';   // card: after each visit record
constexpr char16_t kVisitField = u'>'; // visit record: between its fields
constexpr char16_t kCellEnd = u',';    // results row: after each cell
// A visit record: the date, the complaints, the diagnosis and the prescription, a field
// per results row, and the line end before its "@".
constexpr int kFirstRowField = 4;
constexpr int kVisitFields = kFirstRowField + session::kResultRows + 1;

// One patient: the record's text split at "|". The record keeps its text as read and
// finds its fields in it, so a large index costs one string per patient.
class IndexRecord {
  public:
    QString name() const { return field(0); }
    // The name without a copy, for comparing a long list.
    QStringView nameView() const { return QStringView(m_text).mid(m_start[0], m_end[0] - m_start[0]); }
    QString year() const { return field(1); }
    QString dates() const { return field(2); }
    QString cardFile() const { return field(3); }
    QStringView cardFileView() const { return QStringView(m_text).mid(m_start[3], m_end[3] - m_start[3]); }
    // The dates field split at " ": one piece per date and the empty last piece.
    QStringList dateLines() const;
    // Date texts only, without the empty last piece.
    int dateCount() const;
    // The record as read, or rebuilt from its fields when made here.
    const QString& text() const { return m_text; }

    static IndexRecord parse(QString piece);
    // The record with another dates field, every other byte as it was.
    IndexRecord withDates(const QString& dates) const;
    static IndexRecord make(const QString& name, const QString& year, const QString& dates,
                            const QString& cardFile);

  private:
    QString field(int k) const;
    static constexpr int kIndexFields = 5;
    QString m_text;
    std::array<qsizetype, kIndexFields> m_start{};
    std::array<qsizetype, kIndexFields> m_end{};
};

struct Index {
    QString counterLine = QStringLiteral("0\r\n");
    QList<IndexRecord> records;
    // After the last "*": not a record, written back as read.
    QString tail{};

    // The counter, or nothing when its line holds no number. Blanks, tabs and leading zeros
    // around it do not count; any number past 32767 gives 32768: the numbers are used up.
    std::optional<int> counter() const;
    // The counter line with another number and its own line end.
    void setCounter(int number);
    // Nothing when the bytes hold no "*" at all: such a file is not an index.
    static std::optional<Index> parse(const QByteArray& bytes);
    QByteArray serialise() const;
    // The record at `position` found by the separators in the bytes and decoded alone;
    // nothing when the bytes hold no such record.
    static std::optional<IndexRecord> recordAt(const QByteArray& bytes, qsizetype position);
    // Whether parsing the bytes would give this index (the tail aside), without decoding them.
    bool isParseOf(const QByteArray& bytes) const;
    // "0" CR LF "*": the index made when none exists.
    static QByteArray emptyBytes() { return QByteArrayLiteral("0\r\n*"); }
};

// A card: its visit records, newest first, each without its "@", and what follows the
// last "@".
struct Card {
    QStringList visits;
    QString tail{};

    static Card parse(const QByteArray& bytes);
    QByteArray serialise() const;
    // The tail holds a visit whose "@" was never written (an older program stopped
    // mid-write), not only line ends.
    bool cut() const;
    // One date per visit the index lists: the complete records', then the cut one's. Records
    // at the end with an empty date (a save into the empty last date line of an older
    // program) are kept but not listed.
    QStringList dates() const;
    // Visit i of dates(): a complete record, or the cut tail.
    const QString& record(qsizetype i) const { return i < visits.size() ? visits[i] : tail; }
    QString& record(qsizetype i) { return i < visits.size() ? visits[i] : tail; }
    void removeVisit(qsizetype i);
};

// How a card's dates stand to its index record's dates. A change writes the card, then the
// index: a card one visit ahead (added in front, or one removed) is a change cut between
// the two, finished by giving the index the card's dates.
enum class Agreement { Same, CardAhead, Apart };
Agreement agreement(const QStringList& indexDates, const QStringList& cardDates);

// The fields of one visit record split at ">", each with its own line end.
QStringList visitFields(const QString& record);
// A text field without the line end (CR LF, or LF alone) that ends it.
QString fieldText(const QStringList& fields, int field);
QString visitDate(const QString& record);
QString blankVisit(const QString& date);
// The record with its texts replaced (trimmed of blanks), date and rows unchanged; a text
// that stays as it was keeps its bytes and line end.
QString withTexts(const QString& record, const QString& complaints, const QString& diagnosis,
                  const QString& prescription);
// The record with its 25 rows taken from the matrix, date and texts unchanged. In a record
// of 30 fields only the cells the matrix changes are rewritten; the others, a legacy row's
// odd cells and each row's own line end stay as read. A shorter record gets all 25 rows.
QString withResults(const QString& record, const session::ResultsMatrix& results);
// Rows 0..20 whole, rows 21..24 from cell 0 only; fewer than 7 fields: empty.
session::ResultsMatrix resultsOf(const QString& record);

// The one reader of a visit record's results: the cells resultsOf() gives, found in place
// as views into the record, without splitting it. Rows are read in order; a row asked for
// after a later one is not found again.
class RecordCells {
  public:
    using Row = std::array<QStringView, session::kResultColumns>;
    explicit RecordCells(QStringView record);
    // Row `row`'s cells, session::usedColumns(row) of them; those the record lacks are empty.
    Row row(int row);

  private:
    QStringView m_record;
    qsizetype m_at = -1; // where row m_row starts; -1: the record holds no rows
    int m_row = 0;
};

// The index record's dates field for these dates: each with one blank after it.
inline QString datesField(const QStringList& dates) {
    return dates.isEmpty() ? QString() : dates.join(kDateEnd) + kDateEnd;
}

// Day.month.year in digits, whatever the locale: never a blank, "*", "|", ">" or "@".
QString dateText(const QDate& date);
// "c" + number with its sign blank + ".dat".
QString cardFileName(int number);
// The number of a card file name "c N.dat" with N from 1 to 32767, or nothing.
std::optional<int> cardNumber(const QString& name);

} // namespace patients
