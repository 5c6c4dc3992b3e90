#include "dialer/settings/modem_model.h"

#include <exception>

#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/serial_component.h"

namespace {

constexpr int kReplyWaitMs = 500;
constexpr int kTestCallWaitMs = 500;
// The reply is drained this many times at most, without waiting between.
constexpr int kMaxDrains = 7;

void pump() { platform::clock().pump(); }

// Never throws: the close is part of every failure path.
void close_quietly(SerialComponent& serial)
{
    try {
        if (serial.PortOpen())
            serial.setPortOpen(false);
    } catch (const std::exception&) {
    }
}

// Points the component at the port; a port still open on another number
// (left so by an earlier failure elsewhere) is closed first, since the
// number can only change while the port is closed.
void select_port(SerialComponent& serial, int port)
{
    if (serial.CommPort() == port)
        return;
    if (serial.PortOpen())
        serial.setPortOpen(false);
    serial.setCommPort(port);
}

QString trim_blanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

QString read_reply(SerialComponent& serial)
{
    QString reply;
    for (int drains = 0; drains < kMaxDrains; ++drains) {
        pump();
        if (serial.InBufferCount() == 0)
            break;
        pump();
        reply += serial.Input();
    }
    return reply;
}

// The typed number as it may stand in a dial command: a line end would
// end the command early and start another, and after ";" the phone runs
// the rest of the line as further commands. Other control characters
// mean nothing in a number either.
QString dialable(const QString& number)
{
    QString result;
    for (const QChar c : number)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f && c != QLatin1Char(';'))
            result.append(c);
    return result;
}

}  // namespace

QString clean_model_reply(const QString& reply)
{
    QString text = reply;
    text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.remove(QStringLiteral("AT+GMM"));
    text.remove(QStringLiteral("OK"));
    text.remove(QStringLiteral("+GMM"));
    text.remove(QLatin1Char(':'));
    return trim_blanks(text);
}

QString Get_model(SerialComponent& serial, int port)
{
    try {
        select_port(serial, port);
        if (!serial.PortOpen())
            serial.setPortOpen(true);
        serial.Output(QStringLiteral("AT+GMM\r\n"));
        pump();
        platform::clock().sleep_ms(kReplyWaitMs);
        QString model = clean_model_reply(read_reply(serial));
        if (model.isEmpty())
            model = kNoModel;
        serial.setPortOpen(false);
        return model;
    } catch (const std::exception&) {
        close_quietly(serial);
        return kNoModel;
    }
}

bool Test_call(SerialComponent& serial, int port, const QString& number, DialCommand command)
{
    const QString dial = command == DialCommand::Cdma ? QStringLiteral("AT+CDV") : QStringLiteral("ATD");
    try {
        select_port(serial, port);
        if (!serial.PortOpen())
            serial.setPortOpen(true);
        serial.Output(dial + dialable(number) + QStringLiteral(";\r"));
        platform::clock().sleep_ms(kTestCallWaitMs);
        serial.setPortOpen(false);
        return true;
    } catch (const std::exception&) {
        // Left open, the port would hold the phone away from its controller.
        close_quietly(serial);
        platform::show_message(QStringLiteral("Ошибка модема!"), platform::MessageIcon::Error);
        return false;
    }
}
