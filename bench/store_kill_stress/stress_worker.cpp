#include "bench/store_kill_stress/stress_worker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <chrono>
#include <functional>
#include <vector>

#include "bench/store_kill_stress/stress_log.h"
#include "settings_store/settings_store.h"

namespace kill_stress {

QStringList role_names()
{
    return {"controller1", "controller2", "controller3", "controller4", "dialer", "watcher"};
}

int slot_of(const QString& role)
{
    return role.startsWith("controller") ? role.right(1).toInt() : 0;
}

QStringList status_keys() { return {"on_pr_exe", "on_pr", "model", "status", "zvonok", "knopki_zv"}; }

namespace {

const QString app = QStringLiteral("Kestrum");
const QStringList flag_keys = {"vzat_t_pr", "poloz_t_pr", "ud_otklon", "vzat_t", "kf", "kf1", "kf_oj"};
const QStringList panel_keys = {"on_pr", "model", "status", "zvonok", "knopki_zv"};

QByteArray words(const char* kind, const QString& key, int slot, qint64 number = -1)
{
    QByteArray text = QByteArray(kind) + ' ' + key.toLatin1() + ' ' + QByteArray::number(slot);
    return number < 0 ? text : text + ' ' + QByteArray::number(number);
}

// Times every store operation; hands the samples to the latency file once a
// second, so a kill loses at most the last second of them.
class Latencies {
public:
    explicit Latencies(const QString& path) : file_(path) {}
    template <typename F>
    auto time(int kind, F operation)
    {
        const auto start = std::chrono::steady_clock::now();
        auto result = operation();
        samples_[kind].push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        busy_ += settings_store::last_operation_failed() ? 1 : 0;
        return result;
    }
    void flush()
    {
        static const char* const names[] = {"read", "write", "take"};
        QByteArray text;
        for (int kind = 0; kind < 3; ++kind) {
            text += names[kind];
            for (double us : samples_[kind])
                text += ' ' + QByteArray::number(us, 'f', 1);
            text += '\n';
            samples_[kind].clear();
        }
        file_.line(text + "busy " + QByteArray::number(busy_));
        busy_ = 0;
    }

private:
    LogWriter file_;
    std::vector<double> samples_[3];
    int busy_ = 0;
};

class Worker {
public:
    explicit Worker(const WorkerSetup& setup)
        : role_(setup.role),
          slot_(slot_of(setup.role)),
          log_(log_path(setup.log_dir, setup.role, setup.incarnation)),
          latencies_(latency_path(setup.log_dir, setup.role, setup.incarnation))
    {
        const QList<Incarnation> earlier = read_incarnations(setup.log_dir, setup.role);
        tick_ = highest_logged(earlier, 'T');
        token_ = highest_logged(earlier, 'P');
    }
    void tick()
    {
        log_.line("T " + QByteArray::number(++tick_));
        if (slot_ > 0)
            controller_tick();
        else if (role_ == "dialer")
            dialer_tick();
        else
            watcher_tick();
        log_.line("E " + QByteArray::number(tick_));
    }
    int interval_ms() const { return slot_ > 0 ? 300 : role_ == "dialer" ? 100 : 50; }
    void finish()
    {
        latencies_.flush();
        log_.line("X");
    }
    Latencies& latencies() { return latencies_; }

private:
    QString read(const QString& section, const QString& key)
    {
        return latencies_.time(0, [&] { return read_setting(app, section, key, ""); });
    }
    void write(const QString& section, const QString& key, const QString& value)
    {
        latencies_.time(1, [&] {
            write_setting(app, section, key, value);
            return 0;
        });
    }
    QString take(const QString& section, const QString& key)
    {
        return latencies_.time(2, [&] { return take_setting(app, section, key, "", true); });
    }
    // The take of a token channel is announced, so that a kill between the
    // take and its record shows as a log that ends with the announcement.
    void take_token(int slot, const QString& key)
    {
        log_.line(words("A", key, slot));
        const QString token = take(QString::number(slot), key);
        if (!token.isEmpty())
            log_.line(words("R", key, slot, token.toLongLong()));
    }
    // A token goes only into an empty key: the taker is the only other
    // writer and only empties it, so tokens are taken in the order put.
    void put_token(int slot, const QString& key)
    {
        if (!read(QString::number(slot), key).isEmpty())
            return;
        log_.line(words("P", key, slot, ++token_));
        write(QString::number(slot), key, QString::number(token_));
    }
    void check_whole(int slot, const QString& key)
    {
        const QString value = read(QString::number(slot), key);
        if (!value.isEmpty() && !decode_value(value).whole)
            log_.line(words("B", key, slot));
    }

    void controller_tick()
    {
        const QString section = QString::number(slot_);
        read(section, "pozvonit");
        for (const QString& key : flag_keys)
            take(section, key);
        take_token(slot_, "poloz_t");
        const QStringList keys = status_keys();
        for (int i = 0; i < keys.size(); ++i)
            write(section, keys[i], encode_value(role_, tick_, i));
        put_token(slot_, "vhod_zvonok");
    }
    void dialer_tick()
    {
        for (int slot = 1; slot <= 4; ++slot) {
            for (const QString& key : panel_keys)
                check_whole(slot, key);
            put_token(slot, "poloz_t");
        }
        for (int slot : {1, 2, 3, 4, 6}) {
            take_token(slot, "vhod_zvonok");
            take(QString::number(slot), "vhod_zvonok_time");
        }
    }
    void watcher_tick()
    {
        for (int slot = 1; slot <= 4; ++slot)
            check_whole(slot, "status");
        check_whole(1, "model");
    }

    QString role_;
    int slot_;
    LogWriter log_;
    Latencies latencies_;
    qint64 tick_ = 0;
    qint64 token_ = 0;
};

}  // namespace

int run_worker(const WorkerSetup& setup)
{
    Worker worker(setup);
    // The first operation opens the store; it is not part of the load.
    read_setting(app, "1", "pozvonit", "");
    QTimer tick, flush;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] { worker.tick(); });
    QObject::connect(&flush, &QTimer::timeout, [&] { worker.latencies().flush(); });
    tick.start(worker.interval_ms());
    flush.start(1000);
    const qint64 left = setup.until_ms - QDateTime::currentMSecsSinceEpoch();
    QTimer::singleShot(int(std::max<qint64>(0, left)), qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    worker.finish();
    return 0;
}

}  // namespace kill_stress
