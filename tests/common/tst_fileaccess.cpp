// Strict file access under injected faults and with foreign things in a file's place.
#include "common/fileaccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>

using fileaccess::Call;

namespace {

QByteArray contentOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// Fails call number `n` (counted from 1) with `code`; counts the calls in `calls`.
struct NthCall {
    NthCall(int n, int code) {
        fileaccess::setFaultHook([this, n, code](Call call, const QString&) {
            calls << call;
            return int(calls.size()) == n ? code : 0;
        });
    }
    ~NthCall() { fileaccess::setFaultHook({}); }
    QList<Call> calls;
};

QStringList namesIn(const QTemporaryDir& dir) {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System);
}

} // namespace

class FileAccessTest : public QObject {
    Q_OBJECT
  private slots:
    // A write failing at any call says why and leaves the old file, its mode and no temporary;
    // only the folder sync after the rename may fail unseen.
    void writeFailsAtEveryCall() {
        const auto ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
        const auto others = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        for (int n = 1;; ++n) {
            QTemporaryDir dir;
            const QString path = dir.filePath("client.crd");
            QVERIFY(fileaccess::write(path, "old\r\n") && QFile::setPermissions(path, ownerOnly));
            QString error;
            NthCall fault(n, ENOSPC);
            const bool ok = fileaccess::write(path, QByteArray(100000, 'n'), &error);
            if (int(fault.calls.size()) < n) {
                QVERIFY2(ok && n > 6, qPrintable(QStringLiteral("%1 calls: %2").arg(n - 1).arg(error)));
                // A replaced file keeps its rights, not the umask's.
                QCOMPARE(QFile::permissions(path) & ~others, ownerOnly);
                break;
            }
            if (ok) {
                QVERIFY2(n == int(fault.calls.size()) && fault.calls.last() == Call::Sync,
                         qPrintable(QStringLiteral("call %1 failed unseen").arg(n)));
                QCOMPARE(contentOf(path), QByteArray(100000, 'n'));
                continue;
            }
            QVERIFY2(error.contains(path) && error.contains("нет места на диске"), qPrintable(error));
            QCOMPARE(namesIn(dir), QStringList{"client.crd"});
            QCOMPARE(contentOf(path), QByteArray("old\r\n"));
        }
    }

    // Only "no such file" means missing; any other failure names the file and the reason.
    void onlyNoSuchFileIsMissing_data() {
        QTest::addColumn<int>("n"); // the read's failing call: 1 opens, 2 reads
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::newRow("no such file") << 1 << ENOENT << "Не найден файл";
        QTest::newRow("under a file") << 1 << ENOTDIR << "Не найден файл";
        QTest::newRow("i/o error") << 1 << EIO << "ошибка ввода-вывода";
        QTest::newRow("stale share") << 1 << ESTALE << "сетевой файл стал недоступен";
        QTest::newRow("closed folder") << 1 << EACCES << "нет прав";
        QTest::newRow("i/o error while reading") << 2 << EIO << "ошибка ввода-вывода";
    }
    void onlyNoSuchFileIsMissing() {
        QFETCH(int, n);
        QFETCH(int, code);
        QFETCH(QString, words);
        QTemporaryDir dir;
        const QString path = dir.filePath("medicam.nam");
        QVERIFY(fileaccess::write(path, "][\r\n"));
        const bool absent = code == ENOENT || code == ENOTDIR;
        NthCall fault(n, code);
        QString error;
        bool missing = !absent;
        QVERIFY(!fileaccess::read(path, &error, &missing));
        QCOMPARE(missing, absent);
        QVERIFY2(error.contains(path) && error.contains(words, Qt::CaseInsensitive), qPrintable(error));
        if (n > 1)
            return;
        fault.calls.clear();
        const fileaccess::Look l = fileaccess::look(path);
        QCOMPARE(l.kind, absent ? fileaccess::Kind::Missing : fileaccess::Kind::Failed);
        QVERIFY2(absent || l.error.contains(words, Qt::CaseInsensitive), qPrintable(l.error));
    }

    // A link (even a dangling one), a folder or a pipe in a file's place is never read, written or removed.
    void foreignTargetsAreRefused_data() {
        QTest::addColumn<QString>("words");
        QTest::newRow("link") << "символическая ссылка";
        QTest::newRow("dangling link") << "символическая ссылка";
        QTest::newRow("folder") << "папка";
        QTest::newRow("pipe") << "канал";
    }
    void foreignTargetsAreRefused() {
        QFETCH(QString, words);
        const QByteArray kind = QTest::currentDataTag();
        QTemporaryDir dir, outside;
        const QString path = dir.filePath("c 1.dat");
        const QString target = outside.filePath("target");
        if (kind.endsWith("link")) {
            if (kind == "link")
                QVERIFY(fileaccess::write(target, "theirs"));
            QVERIFY(QFile::link(target, path));
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(path));
        } else {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        }
        QString wrote, read, removed;
        QVERIFY(!fileaccess::write(path, "mine", &wrote));
        QVERIFY(!fileaccess::read(path, &read));
        QVERIFY(!fileaccess::remove(path, &removed));
        for (const QString& e : {wrote, read, removed})
            QVERIFY2(e.contains(path) && e.contains(words), qPrintable(e));
        QCOMPARE(contentOf(target), kind == "link" ? QByteArray("theirs") : QByteArray("<unreadable>"));
        QCOMPARE(namesIn(dir), QStringList{"c 1.dat"});
    }
};

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_fileaccess.moc"
