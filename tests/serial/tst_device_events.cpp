// Devices coming and going: the ports folder through real file-system
// notifications, udev through recorded events, and both as one watcher.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include "pty_pair.h"
#include "serial/device_events.h"
#include "serial/libudev_feed.h"
#include "serial/ports_folder_events.h"
#include "serial/udev_events.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/recorded_udev_feed.h"
#include "tests/support/test_env.h"

namespace {

constexpr int kNoticeMs = 3000;

QString data(const QString& name)
{
    return QStringLiteral(VEKORRA_SOURCE_DIR "/tests/serial/data/") + name;
}

QString canonical(const QString& path) { return QFileInfo(path).canonicalFilePath(); }

// Signals seen, as "+node" / "-node", with the device last reported.
struct Recorder {
    explicit Recorder(DeviceEvents& events)
    {
        QObject::connect(&events, &DeviceEvents::appeared, [this](const SerialDevice& d) {
            seen += QLatin1Char('+') + d.node;
            last = d;
        });
        QObject::connect(&events, &DeviceEvents::left, [this](const SerialDevice& d) {
            seen += QLatin1Char('-') + d.node;
            last = d;
        });
    }
    bool wait_for(int count) { return wait_until([&] { return seen.size() >= count; }, kNoticeMs); }
    QStringList seen;
    SerialDevice last;
};

}  // namespace

class TestDeviceEvents : public QObject {
    Q_OBJECT

private slots:
    void folderEntriesComeAndGo();
    void simulatorPluggedAndUnplugged();
    void udevRecordingsGiveHardwareTtys();
    void udevEventTurnsStableEntryOn();
    void libudevListsThisMachine();
};

void TestDeviceEvents::folderEntriesComeAndGo()
{
    TestEnv env;
    const QDir ports(env.ports_dir());
    PtyPair first;
    PtyPair second;
    first.link_as(env.ports_dir(), 9);  // there before the start: listed, not signalled
    PortsFolderEvents events(env.ports_dir());
    Recorder recorder(events);
    const QList<SerialDevice> at_start = events.start();
    QCOMPARE(at_start.size(), 1);
    QCOMPARE(at_start.first().port_entries, QList<int>{9});

    // Entries that are not ports, and an entry that leads nowhere, are no devices.
    QVERIFY(QFile::link(first.slave_path(), ports.filePath(QStringLiteral("com5.new.123"))));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyACM7"), ports.filePath(QStringLiteral("com7"))));
    // Two entries for one device: one device with both entries.
    second.link_as(env.ports_dir(), 5);
    second.link_as(env.ports_dir(), 6);
    QVERIFY(recorder.wait_for(1));
    QTest::qWait(100);  // the second entry's own notification
    QCOMPARE(recorder.seen, QStringList{"+" + canonical(second.slave_path())});
    QCOMPARE(events.present().value(canonical(second.slave_path())).port_entries, (QList<int>{5, 6}));

    // The device stays while one entry still leads to it.
    QVERIFY(QFile::remove(ports.filePath(QStringLiteral("com5"))));
    QVERIFY(QFile::remove(ports.filePath(QStringLiteral("com9"))));
    QVERIFY(recorder.wait_for(2));
    QCOMPARE(recorder.seen.last(), "-" + canonical(first.slave_path()));
    QVERIFY(QFile::remove(ports.filePath(QStringLiteral("com6"))));
    QVERIFY(recorder.wait_for(3));
    QCOMPARE(recorder.seen.last(), "-" + canonical(second.slave_path()));
    QCOMPARE(recorder.last.port_entries, (QList<int>{6}));
}

void TestDeviceEvents::simulatorPluggedAndUnplugged()
{
    TestEnv env;
    PortsFolderEvents events(env.ports_dir());
    Recorder recorder(events);
    QVERIFY(events.start().isEmpty());
    PhoneSim phone({}, 4);
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    QVERIFY(recorder.wait_for(1));
    QCOMPARE(recorder.last.port_entries, QList<int>{4});
    QCOMPARE(recorder.last.node, canonical(phone.link_path()));
    phone.stop();
    QVERIFY(recorder.wait_for(2));
    QVERIFY(recorder.seen.last().startsWith(QLatin1Char('-')));
    QVERIFY(events.present().isEmpty());
}

