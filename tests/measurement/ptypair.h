#pragma once
// A pseudo-terminal pair standing in for the probe: the test writes to the master end, the
// program opens the slave name as its serial port. Closing the master is pulling the cable.
#include <QByteArray>
#include <QString>

#include <cerrno>
#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

class PtyPair {
  public:
    PtyPair() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
            close();
            return;
        }
        termios t{};
        if (tcgetattr(m_master, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(m_master, TCSANOW, &t);
        }
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slave = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PtyPair() { close(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isOpen() const { return m_master >= 0; }
    QString slaveName() const { return m_slave; }
    bool write(const QByteArray& bytes) {
        return m_master >= 0 && ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }
    // What the program sent towards the device (it must send nothing).
    QByteArray readBack() {
        char buf[256];
        const ssize_t n = m_master >= 0 ? ::read(m_master, buf, sizeof buf) : 0;
        return n > 0 ? QByteArray(buf, int(n)) : QByteArray();
    }
    void close() {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

  private:
    int m_master = -1;
    QString m_slave;
};
