// The model query, the test call and the port loop against simulated phones
// on real pseudo-terminals.
#include <algorithm>

#include <QtTest>

#include "dialer/settings/modem_model.h"
#include "dialer/settings/scan_ports.h"
#include "serial/port_holders.h"
#include "tests/support/held_port.h"
#include "tests/support/phonesim_driver.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

class TestModemModel : public QObject
{
    Q_OBJECT

private slots:
    void cleans_replies_data();
    void cleans_replies();
    void asks_a_simulated_phone_data();
    void asks_a_simulated_phone();
    void unusable_ports_give_no_model();
    void test_call_sends_the_dial_command_data();
    void test_call_sends_the_dial_command();
    void test_call_failure_is_reported();
    void search_keeps_controllers_and_lists_ports_in_order();
};

void TestModemModel::cleans_replies_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("model");
    QTest::newRow("no echo") << "\r\nNokia 6230i\r\n\r\nOK\r\n" << "Nokia 6230i";
    QTest::newRow("echo and prefix") << "AT+GMM\r\r\n+GMM: Nokia 6230i\r\n\r\nOK\r\n" << "Nokia 6230i";
    QTest::newRow("two lines") << "\r\nSiemens\r\n\r\nMC35i\r\n\r\nOK\r\n" << "Siemens  MC35i";
    QTest::newRow("error") << "AT+GMM\r\r\nERROR\r\n" << "ERROR";
    QTest::newRow("lone LF kept") << "\r\nA\nB\r\n" << "A\nB";
    QTest::newRow("lone CR is a blank") << "A\rB" << "A B";
    QTest::newRow("letter case is exact") << "ok Ok OK" << "ok Ok";
    QTest::newRow("only tokens") << "\r\nOK\r\n" << "";
    QTest::newRow("colon inside") << "Model:X1" << "ModelX1";
}

void TestModemModel::cleans_replies()
{
    QFETCH(QString, reply);
    QFETCH(QString, model);
    QCOMPARE(clean_model_reply(reply), model);
}

void TestModemModel::asks_a_simulated_phone_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("asked");
    const QStringList all{"AT+GMM", "AT+CGMM", "ATI"};
    QTest::newRow("echo off") << QStringList{"--echo", "off", "--model", "Nokia 6230i"} << "" << "Nokia 6230i"
                              << QStringList{"AT+GMM"};
    QTest::newRow("echo on, +GMM prefix") << QStringList{"--echo", "on", "--gmm-prefix", "--model", "Nokia 6230i"}
                                          << "" << "Nokia 6230i" << QStringList{"AT+GMM"};
    QTest::newRow("two lines") << QStringList{"--echo", "off", "--model", "Siemens\\nMC35i"} << ""
                               << "Siemens  MC35i" << QStringList{"AT+GMM"};
    QTest::newRow("only AT+CGMM") << QStringList{"--model-query", "cgmm", "--model", "SIM300"} << "" << "SIM300"
                                  << all.mid(0, 2);
    QTest::newRow("only ATI") << QStringList{"--model-query", "ati", "--echo", "on", "--model", "E1550"} << ""
                              << "E1550" << all;
    QTest::newRow("error") << QStringList{} << "fault error on" << "ERROR" << all;
    QTest::newRow("silent") << QStringList{} << "fault silence on" << "---" << QStringList{"AT+GMM"};
}

void TestModemModel::asks_a_simulated_phone()
{
    QFETCH(QStringList, options);
    QFETCH(QString, fault);
    QFETCH(QString, model);
    QFETCH(QStringList, asked);
    TestEnv env;
    MockClock clock(shortened_search_wait);
    PhoneSim phone(options, 3);
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    if (!fault.isEmpty())
        QVERIFY(phone.control(fault));
    QtSerialComponent serial;
    QCOMPARE(Get_model(serial, 3), model);
    QVERIFY(!serial.PortOpen());
    QCOMPARE(phone.received(), asked);
    QCOMPARE(clock.sleeps.count(500), asked.size());
}

void TestModemModel::unusable_ports_give_no_model()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    shield_real_ports(env.ports_dir());
    QtSerialComponent serial;
    QCOMPARE(Get_model(serial, 5), kNoModel);    // missing device
    QCOMPARE(Get_model(serial, 256), kNoModel);  // no device family
    QCOMPARE(Get_model(serial, 0), kNoModel);
    QVERIFY(!serial.PortOpen());

    // A port another opener holds is not listed, and not disturbed.
    PhoneSim phone({"--echo", "off"}, 3);
    QVERIFY(phone.ready());
    QtSerialComponent holder;
    holder.setCommPort(3);
    holder.setPortOpen(true);
    QCOMPARE(Get_model(serial, 3), kNoModel);
    QVERIFY(holder.PortOpen());
    holder.setPortOpen(false);
    QCOMPARE(Get_model(serial, 3), QStringLiteral("PhoneSim 3000"));

    // Another program's hold is told apart from a missing device.
    HeldPort held(4);
    QVERIFY2(held.held(), qPrintable(held.output()));
    QCOMPARE(ask_model(serial, 4).model, kNoModel);
    QVERIFY(ask_model(serial, 4).open_failed);
    QVERIFY(ask_model(serial, 5).open_failed);
    QVERIFY(!ask_model(serial, 3).open_failed);
    QVERIFY(held_port_note(4).contains(HeldPort::name()));
    QCOMPARE(held_port_note(5), QString());
}

