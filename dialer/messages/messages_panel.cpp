#include "dialer/messages/messages_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QVBoxLayout>

#include "contacts/shown_names.h"
#include "dialer/contacts/contact_dialog.h"
#include "dialer/messages/bubble_delegate.h"
#include "dialer/messages/message_labels.h"
#include "dialer/messages/message_sending.h"
#include "messages/parts.h"
#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/messages.h"

using namespace messages_window;

namespace {
constexpr int kListWidth = 240;
constexpr int kComposeHeight = 44;

qint64 now_ms() { return platform::clock().wall_clock_ms(); }
}  // namespace

MessagesPanel::MessagesPanel(platform::NotificationService& notifications,
                             std::function<void(const QString&)> call_number, QWidget* parent)
    : QWidget(parent), call_number_(std::move(call_number)), notifier_(notifications)
{
    build();
    connect_controls();
    refresh();
    connect(&refresh_timer_, &QTimer::timeout, this, &MessagesPanel::refresh_if_changed);
    refresh_timer_.start(refresh_period_ms);
}

MessagesPanel::~MessagesPanel()
{
    // The views let go of the models before the models go.
    list_->setModel(nullptr);
    thread_view_->setModel(nullptr);
}

void MessagesPanel::build()
{
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("messages_search"));
    search_->setPlaceholderText(tr("Поиск"));
    search_->setAccessibleName(tr("Поиск по сообщениям и номерам"));
    new_ = new QPushButton(tr("Новое сообщение"), this);
    new_->setObjectName(QStringLiteral("messages_new"));
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("messages_conversations"));
    list_->setAccessibleName(tr("Переписки"));
    list_->setModel(&list_model_);
    list_->setItemDelegate(new UnreadDelegate(list_));
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setWordWrap(true);
    list_->setAlternatingRowColors(true);

    auto* list_side = new QVBoxLayout;
    auto* list_tools = new QHBoxLayout;
    list_tools->addWidget(search_, 1);
    list_tools->addWidget(new_);
    list_side->addLayout(list_tools);
    list_side->addWidget(list_, 1);
    auto* left = new QWidget(this);
    left->setFixedWidth(kListWidth);
    left->setLayout(list_side);
    list_side->setContentsMargins(0, 0, 0, 0);
    list_side->setSpacing(3);

    auto* right = new QWidget(this);
    build_thread_side(right);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(6);
    layout->addWidget(left);
    layout->addWidget(right, 1);

    // The way a reader goes: find, choose, read, write, send.
    setTabOrder(search_, new_);
    setTabOrder(new_, list_);
    setTabOrder(list_, to_);
    setTabOrder(to_, resend_);
    setTabOrder(resend_, export_);
    setTabOrder(export_, thread_view_);
    setTabOrder(thread_view_, compose_);
    setTabOrder(compose_, via_);
    setTabOrder(via_, send_);
}

void MessagesPanel::build_thread_side(QWidget* side)
{
    to_ = new QLineEdit(side);
    to_->setObjectName(QStringLiteral("messages_to"));
    to_->setPlaceholderText(tr("Номер"));
    to_->setAccessibleName(tr("Номер получателя"));
    name_ = new QLabel(side);
    name_->setObjectName(QStringLiteral("messages_name"));
    resend_ = new QPushButton(tr("Отправить снова"), side);
    resend_->setObjectName(QStringLiteral("messages_resend"));
    resend_->setEnabled(false);
    export_ = new QPushButton(tr("Экспорт…"), side);
    export_->setObjectName(QStringLiteral("messages_export"));
    export_->setAccessibleName(tr("Экспорт переписки в текстовый файл"));

    thread_view_ = new QListView(side);
    thread_view_->setObjectName(QStringLiteral("messages_thread"));
    thread_view_->setAccessibleName(tr("Переписка"));
    thread_view_->setModel(&thread_model_);
    thread_view_->setItemDelegate(new BubbleDelegate(thread_view_));
    thread_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    thread_view_->setSelectionMode(QAbstractItemView::SingleSelection);
    thread_view_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    thread_view_->setResizeMode(QListView::Adjust);
    thread_view_->setContextMenuPolicy(Qt::CustomContextMenu);

    compose_ = new QPlainTextEdit(side);
    compose_->setObjectName(QStringLiteral("messages_compose"));
    compose_->setAccessibleName(tr("Текст сообщения"));
    compose_->setPlaceholderText(tr("Сообщение (Ctrl+Enter — отправить)"));
    compose_->setTabChangesFocus(true);
    compose_->setFixedHeight(kComposeHeight);
    compose_->installEventFilter(this);
    counter_ = new QLabel(side);
    counter_->setObjectName(QStringLiteral("messages_counter"));
    counter_->setAccessibleName(tr("Счётчик символов"));
    via_ = new QComboBox(side);
    via_->setObjectName(QStringLiteral("messages_via"));
    via_->setAccessibleName(tr("Отправить через"));
    via_->addItem(tr("Авто (по правилам)"), 0);
    auto* via_label = new QLabel(tr("Через:"), side);
    via_label->setBuddy(via_);
    send_ = new QPushButton(tr("Отправить"), side);
    send_->setObjectName(QStringLiteral("messages_send"));

    auto* head = new QHBoxLayout;
    head->addWidget(to_);
    head->addWidget(name_, 1);
    head->addWidget(resend_);
    head->addWidget(export_);
    auto* send_row = new QHBoxLayout;
    send_row->addWidget(counter_, 1);
    send_row->addWidget(via_label);
    send_row->addWidget(via_);
    send_row->addWidget(send_);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(3);
    layout->addLayout(head);
    layout->addWidget(thread_view_, 1);
    layout->addWidget(compose_);
    layout->addLayout(send_row);
    update_counter();
}

