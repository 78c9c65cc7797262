// The new-patient window: empty boxes, trimming, refusals, and the list it leaves behind.
#include "patients/frmclientnew.h"
#include "uicheck.h"
#include "windowfixture.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace patients;
using namespace windowtest;
using storetest::bytesOf;
using storetest::kTodayText;

class FrmClientNewTest : public QObject {
    Q_OBJECT
  private slots:
    void newPatientOnTopAndChosen() {
        ListFixture f;
        const QStringList before = f.names();
        f.choose(2);
        // Opened through the list's button, answered from inside its modal loop.
        QTimer::singleShot(0, f.list.get(), [] {
            auto* w = qobject_cast<frmclientnew*>(QApplication::activeModalWidget());
            QVERIFY(w);
            QVERIFY(w->txtfam->text().isEmpty());
            w->txtfam->setText("  Петров ");
            w->txtimaotch->setText(" Пётр Петрович  ");
            w->txtyear->setText(" 60 ");
            QTest::keyClick(w->txtyear, Qt::Key_Return); // Enter makes the card
        });
        f.list->cmdnew->click();
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.names(), QStringList{"Петров Пётр Петрович"} + before);
        QCOMPARE(f.list->selectedPatient(), 0);
        QCOMPARE(f.list->lblname->text(), QStringLiteral("Петров Пётр Петрович"));
        QCOMPARE(f.list->lblyear->text(), QStringLiteral(" 60 "));
        QCOMPARE(f.dates(), QStringList({kTodayText, QString()}));
        QCOMPARE(f.session.choice().name, QStringLiteral("Петров Пётр Петрович"));
        QCOMPARE(f.list->iList, 0);
    }

    void limitsAndFocusOrder() {
        ListFixture f;
        frmclientnew w(f.list->store(), f.list->today());
        QCOMPARE(w.windowTitle(), QStringLiteral("Новый пациент"));
        QCOMPARE(w.txtfam->maxLength(), 30);
        QCOMPARE(w.txtimaotch->maxLength(), 30);
        QCOMPARE(w.txtyear->maxLength(), 4);
        QList<QWidget*> order{w.txtfam};
        for (QWidget* next = w.txtfam->nextInFocusChain(); next != w.txtfam && order.size() < 5;
             next = next->nextInFocusChain())
            if (next->focusPolicy() & Qt::TabFocus)
                order << next;
        QCOMPARE(order, (QList<QWidget*>{w.txtfam, w.txtimaotch, w.txtyear, w.cmdok, w.cmdcancel}));
    }

    void anEmptyBoxCreatesNothing_data() {
        QTest::addColumn<QString>("fam");
        QTest::addColumn<QString>("ima");
        QTest::addColumn<QString>("year");
        QTest::newRow("surname") << ""
                                 << "Иван"
                                 << "1950";
        QTest::newRow("name") << "Иванов"
                              << ""
                              << "1950";
        QTest::newRow("year") << "Иванов"
                              << "Иван"
                              << "";
    }
    void anEmptyBoxCreatesNothing() {
        QFETCH(QString, fam);
        QFETCH(QString, ima);
        QFETCH(QString, year);
        ListFixture f;
        f.choose(2);
        const auto files = f.snapshot();
        const QStringList names = f.names();
        frmclientnew w(f.list->store(), f.list->today());
        f.list->followNewPatient(w);
        w.show();
        w.txtfam->setText(fam);
        w.txtimaotch->setText(ima);
        w.txtyear->setText(year);
        w.cmdok->click();
        QVERIFY(w.isHidden());
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.names(), names);
        // As the older program did: the first patient of the list becomes chosen.
        QCOMPARE(f.list->selectedPatient(), 0);
        QCOMPARE(f.list->lblname->text(), names[0]);
    }

    void blanksOnlyCountAsTyped() {
        ListFixture f(0);
        frmclientnew w(f.list->store(), f.list->today());
        f.list->followNewPatient(w);
        w.txtfam->setText("   ");
        w.txtimaotch->setText(" ");
        w.txtyear->setText("    ");
        w.cmdok->click();
        QVERIFY(f.messages.shown.isEmpty());
        QCOMPARE(f.names(), QStringList{" "});
        QCOMPARE(bytesOf(f.db("client.crd")), QByteArray(" 1\r\n* |    |08.12.2026 |c 1.dat|\r\n*"));
    }

    void refusalIsToldAndTheWindowStays() {
        ListFixture f;
        f.choose(1);
        const auto files = f.snapshot();
        frmclientnew w(f.list->store(), f.list->today());
        w.show();
        w.txtfam->setText("Ив*нов");
        w.txtimaotch->setText("Иван");
        w.txtyear->setText("1950");
        w.cmdok->click();
        QCOMPARE(f.messages.shown.size(), 1);
        QCOMPARE(f.messages.shown[0].title, QStringLiteral("Ошибка"));
        QVERIFY2(f.messages.last().contains("*"), qPrintable(f.messages.last()));
        QVERIFY(w.isVisible());
        QCOMPARE(w.txtfam->text(), QStringLiteral("Ив*нов"));
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.names().size(), 3);
        QCOMPARE(f.list->selectedPatient(), 1);
    }

    void cancelAndCloseBoxGoBackToTheLine_data() {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Отмена") << false;
        QTest::newRow("close box") << true;
    }
    void cancelAndCloseBoxGoBackToTheLine() {
        QFETCH(bool, closeBox);
        ListFixture f;
        f.choose(1);
        f.list->iList = 1;
        const auto files = f.snapshot();
        frmclientnew w(f.list->store(), f.list->today());
        f.list->followNewPatient(w);
        w.show();
        w.txtfam->setText("Иванов");
        w.txtimaotch->setText("Иван");
        w.txtyear->setText("1950");
        if (closeBox)
            w.close();
        else
            w.cmdcancel->click();
        QVERIFY(w.isHidden());
        QCOMPARE(f.snapshot(), files);
        QCOMPARE(f.list->selectedPatient(), 1);
        QCOMPARE(f.dates().size(), 4);
    }

    void captionsFit() {
        ListFixture f;
        frmclientnew w(f.list->store(), f.list->today());
        w.show();
        QCOMPARE(w.size(), QSize(330, 147));
        for (QWidget* c : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(!c->accessibleName().isEmpty(), qPrintable(c->objectName()));
            if (qobject_cast<QPushButton*>(c) || qobject_cast<QLabel*>(c))
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->objectName()));
        }
        const QStringList found = uicheck::problems(&w);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    }
};

QTEST_MAIN(FrmClientNewTest)
#include "tst_frmclientnew.moc"
