#include "controller/phone_search.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "platform/clock.h"
#include "serial/port_search.h"
#include "serial/stable_names.h"

namespace kestrum {

namespace {
constexpr int kPauseMs = 200;
const QString kNoModel = QStringLiteral("---");

// Clears the running flag however the loop is left.
class RunningFlag {
public:
    explicit RunningFlag(bool& running) : running_(running) { running_ = true; }
    ~RunningFlag() { running_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& running_;
};

void notify(const std::function<void()>& event)
{
    if (event)
        event();
}
}  // namespace

QString PhoneSearch::read_type()
{
    controller_.choose_phone_type(board().phone_type_text());
    return controller_.state().tip_tlf;
}

void PhoneSearch::choose_type(const QString& type)
{
    board().set_phone_type(type);
}

bool PhoneSearch::run(const Observer& observer)
{
    if (running_)
        return false;
    platform::Clock& clock = platform::clock();
    {
        RunningFlag flag(running_);
        stop_search_ = false;
        controller_.stop_engine();
        notify(observer.began);
        clock.pump();
        clock.sleep_ms(kPauseMs);
        notify(observer.listing);
        QList<int> ports;
        for (int port = kFirstPort; port <= kLastPort; ++port)
            ports.append(port);
        // One port at a time through the controller's own link, with a
        // pause between them, as a phone on a slow link expects.
        PortSearch in_turn(1);
        PortSearch::Observer steps;
        steps.asking = observer.asking;
        steps.pump = [&] {
            clock.pump();
            // Connected or dialling from the main window while the dialog
            // was closed: the engine has the port from now on.
            if (stop_search_ || engine_wanted())
                in_turn.stop();
        };
        steps.answered = [&](int port, const PortSearch::Answer& answer) {
            if (answer.model != kNoModel && observer.found)
                observer.found(port, answer.model);
        };
        if (!stop_search_) {
            in_turn.run_in_turn(
                ports, [this](int port) { return PortSearch::Answer{controller_.model_query(port)}; }, steps,
                [&clock] { clock.sleep_ms(kPauseMs); });
        }
        notify(observer.ended);
    }
    if (connect_after_search_) {
        connect_after_search_ = false;
        controller_.press_connect();
    }
    return true;
}

std::optional<qint16> PhoneSearch::port_number(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^ *[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+) *$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    // Rounded as the engine rounds the `port` key: to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<qint16>::min() || rounded > std::numeric_limits<qint16>::max())
        return std::nullopt;
    return static_cast<qint16>(rounded);
}

bool PhoneSearch::take_port_text(const QString& text)
{
    const std::optional<qint16> port = port_number(text);
    if (!port)
        return false;
    controller_.choose_port(*port);
    board().set_port(text);
    return true;
}

bool PhoneSearch::connect_port(const QString& port_text)
{
    const std::optional<qint16> port = port_number(port_text);
    if (!port || *port <= 0)
        return false;
    controller_.choose_port(*port);
    // The slot is to keep this phone when the phones come up in another
    // order: the port leads to the device's stable name from now on.
    pin_chosen_port(*port);
    // The engine opens the port the key names, which another program may
    // have changed since the box last wrote it.
    board().set_port(QString::number(*port));
    request_connect();
    return true;
}

bool PhoneSearch::connect_entry(int port)
{
    if (port <= 0 || port > std::numeric_limits<qint16>::max())
        return false;
    return connect_port(QString::number(port));
}

bool PhoneSearch::engine_wanted() const
{
    return controller_.connect_requested() || controller_.engine_running();
}

void PhoneSearch::request_connect()
{
    if (running_) {
        stop_search_ = true;
        connect_after_search_ = true;
        return;
    }
    controller_.press_connect();
}

}  // namespace kestrum
