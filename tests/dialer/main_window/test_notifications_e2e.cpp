// The dialer's desktop notifications end to end: the real dialer on Xvfb,
// the controller of phone 1 on the phone simulator, a private session bus
// with the tests' own notification server, which records every call and
// plays the user's hand.
#include <QProcess>
#include <QScopeGuard>
#include <QtTest>

#include "phonesim_driver.h"
#include "private_desktop.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

namespace {

// The server's newest Notify whose body starts with the number.
QJsonObject notify_for(const TestNotificationServer& server, const QString& number)
{
    const QList<QJsonObject> calls = server.calls(QStringLiteral("Notify"));
    for (auto call = calls.crbegin(); call != calls.crend(); ++call)
        if (call->value("body").toString().startsWith(number))
            return *call;
    return {};
}

bool closed(const TestNotificationServer& server, uint id)
{
    for (const QJsonObject& call : server.calls(QStringLiteral("CloseNotification")))
        if (uint(call.value("id").toInt()) == id)
            return true;
    return false;
}

}  // namespace

class TestNotificationsE2e : public QObject {
    Q_OBJECT

private slots:
    void ringing_calls_are_notified_answered_and_closed();
};

void TestNotificationsE2e::ringing_calls_are_notified_answered_and_closed()
{
    TestEnv env;
    PrivateBus bus;
    VirtualScreen screen;
    TestNotificationServer server(bus);
    PhoneSim phone({"--mode", "gsm", "--model", "Notify 1"}, 1);
    QVERIFY2(bus.ready() && screen.ready() && server.ready() && phone.ready(),
             qPrintable(bus.error() + screen.error() + server.output()));
    write_setting("Kestrum", "1", "port", "1");

    QProcess dialer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", screen.display());
    dialer.setProcessEnvironment(environment);
    dialer.setStandardOutputFile(QProcess::nullDevice());
    dialer.setStandardErrorFile(env.root() + "/vekorra.log");
    dialer.start(TestEnv::build_dir() + "/vekorra", {});
    const auto stop = qScopeGuard([&] {
        dialer.kill();
        dialer.waitForFinished(3000);
        write_setting("Kestrum", "1", "on_przv_exe", "0");
        QTest::qWait(1500);  // the controller ends within a second
    });
    QVERIFY(dialer.waitForStarted(5000));
    QVERIFY(wait_until([] { return read_setting("Kestrum", "1", "on_pr", "") == "True"; }, 20000));

    // A ring is notified, as an incoming call of phone 1 with its actions.
    phone.control("incoming 0501110001");
    QJsonObject shown;
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = notify_for(server, "0501110001")).isEmpty(), 5000);
    QCOMPARE(shown.value("summary").toString(), QStringLiteral("Входящий звонок"));
    QVERIFY(shown.value("body").toString().contains(QStringLiteral("Телефон 1")));
    QCOMPARE(shown.value("category").toString(), QStringLiteral("call.incoming"));
    QVERIFY(shown.value("actions").toVariant().toStringList().contains(QStringLiteral("answer")));

    // "Ответить" on the notification answers at the phone, and the
    // notification goes once the phone reports the call answered.
    const uint first = shown.value("id").toInt();
    QVERIFY(server.invoke(first, "answer"));
    QVERIFY(phone.wait_for_command("ATA", 5000, 1));
    QTRY_VERIFY_WITH_TIMEOUT(closed(server, first), 3000);
    phone.control("hangup");
    QVERIFY(wait_until([] { return read_setting("Kestrum", "1", "status", "").startsWith("@"); }, 5000));

    // Answered elsewhere (the window's button): the phone's state closes it.
    phone.control("incoming 0501110002");
    QTRY_VERIFY_WITH_TIMEOUT(!(shown = notify_for(server, "0501110002")).isEmpty(), 5000);
    const uint second = shown.value("id").toInt();
    QVERIFY(second != first);
    write_setting("Kestrum", "1", "vzat_t", "1");
    QVERIFY(phone.wait_for_command("ATA", 5000, 2));
    QTRY_VERIFY_WITH_TIMEOUT(closed(server, second), 3000);
    phone.control("hangup");
    QVERIFY(wait_until([] { return read_setting("Kestrum", "1", "status", "").startsWith("@"); }, 5000));

    // Turned off in the settings: a ring shows nothing.
    write_setting("Vekorra", "drugoe", "uvedomleniya", "0");
    const qsizetype notified = server.calls(QStringLiteral("Notify")).size();
    phone.control("incoming 0501110003");
    // prin2_k, field 5, is offered while the call rings in.
    QVERIFY(wait_until([] { return read_setting("Kestrum", "1", "knopki_zv", "").section('@', 5, 5) == "1"; },
                       5000));
    QTest::qWait(1000);  // ten status passes of the dialer
    QCOMPARE(server.calls(QStringLiteral("Notify")).size(), notified);
    phone.control("hangup");
}

QTEST_GUILESS_MAIN(TestNotificationsE2e)
#include "test_notifications_e2e.moc"
