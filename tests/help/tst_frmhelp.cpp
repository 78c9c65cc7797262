#include "help/frmhelp.h"
#include "tempfolder.h"
#include "uicheck.h"

#include <QPlainTextEdit>
#include <QtTest>

class HelpTest : public QObject {
    Q_OBJECT
  private slots:
    void showsTheFileAsItStands() {
        TempFolder folder;
        folder.write("taven.txt", QStringLiteral("Метод\r\nвторая строка"));
        frmHelp first(folder.work());
        QCOMPARE(first.windowTitle(), QStringLiteral("Метод   Тавена"));
        QCOMPARE(first.txtHelp->toPlainText(), QStringLiteral("Метод\nвторая строка"));
        // Typing would be lost at closing, so the window takes none.
        QTest::keyClicks(first.txtHelp, "x");
        QCOMPARE(first.txtHelp->toPlainText(), QStringLiteral("Метод\nвторая строка"));
        // Edited between two openings: the second shows the new text.
        folder.write("taven.txt", QString());
        frmHelp second(folder.work());
        QCOMPARE(second.txtHelp->toPlainText(), QString());
    }

    void captionsFitAndControlsAreNamed() {
        TempFolder folder;
        frmHelp h(folder.work());
        const QStringList found = uicheck::problems(&h);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }

    void missingFileIsSaidInTheWindow() {
        TempFolder folder;
        frmHelp h(folder.work());
        QVERIFY2(h.txtHelp->toPlainText().contains("taven.txt"), qPrintable(h.txtHelp->toPlainText()));
    }
};

QTEST_MAIN(HelpTest)
#include "tst_frmhelp.moc"
