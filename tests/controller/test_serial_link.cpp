// The serial link and the simple engines against simulated phones: the AT
// exchange and its reply, retries and time-out, port changes, the plain
// GSM, CDMA and wired-modem ticks, start-up and the orderly end.
#include <QtTest>

#include "controller/slot_lock.h"
#include "controller/text_rules.h"
#include "controller_fixture.h"

class TestSerialLink : public QObject {
    Q_OBJECT

private slots:
    void leading_number_data();
    void leading_number();
    void reply_normalisation_data();
    void reply_normalisation();
    void one_lock_per_slot_folder();
    void echo_is_removed_from_replies_data();
    void echo_is_removed_from_replies();
    void upper_case_error_is_final_lower_case_is_retried_once();
    void silent_phone_times_out_and_closes_port();
    void port_change_moves_to_the_new_phone();
    void model_query_asks_one_port_and_closes_it();
    void model_commands_follow_errors_data();
    void model_commands_follow_errors();
    void plain_gsm_tick_dials_without_reading();
    void plain_gsm_tick_without_port_loses_connection();
    void cdma_tick_dials_and_keeps_alive();
    void wired_tick_dials_and_handles_its_keys();
    void wired_tick_reports_no_dialtone();
    void wired_tick_gives_up_on_a_silent_modem();
    void command_for_another_mode_stays_pending();
    void engine_tick_goes_by_the_exact_phone_type();
    void watchdog_ends_in_order();
};

void TestSerialLink::leading_number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("spaces and tail") << "  4abc" << 4;
    QTest::newRow("half to even, down") << "2.5" << 2;
    QTest::newRow("half to even, up") << "3.5" << 4;
    QTest::newRow("fraction") << "7.6" << 8;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("no number") << "COM3" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("too large") << "70000" << 0;
}

void TestSerialLink::leading_number()
{
    QFETCH(QString, text);
    QFETCH(int, number);
    QCOMPARE(int(kestrum::leading_number16(text)), number);
}

void TestSerialLink::reply_normalisation_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::newRow("echoed AT") << "AT\r\r\nOK\r\n" << "AT" << "OK";
    QTest::newRow("model") << "AT+GMM\r\r\nNokia 6310\r\n\r\nOK\r\n" << "AT+GMM" << "Nokia 6310 OK";
    QTest::newRow("tabs, NUL, backspace") << QString::fromLatin1("\tA\bB\0C\x0b\r\nOK", 11) << "AT" << "ABC OK";
    QTest::newRow("no echo") << "\r\n+CLCC: 1,0,0,0,0,\"050\",129\r\n\r\nOK\r\n" << "AT+CLCC"
                             << "+CLCC: 1,0,0,0,0,\"050\",129 OK";
}

void TestSerialLink::reply_normalisation()
{
    QFETCH(QString, raw);
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QCOMPARE(kestrum::normalise_reply(raw, command), reply);
}

void TestSerialLink::one_lock_per_slot_folder()
{
    TestEnv env;
    QVERIFY(kestrum::slot_lock_path("/opt/a/1").startsWith(env.runtime_dir()));
    QVERIFY(kestrum::slot_lock_path("/opt/a/1") != kestrum::slot_lock_path("/opt/b/1"));
    QVERIFY(kestrum::acquire_slot_lock("/opt/a/1"));
    QVERIFY(!kestrum::acquire_slot_lock("/opt/a/1"));
    QVERIFY(kestrum::acquire_slot_lock("/opt/a/2"));
}

void TestSerialLink::echo_is_removed_from_replies_data()
{
    QTest::addColumn<QString>("echo");
    QTest::newRow("echo on") << "on";
    QTest::newRow("echo off") << "off";
}

