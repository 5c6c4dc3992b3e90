#pragma once
#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

#include "journal/journal.h"
#include "journal/journal_table_model.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The call journal in the main window's "Журнал звонков" tab: the calls,
// newest first, a search by any part of the number or of a contact's name, missed calls only, a
// call back by double click or Enter, copy and delete from the context
// menu, and the export of the rows shown to a CSV file. The table follows
// the journal that the controllers write, a look every half second.
// A journal that cannot be read says so above the table; a damaged one is
// left as it is until the user chooses to set it aside and start anew.
class JournalPanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int refresh_period_ms = 500;

    // call_back dials a number as the number field and "Позвонить" do.
    JournalPanel(std::function<void(const QString&)> call_back, QWidget* parent = nullptr);
    ~JournalPanel() override;

    // Retention at the dialer's start: removes calls older than `days`
    // (0 keeps every call).
    void remove_expired(int days);

    QTableView* table() const { return table_; }
    QLineEdit* search_field() const { return search_; }
    QCheckBox* missed_only_box() const { return missed_only_; }
    QPushButton* export_button() const { return export_; }
    QLabel* unreadable_notice() const { return unreadable_; }
    QPushButton* set_aside_button() const { return set_aside_; }
    journal::JournalTableModel& model() { return *model_; }

    // The actions of the context menu, for a row.
    void call_back_row(int row);
    void copy_number(int row);
    // "Добавить в контакты…": a new own contact with the row's number.
    void add_contact(const QString& number);
    void remove_record(int row);
    // Writes the rows the filter shows; false when nothing was written.
    bool export_shown_rows();
    // The user's choice to keep a damaged journal aside and start a new
    // one; the name the damaged file now has, empty when none was moved.
    QString set_damaged_journal_aside();

public slots:
    // The contacts were read anew: names repainted, a search by name
    // looked for again.
    void contacts_changed();

signals:
    // "Написать сообщение" on a row.
    void write_message(const QString& number);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void apply_filter();
    // Whether the search names someone (holds a letter): then the numbers
    // of the contacts so named are looked for too.
    bool searching_names() const;
    void show_readability();
    void check_file_off_thread();
    void show_nothing_found();
    void show_context_menu(const QPoint& position);

    std::function<void(const QString&)> call_back_;
    journal::Journal journal_;
    std::unique_ptr<journal::JournalTableModel> model_;
    QLineEdit* search_ = nullptr;
    QCheckBox* missed_only_ = nullptr;
    QPushButton* export_ = nullptr;
    QLabel* unreadable_ = nullptr;
    QPushButton* set_aside_ = nullptr;
    QLabel* nothing_found_ = nullptr;
    QTableView* table_ = nullptr;
    QTimer refresh_timer_;
    QFutureWatcher<journal::JournalDatabase::FileCheck> file_check_;
};
