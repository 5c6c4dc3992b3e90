// The settings window offscreen, with a real store and a recording main
// window: loading, the enable cascade, the rule lists, the boxes and the
// window's lifecycle.
#include <QSpinBox>
#include <QtTest>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>

#include "dialer/settings/nastr_form.h"
#include "dialer/settings/settings_window.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace {

template <typename Widget>
Widget* control(const QWidget& form, const QString& name)
{
    auto* widget = form.findChild<Widget*>(name);
    if (!widget)
        qFatal("no control %s", qPrintable(name));
    return widget;
}

// Visible once its tab is the current one.
bool shown(const QWidget& form, const QString& name)
{
    const QWidget* widget = control<QWidget>(form, name);
    const QWidget* page = widget;
    while (page->parentWidget() && !qobject_cast<const QStackedWidget*>(page->parentWidget()))
        page = page->parentWidget();
    return widget->isVisibleTo(page->parentWidget() ? page : &form);
}

QString kestrum(int slot, const QString& key)
{
    return read_setting("Kestrum", QString::number(slot), key, "<absent>");
}

QString rule(const QString& key) { return read_setting("Vekorra", "pravila", key, "<absent>"); }

QStringList combo_entries(const QComboBox* combo)
{
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i)
        entries << combo->itemText(i);
    return entries;
}

Nastr_form* open_form()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* form = qobject_cast<Nastr_form*>(widget); form && form->isVisible())
            return form;
    }
    return nullptr;
}

// Runs `step` on the settings window once show_settings_window has opened it.
void while_open(const std::function<void(Nastr_form&)>& step)
{
    QTimer::singleShot(0, [step] {
        QVERIFY(wait_until([] { return open_form() != nullptr; }, 5000));
        step(*open_form());
    });
}

}  // namespace

class TestNastrForm : public QObject
{
    Q_OBJECT

private slots:
    void first_opening_on_an_empty_store();
    void loading_keeps_unknown_values();
    void enabling_cascades();
    void rule_lists_with_only_skype();
    void stored_rule_selects_its_position_data();
    void stored_rule_selects_its_position();
    void city_code_width_rule();
    void boxes_write_as_typed();
    void close_restarts_controllers_after_a_search_only();
    void window_and_close_button_stay_put_while_searching();
    void close_button_hides_and_close_box_unloads();
};

void TestNastrForm::first_opening_on_an_empty_store()
{
    TestEnv env;
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();

    QCOMPARE(control<QLineEdit>(form, "Text3")->text(), QStringLiteral("044"));
    QCOMPARE(control<QLineEdit>(form, "Text4")->text(), QStringLiteral("0442"));
    QCOMPARE(control<QLineEdit>(form, "Text5")->text(), QStringLiteral("04422"));
    QCOMPARE(control<QLineEdit>(form, "Text1")->text(), QStringLiteral("+38"));
    QCOMPARE(control<QLineEdit>(form, "Text7")->text(), QStringLiteral("815"));
    QCOMPARE(control<QLineEdit>(form, "Text2")->text(), QString());
    QVERIFY(control<QCheckBox>(form, "Check1")->isChecked());
    QVERIFY(!control<QCheckBox>(form, "Check2")->isChecked());
    QVERIFY(control<QCheckBox>(form, "Check4")->isChecked());
    // Desktop notifications of calls are on until turned off.
    QVERIFY(control<QCheckBox>(form, "uvedomleniya")->isChecked());
    QVERIFY(control<QCheckBox>(form, "sms_tekst_v_uvedoml")->isChecked());
    QVERIFY(control<QCheckBox>(form, "sms_udalyat")->isChecked());
    for (int i = 0; i < 4; ++i) {
        QVERIFY(control<QRadioButton>(form, QStringLiteral("Option1_%1").arg(i))->isChecked());
        QCOMPARE(control<QLineEdit>(form, QStringLiteral("Text6_%1").arg(i))->text(), QStringLiteral("0"));
        QVERIFY(!shown(form, QStringLiteral("Command5_%1").arg(i)));
    }
    for (int i = 0; i < 6; ++i)
        QCOMPARE(shown(form, QStringLiteral("Frame1_%1").arg(i)), i == 0);
    QVERIFY(shown(form, "Check3_1") && shown(form, "Check3_4") && shown(form, "Check3_5"));
    QVERIFY(!shown(form, "Check3_2") && !shown(form, "Check3_3"));
    QVERIFY(!shown(form, "Label8_1") && !shown(form, "Label8_2"));
    QVERIFY(!shown(form, "Frame3") && !shown(form, "Command4"));
    QVERIFY(!shown(form, "Frame2"));
    QVERIFY(shown(form, "single_phone_notice"));
    QCOMPARE(control<QTabWidget>(form, "SSTab1")->tabText(0), QStringLiteral("Подключение телефонов"));
    QCOMPARE(control<QPushButton>(form, "OKButton")->text(), QStringLiteral("Закрыть"));

    QStringList expected{"MyApp/vekorra/kod3=044",       "MyApp/vekorra/kod4=0442",
                         "MyApp/vekorra/kod5=04422",     "MyApp/vekorra/kodS1=+38",
                         "MyApp/vekorra/Plus_repl_nom=815", "MyApp/vekorra/kodGor_Plus=1",
                         "Vekorra/drugoe/wind=1",        "Vekorra/drugoe/uvedomleniya=1",
                         "Vekorra/drugoe/sms_tekst_v_uvedoml=1", "Vekorra/drugoe/sms_udalyat=1"};
    for (int slot = 1; slot <= 4; ++slot)
        expected << QStringLiteral("Kestrum/%1/port=0").arg(slot) << QStringLiteral("Kestrum/%1/Tip_Tlf=GSM").arg(slot);
    for (const char* key : {"MTS", "KS", "LF", "BE", "GOR", "MEJD", "OST"})
        expected << QStringLiteral("Vekorra/pravila/%1=0").arg(QLatin1String(key));
    std::sort(expected.begin(), expected.end());
    QCOMPARE(store_contents(), expected);

    QVERIFY(main_window.started().isEmpty());
    for (int slot = 2; slot <= 4; ++slot)
        QCOMPARE(main_window.panel_visible(slot), std::optional<bool>(false));
}

