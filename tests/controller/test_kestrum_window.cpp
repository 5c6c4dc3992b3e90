// A real kestrum in a folder named "Проект", started by hand (no arguments)
// under a real X server (Xvfb): its window is shown, the watchdog leaves it
// running, a click on "Подклчюить" connects the simulated phone, and the
// window with a call in progress is saved as
// build/screenshots/kestrum_window_call.png for people to look at. The test
// runs itself again under `xvfb-run -a` for that.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QtTest>
#include <cstdio>

#include "controller/blackboard.h"
#include "controller/controller.h"
#include "controller/form_port.h"
#include "serial/qt_serial_component.h"
#include "settings_store/settings_store.h"
#include "tests/support/phonesim_driver.h"
#include "tests/support/test_env.h"

namespace {

const char kChildMarker[] = "KESTRUM_WINDOW_CHILD";
const QString kSlot = QStringLiteral("Проект");
const QString kTitle = QStringLiteral("Телефонный Kestrum");

QString screenshot_path()
{
    return TestEnv::build_dir() + QStringLiteral("/screenshots/kestrum_window_call.png");
}

QString board(const QString& key)
{
    return read_setting(QStringLiteral("Kestrum"), kSlot, key, QStringLiteral("<absent>"));
}

// Runs a tool to its end; its standard output, trimmed.
QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

int fail(int code, const QString& why)
{
    std::fprintf(stderr, "kestrum window: %s\n", qPrintable(why));
    return code;
}

// Where "Подклчюить" sits in a window of the same build on the same X
// server: a twin window, never started, measured and closed again.
QPoint connect_button_centre()
{
    kestrum::Controller idle(std::make_unique<QtSerialComponent>());
    kestrum::FormPort twin(idle);
    twin.setWindowTitle(QStringLiteral("twin"));
    twin.show();
    if (!QTest::qWaitForWindowExposed(&twin))
        fail(0, QStringLiteral("twin window not exposed"));
    auto* button = twin.findChild<QPushButton*>(QStringLiteral("podkl"));
    const QPoint centre = button->mapTo(&twin, button->rect().center());
    twin.hide();
    return centre;
}

// Under Xvfb: the controller run by hand, driven by the pointer.
int drive_controller()
{
    TestEnv env;
    PhoneSim phone({"--alert-ms", "100", "--auto-answer", "300", "--model", "Nokia 6230i"}, 1);
    if (!phone.ready())
        return fail(10, QStringLiteral("no phone: ") + phone.output());
    write_setting(QStringLiteral("Kestrum"), kSlot, QStringLiteral("port"), QStringLiteral("1"));
    write_setting(QStringLiteral("Kestrum"), kSlot, QStringLiteral("Tip_tlf"), QStringLiteral("GSM"));

    const QString folder = env.root() + QStringLiteral("/") + kSlot;
    QDir().mkpath(folder);
    if (!QFile::copy(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), folder + QStringLiteral("/kestrum")))
        return fail(11, QStringLiteral("no kestrum to copy"));
    QProcess controller;
    controller.setProcessChannelMode(QProcess::ForwardedChannels);
    controller.start(folder + QStringLiteral("/kestrum"), QStringList());
    if (!controller.waitForStarted(5000))
        return fail(12, QStringLiteral("kestrum did not start"));
    const auto end = [&controller](int code) {
        controller.kill();
        controller.waitForFinished(3000);
        return code;
    };

    QString window;
    wait_until([&] {
        window = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", kTitle}).section('\n', 0, 0);
        return !window.isEmpty();
    }, 10000);
    if (window.isEmpty())
        return end(fail(13, QStringLiteral("no window shown")));

    // A development controller is never ended by its watchdog, and its
    // engine waits for "Подклчюить".
    QTest::qWait(2500);
    if (controller.state() != QProcess::Running)
        return fail(14, QStringLiteral("kestrum ended by itself"));
    if (board(QStringLiteral("on_pr_exe")) != QStringLiteral("1") || board(QStringLiteral("on_pr")) != QStringLiteral("False"))
        return end(fail(15, QStringLiteral("engine ran before the connect button")));

    const QPoint centre = connect_button_centre();
    run(QStringLiteral("xdotool"), {"mousemove", "--window", window, QString::number(centre.x()),
                                    QString::number(centre.y()), "click", "1"});
    if (!wait_until([] { return board(QStringLiteral("model")) == QStringLiteral("Nokia 6230i"); }, 10000)
        || board(QStringLiteral("on_pr")) != QStringLiteral("True"))
        return end(fail(16, QStringLiteral("the click did not connect the phone")));

    // A call in progress and a second one waiting.
    write_setting(QStringLiteral("Kestrum"), kSlot, QStringLiteral("pozvonit"), QStringLiteral("0671234567"));
    if (!wait_until([] { return board(QStringLiteral("status")).startsWith(QStringLiteral("@Разг.")); }, 10000))
        return end(fail(17, QStringLiteral("the call did not start: ") + board(QStringLiteral("status"))));
    phone.control(QStringLiteral("waiting 0501112233"));
    if (!wait_until([] { return board(QStringLiteral("knopki_zv")).section('@', 2, 2) == QStringLiteral("1"); }, 10000))
        return end(fail(18, QStringLiteral("the waiting call was not offered")));
    QTest::qWait(500);  // the window shows the view at its next refresh

    QDir().mkpath(QFileInfo(screenshot_path()).path());
    QFile::remove(screenshot_path());
    run(QStringLiteral("import"), {"-window", window, screenshot_path()});
    return end(QFile::exists(screenshot_path()) ? 0 : fail(19, QStringLiteral("no screenshot")));
}

}  // namespace

class TestKestrumWindow : public QObject {
    Q_OBJECT

private slots:
    void development_controller_under_xvfb();
};

void TestKestrumWindow::development_controller_under_xvfb()
{
    for (const char* tool : {"xvfb-run", "xdotool", "import"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool))));

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kChildMarker, QStringLiteral("1"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QStringLiteral("xvfb-run"),
                {"-a", "-s", "-screen 0 1024x768x24", QCoreApplication::applicationFilePath()});
    const bool ended = child.waitForFinished(150000);
    if (!ended)
        child.kill();
    const QString output = QString::fromLocal8Bit(child.readAll());
    QVERIFY2(ended, qPrintable(output));
    QVERIFY2(child.exitCode() == 0, qPrintable(QStringLiteral("exit %1: %2").arg(child.exitCode()).arg(output)));

    const QImage shot(screenshot_path());
    QVERIFY(!shot.isNull());
    QVERIFY(shot.width() > 200 && shot.height() > 200);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildMarker))
        return drive_controller();
    TestKestrumWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kestrum_window.moc"
