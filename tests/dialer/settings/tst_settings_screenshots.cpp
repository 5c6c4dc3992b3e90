// The settings window's three tabs on a real X server: each page is drawn
// with its controls and differs from the others. The pictures are saved in
// the build folder for people to look at (build/screenshots/). Started
// offscreen, the test runs itself again on an X server of its own.
#include <QtTest>
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QSet>
#include <QTabWidget>
#include <QTreeWidget>
#include <cstdio>

#include "dialer/settings/nastr_form.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"
#include "tests/support/x_server.h"

namespace {

const char* const kUnderXvfb = "VEKORRA_SETTINGS_SHOTS_UNDER_XVFB";

// How many different colours the picture has inside `area`: a page that
// drew its controls has many, a blank or unpainted one only one or two.
int colours_in(const QImage& picture, const QRect& area)
{
    QSet<QRgb> colours;
    for (int y = area.top(); y <= area.bottom(); y += 2)
        for (int x = area.left(); x <= area.right(); x += 2)
            colours.insert(picture.pixel(x, y));
    return colours.size();
}

}  // namespace

class TestSettingsScreenshots : public QObject
{
    Q_OBJECT

private slots:
    void each_tab();
};

void TestSettingsScreenshots::each_tab()
{
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    TestEnv env;
    write_setting("Kestrum", "2", "ON", "1");
    write_setting("Kestrum", "5", "ON", "1");
    write_setting("Kestrum", "1", "name_tlf", "Nokia 6230i");
    write_setting("Kestrum", "2", "name_tlf", "SIM300");
    RecordingMainWindow main_window;
    Nastr_form form(main_window);
    auto* found = form.findChild<QTreeWidget*>(QStringLiteral("List1"));
    new QTreeWidgetItem(found, {QStringLiteral("Nokia 6230i"), QStringLiteral("Nokia 6230i 0123456")});
    new QTreeWidgetItem(found, {QStringLiteral("SIM300"), QStringLiteral("ttyUSB0")});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QString folder = TestEnv::build_dir() + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(folder));
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    QList<QImage> pages;
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QTest::qWait(200);
        const QPixmap shot = form.screen()->grabWindow(form.winId());
        QVERIFY(!shot.isNull());
        const QString path = folder + QStringLiteral("/settings_tab%1.png").arg(tab + 1);
        QVERIFY(shot.save(path));
        qInfo("saved %s", qPrintable(path));

        // The page on the screen is the chosen one, drawn with its controls.
        const QImage picture = shot.toImage();
        QWidget* page = tabs->currentWidget();
        const QRect area(page->mapTo(&form, QPoint(0, 0)), page->size());
        QVERIFY2(colours_in(picture, area) > 8, qPrintable(QStringLiteral("tab %1 looks blank").arg(tab + 1)));
        const QImage drawn = picture.copy(area);
        for (const QImage& earlier : pages)
            QVERIFY2(drawn != earlier, qPrintable(QStringLiteral("tab %1 shows an earlier page").arg(tab + 1)));
        pages << drawn;
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty(kUnderXvfb)) {
        QCoreApplication app(argc, argv);
        const auto [code, output] =
            rerun_on_own_x_server({{QLatin1String(kUnderXvfb), QStringLiteral("1")}}, 100000, app.arguments().mid(1));
        std::fputs(qPrintable(output), stderr);
        return code == 0 ? 0 : 1;
    }
    QApplication app(argc, argv);
    TestSettingsScreenshots test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_screenshots.moc"
