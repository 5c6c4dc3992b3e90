// The installed programs in real windows, driven as a person would: the
// tree that `cmake --install` lays out, started from its bin/ links under an
// X server of the test's own, with phones simulated on pseudo-terminals.
// Windows are found by their titles; every action is a real pointer or key
// event; what the windows show is read back by marking it with the pointer
// or from the screen's pixels. Screenshots of the main steps are kept as
// build/screenshots/system_*.png.
#include <QApplication>
#include <QRegularExpression>
#include <QtTest>

#include "phonesim_driver.h"
#include "screens.h"
#include "serial/stable_names.h"
#include "settings_fakes.h"
#include "x_desktop.h"

using main_window::CallButton;

namespace {

const QString kPhone1 = QStringLiteral("Nokia 6230i");
const QString kPhone2 = QStringLiteral("SIM300");

auto equals(const QString& text)
{
    return [text](const QString& shown) { return shown == text; };
}

auto contains_all(const QStringList& parts)
{
    return [parts](const QString& shown) {
        for (const QString& part : parts) {
            if (!shown.contains(part))
                return false;
        }
        return true;
    };
}

// The rows of a display, e.g. {"Разг. / (Исх. вызов) 0501234567", ...}.
QStringList rows(const QString& display) { return display.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }

// The call list of the simulated phone, as "<number>:<state>:<multiparty>".
QStringList call_states(PhoneSim& phone)
{
    QStringList states;
    for (const QString& call : phone.calls()) {
        const QStringList fields = call.split(QLatin1Char(','));
        if (fields.size() >= 6)
            states << QString(fields[5]).remove(QLatin1Char('"')) + QLatin1Char(':') + fields[2] + QLatin1Char(':')
                          + fields[4];
    }
    std::sort(states.begin(), states.end());
    return states;
}

bool wait_calls(PhoneSim& phone, const QStringList& expected)
{
    return poll_until([&] { return call_states(phone) == expected; }, 10000, 100);
}

// The usual start: phone 1 on port 1, the dialer started on it.
bool start_on_phone_one(InstalledDialer& dialer, const PhoneSim& phone)
{
    return phone.ready() && dialer.set_value("Kestrum", "1", "port", "1") && dialer.start();
}

QString knopki(const InstalledDialer& dialer, int slot) { return dialer.slot_value(slot, QStringLiteral("knopki_zv")); }

bool flag(const QString& knopki_zv, CallButton button)
{
    return knopki_zv.split(QLatin1Char('@')).value(main_window::field_of(button)) == QLatin1String("1");
}

#define VERIFY_DISPLAY(...) QVERIFY2(main.wait_display(__VA_ARGS__), qPrintable(main.last_read()))
#define VERIFY_SHOT(name) QVERIFY2(!desktop::screenshot(name).isEmpty(), "screenshot " name " failed")

}  // namespace

class SystemTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void first_start_enable_phone_two_and_route();
    void call_hold_swap_conference_and_hang_up();
    void incoming_call_answered_and_missed();
    void port_search_finds_phones_and_assigns();
    void tel_link_through_xdg_open();
};

void SystemTest::init()
{
    if (!InstalledDialer::installed())
        QFAIL(qPrintable("no installed tree at " + InstalledDialer::prefix() + " (the system_install test lays it out)"));
}

