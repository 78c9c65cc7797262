#pragma once
// The point function texts of "function.pnt": one line per point and side. Files written on
// other systems end their lines with LF or CR alone; all three ends are taken.
#include <QString>
#include <QStringList>

namespace catalogue {

struct FunctionText {
    QStringList lines;    // each cut to a length that can be shown
    QStringList problems; // in Russian, for the window to say
};

FunctionText readFunctionText(const QString& text, const QString& fileName = QStringLiteral("function.pnt"));

} // namespace catalogue
