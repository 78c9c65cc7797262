#pragma once
// The patient index "Database\client.crd" and the card files "Database\c N.dat" as
// bytes. Unchanged records are kept as read and written back as they were; only the
// tail after the last separator is dropped, as every reader ignores it.
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
constexpr int kVisitFields = 30;
constexpr int kFirstRowField = 4;

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
    // The dates field split at " ": one piece per date and the empty last piece.
    QStringList dateLines() const;
    // Date texts only, without the empty last piece.
    int dateCount() const;
    // The record as read, or rebuilt from its fields when made here.
    const QString& text() const { return m_text; }

    static IndexRecord parse(QString piece);
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

    // The counter, or nothing when its line is not a number from 0 to 32767.
    std::optional<int> counter() const;
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

// A card: its visit records, newest first, each without its "@".
struct Card {
    QStringList visits;

    static Card parse(const QByteArray& bytes);
    QByteArray serialise() const;
};

// The fields of one visit record split at ">", each with its own line end.
QStringList visitFields(const QString& record);
// A text field without the CR LF that ends it.
QString fieldText(const QStringList& fields, int field);
QString visitDate(const QString& record);
QString blankVisit(const QString& date);
// The record with its texts replaced (trimmed of blanks), date and rows unchanged.
QString withTexts(const QString& record, const QString& complaints, const QString& diagnosis,
                  const QString& prescription);
// The record with its 25 rows replaced by the matrix, date and texts unchanged.
QString withResults(const QString& record, const session::ResultsMatrix& results);
// Rows 0..20 whole, rows 21..24 from cell 0 only; fewer than 7 fields: empty.
session::ResultsMatrix resultsOf(const QString& record);

// Day.month.year in digits, whatever the locale: never a blank, "*", "|", ">" or "@".
QString dateText(const QDate& date);
// "c" + number with its sign blank + ".dat".
QString cardFileName(int number);
// The number of a card file name "c N.dat" with N from 1 to 32767, or nothing.
std::optional<int> cardNumber(const QString& name);

} // namespace patients
