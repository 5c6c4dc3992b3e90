#pragma once
#include <QObject>
#include <QString>
#include <QTimer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "blackboard/keys.h"
#include "controller/at_channel.h"
#include "controller/call_part.h"
#include "controller/controller_state.h"
#include "controller/controller_view.h"
#include "controller/tones.h"
#include "controller/ussd.h"
#include "controller/line_journal.h"
#include "controller/messages_line.h"
#include "controller/phonebook_line.h"

class SerialComponent;
namespace settings_store {
class StoreWatch;
}
namespace blackboard {
class Slot;
}
namespace at {
class CallListView;
}

namespace kestrum {

// One phone slot's controller: four timers, the serial link, the engines of
// the three phone types and the blackboard exchange. Logic only: a window
// displays view() and calls the operations below; none of them talks to
// the phone itself, the next engine tick carries them out.
class Controller : public QObject {
    Q_OBJECT

public:
    explicit Controller(std::unique_ptr<SerialComponent> serial, QObject* parent = nullptr);
    ~Controller() override;

    // Start steps after the single-instance check and the About window:
    // running flag, port and type read, slot shown, timers started (the
    // engine timer stays off until a service tick or "Подклчюить").
    void start(bool started_with_arguments);

    // Orderly end: the four end values, then the process ends at once.
    void Exit_pr();
    // What "the process ends" means. The default closes the port and ends
    // the process without returning; tests record the end instead.
    void set_end_process(std::function<void()> end_process);

    // The ticks, run by the timers (public so tests can enter them).
    void service_tick();
    void engine_tick();
    void status_tick();
    // An engine tick for an event rather than the timer's turn.
    void event_tick();
    void watchdog_tick();

    // The serial link.
    QString at_exchange(const QString& command, int port);
    // The same exchange on the slot's open port, read the moment the phone's
    // final result comes rather than after the fixed pause: for what the
    // user waits on (a call just heard, a USSD request). Returns the reply
    // in at_exchange's form; without a final result in time, at_exchange
    // is run instead, with its failure handling.
    QString exchange_at_once(const QString& command);
    QString port_check();
    // The call-list probe of a freshly opened port: asked until a final
    // result comes, a few times at most.
    QString probe_call_list();
    QString model_query(int port);

    // The engines the engine tick dispatches to.
    void plain_gsm_tick();
    void cdma_tick();
    void wired_tick();
    void call_engine_tick();

    // "Подклчюить" and "Отключить": the next service tick starts the engine,
    // or stops it and closes the port.
    void press_connect() { state_.Podkl_tel = 1; }
    void press_disconnect() { state_.Otkluch_tel = 1; }
    bool connect_requested() const { return state_.Podkl_tel == 1; }

    // The phone's device has just come back (the dialer saw it plugged in
    // again): an engine tick runs at once, which opens and probes it,
    // rather than at the engine's next retry. Ignored while the user keeps it disconnected.
    void reconnect();

    // The call buttons of the window; the engine of the phone type sends the
    // command at its next tick (a command the type does not handle waits).
    enum class Command {
        TakeLine,       // wired modem: "ATH1"
        ReleaseLine,    // wired modem: "ATH"
        Answer,         // "ATA"
        HangUp,         // "AT+CHUP"
        RejectWaiting,  // "AT+CHLD=0"
        Swap,           // "AT+CHLD=2"
        Join,           // "AT+CHLD=3"
    };
    void press(Command command);

    // A number to dial: pending from now, dialled by the next engine tick,
    // and the engine runs.
    void dial(const QString& number);
    // The pending number, if any, is not dialled.
    void drop_pending_number() { state_.tlf_numb.clear(); }

    // The engine tick's timer; the phone search and the dial window pause it.
    bool engine_running() const { return engine_timer_.isActive(); }
    void start_engine() { engine_timer_.start(); }
    void stop_engine() { engine_timer_.stop(); }

    // The port and the phone type chosen by the phone search.
    void choose_port(qint16 port) { state_.port_1 = port; }
    void choose_phone_type(const QString& type) { state_.tip_tlf = type; }

    const ControllerState& state() const { return state_; }
    Tones& tones() { return tones_; }
    const ControllerView& view() const { return view_; }
    ControllerLimits& limits() { return limits_; }
    SerialComponent& serial() { return *serial_; }
    AtChannel& channel() { return channel_; }
    LineJournal& line_journal() { return journal_; }
    MessagesLine& messages_line() { return messages_; }
    PhonebookLine& phonebook_line() { return phonebook_; }

private:
    friend struct ControllerProbe;  // the tests' way into the state

    void engine_timer_fired();

    // What the window shows of the link: status text, indicator and connect
    // button change here alone. A part left empty stays as it is.
    struct LinkShown {
        std::optional<QString> status;
        std::optional<ControllerView::Indicator> indicator;
        std::optional<bool> connect_shown;
    };
    void show_link(const LinkShown& shown);
    // The phone answers: no status text, green indicator, no connect button.
    void link_up();

