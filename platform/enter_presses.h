#pragma once

class QAbstractButton;

namespace platform {

// Enter (and the keypad's Enter) presses the button while it has the
// focus, as Space does. For buttons that must not become a dialog's
// default button, which would take Enter away from its text boxes: without
// this, Enter on such a focused button presses the dialog's default button
// instead, or nothing at all.
void press_on_enter(QAbstractButton* button);

}  // namespace platform
