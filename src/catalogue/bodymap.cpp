#include "catalogue/bodymap.h"

#include "catalogue/catalogue.h"
#include "common/colours.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <utility>

namespace bodymap {

namespace {

// Centred on the pixel, as the point table gives it, not on its top-left corner.
void drawDisc(QPainter& p, const QPoint& centre, const QColor& fill) {
    p.setBrush(fill);
    p.drawEllipse(QPointF(centre.x() + 0.5, centre.y() + 0.5), kDiscRadius, kDiscRadius);
}

} // namespace

BodyMap::BodyMap(const WorkFolder& folder) : m_folder(folder) {}

QStringList BodyMap::takeProblems() {
    return std::exchange(m_problems, {});
}

QImage BodyMap::picture(const QString& fileName) {
    const auto cached = m_pictures.constFind(fileName);
    if (cached != m_pictures.constEnd())
        return *cached;

    const QString path = m_folder.path(fileName);
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
            m_reported.insert(fileName);
            m_problems.append(problem.arg(fileName));
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
