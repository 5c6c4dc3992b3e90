// The outside programs for real: a "skype:" address through xdg-open to a
// handler registered in a private XDG data folder, and the SIP softphone
// started as a program.
#include <QtTest>

#include "dialer/dial/dispatcher.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "tests/support/main_window_stand_in.h"
#include "tests/support/test_env.h"

namespace {

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const char* name, const QByteArray& value)
    {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char* name)
    {
        remember(name);
        qunsetenv(name);
    }
    ~ScopedEnvironment()
    {
        for (const auto& [name, value] : saved_) {
            if (value.isNull())
                qunsetenv(name.constData());
            else
                qputenv(name.constData(), value);
        }
    }

private:
    void remember(const char* name) { saved_.append({name, qgetenv(name)}); }
    QList<std::pair<QByteArray, QByteArray>> saved_;
};

void write_file(const QString& path, const QString& text, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.toUtf8());
    file.close();
    if (executable)
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

QString read_file(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// A desktop of our own: no system handlers, no browsers, a display that
// xdg-open only checks for being set.
void isolate_desktop(ScopedEnvironment& environment, const QString& root)
{
    environment.set("XDG_DATA_HOME", (root + "/data").toLocal8Bit());
    environment.set("XDG_DATA_DIRS", (root + "/system-data").toLocal8Bit());
    environment.set("XDG_CONFIG_HOME", (root + "/config").toLocal8Bit());
    environment.set("XDG_CONFIG_DIRS", (root + "/system-config").toLocal8Bit());
    environment.set("DISPLAY", ":97");
    environment.set("BROWSER", (root + "/no-browser").toLocal8Bit());
    environment.unset("XDG_CURRENT_DESKTOP");
    environment.unset("DESKTOP_SESSION");
    environment.unset("WAYLAND_DISPLAY");
    QDir().mkpath(root + "/system-data");
    QDir().mkpath(root + "/system-config");
}

}  // namespace

class TestDesktopHandler : public QObject
{
    Q_OBJECT

private slots:
    void skype_address_reaches_registered_handler();
    void address_without_handler_is_reported();
    void softphone_is_started_with_dial_arguments();
    void missing_softphone_is_reported();
};

void TestDesktopHandler::skype_address_reaches_registered_handler()
{
    TestEnv env;
    RecordingSeams seams(RecordingSeams::MessagesSeam);
    ScopedEnvironment environment;
    isolate_desktop(environment, env.root());
    const QString received = env.root() + "/received.txt";
    const QString handler = env.root() + "/skype-handler.sh";
    write_file(handler, "#!/bin/sh\nprintf '%s\\n' \"$1\" > " + received + "\n", true);
    write_file(env.root() + "/data/applications/test-skype.desktop",
               "[Desktop Entry]\nType=Application\nName=Test Skype\nExec=" + handler +
                   " %u\nMimeType=x-scheme-handler/skype;\nNoDisplay=true\n");
    const QString mimeapps = "[Default Applications]\nx-scheme-handler/skype=test-skype.desktop\n";
    write_file(env.root() + "/config/mimeapps.list", mimeapps);
    write_file(env.root() + "/data/applications/mimeapps.list", mimeapps);

    open_link(QStringLiteral("skype:+380671234567"));

    QVERIFY(wait_until([&] { return read_file(received).endsWith('\n'); }, 10000));
    QCOMPARE(read_file(received), QStringLiteral("skype:+380671234567\n"));
    QCOMPARE(seams.events, QStringList{});
}

void TestDesktopHandler::address_without_handler_is_reported()
{
    TestEnv env;
    RecordingSeams seams(RecordingSeams::MessagesSeam);
    ScopedEnvironment environment;
    isolate_desktop(environment, env.root());

    open_link(QStringLiteral("skype:+380671234567"));

    // Under the program's title, with the address and nothing else.
    QCOMPARE(seams.events,
             QStringList{QString::fromUtf8("message Vekorra error: Невозможно открыть адрес: skype:+380671234567")});
}

void TestDesktopHandler::softphone_is_started_with_dial_arguments()
{
    TestEnv env;
    RecordingSeams seams(RecordingSeams::MessagesSeam | RecordingSeams::ClockSeam);
    const QString received = env.root() + "/arguments.txt";
    const QString softphone = env.root() + "/soft phone";
    write_file(softphone, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + received + "'\n", true);
    write_setting("Vekorra", "drugoe", "sip_program", softphone);
    write_setting("Vekorra", "pravila", "KS", "5");
    write_setting("Kestrum", "6", "ON", "1");
    const MainWindowStandIn main_window;

    QString number = QStringLiteral("+380671234567");
    dispatch_number(number);

    QVERIFY(wait_until([&] { return read_file(received).count('\n') == 2; }, 10000));
    QCOMPARE(read_file(received), QStringLiteral("-dial\ncallto:0671234567\n"));
    QCOMPARE(seams.events, QStringList{});
}

void TestDesktopHandler::missing_softphone_is_reported()
{
    TestEnv env;
    RecordingSeams seams(RecordingSeams::MessagesSeam | RecordingSeams::ClockSeam);
    write_setting("Vekorra", "drugoe", "sip_program", env.root() + "/no-such-talk");
    write_setting("Vekorra", "pravila", "KS", "5");
    write_setting("Kestrum", "6", "ON", "1");
    const MainWindowStandIn main_window;

    QString number = QStringLiteral("0671234567");
    dispatch_number(number);

    QCOMPARE(seams.events, QStringList{"message Vekorra error: Программа Express Talk не установлена!"});
}

QTEST_GUILESS_MAIN(TestDesktopHandler)
#include "test_desktop_handler.moc"
