// The bundled pictures against the point table: every point on its limb, fingers and toes
// pointing down, and the branch figures marking the right path.
#include "catalogue/catalogue.h"
#include "outside.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace catalogue;

namespace {

QString bundled(const QString& name) {
    return QStringLiteral(TAVEN_BUNDLED_DATA "/") + name;
}

QImage load(const QString& name) {
    return QImage(bundled(name)).convertToFormat(QImage::Format_RGB32);
}

QStringList pointsOutside(const QImage& img, int m, bool left) {
    const pictures::Outside outside(img);
    QStringList misses;
    const QVector<QPoint> pts = mapPoints(m, left);
    for (int r = 0; r < pts.size(); ++r)
        if (outside.at(pts[r]))
            misses << QStringLiteral("%1 row %2 (%3, %4)")
                          .arg(meridianName(m))
                          .arg(r)
                          .arg(pts[r].x())
                          .arg(pts[r].y());
    return misses;
}

QStringList allPictures() {
    QStringList names = limbPictures();
    for (int b = 0; b < kBranchCount; ++b)
        names << branchPicture(b);
    return names;
}

} // namespace

class MapPicturesTest : public QObject {
    Q_OBJECT
  private slots:
    void fillTheBoxAs24BitBmp_data() {
        QTest::addColumn<QString>("name");
        for (const QString& n : allPictures())
            QTest::newRow(qPrintable(n)) << n;
    }
    void fillTheBoxAs24BitBmp() {
        QFETCH(QString, name);
        QFile f(bundled(name));
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(name));
        const QByteArray head = f.read(30);
        QCOMPARE(head.left(2), QByteArray("BM"));
        QCOMPARE(quint8(head[28]) | quint8(head[29]) << 8, 24);
        const QImage img = load(name);
        QCOMPARE(img.size(), QSize(166, 265));
    }

    void checkerFindsPointsOffTheDrawing() {
        QImage blank(166, 265, QImage::Format_RGB32);
        blank.fill(Qt::white);
        QCOMPARE(pointsOutside(blank, 0, true).size(), pointCount(0));

        // An outline alone holds the flood; one gap in it lets it in.
        QImage ring = blank;
        QPainter p(&ring);
        p.setPen(QPen(QColor(138, 92, 70), 1.5));
        p.drawEllipse(QPointF(60, 60), 30, 30);
        pictures::Outside closed(ring);
        QVERIFY(!closed.at({60, 60}));
        QVERIFY(closed.at({20, 20}));
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(88, 60), QPointF(93, 60));
        p.end();
        QVERIFY(pictures::Outside(ring).at({60, 60}));
    }

    void everyPointOnItsLimb_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<bool>("left");
        for (int m = 0; m < kMeridianCount; ++m) {
            QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", левая"))) << m << true;
            QTest::newRow(qPrintable(meridianName(m) + QStringLiteral(", правая"))) << m << false;
        }
    }
    void everyPointOnItsLimb() {
        QFETCH(int, m);
        QFETCH(bool, left);
        const QString name = mapPicture(m, left);
        const QImage img = load(name);
        QVERIFY2(!img.isNull(), qPrintable(name));
        const QStringList misses = pointsOutside(img, m, left);
        QVERIFY2(misses.isEmpty(),
                 qPrintable(name + QStringLiteral(": ") + misses.join(QStringLiteral("; "))));
    }

    void otherSidesTableMissesThePicture_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("m");
        QTest::addColumn<bool>("left");
        QTest::newRow("hand_l.bmp, Лимфатический справа") << "hand_l.bmp" << 0 << false;
        QTest::newRow("hand_r.bmp, Тонкая кишка слева") << "hand_r.bmp" << 9 << true;
        QTest::newRow("foot_l.bmp, Почки справа") << "foot_l.bmp" << 19 << false;
        QTest::newRow("foot_r.bmp, Почки слева") << "foot_r.bmp" << 19 << true;
    }
    void otherSidesTableMissesThePicture() {
        QFETCH(QString, name);
        QFETCH(int, m);
        QFETCH(bool, left);
        QVERIFY2(!pointsOutside(load(name), m, left).isEmpty(), qPrintable(name));
    }

    // Every start point is a nail point: thumb (5, 158) and little finger (161, 219) of the
    // left hand, big toe (23, 252) and little toe (108, 220) of the left foot, and so on. The
    // limb must end just below it, fingers and toes pointing down.
    void nailPointsAtTheTipOfTheirDigit_data() { everyPointOnItsLimb_data(); }
    void nailPointsAtTheTipOfTheirDigit() {
        QFETCH(int, m);
        QFETCH(bool, left);
        const QPoint start = mapPoints(m, left).last();
        const int below = pictures::Outside(load(mapPicture(m, left))).run(start, 1);
        QVERIFY2(below <= 12, qPrintable(QStringLiteral("(%1, %2): %3 pixels of limb below")
                                             .arg(start.x())
                                             .arg(start.y())
                                             .arg(below)));
    }

    // Wrist and ankle at the top: the limb runs from there up out of the picture.
    void wristAndAnkleReachTheTop_data() {
        QTest::addColumn<int>("m");
        QTest::addColumn<bool>("left");
        QTest::newRow("Лимфатический, hand_l.bmp") << 0 << true;
        QTest::newRow("Лимфатический, hand_r.bmp") << 0 << false;
        QTest::newRow("Мочевой пузырь, foot_l.bmp") << 20 << true;
        QTest::newRow("Мочевой пузырь, foot_r.bmp") << 20 << false;
    }
    void wristAndAnkleReachTheTop() {
        QFETCH(int, m);
        QFETCH(bool, left);
        const QPoint top = mapPoints(m, left).first();
        QCOMPARE(pictures::Outside(load(mapPicture(m, left))).run(top, -1), top.y());
    }

    // Patient's right on the left of the picture: the figure faces the viewer.
    void branchFigureMarksItsPath_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ends"); // right hand, left hand, right foot, left foot
        QTest::newRow("Man_hh.bmp") << "Man_hh.bmp"
                                    << "1100";
        QTest::newRow("Man_ff.bmp") << "Man_ff.bmp"
                                    << "0011";
        QTest::newRow("Man_l.bmp") << "Man_l.bmp"
                                   << "0101";
        QTest::newRow("Man_r.bmp") << "Man_r.bmp"
                                   << "1010";
    }
    void branchFigureMarksItsPath() {
        QFETCH(QString, name);
        QFETCH(QString, ends);
        const QImage img = load(name);
        const QRect regions[] = {{8, 135, 40, 40}, {118, 135, 40, 40}, {48, 230, 35, 35}, {83, 230, 35, 35}};
        for (int k = 0; k < 4; ++k) {
            int marked = 0;
            for (int y = regions[k].top(); y <= regions[k].bottom(); ++y)
                for (int x = regions[k].left(); x <= regions[k].right(); ++x) {
                    const QRgb c = img.pixel(x, y);
                    marked += qBlue(c) > 150 && qRed(c) < 90 && qBlue(c) - qGreen(c) > 60;
                }
            QVERIFY2((marked > 10) == (ends[k] == u'1'),
                     qPrintable(QStringLiteral("end %1: %2 path pixels").arg(k).arg(marked)));
        }
    }
};

QTEST_GUILESS_MAIN(MapPicturesTest)
#include "tst_mappictures.moc"
