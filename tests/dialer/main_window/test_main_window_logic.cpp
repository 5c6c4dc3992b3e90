// The main window's logic without a window: the status pass, the watchers,
// and the mode choice, against a real store.
#include <QtTest>

#include "dialer/main_window/call_buttons.h"
#include "dialer/main_window/start_mode.h"
#include "dialer/main_window/status_pass.h"
#include "dialer/main_window/watchers.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using namespace main_window;

namespace {

const QString kApp = QStringLiteral("Kestrum");
const QString kNoCalls = QStringLiteral("@@@@@@");

void put(int section, const QString& key, const QString& value)
{
    write_setting(kApp, QString::number(section), key, value);
}

QString get(int section, const QString& key, const QString& fallback = QStringLiteral("<absent>"))
{
    return read_setting(kApp, QString::number(section), key, fallback);
}

// A slot whose controller runs: connected, no calls, no buttons decided.
void publish_idle(int section, const QString& model)
{
    put(section, "model", model);
    put(section, "on_pr", "True");
    put(section, "status", kNoCalls);
    put(section, "zvonok", kNoCalls);
    put(section, "knopki_zv", "@@@@@@@@@@");
}

QString shown_buttons(const SlotView& view)
{
    QString flags;
    for (const auto& button : view.buttons)
        flags += !button ? QLatin1Char('-') : (*button ? QLatin1Char('1') : QLatin1Char('0'));
    return flags;
}

QString shown_placeholders(const SlotView& view)
{
    if (!view.placeholders)
        return QStringLiteral("------");
    QString flags;
    for (bool shown : *view.placeholders)
        flags += shown ? QLatin1Char('1') : QLatin1Char('0');
    return flags;
}

}  // namespace

Q_DECLARE_METATYPE(main_window::DisplayColour)

class MainWindowLogicTest : public QObject {
    Q_OBJECT

private slots:
    void display_follows_calls_and_connection_data();
    void display_follows_calls_and_connection();
    void buttons_and_placeholders_data();
    void buttons_and_placeholders();
    void empty_button_list_keeps_the_buttons();
    void short_button_list_ends_the_slot_among_its_buttons();
    void slot_without_status_ends_only_its_own_part();
    void model_is_copied_to_the_display_name_every_pass();
    void incoming_calls_are_taken_from_five_sections();
    void incoming_time_without_number_is_consumed_silently();
    void call_requests_depend_on_the_window_switch_data();
    void call_requests_depend_on_the_window_switch();
    void argument_text_and_mode();
};

void MainWindowLogicTest::display_follows_calls_and_connection_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("on_pr");  // "<absent>" leaves the key out
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("zvonok");
    QTest::addColumn<QString>("text");
    QTest::addColumn<DisplayColour>("colour");
    QTest::addColumn<QString>("port_zanyat");

    QTest::newRow("one call in field 0") << "M" << "True" << "Набор номера....@@@@@@"
                                          << "0671234567@@@@@@"
                                          << "Набор номера.... 0671234567\r\n" << DisplayColour::LightGreen << QString();
    QTest::newRow("only rows whose state is set")
        << "M" << "True" << "@Разг. / (Исх. вызов)@@Удерж. / (Вх. вызов)@@@"
        << "@111@222@333@@@" << "Разг. / (Исх. вызов) 111\r\nУдерж. / (Вх. вызов) 333\r\n"
        << DisplayColour::LightGreen << QString();
    QTest::newRow("state without numbers is no call list")
        << "Nokia" << "True" << "Вх.вызов@@@@@@" << kNoCalls << "Nokia" << DisplayColour::LightYellow << QString();
    QTest::newRow("connected") << "Nokia 6230" << "True" << kNoCalls << kNoCalls << "Nokia 6230"
                               << DisplayColour::LightYellow << QString();
    QTest::newRow("port closed") << "Nokia 6230" << "False" << kNoCalls << kNoCalls
                                 << "Nokia 6230 < НЕТ СВЯЗИ >" << DisplayColour::LightGrey << QString();
    QTest::newRow("port state 0") << "Nokia" << "0" << kNoCalls << kNoCalls << "Nokia < НЕТ СВЯЗИ >"
                                  << DisplayColour::LightGrey << QString();
    QTest::newRow("no port state, no model") << "" << "<absent>" << kNoCalls << kNoCalls
                                             << " < НЕТ СВЯЗИ >" << DisplayColour::LightGrey << QString();
    QTest::newRow("connected, no model") << "" << "True" << kNoCalls << kNoCalls << ""
                                         << DisplayColour::LightYellow << QString();
    // Who holds the port is said while it is not connected, not after.
    const QString held = "Порт занят программой minicom (PID 42). Закройте её и подключите телефон снова.";
    QTest::newRow("port held") << "Nokia" << "False" << kNoCalls << kNoCalls
                               << "Nokia < НЕТ СВЯЗИ >\r\nПорт занят программой minicom (PID 42)."
                               << DisplayColour::LightGrey << held;
    QTest::newRow("port held, connected") << "Nokia" << "True" << kNoCalls << kNoCalls << "Nokia"
                                          << DisplayColour::LightYellow << held;
}

