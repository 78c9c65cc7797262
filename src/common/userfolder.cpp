#include "common/userfolder.h"

#include "common/fileaccess.h"
#include "common/workfolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

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
