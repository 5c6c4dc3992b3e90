#include "dialer/settings/settings_window.h"

#include <QPointer>

#include "dialer/settings/nastr_form.h"

void show_settings_window(MainWindowLink& main_window, QWidget* parent)
{
    // Loaded at the first opening; "Закрыть" only hides it, the close box
    // unloads it.
    static QPointer<Nastr_form> form;
    if (form && &form->main_window() != &main_window)
        delete form;
    if (!form)
        form = new Nastr_form(main_window, parent);
    form->exec();
    if (form && form->unload_requested())
        delete form;
}
