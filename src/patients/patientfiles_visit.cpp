// A card's visit record: its fields, its texts and its results rows.
#include "patients/patientfiles.h"

#include "common/textutil.h"

namespace patients {

namespace {

using text::kCrLf;

// A record of fewer fields holds no results at all.
constexpr int kMinResultFields = 7;

// The line end a field closes with: CR LF, or LF alone in a file written elsewhere.
qsizetype lineEndSize(const QString& s) {
    return s.endsWith(kCrLf) ? 2 : s.endsWith(u'\n') ? 1 : 0;
}

QString withoutLineEnd(const QString& s) {
    return s.chopped(lineEndSize(s));
}

// A field's own line end, CR LF for a field that had none.
QString lineEndOf(const QString& s) {
    return lineEndSize(s) == 1 ? QStringLiteral("\n") : kCrLf;
}

void appendRow(QString& out, const session::ResultsMatrix& m, int row) {
    for (int c = 0; c < session::kResultColumns; ++c) {
        out += m.cell(row, c);
        out += kCellEnd;
    }
    out += kCrLf;
}

// A row as read with the cells the matrix changes replaced; a row without its 28 commas
// gets them, and CR LF after them.
QString mergedRow(const QString& row, const session::ResultsMatrix& was, const session::ResultsMatrix& now,
                  int r) {
    QStringList cells = text::split(row, QString(kCellEnd));
    bool changed = false;
    for (int c = 0; c < session::kResultColumns; ++c)
        changed = changed || now.cell(r, c) != was.cell(r, c);
    if (!changed)
        return row;
    if (cells.size() <= session::kResultColumns) {
        while (cells.size() < session::kResultColumns)
            cells.append(QString());
        cells.append(kCrLf);
    }
    for (int c = 0; c < session::kResultColumns; ++c)
        if (now.cell(r, c) != was.cell(r, c))
            cells[c] = now.cell(r, c);
    return cells.join(kCellEnd);
}

// The piece after `from` up to the next separator (or the end); `from` moves past it, to
// beyond the end after the last piece.
QStringView nextPiece(QStringView s, qsizetype& from, char16_t separator) {
    const qsizetype end = s.indexOf(QChar(separator), from);
    const qsizetype stop = end < 0 ? s.size() : end;
    const QStringView piece = s.mid(from, stop - from);
    from = end < 0 ? s.size() + 1 : end + 1;
    return piece;
}

} // namespace

QStringList visitFields(const QString& record) {
    return text::split(record, QString(kVisitField));
}

QString fieldText(const QStringList& fields, int field) {
    return withoutLineEnd(text::piece(fields, field));
}

QString blankVisit(const QString& date) {
    static const QString rows = [] {
        QString row = QString(session::kResultColumns, kCellEnd) + kCrLf + kVisitField;
        return row.repeated(session::kResultRows) + kCrLf;
    }();
    return date + kCrLf + kVisitField + QString(kCrLf + kVisitField).repeated(3) + rows;
}

QString withTexts(const QString& record, const QString& complaints, const QString& diagnosis,
                  const QString& prescription) {
    const QStringList f = visitFields(record);
    QString out = text::piece(f, 0);
    const QString texts[3] = {complaints, diagnosis, prescription};
    for (int k = 1; k <= 3; ++k) {
        const QString was = text::piece(f, k);
        const QString now = text::trim(texts[k - 1]);
        // A text ending in CR takes CR LF, or LF alone would read back as a line end with it.
        const QString end = now.endsWith(u'\r') ? kCrLf : lineEndOf(was);
        out += kVisitField + (k < f.size() && now == withoutLineEnd(was) ? was : now + end);
    }
    for (qsizetype k = kFirstRowField; k < f.size(); ++k)
        out += kVisitField + f[k];
    return out;
}

QString withResults(const QString& record, const session::ResultsMatrix& results) {
    QStringList f = visitFields(record);
    if (f.size() == kVisitFields) {
        const session::ResultsMatrix was = resultsOf(record);
        for (int r = 0; r < session::kResultRows; ++r)
            f[kFirstRowField + r] = mergedRow(f[kFirstRowField + r], was, results, r);
        return f.join(kVisitField);
    }
    QString out;
    out.reserve(4096);
    for (int k = 0; k < kFirstRowField; ++k)
        out += text::piece(f, k) + kVisitField;
    for (int r = 0; r < session::kResultRows; ++r) {
        appendRow(out, results, r);
        out += kVisitField;
    }
    return out + kCrLf;
}

session::ResultsMatrix resultsOf(const QString& record) {
    session::ResultsMatrix m;
    RecordCells cells(record);
    for (int r = 0; r < session::kResultRows; ++r) {
        const RecordCells::Row row = cells.row(r);
        for (int c = 0; c < session::usedColumns(r); ++c)
            m.cell(r, c) = row[size_t(c)].toString();
    }
    return m;
}

RecordCells::RecordCells(QStringView record) : m_record(record) {
    if (record.count(kVisitField) + 1 < kMinResultFields)
        return;
    m_at = 0;
    for (int f = 0; f < kFirstRowField; ++f)
        nextPiece(m_record, m_at, kVisitField);
}

RecordCells::Row RecordCells::row(int row) {
    Row out{};
    if (m_at < 0 || row < m_row || row >= session::kResultRows)
        return out;
    for (; m_row < row && m_at <= m_record.size(); ++m_row)
        nextPiece(m_record, m_at, kVisitField);
    if (m_at > m_record.size())
        return out;
    const QStringView text = nextPiece(m_record, m_at, kVisitField);
    ++m_row;
    qsizetype at = 0;
    for (int c = 0; c < session::usedColumns(row) && at <= text.size(); ++c)
        out[size_t(c)] = nextPiece(text, at, kCellEnd);
    return out;
}

} // namespace patients
