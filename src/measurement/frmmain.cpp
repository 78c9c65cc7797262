#include "measurement/frmmain.h"

#include "catalogue/bodymap.h"
#include "catalogue/functiontext.h"
#include "common/colours.h"
#include "common/messages.h"
#include "common/text1251.h"
#include "common/textutil.h"
#include "common/widgets.h"
#include "help/frmhelp.h"
#include "measurement/frmoption.h"
#include "measurement/keycodes.h"
#include "measurement/settings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

namespace {

// Layout is given in twips, 15 to a screen pixel.
constexpr int kTwips = 15;
QRect tw(int left, int top, int width, int height) {
    return QRect(left / kTwips, top / kTwips, width / kTwips, height / kTwips);
}

template <typename W> W* make(QWidget* parent, const QString& caption, const QRect& r) {
    auto* w = new W(caption, parent);
    w->setGeometry(r);
    return w;
}

QGroupBox* frame(QWidget* parent, const QRect& r) {
    return make<QGroupBox>(parent, QString(), r);
}

void styleFigure(QLabel* l) {
    l->setFrameStyle(QFrame::Box | QFrame::Plain);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPointSize(14);
    f.setBold(true);
    l->setFont(f);
    setBackColour(l, colours::kInfoBackground);
}

const QString kFunctionFile = QStringLiteral("function.pnt");
const QString kMedicationFile = QStringLiteral("DataBase\\medicam.nam");

} // namespace

frmmain::frmmain(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Диагностика по Тавену"));
    setFixedSize(8685 / kTwips, 7005 / kTwips);
    useFormFont(this);

    cmdclient = make<QPushButton>(this, QStringLiteral("Карта"), tw(5760, 120, 1215, 375));
    cmdclient->setToolTip(QStringLiteral("Выбор пациента"));
    cmdmedicam = make<QPushButton>(this, QStringLiteral("Препараты"), tw(5760, 600, 1215, 375));
    cmdmedicam->setToolTip(QStringLiteral("Операции над медикаментами"));
    cmdsave = make<QPushButton>(this, QStringLiteral("Сохранить"), tw(5760, 1080, 1215, 375));
    cmdsave->setToolTip(QStringLiteral("Сохранение результатов измерений"));
    cmdhelp = make<QPushButton>(this, QStringLiteral("Справка"), tw(7320, 120, 1215, 375));
    cmdoptions = make<QPushButton>(this, QStringLiteral("Настройка"), tw(7320, 1080, 1215, 375));
    cmdoptions->setToolTip(QStringLiteral("Параметры измерения"));

    m_bodyMap = std::make_unique<bodymap::BodyMap>(this);
    buildGauge();
    buildModeFrame();
    buildPointFrame();
    buildFunctionFrame();

    connect(cmdhelp, &QPushButton::clicked, this, &frmmain::cmdhelp_Click);
    connect(cmdoptions, &QPushButton::clicked, this, &frmmain::cmdoptions_Click);

    // Neither timer runs until a reading or a press arms it.
    Timer1.setSingleShot(true);
    Timer2.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &frmmain::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &frmmain::Timer2_Timer);
    connect(&mscomm, &DeviceLink::bytesReceived, this, &frmmain::mscomm_OnComm);

    m_options = new frmoption(this);
    m_options->setWindowModality(Qt::ApplicationModal);
    connect(m_options, &frmoption::threeTouchesChosen, this, [this] { reading.int3 = 0; });
    connect(m_options, &frmoption::settingsWritten, this, [this](const QString& text, const QString& file) {
        strini = text;
        strFileName = file;
    });
}

frmmain::~frmmain() = default;

void frmmain::buildGauge() {
    Frame1 = frame(this, tw(120, 0, 5400, 1455));
    static const int numberLefts[modes::kNumbers] = {120,  580,  1080, 1560, 2070, 2570,
                                                     3070, 3570, 4080, 4560, 5080};
    for (int k = 0; k < modes::kNumbers; ++k) {
        // Centred over tick 5k at x = 200 + 500k.
        const int centre = 200 + 500 * k;
        const int width = 2 * (centre - numberLefts[k]);
        Label1[k] = make<QLabel>(Frame1, QString::number(10 * k), tw(numberLefts[k], 150, width, 240));
        Label1[k]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QFont f = Label1[k]->font();
        f.setPixelSize(10);
        Label1[k]->setFont(f);
    }
    for (int k = 0; k < modes::kTicks; ++k) {
        const bool major = k % 5 == 0;
        line1[k] = new LineShape(Frame1);
        const int x = (200 + 100 * k) / kTwips;
        const int top = (major ? 400 : 500) / kTwips;
        line1[k]->setGeometry(x, top, major ? 2 : 1, 600 / kTwips - top);
    }
    Label19 = make<QLabel>(Frame1, QString(), tw(180, 600, 5040, 150));
    Label19->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    lblpower = make<QLabel>(Frame1, QString(), tw(200, 600, 0, 150));
    setBackColour(lblpower, colours::kInfoBackground);
    Label17 = make<QLabel>(Frame1, QStringLiteral("Макс."), tw(1100, 1000, 615, 200));
    lblmax = make<QLabel>(Frame1, QStringLiteral("0"), tw(1800, 900, 800, 400));
    lblpad = make<QLabel>(Frame1, QStringLiteral("0"), tw(2800, 900, 800, 400));
    Label18 = make<QLabel>(Frame1, QStringLiteral("Паден."), tw(3700, 1000, 615, 200));
    styleFigure(lblmax);
    styleFigure(lblpad);
    colourScale(modes::Mode::Points);
}

