#include "measurement/appsetup.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class AppSetupTest : public QObject {
    Q_OBJECT
  private slots:
    // A dock ties the windows to the launcher, every window shows the program's icon, and
    // Qt's own buttons speak Russian though the tests run without a Russian locale.
    void programLooksInstalled() {
        appsetup::prepare();
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("ru.taven.Taven"));
        const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
        QVERIFY2(sizes.contains(QSize(16, 16)) && sizes.contains(QSize(256, 256)),
                 qPrintable(QString("icon sizes: %1").arg(sizes.size())));
        QMessageBox box(QMessageBox::Question, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove(u'&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove(u'&'), QStringLiteral("Нет"));
    }
};

QTEST_MAIN(AppSetupTest)
#include "tst_appsetup.moc"
