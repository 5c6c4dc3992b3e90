#include "dialer/main_window/journal_panel.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>
#include <QVBoxLayout>

#include "journal/call_record.h"
#include "contacts/contact_files.h"
#include "contacts/shown_names.h"
#include "dialer/contacts/contact_dialog.h"
#include "journal/journal_export.h"
#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/messages.h"

JournalPanel::JournalPanel(std::function<void(const QString&)> call_back, QWidget* parent)
    : QWidget(parent), call_back_(std::move(call_back)),
      journal_(journal::journal_path(), journal::JournalDatabase::Use::Window),
      model_(std::make_unique<journal::JournalTableModel>(journal_))
{
    build();
    show_readability();
    check_file_off_thread();
    connect(&refresh_timer_, &QTimer::timeout, this, [this] {
        if (!model_->refresh_if_changed())
            model_->tick_running_calls();
        else if (searching_names())
            apply_filter();  // a new call may be of a contact so named
        show_readability();
        show_nothing_found();
    });
    refresh_timer_.start(refresh_period_ms);
}

JournalPanel::~JournalPanel()
{
    // The view lets go of the model before the model goes.
    table_->setModel(nullptr);
}

void JournalPanel::build()
{
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("journal_search"));
    search_->setPlaceholderText(tr("Поиск по номеру или имени"));
    search_->setAccessibleName(tr("Поиск по номеру или имени"));
    missed_only_ = new QCheckBox(tr("Пропущенные"), this);
    missed_only_->setObjectName(QStringLiteral("journal_missed_only"));
    missed_only_->setAccessibleName(tr("Только пропущенные звонки"));
    export_ = new QPushButton(tr("Экспорт…"), this);
    export_->setObjectName(QStringLiteral("journal_export"));
    export_->setAccessibleName(tr("Экспорт журнала в файл CSV"));

    unreadable_ = new QLabel(this);
    unreadable_->setObjectName(QStringLiteral("journal_unreadable"));
    unreadable_->setWordWrap(true);
    set_aside_ = new QPushButton(tr("Отложить повреждённый журнал и начать новый"), this);
    set_aside_->setObjectName(QStringLiteral("journal_set_aside"));
    set_aside_->setAccessibleName(set_aside_->text());

    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("journal_table"));
    table_->setAccessibleName(tr("Журнал звонков"));
    table_->setModel(model_.get());
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(18);
    table_->horizontalHeader()->setStretchLastSection(true);
    // A click on a header orders the calls by that column; newest first
    // until then.
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setSortIndicator(journal::JournalTableModel::Time, Qt::DescendingOrder);
    // Widths for the texts the columns hold, not measured over the rows
    // (measuring would read a thousand calls), and never narrower than the
    // column's title with the sort mark beside it.
    const QFontMetrics metrics = table_->fontMetrics();
    const QFontMetrics header_metrics = table_->horizontalHeader()->fontMetrics();
    using Model = journal::JournalTableModel;
    const auto fit = [&](int column, const QString& sample) {
        const QString title = model_->headerData(column, Qt::Horizontal).toString();
        const int width =
            std::max(metrics.horizontalAdvance(sample) + 16, header_metrics.horizontalAdvance(title) + 32);
        table_->setColumnWidth(column, width);
        table_->horizontalHeader()->resizeSection(column, width);
    };
    // A late hour of a late day: the widest time in either language.
    const QDateTime late(QDate(2000, 12, 28), QTime(20, 58, 58));
    fit(Model::Time, journal::time_label(late.toMSecsSinceEpoch()));
    fit(Model::Line, journal::line_label(QStringLiteral("4")));
    fit(Model::DirectionColumn, journal::direction_label(journal::Direction::Out));
    fit(Model::Number, QStringLiteral("+380000000000"));
    fit(Model::Name, QStringLiteral("Бухгалтерия Иван"));
    fit(Model::Duration, QStringLiteral("000:00"));
    fit(Model::OutcomeColumn, journal::outcome_label(journal::Outcome::Unanswered));
    table_->setContextMenuPolicy(Qt::CustomContextMenu);
    table_->installEventFilter(this);

    auto* tools = new QHBoxLayout;
    tools->setContentsMargins(0, 0, 0, 0);
    tools->addWidget(search_, 1);
    tools->addWidget(missed_only_);
    tools->addWidget(export_);
    // Said where the rows would be, so that an empty table is not taken for
    // an empty journal.
    nothing_found_ = new QLabel(tr("Ничего не найдено"), this);
    nothing_found_->setObjectName(QStringLiteral("journal_nothing_found"));
    nothing_found_->hide();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    layout->addLayout(tools);
    auto* notice = new QHBoxLayout;
    notice->setContentsMargins(0, 0, 0, 0);
    notice->addWidget(unreadable_, 1);
    notice->addWidget(set_aside_);
    layout->addLayout(notice);
    layout->addWidget(nothing_found_);
    layout->addWidget(table_, 1);

    connect(search_, &QLineEdit::textChanged, this, [this] { apply_filter(); });
    connect(missed_only_, &QCheckBox::toggled, this, [this] { apply_filter(); });
    connect(export_, &QPushButton::clicked, this, [this] { export_shown_rows(); });
    connect(set_aside_, &QPushButton::clicked, this, [this] { set_damaged_journal_aside(); });
    connect(table_, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { call_back_row(index.row()); });
    connect(table_, &QWidget::customContextMenuRequested, this, &JournalPanel::show_context_menu);
}

void JournalPanel::remove_expired(int days)
{
    if (journal_.remove_older_than_days(days, platform::clock().wall_clock_ms()) > 0)
        model_->refresh();
}

