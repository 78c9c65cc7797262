#include "patients/patientfiles.h"

#include "common/text1251.h"
#include "common/textutil.h"

#include <algorithm>
#include <array>

namespace patients {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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

qsizetype firstLineEnd(const QString& s) {
    for (qsizetype k = 0; k < s.size(); ++k)
        if (s[k] == u'\r' || s[k] == u'\n')
            return k;
    return -1;
}

bool isBlank(QChar c) {
    return c == u'\r' || c == u'\n' || c == u' ' || c == u'\t' || c == QChar(0x1A);
}

// The code page as a flat table, taken from the one codec, for comparing without decoding.
const std::array<char16_t, 256>& charOfByte() {
    static const std::array<char16_t, 256> table = [] {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QString chars = cp1251::decode(all);
        std::array<char16_t, 256> t{};
        for (int b = 0; b < 256; ++b)
            t[b] = chars[b].unicode();
        return t;
    }();
    return table;
}

bool sameText(QByteArrayView bytes, QStringView text) {
    if (bytes.size() != text.size())
        return false;
    const auto& table = charOfByte();
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const char16_t* t = text.utf16();
    const qsizetype n = bytes.size();
    constexpr int kBlock = 16;
    qsizetype k = 0;
    // Digits, dots and blanks make most of an index: a block below 0x80 is its own text and
    // goes without the table.
    for (; k + kBlock <= n; k += kBlock) {
        unsigned high = 0;
        unsigned diff = 0;
        for (int j = 0; j < kBlock; ++j) {
            high |= b[k + j];
            diff |= unsigned(b[k + j]) ^ t[k + j];
        }
        if (high >= 0x80) {
            diff = 0;
            for (int j = 0; j < kBlock; ++j)
                diff |= unsigned(table[b[k + j]]) ^ t[k + j];
        }
        if (diff != 0)
            return false;
    }
    for (; k < n; ++k)
        if (table[b[k]] != t[k])
            return false;
    return true;
}

void appendRow(QString& out, const session::ResultsMatrix& m, int row) {
    for (int c = 0; c < session::kResultColumns; ++c) {
        out += m.cell(row, c);
        out += u',';
    }
    out += kCrLf;
}

// A row as read with the cells the matrix changes replaced; a row without its 28 commas
// gets them, and CR LF after them.
QString mergedRow(const QString& row, const session::ResultsMatrix& was, const session::ResultsMatrix& now,
                  int r) {
    QStringList cells = text::split(row, QStringLiteral(","));
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
    return cells.join(u',');
}

} // namespace

QString IndexRecord::field(int k) const {
    return m_text.mid(m_start[k], m_end[k] - m_start[k]);
}

QStringList IndexRecord::dateLines() const {
    return text::split(dates(), QStringLiteral(" "));
}

int IndexRecord::dateCount() const {
    return int(QStringView(m_text).mid(m_start[2], m_end[2] - m_start[2]).count(u' '));
}

IndexRecord IndexRecord::parse(QString piece) {
    IndexRecord r;
    r.m_text = std::move(piece);
    const qsizetype size = r.m_text.size();
    qsizetype at = 0;
    for (int k = 0; k < kIndexFields; ++k) {
        if (at > size) { // fewer fields: the missing ones are empty
            r.m_start[k] = r.m_end[k] = size;
            continue;
        }
        const qsizetype bar = r.m_text.indexOf(u'|', at);
        r.m_start[k] = at;
        r.m_end[k] = bar < 0 ? size : bar;
        at = bar < 0 ? size + 1 : bar + 1;
    }
    return r;
}

IndexRecord IndexRecord::withDates(const QString& dates) const {
    return parse(m_text.left(m_start[2]) + dates + m_text.mid(m_end[2]));
}

IndexRecord IndexRecord::make(const QString& name, const QString& year, const QString& dates,
                              const QString& cardFile) {
    return parse(name + u'|' + year + u'|' + dates + u'|' + cardFile + u'|' + kCrLf);
}

