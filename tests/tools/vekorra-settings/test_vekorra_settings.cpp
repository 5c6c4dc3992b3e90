#include <QFile>
#include <QProcess>
#include <QtTest>

#include "settings_store/settings_store.h"
#include "tests/support/programs.h"
#include "tests/support/test_env.h"

namespace {

QString tool() { return TestEnv::build_dir() + "/vekorra-settings"; }

ToolRun run_tool(const QStringList& args) { return ::run_tool(tool(), args); }

}  // namespace

class TestVekorraSettings : public QObject {
    Q_OBJECT

private slots:
    void subcommands_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("stored");  // Kestrum/1/kf afterwards, "<absent>" when gone
        QTest::newRow("get") << QStringList{"get", "kestrum", "1", "KF"} << 0 << "1\n" << "1";
        QTest::newRow("get absent with default")
            << QStringList{"get", "Kestrum", "1", "port", "0"} << 0 << "0\n" << "1";
        QTest::newRow("get absent without default") << QStringList{"get", "Kestrum", "1", "port"} << 0 << "\n" << "1";
        QTest::newRow("set") << QStringList{"set", "Kestrum", "1", "Kf", "Разг. @ 2"} << 0 << "" << "Разг. @ 2";
        QTest::newRow("set empty") << QStringList{"set", "Kestrum", "1", "kf", ""} << 0 << "" << "";
        QTest::newRow("take") << QStringList{"take", "Kestrum", "1", "kf"} << 0 << "1\n" << "";
        QTest::newRow("take with default") << QStringList{"take", "Kestrum", "1", "kf", "0"} << 0 << "1\n" << "0";
        QTest::newRow("unset") << QStringList{"unset", "KESTRUM", "1", "kf"} << 0 << "" << "<absent>";
        QTest::newRow("append") << QStringList{"append", "KESTRUM", "1", "kf", "2#"} << 0 << "" << "12#";
        QTest::newRow("unset absent") << QStringList{"unset", "Kestrum", "1", "nothing"} << 0 << "" << "1";
    }

    void subcommands()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exit_code);
        QFETCH(QString, out);
        QFETCH(QString, stored);
        TestEnv env;
        write_setting("Kestrum", "1", "kf", "1");
        settings_store::reopen();
        const ToolRun run = run_tool(args);
        QCOMPARE(run.exit_code, exit_code);
        QCOMPARE(run.out, out);
        QCOMPARE(run.err, QString());
        QCOMPARE(read_setting("Kestrum", "1", "kf", "<absent>"), stored);
    }

    void list_escapes_and_filters()
    {
        TestEnv env;
        write_setting("Kestrum", "Проект", "status", "a\tb\nc\\d");
        write_setting("Kestrum", "1", "port", "3");
        write_setting("Vekorra", "pravila", "MTS", "");
        settings_store::reopen();
        QCOMPARE(run_tool({"list"}).out,
                 QString("Kestrum\t1\tport\t3\n"
                         "Kestrum\tПроект\tstatus\ta\\tb\\nc\\\\d\n"
                         "Vekorra\tpravila\tMTS\t\n"));
        QCOMPARE(run_tool({"list", "KESTRUM", "проект"}).out, QString("Kestrum\tПроект\tstatus\ta\\tb\\nc\\\\d\n"));
        const ToolRun vekorra = run_tool({"list", "vekorra"});
        QCOMPARE(vekorra.exit_code, 0);
        QCOMPARE(vekorra.out, QString("Vekorra\tpravila\tMTS\t\n"));
        QCOMPARE(run_tool({"list", "nobody"}).out, QString());
    }

    void wrong_arguments_print_usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{"show", "Kestrum"};
        QTest::newRow("get short") << QStringList{"get", "Kestrum", "1"};
        QTest::newRow("get long") << QStringList{"get", "Kestrum", "1", "kf", "0", "extra"};
        QTest::newRow("set without value") << QStringList{"set", "Kestrum", "1", "kf"};
        QTest::newRow("append without value") << QStringList{"append", "Kestrum", "1", "dtmf"};
        QTest::newRow("append two values") << QStringList{"append", "Kestrum", "1", "dtmf", "1", "2"};
        QTest::newRow("take short") << QStringList{"take", "Kestrum"};
        QTest::newRow("unset with default") << QStringList{"unset", "Kestrum", "1", "kf", "0"};
        QTest::newRow("list too deep") << QStringList{"list", "Kestrum", "1", "kf"};
        QTest::newRow("watch too deep") << QStringList{"watch", "Kestrum", "1", "kf"};
    }

    void wrong_arguments_print_usage()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        const ToolRun run = run_tool(args);
        QCOMPARE(run.exit_code, 2);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.startsWith("usage:"));
        QVERIFY(settings_store::list_settings().isEmpty());
    }

    void a_failing_store_exits_with_1_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("get") << QStringList{"get", "Kestrum", "1", "kf", "0"};
        QTest::newRow("set") << QStringList{"set", "Kestrum", "1", "kf", "1"};
        QTest::newRow("append") << QStringList{"append", "Kestrum", "1", "dtmf", "1"};
        QTest::newRow("take") << QStringList{"take", "Kestrum", "1", "kf"};
        QTest::newRow("unset") << QStringList{"unset", "Kestrum", "1", "kf"};
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("watch") << QStringList{"watch"};
    }

    void a_failing_store_exits_with_1()
    {
        QFETCH(QStringList, args);
        TestEnv env;
        QFile(env.root() + "/plain").open(QIODevice::WriteOnly);
        qputenv("VEKORRA_SETTINGS", (env.root() + "/plain/settings.sqlite").toLocal8Bit());
        const ToolRun run = run_tool(args);
        QCOMPARE(run.exit_code, 1);
        QCOMPARE(run.out, QString());
        QVERIFY(run.err.contains("vekorra-settings: the settings store"));
    }

    void watch_prints_each_change()
    {
        TestEnv env;
        write_setting("Kestrum", "1", "status", "@@@@@@");
        write_setting("Vekorra", "drugoe", "x", "elsewhere");
        settings_store::reopen();
        QProcess watch;
        watch.start(tool(), {"watch", "kestrum"});
        QString seen;
        auto expect = [&](const QString& line) {
            const bool arrived = wait_until([&] {
                seen += QString::fromUtf8(watch.readAllStandardOutput());
                return seen.contains(line + "\n");
            }, 10000);
            seen.remove(0, seen.indexOf(line + "\n") + line.size() + 1);
            return arrived;
        };
        QVERIFY(expect("Kestrum\t1\tstatus\t@@@@@@"));
        write_setting("KESTRUM", "1", "STATUS", "Вх.вызов@@@@@@");
        QVERIFY(expect("Kestrum\t1\tstatus\tВх.вызов@@@@@@"));
        write_setting("Kestrum", "2", "on_pr", "True");
        QVERIFY(expect("Kestrum\t2\ton_pr\tTrue"));
        settings_store::unset_setting("Kestrum", "1", "status");
        QVERIFY(expect("Kestrum\t1\tstatus"));
        write_setting("Vekorra", "drugoe", "x", "changed");
        write_setting("Kestrum", "2", "on_pr", "line\tbreak\n");
        QVERIFY(expect("Kestrum\t2\ton_pr\tline\\tbreak\\n"));
        // Nothing printed for the other application, nothing twice.
        QCOMPARE(seen, QString());
        watch.kill();
        QVERIFY(watch.waitForFinished(5000));
    }
};

QTEST_GUILESS_MAIN(TestVekorraSettings)
#include "test_vekorra_settings.moc"
