#include <QCoreApplication>

#include "tools/vekorra-settings/settings_tool.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    if (!settings_tool::is_watch(args))
        return settings_tool::run_command(args, stdout, stderr);
    settings_tool::Watcher watcher(args.value(1), args.value(2), stdout, stderr);
    if (!watcher.start())
        return settings_tool::StoreFailed;
    return app.exec();
}
