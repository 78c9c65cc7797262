#include "common/userfolder.h"

#include "common/fileaccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

bool put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && f.open(QIODevice::WriteOnly) &&
           f.write(bytes) == bytes.size();
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace

class UserFolderTest : public QObject {
    Q_OBJECT
  private slots:
    // --folder, then $TAVEN_HOME, then a current folder that holds the data, then the
    // per-user location.
    void choose_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("env");
        QTest::addColumn<QString>("currentFile"); // a file made in the current folder
        QTest::addColumn<QString>("expected");    // "option", "env", "current" or "xdg"
        QTest::newRow("option over all") << "opt"
                                         << "env"
                                         << "taven.ini"
                                         << "option";
        QTest::newRow("environment over current") << ""
                                                  << "env"
                                                  << "taven.ini"
                                                  << "env";
        QTest::newRow("current with settings") << ""
                                               << ""
                                               << "taven.ini"
                                               << "current";
        QTest::newRow("current with point texts, other case") << ""
                                                              << ""
                                                              << "FUNCTION.PNT"
                                                              << "current";
        QTest::newRow("current without data") << ""
                                              << ""
                                              << "notes.txt"
                                              << "xdg";
        QTest::newRow("nothing given") << ""
                                       << ""
                                       << ""
                                       << "xdg";
    }
    void choose() {
        QFETCH(QString, option);
        QFETCH(QString, env);
        QFETCH(QString, currentFile);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString current = dir.filePath("cwd");
        QVERIFY(QDir().mkpath(current));
        if (!currentFile.isEmpty())
            QVERIFY(put(current + '/' + currentFile, "x"));
        const QMap<QString, QString> paths = {{"option", dir.filePath("opt")},
                                              {"env", dir.filePath("env")},
                                              {"current", current},
                                              {"xdg", dir.filePath("xdg/taven")}};
        const userfolder::Candidates c{option.isEmpty() ? QString() : paths["option"],
                                       env.isEmpty() ? QString() : paths["env"], current, paths["xdg"]};
        QCOMPARE(userfolder::choose(c), paths[expected]);
    }

    // A first start copies everything; the user's files, under any case of their names,
    // are never replaced and get no twin.
    void fillKeepsTheUsersFiles() {
        QTemporaryDir dir;
        const QString bundled = dir.filePath("bundled");
        QVERIFY(put(bundled + "/taven.ini", "bundled ini"));
        QVERIFY(put(bundled + "/function.pnt", "bundled texts"));
        QVERIFY(put(bundled + "/Database/medicam.nam", "bundled meds"));
        const QString user = dir.filePath("home/taven");
        QVERIFY(put(user + "/TAVEN.INI", "user ini"));
        QVERIFY(put(user + "/DataBase/medicam.nam", "user meds"));

        QCOMPARE(userfolder::fill(bundled, user), QStringList());
        QCOMPARE(contents(user + "/TAVEN.INI"), QByteArray("user ini"));
        QCOMPARE(contents(user + "/DataBase/medicam.nam"), QByteArray("user meds"));
        QCOMPARE(contents(user + "/function.pnt"), QByteArray("bundled texts"));
        QCOMPARE(QDir(user).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase),
                 (QStringList{"DataBase", "function.pnt", "TAVEN.INI"}));

        const QString fresh = dir.filePath("new/taven");
        QCOMPARE(userfolder::fill(bundled, fresh), QStringList());
        QCOMPARE(contents(fresh + "/Database/medicam.nam"), QByteArray("bundled meds"));
        QVERIFY(userfolder::holdsData(fresh));
    }

    // A user's file that cannot be looked at (a flaky share) is told, never taken as absent.
    void fillNeverCopiesOverAFileItCannotSee() {
        QTemporaryDir dir;
        QVERIFY(put(dir.filePath("bundled/taven.ini"), "bundled ini"));
        QVERIFY(put(dir.filePath("user/taven.ini"), "user ini"));
        fileaccess::setFaultHook([](fileaccess::Call call, const QString& path) {
            return call == fileaccess::Call::Look && path.endsWith("user/taven.ini") ? EIO : 0;
        });
        const QStringList errors = userfolder::fill(dir.filePath("bundled"), dir.filePath("user"));
        fileaccess::setFaultHook({});
        QCOMPARE(contents(dir.filePath("user/taven.ini")), QByteArray("user ini"));
        QVERIFY2(errors.size() == 1 && errors[0].contains("taven.ini") && errors[0].contains("ввода-вывода"),
                 qPrintable(errors.join('\n')));
    }

    // A folder that cannot be made is told, naming it; nothing is half done silently.
    void fillReportsWhatItCannotMake() {
        QTemporaryDir dir;
        QVERIFY(put(dir.filePath("bundled/taven.ini"), "ini"));
        QVERIFY(put(dir.filePath("blocker"), "a file where the folder should be"));
        const QStringList errors = userfolder::fill(dir.filePath("bundled"), dir.filePath("blocker/taven"));
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().contains("blocker"), qPrintable(errors.first()));
    }

    // One sentence with the cause, so the program can say it once and stop.
    void unusableFolderIsToldWithItsCause_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("said"); // empty: usable, and made
        QTest::newRow("new, two levels") << "new/taven"
                                         << "";
        QTest::newRow("under a file") << "blocker/taven"
                                      << "blocker не является папкой";
        QTest::newRow("is a file") << "blocker"
                                   << "blocker не является папкой";
    }
    void unusableFolderIsToldWithItsCause() {
        QFETCH(QString, folder);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QVERIFY(put(dir.filePath("blocker"), "a file where the folder should be"));
        const QString problem = userfolder::unusable(dir.filePath(folder));
        QVERIFY2(said.isEmpty() ? problem.isEmpty() : problem.endsWith(said + '.'), qPrintable(problem));
        QCOMPARE(QFileInfo(dir.filePath(folder)).isDir(), said.isEmpty());
    }
};

QTEST_GUILESS_MAIN(UserFolderTest)
#include "tst_userfolder.moc"