void SystemTest::first_start_enable_phone_two_and_route()
{
    InstalledDialer dialer;
    PhoneSim phone1({"--model", kPhone1, "--alert-ms", "100"}, 1);
    PhoneSim phone2({"--model", kPhone2, "--alert-ms", "100"}, 2);
    QVERIFY(phone1.ready() && phone2.ready());

    // First start on an empty store: the controller of phone 1 only, its
    // frame alone, not connected (no port yet).
    QVERIFY(dialer.start());
    MainScreen main(dialer);
    QVERIFY2(main.found(), qPrintable(dialer.output()));
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1}; }, 10000));
    QCOMPARE(dialer.slot_value(1, "on_przv_exe"), QStringLiteral("1"));
    QCOMPARE(dialer.slot_value(2, "on_przv_exe"), QStringLiteral("<absent>"));
    VERIFY_DISPLAY(1, equals("< НЕТ СВЯЗИ >"));
    QVERIFY(main.frame_shown(1));
    for (int slot = 2; slot <= 4; ++slot)
        QVERIFY2(!main.frame_shown(slot), qPrintable(QString::number(slot)));
    VERIFY_SHOT("first_start");

    // "Настройки": the first opening loads the defaults into the store.
    main.open_settings();
    SettingsScreen settings(dialer);
    QVERIFY(settings.found());
    QCOMPARE(dialer.slot_value(1, "port"), QStringLiteral("0"));
    QCOMPARE(dialer.value("MyApp", "vekorra", "kod3"), QStringLiteral("044"));
    QCOMPARE(dialer.value("Vekorra", "pravila", "KS"), QStringLiteral("0"));
    VERIFY_SHOT("settings_first_opening");

    // Enabling phone 2 starts its controller and shows its panel.
    settings.click("Check3_1");
    QVERIFY(dialer.wait_value(2, "ON", "1", 5000));
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1, 2}; }, 10000));
    QVERIFY(!settings.looks_empty("Frame1_1"));

    // Phones 3 and 4 as well: four controllers run. Unchecking phone 3
    // takes phone 4 with it, and both controllers end by themselves.
    settings.click("Check3_2");
    QVERIFY(dialer.wait_value(3, "ON", "1", 5000));
    settings.click("Check3_3");
    QVERIFY(dialer.wait_value(4, "ON", "1", 5000));
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1, 2, 3, 4}; }, 10000));
    VERIFY_SHOT("settings_four_phones");
    settings.click("Check3_2");
    QVERIFY(dialer.wait_value(3, "ON", "0", 5000));
    QVERIFY(dialer.wait_value(4, "ON", "0", 5000));
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1, 2}; }, 10000));

    // The phones' ports, typed into their boxes.
    settings.type_into("Text6_0", "1");
    settings.type_into("Text6_1", "2");
    QVERIFY(dialer.wait_value(1, "port", "1", 5000));
    QVERIFY(dialer.wait_value(2, "port", "2", 5000));
    VERIFY_SHOT("settings_phone_two_enabled");

    // Routing: KYIVSTAR numbers through phone 2, MTS stays on phone 1.
    settings.click_tab(1);
    settings.choose_in_list("Combo1_2", 1);
    QVERIFY(poll_until([&] { return dialer.value("Vekorra", "pravila", "KS") == "1"; }, 5000));
    QCOMPARE(dialer.value("Vekorra", "pravila", "MTS"), QStringLiteral("0"));
    VERIFY_SHOT("settings_rules");
    QVERIFY(settings.close());

    // Phone 2's panel is shown, phones 3 and 4 stay hidden; both phones
    // are connected: each panel shows its phone's model.
    QVERIFY(main.frame_shown(2));
    QVERIFY(!main.frame_shown(3));
    QVERIFY(!main.frame_shown(4));
    VERIFY_DISPLAY(1, equals(kPhone1));
    VERIFY_DISPLAY(2, equals(kPhone2));

    main.call("067 123 45 67");
    QVERIFY2(phone2.wait_for_command("ATD0671234567;", 10000), qPrintable(phone2.received().join('|')));
    VERIFY_DISPLAY(2, contains_all({"0671234567"}));
    VERIFY_SHOT("routed_067_to_phone_two");
    QVERIFY(phone2.control("hangup"));
    VERIFY_DISPLAY(2, equals(kPhone2));

    main.call("050 765 43 21");
    QVERIFY2(phone1.wait_for_command("ATD0507654321;", 10000), qPrintable(phone1.received().join('|')));
    VERIFY_DISPLAY(1, contains_all({"0507654321"}));
    VERIFY_SHOT("routed_050_to_phone_one");
    QCOMPARE(phone1.count_received("ATD"), 1);
    QCOMPARE(phone2.count_received("ATD"), 1);
    QVERIFY(phone1.control("hangup"));

    // Closing the window withdraws every controller's permission.
    QVERIFY(dialer.close_main_window());
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(dialer.slot_value(slot, "on_przv_exe"), QStringLiteral("0"));
    QVERIFY(poll_until([&] { return dialer.running_controllers().isEmpty(); }, 5000));
}