void MainWindowLogicTest::display_follows_calls_and_connection()
{
    QFETCH(QString, model);
    QFETCH(QString, on_pr);
    QFETCH(QString, status);
    QFETCH(QString, zvonok);
    TestEnv env;
    put(1, "model", model);
    if (on_pr != QLatin1String("<absent>"))
        put(1, "on_pr", on_pr);
    put(1, "status", status);
    put(1, "zvonok", zvonok);
    QFETCH(QString, port_zanyat);
    put(1, "port_zanyat", port_zanyat);

    const SlotView view = read_slot_view(1);
    QCOMPARE(view.port_note, port_zanyat);
    QVERIFY(view.display.has_value());
    QTEST(view.display->text, "text");
    QTEST(view.display->colour, "colour");
}

void MainWindowLogicTest::buttons_and_placeholders_data()
{
    QTest::addColumn<QString>("knopki_zv");  // "<absent>" leaves the key out
    QTest::addColumn<QString>("buttons");
    QTest::addColumn<QString>("placeholders");

    QTest::newRow("absent: all hidden") << "<absent>" << "00000000000" << "111111";
    QTest::newRow("after an orderly end") << "@@@@@@@@@@" << "00000000000" << "111111";
    QTest::newRow("take line and swap") << "1@@@@@@@1@@@" << "10000001000" << "011011";
    QTest::newRow("incoming call") << "0@0@0@0@0@1@1@0@0@0@0" << "00000110000" << "010111";
    QTest::newRow("call in progress") << "0@0@0@0@1@0@0@0@0@0@1" << "00001000001" << "110110";
    QTest::newRow("only exactly 1 counts") << "true@ 1@1 @01@1@@@@@@" << "00001000000" << "110111";
    QTest::newRow("more than eleven fields") << "@@@@@@@@@1@@@" << "00000000010" << "111101";
}

void MainWindowLogicTest::buttons_and_placeholders()
{
    QFETCH(QString, knopki_zv);
    TestEnv env;
    publish_idle(1, "M");
    if (knopki_zv == QLatin1String("<absent>"))
        settings_store::unset_setting(kApp, "1", "knopki_zv");
    else
        put(1, "knopki_zv", knopki_zv);

    const SlotView view = read_slot_view(1);
    QTEST(shown_buttons(view), "buttons");
    QTEST(shown_placeholders(view), "placeholders");
}

void MainWindowLogicTest::empty_button_list_keeps_the_buttons()
{
    TestEnv env;
    publish_idle(1, "M");
    put(1, "knopki_zv", "");
    const SlotView view = read_slot_view(1);
    QVERIFY(view.display.has_value());
    QCOMPARE(shown_buttons(view), QStringLiteral("-----------"));
    QCOMPARE(shown_placeholders(view), QStringLiteral("------"));
}

void MainWindowLogicTest::short_button_list_ends_the_slot_among_its_buttons()
{
    TestEnv env;
    publish_idle(1, "M");
    publish_idle(2, "N");
    put(1, "knopki_zv", "1@0@1");
    put(2, "knopki_zv", "@@@@1@@@@@@");

    const auto views = status_pass();
    QCOMPARE(shown_buttons(views[0]), QStringLiteral("101--------"));
    QCOMPARE(shown_placeholders(views[0]), QStringLiteral("------"));
    // The next slot is refreshed all the same.
    QCOMPARE(shown_buttons(views[1]), QStringLiteral("00001000000"));
    QCOMPARE(views[1].display->text, QStringLiteral("N"));
}

void MainWindowLogicTest::slot_without_status_ends_only_its_own_part()
{
    TestEnv env;
    publish_idle(1, "Phone one");
    // Slot 2: a controller never ran. Slot 3: a status with too few fields.
    put(3, "model", "Phone three");
    put(3, "status", "@@@");
    put(3, "zvonok", kNoCalls);
    publish_idle(4, "Phone four");
    put(4, "knopki_zv", "@@@@1@@@@@@");

    const auto views = status_pass();
    QCOMPARE(views[0].display->text, QStringLiteral("Phone one"));
    QVERIFY(!views[1].display.has_value());
    QCOMPARE(shown_buttons(views[1]), QStringLiteral("-----------"));
    QVERIFY(!views[2].display.has_value());
    QVERIFY(!views[2].placeholders.has_value());
    QCOMPARE(views[3].display->text, QStringLiteral("Phone four"));
    QCOMPARE(views[3].display->colour, DisplayColour::LightYellow);
    QCOMPARE(shown_buttons(views[3]), QStringLiteral("00001000000"));
}

