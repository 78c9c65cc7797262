// function.pnt read from text: any line end, too few lines said once, huge lines cut.
#include "catalogue/catalogue.h"
#include "catalogue/functiontext.h"

#include <QtTest>

class FunctionTextTest : public QObject {
    Q_OBJECT
  private slots:
    void lineEnds_data() {
        QTest::addColumn<QString>("end");
        QTest::newRow("CR LF") << "\r\n";
        QTest::newRow("LF") << "\n";
        QTest::newRow("CR") << "\r";
    }
    void lineEnds() {
        QFETCH(QString, end);
        QStringList lines;
        for (int k = 0; k < catalogue::kFunctionLines; ++k)
            lines << QStringLiteral("функция %1").arg(k);
        const auto read = catalogue::readFunctionText(lines.join(end) + end);
        QCOMPARE(read.lines, lines);
        QVERIFY(read.problems.isEmpty());
    }

    void loneEndsInsideACrLfFileStayInTheirLine() {
        QStringList lines(catalogue::kFunctionLines, QStringLiteral("x"));
        lines[3] = QStringLiteral("a\rb\nc");
        const auto read = catalogue::readFunctionText(lines.join("\r\n") + "\r\n");
        QCOMPARE(read.lines, lines);
    }

    void tooFewLinesSaidOnce_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("count");
        QTest::newRow("empty") << ""
                               << " 0 строк";
        QTest::newRow("three") << "a\r\nb\r\nc\r\n"
                               << " 3 строк";
        QTest::newRow("371") << QString("x\n").repeated(371) << " 371 строк";
    }
    void tooFewLinesSaidOnce() {
        QFETCH(QString, text);
        QFETCH(QString, count);
        const auto read = catalogue::readFunctionText(text);
        QCOMPARE(read.problems.size(), 1);
        QVERIFY2(read.problems[0].contains("function.pnt") && read.problems[0].contains(count) &&
                     read.problems[0].contains("372"),
                 qPrintable(read.problems[0]));
    }

    void hugeLineIsCut() {
        QStringList lines(catalogue::kFunctionLines, QStringLiteral("x"));
        lines[0] = QString(1 << 20, 'y');
        const auto read = catalogue::readFunctionText(lines.join("\r\n"));
        QCOMPARE(read.lines.size(), catalogue::kFunctionLines);
        QCOMPARE(read.lines[0].size(), 10000);
        QCOMPARE(read.lines[1], QStringLiteral("x"));
    }
};

QTEST_GUILESS_MAIN(FunctionTextTest)
#include "tst_functiontext.moc"