void frmmain::buildModeFrame() {
    Frame3 = frame(this, tw(120, 1560, 8415, 615));
    optdiagnoz = make<QRadioButton>(Frame3, QStringLiteral("Диагностика по точкам"), tw(120, 240, 2175, 255));
    opthand =
        make<QRadioButton>(Frame3, QStringLiteral("Диагностика по ответвлениям"), tw(2880, 240, 2655, 255));
    opttest = make<QRadioButton>(Frame3, QStringLiteral("Медикам. тестирование"), tw(6000, 240, 2175, 255));
    // The captions are longer in this font than the layout's widths allow; widen, never narrow.
    for (QRadioButton* o : {optdiagnoz, opthand, opttest})
        o->resize(std::max(o->width(), o->sizeHint().width()), o->height());
    optdiagnoz->setChecked(true);
    lblVega = make<QLabel>(Frame3, QStringLiteral("VEGA"), tw(3720, 120, 975, 435));
    lblVega->setAlignment(Qt::AlignCenter);
    QFont f = lblVega->font();
    f.setPointSize(14);
    f.setBold(true);
    lblVega->setFont(f);
    setTextColour(lblVega, colours::kRed);
    lblVega->hide();

    // Choosing an option runs its handler, also when the program selects it.
    onSelected(optdiagnoz, this, [this] { optdiagnoz_Click(); });
    onSelected(opttest, this, [this] { opttest_Click(); });
    onSelected(opthand, this, [this] { opthand_Click(); });
}

void frmmain::buildPointFrame() {
    Frame2 = frame(this, tw(120, 2280, 5415, 4575));
    lblmerid = make<QLabel>(Frame2, QStringLiteral("Меридиан"), tw(3000, 120, 1695, 255));
    cbomeridian = new QComboBox(Frame2);
    cbomeridian->setGeometry(tw(2640, 360, 2655, 315));
    connect(cbomeridian, &QComboBox::activated, this, [this](int) { cbomeridian_Click(); });

    pic = new PictureBox(Frame2);
    pic->setGeometry(tw(100, 480, 2490, 3975));

    label[0] = make<QLabel>(Frame2, QStringLiteral("Сторона:"), tw(2760, 960, 1000, 255));
    optleft = make<QRadioButton>(Frame2, QStringLiteral("Левая"), tw(2760, 1320, 1000, 255));
    optright = make<QRadioButton>(Frame2, QStringLiteral("Правая"), tw(2760, 1680, 1000, 255));
    chkkti = make<QCheckBox>(Frame2, QStringLiteral("по КТИ"), tw(2760, 2400, 1000, 255));
    optleft->setChecked(true);
    onSelected(optleft, this, [this] { optleft_Click(); });
    onSelected(optright, this, [this] { optright_Click(); });

    static const int headerLefts[3] = {3840, 4400, 4845};
    static const char* const headers[3] = {"точка", "макс", "паден"};
    for (int k = 0; k < 3; ++k) {
        label[k + 1] = make<QLabel>(Frame2, QString::fromUtf8(headers[k]), tw(headerLefts[k], 720, 495, 240));
        label[k + 1]->resize(std::max(label[k + 1]->width(), label[k + 1]->sizeHint().width()),
                             label[k + 1]->height());
    }

    for (int r = 0; r < catalogue::kRows; ++r) {
        const int top = 960 + 240 * r;
        lblnumber[r] = make<QLabel>(Frame2, QString(), tw(3840, top, 495, 240));
        lblnumber[r]->setFrameStyle(QFrame::Box | QFrame::Plain);
        lblnumber[r]->setAlignment(Qt::AlignCenter);
        setBackColour(lblnumber[r], colours::kButtonFace);
        txtmax[r] = make<QLineEdit>(Frame2, QString(), tw(4320, top, 495, 240));
        txtpad[r] = make<QLineEdit>(Frame2, QString(), tw(4800, top, 495, 240));
        for (QWidget* w : {static_cast<QWidget*>(lblnumber[r]), static_cast<QWidget*>(txtmax[r]),
                           static_cast<QWidget*>(txtpad[r])})
            w->installEventFilter(this);
        for (QLineEdit* box : {txtmax[r], txtpad[r]}) {
            // Typed characters never reach the box; the key handling edits it.
            box->setReadOnly(true);
            box->setAlignment(Qt::AlignCenter);
            box->setContextMenuPolicy(Qt::NoContextMenu);
        }
    }
}

