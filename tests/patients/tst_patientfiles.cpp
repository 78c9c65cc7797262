#include "patientgen.h"
#include "patients/patientcheck.h"
#include "patients/patientfiles.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

using namespace patients;

namespace {

const QByteArray kRows = QByteArray(",,,,,,,,,,,,,,,,,,,,,,,,,,,,\r\n>").repeated(25);
const QByteArray kBlank = "01.02.2003\r\n>\r\n>\r\n>\r\n>" + kRows + "\r\n";
const QByteArray kTwo = " 7\r\n*\xC8\xE2\xE0\xED\xEE\xE2 \xC8|1950|01.01.2001 |c 7.dat|\r\n*"
                        "B b|19 |02.02.2002 03.03.2003 |c 3.dat|\r\n*";

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PatientFilesTest : public QObject {
    Q_OBJECT
  private slots:
    void indexRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("records");
        QTest::addColumn<int>("counter");
        QTest::newRow("first index") << QByteArray("0\r\n*") << 0 << 0;
        QTest::newRow("empty with tail") << QByteArray(" 4\r\n*\r\n") << 0 << 4;
        const QByteArray two = " 7\r\n*\xC8\xE2\xE0\xED\xEE\xE2 \xC8|1950|01.01.2001 |c 7.dat|\r\n*"
                               "B b|19 |02.02.2002 03.03.2003 |c 3.dat|\r\n*";
        QTest::newRow("two records") << two << 2 << 7;
        QTest::newRow("tail of line ends") << two + "\r\n\r\n\r\n" << 2 << 7;
        QTest::newRow("record without line end") << QByteArray(" 1\r\n*a|b|c |c 1.dat|*") << 1 << 1;
        QTest::newRow("counter at the limit") << QByteArray(" 32767\r\n*") << 0 << 32767;
        QTest::newRow("counter no number") << QByteArray("x1\r\n*") << 0 << -1;
        QTest::newRow("counter past the limit") << QByteArray(" 32768\r\n*") << 0 << 32768;
        QTest::newRow("counter of ten digits") << QByteArray("0000000012\r\n*") << 0 << 12;
        QTest::newRow("counter, tab, LF only") << QByteArray("\t7 \n*a|b|c |c 1.dat|\n*\n") << 1 << 7;
        QTest::newRow("counter negative") << QByteArray("-1\r\n*") << 0 << -1;
    }
    void indexRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, records);
        QFETCH(int, counter);
        const auto ix = Index::parse(bytes);
        QVERIFY(ix);
        QCOMPARE(ix->records.size(), records);
        QCOMPARE(ix->counter().value_or(-1), counter);
        QCOMPARE(ix->serialise(), bytes);
    }

    void indexFields() {
        const auto ix = Index::parse(" 7\r\n*A B|19 |02.02.2002 03.03.2003 |c 3.dat|\r\n*");
        QVERIFY(ix);
        const IndexRecord& r = ix->records[0];
        QCOMPARE(IndexRecord::parse("a|b").cardFile(), QString());
        QCOMPARE(IndexRecord::parse("a|b").year(), QStringLiteral("b"));
        QCOMPARE(r.name(), QStringLiteral("A B"));
        QCOMPARE(r.year(), QStringLiteral("19 "));
        QCOMPARE(r.dateLines(), QStringList({"02.02.2002", "03.03.2003", ""}));
        QCOMPARE(r.dateCount(), 2);
        QCOMPARE(r.cardFile(), QStringLiteral("c 3.dat"));
        // A changed record is rebuilt from its four fields.
        const IndexRecord made = IndexRecord::make(r.name(), r.year(), r.dates(), r.cardFile());
        QCOMPARE(made.text(), r.text());
    }

    void noStarIsNoIndex() {
        QVERIFY(!Index::parse(""));
        QVERIFY(!Index::parse("0\r\n"));
    }

    // One record found by its separators in the bytes, the rest not decoded.
    void recordAt_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("name"); // "-" for no record
        const QByteArray three = " 9\r\n*\xC0\xE1 \xFF\xB8\x98|1950|01.01.2001 |c 9.dat|\r\n*"
                                 "B b|19|02.02.2002 |c 3.dat|\r\n*C c|20|03.03.2003 |c 1.dat|\r\n*\r\n";
        QTest::newRow("first, bytes of 0x80 and above") << three << 0 << QStringLiteral("Аб яё\u0098");
        QTest::newRow("middle") << three << 1 << QStringLiteral("B b");
        QTest::newRow("last") << three << 2 << QStringLiteral("C c");
        QTest::newRow("tail is no record") << three << 3 << QStringLiteral("-");
        QTest::newRow("negative") << three << -1 << QStringLiteral("-");
        QTest::newRow("no final CR LF") << three.chopped(2) << 2 << QStringLiteral("C c");
        QTest::newRow("record without CR LF")
            << QByteArray(" 1\r\n*a|b|c |c 1.dat|*") << 0 << QStringLiteral("a");
        QTest::newRow("final star lost") << three.left(three.lastIndexOf('*')) << 2 << QStringLiteral("-");
        QTest::newRow("no records") << QByteArray("0\r\n*") << 0 << QStringLiteral("-");
        QTest::newRow("no star at all") << QByteArray(" 1\r\n") << 0 << QStringLiteral("-");
    }
    void recordAt() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, position);
        QFETCH(QString, name);
        const auto r = Index::recordAt(bytes, position);
        QCOMPARE(r ? r->name() : QStringLiteral("-"), name);
        // The same record as the whole index read.
        const auto ix = Index::parse(bytes);
        if (r)
            QCOMPARE(r->text(), ix->records.at(position).text());
        else
            QVERIFY(!ix || position < 0 || position >= ix->records.size());
    }

    // Whether bytes read now still give the index read before, without decoding them.
    void isParseOf_data() {
        QTest::addColumn<QByteArray>("now");
        QTest::addColumn<bool>("same");
        const QByteArray was = kTwo + "\r\n";
        QTest::newRow("same bytes") << was << true;
        QTest::newRow("other tail") << kTwo + "\r\n\r\n\r\n" << true;
        QTest::newRow("no tail") << kTwo << true;
        QTest::newRow("records swapped")
            << QByteArray(" 7\r\n*B b|19 |02.02.2002 03.03.2003 |c 3.dat|\r\n*"
                          "\xC8\xE2\xE0\xED\xEE\xE2 \xC8|1950|01.01.2001 |c 7.dat|\r\n*")
            << false;
        QTest::newRow("last record gone") << kTwo.left(kTwo.indexOf("B b")) << false;
        QTest::newRow("record added") << kTwo + "C c|1|01.01.2001 |c 8.dat|\r\n*" << false;
        QTest::newRow("final star lost") << kTwo.chopped(1) + "\r\n" << false;
        QTest::newRow("letter 0xC8 now 0xC9") << QByteArray(kTwo).replace('\xC8', '\xC9') << false;
        QTest::newRow("one digit, same length") << QByteArray(kTwo).replace("2002", "2012") << false;
        QTest::newRow("letter among digits") << QByteArray(kTwo).replace("c 3.dat", "c 3.d\xE0t") << false;
        QTest::newRow("counter") << QByteArray(kTwo).replace(" 7\r\n", " 8\r\n") << false;
        QTest::newRow("empty file") << QByteArray() << false;
    }
    void isParseOf() {
        QFETCH(QByteArray, now);
        QFETCH(bool, same);
        const auto was = Index::parse(kTwo + "\r\n");
        QVERIFY(was);
        QCOMPARE(was->isParseOf(now), same);
        // The answer agrees with a whole read.
        const auto fresh = Index::parse(now);
        const auto tailless = [](const Index& ix) { return ix.serialise().chopped(ix.tail.size()); };
        QCOMPARE(fresh && tailless(*fresh) == tailless(*was), same);
    }

    void cardRoundTrip_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("visits");
        QByteArray full = "05.05.2005\r\n>\xC6\xE0\xEB\xEE\xE1\xFB\r\n\xE5\xF9\xE5\r\n>d\r\n>\r\n\xCF>";
        for (int r = 0; r < 25; ++r) {
            for (int c = 0; c < 28; ++c)
                full +=
                    (r < 21 || c == 0) ? QByteArray::number(r + c) + " -" + QByteArray::number(c) + "," : ",";
            full += "\r\n>";
        }
        full += "\r\n@";
        QTest::newRow("blank") << kBlank + "@" << 1;
        QTest::newRow("blank with tail") << kBlank + "@\r\n" << 1;
        QTest::newRow("full and blank") << full + kBlank + "@" << 2;
        QTest::newRow("tail of line ends") << full + kBlank + "@\r\n\r\n\r\n" << 2;
        QTest::newRow("empty") << QByteArray() << 0;
    }
    void cardRoundTrip() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, visits);
        const Card c = Card::parse(bytes);
        QCOMPARE(c.visits.size(), visits);
        QCOMPARE(c.serialise(), bytes);
        for (const QString& v : c.visits)
            QCOMPARE(visitFields(v).size(), kVisitFields);
    }

    void blankVisitHasTheLegacyBytes() { QCOMPARE(blankVisit("01.02.2003").toLatin1(), kBlank); }

    // Legacy cards: read as written, told from a change cut between card and index, kept by a save.
    void legacyCards_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("dates");
        QTest::addColumn<int>("agrees");
        const auto v = [](const char* date) { return QByteArray(kBlank).replace("01.02.2003", date) + '@'; };
        const int same = int(Agreement::Same), ahead = int(Agreement::CardAhead);
        QTest::newRow("LF only") << v("a").append(v("b") + "\r\n").replace("\r\n", "\n") << "a b" << same;
        QTest::newRow("last visit cut short") << v("a") + v("b").left(90) << "a b" << same;
        QTest::newRow("extra record of no date") << v("a").append("\r\n>@") << "a" << same;
        QStringList f = visitFields(QString::fromLatin1(kBlank));
        f[kFirstRowField + 22] = "55 3\r\n";
        QTest::newRow("branch row without commas") << f.join(u'>').toLatin1() + '@' << "01.02.2003" << same;
        QTest::newRow("one added, index behind") << v("n") + v("a") << "a" << ahead;
        QTest::newRow("one deleted, index behind") << v("a") << "a b" << ahead;
        QTest::newRow("apart") << v("x") << "a" << int(Agreement::Apart);
    }
    void legacyCards() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, dates);
        QFETCH(int, agrees);
        const Card c = Card::parse(bytes);
        QCOMPARE(c.serialise(), bytes);
        QCOMPARE(int(agreement(dates.split(u' '), c.dates())), agrees);
        for (const QString& v : c.visits) {
            const QStringList f = visitFields(v);
            session::ResultsMatrix m = resultsOf(v);
            if (f.size() < kVisitFields)
                continue;
            QCOMPARE(withTexts(v, fieldText(f, 1), fieldText(f, 2), fieldText(f, 3)), v);
            QVERIFY2(!checkResults(m, resultsOf(v)), qPrintable(checkResults(m, resultsOf(v)).message));
            m.cell(0, 0) = "1 1";
            QCOMPARE(visitFields(withResults(v, m)).mid(5), f.mid(5));
        }
    }

    void resultsGoInAndComeBack() {
        session::ResultsMatrix m;
        for (int r = 0; r < 25; ++r)
            for (int c = 0; c < 28; ++c)
                if ((r < 21 || c == 0) && (r + c) % 3)
                    m.cell(r, c) = QStringLiteral("%1 %2").arg(r * 3 + c).arg(c - 10);
        const QString withTextsBefore = withTexts(blankVisit("01.02.2003"), "  a\r\nb ", "d", "");
        const QString saved = withResults(withTextsBefore, m);
        QCOMPARE(resultsOf(saved), m);
        QCOMPARE(visitFields(saved).size(), kVisitFields);
        // The date and the texts stay as they were, byte for byte.
        QCOMPARE(visitFields(saved).mid(0, 4), visitFields(withTextsBefore).mid(0, 4));
        QCOMPARE(fieldText(visitFields(saved), 1), QStringLiteral("a\r\nb"));
        // Texts replaced: rows stay as they were.
        QCOMPARE(visitFields(withTexts(saved, "x", "y", "z")).mid(4), visitFields(saved).mid(4));
    }

    void branchRowsReadFromCellZeroOnly() {
        QString record = blankVisit("01.02.2003");
        QStringList f = visitFields(record);
        f[4 + 22] = "5 1,6 2,7 3," + QString(25, u',') + "\r\n";
        f[4] = "1 0,2 0," + QString(26, u',') + "\r\n";
        const session::ResultsMatrix m = resultsOf(f.join(u'>'));
        QCOMPARE(m.cell(22, 0), QStringLiteral("5 1"));
        QCOMPARE(m.cell(22, 1), QString());
        QCOMPARE(m.cell(0, 1), QStringLiteral("2 0"));
    }

    void shortVisitEmptiesTheMatrix_data() {
        QTest::addColumn<QString>("record");
        QTest::newRow("one field") << "\r\n";
        QTest::newRow("six fields") << "d\r\n>\r\n>\r\n>\r\n>1 1,\r\n>2 2,\r\n";
    }
    void shortVisitEmptiesTheMatrix() {
        QFETCH(QString, record);
        QVERIFY(resultsOf(record).isEmpty());
    }

    void cardNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("number");
        QTest::newRow("first") << "c 1.dat" << 1;
        QTest::newRow("largest") << "c 32767.dat" << 32767;
        QTest::newRow("zero") << "c 0.dat" << -1;
        QTest::newRow("past the largest") << "c 32768.dat" << -1;
        QTest::newRow("leading zero") << "c 01.dat" << -1;
        QTest::newRow("no blank") << "c1.dat" << -1;
        QTest::newRow("negative") << "c -1.dat" << -1;
        QTest::newRow("parent folder") << "..\\client.crd" << -1;
        QTest::newRow("climbing inside") << "c 1.dat\\..\\..\\x" << -1;
        QTest::newRow("drive") << "C:\\c 1.dat" << -1;
        QTest::newRow("absolute") << "/etc/passwd" << -1;
        QTest::newRow("upper case") << "C 1.DAT" << -1;
        QTest::newRow("empty") << "" << -1;
    }
    void cardNames() {
        QFETCH(QString, name);
        QFETCH(int, number);
        QCOMPARE(cardNumber(name).value_or(-1), number);
        if (number > 0)
            QCOMPARE(cardFileName(number), name);
    }

    void dateTextHoldsNoSeparatorInAnyLocale() {
        const QLocale old;
        for (const char* l : {"ru_RU", "en_US", "de_DE", "ar_EG", "zh_CN"}) {
            QLocale::setDefault(QLocale(l));
            const QString t = dateText(QDate(2026, 3, 7));
            QCOMPARE(t, QStringLiteral("07.03.2026"));
        }
        QLocale::setDefault(old);
    }

    // A database as the older workstations left it reads and writes back byte for byte.
    void legacyDatabaseRoundTrip() {
        QTemporaryDir dir;
        patientgen::Options o;
        o.patients = 70;
        o.visits = 5;
        o.bigVisits = 40;
        QVERIFY(patientgen::writeDatabase(dir.path(), o));
        const QDir db(dir.filePath("Database"));
        const QByteArray indexBytes = readAll(db.filePath("client.crd"));
        const auto ix = Index::parse(indexBytes);
        QVERIFY(ix);
        QCOMPARE(ix->records.size(), 71);
        QCOMPARE(ix->serialise(), indexBytes);
        QString letters;
        for (const IndexRecord& r : ix->records) {
            letters += r.name();
            const QByteArray card = readAll(db.filePath(r.cardFile()));
            const Card c = Card::parse(card);
            QCOMPARE(c.visits.size(), r.dateCount());
            QCOMPARE(c.serialise(), card);
            for (int v = 0; v < c.visits.size(); ++v)
                QCOMPARE(visitDate(c.visits[v]), r.dateLines()[v]);
        }
        for (char16_t ch = u'А'; ch <= u'я'; ++ch)
            QVERIFY2(letters.contains(QChar(ch)), qPrintable(QString(QChar(ch))));
        QVERIFY(letters.contains(u'Ё') && letters.contains(u'ё'));
        // Every byte 0x80..0xFF stands in the texts of the first card.
        const QByteArray first = readAll(db.filePath(ix->records[0].cardFile()));
        for (int b = 0x80; b < 0x100; ++b)
            QVERIFY2(first.contains(char(b)), qPrintable(QString::number(b, 16)));
    }
};

QTEST_GUILESS_MAIN(PatientFilesTest)
#include "tst_patientfiles.moc"