void TestNastrForm::loading_keeps_unknown_values()
{
    TestEnv env;
    write_setting("Kestrum", "2", "Tip_tlf", "Sat");
    write_setting("Kestrum", "3", "Tip_tlf", "CDMA");
    write_setting("Kestrum", "4", "Tip_tlf", "Provod");
    write_setting("Kestrum", "2", "ON", "true");
    write_setting("Kestrum", "1", "name_tlf", "Nokia");
    write_setting("Vekorra", "pravila", "OST", "7");
    RecordingMainWindow main_window;
    Nastr_form form(main_window);

    for (const char* name : {"Option1_1", "Option2_1", "Option3_1"})
        QVERIFY(!control<QRadioButton>(form, name)->isChecked());
    QCOMPARE(kestrum(2, "Tip_tlf"), QStringLiteral("Sat"));
    QVERIFY(control<QRadioButton>(form, "Option2_2")->isChecked());
    QVERIFY(control<QRadioButton>(form, "Option3_3")->isChecked());
    QVERIFY(!control<QCheckBox>(form, "Check3_1")->isChecked());
    QCOMPARE(kestrum(2, "ON"), QStringLiteral("true"));
    QCOMPARE(control<QLabel>(form, "Label5_0")->text(), QStringLiteral("Nokia"));
    // A rule naming no slot selects nothing and stays as stored.
    QCOMPARE(control<QComboBox>(form, "Combo1_7")->currentIndex(), -1);
    QCOMPARE(rule("OST"), QStringLiteral("7"));

    // The 200 ms timer shows the model the controller publishes.
    write_setting("Kestrum", "1", "model", "SIM300");
    QVERIFY(wait_until([&] { return control<QLabel>(form, "Label5_0")->text() == "SIM300"; }, 2000));
    QCOMPARE(kestrum(1, "name_tlf"), QStringLiteral("Nokia"));

    // Choosing a type writes it under Tip_Tlf.
    control<QRadioButton>(form, "Option2_1")->click();
    QCOMPARE(kestrum(2, "Tip_tlf"), QStringLiteral("CDMA"));
}

