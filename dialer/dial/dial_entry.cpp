#include "dialer/dial/dial_entry.h"

#include <QCoreApplication>

#include "dialer/dial/dial_log.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/operators_telefons.h"
#include "platform/messages.h"

namespace {
// The longest dial string of any phone network with an access code in
// front, with room to spare. Anything longer is text that happens to hold
// digits (a pasted document, a broken link); dialled, it would sit on the
// phone as a call no one can see, and ride in every status the controller
// publishes.
constexpr qsizetype kLongestNumber = 40;
}  // namespace

DialOutcome call_number(const QString& text, DialCaller caller, std::optional<int> via)
{
    qCInfo(lcDial).noquote() << "call" << text.left(200) << "from"
                             << (caller == DialCaller::HandOver ? "hand-over" : "main window");
    QString number = pick_number(text);
    const bool holds_number = clean_number(number) != Operators_telefons::kNoNumber;
    if (holds_number)
        prepare_for_dialling(number);
    // A text made only of "^" cleans to something but prepares to nothing:
    // that is no number either, not a call of an empty number; nor is an
    // endless run of digits.
    if (!holds_number || number.isEmpty() || number.size() > kLongestNumber) {
        platform::show_message(QCoreApplication::translate("Dispatcher", "Не введён номер!"));
        return DialOutcome::NoNumber;
    }
    return dispatch_number(number, via) ? DialOutcome::Dispatched : DialOutcome::NotHandedOver;
}
