#pragma once
#include <QStringList>

namespace kill_stress {

// One process of the load, as bench_store_load runs it, with two token
// channels whose every step is logged (see stress_log.h):
//   controllerN  every 300 ms: reads `pozvonit`, takes seven flag keys and
//                `poloz_t` (a token of the dialer), writes its six status
//                keys, and puts a token of its own into `vhod_zvonok` when
//                that key is empty;
//   dialer       every 100 ms: reads the five panel keys of slots 1 to 4 and
//                checks that they are whole, puts a token into each empty
//                `poloz_t`, takes `vhod_zvonok` and `vhod_zvonok_time` of
//                sections 1 to 4 and 6;
//   watcher      every 50 ms: reads and checks five status values.
// It runs until until_ms (milliseconds since the epoch). A restarted worker
// carries on the tick and token numbers of its earlier runs.
struct WorkerSetup {
    QString role;
    int incarnation = 1;
    QString log_dir;
    qint64 until_ms = 0;
};

int run_worker(const WorkerSetup& setup);

// The six roles: controller1 .. controller4, dialer, watcher.
QStringList role_names();
// The slot a controller role serves, 0 for the others.
int slot_of(const QString& role);
// The keys a controller writes at every tick, each an encode_value() text.
QStringList status_keys();

}  // namespace kill_stress
