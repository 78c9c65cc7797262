#include "patientgen.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <random>

namespace patientgen {

namespace {

QByteArray highBytes() {
    QByteArray b;
    for (int c = 0x80; c < 0x100; ++c)
        b.append(char(c));
    return b;
}

// Cells "max drop" with a negative drop now and then; rows 21..24 carry cell 0 only.
QByteArray rows(std::mt19937& rng, bool measured) {
    QByteArray out;
    for (int r = 0; r < 25; ++r) {
        for (int c = 0; c < 28; ++c) {
            const bool filled = measured && (r < 21 || c == 0) && rng() % 4 != 0;
            if (filled)
                out += QByteArray::number(int(rng() % 101)) + ' ' + QByteArray::number(int(rng() % 30) - 5);
            out += ',';
        }
        out += "\r\n>";
    }
    return out;
}

QByteArray visit(std::mt19937& rng, const QByteArray& date, int n) {
    static const QByteArray high = highBytes();
    const int kind = n % 4;
    QByteArray complaints = kind == 0 ? QByteArray() : "\xC3\xEE\xEB\xEE\xE2\xED\xE0\xFF \xE1\xEE\xEB\xFC";
    if (kind == 1)
        complaints += "\r\n" + high;
    const QByteArray diagnosis =
        kind == 2 ? high.mid(int(rng() % 64), 64) : QByteArray("\xC4\xE8\xE0\xE3\xED\xEE\xE7");
    QByteArray recept = kind == 3 ? QByteArray() : "\xD0\xE5\xF6\xE5\xEF\xF2 " + QByteArray::number(n);
    if (kind == 2)
        recept += "\r\n\xCF\xF0\xE5\xEF\xE0\xF0\xE0\xF2";
    return date + "\r\n>" + complaints + "\r\n>" + diagnosis + "\r\n>" + recept + "\r\n>" +
           rows(rng, kind != 0) + "\r\n@";
}

QByteArray dateOf(int k) {
    const int day = 1 + k % 28, month = 1 + (k / 28) % 12, year = 1990 + k / 336;
    return QString::asprintf("%02d.%02d.%04d", day, month, year).toLatin1();
}

// Every letter of the alphabet appears across the names: the k-th name starts at letter k.
QByteArray name(int k) {
    QByteArray n;
    for (int i = 0; i < 8; ++i)
        n += char(0xC0 + (k + i) % 64);
    n += ' ';
    for (int i = 0; i < 6; ++i)
        n += char(0xE0 + (k * 3 + i) % 32);
    return n + (k % 5 == 0 ? " \xA8\xB8" : "");
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

bool writeDatabase(const QString& root, const Options& o) {
    const QString folder = root + QStringLiteral("/Database");
    if (!QDir().mkpath(folder))
        return false;
    std::mt19937 rng(o.seed);
    QByteArray records;
    const int total = o.patients + (o.bigVisits > 0 ? 1 : 0);
    for (int p = total; p >= 1; --p) {
        const int visits = (p == total && o.bigVisits > 0) ? o.bigVisits : o.visits;
        QByteArray dates, card;
        for (int v = 0; v < visits; ++v) {
            const QByteArray date = dateOf(p * 7 + visits - v);
            dates += date + ' ';
            card += visit(rng, date, p + v);
        }
        card += QByteArray("\r\n").repeated(p % 3); // tails of none, one or two line ends
        if (!writeFile(folder + QStringLiteral("/c %1.dat").arg(p), card))
            return false;
        records += '*' + name(p) + '|' + QByteArray::number(1930 + p % 80) + '|' + dates + "|c " +
                   QByteArray::number(p) + ".dat|\r\n";
    }
    const QByteArray counter = ' ' + QByteArray::number(total) + "\r\n";
    return writeFile(folder + QStringLiteral("/client.crd"), counter + records + "*\r\n");
}

} // namespace patientgen
