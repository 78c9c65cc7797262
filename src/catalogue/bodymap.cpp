#include "catalogue/bodymap.h"

#include "catalogue/catalogue.h"
#include "common/colours.h"

#include "common/text1251.h"

#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <utility>

namespace bodymap {

namespace {

// Centred on the pixel, as the point table gives it, not on its top-left corner.
void drawDisc(QPainter& p, const QPoint& centre, const QColor& fill) {
    p.setBrush(fill);
    p.drawEllipse(QPointF(centre.x() + 0.5, centre.y() + 0.5), kDiscRadius, kDiscRadius);
}

} // namespace

qint64 bmpNeededSize(const QByteArray& bytes) {
    if (bytes.size() < 34 || !bytes.startsWith("BM"))
        return -1;
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); };
    const auto s32 = [&](int at) { return qFromLittleEndian<qint32>(bytes.constData() + at); };
    qint64 needed = u32(2);
    const quint32 header = u32(14);
    const quint32 compression = u32(30);
    if (header >= 40 && compression == 0) {
        const qint64 width = s32(18), height = qAbs(qint64(s32(22)));
        const qint64 bits = qFromLittleEndian<quint16>(bytes.constData() + 28);
        const qint64 stride = (width * bits + 31) / 32 * 4;
        needed = std::max(needed, qint64(u32(10)) + stride * height);
    }
    return needed;
}

QImage loadPicture(const QString& fileName, const QString& path, QString* problem) {
    const QString goOn = QStringLiteral(" Работа продолжится без рисунка.");
    textfile::ReadCause cause = textfile::ReadCause::Other;
    QString error;
    const auto bytes = textfile::readBytes(path, &error, &cause);
    if (!bytes) {
        *problem =
            cause == textfile::ReadCause::Missing
                ? QStringLiteral("Не найден файл рисунка \"%1\" в рабочей папке программы.").arg(fileName) +
                      goOn
                : error + QStringLiteral(".") + goOn;
        return {};
    }
    // Qt draws what is missing of a cut file black instead of failing.
    const qint64 needed = bmpNeededSize(*bytes);
    if (needed > bytes->size()) {
        *problem = QStringLiteral("Файл рисунка \"%1\" обрезан: в нём %2 байт, а нужно %3.")
                       .arg(fileName)
                       .arg(bytes->size())
                       .arg(needed) +
                   goOn;
        return {};
    }
    QImage img = QImage::fromData(*bytes);
    if (img.isNull())
        *problem =
            QStringLiteral("Файл рисунка \"%1\" повреждён или не является рисунком.").arg(fileName) + goOn;
    return img;
}

BodyMap::BodyMap(const WorkFolder& folder) : m_folder(folder) {}

QStringList BodyMap::takeProblems() {
    return std::exchange(m_problems, {});
}

QImage BodyMap::picture(const QString& fileName) {
    const auto cached = m_pictures.constFind(fileName);
    if (cached != m_pictures.constEnd())
        return *cached;

    QString problem;
    const QImage img = loadPicture(fileName, m_folder.path(fileName), &problem);
    if (img.isNull()) {
        if (!m_reported.contains(fileName)) {
            m_reported.insert(fileName);
            m_problems.append(problem);
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
