#include "common/colours.h"
#include "common/widgets.h"
#include "mainui.h"
#include "measurement/beeper.h"
#include "measurement/frmoption.h"
#include "measurement/gauge.h"
#include "measurement/pointgrid.h"
#include "ptypair.h"
#include "tempfolder.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

namespace {

class CountingBeeper : public Beeper {
  public:
    int count = 0;
    void beep3() override { ++count; }
};

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

// The device's bytes through the main window, with the timers fired by the test.
class MainWindowDeviceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<CountingBeeper> beeper;
    std::unique_ptr<MainUi> w;

    void start(const QString& ini = QStringLiteral("12\r\n")) {
        folder->write("taven.ini", ini);
        w = std::make_unique<MainUi>(folder->work());
        w->setBeeper(beeper.get());
        w->Form_Load();
        w->show();
    }
    void send(std::initializer_list<int> values) { w->mscomm_OnComm(bytes(values)); }
    void choose(const QString& item) {
        w->cbomeridian->setCurrentIndex(w->cbomeridian->findText(item));
        w->cbomeridian_Click();
    }
    // A press closed within the button window.
    void shortPress() {
        send({255});
        QVERIFY(w->Timer2.isActive());
        send({75});
    }
    void longPress(int closingByte) {
        send({255});
        w->Timer2_Timer();
        send({closingByte});
    }
    QString deviceState() const {
        return QAccessible::queryAccessibleInterface(w->Frame1->lbldevice)->text(QAccessible::Description);
    }
    int selectedRow() const {
        for (int r = 0; r < catalogue::kRows; ++r)
            if (backColour(w->grid->lblnumber[r]) == colours::toQColor(colours::kInfoBackground))
                return r;
        return -1;
    }

  private slots:
    void init() {
        folder = std::make_unique<TempFolder>();
        log = std::make_unique<MessageLog>();
        beeper = std::make_unique<CountingBeeper>();
        folder->writeNumberedFunctionFile();
        folder->writeMedicationFile();
    }
    void cleanup() {
        w.reset();
        beeper.reset();
        log.reset();
        folder.reset();
    }

