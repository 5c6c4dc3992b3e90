#include "controller/form_port.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "blackboard/stored_texts.h"
#include "controller/controller.h"
#include "controller/dial_window.h"
#include "controller/search_mod.h"
#include "platform/enter_presses.h"

namespace kestrum {

namespace {
// The view holds the controller's texts as it writes them to the store;
// the window shows them in its own language.
void show_text(QLabel* label, const QString& now, const QString& before, bool first)
{
    if (first || now != before)
        label->setText(blackboard::shown_text(now));
}

void show_visible(QWidget* widget, bool now, bool before, bool first)
{
    if (first || now != before)
        widget->setVisible(now);
}

void show_list(QListWidget* list, const QStringList& now, const QStringList& before, bool first)
{
    if (!first && now == before)
        return;
    list->clear();
    list->addItems(now);
}

// A hidden control keeps its room, and an empty label the height of a
// line: the buttons stay where the pointer aims while others come and go,
// and the call frames keep their rows.
void keep_room(QWidget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

QString indicator_style(ControllerView::Indicator indicator)
{
    return indicator == ControllerView::Indicator::Green ? QStringLiteral("background: #2a2; border-radius: 6px;")
                                                         : QStringLiteral("background: #c22; border-radius: 6px;");
}
}  // namespace

QLabel* FormPort::add_label(QGridLayout* layout, int row, int column, const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setMinimumHeight(label->fontMetrics().height());
    keep_room(label);
    layout->addWidget(label, row, column);
    return label;
}

QPushButton* FormPort::add_button(QGridLayout* layout, int row, int column, const QString& caption,
                                  const QString& name)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    platform::press_on_enter(button);
    keep_room(button);
    layout->addWidget(button, row, column);
    return button;
}

QPushButton* FormPort::add_button(QHBoxLayout* layout, const QString& caption, const QString& name)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    platform::press_on_enter(button);
    keep_room(button);
    layout->addWidget(button);
    return button;
}

