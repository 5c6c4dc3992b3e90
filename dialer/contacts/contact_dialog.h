#pragma once
#include <QDialog>

#include "contacts/contact.h"

class QLineEdit;

// "Контакт": the name and one number of an own contact, for a new contact
// (a number from the journal filled in) or one being changed. Saving
// writes the contact's file in the own folder.
class ContactDialog : public QDialog {
    Q_OBJECT

public:
    ContactDialog(const contacts::Contact& contact, QWidget* parent = nullptr);
    const contacts::Contact& contact() const { return contact_; }

private:
    void save();

    contacts::Contact contact_;
    QLineEdit* name_;
    QLineEdit* number_;
};
