#include "common/moduleloader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace moduleloader {

QStringList candidates(const QString& programDir, const QString& fileName,
                       const QString& libraryFromProgram) {
    return {programDir + u'/' + fileName,
            QDir::cleanPath(programDir + u'/' + libraryFromProgram + u'/' + fileName)};
}

QStringList candidates(const QString& fileName, const QString& libraryFromProgram) {
    return QCoreApplication::instance()
               ? candidates(QCoreApplication::applicationDirPath(), fileName, libraryFromProgram)
               : QStringList();
}

bool load(const QStringList& paths, const char* entry, const std::function<Answer(QFunctionPointer)>& use,
          QList<Failure>* failures) {
    QStringList unique = paths;
    unique.removeDuplicates();
    for (const QString& path : unique) {
        if (!QFileInfo(path).isFile())
            continue;
        QLibrary library(path);
        if (!library.load()) {
            if (failures)
                failures->append({path, library.errorString()});
            continue;
        }
        const QFunctionPointer function = library.resolve(entry);
        const Answer answer = function ? use(function) : Answer::OtherVersion;
        if (answer == Answer::Serves)
            return true;
        if (answer == Answer::OtherVersion) {
            library.unload();
            if (failures)
                failures->append({path, QString()});
        }
    }
    return false;
}

} // namespace moduleloader
