// The USSD dialog: its logic over a real store, and the real window driven
// by keyboard and mouse against a real controller and the phone simulator.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

#include "tests/support/message_recorder.h"
#include "running_dialer.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/ussd_dialog.h"
#include "dialer/main_window/ussd_exchange.h"
#include "phonesim_driver.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using main_window::UssdExchange;

namespace {

const QString kBalance = QStringLiteral("Ваш баланс: 125,40 грн.\nБонус: 50 МБ до 31.12");

QString slot1(const QString& key) { return read_setting("Kestrum", "1", key, QString()); }
void set_slot(int slot, const QString& key, const QString& value)
{
    write_setting("Kestrum", QString::number(slot), key, value);
}

// What a controller does with a request: takes it, then publishes.
void controller_answers(const QString& state, const QString& reply)
{
    take_setting("Kestrum", "1", "ussd", QString(), true);
    set_slot(1, "ussd_reply", reply);
    set_slot(1, "ussd_state", state);
}

void type_and_send(UssdDialog& dialog, const QString& text)
{
    dialog.code_box()->lineEdit()->clear();
    QTest::keyClicks(dialog.code_box()->lineEdit(), text);
    QTest::keyClick(dialog.code_box()->lineEdit(), Qt::Key_Return);
}

bool status_becomes(UssdDialog& dialog, const QString& text)
{
    return wait_until([&] { return dialog.status_label()->text() == text; }, 15000);
}

}  // namespace

class TestUssdDialog : public QObject {
    Q_OBJECT

private slots:
    void only_connected_gsm_phones_are_offered();
    void last_ten_codes_newest_first();
    void states_are_said_in_words_data();
    void states_are_said_in_words();
    void earlier_answer_is_not_taken_for_the_new_one();
    void window_asks_answers_a_menu_and_cancels_one();
};

void TestUssdDialog::only_connected_gsm_phones_are_offered()
{
    TestEnv env;
    const struct {
        int slot;
        const char *on, *port, *type;
    } phones_set_up[] = {{1, "0", "True", "GSM"}, {2, "1", "True", "CDMA"}, {3, "0", "True", "GSM"}, {4, "1", "True", "GSM"}};
    for (const auto& slot : phones_set_up) {
        set_slot(slot.slot, "ON", slot.on);
        set_slot(slot.slot, "on_pr", slot.port);
        set_slot(slot.slot, "Tip_Tlf", slot.type);
    }
    set_slot(4, "model", "Demo GSM");
    const QList<main_window::UssdPhone> phones = main_window::ussd_phones();
    QCOMPARE(phones.size(), 2);
    QCOMPARE(phones[0].name, QStringLiteral("Телефон 1"));
    QCOMPARE(phones[1].slot, 4);
    QCOMPARE(phones[1].name, QStringLiteral("Телефон 4 (Demo GSM)"));
    set_slot(4, "on_pr", "False");
    QCOMPARE(main_window::ussd_phones().size(), 1);
}

void TestUssdDialog::last_ten_codes_newest_first()
{
    TestEnv env;
    UssdExchange exchange(1);
    for (int n = 0; n < 12; ++n) {
        QVERIFY(exchange.send(QStringLiteral("*%1#").arg(n)));
        controller_answers("0", "ok");
        QVERIFY(exchange.poll());
    }
    QVERIFY(exchange.send("*3#"));  // asked again: moves to the front
    controller_answers("1", "menu");
    QVERIFY(exchange.poll());
    QVERIFY(exchange.send("2"));  // a menu answer is no code
    const QStringList expected{"*3#", "*11#", "*10#", "*9#", "*8#", "*7#", "*6#", "*5#", "*4#", "*2#"};
    QCOMPARE(exchange.recent_codes(), expected);
    QCOMPARE(UssdExchange(2).recent_codes(), QStringList());  // per phone
    QCOMPARE(UssdExchange(1).recent_codes(), expected);       // kept in the store
}

void TestUssdDialog::states_are_said_in_words_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("words");
    QTest::addColumn<int>("stage");
    using Stage = UssdExchange::Stage;
    QTest::newRow("answer") << "0" << "Ответ получен" << int(Stage::Answered);
    QTest::newRow("menu") << "1" << "Сеть ждёт ответа: введите его и нажмите «Отправить»" << int(Stage::Menu);
    QTest::newRow("ended") << "2" << "Сеанс завершён сетью" << int(Stage::Failed);
    QTest::newRow("unsupported") << "4" << "Запрос не поддерживается" << int(Stage::Failed);
    QTest::newRow("network timeout") << "5" << "Сеть не дождалась ответа" << int(Stage::Failed);
    QTest::newRow("error") << "error" << "Телефон отклонил запрос" << int(Stage::Failed);
    QTest::newRow("timeout") << "timeout" << "Нет ответа сети за 20 секунд" << int(Stage::Failed);
}

