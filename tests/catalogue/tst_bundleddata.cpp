// The working folder shipped in data/ against the built-in catalogue: every file the
// program opens is there under the name it uses, in the layout its reader expects; the
// texts are what tools/datagen makes of the current catalogue, and every disc of the body
// map lands on the drawn hand or foot.
#include "catalogue/catalogue.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"
#include "datatexts.h"
#include "measurement/settings.h"
#include "medications/medicamfile.h"
#include "outside.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageReader>
#include <QTest>

using namespace catalogue;

namespace {

QString bundled(const QString& name) {
    return QDir(QStringLiteral(TAVEN_BUNDLED_DATA)).filePath(name);
}

QString readBundled(const QString& name) {
    const auto text = textfile::read(bundled(name));
    return text ? *text : QString();
}

bool isHandMeridian(int m) {
    return m < 10;
}

// The limb the function text names: the spleen is drawn on the left foot and the
// pancreas on the right foot whatever the side.
QString expectedLimb(int m, bool left) {
    if (meridianName(m) == QStringLiteral("Селезенка"))
        return QStringLiteral("левая нога");
    if (meridianName(m) == QStringLiteral("Поджелудочная железа"))
        return QStringLiteral("правая нога");
    return QStringLiteral("%1 %2").arg(left ? QStringLiteral("левая") : QStringLiteral("правая"),
                                       isHandMeridian(m) ? QStringLiteral("рука") : QStringLiteral("нога"));
}

// The picture box of the main window, pixels.
constexpr int kBoxWidth = 166;
constexpr int kBoxHeight = 265;
constexpr int kDiscRadius = 3;

QImage readPicture(const QString& name, QString* error) {
    QImageReader reader(bundled(name));
    if (reader.format() != "bmp") {
        *error = QStringLiteral("%1: not a BMP (%2)").arg(name, reader.errorString());
        return {};
    }
    const QImage img = reader.read();
    if (img.isNull())
        *error = QStringLiteral("%1: %2").arg(name, reader.errorString());
    return img.convertToFormat(QImage::Format_RGB32);
}

// Disc centres must sit on the drawing, with two pixels of it all round.
QString offDrawing(const QImage& img, QRgb bg, QPoint c) {
    for (int dy = -2; dy <= 2; ++dy) {
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint q = c + QPoint(dx, dy);
            if (dx * dx + dy * dy > 4)
                continue;
            if (!img.valid(q) || img.pixel(q) == bg)
                return QStringLiteral("(%1, %2) is background").arg(q.x()).arg(q.y());
        }
    }
    return {};
}

} // namespace

class TestBundledData : public QObject {
    Q_OBJECT

  private slots:
    void filesUnderTheNamesTheProgramOpens_data();
    void filesUnderTheNamesTheProgramOpens();
    void textFilesAreWindows1251WithCrLf_data();
    void textFilesAreWindows1251WithCrLf();
    void encodeStrictRefusesCharactersOutsideTheCodePage_data();
    void encodeStrictRefusesCharactersOutsideTheCodePage();

    void functionBlocksCoverEveryLineOnce();
    void functionLineOfEveryPoint_data();
    void functionLineOfEveryPoint();

    void medicamHasARecordForEveryMeridian();
    void medicamRecordOfEveryMeridian_data();
    void medicamRecordOfEveryMeridian();

    void settingsFileGivesOneTouchAndAValidTime();
    void helpNamesEveryMeridianAndItsControlPoint();

    void limbPicturesCarryEveryDisc_data();
    void limbPicturesCarryEveryDisc();
    void branchPicturesFitTheBoxAndDiffer();

    void committedFilesAreWhatTheGeneratorMakes_data();
    void committedFilesAreWhatTheGeneratorMakes();
};

void TestBundledData::filesUnderTheNamesTheProgramOpens_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("anyCase");
    QTest::newRow("function.pnt") << "function.pnt" << false;
    QTest::newRow("taven.ini") << "taven.ini" << false;
    QTest::newRow("taven.txt") << "taven.txt" << false;
    // The main window and the editor spell the folder differently; one folder serves both.
    QTest::newRow("DataBase\\medicam.nam") << "DataBase\\medicam.nam" << true;
    QTest::newRow("Database\\medicam.nam") << "Database\\medicam.nam" << true;
    for (const QString& p : limbPictures())
        QTest::newRow(qPrintable(p)) << p << false;
    for (int b = 0; b < kBranchCount; ++b)
        QTest::newRow(qPrintable(branchPicture(b))) << branchPicture(b) << false;
}

