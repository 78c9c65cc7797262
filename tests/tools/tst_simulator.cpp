#include "measurement/devicelink.h"
#include "measurement/readingprocessor.h"
#include "scenario.h"
#include "streamtimers.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

using sim::Step;
using K = sim::Step::Kind;
Q_DECLARE_METATYPE(K)

namespace {

QList<sim::TimedByte> generate(const QString& text, quint32 seed = 1) {
    sim::Scenario s;
    QString error;
    if (!sim::parse(text, &s, &error))
        qWarning() << error;
    return sim::Generator(seed).run(s);
}

QByteArray bytesOf(const QList<sim::TimedByte>& stream) {
    QByteArray b;
    for (const auto& t : stream)
        b.append(char(t.byte));
    return b;
}

// Plays a generated stream into the processor in the stream's own time: the two timers
// expire when the byte times pass their deadlines, as the window's timers would.
struct Player : StreamTimers {
    reading::ReadingProcessor p;
    reading::ReadingContext ctx;
    QStringList results;
    int presses = 0;

    void play(const QList<sim::TimedByte>& stream) {
        for (const auto& t : stream) {
            now = t.atMs;
            if (timer1 >= 0 && timer1 <= now)
                take(p.Timer1_Timer());
            if (timer2 >= 0 && timer2 <= now)
                timer2 = -1;
            ctx.timer2Running = timer2 >= 0;
            const reading::Effects e = p.processByte(t.byte, ctx);
            take(e);
            if (e.result && e.result->row >= 0)
                results << e.result->text;
            if (e.move == reading::Effects::Move::PreviousPoint)
                ++presses;
        }
    }
};

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
  private slots:
    void parseSteps_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<K>("kind");
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("drop");
        QTest::newRow("touch") << "touch 40 3.5s" << K::Touch << 3500 << 40 << -1;
        QTest::newRow("touch drop") << "  touch 40 3,5 drop 8  # comment" << K::Touch << 3500 << 40 << 8;
        QTest::newRow("pause ms") << "pause 250ms" << K::Pause << 250 << 0 << -1;
        QTest::newRow("short") << "press short" << K::PressShort << 0 << 0 << -1;
        QTest::newRow("long") << "press long" << K::PressLong << 0 << 50 << -1;
        QTest::newRow("long 45") << "press long 45" << K::PressLong << 0 << 45 << -1;
        QTest::newRow("reset") << "reset" << K::Reset << 0 << 0 << -1;
        QTest::newRow("noise") << "noise 1s" << K::Noise << 1000 << 2 << -1;
        QTest::newRow("noise 9") << "noise 2 9" << K::Noise << 2000 << 9 << -1;
        QTest::newRow("byte") << "byte 255" << K::Byte << 0 << 255 << -1;
        QTest::newRow("rate") << "rate 5ms" << K::Rate << 5 << 0 << -1;
    }
    void parseSteps() {
        QFETCH(QString, text);
        QFETCH(K, kind);
        QFETCH(int, ms);
        QFETCH(int, value);
        QFETCH(int, drop);
        sim::Scenario s;
        QString error;
        QVERIFY2(sim::parse(text, &s, &error), qPrintable(error));
        QCOMPARE(s.steps.size(), 1);
        QCOMPARE(s.steps[0].kind, kind);
        QCOMPARE(s.steps[0].ms, ms);
        QCOMPARE(s.steps[0].value, value);
        QCOMPARE(s.steps[0].drop, drop);
    }

    void parseErrors_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("where");
        QTest::newRow("unknown") << "pause 1s\njump 3"
                                 << "строка 2";
        QTest::newRow("touch below start") << "touch 2 1s"
                                           << "строка 1";
        QTest::newRow("touch past scale") << "touch 101 1s"
                                          << "строка 1";
        QTest::newRow("drop not below peak") << "touch 40 1s drop 40"
                                             << "строка 1";
        QTest::newRow("bad time") << "reset; pause soon"
                                  << "строка 1";
        QTest::newRow("negative time") << "\n\npause -1s"
                                       << "строка 3";
        QTest::newRow("byte 256") << "byte 256"
                                  << "строка 1";
        QTest::newRow("press what") << "press hard"
                                    << "строка 1";
        QTest::newRow("rate 0") << "rate 0ms"
                                << "строка 1";
    }
    void parseErrors() {
        QFETCH(QString, text);
        QFETCH(QString, where);
        sim::Scenario s;
        s.steps.append(Step{});
        QString error;
        QVERIFY(!sim::parse(text, &s, &error));
        QVERIFY2(error.startsWith(where + u':'), qPrintable(error));
        QCOMPARE(s.steps.size(), 1); // untouched
    }

    void touchShape() {
        const auto stream = generate("touch 40 1s drop 8");
        QCOMPARE(stream.size(), 100);
        QCOMPARE(int(stream.first().byte), reading::kTouchStartByte);
        QCOMPARE(int(stream.last().byte), 70 + 32);
        int peak = 0;
        for (int k = 0; k < stream.size(); ++k) {
            QCOMPARE(stream[k].atMs, qint64(10 * k));
            QVERIFY2(stream[k].byte > 70, qPrintable(QString("byte %1 ends the touch").arg(k)));
            peak = std::max(peak, int(stream[k].byte));
        }
        QCOMPARE(peak, 110);
    }

    void pressTiming_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("closing");
        QTest::newRow("short") << "press short" << sim::kShortPressMs << 70;
        QTest::newRow("long") << "press long" << sim::kLongPressMs << 120;
        QTest::newRow("long 60") << "rate 20ms; press long 60" << sim::kLongPressMs << 130;
    }
    void pressTiming() {
        QFETCH(QString, text);
        QFETCH(int, gap);
        QFETCH(int, closing);
        const auto stream = generate(text);
        QCOMPARE(stream.size(), 2);
        QCOMPARE(int(stream[0].byte), 255);
        QCOMPARE(int(stream[1].byte), closing);
        QCOMPARE(stream[1].atMs - stream[0].atMs, qint64(gap));
    }

    void noiseIsSmallAndRepeatable() {
        const auto a = generate("noise 5s", 7);
        QCOMPARE(a.size(), 500);
        QCOMPARE(bytesOf(a), bytesOf(generate("noise 5s", 7)));
        QVERIFY(bytesOf(a) != bytesOf(generate("noise 5s", 8)));
        QSet<int> seen;
        for (const auto& t : a)
            seen.insert(t.byte);
        QCOMPARE(seen, (QSet<int>{70, 71, 72}));
    }

    // The shipped scenario, played in diagnostics with one touch and 3 s: the two long
    // touches give results, the short ones are dropped, the short press steps back.
    // A day of noise at 1 ms is 86 million bytes: made as they are due, not held (2.7 GB once).
    void longScenarioIsMadeAsItPlays() {
        sim::Scenario s;
        QString error;
        QVERIFY(sim::parse("rate 1ms; noise 86400s; byte 200", &s, &error));
        const auto residentKb = [] {
            QFile f("/proc/self/statm");
            f.open(QIODevice::ReadOnly);
            return f.readAll().split(' ').value(1).toLongLong() * 4;
        };
        const qint64 before = residentKb();
        sim::Generator gen(3);
        sim::Stream stream(s, &gen);
        sim::TimedByte b;
        for (int k = 0; k < 200000; ++k) {
            QVERIFY(stream.next(&b));
            QCOMPARE(b.atMs, qint64(k));
            QVERIFY(b.byte >= 70 && b.byte <= 72);
        }
        QVERIFY2(residentKb() - before < 20000, qPrintable(QString::number(residentKb() - before)));
    }

    void exampleThroughProcessor() {
        QFile f(SIMULATOR_DIR "/example.scn");
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.errorString()));
        sim::Scenario s;
        QString error;
        QVERIFY2(sim::parse(QString::fromUtf8(f.readAll()), &s, &error), qPrintable(error));
        Player player;
        player.ctx.measuringMs = 3000;
        player.play(sim::Generator().run(s));
        QCOMPARE(player.results.size(), 2);
        QCOMPARE(player.results[0].section(u' ', 0, 0), "45");
        QCOMPARE(player.results[1].section(u' ', 0, 0), "60");
        for (const QString& r : player.results) {
            const int drop = r.section(u' ', 1).toInt();
            QVERIFY2(drop > 0 && drop < 12, qPrintable(r));
        }
        QCOMPARE(player.presses, 1);
    }

    // The program itself against the simulator: every byte arrives, in order.
    void simulatorThroughPseudoTerminal() {
        const QString steps = "touch 30 0.5s; pause 0.2s; press short; noise 0.3s 9; reset; byte 200";
        QProcess simulator;
        simulator.start(TAVENSIM, {"--seed", "3", "-e", steps});
        QVERIFY2(simulator.waitForStarted(), qPrintable(simulator.errorString()));
        QString said;
        QTRY_VERIFY2((said += QString::fromUtf8(simulator.readAllStandardOutput())).contains(u'\n'),
                     qPrintable(said));
        const QString port = said.section("Порт прибора: ", 1).section(u'\n', 0, 0).trimmed();

        DeviceLink link;
        link.setPortName(port);
        QByteArray got;
        connect(&link, &DeviceLink::bytesReceived, this, [&](const QByteArray& b) { got += b; });
        link.start();
        QVERIFY2(link.isOpen(), qPrintable(link.lastError()));
        const QByteArray expected = bytesOf(generate(steps, 3));
        QTRY_VERIFY_WITH_TIMEOUT(got.size() >= expected.size() || simulator.state() == QProcess::NotRunning,
                                 10000);
        QTest::qWait(100); // the last bytes may still be on their way
        QCOMPARE(got.toHex(' '), expected.toHex(' '));
        QVERIFY(simulator.waitForFinished(5000));
        QCOMPARE(simulator.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimulator)
#include "tst_simulator.moc"
