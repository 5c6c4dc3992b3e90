// Number texts as users write them: the tables here are the contract with
// the numbers people actually type and paste.
#include <QtTest>
#include <climits>

#include "dialer/dial/operators_telefons.h"
#include "dialer/dial/reestr.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace {

void set_dial_setting(const Reestr::Setting& setting, const QString& value)
{
    write_setting(setting.app, setting.section, setting.key, value);
}

void set_rule(const QString& class_key, const QString& value)
{
    write_setting(QStringLiteral("Vekorra"), QStringLiteral("pravila"), class_key, value);
}

}  // namespace

class TestOperatorsTelefons : public QObject
{
    Q_OBJECT

private slots:
    void clean_number_data();
    void clean_number();
    void mark_separators_data();
    void mark_separators();
    void candidate_numbers_data();
    void candidate_numbers();
    void prepare_for_dialling_data();
    void prepare_for_dialling();
    void complete_local_number_data();
    void complete_local_number();
    void complete_local_number_reads_codes_at_each_call();
    void classify_number_data();
    void classify_number();
    void classify_number_follows_changed_codes();
    void read_rule_number_data();
    void read_rule_number();
    void route_rule_reads_each_class_key();
    void flag_is_on_data();
    void flag_is_on();
    void reestr_defaults_and_stored_values();
};

void TestOperatorsTelefons::clean_number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("clean");
    QTest::addColumn<QString>("text_after");
    QTest::newRow("spaces, brackets, dashes") << "+38 (067) 123-45-67" << "+380671234567" << "+38 (067) 123-45-67";
    QTest::newRow("+3800 in the text") << "+3800671234567" << "+380671234567" << "+380671234567";
    QTest::newRow("+3800 only after cleaning") << "+38 00 67 123 45 67" << "+3800671234567" << "+38 00 67 123 45 67";
    QTest::newRow("letters only") << "abc" << "er" << "abc";
    QTest::newRow("empty") << "" << "er" << "";
    QTest::newRow("plus alone") << "+" << "+" << "+";
    QTest::newRow("marks alone") << "^^^" << "^^^" << "^^^";
    QTest::newRow("plus in the middle") << "067+123" << "067+123" << "067+123";
    QTest::newRow("replaced once, not again") << "+38000" << "+3800" << "+3800";
    QTest::newRow("two occurrences") << "+3800 1, +3800 2" << "+3801+3802" << "+380 1, +380 2";
    QTest::newRow("non-ASCII digits and letters") << QString::fromUtf8("тел. ٣٤٥ 12") << "12"
                                                  << QString::fromUtf8("тел. ٣٤٥ 12");
}

void TestOperatorsTelefons::clean_number()
{
    QFETCH(QString, text);
    QFETCH(QString, clean);
    QFETCH(QString, text_after);
    const QString before = text;
    QCOMPARE(clean_copy(text), clean);
    QCOMPARE(text, before);
    QCOMPARE(Operators_telefons::clean_number(text), clean);
    QCOMPARE(text, text_after);
}

void TestOperatorsTelefons::mark_separators_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("marked");
    QTest::newRow("two numbers by comma") << "067 123 45 67, 050 765 43 21" << "067 123 45 67^^^^^^050 765 43 21";
    QTest::newRow("country code") << "+38 067 123 45 67" << "^^^+38^^^067 123 45 67";
    QTest::newRow("punctuation") << "a.b;c/d\\e" << "a^^^b^^^c^^^d^^^e";
    QTest::newRow("38 after a space") << "tel 380671234567" << "tel^^^380671234567";
    QTest::newRow("nothing to mark") << "0671234567" << "0671234567";
}

void TestOperatorsTelefons::mark_separators()
{
    QFETCH(QString, text);
    QFETCH(QString, marked);
    const QString before = text;
    QCOMPARE(Operators_telefons::mark_separators(text), marked);
    QCOMPARE(text, before);
}

void TestOperatorsTelefons::candidate_numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("candidates");
    QTest::newRow("two numbers") << "067 123 45 67, 050 765 43 21" << QStringList{"0671234567", "0507654321"};
    QTest::newRow("country code piece too short") << "+38 067 123 45 67" << QStringList{"0671234567"};
    QTest::newRow("short extension") << "0671234567, 123" << QStringList{"0671234567"};
    QTest::newRow("duplicates stay") << "0671234567; 0671234567" << QStringList{"0671234567", "0671234567"};
    QTest::newRow("five characters is enough") << "12345, 1234" << QStringList{"12345"};
    QTest::newRow("no number") << "tel." << QStringList{};
    QTest::newRow("dashed numbers") << "067-123-45-67, 050-765-43-21" << QStringList{"0671234567", "0507654321"};
}

