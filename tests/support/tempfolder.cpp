#include "tempfolder.h"

#include "catalogue/catalogue.h"
#include "common/text1251.h"

#include <QFile>
#include <QFileInfo>

TempFolder::TempFolder() {
    // The pictures as shipped; a test that wants one missing removes it.
    QStringList pictures = catalogue::limbPictures();
    for (int b = 0; b < catalogue::kBranchCount; ++b)
        pictures << catalogue::branchPicture(b);
    for (const QString& p : pictures)
        copyBundled(p);
}

TempFolder::~TempFolder() = default;

void TempFolder::write(const QString& relative, const QString& text) {
    const QString full = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(full).path());
    textfile::write(full, text);
}

QByteArray TempFolder::bytes(const QString& relative) const {
    return textfile::readBytes(m_dir.filePath(relative)).value_or(QByteArray());
}

void TempFolder::copyBundled(const QString& relative) {
    const QString full = m_dir.filePath(relative);
    QDir().mkpath(QFileInfo(full).path());
    QFile::copy(QStringLiteral(TAVEN_BUNDLED_DATA) + u'/' + relative, full);
}

void TempFolder::writeNumberedFunctionFile(int lines) {
    QString text;
    for (int i = 0; i < lines; ++i)
        text += QStringLiteral("L%1\r\n").arg(i);
    write(QStringLiteral("function.pnt"), text);
}

void TempFolder::writeMedicationFile(int meridians) {
    QString text = QStringLiteral("][");
    for (int m = 0; m < meridians; ++m) {
        text += catalogue::meridianName(m) + QStringLiteral("\r\n");
        for (int k = 1; k <= catalogue::pointCount(m); ++k)
            text += QStringLiteral("><p%1\r\nm%2p%1\r\n").arg(k).arg(m);
        text += QStringLiteral("][");
    }
    write(QStringLiteral("Database/medicam.nam"), text + QStringLiteral("\r\n"));
}

MessageLog::MessageLog(msgbox::Answer a) : answer(a) {
    msgbox::setHandler([this](const msgbox::Shown& s) {
        shown.append(s);
        return answer;
    });
}

MessageLog::~MessageLog() {
    msgbox::setHandler({});
}
