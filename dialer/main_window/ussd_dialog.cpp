#include "dialer/main_window/ussd_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kPollPeriodMs = 100;
}

UssdDialog::UssdDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("USSD-запрос"));
    phone_box_ = new QComboBox(this);
    phone_box_->setAccessibleName(tr("Телефон"));
    code_box_ = new QComboBox(this);
    code_box_->setEditable(true);
    code_box_->setInsertPolicy(QComboBox::NoInsert);
    code_box_->setAccessibleName(tr("USSD-код"));
    code_box_->lineEdit()->setPlaceholderText(QStringLiteral("*100#"));
    send_button_ = new QPushButton(tr("&Отправить"), this);
    send_button_->setDefault(true);
    answer_view_ = new QPlainTextEdit(this);
    answer_view_->setReadOnly(true);
    answer_view_->setAccessibleName(tr("Ответ сети"));
    answer_view_->setMinimumSize(320, 120);
    status_label_ = new QLabel(this);
    status_label_->setAccessibleName(tr("Состояние запроса"));
    status_label_->setWordWrap(true);
    close_button_ = new QPushButton(tr("&Закрыть"), this);
    close_button_->setAutoDefault(false);

    auto* form = new QFormLayout;
    auto* phone_label = new QLabel(tr("&Телефон:"), this);
    phone_label->setBuddy(phone_box_);
    form->addRow(phone_label, phone_box_);
    auto* code_row = new QHBoxLayout;
    code_row->addWidget(code_box_, 1);
    code_row->addWidget(send_button_);
    auto* code_label = new QLabel(tr("&Код:"), this);
    code_label->setBuddy(code_box_);
    form->addRow(code_label, code_row);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close_button_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(answer_view_, 1);
    layout->addWidget(status_label_);
    layout->addLayout(buttons);

    for (const main_window::UssdPhone& phone : main_window::ussd_phones())
        phone_box_->addItem(phone.name, phone.slot);
    connect(phone_box_, &QComboBox::currentIndexChanged, this, [this] { choose_phone(); });
    connect(send_button_, &QPushButton::clicked, this, [this] { send_code(); });
    connect(close_button_, &QPushButton::clicked, this, &QDialog::reject);
    connect(&poll_timer_, &QTimer::timeout, this, [this] { poll(); });
    poll_timer_.start(kPollPeriodMs);
    choose_phone();
    code_box_->setFocus();
}

UssdDialog::~UssdDialog() = default;

void UssdDialog::done(int result)
{
    if (exchange_)
        exchange_->cancel();
    poll_timer_.stop();
    QDialog::done(result);
}

void UssdDialog::choose_phone()
{
    if (exchange_)
        exchange_->cancel();
    exchange_.reset();
    code_box_->clear();
    if (phone_box_->currentIndex() >= 0) {
        exchange_ = std::make_unique<main_window::UssdExchange>(phone_box_->currentData().toInt());
        code_box_->addItems(exchange_->recent_codes());
    }
    code_box_->setCurrentIndex(code_box_->count() > 0 ? 0 : -1);
    show_exchange();
}

void UssdDialog::send_code()
{
    if (!exchange_)
        return;
    const QString text = code_box_->currentText().trimmed();
    const bool answering_menu = exchange_->menu_open();
    if (exchange_->send(text) && !answering_menu) {
        code_box_->clear();
        code_box_->addItems(exchange_->recent_codes());
        code_box_->setCurrentIndex(0);
    }
    show_exchange();
}

void UssdDialog::poll()
{
    if (exchange_ && exchange_->poll()) {
        show_exchange();
        if (exchange_->menu_open()) {
            // The user's answer goes into the code field.
            code_box_->setCurrentIndex(-1);
            code_box_->clearEditText();
            code_box_->setFocus();
        }
    }
}

void UssdDialog::show_exchange()
{
    using Stage = main_window::UssdExchange::Stage;
    if (!exchange_) {
        status_label_->setText(tr("Нет подключённых GSM-телефонов"));
        send_button_->setEnabled(false);
        code_box_->setEnabled(false);
        return;
    }
    const bool waiting = exchange_->stage() == Stage::Waiting;
    send_button_->setEnabled(!waiting);
    phone_box_->setEnabled(!waiting && !exchange_->menu_open());
    code_box_->setEnabled(true);
    code_box_->lineEdit()->setPlaceholderText(exchange_->menu_open() ? tr("Ответ на меню")
                                                                       : QStringLiteral("*100#"));
    answer_view_->setPlainText(exchange_->answer());
    status_label_->setText(exchange_->status_text());
}
