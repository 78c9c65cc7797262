// Rewrites the text files of the bundled working folder from the catalogue and the help
// template: taven-datagen <folder> (data/ of the tree). The pictures come from drawpictures.
#include "datatexts.h"

#include "common/text1251.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 1 || args[0].startsWith(u'-')) {
        std::fprintf(stderr, "usage: taven-datagen <folder>\n");
        return 1;
    }
    QString error;
    const QList<datagen::DataFile> files = datagen::textFiles(&error);
    if (files.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    for (const auto& f : files) {
        const QString path = QDir(args[0]).filePath(f.path);
        QDir().mkpath(QFileInfo(path).path());
        if (!textfile::writeBytes(path, f.bytes, &error)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return 1;
        }
        std::printf("%s %lld\n", qPrintable(f.path), static_cast<long long>(f.bytes.size()));
    }
    return 0;
}
