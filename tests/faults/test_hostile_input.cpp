// Hostile text on its way to the phone: numbers with line breaks and ';'
// from the blackboard and from a hand-over, hand-over arguments of any
// length and bytes, and shell text on its way to the softphone. Real
// dialer and controller processes, the phone simulator's log as witness.
#include <QtTest>

#include <QDir>
#include <QRandomGenerator>
#include <QRegularExpression>

#include "dialer/settings/modem_model.h"
#include "fault_rig.h"
#include "serial/qt_serial_component.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/main_window_stand_in.h"
#include "tests/support/test_env.h"

using namespace faults;

namespace {

const QByteArray kNoNumber = "Vekorra: Не введён номер!";

// Every command line the phone received is one the controller means to
// send: its polls and probes, its messages' set-up and listing, its
// phonebook read, and dial commands whose number holds no ';' (after it
// the phone would run the rest as further commands).
QStringList foreign_commands(const PhoneSim& phone)
{
    static const QRegularExpression own(
        QStringLiteral("^(AT|AT\\+CLCC|AT\\+GMM|ATD[^;]*;|AT\\+CMGF=[?01]|AT\\+CNMI=[0-9,]+|AT\\+CMGL=4"
                       "|AT\\+CSCS(\\?|=\"[A-Z0-9]+\")|AT\\+CPBS(\\?|=\"(SM|ME)\")|AT\\+CPBR=(\\?|[0-9,]+))$"));
    QStringList foreign;
    for (const QString& line : phone.received())
        if (!own.match(line).hasMatch() || line.contains(QLatin1String("\\x")))
            foreign << line;
    return foreign;
}

bool connected(const PhoneSim& phone)
{
    Q_UNUSED(phone);
    return board("1", "on_pr") == "True" && board("1", "model") == "PhoneSim 3000";
}

// A dialer started with arguments, as another program hands a number over.
struct HandOver : RawProcess {
    explicit HandOver(const QList<QByteArray>& arguments, const QString& folder)
        : RawProcess(TestEnv::build_dir() + QStringLiteral("/vekorra"), arguments, folder)
    {
    }
    // Still running, using no processor time: waiting for the user in a
    // message box or the number chooser.
    bool waits_for_user(int timeout_ms) { return running() && becomes_idle(pid(), 500, timeout_ms); }
};

QList<QByteArray> split_argument(const QByteArray& text, int pieces)
{
    // One argument may hold at most 128 KiB on Linux: a megabyte comes as
    // several, which the dialer joins with spaces into one text.
    QList<QByteArray> arguments;
    const qsizetype size = (text.size() + pieces - 1) / pieces;
    for (qsizetype at = 0; at < text.size(); at += size)
        arguments << text.mid(at, size);
    return arguments;
}

QByteArray random_bytes(qsizetype count, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(count, '\0');
    for (char& byte : bytes)
        byte = char(1 + random.bounded(255));  // a command line holds no NUL
    return bytes;
}

}  // namespace

class TestHostileInput : public QObject {
    Q_OBJECT

private slots:
    void numbers_with_line_breaks_reach_the_phone_as_one_dial();
    void pasted_test_call_number_reaches_the_phone_as_one_dial();
    void hand_over_arguments_of_any_length_or_bytes();
    void user_text_reaches_the_softphone_only_as_one_argument();
};

void TestHostileInput::numbers_with_line_breaks_reach_the_phone_as_one_dial()
{
    TestEnv env;
    PhoneSim phone;
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    Controller controller;
    QVERIFY(wait_until([&] { return connected(phone); }, 10000));

    // Straight onto the blackboard, as any program of the user could write.
    const QStringList numbers{
        QStringLiteral("0501234567\r\nAT+CHUP"),       QStringLiteral("0501234567\rATH\r"),
        QStringLiteral("0501234567\nATA"),             QStringLiteral("0501234567;+CHUP"),
        QStringLiteral("0501234567;\r\nATD0991112233;"), QString::fromUtf8("050\xe2\x80\xa8" "ATH\x1b[2J\x7f"),
        QStringLiteral("050") + QChar(0) + QStringLiteral("ATH"),
    };
    int dials = 0;
    for (const QString& number : numbers) {
        set_board("1", "pozvonit", number);
        ++dials;
        QVERIFY2(phone.wait_for_command("ATD", 5000, dials), qPrintable(phone.received().join('|')));
        // Past the next poll, anything smuggled in behind the dial is in.
        const int polls = phone.count_received("AT+CLCC");
        QVERIFY(phone.wait_for_command("AT+CLCC", 5000, polls + 1));
        QCOMPARE(phone.count_received("ATD"), dials);
    }

    // Through the dialer: the "+" replacement is the user's text too, and
    // the cleaning of the handed-over number does not touch it. (A window
    // that takes no texts: the hand-over starts no main window of its own.)
    const MainWindowStandIn main_window;
    write_setting("MyApp", "vekorra", "Plus_repl", "1");
    write_setting("MyApp", "vekorra", "Plus_repl_nom", "00\r\nAT+CHUP\r\n;ATH");
    HandOver hand_over({"+44", "20", "7946", "0000\nATH"}, env.root());
    QVERIFY2(hand_over.ended_well(20000), hand_over.errors().constData());
    QVERIFY2(phone.wait_for_command("ATD", 5000, dials + 1), qPrintable(phone.received().join('|')));
    QCOMPARE(phone.received().filter("ATD").last(), QStringLiteral("ATD00AT+CHUPATH442079460000;"));

    QCOMPARE(foreign_commands(phone), QStringList());
    QVERIFY(phone.calls().isEmpty());  // none of those was a number the phone could dial
    QVERIFY(controller.running());
}

