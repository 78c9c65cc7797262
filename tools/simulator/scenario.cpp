#include "scenario.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr int kOff = 70;

bool parseMs(const QString& word, int* ms) {
    QString t = word.toLower();
    double scale = 1000;
    if (t.endsWith(u"ms")) {
        t.chop(2);
        scale = 1;
    } else if (t.endsWith(u's')) {
        t.chop(1);
    }
    bool ok = false;
    const double v = t.replace(u',', u'.').toDouble(&ok);
    if (!ok || !std::isfinite(v) || v < 0 || v * scale > 24.0 * 3600 * 1000)
        return false;
    *ms = int(std::lround(v * scale));
    return true;
}

bool parseInt(const QString& word, int lo, int hi, int* value) {
    bool ok = false;
    const int v = word.toInt(&ok);
    if (!ok || v < lo || v > hi)
        return false;
    *value = v;
    return true;
}

// One step; an empty string when it is good, otherwise what is wrong with it.
QString parseStep(const QStringList& w, Step* s) {
    const QString& cmd = w[0];
    const auto needs = [&](int lo, int hi) { return w.size() - 1 >= lo && w.size() - 1 <= hi; };
    using K = Step::Kind;
    if (cmd == u"rate") {
        s->kind = K::Rate;
        if (!needs(1, 1) || !parseMs(w[1], &s->ms) || s->ms < 1)
            return QStringLiteral("rate ВРЕМЯ (не меньше 1ms)");
    } else if (cmd == u"pause") {
        s->kind = K::Pause;
        if (!needs(1, 1) || !parseMs(w[1], &s->ms))
            return QStringLiteral("pause ВРЕМЯ");
    } else if (cmd == u"touch") {
        s->kind = K::Touch;
        if (!(needs(2, 2) || (needs(4, 4) && w[3] == u"drop")) || !parseInt(w[1], 3, 100, &s->value) ||
            !parseMs(w[2], &s->ms) || (w.size() == 5 && !parseInt(w[4], 0, s->value - 1, &s->drop)))
            return QStringLiteral("touch ЗНАЧЕНИЕ(3..100) ВРЕМЯ [drop СПАД(меньше значения)]");
    } else if (cmd == u"press") {
        if (needs(1, 1) && w[1] == u"short") {
            s->kind = K::PressShort;
        } else if (needs(1, 2) && w[1] == u"long") {
            s->kind = K::PressLong;
            s->value = kLongPressValue;
            if (w.size() == 3 && !parseInt(w[2], 0, 100, &s->value))
                return QStringLiteral("press long [ЗНАЧЕНИЕ(0..100)]");
        } else {
            return QStringLiteral("press short | press long [ЗНАЧЕНИЕ]");
        }
    } else if (cmd == u"reset") {
        s->kind = K::Reset;
        if (!needs(0, 0))
            return QStringLiteral("reset без параметров");
    } else if (cmd == u"noise") {
        s->kind = K::Noise;
        s->value = 2;
        if (!needs(1, 2) || !parseMs(w[1], &s->ms) || (w.size() == 3 && !parseInt(w[2], 0, 100, &s->value)))
            return QStringLiteral("noise ВРЕМЯ [ЗНАЧЕНИЕ(0..100)]");
    } else if (cmd == u"byte") {
        s->kind = K::Byte;
        if (!needs(1, 1) || !parseInt(w[1], 0, 255, &s->value))
            return QStringLiteral("byte 0..255");
    } else {
        return QStringLiteral("неизвестный шаг «%1»").arg(cmd);
    }
    return {};
}

} // namespace

bool parse(const QString& text, Scenario* scenario, QString* error) {
    Scenario result;
    const QStringList lines = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    for (int n = 0; n < lines.size(); ++n) {
        const QString code = lines[n].section(u'#', 0, 0);
        for (const QString& part : code.split(u';')) {
            const QStringList words = part.simplified().split(u' ', Qt::SkipEmptyParts);
            if (words.isEmpty())
                continue;
            Step s;
            const QString problem = parseStep(words, &s);
            if (!problem.isEmpty()) {
                *error = QStringLiteral("строка %1: %2").arg(n + 1).arg(problem);
                return false;
            }
            result.steps.append(s);
        }
    }
    *scenario = result;
    return true;
}