FormPort::FormPort(Controller& controller, QWidget* parent)
    : QWidget(parent), controller_(controller), dial_(controller), refresh_timer_(new QTimer(this))
{
    setWindowTitle(tr("Телефонный Kestrum"));
    auto* columns = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    columns->addLayout(left, 3);

    auto* commands = new QHBoxLayout;
    left->addLayout(commands);
    connect_button_ = add_button(commands, tr("Подклчюить"), QStringLiteral("podkl"));
    disconnect_button_ = add_button(commands, tr("Отключить"), QStringLiteral("otkluch"));
    search_button_ = add_button(commands, tr("Поиск телефонов"), QStringLiteral("poisk"));
    dial_button_ = add_button(commands, tr("Набрать номер"), QStringLiteral("nabrat"));
    commands->addStretch();

    auto* top = new QGridLayout;
    left->addLayout(top);
    slot_label_ = add_label(top, 0, 0);
    model_label_ = add_label(top, 0, 1);
    port_state_label_ = add_label(top, 0, 2);
    status_label_ = add_label(top, 1, 0);
    indicator_ = add_label(top, 1, 1);
    indicator_->setFixedSize(12, 12);
    wired_reply_label_ = add_label(top, 1, 2);
    // Who holds the port and what to do: a command to copy, at times.
    port_note_label_ = new QLabel(this);
    port_note_label_->setObjectName(QStringLiteral("port_zanyat"));
    port_note_label_->setTextFormat(Qt::PlainText);
    port_note_label_->setWordWrap(true);
    port_note_label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    port_note_label_->hide();
    top->addWidget(port_note_label_, 2, 0, 1, 3);

    auto* call_frame = new QGroupBox(tr("Входящий / исходящий"), this);
    auto* calls = new QGridLayout(call_frame);
    left->addWidget(call_frame);
    take_line_button_ = add_button(calls, 0, 0, tr("Снять трубку"), QStringLiteral("sn_tr"));
    wired_hang_up_button_ = add_button(calls, 0, 1, tr("Положить трубку"), QStringLiteral("pol_tr1"));
    hang_up_button_ = add_button(calls, 0, 2, tr("Положить трубку"), QStringLiteral("pol_tr2"));
    dialled_number_label_ = add_label(calls, 1, 0);
    progress_label_ = add_label(calls, 1, 1);
    call_mark_label_ = add_label(calls, 1, 2, QStringLiteral("☎"));
    outgoing_number_label_ = add_label(calls, 2, 0);
    outgoing_state_label_ = add_label(calls, 2, 1);
    waiting_number_label_ = add_label(calls, 3, 0);
    second_line_label_ = add_label(calls, 3, 1);
    accept_waiting_button_ = add_button(calls, 3, 2, tr("Принять"), QStringLiteral("prin1"));
    reject_waiting_button_ = add_button(calls, 3, 3, tr("Отклонить"), QStringLiteral("otklon1"));
    incoming_number_label_ = add_label(calls, 4, 0);
    incoming_mark_label_ = add_label(calls, 4, 1);
    accept_incoming_button_ = add_button(calls, 4, 2, tr("Принять"), QStringLiteral("prin2"));
    reject_incoming_button_ = add_button(calls, 4, 3, tr("Отклонить"), QStringLiteral("otklon2"));
    row_state_labels_[0] = add_label(calls, 5, 0);
    row_number_labels_[0] = add_label(calls, 5, 1);

    auto* conference_frame = new QGroupBox(tr("Конференция / ожидание"), this);
    auto* conference = new QGridLayout(conference_frame);
    left->addWidget(conference_frame);
    conference_hold_button_ = add_button(conference, 0, 0, tr("Конф - ожидание"), QStringLiteral("kf_oj"));
    conference_button_ = add_button(conference, 0, 1, tr("Конференция"), QStringLiteral("kf"));
    join_button_ = add_button(conference, 1, 0, tr("Объеденить вызовы для конференции"), QStringLiteral("kf1"));
    add_party_button_ = add_button(conference, 1, 1, tr("Добавить в конференцию"), QStringLiteral("kf_dob"));
    for (int row = 1; row < 6; ++row) {
        row_state_labels_[row] = add_label(conference, row + 1, 0);
        row_number_labels_[row] = add_label(conference, row + 1, 1);
    }

    auto* bottom = new QGridLayout;
    left->addLayout(bottom);
    numbers_summary_label_ = add_label(bottom, 0, 0);
    states_summary_label_ = add_label(bottom, 0, 1);

    auto* right = new QVBoxLayout;
    columns->addLayout(right, 1);
    right->addWidget(new QLabel(tr("Отвеченные"), this));
    answered_list_ = new QListWidget(this);
    right->addWidget(answered_list_);
    right->addWidget(new QLabel(tr("Неотвеченные"), this));
    missed_list_ = new QListWidget(this);
    right->addWidget(missed_list_);

    connect(connect_button_, &QPushButton::clicked, this, [this] { controller_.press_connect(); });
    connect(disconnect_button_, &QPushButton::clicked, this, [this] { controller_.press_disconnect(); });
    using Command = Controller::Command;
    const std::pair<QPushButton*, Command> call_buttons[] = {
        {take_line_button_, Command::TakeLine},     {wired_hang_up_button_, Command::ReleaseLine},
        {hang_up_button_, Command::HangUp},         {accept_waiting_button_, Command::Answer},
        {reject_waiting_button_, Command::RejectWaiting}, {accept_incoming_button_, Command::Answer},
        {reject_incoming_button_, Command::HangUp}, {conference_hold_button_, Command::Swap},
        {conference_button_, Command::Swap},        {join_button_, Command::Join},
    };
    for (const auto& [button, command] : call_buttons)
        connect(button, &QPushButton::clicked, this, [this, command = command] { controller_.press(command); });
    connect(dial_button_, &QPushButton::clicked, this, &FormPort::open_dial_window);
    connect(add_party_button_, &QPushButton::clicked, this, &FormPort::open_dial_window);
    connect(search_button_, &QPushButton::clicked, this, &FormPort::open_search);

    refresh();
    connect(refresh_timer_, &QTimer::timeout, this, &FormPort::refresh);
    refresh_timer_->start(100);
}

