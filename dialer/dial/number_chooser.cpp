#include "dialer/dial/number_chooser.h"

#include "dialer/dial/dial_log.h"
#include "dialer/dial/operators_telefons.h"

namespace {
NumberChooser* installed_chooser = nullptr;
}  // namespace

void set_number_chooser(NumberChooser* chooser) { installed_chooser = chooser; }

NumberChooser* number_chooser() { return installed_chooser; }

QString pick_number(const QString& text)
{
    if (candidate_numbers(text).size() < 2)
        return text;
    if (!installed_chooser) {
        // Dialling one of several numbers the user never chose would be a
        // wrong call; refusing is the safe side.
        qCWarning(lcDial) << "several numbers in" << text << "but no number chooser installed";
        return QString();
    }
    return installed_chooser->choose(text);
}
