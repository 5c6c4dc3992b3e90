// The "Сообщения" tab on a real journal file: messages kept by the store
// as a controller keeps them are listed, notified and read; an answer is
// queued and its phone woken; a failed one is sent again; the counter
// follows the text; the main window's title, button and search.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include "blackboard/slot.h"
#include "dialer/main_window/form_port.h"
#include "dialer/messages/messages_panel.h"
#include "message_recorder.h"
#include "messages/message_store.h"
#include "platform/clock.h"
#include "recording_notifications.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

namespace {

qint64 keep(messages::MessageStore& store, const QString& number, const QString& text, qint64 at_ms)
{
    messages::ReceivedPart part;
    part.line = "1";
    part.number = number;
    part.text = text;
    part.received_ms = at_ms;
    part.fingerprint = number + text;
    qint64 id = 0;
    store.keep_received(part, &id);
    return id;
}

QStringList shown_numbers(MessagesPanel& panel)
{
    QStringList numbers;
    for (int row = 0; row < panel.conversations().rowCount(); ++row)
        numbers << panel.conversations().conversation(row).number;
    return numbers;
}

}  // namespace

class MessagesTabTest : public QObject {
    Q_OBJECT

private slots:
    void messages_are_listed_notified_read_and_answered();
    void main_window_shows_unread_and_writes_to_the_typed_number();
};

