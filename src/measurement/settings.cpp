#include "measurement/settings.h"

#include "common/fileaccess.h"
#include "common/text1251.h"
#include "common/textutil.h"

#include <QLocale>
#include <algorithm>
#include <cmath>

namespace settings {

Line parse(const QString& fileText) {
    Line s;
    s.oneTouch = fileText.startsWith(u'1');
    qsizetype end = fileText.size();
    for (QChar c : {QChar(u'\r'), QChar(u'\n')}) {
        const qsizetype at = fileText.indexOf(c, 1);
        if (at >= 0)
            end = std::min(end, at);
    }
    s.timeText = end > 1 ? fileText.mid(1, end - 1) : QString();
    return s;
}

QString format(bool oneTouch, const QString& timeText) {
    return (oneTouch ? QStringLiteral("1") : QStringLiteral("3")) + timeText + text::kCrLf;
}

bool write(const QString& path, const QString& text, QString* error) {
    bool missing = false;
    const auto now = fileaccess::read(path, error, &missing);
    if (!now && !missing)
        return false;
    const QByteArray bytes = cp1251::encode(text);
    return now == bytes || fileaccess::write(path, bytes, error);
}

bool parseSeconds(const QString& timeText, double* seconds) {
    QString t = text::trim(timeText);
    t.replace(u',', u'.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    *seconds = v;
    return true;
}

double secondsOrDefault(const QString& timeText) {
    double v = kDefaultSeconds;
    return parseSeconds(timeText, &v) ? v : kDefaultSeconds;
}

int measuringMs(const QString& timeText, bool* ok) {
    double seconds = 0;
    const bool parsed = parseSeconds(timeText, &seconds);
    const double ms = std::round(seconds * 1000.0);
    const bool valid = parsed && ms >= session::Settings::kMinMs && ms <= session::Settings::kMaxMs;
    if (ok)
        *ok = valid;
    return valid ? static_cast<int>(ms) : session::Settings::kDefaultMs;
}

QString formatSeconds(double seconds) {
    QString t = QString::number(seconds, 'g', 6);
    return t.replace(u'.', QLocale().decimalPoint());
}

QString notANumberMessage(const QString& timeText) {
    return QStringLiteral("В файле \"%1\" время измерения \"%2\" не является числом.\n"
                          "Используется время 3 сек.")
        .arg(kFileName, text::excerpt(timeText));
}

QString outOfRangeMessage(const QString& timeText) {
    return QStringLiteral("В файле \"%1\" время измерения \"%2\" сек. вне пределов от %3 до %4 сек.\n"
                          "Используется время 3 сек.")
        .arg(kFileName, text::excerpt(timeText))
        .arg(session::Settings::kMinMs / 1000)
        .arg(session::Settings::kMaxMs / 1000);
}

double usedSeconds(const QString& timeText) {
    bool ok = false;
    measuringMs(timeText, &ok);
    double seconds = kDefaultSeconds;
    return ok && parseSeconds(timeText, &seconds) ? seconds : kDefaultSeconds;
}

session::Settings inForce(const Line& s) {
    return {s.oneTouch, measuringMs(formatSeconds(usedSeconds(s.timeText)))};
}

QString timeProblem(const QString& timeText) {
    double seconds = 0;
    if (!parseSeconds(timeText, &seconds))
        return notANumberMessage(timeText);
    bool ok = false;
    measuringMs(timeText, &ok);
    return ok ? QString() : outOfRangeMessage(timeText);
}

double stepSeconds(double seconds, int direction) {
    // Each button clamps only its own end, so a value from the file outside the range
    // moves towards it.
    return direction > 0 ? std::min(seconds + kStep, kMaxSeconds) : std::max(seconds - kStep, kMinSeconds);
}

} // namespace settings
