// Stable names of devices, the ports-folder links to them, the names the
// user sees, and the grouping of a modem's interfaces.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <sys/stat.h>

#include "pty_pair.h"
#include "serial/serial_component.h"
#include "serial/serial_device.h"
#include "serial/stable_names.h"
#include "tests/support/env_override.h"
#include "tests/support/test_env.h"

class TestStableNames : public QObject {
    Q_OBJECT

private slots:
    void byIdNameFound();
    void linkReplacedInOneStep();
    void portPinnedToItsStableName();
    void displayNames_data();
    void displayNames();
    void interfacesOfOneUsbDevice();
};

// Two phones of one model differ in their serial numbers: each device
// finds its own by-id name, also when asked through a port entry.
void TestStableNames::byIdNameFound()
{
    TestEnv env;
    PtyPair first;
    PtyPair second;
    PtyPair unnamed;
    const QDir by_id(QDir(env.root()).filePath(QStringLiteral("by-id")));
    QVERIFY(QDir().mkpath(by_id.path()));
    const QString first_name = by_id.filePath(QStringLiteral("usb-Nokia_6230_111-if01"));
    const QString second_name = by_id.filePath(QStringLiteral("usb-Nokia_6230_222-if01"));
    QVERIFY(QFile::link(second.slave_path(), second_name));
    QVERIFY(QFile::link(first.slave_path(), first_name));
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyACM9"), by_id.filePath(QStringLiteral("usb-Gone-if00"))));
    first.link_as(env.ports_dir(), 3);

    QCOMPARE(stable_name(first.slave_path(), by_id.path()), first_name);
    QCOMPARE(stable_name(second.slave_path(), by_id.path()), second_name);
    QCOMPARE(stable_name(port_device_path(3), by_id.path()), first_name);
    QCOMPARE(stable_name(unnamed.slave_path(), by_id.path()), QFileInfo(unnamed.slave_path()).canonicalFilePath());
    QCOMPARE(stable_name(QStringLiteral("/nonexistent/ttyACM9"), by_id.path()), QString());

    // From udev's links alone, for the folder asked about.
    SerialDevice device;
    device.node = QStringLiteral("/dev/ttyACM0");
    device.links = QStringList{"/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.1",
                               "/dev/serial/by-id/usb-Nokia_6230_111-if01"};
    QCOMPARE(stable_name(device), QStringLiteral("/dev/serial/by-id/usb-Nokia_6230_111-if01"));
    device.links.removeLast();
    QCOMPARE(stable_name(device), QStringLiteral("/dev/ttyACM0"));
}

void TestStableNames::linkReplacedInOneStep()
{
    TestEnv env;
    // The ports folder is made when it is not there yet.
    const QString folder = QDir(env.root()).filePath(QStringLiteral("fresh/ports"));
    EnvOverride ports("VEKORRA_PORTS", folder.toLocal8Bit());
    QVERIFY(write_port_link(3, QStringLiteral("/dev/ttyACM0")));
    const QString entry = QDir(folder).filePath(QStringLiteral("com3"));
    QCOMPARE(QFileInfo(entry).symLinkTarget(), QStringLiteral("/dev/ttyACM0"));

    const QString by_id = QStringLiteral("/dev/serial/by-id/usb-Nokia_6230_111-if01");
    QVERIFY(write_port_link(3, by_id));
    QCOMPARE(QFile::symLinkTarget(entry), by_id);
    QCOMPARE(port_device_path(3), entry);
    // Nothing but the entry is left behind.
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot), QStringList{"com3"});

    QString error;
    QVERIFY(!write_port_link(0, by_id, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!write_port_link(4, QString(), &error));
}