void MainWindowLogicTest::model_is_copied_to_the_display_name_every_pass()
{
    TestEnv env;
    publish_idle(1, "Siemens S55");
    put(2, "name_tlf", "stale name");  // slot 2 never ran: no model, no status
    status_pass();
    QCOMPARE(get(1, "name_tlf"), QStringLiteral("Siemens S55"));
    QCOMPARE(get(2, "name_tlf"), QString());
    QCOMPARE(get(3, "name_tlf"), QString());
    put(1, "model", "ER");
    status_pass();
    QCOMPARE(get(1, "name_tlf"), QStringLiteral("ER"));
}

void MainWindowLogicTest::incoming_calls_are_taken_from_five_sections()
{
    TestEnv env;
    QVERIFY(!take_incoming_call().has_value());

    put(2, "vhod_zvonok", "0501112233");
    put(2, "vhod_zvonok_time", "14:05:33");
    auto call = take_incoming_call();
    QVERIFY(call.has_value());
    QCOMPARE(call->number, QStringLiteral("0501112233"));
    QCOMPARE(call->time, QStringLiteral("14:05:33"));
    QCOMPARE(get(2, "vhod_zvonok"), QString());
    QCOMPARE(get(2, "vhod_zvonok_time"), QString());

    // Several in one tick: the last in the order 1, 2, 3, 4, 6 is shown,
    // all are consumed; Skype's section 5 is never touched.
    put(1, "vhod_zvonok", "111");
    put(1, "vhod_zvonok_time", "10:00:01");
    put(3, "vhod_zvonok", "333");
    put(3, "vhod_zvonok_time", "10:00:03");
    put(5, "vhod_zvonok", "555");
    call = take_incoming_call();
    QCOMPARE(call->number, QStringLiteral("333"));
    QCOMPARE(call->time, QStringLiteral("10:00:03"));
    QCOMPARE(get(1, "vhod_zvonok"), QString());
    QCOMPARE(get(1, "vhod_zvonok_time"), QString());
    QCOMPARE(get(5, "vhod_zvonok"), QStringLiteral("555"));

    put(6, "vhod_zvonok", "666");  // the time of the call was not yet written
    call = take_incoming_call();
    QCOMPARE(call->number, QStringLiteral("666"));
    QCOMPARE(call->time, QString());
}

void MainWindowLogicTest::incoming_time_without_number_is_consumed_silently()
{
    TestEnv env;
    put(4, "vhod_zvonok", "");
    put(4, "vhod_zvonok_time", "09:09:09");
    QVERIFY(!take_incoming_call().has_value());
    QCOMPARE(get(4, "vhod_zvonok_time"), QString());
}

void MainWindowLogicTest::call_requests_depend_on_the_window_switch_data()
{
    QTest::addColumn<QString>("wind");  // "<absent>" leaves it out
    QTest::addColumn<int>("section");   // where a number waits; 0 = nowhere
    QTest::addColumn<bool>("pending");

    QTest::newRow("switch absent, slot 1") << "<absent>" << 1 << true;
    QTest::newRow("switch on, slot 4") << "1" << 4 << true;
    QTest::newRow("switch off") << "0" << 1 << false;
    QTest::newRow("not exactly 0 counts as on") << "false" << 2 << true;
    QTest::newRow("nothing waits") << "1" << 0 << false;
    QTest::newRow("Skype's section is no request") << "1" << 5 << false;
}

void MainWindowLogicTest::call_requests_depend_on_the_window_switch()
{
    QFETCH(QString, wind);
    QFETCH(int, section);
    TestEnv env;
    if (wind != QLatin1String("<absent>"))
        write_setting("Vekorra", "drugoe", "wind", wind);
    if (section != 0)
        put(section, "pozvonit", "0671234567");
    QTEST(call_request_pending(), "pending");
    if (section != 0)
        QCOMPARE(get(section, "pozvonit"), QStringLiteral("0671234567"));
}





void MainWindowLogicTest::argument_text_and_mode()
{
    QCOMPARE(argument_text({"8", "(067)", "123-45-67"}), QStringLiteral("8 (067) 123-45-67"));
    QCOMPARE(argument_text({"8 (067) 123-45-67"}), QStringLiteral("8 (067) 123-45-67"));
    QCOMPARE(argument_text({"tel:+380671234567"}), QStringLiteral("tel:+380671234567"));
    QCOMPARE(argument_text({"TEL:%2B38%20067%201234567"}), QStringLiteral("TEL:+38 067 1234567"));
    QCOMPARE(argument_text({"050%2B1"}), QStringLiteral("050%2B1"));  // not a link: as typed
    QCOMPARE(start_mode(argument_text({})), StartMode::Window);
    QCOMPARE(start_mode(argument_text({""})), StartMode::Window);
    QCOMPARE(start_mode(QStringLiteral(" ")), StartMode::HandOver);
}

QTEST_GUILESS_MAIN(MainWindowLogicTest)
#include "test_main_window_logic.moc"