void MessagesPanel::connect_controls()
{
    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) { list_model_.set_search(text); });
    connect(new_, &QPushButton::clicked, this, [this] { new_message(); });
    connect(list_, &QListView::activated, this, &MessagesPanel::on_conversation_chosen);
    connect(list_, &QListView::clicked, this, &MessagesPanel::on_conversation_chosen);
    connect(to_, &QLineEdit::returnPressed, this, [this] {
        if (!to_->text().trimmed().isEmpty())
            open_conversation(to_->text().trimmed());
        compose_->setFocus();
    });
    connect(compose_, &QPlainTextEdit::textChanged, this, &MessagesPanel::update_counter);
    connect(via_, &QComboBox::currentIndexChanged, this, &MessagesPanel::update_note);
    connect(send_, &QPushButton::clicked, this, [this] { send(); });
    connect(resend_, &QPushButton::clicked, this, [this] { send_selected_again(); });
    connect(export_, &QPushButton::clicked, this, [this] { export_thread(); });
    connect(thread_view_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { update_resend(); });
    connect(thread_view_, &QWidget::customContextMenuRequested, this, &MessagesPanel::show_thread_menu);
    connect(&notifier_, &MessageNotifier::open_conversation, this, [this](const QString& number) {
        open_conversation(number);
        emit show_requested();
    });
}

bool MessagesPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Ctrl+Enter in the compose field sends; Enter alone starts a new line.
    if (watched == compose_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            send();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MessagesPanel::refresh_if_changed()
{
    const qint64 version = store_.data_version();
    if (version != seen_version_)
        refresh();
    update_phones();
    update_note();
}

void MessagesPanel::remove_expired(int days)
{
    if (store_.remove_older_than_days(days, now_ms()) > 0)
        refresh();
}

void MessagesPanel::refresh()
{
    seen_version_ = store_.data_version();
    // A message arriving in the conversation on screen is read at once.
    if (!thread_model_.number().isEmpty() && isVisible() && window()->isActiveWindow())
        store_.mark_read(thread_model_.number());
    list_model_.refresh(now_ms());
    notifier_.pass(list_model_.all(), store_);
    show_open_conversation();
    const int unread = store_.unread_total();
    if (unread >= 0 && unread != unread_total_) {
        unread_total_ = unread;
        emit unread_changed(unread);
    }
}

void MessagesPanel::on_conversation_chosen(const QModelIndex& index)
{
    if (index.isValid())
        open_conversation(list_model_.conversation(index.row()).number);
}

void MessagesPanel::open_conversation(const QString& number)
{
    to_->setText(number);
    thread_model_.open(number);
    store_.mark_read(number);
    refresh();
}

void MessagesPanel::new_message(const QString& number)
{
    if (!number.isEmpty()) {
        open_conversation(number);
        compose_->setFocus();
        return;
    }
    list_->clearSelection();
    to_->clear();
    thread_model_.open(QString());
    show_open_conversation();
    to_->setFocus();
}

void MessagesPanel::show_open_conversation()
{
    const QString number = thread_model_.number();
    // Any write to the journal reads the conversation again: the message
    // the user chose (to send it again) stays chosen.
    const qint64 chosen = thread_view_->currentIndex().data(ThreadModel::IdRole).toLongLong();
    thread_model_.refresh();
    const int chosen_row = chosen != 0 ? thread_model_.row_of_message(chosen) : -1;
    if (chosen_row >= 0)
        thread_view_->setCurrentIndex(thread_model_.index(chosen_row));
    thread_view_->scrollToBottom();
    const QString name = number.isEmpty() ? QString() : contacts::shown_name(number);
    name_->setText(name);
    const int row = number.isEmpty() ? -1 : list_model_.row_of(number);
    if (row >= 0)
        list_->setCurrentIndex(list_model_.index(row));
    update_resend();
}

bool MessagesPanel::send()
{
    const QString text = compose_->toPlainText();
    if (text.trimmed().isEmpty())
        return false;
    const QString number = sendable_number(to_->text());
    if (number.isEmpty()) {
        platform::show_message(tr("Не введён номер!"), platform::MessageIcon::None);
        to_->setFocus();
        return false;
    }
    const int slot = line_for_message(via_->currentData().toInt(), number);
    if (queue_message(store_, slot, number, text, now_ms()) == 0) {
        platform::show_message(tr("Не удалось сохранить сообщение: ") + store_.last_error());
        return false;
    }
    compose_->clear();
    if (messages::conversation_key(number) != messages::conversation_key(thread_model_.number()))
        thread_model_.open(number);
    to_->setText(thread_model_.number());
    refresh();
    return true;
}

bool MessagesPanel::send_selected_again()
{
    const QModelIndex current = thread_view_->currentIndex();
    if (!current.isValid() || !current.data(ThreadModel::FailedRole).toBool())
        return false;
    if (!send_again(store_, current.data(ThreadModel::IdRole).toLongLong(), now_ms()))
        return false;
    refresh();
    return true;
}

void MessagesPanel::update_resend()
{
    const QModelIndex current = thread_view_->currentIndex();
    resend_->setEnabled(current.isValid() && current.data(ThreadModel::FailedRole).toBool());
}

void MessagesPanel::update_counter()
{
    const QString counted = counter_label(messages::count_parts(compose_->toPlainText()));
    counter_->setText(note_.isEmpty() ? counted : counted + QStringLiteral(" — ") + note_);
    // Its name says what it is; a screen reader reads what it counts here.
    counter_->setAccessibleDescription(counter_->text());
}

void MessagesPanel::update_note()
{
    const QString number = sendable_number(thread_model_.number());
    const QString note =
        number.isEmpty() ? QString() : sending_note(line_for_message(via_->currentData().toInt(), number));
    if (note == note_)
        return;
    note_ = note;
    update_counter();
}

void MessagesPanel::update_phones()
{
    // The choice stays while its phone can send; a phone gone falls back to
    // the rules.
    const QList<SendingPhone> phones = sending_phones();
    QList<SendingPhone> listed;
    for (int i = 1; i < via_->count(); ++i)
        listed.append(SendingPhone{via_->itemData(i).toInt(), via_->itemText(i)});
    if (phones == listed || via_->view()->isVisible())
        return;
    const int chosen = via_->currentData().toInt();
    while (via_->count() > 1)
        via_->removeItem(1);
    for (const SendingPhone& phone : phones)
        via_->addItem(phone.name, phone.slot);
    via_->setCurrentIndex(qMax(0, via_->findData(chosen)));
}

bool MessagesPanel::export_thread()
{
    const QString number = thread_model_.number();
    if (number.isEmpty())
        return false;
    const QString suggested = tr("переписка-%1.txt").arg(sendable_number(number).isEmpty() ? number : sendable_number(number));
    const QString path =
        platform::file_chooser().save_path(tr("Экспорт переписки"), suggested, tr("Текст (*.txt)"));
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    const QByteArray text = export_text(number, thread_model_.whole_thread()).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        platform::show_message(tr("Не удалось записать файл: ") + path + QStringLiteral("\r\n\r\n") + file.errorString());
        return false;
    }
    return true;
}

