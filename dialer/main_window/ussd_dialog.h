#pragma once
#include <QDialog>
#include <QTimer>
#include <memory>

#include "dialer/main_window/ussd_exchange.h"

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "USSD-запрос": the phone, the code (its last ten offered), "Отправить",
// the network's answer and what is going on. Shows UssdExchange's state;
// "Закрыть" (and closing the window) ends an open menu.
class UssdDialog : public QDialog {
    Q_OBJECT

public:
    explicit UssdDialog(QWidget* parent = nullptr);
    ~UssdDialog() override;

    QComboBox* phone_box() const { return phone_box_; }
    QComboBox* code_box() const { return code_box_; }
    QPushButton* send_button() const { return send_button_; }
    QPushButton* close_button() const { return close_button_; }
    QPlainTextEdit* answer_view() const { return answer_view_; }
    QLabel* status_label() const { return status_label_; }

    void done(int result) override;

private:
    void choose_phone();
    void send_code();
    void poll();
    void show_exchange();

    std::unique_ptr<main_window::UssdExchange> exchange_;
    QComboBox* phone_box_ = nullptr;
    QComboBox* code_box_ = nullptr;
    QPushButton* send_button_ = nullptr;
    QPushButton* close_button_ = nullptr;
    QPlainTextEdit* answer_view_ = nullptr;
    QLabel* status_label_ = nullptr;
    QTimer poll_timer_;
};
