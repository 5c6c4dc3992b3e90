#include "dialer/main_window/start_mode.h"

namespace main_window {

QString argument_text(const QStringList& arguments_after_program)
{
    return arguments_after_program.join(QLatin1Char(' '));
}

StartMode start_mode(const QString& argument_text)
{
    return argument_text.isEmpty() ? StartMode::Window : StartMode::HandOver;
}

}  // namespace main_window
