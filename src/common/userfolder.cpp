#include "common/userfolder.h"

#include "common/fileaccess.h"
#include "common/platform/files.h"
#include "common/workfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>

namespace userfolder {

QString choose(const Candidates& c) {
    if (!c.option.isEmpty())
        return QDir(c.option).absolutePath();
    if (!c.env.isEmpty())
        return QDir(c.env).absolutePath();
    if (!c.current.isEmpty() && holdsData(c.current))
        return QDir(c.current).absolutePath();
    return QDir(c.xdgData).absolutePath();
}

bool holdsData(const QString& folder) {
    const WorkFolder f(folder);
    return QFileInfo(f.path(QStringLiteral("taven.ini"))).isFile() ||
           QFileInfo(f.path(QStringLiteral("function.pnt"))).isFile();
}

QString unusable(const QString& folder) {
    const QString shown = QDir::toNativeSeparators(folder);
    // Made a level at a time, so that the level that fails says why.
    const QStringList parts = QDir::cleanPath(QDir(folder).absolutePath()).split(u'/', Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += u'/' + part;
        const QFileInfo level(path);
        if (level.exists() && !level.isDir())
            return QStringLiteral("Рабочая папка %1 не может быть создана: %2 не является папкой.")
                .arg(shown, QDir::toNativeSeparators(path));
        const int code = level.exists() ? 0 : platform::makeFolder(path);
        if (code != 0 && code != EEXIST)
            return QStringLiteral("Рабочая папка %1 не может быть создана: %2.")
                .arg(shown, fileaccess::reason(code));
    }
    QTemporaryFile probe(folder + QStringLiteral("/.taven-XXXXXX"));
    if (!probe.open())
        return QStringLiteral("В рабочую папку %1 нельзя записать: %2.").arg(shown, probe.errorString());
    return {};
}

QStringList fill(const QString& bundled, const QString& folder) {
    QString error;
    if (!fileaccess::makeFolder(folder, &error))
        return {error};
    QStringList errors;
    const QDir source(bundled);
    const WorkFolder target(folder);
    QDirIterator it(bundled, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString from = it.next();
        // Matched without regard to case, so a legacy "DataBase" gets no "Database" beside it.
        const QString to = target.path(source.relativeFilePath(from));
        // Only a file surely absent is copied: one that cannot be looked at may be the user's.
        const fileaccess::Look there = fileaccess::look(to);
        if (there.kind == fileaccess::Kind::Failed)
            errors.append(there.error);
        if (there.kind != fileaccess::Kind::Missing)
            continue;
        const std::optional<QByteArray> bytes = fileaccess::read(from, &error);
        if (!bytes || !fileaccess::makeFolder(QFileInfo(to).absolutePath(), &error) ||
            !fileaccess::write(to, *bytes, &error))
            errors.append(error);
    }
    return errors;
}

} // namespace userfolder
