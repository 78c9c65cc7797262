#pragma once
// A temporary working folder for window tests: the program reads its data files from
// the current folder, so the test moves there for its lifetime and back afterwards.
#include "common/messages.h"

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QTemporaryDir>

class WorkFolder {
  public:
    // Starts with the bundled pictures and nothing else.
    WorkFolder();
    ~WorkFolder();
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    // Writes a file given in UTF-8 as Windows-1251 (relative path, folders made as needed).
    void write(const QString& relative, const QString& text);
    QByteArray bytes(const QString& relative) const;
    void copyBundled(const QString& relative);
    QString path() const { return m_dir.path(); }

    // The function file with line i reading "L<i>", so a test sees which line is shown.
    void writeNumberedFunctionFile(int lines = 372);
    // Meridian records in catalogue order; point record k of meridian m lists "m<m>p<k>".
    void writeMedicationFile(int meridians = 21);

  private:
    QTemporaryDir m_dir;
    QString m_old;
};

// Records every message box and answers questions with the given answer.
class MessageLog {
  public:
    explicit MessageLog(msgbox::Answer answer = msgbox::Answer::Yes);
    ~MessageLog();
    QList<msgbox::Shown> shown;
    msgbox::Answer answer;
};
