#include "measurement/appsetup.h"

#include "common/userfolder.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>
#include <cstdio>

namespace appsetup {

namespace {

// Every size tools/drawicon draws, carried in the program (see CMakeLists.txt).
QIcon programIcon() {
    QIcon icon;
    QDirIterator it(QStringLiteral(":/icons"), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        // ":/icons/48x48/apps/taven.png"; given its size, a picture is read only when needed.
        const QString path = it.next();
        const int side = path.section(u'/', 2, 2).section(u'x', 0, 0).toInt();
        icon.addFile(path, QSize(side, side));
    }
    return icon;
}

void loadQtTexts() {
    auto* translator = new QTranslator(qApp);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (translator->load(QStringLiteral("qtbase_ru"), folder)) {
        QCoreApplication::installTranslator(translator);
        return;
    }
    // Only Qt's own buttons stay English; the program's texts are its own.
    std::fprintf(stderr, "taven: Qt's Russian texts not found in %s (Debian: qt6-translations-l10n)\n",
                 qPrintable(folder));
    delete translator;
}

} // namespace

void prepare() {
    QApplication::setApplicationName(QStringLiteral("taven"));
    QGuiApplication::setDesktopFileName(kDesktopFile);
    QApplication::setWindowIcon(programIcon());
    loadQtTexts();
}

std::optional<QString> workFolder(const commandline::Options& options, const QString& bundled,
                                  QStringList* fillErrors, QString* problem) {
    const QString root =
        userfolder::choose({options.folder, qEnvironmentVariable("TAVEN_HOME"), QDir::currentPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
    // Without its folder nothing of the program works: one message with the cause, not one
    // for every file that then cannot be read.
    if (const QString cause = userfolder::unusable(root); !cause.isEmpty()) {
        *problem = cause + QStringLiteral("\nУкажите другую папку: taven --folder ПАПКА.");
        return std::nullopt;
    }
    *fillErrors = userfolder::fill(bundled, root);
    return root;
}

} // namespace appsetup
