#include "measurement/frmoption.h"

#include "common/form.h"
#include "common/messages.h"
#include "common/textutil.h"
#include "common/widgets.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <cmath>

using form::make;
using form::tw;

frmoption::frmoption(const WorkFolder& folder, QWidget* parent) : QDialog(parent), m_folder(folder) {
    setObjectName("frmoption");
    setWindowTitle(QStringLiteral("Параметры измерения"));
    setFixedSize(form::px(5535), form::px(3405));
    useFormFont(this);

    auto* method = form::frame(this, "framethod", tw(120, 120, 3495, 975), QStringLiteral("Метод измерения"));
    opt1 = make<QRadioButton>(method, "opt1", QStringLiteral("одно касание"), tw(240, 360, 1455, 255));
    opt3 = make<QRadioButton>(method, "opt3", QStringLiteral("три касания"), tw(2040, 360, 1335, 255));

    auto* time = form::frame(this, "fratime", tw(3720, 120, 1695, 975), QStringLiteral("Время измерения"));
    Label1 = make<QLabel>(time, "Label1", QStringLiteral("Сек"), tw(120, 480, 375, 255));
    lbltime = make<QLabel>(time, "lbltime", tw(480, 360, 495, 375));
    lbltime->setText(QStringLiteral("3"));
    lbltime->setAlignment(Qt::AlignCenter);
    lbltime->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    cmdtimeinc = make<QPushButton>(time, "cmdtimeinc", QStringLiteral("+"), tw(1080, 240, 375, 255));
    cmdtimedec = make<QPushButton>(time, "cmdtimedec", QStringLiteral("-"), tw(1080, 600, 375, 255));

    auto* press = form::frame(this, "frapress", tw(120, 1200, 5295, 1455),
                              QStringLiteral("Время нажатия кнопки на щупе в секундах"));
    Label3 = make<QLabel>(press, "Label3", QStringLiteral("Для смены точки"), tw(480, 360, 1455, 255));
    Label2 = make<QLabel>(press, "Label2", QStringLiteral("не более"), tw(360, 960, 735, 255));
    lbldown = make<QLabel>(press, "lbldown", tw(1080, 840, 495, 375));
    Label4 =
        make<QLabel>(press, "Label4", QStringLiteral("Для перехода в режим  VEGA"), tw(2640, 360, 2295, 255));
    Label5 = make<QLabel>(press, "Label5", QStringLiteral("не менее"), tw(2880, 960, 735, 255));
    lblvega = make<QLabel>(press, "lblvega", tw(3720, 840, 495, 375));
    for (QLabel* l : {lbldown, lblvega}) {
        l->setText(QStringLiteral("1"));
        l->setAlignment(Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }

    cmdexit = make<QPushButton>(this, "cmdexit", QStringLiteral("Выход"), tw(1920, 2880, 1455, 375));

    // Room to the next widget or the frame's edge, in twips, less a pixel or two of gap.
    fitCaption(opt1, form::px(2040 - 240) - 2);
    fitCaption(opt3, form::px(3495 - 2040) - 3);
    fitCaption(Label3, form::px(2640 - 480) - 2);
    fitCaption(Label2, form::px(1080 - 360) - 1);
    fitCaption(Label4, form::px(5295 - 2640) - 3);
    fitCaption(Label5, form::px(3720 - 2880) - 1);

    onSelected(opt1, this, [this] { opt1_Click(); });
    onSelected(opt3, this, [this] { opt3_Click(); });
    connect(cmdtimeinc, &QPushButton::clicked, this, &frmoption::cmdtimeinc_Click);
    connect(cmdtimedec, &QPushButton::clicked, this, &frmoption::cmdtimedec_Click);
    connect(cmdexit, &QPushButton::clicked, this, &frmoption::cmdexit_Click);
    Form_Load();
}

void frmoption::Form_Load() {
    opt1->setChecked(true);
    opt3->setChecked(false);
}

void frmoption::setTimeControlsEnabled(bool enabled) {
    lbltime->setEnabled(enabled);
    cmdtimeinc->setEnabled(enabled);
    cmdtimedec->setEnabled(enabled);
}

void frmoption::announce() {
    emit settingsChanged(settings());
}

void frmoption::opt1_Click() {
    setTimeControlsEnabled(true);
    opt1->setChecked(true);
    announce();
}

void frmoption::opt3_Click() {
    // The time stays in force for each of the three touches, it just cannot be changed.
    setTimeControlsEnabled(false);
    opt3->setChecked(true);
    emit threeTouchesChosen();
    announce();
}

void frmoption::stepTime(int direction) {
    lbltime->setText(settings::formatSeconds(settings::stepSeconds(measuringSeconds(), direction)));
    announce();
}

void frmoption::cmdtimeinc_Click() {
    stepTime(+1);
}

void frmoption::cmdtimedec_Click() {
    stepTime(-1);
}

void frmoption::apply(const settings::Line& s) {
    if (s.oneTouch) {
        opt1->setChecked(true);
        opt1_Click();
    } else {
        opt3->setChecked(true); // runs opt3_Click as a click does
    }
    // A time that is no number or out of range falls back to 3 s rather than breaking every
    // measurement; the window shows the time in force, so "Выход" writes that one.
    lbltime->setText(settings::formatSeconds(settings::usedSeconds(s.timeText)));
    announce();
}

bool frmoption::oneTouch() const {
    return opt1->isChecked();
}

double frmoption::measuringSeconds() const {
    return settings::secondsOrDefault(lbltime->text());
}

int frmoption::measuringMs() const {
    return settings::measuringMs(lbltime->text());
}

session::Settings frmoption::settings() const {
    return {oneTouch(), measuringMs()};
}

void frmoption::cmdexit_Click() {
    const QString text = settings::format(oneTouch(), lbltime->text());
    QString error;
    if (!settings::write(m_folder.path(settings::kFileName), text, &error))
        msgbox::info(this, error + QStringLiteral(". Параметры действуют до выхода из программы."));
    emit settingsWritten(text);
    hide();
}

void frmoption::reject() {
    // Escape: the same as the close box and "Выход", so a change is never kept in force
    // without being kept in the file.
    cmdexit_Click();
}

void frmoption::closeEvent(QCloseEvent* event) {
    // The close box keeps the window alive and acts as "Выход", so the time is never lost.
    event->ignore();
    cmdexit_Click();
}