void TestOperatorsTelefons::candidate_numbers()
{
    QFETCH(QString, text);
    QFETCH(QStringList, candidates);
    QCOMPARE(Operators_telefons::candidate_numbers(text), candidates);
}

void TestOperatorsTelefons::prepare_for_dialling_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("prepared");
    QTest::newRow("trunk 8 with spaces") << "8 067 123 45 67" << "0671234567";
    QTest::newRow("trunk 8") << "80671234567" << "0671234567";
    QTest::newRow("12 characters") << "+80671234567" << "+80671234567";
    QTest::newRow("10 characters") << "8067123456" << "8067123456";
    QTest::newRow("11 characters without 8") << "70671234567" << "70671234567";
    QTest::newRow("marks go") << "^067^123^45^67" << "0671234567";
    QTest::newRow("marks only") << "^^^" << "";
    QTest::newRow("+3800") << "+3800671234567" << "+380671234567";
}

void TestOperatorsTelefons::prepare_for_dialling()
{
    QFETCH(QString, text);
    QFETCH(QString, prepared);
    Operators_telefons::prepare_for_dialling(text);
    QCOMPARE(text, prepared);
}

void TestOperatorsTelefons::complete_local_number_data()
{
    QTest::addColumn<QString>("kod5");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("completed");
    QTest::newRow("5 digits, text kept") << "" << "123-45" << "04422123-45";
    QTest::newRow("6 digits") << "" << "123456" << "0442123456";
    QTest::newRow("7 digits") << "" << "1234567" << "0441234567";
    QTest::newRow("national") << "" << "0671234567" << "0671234567";
    QTest::newRow("4 digits") << "" << "1234" << "1234";
    QTest::newRow("no number") << "" << "abc" << "abc";
    // A one-digit kod5 makes a 6-digit number, which kod4 completes again.
    QTest::newRow("short kod5 chains") << "1" << "12345" << "0442112345";
}

void TestOperatorsTelefons::complete_local_number()
{
    QFETCH(QString, kod5);
    QFETCH(QString, number);
    QFETCH(QString, completed);
    TestEnv env;
    if (!kod5.isEmpty())
        set_dial_setting(Reestr::kKod5, kod5);
    Operators_telefons::complete_local_number(number);
    QCOMPARE(number, completed);
}

void TestOperatorsTelefons::complete_local_number_reads_codes_at_each_call()
{
    TestEnv env;
    QString number = QStringLiteral("1234567");
    Operators_telefons::complete_local_number(number);
    QCOMPARE(number, QStringLiteral("0441234567"));
    set_dial_setting(Reestr::kKod3, QStringLiteral("032"));
    number = QStringLiteral("1234567");
    Operators_telefons::complete_local_number(number);
    QCOMPARE(number, QStringLiteral("0321234567"));
}

void TestOperatorsTelefons::classify_number_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("operator_class");
    QTest::newRow("050") << "0501234567" << "MTS";
    QTest::newRow("+38066") << "+380661234567" << "MTS";
    QTest::newRow("38097 without +") << "380971234567" << "KS";
    QTest::newRow("098") << "0981234567" << "KS";
    QTest::newRow("093") << "0931234567" << "LF";
    QTest::newRow("068") << "0681234567" << "BE";
    QTest::newRow("kod4") << "0442123456" << "GOR";
    QTest::newRow("kod3") << "0441234567" << "GOR";
    QTest::newRow("7 local") << "1234567" << "GOR";
    QTest::newRow("5 local") << "12345" << "GOR";
    QTest::newRow("4 digits") << "1234" << "OST";
    QTest::newRow("foreign") << "+74951234567" << "MEJD";
    QTest::newRow("+3800") << "+3800671234567" << "KS";
    QTest::newRow("14 digits") << "00380671234567" << "OST";
    QTest::newRow("unknown prefix") << "0391234567" << "OST";
    QTest::newRow("11 digits") << "80671234567" << "OST";
    QTest::newRow("no number") << "abc" << "OST";
    QTest::newRow("written with spaces") << "050 123 45 67" << "MTS";
    QTest::newRow("12 digits, any country code") << "990501234567" << "MTS";
    QTest::newRow("plus inside, no +38") << "067+123" << "MEJD";
}

void TestOperatorsTelefons::classify_number()
{
    QFETCH(QString, number);
    QFETCH(QString, operator_class);
    TestEnv env;
    const QString before = number;
    QCOMPARE(operator_class_key(Operators_telefons::classify_number(number)), operator_class);
    QCOMPARE(number, before);
}

