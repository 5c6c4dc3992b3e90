// A real kestrum in a folder named "Проект", started by hand (no arguments)
// under a real X server (Xvfb): its window is shown, the watchdog leaves it
// running, a click on "Подклчюить" connects the simulated phone, and the
// window with a call in progress is saved as
// build/screenshots/kestrum_window_call.png for people to look at. And a
// controller started by the dialer, which has no window, outlives the
// message box of its wired modem. The test runs itself again on an X
// server of its own (Xvfb) for each.
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
#include "tests/support/store_fixture.h"
#include "tests/support/test_env.h"
#include "tests/support/x_server.h"

namespace {

const char kChildMarker[] = "KESTRUM_WINDOW_CHILD";
const QString kSlot = QStringLiteral("Проект");
const QString kTitle = QStringLiteral("Телефонный Kestrum");

QString screenshot_path()
{
    return TestEnv::build_dir() + QStringLiteral("/screenshots/kestrum_window_call.png");
}

QString board(const QString& key) { return board(kSlot, key); }

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

// Copies the built controller into <root>/<slot>/ and starts it there.
bool start_kestrum_in(const TestEnv& env, const QString& slot, const QStringList& arguments, QProcess& controller)
{
    const QString folder = env.root() + QLatin1Char('/') + slot;
    QDir().mkpath(folder);
    if (!QFile::copy(TestEnv::build_dir() + QStringLiteral("/1/kestrum"), folder + QStringLiteral("/kestrum")))
        return false;
    controller.setProcessChannelMode(QProcess::ForwardedChannels);
    controller.start(folder + QStringLiteral("/kestrum"), arguments);
    return controller.waitForStarted(5000);
}

// Ends a controller that a failed scenario leaves running; passes the code on.
int ended(QProcess& controller, int code)
{
    controller.kill();
    controller.waitForFinished(3000);
    return code;
}

// The first visible window whose title matches, within 10 s; "" when none.
QString wait_for_window(const QString& title_pattern)
{
    QString window;
    wait_until([&] {
        window = run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", title_pattern}).section('\n', 0, 0);
        return !window.isEmpty();
    }, 10000);
    return window;
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
    set_board(kSlot, QStringLiteral("port"), QStringLiteral("1"));
    set_board(kSlot, QStringLiteral("Tip_tlf"), QStringLiteral("GSM"));

    QProcess controller;
    if (!start_kestrum_in(env, kSlot, {}, controller))
        return fail(12, QStringLiteral("kestrum did not start"));
    const auto end = [&controller](int code) { return ended(controller, code); };

    const QString window = wait_for_window(kTitle);
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
    set_board(kSlot, QStringLiteral("pozvonit"), QStringLiteral("0671234567"));
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

// Under Xvfb: a controller started by the dialer (hidden, argument "0") on a
// wired modem without a dial tone shows "Отсутствует гудок"; closing that
// box, its only window, must not end the program behind the orderly end.
int message_box_of_hidden_controller()
{
    TestEnv env;
    PhoneSim modem({"--mode", "modem"}, 1);
    if (!modem.ready() || !modem.control(QStringLiteral("result NO DIALTONE")))
        return fail(20, QStringLiteral("no modem: ") + modem.output());
    const auto set = [](const char* key, const char* value) { set_board(QStringLiteral("1"), key, value); };
    const auto slot_board = [](const char* key) { return board(QStringLiteral("1"), key); };
    set("port", "1");
    set("Tip_tlf", "Provod");
    set("on_przv_exe", "1");
    set("pozvonit", "0441234567");
    QProcess controller;
    if (!start_kestrum_in(env, QStringLiteral("1"), {QStringLiteral("0")}, controller))
        return fail(22, QStringLiteral("kestrum did not start"));
    const auto end = [&controller](int code) { return ended(controller, code); };

    const QString box = wait_for_window(QStringLiteral("^Kestrum$"));
    if (box.isEmpty())
        return end(fail(23, QStringLiteral("no \"Отсутствует гудок\" box")));
    run(QStringLiteral("xdotool"), {"windowfocus", box});
    run(QStringLiteral("xdotool"), {"key", "Return"});
    if (!wait_until([&] {
            return run(QStringLiteral("xdotool"), {"search", "--onlyvisible", "--name", "^Kestrum$"}).isEmpty();
        }, 5000))
        return end(fail(24, QStringLiteral("the box did not close")));

    QTest::qWait(1500);
    if (controller.state() != QProcess::Running)
        return fail(25, QStringLiteral("closing the box ended the controller; on_pr_exe = ") + slot_board("on_pr_exe"));
    set("on_przv_exe", "0");
    if (!controller.waitForFinished(5000))
        return end(fail(26, QStringLiteral("the watchdog did not end the controller")));
    if (slot_board("on_pr_exe") != QStringLiteral("0") || slot_board("on_pr") != QStringLiteral("False"))
        return fail(27, QStringLiteral("no orderly end: on_pr_exe = ") + slot_board("on_pr_exe"));
    return 0;
}

}  // namespace

class TestKestrumWindow : public QObject {
    Q_OBJECT

private slots:
    void development_controller_under_xvfb();
    void hidden_controller_survives_its_message_box();

private:
    // Runs this program again on an X server of its own as the given
    // scenario; its exit code and output.
    static std::pair<int, QString> run_under_xvfb(const char* scenario);
};

std::pair<int, QString> TestKestrumWindow::run_under_xvfb(const char* scenario)
{
    return rerun_on_own_x_server({{QString::fromLatin1(kChildMarker), QString::fromLatin1(scenario)}}, 150000);
}

static bool xvfb_tools_missing()
{
    for (const char* tool : {"Xvfb", "xdotool", "import"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return true;
    return false;
}

void TestKestrumWindow::development_controller_under_xvfb()
{
    if (xvfb_tools_missing())
        QSKIP("Xvfb, xdotool or import is not installed");
    const auto [code, output] = run_under_xvfb("window");
    QVERIFY2(code == 0, qPrintable(QStringLiteral("exit %1: %2").arg(code).arg(output)));

    const QImage shot(screenshot_path());
    QVERIFY(!shot.isNull());
    QVERIFY(shot.width() > 200 && shot.height() > 200);
}

void TestKestrumWindow::hidden_controller_survives_its_message_box()
{
    if (xvfb_tools_missing())
        QSKIP("Xvfb, xdotool or import is not installed");
    const auto [code, output] = run_under_xvfb("message_box");
    QVERIFY2(code == 0, qPrintable(QStringLiteral("exit %1: %2").arg(code).arg(output)));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QByteArray scenario = qgetenv(kChildMarker);
    if (scenario == "window")
        return drive_controller();
    if (scenario == "message_box")
        return message_box_of_hidden_controller();
    TestKestrumWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_kestrum_window.moc"
