#include "catalogue/catalogue.h"
#include "common/fileaccess.h"
#include "common/session.h"
#include "common/text1251.h"
#include "common/workfolder.h"
#include "medications/medicamdb.h"
#include "medications/prescription.h"

#include <QtTest>

using medicam::Database;

namespace {

// A complete file in catalogue order; point record k of meridian m lists "m<m>k<k>".
QByteArray completeFile() {
    QString out;
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        out += "][" + catalogue::meridianName(m) + "\r\n";
        const int n = catalogue::pointCount(m);
        for (int k = 1; k <= n; ++k) {
            const auto p = catalogue::point(m, n - k);
            out += "><" + p.number + ' ' + p.description + "\r\n";
            out += QStringLiteral("m%1k%2\r\n").arg(m).arg(k);
        }
    }
    return cp1251::encode(out + "][\r\n");
}

QByteArray bundledFile() {
    QFile f(TAVEN_BUNDLED_DATA "/Database/medicam.nam");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray fileIn(const QTemporaryDir& dir) {
    QFile f(dir.filePath("Database/medicam.nam"));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void put(const QTemporaryDir& dir, const QByteArray& bytes) {
    QDir(dir.path()).mkpath("Database");
    QFile f(dir.filePath("Database/medicam.nam"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class MedicamDbTest : public QObject {
    Q_OBJECT
  private slots:
    void wellFormedRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("bundled") << bundledFile();
        QTest::newRow("generated") << completeFile();
        QByteArray dup = completeFile();
        dup.replace("m3k2\r\n", "m3k2\r\nm3k2\r\n");
        QTest::newRow("duplicate kept") << dup;
    }
    void wellFormedRoundTrip() {
        QFETCH(QByteArray, bytes);
        QVERIFY(bytes.size() > 1000);
        const Database db = Database::parse(bytes);
        QVERIFY2(db.problem().isEmpty(), qPrintable(db.problem()));
        QCOMPARE(db.serialise(), bytes);
    }

    void bundledNamesFollowTheCatalogue() {
        const Database db = Database::parse(bundledFile());
        QCOMPARE(db.meridianNames(), catalogue::meridianNames());
        const int m = catalogue::findMeridian("Легкие");
        QCOMPARE(db.pointNames(m).first(), "11 " + catalogue::point(m, 10).description);
        QCOMPARE(db.medicationsOfRow(0, 8), (QStringList{"Эхинацея D6", "Фитолякка D4"}));
    }

    void unchangedFileIsNotWritten_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("head and tail") << "head text\r\n" + completeFile() + "tail\r\n";
        QTest::newRow("no markers") << QByteArray("not a medication file");
    }
    void unchangedFileIsNotWritten() {
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        put(dir, bytes);
        Database db = Database::load(WorkFolder(dir.path()));
        QVERIFY(!db.changed());
        QVERIFY(db.save(WorkFolder(dir.path())));
        QCOMPARE(fileIn(dir), bytes);
    }

    // An edit changes the edited point's line alone, whatever the rest of the file holds.
    void editChangesOnlyItsLine_data() {
        QTest::addColumn<QByteArray>("old");
        const QByteArray full = completeFile();
        QTest::newRow("editor's own") << full;
        QTest::newRow("head and tail") << "head\r\n" + full + "notes\r\nmore";
        QTest::newRow("LF only") << QByteArray(full).replace("\r\n", "\n");
        QTest::newRow("CR inside a line") << QByteArray(full).replace("m17k1\r\n", "m17k1\rnote\r\n");
    }
    void editChangesOnlyItsLine() {
        QFETCH(QByteArray, old);
        Database db = Database::parse(old);
        QVERIFY2(db.problem().isEmpty(), qPrintable(db.problem()));
        const qsizetype first = old.indexOf("m17k1");
        const qsizetype next = old.indexOf('\n', first) + 1;
        const QByteArray line = cp1251::encode(" Новый D3 ") + (old.contains("\r\n") ? "\r\n" : "\n");
        QVERIFY(db.add(17, 0, " Новый D3 "));
        QCOMPARE(db.serialise(), QByteArray(old).insert(next, line));
        QVERIFY(db.remove(17, 0, 0));
        QCOMPARE(db.serialise(), QByteArray(old).insert(next, line).remove(first, next - first));
    }

    // Another workstation saved the file (or holds the data folder) after this editor read it.
    // Nor is a file written over that could not be read at opening or before the write.
    void otherWorkstationsChangeIsKept_data() {
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<QString>("lockHost");
        QTest::addColumn<QString>("said");
        QTest::addColumn<int>("failedRead"); // 1: at opening, 2: before the write
        QTest::newRow("file changed") << completeFile() + "x\r\n" << QString() << "изменен" << 0;
        QTest::newRow("lock held elsewhere") << completeFile() << "kabinet-3" << QString("kabinet-3") << 0;
        QTest::newRow("opening read failed") << completeFile() << QString() << "ошибка ввода-вывода" << 1;
        QTest::newRow("re-read failed") << completeFile() << QString() << "ошибка ввода-вывода" << 2;
    }
    void otherWorkstationsChangeIsKept() {
        QFETCH(QByteArray, theirs);
        QFETCH(QString, lockHost);
        QFETCH(QString, said);
        QFETCH(int, failedRead);
        QTemporaryDir dir;
        put(dir, completeFile());
        int reads = 0;
        fileaccess::setFaultHook([&](fileaccess::Call call, const QString& path) {
            const bool read = call == fileaccess::Call::Open && path.endsWith("medicam.nam");
            return read && ++reads == failedRead ? EIO : 0;
        });
        const auto unhook = qScopeGuard([] { fileaccess::setFaultHook({}); });
        Database db = Database::load(WorkFolder(dir.path()));
        QVERIFY(db.add(0, 0, "A"));
        put(dir, theirs);
        if (!lockHost.isEmpty()) {
            QFile lock(dir.filePath("Database/taven.lock"));
            QVERIFY(lock.open(QIODevice::WriteOnly));
            lock.write("4242\ntaven\n" + lockHost.toUtf8() + "\n");
        }
        QString error;
        QVERIFY(!db.save(WorkFolder(dir.path()), &error));
        QVERIFY2(error.contains(said), qPrintable(error));
        QCOMPARE(fileIn(dir), theirs);
        QVERIFY(db.changed());
    }

    void secondSaveStartsFromTheFirst() {
        QTemporaryDir dir;
        put(dir, completeFile());
        Database db = Database::load(WorkFolder(dir.path()));
        QVERIFY(db.add(0, 0, "A"));
        QVERIFY(db.save(WorkFolder(dir.path())));
        QVERIFY(db.add(0, 0, "B"));
        QString error;
        QVERIFY2(db.save(WorkFolder(dir.path()), &error), qPrintable(error));
        QCOMPARE(fileIn(dir), db.serialise());
        QVERIFY(!QFileInfo::exists(dir.filePath("Database/taven.lock")));
    }

    void failedWriteKeepsChangeAndSays() {
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("Database/medicam.nam"); // a folder where the file should be
        Database db = Database::parse(completeFile());
        QVERIFY(db.add(0, 0, "A"));
        QString error;
        QVERIFY(!db.save(WorkFolder(dir.path()), &error));
        QVERIFY2(error.contains("medicam.nam"), qPrintable(error));
        QVERIFY(db.changed());
    }

    void pointRecordOrder_data() {
        QTest::addColumn<QString>("meridian");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("kti");
        QTest::addColumn<int>("record");
        QTest::newRow("fat row 0") << "Жировая дегенерация" << 0 << false << 4;
        QTest::newRow("fat row 3") << "Жировая дегенерация" << 3 << false << 1;
        QTest::newRow("fat by KTI") << "Жировая дегенерация" << 0 << true << 2; // КТИ row 2
        QTest::newRow("bladder row 12") << "Мочевой пузырь" << 12 << false << 1;
        QTest::newRow("bladder by KTI") << "Мочевой пузырь" << 12 << true << 4; // КТИ row 9
        QTest::newRow("row past the meridian") << "Жировая дегенерация" << 4 << false << 0;
        QTest::newRow("no meridian") << "Рука-рука" << 0 << false << 0;
    }
    void pointRecordOrder() {
        QFETCH(QString, meridian);
        QFETCH(int, row);
        QFETCH(bool, kti);
        QFETCH(int, record);
        const Database db = Database::parse(completeFile());
        const int m = catalogue::findMeridian(meridian);
        const QStringList expected =
            record ? QStringList{QStringLiteral("m%1k%2").arg(m).arg(record)} : QStringList{};
        QCOMPARE(medicam::testingList(db, m, row, kti), expected);
    }

    void addAndDelete() {
        Database db = Database::parse(completeFile());
        QVERIFY(db.add(2, 1, "Б"));
        QVERIFY(db.add(2, 1, "Б"));
        QCOMPARE(db.medications(2, 1), (QStringList{"m2k2", "Б", "Б"}));
        QVERIFY(db.remove(2, 1, 0));
        QCOMPARE(db.medications(2, 1), (QStringList{"Б", "Б"}));
        QVERIFY(!db.remove(2, 1, 2));
        QVERIFY(!db.remove(2, 99, 0));
        QVERIFY(!db.add(21, 0, "Б"));
        QCOMPARE(db.medications(2, 0), QStringList{"m2k1"});
    }

    void names_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QString>("reason"); // a part of the refusal
        QTest::newRow("as typed") << "  Аспирин D6 " << QString("  Аспирин D6 ") << "";
        QTest::newRow("numero sign") << "№5 «Ромашка»"
                                     << "№5 «Ромашка»"
                                     << "";
        QTest::newRow("single bracket") << "a]b<c"
                                        << "a]b<c"
                                        << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "Введите название";
        QTest::newRow("blanks") << "   "
                                << ""
                                << "Введите название";
        QTest::newRow("meridian marker") << "a][b"
                                         << ""
                                         << "\"][\"";
        QTest::newRow("point marker") << "a><b"
                                      << ""
                                      << "\"><\"";
        QTest::newRow("CR LF") << "a\r\nb"
                               << ""
                               << "одной строкой";
        QTest::newRow("bare CR") << "a\rb"
                                 << ""
                                 << "одной строкой";
        QTest::newRow("control") << QString("a") + QChar(1) << ""
                                 << "управляющий";
        QTest::newRow("CJK") << "a日"
                             << ""
                             << "«日»";
        QTest::newRow("emoji") << "a😀"
                               << ""
                               << "«😀»";
    }
    void names() {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, reason);
        Database db = Database::parse(completeFile());
        QString refusal;
        QCOMPARE(db.add(0, 0, typed, &refusal), !stored.isEmpty());
        QCOMPARE(db.changed(), !stored.isEmpty());
        QCOMPARE(db.medications(0, 0).size(), stored.isEmpty() ? 1 : 2);
        if (stored.isEmpty())
            QVERIFY2(refusal.contains(reason), qPrintable(refusal));
        else
            QCOMPARE(db.medications(0, 0).last(), stored);
    }

    void repair_data();
    void repair();

    void prescription_data() {
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("patient");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("nothing selected") << -1 << true << "Препарат не выбран";
        QTest::newRow("neither") << -1 << false << "Препарат не выбран";
        QTest::newRow("no patient") << 1 << false << "Пациент не выбран";
        QTest::newRow("added") << 1 << true << "";
    }
    void prescription() {
        QFETCH(int, selected);
        QFETCH(bool, patient);
        QFETCH(QString, refusal);
        session::Session s;
        if (patient)
            s.setChoice({"Иванов", "1950", "c 1.dat", 0, "01.02.2003"});
        s.strRecept = "\r\nA";
        QCOMPARE(medicam::addToPrescription(s, {"A", "B"}, selected), refusal);
        QCOMPARE(s.strRecept, refusal.isEmpty() ? QString("\r\nA\r\nB") : QString("\r\nA"));
    }
};

void MedicamDbTest::repair_data() {
    QTest::addColumn<QByteArray>("bytes"); // "(none)": no file
    QTest::addColumn<QString>("what");
    QTest::addColumn<QString>("kept"); // a medication still there, with its meridian and point
    const QByteArray full = completeFile();
    const qsizetype fifth = full.indexOf("][" + cp1251::encode(catalogue::meridianName(5)));
    QByteArray shortOne = full;
    const qsizetype last = shortOne.indexOf("m3k8\r\n");
    const qsizetype lastMark = shortOne.lastIndexOf("><", last);
    shortOne.remove(lastMark, last + 6 - lastMark);
    QTest::newRow("missing") << QByteArray("(none)") << "Не найден файл"
                             << "";
    QTest::newRow("empty") << QByteArray() << "пуст"
                           << "";
    QTest::newRow("no markers") << QByteArray("m0k1\r\n") << "нет ни одного маркера"
                                << "";
    QTest::newRow("five meridians") << full.left(fifth + 2) + "\r\n"
                                    << "записей меридианов 5 из 21"
                                    << "4 2 m4k2";
    QTest::newRow("short meridian") << shortOne
                                    << "не хватает записей точек у меридианов «Нервная дегенерация» — 7 из 8"
                                    << "3 7 m3k7";
    // Cut inside the medication line of the third point of meridian 5.
    const qsizetype cut = full.indexOf("m5k3") + 2;
    QTest::newRow("truncated in a medication") << full.left(cut) << "записей меридианов 5 из 21"
                                               << "5 2 m5k2";
    QTest::newRow("truncated in a name") << full.left(full.lastIndexOf("><", cut) + 5) << "обрезана"
                                         << "5 2 m5k2";
}

void MedicamDbTest::repair() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, what);
    QFETCH(QString, kept);
    QTemporaryDir dir;
    if (bytes != "(none)")
        put(dir, bytes);
    Database db = Database::load(WorkFolder(dir.path()));
    QVERIFY2(db.problem().contains("medicam.nam") && db.problem().contains(what), qPrintable(db.problem()));
    if (!kept.isEmpty()) {
        const QStringList k = kept.split(' ');
        QVERIFY(db.medications(k[0].toInt(), k[1].toInt() - 1).contains(k[2]));
    }
    // The sample names follow the catalogue, so every name, a cut-off one included, must.
    QCOMPARE(db.meridianNames().mid(0, catalogue::kMeridianCount), catalogue::meridianNames());
    for (int m = 0; m < catalogue::kMeridianCount; ++m) {
        const int n = catalogue::pointCount(m);
        for (int p = 0; p < n; ++p) {
            const auto point = catalogue::point(m, n - 1 - p);
            QCOMPARE(db.pointNames(m)[p], point.number + ' ' + point.description);
        }
    }
    const int n = catalogue::pointCount(20);
    QVERIFY(db.add(20, 0, "X"));
    QVERIFY(db.save(WorkFolder(dir.path())));
    const Database again = Database::load(WorkFolder(dir.path()));
    QCOMPARE(again.medicationsOfRow(20, n - 1).last(), QString("X"));
    QCOMPARE(again.serialise(), fileIn(dir));
}

QTEST_GUILESS_MAIN(MedicamDbTest)
#include "tst_medicamdb.moc"
