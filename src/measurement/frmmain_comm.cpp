// The device link: bytes into the reading processing, its timers, the probe's button and VEGA.
#include "common/colourvalues.h"
#include "common/messages.h"
#include "common/widgets.h"
#include "measurement/beeper.h"
#include "measurement/frmmain.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void frmmain::mscomm_OnComm(const QByteArray& received) {
    // Each byte is handled as if it had come alone, so a burst loses nothing.
    reading.processBytes(received, [this] { return readingContext(); });
}

void frmmain::Timer1_Timer() {
    reading.Timer1_Timer();
}

void frmmain::Timer2_Timer() {
    Timer2.stop();
}

reading::ReadingContext frmmain::readingContext() const {
    reading::ReadingContext c;
    c.oneTouch = m_session.settings().oneTouch;
    c.measuringMs = m_session.settings().measuringMs;
    c.testing = opttest->isChecked();
    c.branches = opthand->isChecked();
    c.timer2Running = Timer2.isActive();
    c.kti = chkkti->isChecked();
    c.listPosition = cbomeridian->currentIndex();
    c.number = number;
    c.intright = intright;
    return c;
}

void frmmain::startDevice(const QString& portName) {
    connect(&mscomm, &DeviceLink::statusMessage, this, [this](const QString& text) {
        // Said once until the device is back; meanwhile the link keeps trying quietly and
        // a probe plugged in later is simply taken.
        if (text.isEmpty() || m_deviceMessageShown)
            return;
        m_deviceMessageShown = true;
        msgbox::info(this, text);
    });
    connect(&mscomm, &DeviceLink::opened, this, [this](const QString& name) {
        m_deviceMessageShown = false; // the next loss is told again
        Frame1->setToolTip(QStringLiteral("Порт прибора: %1").arg(name));
    });
    connect(&mscomm, &DeviceLink::closed, this, [this] { Frame1->setToolTip(QString()); });
    mscomm.setPortName(portName);
    mscomm.start();
}

void frmmain::setBeeper(Beeper* beeper) {
    m_beeper = beeper;
}

void frmmain::startTimer1(int ms) {
    Timer1.start(ms);
}

void frmmain::stopTimer1() {
    Timer1.stop();
}

void frmmain::startTimer2(int ms) {
    Timer2.start(ms);
}

void frmmain::stopTimer2() {
    Timer2.stop();
}

void frmmain::showBar(int widthTwips) {
    Frame1->showBar(widthTwips);
}

void frmmain::showLive(int value) {
    Frame1->showLive(value);
}

void frmmain::showResult(int max, int drop) {
    grid->showResult(number, max, drop);
    Frame1->showFigures(QString::number(max), QString::number(drop));
}

void frmmain::storeResult(int row, int column, const QString& text) {
    m_session.strRezult.cell(row, column) = text;
    m_session.markUnsaved();
}

void frmmain::resultNotStored(int max, int drop) {
    msgbox::info(this, QStringLiteral("Результат измерения (макс. %1, паден. %2) не сохранен: "
                                      "не выбрана ни точка, ни ответвление.\n"
                                      "Выберите точку или ответвление и повторите измерение.")
                           .arg(max)
                           .arg(drop));
}

void frmmain::beep3() {
    if (m_beeper)
        m_beeper->beep3();
    else
        QApplication::beep();
}

void frmmain::showVegaControls(bool vega) {
    lblVega->setVisible(vega);
    optdiagnoz->setVisible(!vega);
    opthand->setVisible(!vega);
    opttest->setEnabled(!vega);
}

void frmmain::resetToPoints() {
    showVegaControls(false);
    // Selecting point diagnostics runs its handler only when it was not selected.
    optdiagnoz->setChecked(true);
}

void frmmain::nextMeridian() {
    cbomeridian->setCurrentIndex(catalogue::nextMeridianPosition(cbomeridian->currentIndex(), currentMode()));
    cbomeridian_Click();
}

void frmmain::previousPoint() {
    Index = catalogue::previousPointRow(Index, currentMeridian());
    lblnumber_Click(Index);
}

void frmmain::startVega() {
    showVegaControls(true);
    cmdsave->setEnabled(false);
    Frame1->colourVega();
}

void frmmain::endVega() {
    showVegaControls(false);
    optdiagnoz_Click();
}
