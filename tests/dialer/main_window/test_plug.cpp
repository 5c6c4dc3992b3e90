// Phones plugged into and out of a running dialer: the phone simulator
// making and removing its ports-folder entry is the plug and the unplug
// (real file-system notifications), with real controllers behind the real
// main window.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "dialer/main_window/form_port.h"
#include "dialer/main_window/plug_notice.h"
#include "dialer/main_window/plug_watch.h"
#include "phonesim_driver.h"
#include "running_dialer.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"
#include "tests/support/message_recorder.h"
#include "tests/support/recording_notifications.h"

namespace {

QString board(int slot, const QString& key) { return read_setting("Kestrum", QString::number(slot), key, QString()); }

bool connected(int slot, const QString& model)
{
    return wait_until([&] { return board(slot, "on_pr") == "True" && board(slot, "model") == model; }, 15000);
}

// "pts/7" for the simulator behind ports/comN.
QString device_of(const PhoneSim& phone)
{
    return QFileInfo(phone.link_path()).canonicalFilePath().mid(QStringLiteral("/dev/").size());
}

QLabel* notice_text(PlugNotice* notice)
{
    for (QLabel* label : notice->findChildren<QLabel*>()) {
        if (label->text().startsWith("Подключён телефон"))
            return label;
    }
    return nullptr;
}
QPushButton* notice_button(PlugNotice* notice, const QString& text)
{
    for (QPushButton* button : notice->findChildren<QPushButton*>()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

}  // namespace

class TestPlug : public QObject {
    Q_OBJECT

private slots:
    void new_phone_is_offered_and_connected();
    void phones_of_one_model_are_told_apart_and_declined();
    void phone_back_is_reconnected();
    void offer_is_also_a_desktop_notification();
};

void TestPlug::new_phone_is_offered_and_connected()
{
    TestEnv env;
    PhoneSim first({"--model", "Phone A"}, 1);
    QVERIFY(first.ready());
    RunningDialer dialer;
    dialer.start();
    QVERIFY(connected(1, "Phone A"));
    PlugNotice* notice = dialer.form.plug_notice();
    QVERIFY(notice->isHidden());

    PhoneSim plugged({"--model", "Nokia 6230"}, 5);
    QVERIFY(plugged.ready());
    QVERIFY(wait_until([&] { return notice->isVisible(); }, 5000));
    QCOMPARE(notice_text(notice)->text(), "Подключён телефон Nokia 6230 (" + device_of(plugged) + ")");
    auto* slot_choice = notice->findChild<QComboBox*>();
    QCOMPARE(slot_choice->accessibleDescription(), QStringLiteral("Подключить как"));
    QCOMPARE(slot_choice->count(), 3);  // phone 1 is taken
    QCOMPARE(slot_choice->itemText(0), QStringLiteral("Телефон 2"));
    QVERIFY(!dialer.form.frame(2)->isVisibleTo(&dialer.form));

    QTest::mouseClick(notice_button(notice, "Подключить"), Qt::LeftButton);
    QVERIFY(notice->isHidden());
    QCOMPARE(board(2, "port"), QStringLiteral("5"));
    QCOMPARE(board(2, "Tip_tlf"), QStringLiteral("GSM"));
    QCOMPARE(board(2, "ON"), QStringLiteral("1"));
    QCOMPARE(board(2, "name_tlf"), QStringLiteral("Nokia 6230"));
    QVERIFY(dialer.form.frame(2)->isVisibleTo(&dialer.form));
    QVERIFY2(connected(2, "Nokia 6230"), qPrintable(board(2, "on_pr")));
    QVERIFY(dialer.messages.texts.isEmpty());
}

void TestPlug::phones_of_one_model_are_told_apart_and_declined()
{
    TestEnv env;
    PhoneSim first({"--model", "Phone A"}, 1);
    RunningDialer dialer;
    dialer.start();
    QVERIFY(connected(1, "Phone A"));
    PlugNotice* notice = dialer.form.plug_notice();

    // Only "AT+CGMM" and only "ATI" give these models.
    PhoneSim one({"--model", "Nokia 6230", "--model-query", "cgmm"}, 6);
    auto two = std::make_unique<PhoneSim>(QStringList{"--model", "Nokia 6230", "--model-query", "ati"}, 7);
    QVERIFY(one.ready() && two->ready());
    QVERIFY(wait_until([&] { return notice->waiting().size() == 2; }, 5000));
    const QString first_text = notice_text(notice)->text();
    QVERIFY(first_text.startsWith("Подключён телефон Nokia 6230 ("));
    QVERIFY(first_text.contains(device_of(one)) || first_text.contains(device_of(*two)));
    QVERIFY(device_of(one) != device_of(*two));

    // Unplugged before the user answered: no longer offered.
    two.reset();
    QVERIFY(wait_until([&] { return notice->waiting().size() == 1; }, 5000));
    QCOMPARE(notice_text(notice)->text(), "Подключён телефон Nokia 6230 (" + device_of(one) + ")");

    QTest::mouseClick(notice_button(notice, "Не подключать"), Qt::LeftButton);
    QVERIFY(notice->isHidden());
    QCOMPARE(board(2, "port"), QString());
    QCOMPARE(board(2, "ON"), QString());
    QVERIFY(dialer.messages.texts.isEmpty());
}

void TestPlug::phone_back_is_reconnected()
{
    TestEnv env;
    // Only the ports folder leads to port 101: unplugged, it leads nowhere,
    // as the by-id link of a real phone (port 1 would fall back to ttyS0).
    auto phone = std::make_unique<PhoneSim>(QStringList{"--model", "Phone A"}, 101);
    RunningDialer dialer(101);
    dialer.start();
    QVERIFY(connected(1, "Phone A"));
    auto* watch = dialer.form.findChild<main_window::PlugWatch*>();
    QVERIFY(watch);
    QSignalSpy reconnects(watch, &main_window::PlugWatch::reconnect_requested);

    phone.reset();  // unplugged: its entry goes
    QVERIFY(wait_until([] { return board(1, "on_pr") == "False"; }, 15000));
    phone = std::make_unique<PhoneSim>(QStringList{"--model", "Phone B"}, 101);
    QVERIFY(phone->ready());
    QVERIFY(wait_until([&] { return reconnects.count() == 1; }, 5000));
    QCOMPARE(reconnects.first().first().toInt(), 1);
    QVERIFY(connected(1, "Phone B"));
    // The controller took the request; nothing is offered for a slot's phone.
    QVERIFY(wait_until([] { return board(1, "podkl_snova").isEmpty(); }, 5000));
    QVERIFY(dialer.form.plug_notice()->isHidden());
}

// The same offer on the desktop: "Подключить" and "Не подключать" answer
// it there; answered in the window, it leaves the screen.
void TestPlug::offer_is_also_a_desktop_notification()
{
    TestEnv env;
    RecordingNotifications server;
    main_window::PlugNotification notification(server);
    QSignalSpy accepted(&notification, &main_window::PlugNotification::accept);
    QSignalSpy declined(&notification, &main_window::PlugNotification::decline);
    SerialDevice device;
    device.node = "/dev/ttyACM0";
    device.links = QStringList{"/dev/serial/by-id/usb-Nokia_6230_0123-if01"};
    const PhoneOffer offer{device, "Nokia 6230", {2, 3}};

    notification.show(offer);
    QCOMPARE(server.on_screen.size(), 1);
    QCOMPARE(server.only_shown().summary, QStringLiteral("Подключён телефон Nokia 6230 (Nokia 6230 0123)"));
    QCOMPARE(server.only_shown().body, QStringLiteral("Подключить его как телефон 2?"));
    QCOMPARE(RecordingNotifications::action_keys(server.only_shown()),
             (QStringList{"default", "connect", "decline"}));
    server.invoke(server.only_shown_id(), "connect");
    QCOMPARE(accepted.size(), 1);
    QVERIFY(server.on_screen.isEmpty());

    notification.show(offer);
    server.invoke(server.only_shown_id(), "decline");
    QCOMPARE(declined.size(), 1);

    notification.show(offer);
    notification.withdraw(offer);
    QVERIFY(server.on_screen.isEmpty());
    // Switched off, nothing is shown.
    write_setting("Vekorra", "drugoe", "uvedomleniya", "0");
    notification.show(offer);
    QVERIFY(server.on_screen.isEmpty());
    QCOMPARE(accepted.size() + declined.size(), 2);
}

QTEST_MAIN(TestPlug)
#include "test_plug.moc"
