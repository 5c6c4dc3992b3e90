#include "contacts/contact.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace contacts {

namespace {
struct Text {
    Q_DECLARE_TR_FUNCTIONS(Contacts)
};
}  // namespace

QString label_text(const QStringList& types)
{
    // The first kind a card names decides; "voice" and "pref" say nothing
    // a person tells numbers apart by.
    static const QList<QPair<QString, const char*>> labels = {
        {"cell", QT_TRANSLATE_NOOP("Contacts", "мобильный")}, {"mobile", QT_TRANSLATE_NOOP("Contacts", "мобильный")},
        {"iphone", QT_TRANSLATE_NOOP("Contacts", "мобильный")}, {"work", QT_TRANSLATE_NOOP("Contacts", "рабочий")},
        {"home", QT_TRANSLATE_NOOP("Contacts", "домашний")},  {"fax", QT_TRANSLATE_NOOP("Contacts", "факс")},
        {"pager", QT_TRANSLATE_NOOP("Contacts", "пейджер")},  {"main", QT_TRANSLATE_NOOP("Contacts", "основной")},
        {"other", QT_TRANSLATE_NOOP("Contacts", "другой")},
    };
    for (const QString& type : types)
        for (const auto& [kind, text] : labels)
            if (type == kind)
                return Text::tr(text);
    return QString();
}

QStringList number_kinds()
{
    return {QStringLiteral("cell"), QStringLiteral("work"), QStringLiteral("home"),
            QStringLiteral("main"), QStringLiteral("fax"),  QStringLiteral("other")};
}

namespace {
// Kinds other programs write for the same thing.
QString kind_named(const QString& type)
{
    if (type == QLatin1String("mobile") || type == QLatin1String("iphone"))
        return QStringLiteral("cell");
    return number_kinds().contains(type) || type == QLatin1String("pager") ? type : QString();
}
}  // namespace

QString kind_of(const QStringList& types)
{
    for (const QString& type : types)
        if (const QString kind = kind_named(type); !kind.isEmpty())
            return kind;
    return QString();
}

QStringList with_kind(QStringList types, const QString& kind)
{
    types.removeIf([](const QString& type) { return !kind_named(type).isEmpty(); });
    if (!kind.isEmpty())
        types.prepend(kind);
    return types;
}

QString numbers_text(const Contact& contact)
{
    QStringList shown;
    for (const ContactNumber& number : contact.numbers) {
        const QString label = label_text(number.types);
        shown << (label.isEmpty() ? number.number : number.number + QStringLiteral(" (") + label + ')');
    }
    return shown.join(QStringLiteral(", "));
}

QString preferred_number(const Contact& contact)
{
    for (const ContactNumber& number : contact.numbers)
        if (number.types.contains(QLatin1String("pref")))
            return number.number;
    return contact.numbers.isEmpty() ? QString() : contact.numbers.first().number;
}

QString origin_text(const Contact& contact)
{
    switch (contact.origin) {
    case Origin::Own:
        return Text::tr("Мои контакты");
    case Origin::Imported:
        return Text::tr("Импорт: %1").arg(QFileInfo(contact.imported_from).fileName());
    case Origin::Smartphone:
        return Text::tr("Смартфон");
    case Origin::Phone:
        return Text::tr("Телефон %1 (%2)")
            .arg(contact.line, contact.memory == QLatin1String("SM") ? QStringLiteral("SIM")
                                                                      : Text::tr("память"));
    }
    return QString();
}

}  // namespace contacts
