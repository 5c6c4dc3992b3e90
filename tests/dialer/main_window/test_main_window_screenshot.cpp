// Under a real X server (Xvfb): the main window with a call in progress on
// phone 1, saved as build/screenshots/main_window_call.png for people to
// look at, and the call button's balloon tooltip brought up by the pointer
// (main_window_balloon.png). The test runs itself again on an X server of
// its own (Xvfb) for that.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QtTest>

#include "child_launcher.h"
#include "dialer/main_window/ballon_tip.h"
#include "dialer/main_window/form_port.h"
#include "phonesim_driver.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"
#include "x_server.h"

namespace {

const char kChildMarker[] = "VEKORRA_SCREENSHOT_CHILD";

QString screenshot_path()
{
    return TestEnv::build_dir() + QStringLiteral("/screenshots/main_window_call.png");
}

QString balloon_path()
{
    return TestEnv::build_dir() + QStringLiteral("/screenshots/main_window_balloon.png");
}

// Runs under Xvfb: a call on phone 1 answered by the far end, then the shot.
int take_screenshot()
{
    TestEnv env;
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100", "--auto-answer", "300", "--model", "Nokia 6230i"});
    if (!phone.ready())
        return 10;
    write_setting("Kestrum", "1", "port", "1");
    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form(TestEnv::build_dir());
    form.start_up();
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        return 11;
    if (!wait_until([&] { return form.frame(1)->display_text() == "Nokia 6230i"; }, 15000))
        return 12;
    const QRect placed = form.geometry();
    form.number_field()->setText(QStringLiteral("067 123 45 67"));
    form.call_button()->click();
    if (!wait_until([&] { return form.frame(1)->display_text().startsWith(QStringLiteral("Разг.")); }, 15000))
        return 13;
    // The pending request held the window on top for a moment; it stayed
    // where it was.
    if (form.geometry() != placed || !form.isVisible())
        return 18;
    phone.control(QStringLiteral("waiting 0501112233"));
    wait_until([&] { return !form.frame(1)->button(main_window::CallButton::prin1_k)->isHidden(); }, 5000);
    QTest::qWait(300);

    QDir().mkpath(QFileInfo(screenshot_path()).path());
    const QPixmap shot = form.screen()->grabWindow(form.winId());
    if (shot.isNull() || !shot.save(screenshot_path()))
        return 14;

    // The pointer rests on the call button: the balloon comes up after the
    // usual delay, from a real pointer movement of the X server.
    auto* balloon = form.findChild<Ballon_tip::Balloon*>();
    const QPoint pointer = form.call_button()->mapToGlobal(QPoint(40, 12));
    QCursor::setPos(pointer - QPoint(5, 0));
    QTest::qWait(50);
    QCursor::setPos(pointer);
    if (!balloon || !wait_until([&] { return balloon->isVisible(); }, 5000))
        return 15;
    if (balloon->pos() != pointer + QPoint(-2, 20))
        return 16;
    QTest::qWait(200);
    const QRect area = QRect(form.frameGeometry().topLeft(), QSize(480, 140));
    form.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(balloon_path());
    // Moving off the button hides it.
    QCursor::setPos(form.mapToGlobal(QPoint(500, 400)));
    if (!wait_until([&] { return !balloon->isVisible(); }, 5000))
        return 17;
    form.close();
    wait_until([&] { return controllers.running() == 0; }, 5000);
    return 0;
}

}  // namespace

class MainWindowScreenshotTest : public QObject {
    Q_OBJECT

private slots:
    void call_in_progress_under_xvfb();
};

void MainWindowScreenshotTest::call_in_progress_under_xvfb()
{
    if (QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        QSKIP("Xvfb is not installed");
    QFile::remove(screenshot_path());

    const auto [code, output] = rerun_on_own_x_server(
        {{QString::fromLatin1(kChildMarker), QStringLiteral("1")},
         {QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("vekorra.watch.debug=true")}},
        120000);
    QVERIFY2(code == 0, qPrintable(QStringLiteral("exit %1: %2").arg(code).arg(output)));

    QVERIFY2(output.contains(QStringLiteral("window held on top")), qPrintable(output));

    const QImage image(screenshot_path());
    QVERIFY(!image.isNull());
    QVERIFY(image.width() >= 737 && image.height() >= 545);
    // The display of phone 1 shows the call on light green.
    QCOMPARE(image.pixelColor(8 + 8 + 200, image.height() - 545 + 40 + 16 + 50), QColor(128, 255, 128));
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kChildMarker))
        return take_screenshot();
    MainWindowScreenshotTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window_screenshot.moc"
