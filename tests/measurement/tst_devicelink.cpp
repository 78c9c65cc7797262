#include "measurement/devicelink.h"
#include "ptypair.h"

#include <QSignalSpy>
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

        pty.reset(); // the listed name stays, as a --port name would
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
        QVERIFY(!link.isRetrying());
        QVERIFY(again.write("\x60"));
        QTRY_COMPARE(got.bytes, QByteArray("\x50\x51\x60"));
    }

    void portChoice_data() {
        QTest::addColumn<QList<int>>("ports"); // 0 free, 1 busy, 2 missing; +10 a USB adapter
        QTest::addColumn<int>("taken");        // index into ports, -1 none
        QTest::addColumn<QString>("status");
        QTest::newRow("no ports") << QList<int>{} << -1 << DeviceLink::kNoDevice;
        QTest::newRow("only a missing one") << QList<int>{2} << -1 << DeviceLink::kNoDevice;
        QTest::newRow("all busy") << QList<int>{1, 11, 2} << -1 << DeviceLink::kAllBusy;
        QTest::newRow("first free") << QList<int>{0, 0} << 0 << "";
        QTest::newRow("busy then free") << QList<int>{1, 0} << 1 << "";
        QTest::newRow("USB adapter first") << QList<int>{0, 10} << 1 << "";
        QTest::newRow("busy USB, then the rest") << QList<int>{11, 2, 0} << 2 << "";
    }
    void portChoice() {
        QFETCH(QList<int>, ports);
        QFETCH(int, taken);
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
        QCOMPARE(link.isOpen(), taken >= 0);
        if (taken >= 0)
            QCOMPARE(link.portName(), entries[taken].name);
        QCOMPARE(link.status(), status);
        QCOMPARE(link.isRetrying(), taken < 0);
        // Retries that fail the same way stay quiet.
        link.retryNow();
        link.retryNow();
        QCOMPARE(messages.count(), status.isEmpty() ? 0 : 1);
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
    // meanwhile and is left open, not retrying, when the box closes.
    void retriesWhileAMessageIsShown() {
        QString available;
        std::unique_ptr<PtyPair> late;
        DeviceLink link;
        link.setPortLister([&] {
            return available.isEmpty() ? QList<DeviceLink::PortEntry>{}
                                       : QList<DeviceLink::PortEntry>{{available, false}};
        });
        link.setRetryInterval(10);
        connect(&link, &DeviceLink::statusMessage, this, [&] {
            late = std::make_unique<PtyPair>();
            available = late->slaveName();
            QTest::qWait(100); // the box is up
        });
        link.start();
        QVERIFY(link.isOpen());
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
