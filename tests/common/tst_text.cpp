#include "common/text1251.h"
#include "common/textutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TextTest : public QObject {
    Q_OBJECT
  private slots:
    void everyByteSurvivesDecodeAndEncode() {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = cp1251::decode(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(cp1251::encode(text), all);
    }

    void cyrillicMapsToItsLetters() {
        QCOMPARE(cp1251::decode(QByteArray("\xC0\xFF\xA8\xB8\xB9")), QStringLiteral("АяЁё№"));
        QCOMPARE(cp1251::encode(QStringLiteral("Легкие")), QByteArray("\xCB\xE5\xE3\xEA\xE8\xE5"));
        // Outside the code page: a visible stand-in, never a dropped character.
        QCOMPARE(cp1251::encode(QStringLiteral("a\u4E2Db")), QByteArray("a?b"));
        QCOMPARE(cp1251::firstUnencodable(QStringLiteral("a\u4E2Db")), 1);
        QCOMPARE(cp1251::firstUnencodable(cp1251::decode(QByteArray("\x00\x98\xFF", 3))), -1);
    }

    void fileRoundTripIsByteExact() {
        QTemporaryDir dir;
        QByteArray all;
        for (int b = 255; b >= 0; --b)
            all.append(char(b));
        all.append("\r\n\r\n");
        const QString path = dir.filePath("x.txt");
        QVERIFY(textfile::writeBytes(path, all));
        const auto text = textfile::read(path);
        QVERIFY(text.has_value());
        QVERIFY(textfile::write(path, *text));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), all);
    }

    void missingFileNamesItInTheMessage() {
        QString error;
        QVERIFY(!textfile::read("/nonexistent/dir/function.pnt", &error).has_value());
        QVERIFY2(error.contains("function.pnt"), qPrintable(error));
    }

    void failedWriteKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString sub = dir.filePath("ro");
        QVERIFY(QDir().mkpath(sub));
        const QString path = sub + "/taven.ini";
        QVERIFY(textfile::write(path, "13\r\n"));
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
        QString error;
        const bool ok = textfile::write(path, "35\r\n", &error);
        QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (ok)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY2(error.contains("taven.ini"), qPrintable(error));
        QCOMPARE(*textfile::read(path), QStringLiteral("13\r\n"));
    }

    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sep");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("none") << "abc"
                              << "*" << QStringList{"abc"};
        QTest::newRow("empty text") << ""
                                    << "|" << QStringList{""};
        QTest::newRow("k separators give k+1") << "][a][b]["
                                               << "][" << QStringList{"", "a", "b", ""};
        QTest::newRow("adjacent") << "a**b"
                                  << "*" << QStringList{"a", "", "b"};
        QTest::newRow("crlf") << "a\r\nb\r\n"
                              << "\r\n"
                              << QStringList{"a", "b", ""};
        QTest::newRow("lone cr stays") << "a\rb\r\nc"
                                       << "\r\n"
                                       << QStringList{"a\rb", "c"};
    }
    void split() {
        QFETCH(QString, text);
        QFETCH(QString, sep);
        QFETCH(QStringList, pieces);
        QCOMPARE(text::split(text, sep), pieces);
    }

    void trimOnlyBlanks() {
        QCOMPARE(text::trim("  a b  "), QStringLiteral("a b"));
        QCOMPARE(text::trim("\tx \r\n"), QStringLiteral("\tx \r\n"));
        QCOMPARE(text::trim("   "), QString());
    }

    void signNumber() {
        QCOMPARE(text::signNumber(7), QStringLiteral(" 7"));
        QCOMPARE(text::signNumber(0), QStringLiteral(" 0"));
        QCOMPARE(text::signNumber(123), QStringLiteral(" 123"));
        QCOMPARE(text::signNumber(-4), QStringLiteral("-4"));
    }

    void bothSpellingsReachOneFolder() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("Database"));
        QFile f(dir.filePath("Database/medicam.nam"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString old = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const QString a = datapath::resolve("DataBase\\medicam.nam");
        const QString b = datapath::resolve("Database\\medicam.nam");
        const QString missing = datapath::resolve("Database\\client.crd");
        QDir::setCurrent(old);
        QCOMPARE(a, QStringLiteral("Database/medicam.nam"));
        QCOMPARE(b, a);
        QCOMPARE(missing, QStringLiteral("Database/client.crd"));
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
