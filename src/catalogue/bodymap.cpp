#include "catalogue/bodymap.h"

#include "catalogue/catalogue.h"
#include "common/colours.h"
#include "common/messages.h"
#include "common/textutil.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

namespace bodymap {

namespace {

// Centred on the pixel, as the point table gives it, not on its top-left corner.
void drawDisc(QPainter& p, const QPoint& centre, const QColor& fill) {
    p.setBrush(fill);
    p.drawEllipse(QPointF(centre.x() + 0.5, centre.y() + 0.5), kDiscRadius, kDiscRadius);
}

} // namespace

BodyMap::BodyMap(QWidget* messageParent) : m_messageParent(messageParent) {}

QImage BodyMap::picture(const QString& fileName) {
    const auto cached = m_pictures.constFind(fileName);
    if (cached != m_pictures.constEnd())
        return *cached;

    const QString path = datapath::resolve(fileName);
    QImage img;
    QString problem;
    if (!QFileInfo(path).isFile()) {
        problem = QStringLiteral("Не найден файл рисунка \"%1\" в рабочей папке программы. "
                                 "Работа продолжится без рисунка.");
    } else {
        QImageReader reader(path);
        img = reader.read();
        if (img.isNull())
            problem = QStringLiteral("Файл рисунка \"%1\" повреждён или не является рисунком. "
                                     "Работа продолжится без рисунка.");
    }
    if (img.isNull()) {
        if (!m_reported.contains(fileName)) {
            // Marked before the box is up: device events handled meanwhile may draw again.
            m_reported.insert(fileName);
            msgbox::info(m_messageParent, problem.arg(fileName));
        }
        return {};
    }
    m_pictures.insert(fileName, img);
    return img;
}

QImage BodyMap::box(const QString& fileName) {
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    img.fill(kBackground);
    const QImage pic = picture(fileName);
    if (!pic.isNull()) {
        // Unscaled from the top-left corner: a larger picture is cut off, a smaller one
        // leaves background around it.
        QPainter p(&img);
        p.drawImage(0, 0, pic);
    }
    return img;
}

QImage BodyMap::render(int meridian, bool leftSide, int index, bool byKti) {
    if (meridian < 0 || meridian >= catalogue::kMeridianCount)
        return {};
    QImage img = box(catalogue::mapPicture(meridian, leftSide));
    const QVector<QPoint> points = catalogue::mapPoints(meridian, leftSide);

    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kDiscOutline, 1));
    const QColor green = colours::toQColor(colours::kGreen);
    for (qsizetype row = points.size() - 1; row >= 0; --row)
        drawDisc(p, points[row], green);

    const int selected = byKti ? catalogue::mapKtiRow(meridian) : index;
    if (selected >= 0 && selected < points.size())
        drawDisc(p, points[selected], colours::toQColor(colours::kRed));
    return img;
}

QImage BodyMap::branch(int item) {
    const QString name = catalogue::branchPicture(item);
    return name.isEmpty() ? QImage() : box(name);
}

} // namespace bodymap
