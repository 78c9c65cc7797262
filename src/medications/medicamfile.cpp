#include "medications/medicamfile.h"

#include "common/textutil.h"

namespace medicam {

QString shownText(const QString& line) {
    const qsizetype cr = line.indexOf(u'\r');
    return cr < 0 ? line : line.left(cr);
}

QStringList medicationsOfRecord(const QString& pointRecord) {
    const QStringList lines = text::split(pointRecord, QStringLiteral("\n"));
    QStringList out;
    for (qsizetype k = 1; k + 1 < lines.size(); ++k)
        out << shownText(lines[k]);
    return out;
}

QStringList medicationsOf(const QStringList& meridianPieces, int m, int n, int row) {
    // Records are pieces 1..M; the piece after the last marker is no record.
    if (m < 0 || m + 1 >= meridianPieces.size() - 1 || row < 0 || row >= n)
        return {};
    const QStringList points = text::split(meridianPieces[m + 1], kPointMark);
    const int k = n - row;
    if (k >= points.size())
        return {};
    return medicationsOfRecord(points[k]);
}

} // namespace medicam
