// The controller's window shows the engines' view and turns its two
// buttons into the controller's connect and disconnect requests; the About
// window ends with OK.
#include <QtTest>

#include <QApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "controller/form_port.h"
#include "controller_fixture.h"

namespace {
QPushButton* button(QWidget& window, const QString& caption)
{
    for (QPushButton* candidate : window.findChildren<QPushButton*>())
        if (candidate->text() == caption)
            return candidate;
    return nullptr;
}

bool shows_text(QWidget& window, const QString& text)
{
    for (QLabel* label : window.findChildren<QLabel*>())
        if (label->text() == text && label->isVisible())
            return true;
    return false;
}
}  // namespace

class TestControllerWindow : public QObject {
    Q_OBJECT

private slots:
    void connect_and_disconnect_drive_the_engine_timer();
    void window_shows_a_call_and_the_lists();
    void closing_the_window_ends_in_order();
    void about_window_ends_with_ok();
};

void TestControllerWindow::connect_and_disconnect_drive_the_engine_timer()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Телефонный Kestrum"));
    rig.controller->start(false);
    QPushButton* connect = button(window, QStringLiteral("Подклчюить"));
    QVERIFY(connect && connect->isVisible());
    rig.controller->service_tick();
    QVERIFY(!rig.controller->engine_timer().isActive());  // started by hand only
    connect->click();
    rig.controller->service_tick();
    QVERIFY(rig.controller->engine_timer().isActive());
    rig.controller->engine_timer().stop();
    rig.tick();
    rig.tick();  // an engine tick shows the model that the one before probed
    window.refresh();
    QVERIFY(!connect->isVisible());  // the link works
    QVERIFY(shows_text(window, QStringLiteral("PhoneSim 3000")));
    QVERIFY(rig.controller->serial().PortOpen());
    button(window, QStringLiteral("Отключить"))->click();
    rig.controller->service_tick();
    QVERIFY(!rig.controller->engine_timer().isActive());
    QVERIFY(!rig.controller->serial().PortOpen());
}

void TestControllerWindow::window_shows_a_call_and_the_lists()
{
    ControllerRig rig;
    QVERIFY(rig.phone.ready());
    kestrum::FormPort window(*rig.controller);
    window.show();
    rig.connect_phone();
    QVERIFY(rig.phone.control("incoming 0671112233"));
    rig.round();
    window.refresh();
    QVERIFY(shows_text(window, QStringLiteral("Вх.вызов")));
    QVERIFY(shows_text(window, QStringLiteral("0671112233")));
    QPushButton* accept = nullptr;
    for (QPushButton* candidate : window.findChildren<QPushButton*>())
        if (candidate->text() == QStringLiteral("Принять") && candidate->isVisible())
            accept = candidate;
    QVERIFY(accept);
    QVERIFY(accept->isDefault());
    accept->click();
    QCOMPARE(rig.state().vzat_t, qint16(1));
    rig.round();
    rig.round();
    window.refresh();
    QVERIFY(shows_text(window, QStringLiteral("Разг. / (Вх. вызов)")));
    QVERIFY(!accept->isVisible());
    QList<QListWidget*> lists = window.findChildren<QListWidget*>();
    QCOMPARE(lists.size(), 2);
    QCOMPARE(lists.at(0)->count(), 1);
    QCOMPARE(lists.at(0)->item(0)->text(), QStringLiteral("0671112233"));
}

void TestControllerWindow::closing_the_window_ends_in_order()
{
    ControllerRig rig;
    kestrum::FormPort window(*rig.controller);
    window.show();
    window.close();
    QVERIFY(rig.ended);
    QCOMPARE(board("on_pr_exe"), QStringLiteral("0"));
    QCOMPARE(board("knopki_zv"), QStringLiteral("@@@@@@@@@@"));
}

void TestControllerWindow::about_window_ends_with_ok()
{
    kestrum::AboutWindow about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе"));
    QVERIFY(!about.findChildren<QLabel*>().isEmpty());
    QCOMPARE(about.findChildren<QLabel*>().first()->text(),
             QStringLiteral("Данная подпрограмма \"Kestrum\" предназначена для совместной работы с программой \"Vekorra\""));
    QTimer::singleShot(100, &about, [&about] { button(about, QStringLiteral("OK"))->click(); });
    QCOMPARE(about.exec(), int(QDialog::Accepted));
}

QTEST_MAIN(TestControllerWindow)
#include "test_controller_window.moc"
