#pragma once
#include <QString>

namespace kestrum {

class Controller;

// Dialling by hand from the controller's window: while the user types, no
// engine tick runs; the number typed is dialled by the first engine tick
// after "Позвонить".
class ManualDial {
public:
    explicit ManualDial(Controller& controller) : controller_(controller) {}

    // The dial window opens: the engine timer stops.
    void begin();
    // "Позвонить": false when nothing was typed (nothing changes then).
    // Otherwise the text, exactly as typed, becomes the pending number and
    // the engine timer runs.
    bool call(const QString& typed);
    // "Отмена": the pending number is dropped, also one that was waiting
    // before the window opened. The engine timer runs again only if it ran
    // when the window opened: cancelling must not connect a phone that was
    // never connected or was just disconnected.
    void cancel();

private:
    Controller& controller_;
    bool engine_was_running_ = false;
};

}  // namespace kestrum
