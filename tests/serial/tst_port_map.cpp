// Port numbers to devices, and where the ports folder is.
#include <QDir>
#include <QFile>
#include <QTest>

#include "serial/serial_component.h"
#include "tests/support/env_override.h"
#include "tests/support/test_env.h"

class TestPortMap : public QObject {
    Q_OBJECT

private slots:
    void defaultDevices_data();
    void defaultDevices();
    void folderEntryWins();
    void portsFolderLocation();
};

void TestPortMap::defaultDevices_data()
{
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("device");
    QTest::newRow("1") << 1 << QStringLiteral("/dev/ttyS0");
    QTest::newRow("32") << 32 << QStringLiteral("/dev/ttyS31");
    QTest::newRow("33") << 33 << QStringLiteral("/dev/ttyUSB0");
    QTest::newRow("64") << 64 << QStringLiteral("/dev/ttyUSB31");
    QTest::newRow("65") << 65 << QStringLiteral("/dev/ttyACM0");
    QTest::newRow("96") << 96 << QStringLiteral("/dev/ttyACM31");
    QTest::newRow("97") << 97 << QString();
    QTest::newRow("256") << 256 << QString();
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("-1") << -1 << QString();
}

void TestPortMap::defaultDevices()
{
    QFETCH(int, port);
    QFETCH(QString, device);
    TestEnv env;
    QCOMPARE(port_device_path(port), device);
}

void TestPortMap::folderEntryWins()
{
    TestEnv env;
    const QDir ports(env.ports_dir());
    QVERIFY(QFile::link(QStringLiteral("/dev/ttyACM0"), ports.filePath(QStringLiteral("com3"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), ports.filePath(QStringLiteral("com200"))));
    // An unplugged device leaves a dangling link: still that port's entry.
    QVERIFY(QFile::link(QStringLiteral("/nonexistent/ttyUSB9"), ports.filePath(QStringLiteral("com40"))));

    QCOMPARE(port_device_path(3), ports.filePath(QStringLiteral("com3")));
    QCOMPARE(port_device_path(200), ports.filePath(QStringLiteral("com200")));
    QCOMPARE(port_device_path(40), ports.filePath(QStringLiteral("com40")));
    // Neighbours without an entry keep their usual devices.
    QCOMPARE(port_device_path(4), QStringLiteral("/dev/ttyS3"));
    QCOMPARE(port_device_path(201), QString());
    // Port 0 ("no port") and below stay unopenable even with an entry.
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), ports.filePath(QStringLiteral("com0"))));
    QVERIFY(QFile::link(QStringLiteral("/dev/null"), ports.filePath(QStringLiteral("com-1"))));
    QCOMPARE(port_device_path(0), QString());
    QCOMPARE(port_device_path(-1), QString());
}

void TestPortMap::portsFolderLocation()
{
    TestEnv env;
    QCOMPARE(ports_folder(), env.ports_dir());

    const EnvOverride home("HOME", "/home/someone");
    {
        const auto ports = EnvOverride::unset("VEKORRA_PORTS");
        const EnvOverride config("XDG_CONFIG_HOME", "/tmp/cfg");
        QCOMPARE(ports_folder(), QStringLiteral("/tmp/cfg/vekorra/ports"));
    }
    {
        const EnvOverride ports("VEKORRA_PORTS", "");
        const auto config = EnvOverride::unset("XDG_CONFIG_HOME");
        QCOMPARE(ports_folder(), QStringLiteral("/home/someone/.config/vekorra/ports"));
    }
}

QTEST_GUILESS_MAIN(TestPortMap)
#include "tst_port_map.moc"
