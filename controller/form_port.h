#pragma once
#include <QDialog>
#include <QWidget>
#include <array>

#include "controller/controller_view.h"
#include "controller/manual_dial.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;
class QGridLayout;
class QHBoxLayout;
class QCloseEvent;

namespace kestrum {

class Controller;
class DialWindow;
class SearchMod;

// The controller's main window, "Телефонный Kestrum": shows what the
// engines left in the controller's view and turns its buttons into the
// controller's flags, which the next engine tick carries out; it also
// opens the dial window and the phone search. Closing it ends the
// controller in order.
class FormPort : public QWidget {
    Q_OBJECT

public:
    explicit FormPort(Controller& controller, QWidget* parent = nullptr);

    // Copies the view into the widgets, touching only what changed.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* add_label(QGridLayout* layout, int row, int column, const QString& text = QString());
    QPushButton* add_button(QGridLayout* layout, int row, int column, const QString& caption, const QString& name);
    QPushButton* add_button(QHBoxLayout* layout, const QString& caption, const QString& name);
    // "Набрать номер" and "Добавить в конференцию".
    void open_dial_window();
    // "Поиск телефонов".
    void open_search();

    Controller& controller_;
    ManualDial dial_;
    DialWindow* dial_window_ = nullptr;
    SearchMod* search_window_ = nullptr;
    QTimer* refresh_timer_;
    ControllerView shown_;
    bool shown_once_ = false;

    QPushButton* connect_button_;
    QPushButton* disconnect_button_;
    QPushButton* search_button_;
    QLabel* slot_label_;
    QLabel* model_label_;
    QLabel* port_state_label_;
    QLabel* status_label_;
    QLabel* port_note_label_;
    QLabel* indicator_;
    QLabel* wired_reply_label_;
    QPushButton* take_line_button_;
    QPushButton* wired_hang_up_button_;
    QPushButton* hang_up_button_;
    QPushButton* dial_button_;
    QPushButton* accept_waiting_button_;
    QPushButton* reject_waiting_button_;
    QPushButton* accept_incoming_button_;
    QPushButton* reject_incoming_button_;
    QPushButton* conference_button_;
    QPushButton* conference_hold_button_;
    QPushButton* join_button_;
    QPushButton* add_party_button_;
    QLabel* dialled_number_label_;
    QLabel* progress_label_;
    QLabel* outgoing_number_label_;
    QLabel* outgoing_state_label_;
    QLabel* incoming_number_label_;
    QLabel* incoming_mark_label_;
    QLabel* waiting_number_label_;
    QLabel* second_line_label_;
    QLabel* call_mark_label_;
    QLabel* numbers_summary_label_;
    QLabel* states_summary_label_;
    std::array<QLabel*, 6> row_state_labels_{};
    std::array<QLabel*, 6> row_number_labels_{};
    QListWidget* answered_list_;
    QListWidget* missed_list_;
};

// "О программе": what the controller is for, shown when it is started by
// hand outside its development folder.
class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent = nullptr);
};

}  // namespace kestrum
