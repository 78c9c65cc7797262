#include "measurement/devicelink.h"
#include "ptypair.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

// Collects what the link delivers.
struct Received {
    QByteArray bytes;
    int chunks = 0;
    void attach(DeviceLink& link) {
        QObject::connect(&link, &DeviceLink::bytesReceived, [this](const QByteArray& b) {
            bytes += b;
            ++chunks;
        });
    }
};

// Holds a pty open from outside, as another program would.
std::unique_ptr<QSerialPort> occupy(const QString& name) {
    auto port = std::make_unique<QSerialPort>(name);
    return port->open(QIODevice::ReadOnly) ? std::move(port) : nullptr;
}

} // namespace

class TestDeviceLink : public QObject {
    Q_OBJECT
  private slots:
    void bytesArriveInOrder() {
        PtyPair pty;
        QVERIFY(pty.isOpen());
        DeviceLink link;
        link.setPortName(pty.slaveName());
        QSignalSpy opened(&link, &DeviceLink::opened);
        Received got;
        got.attach(link);
        link.start();
        QVERIFY2(link.isOpen(), qPrintable(link.lastError()));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(link.portName(), pty.slaveName());

        QByteArray sent;
        for (int b = 0; b < 256; ++b) {
            sent.append(char(b));
            QVERIFY(pty.write(QByteArray(1, char(b))));
            if (b % 16 == 0)
                QTest::qWait(1);
        }
        QTRY_COMPARE(got.bytes.size(), sent.size());
        QCOMPARE(got.bytes, sent);
        QVERIFY2(pty.readBack().isEmpty(), "the link sent something to the device");
    }

    void burstIsDeliveredWhole_data() {
        QTest::addColumn<int>("size");
        QTest::newRow("2") << 2;
        QTest::newRow("37") << 37;
        QTest::newRow("1000") << 1000;
    }
    void burstIsDeliveredWhole() {
        QFETCH(int, size);
        PtyPair pty;
        DeviceLink link;
        link.setPortName(pty.slaveName());
        Received got;
        got.attach(link);
        link.start();
        QVERIFY2(link.isOpen(), qPrintable(link.lastError()));
        QByteArray burst;
        for (int k = 0; k < size; ++k)
            burst.append(char(70 + k % 101));
        QVERIFY(pty.write(burst));
        QTRY_COMPARE(got.bytes.size(), burst.size());
        QCOMPARE(got.bytes, burst);
    }

    void unplugAndPlugBackIn() {
        auto pty = std::make_unique<PtyPair>();
        QString available = pty->slaveName();
        DeviceLink link;
        link.setPortLister([&] { return QList<DeviceLink::PortEntry>{{available, true}}; });
        link.setRetryInterval(60000); // the test retries by hand
        QSignalSpy closed(&link, &DeviceLink::closed);
        QSignalSpy status(&link, &DeviceLink::statusMessage);
        Received got;
        got.attach(link);
        link.start();
        QVERIFY2(link.isOpen(), qPrintable(link.lastError()));
        QVERIFY(pty->write("\x50\x51"));
        QTRY_COMPARE(got.bytes, QByteArray("\x50\x51"));

        pty.reset();
        // A name stays listed, as a --port name would, but it no longer opens; not the old
        // number itself, which a terminal of a test running beside this one may be given.
        available += QStringLiteral("-unplugged");
        QTRY_COMPARE(closed.count(), 1);
        QVERIFY(!link.isOpen());
        QVERIFY(link.isRetrying());
        link.retryNow();
        QCOMPARE(status.count(), 1);
        QCOMPARE(link.status(), DeviceLink::kNoDevice);

        PtyPair again;
        available = again.slaveName();
        link.retryNow();
        QVERIFY2(link.isOpen(), qPrintable(link.lastError()));
        QVERIFY(again.write("\x60"));
        QTRY_COMPARE(got.bytes, QByteArray("\x50\x51\x60"));
        QVERIFY(!link.isRetrying());
    }

