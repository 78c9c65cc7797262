#pragma once
#include "common/workfolder.h"

#include <QDialog>

class QPlainTextEdit;

// Shows "taven.txt" as it stands; the file is read anew each time the window opens.
class frmHelp : public QDialog {
    Q_OBJECT
  public:
    explicit frmHelp(const WorkFolder& folder, QWidget* parent = nullptr);

    void Form_Load();

    QPlainTextEdit* txtHelp = nullptr;

  private:
    WorkFolder m_folder;
};
