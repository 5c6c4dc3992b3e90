#pragma once
#include <QString>
#include <functional>
#include <optional>

namespace kestrum {

class Controller;

// The controller's own search for phones: every serial port from 1 to 256
// is asked for its model through the controller's serial link, and the
// ports that answered are reported. The choices made from the result go to
// the slot's blackboard keys and the controller's state. No widgets: the
// search window shows what the observer reports.
class PhoneSearch {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 256;

    struct Observer {
        std::function<void()> began;      // before the first pause
        std::function<void()> listing;    // the list is to be emptied
        std::function<void(int port)> asking;
        std::function<void(int port, const QString& model)> found;
        std::function<void()> ended;      // all ports asked, or stopped
    };

    explicit PhoneSearch(Controller& controller) : controller_(controller) {}

    // The slot's phone type read afresh into the controller's tip_tlf.
    QString read_type();
    // A type choice selected: "GSM", "CDMA" or "Provod" for the slot.
    void choose_type(const QString& type);

    // Asks the ports in turn, yielding to pending events around each one;
    // a stop request takes effect before the next port. The engine timer
    // is stopped and the port left closed. A connect or dial started from
    // elsewhere during the search (the engine timer running again, or a
    // connect request waiting) ends the search before the next port.
    // Returns false, doing nothing, while a search already runs (a search
    // started from inside another one's pump would share the serial port
    // with it).
    bool run(const Observer& observer);
    void stop() { stop_search_ = true; }
    bool running() const { return running_; }

    // The port a text of the port box names: a decimal number, spaces at
    // either end allowed, with the value rounded to a whole port number;
    // nothing when the text is anything else or the value does not fit a
    // 16-bit port number.
    static std::optional<qint16> port_number(const QString& text);
    // The port box changed: a number becomes port_1 and the slot's `port`
    // (true); any other text changes nothing (false).
    bool take_port_text(const QString& text);

    // "Подключить" with the port box's text, or a double click on the
    // entry of a port: false when the text names no port above 0 (nothing
    // changes). Otherwise the port is pinned to its device (pin_chosen_port)
    // and becomes port_1 and the slot's `port`, and the controller is asked
    // to connect. A connect during a search stops it and is handed over once
    // it has ended, so that the search does not stop the engine again or
    // take the port from it.
    bool connect_port(const QString& port_text);
    bool connect_entry(int port);

private:
    bool engine_wanted() const;
    void request_connect();

    Controller& controller_;
    bool stop_search_ = false;
    bool running_ = false;
    bool connect_after_search_ = false;
};

}  // namespace kestrum
