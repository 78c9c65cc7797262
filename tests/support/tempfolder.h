#pragma once
// A temporary working folder for window tests, handed to the windows as their working
// folder; the process's current folder is left alone.
#include "common/messages.h"
#include "common/workfolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

class TempFolder {
  public:
    // Starts with the bundled pictures and nothing else.
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Writes a file given in UTF-8 as Windows-1251 (relative path, folders made as needed).
    void write(const QString& relative, const QString& text);
    QByteArray bytes(const QString& relative) const;
    void copyBundled(const QString& relative);
    QString path() const { return m_dir.path(); }
    WorkFolder work() const { return WorkFolder(m_dir.path()); }
    bool remove(const QString& relative) const { return QFile::remove(m_dir.filePath(relative)); }

    // The function file with line i reading "L<i>", so a test sees which line is shown.
    void writeNumberedFunctionFile(int lines = 372);
    // Meridian records in catalogue order; point record k of meridian m lists "m<m>p<k>".
    void writeMedicationFile(int meridians = 21);

  private:
    QTemporaryDir m_dir;
};

// Records every message box and answers questions with the given answer.
class MessageLog {
  public:
    explicit MessageLog(msgbox::Answer answer = msgbox::Answer::Yes);
    ~MessageLog();
    QList<msgbox::Shown> shown;
    msgbox::Answer answer;
};
