#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace main_window {

// A phone that can take a USSD request now.
struct UssdPhone {
    int slot = 0;
    QString name;  // "Телефон 1 (model)"
};

// The connected GSM phones: slot 1, and slots 2 to 4 when enabled, whose
// controller has its port open.
QList<UssdPhone> ussd_phones();

// One phone's USSD conversation as the dialog shows it: requests written to
// the blackboard, the controller's answer read back at each poll, and the
// last ten codes of the phone kept in the store. Qt Core only.
class UssdExchange {
public:
    enum class Stage { Idle, Waiting, Menu, Answered, Failed };
    static constexpr int kRecentCodes = 10;

    explicit UssdExchange(int slot) : slot_(slot) {}

    int slot() const { return slot_; }
    // The codes asked on this phone, newest first.
    QStringList recent_codes() const;

    // Sends a code, or the user's answer while a menu is open. False (and
    // nothing written) when the text may not go to the phone or an answer
    // is still awaited; the status then says why.
    bool send(const QString& text);
    // Ends an open menu; nothing when none is open.
    void cancel();
    // Reads the controller's answer; true when what is shown changed.
    bool poll();

    Stage stage() const { return stage_; }
    bool menu_open() const { return stage_ == Stage::Menu; }
    QString answer() const { return answer_; }
    QString status_text() const { return status_; }

private:
    void remember(const QString& code);
    void show_state(const QString& state, const QString& reply);

    int slot_;
    Stage stage_ = Stage::Idle;
    QString answer_;
    QString status_;
};

}  // namespace main_window
