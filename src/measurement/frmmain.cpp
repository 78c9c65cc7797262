#include "measurement/frmmain.h"

#include "catalogue/bodymap.h"
#include "catalogue/functiontext.h"
#include "common/accessible.h"
#include "common/colours.h"
#include "common/form.h"
#include "common/messages.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/widgets.h"
#include "common/windowplace.h"
#include "help/frmhelp.h"
#include "measurement/commandline.h"
#include "measurement/frmoption.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"
#include "measurement/settings.h"
#include "medications/frmmedicam.h"
#include "patients/frmclient.h"
#include "patients/store.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTimer>
#include <utility>

namespace {

using form::frame;
using form::make;
using form::px;
using form::tw;

const QString kAboutCaption = QStringLiteral("О программе");

} // namespace

frmmain::frmmain(const WorkFolder& folder, QWidget* parent) : QWidget(parent), m_folder(folder) {
    setObjectName("frmmain");
    setWindowTitle(QStringLiteral("Диагностика по Тавену"));
    setFixedSize(px(8685), px(7005));
    useFormFont(this);
    m_session.setObjectName("session");
    mscomm.setObjectName("mscomm");
    Timer1.setObjectName("Timer1");
    Timer2.setObjectName("Timer2");

    buildButtons();
    m_bodyMap = std::make_unique<bodymap::BodyMap>(m_folder);
    Frame1 = new Gauge(this);
    Frame1->setObjectName("Frame1");
    Frame1->setGeometry(tw(120, 0, 5400, 1455));
    showDeviceState();
    buildModeFrame();
    buildPointFrame();
    buildFunctionFrame();
    connectHandlers();
    windowplace::keep(this, QStringLiteral("main"));

    m_session.setSettings(settings::inForce(m_fileSettings));
    connectPatients();
}

void frmmain::buildButtons() {
    cmdclient = make<QPushButton>(this, "cmdclient", QStringLiteral("Карта"), tw(5760, 120, 1215, 375));
    cmdclient->setToolTip(QStringLiteral("Выбор пациента"));
    cmdmedicam = make<QPushButton>(this, "cmdmedicam", QStringLiteral("Препараты"), tw(5760, 600, 1215, 375));
    cmdmedicam->setToolTip(QStringLiteral("Операции над медикаментами"));
    cmdsave = make<QPushButton>(this, "cmdsave", QStringLiteral("Сохранить"), tw(5760, 1080, 1215, 375));
    cmdsave->setToolTip(QStringLiteral("Сохранение результатов измерений"));
    cmdhelp = make<QPushButton>(this, "cmdhelp", QStringLiteral("Справка"), tw(7320, 120, 1215, 375));
    cmdoptions =
        make<QPushButton>(this, "cmdoptions", QStringLiteral("Настройка"), tw(7320, 1080, 1215, 375));
    cmdoptions->setToolTip(QStringLiteral("Параметры измерения"));
}

void frmmain::connectHandlers() {
    connect(cmdhelp, &QPushButton::clicked, this, &frmmain::cmdhelp_Click);
    connect(cmdmedicam, &QPushButton::clicked, this, &frmmain::cmdmedicam_Click);
    connect(cmdaddcard, &QPushButton::clicked, this, &frmmain::cmdaddcard_Click);
    connect(cmdoptions, &QPushButton::clicked, this, &frmmain::cmdoptions_Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_G), this), &QShortcut::activated, this,
            &frmmain::openCharts);
    connect(new QShortcut(QKeySequence::HelpContents, this), &QShortcut::activated, this,
            &frmmain::cmdhelp_Click);
    auto* about = new QAction(kAboutCaption, this);
    connect(about, &QAction::triggered, this, &frmmain::showAbout);
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    // Neither timer runs until a reading or a press arms it.
    Timer1.setSingleShot(true);
    Timer2.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmmain::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &frmmain::Timer2_Timer);
    connect(&mscomm, &DeviceLink::bytesReceived, this, &frmmain::mscomm_OnComm);
}

frmoption* frmmain::options() {
    if (m_options)
        return m_options;
    m_options = new frmoption(m_folder, this);
    m_options->setWindowModality(Qt::ApplicationModal);
    // Before the connections: showing the settings in force changes nothing.
    m_options->apply(m_fileSettings);
    connect(m_options, &frmoption::settingsChanged, &m_session, &session::Session::setSettings);
    connect(m_options, &frmoption::threeTouchesChosen, this, [this] { reading.restartTouchCount(); });
    connect(m_options, &frmoption::settingsWritten, this, [this](const QString& text) { strini = text; });
    return m_options;
}

frmmain::~frmmain() {
    // The list works on the store, a member, which goes before the window's children do.
    delete m_client;
}

