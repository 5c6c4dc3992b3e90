#include "platform/launcher.h"

#include <QProcess>

namespace platform {

bool ProcessLauncher::start_detached(const QString& program, const QStringList& arguments)
{
    // QProcess never involves a shell: the user's text stays one argument.
    return QProcess::startDetached(program, arguments);
}

namespace {
ProcessLauncher process_launcher;
Launcher* current_launcher = &process_launcher;
}  // namespace

Launcher& launcher() { return *current_launcher; }

void set_launcher(Launcher* replacement)
{
    current_launcher = replacement ? replacement : &process_launcher;
}

}  // namespace platform
