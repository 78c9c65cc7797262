#include "common/fileaccess.h"
#include "measurement/keycodes.h"
#include "measurement/settings.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

class SettingsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // Not written over a file that cannot be read now, nor at all when the file holds the
    // line already (leaving the options on a read-only folder is then no error).
    void writeOnlyOverAReadableFile_data() {
        QTest::addColumn<int>("readErrno");
        QTest::addColumn<QByteArray>("before");
        QTest::newRow("unreadable") << EIO << QByteArray("35\r\n");
        QTest::newRow("holds it already, read-only") << 0 << QByteArray("13\r\n");
    }
    void writeOnlyOverAReadableFile() {
        QFETCH(int, readErrno);
        QFETCH(QByteArray, before);
        QTemporaryDir dir;
        const QString path = dir.filePath("taven.ini");
        QVERIFY(fileaccess::write(path, before));
        fileaccess::setFaultHook([&](fileaccess::Call call, const QString& p) {
            return call != fileaccess::Call::Open ? 0 : p == path ? readErrno : EROFS;
        });
        QString error;
        const bool ok = settings::write(path, "13\r\n", &error);
        fileaccess::setFaultHook({});
        QVERIFY2(ok == !readErrno && (ok || error.contains(fileaccess::reason(readErrno))),
                 qPrintable(error));
        QCOMPARE(*fileaccess::read(path), before);
    }

    void parse_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("oneTouch");
        QTest::addColumn<QString>("time");
        QTest::newRow("one touch 3 s") << "13\r\n" << true << "3";
        QTest::newRow("three touches 4 s") << "34\r\n" << false << "4";
        QTest::newRow("any other method char") << "22.5\r\n" << false << "2.5";
        QTest::newRow("no line end") << "14.5" << true << "4.5";
        QTest::newRow("lone LF") << "12\nrest" << true << "2";
        QTest::newRow("CR before LF") << "32,5\r" << false << "2,5";
        QTest::newRow("empty") << "" << false << "";
        QTest::newRow("method only") << "1\r\n" << true << "";
    }
    void parse() {
        QFETCH(QString, file);
        QFETCH(bool, oneTouch);
        QFETCH(QString, time);
        const settings::Line s = settings::parse(file);
        QCOMPARE(s.oneTouch, oneTouch);
        QCOMPARE(s.timeText, time);
    }

    void formatIsTheOneLine() {
        QCOMPARE(settings::format(true, "3"), QStringLiteral("13\r\n"));
        QCOMPARE(settings::format(false, "2.5"), QStringLiteral("32.5\r\n"));
        const settings::Line s = settings::parse(settings::format(false, "4"));
        QCOMPARE(settings::format(s.oneTouch, s.timeText), QStringLiteral("34\r\n"));
    }

    void seconds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("whole") << "3" << 3.0;
        QTest::newRow("point") << "2.5" << 2.5;
        QTest::newRow("comma") << "2,5" << 2.5;
        QTest::newRow("blanks") << " 4 " << 4.0;
        QTest::newRow("outside the range stays") << "7" << 7.0;
        QTest::newRow("no number") << "abc" << 3.0;
        QTest::newRow("empty") << "" << 3.0;
        QTest::newRow("not finite") << "inf" << 3.0;
    }
    void seconds() {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QCOMPARE(settings::secondsOrDefault(text), seconds);
    }

    // A long first line in the file once built a box taller than the screen.
    void notANumberQuotesAnExcerpt() {
        const settings::Line s = settings::parse("1" + QString(10 * 1024 * 1024, 'x') + "\r\n");
        double seconds = 0;
        QVERIFY(!settings::parseSeconds(s.timeText, &seconds));
        const QString message = settings::notANumberMessage(s.timeText);
        QVERIFY2(message.size() < 200, qPrintable(message.left(300)));
        QVERIFY(message.contains(QString(40, 'x') + "…"));
        QVERIFY(message.contains(settings::kFileName));
    }

    // The time the window shows is the time the reading uses, and a time the file gives
    // that is not used is said once.
    void timeFromTheFile_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("used");
        QTest::addColumn<QString>("problem");
        QTest::newRow("in range") << "2.5" << 2.5 << "";
        QTest::newRow("outside the buttons' range stays") << "7" << 7.0 << "";
        QTest::newRow("one second") << "1" << 1.0 << "";
        QTest::newRow("a minute") << "60" << 60.0 << "";
        QTest::newRow("0") << "0" << 3.0 << "вне пределов от 1 до 60";
        QTest::newRow("negative") << "-2" << 3.0 << "вне пределов";
        QTest::newRow("below a second") << "0.5" << 3.0 << "вне пределов";
        QTest::newRow("past a minute") << "61" << 3.0 << "вне пределов";
        QTest::newRow("huge") << "1e300" << 3.0 << "вне пределов";
        QTest::newRow("no number") << "abc" << 3.0 << "не является числом";
        QTest::newRow("empty") << "" << 3.0 << "не является числом";
    }
    void timeFromTheFile() {
        QFETCH(QString, text);
        QFETCH(double, used);
        QFETCH(QString, problem);
        QCOMPARE(settings::usedSeconds(text), used);
        QCOMPARE(settings::measuringMs(text), qRound(used * 1000));
        const QString said = settings::timeProblem(text);
        QCOMPARE(said.isEmpty(), problem.isEmpty());
        QVERIFY2(said.contains(problem) && (problem.isEmpty() || said.contains(settings::kFileName)),
                 qPrintable(said));
    }

    // The measuring time of the settings file in milliseconds, and whether it was valid.
    void measuringMs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("ok");
        QTest::newRow("3") << "3" << 3000 << true;
        QTest::newRow("2.5") << "2.5" << 2500 << true;
        QTest::newRow("3,5") << "3,5" << 3500 << true;
        QTest::newRow("1.2345") << "1.2345" << 1235 << true;
        QTest::newRow("text") << "abc" << session::Settings::kDefaultMs << false;
        QTest::newRow("empty") << "" << session::Settings::kDefaultMs << false;
        QTest::newRow("0") << "0" << session::Settings::kDefaultMs << false;
        QTest::newRow("negative") << "-2" << session::Settings::kDefaultMs << false;
        QTest::newRow("too long") << "100" << session::Settings::kDefaultMs << false;
        QTest::newRow("below a second") << "0.5" << session::Settings::kDefaultMs << false;
    }
    void measuringMs() {
        QFETCH(QString, text);
        QFETCH(int, ms);
        QFETCH(bool, ok);
        bool valid = !ok;
        QCOMPARE(settings::measuringMs(text, &valid), ms);
        QCOMPARE(valid, ok);
    }

    void steps() {
        QCOMPARE(settings::stepSeconds(5, +1), 5.0);
        QCOMPARE(settings::stepSeconds(1.5, -1), 1.5);
        QCOMPARE(settings::stepSeconds(4.5, -1), 4.0);
        QCOMPARE(settings::stepSeconds(3, +1), 3.5);
        QCOMPARE(settings::stepSeconds(7, -1), 6.5);
        QCOMPARE(settings::stepSeconds(1, +1), 1.5);
        QCOMPARE(settings::formatSeconds(3.0), QStringLiteral("3"));
        QCOMPARE(settings::formatSeconds(2.5), QStringLiteral("2.5"));
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        QCOMPARE(settings::formatSeconds(2.5), QStringLiteral("2,5"));
        QLocale::setDefault(QLocale::c());
    }

    void keyCodes() {
        QCOMPARE(keycodes::fromQt(Qt::Key_Delete, Qt::NoModifier), 46);
        QCOMPARE(keycodes::fromQt(Qt::Key_0, Qt::NoModifier), 48);
        QCOMPARE(keycodes::fromQt(Qt::Key_9, Qt::ShiftModifier), 57);
        QCOMPARE(keycodes::fromQt(Qt::Key_3, Qt::KeypadModifier), 99);
        QCOMPARE(keycodes::mainDigit(99), -1);
        QCOMPARE(keycodes::mainDigit(53), 5);
        QVERIFY(keycodes::mainDigit(keycodes::fromQt(Qt::Key_Backspace, Qt::NoModifier)) < 0);
        QVERIFY(keycodes::fromQt(Qt::Key_Backspace, Qt::NoModifier) != keycodes::kDelete);
    }

    void resultBoxKeys_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("refused");
        QTest::newRow("digit appended") << "4" << int(Qt::Key_5) << "45" << false;
        QTest::newRow("100 is a figure") << "10" << int(Qt::Key_0) << "100" << false;
        QTest::newRow("101 is none") << "10" << int(Qt::Key_1) << "10" << true;
        QTest::newRow("150 is none") << "15" << int(Qt::Key_0) << "15" << true;
        QTest::newRow("1000 is none") << "100" << int(Qt::Key_0) << "100" << true;
        QTest::newRow("negative drop") << "-1" << int(Qt::Key_5) << "-15" << false;
        QTest::newRow("Backspace") << "45" << int(Qt::Key_Backspace) << "4" << false;
        QTest::newRow("Backspace on empty") << "" << int(Qt::Key_Backspace) << "" << false;
        QTest::newRow("Delete") << "45" << int(Qt::Key_Delete) << "" << false;
        QTest::newRow("letter") << "45" << int(Qt::Key_A) << "45" << false;
    }
    void resultBoxKeys() {
        QFETCH(QString, text);
        QFETCH(int, qtKey);
        QFETCH(QString, expected);
        QFETCH(bool, refused);
        const keycodes::Edited e = keycodes::editResult(text, keycodes::fromQt(qtKey, Qt::NoModifier));
        QCOMPARE(e.text, expected);
        QCOMPARE(e.refused, refused);
    }
};

QTEST_GUILESS_MAIN(SettingsTest)
#include "tst_settings.moc"
