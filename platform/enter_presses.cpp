#include "platform/enter_presses.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace platform {

namespace {

class EnterPresses : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) || key->isAutoRepeat()
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* button = qobject_cast<QAbstractButton*>(watched);
        if (!button || !button->isEnabled())
            return false;
        button->click();
        return true;
    }
};

}  // namespace

void press_on_enter(QAbstractButton* button)
{
    static EnterPresses filter;
    button->installEventFilter(&filter);
}

}  // namespace platform
