#include "serial_client.h"

#include <QElapsedTimer>
#include <QStringList>

bool SerialClient::open(const QString& path)
{
    port_.setPortName(path);
    port_.setBaudRate(19200);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    return port_.open(QIODevice::ReadWrite);
}

void SerialClient::write(const QByteArray& bytes)
{
    port_.write(bytes);
    port_.waitForBytesWritten(1000);
}

QByteArray SerialClient::exchange(const QByteArray& command, int timeout_ms)
{
    write(command + "\r\n");
    return read_reply(timeout_ms);
}

QByteArray SerialClient::read_for(int ms)
{
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        port_.waitForReadyRead(int(qMax<qint64>(1, ms - timer.elapsed())));
        got += port_.readAll();
    }
    return got;
}

QByteArray SerialClient::read_reply(int timeout_ms)
{
    static const QList<QByteArray> finals {"\r\nOK\r\n", "\r\nERROR\r\n", "\r\nerror\r\n", "\r\nNO CARRIER\r\n",
                                           "\r\nBUSY\r\n", "\r\nNO DIALTONE\r\n"};
    QByteArray got;
    QElapsedTimer timer;
    timer.start();
    auto complete = [&] {
        return std::any_of(finals.begin(), finals.end(), [&](const QByteArray& f) { return got.endsWith(f); });
    };
    while (!complete() && timer.elapsed() < timeout_ms) {
        port_.waitForReadyRead(50);
        got += port_.readAll();
    }
    return got;
}