void TestBundledData::filesUnderTheNamesTheProgramOpens() {
    QFETCH(QString, stored);
    QFETCH(bool, anyCase);
    const WorkFolder data(QStringLiteral(TAVEN_BUNDLED_DATA));
    const QString path = anyCase ? data.path(stored) : data.root() + u'/' + stored;
    const bool found = QFileInfo(path).isFile();
    QVERIFY2(found, qPrintable(QStringLiteral("\"%1\" (as \"%2\") is not in data/").arg(stored, path)));
}

void TestBundledData::textFilesAreWindows1251WithCrLf_data() {
    QTest::addColumn<QString>("name");
    for (const char* n : {"function.pnt", "Database/medicam.nam", "taven.ini", "taven.txt"})
        QTest::newRow(n) << QString::fromLatin1(n);
}

void TestBundledData::textFilesAreWindows1251WithCrLf() {
    QFETCH(QString, name);
    const auto bytes = textfile::readBytes(bundled(name));
    QVERIFY2(bytes && !bytes->isEmpty(), qPrintable(name));
    QVERIFY2(bytes->endsWith("\r\n"), qPrintable(name));
    const QString t = cp1251::decode(*bytes);
    // Besides Cyrillic letters, these are the only upper-half characters the texts use; a
    // file saved as UTF-8 by mistake shows up here as Ђ, Ѓ, ‚ and the like.
    const QString allowed = QStringLiteral("«»—–ёЁ");
    for (qsizetype k = 0; k < t.size(); ++k) {
        const QChar c = t[k];
        const QString where = QStringLiteral("%1 at byte %2").arg(name).arg(k);
        if (c == u'\r')
            QVERIFY2(k + 1 < t.size() && t[k + 1] == u'\n', qPrintable(where + QStringLiteral(": lone CR")));
        else if (c == u'\n')
            QVERIFY2(k > 0 && t[k - 1] == u'\r', qPrintable(where + QStringLiteral(": lone LF")));
        else if (c.unicode() < 0x20)
            QFAIL(qPrintable(where + QStringLiteral(": control character %1").arg(c.unicode())));
        else if (c.unicode() >= 0x80 && !(c >= u'А' && c <= u'я') && !allowed.contains(c))
            QFAIL(qPrintable(where + QStringLiteral(": unexpected character U+%1").arg(c.unicode(), 4, 16)));
    }
}

void TestBundledData::encodeStrictRefusesCharactersOutsideTheCodePage_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("cyrillic and dash")
        << QStringLiteral("Ёж — «да»") << true << QByteArray("\xA8\xE6 \x97 \xAB\xE4\xE0\xBB");
    QTest::newRow("question mark stays") << QStringLiteral("?") << true << QByteArray("?");
    QTest::newRow("check mark") << QStringLiteral("ok ✓") << false << QByteArray();
    QTest::newRow("latin accent") << QStringLiteral("café") << false << QByteArray();
    QTest::newRow("U+0098") << QString(QChar(0x98)) << false << QByteArray();
}

void TestBundledData::encodeStrictRefusesCharactersOutsideTheCodePage() {
    QFETCH(QString, text);
    QFETCH(bool, ok);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    QCOMPARE(datagen::encodeStrict(text, &out), ok);
    if (ok)
        QCOMPARE(out, bytes);
}

void TestBundledData::functionBlocksCoverEveryLineOnce() {
    const QStringList lines = text::split(readBundled(QStringLiteral("function.pnt")), text::kCrLf);
    // 372 lines, each ended by CR LF, leave one empty piece after the last.
    QCOMPARE(lines.size(), kFunctionLines + 1);
    QCOMPARE(lines.last(), QString());

    QVector<int> owners(kFunctionLines, 0);
    for (int m = 0; m < kMeridianCount; ++m) {
        const bool shared = lastFunctionLine(m, true) == lastFunctionLine(m, false);
        for (bool left : {true, false}) {
            if (shared && !left)
                continue;
            for (int r = 0; r < pointCount(m); ++r) {
                const int line = functionLine(m, left, r);
                QVERIFY2(
                    line >= 0 && line < kFunctionLines,
                    qPrintable(QStringLiteral("%1 row %2: line %3").arg(meridianName(m)).arg(r).arg(line)));
                ++owners[line];
            }
        }
    }
    for (int line = 0; line < kFunctionLines; ++line) {
        QVERIFY2(owners[line] == 1,
                 qPrintable(QStringLiteral("line %1 has %2 points").arg(line).arg(owners[line])));
        QVERIFY2(!lines[line].isEmpty(), qPrintable(QStringLiteral("line %1 is empty").arg(line)));
    }
}