void TestDeviceEvents::udevRecordingsGiveHardwareTtys()
{
    auto* feed = new RecordedUdevFeed(RecordedUdevFeed::read(data("present.udev")));
    UdevDeviceEvents events(feed);
    Recorder recorder(events);
    // Virtual terminals and ptmx are never phones.
    const QList<SerialDevice> at_start = events.start();
    QVERIFY(feed->started());
    QCOMPARE(at_start.size(), 1);
    QCOMPARE(at_start.first().node, QStringLiteral("/dev/ttyS0"));

    feed->play(RecordedUdevFeed::read(data("plug_modem.udev")));
    QCOMPARE(recorder.seen, (QStringList{"+/dev/ttyUSB0", "+/dev/ttyUSB1", "+/dev/ttyUSB2"}));
    const SerialDevice modem = events.present().value(QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(modem.usb_serial, QStringLiteral("HUAWEI_Technology_HUAWEI_Mobile"));
    QCOMPARE(modem.vendor_id, QStringLiteral("12d1"));
    QCOMPARE(modem.product_id, QStringLiteral("1436"));
    QCOMPARE(modem.interface_number, QStringLiteral("01"));
    QVERIFY(modem.links.contains("/dev/serial/by-id/usb-HUAWEI_Technology_HUAWEI_Mobile-if01-port0"));

    // A remove event carries little: the device is reported as it was known.
    feed->play(RecordedUdevFeed::read(data("unplug_modem.udev")));
    QCOMPARE(recorder.seen.mid(3), (QStringList{"-/dev/ttyUSB2", "-/dev/ttyUSB1", "-/dev/ttyUSB0"}));
    QCOMPARE(recorder.last.vendor_id, QStringLiteral("12d1"));
    QCOMPARE(events.present().keys(), QStringList{"/dev/ttyS0"});
}

// A slot's entry com3 points at the phone's by-id name. Plugging the phone
// in changes nothing inside the ports folder; the udev event that says it
// came has the folder looked at again, and the watcher reports one device
// with both its entry and its USB details.
void TestDeviceEvents::udevEventTurnsStableEntryOn()
{
    TestEnv env;
    PtyPair phone;  // stands for /dev/ttyACM0
    const QString by_id = QDir(env.root()).filePath(QStringLiteral("usb-Nokia_6230_354958-if01"));
    QVERIFY(QFile::link(by_id, QDir(env.ports_dir()).filePath(QStringLiteral("com3"))));
    auto* feed = new RecordedUdevFeed;
    DeviceWatcher watcher(new PortsFolderEvents(env.ports_dir()), new UdevDeviceEvents(feed));
    Recorder recorder(watcher);
    QVERIFY(watcher.start().isEmpty());

    const DeviceProperties properties{
        {"DEVPATH", "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.1/tty/ttyACM0"},
        {"DEVNAME", canonical(phone.slave_path())},
        {"DEVLINKS", by_id},
        {"ID_SERIAL", "Nokia_6230_354958"},
        {"ID_VENDOR_ID", "0421"},
        {"ID_MODEL_ID", "0428"}};
    QVERIFY(QFile::link(phone.slave_path(), by_id));  // udev makes the link before it tells
    feed->play(QStringLiteral("add"), properties);
    QCOMPARE(recorder.seen, QStringList{"+" + canonical(phone.slave_path())});
    QCOMPARE(recorder.last.port_entries, QList<int>{3});
    QCOMPARE(recorder.last.usb_serial, QStringLiteral("Nokia_6230_354958"));

    QVERIFY(QFile::remove(by_id));
    feed->play(QStringLiteral("remove"), properties);
    QCOMPARE(recorder.seen.size(), 2);
    QCOMPARE(recorder.seen.last(), "-" + canonical(phone.slave_path()));
    QVERIFY(watcher.present().isEmpty());
}

// The real feed's listing (it works from sysfs even where udev does not
// run): this machine's terminals are there, and none of them counts as a
// hardware tty unless it is one.
void TestDeviceEvents::libudevListsThisMachine()
{
    if (!QFileInfo::exists(QStringLiteral("/sys/class/tty/tty0")))
        QSKIP("no /sys/class/tty here");
    LibudevFeed feed;
    const QList<DeviceProperties> listed = feed.start();
    const auto has = [&](const QString& node) {
        return std::any_of(listed.cbegin(), listed.cend(),
                           [&](const DeviceProperties& p) { return p.value("DEVNAME") == node; });
    };
    QVERIFY(has(QStringLiteral("/dev/tty0")));
    for (const DeviceProperties& properties : listed) {
        if (properties.value("DEVNAME") == QLatin1String("/dev/tty0"))
            QVERIFY(!is_hardware_tty(properties));
    }
}

QTEST_GUILESS_MAIN(TestDeviceEvents)
#include "tst_device_events.moc"
