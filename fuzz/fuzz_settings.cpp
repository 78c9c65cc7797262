// "taven.ini" as any bytes. What the reader takes, the writer writes and the reader takes
// back the same; a file in the written form comes back byte for byte; the measuring time
// derived from it is always one the timer can run, and the message quoting it stays short.
#include "common/text1251.h"
#include "fuzzcheck.h"
#include "measurement/readingprocessor.h"
#include "measurement/settings.h"

#include <cmath>

namespace {

bool inWrittenForm(const QString& text) {
    if (text.size() < 3 || (text[0] != u'1' && text[0] != u'3') || !text.endsWith(QStringLiteral("\r\n")))
        return false;
    const QString middle = text.mid(1, text.size() - 3);
    return !middle.contains(u'\r') && !middle.contains(u'\n');
}

void checkSeconds(double seconds) {
    FUZZ_CHECK(std::isfinite(seconds), QString::number(seconds));
    const QString shown = settings::formatSeconds(seconds);
    double back = 0;
    FUZZ_CHECK(settings::parseSeconds(shown, &back), shown);
    FUZZ_CHECK(std::abs(back - seconds) <= 1e-5 * std::max(1.0, std::abs(seconds)),
               shown + u' ' + QString::number(seconds, 'g', 17));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = cp1251::decode(bytes);
    const settings::Line s = settings::parse(text);
    FUZZ_CHECK(!s.timeText.contains(u'\r') && !s.timeText.contains(u'\n'), s.timeText);
    FUZZ_CHECK(s.oneTouch == text.startsWith(u'1'), text.left(40));

    const QString written = settings::format(s.oneTouch, s.timeText);
    const settings::Line back = settings::parse(cp1251::decode(cp1251::encode(written)));
    FUZZ_CHECK(back.oneTouch == s.oneTouch && back.timeText == s.timeText, written);
    if (inWrittenForm(text))
        FUZZ_CHECK(cp1251::encode(written) == bytes, written);

    bool ok = false;
    const int ms = settings::measuringMs(s.timeText, &ok);
    FUZZ_CHECK(ms >= 1 && ms <= session::Settings::kMaxMs, QString::number(ms));
    FUZZ_CHECK(ok || ms == session::Settings::kDefaultMs, QString::number(ms));

    const double seconds = settings::secondsOrDefault(s.timeText);
    checkSeconds(seconds);
    checkSeconds(settings::stepSeconds(seconds, 1));
    checkSeconds(settings::stepSeconds(seconds, -1));

    // The file name, the fixed words and an excerpt of at most 40 characters and "…".
    const QString message = settings::notANumberMessage(s.timeText);
    FUZZ_CHECK(message.size() <= settings::notANumberMessage(QString()).size() + 41, message.left(200));
    return 0;
}