std::optional<int> Index::counter() const {
    const qsizetype end = firstLineEnd(counterLine);
    QStringView t = QStringView(counterLine).left(end < 0 ? counterLine.size() : end);
    while (!t.isEmpty() && (t.front() == u' ' || t.front() == u'\t'))
        t = t.sliced(1);
    while (!t.isEmpty() && (t.back() == u' ' || t.back() == u'\t'))
        t.chop(1);
    if (t.isEmpty())
        return std::nullopt;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    while (t.size() > 1 && t.front() == u'0')
        t = t.sliced(1);
    // Any number past 32767 says the same: the numbers are used up.
    return t.size() > 5 ? kMaxCard + 1 : std::min(t.toInt(), kMaxCard + 1);
}

void Index::setCounter(int number) {
    const qsizetype end = firstLineEnd(counterLine);
    counterLine = text::signNumber(number) + (end < 0 ? kCrLf : counterLine.mid(end));
}

std::optional<Index> Index::parse(const QByteArray& bytes) {
    const QString text = cp1251::decode(bytes);
    qsizetype star = text.indexOf(u'*');
    if (star < 0)
        return std::nullopt;
    Index ix;
    ix.counterLine = text.left(star);
    ix.records.reserve(text.count(u'*'));
    for (qsizetype next; (next = text.indexOf(u'*', star + 1)) >= 0; star = next)
        ix.records.append(IndexRecord::parse(text.mid(star + 1, next - star - 1)));
    ix.tail = text.mid(star + 1);
    return ix;
}

QByteArray Index::serialise() const {
    qsizetype size = counterLine.size() + 1 + tail.size();
    for (const IndexRecord& r : records)
        size += r.text().size() + 1;
    QString out;
    out.reserve(size);
    out += counterLine;
    out += u'*';
    for (const IndexRecord& r : records) {
        out += r.text();
        out += u'*';
    }
    out += tail;
    return cp1251::encode(out);
}

std::optional<IndexRecord> Index::recordAt(const QByteArray& bytes, qsizetype position) {
    if (position < 0)
        return std::nullopt;
    // The code page puts "*" in one byte of its own, so the bytes split as the text does.
    qsizetype star = bytes.indexOf('*');
    for (qsizetype k = 0; star >= 0 && k < position; ++k)
        star = bytes.indexOf('*', star + 1);
    const qsizetype next = star < 0 ? -1 : bytes.indexOf('*', star + 1);
    if (next < 0)
        return std::nullopt;
    return IndexRecord::parse(cp1251::decode(bytes.mid(star + 1, next - star - 1)));
}

bool Index::isParseOf(const QByteArray& bytes) const {
    qsizetype at = 0;
    const auto piece = [&](QStringView text) {
        const qsizetype star = bytes.indexOf('*', at);
        if (star < 0 || !sameText(QByteArrayView(bytes).sliced(at, star - at), text))
            return false;
        at = star + 1;
        return true;
    };
    if (!piece(counterLine))
        return false;
    for (const IndexRecord& r : records)
        if (!piece(r.text()))
            return false;
    return bytes.indexOf('*', at) < 0; // only the tail is left
}

Card Card::parse(const QByteArray& bytes) {
    Card c;
    c.visits = text::split(cp1251::decode(bytes), QStringLiteral("@"));
    c.tail = c.visits.takeLast();
    return c;
}

QByteArray Card::serialise() const {
    qsizetype size = tail.size();
    for (const QString& v : visits)
        size += v.size() + 1;
    QString out;
    out.reserve(size);
    for (const QString& v : visits) {
        out += v;
        out += u'@';
    }
    out += tail;
    return cp1251::encode(out);
}

bool Card::cut() const {
    return !std::all_of(tail.cbegin(), tail.cend(), isBlank);
}

