#pragma once
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <array>
#include <optional>

#include "blackboard/published_calls.h"
#include "dialer/main_window/call_buttons.h"
#include "platform/notifications.h"

namespace main_window {

// A call that rings on a phone: a new incoming call, or a second call
// waiting beside one in progress.
struct RingingCall {
    QString number;  // "" for a withheld caller
    bool waiting = false;

    bool operator==(const RingingCall&) const = default;
};

// One phone as a status pass sees it.
struct PhoneCallState {
    int slot = 0;  // 1 to 4
    QString model;
    std::optional<RingingCall> ringing;  // none once answered, declined or ended
};

// A phone's state from its blackboard texts: `knopki_zv` offers `prin2`
// while a call comes in and `prin1` while one waits; the number of that call
// is the number summary, field 0 of `zvonok`.
PhoneCallState phone_call_state(int slot, const QString& model, const blackboard::PublishedCalls& calls);

// A call that ended unanswered, as the call journal decides.
struct MissedCall {
    QString number;  // "" for a withheld caller
    int slot = 0;
    QString model;
    QDateTime time;  // when it started to ring
};

// Desktop notifications of calls. Fed with every phone at every status pass
// and with each missed call, it shows one notification per ringing call,
// replaces it in place when the call changes, and closes it at the first
// pass after the call stopped ringing. What the user chooses on a
// notification comes out as the signals below; the main window connects
// them to what its call buttons and "Позвонить" do.
//
// Only the ids of its own notifications count: the service reports actions
// of every program. Missed calls beyond the first three of a row (while
// those are still up) are summed up in one notification, "Пропущено
// звонков: N", replaced as more come: a flood of calls is no flood of
// notifications. Nothing is shown while the setting `uvedomleniya` is off;
// turning it off closes what rings.
class CallNotifier : public QObject {
    Q_OBJECT

public:
    explicit CallNotifier(platform::NotificationService& service, QObject* parent = nullptr);

    void phone_pass(const PhoneCallState& phone);
    void missed_call(const MissedCall& call);

    // Missed calls shown one by one before they are summed up.
    static constexpr int kMissedShownSingly = 3;

signals:
    // `button` is the frame's button the action stands for: prin2_k or
    // prin1_k (waiting call) to answer, otklon2_k or otklon1_k to decline.
    void answer(int slot, main_window::CallButton button);
    void decline(int slot, main_window::CallButton button);
    void call_back(const QString& number);
    // "Сообщение" on a missed call: a message to the caller.
    void write_message(const QString& number);
    void raise_main_window();

private:
    // The notification of one phone's ringing call.
    struct Ringing {
        std::optional<RingingCall> call;  // the call it was made for
        platform::Notification sent;      // what was last sent for it, replaces_id aside
        quint32 id = 0;                   // 0: not on screen
        bool settled = false;             // the user acted on it or dismissed it
    };

    void on_action(quint32 id, const QString& action_key);
    void on_closed(quint32 id);
    void close_ringing(Ringing& ringing);
    platform::Notification ringing_notification(const PhoneCallState& phone);
    platform::Notification missed_notification(const MissedCall& call);
    platform::Notification missed_summary(const MissedCall& last);
    platform::Notification base_notification(bool with_actions);

    platform::NotificationService& service_;
    std::array<Ringing, 4> ringing_;  // index = slot - 1
    QHash<quint32, QString> missed_;  // id -> number to call back
    int missed_in_row_ = 0;           // missed calls since none was up
    quint32 missed_summary_id_ = 0;   // 0: no sum on screen
};

}  // namespace main_window