    void portChoice_data() {
        QTest::addColumn<QList<int>>("ports"); // 0 free, 1 busy, 2 missing; +10 a USB adapter
        QTest::addColumn<int>("listening");    // ports listened on until one speaks
        QTest::addColumn<QString>("status");
        QTest::newRow("no ports") << QList<int>{} << 0 << DeviceLink::kNoDevice;
        QTest::newRow("only a missing one") << QList<int>{2} << 0 << DeviceLink::kNoDevice;
        QTest::newRow("all busy") << QList<int>{1, 11, 2} << 0 << DeviceLink::kAllBusy;
        QTest::newRow("two free") << QList<int>{0, 0} << 2 << "";
        QTest::newRow("busy then free") << QList<int>{1, 0} << 1 << "";
        QTest::newRow("USB adapter and another") << QList<int>{0, 10} << 2 << "";
        QTest::newRow("busy USB, then the rest") << QList<int>{11, 2, 0} << 1 << "";
    }
    void portChoice() {
        QFETCH(QList<int>, ports);
        QFETCH(int, listening);
        QFETCH(QString, status);
        std::vector<std::unique_ptr<PtyPair>> ptys;
        std::vector<std::unique_ptr<QSerialPort>> holders;
        QList<DeviceLink::PortEntry> entries;
        for (int p : ports) {
            QString name = QStringLiteral("/dev/taven-no-such-port-%1").arg(entries.size());
            if (p % 10 != 2) {
                ptys.push_back(std::make_unique<PtyPair>());
                name = ptys.back()->slaveName();
                if (p % 10 == 1) {
                    holders.push_back(occupy(name));
                    QVERIFY(holders.back());
                }
            }
            entries.append({name, p >= 10});
        }
        DeviceLink link;
        link.setPortLister([&] { return entries; });
        QSignalSpy messages(&link, &DeviceLink::statusMessage);
        link.start();
        QCOMPARE(link.isOpen(), listening > 0);
        QCOMPARE(link.portName(), QString());
        QCOMPARE(link.listeningPorts().size(), listening);
        QCOMPARE(link.state(), listening > 0 ? DeviceLink::State::Waiting : DeviceLink::State::Absent);
        QCOMPARE(link.status(), status);
        QVERIFY(link.isRetrying());
        // Retries that fail the same way stay quiet.
        link.retryNow();
        link.retryNow();
        QCOMPARE(messages.count(), status.isEmpty() ? 0 : 1);
    }

    // The program never sends, so listening on every port that opens disturbs nothing; the
    // probe is the one that speaks, and a built-in port that stays silent is let go.
    void twoPortsTheSpeakingOneIsKept_data() {
        QTest::addColumn<bool>("speakerListedFirst");
        QTest::newRow("speaker first") << true;
        QTest::newRow("speaker second") << false;
    }
    void twoPortsTheSpeakingOneIsKept() {
        QFETCH(bool, speakerListedFirst);
        PtyPair silent, speaker;
        QList<DeviceLink::PortEntry> entries{{silent.slaveName(), false}, {speaker.slaveName(), false}};
        if (speakerListedFirst)
            std::swap(entries[0], entries[1]);
        DeviceLink link;
        link.setPortLister([&] { return entries; });
        QSignalSpy opened(&link, &DeviceLink::opened);
        Received got;
        got.attach(link);
        link.start();
        QVERIFY(link.isOpen());
        QCOMPARE(link.portName(), QString());
        QCOMPARE(opened.count(), 0);
        QVERIFY(link.isRetrying()); // still looking for ports that did not open

        QVERIFY(speaker.write("\x50\x51"));
        QTRY_COMPARE(link.portName(), speaker.slaveName());
        QCOMPARE(opened.count(), 1);
        QTRY_COMPARE(got.bytes, QByteArray("\x50\x51"));
        QVERIFY(link.listeningPorts().isEmpty());
        QVERIFY(!link.isRetrying());
        QTest::qWait(10); // the silent port is closed from the event loop
        QVERIFY2(occupy(silent.slaveName()) != nullptr, "the silent port is still held");
        QVERIFY(silent.write("\x60"));
        QVERIFY(speaker.write("\x61"));
        QTRY_COMPARE(got.bytes, QByteArray("\x50\x51\x61"));
    }

    // A built-in port that opens with nothing behind it holds nothing up: a probe that
    // appears later is found by the rescan and kept once it speaks; the silent one is let go.
    void silentPortGivesWayToALateProbe() {
        PtyPair silent;
        std::unique_ptr<PtyPair> probe;
        QString late;
        DeviceLink link;
        link.setPortLister([&] {
            QList<DeviceLink::PortEntry> ports{{silent.slaveName(), false}};
            if (!late.isEmpty())
                ports.append({late, true});
            return ports;
        });
        link.setRetryInterval(20);
        Received got;
        got.attach(link);
        link.start();
        QCOMPARE(link.state(), DeviceLink::State::Waiting);
        QCOMPARE(link.listeningPorts(), QStringList{silent.slaveName()});

        probe = std::make_unique<PtyPair>();
        late = probe->slaveName();
        QTRY_COMPARE(link.listeningPorts(), QStringList({silent.slaveName(), late}));
        QVERIFY(probe->write("\x50"));
        QTRY_COMPARE(link.portName(), late);
        QCOMPARE(link.state(), DeviceLink::State::Connected);
        QTRY_COMPARE(got.bytes, QByteArray("\x50"));
        QTest::qWait(10); // the silent port is closed from the event loop
        QVERIFY2(occupy(silent.slaveName()) != nullptr, "the silent port is still held");

        const QString kept = std::exchange(late, QString()); // unplugged: gone from the list too
        probe.reset();
        QTRY_COMPARE(link.state(), DeviceLink::State::Lost);
        QCOMPARE(link.lostPort(), kept);
    }

