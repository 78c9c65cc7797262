#pragma once
// The device's serial port: 9600 baud, 8 data bits, no parity, one stop bit, opened for
// reading only (nothing is ever sent to the device). Asynchronous on the GUI thread.
// Without a port, or after losing one, it tries again quietly every few seconds, so a
// probe plugged in later is taken without a restart. Without a port named, it listens on
// every listed port that opens, goes on looking for new ones, and keeps the first that
// delivers a byte: most PCs have a built-in port that opens with nothing behind it.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <functional>

class DeviceLink : public QObject {
    Q_OBJECT
  public:
    struct PortEntry {
        QString name;
        bool usb = false; // a USB serial adapter: tried first
    };
    using PortLister = std::function<QList<PortEntry>()>;

    static inline const QString kNoDevice = QStringLiteral("Прибор не подключен");
    static inline const QString kAllBusy = QStringLiteral("Все порты COM заняты другими программами");
    static constexpr int kRetryMs = 3000;

    // Why a port did not open, from the most telling to the least.
    enum class Failure { Permission, NotSerial, Busy, Missing };
    struct Attempt {
        QString name;
        Failure failure = Failure::Missing;
        QString group; // the group that owns the port's device file (Permission)
    };
    // The message for a round of attempts in which no port opened.
    static QString describe(const QList<Attempt>& attempts);

    explicit DeviceLink(QObject* parent = nullptr);
    ~DeviceLink() override;

    // The --port option: only this port is tried. Empty: the ports the system lists.
    void setPortName(const QString& name);
    // Replaces the system's port list (tests).
    void setPortLister(PortLister lister);
    void setRetryInterval(int ms);

    // First attempt now; until a port opens, further attempts every retry interval.
    void start();
    // One attempt at once, without waiting for the retry timer. Does nothing while open.
    void retryNow();
    // Request-to-send off, port closed, no more attempts. Also run by the destructor.
    void shutdown();

    // What the window shows of the link: no port opens, ports listened on, a port kept,
    // the kept port gone (until another is kept).
    enum class State { Absent, Waiting, Connected, Lost };
    State state() const;
    QString lostPort() const { return m_lostName; }

    // A port is kept, or several are listened on until one of them delivers a byte.
    bool isOpen() const { return m_port != nullptr || !m_listening.isEmpty(); }
    QStringList listeningPorts() const;
    bool isRetrying() const { return m_retry.isActive(); }
    QString portName() const;                   // the kept port as it was named; empty when none is kept yet
    QString status() const { return m_status; } // the last message; empty while open
    QString lastError() const { return m_lastError; } // the system's words, for a tooltip

    static QList<PortEntry> systemPorts();
    // USB adapters first, otherwise in the given order.
    static QList<PortEntry> orderPorts(QList<PortEntry> ports);

  signals:
    void bytesReceived(const QByteArray& bytes);
    // A port is kept: named on the command line, the only one that opened, or the first
    // of several to deliver a byte.
    void opened(const QString& portName);
    void closed();
    // Emitted when the status changes, not on every failed retry.
    void statusMessage(const QString& text);
    // The state, the ports listened on, the port kept or the status changed.
    void stateChanged();

  private:
    void tryOpen();
    QSerialPort* openPort(const QString& name, Attempt* failed);
    void keep(QSerialPort* port);
    void dropListening(QSerialPort* except);
    void onReadyRead(QSerialPort* port);
    void onError(QSerialPort* port, QSerialPort::SerialPortError error);
    void lose();
    void setStatus(const QString& text);
    void tellState();

    QString m_portName;
    QString m_openName;
    PortLister m_lister;
    QSerialPort* m_port = nullptr;
    QList<QSerialPort*> m_listening;
    QTimer m_retry;
    QString m_status;
    QString m_lastError;
    QString m_lostName;
    QString m_toldState; // the state as last told, to tell only changes
    bool m_started = false;
    bool m_trying = false;
};
