// The "Журнал звонков" tab in the real main window: a real controller in
// folder 1 of the build on the phone simulator, the journal it writes shown
// within a second, retention at the start, search, missed only, call back,
// delete, export, and the Skype and SIP hand-overs recorded.
#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "child_launcher.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/journal_panel.h"
#include "journal/journal.h"
#include "messages/message_store.h"
#include "platform/clock.h"
#include "platform/file_chooser.h"
#include "platform/link_opener.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "tests/journal/journal_test_util.h"
#include "tests/journal/journal_watch.h"
#include "tests/support/chosen_path.h"
#include "tests/support/message_recorder.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

using journal_watch::wait_for_call;

namespace {

constexpr qint64 kDayMs = 24 * 3600 * 1000LL;

struct AcceptingLinks : platform::LinkOpener {
    QStringList opened;
    platform::OpenResult open_address(const QString& address) override
    {
        opened << address;
        return {true, 0};
    }
};

void add_ended_call(journal::Journal& journal, const QString& number, qint64 start_ms, journal::Outcome outcome)
{
    const qint64 id = journal.call_started("2", "Old phone", journal::Direction::In, number, start_ms);
    QVERIFY(id != 0);
    QVERIFY(journal.call_ended(id, start_ms + 30000, outcome));
}

QStringList shown_numbers(JournalPanel& panel)
{
    QStringList numbers;
    for (int row = 0; row < panel.model().rowCount(); ++row)
        numbers << panel.model().record(row).number;
    return numbers;
}

}  // namespace

class JournalTabTest : public QObject {
    Q_OBJECT

private slots:
    void tab_shows_searches_calls_back_and_exports();
    void unreadable_journal_is_said_and_set_aside_on_request();
    void exports_write_no_formula_data();
    void exports_write_no_formula();
};