void TestSerialLink::echo_is_removed_from_replies()
{
    QFETCH(QString, echo);
    ControllerRig rig({"--echo", echo, "--model", "Nokia 6310", "--gmm-prefix"});
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(rig.state().model, QStringLiteral("Nokia 6310"));
    QCOMPARE(rig.controller->at_exchange("AT", 0), QStringLiteral("OK"));
    QCOMPARE(rig.controller->at_exchange("AT+CLCC", 0), QStringLiteral("OK"));
}

void TestSerialLink::upper_case_error_is_final_lower_case_is_retried_once()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("fault error on"));
    int before = rig.phone.count_received("AT+GMI");
    QCOMPARE(rig.controller->at_exchange("AT+GMI", 0), QStringLiteral("ERROR"));
    QCOMPARE(rig.phone.count_received("AT+GMI"), before + 1);
    QVERIFY(rig.phone.control("fault error on") && rig.phone.control("fault error off"));
    QVERIFY(rig.phone.control("fault error-lower on"));
    before = rig.phone.count_received("AT+GMR");
    QVERIFY(rig.controller->at_exchange("AT+GMR", 0).endsWith("OK"));
    QCOMPARE(rig.phone.count_received("AT+GMR"), before + 2);
    QVERIFY(rig.controller->serial().PortOpen());
}

void TestSerialLink::silent_phone_times_out_and_closes_port()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QVERIFY(rig.phone.control("fault silence on"));
    rig.clock.sleeps.clear();
    QCOMPARE(rig.controller->at_exchange("AT", 0), QStringLiteral("ER"));
    // Polls 31 to 51 each wait half a second: about 10.7 s in all. The
    // polls before them wait a little for data instead of spinning.
    QCOMPARE(rig.clock.sleeps.count(500), 21);
    QCOMPARE(rig.clock.sleeps.count(10), 31);
    QVERIFY(!rig.controller->serial().PortOpen());
    // The next tick reopens the port and probes the phone again.
    QVERIFY(rig.phone.control("fault silence off"));
    const int probes = rig.phone.count_received("AT+GMM");
    rig.tick();
    QCOMPARE(rig.phone.count_received("AT+GMM"), probes + 1);
    QVERIFY(rig.controller->serial().PortOpen());
}

void TestSerialLink::port_change_moves_to_the_new_phone()
{
    ControllerRig rig;
    PhoneSim com3({"--model", "Siemens C35"}, 3);
    PhoneSim com4({"--model", "Motorola C350"}, 4);
    QVERIFY(com3.ready() && com4.ready());
    set_board("port", "3");
    rig.tick();
    QCOMPARE(rig.state().model, QStringLiteral("Siemens C35"));
    QCOMPARE(rig.controller->serial().CommPort(), 3);
    set_board("port", "4");
    const int at_com3 = com3.received().size();
    rig.tick();
    QCOMPARE(rig.controller->serial().CommPort(), 4);
    QCOMPARE(rig.state().model, QStringLiteral("Motorola C350"));
    QCOMPARE(com4.received().mid(0, 2), (QStringList{"AT+CLCC", "AT+GMM"}));
    QCOMPARE(com3.received().size(), at_com3);
}

void TestSerialLink::model_query_asks_one_port_and_closes_it()
{
    ControllerRig rig({"--model", "Nokia 6310", "--gmm-prefix"});
    QVERIFY(rig.phone.ready());
    rig.controller->start_engine();
    QCOMPARE(rig.controller->model_query(1), QStringLiteral(" Nokia 6310 "));
    QVERIFY(!rig.controller->serial().PortOpen());
    QVERIFY(!rig.controller->engine_running());
    QCOMPARE(rig.controller->model_query(9), QStringLiteral("---"));
}

void TestSerialLink::model_commands_follow_errors_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("asked");
    QTest::newRow("AT+GMM") << "gmm" << QStringList{"AT+GMM"};
    QTest::newRow("AT+CGMM") << "cgmm" << QStringList{"AT+GMM", "AT+CGMM"};
    QTest::newRow("ATI") << "ati" << QStringList{"AT+GMM", "AT+CGMM", "ATI"};
}