// One row for each meridian on each side.
static void meridianSideRows() {
    QTest::addColumn<int>("m");
    QTest::addColumn<bool>("left");
    for (int m = 0; m < kMeridianCount; ++m) {
        QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", левая"))) << m << true;
        QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", правая"))) << m << false;
    }
}

void TestBundledData::functionLineOfEveryPoint_data() {
    meridianSideRows();
}

void TestBundledData::functionLineOfEveryPoint() {
    QFETCH(int, m);
    QFETCH(bool, left);
    const QStringList lines = text::split(readBundled(QStringLiteral("function.pnt")), text::kCrLf);
    QVERIFY(lines.size() > kFunctionLines);
    for (int r = 0; r < pointCount(m); ++r) {
        const Point p = point(m, r);
        const QString& line = lines[functionLine(m, left, r)];
        const QString head =
            QStringLiteral("%1, точка %2, %3: ").arg(meridianName(m), p.number, expectedLimb(m, left));
        QVERIFY2(line.startsWith(head + p.description),
                 qPrintable(QStringLiteral("row %1: \"%2\", expected it to start with \"%3\"")
                                .arg(r)
                                .arg(line, head + p.description)));
        const bool marked = line.contains(QStringLiteral("контрольная точка меридиана"));
        QVERIFY2(marked == (r == ktiRow(m)),
                 qPrintable(QStringLiteral("row %1 (КТИ row %2): \"%3\"").arg(r).arg(ktiRow(m)).arg(line)));
    }
}

void TestBundledData::medicamHasARecordForEveryMeridian() {
    const QString t = readBundled(QStringLiteral("Database/medicam.nam"));
    QVERIFY2(t.startsWith(QStringLiteral("][")), qPrintable(t.left(20)));
    QVERIFY2(t.endsWith(QStringLiteral("][\r\n")), qPrintable(t.right(20)));
    const QStringList pieces = text::split(t, medicam::kMeridianMark);
    QCOMPARE(pieces.size(), kMeridianCount + 2);
    QCOMPARE(pieces.first(), QString());
    QCOMPARE(pieces.last(), text::kCrLf);
}

void TestBundledData::medicamRecordOfEveryMeridian_data() {
    QTest::addColumn<int>("m");
    for (int m = 0; m < kMeridianCount; ++m)
        QTest::newRow(qPrintable(meridianName(m))) << m;
}

void TestBundledData::medicamRecordOfEveryMeridian() {
    QFETCH(int, m);
    const QStringList meridians =
        text::split(readBundled(QStringLiteral("Database/medicam.nam")), medicam::kMeridianMark);
    QCOMPARE(meridians.size(), kMeridianCount + 2);
    const QStringList points = text::split(meridians[m + 1], medicam::kPointMark);
    const int n = pointCount(m);
    QCOMPARE(points.size(), n + 1);
    QCOMPARE(points[0], meridianName(m) + text::kCrLf);
    // Point record k belongs to row n - k: the start point comes first.
    for (int k = 1; k <= n; ++k) {
        const Point p = point(m, n - k);
        const QStringList recordLines = text::split(points[k], QStringLiteral("\n"));
        QCOMPARE(medicam::shownText(recordLines[0]), p.number + u' ' + p.description);
    }
    // Read back through the program's reader, every point lists exactly its samples.
    for (int r = 0; r < n; ++r) {
        const QStringList meds = medicam::medicationsOf(meridians, m, n, r);
        QCOMPARE(meds, datagen::sampleMedications(m, r));
    }
}

void TestBundledData::settingsFileGivesOneTouchAndAValidTime() {
    const QString t = readBundled(settings::kFileName);
    const settings::Line s = settings::parse(t);
    QVERIFY(s.oneTouch);
    QCOMPARE(s.timeText, QStringLiteral("3"));
    double seconds = 0;
    QVERIFY2(settings::parseSeconds(s.timeText, &seconds), qPrintable(s.timeText));
    QVERIFY2(seconds >= settings::kMinSeconds && seconds <= settings::kMaxSeconds, qPrintable(s.timeText));
    // Writing the same settings back gives the same file.
    QCOMPARE(settings::format(s.oneTouch, s.timeText), t);
}

