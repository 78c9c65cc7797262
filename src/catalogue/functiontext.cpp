#include "catalogue/functiontext.h"

#include "catalogue/catalogue.h"
#include "common/textutil.h"

namespace catalogue {

FunctionText readFunctionText(const QString& text, const QString& fileName) {
    // The file's own line end decides, so that a lone CR or LF inside a CR LF file stays part
    // of its line as it always was.
    QString end = text::kCrLf;
    if (!text.contains(text::kCrLf))
        end = text.contains(u'\n') ? QStringLiteral("\n") : QStringLiteral("\r");
    FunctionText out;
    out.lines = text::split(text, end);
    // The end of the last line is no line of its own.
    if (out.lines.size() > 1 && out.lines.last().isEmpty())
        out.lines.removeLast();
    for (QString& line : out.lines)
        if (line.size() > text::kShownLine)
            line.truncate(text::kShownLine);
    if (out.lines.size() < kFunctionLines)
        out.problems.append(QStringLiteral("В файле \"%1\" %2 строк, а нужно %3.\n"
                                           "У части точек текста функции не будет.")
                                .arg(fileName)
                                .arg(text.isEmpty() ? 0 : out.lines.size())
                                .arg(kFunctionLines));
    return out;
}

} // namespace catalogue
