#pragma once
#include "measurement/settings.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;

// Measuring options. Its controls are the live settings: the reading processing asks
// them on every byte, so a change applies at once; "Выход" makes it persist.
class frmoption : public QDialog {
    Q_OBJECT
  public:
    explicit frmoption(QWidget* parent = nullptr);

    void Form_Load();
    void opt1_Click();
    void opt3_Click();
    void cmdtimeinc_Click();
    void cmdtimedec_Click();
    void cmdexit_Click();

    // Start-up: the settings file's method and time.
    void apply(const settings::Settings& s);
    bool oneTouch() const;
    double measuringSeconds() const;
    // Rounded to whole milliseconds; a time that is no usable number gives 3 s.
    int measuringMs() const;

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
    // A fresh three-touch set starts.
    void threeTouchesChosen();
    // The settings line as written (or as it failed to be written) into the file.
    void settingsWritten(const QString& text, const QString& fileName);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void setTimeControlsEnabled(bool enabled);
    void stepTime(int direction);
};