void TestUssdDialog::states_are_said_in_words()
{
    QFETCH(QString, state);
    TestEnv env;
    UssdExchange exchange(1);
    QVERIFY(exchange.send("*100#"));
    QCOMPARE(exchange.status_text(), QStringLiteral("Ожидание ответа сети…"));
    QVERIFY(!exchange.send("*101#"));  // one at a time
    QCOMPARE(slot1("ussd"), QStringLiteral("*100#"));
    controller_answers(state, "text");
    QVERIFY(exchange.poll());
    QTEST(exchange.status_text(), "words");
    QTEST(int(exchange.stage()), "stage");
}

// The request not taken yet, or taken and not answered: the old answer on
// the blackboard is not this one's.
void TestUssdDialog::earlier_answer_is_not_taken_for_the_new_one()
{
    TestEnv env;
    set_slot(1, "ussd_state", "0");
    set_slot(1, "ussd_reply", "old");
    UssdExchange exchange(1);
    QVERIFY(exchange.send("*100#"));
    QVERIFY(!exchange.poll());
    controller_answers("", "");
    QVERIFY(!exchange.poll());
    QCOMPARE(exchange.stage(), UssdExchange::Stage::Waiting);
    QVERIFY(!exchange.send("1\"\r\n"));
    QVERIFY(exchange.status_text().startsWith("Ожидание"));
}

void TestUssdDialog::window_asks_answers_a_menu_and_cancels_one()
{
    TestEnv env;
    PhoneSim phone({"--model", "Demo GSM", "--ussd", "*123#=menu:1. Tarify\\n2. Balans|Tarif izmenen"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    RunningDialer dialer;
    dialer.start();
    FormPort& form = dialer.form;
    QVERIFY(wait_until([] { return slot1("on_pr") == "True" && slot1("model") == "Demo GSM"; }, 15000));

    // The menu item opens the dialog modally; "Закрыть" closes it.
    QCOMPARE(form.ussd_action()->text(), QStringLiteral("&USSD-запрос…"));
    bool opened = false;
    QTimer::singleShot(300, this, [&] {
        auto* modal = qobject_cast<UssdDialog*>(QApplication::activeModalWidget());
        opened = modal && modal->phone_box()->currentText() == "Телефон 1 (Demo GSM)";
        if (modal)
            QTest::mouseClick(modal->close_button(), Qt::LeftButton);
    });
    form.ussd_action()->trigger();
    QVERIFY(opened);

    UssdDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.code_box()->accessibleName(), QStringLiteral("USSD-код"));
    QVERIFY(dialog.code_box()->hasFocus() || dialog.code_box()->lineEdit()->hasFocus());

    type_and_send(dialog, "*1\"#");
    QVERIFY(dialog.status_label()->text().startsWith("Код может содержать только цифры"));
    QCOMPARE(slot1("ussd"), QString());

    type_and_send(dialog, "*100#");
    QCOMPARE(dialog.status_label()->text(), QStringLiteral("Ожидание ответа сети…"));
    QVERIFY(!dialog.send_button()->isEnabled());
    QVERIFY2(status_becomes(dialog, "Ответ получен"), qPrintable(dialog.status_label()->text()));
    QCOMPARE(dialog.answer_view()->toPlainText(), kBalance);
    QCOMPARE(dialog.code_box()->itemText(0), QStringLiteral("*100#"));

    type_and_send(dialog, "*123#");
    QVERIFY(status_becomes(dialog, "Сеть ждёт ответа: введите его и нажмите «Отправить»"));
    QCOMPARE(dialog.answer_view()->toPlainText(), QStringLiteral("1. Tarify\n2. Balans"));
    type_and_send(dialog, "1");
    QVERIFY(status_becomes(dialog, "Ответ получен"));
    QCOMPARE(dialog.answer_view()->toPlainText(), QStringLiteral("Tarif izmenen"));
    QVERIFY(phone.wait_for_log("ussd menu answered 1", 5000));

    type_and_send(dialog, "*123#");
    QVERIFY(status_becomes(dialog, "Сеть ждёт ответа: введите его и нажмите «Отправить»"));
    QTest::mouseClick(dialog.close_button(), Qt::LeftButton);
    QVERIFY(dialog.isHidden());
    QVERIFY(phone.wait_for_command("AT+CUSD=2", 10000));
    QCOMPARE(QStringList(read_setting("Kestrum", "1", "ussd_codes", QString()).split('@')),
             (QStringList{"*123#", "*100#"}));
    form.close();
}

QTEST_MAIN(TestUssdDialog)
#include "test_ussd_dialog.moc"
