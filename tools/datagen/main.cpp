// Redraws the bundled working folder from the catalogue:
//   taven-datagen <folder>            writes every data file into the folder (data/ of the tree)
//   taven-datagen --preview <png>     a sheet of all pictures at three times their size, with
//                                     the body map discs, for a look by eye
#include "datapictures.h"
#include "datatexts.h"

#include "catalogue/catalogue.h"
#include "common/text1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <cstdio>

namespace {

int writeAll(const QString& folder) {
    QString error;
    QList<datagen::DataFile> files = datagen::textFiles(&error);
    if (files.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    files += datagen::pictureFiles();
    for (const auto& f : files) {
        const QString path = QDir(folder).filePath(f.path);
        QDir().mkpath(QFileInfo(path).path());
        if (!textfile::writeBytes(path, f.bytes, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s %lld\n", qPrintable(f.path), static_cast<long long>(f.bytes.size()));
    }
    return 0;
}

int preview(const QString& png) {
    constexpr int kScale = 3, kGap = 10;
    QList<std::pair<QString, QImage>> pictures;
    for (const QString& name : catalogue::limbPictures())
        pictures.append({name, datagen::limbPicture(name)});
    for (int b = 0; b < catalogue::kBranchCount; ++b)
        pictures.append({catalogue::branchPicture(b), datagen::branchPicture(b)});

    QImage sheet(4 * (datagen::kHandWidth * kScale + kGap), 2 * (datagen::kPictureHeight * kScale + kGap),
                 QImage::Format_RGB32);
    sheet.fill(Qt::lightGray);
    QPainter p(&sheet);
    int uncovered = 0;
    for (int k = 0; k < pictures.size(); ++k) {
        const auto& [name, img] = pictures[k];
        const QPoint origin((k % 4) * (datagen::kHandWidth * kScale + kGap),
                            (k / 4) * (datagen::kPictureHeight * kScale + kGap));
        p.drawImage(QRect(origin, img.size() * kScale), img);
        for (int m = 0; m < catalogue::kMeridianCount; ++m) {
            for (bool left : {true, false}) {
                if (catalogue::mapPicture(m, left) != name)
                    continue;
                for (const QPoint& c : catalogue::mapPoints(m, left)) {
                    bool onSkin = true;
                    for (int dy = -2; dy <= 2; ++dy) {
                        for (int dx = -2; dx <= 2; ++dx) {
                            const QPoint q = c + QPoint(dx, dy);
                            if (dx * dx + dy * dy <= 4 &&
                                (!img.valid(q) || img.pixelColor(q) == datagen::kBackground))
                                onSkin = false;
                        }
                    }
                    if (!onSkin) {
                        ++uncovered;
                        std::printf("%s: %s (%d, %d) off the drawing\n", qPrintable(name),
                                    qPrintable(catalogue::meridianName(m)), c.x(), c.y());
                    }
                    p.setPen(Qt::black);
                    p.setBrush(onSkin ? QColor(Qt::green) : QColor(Qt::red));
                    p.drawEllipse(QPointF(origin) + QPointF(c) * kScale + QPointF(1.5, 1.5), 3.0 * kScale,
                                  3.0 * kScale);
                }
            }
        }
    }
    p.end();
    if (!sheet.save(png)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(png));
        return 1;
    }
    std::printf("%d points off the drawing\n", uncovered);
    return uncovered == 0 ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("--preview"))
        return preview(args[1]);
    if (args.size() == 1 && !args[0].startsWith(u'-'))
        return writeAll(args[0]);
    std::fprintf(stderr, "usage: taven-datagen <folder> | --preview <png>\n");
    return 1;
}
