// Who holds a busy port: real processes found through /proc, a made-up
// /proc for what an ordinary user cannot see, USB ids from a made-up sysfs,
// and the note the user reads.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "pty_pair.h"
#include "serial/port_holders.h"
#include "tests/support/test_env.h"

namespace {

const QString kRule = QStringLiteral(
    "ACTION==\"add|change|move|bind\", ATTRS{idVendor}==\"0421\", ATTRS{idProduct}==\"0428\", "
    "ENV{ID_MM_DEVICE_IGNORE}=\"1\"");

void write_file(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// A process under the given command name with the device open as its
// standard input, as another program holding the port would.
class Holder {
public:
    Holder(const QString& folder, const QString& name, const QString& device)
    {
        const QString program = QDir(folder).filePath(name);
        QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), program);
        process_.setStandardInputFile(device);
        process_.start(program, {QStringLiteral("30")});
        process_.waitForStarted();
    }
    ~Holder()
    {
        process_.kill();
        process_.waitForFinished();
    }
    qint64 pid() const { return process_.processId(); }

private:
    QProcess process_;
};

}  // namespace

class TestPortHolders : public QObject {
    Q_OBJECT

private slots:
    void realHolderNamed();
    void unreadableModemManagerIsLikely();
    void usbIdsFromSysfs_data();
    void usbIdsFromSysfs();
    void notes();
};

void TestPortHolders::realHolderNamed()
{
    TestEnv env;
    PtyPair port;
    port.link_as(env.ports_dir(), 3);
    QVERIFY(port_holders(port.slave_path()).isEmpty());

    Holder minicom(env.root(), QStringLiteral("minicom"), port.slave_path());
    QVERIFY(minicom.pid() > 0);
    // Asked through the port's entry: the link is followed to the device.
    const QList<PortHolder> holders = port_holders(QDir(env.ports_dir()).filePath(QStringLiteral("com3")));
    QCOMPARE(holders, (QList<PortHolder>{{minicom.pid(), QStringLiteral("minicom"), true}}));
    QCOMPARE(port_busy_note(holders, {}),
             QStringLiteral("Порт занят программой minicom (PID %1). Закройте её и подключите телефон снова.")
                 .arg(minicom.pid()));

    // ModemManager gets the rule for the device's own ids.
    Holder modem_manager(env.root(), QStringLiteral("ModemManager"), port.slave_path());
    const QList<PortHolder> both = port_holders(port.slave_path());
    QCOMPARE(both.size(), 2);
    const auto named = [&](const QString& name) {
        return std::find_if(both.cbegin(), both.cend(), [&](const PortHolder& h) { return h.name == name; });
    };
    QVERIFY(named(QStringLiteral("ModemManager")) != both.cend());
    QCOMPARE(named(QStringLiteral("ModemManager"))->pid, modem_manager.pid());
    QVERIFY(port_busy_note({*named(QStringLiteral("ModemManager"))}, {"0421", "0428"}).contains(kRule));
}

// ModemManager runs as root: an ordinary user cannot list its open files.
// It is then named as the likely holder, unless a process that certainly
// holds the port was found.
void TestPortHolders::unreadableModemManagerIsLikely()
{
    TestEnv env;
    const QString proc = QDir(env.root()).filePath(QStringLiteral("proc"));
    const QString device = QDir(env.root()).filePath(QStringLiteral("ttyACM0"));
    write_file(device, "");
    write_file(proc + "/412/comm", "ModemManager\n");  // no readable fd folder
    write_file(proc + "/500/comm", "bash\n");
    QDir().mkpath(proc + "/500/fd");
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), proc + "/500/fd/0"));
    write_file(proc + "/self/comm", "ignored\n");

    QCOMPARE(port_holders(device, proc), (QList<PortHolder>{{412, QStringLiteral("ModemManager"), false}}));
    QVERIFY(port_busy_note(port_holders(device, proc), {"0421", "0428"})
                .startsWith(QStringLiteral("Порт, вероятно, занят программой ModemManager (PID 412).")));

    QDir().mkpath(proc + "/600/fd");
    write_file(proc + "/600/comm", "gammu\n");
    QVERIFY(QFile::link(device, proc + "/600/fd/3"));
    QCOMPARE(port_holders(device, proc), (QList<PortHolder>{{600, QStringLiteral("gammu"), true}}));
}

void TestPortHolders::usbIdsFromSysfs_data()
{
    QTest::addColumn<QString>("device_folder");  // where class/tty/<name>/device leads, under sys
    QTest::addColumn<QString>("ids_folder");     // where idVendor and idProduct are
    QTest::addColumn<bool>("found");
    // ttyACM: the interface, whose parent is the USB device.
    QTest::newRow("acm") << "devices/pci0000:00/usb1/1-2/1-2:1.1" << "devices/pci0000:00/usb1/1-2" << true;
    // ttyUSB: the usb-serial port, under the interface, under the device.
    QTest::newRow("usb-serial") << "devices/pci0000:00/usb1/1-3/1-3:1.2/ttyUSB2" << "devices/pci0000:00/usb1/1-3"
                                << true;
    QTest::newRow("not usb") << "devices/pnp0/00:04" << "" << false;
}

void TestPortHolders::usbIdsFromSysfs()
{
    QFETCH(QString, device_folder);
    QFETCH(QString, ids_folder);
    QFETCH(bool, found);
    TestEnv env;
    const QDir sys(QDir(env.root()).filePath(QStringLiteral("sys")));
    QVERIFY(sys.mkpath(device_folder));
    QVERIFY(sys.mkpath(QStringLiteral("class/tty/ttyX0")));
    QVERIFY(QFile::link(sys.filePath(device_folder), sys.filePath(QStringLiteral("class/tty/ttyX0/device"))));
    if (!ids_folder.isEmpty()) {
        write_file(sys.filePath(ids_folder + "/idVendor"), "0421\n");
        write_file(sys.filePath(ids_folder + "/idProduct"), "0428\n");
    }
    const QString device = QDir(env.root()).filePath(QStringLiteral("ttyX0"));
    write_file(device, "");

    const UsbIds ids = usb_ids_of_tty(device, sys.path());
    QCOMPARE(ids.known(), found);
    if (found) {
        QCOMPARE(ids.vendor, QStringLiteral("0421"));
        QCOMPARE(ids.product, QStringLiteral("0428"));
        QCOMPARE(modem_manager_rule(ids), kRule);
    }
}

void TestPortHolders::notes()
{
    QCOMPARE(port_busy_note({}, {"0421", "0428"}), QString());
    const PortHolder modem_manager{77, QStringLiteral("ModemManager"), true};
    QCOMPARE(port_busy_note({modem_manager}, {"0421", "0428"}),
             QStringLiteral("Порт занят программой ModemManager (PID 77). Чтобы ModemManager не трогал "
                            "телефон, запишите правило в файл /etc/udev/rules.d/61-vekorra-modemmanager.rules:\n")
                 + kRule
                 + QStringLiteral("\nи выполните: sudo udevadm control --reload && sudo udevadm trigger, "
                                  "затем подключите телефон заново."));
    // Ids unknown: the places to fill in, and where to find them.
    const QString unknown = port_busy_note({modem_manager}, {});
    QVERIFY(unknown.contains(QStringLiteral("ATTRS{idVendor}==\"<idVendor>\"")));
    QVERIFY(unknown.contains(QStringLiteral("lsusb")));
}

QTEST_GUILESS_MAIN(TestPortHolders)
#include "tst_port_holders.moc"
