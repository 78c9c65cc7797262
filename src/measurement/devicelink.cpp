#include "measurement/devicelink.h"

#include <QSerialPortInfo>
#include <algorithm>

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

void DeviceLink::shutdown() {
    m_started = false;
    m_retry.stop();
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

    bool onlyMissing = true;
    for (const QString& name : names) {
        QSerialPort::SerialPortError error = QSerialPort::NoError;
        if (QSerialPort* port = openPort(name, &error)) {
            m_trying = false;
            m_port = port;
            m_openName = name;
            m_retry.stop();
            m_status.clear();
            m_lastError.clear();
            emit opened(name);
            return;
        }
        if (error != QSerialPort::DeviceNotFoundError)
            onlyMissing = false;
    }
    m_trying = false;
    if (!m_retry.isActive())
        m_retry.start();
    setStatus(names.isEmpty() || onlyMissing ? kNoDevice : kAllBusy);
}

QSerialPort* DeviceLink::openPort(const QString& name, QSerialPort::SerialPortError* error) {
    auto* port = new QSerialPort(this);
    port->setPortName(name);
    port->setBaudRate(QSerialPort::Baud9600);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    if (!port->open(QIODevice::ReadOnly)) {
        *error = port->error();
        m_lastError = name + QStringLiteral(": ") + port->errorString();
        delete port;
        return nullptr;
    }
    connect(port, &QSerialPort::readyRead, this, &DeviceLink::onReadyRead);
    connect(port, &QSerialPort::errorOccurred, this, &DeviceLink::onError);
    return port;
}

void DeviceLink::onReadyRead() {
    if (!m_port)
        return;
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        emit bytesReceived(bytes);
}

void DeviceLink::onError(QSerialPort::SerialPortError error) {
    // A pulled cable shows as a resource error; a pseudo-terminal whose other end closed,
    // as a read error. Either way the port is gone and only a fresh open can bring it back.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        lose();
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
    if (m_started)
        m_retry.start();
    emit closed();
}

void DeviceLink::setStatus(const QString& text) {
    if (text == m_status)
        return;
    m_status = text;
    emit statusMessage(text);
}
