// The serial component against real pseudo-terminals: the test plays the
// phone on the master side of each pair.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>
#include <QThread>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/resource.h>

#include "pty_pair.h"
#include "serial/qt_serial_component.h"
#include "tests/support/test_env.h"

namespace {

// Polls InBufferCount() the way the controller does: plain sleeps, no event
// processing in between. Returns the last count.
int count_after_sleeps(QtSerialComponent& port, int expected, int max_ms = 2000)
{
    int count = port.InBufferCount();
    for (int waited = 0; count < expected && waited < max_ms; waited += 10) {
        QThread::msleep(10);
        count = port.InBufferCount();
    }
    return count;
}

double cpu_seconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void open_port(QtSerialComponent& port, int number)
{
    port.setCommPort(number);
    port.setPortOpen(true);
    QVERIFY(port.PortOpen());
}

}  // namespace

class TestQtSerialComponent : public QObject {
    Q_OBJECT

private slots:
    void commandAndReply();
    void countSeesBytesReceivedWhileSleeping();
    void latin1RoundTrip();
    void receiveBufferHoldsAtMost1024AndTheRestWaits();
    void secondOpenerFails();
    void otherProcessHolderExcludes();
    void reopensAfterClose();
    void portWithoutDeviceFailsToOpen_data();
    void portWithoutDeviceFailsToOpen();
    void closedPortOperationsFail();
    void portNumberFixedWhileOpen();
    void farEndClosedFailsNextOperation_data();
    void farEndClosedFailsNextOperation();
    void farEndClosedFailsWithoutSpinning();
};

void TestQtSerialComponent::commandAndReply()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 3);
    QtSerialComponent port;
    open_port(port, 3);
    QCOMPARE(port.devicePath(), QFileInfo(phone.slave_path()).canonicalFilePath());
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QString());

    // No event loop runs between Output() and the far end's read.
    port.Output(QStringLiteral("AT+GMM\r\n"));
    QCOMPARE(phone.read(8, 2000), QByteArray("AT+GMM\r\n"));

    phone.write("\r\nC65\r\n\r\nOK\r\n");
    QCOMPARE(count_after_sleeps(port, 13), 13);
    QCOMPARE(port.Input(), QStringLiteral("\r\nC65\r\n\r\nOK\r\n"));
    QCOMPARE(port.InBufferCount(), 0);
    QCOMPARE(port.Input(), QString());

    port.setPortOpen(false);
    QVERIFY(!port.PortOpen());
}

void TestQtSerialComponent::countSeesBytesReceivedWhileSleeping()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    QtSerialComponent port;
    open_port(port, 1);

    phone.write("OK\r\n");
    QThread::msleep(200);
    QCOMPARE(port.InBufferCount(), 4);
    // Counting does not consume: the characters wait for Input().
    QCOMPARE(port.InBufferCount(), 4);
    QCOMPARE(port.Input(), QStringLiteral("OK\r\n"));
}

void TestQtSerialComponent::latin1RoundTrip()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 2);
    QtSerialComponent port;
    open_port(port, 2);

    QByteArray every_byte;
    QString every_char;
    for (int code = 0; code < 256; ++code) {
        every_byte.append(static_cast<char>(code));
        every_char.append(QChar(code));
    }

    port.Output(every_char);
    QCOMPARE(phone.read(256, 2000), every_byte);

    phone.write(every_byte);
    QCOMPARE(count_after_sleeps(port, 256), 256);
    QCOMPARE(port.Input(), every_char);
}

void TestQtSerialComponent::receiveBufferHoldsAtMost1024AndTheRestWaits()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 4);
    QtSerialComponent port;
    open_port(port, 4);

    QByteArray flood;
    for (int i = 0; i < 1500; ++i)
        flood.append(static_cast<char>('A' + i % 26));
    phone.write(flood);
    QCOMPARE(count_after_sleeps(port, 1024), 1024);
    // Let the rest arrive; it waits in the port, so that a long reply (a
    // phone's list of messages) is read whole by the next reads.
    for (int i = 0; i < 20; ++i) {
        QThread::msleep(10);
        QCOMPARE(port.InBufferCount(), 1024);
    }
    QCOMPARE(port.Input(), QString::fromLatin1(flood.left(1024)));
    QCOMPARE(count_after_sleeps(port, 1500 - 1024), 1500 - 1024);
    QCOMPARE(port.Input(), QString::fromLatin1(flood.mid(1024)));
    QCOMPARE(port.InBufferCount(), 0);

    phone.write("OK\r\n");
    QCOMPARE(count_after_sleeps(port, 4), 4);
    QCOMPARE(port.Input(), QStringLiteral("OK\r\n"));
}

