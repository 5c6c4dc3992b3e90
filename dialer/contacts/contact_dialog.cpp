#include "dialer/contacts/contact_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

#include "contacts/contact_files.h"
#include "platform/messages.h"

ContactDialog::ContactDialog(const contacts::Contact& contact, QWidget* parent)
    : QDialog(parent), contact_(contact), form_(new QFormLayout(this)), name_(new QLineEdit(contact.name, this))
{
    setObjectName(QStringLiteral("ContactDialog"));
    setWindowTitle(tr("Контакт"));
    name_->setAccessibleName(tr("Имя"));
    name_->setMinimumWidth(220);
    form_->addRow(tr("Имя:"), name_);
    for (const contacts::ContactNumber& number : contact.numbers)
        add_number_row(number);
    if (contact.numbers.isEmpty())
        add_number_row({QString(), {QStringLiteral("cell")}});

    auto* more = new QPushButton(tr("Добавить номер"), this);
    connect(more, &QPushButton::clicked, this, [this] { add_number_row({QString(), {QStringLiteral("cell")}})->setFocus(); });
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("Сохранить"), QDialogButtonBox::AcceptRole);
    buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    form_->addRow(more);
    form_->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QLineEdit* ContactDialog::add_number_row(const contacts::ContactNumber& number)
{
    auto* field = new QLineEdit(number.number, this);
    auto* kind = new QComboBox(this);
    kind->addItem(tr("без метки"), QString());
    for (const QString& known : contacts::number_kinds())
        kind->addItem(contacts::label_text({known}), known);
    const QString current = contacts::kind_of(number.types);
    if (kind->findData(current) < 0)
        kind->addItem(contacts::label_text({current}), current);
    kind->setCurrentIndex(kind->findData(current));
    const int place = int(rows_.size()) + 1;
    // The first is "Номер", as a screen reader found it when there was one.
    field->setAccessibleName(place == 1 ? tr("Номер") : tr("Номер %1").arg(place));
    kind->setAccessibleName(tr("Вид номера %1").arg(place));
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(kind);
    // Above "Добавить номер" and the buttons.
    form_->insertRow(place, place == 1 ? tr("Номер:") : QString(), row);
    rows_.append(NumberRow{field, kind, number.types});
    return field;
}

bool ContactDialog::save()
{
    const QString name = name_->text().trimmed();
    if (name.isEmpty()) {
        platform::show_message(tr("Введите имя контакта"));
        return false;
    }
    contact_.name = name;
    contact_.numbers.clear();
    for (const NumberRow& row : std::as_const(rows_)) {
        const QString number = row.number->text().trimmed();
        if (!number.isEmpty())
            contact_.numbers << contacts::ContactNumber{number,
                                                        contacts::with_kind(row.types, row.kind->currentData().toString())};
    }
    if (!contacts::save_own(contact_)) {
        platform::show_message(tr("Не удалось записать контакт: ") + contact_.file);
        return false;
    }
    return true;
}
