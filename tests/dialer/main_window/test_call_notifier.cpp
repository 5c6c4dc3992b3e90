// The call notifier's decisions against the shared notification double and
// a real store (the on/off switch): what is shown, replaced and closed, and
// what the user's choices turn into.
#include <QSignalSpy>
#include <QtTest>

#include "blackboard/notify_keys.h"
#include "blackboard/slot.h"
#include "dialer/main_window/call_notifier.h"
#include "dialer/main_window/missed_calls.h"
#include "journal/journal.h"
#include "recording_notifications.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using namespace main_window;
using platform::Notification;

namespace {

PhoneCallState ringing(int slot, const QString& number, bool waiting = false,
                       const QString& model = QStringLiteral("Nokia 6300"))
{
    return {slot, model, RingingCall{number, waiting}};
}

PhoneCallState quiet(int slot) { return {slot, QStringLiteral("Nokia 6300"), std::nullopt}; }

QStringList labels(const Notification& notification)
{
    QStringList texts;
    for (const auto& action : notification.actions)
        texts << action.label;
    return texts;
}

}  // namespace

Q_DECLARE_METATYPE(main_window::CallButton)

class CallNotifierTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void phone_state_from_the_blackboard_texts_data();
    void phone_state_from_the_blackboard_texts();
    void incoming_call_is_shown_once_as_a_critical_call();
    void answer_and_decline_press_the_frame_buttons_data();
    void answer_and_decline_press_the_frame_buttons();
    void changed_call_replaces_never_stacks();
    void closed_at_the_first_pass_after_the_ringing_stops();
    void dismissed_call_stays_away_until_another_rings();
    void missed_call_offers_a_call_back();
    void withheld_missed_call_cannot_be_called_back();
    void server_without_actions_gets_plain_notifications();
    void markup_servers_get_escaped_text();
    void switched_off_shows_nothing_and_closes_what_rings();
    void actions_of_other_programs_are_ignored();
    void server_coming_up_during_a_call_shows_it();
    void journal_missed_calls_since_the_start_come_once();

private:
    TestEnv* env_ = nullptr;
    RecordingNotifications* server_ = nullptr;
    CallNotifier* notifier_ = nullptr;
};

void CallNotifierTest::init()
{
    env_ = new TestEnv;
    server_ = new RecordingNotifications;
    notifier_ = new CallNotifier(*server_);
}

void CallNotifierTest::cleanup()
{
    delete notifier_;
    delete server_;
    delete env_;
}

void CallNotifierTest::phone_state_from_the_blackboard_texts_data()
{
    QTest::addColumn<QString>("zvonok");
    QTest::addColumn<QString>("knopki");
    QTest::addColumn<bool>("rings");
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<QString>("number");
    //                                         fields: sn pol1 prin1 otk1 pol2 prin2 otk2 kf kf1 kfoj dob
    QTest::newRow("incoming") << "0501234567@@@@@@" << "0@0@0@0@1@1@1@0@0@0@0" << true << false << "0501234567";
    QTest::newRow("withheld") << "@@@@@@" << "0@0@0@0@1@1@1@0@0@0@0" << true << false << "";
    QTest::newRow("waiting") << "0671112233@0509998877@@@@@" << "0@0@1@1@1@0@0@0@0@0@1" << true << true
                             << "0671112233";
    QTest::newRow("active only") << "@0509998877@@@@@" << "0@0@0@0@1@0@0@0@0@0@1" << false << false << "";
    QTest::newRow("controller ended") << "0501234567@@@@@@" << "@@@@@@@@@@" << false << false << "";
    QTest::newRow("nothing published") << "" << "" << false << false << "";
}

void CallNotifierTest::phone_state_from_the_blackboard_texts()
{
    QFETCH(QString, zvonok);
    QFETCH(QString, knopki);
    QFETCH(bool, rings);
    const blackboard::Slot board(3);
    board.write(blackboard::key::zvonok, zvonok);
    board.write(blackboard::key::knopki_zv, knopki);
    const PhoneCallState phone = phone_call_state(3, QStringLiteral("SIM"), blackboard::read_published_calls(board));
    QCOMPARE(phone.slot, 3);
    QCOMPARE(phone.model, QStringLiteral("SIM"));
    QCOMPARE(phone.ringing.has_value(), rings);
    if (rings) {
        QTEST(phone.ringing->waiting, "waiting");
        QTEST(phone.ringing->number, "number");
    }
}

