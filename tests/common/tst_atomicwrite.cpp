// The atomic write under real faults: a file-size limit that fails writes the way a full disk
// does, and a writer killed at random moments.
#include "common/text1251.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool plainWrite(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Large enough that a write takes a while, so kills land in the middle of one.
QByteArray pattern(char c) {
    return QByteArray(1024 * 1024, c) + QByteArray(1, c ^ 0x20) + "\r\n";
}

} // namespace

class AtomicWriteTest : public QObject {
    Q_OBJECT
  private slots:
    void fullDiskKeepsTheOldFile_data() {
        QTest::addColumn<qlonglong>("limit");
        QTest::addColumn<QByteArray>("next");
        QTest::newRow("short text, nothing fits") << 0LL << QByteArray("35\r\n");
        QTest::newRow("short text, one byte fits") << 1LL << QByteArray("35\r\n");
        QTest::newRow("large, cut half-way") << 65536LL << QByteArray(1 << 20, 'x');
    }
    void fullDiskKeepsTheOldFile() {
        QFETCH(qlonglong, limit);
        QFETCH(QByteArray, next);
        QTemporaryDir dir;
        const QString path = dir.filePath("taven.ini");
        const QByteArray old("13\r\n");
        QVERIFY(plainWrite(path, old));

        int pipeFd[2];
        QVERIFY(::pipe(pipeFd) == 0);
        const pid_t pid = ::fork();
        QVERIFY(pid >= 0);
        if (pid == 0) {
            // A file-size limit fails writes with EFBIG on the same path a full disk takes.
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{rlim_t(limit), rlim_t(limit)};
            ::setrlimit(RLIMIT_FSIZE, &rl);
            QString error;
            const bool ok = textfile::writeBytes(path, next, &error);
            const QByteArray utf8 = error.toUtf8();
            (void)!::write(pipeFd[1], utf8.constData(), utf8.size());
            ::_exit(ok ? 1 : 0);
        }
        ::close(pipeFd[1]);
        QByteArray said;
        char buf[512];
        for (ssize_t n; (n = ::read(pipeFd[0], buf, sizeof buf)) > 0;)
            said.append(buf, n);
        ::close(pipeFd[0]);
        int status = 0;
        QCOMPARE(::waitpid(pid, &status, 0), pid);
        QVERIFY2(WIFEXITED(status), "the writer died instead of reporting");
        QVERIFY2(WEXITSTATUS(status) == 0, "a write cut by the size limit was reported as success");
        QVERIFY2(QString::fromUtf8(said).contains("taven.ini"), said.constData());
        QCOMPARE(contentOf(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"taven.ini"});
    }

    // A writer killed at random moments leaves the whole old or the whole new content. The plain
    // truncating write runs through the same harness to show that it catches a torn file.
    void killedWriterLeavesAWholeFile_data() {
        QTest::addColumn<bool>("atomic");
        QTest::newRow("write helper") << true;
        QTest::newRow("plain truncating write") << false;
    }
    void killedWriterLeavesAWholeFile() {
        QFETCH(bool, atomic);
        QTemporaryDir dir;
        const QString path = dir.filePath("client.crd");
        const QByteArray a = pattern('a'), b = pattern('b');
        QVERIFY(textfile::writeBytes(path, a));
        constexpr int kKills = 200;
        int whole[2] = {0, 0}, torn = 0;
        for (int k = 0; k < kKills; ++k) {
            int done[2];
            QVERIFY(::pipe(done) == 0);
            const pid_t pid = ::fork();
            QVERIFY(pid >= 0);
            if (pid == 0) {
                for (int i = 0;; ++i) {
                    const QByteArray& next = (i % 2) ? a : b;
                    if (atomic)
                        textfile::writeBytes(path, next);
                    else
                        plainWrite(path, next);
                    (void)!::write(done[1], "w", 1);
                }
            }
            // A loaded machine may be slower than any short kill: every tenth waits for a write.
            char w;
            QVERIFY(k % 10 != 0 || ::read(done[0], &w, 1) == 1);
            ::close(done[0]);
            ::close(done[1]);
            ::usleep(QRandomGenerator::global()->bounded(100, 5000));
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
            const QByteArray now = contentOf(path);
            if (now == a)
                ++whole[0];
            else if (now == b)
                ++whole[1];
            else
                ++torn;
        }
        const QStringList left = textfile::removeLeftTemporaries(dir.path(), 0);
        qInfo("%s: %d kills, whole old/new %d/%d, torn %d, temporary files left and removed %d",
              atomic ? "helper" : "plain", kKills, whole[0], whole[1], torn, int(left.size()));
        if (!atomic) {
            QVERIFY2(torn > 0, "the harness did not catch a torn plain write");
            return;
        }
        QCOMPARE(torn, 0);
        QVERIFY2(whole[1] > 0, "no write was ever completed: the kills prove nothing");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"client.crd"});
    }

    // Only the program's own old temporaries go: a fresh one may be another workstation's.
    void onlyOldOwnTemporariesAreRemoved_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("ageSecs");
        QTest::addColumn<bool>("removed");
        QTest::newRow("own, old") << ".taven.ini.taven-xY12ab" << 3600 << true;
        QTest::newRow("own, fresh") << ".c 1.dat.taven-Qw12er" << 60 << false;
        QTest::newRow("own, dated ahead") << ".client.crd.taven-Ab3xZ9" << -3600 << false;
        QTest::newRow("user's backup") << "client.crd.backup" << 3600 << false;
        QTest::newRow("older program's form") << "taven.ini.xY12ab" << 3600 << false;
    }
    void onlyOldOwnTemporariesAreRemoved() {
        QFETCH(QString, name);
        QFETCH(int, ageSecs);
        QFETCH(bool, removed);
        QTemporaryDir dir;
        QFile f(dir.filePath(name));
        const QDateTime when = QDateTime::currentDateTime().addSecs(-ageSecs);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.setFileTime(when, QFileDevice::FileModificationTime));
        QCOMPARE(textfile::removeLeftTemporaries(dir.path()),
                 removed ? QStringList{dir.filePath(name)} : QStringList{});
        // No probe of the folder's clock is left either.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), removed ? 0 : 1);
    }
};

QTEST_GUILESS_MAIN(AtomicWriteTest)
#include "tst_atomicwrite.moc"
