#pragma once
// The main window: the measurement state, the point column, the gauge, the modes and
// the body map. A façade: outside it sees start-up and the handlers under the names the
// rest of the program knows them by; widgets, timers and state are its own. Tests and tools
// find the widgets, the timers ("Timer1", "Timer2"), the device link ("mscomm") and the
// shared state ("session") by object name. The file is split by concern (layout and start-up
// here, point selection, modes, readings, body map, patients, charts).
#include "catalogue/catalogue.h"
#include "catalogue/modes.h"
#include "common/session.h"
#include "common/workfolder.h"
#include "measurement/devicelink.h"
#include "measurement/readingprocessor.h"
#include "measurement/settings.h"
#include "measurement/startfiles.h"
#include "medications/medicamdb.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class Gauge;
class PointGrid;
class PictureBox;
class frmoption;
class frmHelp;
class frmmedicam;
class frmclient;
class Beeper;
namespace bodymap {
class BodyMap;
}
namespace patients {
class Store;
}

class frmmain : public QWidget {
    Q_OBJECT
    // The measurement state under the names it has always had, to be looked at (not set)
    // from outside by name, as the widgets are.
    Q_PROPERTY(int Index READ propIndex)
    Q_PROPERTY(int number READ propNumber)
    Q_PROPERTY(int intright READ propIntright)
    Q_PROPERTY(QString strini READ propStrini)
    Q_PROPERTY(QStringList strFunctionLine READ propFunctionLines)
    Q_PROPERTY(int int3 READ propInt3)
    Q_PROPERTY(bool blnVega READ propBlnVega)
    Q_PROPERTY(float sngVega READ propSngVega)
    Q_PROPERTY(int datainmax READ propDatainmax)

  public:
    // Data files are read from and written to `folder`, the patients too unless useStore()
    // names another store.
    explicit frmmain(const WorkFolder& folder = WorkFolder(), QWidget* parent = nullptr);
    ~frmmain() override;

    // Where the patient records are kept, before the patient list first opens.
    void useStore(std::unique_ptr<patients::Store> store);

    // Start-up, in main.cpp's order. The data files as start-up read them before the window
    // was made; Form_Load takes them instead of reading (once).
    void useStartFiles(StartFiles files) { m_startFiles = std::move(files); }
    // The window's beeps. The window does not own it.
    void setBeeper(Beeper* beeper);
    // The body map's first picture is read once the window has been painted, so the
    // window comes up without waiting for it.
    void drawMapAfterFirstPaint();
    // Reads the data files of the working folder and selects the first meridian.
    void Form_Load();
    // A run that ends at its first paint (start-up timing) never draws the deferred picture.
    void dropDeferredMap() { m_pendingMap = nullptr; }
    // Opens the device port (a named one, or the first the system offers) and keeps
    // trying while there is none.
    void startDevice(const QString& portName = QString());

    // Point selection and the results grid. Key codes as the keyboard reports them:
    // 46 Delete, 48..57 main-keyboard digits, 96..105 keypad digits.
    void lblnumber_Click(int row);
    void optleft_Click();
    void optright_Click();
    void txtmax_KeyDown(int row, int keyCode, int shift);
    void txtpad_KeyDown(int row, int keyCode, int shift);
    void DrawPoints(int Index);

    // Meridian list and modes.
    void cbomeridian_Click();
    void optdiagnoz_Click();
    void opttest_Click();
    void opthand_Click();

    // The device: every received byte, in order; the measuring time and the button window.
    void mscomm_OnComm(const QByteArray& received);
    void Timer1_Timer();
    void Timer2_Timer();

    void cmdhelp_Click();
    // Opens the medication editor and returns once it is hidden again.
    void cmdmedicam_Click();
    // "Добавить в рецепт": the chosen medication of the point into the pending prescription.
    void cmdaddcard_Click();
    void cmdoptions_Click();
    // Patient records: the list (modal), and the results saved into the chosen visit.
    void cmdclient_Click();
    void cmdsave_Click();

  protected:
    // The picture box's first paint (see drawMapAfterFirstPaint()).
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private slots:
    // A bar clicked in the charts or the patient list's charts: a meridian or branch row of
    // the results, the side and the point row.
    void selectFromChart(int meridian, bool leftSide, int row);

