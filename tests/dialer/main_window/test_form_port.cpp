// The main window offscreen, with a real store and recording seams: the
// start-up, the menus, the status panel, the watchers, the skinned buttons
// and the balloon tooltip.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QScrollBar>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>
#include <memory>

#include "dialer/main_window/ballon_tip.h"
#include "dialer/main_window/form_port.h"
#include "dialer/main_window/start_mode.h"
#include "platform/link_opener.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "test_env.h"

using main_window::CallButton;
using main_window::Placeholder;
using main_window::SkinFamily;
using main_window::SkinRole;

namespace {

const QString kApp = QStringLiteral("Kestrum");
const char kSkinScenario[] = "VEKORRA_TEST_SKIN_FOLDER";

void put(int section, const QString& key, const QString& value)
{
    write_setting(kApp, QString::number(section), key, value);
}

QString get(int section, const QString& key)
{
    return read_setting(kApp, QString::number(section), key, QStringLiteral("<absent>"));
}

QString skin_folder() { return TestEnv::build_dir() + QStringLiteral("/icons"); }

struct RecordingOpener : platform::LinkOpener {
    QStringList addresses;
    platform::OpenResult open_address(const QString& address) override
    {
        addresses.append(address);
        return {true, 0};
    }
};

// A shown main window over the build folder's skin, its controllers
// recorded instead of started.
struct Window {
    TestEnv env;
    LauncherScope launcher;
    MessageRecorder messages;
    std::unique_ptr<FormPort> form;

    explicit Window(bool shown = true)
    {
        form = std::make_unique<FormPort>(TestEnv::build_dir(), QStringLiteral("https://vekorra.example/download"));
        form->start_up();
        if (shown) {
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        }
    }
    SkinButton* button(int slot, CallButton which) const { return form->frame(slot)->button(which); }
};

qint64 picture_key(SkinFamily family, SkinRole role)
{
    static SkinPictures pictures(skin_folder());
    return pictures.picture(family, role).cacheKey();
}

bool shows(SkinButton* button, SkinRole role)
{
    // The same file read twice gives two pixmaps; compare their images.
    static SkinPictures pictures(skin_folder());
    return button->shown_role() == role
           && button->pixmap().toImage() == pictures.picture(main_window::family_of(button->button()), role).toImage();
}

QColor display_colour(PhoneFrame* frame)
{
    return frame->ekran()->palette().color(QPalette::Base);
}

}  // namespace

class FormPortTest : public QObject {
    Q_OBJECT

private slots:
    void layout_and_texts();
    void start_up_starts_enabled_controllers_and_shows_their_frames();
    void disconnect_then_connect();
    void closing_withdraws_all_four_permissions();
    void status_pass_paints_each_slot_on_its_own();
    void buttons_write_their_command_to_the_slot_of_their_frame_data();
    void buttons_write_their_command_to_the_slot_of_their_frame();
    void add_party_button_opens_the_slots_window();
    void hover_press_release_and_restore_pictures();
    void secondary_press_shows_pressed_then_normal_and_writes_nothing();
    void incoming_call_is_shown_in_the_call_log();
    void pending_request_holds_the_window_on_top_briefly();
    void minimised_window_stays_minimised_while_a_request_waits();
    void call_button_with_empty_field_only_warns();
    void call_button_hands_the_typed_text_to_the_dial_entry();
    void update_link_opens_the_download_page();
    void settings_menu_opens_the_settings_window_while_timers_run();
    void display_shows_three_calls_without_a_scroll_bar();
    void keyboard_reaches_and_presses_every_control();
    void screen_readers_see_named_buttons_and_the_display();
    void balloon_shows_below_the_pointer_and_hides_on_leave();
    void balloon_is_drawn_with_its_pointer_and_body();
    void missing_or_unreadable_picture_ends_the_dialer_data();
    void missing_or_unreadable_picture_ends_the_dialer();
};

