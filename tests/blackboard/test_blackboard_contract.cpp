#include <QtTest>

#include "blackboard/fields.h"
#include "blackboard/keys.h"
#include "blackboard/slot.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

using namespace blackboard;

namespace {
// The stored entries of one section as "key=value", sorted.
QStringList stored(const QString& app, const QString& section)
{
    QStringList entries;
    for (const settings_store::Entry& entry : settings_store::list_settings(app, section))
        entries << entry.key + QLatin1Char('=') + entry.value;
    entries.sort();
    return entries;
}
}  // namespace

class TestBlackboardContract : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void slot_accessors_store_the_old_names_and_values();
    void a_store_written_by_hand_reads_through_the_accessors();
    void call_fields_join_and_split();
    void button_flags_join_and_split();
    void phone_types_match_exactly();
    void every_button_writes_its_command_key();

private:
    std::unique_ptr<TestEnv> env_;
};

void TestBlackboardContract::init()
{
    env_ = std::make_unique<TestEnv>();
    settings_store::reopen();
}

void TestBlackboardContract::cleanup()
{
    env_.reset();
    settings_store::reopen();
}

void TestBlackboardContract::slot_accessors_store_the_old_names_and_values()
{
    const Slot slot(3);
    QCOMPARE(slot.name(), QStringLiteral("3"));
    slot.set_pozvonit(QStringLiteral("0501234567"));
    slot.set_phone_type(PhoneType::Provod);
    slot.set_port(QStringLiteral(" 7"));
    slot.set_enabled(true);
    slot.set_run_permission(false);
    slot.write(key::on_pr, flag::port_state(true));
    slot.write(key::knopki_zv, no_buttons());
    QCOMPARE(stored(QStringLiteral("Kestrum"), QStringLiteral("3")),
             (QStringList{"ON=1", "Tip_Tlf=Provod", "knopki_zv=@@@@@@@@@@", "on_pr=True", "on_przv_exe=0",
                          "port= 7", "pozvonit=0501234567"}));
    // Read back under the reading spelling of the phone type.
    QCOMPARE(read_setting("Kestrum", "3", "Tip_tlf", "GSM"), QStringLiteral("Provod"));
    QVERIFY(slot.phone_type() == std::optional(PhoneType::Provod));
    QCOMPARE(slot.take_pozvonit(), QStringLiteral("0501234567"));
    QCOMPARE(slot.pozvonit(), QString());
    QVERIFY(slot.port_open());
}

void TestBlackboardContract::a_store_written_by_hand_reads_through_the_accessors()
{
    const Slot slot(2);
    // Absent keys read as their readers' defaults and stay absent.
    QCOMPARE(slot.phone_type_text(), QStringLiteral("GSM"));
    QCOMPARE(slot.port(), QStringLiteral("0"));
    QVERIFY(!slot.enabled());
    QVERIFY(!slot.run_permitted());
    QVERIFY(!slot.port_open());
    QVERIFY(stored("Kestrum", "2").isEmpty());

    write_setting("kestrum", "2", "TIP_TLF", "CDMA");
    write_setting("Kestrum", "2", "on", "1");
    write_setting("Kestrum", "2", "on_pr", "true");  // only "True" counts
    QVERIFY(slot.phone_type() == std::optional(PhoneType::Cdma));
    QVERIFY(slot.enabled());
    QVERIFY(!slot.port_open());
    write_setting("Kestrum", "2", "Tip_tlf", "gsm");
    QVERIFY(slot.phone_type() == std::nullopt);
}

void TestBlackboardContract::call_fields_join_and_split()
{
    CallFields fields{"Набор номера....", "Разг. / (Исх. вызов)", "", "", "", "", ""};
    QCOMPARE(join_call_fields(fields), QStringLiteral("Набор номера....@Разг. / (Исх. вызов)@@@@@"));
    fields[2] = QStringLiteral("user@host");  // an "@" inside a field would shift the rest
    const QString joined = join_call_fields(fields);
    QCOMPARE(joined.count(kFieldSeparator), 6);
    QCOMPARE(split_call_fields(joined)->at(2), QStringLiteral("userhost"));

    QVERIFY(!split_call_fields(QString()));
    QVERIFY(!split_call_fields(QStringLiteral("@@@@@")));
    QCOMPARE(split_call_fields(QStringLiteral("a@b@@@@@@x"))->at(6), QString());
    QVERIFY(all_fields_empty(QStringLiteral("@@@@@@")));
    QVERIFY(!all_fields_empty(QStringLiteral("@@@@@@ ")));
}

void TestBlackboardContract::button_flags_join_and_split()
{
    ButtonFlags flags;
    flags[int(ButtonField::sn_tr)] = flag::off;
    flags[int(ButtonField::prin2)] = flag::on;
    flags[int(ButtonField::kf_dob)] = flag::on;
    const QString joined = join_button_flags(flags);
    QCOMPARE(joined, QStringLiteral("0@@@@@1@@@@@1"));
    QCOMPARE(split_button_flags(joined),
             (QList<bool>{false, false, false, false, false, true, false, false, false, false, true}));
    // What an ended controller leaves: eleven fields, none offered.
    QCOMPARE(no_buttons(), QStringLiteral("@@@@@@@@@@"));
    QCOMPARE(split_button_flags(no_buttons()), QList<bool>(11, false));
    QVERIFY(split_button_flags(QString()).isEmpty());
    QCOMPARE(split_button_flags(QStringLiteral("1@1")), (QList<bool>{true, true}));
    QCOMPARE(split_button_flags(QString(13, kFieldSeparator)).size(), kButtonFieldCount);
}

void TestBlackboardContract::phone_types_match_exactly()
{
    for (PhoneType type : {PhoneType::Gsm, PhoneType::Cdma, PhoneType::Provod})
        QVERIFY(phone_type_of(phone_type_text(type)) == std::optional(type));
    QCOMPARE(phone_type_text(PhoneType::Provod), QStringLiteral("Provod"));
    QVERIFY(!phone_type_of(QStringLiteral("cdma")));
    QVERIFY(!phone_type_of(QStringLiteral("GSM ")));
}

void TestBlackboardContract::every_button_writes_its_command_key()
{
    const char* expected[kButtonFieldCount] = {"vzat_t_pr", "poloz_t_pr", "vzat_t", "ud_otklon", "poloz_t", "vzat_t",
                                               "poloz_t", "kf", "kf1", "kf_oj", nullptr};
    for (int field = 0; field < kButtonFieldCount; ++field) {
        const std::optional<QLatin1String> key = command_key(ButtonField(field));
        if (!expected[field])
            QVERIFY(!key);
        else
            QCOMPARE(QString(key.value()), QString::fromLatin1(expected[field]));
    }
}

QTEST_GUILESS_MAIN(TestBlackboardContract)
#include "test_blackboard_contract.moc"