bool JournalPanel::searching_names() const
{
    const QString typed = search_->text();
    return std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isLetter(); });
}

void JournalPanel::contacts_changed()
{
    if (searching_names())
        apply_filter();
    table_->viewport()->update();
}

void JournalPanel::apply_filter()
{
    journal::Filter filter;
    const QString typed = search_->text().trimmed();
    filter.number_part = journal::number_search_text(typed);
    if (searching_names())
        filter.numbers = contacts::numbers_named(typed, journal_.distinct_numbers());
    filter.missed_only = missed_only_->isChecked();
    model_->set_filter(filter);
    show_readability();
    show_nothing_found();
}

void JournalPanel::show_nothing_found()
{
    const journal::Filter& filter = model_->filter();
    const bool searching = !filter.number_part.isEmpty() || filter.missed_only;
    // A journal that cannot be read says so itself; nothing was searched.
    nothing_found_->setVisible(searching && model_->readable() && model_->rowCount() == 0);
}

void JournalPanel::show_readability()
{
    const bool readable = model_->readable();
    unreadable_->setVisible(!readable);
    set_aside_->setVisible(journal_.damaged());
    if (readable)
        return;
    const QString text = journal_.damaged()
                             ? tr("Журнал звонков не читается: файл повреждён. Он остаётся как есть, "
                                  "новые звонки в него не записываются.")
                             : tr("Журнал звонков не читается: %1").arg(journal_.last_error());
    if (unreadable_->text() != text)
        unreadable_->setText(text);
}

// A damaged page is met only by a query that reads it, perhaps never by
// the tab's first look; a check of the whole file takes longer than the
// window may wait, so it runs in the pool and its finding comes back here.
void JournalPanel::check_file_off_thread()
{
    connect(&file_check_, &QFutureWatcherBase::finished, this, [this] {
        journal_.take_check(file_check_.result());
        if (!journal_.damaged())
            return;
        model_->refresh();
        show_readability();
    });
    file_check_.setFuture(QtConcurrent::run(&journal::JournalDatabase::check_file, journal_.path()));
}

QString JournalPanel::set_damaged_journal_aside()
{
    const QString aside = journal_.move_damaged_aside(QDateTime::currentDateTime());
    if (aside.isEmpty())
        platform::show_message(tr("Не удалось отложить повреждённый журнал звонков: %1").arg(journal_.last_error()));
    else
        platform::show_message(tr("Повреждённый журнал звонков сохранён как %1").arg(aside),
                               platform::MessageIcon::None);
    model_->refresh();
    show_readability();
    return aside;
}

bool JournalPanel::eventFilter(QObject* watched, QEvent* event)
{
    // Enter on a row calls back, as a double click does.
    if (watched == table_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && table_->currentIndex().isValid()) {
            call_back_row(table_->currentIndex().row());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void JournalPanel::call_back_row(int row)
{
    const journal::CallRecord call = model_->record(row);
    // A withheld caller has no number to call back.
    if (call.id != 0 && !call.number.isEmpty())
        call_back_(call.number);
}

void JournalPanel::copy_number(int row)
{
    const journal::CallRecord call = model_->record(row);
    if (call.id != 0)
        QApplication::clipboard()->setText(call.number);
}

void JournalPanel::remove_record(int row) { model_->remove_row(row); }

void JournalPanel::add_contact(const QString& number)
{
    contacts::Contact contact;
    contact.numbers << contacts::ContactNumber{number, {QStringLiteral("cell")}};
    ContactDialog dialog(contact, this);
    dialog.setObjectName(QStringLiteral("ContactDialog"));
    if (dialog.exec() == QDialog::Accepted)
        model_->refresh();
}

void JournalPanel::show_context_menu(const QPoint& position)
{
    QModelIndex index = table_->indexAt(position);
    if (!index.isValid())
        index = table_->currentIndex();
    if (!index.isValid())
        return;
    const int row = index.row();
    QMenu menu(this);
    menu.addAction(tr("Позвонить"), this, [this, row] { call_back_row(row); });
    menu.addAction(tr("Копировать номер"), this, [this, row] { copy_number(row); });
    menu.addAction(tr("Удалить запись"), this, [this, row] { remove_record(row); });
    const QString number = model_->record(row).number;
    if (!number.isEmpty())
        menu.addAction(tr("Написать сообщение"), this, [this, number] { emit write_message(number); });
    if (!number.isEmpty() && contacts::shown_name(number).isEmpty())
        menu.addAction(tr("Добавить в контакты…"), this, [this, number] { add_contact(number); });
    menu.exec(table_->viewport()->mapToGlobal(position));
}

bool JournalPanel::export_shown_rows()
{
    const QString suggested =
        tr("журнал-звонков-%1.csv").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd")));
    const QString path = platform::file_chooser().save_path(tr("Экспорт журнала звонков"), suggested,
                                                            QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    const QByteArray text = journal::export_records(model_->all_records(), journal::ExportFormat::Csv, true);
    // The calls are as private as the journal they come from: the owner's
    // alone, from the first byte on.
    const auto owner_only = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(owner_only) || file.write(text) != text.size() ||
        !file.commit() || !QFile::setPermissions(path, owner_only)) {
        platform::show_message(tr("Не удалось записать файл: ") + path + QStringLiteral("\r\n\r\n") +
                               file.errorString());
        return false;
    }
    platform::show_message(tr("Журнал звонков сохранён в файл: ") + path, platform::MessageIcon::None);
    return true;
}