void MessagesPanel::remove_message(int row)
{
    if (row < 0 || row >= thread_model_.rowCount() || thread_model_.item(row).is_call)
        return;
    store_.remove(thread_model_.item(row).message.id);
    refresh();
}

bool MessagesPanel::remove_conversation()
{
    const QString number = thread_model_.number();
    const int count = int(store_.conversation(number).size());
    if (number.isEmpty() || count == 0)
        return false;
    if (!platform::ask_to_confirm(
            tr("Удалить переписку с %1? Будет удалено сообщений: %n.", nullptr, count).arg(contacts::with_name(number)),
            tr("Удалить")))
        return false;
    if (store_.remove_conversation(number) < 0)
        return false;
    new_message();
    refresh();
    return true;
}

void MessagesPanel::add_contact(const QString& number)
{
    contacts::Contact contact;
    contact.numbers << contacts::ContactNumber{number, {QStringLiteral("cell")}};
    ContactDialog(contact, this).exec();
}

void MessagesPanel::show_thread_menu(const QPoint& position)
{
    const QModelIndex index = thread_view_->indexAt(position);
    const QString number = thread_model_.number();
    if (number.isEmpty())
        return;
    QMenu menu(this);
    if (index.isValid() && !thread_model_.item(index.row()).is_call) {
        thread_view_->setCurrentIndex(index);
        const int row = index.row();
        const QString text = thread_model_.item(row).message.text;
        menu.addAction(tr("Копировать текст"), this, [text] { QApplication::clipboard()->setText(text); });
        if (index.data(ThreadModel::FailedRole).toBool())
            menu.addAction(tr("Отправить снова"), this, [this] { send_selected_again(); });
        menu.addAction(tr("Удалить сообщение"), this, [this, row] { remove_message(row); });
    }
    menu.addAction(tr("Удалить переписку…"), this, [this] { remove_conversation(); });
    if (!sendable_number(number).isEmpty())
        menu.addAction(tr("Позвонить по этому номеру"), this, [this, number] { call_number_(number); });
    if (contacts::shown_name(number).isEmpty())
        menu.addAction(tr("Добавить в контакты…"), this, [this, number] { add_contact(number); });
    menu.exec(thread_view_->viewport()->mapToGlobal(position));
}
