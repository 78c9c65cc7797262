// The main window's figures for the device: (a) CPU time per byte through the whole
// handler, widgets updating, on the offscreen platform; (b) the full line rate through a
// pseudo-terminal into the window: bytes processed against bytes sent, and the time from a
// byte's write until the window has handled it (the bar has its new width).
#include "common/messages.h"
#include "linerate.h"
#include "measurement/beeper.h"
#include "measurement/frmmain.h"
#include "stream.h"
#include "uicheck.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

constexpr size_t kMinBytes = 100000;
constexpr int kChunk = 1000;
constexpr double kTargetUsPerByte = 20;
constexpr double kTargetP99Ms = 16;

// The stream's own clock drives the window's timers: they fire when the stream says the
// time has come, never by waiting.
class StreamClock {
  public:
    explicit StreamClock(frmmain& w)
        : m_w(w), m_timer1(*uicheck::child<QTimer>(&w, "Timer1")),
          m_timer2(*uicheck::child<QTimer>(&w, "Timer2")) {}
    void advance(qint64 nowMs) {
        if (m_timer1.isActive() && m_due1 < 0)
            m_due1 = nowMs + m_timer1.interval();
        if (m_timer2.isActive() && m_due2 < 0)
            m_due2 = nowMs + m_timer2.interval();
        if (!m_timer1.isActive())
            m_due1 = -1;
        if (!m_timer2.isActive())
            m_due2 = -1;
        if (m_due1 >= 0 && nowMs >= m_due1) {
            m_w.Timer1_Timer();
            m_due1 = -1;
        }
        if (m_due2 >= 0 && nowMs >= m_due2) {
            m_w.Timer2_Timer();
            m_due2 = -1;
        }
    }

  private:
    frmmain& m_w;
    const QTimer& m_timer1;
    const QTimer& m_timer2;
    qint64 m_due1 = -1, m_due2 = -1;
};

// Every result taken sounds once; counting the beeps counts the results.
class CountingBeeper : public Beeper {
  public:
    long count = 0;
    void beep3() override { ++count; }
};

// Median and 99th percentile of the per-byte time over chunks of kChunk bytes.
void perByte(frmmain& w, CountingBeeper& beeps, bool repaint) {
    const long before = beeps.count;
    const auto bytes = bench::timedStream(kMinBytes);
    StreamClock clock(w);
    std::vector<double> usPerByte;
    QElapsedTimer t;
    t.start();
    qint64 chunkStart = t.nsecsElapsed();
    for (size_t k = 0; k < bytes.size(); ++k) {
        clock.advance(bytes[k].atMs);
        w.mscomm_OnComm(QByteArray(1, char(bytes[k].byte)));
        if (repaint)
            QApplication::processEvents();
        if ((k + 1) % kChunk == 0) {
            const qint64 now = t.nsecsElapsed();
            usPerByte.push_back(double(now - chunkStart) / kChunk / 1000.0);
            chunkStart = now;
        }
    }
    const double median = bench::percentile(usPerByte, 0.5);
    std::printf("  %-28s median %.2f us, p99 %.2f us per byte over %zu bytes (%ld results taken); "
                "%.2f%% of a core at 960 bytes/s; target %.0f us -> %s\n",
                repaint ? "handler and repaint:" : "handler (widgets updated):", median,
                bench::percentile(usPerByte, 0.99), bytes.size(), beeps.count - before, median * 960 / 1e4,
                kTargetUsPerByte, median <= kTargetUsPerByte ? "met" : "NOT MET");
}

int lineRate(frmmain& w, CountingBeeper& beeps, QApplication& app, double seconds) {
    const double rate = 960;
    const long total = long(seconds * rate);
    const QByteArray pattern = bench::bytesOf(bench::kLineRateScenario);

    PtyPair pty;
    w.startDevice(pty.slaveName());
    DeviceLink& link = *uicheck::child<DeviceLink>(&w, "mscomm");
    if (!link.isOpen()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(link.lastError()));
        return 1;
    }
    bench::LineRateWriter writer(pty, pattern, rate, total);
    std::vector<double> latencyMs;
    latencyMs.reserve(size_t(total));
    long received = 0, outOfOrder = 0;
    // Connected after the window's own handler, so this runs once the window is done with
    // the bytes.
    QObject::connect(&link, &DeviceLink::bytesReceived, &app, [&](const QByteArray& bytes) {
        const qint64 at = bench::nowNs();
        for (const char c : bytes) {
            if (received < total) {
                latencyMs.push_back(double(at - writer.writtenAt(received)) / 1e6);
                outOfOrder += c != writer.byteAt(received);
            }
            ++received;
        }
        if (received >= total)
            QTimer::singleShot(200, &app, &QCoreApplication::quit);
    });
    const long before = beeps.count;
    writer.start();
    QTimer::singleShot(int(seconds * 1000) + 5000, &app, &QCoreApplication::quit);
    app.exec();
    writer.join();
    const double p99 = bench::percentile(latencyMs, 0.99);
    std::printf("  bytes sent %ld, processed by the window %ld, out of order %ld, results taken %ld\n", total,
                received, outOfOrder, beeps.count - before);
    std::printf("  write to handled: median %.3f ms, p99 %.3f ms; target p99 %.0f ms -> %s\n",
                bench::percentile(latencyMs, 0.5), p99, kTargetP99Ms,
                p99 <= kTargetP99Ms && received == total && outOfOrder == 0 ? "met" : "NOT MET");
    return received == total && outOfOrder == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCommandLineParser cl;
    cl.addHelpOption();
    const QCommandLineOption secondsOpt("seconds", "Line-rate run length (default 30).", "s", "30");
    const QCommandLineOption dataOpt("data", "The bundled working folder to copy.", "dir",
                                     TAVEN_BUNDLED_DATA);
    cl.addOptions({secondsOpt, dataOpt});
    cl.process(app);

    // A working folder of its own, so nothing of the user's is read or written.
    QTemporaryDir work;
    for (const QString& f : QDir(cl.value(dataOpt)).entryList(QDir::Files))
        QFile::copy(cl.value(dataOpt) + u'/' + f, work.filePath(f));
    QDir().mkpath(work.filePath("Database"));
    QFile::copy(cl.value(dataOpt) + "/Database/medicam.nam", work.filePath("Database/medicam.nam"));
    QDir::setCurrent(work.path());
    msgbox::setHandler([](const msgbox::Shown&) { return msgbox::Answer::Ok; });

    CountingBeeper beeps;
    frmmain w;
    w.setBeeper(&beeps);
    w.Form_Load();
    w.show();
    QApplication::processEvents();
    std::printf("Main window, CPU time per device byte:\n");
    perByte(w, beeps, false);
    perByte(w, beeps, true);
    std::printf("Main window at the full line rate through a pseudo-terminal, %s s:\n",
                qPrintable(cl.value(secondsOpt)));
    return lineRate(w, beeps, app, std::max(1.0, cl.value(secondsOpt).toDouble()));
}