void SystemTest::call_hold_swap_conference_and_hang_up()
{
    InstalledDialer dialer;
    PhoneSim phone({"--model", kPhone1, "--alert-ms", "100"}, 1);
    QVERIFY2(start_on_phone_one(dialer, phone), qPrintable(dialer.output()));
    MainScreen main(dialer);
    QVERIFY2(main.found(), qPrintable(dialer.output()));
    VERIFY_DISPLAY(1, equals(kPhone1));

    // An outgoing call, answered by the far end.
    main.call("050 123 45 67");
    QVERIFY(phone.wait_for_command("ATD0501234567;", 10000));
    QVERIFY(main.wait_offered(1, CallButton::pol_tr2_k));
    QVERIFY(phone.control("answer"));
    VERIFY_DISPLAY(1, [](const QString& shown) {
        return rows(shown).size() == 1 && shown.startsWith("Разг.") && shown.contains("0501234567");
    });
    QVERIFY(main.wait_offered(1, CallButton::kf_dob_k));
    QVERIFY(!main.offered(1, CallButton::prin2_k));
    VERIFY_SHOT("call_answered");

    // A second call waits; answering it puts the first on hold.
    QVERIFY(phone.control("waiting 0671112233"));
    QVERIFY(poll_until([&] { return flag(knopki(dialer, 1), CallButton::prin1_k); }, 5000));
    QVERIFY(main.wait_offered(1, CallButton::prin1_k));
    VERIFY_DISPLAY(1, contains_all({"0501234567", "0671112233"}));
    VERIFY_SHOT("second_call_waiting");
    main.press(1, CallButton::prin1_k);
    QVERIFY(phone.wait_for_command("ATA", 5000));
    QVERIFY(wait_calls(phone, {"0501234567:1:0", "0671112233:0:0"}));
    VERIFY_DISPLAY(1, [](const QString& shown) {
        const QStringList lines = rows(shown);
        return lines.size() == 2 && lines.filter("Удерж.").size() == 1 && lines.filter("Удерж.")[0].contains("0501234567")
            && lines.filter("Разг.").size() == 1 && lines.filter("Разг.")[0].contains("0671112233");
    });
    QVERIFY(main.wait_offered(1, CallButton::kf1_k));
    VERIFY_SHOT("first_call_held");

    // Join the held call: a conference of two.
    main.press(1, CallButton::kf1_k);
    QVERIFY(phone.wait_for_command("AT+CHLD=3", 5000));
    QVERIFY(wait_calls(phone, {"0501234567:0:1", "0671112233:0:1"}));
    VERIFY_DISPLAY(1, [](const QString& shown) {
        return rows(shown).size() == 2 && rows(shown).filter("Разг.").size() == 2;
    });
    QVERIFY(main.wait_offered(1, CallButton::kf_oj_k));
    VERIFY_SHOT("conference_of_two");

    // Swap: the conference goes on hold, then comes back.
    main.press(1, CallButton::kf_oj_k);
    QVERIFY(phone.wait_for_command("AT+CHLD=2", 5000));
    QVERIFY(wait_calls(phone, {"0501234567:1:1", "0671112233:1:1"}));
    VERIFY_DISPLAY(1, [](const QString& shown) { return rows(shown).filter("Удерж.").size() == 2; });
    QVERIFY(poll_until([&] { return flag(knopki(dialer, 1), CallButton::kf_k); }, 5000));
    QVERIFY(main.wait_offered(1, CallButton::kf_k));
    VERIFY_SHOT("conference_on_hold");
    main.press(1, CallButton::kf_k);
    QVERIFY(phone.wait_for_command("AT+CHLD=2", 5000, 2));
    QVERIFY(wait_calls(phone, {"0501234567:0:1", "0671112233:0:1"}));
    VERIFY_DISPLAY(1, [](const QString& shown) { return rows(shown).filter("Разг.").size() == 2; });

    // Add a party: the conference-add window of phone 1 dials a third
    // number, which is then joined in.
    QVERIFY(main.wait_offered(1, CallButton::kf_dob_k));
    main.press(1, CallButton::kf_dob_k);
    const unsigned long add_window =
        desktop::wait_window(dialer.pid(), QStringLiteral("Добавление абонента в конференцию (Телефон 1)"), 5000);
    QVERIFY(add_window != 0);
    VERIFY_SHOT("conference_add_window");
    desktop::type_text(add_window, "0631234567");
    desktop::press_keys(add_window, {"Return"});
    QVERIFY(phone.wait_for_command("ATD0631234567;", 10000));
    QVERIFY(poll_until([&] { return desktop::window_gone(dialer.pid(), "Добавление абонента в конференцию (Телефон 1)"); },
                       5000));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_calls(phone, {"0501234567:1:1", "0631234567:0:0", "0671112233:1:1"}));
    VERIFY_DISPLAY(1, contains_all({"0501234567", "0631234567", "0671112233"}));
    QVERIFY(poll_until([&] { return flag(knopki(dialer, 1), CallButton::kf1_k); }, 5000));
    QVERIFY(main.wait_offered(1, CallButton::kf1_k));
    main.press(1, CallButton::kf1_k);
    QVERIFY(phone.wait_for_command("AT+CHLD=3", 5000, 2));
    QVERIFY(wait_calls(phone, {"0501234567:0:1", "0631234567:0:1", "0671112233:0:1"}));
    VERIFY_DISPLAY(1, [](const QString& shown) { return rows(shown).filter("Разг.").size() == 3; });
    VERIFY_SHOT("conference_of_three");

    // Hang up: every call ends, the panel shows the phone again.
    main.press(1, CallButton::pol_tr2_k);
    QVERIFY(phone.wait_for_command("AT+CHUP", 5000));
    QVERIFY(wait_calls(phone, {}));
    VERIFY_DISPLAY(1, equals(kPhone1));
    QVERIFY(main.wait_offered(1, CallButton::pol_tr2_k, false));
    VERIFY_SHOT("hung_up");

    // The order in which the commands reached the phone.
    QStringList commands = phone.received().filter(QRegularExpression("^(ATD|ATA|AT\\+CHLD|AT\\+CHUP)"));
    QCOMPARE(commands, (QStringList{"ATD0501234567;", "ATA", "AT+CHLD=3", "AT+CHLD=2", "AT+CHLD=2",
                                    "ATD0631234567;", "AT+CHLD=3", "AT+CHUP"}));
}

