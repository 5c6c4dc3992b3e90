// The store's change watch: another connection's commits wake it, writes
// that change nothing and the process's own writes do not.
#include <QSignalSpy>
#include <QtTest>

#include "settings_store/settings_store.h"
#include "settings_store/store_connection.h"
#include "settings_store/store_watch.h"
#include "tests/support/test_env.h"

class TestStoreWatch : public QObject {
    Q_OBJECT

private slots:
    void commits_of_others_wake_the_watch();
};

void TestStoreWatch::commits_of_others_wake_the_watch()
{
    TestEnv env;
    write_setting("Kestrum", "1", "model", "Nokia");  // the store exists before the watch
    settings_store::StoreWatch watch;
    QSignalSpy changed(&watch, &settings_store::StoreWatch::changed);
    settings_store::StoreConnection other;
    const struct {
        const char* what;
        std::function<void()> step;
        bool wakes;
    } steps[] = {
        {"another writes a new value", [&] { other.write({"Kestrum", "1", "pozvonit"}, "0501234567"); }, true},
        {"another writes it again", [&] { other.write({"Kestrum", "1", "pozvonit"}, "0501234567"); }, false},
        {"another writes it in other letters' case", [&] { other.write({"KESTRUM", "1", "POZVONIT"}, "0501234567"); },
         false},
        {"another takes it", [&] { other.take({"Kestrum", "1", "pozvonit"}, "", true); }, true},
        {"another takes it empty", [&] { other.take({"Kestrum", "1", "pozvonit"}, "", true); }, false},
        {"this process writes", [] { write_setting("Kestrum", "1", "status", "@@@@@@"); }, false},
        {"another appends tones", [&] { other.append({"Kestrum", "1", "dtmf"}, "12#"); }, true},
    };
    for (const auto& step : steps) {
        changed.clear();
        step.step();
        if (step.wakes) {
            QVERIFY2(changed.wait(5000), step.what);
        } else {
            QTest::qWait(150);
            QVERIFY2(changed.isEmpty(), step.what);
        }
    }
}

QTEST_GUILESS_MAIN(TestStoreWatch)
#include "test_store_watch.moc"
