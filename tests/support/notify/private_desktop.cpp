#include "private_desktop.h"

#include "x_server.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QJsonDocument>
#include <QThread>
#include <QUuid>

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>

#include "test_env.h"

namespace {

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

void end_with_parent(QProcess& process)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

void end(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000))
        process.kill();
    process.waitForFinished(3000);
}

QProcessEnvironment environment_of(const PrivateBus& bus, const QString& display = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), bus.address());
    if (!display.isEmpty())
        environment.insert(QStringLiteral("DISPLAY"), display);
    return environment;
}

}  // namespace

PrivateBus::PrivateBus()
{
    if (ready())
        qputenv("DBUS_SESSION_BUS_ADDRESS", address().toUtf8());
}

PrivateBus::~PrivateBus()
{
    QDBusConnection::disconnectFromBus(QStringLiteral("test-") + address());
}

QDBusConnection PrivateBus::connection() const
{
    // One named connection per bus: connectToBus hands back the open one.
    return QDBusConnection::connectToBus(address(), QStringLiteral("test-") + address());
}

bool PrivateBus::name_owned(const QString& name) const
{
    QDBusConnectionInterface* bus = connection().interface();
    return bus && bus->isServiceRegistered(name).value();
}

VirtualScreen::VirtualScreen()
{
    display_ = start_xvfb(process_, QStringLiteral("1024x768"), &error_);
}

VirtualScreen::~VirtualScreen() { end(process_); }

bool VirtualScreen::screenshot(const QString& path) const
{
    return !run_program(QStringLiteral("import"),
                        {QStringLiteral("-display"), display_, QStringLiteral("-window"), QStringLiteral("root"), path},
                        QProcessEnvironment::systemEnvironment())
                .isNull();
}

Dunst::Dunst(const PrivateBus& bus, const VirtualScreen& screen) : bus_(bus)
{
    // An empty file: dunst's built-in settings, whatever ~/.config holds.
    const QString config = dir_.filePath(QStringLiteral("dunstrc"));
    QFile(config).open(QIODevice::WriteOnly);
    QProcessEnvironment environment = environment_of(bus, screen.display());
    environment.insert(QStringLiteral("HOME"), dir_.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    end_with_parent(process_);
    process_.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
    ready_ = process_.waitForStarted(5000)
             && wait_until([&] { return bus_.name_owned(kNotifications); }, 10000);
}

Dunst::~Dunst() { end(process_); }

QString Dunst::output() { return QString::fromLocal8Bit(process_.readAll()); }

int Dunst::displayed() const
{
    const QString count = run_program(QStringLiteral("dunstctl"), {QStringLiteral("count"), QStringLiteral("displayed")},
                                      environment_of(bus_));
    bool number = false;
    const int value = count.trimmed().toInt(&number);
    return number ? value : -1;
}

TestNotificationServer::TestNotificationServer(const PrivateBus& bus, bool with_actions, const QString& reply_after)
    : bus_(bus)
{
    QStringList arguments{QStringLiteral("--log"), dir_.filePath(QStringLiteral("calls.jsonl"))};
    if (!with_actions)
        arguments << QStringLiteral("--no-actions");
    if (!reply_after.isEmpty())
        arguments << QStringLiteral("--reply-after") << reply_after;
    process_.setProcessEnvironment(environment_of(bus));
    end_with_parent(process_);
    process_.start(QStringLiteral(VEKORRA_TEST_NOTIFICATION_SERVER), arguments);
    ready_ = process_.waitForStarted(5000) && process_.waitForReadyRead(5000)
             && process_.readLine().trimmed() == "ready";
}

TestNotificationServer::~TestNotificationServer() { stop(); }

void TestNotificationServer::stop() { end(process_); }

QString TestNotificationServer::output() { return QString::fromLocal8Bit(process_.readAll()); }

QList<QJsonObject> TestNotificationServer::calls(const QString& name) const
{
    QList<QJsonObject> found;
    QFile log(dir_.filePath(QStringLiteral("calls.jsonl")));
    if (!log.open(QIODevice::ReadOnly))
        return found;
    while (!log.atEnd()) {
        const QJsonObject call = QJsonDocument::fromJson(log.readLine()).object();
        if (!call.isEmpty() && (name.isEmpty() || call.value(QStringLiteral("call")).toString() == name))
            found << call;
    }
    return found;
}

bool TestNotificationServer::wait_for(const QString& name, int count, int timeout_ms) const
{
    return wait_until([&] { return calls(name).size() >= count; }, timeout_ms);
}

namespace {
bool control(const PrivateBus& bus, const QString& method, const QVariantList& arguments)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kNotifications, QStringLiteral("/control"),
                                                       QStringLiteral("org.vekorra.test.NotificationControl"), method);
    call.setArguments(arguments);
    return bus.connection().call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}
}  // namespace

bool TestNotificationServer::invoke(uint id, const QString& action_key) const
{
    return control(bus_, QStringLiteral("Invoke"), {id, action_key});
}

bool TestNotificationServer::dismiss(uint id) const
{
    return control(bus_, QStringLiteral("Dismiss"), {id});
}
