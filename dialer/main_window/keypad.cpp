#include "dialer/main_window/keypad.h"

#include "blackboard/slot.h"

namespace main_window {

QString keypad_key_name(QChar key)
{
    if (key == u'*')
        return QStringLiteral("Тон звёздочка");
    if (key == u'#')
        return QStringLiteral("Тон решётка");
    return QStringLiteral("Тон ") + key;
}

bool is_keypad_key(const QString& typed)
{
    return typed.size() == 1 && QLatin1String(kKeypadKeys).contains(typed.front());
}

bool send_tone(int slot, QChar key)
{
    return blackboard::Slot(slot).append_dtmf(QString(key));
}

}  // namespace main_window
