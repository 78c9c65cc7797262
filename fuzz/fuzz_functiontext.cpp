// "function.pnt" as any bytes. Nothing is lost but what is cut from over-long lines: the
// lines put back together with the file's own line end give the text again, a CR LF file
// keeps a lone CR or LF inside its line, and a short file is said once.
#include "catalogue/catalogue.h"
#include "catalogue/functiontext.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "fuzzcheck.h"

namespace {

// The text's lines at `end`, each cut as shown, with the end of the last line not a line.
QStringList expectedLines(const QString& text, const QString& end) {
    QStringList lines = text.split(end);
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        line.truncate(text::kShownLine);
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = cp1251::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const catalogue::FunctionText ft = catalogue::readFunctionText(text);

    for (const QString& line : ft.lines)
        FUZZ_CHECK(line.size() <= text::kShownLine, QString::number(line.size()));
    FUZZ_CHECK(ft.problems.size() == (ft.lines.size() < catalogue::kFunctionLines ? 1 : 0),
               ft.problems.join(u'\n'));

    // A CR LF file is read at CR LF only; otherwise one of LF and CR is its line end.
    bool matched = false;
    const QStringList ends = text.contains(QStringLiteral("\r\n"))
                                 ? QStringList{QStringLiteral("\r\n")}
                                 : QStringList{QStringLiteral("\n"), QStringLiteral("\r")};
    for (const QString& end : ends)
        matched = matched || ft.lines == expectedLines(text, end);
    FUZZ_CHECK(matched, QString::number(ft.lines.size()) + QStringLiteral(" lines from ") + text.left(80));
    return 0;
}