void FormPortTest::layout_and_texts()
{
    Window w;
    QCOMPARE(w.form->windowTitle(), QStringLiteral("Vekorra"));
    QCOMPARE(w.form->number_field()->geometry(), QRect(16, 8, 209, 19));
    QCOMPARE(w.form->call_button()->geometry(), QRect(232, 5, 105, 25));
    QCOMPARE(w.form->call_button()->text(), QStringLiteral("Позвонить"));
    QCOMPARE(w.form->update_link()->geometry(), QRect(608, 24, 121, 17));
    QCOMPARE(w.form->frame(1)->geometry(), QRect(8, 40, 353, 121));
    QCOMPARE(w.form->frame(2)->geometry(), QRect(368, 40, 353, 121));
    QCOMPARE(w.form->frame(3)->geometry(), QRect(8, 160, 353, 121));
    QCOMPARE(w.form->frame(4)->geometry(), QRect(368, 160, 353, 121));
    QCOMPARE(w.form->frame(3)->title(), QStringLiteral("Телефон3"));
    QCOMPARE(w.form->frame(4)->title(), QStringLiteral("Телефон 4"));
    // The display leaves room on its right for the keypad button.
    QCOMPARE(w.form->frame(1)->ekran()->geometry(), QRect(8, 16, 281, 57));
    QCOMPARE(w.form->frame(1)->keypad_button()->geometry(), QRect(296, 30, 49, 28));
    QCOMPARE(w.button(2, CallButton::kf_oj_k)->geometry(), QRect(240, 80, 49, 28));
    QCOMPARE(w.form->frame(2)->placeholder(Placeholder::pol_na)->geometry(), QRect(120, 80, 49, 28));
    QCOMPARE(w.form->number_field()->palette().color(QPalette::Base), QColor(Qt::yellow));
    // Before the first pass: buttons as designed, placeholders hidden.
    QVERIFY(!w.button(1, CallButton::prin2_k)->isHidden());
    QVERIFY(w.form->frame(1)->placeholder(Placeholder::prin_na)->isHidden());
}

void FormPortTest::start_up_starts_enabled_controllers_and_shows_their_frames()
{
    TestEnv env;
    LauncherScope launcher;
    put(2, "ON", "true");
    put(3, "ON", "1");
    put(4, "ON", "0");
    FormPort form(TestEnv::build_dir());
    QVERIFY(launcher.launcher.starts.isEmpty());  // not before the start-up
    form.start_up();

    QCOMPARE(launcher.launcher.starts.size(), 2);
    QCOMPARE(launcher.launcher.starts[0].program, TestEnv::build_dir() + "/1/kestrum");
    QCOMPARE(launcher.launcher.starts[0].arguments, QStringList{"0"});
    QCOMPARE(launcher.launcher.starts[1].program, TestEnv::build_dir() + "/3/kestrum");
    QVERIFY(!form.frame(1)->isHidden());
    QVERIFY(form.frame(2)->isHidden());
    QVERIFY(!form.frame(3)->isHidden());
    QVERIFY(form.frame(4)->isHidden());
    QCOMPARE(get(3, "on_przv_exe"), QStringLiteral("1"));

    // The settings window shows and hides panels through the same window.
    form.set_phone_panel_visible(2, true);
    QVERIFY(!form.frame(2)->isHidden());
    form.start_controller(4);
    QCOMPARE(launcher.launcher.starts.last().program, TestEnv::build_dir() + "/4/kestrum");
    QCOMPARE(get(4, "on_przv_exe"), QStringLiteral("1"));
}

void FormPortTest::disconnect_then_connect()
{
    Window w;
    put(2, "ON", "1");
    w.form->disconnect_action()->trigger();
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(get(slot, "on_przv_exe"), QStringLiteral("0"));
    QVERIFY(w.form->isVisible());

    w.form->connect_action()->trigger();
    QCOMPARE(get(1, "on_przv_exe"), QStringLiteral("1"));
    QCOMPARE(get(2, "on_przv_exe"), QStringLiteral("1"));
    QCOMPARE(get(3, "on_przv_exe"), QStringLiteral("0"));
    QCOMPARE(get(4, "on_przv_exe"), QStringLiteral("0"));
    QVERIFY(!w.form->frame(2)->isHidden());
}