void frmmain::buildFunctionFrame() {
    frapoint = make<QGroupBox>(this, QStringLiteral("Функция точки"), tw(5760, 2280, 2775, 4575));
    txtfunction = new QPlainTextEdit(frapoint);
    txtfunction->setGeometry(tw(120, 360, 2535, 3495));
    txtfunction->setReadOnly(true);
    lstpreparat = new QListWidget(frapoint);
    lstpreparat->setGeometry(tw(120, 360, 2535, 3180));
    cmdaddcard = make<QPushButton>(frapoint, QStringLiteral("Добавить в рецепт"), tw(120, 4080, 2535, 375));
    cmdaddcard->setToolTip(QStringLiteral("Добавить препарат в карту"));
}

void frmmain::Form_Load() {
    reading.blndata = false;
    reading.datain = 0;
    lblpower->resize(0, lblpower->height());
    lblmax->setText(QStringLiteral("0"));
    lblpad->setText(QStringLiteral("0"));
    for (auto& r : strRezult)
        r.fill(QString());
    cbomeridian->clear();
    cbomeridian->addItems(catalogue::meridianNames());

    readDataFiles();

    txtfunction->setReadOnly(true);
    {
        // The window already shows point diagnostics; no handler needs to run for it.
        const QSignalBlocker block(optdiagnoz);
        optdiagnoz->setChecked(true);
    }
    frapoint->setTitle(QStringLiteral("Функция точки"));
    txtfunction->show();
    lstpreparat->hide();
    cmdaddcard->hide();

    applySettingsFile();

    cbomeridian->setCurrentIndex(0);
    cbomeridian_Click();

    reading.blndata = reading.blnrezult = reading.blnpoint = reading.blnVega = false;
    m_options->lbldown->setText(QStringLiteral("1"));
    m_options->lblvega->setText(m_options->lbldown->text());
    reading.int3 = 0;
    intright = 0;
    reading.sngVega = 1.0f;
}

void frmmain::readDataFiles() {
    // A missing data file costs its feature, never the program: say which file and go on.
    QString error;
    const auto function = textfile::read(datapath::resolve(kFunctionFile), &error);
    if (!function)
        msgbox::info(this, error + QStringLiteral(".\nТексты функций точек показаны не будут."));
    strFunction = function.value_or(QString());
    const catalogue::FunctionText lines = catalogue::readFunctionText(strFunction, kFunctionFile);
    strFunctionLine = lines.lines;
    if (function)
        for (const QString& problem : lines.problems)
            msgbox::info(this, problem);

    const auto medications = textfile::read(datapath::resolve(kMedicationFile), &error);
    if (!medications)
        msgbox::info(this, error + QStringLiteral(".\nСписки препаратов точек будут пусты."));
    strPreparat = medications.value_or(QString());
    strPreparatMeridian = text::split(strPreparat, QStringLiteral("]["));
}

void frmmain::applySettingsFile() {
    QString error;
    const auto ini = textfile::read(datapath::resolve(settings::kFileName), &error);
    if (!ini)
        msgbox::info(this, error + QStringLiteral(".\nИзмерение: одно касание, 3 сек."));
    strini = ini.value_or(settings::format(true, settings::formatSeconds(settings::kDefaultSeconds)));
    strFileName = settings::kFileName;
    const settings::Settings s = settings::parse(strini);
    double seconds = 0;
    if (ini && !settings::parseSeconds(s.timeText, &seconds))
        msgbox::info(this, settings::notANumberMessage(s.timeText));
    m_options->apply(s);
}

void frmmain::cmdhelp_Click() {
    if (!m_help) {
        m_help = new frmHelp(this);
        m_help->setWindowModality(Qt::ApplicationModal);
    }
    m_help->show();
}

void frmmain::cmdoptions_Click() {
    m_options->show();
}

void frmmain::closeEvent(QCloseEvent* event) {
    // Nothing is saved on the way out.
    mscomm.shutdown();
    event->accept();
}

bool frmmain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    for (int r = 0; r < catalogue::kRows; ++r) {
        const bool isMax = watched == txtmax[r], isPad = watched == txtpad[r];
        if (event->type() == QEvent::MouseButtonPress) {
            if (watched == lblnumber[r] || isMax || isPad) {
                lblnumber_Click(r);
                return false;
            }
        } else if (isMax || isPad) {
            auto* key = static_cast<QKeyEvent*>(event);
            // Focus moves and lone modifiers are no keys of the box.
            if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Shift ||
                key->key() == Qt::Key_Control || key->key() == Qt::Key_Alt)
                return false;
            const int code = keycodes::fromQt(key->key(), key->modifiers());
            isMax ? txtmax_KeyDown(r, code, int(key->modifiers()))
                  : txtpad_KeyDown(r, code, int(key->modifiers()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
