#include "dialer/dial/dial_entry.h"

#include "dialer/dial/dial_log.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/operators_telefons.h"
#include "platform/messages.h"

DialOutcome call_number(const QString& text, DialCaller caller)
{
    qCInfo(lcDial).noquote() << "call" << text << "from"
                             << (caller == DialCaller::HandOver ? "hand-over" : "main window");
    QString number = pick_number(text);
    const bool holds_number = clean_number(number) != Operators_telefons::kNoNumber;
    if (holds_number)
        prepare_for_dialling(number);
    // A text made only of "^" cleans to something but prepares to nothing:
    // that is no number either, not a call of an empty number.
    if (!holds_number || number.isEmpty()) {
        platform::show_message(QStringLiteral("Не введён номер!"));
        return DialOutcome::NoNumber;
    }
    dispatch_number(number);
    return DialOutcome::Dispatched;
}