void FormPortTest::closing_withdraws_all_four_permissions()
{
    Window w;
    put(3, "on_przv_exe", "1");
    QVERIFY(w.form->close());
    for (int slot = 1; slot <= 4; ++slot)
        QCOMPARE(get(slot, "on_przv_exe"), QStringLiteral("0"));
}

void FormPortTest::status_pass_paints_each_slot_on_its_own()
{
    Window w;
    put(1, "model", "Nokia 6230");
    put(1, "on_pr", "True");
    put(1, "status", "Ожидание ответа....@@@@@@");
    put(1, "zvonok", "0671234567@@@@@@");
    put(1, "knopki_zv", "0@0@0@0@1@0@0@0@0@0@0");
    // Slot 2 never ran; slot 3 runs without a port.
    put(3, "model", "ER");
    put(3, "on_pr", "False");
    put(3, "status", "@@@@@@");
    put(3, "zvonok", "@@@@@@");
    w.form->run_status_pass();

    PhoneFrame* one = w.form->frame(1);
    QCOMPARE(one->ekran()->toPlainText(), QStringLiteral("Ожидание ответа.... 0671234567"));
    QCOMPARE(display_colour(one), QColor(128, 255, 128));
    QVERIFY(!one->button(CallButton::pol_tr2_k)->isHidden());
    QVERIFY(one->button(CallButton::prin2_k)->isHidden());
    QVERIFY(one->placeholder(Placeholder::pol_na)->isHidden());
    QVERIFY(!one->placeholder(Placeholder::prin_na)->isHidden());

    PhoneFrame* two = w.form->frame(2);
    QCOMPARE(two->ekran()->toPlainText(), QString());
    QCOMPARE(display_colour(two), QColor(224, 224, 224));
    QVERIFY(!two->button(CallButton::prin2_k)->isHidden());

    PhoneFrame* three = w.form->frame(3);
    QCOMPARE(three->ekran()->toPlainText(), QStringLiteral("ER < НЕТ СВЯЗИ >"));
    QCOMPARE(display_colour(three), QColor(224, 224, 224));
    QVERIFY(three->button(CallButton::pol_tr2_k)->isHidden());
    QVERIFY(!three->placeholder(Placeholder::Image3)->isHidden());

    put(1, "status", "@@@@@@");
    w.form->run_status_pass();
    QCOMPARE(one->ekran()->toPlainText(), QStringLiteral("Nokia 6230"));
    QCOMPARE(display_colour(one), QColor(255, 255, 192));
}

void FormPortTest::buttons_write_their_command_to_the_slot_of_their_frame_data()
{
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("key");
    const QStringList keys{"vzat_t_pr", "poloz_t_pr", "vzat_t", "ud_otklon", "poloz_t", "vzat_t",
                           "poloz_t", "kf", "kf1", "kf_oj"};
    for (int field = 0; field < keys.size(); ++field) {
        const int slot = 1 + field % 4;
        const QString name = main_window::button_name(main_window::call_button(field));
        QTest::newRow(qPrintable(QStringLiteral("%1 of Телефон %2").arg(name).arg(slot)))
            << slot << field << keys[field];
    }
}

void FormPortTest::buttons_write_their_command_to_the_slot_of_their_frame()
{
    QFETCH(int, slot);
    QFETCH(int, field);
    QFETCH(QString, key);
    Window w;
    for (int other = 2; other <= 4; ++other)
        w.form->set_phone_panel_visible(other, true);
    SkinButton* button = w.button(slot, main_window::call_button(field));
    button->raise();  // the one on top of its position takes the pointer
    const auto before = settings_store::list_settings(kApp);

    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 10));
    QCOMPARE(get(slot, key), QStringLiteral("1"));
    const auto after = settings_store::list_settings(kApp);
    QCOMPARE(after.size(), before.size() + 1);  // nothing else was written
    QVERIFY(shows(button, SkinRole::Normal));
}

