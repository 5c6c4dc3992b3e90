#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace contacts {

// Where a contact comes from; shown beside it and deciding what may be
// changed: only the user's own contacts (imported ones included) are
// edited and deleted here.
enum class Origin { Own, Imported, Smartphone, Phone };

// One number of a contact with its vCard TYPE labels in lower case
// ("cell", "work", "home", "voice", "pref" ...).
struct ContactNumber {
    QString number;
    QStringList types;
};

struct Contact {
    QString uid;
    QString name;
    QList<ContactNumber> numbers;
    Origin origin = Origin::Own;
    // The file the contact was read from: its own file in the user's
    // folder, or the file it shares with others.
    QString file;
    // Own contacts: the file a contact was imported from ("" when made
    // here). Phone entries: the line ("1" to "4"), memory ("SM", "ME") and
    // index in that memory.
    QString imported_from;
    QString line;
    QString memory;
    int index = 0;
    // Properties this program does not show (EMAIL, ADR, PHOTO ...), as
    // unfolded vCard lines, written back unchanged when a 3.0 or 4.0 card
    // is saved again.
    QStringList other_lines;

    bool editable() const { return origin == Origin::Own || origin == Origin::Imported; }
};

// The Russian label of a number's TYPE list ("мобильный", "рабочий", ...),
// "" when it names none of the known kinds.
QString label_text(const QStringList& types);
// The kinds of number a contact's number is given here, as TYPE values:
// "cell", "work", "home", "main", "fax", "other".
QStringList number_kinds();
// The first of those kinds the TYPE list names; "" when none.
QString kind_of(const QStringList& types);
// The TYPE list with its kind replaced by `kind` ("" removes it); what
// else it says ("pref", "voice") stays.
QStringList with_kind(QStringList types, const QString& kind);
// "0671234567 (мобильный), 044 222-33-44": the numbers as the contacts
// list shows them.
QString numbers_text(const Contact& contact);
// The number a call or message goes to when none was chosen: the one
// marked "pref", else the first; "" when the contact has none.
QString preferred_number(const Contact& contact);
// The origin as shown in the contacts list and tool.
QString origin_text(const Contact& contact);

}  // namespace contacts
