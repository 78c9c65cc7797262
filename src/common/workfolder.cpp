#include "common/workfolder.h"

#include <QDir>
#include <QFileInfo>

WorkFolder::WorkFolder(const QString& root)
    : m_root(QDir(root.isEmpty() ? QDir::currentPath() : root).absolutePath()) {}

QString WorkFolder::path(const QString& storedPath) const {
    const QStringList parts = QString(storedPath).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    QString current = m_root;
    for (const QString& part : parts) {
        const QString exact = current + u'/' + part;
        QString match = part;
        if (!QFileInfo::exists(exact)) {
            const QStringList entries =
                QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            for (const QString& e : entries) {
                if (e.compare(part, Qt::CaseInsensitive) == 0) {
                    match = e;
                    break;
                }
            }
        }
        current += u'/' + match;
    }
    return current;
}
