#pragma once
#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include "call_list.h"
#include "line_splitter.h"
#include "options.h"
#include "phonebook.h"
#include "sim_log.h"
#include "sms_memory.h"
#include "ussd_network.h"

class PtyLine;

// The simulated handset: reads command lines from the line, answers them
// as a real phone or modem would, runs the calls, and takes the events
// and faults that the control channel orders. Control operations return
// "" on success, else the reason for refusing.
class Phone : public QObject
{
    Q_OBJECT
public:
    Phone(const SimOptions& options, PtyLine* line, SimLog* log, QObject* parent = nullptr);

    void start_scripted_events();

    QString incoming(const QString& number, bool force_waiting);
    QString far_answer();
    QString far_busy();
    QString far_hangup(const QString& number);  // "" = every call
    QString set_dial_result(const QString& result);
    QString set_fault(const QString& fault, bool on, int piece = 3, int gap_ms = 150);
    // Without a count: a fixed mix of control, high Latin-1 and printable
    // bytes. With one: that many random bytes (all 256 values) from a
    // generator started at seed, so a failing run can be repeated.
    void send_garbage(int count = 0, quint32 seed = 1);
    // The call list is answered with these bytes (then OK) instead of the
    // real calls; empty = the real list again.
    void set_clcc_override(const QByteArray& lines) { clcc_override_ = lines; }
    // Every reply gets an information line of this many characters ahead of
    // its result (0 = off).
    void set_long_reply(int bytes) { long_reply_bytes_ = bytes; }
    void set_echo(bool on) { echo_ = on; }
    void set_reply_delay(int ms) { reply_delay_ms_ = ms; }
    void set_model(const QString& model) { options_.model = model; }
    void set_model_query(SimOptions::ModelQuery query) { options_.model_query = query; }
    QString set_ussd_answer(const QString& setting) { return ussd_.configure(setting); }
    void set_ussd_delay(int ms) { options_.ussd_delay_ms = ms; }
    QString calls_line() const;
    SmsMemory& sms() { return sms_; }
    // Phonebook filling from options (or a control command).
    Phonebook& phonebook() { return phonebook_; }
    bool is_gsm() const;

private:
    void take_bytes(const QByteArray& bytes);
    void take_command(const QByteArray& line);
    QByteArray execute(const QString& command);
    QByteArray model_reply() const;
    QByteArray model_query(const QString& body) const;
    QByteArray tone(const QString& argument);
    QByteArray ussd(const QString& arguments);
    QByteArray clcc_reply() const;
    QByteArray long_line() const;
    QByteArray dial(const QString& text);
    QByteArray chld(const QString& argument);
    QByteArray modem_dial();
    void send(const QByteArray& bytes);
    void send_piece();
    void ring();
    void calls_changed();
    void schedule(int ms, quint64 serial, const std::function<void(quint64)>& action);

    SimOptions options_;
    PtyLine* line_;
    SimLog* log_;
    SmsMemory sms_;
    LineSplitter splitter_;
    CallList calls_;
    QList<Call> last_seen_;
    bool echo_ = true;
    bool silent_ = false;
    bool always_error_ = false;
    bool error_lower_ = false;
    QByteArray error_lower_given_;   // the line last answered "error"
    QByteArray next_dial_result_;    // modem: the result of the next ATD
    bool slow_ = false;
    int slow_piece_ = 3;
    QByteArray slow_queue_;
    QTimer slow_timer_;
    int reply_delay_ms_ = 0;
    QByteArray clcc_override_;
    int long_reply_bytes_ = 0;
    QTimer ring_timer_;
    bool cdma_in_call_ = false;      // cdma: from AT+CDV until the hang-up
    UssdNetwork ussd_;
    Phonebook phonebook_;
    QTimer ussd_timer_;              // the +CUSD line waits for it
    QByteArray ussd_pending_;
};
