#include "dialer/main_window/keypad.h"

#include <QCoreApplication>

#include "blackboard/slot.h"

namespace main_window {

namespace {
struct Text {
    Q_DECLARE_TR_FUNCTIONS(Keypad)
};
}  // namespace

QString keypad_key_name(QChar key)
{
    if (key == u'*')
        return Text::tr("Тон звёздочка");
    if (key == u'#')
        return Text::tr("Тон решётка");
    return Text::tr("Тон %1").arg(key);
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
