#pragma once
#include <QByteArray>
#include <QSerialPort>
#include <QString>

// A plain serial client of the simulator, independent of the project's
// serial component: writes command lines and collects raw replies.
class SerialClient {
public:
    bool open(const QString& path);
    void close() { port_.close(); }
    QSerialPort& port() { return port_; }
    void write(const QByteArray& bytes);
    // Sends command + "\r\n" and returns everything up to the final result.
    QByteArray exchange(const QByteArray& command, int timeout_ms = 2000);
    // Whatever arrives within ms.
    QByteArray read_for(int ms);
    // Reads until the received text ends with a final result code.
    QByteArray read_reply(int timeout_ms);

private:
    QSerialPort port_;
};
