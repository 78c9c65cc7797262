#include "datapictures.h"

#include "catalogue/catalogue.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QtEndian>

namespace datagen {

namespace {

const QColor kSkin(250, 218, 185);
const QColor kOutline(140, 90, 60);
const QColor kCrease(214, 168, 132);
const QColor kHighlight(255, 170, 90);
const QColor kElectrode(40, 60, 160);

QPainterPath capsule(QPointF from, QPointF to, qreal radius) {
    QPainterPath line(from);
    line.lineTo(to);
    QPainterPathStroker s;
    s.setWidth(2 * radius);
    s.setCapStyle(Qt::RoundCap);
    s.setJoinStyle(Qt::RoundJoin);
    return s.createStroke(line).simplified();
}

QPainterPath polygon(std::initializer_list<QPointF> pts) {
    QPainterPath p;
    p.addPolygon(QPolygonF(QVector<QPointF>(pts)));
    p.closeSubpath();
    return p;
}

QPainterPath ellipse(QPointF centre, qreal rx, qreal ry) {
    QPainterPath p;
    p.addEllipse(centre, rx, ry);
    return p;
}

QImage blank(int width) {
    QImage img(width, kPictureHeight, QImage::Format_RGB32);
    img.fill(kBackground);
    return img;
}

void drawShape(QPainter& p, const QPainterPath& shape, const QColor& fill) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(fill);
    p.drawPath(shape);
}

void drawLines(QPainter& p, const QColor& colour, std::initializer_list<QLineF> lines) {
    p.setPen(QPen(colour, 1));
    for (const QLineF& l : lines)
        p.drawLine(l);
}

// Left hand, wrist at the top and fingers down, thumb to the left: the point table puts
// the thumb meridians near x = 5..40 and the little finger near x = 160.
void drawLeftHand(QPainter& p) {
    QPainterPath hand = polygon({{62, 0},
                                 {141, 0},
                                 {143, 35},
                                 {151, 70},
                                 {157, 105},
                                 {161, 140},
                                 {165, 168},
                                 {165, 200},
                                 {128, 203},
                                 {100, 192},
                                 {36, 190},
                                 {38, 150},
                                 {26, 130},
                                 {12, 106},
                                 {22, 88},
                                 {36, 72},
                                 {50, 58},
                                 {60, 42}});
    hand = hand.united(capsule({34, 110}, {11, 160}, 13));   // thumb
    hand = hand.united(capsule({52, 178}, {47, 242}, 13));   // index
    hand = hand.united(capsule({88, 178}, {87, 250}, 13));   // middle
    hand = hand.united(capsule({116, 178}, {118, 240}, 13)); // ring
    hand = hand.united(capsule({152, 170}, {153, 222}, 12)); // little
    drawShape(p, hand.simplified(), kSkin);
    // Finger joints and the wrist fold.
    drawLines(p, kCrease,
              {{66, 30, 138, 30},
               {40, 212, 60, 212},
               {76, 218, 100, 218},
               {105, 212, 130, 212},
               {142, 200, 163, 200},
               {14, 140, 30, 148}});
}

// Left foot seen from above, ankle at the top, big toe to the left.
void drawLeftFoot(QPainter& p) {
    QPainterPath foot = polygon({{5, 0},
                                 {106, 0},
                                 {106, 50},
                                 {108, 100},
                                 {114, 130},
                                 {120, 165},
                                 {122, 200},
                                 {121, 215},
                                 {115, 228},
                                 {10, 228},
                                 {2, 215},
                                 {3, 180},
                                 {8, 160},
                                 {10, 130},
                                 {7, 100},
                                 {5, 60}});
    foot = foot.united(ellipse({12, 70}, 9, 10));   // inner ankle bone
    foot = foot.united(ellipse({101, 80}, 9, 10));  // outer ankle bone
    foot = foot.united(ellipse({26, 236}, 22, 21)); // big toe
    foot = foot.united(ellipse({53, 238}, 9, 17));
    foot = foot.united(ellipse({69, 236}, 8, 15));
    foot = foot.united(ellipse({85, 236}, 11, 13));
    foot = foot.united(ellipse({105, 229}, 11, 9));
    drawShape(p, foot.simplified(), kSkin);
    // Tendons of the instep and the fold of the ankle.
    drawLines(
        p, kCrease,
        {{20, 110, 90, 110}, {30, 130, 40, 205}, {52, 130, 55, 210}, {68, 132, 69, 212}, {84, 134, 86, 212}});
}

QImage limb(int width, bool mirrored, void (*draw)(QPainter&)) {
    QImage img = blank(width);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The right side is the mirror image, x -> width - x, as the point table has it.
    if (mirrored)
        p.setTransform(QTransform(-1, 0, 0, 1, width, 0));
    draw(p);
    return img;
}

// Standing figure facing the viewer: the person's right side is on the picture's left.
struct Figure {
    QPainterPath body, rightArm, leftArm, rightLeg, leftLeg;
    QPointF rightHand{27, 150}, leftHand{139, 150}, rightFoot{58, 246}, leftFoot{108, 246};
};

Figure figure() {
    Figure f;
    f.body = ellipse({83, 28}, 17, 17)
                 .united(polygon({{76, 40}, {90, 40}, {90, 56}, {76, 56}}))
                 .united(polygon({{55, 54}, {111, 54}, {107, 135}, {59, 135}}))
                 .united(polygon({{59, 128}, {107, 128}, {108, 160}, {58, 160}}));
    f.rightArm = capsule({59, 62}, {30, 138}, 8).united(ellipse(f.rightHand, 7, 9));
    f.leftArm = capsule({107, 62}, {136, 138}, 8).united(ellipse(f.leftHand, 7, 9));
    f.rightLeg = capsule({72, 150}, {64, 234}, 11).united(ellipse({57, 244}, 14, 7));
    f.leftLeg = capsule({94, 150}, {102, 234}, 11).united(ellipse({109, 244}, 14, 7));
    return f;
}

} // namespace

