#pragma once
#include <QString>
#include <QStringList>
#include <optional>

namespace main_window {

struct IncomingCall {
    QString number;
    QString time;  // as the controller wrote it; may be empty
};

// Takes (reads and resets) the incoming-call announcements of sections 1
// to 4 and 6. Every announcement is consumed; the one to show is the last
// non-empty number in that order, with its own section's time.
std::optional<IncomingCall> take_incoming_call();

// True when a dial request waits in `pozvonit` of a serial slot and the
// user lets such requests bring the main window forward (`wind` of
// Vekorra/drugoe is not exactly "0"). Reads, never changes the requests.
bool call_request_pending();
// The waiting requests themselves (`pozvonit` of slots 4 to 1, joined);
// empty when none waits or raising the window is switched off.
QString pending_call_requests();
// Takes the controllers' notes of the requests they took: the numbers of
// slots 4 to 1 ("" where none); empty when the user does not let requests
// bring the window forward.
QStringList take_taken_call_requests();

// A request waits until its slot's controller takes it: for ever when that
// controller does not run. The window comes forward once for each new set
// of waiting requests, not at every tick of the watcher.
class CallRequestRaise {
public:
    // Whether the window is to come forward for what waits now.
    // `taken`: what the controllers took since the last look, perhaps
    // before the window ever saw it waiting.
    bool should_raise(const QString& pending_requests, const QStringList& taken);

private:
    QString raised_for_;
};

}  // namespace main_window