void TestBundledData::helpNamesEveryMeridianAndItsControlPoint() {
    const QStringList lines = text::split(readBundled(QStringLiteral("taven.txt")), text::kCrLf);
    for (int m = 0; m < kMeridianCount; ++m) {
        const QString heading = QStringLiteral("%1 (%2 ").arg(meridianName(m)).arg(pointCount(m));
        qsizetype at = 0;
        while (at < lines.size() && !lines[at].startsWith(heading))
            ++at;
        at = at < lines.size() ? at : -1;
        QVERIFY2(at >= 0, qPrintable(meridianName(m)));
        // Its points follow in column order, the control point starred.
        for (int r = 0; r < pointCount(m); ++r) {
            const QString line = text::piece(lines, at + 1 + r);
            const Point p = point(m, r);
            QVERIFY2(line.endsWith(QStringLiteral("  ") + p.description) &&
                         line.mid(4).startsWith(p.number + u' '),
                     qPrintable(QStringLiteral("%1 row %2: \"%3\"").arg(meridianName(m)).arg(r).arg(line)));
            QCOMPARE(line.mid(2, 1) == QStringLiteral("*"), r == ktiRow(m));
        }
    }
}

void TestBundledData::limbPicturesCarryEveryDisc_data() {
    meridianSideRows();
}

void TestBundledData::limbPicturesCarryEveryDisc() {
    QFETCH(int, m);
    QFETCH(bool, left);
    const QString name = mapPicture(m, left);
    QString error;
    const QImage img = readPicture(name, &error);
    QVERIFY2(!img.isNull(), qPrintable(error));
    QVERIFY2(img.width() <= kBoxWidth && img.height() <= kBoxHeight,
             qPrintable(QStringLiteral("%1 is %2 x %3").arg(name).arg(img.width()).arg(img.height())));
    const QRgb bg = pictures::borderColour(img);

    const QVector<QPoint> discs = mapPoints(m, left);
    QCOMPARE(discs.size(), pointCount(m));
    for (int r = 0; r < discs.size(); ++r) {
        const QPoint c = discs[r];
        const QString where = QStringLiteral("%1 row %2 at (%3, %4)").arg(name).arg(r).arg(c.x()).arg(c.y());
        const QRect disc(c.x() - kDiscRadius, c.y() - kDiscRadius, 2 * kDiscRadius + 1, 2 * kDiscRadius + 1);
        QVERIFY2(
            img.rect().contains(disc),
            qPrintable(where +
                       QStringLiteral(": cut by the edge of %1 x %2").arg(img.width()).arg(img.height())));
        const QString off = offDrawing(img, bg, c);
        QVERIFY2(off.isEmpty(), qPrintable(where + QStringLiteral(": ") + off));
    }
}

void TestBundledData::branchPicturesFitTheBoxAndDiffer() {
    QList<QImage> seen;
    for (int b = 0; b < kBranchCount; ++b) {
        const QString name = branchPicture(b);
        QString error;
        const QImage img = readPicture(name, &error);
        QVERIFY2(!img.isNull(), qPrintable(error));
        QVERIFY2(img.width() <= kBoxWidth && img.height() <= kBoxHeight,
                 qPrintable(QStringLiteral("%1 is %2 x %3").arg(name).arg(img.width()).arg(img.height())));
        const QRgb bg = pictures::borderColour(img);
        int drawn = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                drawn += img.pixel(x, y) != bg;
        QVERIFY2(drawn > img.width() * img.height() / 10,
                 qPrintable(QStringLiteral("%1: %2 pixels drawn").arg(name).arg(drawn)));
        for (int k = 0; k < seen.size(); ++k)
            QVERIFY2(seen[k] != img,
                     qPrintable(QStringLiteral("%1 is the same as %2").arg(name, branchPicture(k))));
        seen << img;
    }
}

void TestBundledData::committedFilesAreWhatTheGeneratorMakes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("made");
    QString error;
    const auto texts = datagen::textFiles(&error);
    QVERIFY2(!texts.isEmpty(), qPrintable(error));
    for (const auto& f : texts)
        QTest::newRow(qPrintable(f.path)) << f.path << f.bytes;
}

void TestBundledData::committedFilesAreWhatTheGeneratorMakes() {
    QFETCH(QString, name);
    QFETCH(QByteArray, made);
    const auto committed = textfile::readBytes(bundled(name));
    QVERIFY2(committed, qPrintable(name + QStringLiteral(" is missing from data/")));
    qsizetype at = 0;
    while (at < made.size() && at < committed->size() && made[at] == committed->at(at))
        ++at;
    QVERIFY2(*committed == made,
             qPrintable(QStringLiteral("data/%1 (%2 bytes) differs from the generator's (%3 bytes) "
                                       "from byte %4 on; run taven-datagen data")
                            .arg(name)
                            .arg(committed->size())
                            .arg(made.size())
                            .arg(at)));
}

QTEST_GUILESS_MAIN(TestBundledData)
#include "tst_bundleddata.moc"
