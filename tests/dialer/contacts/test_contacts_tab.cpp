#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "blackboard/slot.h"
#include "contacts/contact_files.h"
#include "contacts/shown_names.h"
#include "contacts/vcard_reader.h"
#include "dialer/contacts/contacts_panel.h"
#include "dialer/dial/number_chooser_window.h"
#include "dialer/main_window/journal_panel.h"
#include "journal/journal.h"
#include "tests/support/chosen_path.h"
#include "tests/support/message_recorder.h"
#include "tests/support/test_env.h"

using contacts_window::ContactTableModel;

namespace {

QStringList column(ContactTableModel& model, int column)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, column).data().toString();
    return texts;
}

void choose(ContactsPanel& panel, const QString& name)
{
    const int row = column(panel.model(), ContactTableModel::Name).indexOf(name);
    QVERIFY2(row >= 0, qPrintable(name));
    panel.table()->setCurrentIndex(panel.model().index(row, 0));
}

}  // namespace

// The "Контакты" tab over a real contact book, and the names it lends the
// journal's search and the chooser of numbers.
class TestContactsTab : public QObject {
    Q_OBJECT

private slots:
    void tab_and_names()
    {
        TestEnv env;
        MessageRecorder messages;
        ChosenPath chooser;
        contacts::ContactBook book(true, contacts::ContactBook::Load::InBackground);
        QStringList dialled;
        ContactsPanel panel(book, [&](const QString& number) { dialled << number; });
        QVERIFY(wait_until([&] { return book.ready(); }, 5000));

        // An old phone's export: two cards read, three skipped with reasons.
        chooser.path = QStringLiteral(CONTACTS_DATA "/old_phone_2_1_cp1251.vcf");
        QSignalSpy done(&panel, &ContactsPanel::work_done);
        QVERIFY(panel.import_chosen());
        QVERIFY(done.wait(5000));
        QVERIFY2(messages.texts.last().startsWith("Импортировано: 2, пропущено: 3\nстрока 7"), qPrintable(messages.texts.last()));
        QVERIFY(contacts::write_phonebook("1", {contacts::Contact{{}, "Оператор", {{"111", {}}}, contacts::Origin::Phone, {}, {}, "1", "SM", 3, {}}}));
        QVERIFY(wait_until([&] { return panel.model().rowCount() == 3; }, 5000));
        QCOMPARE(column(panel.model(), ContactTableModel::Numbers),
                 QStringList({"80442345678, 0935551122 (мобильный)", "111", "0445551199 (домашний)"}));
        QCOMPARE(column(panel.model(), ContactTableModel::OriginColumn),
                 QStringList({"Импорт: old_phone_2_1_cp1251.vcf", "Телефон 1 (SIM)", "Импорт: old_phone_2_1_cp1251.vcf"}));

        // A phone's entry is only read: no edit, no delete.
        choose(panel, "Оператор");
        QVERIFY(!panel.findChild<QPushButton*>("contacts_remove")->isEnabled());
        QVERIFY(!panel.remove_selected());
        // A double click calls the preferred number; the search narrows
        // what is exported.
        choose(panel, "Бухгалтерия");
        panel.call_selected(false);
        QCOMPARE(dialled, QStringList{"80442345678"});
        panel.search_field()->setText("бух");
        QCOMPARE(column(panel.model(), ContactTableModel::Name), QStringList{"Бухгалтерия"});
        chooser.path = env.root() + "/shown.vcf";
        QVERIFY(panel.export_shown());
        QVERIFY(done.wait(5000));
        QFile exported(chooser.path);
        QVERIFY(exported.open(QIODevice::ReadOnly));
        QCOMPARE(contacts::read_vcards(exported.readAll()).contacts.value(0).name, QStringLiteral("Бухгалтерия"));
        QCOMPARE(exported.permissions() & 0x0077, QFileDevice::Permissions());

        // The journal finds a contact's calls by name, whatever form the
        // phone wrote the number in.
        contacts::show_names_from(&book.index());
        journal::Journal journal;
        QVERIFY(journal.call_started("1", "Phone", journal::Direction::In, "+380935551122", 1000) != 0);
        QVERIFY(journal.call_started("1", "Phone", journal::Direction::In, "0501112233", 2000) != 0);
        JournalPanel journal_panel([](const QString&) {});
        journal_panel.search_field()->setText("Бухг");
        QCOMPARE(journal_panel.model().rowCount(), 1);
        QCOMPARE(journal_panel.model().record(0).number, QStringLiteral("+380935551122"));
        journal_panel.search_field()->setText("Никто");
        QCOMPARE(journal_panel.model().rowCount(), 0);

        // The chooser of numbers names them; the number is what is chosen.
        Dialog dialog;
        dialog.load("0935551122, 0501112233");
        auto* list = dialog.findChild<QListWidget*>("List1");
        QCOMPARE(list->item(0)->text(), QStringLiteral("Бухгалтерия 0935551122"));
        QCOMPARE(list->item(1)->text(), QStringLiteral("0501112233"));
        dialog.findChild<QPushButton*>("OKButton")->click();
        QCOMPARE(dialog.b_nomer(), QStringLiteral("0935551122"));
        contacts::show_names_from(nullptr);

        // Deleting asks first and removes the contact's file.
        panel.search_field()->clear();
        choose(panel, "Сосед");
        const QString file = panel.model().contact(panel.table()->currentIndex().row())->file;
        QVERIFY(panel.remove_selected());
        QCOMPARE(messages.questions.last(), QStringLiteral("Удалить"));
        QVERIFY(!QFile::exists(file));
        QVERIFY(wait_until([&] { return panel.model().rowCount() == 2; }, 5000));

        // "Прочитать телефоны" asks the connected GSM phones alone.
        QCOMPARE(panel.read_phonebooks_again(), 0);
        QCOMPARE(messages.texts.last(), QStringLiteral("Нет подключённых телефонов GSM"));
        using namespace blackboard;
        for (const int slot : {1, 2, 3}) {
            Slot(slot).write(key::on_pr, QString(flag::port_open));
            Slot(slot).set_enabled(slot != 3);
        }
        Slot(2).set_phone_type(PhoneType::Cdma);
        QCOMPARE(panel.read_phonebooks_again(), 1);
        QCOMPARE(Slot(1).read(key::kniga_chitat, QString()), QStringLiteral("1"));
        QCOMPARE(Slot(2).read(key::kniga_chitat, QString()) + Slot(3).read(key::kniga_chitat, QString()), QString());
    }
};

QTEST_MAIN(TestContactsTab)
#include "test_contacts_tab.moc"
