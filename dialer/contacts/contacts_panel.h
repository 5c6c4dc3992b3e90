#pragma once
#include <QFutureWatcher>
#include <QWidget>
#include <functional>

#include "contacts/contact_book.h"
#include "dialer/contacts/contact_table_model.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The main window's "Контакты" tab: every contact with its numbers and
// origin, searched as typed; a call or a message to a contact's number;
// the user's own contacts made, changed and deleted (the others come from
// phones and sync programs and are only read); vCard files imported into
// the own contacts and the contacts shown exported as vCard 4.0. Imports
// and exports run in the pool, the list follows the contact book.
class ContactsPanel : public QWidget {
    Q_OBJECT

public:
    // call_number dials a number as the number field and "Позвонить" do.
    ContactsPanel(contacts::ContactBook& book, std::function<void(const QString&)> call_number,
                  QWidget* parent = nullptr);

    // The actions, on the selected contact: its preferred number, or (the
    // buttons) the one chosen from a menu when it has several.
    void call_selected(bool offer_choice = true);
    void message_selected();
    bool edit_selected();
    bool remove_selected();
    bool new_contact();
    // "Импорт контактов…" of the chosen file; the result is told when done.
    bool import_chosen();
    bool export_shown();
    // "Прочитать телефоны": asks every connected GSM phone's controller to
    // read its phonebook again; how many were asked.
    int read_phonebooks_again();
    // Whether an import or export is still running.
    bool busy() const { return work_.isRunning(); }

    QLineEdit* search_field() const { return search_; }
    QTableView* table() const { return table_; }
    contacts_window::ContactTableModel& model() { return model_; }

signals:
    void write_message(const QString& number);
    // An import or export ended; its report was shown.
    void work_done(const QString& report);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QPushButton* button(const QString& text, const QString& name, const QString& accessible);
    const contacts::Contact* selected() const;
    // The contact's number to use: asked with a menu at `where` when it
    // has several; "" when none or cancelled.
    QString choose_number(const contacts::Contact& contact, const QPoint& where);
    void show_menu(const QPoint& position);
    void list_again();
    void update_actions();

    contacts::ContactBook& book_;
    std::function<void(const QString&)> call_number_;
    contacts_window::ContactTableModel model_;
    QLineEdit* search_ = nullptr;
    QTableView* table_ = nullptr;
    QLabel* nothing_found_ = nullptr;
    QPushButton* call_ = nullptr;
    QPushButton* message_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* export_ = nullptr;
    // The contact last chosen, chosen again when the list is made anew.
    QString chosen_uid_;
    struct Report {
        QString text;
        bool failed = false;
    };
    void run_in_background(std::function<Report()> work);

    QFutureWatcher<Report> work_;
};
