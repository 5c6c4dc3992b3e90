// The phone-text rules both programs share: the three ways a number is read
// from the start of a text, side by side, the dial command's guard, and
// the model a phone tells.
#include <QtTest>
#include <climits>

#include "blackboard/phone_text.h"

class TestPhoneText : public QObject
{
    Q_OBJECT

private slots:
    void leading_numbers_data();
    void leading_numbers();
    void dial_command_is_one_line_data();
    void dial_command_is_one_line();
    void model_replies_per_command_data();
    void model_replies_per_command();
    void model_commands_follow_errors();
};

void TestPhoneText::leading_numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("integer");   // a call-list field
    QTest::addColumn<int>("number16");  // a controller's number from the store
    QTest::addColumn<int>("rule");      // a dial rule's target

    QTest::newRow("plain") << "3" << 3 << 3 << 3;
    QTest::newRow("sign") << "+7" << 7 << 7 << 7;
    QTest::newRow("negative") << "-1" << -1 << -1 << -1;
    QTest::newRow("tail") << "5abc" << 5 << 5 << 5;
    QTest::newRow("spaces before") << "  4abc" << 4 << 4 << 0;
    QTest::newRow("tab before") << "\t5" << 5 << 0 << 0;
    QTest::newRow("half to even, down") << "4.5" << 4 << 4 << 4;
    QTest::newRow("half to even, up") << "5.5" << 5 << 6 << 6;
    QTest::newRow("only a fraction") << ".6" << 0 << 1 << 1;
    QTest::newRow("trailing point") << "2." << 2 << 2 << 2;
    QTest::newRow("beyond 16 bits") << "70000" << 70000 << 0 << 70000;
    QTest::newRow("huge") << "99999999999999999999" << INT_MAX << 0 << INT_MAX;
    QTest::newRow("huge negative") << "-99999999999999999999" << -INT_MAX << 0 << INT_MIN;
    QTest::newRow("sign alone") << "-" << 0 << 0 << 0;
    QTest::newRow("letter first") << "x1" << 0 << 0 << 0;
    QTest::newRow("other digits") << QString::fromUtf8("\u0663") << 0 << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0 << 0;
}

void TestPhoneText::leading_numbers()
{
    QFETCH(QString, text);
    QTEST(blackboard::leading_integer(text), "integer");
    QTEST(int(blackboard::leading_number16(text)), "number16");
    QTEST(blackboard::read_rule_number(text), "rule");
}

void TestPhoneText::dial_command_is_one_line_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("dialable");
    QTest::addColumn<QString>("command");
    QTest::newRow("plain") << "0501234567" << "0501234567" << "ATD0501234567;";
    QTest::newRow("pasted line ends") << "050\r\nATH" << "050ATH" << "ATD050ATH;";
    QTest::newRow("second command") << "050;+CHUP;\x1b" << "050;+CHUP;" << "ATD050+CHUP;";
    QTest::newRow("empty") << "" << "" << "ATD;";
}

void TestPhoneText::dial_command_is_one_line()
{
    QFETCH(QString, number);
    QFETCH(QString, command);
    QTEST(blackboard::dialable_number(number), "dialable");
    const QString verb = QStringLiteral("ATD");
    // The controller ends its lines with CR LF, the settings window's test
    // call with CR alone.
    QCOMPARE(blackboard::dial_command(verb, number), command + QStringLiteral("\r\n"));
    QCOMPARE(blackboard::dial_command(verb, number, QStringLiteral("\r")), command + u'\r');
}

void TestPhoneText::model_replies_per_command_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("model");
    QTest::newRow("AT+GMM as ever") << "AT+GMM" << "AT+GMM\r\r\n+GMM: NOKIA 6230\r\n\r\nOK\r\n" << "NIA 6230";
    QTest::newRow("AT+CGMM echo, prefix") << "AT+CGMM" << "AT+CGMM\r\r\n+CGMM: SIM300\r\n\r\nOK\r\n" << "SIM300";
    QTest::newRow("AT+CGMM, +GMM prefix") << "AT+CGMM" << "\r\n+GMM: SIM300\r\n\r\nOK\r\n" << "SIM300";
    QTest::newRow("AT+CGMM refused") << "AT+CGMM" << "AT+CGMM\r\r\nERROR\r\n" << "ERROR";
    // Free text: "OK" and the echo go only as words of their own.
    QTest::newRow("ATI two lines") << "ATI" << "ATI\r\r\nNOKIA\r\n\r\nModel: 6230\r\n\r\nOK\r\n"
                                   << "NOKIA  Model: 6230";
    QTest::newRow("ATI, controller's normalised form") << "ATI" << "Huawei E1550 OK" << "Huawei E1550";
}

void TestPhoneText::model_replies_per_command()
{
    QFETCH(QString, command);
    QFETCH(QString, reply);
    QTEST(blackboard::clean_model_reply(reply, command), "model");
}

void TestPhoneText::model_commands_follow_errors()
{
    QStringList asked;
    const auto phone = [&asked](const QStringList& answers) {
        asked.clear();
        return blackboard::ask_for_model([&](const QString& command) {
            asked << command;
            return answers.value(asked.size() - 1);
        });
    };
    QCOMPARE(phone({"Nokia 6230"}), QStringLiteral("Nokia 6230"));
    QCOMPARE(asked, QStringList{"AT+GMM"});
    // Only a plain "ERROR" asks on; a failed exchange or a blank answer end it.
    QCOMPARE(phone({"ER"}), QStringLiteral("ER"));
    QCOMPARE(phone({""}), QString());
    QCOMPARE(asked, QStringList{"AT+GMM"});
    QCOMPARE(phone({"ERROR", "SIM300"}), QStringLiteral("SIM300"));
    QCOMPARE(phone({"ERROR", "ERROR", "E1550"}), QStringLiteral("E1550"));
    QCOMPARE(asked, (QStringList{"AT+GMM", "AT+CGMM", "ATI"}));
    QCOMPARE(phone({"ERROR", "ERROR", "ERROR"}), QStringLiteral("ERROR"));
}

QTEST_APPLESS_MAIN(TestPhoneText)
#include "test_phone_text.moc"