    void oneTouchIntoTheGrid() {
        start();
        QCOMPARE(w->options()->measuringMs(), 2000);
        send({75, 90, 110, 100});
        QVERIFY(w->Timer1.isActive());
        QCOMPARE(w->Timer1.interval(), 2000);
        QCOMPARE(w->Frame1->lblpower->width(), qRound(30 * 50 / 15.0));
        w->Timer1_Timer();
        send({95});
        QCOMPARE(w->grid->txtmax[10]->text(), QStringLiteral("40"));
        QCOMPARE(w->grid->txtpad[10]->text(), QStringLiteral("15"));
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("40"));
        QCOMPARE(w->Frame1->lblpad->text(), QStringLiteral("15"));
        QCOMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("40 15"));
        QCOMPARE(beeper->count, 1);
        // Holding the probe on the point starts no second measurement.
        send({120, 130, 120});
        QVERIFY(!w->Timer1.isActive());
        QCOMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("40 15"));
        QCOMPARE(beeper->count, 1);
    }

    // The bar and the two figures tell their values through the accessibility interface
    // as they change.
    void barAndFiguresAreReadable() {
        start();
        auto read = [](QWidget* x, QAccessible::Text t) {
            return QAccessible::queryAccessibleInterface(x)->text(t);
        };
        QCOMPARE(read(w->Frame1->lblpower, QAccessible::Name), QStringLiteral("Показание"));
        QCOMPARE(read(w->Frame1->lblpower, QAccessible::Description), QStringLiteral("0"));
        QCOMPARE(read(w->Frame1->lblmax, QAccessible::Name), QStringLiteral("Макс."));
        QCOMPARE(read(w->Frame1->lblpad, QAccessible::Name), QStringLiteral("Паден."));
        send({75, 90, 110});
        QCOMPARE(read(w->Frame1->lblpower, QAccessible::Description), QStringLiteral("40"));
        QAccessibleValueInterface* bar =
            QAccessible::queryAccessibleInterface(w->Frame1->lblpower)->valueInterface();
        QVERIFY2(bar, "the live bar offers no value");
        QCOMPARE(bar->currentValue().toInt(), 40);
        QCOMPARE(bar->maximumValue().toInt(), 100);
        w->Timer1_Timer();
        send({95});
        QCOMPARE(read(w->Frame1->lblpower, QAccessible::Description), QStringLiteral("25"));
        QCOMPARE(read(w->Frame1->lblmax, QAccessible::Description), QStringLiteral("40"));
        QCOMPARE(read(w->Frame1->lblpad, QAccessible::Description), QStringLiteral("15"));
        w->opttest->setChecked(true);
        send({100});
        QCOMPARE(read(w->Frame1->lblmax, QAccessible::Description), QStringLiteral("30"));
        QCOMPARE(read(w->Frame1->lblpad, QAccessible::Description), QString());
    }

    void rightSideAndBurstsLoseNothing() {
        start();
        w->optright->setChecked(true);
        QTest::mouseClick(w->grid->lblnumber[4], Qt::LeftButton);
        // All of a burst counts: the peak sits in the middle of it.
        w->mscomm_OnComm(bytes({75, 90, 110, 100}));
        w->mscomm_OnComm(QByteArray());
        w->Timer1_Timer();
        send({95});
        QCOMPARE(w->session().strRezult.cell(0, 14 + 4), QStringLiteral("40 15"));
        QCOMPARE(w->session().strRezult.cell(0, 4), QString());
    }

    void threeTouches() {
        start("32\r\n");
        QVERIFY(!w->options()->oneTouch());
        const int maxima[3] = {40, 55, 47};
        for (int k = 0; k < 3; ++k) {
            send({70 + maxima[k], 70 + maxima[k] - 5});
            w->Timer1_Timer();
            send({70 + maxima[k] - 6, 70});
            QCOMPARE(beeper->count, k + 1);
        }
        QCOMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("55 15"));
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("55"));
        QCOMPARE(w->reading.touchCount(), 0);
    }

    void touchEndingEarlyIsDiscarded() {
        start();
        w->session().strRezult.cell(0, 10) = QStringLiteral("33 3");
        send({75, 90, 70});
        QVERIFY(!w->Timer1.isActive());
        send({70, 70});
        QCOMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("33 3"));
        QCOMPARE(beeper->count, 0);
        // The next touch starts afresh.
        send({80, 85});
        QVERIFY(w->Timer1.isActive());
        w->Timer1_Timer();
        send({82});
        QCOMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("15 3"));
    }

    void shortPressMovesUpAndWraps() {
        start();
        QCOMPARE(w->property("Index").toInt(), 10);
        shortPress();
        QCOMPARE(selectedRow(), 9);
        // A click moves the selection, not the probe's cursor.
        QTest::mouseClick(w->grid->lblnumber[5], Qt::LeftButton);
        shortPress();
        QCOMPARE(selectedRow(), 8);
        for (int k = 0; k < 8; ++k)
            shortPress();
        QCOMPARE(selectedRow(), 0);
        shortPress();
        QCOMPARE(selectedRow(), 10);
        // The closing byte of a press is no reading.
        QCOMPARE(w->Frame1->lblpower->width(), 0);
        QVERIFY(!w->Timer1.isActive());
        // After a change to a meridian with fewer points the cursor is within its rows.
        choose("Почки");
        choose("Жировая дегенерация");
        shortPress();
        QCOMPARE(selectedRow(), 2);
        QCOMPARE(w->txtfunction->toPlainText(), QStringLiteral("L295"));
    }

    void shortPressWithControlPointsChangesMeridian() {
        start();
        w->chkkti->setChecked(true);
        choose("Мочевой пузырь");
        shortPress();
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Лимфатический"));
        QCOMPARE(selectedRow(), 8);
        shortPress();
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Легкие"));
        // A second 255 while a press waits changes nothing.
        send({255, 255});
        send({75});
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Толстая кишка"));
    }

    // "по КТИ" ticked before the branch mode: a short press steps the four branch items
    // and wraps, so the next touch has a row to go to.
    void shortPressStaysWithinTheBranches() {
        start();
        w->chkkti->setChecked(true);
        w->opthand->setChecked(true);
        QStringList seen;
        for (int k = 0; k < 4; ++k) {
            shortPress();
            seen << w->cbomeridian->currentText();
        }
        QCOMPARE(seen, (QStringList{"Нога-нога", "Левая рука-нога", "Правая рука-нога", "Рука-рука"}));
        send({80, 100});
        w->Timer1_Timer();
        send({90});
        QCOMPARE(w->session().strRezult.cell(21, 0), QStringLiteral("30 10"));
        QCOMPARE(beeper->count, 1);
        QVERIFY(log->shown.isEmpty());
    }

    // A measurement with nothing to take it is said, never beeped and dropped.
    void resultWithNoRowIsTold() {
        start();
        w->opthand->setChecked(true);
        w->cbomeridian->setCurrentIndex(-1);
        send({80, 100});
        w->Timer1_Timer();
        send({90});
        QCOMPARE(beeper->count, 0);
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(log->shown[0].text.contains("30") && log->shown[0].text.contains("не сохранен"),
                 qPrintable(log->shown[0].text));
        QVERIFY(w->session().strRezult.isEmpty());
    }

    void vegaOnAndOff() {
        start();
        w->opttest->setChecked(true);
        longPress(120); // no reading yet: nothing to re-reference to
        QVERIFY(!w->reading.blnVega());
        send({110}); // value 40
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("40"));
        longPress(100);
        QVERIFY(!w->reading.blnVega());
        longPress(140);
        QVERIFY(!w->reading.blnVega());
        send({110});
        longPress(120);
        QVERIFY(w->reading.blnVega());
        QVERIFY(w->lblVega->isVisibleTo(w.get()));
        QVERIFY(!w->optdiagnoz->isVisibleTo(w.get()) && !w->opthand->isVisibleTo(w.get()));
        QVERIFY(!w->opttest->isEnabled() && !w->cmdsave->isEnabled());
        QCOMPARE(w->Frame1->tickColour(40), colours::kRed);
        QCOMPARE(w->Frame1->tickColour(25), colours::kBlue);
        QCOMPARE(colours::toQColor(w->Frame1->numberColour(8)), colours::toQColor(colours::kRed));
        QCOMPARE(colours::toQColor(w->Frame1->numberColour(5)), colours::toQColor(colours::kBlue));
        send({120}); // value 50 against the reference 40
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("100"));
        QCOMPARE(w->Frame1->lblpower->width(), qRound(5000 / 15.0));
        send({170}); // the bar stops at the end of the scale
        QCOMPARE(w->Frame1->lblpower->width(), qRound(5000 / 15.0));
        longPress(90);
        QVERIFY(!w->reading.blnVega());
        QVERIFY(w->optdiagnoz->isChecked());
        QVERIFY(w->cmdsave->isEnabled() && w->opttest->isEnabled());
        QVERIFY(!w->lblVega->isVisibleTo(w.get()));
        QCOMPARE(w->Frame1->tickColour(25), colours::kDarkGreen);
    }

    void resetCodeLeavesVega() {
        start();
        w->opttest->setChecked(true);
        send({110});
        longPress(110);
        QVERIFY(w->reading.blnVega());
        send({250});
        QVERIFY(!w->reading.blnVega());
        QCOMPARE(w->reading.sngVega(), 1.0f);
        QVERIFY(w->optdiagnoz->isChecked() && w->optdiagnoz->isVisibleTo(w.get()));
        QVERIFY(w->opttest->isEnabled() && !w->lblVega->isVisibleTo(w.get()));
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Лимфатический"));
    }

    // One byte, two things asked: the reset code closing a short press. Points come back
    // first (the list starts again from its bottom row), then the cursor steps up from there.
    void resetClosingAShortPress() {
        start();
        w->opthand->setChecked(true);
        QVERIFY(w->opthand->isChecked());
        send({255});
        QVERIFY(w->Timer2.isActive());
        send({250});
        QVERIFY(w->optdiagnoz->isChecked());
        QVERIFY(!w->Timer2.isActive());
        QCOMPARE(w->cbomeridian->currentText(), QStringLiteral("Лимфатический"));
        QCOMPARE(selectedRow(), 9);
    }

    void branchResultGoesToItsRow() {
        start();
        w->opthand->setChecked(true);
        choose("Нога-нога");
        send({80, 100});
        w->Timer1_Timer();
        send({90});
        QCOMPARE(w->session().strRezult.cell(22, 0), QStringLiteral("30 10"));
        QCOMPARE(w->Frame1->lblmax->text(), QStringLiteral("30"));
        for (int r = 0; r < 21; ++r)
            for (int c = 0; c < catalogue::kResultColumns; ++c)
                QVERIFY(w->session().strRezult.cell(r, c).isEmpty());
    }

    void throughAPseudoTerminal() {
        PtyPair pty;
        QVERIFY(pty.isOpen());
        start();
        w->startDevice(pty.slaveName());
        QVERIFY(w->mscomm.isOpen());
        QVERIFY(log->shown.isEmpty());
        // One write, several bytes: every one of them is a reading.
        QVERIFY(pty.write(bytes({75, 90, 110, 100})));
        QTRY_VERIFY(w->Timer1.isActive());
        QTRY_COMPARE(w->reading.datainmax(), 40);
        w->Timer1_Timer();
        QVERIFY(pty.write(bytes({95})));
        QTRY_COMPARE(w->session().strRezult.cell(0, 10), QStringLiteral("40 15"));
        QCOMPARE(w->grid->txtmax[10]->text(), QStringLiteral("40"));
        QCOMPARE(w->grid->txtpad[10]->text(), QStringLiteral("15"));
        QVERIFY(pty.write(bytes({255, 80})));
        QTRY_COMPARE(selectedRow(), 9);
        QVERIFY2(pty.readBack().isEmpty(), "nothing is ever sent to the device");
        w->close();
        QVERIFY(!w->mscomm.isOpen());
    }

    void noDeviceIsSaidOnce() {
        start();
        w->mscomm.setPortLister([] { return QList<DeviceLink::PortEntry>{}; });
        w->startDevice();
        w->mscomm.retryNow();
        w->mscomm.retryNow();
        QCOMPARE(log->shown.size(), 1);
        // Over the window, with a warning icon, saying what to do.
        const QString said = log->shown[0].text;
        QVERIFY2(said.startsWith(QStringLiteral("Прибор не подключен.\n")) && said.contains("кабель") &&
                     said.contains("--port") && said.contains("dialout"),
                 qPrintable(said));
        QCOMPARE(log->shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY(log->shown[0].warning);
        QCOMPARE(deviceState(), QStringLiteral("Прибор не подключен"));
        // The rest of the program works without the device.
        QTest::mouseClick(w->grid->lblnumber[3], Qt::LeftButton);
        QCOMPARE(selectedRow(), 3);
    }

    // Every loss is told, and the gauge's corner says at once where the device is.
    void everyLossIsTold() {
        start();
        auto pty = std::make_unique<PtyPair>();
        QString available = pty->slaveName();
        // An unplugged device leaves no port behind; listing its old name would let another
        // test's new terminal, given the same number, pass for it.
        w->mscomm.setPortLister([&] {
            return pty ? QList<DeviceLink::PortEntry>{{available, true}} : QList<DeviceLink::PortEntry>{};
        });
        w->mscomm.setRetryInterval(60000); // retried by hand
        w->startDevice();
        for (int loss = 1; loss <= 2; ++loss) {
            // After a loss the loss stays in sight until a device speaks again.
            QVERIFY2(deviceState().endsWith("Ожидание прибора на порту " + available),
                     qPrintable(deviceState()));
            QVERIFY(pty->write(bytes({70})));
            QTRY_COMPARE(deviceState(), "Прибор подключен: " + available);
            QCOMPARE(w->Frame1->lbldevice->text(), "Прибор:\n" + QFileInfo(available).fileName());
            pty.reset();
            QTRY_VERIFY(!w->mscomm.isOpen());
            QCOMPARE(deviceState(),
                     QString("Связь с прибором на порту %1 потеряна. Поиск прибора").arg(available));
            w->mscomm.retryNow();
            QCOMPARE(log->shown.size(), loss);
            QVERIFY(log->shown.last().text.startsWith(QStringLiteral("Прибор не подключен.")));
            pty = std::make_unique<PtyPair>();
            available = pty->slaveName();
            w->mscomm.retryNow();
        }
    }
};

QTEST_MAIN(MainWindowDeviceTest)
#include "tst_frmmain_comm.moc"
