#include "dialer/settings/modem_model.h"

#include <exception>

#include "blackboard/phone_text.h"
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

}  // namespace

QString Get_model(SerialComponent& serial, int port)
{
    try {
        select_port(serial, port);
        if (!serial.PortOpen())
            serial.setPortOpen(true);
        QString model = blackboard::ask_for_model([&serial](const QString& command) {
            serial.Output(command + QStringLiteral("\r\n"));
            pump();
            platform::clock().sleep_ms(kReplyWaitMs);
            return blackboard::clean_model_reply(read_reply(serial), command);
        });
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
        serial.Output(blackboard::dial_command(dial, number, QStringLiteral("\r")));
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
