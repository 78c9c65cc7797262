// Draws the eight pictures of the body map into a folder (default: the bundled data folder).
//   drawpictures [--preview DIR] [FOLDER]
// --preview also writes PNGs (actual size and enlarged, the point table laid over them) and
// lists every table point that is not on its limb with two pixels to spare; exit code 1 then.
#include "figure.h"
#include "limbs.h"
#include "outside.h"
#include "style.h"

#include "catalogue/catalogue.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>
#include <functional>

namespace {

QImage paint(const std::function<void(QPainter&)>& draw, double mirrorAxis = 0) {
    QImage img(style::kWidth, style::kHeight, QImage::Format_RGB32);
    img.fill(style::kBackground);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (mirrorAxis > 0) {
        p.translate(mirrorAxis, 0);
        p.scale(-1, 1);
    }
    draw(p);
    return img;
}

int preview(const QString& name, const QImage& img, const QString& dir) {
    constexpr int scale = 3;
    QImage big = img.scaled(img.size() * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPainter p(&big);
    p.setRenderHint(QPainter::Antialiasing);
    const pictures::Outside outside(img);
    int misses = 0;
    QTextStream err(stderr);
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        for (bool left : {true, false}) {
            if (catalogue::mapPicture(m, left) != name)
                continue;
            const QVector<QPoint> pts = catalogue::mapPoints(m, left);
            for (int r = 0; r < pts.size(); ++r) {
                const QPoint c = pts[r];
                // The disc's centre with two pixels all round must lie on the drawing.
                bool out = false;
                for (int dy = -2; dy <= 2; ++dy)
                    for (int dx = -2; dx <= 2; ++dx)
                        if (dx * dx + dy * dy <= 4)
                            out = out || outside.at(c + QPoint(dx, dy));
                if (out) {
                    ++misses;
                    err << name << ": " << catalogue::meridianName(m) << " row " << r << " (" << c.x() << ", "
                        << c.y() << ") outside\n";
                }
                p.setPen(QPen(Qt::black, 1));
                p.setBrush(out ? QColor(255, 0, 255) : QColor(0, 200, 0));
                p.drawEllipse(QPointF(c.x() + 0.5, c.y() + 0.5) * scale, out ? 6 : 3, out ? 6 : 3);
            }
        }
    }
    const QString base = QDir(dir).filePath(QString(name).chopped(4));
    img.save(base + QStringLiteral("_1x.png"));
    big.save(base + QStringLiteral(".png"));
    return misses;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString previewDir;
    if (args.size() >= 2 && args[0] == QStringLiteral("--preview")) {
        previewDir = args[1];
        args = args.mid(2);
    }
    const QString outDir = args.isEmpty() ? QStringLiteral(TAVEN_DATA_DIR) : args[0];
    QDir().mkpath(outDir);

    using figure::Path;
    const QList<QPair<QString, QImage>> pictures = {
        {QStringLiteral("hand_l.bmp"), paint(limbs::drawLeftHand)},
        {QStringLiteral("hand_r.bmp"), paint(limbs::drawLeftHand, limbs::kHandMirror)},
        {QStringLiteral("foot_l.bmp"), paint(limbs::drawLeftFoot)},
        {QStringLiteral("foot_r.bmp"), paint(limbs::drawLeftFoot, limbs::kFootMirror)},
        {QStringLiteral("Man_hh.bmp"), paint([](QPainter& p) { figure::draw(p, Path::HandToHand); })},
        {QStringLiteral("Man_ff.bmp"), paint([](QPainter& p) { figure::draw(p, Path::FootToFoot); })},
        {QStringLiteral("Man_l.bmp"), paint([](QPainter& p) { figure::draw(p, Path::LeftHandToLeftFoot); })},
        {QStringLiteral("Man_r.bmp"),
         paint([](QPainter& p) { figure::draw(p, Path::RightHandToRightFoot); })},
    };

    QTextStream err(stderr);
    int misses = 0;
    for (const auto& [name, img] : pictures) {
        // Plain 24-bit BMP, readable by any viewer the practitioner may use to look at it.
        if (!img.convertToFormat(QImage::Format_RGB888).save(QDir(outDir).filePath(name), "BMP")) {
            err << "cannot write " << QDir(outDir).filePath(name) << '\n';
            return 2;
        }
        if (!previewDir.isEmpty()) {
            QDir().mkpath(previewDir);
            misses += preview(name, img, previewDir);
        }
    }
    return misses > 0 ? 1 : 0;
}