void JournalTabTest::tab_shows_searches_calls_back_and_exports()
{
    TestEnv env;
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100", "--model", "Tab GSM"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    write_setting("Kestrum", "1", "port", "1");
    write_setting("Kestrum", "1", "Tip_Tlf", "GSM");
    // Older than the 30 days kept: removed at the start.
    const qint64 now = platform::clock().wall_clock_ms();
    {
        journal::Journal journal;
        add_ended_call(journal, "0509999999", now - 40 * kDayMs, journal::Outcome::Answered);
        add_ended_call(journal, "0672223344", now - 2 * kDayMs, journal::Outcome::Missed);
        add_ended_call(journal, "0505556677", now - kDayMs, journal::Outcome::Answered);
        // Messages follow the calls' retention.
        messages::MessageStore store;
        for (const auto& [text, age_days] : {std::pair{"old", 40}, std::pair{"new", 2}})
            store.set_state(store.queue("1", "0672223344", text, now - age_days * kDayMs), messages::State::Sent);
    }
    write_setting("Vekorra", "drugoe", "journal_days", "30");

    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form(TestEnv::build_dir());
    form.start_up();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    JournalPanel& panel = *form.journal_panel();
    QCOMPARE(shown_numbers(panel), (QStringList{"0505556677", "0672223344"}));
    const QList<messages::Message> kept = messages::MessageStore().fetch({});
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept[0].text, QStringLiteral("new"));
    QVERIFY(wait_until([&] { return form.frame(1)->display_text() == "Tab GSM"; }, 15000));

    // Search as the user types, and missed calls only.
    QTest::keyClicks(panel.search_field(), "2233");
    QCOMPARE(shown_numbers(panel), QStringList{"0672223344"});
    panel.search_field()->clear();
    panel.missed_only_box()->click();
    QCOMPARE(shown_numbers(panel), QStringList{"0672223344"});

    // A double click on the missed call calls it back through phone 1,
    // and the call shows in the table within a second of being written.
    QTableView* table = panel.table();
    QVERIFY(QTest::qWaitFor([&] { return table->rowAt(0) == 0; }));
    const QRect cell = table->visualRect(panel.model().index(0, journal::JournalTableModel::Number));
    QVERIFY2(table->viewport()->rect().contains(cell.center()), qPrintable(QString::number(cell.y())));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(form.number_field()->text(), QStringLiteral("0672223344"));
    QVERIFY2(phone.wait_for_command("ATD0672223344;", 10000),
             qPrintable(messages.texts.join('|') + " / " + phone.received().join('|')));
    panel.missed_only_box()->click();
    QVERIFY(wait_for_call("1 out 0672223344 open"));
    QVERIFY(wait_until([&] { return panel.model().rowCount() == 3; }, 1000 + JournalPanel::refresh_period_ms));
    QCOMPARE(panel.model().record(0).line, QStringLiteral("1"));
    QVERIFY(phone.control("busy"));
    QVERIFY(wait_for_call("1 out 0672223344 unanswered"));

    // Enter on a row calls back as well.
    table->setFocus();
    table->setCurrentIndex(panel.model().index(1, 0));
    const QString second = panel.model().record(1).number;
    QTest::keyClick(table, Qt::Key_Return);
    QVERIFY2(phone.wait_for_command("ATD" + second + ";", 10000), qPrintable(phone.received().join('|')));
    QVERIFY(wait_for_call("1 out " + second + " open"));
    QVERIFY(phone.control("busy"));
    QVERIFY(wait_for_call("1 out " + second + " unanswered"));

    // Skype and the SIP softphone: the numbers handed over are recorded.
    AcceptingLinks links;
    platform::set_link_opener(&links);
    write_setting("Kestrum", "5", "ON", "1");
    write_setting("Kestrum", "6", "ON", "1");
    write_setting("Vekorra", "pravila", "KS", "4");
    write_setting("Vekorra", "pravila", "MTS", "5");
    write_setting("Vekorra", "drugoe", "sip_program", "/bin/true");
    form.number_field()->setText("0671234567");
    QTest::mouseClick(form.call_button(), Qt::LeftButton);
    form.number_field()->setText("0501234567");
    QTest::mouseClick(form.call_button(), Qt::LeftButton);
    platform::set_link_opener(nullptr);
    QCOMPARE(links.opened, QStringList{"skype:+380671234567"});
    QVERIFY(wait_for_call("skype out +380671234567 handed-over"));
    QVERIFY(wait_for_call("sip out 0501234567 handed-over"));
    QVERIFY(wait_until([&] { return panel.model().rowCount() == 6; }, 1000 + JournalPanel::refresh_period_ms));
    QCOMPARE(panel.model().data(panel.model().index(0, journal::JournalTableModel::OutcomeColumn)).toString(),
             journal::outcome_label(journal::Outcome::HandedOver));

    // "Через:" sends one call past the rules (KS goes to Skype), then the
    // rules decide again.
    QComboBox* via = form.via_choice();
    QVERIFY(wait_until([&] { return via->count() == 4; }, 2000));  // auto, phone 1, Skype, SIP
    QVERIFY(via->itemText(1).startsWith(QStringLiteral("Телефон 1")));
    via->setCurrentIndex(1);
    form.number_field()->setText("067 111 22 33");
    QTest::mouseClick(form.call_button(), Qt::LeftButton);
    QVERIFY2(phone.wait_for_command("ATD0671112233;", 10000), qPrintable(phone.received().join('|')));
    QCOMPARE(via->currentIndex(), 0);
    QVERIFY(wait_for_call("1 out 0671112233 open"));
    QVERIFY(phone.control("busy"));
    QVERIFY(wait_for_call("1 out 0671112233 unanswered"));
    QVERIFY(wait_until([&] { return panel.model().rowCount() == 7; }, 1000 + JournalPanel::refresh_period_ms));

    // A click on a column's title orders the rows by it; the title fits.
    QHeaderView* header = table->horizontalHeader();
    const int number_column = journal::JournalTableModel::Number;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(number_column) + 5, header->height() / 2));
    QStringList numbers;
    for (int row = 0; row < panel.model().rowCount(); ++row)
        numbers << panel.model().record(row).number;
    QStringList sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    QVERIFY2(numbers == sorted || numbers == QStringList(sorted.rbegin(), sorted.rend()), qPrintable(numbers.join(',')));
    const int duration = journal::JournalTableModel::Duration;
    QVERIFY(header->sectionSize(duration) >
            header->fontMetrics().horizontalAdvance(panel.model().headerData(duration, Qt::Horizontal).toString()));

    // Delete a record; a search that finds nothing says so; digits typed
    // with blanks and dashes find the number; export what is shown.
    header->setSortIndicator(journal::JournalTableModel::Time, Qt::DescendingOrder);
    panel.remove_record(0);
    QCOMPARE(panel.model().rowCount(), 6);
    auto* nothing_found = panel.findChild<QLabel*>(QStringLiteral("journal_nothing_found"));
    panel.search_field()->setText("999 999");
    QVERIFY(nothing_found->isVisibleTo(&panel));
    panel.search_field()->setText("067 222-33 44");
    QVERIFY(!nothing_found->isVisibleTo(&panel));
    ChosenPath chooser;
    chooser.path = env.root() + "/export.csv";
    platform::set_file_chooser(&chooser);
    QTest::mouseClick(panel.export_button(), Qt::LeftButton);
    platform::set_file_chooser(nullptr);
    QFile exported(chooser.path);
    QVERIFY(exported.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = exported.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 3);  // the header, the call back, the missed call
    QVERIFY2(lines[1].contains(",1,out,0672223344,unanswered,0,Tab GSM"), lines[1].constData());
    QVERIFY2(lines[2].contains(",2,in,0672223344,missed,0,Old phone"), lines[2].constData());
    // As private as the journal, and the user is told where it went.
    QCOMPARE(exported.permissions() & 0x7777, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadUser | QFileDevice::WriteUser);
    QCOMPARE(messages.texts, QStringList{QStringLiteral("Журнал звонков сохранён в файл: ") + chooser.path});

    form.close();
    QVERIFY(wait_until([&] { return controllers.running() == 0; }, 10000));
}

