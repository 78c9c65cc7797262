#pragma once
// Sends a byte pattern into a pseudo-terminal at a steady rate from a thread of its own,
// as the probe does, and remembers when each byte was written.
#include "ptypair.h"

#include <QByteArray>
#include <QtGlobal>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <time.h>
#include <vector>

namespace bench {

inline qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The q-quantile (0..1) of the values.
inline double percentile(std::vector<double> v, double q) {
    if (v.empty())
        return 0;
    const size_t k = std::min(v.size() - 1, size_t(q * double(v.size() - 1) + 0.5));
    std::nth_element(v.begin(), v.begin() + long(k), v.end());
    return v[k];
}

class LineRateWriter {
  public:
    LineRateWriter(PtyPair& pty, QByteArray pattern, double bytesPerSecond, long total)
        : m_pty(pty), m_pattern(std::move(pattern)), m_rate(bytesPerSecond), m_writtenAt(size_t(total)) {}
    ~LineRateWriter() { join(); }

    void start() {
        m_thread = std::thread([this] { run(); });
    }
    void join() {
        if (m_thread.joinable())
            m_thread.join();
    }
    long total() const { return long(m_writtenAt.size()); }
    qint64 writtenAt(long k) const { return m_writtenAt[size_t(k)].load(std::memory_order_acquire); }
    char byteAt(long k) const { return m_pattern[int(k % m_pattern.size())]; }
    long retries() const { return m_retries; }

  private:
    void run() {
        timespec due{};
        clock_gettime(CLOCK_MONOTONIC, &due);
        const long periodNs = long(1e9 / m_rate);
        for (long k = 0; k < total(); ++k) {
            due.tv_nsec += periodNs;
            while (due.tv_nsec >= 1000000000) {
                due.tv_nsec -= 1000000000;
                ++due.tv_sec;
            }
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, nullptr);
            m_writtenAt[size_t(k)].store(nowNs(), std::memory_order_release);
            while (!m_pty.write(QByteArray(1, byteAt(k)))) {
                ++m_retries;
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
        }
    }

    PtyPair& m_pty;
    QByteArray m_pattern;
    double m_rate;
    std::vector<std::atomic<qint64>> m_writtenAt;
    std::atomic<long> m_retries{0};
    std::thread m_thread;
};

} // namespace bench
