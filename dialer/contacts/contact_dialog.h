#pragma once
#include <QDialog>

#include "contacts/contact.h"

class QComboBox;
class QFormLayout;
class QLineEdit;

// "Контакт": the name and the numbers of an own contact, each number with
// its kind, for a new contact (a number from the journal or a conversation
// filled in) or one being changed. Saving writes the contact's file in the
// own folder; a number left empty is dropped.
class ContactDialog : public QDialog {
    Q_OBJECT

public:
    ContactDialog(const contacts::Contact& contact, QWidget* parent = nullptr);
    const contacts::Contact& contact() const { return contact_; }

    // A further number row; returns its field.
    QLineEdit* add_number_row(const contacts::ContactNumber& number = {});
    // Takes the fields into the contact and writes it; false (and says
    // why) when there is no name or the file cannot be written.
    bool save();

private:
    struct NumberRow {
        QLineEdit* number;
        QComboBox* kind;
        QStringList types;  // as the contact had them
    };

    contacts::Contact contact_;
    QFormLayout* form_;
    QLineEdit* name_;
    QList<NumberRow> rows_;
};
