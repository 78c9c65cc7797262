#include "patients/patientfiles.h"

#include "common/text1251.h"
#include "common/textutil.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace patients {

namespace {

using text::kCrLf;

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

} // namespace

QString IndexRecord::field(int k) const {
    return m_text.mid(m_start[k], m_end[k] - m_start[k]);
}

QStringList IndexRecord::dateLines() const {
    return text::split(dates(), QString(kDateEnd));
}

int IndexRecord::dateCount() const {
    return int(QStringView(m_text).mid(m_start[2], m_end[2] - m_start[2]).count(kDateEnd));
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
        const qsizetype bar = r.m_text.indexOf(kFieldEnd, at);
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
    // A database's whole list is made here on every load: one allocation, no search.
    IndexRecord r;
    r.m_text.reserve(name.size() + year.size() + dates.size() + cardFile.size() + 6);
    const QString* fields[] = {&name, &year, &dates, &cardFile};
    for (int k = 0; k < 4; ++k) {
        r.m_start[size_t(k)] = r.m_text.size();
        r.m_text += *fields[k];
        r.m_end[size_t(k)] = r.m_text.size();
        r.m_text += kFieldEnd;
    }
    r.m_start[4] = r.m_text.size();
    r.m_text += kCrLf;
    r.m_end[4] = r.m_text.size();
    return r;
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
    qsizetype star = text.indexOf(kRecordEnd);
    if (star < 0)
        return std::nullopt;
    Index ix;
    ix.counterLine = text.left(star);
    ix.records.reserve(text.count(kRecordEnd));
    for (qsizetype next; (next = text.indexOf(kRecordEnd, star + 1)) >= 0; star = next)
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
    out += kRecordEnd;
    for (const IndexRecord& r : records) {
        out += r.text();
        out += kRecordEnd;
    }
    out += tail;
    return cp1251::encode(out);
}

std::optional<IndexRecord> Index::recordAt(const QByteArray& bytes, qsizetype position) {
    if (position < 0)
        return std::nullopt;
    qsizetype star = bytes.indexOf(char(kRecordEnd));
    for (qsizetype k = 0; star >= 0 && k < position; ++k)
        star = bytes.indexOf(char(kRecordEnd), star + 1);
    const qsizetype next = star < 0 ? -1 : bytes.indexOf(char(kRecordEnd), star + 1);
    if (next < 0)
        return std::nullopt;
    return IndexRecord::parse(cp1251::decode(bytes.mid(star + 1, next - star - 1)));
}

bool Index::isParseOf(const QByteArray& bytes) const {
    qsizetype at = 0;
    const auto piece = [&](QStringView text) {
        const qsizetype star = bytes.indexOf(char(kRecordEnd), at);
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
    return bytes.indexOf(char(kRecordEnd), at) < 0; // only the tail is left
}

Card Card::parse(const QByteArray& bytes) {
    Card c;
    c.visits = text::split(cp1251::decode(bytes), QString(kVisitEnd));
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
        out += kVisitEnd;
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

QString visitDate(const QString& record) {
    const qsizetype end = firstLineEnd(record);
    const qsizetype gt = record.indexOf(kVisitField);
    return record.left(end >= 0 && (gt < 0 || end < gt) ? end : gt);
}

QString dateText(const QDate& date) {
    return QString::asprintf("%02d.%02d.%04d", date.day(), date.month(), date.year());
}

QString cardFileName(int number) {
    // Made for every patient of a database's list: no formatting machinery.
    char name[24];
    const int n = std::snprintf(name, sizeof name, number >= 0 ? "c %d.dat" : "c%d.dat", number);
    return QString::fromLatin1(name, n);
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