void TestHostileInput::pasted_test_call_number_reaches_the_phone_as_one_dial()
{
    TestEnv env;
    PhoneSim phone({"--echo", "off"}, 2);
    QVERIFY(phone.ready());
    QtSerialComponent serial;
    // The settings window's number field keeps line ends that are pasted in.
    QVERIFY(Test_call(serial, 2, QStringLiteral("050\r\nATH\n12;+CHUP\x1b"), DialCommand::Plain));
    QVERIFY(Test_call(serial, 2, QStringLiteral("050\r\nATH"), DialCommand::Cdma));
    QVERIFY(phone.wait_for_command("AT+CDV", 3000));
    QCOMPARE(phone.received(), (QStringList{"ATD050ATH12+CHUP;", "AT+CDV050ATH;"}));
}

void TestHostileInput::hand_over_arguments_of_any_length_or_bytes()
{
    TestEnv env;
    // A main window that takes no texts: each hand-over shows its own
    // refusal, and none starts a main window that would take the next.
    const MainWindowStandIn main_window;
    QVERIFY(main_window.held());
    PhoneSim phone;
    QVERIFY(phone.ready());
    set_board("1", "port", "1");
    write_setting("MyApp", "vekorra", "kodGor_Plus", "0");
    Controller controller;
    QVERIFY(wait_until([&] { return connected(phone); }, 10000));

    enum class Outcome { Dialled, Refused, WaitsForChoice };
    const struct {
        const char* name;
        QList<QByteArray> arguments;
        Outcome outcome;
    } cases[] = {
        {"a megabyte of digits", split_argument(QByteArray(1 << 20, '7'), 9), Outcome::Refused},
        {"a megabyte of random bytes", split_argument(random_bytes(1 << 20, 11), 9), Outcome::WaitsForChoice},
        {"control bytes only", {QByteArray("\x01\x02\x1b[m\x7f\r\n\t\x08\x1b]x;\x07")}, Outcome::Refused},
        {"invalid UTF-8 and control bytes around a number",
         {QByteArray("\xff\xfe\x01\x1b\x07\x7f\xc3\x28\xed\xa0\x80"), QByteArray("067 123 45 67\r\n\t\x08\xc0\xaf")},
         Outcome::Dialled},
        {"a number with shell text", {QByteArray("0671234567; touch M $(touch M) `touch M` \"'|&>M")},
         Outcome::Dialled},
        // Words that Qt would take as its own options.
        {"a Qt platform option", {"-platform", "nonexistent"}, Outcome::Refused},
        {"Qt options around a number", {"-reverse", "-stylesheet", "/x", "067 123 45 67"}, Outcome::Dialled},
    };
    int dials = 0;
    for (const auto& hostile : cases) {
        const QString request_before = board("1", "pozvonit");
        HandOver hand_over(hostile.arguments, env.root());
        if (hostile.outcome == Outcome::Dialled) {
            QVERIFY2(hand_over.ended_well(20000), hostile.name);
            QVERIFY2(phone.wait_for_command("ATD", 10000, ++dials), hostile.name);
            QCOMPARE(phone.received().filter("ATD").last(), QStringLiteral("ATD0671234567;"));
            QVERIFY(phone.control("hangup"));
        } else {
            // The dialer stays with the user: a refusal box (also on
            // standard error) or the chooser of the numbers in the text.
            QVERIFY2(hand_over.waits_for_user(20000), hostile.name);
            if (hostile.outcome == Outcome::Refused)
                QVERIFY2(wait_until([&] { return hand_over.errors().contains(kNoNumber); }, 5000),
                         (hostile.name + (": " + hand_over.errors())).constData());
            QCOMPARE(board("1", "pozvonit"), request_before);
            QCOMPARE(phone.count_received("ATD"), dials);
        }
        QVERIFY2(!QFile::exists(env.root() + "/M"), hostile.name);
        QCOMPARE(store_check(env.store_path()), QStringLiteral("ok"));
        QVERIFY(controller.running());
    }
    QCOMPARE(foreign_commands(phone), QStringList());
}

void TestHostileInput::user_text_reaches_the_softphone_only_as_one_argument()
{
    TestEnv env;
    // The softphone: a script that writes down each argument it got.
    const QString recorded = env.root() + "/arguments";
    const QString softphone = env.root() + "/talk";
    QFile script(softphone);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + QFile::encodeName(recorded) + "'\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    const MainWindowStandIn main_window;
    set_board("6", "ON", "1");
    write_setting("Vekorra", "drugoe", "sip_program", softphone);
    write_setting("Vekorra", "pravila", "KS", "5");

    HandOver hand_over({"067 123 45 67; touch M $(touch M) `touch M` \"; touch M\" '|' >M"}, env.root());
    QVERIFY2(hand_over.ended_well(20000), hand_over.errors().constData());
    QVERIFY(wait_until([&] { return QFile(recorded).size() > 0; }, 5000));
    QFile arguments(recorded);
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QCOMPARE(arguments.readAll(), QByteArray("2\n-dial\ncallto:0671234567\n"));
    QCOMPARE(QDir(env.root()).entryList({"M"}), QStringList());
}

QTEST_GUILESS_MAIN(TestHostileInput)
#include "test_hostile_input.moc"
