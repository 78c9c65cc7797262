// The device link at the full line rate: a thread writes one byte every 1/960 s into a
// pseudo-terminal (9600 baud, 8N1, is 960 bytes a second), DeviceLink reads the other end
// on the event loop and every byte goes through the reading processor, whose timers are
// real QTimers as in the window. Prints bytes sent and processed and the time from a
// byte's write to its delivery.
#include "linerate.h"
#include "measurement/devicelink.h"
#include "measurement/readingprocessor.h"
#include "stream.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <time.h>
#include <vector>

namespace {

struct TimerSink : QObject {
    QTimer timer1, timer2;
    reading::ReadingProcessor p;
    long results = 0;
    TimerSink() {
        timer1.setSingleShot(true);
        timer2.setSingleShot(true);
        connect(&timer1, &QTimer::timeout, this, [this] { take(p.Timer1_Timer()); });
    }
    void take(const reading::Effects& e) {
        if (e.stopTimer2)
            timer2.stop();
        if (e.startTimer2Ms)
            timer2.start(*e.startTimer2Ms);
        if (e.stopTimer1)
            timer1.stop();
        if (e.startTimer1Ms)
            timer1.start(*e.startTimer1Ms);
        if (e.result && e.result->row >= 0)
            ++results;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser cl;
    cl.addHelpOption();
    const QCommandLineOption secondsOpt("seconds", "How long to send (default 30).", "s", "30");
    const QCommandLineOption rateOpt("rate", "Bytes a second (default 960, the full line rate).", "n", "960");
    cl.addOptions({secondsOpt, rateOpt});
    cl.process(app);
    const double seconds = std::max(1.0, cl.value(secondsOpt).toDouble());
    const double rate = std::max(1.0, cl.value(rateOpt).toDouble());
    const long total = long(seconds * rate);
    constexpr double kTargetP99Ms = 16;

    const QByteArray pattern = bench::bytesOf(bench::kLineRateScenario);

    PtyPair pty;
    DeviceLink link;
    link.setPortName(pty.slaveName());
    link.start();
    if (!link.isOpen()) {
        std::fprintf(stderr, "no pseudo-terminal: %s\n", qPrintable(link.lastError()));
        return 1;
    }

    bench::LineRateWriter writer(pty, pattern, rate, total);
    std::vector<double> latencyMs;
    latencyMs.reserve(size_t(total));
    long received = 0, processed = 0, outOfOrder = 0;
    TimerSink sink;
    reading::ReadingContext ctx;
    ctx.measuringMs = 3000;

    QObject::connect(&link, &DeviceLink::bytesReceived, &app, [&](const QByteArray& bytes) {
        const qint64 at = bench::nowNs();
        for (const char c : bytes) {
            if (received < total) {
                latencyMs.push_back(double(at - writer.writtenAt(received)) / 1e6);
                if (c != writer.byteAt(received))
                    ++outOfOrder;
            }
            ++received;
            ctx.timer2Running = sink.timer2.isActive();
            sink.take(sink.p.processByte(quint8(c), ctx));
            ++processed;
        }
        if (received >= total)
            QTimer::singleShot(200, &app, &QCoreApplication::quit); // anything extra would show
    });

    writer.start();
    // Whatever happens, stop a while after the writer should have finished.
    QTimer::singleShot(int(seconds * 1000) + 5000, &app, &QCoreApplication::quit);
    std::printf("Sending %ld bytes at %.0f bytes/s for %.0f s through %s ...\n", total, rate, seconds,
                qPrintable(pty.slaveName()));
    std::fflush(stdout);
    app.exec();
    writer.join();

    const double median = bench::percentile(latencyMs, 0.5);
    const double p99 = bench::percentile(latencyMs, 0.99);
    const double worst = latencyMs.empty() ? 0 : *std::max_element(latencyMs.begin(), latencyMs.end());
    std::printf("Device link through a pseudo-terminal:\n");
    std::printf("  bytes sent %ld, received %ld, processed %ld, out of order %ld, results taken %ld\n", total,
                received, processed, outOfOrder, sink.results);
    std::printf("  write to delivery: median %.3f ms, p99 %.3f ms, max %.3f ms\n", median, p99, worst);
    std::printf("  p99 / target %.0f ms = %.3f  -> %s\n", kTargetP99Ms, p99 / kTargetP99Ms,
                p99 <= kTargetP99Ms && processed == total && outOfOrder == 0 ? "met" : "NOT MET");
    return processed == total && outOfOrder == 0 ? 0 : 1;
}
