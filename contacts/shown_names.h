#pragma once
#include <QString>
#include <QStringList>

namespace contacts {

class ContactIndex;

// The names a program shows beside numbers: the program that reads the
// contacts hands its index here once, and every place that shows a number
// asks. Without an index (or a contact) a number shows as it is.
void show_names_from(const ContactIndex* index);
// The contact's name for a number, "" when none.
QString shown_name(const QString& number);
// "Мама 0671234567": the name, then the number; the number alone when no
// contact has it.
QString with_name(const QString& number);
// Those of the numbers whose contact's name holds the text.
QStringList numbers_named(const QString& text, const QStringList& numbers);

}  // namespace contacts
