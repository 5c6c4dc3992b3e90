// The session-bus notification service on a private bus: against the tests'
// own server (exact calls, actions, another program's actions), with no
// server and no bus at all, and against dunst under Xvfb (what a user sees).
#include <QDir>
#include <QJsonObject>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "dialer/main_window/call_notifier.h"
#include "platform/dbus_notifications.h"
#include "private_desktop.h"
#include "test_env.h"

using platform::DBusNotificationService;
using platform::Notification;

namespace {

Notification incoming_call()
{
    Notification notification;
    notification.app_name = QStringLiteral("Vekorra");
    notification.icon = QStringLiteral("vekorra");
    notification.summary = QStringLiteral("Входящий звонок");
    notification.body = QStringLiteral("0501234567\nТелефон 1 (Nokia 6300)");
    notification.actions = {{QStringLiteral("default"), QString()},
                            {QStringLiteral("answer"), QStringLiteral("Ответить")},
                            {QStringLiteral("decline"), QStringLiteral("Отклонить")}};
    notification.urgency = platform::Urgency::Critical;
    notification.category = QStringLiteral("call.incoming");
    notification.desktop_entry = QStringLiteral("vekorra");
    notification.expire_timeout_ms = 0;
    return notification;
}

// Lines of the "vekorra.notify" category while a test runs.
QStringList notify_log;
QtMessageHandler previous_handler = nullptr;
void record_notify_log(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (context.category && QByteArray(context.category) == "vekorra.notify")
        notify_log << message;
    else
        previous_handler(type, context, message);
}

// Dunst's own colours for critical notifications (frame #ff0000 on
// #900000); a normal one is drawn in blue-grey.
int critical_red_pixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor colour = image.pixelColor(x, y);
            if (colour.red() >= 0x80 && colour.green() < 0x20 && colour.blue() < 0x20)
                ++count;
        }
    }
    return count;
}

}  // namespace

class DBusNotificationsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void calls_reach_the_server_exactly();
    void replace_close_and_the_servers_signals();
    void capabilities_follow_the_server();
    void notifier_over_the_bus_ignores_other_programs_actions();
    void no_server_and_no_bus_cost_one_log_line();
    void hung_or_slow_server_costs_no_wait_data();
    void hung_or_slow_server_costs_no_wait();
    void dunst_shows_the_call_and_takes_it_away();

private:
    TestEnv* env_ = nullptr;
};

void DBusNotificationsTest::init()
{
    env_ = new TestEnv;
    notify_log.clear();
    previous_handler = qInstallMessageHandler(record_notify_log);
}

void DBusNotificationsTest::cleanup()
{
    qInstallMessageHandler(previous_handler);
    delete env_;
}

void DBusNotificationsTest::calls_reach_the_server_exactly()
{
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    TestNotificationServer server(bus);
    QVERIFY2(server.ready(), qPrintable(server.output()));
    DBusNotificationService service(bus.connection());

    const quint32 id = service.notify(incoming_call());
    QVERIFY(id != 0);
    QVERIFY(server.wait_for(QStringLiteral("Notify"), 1, 5000));
    const QList<QJsonObject> notifies = server.calls(QStringLiteral("Notify"));
    QCOMPARE(notifies.size(), 1);
    const QJsonObject call = notifies.first();
    QCOMPARE(call.value("replaces_id").toInt(), 0);
    QCOMPARE(call.value("app_name").toString(), QStringLiteral("Vekorra"));
    QCOMPARE(call.value("app_icon").toString(), QStringLiteral("vekorra"));
    QCOMPARE(call.value("summary").toString(), QStringLiteral("Входящий звонок"));
    QCOMPARE(call.value("body").toString(), QStringLiteral("0501234567\nТелефон 1 (Nokia 6300)"));
    QCOMPARE(call.value("actions").toVariant().toStringList(),
             (QStringList{"default", "", "answer", "Ответить", "decline", "Отклонить"}));
    QCOMPARE(call.value("urgency").toInt(), 2);
    QCOMPARE(call.value("urgency_type").toString(), QStringLiteral("y"));  // a byte, as the interface says
    QCOMPARE(call.value("category").toString(), QStringLiteral("call.incoming"));
    QCOMPARE(call.value("desktop_entry").toString(), QStringLiteral("vekorra"));
    QCOMPARE(call.value("expire_timeout").toInt(), 0);
    QVERIFY(notify_log.isEmpty());
}

