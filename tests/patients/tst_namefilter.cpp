// Finding a patient by a part of the name, and the list's lines over the filter.
#include "patients/namefilter.h"

#include <QtTest>

using patients::NameFilter;
using patients::NameListModel;

class NameFilterTest : public QObject {
    Q_OBJECT
  private slots:
    void found_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("part");
        QTest::addColumn<QList<int>>("found");
        const QStringList three{"Иванов Иван", "Петров Пётр", "ИВАНОВА Анна"};
        QTest::newRow("nothing typed: all") << three << "" << QList<int>{0, 1, 2};
        QTest::newRow("any part, case aside") << three << "вАн" << QList<int>{0, 2};
        QTest::newRow("е finds ё") << three << "петр" << QList<int>{1};
        QTest::newRow("ё finds е, upper case")
            << QStringList{"Семенов", "Ёлкин Семён"} << "СЕМЁ" << QList<int>{0, 1};
        QTest::newRow("Ё as е") << QStringList{"Ёлкин"} << "ел" << QList<int>{0};
        QTest::newRow("never across two names") << QStringList{"аб", "вг"} << "бв" << QList<int>{};
        QTest::newRow("twice in a name, once") << QStringList{"Анна Ан", "Ан"} << "ан" << QList<int>{0, 1};
        QTest::newRow("none") << three << "Сидоров" << QList<int>{};
    }
    void found() {
        QFETCH(QStringList, names);
        QFETCH(QString, part);
        QFETCH(QList<int>, found);
        NameFilter f;
        f.setNames(names);
        const std::vector<int>& rows = f.apply(part);
        QCOMPARE(QList<int>(rows.begin(), rows.end()), found);
    }

    // Shown lines and index positions map both ways; new names keep the part typed.
    void linesMapToIndexPositions() {
        NameListModel m;
        m.setNames({"Иванов", "Петров", "Иваненко", "Сидоров"});
        m.setFilter("иван");
        QCOMPARE(m.index(1).data().toString(), QStringLiteral("Иваненко"));
        QCOMPARE(QList<int>({m.rowCount(), m.indexRow(0), m.indexRow(1), m.indexRow(2)}),
                 QList<int>({2, 0, 2, -1}));
        QCOMPARE(QList<int>({m.shownRow(0), m.shownRow(1), m.shownRow(2), m.shownRow(4)}),
                 QList<int>({0, -1, 1, -1}));
        m.setNames({"Новый Иван", "Иванов", "Петров"});
        QCOMPARE(QList<int>({m.rowCount(), m.indexRow(0), m.indexRow(1)}), QList<int>({2, 0, 1}));
    }
};

QTEST_GUILESS_MAIN(NameFilterTest)
#include "tst_namefilter.moc"
