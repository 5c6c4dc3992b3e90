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
