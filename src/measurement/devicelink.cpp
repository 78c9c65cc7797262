#include "measurement/devicelink.h"

#include "measurement/portfault.h"

#include <QSerialPortInfo>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <utility>

DeviceLink::DeviceLink(QObject* parent) : QObject(parent), m_lister(&DeviceLink::systemPorts) {
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &DeviceLink::tryOpen);
}

DeviceLink::~DeviceLink() {
    shutdown();
}

void DeviceLink::setPortName(const QString& name) {
    m_portName = name.trimmed();
}

void DeviceLink::setPortLister(PortLister lister) {
    m_lister = std::move(lister);
}

void DeviceLink::setRetryInterval(int ms) {
    m_retry.setInterval(std::max(ms, 1));
}

void DeviceLink::start() {
    m_started = true;
    tryOpen();
}

void DeviceLink::retryNow() {
    m_started = true;
    tryOpen();
}

// Tells no state: the window that listens may be half destroyed by now.
void DeviceLink::shutdown() {
    m_started = false;
    m_retry.stop();
    dropListening(nullptr);
    if (!m_port)
        return;
    QSerialPort* port = m_port;
    m_port = nullptr;
    // A pseudo-terminal has no request-to-send line; that failure is no news at shutdown.
    port->disconnect(this);
    port->setRequestToSend(false);
    port->close();
    delete port;
}

QString DeviceLink::portName() const {
    return m_port ? m_openName : QString();
}

QStringList DeviceLink::listeningPorts() const {
    QStringList names;
    for (const QSerialPort* port : m_listening)
        names.append(port->property("tavenName").toString());
    return names;
}

QList<DeviceLink::PortEntry> DeviceLink::systemPorts() {
    QList<PortEntry> ports;
    const auto infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : infos) {
        const QString name = info.portName();
        const bool usb = info.hasVendorIdentifier() || name.startsWith(u"ttyUSB") ||
                         name.startsWith(u"ttyACM") ||
                         info.description().contains(u"USB", Qt::CaseInsensitive);
        ports.append({info.systemLocation(), usb});
    }
    return ports;
}

QList<DeviceLink::PortEntry> DeviceLink::orderPorts(QList<PortEntry> ports) {
    std::stable_partition(ports.begin(), ports.end(), [](const PortEntry& p) { return p.usb; });
    return ports;
}

void DeviceLink::tryOpen() {
    // The window may show a modal box from statusMessage, and the retry timer fires in it.
    if (m_port || !m_started || m_trying)
        return;
    m_trying = true;
    QStringList names;
    if (!m_portName.isEmpty()) {
        names.append(m_portName);
    } else {
        for (const PortEntry& p : orderPorts(m_lister ? m_lister() : QList<PortEntry>()))
            names.append(p.name);
    }

    const QStringList listening = listeningPorts();
    QList<Attempt> failed;
    for (const QString& name : names) {
        if (listening.contains(name))
            continue;
        Attempt attempt{name, Failure::Missing, {}};
        if (QSerialPort* port = openPort(name, &attempt))
            m_listening.append(port);
        else
            failed.append(attempt);
    }
    m_trying = false;
    // A port named on the command line is kept at once. Otherwise the probe is the port
    // that speaks: a port that merely opens may have nothing behind it.
    if (!m_portName.isEmpty() && !m_listening.isEmpty()) {
        keep(m_listening.first());
        return;
    }
    if (!m_retry.isActive())
        m_retry.start();
    if (!m_listening.isEmpty()) {
        if (listening != listeningPorts())
            std::fprintf(stderr, "taven: waiting for the device on %s\n",
                         qPrintable(listeningPorts().join(QStringLiteral(", "))));
        setStatus(QString());
    } else {
        setStatus(describe(failed));
    }
    tellState();
}