QStringList Card::dates() const {
    QStringList d;
    d.reserve(visits.size() + 1);
    for (const QString& v : visits)
        d << visitDate(v);
    if (cut())
        return d << visitDate(tail);
    while (!d.isEmpty() && d.last().isEmpty())
        d.removeLast();
    return d;
}

void Card::removeVisit(qsizetype i) {
    if (i < visits.size())
        visits.removeAt(i);
    else
        tail.clear();
}

Agreement agreement(const QStringList& indexDates, const QStringList& cardDates) {
    if (cardDates == indexDates)
        return Agreement::Same;
    if (cardDates.size() == indexDates.size() + 1 && cardDates.mid(1) == indexDates)
        return Agreement::CardAhead;
    if (cardDates.size() + 1 == indexDates.size())
        for (qsizetype i = 0; i < indexDates.size(); ++i)
            if (indexDates.mid(0, i) + indexDates.mid(i + 1) == cardDates)
                return Agreement::CardAhead;
    return Agreement::Apart;
}

QStringList visitFields(const QString& record) {
    return text::split(record, QStringLiteral(">"));
}

QString fieldText(const QStringList& fields, int field) {
    return withoutLineEnd(text::piece(fields, field));
}

QString visitDate(const QString& record) {
    const qsizetype end = firstLineEnd(record);
    const qsizetype gt = record.indexOf(u'>');
    return record.left(end >= 0 && (gt < 0 || end < gt) ? end : gt);
}

QString blankVisit(const QString& date) {
    static const QString rows = [] {
        QString row = QString(session::kResultColumns, u',') + kCrLf + u'>';
        return row.repeated(session::kResultRows) + kCrLf;
    }();
    return date + kCrLf + u'>' + QString(kCrLf + u'>').repeated(3) + rows;
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
        out += u'>' + (k < f.size() && now == withoutLineEnd(was) ? was : now + end);
    }
    for (qsizetype k = kFirstRowField; k < f.size(); ++k)
        out += u'>' + f[k];
    return out;
}

QString withResults(const QString& record, const session::ResultsMatrix& results) {
    QStringList f = visitFields(record);
    if (f.size() == kVisitFields) {
        const session::ResultsMatrix was = resultsOf(record);
        for (int r = 0; r < session::kResultRows; ++r)
            f[kFirstRowField + r] = mergedRow(f[kFirstRowField + r], was, results, r);
        return f.join(u'>');
    }
    QString out;
    out.reserve(4096);
    for (int k = 0; k < kFirstRowField; ++k)
        out += text::piece(f, k) + u'>';
    for (int r = 0; r < session::kResultRows; ++r) {
        appendRow(out, results, r);
        out += u'>';
    }
    return out + kCrLf;
}

session::ResultsMatrix resultsOf(const QString& record) {
    session::ResultsMatrix m;
    const QStringList f = visitFields(record);
    if (f.size() < 7)
        return m;
    constexpr int kMeridianRows = 21;
    for (int r = 0; r < session::kResultRows; ++r) {
        const QStringList cells = text::split(text::piece(f, r + kFirstRowField), QStringLiteral(","));
        const int used = r < kMeridianRows ? session::kResultColumns : 1;
        for (int c = 0; c < used; ++c)
            m.cell(r, c) = text::piece(cells, c);
    }
    return m;
}

QString dateText(const QDate& date) {
    return QString::asprintf("%02d.%02d.%04d", date.day(), date.month(), date.year());
}

QString cardFileName(int number) {
    return u'c' + text::signNumber(number) + QStringLiteral(".dat");
}

std::optional<int> cardNumber(const QString& name) {
    if (!name.startsWith(QStringLiteral("c ")) || !name.endsWith(QStringLiteral(".dat")))
        return std::nullopt;
    const QString digits = name.mid(2, name.size() - 6);
    if (digits.isEmpty() || digits.size() > 5 || digits.startsWith(u'0'))
        return std::nullopt;
    for (QChar c : digits)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int n = digits.toInt();
    if (n < 1 || n > kMaxCard)
        return std::nullopt;
    return n;
}

} // namespace patients
