#include "patients/patientfiles.h"

#include "common/text1251.h"
#include "common/textutil.h"

#include <array>

namespace patients {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString withoutCrLf(const QString& s) {
    return s.endsWith(kCrLf) ? s.chopped(2) : s;
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

IndexRecord IndexRecord::make(const QString& name, const QString& year, const QString& dates,
                              const QString& cardFile) {
    return parse(name + u'|' + year + u'|' + dates + u'|' + cardFile + u'|' + kCrLf);
}

std::optional<int> Index::counter() const {
    const qsizetype cr = counterLine.indexOf(u'\r');
    QString t = cr < 0 ? counterLine : counterLine.left(cr);
    t = text::trim(t);
    if (t.isEmpty() || t.size() > 5)
        return std::nullopt;
    for (QChar c : t)
        if (c < u'0' || c > u'9')
            return std::nullopt;
    const int n = t.toInt();
    if (n > kMaxCard)
        return std::nullopt;
    return n;
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
    return ix;
}

QByteArray Index::serialise() const {
    qsizetype size = counterLine.size() + 1;
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
    c.visits.removeLast(); // the tail
    return c;
}

QByteArray Card::serialise() const {
    qsizetype size = 0;
    for (const QString& v : visits)
        size += v.size() + 1;
    QString out;
    out.reserve(size);
    for (const QString& v : visits) {
        out += v;
        out += u'@';
    }
    return cp1251::encode(out);
}

QStringList visitFields(const QString& record) {
    return text::split(record, QStringLiteral(">"));
}

QString fieldText(const QStringList& fields, int field) {
    return withoutCrLf(text::piece(fields, field));
}

QString visitDate(const QString& record) {
    const qsizetype gt = record.indexOf(u'>');
    return withoutCrLf(gt < 0 ? record : record.left(gt));
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
    for (const QString& t : {complaints, diagnosis, prescription})
        out += u'>' + text::trim(t) + kCrLf;
    for (qsizetype k = kFirstRowField; k < f.size(); ++k)
        out += u'>' + f[k];
    return out;
}

QString withResults(const QString& record, const session::ResultsMatrix& results) {
    const QStringList f = visitFields(record);
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
