#include "common/textutil.h"
#include "medications/medicamfile.h"

#include <QtTest>

class MedicamFileTest : public QObject {
    Q_OBJECT
  private slots:
    void listsByRow() {
        // Two meridians; the second has four points and medications on some of them.
        const QString file = "][M0\r\n><p1\r\n><p2\r\n][M1\r\n><1 first\r\nA\r\nB\r\n><2\r\n><3\r\nC\r\n><4 "
                             "top\r\nD\r\n][\r\n";
        const QStringList pieces = text::split(file, medicam::kMeridianMark);
        // Row n-1 is point record 1, row 0 point record n.
        QCOMPARE(medicam::medicationsOf(pieces, 1, 4, 3), (QStringList{"A", "B"}));
        QCOMPARE(medicam::medicationsOf(pieces, 1, 4, 2), QStringList());
        QCOMPARE(medicam::medicationsOf(pieces, 1, 4, 1), QStringList{"C"});
        QCOMPARE(medicam::medicationsOf(pieces, 1, 4, 0), QStringList{"D"});
        QCOMPARE(medicam::medicationsOf(pieces, 0, 2, 1), QStringList());
    }

    void shortOrBrokenFilesGiveEmptyLists() {
        const QStringList pieces = text::split("][M0\r\n><p1\r\nA\r\n][\r\n", medicam::kMeridianMark);
        QCOMPARE(medicam::medicationsOf(pieces, 0, 1, 0), QStringList{"A"});
        QCOMPARE(medicam::medicationsOf(pieces, 0, 3, 0), QStringList()); // fewer point records
        QCOMPARE(medicam::medicationsOf(pieces, 1, 4, 0), QStringList()); // the tail is no record
        QCOMPARE(medicam::medicationsOf(pieces, 20, 13, 12), QStringList());
        QCOMPARE(medicam::medicationsOf(text::split("", medicam::kMeridianMark), 0, 11, 10), QStringList());
    }

    void shownTextStopsAtCr() {
        QCOMPARE(medicam::shownText("Name\r"), QStringLiteral("Name"));
        QCOMPARE(medicam::shownText("a\rb"), QStringLiteral("a"));
        QCOMPARE(medicam::medicationsOfRecord("name\r\nX\r\nY\r\n"), (QStringList{"X", "Y"}));
        QCOMPARE(medicam::medicationsOfRecord("name only"), QStringList());
    }
};

QTEST_GUILESS_MAIN(MedicamFileTest)
#include "tst_medicamfile.moc"