void FormPort::refresh()
{
    const ControllerView& now = controller_.view();
    const bool first = !shown_once_;
    show_text(slot_label_, now.slot, shown_.slot, first);
    show_text(model_label_, now.model, shown_.model, first);
    show_text(port_state_label_, now.port_state, shown_.port_state, first);
    show_text(status_label_, now.status_text, shown_.status_text, first);
    if (first || now.port_note != shown_.port_note) {
        port_note_label_->setText(blackboard::shown_text(now.port_note));
        port_note_label_->setVisible(!now.port_note.isEmpty());
    }
    if (first || now.indicator != shown_.indicator) {
        indicator_->setVisible(now.indicator != ControllerView::Indicator::Hidden);
        indicator_->setStyleSheet(indicator_style(now.indicator));
    }
    show_text(wired_reply_label_, now.wired_reply, shown_.wired_reply, first);

    show_visible(connect_button_, now.connect_shown, shown_.connect_shown, first);
    show_visible(take_line_button_, now.take_line_shown, shown_.take_line_shown, first);
    show_visible(wired_hang_up_button_, now.wired_hang_up_shown, shown_.wired_hang_up_shown, first);
    show_visible(hang_up_button_, now.hang_up_shown, shown_.hang_up_shown, first);
    show_visible(dial_button_, now.dial_shown, shown_.dial_shown, first);
    show_visible(accept_waiting_button_, now.accept_waiting_shown, shown_.accept_waiting_shown, first);
    show_visible(reject_waiting_button_, now.reject_waiting_shown, shown_.reject_waiting_shown, first);
    show_visible(accept_incoming_button_, now.accept_incoming_shown, shown_.accept_incoming_shown, first);
    show_visible(reject_incoming_button_, now.reject_incoming_shown, shown_.reject_incoming_shown, first);
    show_visible(conference_button_, now.conference_shown, shown_.conference_shown, first);
    show_visible(conference_hold_button_, now.conference_hold_shown, shown_.conference_hold_shown, first);
    show_visible(join_button_, now.join_shown, shown_.join_shown, first);
    show_visible(add_party_button_, now.add_party_shown, shown_.add_party_shown, first);
    if (first || now.default_button != shown_.default_button) {
        using Default = ControllerView::DefaultButton;
        join_button_->setDefault(now.default_button == Default::Join);
        accept_waiting_button_->setDefault(now.default_button == Default::AcceptWaiting);
        accept_incoming_button_->setDefault(now.default_button == Default::AcceptIncoming);
        add_party_button_->setDefault(now.default_button == Default::AddParty);
    }

    show_text(dialled_number_label_, now.dialled_number, shown_.dialled_number, first);
    show_text(progress_label_, now.progress, shown_.progress, first);
    show_text(outgoing_number_label_, now.outgoing_number, shown_.outgoing_number, first);
    show_text(outgoing_state_label_, now.outgoing_state, shown_.outgoing_state, first);
    show_text(incoming_number_label_, now.incoming_number, shown_.incoming_number, first);
    show_text(incoming_mark_label_, now.incoming_mark, shown_.incoming_mark, first);
    show_text(waiting_number_label_, now.waiting_number, shown_.waiting_number, first);
    show_text(second_line_label_, now.second_line_mark, shown_.second_line_mark, first);
    show_visible(call_mark_label_, now.call_mark_shown, shown_.call_mark_shown, first);
    show_text(numbers_summary_label_, now.numbers_summary, shown_.numbers_summary, first);
    show_text(states_summary_label_, now.states_summary, shown_.states_summary, first);
    for (int row = 0; row < 6; ++row) {
        show_text(row_state_labels_[row], now.row_state[row], shown_.row_state[row], first);
        show_text(row_number_labels_[row], now.row_number[row], shown_.row_number[row], first);
    }
    show_list(answered_list_, now.answered, shown_.answered, first);
    show_list(missed_list_, now.missed, shown_.missed, first);
    shown_ = now;
    shown_once_ = true;
}

void FormPort::open_dial_window()
{
    if (!dial_window_)
        dial_window_ = new DialWindow(dial_, this);
    // No engine tick runs while the user types.
    dial_.begin();
    dial_window_->exec();
}

void FormPort::open_search()
{
    if (!search_window_)
        search_window_ = new SearchMod(controller_, this);
    if (search_window_->search().running()) {
        // Closed during its search, which goes on below this handler: shown
        // again, it goes on showing the search; the dialog's own loop,
        // further down, keeps it modal.
        search_window_->show();
        return;
    }
    // "Закрыть" during the search ended the loop early; opened again
    // meanwhile, it stays modal until closed.
    do
        search_window_->exec();
    while (search_window_->isVisible());
}

void FormPort::closeEvent(QCloseEvent* event)
{
    event->accept();
    controller_.Exit_pr();
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("О программе"));
    auto* layout = new QVBoxLayout(this);
    auto* purpose = new QLabel(
        tr("Данная подпрограмма \"Kestrum\" предназначена для совместной работы с программой \"Vekorra\""), this);
    purpose->setWordWrap(true);
    layout->addWidget(purpose);
    layout->addWidget(new QLabel(tr("© Vekorra. Все права защищены."), this));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    layout->addWidget(ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace kestrum
