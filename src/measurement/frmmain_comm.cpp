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
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void frmmain::mscomm_OnComm(const QByteArray& received) {
    // Each byte is handled as if it had come alone, so a burst loses nothing.
    reading.processBytes(
        received, [this] { return readingContext(); },
        [this](const reading::Effects& e) { applyEffects(e); });
}

void frmmain::Timer1_Timer() {
    applyEffects(reading.Timer1_Timer());
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

namespace {

// What to do when no port opens.
const QString kDeviceAdvice = QStringLiteral(
    "Проверьте, что прибор включен и его кабель вставлен в компьютер: программа найдет прибор сама, "
    "как только он начнет передавать.\n"
    "Порт прибора можно указать при запуске: taven --port /dev/ttyUSB0.\n"
    "Последовательные порты открывают только члены группы dialout: \"sudo adduser %1 dialout\", "
    "затем войдите в систему заново.");

QString portList(const QStringList& ports) {
    return ports.join(QStringLiteral(", "));
}

} // namespace

void frmmain::startDevice(const QString& portName) {
    connect(&mscomm, &DeviceLink::statusMessage, this, [this](const QString& text) {
        // Said once until the device is back; meanwhile the link keeps trying quietly and
        // a probe plugged in later is simply taken.
        if (text.isEmpty() || m_deviceMessageShown)
            return;
        m_deviceMessageShown = true;
        // A refused port or a path that is no port says itself what is wrong.
        const bool general = text == DeviceLink::kNoDevice || text == DeviceLink::kAllBusy;
        msgbox::warning(this, general ? text + QStringLiteral(".\n\n") +
                                            kDeviceAdvice.arg(qEnvironmentVariable(
                                                "USER", QStringLiteral("<пользователь>")))
                                      : text);
    });
    // The next loss is told again.
    connect(&mscomm, &DeviceLink::opened, this, [this] { m_deviceMessageShown = false; });
    connect(&mscomm, &DeviceLink::stateChanged, this, &frmmain::showDeviceState);
    mscomm.setPortName(portName);
    mscomm.start();
}

void frmmain::showDeviceState() {
    using State = DeviceLink::State;
    const QStringList waiting = mscomm.listeningPorts();
    const QString onPorts =
        QStringLiteral("Ожидание прибора на порт%1 %2")
            .arg(waiting.size() == 1 ? QStringLiteral("у") : QStringLiteral("ах"), portList(waiting));
    switch (mscomm.state()) {
    case State::Connected:
        Frame1->showDevice(QFileInfo(mscomm.portName()).fileName(),
                           QStringLiteral("Прибор подключен: %1").arg(mscomm.portName()), true);
        break;
    case State::Waiting:
        Frame1->showDevice(QStringLiteral("ожидание"), onPorts, false);
        break;
    case State::Lost:
        Frame1->showDevice(QStringLiteral("потерян"),
                           QStringLiteral("Связь с прибором на порту %1 потеряна. ").arg(mscomm.lostPort()) +
                               (waiting.isEmpty() ? QStringLiteral("Поиск прибора") : onPorts),
                           false);
        break;
    case State::Absent: {
        // No status yet: the first look has not been made.
        const bool looked = !mscomm.status().isEmpty();
        Frame1->showDevice(looked ? QStringLiteral("нет") : QStringLiteral("поиск"),
                           looked ? mscomm.status() : QStringLiteral("Поиск прибора"), false);
        break;
    }
    }
}

void frmmain::setBeeper(Beeper* beeper) {
    m_beeper = beeper;
}

void frmmain::applyEffects(const reading::Effects& e) {
    if (e.resetToPoints)
        resetToPoints();
    if (e.stopTimer2)
        Timer2.stop();
    if (e.startTimer2Ms)
        Timer2.start(*e.startTimer2Ms);
    applyMove(e.move);
    if (e.barTwips)
        Frame1->showBar(*e.barTwips);
    if (e.stopTimer1)
        Timer1.stop();
    if (e.startTimer1Ms)
        Timer1.start(*e.startTimer1Ms);
    if (e.live)
        Frame1->showLive(*e.live);
    if (e.result)
        takeResult(*e.result);
    if (e.beep3)
        beep3();
}

void frmmain::applyMove(reading::Effects::Move move) {
    using Move = reading::Effects::Move;
    switch (move) {
    case Move::None:
        break;
    case Move::NextMeridian:
        cbomeridian->setCurrentIndex(
            catalogue::nextMeridianPosition(cbomeridian->currentIndex(), currentMode()));
        cbomeridian_Click();
        break;
    case Move::PreviousPoint:
        Index = catalogue::previousPointRow(Index, currentMeridian());
        lblnumber_Click(Index);
        break;
    case Move::StartVega:
        showVegaControls(true);
        cmdsave->setEnabled(false);
        Frame1->colourVega();
        break;
    case Move::EndVega:
        showVegaControls(false);
        optdiagnoz_Click();
        break;
    }
}

void frmmain::takeResult(const reading::Effects::Result& r) {
    if (r.row < 0) {
        msgbox::info(this, QStringLiteral("Результат измерения (макс. %1, паден. %2) не сохранен: "
                                          "не выбрана ни точка, ни ответвление.\n"
                                          "Выберите точку или ответвление и повторите измерение.")
                               .arg(r.max)
                               .arg(r.drop));
        return;
    }
    grid->showResult(number, r.max, r.drop);
    Frame1->showFigures(QString::number(r.max), QString::number(r.drop));
    m_session.strRezult.cell(r.row, r.column) = r.text;
    m_session.markUnsaved();
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
