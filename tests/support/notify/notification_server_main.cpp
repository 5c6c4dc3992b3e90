// test_notification_server [--no-actions] [--reply-after MS|never] --log PATH
// Registers org.freedesktop.Notifications on the session bus
// ($DBUS_SESSION_BUS_ADDRESS), prints "ready" and serves until ended.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>
#include <cstdio>

#include "notification_server.h"

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int log_at = args.indexOf(QStringLiteral("--log"));
    if (log_at < 0 || log_at + 1 >= args.size()) {
        std::fprintf(stderr, "usage: test_notification_server [--no-actions] --log PATH\n");
        return 2;
    }
    NotificationServer server(args.at(log_at + 1), !args.contains(QStringLiteral("--no-actions")));
    const int delay_at = args.indexOf(QStringLiteral("--reply-after"));
    if (delay_at >= 0 && delay_at + 1 < args.size())
        server.reply_delay_ms = args.at(delay_at + 1) == QLatin1String("never") ? -1 : args.at(delay_at + 1).toInt();
    NotificationControl control(server);
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto everything = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server, everything)
        || !bus.registerObject(QStringLiteral("/control"), &control, everything)
        || !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "test_notification_server: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
