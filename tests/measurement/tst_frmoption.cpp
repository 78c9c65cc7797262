#include "mainui.h"
#include "measurement/frmoption.h"
#include "tempfolder.h"
#include "uicheck.h"

#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

class OptionsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<MainUi> w;

    frmoption* start(const QString& ini) {
        folder->write("taven.ini", ini);
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        return w->options();
    }
    // Complete touches through the window: a rise, the time running out, the probe lifted.
    void touches(int count) {
        for (int k = 0; k < count; ++k) {
            w->mscomm_OnComm(QByteArray("\x6e\x69", 2));
            w->Timer1_Timer();
            w->mscomm_OnComm(QByteArray("\x68\x46", 2));
        }
    }

  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init() {
        folder = std::make_unique<TempFolder>();
        log = std::make_unique<MessageLog>();
        folder->writeNumberedFunctionFile();
        folder->writeMedicationFile();
    }
    void cleanup() {
        w.reset();
        log.reset();
        folder.reset();
    }

    void readsTheFileAtStartUp_data() {
        QTest::addColumn<QString>("ini");
        QTest::addColumn<bool>("oneTouch");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("messages");
        QTest::newRow("1 3") << "13\r\n" << true << "3" << 0;
        QTest::newRow("3 4") << "34\r\n" << false << "4" << 0;
        QTest::newRow("2 means three") << "22\r\n" << false << "2" << 0;
        QTest::newRow("comma") << "12,5\r\n" << true << "2.5" << 0;
        QTest::newRow("no number") << "1xyz\r\n" << true << "3" << 1;
        QTest::newRow("no time at all") << "3" << false << "3" << 1;
        // Out of 1..60 s: the time in force is shown, and the file's value is said once.
        QTest::newRow("0 s") << "10\r\n" << true << "3" << 1;
        QTest::newRow("negative") << "1-4\r\n" << true << "3" << 1;
        QTest::newRow("huge") << "399999999\r\n" << false << "3" << 1;
        QTest::newRow("a minute is kept") << "160\r\n" << true << "60" << 0;
    }
    void readsTheFileAtStartUp() {
        QFETCH(QString, ini);
        QFETCH(bool, oneTouch);
        QFETCH(QString, time);
        QFETCH(int, messages);
        folder->write("taven.ini", ini);
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        // In force from the start, before the options window is ever made; making it later
        // changes nothing, not even a three-touch count under way.
        const session::Settings inForce = w->session().settings();
        QCOMPARE(inForce.oneTouch, oneTouch);
        QCOMPARE(inForce.measuringMs, qRound(time.toDouble() * 1000));
        touches(1);
        const int touched = w->reading.touchCount();
        frmoption* o = w->options();
        QCOMPARE(w->session().settings(), inForce);
        QCOMPARE(w->reading.touchCount(), touched);
        QCOMPARE(o->oneTouch(), oneTouch);
        QCOMPARE(o->opt3->isChecked(), !oneTouch);
        QCOMPARE(o->lbltime->text(), time);
        // Three touches come up with the time controls greyed.
        QCOMPARE(o->cmdtimeinc->isEnabled(), oneTouch);
        QCOMPARE(o->cmdtimedec->isEnabled(), oneTouch);
        QCOMPARE(o->lbltime->isEnabled(), oneTouch);
        QCOMPARE(w->property("strini").toString(), ini);
        // A time that is no number is said once, naming the file.
        QCOMPARE(log->shown.size(), messages);
        if (messages)
            QVERIFY2(log->shown[0].text.contains("taven.ini"), qPrintable(log->shown[0].text));
    }

    void exitWritesTheSameLine() {
        frmoption* o = start("34\r\n");
        w->cmdoptions_Click();
        QVERIFY(o->isVisible());
        QTest::mouseClick(o->cmdexit, Qt::LeftButton);
        QVERIFY(!o->isVisible());
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("34\r\n"));
        QCOMPARE(w->property("strini").toString(), QStringLiteral("34\r\n"));
    }

    // What was out of range is not written back: "Выход" writes the time in force.
    void exitWritesTheTimeInForce() {
        frmoption* o = start("10\r\n");
        QCOMPARE(w->session().settings().measuringMs, 3000);
        QTest::mouseClick(o->cmdexit, Qt::LeftButton);
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("13\r\n"));
    }

    // Escape leaves the window as the close box and "Выход" do: the change is kept in the
    // file as it is kept in force.
    void escapeActsAsExit() {
        frmoption* o = start("13\r\n");
        w->cmdoptions_Click();
        QVERIFY(QTest::qWaitForWindowExposed(o));
        QTest::mouseClick(o->cmdtimeinc, Qt::LeftButton);
        QTest::keyClick(o, Qt::Key_Escape);
        QVERIFY(!o->isVisible());
        QCOMPARE(w->session().settings().measuringMs, 3500);
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("13.5\r\n"));
        QCOMPARE(w->options(), o);
    }

    void timeButtons() {
        frmoption* o = start("15\r\n");
        QTest::mouseClick(o->cmdtimeinc, Qt::LeftButton);
        QCOMPARE(o->lbltime->text(), QStringLiteral("5"));
        for (int k = 0; k < 8; ++k)
            QTest::mouseClick(o->cmdtimedec, Qt::LeftButton);
        QCOMPARE(o->lbltime->text(), QStringLiteral("1.5"));
        QTest::mouseClick(o->cmdtimedec, Qt::LeftButton);
        QCOMPARE(o->lbltime->text(), QStringLiteral("1.5"));
        QCOMPARE(o->measuringMs(), 1500);
        // Changes apply at once, before "Выход", and persist only through it.
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("15\r\n"));
        QTest::mouseClick(o->opt3, Qt::LeftButton);
        o->close(); // the close box acts as "Выход"
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("31.5\r\n"));
        QVERIFY(!o->isVisible());
        QCOMPARE(w->options(), o);
    }

    void methodSwitchAndTheTouchCounter() {
        frmoption* o = start("32\r\n");
        touches(2);
        QCOMPARE(w->reading.touchCount(), 2);
        QTest::mouseClick(o->opt1, Qt::LeftButton);
        QTest::mouseClick(o->opt3, Qt::LeftButton);
        QCOMPARE(w->reading.touchCount(), 0);
        QVERIFY(!o->cmdtimeinc->isEnabled());
        touches(1);
        QTest::mouseClick(o->opt1, Qt::LeftButton);
        QCOMPARE(w->reading.touchCount(), 1);
        QVERIFY(o->cmdtimeinc->isEnabled() && o->lbltime->isEnabled());
        QVERIFY(o->opt1->isChecked() && !o->opt3->isChecked());
    }

    // "Выход" hands the line it wrote (or failed to write) back to the main window.
    void exitReportsTheWrittenLine_data() {
        QTest::addColumn<bool>("writable");
        QTest::newRow("written") << true;
        QTest::newRow("write failed") << false;
    }
    void exitReportsTheWrittenLine() {
        QFETCH(bool, writable);
        frmoption* o = start("13\r\n");
        QTest::mouseClick(o->cmdtimeinc, Qt::LeftButton);
        if (!writable)
            QVERIFY(QDir(folder->path()).mkpath("taven.ini.blocked") && folder->remove("taven.ini") &&
                    QDir(folder->path()).rename("taven.ini.blocked", "taven.ini"));
        QTest::mouseClick(o->cmdexit, Qt::LeftButton);
        QCOMPARE(w->property("strini").toString(), QStringLiteral("13.5\r\n"));
        QCOMPARE(log->shown.size(), writable ? 0 : 1);
        QCOMPARE(folder->bytes("taven.ini"), writable ? QByteArray("13.5\r\n") : QByteArray());
    }

    // The controls are the live settings: a click reaches the reading at once, before
    // "Выход".
    void changesApplyOnTheSameClick() {
        frmoption* o = start("13\r\n");
        QCOMPARE(w->session().settings(), (session::Settings{true, 3000}));
        QTest::mouseClick(o->cmdtimedec, Qt::LeftButton);
        QCOMPARE(w->session().settings(), (session::Settings{true, 2500}));
        w->mscomm_OnComm(QByteArray("\x6e", 1));
        QCOMPARE(w->Timer1.interval(), 2500);
        QTest::mouseClick(o->opt3, Qt::LeftButton);
        QCOMPARE(w->session().settings(), (session::Settings{false, 2500}));
        QCOMPARE(folder->bytes("taven.ini"), QByteArray("13\r\n"));
    }

    // In the font in use, with the time controls enabled and greyed.
    void captionsFitAndControlsAreNamed() {
        frmoption* o = start("13\r\n");
        for (QRadioButton* method : {o->opt3, o->opt1}) {
            QTest::mouseClick(method, Qt::LeftButton);
            const QStringList found = uicheck::problems(o);
            QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
        }
    }

    void captions() {
        frmoption* o = start("13\r\n");
        QCOMPARE(o->windowTitle(), QStringLiteral("Параметры измерения"));
        QCOMPARE(o->Label4->text(), QStringLiteral("Для перехода в режим  VEGA"));
        QCOMPARE(o->cmdexit->text(), QStringLiteral("Выход"));
        QCOMPARE(o->size(), QSize(369, 227));
    }
};

QTEST_MAIN(OptionsTest)
#include "tst_frmoption.moc"
