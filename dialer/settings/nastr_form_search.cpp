// The settings window's side of the search for phones, the assignment of a
// found phone to a slot and the test call.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "dialer/settings/main_window_link.h"
#include "dialer/settings/nastr_form.h"
#include "dialer/settings/nastr_logic.h"
#include "platform/messages.h"
#include "blackboard/slot.h"
#include "blackboard/stored_texts.h"
#include "serial/stable_names.h"

namespace {

// The port number an entry of the found-phones list stands for.
constexpr int kPortRole = Qt::UserRole;

void no_phone_selected()
{
    platform::show_message(Nastr_form::tr("Не выбран телефон!"), platform::MessageIcon::Error);
}

}  // namespace

void Nastr_form::start_search()
{
    if (scan_.running())
        return;  // a second press while searching changes nothing

    QStringList held;
    Scan_ports::Observer observer;
    observer.scanning = [this] {
        List1->clear();
        zanyatye_porty->hide();
        zanyatye_porty->clear();
        Command4->show();
    };
    observer.asking = [this](int port) {
        Label4->setText(tr("%1 из 256").arg(port));
    };
    observer.found = [this](const QString& model, int port) {
        auto* entry = new QTreeWidgetItem(List1, {model, port_display_name(port)});
        entry->setData(0, kPortRole, port);
    };
    observer.held = [&held](int port, const QString& note) {
        held << tr("Порт %1: ").arg(port) + blackboard::shown_text(note);
    };

    // A test call would take the port away from the query in progress.
    Command3->setEnabled(false);
    Command6->setEnabled(false);
    const Scan_ports::Outcome outcome = scan_.search(main_window_, observer);
    Command3->setEnabled(true);
    Command6->setEnabled(true);

    Command4->hide();
    zanyatye_porty->setText(held.join(QStringLiteral("\n\n")));
    zanyatye_porty->setVisible(!held.isEmpty());
    if (outcome == Scan_ports::Outcome::Done) {
        Label4->setText(tr("Готово!"));
        List1->setToolTip(tr("Привет!"));
    } else {
        Label4->clear();
    }
    finish_pending_close();
}

// A close asked for during the search stopped it; carry it out now.
void Nastr_form::finish_pending_close()
{
    const PendingClose pending = std::exchange(pending_close_, PendingClose::None);
    if (pending == PendingClose::Hide)
        close_by_button();
    else if (pending == PendingClose::Unload)
        close();
}

QTreeWidgetItem* Nastr_form::selected_entry() const
{
    const QList<QTreeWidgetItem*> selected = List1->selectedItems();
    return selected.isEmpty() ? nullptr : selected.first();
}

void Nastr_form::on_entry_selected()
{
    const QTreeWidgetItem* entry = selected_entry();
    if (!entry)
        return;
    for (QPushButton* assign : Command5)
        assign->show();
    test_phone_label->setText(entry->text(0));
    Frame3->show();
}

void Nastr_form::assign_to_slot(int slot)
{
    const QTreeWidgetItem* entry = selected_entry();
    if (!entry) {
        no_phone_selected();
        return;
    }
    const int number = entry->data(0, kPortRole).toInt();
    // The slot is to keep this phone when the phones come up in another
    // order: the port leads to the device's stable name from now on.
    pin_chosen_port(number);
    const QString port = QString::number(number);
    Text6[slot - 1]->setText(port);
    // The box may already show this port while the store holds another
    // (the controller's own search writes it too): store it regardless.
    const blackboard::Slot board(slot);
    board.set_port(port);
    board.write(blackboard::key::name_tlf, entry->text(0));
}

void Nastr_form::test_call(DialCommand command)
{
    const QTreeWidgetItem* entry = selected_entry();
    if (!entry) {
        no_phone_selected();
        return;
    }
    const QString number = Text2->text().trimmed();
    if (number.isEmpty()) {
        platform::show_message(tr("Не введён номер!"), platform::MessageIcon::Error);
        return;
    }
    // On a GSM phone these reach the emergency services, even without a SIM.
    if (nastr_logic::is_emergency_number(number) &&
        !platform::ask_to_confirm(
            tr("%1 — номер экстренной службы. Проверочный звонок дойдёт до неё.\n"
               "Всё равно позвонить?")
                .arg(number),
            tr("Позвонить"))) {
        return;
    }
    Test_call(main_window_.serial_port(), entry->data(0, kPortRole).toInt(), number, command);
}
