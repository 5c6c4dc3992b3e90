#pragma once
#include <QString>

// Lets the user pick one number out of a text that holds several. The
// window that asks lives in the windows library, which installs itself here
// (install_number_chooser() in number_chooser_window.h); the dial logic
// reaches it only through this interface.
class NumberChooser {
public:
    virtual ~NumberChooser() = default;
    // Shows the candidates of a_nomer, waits for the user and returns the
    // chosen clean number, or "" when the user cancelled.
    virtual QString choose(const QString& a_nomer) = 0;
};

// Installs the chooser (not owned); nullptr removes it.
void set_number_chooser(NumberChooser* chooser);
NumberChooser* number_chooser();

// The text itself when it holds fewer than two candidate numbers; otherwise
// the number the user chose ("" when cancelled). Without an installed
// chooser nobody can be asked, and the text counts as cancelled.
QString pick_number(const QString& text);
