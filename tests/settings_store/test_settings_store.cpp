#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "settings_store/settings_store.h"
#include "tests/support/env_override.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"

namespace {

int store_warnings = 0;
QString last_store_warning;
QtMessageHandler previous_handler = nullptr;

void count_store_warnings(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "vekorra.store") == 0) {
        ++store_warnings;
        last_store_warning = text;
    }
    previous_handler(type, context, text);
}

// Copies the store file as it is now into `copy` (a backup, as a user or a
// sync tool would make one).
void copy_store(const QString& path, const QString& copy)
{
    RawStore source(path);
    const QString sql = QStringLiteral("VACUUM INTO '%1'").arg(copy);
    QCOMPARE(source.exec(sql.toUtf8().constData()), SQLITE_OK);
}

int mode_of(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 07777);
}

QByteArray file_bytes(const QString& path)
{
    QFile file(path);
    return file.exists() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { previous_handler = qInstallMessageHandler(count_store_warnings); }
    void cleanupTestCase() { qInstallMessageHandler(previous_handler); }
    void init() { store_warnings = 0; }

    void reading_an_absent_key_creates_nothing()
    {
        TestEnv env;
        QCOMPARE(read_setting("Kestrum", "1", "pozvonit", ""), QString(""));
        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("0"));
        QCOMPARE(take_setting("Kestrum", "1", "kf", "x", false), QString("x"));
        QVERIFY(!settings_store::last_operation_failed());
        QVERIFY(settings_store::list_settings().isEmpty());
        settings_store::reopen();
        RawStore raw(env.store_path());
        QCOMPARE(raw.scalar("SELECT count(*) FROM settings"), QString("0"));
    }

    void take_consumes_the_key_only_with_reset()
    {
        TestEnv env;
        write_setting("Kestrum", "1", "kf", "1");
        QCOMPARE(take_setting("Kestrum", "1", "kf", "", false), QString("1"));
        QCOMPARE(read_setting("Kestrum", "1", "kf", "absent"), QString("1"));
        QCOMPARE(take_setting("Kestrum", "1", "kf", "", true), QString("1"));
        QCOMPARE(read_setting("Kestrum", "1", "kf", "absent"), QString(""));
        QCOMPARE(take_setting("Kestrum", "1", "kf", "", true), QString(""));
        // The default, not the value read, is what stays behind.
        write_setting("Kestrum", "1", "poloz_t", "7");
        QCOMPARE(take_setting("Kestrum", "1", "poloz_t", "0", true), QString("7"));
        QCOMPARE(read_setting("Kestrum", "1", "poloz_t", ""), QString("0"));
        // A reset of an absent key leaves the default there.
        QCOMPARE(take_setting("Kestrum", "1", "vzat_t", "", true), QString(""));
        QCOMPARE(read_setting("Kestrum", "1", "vzat_t", "absent"), QString(""));
    }

    void names_match_without_letter_case_data()
    {
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("read");
        QTest::newRow("key") << QStringList{"Kestrum", "1", "Tip_Tlf"} << QStringList{"Kestrum", "1", "Tip_tlf"};
        QTest::newRow("application") << QStringList{"MyApp", "vekorra", "kod"} << QStringList{"MYAPP", "vekorra", "kod"};
        QTest::newRow("cyrillic section") << QStringList{"Kestrum", "Проект", "port"}
                                          << QStringList{"Kestrum", "ПРОЕКТ", "port"};
        QTest::newRow("cyrillic key") << QStringList{"Vekorra", "drugoe", "Ключ"} << QStringList{"vekorra", "DRUGOE", "кЛЮЧ"};
    }

    void names_match_without_letter_case()
    {
        QFETCH(QStringList, written);
        QFETCH(QStringList, read);
        TestEnv env;
        write_setting(written[0], written[1], written[2], "CDMA");
        QCOMPARE(read_setting(read[0], read[1], read[2], "GSM"), QString("CDMA"));
        write_setting(read[0], read[1], read[2], "Provod");
        QCOMPARE(read_setting(written[0], written[1], written[2], "GSM"), QString("Provod"));
        // One key, listed under the spelling first written.
        const QList<settings_store::Entry> entries = settings_store::list_settings();
        QCOMPARE(entries.size(), 1);
        QCOMPARE(QStringList({entries[0].app, entries[0].section, entries[0].key}), written);
        QVERIFY(settings_store::unset_setting(read[0], read[1], read[2]));
        QCOMPARE(read_setting(written[0], written[1], written[2], "GSM"), QString("GSM"));
    }

    void a_section_keeps_its_first_spelling()
    {
        TestEnv env;
        write_setting("Kestrum", "Проект", "port", "3");
        write_setting("KESTRUM", "ПРОЕКТ", "ON", "1");
        const QList<settings_store::Entry> entries = settings_store::list_settings("kestrum", "проект");
        QCOMPARE(entries.size(), 2);
        for (const settings_store::Entry& entry : entries)
            QCOMPARE(entry.app + "/" + entry.section, QString("Kestrum/Проект"));
    }

    void values_of_any_text_survive_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("empty") << QString("");
        QTest::newRow("cyrillic") << QString("Набор номера....@Разг. / (Исх. вызов)@@@@@");
        QTest::newRow("buttons") << QString("@@@@@@@@@@");
        QTest::newRow("tabs and newlines") << QString("a\tb\nc\r\nd\\e");
        QTest::newRow("nul inside") << QString::fromUtf16(u"a\u0000b", 3);
        QTest::newRow("beyond the basic plane") << QString::fromUtf8("\xF0\x9F\x93\x9E 050");
        QTest::newRow("one megabyte") << QString(1 << 20, QChar(u'ж'));
    }

    void values_of_any_text_survive()
    {
        QFETCH(QString, value);
        TestEnv env;
        write_setting("Kestrum", "2", "status", value);
        QCOMPARE(read_setting("Kestrum", "2", "status", "x"), value);
        settings_store::reopen();
        QCOMPARE(take_setting("Kestrum", "2", "status", "", true), value);
        QCOMPARE(read_setting("Kestrum", "2", "status", "x"), QString(""));
        QVERIFY(!settings_store::last_operation_failed());
    }

    void listing_filters_and_orders()
    {
        TestEnv env;
        write_setting("Vekorra", "pravila", "MTS", "0");
        write_setting("Kestrum", "2", "ON", "1");
        write_setting("Kestrum", "1", "port", "3");
        write_setting("Kestrum", "1", "Model", "X");
        auto keys = [](const QList<settings_store::Entry>& entries) {
            QStringList names;
            for (const settings_store::Entry& entry : entries)
                names << entry.app + "/" + entry.section + "/" + entry.key + "=" + entry.value;
            return names;
        };
        QCOMPARE(keys(settings_store::list_settings()),
                 QStringList({"Kestrum/1/Model=X", "Kestrum/1/port=3", "Kestrum/2/ON=1", "Vekorra/pravila/MTS=0"}));
        QCOMPARE(keys(settings_store::list_settings("KESTRUM")),
                 QStringList({"Kestrum/1/Model=X", "Kestrum/1/port=3", "Kestrum/2/ON=1"}));
        QCOMPARE(keys(settings_store::list_settings("kestrum", "2")), QStringList({"Kestrum/2/ON=1"}));
        QVERIFY(!settings_store::unset_setting("Kestrum", "2", "absent"));
        QVERIFY(!settings_store::last_operation_failed());
    }

    void values_persist_in_the_file()
    {
        TestEnv env;
        write_setting("Kestrum", "1", "on_przv_exe", "1");
        settings_store::reopen();
        RawStore raw(env.store_path());
        QCOMPARE(raw.scalar("SELECT value FROM settings WHERE key = 'on_przv_exe'"), QString("1"));
        QCOMPARE(raw.scalar("PRAGMA journal_mode"), QString("wal"));
    }

    void the_store_is_private_to_its_user()
    {
        TestEnv env;
        const QString config = env.root() + "/config";
        qputenv("VEKORRA_SETTINGS", "");
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        const auto restore = qScopeGuard([] { qunsetenv("XDG_CONFIG_HOME"); });
        settings_store::reopen();
        QCOMPARE(settings_store::store_path(), config + "/vekorra/settings.sqlite");
        const mode_t old_mask = ::umask(0);
        write_setting("Kestrum", "1", "port", "3");
        ::umask(old_mask);
        const QString path = settings_store::store_path();
        QCOMPARE(mode_of(config), 0700);
        QCOMPARE(mode_of(config + "/vekorra"), 0700);
        QCOMPARE(mode_of(path), 0600);
        QCOMPARE(mode_of(path + "-wal"), 0600);
        QCOMPARE(mode_of(path + "-shm"), 0600);
    }

    void a_broken_store_gives_defaults_and_warns_once_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("not a database") << QString("text");
        QTest::newRow("damaged database") << QString("damaged");
        QTest::newRow("another program's database") << QString("foreign");
        QTest::newRow("unreadable file") << QString("unreadable");
        QTest::newRow("folder in the file's place") << QString("folder");
        QTest::newRow("folder under a regular file") << QString("under file");
        QTest::newRow("folder that cannot be made") << QString("proc");
    }

    void a_broken_store_gives_defaults_and_warns_once()
    {
        QFETCH(QString, kind);
        TestEnv env;
        QString path = env.store_path();
        if (kind == "text") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            for (int i = 0; i < 64; ++i)
                file.write("This is a letter, not a database. It is sixty-four bytes long.\n");
        } else if (kind == "damaged") {
            write_setting("Kestrum", "1", "port", "3");
            settings_store::reopen();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(100);
            file.write(QByteArray(int(file.size()) - 100, '\xAB'));
        } else if (kind == "foreign") {
            sqlite3* foreign = nullptr;
            sqlite3_open(path.toUtf8().constData(), &foreign);
            QCOMPARE(sqlite3_exec(foreign, "PRAGMA journal_mode = WAL; CREATE TABLE settings (name, value)", nullptr,
                                  nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(foreign);
        } else if (kind == "unreadable") {
            if (::geteuid() == 0)
                QSKIP("permissions do not stop root");
            write_setting("Kestrum", "1", "port", "3");
            settings_store::reopen();
            QFile::setPermissions(path, QFileDevice::Permissions());
        } else if (kind == "folder") {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == "under file") {
            QFile(env.root() + "/plain").open(QIODevice::WriteOnly);
            path = env.root() + "/plain/vekorra/settings.sqlite";
        } else {
            path = "/proc/forbidden/settings.sqlite";
        }
        // The user's own store, private as the store keeps it: only what
        // is wrong inside is to be reported.
        if (QFileInfo(path).isFile())
            ::chmod(QFile::encodeName(path).constData(), 0600);
        qputenv("VEKORRA_SETTINGS", path.toLocal8Bit());
        settings_store::reopen();
        const QByteArray before = file_bytes(path);

        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("0"));
        QVERIFY(settings_store::last_operation_failed());
        write_setting("Kestrum", "1", "port", "5");
        QVERIFY(settings_store::last_operation_failed());
        QCOMPARE(take_setting("Kestrum", "1", "port", "dflt", true), QString("dflt"));
        QVERIFY(!settings_store::unset_setting("Kestrum", "1", "port"));
        QVERIFY(settings_store::list_settings().isEmpty());
        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("0"));

        QCOMPARE(store_warnings, 1);
        QCOMPARE(file_bytes(path), before);
        QVERIFY(!QFile::exists(path + "-wal"));
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void append_adds_in_one_step()
    {
        TestEnv env;
        QVERIFY(append_setting("Kestrum", "1", "dtmf", "12"));
        QVERIFY(append_setting("KESTRUM", "1", "DTMF", "#"));
        QVERIFY(append_setting("Kestrum", "1", "dtmf", ""));
        QCOMPARE(read_setting("Kestrum", "1", "dtmf", ""), QString("12#"));
        QVERIFY(append_setting("Kestrum", "1", "kf", ""));
        QCOMPARE(settings_store::list_settings("Kestrum", "1").size(), 1);  // an empty text creates no key
    }

    void several_keys_in_one_commit_and_takes_in_a_batch()
    {
        TestEnv env;
        QVERIFY(write_settings("Kestrum", "2", {{"vhod_zvonok", "0501112233"}, {"vhod_zvonok_time", "10:00:01"}}));
        QCOMPARE(read_setting("Kestrum", "2", "vhod_zvonok", ""), QString("0501112233"));
        QCOMPARE(read_setting("Kestrum", "2", "vhod_zvonok_time", ""), QString("10:00:01"));
        // In a batch: a set key is still taken, an empty one answered from
        // the snapshot, an absent one created as before.
        settings_store::ReadBatch batch;
        QCOMPARE(take_setting("Kestrum", "2", "vhod_zvonok", "", true), QString("0501112233"));
        QCOMPARE(take_setting("Kestrum", "2", "vhod_zvonok", "", true), QString());
        QCOMPARE(take_setting("Kestrum", "2", "kf", "", true), QString());
        QVERIFY(write_setting("Kestrum", "2", "vhod_zvonok_time", "10:00:01"));
        QCOMPARE(settings_store::list_settings("Kestrum", "2").size(), 3);
        QCOMPARE(read_setting("Kestrum", "2", "vhod_zvonok", "absent"), QString());
    }

    // Someone removes or replaces the store file, or only its -wal and
    // -shm, while this process has it open: within a second it works on
    // what the path names again, as a new process does, and says so once.
    void a_moved_store_is_followed_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("port");  // what the path holds afterwards
        QTest::newRow("all three files removed") << "remove all" << "3";
        QTest::newRow("store file removed") << "remove file" << "3";
        QTest::newRow("-wal and -shm removed") << "remove journal" << "3";
        QTest::newRow("only -shm removed") << "remove shm" << "3";
        QTest::newRow("replaced by a backup") << "replace" << "2";
    }

    void a_moved_store_is_followed()
    {
        QFETCH(QString, change);
        QFETCH(QString, port);
        TestEnv env;
        const QString path = env.store_path();
        write_setting("Kestrum", "1", "port", "2");
        copy_store(path, env.root() + "/backup.sqlite");
        write_setting("Kestrum", "1", "port", "3");  // in the -wal only
        QCOMPARE(QFileInfo(path + "-wal").size() > 0, true);
        if (change == "replace") {
            QVERIFY(::chmod(qPrintable(env.root() + "/backup.sqlite"), 0600) == 0);
            QVERIFY(::rename(qPrintable(env.root() + "/backup.sqlite"), qPrintable(path)) == 0);
        } else {
            if (change != "remove journal" && change != "remove shm")
                QVERIFY(QFile::remove(path));
            if (change != "remove file" && change != "remove shm")
                QVERIFY(QFile::remove(path + "-wal"));
            if (change != "remove file")
                QVERIFY(QFile::remove(path + "-shm"));
        }

        QVERIFY(wait_until([&] {
            read_setting("Kestrum", "1", "status", "");
            return store_warnings > 0;
        }, 3000));
        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), port);
        QVERIFY(write_setting("Kestrum", "1", "model", "after"));
        QCOMPARE(store_warnings, 1);
        QVERIFY2(last_store_warning.contains(path), qPrintable(last_store_warning));
        // A new process finds the same: one file for all.
        RawStore other(path);
        QCOMPARE(other.scalar("SELECT value FROM settings WHERE key = 'port'"), port);
        QCOMPARE(other.scalar("SELECT value FROM settings WHERE key = 'model'"), QString("after"));
        QCOMPARE(other.scalar("PRAGMA integrity_check"), QString("ok"));
    }

    void a_store_open_to_others_is_made_private()
    {
        TestEnv env;
        const QString folder = env.root() + "/open";
        const QString path = folder + "/settings.sqlite";
        qputenv("VEKORRA_SETTINGS", path.toLocal8Bit());
        settings_store::reopen();
        write_setting("Kestrum", "1", "port", "3");
        settings_store::reopen();
        QVERIFY(::chmod(qPrintable(folder), 0777) == 0 && ::chmod(qPrintable(path), 0666) == 0);

        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("3"));
        QVERIFY(write_setting("Kestrum", "1", "kf", "1"));
        QCOMPARE(mode_of(folder), 0700);
        for (const char* suffix : {"", "-wal", "-shm"})
            QCOMPARE(mode_of(path + suffix), 0600);
        QCOMPARE(store_warnings, 1);
    }

    void a_store_of_another_user_is_not_used()
    {
        if (::geteuid() != 0)
            QSKIP("giving a file to another user needs root");
        const passwd* nobody = ::getpwnam("nobody");
        if (!nobody)
            QSKIP("no user nobody");
        TestEnv env;
        write_setting("Kestrum", "1", "port", "3");
        settings_store::reopen();
        QVERIFY(::chown(qPrintable(env.store_path()), nobody->pw_uid, nobody->pw_gid) == 0);

        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("0"));
        QVERIFY(settings_store::last_operation_failed());
        QVERIFY(!write_setting("Kestrum", "1", "pozvonit", "0501234567"));
        QVERIFY(!append_setting("Kestrum", "1", "dtmf", "1"));
        QCOMPARE(store_warnings, 1);
        QVERIFY2(last_store_warning.contains(env.store_path()) && last_store_warning.contains("nobody"),
                 qPrintable(last_store_warning));
        RawStore raw(env.store_path());
        QCOMPARE(raw.scalar("SELECT count(*) FROM settings WHERE key = 'pozvonit'"), QString("0"));
    }

    void without_home_the_user_database_names_the_home_folder()
    {
        const EnvOverride no_home = EnvOverride::unset("HOME");
        const EnvOverride no_config = EnvOverride::unset("XDG_CONFIG_HOME");
        const EnvOverride no_store = EnvOverride::unset("VEKORRA_SETTINGS");
        const passwd* user = ::getpwuid(::geteuid());
        QVERIFY(user && *user->pw_dir);
        QCOMPARE(settings_store::store_path(), QString::fromLocal8Bit(user->pw_dir) + "/.config/vekorra/settings.sqlite");
    }

    void a_lock_held_past_the_timeout_drops_writes()
    {
        TestEnv env;
        qputenv("VEKORRA_STORE_BUSY_MS", "100");
        const auto restore = qScopeGuard([] { qunsetenv("VEKORRA_STORE_BUSY_MS"); });
        settings_store::reopen();
        write_setting("Kestrum", "1", "kf", "1");
        {
            RawStore holder(env.store_path());
            QCOMPARE(holder.exec("BEGIN EXCLUSIVE"), SQLITE_OK);
            QCOMPARE(holder.exec("UPDATE settings SET value = 'uncommitted'"), SQLITE_OK);
            write_setting("Kestrum", "1", "kf", "2");
            QVERIFY(settings_store::last_operation_failed());
            QCOMPARE(take_setting("Kestrum", "1", "kf", "dflt", true), QString("dflt"));
            QVERIFY(settings_store::last_operation_failed());
            // Readers are not held up by a writer: they see the last commit.
            QCOMPARE(read_setting("Kestrum", "1", "kf", "0"), QString("1"));
            QVERIFY(!settings_store::last_operation_failed());
            QCOMPARE(store_warnings, 1);
            holder.exec("ROLLBACK");
        }
        // Once the lock is gone, the same connection works again.
        QCOMPARE(take_setting("Kestrum", "1", "kf", "", true), QString("1"));
        QVERIFY(!settings_store::last_operation_failed());
    }

    void a_store_that_failed_recovers_once_repaired()
    {
        TestEnv env;
        const QString blocker = env.root() + "/later";
        QFile(blocker).open(QIODevice::WriteOnly);
        qputenv("VEKORRA_SETTINGS", (blocker + "/settings.sqlite").toLocal8Bit());
        settings_store::reopen();
        write_setting("Kestrum", "1", "port", "4");
        QVERIFY(settings_store::last_operation_failed());
        QFile::remove(blocker);
        QVERIFY(wait_until([] {
            write_setting("Kestrum", "1", "port", "4");
            return !settings_store::last_operation_failed();
        }, 5000));
        QCOMPARE(read_setting("Kestrum", "1", "port", "0"), QString("4"));
        QCOMPARE(store_warnings, 1);
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
