#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "controller/at_channel.h"

namespace messages {
class MessageStore;
}

namespace kestrum {

// The text messages of one GSM phone, a part of its controller on the AT
// channel: at connect it asks how the phone takes messages (PDU mode
// preferred, text mode else) and for announcements of new ones (AT+CNMI,
// through the settings real phones accept); it reads what the phone holds
// (AT+CMGL) and what it announces ("+CMTI" -> AT+CMGR), keeps each message
// in the message store and only then deletes it from the phone (AT+CMGD);
// it sends its line's queue (AT+CMGS through the "> " prompt) and takes
// the delivery reports ("+CDS", "+CDSI").
//
// The part never decides when it may talk: the controller runs work()
// between its call work, and `call_first` tells, between two commands,
// that a call command or a call just heard must go first.
class MessagesLine {
public:
    enum class Mode { Unknown, None, Pdu, Text };

    explicit MessagesLine(AtChannel& channel);
    ~MessagesLine();

    // The lines heard on the channel; `announced` is told when something
    // waits to be read, so that the controller runs work() soon.
    void subscribe(std::function<void()> announced);
    // The line (slot) whose messages these are, "" for none: a controller
    // that keeps no journal keeps no messages and leaves them on the phone.
    void open(const QString& line);
    // A freshly opened port: everything is asked again at the next work().
    void connected(const QString& model);
    // Another program queued a message for this line.
    void wake() { queue_woken_ = true; }

    bool wants_work(qint64 now_ms) const;
    // One turn: set-up, announced messages and reports, the 30 s listing of
    // a phone that announces nothing, the queue. Stops where call_first()
    // says so; the rest waits for the next turn. now_ms: the clock seam's
    // monotonic time, for the listing's rhythm; what is stored is dated
    // by the wall clock.
    // call_on: a call is going on, and a phone that announces nothing is
    // not listed meanwhile.
    void work(qint64 now_ms, bool delete_after_keeping, bool call_on, const std::function<bool()>& call_first);

    Mode mode() const { return mode_; }
    bool reports() const { return reports_; }
    // The `sms_rezhim` spelling of what the phone does.
    QString mode_text() const;

private:
    struct Stored {
        QString memory;
        int index = -1;
    };
    // One message as the phone lists it: its index and either its PDU or
    // its text-mode header and text.
    struct Entry {
        int index = -1;
        bool listed = false;  // from AT+CMGL, whose header leads with the index
        QString header, body;
    };

    bool set_up();
    bool choose_mode();
    bool ask_announcements();
    bool select_memory(const QString& memory);
    void list_stored(qint64 now_ms, bool delete_after_keeping);
    void read_announced(bool delete_after_keeping, const std::function<bool()>& call_first);
    // Keeps an entry (or takes it as a status report); whether the phone may delete it.
    bool keep(const Entry& entry);
    bool keep_pdu(const Entry& entry);
    bool keep_text(const Entry& entry);
    void take_report_pdu(const QString& hex);
    void take_text_report(const QString& fields);
    void send_queue(const std::function<bool()>& call_first);
    // Sends the parts of a message from `first`; the part number that
    // waits when a call went first, -1 when the message is settled.
    int send_parts(qint64 id, const QString& number, const QString& text, int first,
                   const std::function<bool()>& call_first);
    std::optional<int> send_pdu_part(const QByteArray& hex, int tpdu_length, QString& failure);
    std::optional<int> send_text_part(const QString& number, const QString& text, QString& failure);
    // Text mode's string fields go as UCS2 hex while a text needs it.
    bool use_ucs2(bool on);
    QList<Entry> entries_of(const AtChannel::Reply& reply, const QString& header_prefix, bool with_index) const;
    AtChannel::Reply ask(const QString& command, int timeout_ms = 3000);

    AtChannel& channel_;
    std::unique_ptr<messages::MessageStore> store_;
    QString line_, model_;
    std::function<void()> announced_;

    Mode mode_ = Mode::Unknown;
    bool reports_ = false;
    bool announces_ = false;
    int set_up_attempts_ = 0;
    bool listed_ = false;
    qint64 listed_at_ms_ = 0;
    qint64 incomplete_closed_ms_ = 0;
    bool queue_woken_ = true;
    QString selected_memory_;
    QString own_charset_;  // text mode: the phone's character set, restored after UCS2
    bool in_ucs2_ = false;
    QList<Stored> announced_entries_;
    QList<Stored> announced_reports_;
    // A long message whose sending a call interrupted: it goes on from here.
    struct Resume {
        qint64 id = 0;
        int next_part = 0;
    };
    std::optional<Resume> resume_;
};

}  // namespace kestrum