void TestNastrForm::enabling_cascades()
{
    TestEnv env;
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();

    QTest::mouseClick(control<QCheckBox>(form, "Check3_1"), Qt::LeftButton);
    QCOMPARE(kestrum(2, "ON"), QStringLiteral("1"));
    QVERIFY(shown(form, "Frame1_1"));
    QVERIFY(shown(form, "Check3_2") && shown(form, "Label8_1"));
    QVERIFY(!shown(form, "Check3_3"));
    QCOMPARE(main_window.panel_visible(2), std::optional<bool>(true));
    QCOMPARE(main_window.started(), QList<int>{2});

    QTest::mouseClick(control<QCheckBox>(form, "Check3_2"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(form, "Check3_3"), Qt::LeftButton);
    QCOMPARE(main_window.started(), (QList<int>{2, 3, 4}));
    QVERIFY(shown(form, "Frame1_2") && shown(form, "Frame1_3"));
    QCOMPARE(main_window.panel_visible(4), std::optional<bool>(true));

    // Skype and SIP stand outside the cascade and start no controller.
    QTest::mouseClick(control<QCheckBox>(form, "Check3_4"), Qt::LeftButton);
    QCOMPARE(kestrum(5, "ON"), QStringLiteral("1"));
    QVERIFY(shown(form, "Frame1_4"));

    QTest::mouseClick(control<QCheckBox>(form, "Check3_1"), Qt::LeftButton);
    for (int slot = 2; slot <= 4; ++slot) {
        QCOMPARE(kestrum(slot, "ON"), QStringLiteral("0"));
        QVERIFY(!shown(form, QStringLiteral("Frame1_%1").arg(slot - 1)));
        QCOMPARE(main_window.panel_visible(slot), std::optional<bool>(false));
    }
    QVERIFY(!shown(form, "Check3_2") && !shown(form, "Check3_3"));
    QVERIFY(!shown(form, "Label8_1") && !shown(form, "Label8_2"));
    QVERIFY(!control<QCheckBox>(form, "Check3_2")->isChecked());
    QCOMPARE(main_window.started(), (QList<int>{2, 3, 4}));
    QCOMPARE(kestrum(5, "ON"), QStringLiteral("1"));
    QVERIFY(shown(form, "Check3_4"));

    // A stored phone 3 without phone 2 cannot stay enabled.
    TestEnv fresh;
    write_setting("Kestrum", "3", "ON", "1");
    RecordingMainWindow second;
    Nastr_form reloaded(second);
    QVERIFY(!control<QCheckBox>(reloaded, "Check3_2")->isChecked());
    QCOMPARE(kestrum(3, "ON"), QStringLiteral("0"));
}

void TestNastrForm::rule_lists_with_only_skype()
{
    TestEnv env;
    write_setting("Kestrum", "5", "ON", "1");
    write_setting("Kestrum", "1", "name_tlf", "Nokia 6230i");
    write_setting("Kestrum", "2", "name_tlf", "unused");
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();

    QVERIFY(shown(form, "Frame2"));
    QVERIFY(!shown(form, "single_phone_notice"));
    const QStringList entries{"1 Nokia 6230i", "2 --- ", "3 --- ", "4 --- ", "5 Skype", "6 --- "};
    for (int list = 1; list <= 7; ++list) {
        auto* combo = control<QComboBox>(form, QStringLiteral("Combo1_%1").arg(list));
        QCOMPARE(combo_entries(combo), entries);
        QCOMPARE(combo->currentIndex(), 0);
    }
    control<QComboBox>(form, "Combo1_3")->setCurrentIndex(4);  // "LIFE" -> "5 Skype"
    QCOMPARE(rule("LF"), QStringLiteral("4"));
    QVERIFY(main_window.started().isEmpty());

    // Tab changes refresh the lists from the store, keeping each rule.
    QTest::mouseClick(control<QCheckBox>(form, "Check3_5"), Qt::LeftButton);
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(1);
    auto* life = control<QComboBox>(form, "Combo1_3");
    QCOMPARE(life->itemText(5), QStringLiteral("6 SIP-телефон"));
    QCOMPARE(life->currentIndex(), 4);
    QCOMPARE(rule("LF"), QStringLiteral("4"));

    // Without any extra slot the notice takes the panel's place.
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(0);
    QTest::mouseClick(control<QCheckBox>(form, "Check3_4"), Qt::LeftButton);
    QTest::mouseClick(control<QCheckBox>(form, "Check3_5"), Qt::LeftButton);
    QVERIFY(shown(form, "Frame2"));  // refreshed only at the next change of tab
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(1);
    QVERIFY(!shown(form, "Frame2"));
    QVERIFY(shown(form, "single_phone_notice"));
}

void TestNastrForm::stored_rule_selects_its_position_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("after");
    QTest::newRow("3.7") << "3.7" << 4 << "4";
    QTest::newRow("2.5 ties to even") << "2.5" << 2 << "2";
    QTest::newRow("letter first") << "abc" << 0 << "0";
    QTest::newRow("number then text") << "5abc" << 5 << "5";
    QTest::newRow("empty") << "" << 0 << "0";
    QTest::newRow("outside the list") << "6" << -1 << "6";
}

