#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include "contacts/contact_book.h"
#include "contacts/contact_cache.h"
#include "contacts/contact_files.h"
#include "contacts/shown_names.h"
#include "dialer/main_window/status_pass.h"
#include "settings_store/settings_store.h"
#include "contacts/vcard_reader.h"
#include "contacts/vcard_writer.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

using namespace contacts;

namespace {

QByteArray data_file(const QString& name)
{
    QFile file(QStringLiteral(CONTACTS_DATA "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// "Name: number [types], number" per contact, as the table states them.
QStringList summary(const QList<Contact>& contacts)
{
    QStringList out;
    for (const Contact& contact : contacts) {
        QStringList numbers;
        for (const ContactNumber& number : contact.numbers)
            numbers << number.number + (number.types.isEmpty() ? QString() : " [" + number.types.join(',') + ']');
        out << contact.name + ": " + numbers.join(", ");
    }
    return out;
}

// The same summary as python3-vobject, a reader made apart from ours,
// reads the cards: what we write is a vCard others read.
QStringList vobject_summary(const QByteArray& cards)
{
    static const char script[] = R"(
import sys, vobject
for card in vobject.readComponents(sys.stdin.buffer.read().decode("utf-8")):
    assert card.version.value == "4.0"
    numbers = []
    for tel in card.contents.get("tel", []):
        types = [t.lower() for param in tel.params.get("TYPE", []) for t in param.split(",")]
        numbers.append(tel.value + (" [" + ",".join(types) + "]" if types else ""))
    print(card.fn.value + ": " + ", ".join(numbers))
)";
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromLatin1(script)});
    python.write(cards);
    python.closeWriteChannel();
    if (!python.waitForFinished(20000) || python.exitCode() != 0)
        return {QString::fromUtf8(python.readAllStandardError())};
    return QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

ToolRun contacts_tool(const QStringList& args)
{
    return run_tool(TestEnv::build_dir() + "/vekorra-contacts", args);
}

}  // namespace

class TestContacts : public QObject {
    Q_OBJECT

private slots:
    // Exports of real address books, each read, written as 4.0 and read
    // back to the same contacts.
    void reads_exports_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<QStringList>("skipped");
        QTest::newRow("Android 2.1, quoted-printable UTF-8, soft breaks, a photo")
            << "android_2_1.vcf"
            << QStringList{"Мама: +380671234567 [cell,pref], 044 222-33-44 [home]",
                           "Іван Петренко: 050-765-43-21 [work]"}
            << QStringList();
        QTest::newRow("old phone 2.1, Windows-1251, broken cards skipped")
            << "old_phone_2_1_cp1251.vcf"
            << QStringList{"Бухгалтерия: 80442345678 [pref,voice], 0935551122 [cell]", "Сосед: 0445551199 [home]"}
            << QStringList{"строка 7: строка без двоеточия: «TEL;CELL 0935551100»",
                           "строка 12: неизвестная кодировка KOI9-Q", "строка 22: нет END:VCARD"};
        QTest::newRow("iOS 3.0, grouped TEL, name from ORG")
            << "ios_3_0.vcf"
            << QStringList{"Олена Коваленко: +38 (067) 555-12-34 [pref], +48 601 234 567 [cell,voice]",
                           "Служба таксі: 1580 [work,voice]"}
            << QStringList();
        QTest::newRow("CardDAV 4.0, tel: addresses, folded UTF-8")
            << "carddav_4_0.vcf"
            << QStringList{"J. Doe: +1-555-555-5555 [voice,cell], +33-01-23-45-67 [home]",
                           "Дуже довге ім'я контакту, що не вміщається в один рядок картки vCard і тому розбите на кілька рядків: +380 44 123 45 67 [work]"}
            << QStringList();
    }
    void reads_exports()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, contacts);
        QFETCH(QStringList, skipped);
        const VcardReadResult read = read_vcards(data_file(file));
        QCOMPARE(summary(read.contacts), contacts);
        QStringList skipped_texts;
        for (const SkippedCard& card : read.skipped)
            skipped_texts << skipped_text(card);
        QCOMPARE(skipped_texts, skipped);

        const QByteArray written = write_vcards(read.contacts);
        for (const QByteArray& line : written.split('\n'))
            QVERIFY2(line.size() <= 76, line.constData());  // 75 octets and the CR
        const VcardReadResult again = read_vcards(written);
        QCOMPARE(summary(again.contacts), contacts);
        QCOMPARE(vobject_summary(written), contacts);
        QVERIFY(again.skipped.isEmpty());
        // What is not shown survives: the e-mail of a 4.0 or 3.0 card.
        if (written.contains("EMAIL"))
            QCOMPARE(written.count("EMAIL"), data_file(file).count("EMAIL"));
    }

    // Pairs of numbers that are, or are not, one number in Ukraine.
    void matches_numbers_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("heard");
        QTest::addColumn<bool>("same");
        QTest::newRow("national, international") << "0671234567" << "+380671234567" << true;
        QTest::newRow("national, without plus") << "0671234567" << "380671234567" << true;
        QTest::newRow("spaces and dashes") << "+38 (067) 123-45-67" << "067 123 45 67" << true;
        QTest::newRow("international prefix 00") << "00380671234567" << "0671234567" << true;
        QTest::newRow("city number") << "044 222-33-44" << "+380442223344" << true;
        QTest::newRow("abroad, written two ways") << "+48 601 234 567" << "+48601234567" << true;
        QTest::newRow("short number itself") << "1580" << "1580" << true;
        QTest::newRow("one digit differs") << "0671234567" << "0671234568" << false;
        QTest::newRow("same digits, other country") << "0671234567" << "+48671234567" << false;
        QTest::newRow("short and longer") << "112" << "0112" << false;
        QTest::newRow("a code is no number") << "*111#" << "111" << false;
        QTest::newRow("no digits") << "Мама" << "" << false;
    }
    void matches_numbers()
    {
        QFETCH(QString, stored);
        QFETCH(QString, heard);
        QFETCH(bool, same);
        ContactIndex index(QStringLiteral("UA"));
        index.reset({Contact{{}, "Контакт", {{stored, {}}}, Origin::Own, {}, {}, {}, {}, 0, {}}});
        QCOMPARE(index.name_for(heard) == QStringLiteral("Контакт"), same);
        // The quick keys say what libphonenumber's parser says.
        for (const QString& number : {stored, heard}) {
            const QString parsed = index.keys().parsed_key(number);
            if (!parsed.isEmpty())
                QCOMPARE(index.keys().key(number), parsed);
        }
    }

    // The own folder is shared with sync programs: their changes show, an
    // import lands in it, the tool reads it.
    void own_folder_and_tool()
    {
        TestEnv env;
        ContactBook book;
        QSignalSpy changed(&book, &ContactBook::changed);
        QVERIFY(write_private_file(own_folder() + "/synced.vcf",
                                   "BEGIN:VCARD\r\nVERSION:4.0\r\nUID:synced\r\nFN:Бабуся\r\nTEL:0445551100\r\nEND:VCARD\r\n"));
        QVERIFY(changed.wait(1000));
        QCOMPARE(book.name_for("+380445551100"), QStringLiteral("Бабуся"));
        QCOMPARE(QFile::permissions(own_folder() + "/synced.vcf") & 0x0077, QFileDevice::Permissions());

        ToolRun run = contacts_tool({"import", QStringLiteral(CONTACTS_DATA "/old_phone_2_1_cp1251.vcf")});
        QCOMPARE(run.exit_code, 0);
        QVERIFY2(run.out.startsWith("Импортировано: 2, пропущено: 3\n"), qPrintable(run.out));
        QVERIFY(run.err.contains("строка 12: неизвестная кодировка KOI9-Q"));
        QVERIFY(wait_until([&] { return !book.name_for("0935551122").isEmpty(); }, 1000));
        QCOMPARE(origin_text(*book.index().find("+380935551122")), QStringLiteral("Импорт: old_phone_2_1_cp1251.vcf"));

        run = contacts_tool({"lookup", "+38 093 555 11 22"});
        QCOMPARE(run.exit_code, 0);
        QCOMPARE(run.out, QStringLiteral("Бухгалтерия\n"));
        QCOMPARE(contacts_tool({"lookup", "0935551199"}).exit_code, 1);
        run = contacts_tool({"list", "--search", "бух", "--format", "tsv"});
        QCOMPARE(run.out, QStringLiteral("Бухгалтерия\t80442345678 0935551122\tИмпорт: old_phone_2_1_cp1251.vcf\n"));
        run = contacts_tool({"list", "--format", "vcf"});
        QCOMPARE(summary(read_vcards(run.out.toUtf8()).contacts),
                 QStringList({"Бабуся: 0445551100", "Бухгалтерия: 80442345678 [pref,voice], 0935551122 [cell]",
                              "Сосед: 0445551199 [home]"}));

        // The phone's display names a ringing contact, then its number.
        show_names_from(&book.index());
        write_setting("Kestrum", "1", "status", "Вх.вызов@@@@@@");
        write_setting("Kestrum", "1", "zvonok", "+380445551100@@@@@@");
        QCOMPARE(main_window::read_slot_view(1).display->text, QStringLiteral("Вх.вызов Бабуся +380445551100\r\n"));
        show_names_from(nullptr);

        QVERIFY(QFile::remove(own_folder() + "/synced.vcf"));
        QVERIFY(wait_until([&] { return book.name_for("0445551100").isEmpty(); }, 1000));
    }

    // A window's next start names from what its last run read, then
    // follows what changed in the folders meanwhile; a cut cache is none.
    void cache_of_the_last_run()
    {
        TestEnv env;
        const auto save = [](const QString& uid, const QString& name, const QString& number) {
            return write_private_file(own_folder() + '/' + uid + ".vcf",
                                      QStringLiteral("BEGIN:VCARD\r\nVERSION:4.0\r\nUID:%1\r\nFN:%2\r\nTEL:%3\r\n"
                                                     "END:VCARD\r\n").arg(uid, name, number).toUtf8());
        };
        QVERIFY(save("a", "Мама", "0671234567") && save("b", "Тато", "0671234568"));
        { ContactBook last_run; }
        QCOMPARE(QFile::permissions(contact_cache_path()) & 0x0077, QFileDevice::Permissions());
        QVERIFY(QFile::remove(own_folder() + "/b.vcf"));
        QVERIFY(save("a", "Мама Оля", "0671234567") && save("c", "Сестра", "0671234569"));
        for (const bool cut : {false, true}) {
            QFile cache(contact_cache_path());
            if (cut)
                QVERIFY(cache.resize(cache.size() / 2));
            ContactBook book(true, ContactBook::Load::InBackground);
            QStringList first_names;  // as the first change showed them
            connect(&book, &ContactBook::changed, this, [&] {
                if (first_names.isEmpty())
                    first_names << book.name_for("0671234567") << book.name_for("0671234568");
            });
            QVERIFY(wait_until([&] { return book.ready(); }, 5000));
            QCOMPARE(first_names, cut ? QStringList({"Мама Оля", ""}) : QStringList({"Мама", "Тато"}));
            QCOMPARE(book.name_for("0671234567"), QStringLiteral("Мама Оля"));
            QCOMPARE(book.name_for("0671234568"), QString());
            QCOMPARE(book.name_for("0671234569"), QStringLiteral("Сестра"));
        }
    }
};

QTEST_GUILESS_MAIN(TestContacts)
#include "test_contacts.moc"
