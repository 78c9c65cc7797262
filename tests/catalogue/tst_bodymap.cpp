// The picture box as the main window shows it: picture by side, green discs, the red one,
// and a missing picture told once without stopping the work.
#include "catalogue/bodymap.h"
#include "catalogue/catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace catalogue;
using bodymap::BodyMap;

namespace {

constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kRed = 0xFFFF0000;

QString rgb(QRgb c) {
    return QStringLiteral("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

int byName(const char* name) {
    return findMeridian(QString::fromUtf8(name));
}

QImage bundledPicture(const QString& name) {
    return QImage(QStringLiteral(TAVEN_BUNDLED_DATA "/") + name).convertToFormat(QImage::Format_RGB32);
}

// Pixels of the box that no disc of the meridian can touch.
QVector<QPoint> awayFromDiscs(int m, bool left) {
    const QVector<QPoint> discs = mapPoints(m, left);
    QVector<QPoint> away;
    for (int y = 0; y < bodymap::kHeight; y += 3)
        for (int x = 0; x < bodymap::kWidth; x += 3) {
            bool near = false;
            for (const QPoint& d : discs)
                near = near || (QPoint(x, y) - d).manhattanLength() <= 10;
            if (!near)
                away << QPoint(x, y);
        }
    return away;
}

} // namespace

class BodyMapTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    // What the maps reported, in order, for the window to tell.
    QStringList m_shown;

    WorkFolder work() const { return WorkFolder(m_dir.path()); }
    void collect(BodyMap& map) { m_shown << map.takeProblems(); }

    void remove(const QString& name) { QVERIFY(QFile::remove(m_dir.filePath(name))); }

  private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QStringList names = limbPictures();
        for (int b = 0; b < kBranchCount; ++b)
            names << branchPicture(b);
        for (const QString& n : names) {
            QFile::remove(m_dir.filePath(n));
            QVERIFY(QFile::copy(QStringLiteral(TAVEN_BUNDLED_DATA "/") + n, m_dir.filePath(n)));
        }
        m_shown.clear();
    }