// The probe of a freshly opened port and the phone search's query ask on
// while the phone answers "ERROR"; a phone that knows AT+GMM hears nothing
// else.
void TestSerialLink::model_commands_follow_errors()
{
    QFETCH(QString, query);
    QFETCH(QStringList, asked);
    ControllerRig rig({"--model-query", query, "--model", "Nokia 6310"});
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(rig.state().model, QStringLiteral("Nokia 6310"));
    QCOMPARE(rig.phone.received().mid(1, asked.size()), asked);
    const int before = rig.phone.received().size();
    QCOMPARE(rig.controller->model_query(1), QStringLiteral("Nokia 6310 "));
    QCOMPARE(rig.phone.received().mid(before), asked);
    for (const QString& other : {QStringLiteral("AT+CGMM"), QStringLiteral("ATI")})
        QCOMPARE(rig.phone.count_received(other), 2 * int(asked.contains(other)));
}

void TestSerialLink::plain_gsm_tick_dials_without_reading()
{
    ControllerRig rig({"--mode", "gsm-noclcc"});
    QVERIFY(rig.phone.ready());
    rig.connect_phone();
    QCOMPARE(rig.state().CLCC, qint16(0));
    QVERIFY(rig.phone.wait_for_command("AT", 2000));
    rig.state().tlf_numb = "0501234567";
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("ATD0501234567;", 2000));
    QCOMPARE(rig.state().tlf_numb, QString());
    QCOMPARE(rig.view().status_text, QString());
    QCOMPARE(rig.view().indicator, kestrum::ControllerView::Indicator::Green);
    QVERIFY(!rig.view().connect_shown);
    rig.publish();
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@@@@@@@@@"));
    QCOMPARE(board("status"), QStringLiteral("@@@@@@"));
}

void TestSerialLink::plain_gsm_tick_without_port_loses_connection()
{
    ControllerRig rig;
    set_board("port", "0");
    rig.tick();
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));
    QCOMPARE(rig.view().indicator, kestrum::ControllerView::Indicator::Red);
    QCOMPARE(rig.state().sch, qint16(0));
    QCOMPARE(rig.controller->at_exchange("AT", 0), QStringLiteral("ER"));
}

void TestSerialLink::cdma_tick_dials_and_keeps_alive()
{
    ControllerRig rig({"--mode", "cdma"}, "CDMA");
    QVERIFY(rig.phone.ready());
    rig.state().i = 7;
    rig.tick();
    QVERIFY(rig.phone.wait_for_command("AT", 2000));
    QCOMPARE(rig.state().i, 0);
    QCOMPARE(rig.view().indicator, kestrum::ControllerView::Indicator::Hidden);
    set_board("pozvonit", "0501234567");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("AT+CDV0501234567;", 2000));
    QCOMPARE(rig.view().status_text, QString());
    QCOMPARE(rig.state().tlf_numb, QString());
    QCOMPARE(board("knopki_zv"), QStringLiteral("0@0@@@@@@@@@"));
    // A phone that refuses the dial loses the connection.
    QVERIFY(rig.phone.control("fault error on"));
    rig.state().tlf_numb = "0501234567";
    rig.tick();
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));
    QVERIFY(!rig.controller->serial().PortOpen());
}

void TestSerialLink::wired_tick_dials_and_handles_its_keys()
{
    ControllerRig rig({"--mode", "modem"}, "Provod");
    QVERIFY(rig.phone.ready());
    rig.round();
    QCOMPARE(board("knopki_zv"), QStringLiteral("1@1@@@@@@@@@"));
    QVERIFY(rig.view().take_line_shown && rig.view().wired_hang_up_shown);
    QVERIFY(rig.view().wired_reply.contains("OK"));
    set_board("pozvonit", "0441234567");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("ATD0441234567;", 2000));
    QCOMPARE(rig.state().i, 0);
    set_board("vzat_t_pr", "1");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("ATH1", 2000));
    set_board("poloz_t_pr", "1");
    rig.round();
    QVERIFY(rig.phone.wait_for_command("ATH", 2000, 2));
    QCOMPARE(rig.state().vzat_t_pr, qint16(0));
    QCOMPARE(rig.state().poloz_t_pr, qint16(0));
    QCOMPARE(rig.state().i, 2);  // the two command ticks read no reply
}