    void refusalIsExplained_data() {
        using F = DeviceLink::Failure;
        QTest::addColumn<QList<int>>("failures");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << QList<int>{} << DeviceLink::kNoDevice;
        QTest::newRow("missing") << QList<int>{int(F::Missing)} << DeviceLink::kNoDevice;
        QTest::newRow("busy") << QList<int>{int(F::Missing), int(F::Busy)} << DeviceLink::kAllBusy;
        QTest::newRow("permission beats busy") << QList<int>{int(F::Busy), int(F::Permission)} << "dialout";
        QTest::newRow("not a serial port") << QList<int>{int(F::NotSerial)} << "не является последовательным";
    }
    void refusalIsExplained() {
        QFETCH(QList<int>, failures);
        QFETCH(QString, expected);
        QList<DeviceLink::Attempt> attempts;
        for (int f : failures)
            attempts.append({QStringLiteral("/dev/ttyS%1").arg(attempts.size()), DeviceLink::Failure(f),
                             QStringLiteral("dialout")});
        const QString text = DeviceLink::describe(attempts);
        QVERIFY2(text.contains(expected), qPrintable(text));
        QVERIFY2(!text.contains("\"\""), qPrintable(text));
    }

    // Root passes every permission check, so only the paths that are no serial port are real here.
    void pathThatIsNoSerialPort_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("plain file") << "file";
        QTest::newRow("folder") << "folder";
        QTest::newRow("character device, no terminal") << "/dev/null";
    }
    void pathThatIsNoSerialPort() {
        QFETCH(QString, path);
        QTemporaryDir dir;
        QFile plain(dir.filePath("file"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        const QString full = path.startsWith('/') ? path : dir.filePath(path);
        DeviceLink link;
        link.setPortName(full);
        link.start();
        QVERIFY(!link.isOpen());
        QCOMPARE(link.status(), full + QStringLiteral(" не является последовательным портом."));
    }

    void explicitPortOnly() {
        PtyPair listed;
        DeviceLink link;
        link.setPortLister([&] { return QList<DeviceLink::PortEntry>{{listed.slaveName(), true}}; });
        link.setPortName(QStringLiteral("/dev/taven-no-such-port"));
        link.start();
        QVERIFY(!link.isOpen());
        QCOMPARE(link.status(), DeviceLink::kNoDevice);

        PtyPair named;
        auto holder = occupy(named.slaveName());
        QVERIFY(holder);
        link.setPortName(named.slaveName());
        link.retryNow();
        QVERIFY(!link.isOpen());
        QCOMPARE(link.status(), DeviceLink::kAllBusy);
        holder.reset();
        link.retryNow();
        QCOMPARE(link.portName(), named.slaveName());
    }

    void retryTimerTakesALatePort() {
        QString available;
        DeviceLink link;
        link.setPortLister([&] {
            return available.isEmpty() ? QList<DeviceLink::PortEntry>{}
                                       : QList<DeviceLink::PortEntry>{{available, false}};
        });
        link.setRetryInterval(20);
        link.start();
        QVERIFY(!link.isOpen());
        PtyPair late;
        available = late.slaveName();
        QTRY_VERIFY(link.isOpen());
    }

    // The window answers the first message with a modal box; the link goes on trying
    // meanwhile, and once the port found then speaks it is kept, not retrying.
    void retriesWhileAMessageIsShown() {
        QString available;
        std::unique_ptr<PtyPair> late;
        DeviceLink link;
        link.setPortLister([&] {
            return available.isEmpty() ? QList<DeviceLink::PortEntry>{}
                                       : QList<DeviceLink::PortEntry>{{available, false}};
        });
        link.setRetryInterval(10);
        connect(&link, &DeviceLink::statusMessage, this, [&](const QString& text) {
            if (text.isEmpty())
                return; // the window shows only a message
            late = std::make_unique<PtyPair>();
            available = late->slaveName();
            QTest::qWait(100); // the box is up
        });
        link.start();
        QVERIFY(link.isOpen());
        QVERIFY(late->write("\x50"));
        QTRY_COMPARE(link.portName(), available);
        QVERIFY(!link.isRetrying());
    }

    // A pseudo-terminal has no request-to-send line: shutdown closes it all the same,
    // silently, and leaves it free for others.
    void shutdownReleasesPort() {
        PtyPair pty;
        DeviceLink link;
        link.setPortName(pty.slaveName());
        QSignalSpy messages(&link, &DeviceLink::statusMessage);
        QSignalSpy closed(&link, &DeviceLink::closed);
        link.start();
        QVERIFY(link.isOpen());
        link.shutdown();
        QVERIFY(!link.isOpen());
        QVERIFY(!link.isRetrying());
        QCOMPARE(messages.count(), 0);
        QVERIFY2(occupy(pty.slaveName()) != nullptr, "the port is still held after shutdown");
        QTest::qWait(50);
        QCOMPARE(closed.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
