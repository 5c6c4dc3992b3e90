// Runs the dialer (offscreen) with the controller of phone 1 on a simulated
// GSM phone, on a private session bus with the tests' own notification
// server, and prints over N calls (default 30; first argument overrides):
//  - ring -> Notify: from the simulator's "incoming" event to the dialer's
//    Notify call at the server;
//  - answered -> CloseNotification: every other call is answered the way
//    the window's button does it (vzat_t), measured from "ATA" reaching the
//    phone to the dialer's CloseNotification; the others are answered from
//    the notification (the server invokes "answer"): action -> Close and
//    action -> "ATA" at the phone.
// Then over N text messages: the simulator's announcement ("+CMTI") to the
// dialer's "Новое сообщение" Notify, which its messages tab sends in the
// pass that shows the message.
// Both as median and 99th percentile. Times are the simulator's and the
// server's own records (both on the system clock).
#include <QCoreApplication>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <algorithm>
#include <cstdio>

#include "phonesim_driver.h"
#include "private_desktop.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

namespace {

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(share * double(values.size() - 1) + 0.5));
    return values[index];
}

void report(const char* what, const std::vector<double>& ms, const char* targets)
{
    if (ms.empty()) {
        std::printf("%-38s no samples\n", what);
        return;
    }
    std::printf("%-38s n=%zu median %6.1f ms  p99 %6.1f ms  max %6.1f ms  (targets: %s)\n", what, ms.size(),
                percentile(ms, 0.5), percentile(ms, 0.99), percentile(ms, 1.0), targets);
}

// Epoch seconds of the first simulator log line at or after `since` whose
// text (after the time) starts with `prefix`; -1 when there is none.
double phone_event(const PhoneSim& phone, const QString& prefix, double since)
{
    for (const QString& line : phone.log_lines()) {
        const double at = line.section(QLatin1Char(' '), 0, 0).toDouble();
        if (at >= since && line.section(QLatin1Char(' '), 1).startsWith(prefix))
            return at;
    }
    return -1;
}

// The server's first call `name` whose field `key` satisfies `match`.
QJsonObject server_call(const TestNotificationServer& server, const QString& name,
                        const std::function<bool(const QJsonObject&)>& match)
{
    for (const QJsonObject& call : server.calls(name)) {
        if (match(call))
            return call;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 30;

    TestEnv env;
    PrivateBus bus;  // the dialer started below inherits its address
    TestNotificationServer server(bus);
    PhoneSim phone({"--mode", "gsm", "--model", "Bench 1", "--ring-urc", "3000"}, 1);
    if (!bus.ready() || !server.ready() || !phone.ready()) {
        std::fprintf(stderr, "set-up failed: %s %s\n", qPrintable(bus.error()), qPrintable(server.output()));
        return 1;
    }
    write_setting("Kestrum", "1", "port", "1");

    QProcess dialer;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    dialer.setProcessEnvironment(environment);
    dialer.setStandardOutputFile(QProcess::nullDevice());
    dialer.setStandardErrorFile(env.root() + "/vekorra.log");
    dialer.start(TestEnv::build_dir() + "/vekorra", {});
    const auto finish = [&](int status) {
        dialer.kill();
        dialer.waitForFinished(3000);
        write_setting("Kestrum", "1", "on_przv_exe", "0");
        QThread::msleep(1500);  // the controller ends within a second
        return status;
    };
    if (!dialer.waitForStarted(5000)
        || !wait_until([] { return read_setting("Kestrum", "1", "on_pr", "") == "True"; }, 20000)) {
        std::fprintf(stderr, "the dialer or its controller did not start\n");
        return finish(1);
    }
    QThread::sleep(1);

    std::vector<double> ring_to_notify, answer_to_close, action_to_ata, action_to_close;
    for (int call = 0; call < calls; ++call) {
        const QString number = QStringLiteral("05022%1").arg(call, 5, 10, QLatin1Char('0'));
        const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0 - 0.001;
        phone.control("incoming " + number);
        const double rang = phone_event(phone, "EV incoming " + number, before);
        QJsonObject notify;
        wait_until([&] {
            notify = server_call(server, "Notify", [&](const QJsonObject& c) {
                return c.value("body").toString().startsWith(number);
            });
            return !notify.isEmpty();
        }, 5000);
        if (notify.isEmpty()) {
            std::fprintf(stderr, "call %d: no Notify within 5 s%s\n", call,
                         call == 0 ? " (is the call notifier wired into the main window?)" : "");
            return finish(2);
        }
        ring_to_notify.push_back((notify.value("t").toDouble() - rang) * 1000.0);

        const uint id = notify.value("id").toInt();
        // Even calls are answered from the notification, odd ones elsewhere
        // (as the window's button does: vzat_t), which the dialer learns
        // only from the phone's state.
        const bool from_notification = call % 2 == 0;
        const double asked = QDateTime::currentMSecsSinceEpoch() / 1000.0 - 0.001;
        if (from_notification)
            server.invoke(id, "answer");
        else
            write_setting("Kestrum", "1", "vzat_t", "1");
        QJsonObject close;
        const bool answered = phone.wait_for_command("ATA", 5000, call + 1);
        wait_until([&] {
            close = server_call(server, "CloseNotification", [&](const QJsonObject& c) {
                return uint(c.value("id").toInt()) == id && c.value("t").toDouble() >= asked;
            });
            return !close.isEmpty();
        }, 5000);
        const double ata = phone_event(phone, "RX ATA", asked);
        if (!answered || close.isEmpty() || ata < 0) {
            std::fprintf(stderr, "call %d: answer: ATA %s, CloseNotification %s\n", call,
                         answered ? "seen" : "missing", close.isEmpty() ? "missing" : "seen");
        } else if (from_notification) {
            action_to_ata.push_back((ata - asked) * 1000.0);
            action_to_close.push_back((close.value("t").toDouble() - asked) * 1000.0);
        } else {
            answer_to_close.push_back((close.value("t").toDouble() - ata) * 1000.0);
        }
        phone.control("hangup");
        wait_until([] { return read_setting("Kestrum", "1", "status", "").startsWith("@"); }, 5000);
        // Random pauses keep the rings from falling into step with the ticks.
        QThread::msleep(300 + QRandomGenerator::global()->bounded(1000));
    }

    std::vector<double> message_to_notify;
    for (int message = 0; message < calls; ++message) {
        const QString text = QStringLiteral("bench message %1").arg(message);
        const double before = QDateTime::currentMSecsSinceEpoch() / 1000.0;
        phone.control("sms +380671110000 " + text);
        QJsonObject notify;
        wait_until([&] {
            notify = server_call(server, "Notify", [&](const QJsonObject& c) {
                return c.value("body").toString().contains(text);
            });
            return !notify.isEmpty();
        }, 5000);
        if (!notify.isEmpty())
            message_to_notify.push_back((notify.value("t").toDouble() - before) * 1000.0);
        QThread::msleep(300 + QRandomGenerator::global()->bounded(1000));
    }

    std::printf("Desktop notifications of the dialer, phone 1 on the phone simulator, %d calls\n", calls);
    report("ring -> Notify", ring_to_notify, "median <= 450 ms, p99 <= 800 ms");
    report("answered (ATA at the phone) -> Close", answer_to_close, "p99 <= 1000 ms");
    report("action \"answer\" -> Close", action_to_close, "none");
    report("action \"answer\" -> ATA at the phone", action_to_ata, "none");
    report("message announced -> Notify", message_to_notify, "median <= 500 ms");
    return finish(ring_to_notify.size() == size_t(calls) ? 0 : 1);
}
