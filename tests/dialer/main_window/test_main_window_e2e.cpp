// The dialer's main window with a real controller in folder 1 of the build
// and the phone simulator on port 1; then a hand-over by a real dialer
// process.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QtTest>

#include "running_dialer.h"
#include "dialer/main_window/form_port.h"
#include "phonesim_driver.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using main_window::CallButton;

namespace {

QString slot1(const QString& key)
{
    return read_setting(QStringLiteral("Kestrum"), QStringLiteral("1"), key, QString());
}

bool offered(FormPort& form, CallButton button)
{
    return !form.frame(1)->button(button)->isHidden();
}

}  // namespace

class MainWindowEndToEndTest : public QObject {
    Q_OBJECT

private slots:
    void dial_answer_ring_and_hand_over();
};

void MainWindowEndToEndTest::dial_answer_ring_and_hand_over()
{
    TestEnv env;
    PhoneSim phone({"--mode", "gsm", "--alert-ms", "100", "--model", "Demo GSM"});
    QVERIFY2(phone.ready(), qPrintable(phone.output()));
    RunningDialer dialer;
    dialer.start();
    FormPort& form = dialer.form;
    const MessageRecorder& messages = dialer.messages;
    const ChildLauncher& controllers = dialer.controllers;
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(controllers.running(), 1);

    // The controller connects: the display shows the model on light yellow.
    QVERIFY2(wait_until([&] { return form.frame(1)->display_text() == "Demo GSM"; }, 15000),
             qPrintable(form.frame(1)->display_text()));
    QCOMPARE(form.frame(1)->display_colour(), main_window::DisplayColour::LightYellow);

    QTest::keyClicks(form.number_field(), "067 123 45 67");
    QTest::mouseClick(form.call_button(), Qt::LeftButton);
    QVERIFY2(phone.wait_for_command("ATD0671234567;", 10000), qPrintable(phone.received().join('|')));
    QVERIFY(wait_until([&] { return form.frame(1)->display_colour() == main_window::DisplayColour::LightGreen
                                    && offered(form, CallButton::pol_tr2_k); }, 10000));
    QVERIFY(form.frame(1)->display_text().contains("0671234567"));
    QVERIFY(phone.control("answer"));
    QVERIFY(wait_until([&] { return form.frame(1)->display_text().startsWith("Разг."); }, 10000));

    SkinButton* hang_up = form.frame(1)->button(CallButton::pol_tr2_k);
    hang_up->raise();
    QTest::mouseClick(hang_up, Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(phone.wait_for_command("AT+CHUP", 10000));
    QVERIFY(wait_until([&] { return form.frame(1)->display_colour() == main_window::DisplayColour::LightYellow
                                    && !offered(form, CallButton::pol_tr2_k); }, 10000));

    // The far end rings in: the call log shows the number and time, and
    // the answer and reject buttons are offered.
    QVERIFY(phone.control("incoming 0501112233"));
    QVERIFY(wait_until([&] { return form.last_call_number()->text() == "0501112233"; }, 10000));
    QVERIFY2(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d$").match(form.last_call_time()->text()).hasMatch(),
             qPrintable(form.last_call_time()->text()));
    QVERIFY(wait_until([&] { return offered(form, CallButton::prin2_k) && offered(form, CallButton::otklon2_k); },
                       10000));
    SkinButton* answer = form.frame(1)->button(CallButton::prin2_k);
    answer->raise();
    QTest::mouseClick(answer, Qt::LeftButton, {}, QPoint(20, 10));
    QVERIFY(phone.wait_for_command("ATA", 10000));
    QVERIFY(phone.control("hangup"));
    QVERIFY(wait_until([&] { return !offered(form, CallButton::pol_tr2_k); }, 10000));

    // A number handed over to a second dialer process reaches the phone.
    QProcess hand_over;
    hand_over.setProcessChannelMode(QProcess::MergedChannels);
    hand_over.start(TestEnv::build_dir() + "/vekorra", {"8", "(067)", "123-45-67"});
    const bool ended = hand_over.waitForFinished(20000);
    if (!ended)
        hand_over.kill();
    QVERIFY2(ended, qPrintable(hand_over.readAll()));
    QCOMPARE(hand_over.exitCode(), 0);
    QVERIFY2(phone.wait_for_command("ATD0671234567;", 10000, 2), qPrintable(phone.received().join('|')));
    QVERIFY(messages.texts.isEmpty());

    // A tel: link from the desktop: the scheme is cleaned away with the
    // other non-digits.
    QProcess link;
    link.setProcessChannelMode(QProcess::MergedChannels);
    link.start(TestEnv::build_dir() + "/vekorra", {"tel:+380671234567"});
    QVERIFY(link.waitForFinished(20000));
    QCOMPARE(link.exitCode(), 0);
    QVERIFY2(phone.wait_for_command("ATD+380671234567;", 10000), qPrintable(phone.received().join('|')));

    // Closing the window lets the controller end in order.
    form.close();
    QVERIFY(wait_until([] { return slot1("on_pr_exe") == "0"; }, 10000));
    QVERIFY(wait_until([&] { return controllers.running() == 0; }, 5000));
}

QTEST_MAIN(MainWindowEndToEndTest)
#include "test_main_window_e2e.moc"