void TestQtSerialComponent::secondOpenerFails()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    // A second name for the same device: a link to the link.
    QVERIFY(QFile::link(env.ports_dir() + QStringLiteral("/com1"), env.ports_dir() + QStringLiteral("/com2")));

    QtSerialComponent first;
    open_port(first, 1);

    for (int number : {1, 2}) {
        QtSerialComponent second;
        second.setCommPort(number);
        QVERIFY_THROWS_EXCEPTION(SerialError, second.setPortOpen(true));
        QVERIFY(!second.PortOpen());
    }
    // Another program opening the device by its own path is refused too.
    QSerialPort other;
    other.setPortName(phone.slave_path());
    QVERIFY(!other.open(QIODevice::ReadWrite));

    // The failed openers left the holder working.
    first.Output(QStringLiteral("AT\r\n"));
    QCOMPARE(phone.read(4, 2000), QByteArray("AT\r\n"));
}

void TestQtSerialComponent::otherProcessHolderExcludes()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    QVERIFY(QFile::link(phone.slave_path(), env.ports_dir() + QStringLiteral("/com2")));

    // This test program, started again, holds port 2 until its input ends.
    QProcess holder;
    holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-port"), QStringLiteral("2")});
    QVERIFY(holder.waitForStarted());
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("open"));

    QtSerialComponent port;
    port.setCommPort(1);
    QVERIFY_THROWS_EXCEPTION(SerialError, port.setPortOpen(true));

    holder.closeWriteChannel();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(holder.exitCode(), 0);
    port.setPortOpen(true);
    QVERIFY(port.PortOpen());

    // And the other way round: the other process is refused while this one holds it.
    QProcess refused;
    refused.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-port"), QStringLiteral("2")});
    QVERIFY(refused.waitForFinished(10000));
    QCOMPARE(refused.readAllStandardOutput().trimmed(), QByteArray("refused"));
    QCOMPARE(refused.exitCode(), 1);
}

void TestQtSerialComponent::reopensAfterClose()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    QVERIFY(QFile::link(phone.slave_path(), env.ports_dir() + QStringLiteral("/com9")));

    QtSerialComponent first;
    open_port(first, 1);
    first.setPortOpen(false);

    QtSerialComponent second;
    open_port(second, 9);
    second.Output(QStringLiteral("ATA\r\n"));
    QCOMPARE(phone.read(5, 2000), QByteArray("ATA\r\n"));
    second.setPortOpen(false);

    open_port(first, 1);
    phone.write("RING\r\n");
    QCOMPARE(count_after_sleeps(first, 6), 6);
}

void TestQtSerialComponent::portWithoutDeviceFailsToOpen_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("entry_target");  // "" = no entry
    QTest::newRow("dangling entry") << 5 << QStringLiteral("/nonexistent/ttyX");
    QTest::newRow("entry to a plain file") << 6 << QStringLiteral("FILE");
    QTest::newRow("high number without entry") << 200 << QString();
    QTest::newRow("zero") << 0 << QString();
    QTest::newRow("negative") << -3 << QString();
}

void TestQtSerialComponent::portWithoutDeviceFailsToOpen()
{
    QFETCH(int, number);
    QFETCH(QString, entry_target);
    TestEnv env;
    if (entry_target == QLatin1String("FILE")) {
        entry_target = env.root() + QStringLiteral("/not_a_tty");
        QFile file(entry_target);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    if (!entry_target.isEmpty())
        QVERIFY(QFile::link(entry_target, env.ports_dir() + QStringLiteral("/com%1").arg(number)));

    QtSerialComponent port;
    port.setCommPort(number);
    QVERIFY_THROWS_EXCEPTION(SerialError, port.setPortOpen(true));
    QVERIFY(!port.PortOpen());
    QVERIFY_THROWS_EXCEPTION(SerialError, port.Output(QStringLiteral("AT\r\n")));
}

void TestQtSerialComponent::closedPortOperationsFail()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    QtSerialComponent port;
    port.setCommPort(1);
    for (int round = 0; round < 2; ++round) {
        QVERIFY(!port.PortOpen());
        QVERIFY_THROWS_EXCEPTION(SerialError, port.Output(QStringLiteral("AT\r\n")));
        QVERIFY_THROWS_EXCEPTION(SerialError, port.InBufferCount());
        QVERIFY_THROWS_EXCEPTION(SerialError, port.Input());
        // Second round: after an open and a close.
        port.setPortOpen(true);
        phone.write("left over\r\n");
        QCOMPARE(count_after_sleeps(port, 11), 11);
        port.setPortOpen(false);
    }
}

