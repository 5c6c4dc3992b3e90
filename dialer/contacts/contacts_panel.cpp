#include "dialer/contacts/contacts_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "blackboard/slot.h"
#include "contacts/contact_files.h"
#include "contacts/vcard_writer.h"
#include "dialer/contacts/contact_dialog.h"
#include "platform/file_chooser.h"
#include "platform/messages.h"

using contacts_window::ContactTableModel;

namespace {
// Reasons of skipped cards told after an import; the rest are counted.
constexpr int kReasonsTold = 10;
}  // namespace

ContactsPanel::ContactsPanel(contacts::ContactBook& book, std::function<void(const QString&)> call_number,
                             QWidget* parent)
    : QWidget(parent), book_(book), call_number_(std::move(call_number)), model_(book.index())
{
    build();
    // Rows point into the index: listed afresh the moment it is replaced.
    connect(&book_, &contacts::ContactBook::changed, this, [this] {
        model_.refresh();
        list_again();
    });
    connect(&work_, &QFutureWatcherBase::finished, this, [this] {
        import_->setEnabled(true);
        export_->setEnabled(true);
        const Report report = work_.result();
        book_.reload_in_background();
        platform::show_message(report.text,
                               report.failed ? platform::MessageIcon::Error : platform::MessageIcon::None);
        emit work_done(report.text);
    });
}

QPushButton* ContactsPanel::button(const QString& text, const QString& name, const QString& accessible)
{
    auto* made = new QPushButton(text, this);
    made->setObjectName(name);
    made->setAccessibleName(accessible);
    return made;
}

void ContactsPanel::build()
{
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("contacts_search"));
    search_->setPlaceholderText(tr("Поиск по имени или номеру"));
    search_->setAccessibleName(tr("Поиск контактов"));
    auto* create = button(tr("Новый контакт…"), QStringLiteral("contacts_new"), tr("Новый контакт"));
    import_ = button(tr("Импорт контактов…"), QStringLiteral("contacts_import"), tr("Импорт контактов из файла vCard"));
    export_ = button(tr("Экспорт…"), QStringLiteral("contacts_export"), tr("Экспорт контактов в файл vCard"));
    auto* read_phones = button(tr("Прочитать телефоны"), QStringLiteral("contacts_read_phones"),
                               tr("Прочитать заново телефонные книги подключённых телефонов"));
    call_ = button(tr("Позвонить"), QStringLiteral("contacts_call"), tr("Позвонить контакту"));
    message_ = button(tr("Сообщение"), QStringLiteral("contacts_message"), tr("Написать сообщение контакту"));
    edit_ = button(tr("Изменить…"), QStringLiteral("contacts_edit"), tr("Изменить контакт"));
    remove_ = button(tr("Удалить"), QStringLiteral("contacts_remove"), tr("Удалить контакт"));

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("contacts_table"));
    table_->setAccessibleName(tr("Контакты"));
    table_->setModel(&model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(18);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setColumnWidth(ContactTableModel::Name, 200);
    table_->setColumnWidth(ContactTableModel::Numbers, 300);
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->installEventFilter(this);
    nothing_found_ = new QLabel(tr("Ничего не найдено"), this);
    nothing_found_->setObjectName(QStringLiteral("contacts_nothing_found"));
    nothing_found_->hide();

    auto* tools = new QHBoxLayout;
    tools->addWidget(search_, 1);
    tools->addWidget(create);
    tools->addWidget(import_);
    tools->addWidget(export_);
    tools->addWidget(read_phones);
    auto* actions = new QHBoxLayout;
    for (QPushButton* action : {call_, message_, edit_, remove_})
        actions->addWidget(action);
    actions->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(tools);
    layout->addWidget(nothing_found_);
    layout->addWidget(table_, 1);
    layout->addLayout(actions);

    connect(search_, &QLineEdit::textChanged, this, [this](const QString& text) {
        model_.set_search(text);
        list_again();
    });
    connect(create, &QPushButton::clicked, this, [this] { new_contact(); });
    connect(import_, &QPushButton::clicked, this, [this] { import_chosen(); });
    connect(export_, &QPushButton::clicked, this, [this] { export_shown(); });
    connect(read_phones, &QPushButton::clicked, this, [this] { read_phonebooks_again(); });
    connect(call_, &QPushButton::clicked, this, [this] { call_selected(); });
    connect(message_, &QPushButton::clicked, this, &ContactsPanel::message_selected);
    connect(edit_, &QPushButton::clicked, this, [this] { edit_selected(); });
    connect(remove_, &QPushButton::clicked, this, [this] { remove_selected(); });
    // A double click or Enter calls the preferred number at once.
    connect(table_, &QTableView::doubleClicked, this, [this] { call_selected(false); });
    connect(table_, &QWidget::customContextMenuRequested, this, &ContactsPanel::show_menu);
    connect(table_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (const contacts::Contact* contact = model_.contact(current.row()))
            chosen_uid_ = contact->uid;
        update_actions();
    });
    update_actions();
}

void ContactsPanel::list_again()
{
    // The contact that was chosen stays chosen when it is still listed.
    const int row = model_.row_of(chosen_uid_);
    if (row >= 0)
        table_->setCurrentIndex(model_.index(row, 0));
    nothing_found_->setVisible(!model_.search().isEmpty() && model_.rowCount() == 0);
    update_actions();
}

const contacts::Contact* ContactsPanel::selected() const
{
    const QModelIndex current = table_->currentIndex();
    return current.isValid() ? model_.contact(current.row()) : nullptr;
}