void TestModemModel::test_call_sends_the_dial_command_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("sent");
    QTest::newRow("plain") << "gsm" << int(DialCommand::Plain) << "ATD911;";
    QTest::newRow("CDMA") << "cdma" << int(DialCommand::Cdma) << "AT+CDV911;";
}

void TestModemModel::test_call_sends_the_dial_command()
{
    QFETCH(QString, mode);
    QFETCH(int, command);
    QFETCH(QString, sent);
    TestEnv env;
    MockClock clock(shortened_search_wait);
    MessageRecorder messages;
    PhoneSim phone({"--mode", mode, "--echo", "off"}, 4);
    QVERIFY(phone.ready());
    QtSerialComponent serial;
    QVERIFY(Test_call(serial, 4, QStringLiteral("911"), static_cast<DialCommand>(command)));
    QVERIFY(!serial.PortOpen());
    QCOMPARE(clock.sleeps, QList<int>{500});
    // The simulator takes a command line at its CR: the line arrived whole.
    QVERIFY(phone.wait_for_command(sent, 3000));
    QCOMPARE(phone.received(), QStringList{sent});
    QVERIFY(messages.texts.isEmpty());
}

void TestModemModel::test_call_failure_is_reported()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    MessageRecorder messages;
    shield_real_ports(env.ports_dir());
    QtSerialComponent serial;
    QVERIFY(!Test_call(serial, 6, QStringLiteral("911"), DialCommand::Plain));
    QCOMPARE(messages.texts, QStringList{"Ошибка модема!"});
    QCOMPARE(messages.icons.first(), platform::MessageIcon::Error);
    QVERIFY(!serial.PortOpen());

    // Held by another program: the message names it, below a blank line.
    HeldPort held(8);
    QVERIFY2(held.held(), qPrintable(held.output()));
    QVERIFY(!Test_call(serial, 8, QStringLiteral("911"), DialCommand::Plain));
    QCOMPARE(messages.texts.last(),
             QStringLiteral("Ошибка модема!\n\nПорт занят программой port_holder (PID %1). "
                            "Закройте её и подключите телефон снова.").arg(held.pid()));

    // The component is still usable for the next query.
    PhoneSim phone({"--echo", "off", "--model", "X1"}, 7);
    QVERIFY(phone.ready());
    QCOMPARE(Get_model(serial, 7), QStringLiteral("X1"));
}

void TestModemModel::search_keeps_controllers_and_lists_ports_in_order()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    PhoneSim late({"--echo", "off", "--model", "Late"}, 200);
    PhoneSim early({"--echo", "on", "--model", "Early"}, 2);
    QVERIFY(late.ready() && early.ready());
    shield_real_ports(env.ports_dir());
    for (int slot = 1; slot <= 4; ++slot)
        write_setting("Kestrum", QString::number(slot), "on_przv_exe", "1");

    RecordingMainWindow main_window;
    Scan_ports scan(main_window.serial_port());
    QStringList events;
    QList<int> asked;
    Scan_ports::Observer observer;
    observer.scanning = [&] { events << "scanning"; };
    observer.asking = [&](int port) { asked << port; };
    observer.found = [&](const QString& model, int port) { events << QStringLiteral("%1@%2").arg(model).arg(port); };

    QCOMPARE(scan.search(main_window, observer), Scan_ports::Outcome::Done);
    QCOMPARE(events, (QStringList{"scanning", "Early@2", "Late@200"}));
    // Progress only forwards, from the first port.
    QCOMPARE(asked.first(), 1);
    QVERIFY(std::is_sorted(asked.begin(), asked.end()));
    QCOMPARE(main_window.poisk_aktiv(), 1);
    // The controllers keep their permission: no release, no wait for it.
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(read_setting("Kestrum", QString::number(slot), "on_przv_exe", "?"), QStringLiteral("1"));
    QVERIFY(!clock.sleeps.contains(3000));
    QVERIFY(!main_window.serial_port().PortOpen());
}

QTEST_GUILESS_MAIN(TestModemModel)
#include "tst_modem_model.moc"