// A journal of an unknown schema, then a damaged one: the tab says it
// cannot read them and lists nothing; only the user's press sets the
// damaged file aside, and the tab then shows the new journal.
void JournalTabTest::unreadable_journal_is_said_and_set_aside_on_request()
{
    TestEnv env;
    MessageRecorder messages;
    QVERIFY(journal_test::run_sql(env.journal_path(), "CREATE TABLE calls (id INTEGER); PRAGMA user_version=-3"));
    {
        JournalPanel panel([](const QString&) {});
        QVERIFY(!panel.unreadable_notice()->isHidden());
        QVERIFY2(panel.unreadable_notice()->text().contains("schema version -3 is unknown"),
                 qPrintable(panel.unreadable_notice()->text()));
        QVERIFY(panel.set_aside_button()->isHidden());
    }
    QFile::remove(env.journal_path());
    journal_test::write_damaged_journal(env.journal_path(), 3000, 4096);
    JournalPanel panel([](const QString&) {});
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    // The first page may be sound; the whole-file check finds the damage.
    QVERIFY(wait_until([&] { return panel.unreadable_notice()->isVisible(); }, 10000));
    QCOMPARE(panel.model().rowCount(), 0);
    QVERIFY(panel.unreadable_notice()->text().contains("файл повреждён"));
    QVERIFY(panel.set_aside_button()->isVisible());
    QTest::qWait(2 * JournalPanel::refresh_period_ms);
    QVERIFY(QDir(env.root()).entryList({"*.damaged-*"}).isEmpty());

    QTest::mouseClick(panel.set_aside_button(), Qt::LeftButton);
    const QStringList aside = QDir(env.root()).entryList({"journal.sqlite.damaged-*"});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(messages.texts, QStringList{"Повреждённый журнал звонков сохранён как " + env.root() + "/" + aside[0]});
    QVERIFY(!panel.unreadable_notice()->isVisible());
    journal::Journal(env.journal_path()).handed_over("skype", "0671112233", 1714550400000);
    QVERIFY(wait_until([&] { return panel.model().rowCount() == 1; }, 1000 + JournalPanel::refresh_period_ms));
}

void JournalTabTest::exports_write_no_formula_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("=") << "=HYPERLINK(\"http://x\",\"y\")" << "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"";
    QTest::newRow("+ formula") << "+1+cmd|' /C calc'!A0" << "\"'+1+cmd|' /C calc'!A0\"";
    QTest::newRow("-") << "-2+3" << "\"'-2+3\"";
    QTest::newRow("@") << "@SUM(A1:A9)" << "\"'@SUM(A1:A9)\"";
    QTest::newRow("tab") << "\t=1+1" << "\"'\t=1+1\"";
    QTest::newRow("CR") << "\r=1+1" << "\"'\r=1+1\"";
    QTest::newRow("blanks first") << "  =1+1" << "\"'  =1+1\"";
    QTest::newRow("international number") << "+380501234567" << "\"=\"\"+380501234567\"\"\"";
    QTest::newRow("national number") << "0501234567" << "0501234567";
    QTest::newRow("inner =") << "a=b" << "a=b";
}

// The tool's CSV and the tab's export write the same fields.
void JournalTabTest::exports_write_no_formula()
{
    QFETCH(QString, value);
    QFETCH(QString, written);
    TestEnv env;
    {
        journal::Journal journal;
        const qint64 id = journal.call_started("1", value, journal::Direction::In, value, 1714550400000);
        QVERIFY(journal.call_ended(id, 1714550460000, journal::Outcome::Missed));
    }
    const QString line = ",1,in," + written + ",missed,0," + written + "\r\n";
    const ToolRun tool = run_tool(TestEnv::build_dir() + "/vekorra-journal", {"list", "--format", "csv"});
    QCOMPARE(tool.exit_code, 0);
    QVERIFY2(tool.out.endsWith(line), qPrintable(tool.out));

    MessageRecorder messages;
    JournalPanel panel([](const QString&) {});
    ChosenPath chooser;
    chooser.path = env.root() + "/export.csv";
    platform::set_file_chooser(&chooser);
    const bool exported = panel.export_shown_rows();
    platform::set_file_chooser(nullptr);
    QVERIFY(exported);
    QFile file(chooser.path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.endsWith(line), qPrintable(text));
}

QTEST_MAIN(JournalTabTest)
#include "test_journal_tab.moc"