  private:
    void buildButtons();
    void buildModeFrame();
    void buildPointFrame();
    void buildFunctionFrame();
    void connectHandlers();
    // Made at first use (start-up does without it): its controls start from the settings in
    // force, and from then on they are the live settings.
    frmoption* options();
    void readDataFiles(const StartFiles& files);
    void applySettingsFile(const StartFiles& files);
    modes::Mode currentMode() const;
    void applyMode(modes::Mode mode);
    void correctResult(int row, bool maxBox, int keyCode);
    void showFunctionText();
    void listMedications();
    // The pending prescription under the list; `added` names what was just added.
    void showPrescription(const QString& added);
    void showBranchResult(int branch);
    void drawBodyMap(int m, int Index, bool left, bool kti);
    void drawBranchPicture(int branch);
    void tellMapProblems();
    void connectPatients();
    void showPatientCaption();
    // False when results measured since the last load or save are to be kept.
    bool mayLeave();
    bool leftSide() const;
    void chooseSide(bool left);
    int currentMeridian() const;
    // The result charts (Ctrl+G) for the visit loaded here.
    void openCharts();
    // The patient list's charts: opened over the list, their bars selecting here as well.
    void openListCharts(int patient, int visit);
    // "О программе" in the window's context menu: name and version.
    void showAbout();
    // The device's state in the gauge frame, as the link reports it.
    void showDeviceState();

    // What a byte or a Timer1 expiry asks of the window, carried out in the record's order.
    void applyEffects(const reading::Effects& e);
    void applyMove(reading::Effects::Move move);
    void takeResult(const reading::Effects::Result& r);
    void beep3();
    void resetToPoints();
    reading::ReadingContext readingContext() const;
    void showVegaControls(bool vega);

    int propIndex() const { return Index; }
    int propNumber() const { return number; }
    int propIntright() const { return intright; }
    QString propStrini() const { return strini; }
    QStringList propFunctionLines() const { return strFunctionLine; }
    int propInt3() const { return reading.touchCount(); }
    bool propBlnVega() const { return reading.blnVega(); }
    float propSngVega() const { return reading.sngVega(); }
    int propDatainmax() const { return reading.datainmax(); }

    WorkFolder m_folder;
    session::Session m_session{this};

    QString strini;
    int Index = 0;
    int number = 0;
    int intright = 0;
    // datain, datainmax, ..., blnVega, sngVega and int3 live in the processor.
    reading::ReadingProcessor reading;
    DeviceLink mscomm{this};
    QStringList strFunctionLine;

    QPushButton* cmdclient = nullptr;
    QPushButton* cmdmedicam = nullptr;
    QPushButton* cmdsave = nullptr;
    QPushButton* cmdoptions = nullptr;
    QPushButton* cmdhelp = nullptr;
    Gauge* Frame1 = nullptr; // the scale, the live bar lblpower and the figures lblmax, lblpad
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QRadioButton* optdiagnoz = nullptr;
    QRadioButton* opttest = nullptr;
    QRadioButton* opthand = nullptr;
    QLabel* lblVega = nullptr;
    QComboBox* cbomeridian = nullptr;
    QLabel* lblmerid = nullptr;
    QCheckBox* chkkti = nullptr;
    QRadioButton* optleft = nullptr;
    QRadioButton* optright = nullptr;
    QLabel* m_sideLabel = nullptr; // label(0); label(1..3) are the grid's header
    PointGrid* grid = nullptr;     // the point column: lblnumber, txtmax and txtpad are its rows
    QGroupBox* frapoint = nullptr;
    QPlainTextEdit* txtfunction = nullptr;
    QListWidget* lstpreparat = nullptr;
    QPushButton* cmdaddcard = nullptr;
    QLabel* lblrecept = nullptr; // the last addition and the number pending
    PictureBox* pic = nullptr;
    QTimer Timer1{this};
    QTimer Timer2{this};

    frmoption* m_options = nullptr;
    std::optional<StartFiles> m_startFiles;
    // The settings file's line as read at start; the options window starts from it.
    settings::Line m_fileSettings;
    Beeper* m_beeper = nullptr;
    std::unique_ptr<bodymap::BodyMap> m_bodyMap;
    bool m_deviceMessageShown = false;
    bool m_mapWaitsForPaint = false;
    std::function<void()> m_pendingMap;
    QPointer<frmHelp> m_help;
    frmmedicam* m_medicam = nullptr;
    // The medication file as read at start; the editor's changes reach testing only after
    // the program is started again.
    medicam::Database m_medicationFile;
    std::unique_ptr<patients::Store> m_store;
    frmclient* m_client = nullptr;
};