    void redDiscOnTheSelectedRow_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<bool>("left");
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("byKti");
        QTest::addColumn<QPoint>("centre");
        const int lymph = byName("Лимфатический"), kidney = byName("Почки");
        QTest::newRow("Лимфатический, левая, строка 1") << lymph << true << 1 << false << QPoint(74, 46);
        QTest::newRow("Лимфатический, правая, строка 1") << lymph << false << 1 << false << QPoint(88, 46);
        // The control point is row 10, at y 209 in the table; y 212 is row 11.
        QTest::newRow("Почки по КТИ, строка 0") << kidney << true << 0 << true << QPoint(102, 209);
        QTest::newRow("Почки по КТИ, строка 10") << kidney << true << 10 << true << QPoint(102, 209);
        QTest::newRow("Почки по КТИ, строка 13") << kidney << true << 13 << true << QPoint(102, 209);
        QTest::newRow("Почки по КТИ, правая") << kidney << false << 3 << true << QPoint(25, 209);
        QTest::newRow("Почки без КТИ, строка 13") << kidney << true << 13 << false << QPoint(103, 220);
        QTest::newRow("Сердце, правая, строка 0")
            << byName("Сердце") << false << 0 << false << QPoint(46, 50);
    }
    void redDiscOnTheSelectedRow() {
        QFETCH(int, m);
        QFETCH(bool, left);
        QFETCH(int, index);
        QFETCH(bool, byKti);
        QFETCH(QPoint, centre);
        BodyMap map(work());
        const QImage img = map.render(m, left, index, byKti);
        QCOMPARE(img.size(), QSize(166, 265));
        QCOMPARE(rgb(img.pixel(centre)), rgb(kRed));
        int red = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == kRed) {
                    ++red;
                    QVERIFY2((QPoint(x, y) - centre).manhattanLength() <= 4,
                             qPrintable(QStringLiteral("red at (%1, %2)").arg(x).arg(y)));
                }
        QVERIFY2(red >= 9, qPrintable(QStringLiteral("%1 red pixels").arg(red)));
        QVERIFY(m_shown.isEmpty());
    }

    void greenDiscsOverTheSidesPicture_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<bool>("left");
        for (int m = 0; m < kMeridianCount; ++m) {
            QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", левая"))) << m << true;
            QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", правая"))) << m << false;
        }
    }
    void greenDiscsOverTheSidesPicture() {
        QFETCH(int, m);
        QFETCH(bool, left);
        BodyMap map(work());
        const QImage img = map.render(m, left, 0, false);
        const QVector<QPoint> discs = mapPoints(m, left);
        // Rows are drawn upwards, so a disc's centre may be under the rim of one drawn later.
        for (int r = 1; r < discs.size(); ++r) {
            bool underRim = false;
            for (int later = 0; later < r; ++later)
                underRim = underRim || QLineF(discs[r], discs[later]).length() < 5;
            if (!underRim)
                QVERIFY2(img.pixel(discs[r]) == kGreen,
                         qPrintable(QStringLiteral("row %1: %2").arg(r).arg(rgb(img.pixel(discs[r])))));
        }
        const QImage picture = bundledPicture(mapPicture(m, left));
        for (const QPoint& p : awayFromDiscs(m, left))
            QVERIFY2(img.pixel(p) == picture.pixel(p),
                     qPrintable(QStringLiteral("(%1, %2): %3, picture %4")
                                    .arg(p.x())
                                    .arg(p.y())
                                    .arg(rgb(img.pixel(p)), rgb(picture.pixel(p)))));
    }

    void upperRowsDrawnOverLowerOnes() {
        // Rows 10 and 11 of the kidneys are 3 pixels apart: row 10's rim crosses row 11's centre.
        BodyMap map(work());
        const QImage img = map.render(byName("Почки"), true, 0, false);
        QCOMPARE(rgb(img.pixel(102, 209)), rgb(kGreen));
        const QRgb rim = img.pixel(102, 212);
        QVERIFY2(qGray(rim) < 80, qPrintable(rgb(rim)));
    }

    void spleenAndPancreasIgnoreTheSide_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<QString>("picture");
        QTest::newRow("Селезенка") << byName("Селезенка") << "foot_l.bmp";
        QTest::newRow("Поджелудочная железа") << byName("Поджелудочная железа") << "foot_r.bmp";
    }
    void spleenAndPancreasIgnoreTheSide() {
        QFETCH(int, m);
        QFETCH(QString, picture);
        BodyMap map(work());
        const QImage left = map.render(m, true, 4, false);
        QVERIFY(left == map.render(m, false, 4, false));
        const QImage pic = bundledPicture(picture);
        for (const QPoint& p : awayFromDiscs(m, true))
            QVERIFY2(left.pixel(p) == pic.pixel(p),
                     qPrintable(QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y())));
    }

    void missingPictureToldOnceAndDiscsStillDrawn() {
        remove(QStringLiteral("hand_l.bmp"));
        BodyMap map(work());
        const int lymph = byName("Лимфатический");
        QImage img;
        for (int row = 0; row < pointCount(lymph); ++row)
            img = map.render(lymph, true, row, false);
        collect(map);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].contains(QStringLiteral("\"hand_l.bmp\"")), qPrintable(m_shown[0]));
        QCOMPARE(img.size(), QSize(166, 265));
        QCOMPARE(rgb(img.pixel(5, 158)), rgb(kRed));
        QCOMPARE(rgb(img.pixel(76, 56)), rgb(kGreen));
        QCOMPARE(rgb(img.pixel(150, 20)), rgb(bodymap::kBackground.rgb()));

        map.render(lymph, false, 0, false);
        map.render(byName("Печень"), true, 0, false);
        collect(map);
        QCOMPARE(m_shown.size(), 1);
    }

    // The cause is named: a cut file is not shown black, a folder is not "damaged".
    void pictureProblemNamesTheCause_data() {
        QTest::addColumn<int>("keep");      // bytes of the real picture kept; -1 all, -2 a folder
        QTest::addColumn<QString>("cause"); // empty: the picture loads
        QTest::newRow("whole") << -1 << "";
        QTest::newRow("cut in the pixels") << 20000 << "обрезан";
        QTest::newRow("one byte short") << -3 << "обрезан";
        QTest::newRow("header only") << 54 << "обрезан";
        QTest::newRow("no picture") << 10 << "не является рисунком";
        QTest::newRow("a folder of that name") << -2 << "Вместо файла папка";
    }
    void pictureProblemNamesTheCause() {
        QFETCH(int, keep);
        QFETCH(QString, cause);
        QFile real(QStringLiteral(TAVEN_BUNDLED_DATA "/hand_l.bmp"));
        QVERIFY(real.open(QIODevice::ReadOnly));
        QByteArray bytes = real.readAll();
        QCOMPARE(bodymap::bmpNeededSize(bytes), qint64(bytes.size()));
        QTemporaryDir dir;
        const QString path = dir.filePath("hand_l.bmp");
        if (keep == -2) {
            QVERIFY(QDir(dir.path()).mkdir("hand_l.bmp"));
        } else {
            if (keep == -3)
                bytes.chop(1);
            else if (keep >= 0)
                bytes.truncate(keep);
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        QString problem;
        const QImage img = bodymap::loadPicture("hand_l.bmp", path, &problem);
        QCOMPARE(img.isNull(), !cause.isEmpty());
        if (cause.isEmpty()) {
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            return;
        }
        QVERIFY2(problem.contains(cause) && problem.contains("hand_l.bmp"), qPrintable(problem));
    }

    void unreadablePictureToldOnce() {
        QFile f(m_dir.filePath(QStringLiteral("foot_l.bmp")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("BM not really a bitmap");
        f.close();
        BodyMap map(work());
        const int liver = byName("Печень");
        map.render(liver, true, 0, false);
        const QImage img = map.render(liver, true, 6, false);
        collect(map);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].contains(QStringLiteral("\"foot_l.bmp\"")), qPrintable(m_shown[0]));
        QCOMPARE(rgb(img.pixel(42, 247)), rgb(kRed));
        QCOMPARE(rgb(img.pixel(60, 89)), rgb(kGreen));
    }

    void pictureLoadedOnceAndFoundWhenPutBack() {
        const QString hand = QStringLiteral("hand_r.bmp");
        BodyMap map(work());
        const QImage first = map.render(0, false, 0, false);
        remove(hand);
        QVERIFY(map.render(0, false, 0, false) == first);
        collect(map);
        QVERIFY(m_shown.isEmpty());

        BodyMap fresh(work());
        QVERIFY(fresh.picture(hand).isNull());
        QVERIFY(QFile::copy(QStringLiteral(TAVEN_BUNDLED_DATA "/") + hand, m_dir.filePath(hand)));
        QVERIFY(fresh.render(0, false, 0, false) == first);
        collect(fresh);
        QCOMPARE(m_shown.size(), 1);
    }

    void pictureNameInAnyLetterCase() {
        QVERIFY(QFile::rename(m_dir.filePath(QStringLiteral("foot_r.bmp")),
                              m_dir.filePath(QStringLiteral("FOOT_R.BMP"))));
        BodyMap map(work());
        QCOMPARE(map.picture(QStringLiteral("foot_r.bmp")).size(), QSize(166, 265));
        collect(map);
        QVERIFY(m_shown.isEmpty());
    }

    void branchPictures_data() {
        QTest::addColumn<int>("item");
        for (int b = 0; b < kBranchCount; ++b)
            QTest::newRow(qPrintable(branchItems()[b])) << b;
    }
    void branchPictures() {
        QFETCH(int, item);
        BodyMap map(work());
        QVERIFY(map.branch(item) == bundledPicture(branchPicture(item)));

        remove(branchPicture(item));
        BodyMap missing(work());
        const QImage empty = missing.branch(item);
        missing.branch(item);
        QCOMPARE(empty.size(), QSize(166, 265));
        QCOMPARE(rgb(empty.pixel(83, 130)), rgb(bodymap::kBackground.rgb()));
        collect(missing);
        QCOMPARE(m_shown.size(), 1);
        QVERIFY2(m_shown[0].contains(branchPicture(item)), qPrintable(m_shown[0]));
    }

    void nothingForWhatIsNoMeridianOrBranch() {
        BodyMap map(work());
        QVERIFY(map.render(-1, true, 0, false).isNull());
        QVERIFY(map.render(kMeridianCount, true, 0, false).isNull());
        QVERIFY(map.branch(-1).isNull());
        QVERIFY(map.branch(kBranchCount).isNull());
        collect(map);
        QVERIFY(m_shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(BodyMapTest)
#include "tst_bodymap.moc"