void CallNotifierTest::incoming_call_is_shown_once_as_a_critical_call()
{
    notifier_->phone_pass(ringing(2, "0501234567"));
    notifier_->phone_pass(ringing(2, "0501234567"));  // the next pass: nothing new
    notifier_->phone_pass(quiet(1));

    QCOMPARE(server_->sent.size(), 1);
    const Notification& shown = server_->sent.first().notification;
    QCOMPARE(shown.summary, QStringLiteral("Входящий звонок"));
    QCOMPARE(shown.body, QStringLiteral("0501234567\nТелефон 2 (Nokia 6300)"));
    QCOMPARE(RecordingNotifications::action_keys(shown),
             (QStringList{"default", "answer", "decline"}));
    QCOMPARE(labels(shown).mid(1), (QStringList{"Ответить", "Отклонить"}));
    QCOMPARE(shown.urgency, platform::Urgency::Critical);
    QCOMPARE(shown.category, QStringLiteral("call.incoming"));
    QCOMPARE(shown.desktop_entry, QStringLiteral("vekorra"));
    QCOMPARE(shown.app_name, QStringLiteral("Vekorra"));
    QCOMPARE(shown.expire_timeout_ms, 0);
    QCOMPARE(shown.replaces_id, 0u);
    QVERIFY(server_->closes.isEmpty());
}

void CallNotifierTest::answer_and_decline_press_the_frame_buttons_data()
{
    QTest::addColumn<bool>("waiting");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<CallButton>("button");
    QTest::newRow("answer incoming") << false << "answer" << "Входящий звонок" << CallButton::prin2_k;
    QTest::newRow("decline incoming") << false << "decline" << "Входящий звонок" << CallButton::otklon2_k;
    QTest::newRow("answer waiting") << true << "answer" << "Второй вызов" << CallButton::prin1_k;
    QTest::newRow("decline waiting") << true << "decline" << "Второй вызов" << CallButton::otklon1_k;
}

void CallNotifierTest::answer_and_decline_press_the_frame_buttons()
{
    QFETCH(bool, waiting);
    QFETCH(QString, action);
    QFETCH(CallButton, button);
    QSignalSpy answers(notifier_, &CallNotifier::answer);
    QSignalSpy declines(notifier_, &CallNotifier::decline);

    notifier_->phone_pass(ringing(4, "0931234567", waiting));
    QCOMPARE(server_->on_screen.size(), 1);
    QTEST(server_->only_shown().summary, "summary");
    const quint32 id = server_->only_shown_id();
    server_->invoke(id, action);

    QSignalSpy& chosen = action == QLatin1String("answer") ? answers : declines;
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(chosen.first().at(0).toInt(), 4);
    QCOMPARE(chosen.first().at(1).value<CallButton>(), button);
    QCOMPARE(answers.size() + declines.size(), 1);
    QCOMPARE(server_->closes, QList<quint32>{id});
    // The phone takes a moment to stop ringing: no second notification meanwhile.
    notifier_->phone_pass(ringing(4, "0931234567", waiting));
    QCOMPARE(server_->sent.size(), 1);
    QVERIFY(server_->on_screen.isEmpty());
}

void CallNotifierTest::changed_call_replaces_never_stacks()
{
    notifier_->phone_pass(ringing(1, "0501234567", false, ""));
    const quint32 id = server_->only_shown_id();
    notifier_->phone_pass(ringing(1, "0501234567", false, "Nokia 6300"));  // model now known
    notifier_->phone_pass(ringing(1, "0671112233", true));                  // another call, waiting

    QCOMPARE(server_->sent.size(), 3);
    QCOMPARE(server_->sent.first().notification.body, QStringLiteral("0501234567\nТелефон 1"));
    QCOMPARE(server_->sent[1].notification.replaces_id, id);
    QCOMPARE(server_->sent[2].notification.replaces_id, id);
    QCOMPARE(server_->on_screen.size(), 1);
    QCOMPARE(server_->only_shown().summary, QStringLiteral("Второй вызов"));
    QVERIFY(server_->closes.isEmpty());

    // Another phone's call is a notification of its own.
    notifier_->phone_pass(ringing(3, "0441234567"));
    QCOMPARE(server_->on_screen.size(), 2);
}

void CallNotifierTest::closed_at_the_first_pass_after_the_ringing_stops()
{
    notifier_->phone_pass(ringing(1, ""));
    QCOMPARE(server_->only_shown().body, QStringLiteral("Номер скрыт\nТелефон 1 (Nokia 6300)"));
    const quint32 id = server_->only_shown_id();

    notifier_->phone_pass(quiet(1));  // answered on the phone, declined or ended
    QCOMPARE(server_->closes, QList<quint32>{id});
    notifier_->phone_pass(quiet(1));
    QCOMPARE(server_->closes.size(), 1);

    // The next call on the same phone is new, not a replacement.
    notifier_->phone_pass(ringing(1, "0501234567"));
    QCOMPARE(server_->sent.last().notification.replaces_id, 0u);
    QCOMPARE(server_->on_screen.size(), 1);
}

