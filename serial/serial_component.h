#pragma once
#include <QString>
#include <functional>
#include <stdexcept>

// A failed operation of the serial component. Callers never look at its
// text beyond logging; any failure counts as a failed exchange.
class SerialError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The serial port as the engines use it: five properties. Line settings are
// fixed (19200 baud, 8N1, no flow control); text is one byte per character
// (Latin-1). Each failed operation throws SerialError; nothing is recovered
// by the component itself.
class SerialComponent {
public:
    virtual ~SerialComponent() = default;

    virtual int CommPort() const = 0;
    // Set while the port is closed.
    virtual void setCommPort(int port) = 0;

    virtual bool PortOpen() const = 0;
    // true opens port CommPort() exclusively (throws when there is no such
    // port or another opener holds it); false closes it.
    virtual void setPortOpen(bool open) = 0;

    // Hands the text to the operating system before returning. Throws on a
    // closed port or a device that went away.
    virtual void Output(const QString& text) = 0;
    // Received characters waiting (at most 1024 are held; what comes
    // beyond waits in the port for the next reads), including what the
    // operating system received while the caller slept.
    virtual int InBufferCount() = 0;
    // All waiting characters, removed from the buffer; "" when none.
    virtual QString Input() = 0;

    // Called from the event loop when characters have arrived, so that a
    // reader need not wait for its next poll; it reads them itself. The
    // call may come from inside any operation: note it and return.
    virtual void set_data_arrived(std::function<void()> arrived) { (void)arrived; }
};

// The real component over Qt Serial Port.
class QtSerialComponent;

// The device of port number N: the ports folder's entry "comN" when there is
// one, else /dev/ttyS0-31 for 1-32, /dev/ttyUSB0-31 for 33-64,
// /dev/ttyACM0-31 for 65-96; "" for other numbers. Not resolved.
QString port_device_path(int port);

// The port number that leads to the device node (links resolved): its
// ports-folder entry when it has one, else its number in the usual
// mapping above; 0 when no port number leads there.
int port_of_device(const QString& node);

// $VEKORRA_PORTS when set and not empty, else
// ${XDG_CONFIG_HOME:-$HOME/.config}/vekorra/ports.
QString ports_folder();