QString DeviceLink::describe(const QList<Attempt>& attempts) {
    const auto first = [&](Failure f) {
        for (const Attempt& a : attempts)
            if (a.failure == f)
                return &a;
        return static_cast<const Attempt*>(nullptr);
    };
    if (const Attempt* a = first(Failure::Permission))
        return QStringLiteral("Нет прав на открытие порта %1. Последовательные порты открывают члены группы "
                              "\"%2\" (в Debian это dialout): выполните \"sudo adduser %3 %2\" и войдите "
                              "в систему заново.")
            .arg(a->name, a->group.isEmpty() ? QStringLiteral("dialout") : a->group,
                 qEnvironmentVariable("USER", QStringLiteral("<пользователь>")));
    if (const Attempt* a = first(Failure::NotSerial))
        return QStringLiteral("%1 не является последовательным портом.").arg(a->name);
    if (first(Failure::Busy))
        return kAllBusy;
    return kNoDevice;
}

QSerialPort* DeviceLink::openPort(const QString& name, Attempt* failed) {
    auto* port = new QSerialPort(this);
    port->setPortName(name);
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadOnly)) {
        const QSerialPort::SerialPortError error = port->error();
        m_lastError = name + QStringLiteral(": ") + port->errorString();
        delete port;
        failed->failure = portfault::classify(name, error == QSerialPort::DeviceNotFoundError,
                                              error == QSerialPort::PermissionError, &failed->group);
        return nullptr;
    }
    port->setProperty("tavenName", name);
    connect(port, &QSerialPort::readyRead, this, [this, port] { onReadyRead(port); });
    connect(port, &QSerialPort::errorOccurred, this,
            [this, port](QSerialPort::SerialPortError error) { onError(port, error); });
    return port;
}

void DeviceLink::keep(QSerialPort* port) {
    m_listening.removeOne(port);
    dropListening(port);
    m_port = port;
    m_openName = port->property("tavenName").toString();
    m_retry.stop();
    m_status.clear();
    m_lastError.clear();
    m_lostName.clear();
    std::fprintf(stderr, "taven: device port %s\n", qPrintable(m_openName));
    emit opened(m_openName);
    tellState();
}

void DeviceLink::dropListening(QSerialPort* except) {
    const QList<QSerialPort*> ports = std::exchange(m_listening, {});
    for (QSerialPort* port : ports) {
        if (port == except)
            continue;
        port->disconnect(this);
        port->close();
        // We may be inside one of the port's own signals.
        port->deleteLater();
    }
}

void DeviceLink::onReadyRead(QSerialPort* port) {
    if (!m_port && m_listening.contains(port))
        keep(port);
    if (port != m_port)
        return;
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}

void DeviceLink::onError(QSerialPort* port, QSerialPort::SerialPortError error) {
    // A pulled cable shows as a resource error; a pseudo-terminal whose other end closed,
    // as a read error. Either way the port is gone and only a fresh open can bring it back.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    if (port == m_port) {
        lose();
    } else if (m_listening.removeOne(port)) {
        port->disconnect(this);
        port->close();
        port->deleteLater();
        tellState();
    }
}

void DeviceLink::lose() {
    if (!m_port)
        return;
    QSerialPort* port = m_port;
    m_port = nullptr;
    m_lastError = port->errorString();
    port->disconnect(this);
    port->close();
    // We may be inside one of the port's own signals.
    port->deleteLater();
    m_lostName = m_openName;
    std::fprintf(stderr, "taven: device port %s lost\n", qPrintable(m_openName));
    if (m_started)
        m_retry.start();
    emit closed();
    tellState();
}

void DeviceLink::setStatus(const QString& text) {
    if (text == m_status)
        return;
    m_status = text;
    emit statusMessage(text);
}

DeviceLink::State DeviceLink::state() const {
    if (m_port)
        return State::Connected;
    if (!m_lostName.isEmpty())
        return State::Lost;
    return m_listening.isEmpty() ? State::Absent : State::Waiting;
}

void DeviceLink::tellState() {
    const QString now = QString::number(int(state())) + u'|' + portName() + u'|' +
                        listeningPorts().join(u'|') + u'|' + m_lostName + u'|' + m_status;
    if (now == m_toldState)
        return;
    m_toldState = now;
    emit stateChanged();
}
