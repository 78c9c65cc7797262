// SIGTERM and SIGHUP close the port the normal way: the process ends of itself and the port's
// lock file is gone.
#include "ptypair.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <csignal>

namespace {

// Where Qt may put the port's lock file ("LCK..pts_3"), depending on what is writable.
QStringList lockFilesFor(const QString& port) {
    QString name = port;
    name.remove(QStringLiteral("/dev/"));
    name.replace('/', '_');
    QStringList found;
    for (const char* dir :
         {"/var/lock", "/run/lock", "/etc/locks", "/var/spool/locks", "/var/spool/uucp", "/tmp"}) {
        const QString path = QDir(QString::fromLatin1(dir)).filePath(QStringLiteral("LCK..") + name);
        if (QFileInfo::exists(path))
            found.append(path);
    }
    return found;
}

} // namespace

class TerminationTest : public QObject {
    Q_OBJECT
  private slots:
    void signalClosesThePort_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void signalClosesThePort() {
        QFETCH(int, signal);
        PtyPair pty;
        QVERIFY(pty.isOpen());
        QVERIFY(lockFilesFor(pty.slaveName()).isEmpty());
        QProcess holder;
        holder.start(QStringLiteral(TAVEN_PORTHOLDER), {pty.slaveName()});
        QVERIFY(holder.waitForStarted());
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readAllStandardOutput().trimmed(), QByteArray("open"));
        const QStringList locks = lockFilesFor(pty.slaveName());
        qInfo("lock files while open: %s", qPrintable(locks.join(", ")));

        ::kill(pid_t(holder.processId()), signal);
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitStatus(), QProcess::NormalExit);
        QCOMPARE(holder.exitCode(), 0);
        QCOMPARE(lockFilesFor(pty.slaveName()), QStringList());
        // And the port is free for the next program.
        QProcess next;
        next.start(QStringLiteral(TAVEN_PORTHOLDER), {pty.slaveName()});
        QVERIFY(next.waitForReadyRead(10000));
        next.terminate();
        next.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TerminationTest)
#include "tst_termination.moc"