void TestNastrForm::stored_rule_selects_its_position()
{
    QFETCH(QString, stored);
    QFETCH(int, position);
    QFETCH(QString, after);
    TestEnv env;
    write_setting("Vekorra", "pravila", "GOR", stored);
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    QCOMPARE(control<QComboBox>(form, "Combo1_5")->currentIndex(), position);
    QCOMPARE(rule("GOR"), after);
}

void TestNastrForm::city_code_width_rule()
{
    TestEnv env;
    write_setting("Kestrum", "2", "ON", "1");  // so the rules panel is shown
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    control<QTabWidget>(form, "SSTab1")->setCurrentIndex(1);

    auto* kod3 = control<QLineEdit>(form, "Text3");
    kod3->clear();
    QTest::keyClicks(kod3, "04412");
    QCOMPARE(kod3->text(), QStringLiteral("044"));
    QCOMPARE(read_setting("MyApp", "vekorra", "kod3", "?"), QStringLiteral("044"));

    write_setting("MyApp", "vekorra", "kod3", "055");
    kod3->setText("04x");  // pasted whole
    QCOMPARE(kod3->text(), QStringLiteral("04x"));
    QCOMPARE(read_setting("MyApp", "vekorra", "kod3", "?"), QStringLiteral("055"));
    kod3->clear();
    QCOMPARE(read_setting("MyApp", "vekorra", "kod3", "?"), QStringLiteral("055"));

    auto* kod5 = control<QLineEdit>(form, "Text5");
    kod5->setText("0562312");
    QCOMPARE(kod5->text(), QStringLiteral("05623"));
    QCOMPARE(read_setting("MyApp", "vekorra", "kod5", "?"), QStringLiteral("05623"));
    kod5->setText(" 0562");  // blanks are no digits
    QCOMPARE(read_setting("MyApp", "vekorra", "kod5", "?"), QStringLiteral("05623"));
    control<QLineEdit>(form, "Text4")->setText("0562");
    QCOMPARE(read_setting("MyApp", "vekorra", "kod4", "?"), QStringLiteral("0562"));
}

void TestNastrForm::boxes_write_as_typed()
{
    TestEnv env;
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();

    control<QLineEdit>(form, "Text1")->clear();
    QCOMPARE(read_setting("MyApp", "vekorra", "kodS1", "?"), QString());
    control<QLineEdit>(form, "Text7")->setText("00");
    QCOMPARE(read_setting("MyApp", "vekorra", "Plus_repl_nom", "?"), QStringLiteral("00"));
    control<QLineEdit>(form, "Text6_2")->setText("COM x");
    QCOMPARE(kestrum(3, "port"), QStringLiteral("COM x"));
    control<QCheckBox>(form, "Check2")->click();
    QCOMPARE(read_setting("MyApp", "vekorra", "Plus_repl", "?"), QStringLiteral("1"));
    control<QCheckBox>(form, "Check1")->click();
    QCOMPARE(read_setting("MyApp", "vekorra", "kodGor_Plus", "?"), QStringLiteral("0"));
    control<QCheckBox>(form, "Check4")->click();
    QCOMPARE(read_setting("Vekorra", "drugoe", "wind", "?"), QStringLiteral("0"));
    control<QCheckBox>(form, "uvedomleniya")->click();
    QCOMPARE(read_setting("Vekorra", "drugoe", "uvedomleniya", "?"), QStringLiteral("0"));
    control<QCheckBox>(form, "sms_tekst_v_uvedoml")->click();
    QCOMPARE(read_setting("Vekorra", "drugoe", "sms_tekst_v_uvedoml", "?"), QStringLiteral("0"));
    control<QCheckBox>(form, "sms_udalyat")->click();
    QCOMPARE(read_setting("Vekorra", "drugoe", "sms_udalyat", "?"), QStringLiteral("0"));
    // "Страна": every region libphonenumber reads, Ukraine until chosen.
    auto* country = control<QComboBox>(form, "strana");
    QCOMPARE(country->currentData().toString(), QStringLiteral("UA"));
    QVERIFY(country->currentText().endsWith(" (+380)") && country->count() > 200);
    QCOMPARE(read_setting("Vekorra", "drugoe", "strana", "<absent>"), QStringLiteral("<absent>"));
    country->setCurrentIndex(country->findData("PL"));
    QCOMPARE(read_setting("Vekorra", "drugoe", "strana", "?"), QStringLiteral("PL"));
    auto* sip = control<QLineEdit>(form, "sip_program");
    QTest::keyClicks(sip, "/opt/talk");
    QCOMPARE(read_setting("Vekorra", "drugoe", "sip_program", "?"), QStringLiteral("/opt/talk"));
    auto* days = control<QSpinBox>(form, "journal_days");
    QCOMPARE(days->value(), 0);  // absent: calls are kept for ever
    QCOMPARE(read_setting("Vekorra", "drugoe", "journal_days", "<absent>"), QStringLiteral("<absent>"));
    days->selectAll();
    QTest::keyClicks(days, "90");
    // Written once the value is set (Enter, or the focus leaving), not per digit.
    QTest::keyClick(days, Qt::Key_Return);
    QVERIFY(QTest::qWaitFor([] { return read_setting("Vekorra", "drugoe", "journal_days", "?") == "90"; }));
}

