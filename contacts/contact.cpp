#include "contacts/contact.h"

#include <QFileInfo>

namespace contacts {

QString label_text(const QStringList& types)
{
    // The first kind a card names decides; "voice" and "pref" say nothing
    // a person tells numbers apart by.
    static const QList<QPair<QString, QString>> labels = {
        {"cell", QStringLiteral("мобильный")}, {"mobile", QStringLiteral("мобильный")},
        {"iphone", QStringLiteral("мобильный")}, {"work", QStringLiteral("рабочий")},
        {"home", QStringLiteral("домашний")},  {"fax", QStringLiteral("факс")},
        {"pager", QStringLiteral("пейджер")},  {"main", QStringLiteral("основной")},
        {"other", QStringLiteral("другой")},
    };
    for (const QString& type : types)
        for (const auto& [kind, text] : labels)
            if (type == kind)
                return text;
    return QString();
}

QString origin_text(const Contact& contact)
{
    switch (contact.origin) {
    case Origin::Own:
        return QStringLiteral("Мои контакты");
    case Origin::Imported:
        return QStringLiteral("Импорт: %1").arg(QFileInfo(contact.imported_from).fileName());
    case Origin::Smartphone:
        return QStringLiteral("Смартфон");
    case Origin::Phone:
        return QStringLiteral("Телефон %1 (%2)")
            .arg(contact.line, contact.memory == QLatin1String("SM") ? QStringLiteral("SIM")
                                                                      : QStringLiteral("память"));
    }
    return QString();
}

}  // namespace contacts
