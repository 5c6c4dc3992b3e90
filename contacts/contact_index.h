#pragma once
#include <QHash>
#include <QList>
#include <QString>

#include "contacts/contact.h"
#include "contacts/number_key.h"

namespace contacts {

// One number offered while a name is typed.
struct Completion {
    QString name;
    QString number;
    QString label;
};

// All contacts of all origins, with a hash of their numbers' keys for
// lookups and their names folded for searches.
class ContactIndex {
public:
    explicit ContactIndex(const QString& region = QStringLiteral("UA"));

    void reset(QList<Contact> contacts);
    const QList<Contact>& contacts() const { return contacts_; }
    const NumberKeys& keys() const { return keys_; }

    // The contact a number belongs to, nullptr when none. When several
    // have it, the user's own come first, then smartphone, then phone
    // entries.
    const Contact* find(const QString& number) const;
    // The name for a number, "" when no contact has it.
    QString name_for(const QString& number) const;
    // Contacts whose name holds the text, or one of whose numbers holds
    // its digits; names that start with it (or a word of them) first, then
    // by name.
    QList<const Contact*> search(const QString& text) const;
    // The numbers of contacts whose name holds the text, for the number
    // field: at most `limit`.
    QList<Completion> complete(const QString& text, int limit = 20) const;
    // Those of the numbers (as another list writes them) whose contact's
    // name holds the text: the journal's search by name.
    QStringList numbers_named(const QString& text, const QStringList& numbers) const;

private:
    // Orders (how it matched, contact) pairs: better matches, then names.
    void sort_found(QList<QPair<int, int>>& found) const;

    QList<Contact> contacts_;
    QList<QString> folded_names_;
    QList<QString> number_digits_;  // all numbers of a contact, digits only, space separated
    QHash<QString, int> by_key_;
    NumberKeys keys_;
};

}  // namespace contacts
