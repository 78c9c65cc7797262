#pragma once
// The settings file "taven.ini": one line, the method character ("1" one touch, anything
// else three touches), the measuring time in seconds, CR LF.
#include "common/session.h"

#include <QString>

namespace settings {

inline const QString kFileName = QStringLiteral("taven.ini");
constexpr double kDefaultSeconds = session::Settings::kDefaultMs / 1000.0;
constexpr double kMinSeconds = 1.5;
constexpr double kMaxSeconds = 5.0;
constexpr double kStep = 0.5;

// The file's line as read: the method and the time as written, not yet checked.
struct Line {
    bool oneTouch = true;
    QString timeText = QStringLiteral("3");
};

Line parse(const QString& fileText);
QString format(bool oneTouch, const QString& timeText);
// Writes the settings line to `path` unless the file holds it already. A file that cannot
// be read now (for another reason than its absence) is not written over: the settings it
// holds may not be the ones shown.
bool write(const QString& path, const QString& text, QString* error);

// Time text: both "." and "," are taken as the decimal separator; a text that is no
// number gives nothing.
bool parseSeconds(const QString& timeText, double* seconds);
double secondsOrDefault(const QString& timeText);
// The time text in whole milliseconds by session::Settings::validMs: a text that is no
// number, or a time outside its limits, gives the default and *ok false.
int measuringMs(const QString& timeText, bool* ok = nullptr);
// Shortest decimal form with the locale's decimal separator ("3", "3.5" or "3,5").
QString formatSeconds(double seconds);
// The message for a time text that is no number, quoting no more than an excerpt of it.
QString notANumberMessage(const QString& timeText);
// The message for a time outside the limits of session::Settings::validMs.
QString outOfRangeMessage(const QString& timeText);
// A time text from the file as the reading will use it, in seconds: its value when
// measuringMs() takes it, else the default. The window shows this, so what is shown,
// used and written back by "Выход" is one time.
double usedSeconds(const QString& timeText);
// What to say once about a time text from the file: nothing when it is used as it
// stands, else the message for a text that is no number or a time out of range.
QString timeProblem(const QString& timeText);
// The settings a line from the file puts in force: its method, and its time as used.
session::Settings inForce(const Line& s);
// One press of "+" (direction 1) or "-" (direction -1): half a second, "+" no higher
// than 5, "-" no lower than 1.5.
double stepSeconds(double seconds, int direction);

} // namespace settings
