#pragma once
#include <QString>
#include <optional>

// Who hands the text to the dial entry.
enum class DialCaller {
    HandOver,    // a dialer started with a number on its command line
    MainWindow,  // the main window's "Позвонить"
};

enum class DialOutcome {
    Dispatched,  // the number went to the dispatcher (which may still refuse it)
    NoNumber,    // "Не введён номер!" was shown
    NotHandedOver,  // the number could not be written for the phone (the user was told)
};

// The one door through which a number text becomes a call: choose among
// several numbers, reject a text without a number, bring the number to its
// dialling form, dispatch it. A hand-over caller ends its process when this
// returns, with a failure status for NotHandedOver; the main window goes on
// in every case.
// via: the phone chosen for this call ("Через:"), as dispatch_number takes it.
DialOutcome call_number(const QString& text, DialCaller caller, std::optional<int> via = std::nullopt);