void CallNotifierTest::dismissed_call_stays_away_until_another_rings()
{
    notifier_->phone_pass(ringing(2, "0501234567"));
    server_->dismiss(server_->only_shown_id());
    notifier_->phone_pass(ringing(2, "0501234567"));
    QCOMPARE(server_->sent.size(), 1);

    notifier_->phone_pass(ringing(2, "0671112233", true));
    QCOMPARE(server_->sent.size(), 2);
    QCOMPARE(server_->on_screen.size(), 1);
}

void CallNotifierTest::missed_call_offers_a_call_back()
{
    QSignalSpy call_backs(notifier_, &CallNotifier::call_back);
    QSignalSpy raises(notifier_, &CallNotifier::raise_main_window);
    const QDateTime at(QDate(2024, 3, 12), QTime(14, 5, 33));
    notifier_->missed_call({"0501234567", 2, "Nokia 6300", at});
    notifier_->missed_call({"0671112233", 1, "", at});

    QCOMPARE(server_->on_screen.size(), 2);  // two calls, two notifications
    const RecordingNotifications::Sent first = server_->sent.first();
    QCOMPARE(first.notification.summary, QStringLiteral("Пропущенный звонок"));
    QCOMPARE(first.notification.body, QStringLiteral("0501234567\nТелефон 2 (Nokia 6300)\n12.03.2024 14:05:33"));
    QCOMPARE(first.notification.category, QStringLiteral("call.unanswered"));
    QCOMPARE(RecordingNotifications::action_keys(first.notification), (QStringList{"default", "call-back", "message"}));
    QCOMPARE(labels(first.notification).mid(1), (QStringList{"Перезвонить", "Сообщение"}));

    server_->invoke(first.id, "default");
    QCOMPARE(raises.size(), 1);
    server_->invoke(first.id, "call-back");
    QCOMPARE(call_backs.size(), 1);
    QCOMPARE(call_backs.first().first().toString(), QStringLiteral("0501234567"));
    QVERIFY(!server_->on_screen.contains(first.id));
    server_->invoke(first.id, "call-back");  // gone: a late repeat dials nothing
    QCOMPARE(call_backs.size(), 1);

    // "Сообщение" on the other: a message to the caller, no call.
    QSignalSpy messages(notifier_, &CallNotifier::write_message);
    server_->invoke(server_->sent.last().id, "message");
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.first().first().toString(), QStringLiteral("0671112233"));
    QCOMPARE(call_backs.size(), 1);
}

void CallNotifierTest::withheld_missed_call_cannot_be_called_back()
{
    QSignalSpy call_backs(notifier_, &CallNotifier::call_back);
    notifier_->missed_call({"", 1, "Nokia 6300", QDateTime(QDate(2024, 3, 12), QTime(9, 0))});
    QCOMPARE(server_->only_shown().body, QStringLiteral("Номер скрыт\nТелефон 1 (Nokia 6300)\n12.03.2024 09:00:00"));
    QCOMPARE(RecordingNotifications::action_keys(server_->only_shown()), QStringList{"default"});
    server_->invoke(server_->only_shown_id(), "call-back");
    QCOMPARE(call_backs.size(), 0);
}

void CallNotifierTest::server_without_actions_gets_plain_notifications()
{
    server_->server_capabilities = {QStringLiteral("body")};
    notifier_->phone_pass(ringing(1, "0501234567"));
    notifier_->missed_call({"0501234567", 1, "", QDateTime::currentDateTime()});
    QCOMPARE(server_->sent.size(), 2);
    for (const auto& sent : server_->sent)
        QVERIFY(sent.notification.actions.isEmpty());
    QCOMPARE(server_->sent.first().notification.summary, QStringLiteral("Входящий звонок"));
}

void CallNotifierTest::markup_servers_get_escaped_text()
{
    server_->server_capabilities << QStringLiteral("body-markup");
    notifier_->phone_pass(ringing(1, "0501234567", false, "<A&B>"));
    QCOMPARE(server_->only_shown().body, QStringLiteral("0501234567\nТелефон 1 (&lt;A&amp;B&gt;)"));
}

