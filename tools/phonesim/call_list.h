#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

// The phone's current calls with the semantics of the GSM call-control
// commands (3GPP TS 27.007 +CLCC states). Plain data, no timers: the
// phone schedules the far end's reactions and calls in here.
struct Call {
    enum State { Active = 0, Held = 1, Dialing = 2, Alerting = 3, Incoming = 4, Waiting = 5 };
    int id = 0;           // +CLCC index, the lowest free one from 1
    int dir = 0;          // 0 mobile originated, 1 mobile terminated
    int stat = Dialing;
    bool mpty = false;    // part of a multiparty call
    QString number;       // "" when the caller withheld it
    quint64 serial = 0;   // never reused, so late timers find only their call
};

class CallList {
public:
    static constexpr int max_calls = 7;

    const QList<Call>& calls() const { return calls_; }
    const Call* find_serial(quint64 serial) const;

    // Each returns false (the phone answers ERROR) when the command does
    // not apply to the present calls.
    bool dial(const QString& number, quint64* serial);                        // ATD
    bool ring(const QString& number, bool force_waiting, quint64* serial);    // network
    bool answer();                       // ATA
    void hang_up();                      // AT+CHUP
    void release_held_or_waiting();      // AT+CHLD=0
    bool release_active_accept_other();  // AT+CHLD=1
    bool release_id(int id);             // AT+CHLD=1x
    bool swap();                         // AT+CHLD=2
    bool split(int id);                  // AT+CHLD=2x
    bool join();                         // AT+CHLD=3

    // The far end.
    bool set_state(quint64 serial, int stat);
    bool outgoing_answered();
    bool outgoing_busy();
    bool release_serial(quint64 serial);
    int release_number(const QString& number);
    void clear() { calls_.clear(); }

    QStringList clcc_fields() const;     // "1,0,0,0,0,\"050...\",129" each
    static QString fields(const Call& call);

private:
    int count(int stat) const;
    Call* first(int stat);
    void set_all(int from, int to);
    void remove_if(const std::function<bool(const Call&)>& which);
    void add(Call call, quint64* serial);
    void settle();

    QList<Call> calls_;
    quint64 next_serial_ = 1;
};
