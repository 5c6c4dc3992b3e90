#pragma once
#include "serial/serial_component.h"

#include <QByteArray>
#include <QSerialPort>
#include <memory>

// The serial component over Qt Serial Port. Used without an event loop as
// much as with one: every operation first pulls what the operating system
// has received, and Output() hands its bytes over before returning.
//
// A device that goes away (pty far end closed, cable pulled) is given up at
// the first error Qt reports: the port is closed internally so that no
// notifier spins on the dead descriptor, PortOpen() keeps reporting true
// until the caller closes it, and every other operation throws.
class QtSerialComponent : public SerialComponent {
public:
    // Characters held for the caller; what arrives beyond this waits in
    // the port until the caller has read what is held.
    static constexpr int kReceiveCapacity = 1024;
    // What the port itself keeps for later reads.
    static constexpr int kPortBacklog = 64 * 1024;

    QtSerialComponent();
    ~QtSerialComponent() override;
    QtSerialComponent(const QtSerialComponent&) = delete;
    QtSerialComponent& operator=(const QtSerialComponent&) = delete;

    int CommPort() const override;
    // Throws when asked for another number while the port is open.
    void setCommPort(int port) override;

    bool PortOpen() const override;
    // Opening an open port and closing a closed one change nothing.
    void setPortOpen(bool open) override;

    void Output(const QString& text) override;
    int InBufferCount() override;
    QString Input() override;
    void set_data_arrived(std::function<void()> arrived) override { data_arrived_ = std::move(arrived); }

    // The device the open port was opened as (symbolic links resolved);
    // "" while closed.
    QString devicePath() const;

private:
    void open_device();
    void close_device();
    void on_port_error(QSerialPort* port, QSerialPort::SerialPortError error);
    // Throws unless the port is open and its device still there.
    void require_usable(const char* operation);
    // Moves what the device has received into the held characters.
    void take_arrived(const char* operation);

    int comm_port_ = 1;
    bool open_ = false;
    bool device_lost_ = false;
    QString lost_reason_;
    QString device_path_;
    std::unique_ptr<QSerialPort> port_;
    QByteArray received_;
    std::function<void()> data_arrived_;
};