void CallNotifierTest::switched_off_shows_nothing_and_closes_what_rings()
{
    QVERIFY(blackboard::notify::notifications_on());  // on while the key is absent
    notifier_->phone_pass(ringing(1, "0501234567"));
    const quint32 id = server_->only_shown_id();

    blackboard::notify::set_notifications_on(false);
    QCOMPARE(read_setting("Vekorra", "drugoe", "uvedomleniya", "?"), QStringLiteral("0"));
    notifier_->phone_pass(ringing(1, "0501234567"));
    QCOMPARE(server_->closes, QList<quint32>{id});
    notifier_->phone_pass(ringing(2, "0671112233"));
    notifier_->missed_call({"0501234567", 1, "", QDateTime::currentDateTime()});
    QCOMPARE(server_->sent.size(), 1);

    write_setting("Vekorra", "drugoe", "uvedomleniya", "true");  // only exactly "1" is on
    notifier_->phone_pass(ringing(2, "0671112233"));
    QCOMPARE(server_->sent.size(), 1);

    blackboard::notify::set_notifications_on(true);
    notifier_->phone_pass(ringing(1, "0501234567"));  // still ringing: shown again
    QCOMPARE(server_->sent.size(), 2);
    QCOMPARE(server_->on_screen.size(), 1);
}

void CallNotifierTest::actions_of_other_programs_are_ignored()
{
    QSignalSpy answers(notifier_, &CallNotifier::answer);
    QSignalSpy declines(notifier_, &CallNotifier::decline);
    QSignalSpy call_backs(notifier_, &CallNotifier::call_back);
    QSignalSpy raises(notifier_, &CallNotifier::raise_main_window);
    notifier_->phone_pass(ringing(1, "0501234567"));
    notifier_->missed_call({"0671112233", 2, "", QDateTime::currentDateTime()});
    const quint32 foreign = 7;
    QVERIFY(!server_->on_screen.contains(foreign));

    for (const char* key : {"answer", "decline", "call-back", "default"})
        server_->invoke(foreign, key);
    server_->invoke(0, "answer");
    emit server_->closed(foreign, platform::CloseReason::Dismissed);

    QCOMPARE(answers.size() + declines.size() + call_backs.size() + raises.size(), 0);
    QVERIFY(server_->closes.isEmpty());
    QCOMPARE(server_->on_screen.size(), 2);
    notifier_->phone_pass(quiet(1));  // ours is still ours to close
    QCOMPARE(server_->closes.size(), 1);
}

void CallNotifierTest::server_coming_up_during_a_call_shows_it()
{
    server_->present = false;
    notifier_->phone_pass(ringing(1, "0501234567"));
    notifier_->phone_pass(quiet(1));
    QVERIFY(server_->closes.isEmpty());  // nothing was shown, nothing to close

    notifier_->phone_pass(ringing(1, "0501234567"));
    server_->present = true;
    notifier_->phone_pass(ringing(1, "0501234567"));
    QCOMPARE(server_->sent.size(), 1);
    QCOMPARE(server_->on_screen.size(), 1);
}

void CallNotifierTest::journal_missed_calls_since_the_start_come_once()
{
    using journal::Direction;
    using journal::Outcome;
    journal::Journal calls(env_->root() + "/journal.sqlite");
    const qint64 start_ms = 1'000'000'000'000;
    const qint64 old_call = calls.call_started("1", "A", Direction::In, "0501", start_ms - 60'000);
    calls.call_ended(old_call, start_ms - 30'000, Outcome::Missed);
    // Rang before the start, missed after it: news.
    const qint64 across = calls.call_started("2", "B", Direction::In, "0502", start_ms - 5'000);
    main_window::MissedCallWatch watch(calls, start_ms);
    QVERIFY(watch.new_missed_calls().isEmpty());

    calls.call_ended(across, start_ms + 1'000, Outcome::Missed);
    const qint64 answered = calls.call_started("1", "A", Direction::In, "0503", start_ms + 2'000);
    calls.call_ended(answered, start_ms + 9'000, Outcome::Answered);
    const qint64 withheld = calls.call_started("3", "C", Direction::In, "", start_ms + 3'000);
    calls.call_ended(withheld, start_ms + 8'000, Outcome::Missed);

    const QList<main_window::MissedCall> missed = watch.new_missed_calls();
    QCOMPARE(missed.size(), 2);
    QCOMPARE(missed[0].number, QStringLiteral("0502"));
    QCOMPARE(missed[0].slot, 2);
    QCOMPARE(missed[0].model, QStringLiteral("B"));
    QCOMPARE(missed[0].time.toMSecsSinceEpoch(), start_ms - 5'000);
    QCOMPARE(missed[1].number, QString());
    QCOMPARE(missed[1].slot, 3);
    QVERIFY(watch.new_missed_calls().isEmpty());
}

QTEST_GUILESS_MAIN(CallNotifierTest)
#include "test_call_notifier.moc"
