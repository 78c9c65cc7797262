// Medication testing in the main window: the pending prescription from "Добавить в рецепт",
// emptied by every point selection, and the editor opened from "Препараты".
#include "mainui.h"
#include "measurement/pointgrid.h"
#include "medications/frmmedicam.h"
#include "tempfolder.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QtTest>
#include <memory>

class MainMedicationTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TempFolder> folder;
    std::unique_ptr<MessageLog> log;
    std::unique_ptr<MainUi> w;

    void start() {
        w = std::make_unique<MainUi>(folder->work());
        w->Form_Load();
        w->show();
        w->opttest->setChecked(true);
    }
    void choosePatient() {
        w->session().setChoice(session::Choice{"Иванов", "1950", "c 1.dat", 0, "01.02.2026"});
    }
    void chooseMedication(int row) {
        QListWidget* l = w->lstpreparat;
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, l->visualItemRect(l->item(row)).center());
    }
    QStringList listed() const {
        QStringList out;
        for (int i = 0; i < w->lstpreparat->count(); ++i)
            out << w->lstpreparat->item(i)->text();
        return out;
    }

  private slots:
    void init() {
        folder = std::make_unique<TempFolder>();
        log = std::make_unique<MessageLog>();
        folder->writeNumberedFunctionFile();
        folder->write("taven.ini", "13\r\n");
        // Meridian 0's start point has two medications.
        folder->write("Database/medicam.nam",
                      QStringLiteral("][") + catalogue::meridianName(0) + "\r\n><p1\r\nA\r\nB\r\n");
    }
    void cleanup() {
        w.reset();
        log.reset();
        folder.reset();
    }

    void addToPrescription() {
        start();
        log->shown.clear(); // the short file, said at start
        QCOMPARE(listed(), QStringList({"A", "B"}));
        chooseMedication(1);
        QTest::mouseClick(w->cmdaddcard, Qt::LeftButton);
        QCOMPARE(log->shown.size(), 1);
        QCOMPARE(log->shown[0].text, QStringLiteral("Пациент не выбран"));
        QCOMPARE(w->session().strRecept, QString());
        choosePatient();
        QTest::mouseClick(w->cmdaddcard, Qt::LeftButton);
        QCOMPARE(w->session().strRecept, QStringLiteral("\r\nB"));
        QCOMPARE(w->lblrecept->text(), QStringLiteral("Добавлен: B\nВ рецепте: 1"));
        QVERIFY(w->lstpreparat->selectedItems().isEmpty());
        // Nothing chosen now, though the list keeps a current row for the keyboard.
        QTest::mouseClick(w->cmdaddcard, Qt::LeftButton);
        QCOMPARE(log->shown.size(), 2);
        QCOMPARE(log->shown[1].text, QStringLiteral("Препарат не выбран"));
        chooseMedication(0);
        QTest::mouseClick(w->cmdaddcard, Qt::LeftButton);
        QCOMPARE(w->session().strRecept, QStringLiteral("\r\nB\r\nA"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w->lblrecept)->text(QAccessible::Description),
                 QStringLiteral("Добавлен в рецепт: A. В рецепте: 2"));
    }

    void everyPointSelectionEmptiesIt_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("click") << 0;
        QTest::newRow("meridian") << 1;
        QTest::newRow("side") << 2;
        QTest::newRow("control point click") << 3;
    }
    void everyPointSelectionEmptiesIt() {
        QFETCH(int, kind);
        start();
        choosePatient();
        chooseMedication(0);
        QTest::mouseClick(w->cmdaddcard, Qt::LeftButton);
        QCOMPARE(w->session().strRecept, QStringLiteral("\r\nA"));
        if (kind == 0)
            QTest::mouseClick(w->grid->lblnumber[2], Qt::LeftButton);
        if (kind == 1) {
            w->cbomeridian->setCurrentIndex(4);
            w->cbomeridian_Click();
        }
        if (kind == 2)
            QTest::mouseClick(w->optright, Qt::LeftButton);
        if (kind == 3) {
            w->chkkti->setChecked(true);
            QTest::mouseClick(w->grid->lblnumber[2], Qt::LeftButton);
        }
        QCOMPARE(w->session().strRecept, QString());
        QCOMPARE(w->lblrecept->text(), QString());
    }

    // The editor is modal and its handler returns once "Выход" hides it; testing keeps the
    // copy read at start until the program is started again.
    void editorChangesShowAfterARestart() {
        start();
        frmmedicam* seen = nullptr;
        bool modal = false;
        QTimer::singleShot(0, w.get(), [&] {
            seen = w->findChild<frmmedicam*>();
            if (!seen)
                return;
            modal = seen->isModal() && seen->isVisible();
            seen->txtadd->setText(QStringLiteral("C"));
            QTest::mouseClick(seen->cmdadd, Qt::LeftButton);
            QTest::mouseClick(seen->cmdexit, Qt::LeftButton);
            seen->hide(); // never leave the test waiting
        });
        QTest::mouseClick(w->cmdmedicam, Qt::LeftButton);
        QVERIFY(seen && modal);
        QVERIFY(!seen->isVisible());
        QVERIFY2(folder->bytes("Database/medicam.nam").contains("\r\nA\r\nB\r\nC\r\n"),
                 folder->bytes("Database/medicam.nam").constData());
        QTest::mouseClick(w->grid->lblnumber[0], Qt::LeftButton);
        QTest::mouseClick(w->grid->lblnumber[10], Qt::LeftButton);
        QCOMPARE(listed(), QStringList({"A", "B"}));
        start();
        QCOMPARE(listed(), QStringList({"A", "B", "C"}));
    }
};

QTEST_MAIN(MainMedicationTest)
#include "tst_frmmain_medicam.moc"
