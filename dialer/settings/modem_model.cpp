#include "dialer/settings/modem_model.h"

#include <QCoreApplication>
#include <QThread>
#include <exception>

#include "blackboard/phone_text.h"
#include "blackboard/stored_texts.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/port_holders.h"
#include "serial/port_search.h"
#include "serial/qt_serial_component.h"
#include "serial/serial_component.h"

namespace {

constexpr int kReplyWaitMs = 500;
constexpr int kTestCallWaitMs = 500;
// The reply is drained this many times at most, without waiting between.
constexpr int kMaxDrains = 7;

void pump() { platform::clock().pump(); }

// The window thread's waits: through the clock seam, with its events.
const ReplyWaits& window_waits()
{
    static const ReplyWaits waits{[](int ms) { platform::clock().sleep_ms(ms); }, pump};
    return waits;
}

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

QString read_reply(SerialComponent& serial, const ReplyWaits& waits)
{
    QString reply;
    for (int drains = 0; drains < kMaxDrains; ++drains) {
        waits.pump();
        if (serial.InBufferCount() == 0)
            break;
        waits.pump();
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

ModelAnswer ask_model(SerialComponent& serial, int port) { return ask_model(serial, port, window_waits()); }

ModelAnswer ask_model(SerialComponent& serial, int port, const ReplyWaits& waits)
{
    if (!open_port(serial, port))
        return {kNoModel, true};
    ModelAnswer answer;
    try {
        answer.model = blackboard::ask_for_model([&serial, &waits](const QString& command) {
            serial.Output(command + QStringLiteral("\r\n"));
            waits.pump();
            waits.sleep_ms(kReplyWaitMs);
            return blackboard::clean_model_reply(read_reply(serial, waits), command);
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

ModelAnswer ask_model_on_worker(int port)
{
    QtSerialComponent serial;
    const ReplyWaits waits{[](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); }, [] {}};
    return ask_model(serial, port, waits);
}

ModelAnswer ask_model_in_background(int port)
{
    ModelAnswer result{kNoModel, false};
    PortSearch one(1);
    PortSearch::Observer events;
    events.pump = [] { platform::clock().pump(); };
    events.answered = [&result](int, const PortSearch::Answer& answer) {
        result = {answer.model.isEmpty() ? kNoModel : answer.model, answer.open_failed};
    };
    one.run({port},
            [](int asked) -> PortSearch::Answer {
                const ModelAnswer answer = ask_model_on_worker(asked);
                return {answer.model == kNoModel ? QString() : answer.model, answer.open_failed};
            },
            events);
    return result;
}

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