QImage limbPicture(const QString& fileName) {
    if (fileName == QLatin1String("hand_l.bmp"))
        return limb(kHandWidth, false, drawLeftHand);
    if (fileName == QLatin1String("hand_r.bmp"))
        return limb(kHandWidth, true, drawLeftHand);
    if (fileName == QLatin1String("foot_l.bmp"))
        return limb(kFootWidth, false, drawLeftFoot);
    if (fileName == QLatin1String("foot_r.bmp"))
        return limb(kFootWidth, true, drawLeftFoot);
    return {};
}

QImage branchPicture(int b) {
    if (b < 0 || b >= catalogue::kBranchCount)
        return {};
    const Figure f = figure();
    // Which limbs carry the electrodes: hands, feet, left hand and foot, right hand and foot.
    const bool rightArm = b == 0 || b == 3, leftArm = b == 0 || b == 2;
    const bool rightLeg = b == 1 || b == 3, leftLeg = b == 1 || b == 2;
    QList<QPointF> ends;
    if (rightArm)
        ends << f.rightHand;
    if (leftArm)
        ends << f.leftHand;
    if (rightLeg)
        ends << f.rightFoot;
    if (leftLeg)
        ends << f.leftFoot;

    QImage img = blank(kHandWidth);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    drawShape(p, f.body, kSkin);
    drawShape(p, f.rightArm, rightArm ? kHighlight : kSkin);
    drawShape(p, f.leftArm, leftArm ? kHighlight : kSkin);
    drawShape(p, f.rightLeg, rightLeg ? kHighlight : kSkin);
    drawShape(p, f.leftLeg, leftLeg ? kHighlight : kSkin);
    p.setPen(QPen(kElectrode, 1, Qt::DashLine));
    p.drawLine(ends[0], ends[1]);
    p.setPen(QPen(kElectrode, 1));
    p.setBrush(kElectrode);
    for (const QPointF& e : ends)
        p.drawEllipse(e, 4, 4);
    // The letters П and Л, drawn as strokes so that no font is needed: the person's right
    // and left side.
    p.setPen(QPen(kOutline, 2));
    p.drawPolyline(QPolygonF({QPointF(12, 26), QPointF(12, 10), QPointF(24, 10), QPointF(24, 26)}));
    p.drawPolyline(QPolygonF(
        {QPointF(141, 26), QPointF(144, 25), QPointF(146, 10), QPointF(154, 10), QPointF(154, 26)}));
    return img;
}

QByteArray bmpBytes(const QImage& image) {
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int rowSize = (w * 3 + 3) / 4 * 4;
    const quint32 headerSize = 14 + 40;
    const quint32 dataSize = quint32(rowSize) * quint32(h);
    QByteArray out(int(headerSize + dataSize), '\0');
    uchar* d = reinterpret_cast<uchar*>(out.data());
    auto put16 = [&](int at, quint16 v) { qToLittleEndian(v, d + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian(v, d + at); };
    d[0] = 'B';
    d[1] = 'M';
    put32(2, headerSize + dataSize);
    put32(10, headerSize);
    put32(14, 40);
    put32(18, quint32(w));
    put32(22, quint32(h)); // positive: rows from the bottom up
    put16(26, 1);
    put16(28, 24);
    put32(34, dataSize);
    put32(38, 2835); // 72 dots per inch, in dots per metre
    put32(42, 2835);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        uchar* row = d + headerSize + y * rowSize;
        for (int x = 0; x < w; ++x) {
            row[3 * x] = uchar(qBlue(line[x]));
            row[3 * x + 1] = uchar(qGreen(line[x]));
            row[3 * x + 2] = uchar(qRed(line[x]));
        }
    }
    return out;
}

QList<DataFile> pictureFiles() {
    QList<DataFile> files;
    for (const QString& name : catalogue::limbPictures())
        files << DataFile{name, bmpBytes(limbPicture(name))};
    for (int b = 0; b < catalogue::kBranchCount; ++b)
        files << DataFile{catalogue::branchPicture(b), bmpBytes(branchPicture(b))};
    return files;
}

} // namespace datagen