void FormPortTest::add_party_button_opens_the_slots_window()
{
    Window w;
    w.form->set_phone_panel_visible(4, true);
    const auto before = settings_store::list_settings(kApp);
    QTest::mouseClick(w.button(4, CallButton::kf_dob_k), Qt::LeftButton, {}, QPoint(20, 10));

    QWidget* opened = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->isVisible() && top->windowTitle().endsWith(QStringLiteral("(Телефон 4)")))
            opened = top;
    }
    QVERIFY(opened != nullptr);
    QVERIFY(!opened->isModal());
    QCOMPARE(settings_store::list_settings(kApp).size(), before.size());
    opened->hide();
}

void FormPortTest::hover_press_release_and_restore_pictures()
{
    Window w;
    PhoneFrame* frame = w.form->frame(1);
    SkinButton* answer = w.button(1, CallButton::prin2_k);
    answer->raise();
    QVERIFY(shows(answer, SkinRole::Normal));
    QCOMPARE(frame->hover_mark(CallButton::prin2_k), 0);

    QTest::mouseMove(answer, QPoint(10, 10));
    QTRY_VERIFY(shows(answer, SkinRole::Hover));
    QCOMPARE(frame->hover_mark(CallButton::prin2_k), 1);

    QTest::mousePress(answer, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shows(answer, SkinRole::Pressed));
    QTest::mouseRelease(answer, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(shows(answer, SkinRole::Normal));

    // Onto the display: the hover picture stays.
    QTest::mouseMove(answer, QPoint(12, 12));
    QTRY_VERIFY(shows(answer, SkinRole::Hover));
    QTest::mouseMove(frame->ekran()->viewport(), QPoint(30, 20));
    QTest::qWait(20);
    QVERIFY(shows(answer, SkinRole::Hover));
    // Over a visible placeholder: still no restore.
    frame->button(CallButton::kf_k)->hide();
    frame->button(CallButton::kf1_k)->hide();
    frame->placeholder(Placeholder::Image1)->show();
    QTest::mouseMove(frame->placeholder(Placeholder::Image1), QPoint(10, 10));
    QTest::qWait(20);
    QVERIFY(shows(answer, SkinRole::Hover));
    // Over the frame's own surface: restored, and the mark cleared.
    QTest::mouseMove(frame, QPoint(180, 114));
    QTRY_VERIFY(shows(answer, SkinRole::Normal));
    QCOMPARE(frame->hover_mark(CallButton::prin2_k), 0);

    // Over the window's own surface, for a button of another frame.
    SkinButton* swap = w.button(1, CallButton::kf_oj_k);
    QTest::mouseMove(swap, QPoint(5, 5));
    QTRY_VERIFY(shows(swap, SkinRole::Hover));
    QTest::mouseMove(w.form->centralWidget(), QPoint(570, 32));
    QTRY_VERIFY(shows(swap, SkinRole::Normal));
    QVERIFY(picture_key(SkinFamily::ok, SkinRole::Hover) != picture_key(SkinFamily::ok, SkinRole::Normal));
}

void FormPortTest::secondary_press_shows_pressed_then_normal_and_writes_nothing()
{
    Window w;
    SkinButton* hang_up = w.button(2, CallButton::pol_tr2_k);
    w.form->set_phone_panel_visible(2, true);
    hang_up->raise();
    const auto before = settings_store::list_settings(kApp);
    QTest::mousePress(hang_up, Qt::RightButton, {}, QPoint(10, 10));
    QVERIFY(shows(hang_up, SkinRole::Pressed));
    QTest::mouseRelease(hang_up, Qt::RightButton, {}, QPoint(10, 10));
    QVERIFY(shows(hang_up, SkinRole::Normal));
    QCOMPARE(get(2, "poloz_t"), QStringLiteral("<absent>"));
    QCOMPARE(settings_store::list_settings(kApp).size(), before.size());
}

void FormPortTest::incoming_call_is_shown_in_the_call_log()
{
    Window w;
    put(3, "vhod_zvonok", "0507654321");
    put(3, "vhod_zvonok_time", "14:05:33");
    w.form->run_incoming_watcher();
    QCOMPARE(w.form->last_call_number()->text(), QStringLiteral("0507654321"));
    QCOMPARE(w.form->last_call_time()->text(), QStringLiteral("14:05:33"));
    // A later "" of the controller is consumed without effect.
    put(3, "vhod_zvonok", "");
    put(3, "vhod_zvonok_time", "14:05:40");
    w.form->run_incoming_watcher();
    QCOMPARE(w.form->last_call_number()->text(), QStringLiteral("0507654321"));
    QCOMPARE(w.form->last_call_time()->text(), QStringLiteral("14:05:33"));
}

void FormPortTest::pending_request_holds_the_window_on_top_briefly()
{
    Window w;
    MockClock clock;
    const QPoint where = w.form->pos();
    w.form->run_call_request_watcher();
    QVERIFY(clock.sleeps.isEmpty());

    // A request that no controller takes (none runs for its slot) raises
    // the window once, not at every tick.
    put(1, "pozvonit", "0671234567");
    for (int tick = 0; tick < 5; ++tick)
        w.form->run_call_request_watcher();
    QCOMPARE(clock.sleeps, (QList<int>{100}));
    QVERIFY(!(w.form->windowHandle()->flags() & Qt::WindowStaysOnTopHint));
    QVERIFY(w.form->isVisible());
    QCOMPARE(w.form->pos(), where);
    QCOMPARE(get(1, "pozvonit"), QStringLiteral("0671234567"));

    // A further request, and one after the first was taken, raise it again.
    put(3, "pozvonit", "0501112233");
    w.form->run_call_request_watcher();
    w.form->run_call_request_watcher();
    QCOMPARE(clock.sleeps.size(), 2);
    put(1, "pozvonit", "");
    put(3, "pozvonit", "");
    w.form->run_call_request_watcher();
    put(1, "pozvonit", "0671234567");
    w.form->run_call_request_watcher();
    QCOMPARE(clock.sleeps.size(), 3);

    write_setting("Vekorra", "drugoe", "wind", "0");
    put(2, "pozvonit", "0442223344");
    w.form->run_call_request_watcher();
    QCOMPARE(clock.sleeps.size(), 3);
}

void FormPortTest::minimised_window_stays_minimised_while_a_request_waits()
{
    Window w;
    MockClock clock;
    w.form->showMinimized();
    QTRY_VERIFY(w.form->isMinimized());
    put(2, "pozvonit", "0671234567");
    w.form->run_call_request_watcher();
    QCOMPARE(clock.sleeps.size(), 1);
    QVERIFY(w.form->isMinimized());

    // A hidden window is not shown either.
    w.form->hide();
    w.form->run_call_request_watcher();
    QVERIFY(w.form->isHidden());
}

void FormPortTest::call_button_with_empty_field_only_warns()
{
    Window w;
    QTest::mouseClick(w.form->call_button(), Qt::LeftButton);
    QCOMPARE(w.messages.texts, QStringList{"Не введён номер!"});
    QCOMPARE(get(1, "pozvonit"), QStringLiteral("<absent>"));
    QVERIFY(w.form->isVisible());
}

void FormPortTest::call_button_hands_the_typed_text_to_the_dial_entry()
{
    Window w;
    put(1, "on_przv_exe", "1");
    put(1, "on_pr", "True");
    QTest::keyClicks(w.form->number_field(), "8 (067) 123-45-67");
    QTest::mouseClick(w.form->call_button(), Qt::LeftButton);
    QCOMPARE(get(1, "pozvonit"), QStringLiteral("0671234567"));
    QCOMPARE(w.form->number_field()->text(), QStringLiteral("8 (067) 123-45-67"));
    QVERIFY(w.messages.texts.isEmpty());
}

void FormPortTest::update_link_opens_the_download_page()
{
    Window w;
    RecordingOpener opener;
    platform::set_link_opener(&opener);
    QTest::mouseClick(w.form->update_link(), Qt::LeftButton, {}, QPoint(20, 8));
    platform::set_link_opener(nullptr);
    QCOMPARE(opener.addresses, QStringList{QStringLiteral("https://vekorra.example/download")});
}

void FormPortTest::settings_menu_opens_the_settings_window_while_timers_run()
{
    Window w;
    QString opened;
    bool panel_refreshed = false;
    QTimer::singleShot(100, [&] { put(2, "vhod_zvonok", "0442223344"); });
    QTimer::singleShot(600, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal) {
            opened = modal->windowTitle();
            panel_refreshed = w.form->last_call_number()->text() == QLatin1String("0442223344");
            modal->hide();
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
    });
    w.form->settings_action()->trigger();
    QCOMPARE(opened, QStringLiteral("Настройки программы"));
    QVERIFY(panel_refreshed);
}