void TestNastrForm::close_restarts_controllers_after_a_search_only()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    shield_real_ports(env.ports_dir());
    write_setting("Kestrum", "2", "ON", "1");
    write_setting("Kestrum", "3", "ON", "1");
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    QCOMPARE(main_window.started(), (QList<int>{2, 3}));

    click_search(form);
    QCOMPARE(control<QLabel>(form, "Label4")->text(), QStringLiteral("Готово!"));
    QCOMPARE(main_window.poisk_aktiv(), 1);
    // The running controllers were left running through the search.
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(kestrum(slot, "on_przv_exe"), slot == 2 || slot == 3 ? QStringLiteral("1") : QStringLiteral("<absent>"));

    main_window.calls.clear();
    QTest::mouseClick(control<QPushButton>(form, "OKButton"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(main_window.started(), (QList<int>{1, 2, 3}));
    QCOMPARE(main_window.poisk_aktiv(), 0);
    QCOMPARE(kestrum(1, "on_przv_exe"), QStringLiteral("1"));
    QCOMPARE(kestrum(4, "on_przv_exe"), QStringLiteral("<absent>"));

    main_window.calls.clear();
    form.show();
    QTest::mouseClick(control<QPushButton>(form, "OKButton"), Qt::LeftButton);
    QVERIFY(main_window.started().isEmpty());
}

void TestNastrForm::window_and_close_button_stay_put_while_searching()
{
    TestEnv env;
    MockClock clock(shortened_search_wait);
    shield_real_ports(env.ports_dir());
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    auto* close = control<QPushButton>(form, "OKButton");
    const QSize size = form.size();
    const QPoint close_place = close->mapTo(&form, QPoint(0, 0));

    QStringList moved;
    int looked = 0;
    clock.on_pump = [&] {
        if (!control<QPushButton>(form, "Command4")->isVisible())
            return;
        ++looked;
        if (form.size() != size || close->mapTo(&form, QPoint(0, 0)) != close_place)
            moved << control<QLabel>(form, "Label4")->text();
    };
    click_search(form);
    clock.on_pump = nullptr;
    QVERIFY(looked > 0);
    QVERIFY2(moved.isEmpty(), qPrintable(moved.join(", ")));
    QCOMPARE(form.size(), size);
}

void TestNastrForm::close_button_hides_and_close_box_unloads()
{
    TestEnv env;
    RecordingMainWindow main_window;
    QPointer<Nastr_form> first;

    while_open([&](Nastr_form& form) {
        first = &form;
        control<QTabWidget>(form, "SSTab1")->setCurrentIndex(2);
        QTest::mouseClick(control<QPushButton>(form, "OKButton"), Qt::LeftButton);
    });
    show_settings_window(main_window, nullptr);
    QVERIFY(first);
    QVERIFY(!first->isVisible());

    // Shown again as it was left, without loading.
    write_setting("MyApp", "vekorra", "kod3", "055");
    while_open([&](Nastr_form& form) {
        QCOMPARE(&form, first.data());
        QCOMPARE(control<QTabWidget>(form, "SSTab1")->currentIndex(), 2);
        QCOMPARE(control<QLineEdit>(form, "Text3")->text(), QStringLiteral("044"));
        form.close();
    });
    show_settings_window(main_window, nullptr);
    QVERIFY(!first);  // unloaded

    while_open([&](Nastr_form& form) {
        QCOMPARE(control<QTabWidget>(form, "SSTab1")->currentIndex(), 0);
        QCOMPARE(control<QLineEdit>(form, "Text3")->text(), QStringLiteral("055"));
        form.close();
    });
    show_settings_window(main_window, nullptr);
}

QTEST_MAIN(TestNastrForm)
#include "tst_nastr_form.moc"
