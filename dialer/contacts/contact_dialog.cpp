#include "dialer/main_window/contact_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

#include "contacts/contact_files.h"
#include "platform/messages.h"

ContactDialog::ContactDialog(const contacts::Contact& contact, QWidget* parent)
    : QDialog(parent), contact_(contact), name_(new QLineEdit(contact.name, this)), number_(new QLineEdit(this))
{
    setWindowTitle(tr("Контакт"));
    if (!contact.numbers.isEmpty())
        number_->setText(contact.numbers.first().number);
    name_->setAccessibleName(tr("Имя"));
    number_->setAccessibleName(tr("Номер"));
    auto* form = new QFormLayout(this);
    form->addRow(tr("Имя:"), name_);
    form->addRow(tr("Номер:"), number_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Сохранить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &ContactDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void ContactDialog::save()
{
    const QString name = name_->text().trimmed();
    const QString number = number_->text().trimmed();
    if (name.isEmpty()) {
        platform::show_message(tr("Введите имя контакта"));
        return;
    }
    contact_.name = name;
    if (contact_.numbers.isEmpty())
        contact_.numbers << contacts::ContactNumber{number, {QStringLiteral("cell")}};
    else
        contact_.numbers.first().number = number;
    contact_.numbers.removeIf([](const contacts::ContactNumber& n) { return n.number.isEmpty(); });
    if (!contacts::save_own(contact_)) {
        platform::show_message(tr("Не удалось записать контакт: ") + contact_.file);
        return;
    }
    accept();
}
