#include "blackboard/language_keys.h"

#include "settings_store/settings_store.h"

namespace blackboard::language {

QString interface_language()
{
    return read_setting(QString::fromLatin1(kApp), QString::fromLatin1(kSection), QString::fromLatin1(kKey),
                        QString::fromLatin1(kSystem));
}

void set_interface_language(const QString& value)
{
    write_setting(QString::fromLatin1(kApp), QString::fromLatin1(kSection), QString::fromLatin1(kKey), value);
}

}  // namespace blackboard::language
