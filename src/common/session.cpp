#include "common/session.h"

namespace session {

QString resultText(int max, int drop) {
    return resultText(QString::number(max), QString::number(drop));
}

namespace {

// Plain decimal text the usual way round, anything else (blanks, "+", overflow) as
// QString::toInt reads it.
int toInt(QStringView t, bool* ok) {
    const bool minus = !t.isEmpty() && t.front() == u'-';
    const QStringView digits = minus ? t.mid(1) : t;
    if (digits.isEmpty() || digits.size() > 9)
        return t.toInt(ok);
    int v = 0;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return t.toInt(ok);
        v = v * 10 + (c.unicode() - u'0');
    }
    *ok = true;
    return minus ? -v : v;
}

} // namespace

std::optional<Result> parseResult(QStringView text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0)
        return std::nullopt;
    bool okMax = false, okDrop = false;
    const int max = toInt(text.left(blank), &okMax);
    const int drop = toInt(text.mid(blank + 1), &okDrop);
    if (!okMax || !okDrop)
        return std::nullopt;
    return Result{max, drop};
}

QString resultText(const QString& max, const QString& drop) {
    return max + u' ' + drop;
}

ResultFields splitResult(const QString& text) {
    const qsizetype blank = text.indexOf(u' ');
    if (blank < 0)
        return {text, QString()};
    return {text.left(blank), text.mid(blank + 1)};
}

void ResultsMatrix::clear() {
    for (auto& row : m_cells)
        row.fill(QString());
}

bool ResultsMatrix::isEmpty() const {
    for (const auto& row : m_cells)
        for (const QString& c : row)
            if (!c.isEmpty())
                return false;
    return true;
}

void Session::setSettings(const Settings& s) {
    if (s == m_settings)
        return;
    m_settings = s;
    emit settingsChanged();
}

void Session::setChoice(const Choice& c) {
    if (c == m_choice)
        return;
    m_choice = c;
    emit choiceChanged();
}

void Session::loadVisit(const Choice& visit, const ResultsMatrix& results) {
    m_loaded = visit;
    strRezult = results;
    m_unsaved = false;
    emit visitLoaded();
}

void Session::visitRewritten(const QString& cardFile, int visit, const QByteArray& was,
                             const QByteArray& now) {
    for (Choice* c : {&m_choice, &m_loaded})
        if (c->cardFile == cardFile && c->visit == visit && c->token == was)
            c->token = now;
}

void Session::addToPrescription(const QString& item) {
    strRecept += QStringLiteral("\r\n") + item;
    emit prescriptionChanged();
}

void Session::clearPrescription() {
    if (strRecept.isEmpty())
        return;
    strRecept.clear();
    emit prescriptionChanged();
}

} // namespace session