// A temporary file stands as the device; a by-id folder of the test's own
// names it.
void TestStableNames::portPinnedToItsStableName()
{
    TestEnv env;
    const QDir root(env.root());
    const QString device = root.filePath(QStringLiteral("ttyACM0"));
    const QString plain = root.filePath(QStringLiteral("ttyACM1"));
    for (const QString& path : {device, plain}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QVERIFY(root.mkpath(QStringLiteral("by-id")));
    const QString by_id = root.filePath(QStringLiteral("by-id"));
    const QString stable = by_id + QStringLiteral("/usb-Nokia_6230_111-if01");
    QVERIFY(QFile::link(device, stable));
    const QString entry = QDir(env.ports_dir()).filePath(QStringLiteral("com5"));
    const auto inode = [](const QString& path) {
        struct stat info {};
        return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
    };

    // The entry led to the node: now it leads to the name that stays.
    QVERIFY(write_port_link(5, device));
    QVERIFY(pin_port(5, nullptr, by_id));
    QCOMPARE(QFile::symLinkTarget(entry), stable);
    // Already pinned: nothing is written.
    const auto pinned = inode(entry);
    QVERIFY(pin_port(5, nullptr, by_id));
    QCOMPARE(inode(entry), pinned);
    // A device without a by-id name: the entry names the device itself.
    QVERIFY(QFile::link(plain, root.filePath(QStringLiteral("alias"))));
    QVERIFY(write_port_link(6, root.filePath(QStringLiteral("alias"))));
    QVERIFY(pin_port(6, nullptr, by_id));
    QCOMPARE(QFile::symLinkTarget(QDir(env.ports_dir()).filePath(QStringLiteral("com6"))), plain);
    // A port that leads nowhere stays without an entry.
    QVERIFY(pin_port(200, nullptr, by_id));
    QVERIFY(!QFileInfo::exists(QDir(env.ports_dir()).filePath(QStringLiteral("com200"))));
    // A port of the usual mapping, without an entry, gets one when its
    // device is there.
    if (QFileInfo::exists(QStringLiteral("/dev/ttyS0"))) {
        QVERIFY(pin_port(1, nullptr, by_id));
        QCOMPARE(QFile::symLinkTarget(QDir(env.ports_dir()).filePath(QStringLiteral("com1"))), QStringLiteral("/dev/ttyS0"));
    }
}

void TestStableNames::displayNames_data()
{
    QTest::addColumn<QString>("stable");
    QTest::addColumn<QString>("shown");
    QTest::newRow("phone") << "/dev/serial/by-id/usb-Nokia_6230_0123456-if00" << "Nokia 6230 0123456";
    QTest::newRow("usb-serial modem") << "/dev/serial/by-id/usb-HUAWEI_Technology_HUAWEI_Mobile-if02-port0"
                                      << "HUAWEI Technology HUAWEI Mobile";
    QTest::newRow("adapter") << "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-port0"
                             << "FTDI FT232R USB UART A6008isP";
    QTest::newRow("no by-id name") << "/dev/ttyACM1" << "ttyACM1";
    QTest::newRow("pseudo-terminal") << "/dev/pts/4" << "pts/4";
}

void TestStableNames::displayNames()
{
    QFETCH(QString, stable);
    QFETCH(QString, shown);
    QCOMPARE(display_name(stable), shown);
}

void TestStableNames::interfacesOfOneUsbDevice()
{
    const auto device = [](const QString& node, const QString& serial, const QString& by_id) {
        SerialDevice d;
        d.node = node;
        d.usb_serial = serial;
        if (!by_id.isEmpty())
            d.links = QStringList{"/dev/serial/by-id/" + by_id};
        return d;
    };
    const QString modem = QStringLiteral("HUAWEI_Technology_HUAWEI_Mobile");
    QCOMPARE(usb_device_key(device("/dev/ttyUSB0", modem, {})), usb_device_key(device("/dev/ttyUSB2", modem, {})));
    QVERIFY(usb_device_key(device("/dev/ttyACM0", "Nokia_6230_111", {}))
            != usb_device_key(device("/dev/ttyACM1", "Nokia_6230_222", {})));
    // Without ID_SERIAL the by-id name still groups, without its interface.
    QCOMPARE(usb_device_key(device("/dev/ttyUSB0", {}, "usb-X_Modem-if00-port0")),
             usb_device_key(device("/dev/ttyUSB1", {}, "usb-X_Modem-if01-port0")));
    // Devices without either stand alone.
    QCOMPARE(usb_device_key(device("/dev/pts/4", {}, {})), QStringLiteral("/dev/pts/4"));
}

QTEST_GUILESS_MAIN(TestStableNames)
#include "tst_stable_names.moc"