quint32 Generator::next() {
    // xorshift32: the same seed gives the same noise everywhere.
    m_seed ^= m_seed << 13;
    m_seed ^= m_seed >> 17;
    m_seed ^= m_seed << 5;
    return m_seed;
}

void Generator::begin(const Step& s, qint64 atMs) {
    m_step = s;
    m_at = atMs;
    m_k = 0;
    using K = Step::Kind;
    const int count = std::max(1, s.ms / m_rateMs);
    if (s.kind == K::Rate)
        m_rateMs = s.ms;
    switch (s.kind) {
    case K::Rate:
        m_n = 0;
        break;
    case K::Pause:
    case K::Noise:
        m_n = count;
        break;
    case K::Touch:
        // A quick rise from the first value that starts a touch, then a slow sag.
        m_n = std::max(2, count);
        m_rise = std::clamp(300 / m_rateMs, 1, m_n / 2);
        m_drop = s.drop >= 0 ? s.drop : s.value / 4;
        break;
    case K::PressShort:
    case K::PressLong:
        m_n = 2;
        break;
    case K::Reset:
    case K::Byte:
        m_n = 1;
        break;
    }
}

int Generator::byteAt(int k) {
    using K = Step::Kind;
    const Step& s = m_step;
    switch (s.kind) {
    case K::Pause:
        return kOff;
    case K::Touch: {
        double v;
        if (k < m_rise)
            v = 3 + (s.value - 3) * double(k) / m_rise;
        else
            v = s.value - m_drop * double(k - m_rise) / std::max(1, m_n - 1 - m_rise);
        return kOff + std::clamp(int(std::lround(v)), 1, 100);
    }
    case K::PressShort:
    case K::PressLong:
        if (k == 0)
            return 255;
        return s.kind == K::PressShort ? kOff : kOff + s.value;
    case K::Reset:
        return 250;
    case K::Noise:
        return kOff + int(next() % quint32(s.value + 1));
    case K::Byte:
        return s.value;
    case K::Rate:
        break;
    }
    return kOff;
}

bool Generator::nextByte(TimedByte* out) {
    if (m_k >= m_n)
        return false;
    const int k = m_k++;
    *out = {m_at, quint8(byteAt(k))};
    const bool press = m_step.kind == Step::Kind::PressShort || m_step.kind == Step::Kind::PressLong;
    // The press byte is followed by the button's silence instead of one byte's slot.
    if (press && k == 0)
        m_at += m_step.kind == Step::Kind::PressShort ? kShortPressMs : kLongPressMs;
    else
        m_at += m_rateMs;
    m_endMs = std::max(m_endMs, m_at);
    return true;
}

void Generator::delay(qint64 toMs) {
    m_at = std::max(m_at, toMs);
}

qint64 Generator::step(const Step& s, qint64 at, QList<TimedByte>* out) {
    begin(s, at);
    for (TimedByte b; nextByte(&b);)
        out->append(b);
    m_endMs = std::max(m_endMs, m_at);
    return m_at;
}

QList<TimedByte> Generator::run(const Scenario& scenario, qint64 startMs) {
    QList<TimedByte> out;
    Stream stream(scenario, this, startMs);
    for (TimedByte b; stream.next(&b);)
        out.append(b);
    m_endMs = stream.clock();
    return out;
}

Stream::Stream(const Scenario& scenario, Generator* gen, qint64 startMs) : m_scenario(scenario), m_gen(gen) {
    restart(startMs);
}

void Stream::restart(qint64 atMs) {
    m_index = 0;
    m_gen->begin({Step::Kind::Rate, m_gen->rateMs(), 0, -1}, atMs);
}

bool Stream::next(TimedByte* out) {
    while (!m_gen->nextByte(out)) {
        if (m_index >= m_scenario.steps.size())
            return false;
        m_gen->begin(m_scenario.steps[m_index++], m_gen->clock());
    }
    return true;
}

} // namespace sim
