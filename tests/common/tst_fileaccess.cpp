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
    // Every call of a write failing in turn: the write says so with the reason and leaves
    // the old file (or none) and no temporary; only the folder sync after the rename may
    // fail without undoing a write that is already in place.
    void writeFailsAtEveryCall_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("existing");
        QTest::newRow("disk full") << ENOSPC << "нет места на диске" << true;
        QTest::newRow("read-only") << EROFS << "только для чтения" << true;
        QTest::newRow("permission") << EACCES << "нет прав" << true;
        QTest::newRow("i/o error, new file") << EIO << "ошибка ввода-вывода" << false;
    }
    void writeFailsAtEveryCall() {
        QFETCH(int, code);
        QFETCH(QString, words);
        QFETCH(bool, existing);
        int clean = 0;
        for (int n = 1;; ++n) {
            QTemporaryDir dir;
            const QString path = dir.filePath("client.crd");
            if (existing)
                QVERIFY(fileaccess::write(path, "old\r\n"));
            QString error;
            NthCall fault(n, code);
            const bool ok = fileaccess::write(path, QByteArray(100000, 'n'), &error);
            if (int(fault.calls.size()) < n) {
                clean = n - 1;
                QVERIFY2(ok, qPrintable(error));
                break;
            }
            if (ok) {
                QVERIFY2(n == int(fault.calls.size()) && fault.calls.last() == Call::Sync,
                         qPrintable(QStringLiteral("call %1 failed unseen").arg(n)));
                QCOMPARE(contentOf(path), QByteArray(100000, 'n'));
                continue;
            }
            QVERIFY2(error.contains(path) && error.contains(words), qPrintable(error));
            QCOMPARE(namesIn(dir), existing ? QStringList{"client.crd"} : QStringList{});
            if (existing)
                QCOMPARE(contentOf(path), QByteArray("old\r\n"));
        }
        QVERIFY2(clean >= 6, qPrintable(QStringLiteral("only %1 calls in a write").arg(clean)));
    }

    // Only "no such file" at the open means missing; any other failure is told with its reason.
    void readFailures_data() {
        QTest::addColumn<int>("n");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("words");
        QTest::newRow("open: i/o error") << 1 << EIO << "ошибка ввода-вывода";
        QTest::newRow("open: stale share") << 1 << ESTALE << "сетевой файл стал недоступен";
        QTest::newRow("read: i/o error") << 2 << EIO << "ошибка ввода-вывода";
        QTest::newRow("open: no such file") << 1 << ENOENT << "Не найден файл";
    }
    void readFailures() {
        QFETCH(int, n);
        QFETCH(int, code);
        QFETCH(QString, words);
        QTemporaryDir dir;
        const QString path = dir.filePath("medicam.nam");
        QVERIFY(fileaccess::write(path, "][\r\n"));
        NthCall fault(n, code);
        QString error;
        bool missing = code != ENOENT;
        QVERIFY(!fileaccess::read(path, &error, &missing));
        QCOMPARE(missing, code == ENOENT);
        QVERIFY2(error.contains(path) && error.contains(words), qPrintable(error));
    }

    // A link (even a dangling one), a folder or a pipe in a file's place is never read,
    // written or removed through; what it points at stays as it was.
    void foreignTargetsAreRefused_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        QTest::newRow("link") << "link"
                              << "символическая ссылка";
        QTest::newRow("dangling link") << "dangling"
                                       << "символическая ссылка";
        QTest::newRow("folder") << "folder"
                                << "папка";
        QTest::newRow("pipe") << "pipe"
                              << "канал";
    }
    void foreignTargetsAreRefused() {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        QTemporaryDir dir, outside;
        const QString path = dir.filePath("c 1.dat");
        const QString target = outside.filePath("target");
        if (kind == "link" || kind == "dangling") {
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

    void look_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("kind");
        QTest::newRow("no such file") << ENOENT << int(fileaccess::Kind::Missing);
        QTest::newRow("under a file") << ENOTDIR << int(fileaccess::Kind::Missing);
        QTest::newRow("i/o error") << EIO << int(fileaccess::Kind::Failed);
        QTest::newRow("closed folder") << EACCES << int(fileaccess::Kind::Failed);
    }
    void look() {
        QFETCH(int, code);
        QFETCH(int, kind);
        NthCall fault(1, code);
        const fileaccess::Look l = fileaccess::look(QDir::tempPath());
        QCOMPARE(int(l.kind), kind);
        QCOMPARE(l.error.contains(fileaccess::reason(code)), kind == int(fileaccess::Kind::Failed));
    }

    void replacedFileKeepsItsMode() {
        QTemporaryDir dir;
        const QString path = dir.filePath("c 1.dat");
        QVERIFY(fileaccess::write(path, "old"));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
        QVERIFY(fileaccess::write(path, "new"));
        const auto others = QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
        QCOMPARE(QFile::permissions(path) & ~others, QFile::ReadOwner | QFile::WriteOwner);
    }
};

QTEST_GUILESS_MAIN(FileAccessTest)
#include "tst_fileaccess.moc"