void DBusNotificationsTest::replace_close_and_the_servers_signals()
{
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    TestNotificationServer server(bus);
    QVERIFY2(server.ready(), qPrintable(server.output()));
    DBusNotificationService service(bus.connection());
    QSignalSpy actions(&service, &platform::NotificationService::action_invoked);
    QSignalSpy closes(&service, &platform::NotificationService::closed);

    const quint32 id = service.notify(incoming_call());
    Notification changed = incoming_call();
    changed.summary = QStringLiteral("Второй вызов");
    changed.replaces_id = id;
    QCOMPARE(service.notify(changed), id);  // waits for the server's id, then replaces
    QVERIFY(server.wait_for(QStringLiteral("Notify"), 2, 5000));
    const uint server_id = server.calls(QStringLiteral("Notify")).first().value("id").toInt();
    QCOMPARE(server.calls(QStringLiteral("Notify")).last().value("replaces_id").toInt(), int(server_id));

    QVERIFY(server.invoke(server_id, QStringLiteral("answer")));
    QVERIFY(wait_until([&] { return actions.size() == 1; }, 5000));
    QCOMPARE(actions.first().at(0).toUInt(), id);
    QCOMPARE(actions.first().at(1).toString(), QStringLiteral("answer"));

    service.close(id);
    QVERIFY(server.wait_for(QStringLiteral("CloseNotification"), 1, 5000));
    QCOMPARE(server.calls(QStringLiteral("CloseNotification")).first().value("id").toInt(), int(server_id));
    QVERIFY(wait_until([&] { return closes.size() == 1; }, 5000));
    QCOMPARE(closes.first().at(0).toUInt(), id);
    QCOMPARE(closes.first().at(1).value<platform::CloseReason>(), platform::CloseReason::Closed);
}

void DBusNotificationsTest::capabilities_follow_the_server()
{
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    DBusNotificationService service(bus.connection());
    {
        TestNotificationServer plain(bus, false);
        QVERIFY2(plain.ready(), qPrintable(plain.output()));
        QVERIFY(wait_until([&] { return service.capabilities() == QStringList{"body"}; }, 5000));
        service.capabilities();
        QCOMPARE(plain.calls(QStringLiteral("GetCapabilities")).size(), 1);  // asked once per server
    }
    QVERIFY(wait_until([&] { return !bus.name_owned(QStringLiteral("org.freedesktop.Notifications")); }, 5000));
    TestNotificationServer with_actions(bus, true);
    QVERIFY2(with_actions.ready(), qPrintable(with_actions.output()));
    // The owner change reaches the service through the event loop.
    QVERIFY(wait_until([&] { return service.capabilities().contains(QStringLiteral("actions")); }, 5000));
}

// The server answers Notify late, so the user's action is heard before
// the reply that names the notification: it still counts, once.
void DBusNotificationsTest::notifier_over_the_bus_ignores_other_programs_actions()
{
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    TestNotificationServer server(bus, true, QStringLiteral("500"));
    QVERIFY2(server.ready(), qPrintable(server.output()));
    DBusNotificationService service(bus.connection());
    main_window::CallNotifier notifier(service);
    QSignalSpy answers(&notifier, &main_window::CallNotifier::answer);

    notifier.phone_pass({1, QStringLiteral("Nokia 6300"), main_window::RingingCall{QStringLiteral("0501234567"), false}});
    QVERIFY(server.wait_for(QStringLiteral("Notify"), 1, 5000));
    const uint ours = server.calls(QStringLiteral("Notify")).first().value("id").toInt();

    // Another program's notification with the same action key.
    QVERIFY(server.invoke(ours + 100, QStringLiteral("answer")));
    QVERIFY(server.invoke(ours, QStringLiteral("answer")));
    QVERIFY(wait_until([&] { return answers.size() >= 1; }, 5000));
    QTest::qWait(100);  // room for a wrong second answer to arrive
    QCOMPARE(answers.size(), 1);
    QCOMPARE(answers.first().at(0).toInt(), 1);
    QVERIFY(server.wait_for(QStringLiteral("CloseNotification"), 1, 5000));
}

