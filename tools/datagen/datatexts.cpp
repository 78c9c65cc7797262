#include "datatexts.h"

#include "catalogue/catalogue.h"
#include "common/text1251.h"
#include "common/textutil.h"

#include <QFile>

// The help template lives in this static library, where the linker would drop its
// resource unless something refers to it.
static void initHelpResource() {
    Q_INIT_RESOURCE(datagen);
}

namespace datagen {

namespace {

const QString kCrLf = text::kCrLf;

QString pointsWord(int n) {
    const int lastTwo = n % 100, last = n % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return QStringLiteral("точек");
    if (last == 1)
        return QStringLiteral("точка");
    if (last >= 2 && last <= 4)
        return QStringLiteral("точки");
    return QStringLiteral("точек");
}

// Where the meridian lies: "руки", "ноги", or the one limb when both sides share a picture.
QString meridianLimbs(int m) {
    const QString left = catalogue::mapPicture(m, true), right = catalogue::mapPicture(m, false);
    if (left == right)
        return limbName(left);
    return left.startsWith(QLatin1String("hand")) ? QStringLiteral("руки") : QStringLiteral("ноги");
}

QString meridianList() {
    QString out;
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        const int n = catalogue::pointCount(m);
        if (m > 0)
            out += u'\n';
        // One arg() call each, so that a '%' in a catalogue text is never taken for a marker.
        out += QStringLiteral("%1 (%2 %3; %4)\n")
                   .arg(catalogue::meridianName(m), QString::number(n), pointsWord(n), meridianLimbs(m));
        for (int r = 0; r < n; ++r) {
            const auto p = catalogue::point(m, r);
            const QChar mark = r == catalogue::ktiRow(m) ? u'*' : u' ';
            out +=
                QStringLiteral("  %1 %2  %3\n").arg(QString(mark), p.number.leftJustified(4), p.description);
        }
    }
    return out;
}

} // namespace

QString limbName(const QString& picture) {
    const bool hand = picture.startsWith(QLatin1String("hand"));
    const bool left = picture.endsWith(QLatin1String("_l.bmp"));
    return QStringLiteral("%1 %2").arg(left ? QStringLiteral("левая") : QStringLiteral("правая"),
                                       hand ? QStringLiteral("рука") : QStringLiteral("нога"));
}

QString functionLine(int m, bool leftSide, int row) {
    const auto p = catalogue::point(m, row);
    QString line = QStringLiteral("%1, точка %2, %3: %4")
                       .arg(catalogue::meridianName(m), p.number,
                            limbName(catalogue::mapPicture(m, leftSide)), p.description);
    if (row == catalogue::ktiRow(m))
        line += QStringLiteral(" — контрольная точка меридиана (КТИ).");
    return line;
}

QString functionText() {
    QStringList lines(catalogue::kFunctionLines);
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        for (bool left : {true, false}) {
            for (int r = 0; r < catalogue::pointCount(m); ++r)
                lines[catalogue::functionLine(m, left, r)] = functionLine(m, left, r);
        }
    }
    return lines.join(kCrLf) + kCrLf;
}

QString medicamPointName(int m, int row) {
    const auto p = catalogue::point(m, row);
    return p.number + u' ' + p.description;
}

QStringList sampleMedications(int m, int row) {
    // A few examples on control points, so that testing shows what a list looks like;
    // the practitioner keeps the real lists.
    struct Sample {
        int m, row;
        const char* names;
    };
    static const Sample samples[] = {
        {0, 8, "Эхинацея D6|Фитолякка D4"},
        {1, 8, "Бриония D6|Дрозера D4"},
        {8, 7, "Кратегус D2"},
        {12, 5, "Расторопша D2|Хелидониум D6"},
        {13, 3, "Арника D12|Рус токсикодендрон D6"},
        {14, 8, "Нукс вомика D6"},
        {19, 10, "Берберис D4|Солидаго D2"},
    };
    for (const Sample& s : samples)
        if (s.m == m && s.row == row)
            return QString::fromUtf8(s.names).split(u'|');
    return {};
}

QString medicamText() {
    // Point records start at the meridian's start point, the bottom row.
    QString out;
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        out += QStringLiteral("][") + catalogue::meridianName(m) + kCrLf;
        for (int r = catalogue::bottomRow(m); r >= 0; --r) {
            out += QStringLiteral("><") + medicamPointName(m, r) + kCrLf;
            for (const QString& name : sampleMedications(m, r))
                out += name + kCrLf;
        }
    }
    return out + QStringLiteral("][") + kCrLf;
}

QString settingsText() {
    return QStringLiteral("13") + kCrLf;
}

QString helpText() {
    initHelpResource();
    QFile f(QStringLiteral(":/datagen/taven_help.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString t = QString::fromUtf8(f.readAll());
    t.replace(QStringLiteral("@MERIDIANS@\n"), meridianList());
    t.replace(u'\n', kCrLf);
    return t;
}

bool encodeStrict(const QString& text, QByteArray* out, QString* bad) {
    *out = cp1251::encode(text);
    const QString back = cp1251::decode(*out);
    for (qsizetype k = 0; k < text.size(); ++k) {
        // U+0098 decodes from a byte with no letter behind it; no text of ours needs it.
        if (back[k] != text[k] || text[k] == QChar(0x98)) {
            if (bad)
                *bad = text.mid(qMax<qsizetype>(0, k - 20), 40);
            return false;
        }
    }
    return true;
}

QList<DataFile> textFiles(QString* error) {
    const QList<std::pair<QString, QString>> texts = {
        {QStringLiteral("function.pnt"), functionText()},
        {QStringLiteral("Database/medicam.nam"), medicamText()},
        {QStringLiteral("taven.ini"), settingsText()},
        {QStringLiteral("taven.txt"), helpText()},
    };
    QList<DataFile> files;
    for (const auto& [path, textOf] : texts) {
        DataFile f{path, {}};
        QString bad;
        if (textOf.isEmpty() || !encodeStrict(textOf, &f.bytes, &bad)) {
            if (error)
                *error = textOf.isEmpty() ? QStringLiteral("%1: empty text").arg(path)
                                          : QStringLiteral("%1: not Windows-1251 near \"%2\"").arg(path, bad);
            return {};
        }
        files << f;
    }
    return files;
}

} // namespace datagen
