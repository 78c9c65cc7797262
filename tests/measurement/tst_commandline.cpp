#include "measurement/commandline.h"

#include <QtTest>

using commandline::Action;

Q_DECLARE_METATYPE(Action)

class CommandLineTest : public QObject {
    Q_OBJECT
  private slots:
    // The options and their forms; Qt's own options are left for QApplication.
    void run_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("quitAfterShow");
        QTest::newRow("none") << QStringList{} << ""
                              << "" << false;
        QTest::newRow("port and folder")
            << QStringList{"--port", "/dev/ttyUSB0", "--folder", "/srv/t"} << "/dev/ttyUSB0"
            << "/srv/t" << false;
        QTest::newRow("with =") << QStringList{"--port=/dev/ttyS1", "--folder=/a b"} << "/dev/ttyS1"
                                << "/a b" << false;
        QTest::newRow("quit after show") << QStringList{"--quit-after-show"} << ""
                                         << "" << true;
        QTest::newRow("Qt's options")
            << QStringList{"-platform", "offscreen", "--style=fusion", "-reverse", "--port", "p"} << "p"
            << "" << false;
    }
    void run() {
        QFETCH(QStringList, args);
        QFETCH(QString, port);
        QFETCH(QString, folder);
        QFETCH(bool, quitAfterShow);
        const commandline::Parsed p = commandline::parse(QStringList{"/usr/bin/taven"} + args, false);
        QCOMPARE(p.action, Action::Run);
        QCOMPARE(p.options.port, port);
        QCOMPARE(p.options.folder, folder);
        QCOMPARE(p.options.quitAfterShow, quitAfterShow);
    }

    // Help, version and mistakes, in Russian or English; a mistake names what was wrong
    // and exits with 2.
    void answers_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("russian");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("says");
        QTest::newRow("help ru") << QStringList{"--help"} << true << Action::Help << "Использование: taven";
        QTest::newRow("help en") << QStringList{"-h"} << false << Action::Help << "Usage: taven";
        QTest::newRow("help lists folder")
            << QStringList{"--help"} << false << Action::Help << "--folder DIR";
        QTest::newRow("version") << QStringList{"--version"} << true << Action::Version << "taven 1.";
        QTest::newRow("help wins over later mistake")
            << QStringList{"--help", "--bogus"} << false << Action::Help << "Usage";
        QTest::newRow("unknown ru") << QStringList{"--bogus"} << true << Action::Error
                                    << "Неизвестный параметр: --bogus";
        QTest::newRow("unknown en") << QStringList{"-x"} << false << Action::Error << "Unknown option: -x";
        QTest::newRow("one dash for ours")
            << QStringList{"-port", "p"} << false << Action::Error << "Unknown option: -port";
        QTest::newRow("flag with value")
            << QStringList{"--quit-after-show=1"} << false << Action::Error << "Unknown option";
        QTest::newRow("port without value")
            << QStringList{"--port"} << false << Action::Error << "--port needs a value";
        QTest::newRow("empty folder")
            << QStringList{"--folder="} << true << Action::Error << "После --folder нужно значение";
        QTest::newRow("value forgotten before next option")
            << QStringList{"--port", "--folder", "x"} << false << Action::Error << "--port needs a value";
        QTest::newRow("help lists the database")
            << QStringList{"--help"} << true << Action::Help << "--database СТРОКА";
        QTest::newRow("import and export") << QStringList{"--import-folder", "a", "--export-folder=b"}
                                           << false << Action::Error << "cannot be given together";
        QTest::newRow("merge alone") << QStringList{"--merge"} << true << Action::Error
                                     << "--merge указывают";
        QTest::newRow("stray word") << QStringList{"ttyUSB0"} << false << Action::Error
                                    << "Unexpected argument: ttyUSB0";
    }
    void answers() {
        QFETCH(QStringList, args);
        QFETCH(bool, russian);
        QFETCH(Action, action);
        QFETCH(QString, says);
        const commandline::Parsed p = commandline::parse(QStringList{"taven"} + args, russian);
        QCOMPARE(p.action, action);
        QVERIFY2(p.text.contains(says), qPrintable(p.text));
        QCOMPARE(commandline::exitCode(action), action == Action::Error ? 2 : 0);
        if (action == Action::Error)
            QVERIFY2(p.text.contains("taven --help"), qPrintable(p.text));
    }

    // The database for the run, or an exchange with a folder as an action of its own.
    void store_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<Action>("action");
        QTest::addColumn<QString>("options"); // database|folder|merge
        QTest::newRow("database") << QStringList{"--database", "host=/s dbname=t"} << Action::Run
                                  << "host=/s dbname=t||0";
        QTest::newRow("import, merge") << QStringList{"--merge", "--import-folder=/old", "--database", "x"}
                                       << Action::ImportFolder << "x|/old|1";
        QTest::newRow("export") << QStringList{"--export-folder", "/out"} << Action::ExportFolder
                                << "|/out|0";
    }
    void store() {
        QFETCH(QStringList, args);
        QFETCH(Action, action);
        QFETCH(QString, options);
        const commandline::Parsed p = commandline::parse(QStringList{"taven"} + args, false);
        QCOMPARE(p.action, action);
        QCOMPARE(p.options.database + u'|' + p.options.exchangeFolder + u'|' +
                     QString::number(p.options.merge),
                 options);
    }

    void localeLanguage_data() {
        QTest::addColumn<QByteArray>("lcAll");
        QTest::addColumn<QByteArray>("lcMessages");
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<bool>("russian");
        QTest::newRow("LANG ru") << QByteArray() << QByteArray() << QByteArray("ru_RU.UTF-8") << true;
        QTest::newRow("LANG en") << QByteArray() << QByteArray() << QByteArray("en_GB.UTF-8") << false;
        QTest::newRow("LC_MESSAGES over LANG")
            << QByteArray() << QByteArray("C") << QByteArray("ru_RU.UTF-8") << false;
        QTest::newRow("LC_ALL over all")
            << QByteArray("ru_UA.UTF-8") << QByteArray("C") << QByteArray("C") << true;
        QTest::newRow("nothing set") << QByteArray() << QByteArray() << QByteArray() << false;
    }
    void localeLanguage() {
        QFETCH(QByteArray, lcAll);
        QFETCH(QByteArray, lcMessages);
        QFETCH(QByteArray, lang);
        QFETCH(bool, russian);
        const auto set = [](const char* name, const QByteArray& v) {
            v.isEmpty() ? qunsetenv(name) : qputenv(name, v);
        };
        set("LC_ALL", lcAll);
        set("LC_MESSAGES", lcMessages);
        set("LANG", lang);
        QCOMPARE(commandline::russianLocale(), russian);
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