void TestOperatorsTelefons::classify_number_follows_changed_codes()
{
    TestEnv env;
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("0671234567")), OperatorClass::KS);
    // A 4-digit city code wins over the mobile prefix...
    set_dial_setting(Reestr::kKod4, QStringLiteral("0671"));
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("0671234567")), OperatorClass::GOR);
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("0672234567")), OperatorClass::KS);
    // ...a 3-digit one loses to it.
    set_dial_setting(Reestr::kKod4, QStringLiteral("0442"));
    set_dial_setting(Reestr::kKod3, QStringLiteral("067"));
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("0671234567")), OperatorClass::KS);
    set_dial_setting(Reestr::kKod5, QStringLiteral("03912"));
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("0391234567")), OperatorClass::GOR);
    // Another own country code makes +38 numbers foreign.
    set_dial_setting(Reestr::kKodS1, QStringLiteral("+7"));
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("+380671234567")), OperatorClass::MEJD);
    QCOMPARE(Operators_telefons::classify_number(QStringLiteral("+700442123456")), OperatorClass::GOR);
}

void TestOperatorsTelefons::read_rule_number_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rule");
    QTest::newRow("3.7") << "3.7" << 4;
    QTest::newRow("2.5 ties to even") << "2.5" << 2;
    QTest::newRow("3.5 ties to even") << "3.5" << 4;
    QTest::newRow("0.5") << "0.5" << 0;
    QTest::newRow("1.49") << "1.49" << 1;
    QTest::newRow("trailing point") << "2." << 2;
    QTest::newRow("5abc") << "5abc" << 5;
    QTest::newRow("letter first") << "x1" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("plain") << "4" << 4;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("huge") << "99999999999999999999" << INT_MAX;
}

void TestOperatorsTelefons::read_rule_number()
{
    QFETCH(QString, text);
    QFETCH(int, rule);
    QCOMPARE(Operators_telefons::read_rule_number(text), rule);
}

void TestOperatorsTelefons::route_rule_reads_each_class_key()
{
    TestEnv env;
    for (const OperatorClass operator_class : Operators_telefons::kAllOperatorClasses)
        QCOMPARE(route_rule(operator_class), 0);
    const QStringList values{"1", "2", "3", "3.7", "2.5", "5abc", "x1"};
    const QList<int> expected{1, 2, 3, 4, 2, 5, 0};
    for (int i = 0; i < 7; ++i)
        set_rule(operator_class_key(Operators_telefons::kAllOperatorClasses[i]), values[i]);
    for (int i = 0; i < 7; ++i)
        QCOMPARE(route_rule(Operators_telefons::kAllOperatorClasses[i]), expected[i]);
    // Changed between two calls: the second sees the new rule.
    set_rule(QStringLiteral("MTS"), QStringLiteral("4"));
    QCOMPARE(route_rule(OperatorClass::MTS), 4);
}

void TestOperatorsTelefons::flag_is_on_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("on");
    QTest::newRow("1") << "1" << true;
    QTest::newRow("space 1") << " 1" << false;
    QTest::newRow("01") << "01" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("True") << "True" << false;
}

void TestOperatorsTelefons::flag_is_on()
{
    QFETCH(QString, text);
    QFETCH(bool, on);
    QCOMPARE(Operators_telefons::flag_is_on(text), on);
}

void TestOperatorsTelefons::reestr_defaults_and_stored_values()
{
    TestEnv env;
    QCOMPARE(Reestr::kod3(), QStringLiteral("044"));
    QCOMPARE(Reestr::kod4(), QStringLiteral("0442"));
    QCOMPARE(Reestr::kod5(), QStringLiteral("04422"));
    QCOMPARE(Reestr::kodS1(), QStringLiteral("+38"));
    QCOMPARE(Reestr::kodGor_Plus(), QStringLiteral("1"));
    QCOMPARE(Reestr::Plus_repl(), QStringLiteral("0"));
    QCOMPARE(Reestr::Plus_repl_nom(), QStringLiteral("815"));
    QCOMPARE(Reestr::wind(), QStringLiteral("1"));
    QCOMPARE(Reestr::sip_program(), QString());
    QVERIFY(settings_store::list_settings().isEmpty());  // reading created nothing

    // The settings window's spelling of the names may differ in case.
    write_setting(QStringLiteral("myapp"), QStringLiteral("VEKORRA"), QStringLiteral("KODGOR_PLUS"), QStringLiteral("0"));
    set_dial_setting(Reestr::kPlusReplNom, QStringLiteral("00"));
    QCOMPARE(Reestr::kodGor_Plus(), QStringLiteral("0"));
    QCOMPARE(Reestr::Plus_repl_nom(), QStringLiteral("00"));
}

QTEST_GUILESS_MAIN(TestOperatorsTelefons)
#include "test_operators_telefons.moc"
