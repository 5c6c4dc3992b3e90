#include "dialer/settings/nastr_form.h"

Nastr_form::Nastr_form(MainWindowLink& main_window, QWidget* parent)
    : QDialog(parent), main_window_(main_window)
{
    setObjectName(QStringLiteral("Nastr_form"));
    setWindowTitle(QStringLiteral("Настройки программы"));
}
