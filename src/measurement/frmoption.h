#pragma once
#include "common/session.h"
#include "common/workfolder.h"
#include "measurement/settings.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// Measuring options. Its controls are the live settings: every change is announced on
// the same click (settingsChanged), so it applies at once; "Выход" makes it persist in
// the working folder's settings file.
class frmoption : public QDialog {
    Q_OBJECT
  public:
    explicit frmoption(const WorkFolder& folder, QWidget* parent = nullptr);

    void Form_Load();
    void opt1_Click();
    void opt3_Click();
    void cmdtimeinc_Click();
    void cmdtimedec_Click();
    void cmdexit_Click();
    // Escape.
    void reject() override;

    // Start-up: the settings file's method and time.
    void apply(const settings::Line& s);
    bool oneTouch() const;
    double measuringSeconds() const;
    // Rounded to whole milliseconds; a time that is no usable number gives 3 s.
    int measuringMs() const;
    // The controls as a value.
    session::Settings settings() const;

    QRadioButton* opt1 = nullptr;
    QRadioButton* opt3 = nullptr;
    QLabel* lbltime = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdtimeinc = nullptr;
    QPushButton* cmdtimedec = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* lbldown = nullptr;
    QLabel* lblvega = nullptr;
    QPushButton* cmdexit = nullptr;

  signals:
    // The method or the time changed (also at start-up).
    void settingsChanged(const session::Settings& settings);
    // A fresh three-touch set starts.
    void threeTouchesChosen();
    // The settings line as written (or as it failed to be written) into the file.
    void settingsWritten(const QString& text);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void announce();
    void setTimeControlsEnabled(bool enabled);
    void stepTime(int direction);

    WorkFolder m_folder;
};
