#pragma once
#include <QString>

// Hands one prepared number to the phone its routing rule names. Changes the
// number in place (completion, "+" replacement, target adjustments).
void dispatch_number(QString& number);

// Opens the address with the desktop's default handler; a failure is shown
// in a box captioned "frmAbout::ExecuteLink".
void open_link(const QString& address);