void FormPortTest::display_shows_three_calls_without_a_scroll_bar()
{
    Window w;
    // Three established calls: no summary in field 0, one row each.
    put(1, "status", "@Разговор@Удержание@Разговор@@@");
    put(1, "zvonok", "@0671111111@0672222222@0673333333@@@");
    put(1, "knopki_zv", "0@0@0@0@1@0@0@0@0@0@0");
    w.form->run_status_pass();
    QPlainTextEdit* display = w.form->frame(1)->ekran();
    QCOMPARE(display->toPlainText(),
             QStringLiteral("Разговор 0671111111\nУдержание 0672222222\nРазговор 0673333333"));
    QApplication::processEvents();
    QCOMPARE(display->verticalScrollBar()->maximum(), 0);
    QVERIFY(!display->verticalScrollBar()->isVisible());
}

void FormPortTest::keyboard_reaches_and_presses_every_control()
{
    Window w;
    w.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
    put(1, "status", "@@@@@@");
    put(1, "zvonok", "@@@@@@");
    put(1, "knopki_zv", "0@0@0@0@1@1@1@0@0@0@1");
    w.form->run_status_pass();

    // Tab from the number field round the window, back to it.
    w.form->number_field()->setFocus(Qt::TabFocusReason);
    QList<QWidget*> reached;
    for (int step = 0; step < 60 && (reached.isEmpty() || reached.last() != w.form->number_field()); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.append(QApplication::focusWidget());
    }
    PhoneFrame* one = w.form->frame(1);
    const QList<QWidget*> expected{w.form->call_button(), w.form->update_link(), one->ekran(),
                                   one->button(CallButton::prin2_k), one->button(CallButton::pol_tr2_k),
                                   one->button(CallButton::otklon2_k), one->button(CallButton::kf_dob_k),
                                   w.form->last_call_number(), w.form->last_call_time()};
    for (QWidget* control : expected)
        QVERIFY2(reached.contains(control), qPrintable(control->objectName()));
    // In order along the frame's positions.
    QVERIFY(reached.indexOf(one->button(CallButton::prin2_k)) < reached.indexOf(one->button(CallButton::otklon2_k)));
    QVERIFY(reached.indexOf(one->button(CallButton::otklon2_k)) < reached.indexOf(one->button(CallButton::kf_dob_k)));
    QVERIFY(!reached.contains(one->button(CallButton::kf_k)));  // hidden

    // The focus is marked on the picture.
    SkinButton* answer = one->button(CallButton::prin2_k);
    answer->clearFocus();
    const QImage unfocused = answer->grab().toImage();
    answer->setFocus(Qt::TabFocusReason);
    QVERIFY(answer->grab().toImage() != unfocused);

    // Space and Enter press the skinned buttons.
    QTest::keyClick(answer, Qt::Key_Space);
    QCOMPARE(get(1, "vzat_t"), QStringLiteral("1"));
    QVERIFY(shows(answer, SkinRole::Normal));
    SkinButton* reject = one->button(CallButton::otklon2_k);
    reject->setFocus(Qt::TabFocusReason);
    QTest::keyClick(reject, Qt::Key_Return);
    QCOMPARE(get(1, "poloz_t"), QStringLiteral("1"));

    // Enter in the number field dials, as "Позвонить" does.
    put(1, "on_przv_exe", "1");
    put(1, "on_pr", "True");
    w.form->number_field()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(w.form->number_field(), "067 123-45-67");
    QTest::keyClick(w.form->number_field(), Qt::Key_Return);
    QCOMPARE(get(1, "pozvonit"), QStringLiteral("0671234567"));

    // Enter on the update link opens the download page.
    RecordingOpener opener;
    platform::set_link_opener(&opener);
    w.form->update_link()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.form->update_link(), Qt::Key_Enter, Qt::KeypadModifier);
    platform::set_link_opener(nullptr);
    QCOMPARE(opener.addresses.size(), 1);
}