void MessagesTabTest::messages_are_listed_notified_read_and_answered()
{
    TestEnv env;
    MessageRecorder boxes;
    const qint64 now = platform::clock().wall_clock_ms();
    messages::MessageStore writer;  // the controller's connection
    keep(writer, "+380671234567", "Привет, как дела?", now - 60000);
    keep(writer, "Bank", "Kod 1234", now - 30000);
    write_setting("Kestrum", "1", "on_pr", "True");
    write_setting("Kestrum", "1", "model", "Sim 1");

    RecordingNotifications notifications;
    MessagesPanel panel(notifications, [](const QString&) {});
    panel.resize(700, 220);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(shown_numbers(panel), (QStringList{"Bank", "+380671234567"}));
    QCOMPARE(panel.unread_total(), 2);
    QVERIFY(notifications.sent.isEmpty());  // unread before the start: seen already
    QTRY_COMPARE(panel.via()->count(), 2);
    QCOMPARE(panel.via()->itemText(1), QStringLiteral("Телефон 1 (Sim 1)"));

    // A message arriving is listed first and notified, with its text.
    QSignalSpy unread(&panel, &MessagesPanel::unread_changed);
    keep(writer, "0501112233", "Встреча в 10", now);
    QTRY_COMPARE_WITH_TIMEOUT(shown_numbers(panel).value(0), QStringLiteral("0501112233"), 2000);
    QCOMPARE(unread.last().first().toInt(), 3);
    QCOMPARE(notifications.on_screen.size(), 1);
    const platform::Notification shown = notifications.only_shown();
    QCOMPARE(shown.summary, QStringLiteral("Новое сообщение"));
    QCOMPARE(shown.body, QStringLiteral("0501112233\nВстреча в 10"));
    QCOMPARE(shown.category, QStringLiteral("im.received"));
    // The next one replaces it; without the text when so set.
    write_setting("Vekorra", "drugoe", "sms_tekst_v_uvedoml", "0");
    keep(writer, "0501112233", "Опаздываю", now + 1);
    QTRY_COMPARE_WITH_TIMEOUT(notifications.sent.size(), 2, 2000);
    QCOMPARE(notifications.sent.last().id, notifications.sent.first().id);
    QCOMPARE(notifications.only_shown().body, QStringLiteral("0501112233"));

    // Search as typed: digits with spaces find the number, a word the text.
    QTest::keyClicks(panel.search_field(), "067 123");
    QCOMPARE(shown_numbers(panel), QStringList{"+380671234567"});
    panel.search_field()->clear();
    QTest::keyClicks(panel.search_field(), "kod");
    QCOMPARE(shown_numbers(panel), QStringList{"Bank"});
    panel.search_field()->clear();

    // The notification's click opens the conversation: read, and closed.
    notifications.invoke(notifications.only_shown_id(), "default");
    QCOMPARE(panel.unread_total(), 2);
    QCOMPARE(panel.thread().rowCount(), 2);
    QVERIFY(notifications.on_screen.isEmpty());

    // The counter: GSM until a Cyrillic letter turns the text into UCS2.
    QTest::keyClicks(panel.compose_field(), "Ok");
    QCOMPARE(panel.counter()->text(), QStringLiteral("Осталось 158, частей: 1 (GSM)"));
    QTest::sendKeyEvent(QTest::Click, panel.compose_field(), Qt::Key_unknown, QStringLiteral("ж"), Qt::NoModifier);
    QCOMPARE(panel.counter()->text(), QStringLiteral("Осталось 67, частей: 1 (UCS2)"));
    // A phone that passes no delivery reports on, as its controller says.
    write_setting("Kestrum", "1", "sms_rezhim", "pdu-bez-otchetov");
    QTRY_COMPARE(panel.counter()->text(), QStringLiteral("Осталось 67, частей: 1 (UCS2) — доставка не подтверждается"));

    // Ctrl+Enter queues the answer on the phone chosen and wakes it.
    QTest::keyClick(panel.compose_field(), Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(panel.compose_field()->toPlainText(), QString());
    const QList<messages::Message> queued = writer.queued("1");
    QCOMPARE(queued.size(), 1);
    QCOMPARE(queued.first().number, QStringLiteral("0501112233"));
    QCOMPARE(queued.first().text, QStringLiteral("Okж"));
    QCOMPARE(read_setting("Kestrum", "1", "sms_ochered", ""), QStringLiteral("1"));
    const int last = panel.thread().rowCount() - 1;
    QCOMPARE(panel.thread().index(last).data(messages_window::ThreadModel::StateRole).toString(),
             QStringLiteral("Отправляется"));

    // Refused by the network: shown with its reason, sent again.
    write_setting("Kestrum", "1", "sms_ochered", "");
    QVERIFY(writer.set_state(queued.first().id, messages::State::Failed, "Нет сети"));
    QTRY_COMPARE_WITH_TIMEOUT(panel.thread().index(last).data(messages_window::ThreadModel::StateRole).toString(),
                              QStringLiteral("Ошибка: Нет сети"), 2000);
    panel.thread_view()->setCurrentIndex(panel.thread().index(last));
    // A controller writes to the journal meanwhile: the choice stays.
    QVERIFY(writer.set_model(queued.first().id, QStringLiteral("PhoneSim 3000")));
    panel.refresh_if_changed();
    QVERIFY(panel.resend_button()->isEnabled());
    QTest::mouseClick(panel.resend_button(), Qt::LeftButton);
    QCOMPARE(writer.message(queued.first().id).state, messages::State::Queued);
    QCOMPARE(read_setting("Kestrum", "1", "sms_ochered", ""), QStringLiteral("1"));

    // Deleting the conversation asks, saying how many messages go.
    QVERIFY(panel.remove_conversation());
    QCOMPARE(boxes.texts.last(), QStringLiteral("Удалить переписку с 0501112233? Будет удалено сообщений: 3."));
    QCOMPARE(shown_numbers(panel), (QStringList{"Bank", "+380671234567"}));
}

void MessagesTabTest::main_window_shows_unread_and_writes_to_the_typed_number()
{
    TestEnv env;
    messages::MessageStore writer;
    keep(writer, "0671234567", "Перезвони", platform::clock().wall_clock_ms());
    keep(writer, "0671234567", "Срочно", platform::clock().wall_clock_ms() + 1);
    FormPort form(TestEnv::build_dir());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTabWidget* tabs = form.tabs();
    QCOMPARE(tabs->tabText(1), QStringLiteral("Сообщения (2)"));

    // "Сообщение" beside "Позвонить": the conversation of the typed number,
    // opened, so read.
    form.number_field()->setText("067 123 45 67");
    QTest::mouseClick(form.message_button(), Qt::LeftButton);
    QCOMPARE(tabs->currentIndex(), 1);
    QCOMPARE(form.messages_panel()->thread().rowCount(), 2);
    QCOMPARE(tabs->tabText(1), QStringLiteral("Сообщения"));

    // Every control of the tab has a name a screen reader says.
    for (QWidget* control : form.messages_panel()->findChildren<QWidget*>()) {
        if (!control->focusPolicy() || control->inherits("QScrollBar") || !control->isVisibleTo(&form))
            continue;
        const auto* button = qobject_cast<QPushButton*>(control);
        QVERIFY2(!control->accessibleName().isEmpty() || (button && !button->text().isEmpty()),
                 qPrintable(control->objectName()));
    }
}

QTEST_MAIN(MessagesTabTest)
#include "test_messages_tab.moc"