    // The engine of the phone type; engine_tick around it.
    void run_engine();

    // Characters arrived between ticks: the channel reads them, so that
    // what the phone says on its own is heard now.
    void data_arrived();
    // A call came, ended or changed at the phone ("RING", "+CLIP", "NO
    // CARRIER"...): the call list is read at once rather than at the next tick.
    void heard_call_event();
    void poll_calls_soon();
    void subscribe_unsolicited();
    // Another process committed to the store: the commands are taken now
    // and, when one waits, the engine carries it out at once.
    void store_changed();
    bool engine_work_waiting() const;
    void engine_tick_soon();
    // The turn of the parts that work between calls (messages, then the
    // phonebook while no call goes on): after a tick whose last reply was
    // read whole, or when the phone announced something between ticks;
    // never while a call command, a dial or a call just heard waits.
    void messages_soon();
    void run_messages();

    // Writes text to the phone and logs it.
    void send(const QString& text);
    // The reading loop of an exchange; false when nothing came at all.
    bool read_reply(QString& reply);
    // Reads what waits in the receive buffer, logged.
    QString take_input();
    // Takes all waiting input for the CDMA and wired loops: line ends turned
    // into spaces, every "AT" removed.
    QString take_cleaned_input();
    void close_port_quietly();
    bool port_open_quietly() const;
    // Opens the slot's own port. When that fails and another program holds
    // the port, its note (who, and what to do) goes to the log, the window
    // and the blackboard; an open port clears it.
    void open_slot_port();
    void note_held_port();
    void publish_port_note(const QString& note);
    // A lost link: the status text with the red indicator.
    void lost_connection(const QString& status);
    // The wired modem's line is lost: its text, and "Подклчюить" again.
    void line_lost();
    // The 2 s that a lost link waits before the next tick tries again.
    void pause_after_lost_link();
    void hide_wired_buttons();
    // Ends the pending number once it has been dialled; a newer number
    // that a status tick took in the meantime stays pending.
    void dialled(const QString& number);

    // Steps of the call engine.
    QString send_pending_command();
    // Reads the result of a call command just sent, within the tick's
    // pause; false when none came (or the port is not the channel's).
    bool await_command_result(const QString& command);
    // A command flag or a number waits: tones wait behind them.
    bool call_command_pending() const;
    void dial_pending_number();
    QString poll_call_list();

    void evaluate_call_list(const at::CallListView& calls);
    void clear_dialled_labels();

    // USSD (ussd_link.cpp): requests taken and answers published at the
    // status tick; the next command sent at the engine tick; the network's
    // lines cut out of every reply before anything else reads it.
    void take_ussd(const blackboard::Slot& slot);
    void publish_ussd();
    void send_ussd_command();
    QString take_ussd_lines(const QString& reply, const QString& command);
    // The call state as the status tick writes it: `status`, `zvonok`,
    // `knopki_zv`. Published by every status tick and also right after an
    // evaluation that changed it.
    struct PublishedCallState {
        QString status, zvonok, knopki_zv;
        bool operator==(const PublishedCallState&) const = default;
    };
    PublishedCallState call_state_texts() const;
    void publish_call_state();
    void publish_changed_call_state();

    std::unique_ptr<SerialComponent> serial_;
    AtChannel channel_;
    // A call event was heard (or a call command sent) since the last
    // call-list poll began.
    bool call_poll_wanted_ = false;
    // A call command went out without its reply being read.
    bool command_reply_pending_ = false;
    bool arrival_queued_ = false;
    // The tick just ended on a reply read to its end: nothing of the
    // phone's is still on its way, so the messages part may talk.
    bool line_quiet_ = false;
    // A command was taken while a tick ran: another tick follows it at once.
    bool tick_after_this_ = false;
    // Event ticks running now (see event_tick()).
    int event_ticks_ = 0;
    std::unique_ptr<settings_store::StoreWatch> store_watch_;
    ControllerState state_;
    ControllerView view_;
    ControllerLimits limits_;
    Tones tones_;
    bool started_with_arguments_ = false;
    // Engine ticks running now: more than one when a tick runs nested in
    // another's pump.
    int engine_depth_ = 0;
    std::function<void()> end_process_;
    // When the last number was dialled, on the clock seam's monotonic time.
    std::optional<qint64> dialled_at_ms_;
    ussd::Session ussd_;
    PublishedCallState published_;
    // The port note last published; nothing before the first open.
    std::optional<QString> published_port_note_;
    // The unavailable port whose holder was last looked for, and when.
    struct BusyCheck {
        int port;
        qint64 at_ms;
    };
    std::optional<BusyCheck> busy_check_;
    LineJournal journal_;
    CallPart calls_;
    MessagesLine messages_;
    PhonebookLine phonebook_;

    QTimer engine_timer_;
    QTimer service_timer_;
    QTimer status_timer_;
    QTimer watchdog_timer_;
};

}  // namespace kestrum
