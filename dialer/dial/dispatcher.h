#pragma once
#include <QString>
#include <optional>

// Hands one prepared number to the phone its routing rule names. Changes the
// number in place (completion, "+" replacement, target adjustments). False
// when the number could not be written for a serial phone (the user was
// told); a refusal shown for any other reason counts as handled.
// via: a routing rule's value (0 to 5) chosen for this call alone, in place
// of the rules (and of the single-phone mode); none: the rules decide.
bool dispatch_number(QString& number, std::optional<int> via = std::nullopt);

// The serial phone (1 to 4) that the routing rules choose for a text
// message to `number`: phone 1 when it is the only phone in use, the
// rule's phone when the rule names a serial phone; 0 when the rule names
// Skype or the SIP softphone, which carry no messages.
int message_slot_for(const QString& number);

// Opens the address with the desktop's default handler; a failure is shown
// with the address under the program's title. True when the desktop took it.
bool open_link(const QString& address);

// Shows (true) or restores (false) the busy mouse pointer while open_link
// waits for the desktop. The dial logic has no windows of its own; a program
// with windows installs one (install_number_chooser() does). nullptr: none.
using BusyPointer = void (*)(bool busy);
void set_busy_pointer(BusyPointer pointer);

// The SIP softphone's executable: the sip_program setting when not empty,
// else "$ProgramFiles/NCH Software/Talk/talk.exe" when ProgramFiles is set,
// else talk.exe found on the PATH; "" when none of them gives one.
QString sip_softphone_program();

// The dialer's own executable (symbolic links resolved), which the
// dispatcher starts when no main window runs.
QString dialer_main_program();
