#include "dialer/settings/settings_window.h"

#include <QPointer>

#include "dialer/settings/nastr_form.h"

void show_settings_window(MainWindowLink& main_window, QWidget* parent)
{
    static QPointer<Nastr_form> form;
    if (!form)
        form = new Nastr_form(main_window, parent);
    form->exec();
}
