// The platform seams against the real things: xdg-open with a handler
// registered in a private data folder, detached starts without a shell, and
// the standard-error line of every message.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>

#include "platform/launcher.h"
#include "platform/link_opener.h"
#include "platform/messages.h"
#include "tests/support/env_override.h"
#include "tests/support/test_env.h"

namespace {

bool write_file(const QString& path, const QByteArray& content, bool executable = false)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        return false;
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return true;
}

QByteArray file_text(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A script that records how many arguments it got and each on its own line.
QByteArray recorder_script(const QString& record_path)
{
    return "#!/bin/sh\n{ echo \"$#\"; for arg in \"$@\"; do printf '%s\\n' \"$arg\"; done; } > '"
           + record_path.toLocal8Bit() + ".part'\nmv '" + record_path.toLocal8Bit() + ".part' '"
           + record_path.toLocal8Bit() + "'\n";
}

}  // namespace

class TestPlatformSeams : public QObject {
    Q_OBJECT

private slots:
    void registeredSchemeReachesItsHandler();
    void unregisteredSchemeFails();
    void launcherPassesTextAsOneArgument();
    void launcherReportsMissingProgram();
    void messageGoesToStandardError_data();
    void messageGoesToStandardError();

private:
    // A desktop of its own: the skype: handler records its argument.
    struct Desktop {
        QTemporaryDir dir;
        QString record_path() const { return dir.filePath(QStringLiteral("handler.txt")); }
    };
    void make_desktop(Desktop& desktop);
};

void TestPlatformSeams::make_desktop(Desktop& desktop)
{
    QVERIFY(desktop.dir.isValid());
    const QDir root(desktop.dir.path());
    QVERIFY(root.mkpath(QStringLiteral("data/applications")));
    QVERIFY(root.mkpath(QStringLiteral("config")));
    QVERIFY(root.mkpath(QStringLiteral("system")));
    const QString handler = root.filePath(QStringLiteral("skype-handler.sh"));
    QVERIFY(write_file(handler, recorder_script(desktop.record_path()), true));
    QVERIFY(write_file(root.filePath(QStringLiteral("data/applications/test-skype.desktop")),
                       "[Desktop Entry]\nType=Application\nName=Test Skype\nNoDisplay=true\n"
                       "MimeType=x-scheme-handler/skype;\nExec="
                           + handler.toLocal8Bit() + " %u\n"));
    QVERIFY(write_file(root.filePath(QStringLiteral("data/applications/mimeapps.list")),
                       "[Default Applications]\nx-scheme-handler/skype=test-skype.desktop\n"));
}

void TestPlatformSeams::registeredSchemeReachesItsHandler()
{
    TestEnv env;
    Desktop desktop;
    make_desktop(desktop);
    const QDir root(desktop.dir.path());
    // xdg-open looks for scheme handlers only when a display is named; it
    // checks the variable, not the server.
    const EnvOverride display("DISPLAY", ":0");
    const EnvOverride data_home("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toLocal8Bit());
    const EnvOverride data_dirs("XDG_DATA_DIRS", root.filePath(QStringLiteral("system")).toLocal8Bit());
    const EnvOverride config_home("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit());

    platform::XdgLinkOpener opener;
    const platform::OpenResult result = opener.open_address(QStringLiteral("skype:+380671234567"));
    QVERIFY(result.ok);
    QCOMPARE(result.error_code, 0);
    QVERIFY(wait_until([&] { return QFile::exists(desktop.record_path()); }, 15000));
    QCOMPARE(file_text(desktop.record_path()), QByteArray("1\nskype:+380671234567\n"));
}

void TestPlatformSeams::unregisteredSchemeFails()
{
    TestEnv env;
    Desktop desktop;
    make_desktop(desktop);
    const QDir root(desktop.dir.path());
    const EnvOverride display("DISPLAY", ":0");
    const EnvOverride data_home("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toLocal8Bit());
    const EnvOverride data_dirs("XDG_DATA_DIRS", root.filePath(QStringLiteral("system")).toLocal8Bit());
    const EnvOverride config_home("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toLocal8Bit());
    // Without a handler xdg-open falls back to web browsers: on a machine
    // with one installed the address would "open" there. A browser that
    // always fails keeps the outcome the same everywhere and spares the
    // search through sixteen browser names.
    const EnvOverride browser("BROWSER", "false");

    // The opener asks xdg-mime before it runs xdg-open, so the outcome does
    // not depend on how long xdg-open's browser search takes on a busy machine.
    platform::XdgLinkOpener opener;
    const platform::OpenResult result =
        opener.open_address(QStringLiteral("vekorra-test-nothing:+380671234567"));
    QVERIFY(!result.ok);
    // xdg-open's "no method available" status.
    QCOMPARE(result.error_code, 3);
    QVERIFY(!QFile::exists(desktop.record_path()));
}

void TestPlatformSeams::launcherPassesTextAsOneArgument()
{
    TestEnv env;
    const QDir root(env.root());
    const QString script = root.filePath(QStringLiteral("record-args.sh"));
    const QString record = root.filePath(QStringLiteral("args.txt"));
    QVERIFY(write_file(script, recorder_script(record), true));

    const QString marker = root.filePath(QStringLiteral("shell-ran"));
    const QString hostile = QStringLiteral("a b; touch %1 $(touch %1) `touch %1` 'q' \"d\" | >%1").arg(marker);
    platform::ProcessLauncher launcher;
    QVERIFY(launcher.start_detached(script, {hostile, QStringLiteral("callto:+380")}));
    QVERIFY(wait_until([&] { return QFile::exists(record); }, 15000));
    QCOMPARE(QString::fromLocal8Bit(file_text(record)), QStringLiteral("2\n%1\ncallto:+380\n").arg(hostile));
    QVERIFY(!QFile::exists(marker));
}

void TestPlatformSeams::launcherReportsMissingProgram()
{
    TestEnv env;
    platform::ProcessLauncher launcher;
    QVERIFY(!launcher.start_detached(env.root() + QStringLiteral("/no-such-program"), {QStringLiteral("0")}));
}

void TestPlatformSeams::messageGoesToStandardError_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("dialer") << QStringLiteral("Vekorra") << QStringLiteral("Телефон не подключен!")
                            << QByteArray("Vekorra: Телефон не подключен!\n");
    QTest::newRow("controller") << QStringLiteral("Kestrum") << QStringLiteral("Ошибка порта")
                                << QByteArray("Kestrum: Ошибка порта\n");
    // One message, one line, whatever the text holds.
    QTest::newRow("several lines") << QStringLiteral("Vekorra") << QStringLiteral("first\r\nsecond\nthird")
                                   << QByteArray("Vekorra: first second third\n");
}

void TestPlatformSeams::messageGoesToStandardError()
{
    QFETCH(QString, title);
    QFETCH(QString, text);
    QFETCH(QByteArray, line);
    // This program, started again, shows the message and ends.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--show-message"), title, text});
    QVERIFY(child.waitForFinished(15000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(child.readAllStandardError(), line);
    QCOMPARE(child.readAllStandardOutput(), QByteArray());
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--show-message") == 0) {
        platform::set_program_title(QString::fromLocal8Bit(argv[2]));
        platform::show_message(QString::fromLocal8Bit(argv[3]));
        return 0;
    }
    TestPlatformSeams test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_platform_seams.moc"