void FormPortTest::screen_readers_see_named_buttons_and_the_display()
{
    Window w;
    for (int field = 0; field < main_window::kCallButtonCount; ++field) {
        const CallButton which = main_window::call_button(field);
        QAccessibleInterface* seen = QAccessible::queryAccessibleInterface(w.button(1, which));
        QVERIFY(seen);
        QCOMPARE(seen->role(), QAccessible::Button);
        QCOMPARE(seen->text(QAccessible::Name), main_window::button_caption(which));
        QVERIFY(seen->actionInterface()
                && seen->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
    QCOMPARE(main_window::button_caption(CallButton::pol_tr2_k), QStringLiteral("Положить трубку"));
    QCOMPARE(main_window::button_caption(CallButton::prin2_k), QStringLiteral("Ответить"));
    QAccessibleInterface* placeholder =
        QAccessible::queryAccessibleInterface(w.form->frame(1)->placeholder(Placeholder::prin_na));
    QCOMPARE(placeholder->text(QAccessible::Name), QStringLiteral("Ответить"));
    QCOMPARE(placeholder->role(), QAccessible::Button);
    QVERIFY(placeholder->state().disabled);
    QCOMPARE(QAccessible::queryAccessibleInterface(w.form->update_link())->role(), QAccessible::Button);

    // Pressed through its accessible action, the button does its work.
    QAccessible::queryAccessibleInterface(w.button(2, CallButton::kf_k))
        ->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(get(2, "kf"), QStringLiteral("1"));

    put(1, "status", "Разговор@@@@@@");
    put(1, "zvonok", "0671234567@@@@@@");
    w.form->run_status_pass();
    QAccessibleInterface* display = QAccessible::queryAccessibleInterface(w.form->frame(1)->ekran());
    QCOMPARE(display->text(QAccessible::Name), QStringLiteral("Экран: Телефон 1"));
    QVERIFY(display->textInterface());
    QCOMPARE(display->textInterface()->text(0, display->textInterface()->characterCount()),
             QStringLiteral("Разговор 0671234567"));
}

void FormPortTest::balloon_shows_below_the_pointer_and_hides_on_leave()
{
    Window w;
    Ballon_tip::Balloon* balloon = w.form->findChild<Ballon_tip::Balloon*>();
    QVERIFY(balloon != nullptr);
    QCOMPARE(balloon->text(), QStringLiteral("Позвонить"));
    QVERIFY(!balloon->isVisible());

    QPushButton* call = w.form->call_button();
    const QPoint pointer = call->mapToGlobal(QPoint(30, 10));
    QHelpEvent hover(QEvent::ToolTip, QPoint(30, 10), pointer);
    QApplication::sendEvent(call, &hover);
    QVERIFY(balloon->isVisible());
    QCOMPARE(balloon->pos(), pointer + QPoint(-2, 20));
    QCOMPARE(balloon->size(), Ballon_tip::balloon_size(QStringLiteral("Позвонить")));
    const QSize text = QFontMetrics(Ballon_tip::balloon_font()).size(0, QStringLiteral("Позвонить"));
    QCOMPARE(balloon->size(), text + QSize(16, 24));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(call, &leave);
    QVERIFY(!balloon->isVisible());

    QApplication::sendEvent(call, &hover);
    QTest::mousePress(call, Qt::LeftButton);
    QVERIFY(!balloon->isVisible());
    QTest::mouseRelease(call, Qt::LeftButton);
}

void FormPortTest::balloon_is_drawn_with_its_pointer_and_body()
{
    const QFont font = Ballon_tip::balloon_font();
    QCOMPARE(font.pixelSize(), 13);
    QCOMPARE(font.weight(), QFont::Normal);
    if (QFile::exists("/usr/share/wine/fonts/tahoma.ttf"))
        QCOMPARE(QFontInfo(font).family(), QStringLiteral("Tahoma"));

    Window w(false);
    auto* balloon = Ballon_tip::Add_balloon(w.form->number_field(), QStringLiteral("Две\nстроки"), w.form.get());
    balloon->show_at(QPoint(100, 100));
    const QSize size = balloon->size();
    QCOMPARE(size, Ballon_tip::balloon_size(QStringLiteral("Две\nстроки")));
    QVERIFY(size.height() > 2 * 13);

    const QImage image = balloon->grab().toImage();
    const QColor fill = balloon->palette().color(QPalette::ToolTipBase);
    QCOMPARE(image.pixelColor(10, 6), fill);                     // inside the pointer
    QCOMPARE(image.pixelColor(3, size.height() / 2), fill);      // inside the body, left of the text
    QCOMPARE(image.pixelColor(0, size.height() / 2), QColor(64, 64, 64));  // the outline
    const QRegion shape = balloon->mask();
    QVERIFY(shape.contains(QPoint(10, 6)));
    QVERIFY(!shape.contains(QPoint(2, 2)));
    QVERIFY(!shape.contains(QPoint(24, 3)));
    QVERIFY(shape.contains(QPoint(size.width() / 2, size.height() - 3)));
}

void FormPortTest::missing_or_unreadable_picture_ends_the_dialer_data()
{
    QTest::addColumn<QString>("broken");     // the file to spoil
    QTest::addColumn<bool>("remove");        // remove it, else fill it with text
    QTest::newRow("missing placeholder picture") << "no_na.jpg" << true;
    QTest::newRow("unreadable button picture") << "kf.jpg" << false;
    // Shown only once the pointer is over a button: read at start all the same.
    QTest::newRow("missing hover picture") << "ok_f.jpg" << true;
}

void FormPortTest::missing_or_unreadable_picture_ends_the_dialer()
{
    QFETCH(QString, broken);
    QFETCH(bool, remove);
    TestEnv env;
    QTemporaryDir install;
    QDir(install.path()).mkpath("icons");
    for (const QString& name : QDir(skin_folder()).entryList({"*.jpg"}, QDir::Files))
        QVERIFY(QFile::copy(skin_folder() + "/" + name, install.filePath("icons/" + name)));
    const QString spoiled = install.filePath("icons/" + broken);
    QVERIFY(QFile::remove(spoiled));
    if (!remove) {
        QFile text(spoiled);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("not a picture");
    }

    // The dialer ends its process: run the start-up in a child of this test.
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kSkinScenario, install.path());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30000));
    const QString errors = QString::fromUtf8(child.readAllStandardError());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QVERIFY2(child.exitCode() != 0, qPrintable(errors));
    QVERIFY2(errors.contains(QStringLiteral("Vekorra: Не удалось загрузить рисунок: ") + spoiled),
             qPrintable(errors));
    QVERIFY2(!errors.contains("started up"), qPrintable(errors));
    // No controller was allowed to run before the dialer ended.
    QCOMPARE(get(1, "on_przv_exe"), QStringLiteral("<absent>"));
}

// The child of missing_or_unreadable_picture_ends_the_dialer: a window
// start-up over a broken skin, with messages on standard error only.
static int run_broken_skin_start_up(const QString& installation)
{
    FormPort form(installation);
    form.start_up();
    std::fprintf(stderr, "started up\n");
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kSkinScenario))
        return run_broken_skin_start_up(qEnvironmentVariable(kSkinScenario));
    FormPortTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_form_port.moc"
