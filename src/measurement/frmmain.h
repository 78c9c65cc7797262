#pragma once
// The main window: the measurement state, the point column, the gauge, the modes and
// the body map. Handlers keep the names the rest of the program knows them by; the
// file is split by concern (layout and start-up here, point selection, modes, readings).
#include "catalogue/catalogue.h"
#include "catalogue/modes.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class LineShape;
class PictureBox;
class frmoption;
class frmHelp;

class frmmain : public QWidget {
    Q_OBJECT
public:
    explicit frmmain(QWidget* parent = nullptr);
    ~frmmain() override;

    // Start-up: reads the data files of the working folder and selects the first meridian.
    void Form_Load();
    void Form_Resize() {}

    // Point selection and the results grid.
    void lblnumber_Click(int row);
    void txtmax_Click(int row) { lblnumber_Click(row); }
    void txtpad_Click(int row) { lblnumber_Click(row); }
    void optleft_Click();
    void optright_Click();
    // Key codes as the keyboard reports them: 46 Delete, 48..57 main-keyboard digits,
    // 96..105 keypad digits.
    void txtmax_KeyDown(int row, int keyCode, int shift);
    void txtpad_KeyDown(int row, int keyCode, int shift);
    void DrawPoints(int Index);

    // Meridian list and modes.
    void cbomeridian_Click();
    void optdiagnoz_Click();
    void opttest_Click();
    void opthand_Click();

    void cmdhelp_Click();
    void cmdoptions_Click();

    frmoption* options() const { return m_options; }
    modes::Mode currentMode() const;

    // Public state, read and written by the other windows.
    QString strPreparat;
    QString strRecept;
    QString strFunction;
    QString strFileName;
    QString strDataNew;
    QString strDataFile;
    QString strini;
    int Index = 0;
    int number = 0;
    int intright = 0;
    int int3 = 0;

    std::array<std::array<QString, catalogue::kResultColumns>, catalogue::kResultRows> strRezult;
    QStringList strFunctionLine;
    QStringList strPreparatMeridian;

    // Widgets.
    QPushButton* cmdclient = nullptr;
    QPushButton* cmdmedicam = nullptr;
    QPushButton* cmdsave = nullptr;
    QPushButton* cmdoptions = nullptr;
    QPushButton* cmdhelp = nullptr;
    QGroupBox* Frame1 = nullptr;
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
    std::array<QLabel*, 4> label{};
    std::array<QLabel*, catalogue::kRows> lblnumber{};
    std::array<QLineEdit*, catalogue::kRows> txtmax{};
    std::array<QLineEdit*, catalogue::kRows> txtpad{};
    QGroupBox* frapoint = nullptr;
    QPlainTextEdit* txtfunction = nullptr;
    QListWidget* lstpreparat = nullptr;
    QPushButton* cmdaddcard = nullptr;
    PictureBox* pic = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* lblpower = nullptr;
    std::array<LineShape*, modes::kTicks> line1{};
    std::array<QLabel*, modes::kNumbers> Label1{};
    QLabel* lblmax = nullptr;
    QLabel* lblpad = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QTimer Timer1;
    QTimer Timer2;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildGauge();
    void buildModeFrame();
    void buildPointFrame();
    void buildFunctionFrame();
    void readDataFiles();
    void applySettingsFile();
    void colourScale(modes::Mode mode);
    void applyMode(modes::Mode mode);
    void correctResult(int row, QLineEdit* box, int keyCode);
    void showFunctionText();
    void listMedications();
    void showBranchResult(int branch);
    void drawBodyMap(int m, int Index);
    void drawBranchPicture(int branch);
    bool leftSide() const;
    int currentMeridian() const;

    frmoption* m_options = nullptr;
    QPointer<frmHelp> m_help;
};
