// Draws the program's icon into a hicolor icon theme folder:
//   drawicon <folder>  ->  <folder>/hicolor/<n>x<n>/apps/taven.png, .../scalable/apps/taven.svg
#include "icon.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && f.open(QIODevice::WriteOnly) &&
           f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: drawicon <icon theme folder>\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    const QList<icon::Shape> shapes = icon::shapes();
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = root.filePath(QStringLiteral("hicolor/%1x%1/apps/taven.png").arg(size));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !icon::render(shapes, size).save(path)) {
            err << "cannot write " << path << '\n';
            return 1;
        }
    }
    const QString svg = root.filePath(QStringLiteral("hicolor/scalable/apps/taven.svg"));
    if (!writeFile(svg, icon::svg(shapes))) {
        err << "cannot write " << svg << '\n';
        return 1;
    }
    return 0;
}
