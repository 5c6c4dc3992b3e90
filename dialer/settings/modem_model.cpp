#include "dialer/settings/modem_model.h"

#include <QCoreApplication>
#include <exception>

#include "blackboard/phone_text.h"
#include "blackboard/stored_texts.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/port_holders.h"
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

// Points the component at the port and opens it unless it is open; false
// when that fails (no such device, or another program holds it).
bool open_port(SerialComponent& serial, int port)
{
    try {
        select_port(serial, port);
        if (!serial.PortOpen())
            serial.setPortOpen(true);
        return true;
    } catch (const std::exception&) {
        close_quietly(serial);
        return false;
    }
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

struct Text {
    Q_DECLARE_TR_FUNCTIONS(Modem_model)
};

// "Ошибка модема!", and below it what keeps the port busy when another
// program holds it.
void modem_error(const QString& held_note)
{
    QString message = Text::tr("Ошибка модема!");
    if (!held_note.isEmpty())
        message += QStringLiteral("\n\n") + blackboard::shown_text(held_note);
    platform::show_message(message, platform::MessageIcon::Error);
}

}  // namespace

ModelAnswer ask_model(SerialComponent& serial, int port)
{
    if (!open_port(serial, port))
        return {kNoModel, true};
    ModelAnswer answer;
    try {
        answer.model = blackboard::ask_for_model([&serial](const QString& command) {
            serial.Output(command + QStringLiteral("\r\n"));
            pump();
            platform::clock().sleep_ms(kReplyWaitMs);
            return blackboard::clean_model_reply(read_reply(serial), command);
        });
        if (answer.model.isEmpty())
            answer.model = kNoModel;
        serial.setPortOpen(false);
    } catch (const std::exception&) {
        close_quietly(serial);
        answer.model = kNoModel;
    }
    return answer;
}

QString Get_model(SerialComponent& serial, int port) { return ask_model(serial, port).model; }

bool Test_call(SerialComponent& serial, int port, const QString& number, DialCommand command)
{
    if (!open_port(serial, port)) {
        modem_error(held_port_note(port));
        return false;
    }
    const QString dial = command == DialCommand::Cdma ? QStringLiteral("AT+CDV") : QStringLiteral("ATD");
    try {
        serial.Output(blackboard::dial_command(dial, number, QStringLiteral("\r")));
        platform::clock().sleep_ms(kTestCallWaitMs);
        serial.setPortOpen(false);
        return true;
    } catch (const std::exception&) {
        // Left open, the port would hold the phone away from its controller.
        close_quietly(serial);
        modem_error(QString());
        return false;
    }
}
