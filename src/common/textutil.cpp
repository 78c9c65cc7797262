#include "common/textutil.h"

#include <QDir>
#include <QFileInfo>

namespace text {

QStringList split(const QString& s, const QString& separator) {
    return s.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

QString trim(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s[b] == u' ')
        ++b;
    while (e > b && s[e - 1] == u' ')
        --e;
    return s.mid(b, e - b);
}

QString signNumber(int n) {
    return n >= 0 ? u' ' + QString::number(n) : QString::number(n);
}

QString piece(const QStringList& pieces, qsizetype index) {
    return index >= 0 && index < pieces.size() ? pieces[index] : QString();
}

QString excerpt(const QString& s, qsizetype max) {
    QString cut = s.size() > max ? s.left(max) + QStringLiteral("…") : s;
    for (QChar& c : cut)
        if (c == u'\r' || c == u'\n')
            c = u' ';
    return cut;
}

QString cutLines(const QString& s, qsizetype max) {
    QString out;
    qsizetype run = 0; // characters since the last line end
    for (qsizetype k = 0; k < s.size(); ++k) {
        const QChar c = s[k];
        if (c == u'\r' || c == u'\n') {
            run = 0;
            out.append(c);
        } else if (run++ < max) {
            out.append(c);
        }
    }
    return out;
}

} // namespace text