void frmmain::buildModeFrame() {
    Frame3 = frame(this, "Frame3", tw(120, 1560, 8415, 615));
    optdiagnoz = make<QRadioButton>(Frame3, "optdiagnoz", QStringLiteral("Диагностика по точкам"),
                                    tw(120, 240, 2175, 255));
    opthand = make<QRadioButton>(Frame3, "opthand", QStringLiteral("Диагностика по ответвлениям"),
                                 tw(2880, 240, 2655, 255));
    opttest = make<QRadioButton>(Frame3, "opttest", QStringLiteral("Медикам. тестирование"),
                                 tw(6000, 240, 2175, 255));
    // Room to the next option or the frame's edge, in twips, less a pixel or two of gap.
    fitCaption(optdiagnoz, px(2880 - 120) - 2);
    fitCaption(opthand, px(6000 - 2880) - 2);
    fitCaption(opttest, px(8415 - 6000) - 3);
    optdiagnoz->setChecked(true);
    lblVega = make<QLabel>(Frame3, "lblVega", QStringLiteral("VEGA"), tw(3720, 120, 975, 435));
    lblVega->setAlignment(Qt::AlignCenter);
    useFigureFont(lblVega);
    setTextColour(lblVega, colours::kRed);
    lblVega->hide();

    // Choosing an option runs its handler, also when the program selects it.
    onSelected(optdiagnoz, this, [this] { optdiagnoz_Click(); });
    onSelected(opttest, this, [this] { opttest_Click(); });
    onSelected(opthand, this, [this] { opthand_Click(); });
}

void frmmain::buildPointFrame() {
    Frame2 = frame(this, "Frame2", tw(120, 2280, 5415, 4575));
    lblmerid = make<QLabel>(Frame2, "lblmerid", QStringLiteral("Меридиан"), tw(3000, 120, 1695, 255));
    cbomeridian = make<NamedComboBox>(Frame2, "cbomeridian", tw(2640, 360, 2655, 315));
    // Named after its caption, which is also its label; the meridian shown is its value.
    cbomeridian->setAccessibleName(lblmerid->text());
    lblmerid->setBuddy(cbomeridian);
    connect(cbomeridian, &QComboBox::activated, this, [this](int) { cbomeridian_Click(); });

    pic = make<PictureBox>(Frame2, "pic", tw(100, 480, 2490, 3975));

    m_sideLabel =
        make<QLabel>(Frame2, form::item("label", 0), QStringLiteral("Сторона:"), tw(2760, 960, 1000, 255));
    optleft = make<QRadioButton>(Frame2, "optleft", QStringLiteral("Левая"), tw(2760, 1320, 1000, 255));
    optright = make<QRadioButton>(Frame2, "optright", QStringLiteral("Правая"), tw(2760, 1680, 1000, 255));
    chkkti = make<QCheckBox>(Frame2, "chkkti", QStringLiteral("по КТИ"), tw(2760, 2400, 1000, 255));
    optleft->setChecked(true);
    onSelected(optleft, this, [this] { optleft_Click(); });
    onSelected(optright, this, [this] { optright_Click(); });

    grid = new PointGrid(Frame2);
    grid->setObjectName("grid");
    connect(grid, &PointGrid::rowClicked, this, &frmmain::lblnumber_Click);
    connect(grid, &PointGrid::keyDown, this, [this](int row, bool maxBox, int code, int shift) {
        maxBox ? txtmax_KeyDown(row, code, shift) : txtpad_KeyDown(row, code, shift);
    });
}

void frmmain::buildFunctionFrame() {
    frapoint = frame(this, "frapoint", tw(5760, 2280, 2775, 4575), QStringLiteral("Функция точки"));
    txtfunction = make<QPlainTextEdit>(frapoint, "txtfunction", tw(120, 360, 2535, 3495));
    txtfunction->setReadOnly(true);
    txtfunction->setAccessibleName(QStringLiteral("Функция точки"));
    lstpreparat = make<QListWidget>(frapoint, "lstpreparat", tw(120, 360, 2535, 3180));
    lstpreparat->setAccessibleName(QStringLiteral("Медикаменты точки"));
    cmdaddcard = make<QPushButton>(frapoint, "cmdaddcard", QStringLiteral("Добавить в рецепт"),
                                   tw(120, 4080, 2535, 375));
    cmdaddcard->setToolTip(QStringLiteral("Добавить препарат в карту"));
    // Between the list and the button: what the last addition was, and how many wait for the card.
    lblrecept = make<QLabel>(frapoint, "lblrecept", tw(120, 3555, 2535, 510));
    lblrecept->setAccessibleName(QStringLiteral("Рецепт"));
    connect(&m_session, &session::Session::prescriptionChanged, this,
            [this] { showPrescription(QString()); });
    showPrescription(QString());
}

