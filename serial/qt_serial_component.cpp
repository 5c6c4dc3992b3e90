#include "serial/qt_serial_component.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMetaObject>

namespace {

Q_LOGGING_CATEGORY(serialLog, "vekorra.serial", QtWarningMsg)

constexpr qint32 kBaudRate = 19200;
// A write the device has not taken within this time fails the operation
// (the far end stopped reading, or flow is stuck).
constexpr int kWriteTimeoutMs = 2000;

[[noreturn]] void fail(const QString& message)
{
    qCDebug(serialLog) << message;
    throw SerialError(message.toStdString());
}

}  // namespace

QtSerialComponent::QtSerialComponent() = default;

QtSerialComponent::~QtSerialComponent()
{
    close_device();
}

int QtSerialComponent::CommPort() const { return comm_port_; }

void QtSerialComponent::setCommPort(int port)
{
    if (open_ && port != comm_port_)
        fail(QStringLiteral("COM%1: the port number cannot change while the port is open").arg(comm_port_));
    comm_port_ = port;
}

bool QtSerialComponent::PortOpen() const { return open_; }

void QtSerialComponent::setPortOpen(bool open)
{
    if (open == open_)
        return;
    if (open)
        open_device();
    else
        close_device();
}

QString QtSerialComponent::devicePath() const { return open_ ? device_path_ : QString(); }

void QtSerialComponent::open_device()
{
    const QString configured = port_device_path(comm_port_);
    if (configured.isEmpty())
        fail(QStringLiteral("COM%1: no such port").arg(comm_port_));
    // Qt's lock file is named after the path it is given: open the canonical
    // device so that a link and its target lock as one port.
    const QString device = QFileInfo(configured).canonicalFilePath();
    if (device.isEmpty())
        fail(QStringLiteral("COM%1: no device at %2").arg(comm_port_).arg(configured));

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(device);
    port->setBaudRate(kBaudRate);
    port->setDataBits(QSerialPort::Data8);
    port->setParity(QSerialPort::NoParity);
    port->setStopBits(QSerialPort::OneStop);
    port->setFlowControl(QSerialPort::NoFlowControl);
    // What waits beyond the held characters stays bounded: a phone that
    // talks without end is read no faster than the caller takes it.
    port->setReadBufferSize(kPortBacklog);
    if (!port->open(QIODevice::ReadWrite))
        fail(QStringLiteral("COM%1 (%2): %3").arg(comm_port_).arg(device, port->errorString()));

    QSerialPort* raw = port.get();
    QObject::connect(raw, &QSerialPort::errorOccurred, raw,
                     [this, raw](QSerialPort::SerialPortError error) { on_port_error(raw, error); });
    QObject::connect(raw, &QSerialPort::readyRead, raw, [this] {
        if (data_arrived_)
            data_arrived_();
    });
    port_ = std::move(port);
    device_path_ = device;
    received_.clear();
    device_lost_ = false;
    lost_reason_.clear();
    open_ = true;
    qCDebug(serialLog) << "COM" << comm_port_ << "opened as" << device;
}

void QtSerialComponent::close_device()
{
    if (port_) {
        port_->disconnect();
        if (port_->isOpen())
            port_->close();
        port_.reset();
    }
    open_ = false;
    device_lost_ = false;
    lost_reason_.clear();
    device_path_.clear();
    received_.clear();
}

void QtSerialComponent::on_port_error(QSerialPort* port, QSerialPort::SerialPortError error)
{
    // waitForReadyRead(0) with nothing to read reports a timeout: not a fault.
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    if (port != port_.get() || device_lost_)
        return;
    device_lost_ = true;
    lost_reason_ = port->errorString();
    qCDebug(serialLog) << "COM" << comm_port_ << "device lost:" << lost_reason_;
    // Qt keeps reporting a dead descriptor from its read notifier for as long
    // as the port stays open. Closing from inside Qt's own notification would
    // pull the port out from under it, so the close runs as soon as control
    // is back in the event loop (or at once in the next operation).
    QMetaObject::invokeMethod(
        port, [port] { if (port->isOpen()) port->close(); }, Qt::QueuedConnection);
}

void QtSerialComponent::require_usable(const char* operation)
{
    if (!open_)
        fail(QStringLiteral("COM%1: %2 on a closed port").arg(comm_port_).arg(QLatin1String(operation)));
    if (device_lost_) {
        if (port_->isOpen())
            port_->close();
        fail(QStringLiteral("COM%1: %2: the device went away (%3)")
                 .arg(comm_port_)
                 .arg(QLatin1String(operation), lost_reason_));
    }
}

void QtSerialComponent::take_arrived(const char* operation)
{
    // Without an event loop Qt reads from the device only when asked to.
    port_->waitForReadyRead(0);
    require_usable(operation);
    // What does not fit waits in the port for the next read: a long reply
    // (a phone's list of messages) that arrives in one go is read whole.
    const qsizetype room = kReceiveCapacity - received_.size();
    if (room > 0)
        received_.append(port_->read(room));
}

void QtSerialComponent::Output(const QString& text)
{
    require_usable("Output");
    const QByteArray bytes = text.toLatin1();
    if (bytes.isEmpty())
        return;
    if (port_->write(bytes) != bytes.size()) {
        require_usable("Output");
        fail(QStringLiteral("COM%1: write failed (%2)").arg(comm_port_).arg(port_->errorString()));
    }
    // Qt sends nothing until the event loop runs or it is flushed; callers
    // usually sleep right after writing.
    port_->flush();
    while (!device_lost_ && port_->bytesToWrite() > 0 && port_->waitForBytesWritten(kWriteTimeoutMs)) {
    }
    require_usable("Output");
    if (port_->bytesToWrite() > 0)
        fail(QStringLiteral("COM%1: the device did not take the text").arg(comm_port_));
}

int QtSerialComponent::InBufferCount()
{
    require_usable("InBufferCount");
    take_arrived("InBufferCount");
    return static_cast<int>(received_.size());
}

QString QtSerialComponent::Input()
{
    require_usable("Input");
    take_arrived("Input");
    const QString text = QString::fromLatin1(received_);
    received_.clear();
    return text;
}
