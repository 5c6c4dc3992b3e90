#pragma once
#include <QString>
#include <QStringList>
#include <array>

namespace kestrum {

// What the controller's engines show. The window only displays it; the
// engines never touch a widget.
struct ControllerView {
    enum class Indicator { Hidden, Green, Red };
    // The button that Enter presses; the last one the call engine set wins.
    enum class DefaultButton { None, Join, AcceptWaiting, AcceptIncoming, AddParty };

    QString slot;
    QString model;
    QString port_state;   // "True" / "False"
    QString status_text;  // "", "Потеряна связь", "Потеряна связь (>1)", ...
    // Which program holds the port, and what to do about it, while another
    // program keeps the port from opening; "" otherwise.
    QString port_note;
    Indicator indicator = Indicator::Hidden;
    QString wired_reply;

    bool connect_shown = true;          // "Подклчюить"
    bool take_line_shown = false;       // "Снять трубку" (wired modem)
    bool wired_hang_up_shown = false;   // first "Положить трубку" (wired modem)
    bool hang_up_shown = false;         // second "Положить трубку" (call area)
    bool dial_shown = true;             // "Набрать номер"
    bool accept_waiting_shown = false;  // "Принять" of the waiting call
    bool reject_waiting_shown = false;  // "Отклонить" of the waiting call
    bool accept_incoming_shown = false; // "Принять" of the incoming call
    bool reject_incoming_shown = false; // "Отклонить" of the incoming call
    bool conference_shown = false;      // "Конференция"
    bool conference_hold_shown = false; // "Конф - ожидание"
    bool join_shown = false;            // "Объеденить вызовы для конференции"
    bool add_party_shown = false;       // "Добавить в конференцию"
    DefaultButton default_button = DefaultButton::None;

    QString dialled_number;
    QString progress;         // "Подключение..."
    QString outgoing_number;
    QString outgoing_state;
    QString incoming_number;
    QString incoming_mark;    // "Вх.вызов"
    QString waiting_number;
    QString second_line_mark; // "2я линия"
    bool call_mark_shown = false;
    QString numbers_summary;  // zvonok field 0
    QString states_summary;   // status field 0
    std::array<QString, 6> row_state;
    std::array<QString, 6> row_number;

    QStringList answered;  // "Отвеченные", newest last
    QStringList missed;    // "Неотвеченные", newest last
};

}  // namespace kestrum
