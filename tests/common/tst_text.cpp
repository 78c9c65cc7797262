#include "common/text1251.h"
#include "common/textutil.h"
#include "common/workfolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

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

    // Root opens every file, so the permission causes are mapped from what the system says.
    void readCause_data() {
        using C = textfile::ReadCause;
        QTest::addColumn<int>("openErrno");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<bool>("searchable");
        QTest::addColumn<int>("cause");
        QTest::newRow("missing") << ENOENT << false << true << int(C::Missing);
        QTest::newRow("folder on the way is a file") << ENOTDIR << false << true << int(C::Missing);
        QTest::newRow("folder cannot be searched") << EACCES << false << false << int(C::FolderDenied);
        QTest::newRow("file cannot be read") << EACCES << false << true << int(C::FileDenied);
        QTest::newRow("a folder") << 0 << true << true << int(C::NotAFile);
        QTest::newRow("disk error") << EIO << false << true << int(C::Other);
    }
    void readCause() {
        QFETCH(int, openErrno);
        QFETCH(bool, isFolder);
        QFETCH(bool, searchable);
        QFETCH(int, cause);
        QCOMPARE(int(textfile::readCause(openErrno, isFolder, searchable)), cause);
    }

    void realReadFailures() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("Database"));
        textfile::ReadCause cause{};
        QString error;
        QVERIFY(!textfile::readBytes(dir.filePath("Database"), &error, &cause));
        QCOMPARE(cause, textfile::ReadCause::NotAFile);
        QVERIFY(!textfile::readBytes(dir.filePath("function.pnt"), &error, &cause));
        QCOMPARE(cause, textfile::ReadCause::Missing);
        QVERIFY2(error.contains("Не найден файл"), qPrintable(error));
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

    void excerpt_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("quoted");
        QTest::newRow("short stays") << "3,5"
                                     << "3,5";
        QTest::newRow("exactly forty") << QString(40, 'x') << QString(40, 'x');
        QTest::newRow("forty-one is cut") << QString(41, 'x') << QString(40, 'x') + "…";
        QTest::newRow("10 MB line") << QString(10 * 1024 * 1024, QChar(u'ж'))
                                    << QString(40, QChar(u'ж')) + "…";
        QTest::newRow("line breaks as blanks") << "a\r\nb"
                                               << "a  b";
    }
    void excerpt() {
        QFETCH(QString, text);
        QFETCH(QString, quoted);
        QCOMPARE(text::excerpt(text), quoted);
    }

    void cutLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("max");
        QTest::addColumn<QString>("shown");
        QTest::newRow("short lines stay") << "ab\r\ncd\ne\rf" << 2 << "ab\r\ncd\ne\rf";
        QTest::newRow("each line cut, ends kept") << "abcd\r\nefgh\nij" << 2 << "ab\r\nef\nij";
        QTest::newRow("1 MB line without blanks")
            << QString(1 << 20, 'x') + "\r\nend" << 10000 << QString(10000, 'x') + "\r\nend";
    }
    void cutLines() {
        QFETCH(QString, text);
        QFETCH(int, max);
        QFETCH(QString, shown);
        QCOMPARE(text::cutLines(text, max), shown);
    }

    void bothSpellingsReachOneFolder() {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("Database"));
        QFile f(dir.filePath("Database/medicam.nam"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const WorkFolder folder(dir.path());
        const QString a = folder.path("DataBase\\medicam.nam");
        const QString b = folder.path("Database\\medicam.nam");
        const QString missing = folder.path("Database\\client.crd");
        QCOMPARE(a, dir.filePath("Database/medicam.nam"));
        QCOMPARE(b, a);
        QCOMPARE(missing, dir.filePath("Database/client.crd"));
        QVERIFY(QDir::currentPath() != dir.path());
    }
};

QTEST_GUILESS_MAIN(TextTest)
#include "tst_text.moc"
