#include "icon.h"

#include <QXmlStreamReader>
#include <QtTest>

class IconTest : public QObject {
    Q_OBJECT
  private slots:
    // Every size shows the same picture: clear corners, the white hub, the green end of the
    // scale, where the canvas puts them.
    void pngSizes_data() {
        QTest::addColumn<int>("size");
        for (const int size : {32, 48, 256})
            QTest::newRow(qPrintable(QString::number(size))) << size;
    }
    void pngSizes() {
        QFETCH(int, size);
        const QImage image = icon::render(icon::shapes(), size);
        QCOMPARE(image.size(), QSize(size, size));
        const auto at = [&](qreal x, qreal y) {
            return image.pixelColor(int(x * size / icon::kCanvas), int(y * size / icon::kCanvas));
        };
        QCOMPARE(at(1, 1).alpha(), 0);
        QCOMPARE(at(128, 150), QColor(Qt::white));
        const QColor green = at(44, 135);
        QVERIFY2(green.green() > 150 && green.red() < 100, qPrintable(green.name()));
    }

    // The SVG is well-formed XML with one path per shape, each with its drawing commands.
    void svgMatchesShapes() {
        const QList<icon::Shape> shapes = icon::shapes();
        QXmlStreamReader xml(icon::svg(shapes));
        int paths = 0;
        QString viewBox;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"svg")
                viewBox = xml.attributes().value("viewBox").toString();
            if (xml.name() == u"path") {
                ++paths;
                const QString d = xml.attributes().value("d").toString();
                QVERIFY2(d.startsWith('M') && (d.contains('L') || d.contains('C')), qPrintable(d));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(viewBox, QString("0 0 256 256"));
        QCOMPARE(paths, shapes.size());
    }
};

QTEST_MAIN(IconTest)
#include "tst_icon.moc"