void frmmain::Form_Load() {
    reading.restart();
    Frame1->showBar(0);
    Frame1->showFigures(QStringLiteral("0"), QStringLiteral("0"));
    m_session.strRezult.clear();
    cbomeridian->clear();
    cbomeridian->addItems(catalogue::meridianNames());

    // Read by start-up beforehand, or now.
    const StartFiles files =
        m_startFiles ? *std::exchange(m_startFiles, std::nullopt) : readStartFiles(m_folder);
    readDataFiles(files);

    txtfunction->setReadOnly(true);
    {
        // The window already shows point diagnostics; no handler needs to run for it.
        const QSignalBlocker block(optdiagnoz);
        optdiagnoz->setChecked(true);
    }
    frapoint->setTitle(QStringLiteral("Функция точки"));
    frapoint->setAccessibleName(frapoint->title());
    txtfunction->show();
    lstpreparat->hide();
    cmdaddcard->hide();
    lblrecept->hide();

    applySettingsFile(files);

    cbomeridian->setCurrentIndex(0);
    cbomeridian_Click();

    // The closed list may show the longest name; the list keeps its place at the frame's edge.
    fitCaption(cbomeridian, px(5415 - 2640) - 3);

    if (m_options) {
        m_options->lbldown->setText(QStringLiteral("1"));
        m_options->lblvega->setText(m_options->lbldown->text());
    }
    intright = 0;
}

void frmmain::readDataFiles(const StartFiles& files) {
    // A missing data file costs its feature, never the program: say which file and go on.
    if (!files.function)
        msgbox::info(this,
                     files.functionError + QStringLiteral(".\nТексты функций точек показаны не будут."));
    strFunctionLine = files.functionLines.lines;
    if (files.function)
        for (const QString& problem : files.functionLines.problems)
            msgbox::info(this, problem);

    // A broken file still lists what could be read, each point's own medications or none.
    m_medicationFile = files.medications;
    if (!m_medicationFile.problem().isEmpty())
        msgbox::info(this, m_medicationFile.problem() +
                               QStringLiteral("\nФайл можно исправить в окне «Препараты»."));
}

void frmmain::applySettingsFile(const StartFiles& files) {
    if (!files.ini)
        msgbox::info(this, files.iniError + QStringLiteral(".\nИзмерение: одно касание, 3 сек."));
    strini = files.ini.value_or(settings::format(true, settings::formatSeconds(settings::kDefaultSeconds)));
    const settings::Line s = settings::parse(strini);
    if (const QString problem = settings::timeProblem(s.timeText); files.ini && !problem.isEmpty())
        msgbox::info(this, problem);
    m_fileSettings = s;
    if (m_options) {
        m_options->apply(s);
        return;
    }
    // What the options window's controls would announce, without making the window.
    if (!s.oneTouch)
        reading.restartTouchCount();
    m_session.setSettings(settings::inForce(s));
}

void frmmain::cmdhelp_Click() {
    if (!m_help) {
        m_help = new frmHelp(m_folder, this);
        m_help->setWindowModality(Qt::ApplicationModal);
    }
    m_help->show();
}

void frmmain::showAbout() {
    msgbox::about(this,
                  QStringLiteral("Диагностика по Тавену\nВерсия %1\n\n"
                                 "Измерение точек щупом прибора на последовательном порту, "
                                 "тестирование препаратов и карты пациентов.")
                      .arg(commandline::version()),
                  kAboutCaption);
}

void frmmain::cmdmedicam_Click() {
    // Made at first use and only hidden by its "Выход", so it lasts the run; each opening
    // reads the file anew.
    if (!m_medicam)
        m_medicam = new frmmedicam(m_folder, this);
    m_medicam->exec();
}

void frmmain::cmdoptions_Click() {
    options()->show();
}

void frmmain::closeEvent(QCloseEvent* event) {
    if (!mayLeave()) {
        event->ignore();
        return;
    }
    // Nothing is saved on the way out.
    mscomm.shutdown();
    event->accept();
}

void frmmain::drawMapAfterFirstPaint() {
    m_mapWaitsForPaint = true;
    pic->installEventFilter(this);
}

bool frmmain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pic && event->type() == QEvent::Paint && m_mapWaitsForPaint) {
        m_mapWaitsForPaint = false;
        pic->removeEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            if (m_pendingMap)
                std::exchange(m_pendingMap, nullptr)();
        });
        return false;
    }
    return QWidget::eventFilter(watched, event);
}