void SystemTest::incoming_call_answered_and_missed()
{
    InstalledDialer dialer;
    PhoneSim phone({"--model", kPhone1}, 1);
    QVERIFY2(start_on_phone_one(dialer, phone), qPrintable(dialer.output()));
    MainScreen main(dialer);
    QVERIFY2(main.found(), qPrintable(dialer.output()));
    VERIFY_DISPLAY(1, equals(kPhone1));

    // A call rings in: announced on "Журнал звонков", answered.
    QVERIFY(phone.control("incoming 0509876543"));
    QVERIFY(poll_until([&] { return main.last_call_number() == "0509876543"; }, 10000));
    const QRegularExpression time_of_day("^\\d\\d:\\d\\d:\\d\\d$");
    QVERIFY2(poll_until([&] { return time_of_day.match(main.last_call_time()).hasMatch(); }, 5000),
             qPrintable(main.last_read()));
    VERIFY_DISPLAY(1, contains_all({"0509876543"}));
    QVERIFY(main.wait_offered(1, CallButton::prin2_k));
    QVERIFY(main.offered(1, CallButton::otklon2_k));
    VERIFY_SHOT("incoming_ringing");
    main.press(1, CallButton::prin2_k);
    QVERIFY(phone.wait_for_command("ATA", 5000));
    VERIFY_DISPLAY(1, [](const QString& shown) { return shown.startsWith("Разг.") && shown.contains("0509876543"); });
    QVERIFY(main.wait_offered(1, CallButton::prin2_k, false));
    VERIFY_SHOT("incoming_answered");
    QVERIFY(phone.control("hangup"));
    VERIFY_DISPLAY(1, equals(kPhone1));

    // A second call rings and the caller gives up before it is answered.
    QVERIFY(phone.control("incoming 0661112233"));
    QVERIFY(poll_until([&] { return main.last_call_number() == "0661112233"; }, 10000));
    QVERIFY(main.wait_offered(1, CallButton::prin2_k));
    QVERIFY(phone.control("hangup"));
    VERIFY_DISPLAY(1, equals(kPhone1));
    QVERIFY(main.wait_offered(1, CallButton::prin2_k, false));
    QVERIFY(!main.offered(1, CallButton::pol_tr2_k));
    QVERIFY2(poll_until([&] { return main.last_call_number() == "0661112233"; }, 5000), qPrintable(main.last_read()));
    QCOMPARE(phone.count_received("ATA"), 1);
    QCOMPARE(dialer.slot_value(1, "vhod_zvonok"), QString());
    VERIFY_SHOT("incoming_missed");
}