void DBusNotificationsTest::no_server_and_no_bus_cost_one_log_line()
{
    {
        PrivateBus bus;
        QVERIFY2(bus.ready(), qPrintable(bus.error()));
        DBusNotificationService service(bus.connection());
        QSignalSpy closes(&service, &platform::NotificationService::closed);
        QVERIFY(service.capabilities().isEmpty());
        const quint32 first = service.notify(incoming_call());
        service.notify(incoming_call());
        service.close(5);
        // Nobody answers: each is reported closed, and the log has one line.
        QVERIFY(wait_until([&] { return closes.size() == 2; }, 5000));
        QCOMPARE(closes.first().at(0).toUInt(), first);
        QVERIFY(service.capabilities().isEmpty());
        QCOMPARE(notify_log.size(), 1);
        QVERIFY2(notify_log.first().contains(QStringLiteral("not shown")), qPrintable(notify_log.first()));
    }
    notify_log.clear();
    const QDBusConnection nowhere = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=") + env_->root() + QStringLiteral("/no-bus"), QStringLiteral("nowhere"));
    DBusNotificationService service(nowhere);
    QVERIFY(service.capabilities().isEmpty());
    QCOMPARE(service.notify(incoming_call()), 0u);
    service.close(5);
    QCOMPARE(notify_log.size(), 1);
    QVERIFY2(notify_log.first().contains(QStringLiteral("no session bus")), qPrintable(notify_log.first()));
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

void DBusNotificationsTest::hung_or_slow_server_costs_no_wait_data()
{
    QTest::addColumn<QString>("reply_after");
    QTest::newRow("never answers") << "never";
    QTest::newRow("answers after 2 s") << "2000";
}

// A call rings for many passes and 300 calls are missed while the server
// does not answer: capabilities are asked once, the missed calls after the
// third are one sum replaced in place, and a replace asked for before the
// server's answer waits for it instead of piling up calls.
void DBusNotificationsTest::hung_or_slow_server_costs_no_wait()
{
    QFETCH(QString, reply_after);
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    TestNotificationServer server(bus, true, reply_after);
    QVERIFY2(server.ready(), qPrintable(server.output()));
    DBusNotificationService service(bus.connection());
    main_window::CallNotifier notifier(service);
    const QDateTime at(QDate(2024, 5, 1), QTime(10, 0));
    for (int pass = 0; pass < 30; ++pass)
        notifier.phone_pass({1, QStringLiteral("Nokia 6300"), main_window::RingingCall{QStringLiteral("0501234567"), false}});
    for (int n = 1; n <= 300; ++n)
        notifier.missed_call({QStringLiteral("0500%1").arg(n, 6, 10, QLatin1Char('0')), 1, QStringLiteral("Nokia 6300"), at});
    QVERIFY(server.wait_for(QStringLiteral("Notify"), 5, 5000));
    QCOMPARE(server.calls(QStringLiteral("GetCapabilities")).size(), 1);
    const QList<QJsonObject> sent = server.calls(QStringLiteral("Notify"));
    QCOMPARE(sent[3].value("summary").toString(), QStringLiteral("Пропущенный звонок"));
    QCOMPARE(sent[4].value("summary").toString(), QStringLiteral("Пропущено звонков: 4"));
    if (reply_after == "never") {
        QTest::qWait(300);
        QCOMPARE(server.calls(QStringLiteral("Notify")).size(), 5);
        return;
    }
    // The answers come: the sum is replaced once, with the count now.
    QVERIFY(server.wait_for(QStringLiteral("Notify"), 6, 15000));
    const QJsonObject replaced = server.calls(QStringLiteral("Notify")).last();
    QCOMPARE(replaced.value("summary").toString(), QStringLiteral("Пропущено звонков: 300"));
    QCOMPARE(replaced.value("replaces_id").toInt(), sent[4].value("id").toInt());
    QCOMPARE(server.calls(QStringLiteral("GetCapabilities")).size(), 1);
}

void DBusNotificationsTest::dunst_shows_the_call_and_takes_it_away()
{
    VirtualScreen screen;
    QVERIFY2(screen.ready(), qPrintable(screen.error()));
    PrivateBus bus;
    QVERIFY2(bus.ready(), qPrintable(bus.error()));
    Dunst dunst(bus, screen);
    QVERIFY2(dunst.ready(), qPrintable(dunst.output()));
    DBusNotificationService service(bus.connection());
    QVERIFY(wait_until([&] { return service.capabilities().contains(QStringLiteral("actions")); }, 5000));

    const quint32 id = service.notify(incoming_call());
    QVERIFY(id != 0);
    QVERIFY(wait_until([&] { return dunst.displayed() == 1; }, 5000));
    Notification changed = incoming_call();
    changed.replaces_id = id;
    changed.summary = QStringLiteral("Второй вызов");
    QCOMPARE(service.notify(changed), id);
    QTest::qWait(300);  // dunst draws on its own schedule
    QCOMPARE(dunst.displayed(), 1);  // replaced, not stacked

    const QString folder = TestEnv::build_dir() + QStringLiteral("/screenshots");
    QDir().mkpath(folder);
    const QString shot = folder + QStringLiteral("/notify_incoming_call.png");
    QVERIFY(screen.screenshot(shot));
    const QImage image(shot);
    QVERIFY(!image.isNull());
    // Drawn as critical: the urgency byte arrived and dunst took it.
    QVERIFY2(critical_red_pixels(image) > 2000, qPrintable(QString::number(critical_red_pixels(image))));

    service.close(id);
    QVERIFY(wait_until([&] { return dunst.displayed() == 0; }, 5000));
    QVERIFY(screen.screenshot(folder + QStringLiteral("/notify_closed.png")));
    QCOMPARE(critical_red_pixels(QImage(folder + QStringLiteral("/notify_closed.png"))), 0);
}

QTEST_GUILESS_MAIN(DBusNotificationsTest)
#include "tst_dbus_notifications.moc"