void TestQtSerialComponent::portNumberFixedWhileOpen()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 1);
    QtSerialComponent port;
    QCOMPARE(port.CommPort(), 1);
    open_port(port, 1);
    QVERIFY_THROWS_EXCEPTION(SerialError, port.setCommPort(2));
    QCOMPARE(port.CommPort(), 1);
    port.setCommPort(1);  // no change: nothing to refuse
    QVERIFY(port.PortOpen());
    port.setPortOpen(false);
    port.setCommPort(2);
    QCOMPARE(port.CommPort(), 2);
}

void TestQtSerialComponent::farEndClosedFailsNextOperation_data()
{
    QTest::addColumn<QString>("operation");
    for (const char* operation : {"Output", "InBufferCount", "Input"})
        QTest::newRow(operation) << QString::fromLatin1(operation);
}

void TestQtSerialComponent::farEndClosedFailsNextOperation()
{
    QFETCH(QString, operation);
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 8);
    QtSerialComponent port;
    open_port(port, 8);
    port.Output(QStringLiteral("AT\r\n"));
    QCOMPARE(phone.read(4, 2000), QByteArray("AT\r\n"));

    // The controller sleeps between polls: no event runs before the next
    // operation, which must find out by itself.
    phone.close_master();
    if (operation == QLatin1String("Output"))
        QVERIFY_THROWS_EXCEPTION(SerialError, port.Output(QStringLiteral("AT+CLCC\r\n")));
    else if (operation == QLatin1String("InBufferCount"))
        QVERIFY_THROWS_EXCEPTION(SerialError, port.InBufferCount());
    else
        QVERIFY_THROWS_EXCEPTION(SerialError, port.Input());
    QVERIFY(port.PortOpen());
    port.setPortOpen(false);
    QVERIFY(!port.PortOpen());
}

void TestQtSerialComponent::farEndClosedFailsWithoutSpinning()
{
    TestEnv env;
    PtyPair phone;
    phone.link_as(env.ports_dir(), 7);
    QtSerialComponent port;
    open_port(port, 7);
    phone.write("OK\r\n");
    QCOMPARE(count_after_sleeps(port, 4), 4);

    phone.close_master();
    // A dead descriptor left to Qt's notifier keeps a core busy for as long
    // as the event loop runs (a third to a whole second of CPU per second
    // here, depending on the load); an idle component uses almost none.
    const double cpu_before = cpu_seconds();
    QTest::qWait(1000);
    const double cpu_used = cpu_seconds() - cpu_before;
    qInfo("CPU used over 1 s of event loop with the device gone: %.3f s", cpu_used);
    QVERIFY2(cpu_used < 0.1, qPrintable(QStringLiteral("%1 s of CPU").arg(cpu_used)));

    QVERIFY(port.PortOpen());
    QVERIFY_THROWS_EXCEPTION(SerialError, port.InBufferCount());
    QVERIFY_THROWS_EXCEPTION(SerialError, port.Input());
    QVERIFY_THROWS_EXCEPTION(SerialError, port.Output(QStringLiteral("AT\r\n")));
    QVERIFY(port.PortOpen());
    port.setPortOpen(false);
    QVERIFY(!port.PortOpen());
    // Tests run in parallel: another one's new pseudo-terminal may take
    // the freed number at once, and then there is a device to open again.
    if (QFileInfo::exists(phone.slave_path()))
        qInfo("%s was taken again meanwhile; not opened", qPrintable(phone.slave_path()));
    else
        QVERIFY_THROWS_EXCEPTION(SerialError, port.setPortOpen(true));
}

namespace {

// Child mode: hold port `number` until standard input ends.
int hold_port(int argc, char** argv, int number)
{
    QCoreApplication app(argc, argv);
    QtSerialComponent port;
    port.setCommPort(number);
    try {
        port.setPortOpen(true);
    } catch (const SerialError&) {
        std::fputs("refused\n", stdout);
        return 1;
    }
    std::fputs("open\n", stdout);
    std::fflush(stdout);
    char line[64];
    while (std::fgets(line, sizeof line, stdin)) {
    }
    port.setPortOpen(false);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--hold-port") == 0)
        return hold_port(argc, argv, std::atoi(argv[2]));
    QCoreApplication app(argc, argv);
    TestQtSerialComponent test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_qt_serial_component.moc"