void ContactsPanel::update_actions()
{
    const contacts::Contact* contact = selected();
    const bool has_number = contact && !contact->numbers.isEmpty();
    call_->setEnabled(has_number);
    message_->setEnabled(has_number);
    edit_->setEnabled(contact && contact->editable());
    remove_->setEnabled(contact && contact->editable());
}

bool ContactsPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a contact calls it, as a double click does.
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && selected()) {
            call_selected(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QString ContactsPanel::choose_number(const contacts::Contact& contact, const QPoint& where)
{
    if (contact.numbers.size() < 2)
        return contacts::preferred_number(contact);
    QMenu menu(this);
    for (const contacts::ContactNumber& number : contact.numbers) {
        const QString label = contacts::label_text(number.types);
        menu.addAction(label.isEmpty() ? number.number : number.number + QStringLiteral(" (") + label + ')')
            ->setData(number.number);
    }
    const QAction* chosen = menu.exec(where);
    return chosen ? chosen->data().toString() : QString();
}

void ContactsPanel::call_selected(bool offer_choice)
{
    const contacts::Contact* contact = selected();
    if (!contact)
        return;
    const QString number = offer_choice ? choose_number(*contact, call_->mapToGlobal(QPoint(0, call_->height())))
                                        : contacts::preferred_number(*contact);
    if (!number.isEmpty())
        call_number_(number);
}

void ContactsPanel::message_selected()
{
    if (const contacts::Contact* contact = selected())
        if (const QString number = choose_number(*contact, message_->mapToGlobal(QPoint(0, message_->height())));
            !number.isEmpty())
            emit write_message(number);
}

bool ContactsPanel::edit_selected()
{
    const contacts::Contact* contact = selected();
    if (!contact || !contact->editable())
        return false;
    ContactDialog dialog(*contact, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    book_.reload_in_background();
    return true;
}

bool ContactsPanel::new_contact()
{
    ContactDialog dialog(contacts::Contact{}, this);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    book_.reload_in_background();
    return true;
}

bool ContactsPanel::remove_selected()
{
    const contacts::Contact* contact = selected();
    if (!contact || !contact->editable())
        return false;
    const contacts::Contact removed = *contact;
    if (!platform::ask_to_confirm(tr("Удалить контакт «%1»?").arg(removed.name), tr("Удалить")))
        return false;
    if (!contacts::remove_own(removed)) {
        platform::show_message(tr("Не удалось удалить файл контакта: ") + removed.file);
        return false;
    }
    book_.reload_in_background();
    return true;
}

void ContactsPanel::run_in_background(std::function<Report()> work)
{
    import_->setEnabled(false);
    export_->setEnabled(false);
    work_.setFuture(QtConcurrent::run(std::move(work)));
}

bool ContactsPanel::import_chosen()
{
    if (busy())
        return false;
    const QString path = platform::file_chooser().open_path(tr("Импорт контактов"), tr("vCard (*.vcf *.vcard)"));
    if (path.isEmpty())
        return false;
    // Thousands of cards are thousands of files: written in the pool.
    run_in_background([path] {
        const contacts::ImportResult result = contacts::import_vcards(path);
        if (!result.error.isEmpty())
            return Report{tr("Не удалось прочитать файл %1: %2").arg(path, result.error), true};
        QString text = tr("Импортировано: %1, пропущено: %2").arg(result.imported).arg(result.skipped.size());
        for (int i = 0; i < result.skipped.size() && i < kReasonsTold; ++i)
            text += '\n' + contacts::skipped_text(result.skipped[i]);
        return Report{text, result.imported == 0 && !result.skipped.isEmpty()};
    });
    return true;
}

bool ContactsPanel::export_shown()
{
    if (busy())
        return false;
    const QString path = platform::file_chooser().save_path(tr("Экспорт контактов"), tr("контакты.vcf"),
                                                            tr("vCard (*.vcf)"));
    if (path.isEmpty())
        return false;
    run_in_background([path, shown = model_.shown_contacts()] {
        // As private as the folder they come from.
        if (!contacts::write_private_file(path, contacts::write_vcards(shown)))
            return Report{tr("Не удалось записать файл: ") + path, true};
        return Report{tr("Контакты сохранены в файл: ") + path, false};
    });
    return true;
}

void ContactsPanel::show_menu(const QPoint& position)
{
    const QModelIndex index = table_->indexAt(position);
    if (!index.isValid())
        return;
    table_->setCurrentIndex(index);
    const contacts::Contact contact = *model_.contact(index.row());
    QMenu menu(this);
    for (const contacts::ContactNumber& number : contact.numbers) {
        const QString label = contacts::label_text(number.types);
        const QString shown = label.isEmpty() ? number.number : number.number + QStringLiteral(" (") + label + ')';
        menu.addAction(tr("Позвонить: %1").arg(shown), this, [this, n = number.number] { call_number_(n); });
        menu.addAction(tr("Сообщение: %1").arg(shown), this, [this, n = number.number] { emit write_message(n); });
    }
    if (contact.editable()) {
        menu.addSeparator();
        menu.addAction(tr("Изменить…"), this, [this] { edit_selected(); });
        menu.addAction(tr("Удалить"), this, [this] { remove_selected(); });
    }
    menu.exec(table_->viewport()->mapToGlobal(position));
}

int ContactsPanel::read_phonebooks_again()
{
    // Each controller reads once its phone has no call; the list follows
    // the phonebook files as they are written.
    const QList<int> connected = blackboard::connected_gsm_slots();
    for (const int slot : connected)
        blackboard::Slot(slot).write(blackboard::key::kniga_chitat, blackboard::flag::of(true));
    if (connected.isEmpty())
        platform::show_message(tr("Нет подключённых телефонов GSM"));
    return int(connected.size());
}