void TestSerialLink::wired_tick_reports_no_dialtone()
{
    ControllerRig rig({"--mode", "modem"}, "Provod");
    QVERIFY(rig.phone.ready());
    rig.tick();
    QVERIFY(rig.phone.control("result NO DIALTONE"));
    rig.state().tlf_numb = "0441234567";
    rig.tick();
    QCOMPARE(rig.messages.texts, QStringList{"Отсутствует гудок"});
    QVERIFY(rig.view().wired_reply.contains("NO DIALTONE"));
}

void TestSerialLink::wired_tick_gives_up_on_a_silent_modem()
{
    ControllerRig rig({"--mode", "modem"}, "Provod");
    QVERIFY(rig.phone.ready());
    rig.controller->limits().wired_reply_limit_ms = 400;
    rig.tick();
    QVERIFY(rig.phone.control("fault silence on"));
    rig.tick();
    QCOMPARE(rig.view().status_text, QStringLiteral("Потеряна связь"));
    QVERIFY(rig.view().connect_shown);
    QVERIFY(!rig.controller->serial().PortOpen());
    QCOMPARE(rig.state().i, 0);
}

void TestSerialLink::command_for_another_mode_stays_pending()
{
    ControllerRig rig({"--mode", "cdma"}, "CDMA");
    QVERIFY(rig.phone.ready());
    set_board("vzat_t", "1");
    rig.round();
    QCOMPARE(board("vzat_t"), QString());
    QCOMPARE(rig.state().vzat_t, qint16(1));
    QCOMPARE(rig.phone.count_received("ATA"), 0);
    set_board("vzat_t", "x");  // not a number: consumed as 0
    rig.publish();
    QCOMPARE(rig.state().vzat_t, qint16(0));
}

void TestSerialLink::engine_tick_goes_by_the_exact_phone_type()
{
    ControllerRig rig({"--mode", "modem"}, "gsm");
    QVERIFY(rig.phone.ready());
    rig.tick();
    QCOMPARE(rig.state().tip_tlf, QStringLiteral("gsm"));
    QVERIFY(!rig.controller->serial().PortOpen());  // "gsm" is no phone type
    QCOMPARE(rig.phone.received(), QStringList());
    set_board("tip_TLF", "Provod");  // names match in any case
    rig.round();
    QVERIFY(rig.phone.wait_for_command("AT", 2000));
    QCOMPARE(board("knopki_zv"), QStringLiteral("1@1@@@@@@@@@"));
}

void TestSerialLink::watchdog_ends_in_order()
{
    ControllerRig rig;
    rig.controller->start(true);
    QCOMPARE(board("on_pr_exe"), QStringLiteral("1"));
    QCOMPARE(rig.view().slot, QStringLiteral("1"));
    set_board("on_przv_exe", "1");
    rig.controller->watchdog_tick();  // slot 1 needs no ON
    QVERIFY(!rig.ended);
    rig.controller->service_tick();
    QVERIFY(rig.controller->engine_running());
    set_board("on_przv_exe", "0");
    rig.controller->watchdog_tick();
    QVERIFY(rig.ended);
    QCOMPARE(board("on_pr"), QStringLiteral("False"));
    QCOMPARE(board("model"), QString());
    QCOMPARE(board("knopki_zv"), QStringLiteral("@@@@@@@@@@"));
    QCOMPARE(board("on_pr_exe"), QStringLiteral("0"));
    QVERIFY(!rig.controller->engine_running());
}

QTEST_GUILESS_MAIN(TestSerialLink)
#include "test_serial_link.moc"
