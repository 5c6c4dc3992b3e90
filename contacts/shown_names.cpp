#include "contacts/shown_names.h"

#include "contacts/contact_index.h"

namespace contacts {

namespace {
const ContactIndex* shown_index = nullptr;
}

void show_names_from(const ContactIndex* index)
{
    shown_index = index;
}

QString shown_name(const QString& number)
{
    return shown_index && !number.isEmpty() ? shown_index->name_for(number) : QString();
}

QString with_name(const QString& number)
{
    const QString name = shown_name(number);
    return name.isEmpty() ? number : name + QLatin1Char(' ') + number;
}

QStringList numbers_named(const QString& text, const QStringList& numbers)
{
    return shown_index ? shown_index->numbers_named(text, numbers) : QStringList();
}

}  // namespace contacts