void SystemTest::port_search_finds_phones_and_assigns()
{
    InstalledDialer dialer;
    PhoneSim phone1({"--model", kPhone1, "--echo", "off"}, 1);
    PhoneSim phone2({"--model", kPhone2, "--gmm-prefix"}, 2);
    QVERIFY(phone1.ready() && phone2.ready());
    shield_real_ports(dialer.env().ports_dir());
    QVERIFY(dialer.set_value("Kestrum", "2", "ON", "1"));
    QVERIFY(dialer.start());
    MainScreen main(dialer);
    QVERIFY2(main.found(), qPrintable(dialer.output()));
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1, 2}; }, 10000));

    main.open_settings();
    SettingsScreen settings(dialer);
    QVERIFY(settings.found());
    settings.click("Command2");
    // The connected phones stay connected through the search and are listed
    // from what their controllers report, in port order: neither is asked.
    const QString device1 = display_name(stable_name(phone1.link_path()));
    const QString device2 = display_name(stable_name(phone2.link_path()));
    settings.found_phones = {{kPhone1, device1}, {kPhone2, device2}};
    QVERIFY(poll_until([&] { return settings.shows_found_phones(); }, 15000));
    settings.found_phones = {{kPhone2, device2}, {kPhone1, device1}};
    QVERIFY(!settings.shows_found_phones());
    settings.found_phones = {{kPhone1, device1}, {kPhone2, device2}};
    QCOMPARE(dialer.running_controllers(), (QList<int>{1, 2}));
    QCOMPARE(phone1.count_received("AT+GMM"), 1);
    QCOMPARE(phone2.count_received("AT+GMM"), 1);
    VERIFY_SHOT("search_found_two");

    // Selecting an entry offers "Назначить >": phone 2 gets the second
    // entry's port, phone 1 the first's.
    settings.click_found_entry(1);
    settings.shown << "Frame3" << "Command5_0" << "Command5_1";
    QVERIFY(poll_until([&] { return !settings.looks_empty("Command5_1"); }, 5000));
    settings.click("Command5_1");
    QVERIFY(dialer.wait_value(2, "port", "2", 5000));
    settings.click_found_entry(0);
    settings.click("Command5_0");
    QVERIFY(dialer.wait_value(1, "port", "1", 5000));
    VERIFY_SHOT("search_assigned");

    // Closing the window leaves the controllers on the assigned ports.
    QVERIFY(settings.close());
    QVERIFY(poll_until([&] { return dialer.running_controllers() == QList<int>{1, 2}; }, 10000));
    VERIFY_DISPLAY(1, equals(kPhone1));
    VERIFY_DISPLAY(2, equals(kPhone2));
    VERIFY_SHOT("search_phones_connected");
}

void SystemTest::tel_link_through_xdg_open()
{
    InstalledDialer dialer;
    PhoneSim phone({"--model", kPhone1}, 1);
    QVERIFY2(start_on_phone_one(dialer, phone), qPrintable(dialer.output()));
    MainScreen main(dialer);
    QVERIFY2(main.found(), qPrintable(dialer.output()));
    VERIFY_DISPLAY(1, equals(kPhone1));

    // The user makes the installed dialer the handler of tel: links.
    QString output;
    QCOMPARE(dialer.run("xdg-mime", {"default", "vekorra.desktop", "x-scheme-handler/tel"}, &output), 0);
    QCOMPARE(dialer.run("xdg-mime", {"query", "default", "x-scheme-handler/tel"}, &output), 0);
    QCOMPARE(output.trimmed(), QStringLiteral("vekorra.desktop"));

    // A click on a tel: link in a browser ends in xdg-open.
    QCOMPARE(dialer.run("xdg-open", {"tel:050-123-45-67"}, &output), 0);
    QVERIFY2(phone.wait_for_command("ATD0501234567;", 10000), qPrintable(output + phone.received().join('|')));
    VERIFY_DISPLAY(1, contains_all({"0501234567"}));
    VERIFY_SHOT("tel_link_dialled");
    QVERIFY(phone.control("hangup"));
    VERIFY_DISPLAY(1, equals(kPhone1));

    // With no dialer running, the hand-over first opens the main window,
    // whose controller then dials.
    QVERIFY(dialer.close_main_window());
    QVERIFY(poll_until([&] { return dialer.running_controllers().isEmpty(); }, 5000));
    QCOMPARE(dialer.run("xdg-open", {"tel:+38 (067) 765-43-21"}, &output, 30000), 0);
    const QList<qint64> started = dialer.running_dialers();
    QCOMPARE(started.size(), 1);
    QVERIFY(desktop::wait_window(started.first(), "Vekorra", 5000) != 0);
    QVERIFY2(phone.wait_for_command("ATD+380677654321;", 15000), qPrintable(output + phone.received().join('|')));
    VERIFY_SHOT("tel_link_opened_main_window");
}

int main(int argc, char** argv)
{
    XServer server;
    if (!server.ready()) {
        qCritical("%s", qPrintable(server.error()));
        return 1;
    }
    QApplication app(argc, argv);
    SystemTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_system.moc"
