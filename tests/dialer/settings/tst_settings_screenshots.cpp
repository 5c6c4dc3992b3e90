// Pictures of the settings window's three tabs on a real X server, saved in
// the build folder for people to look at (build/screenshots/). Started
// offscreen, the test runs itself again under xvfb-run.
#include <QtTest>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QScreen>
#include <QTabWidget>

#include "dialer/settings/nastr_form.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"
#include "tests/support/test_env.h"

namespace {

const char* const kUnderXvfb = "VEKORRA_SETTINGS_SHOTS_UNDER_XVFB";

// Runs this executable again under a private X server; its exit status.
int rerun_under_xvfb(int argc, char** argv)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QLatin1String(kUnderXvfb), QStringLiteral("1"));
    QStringList arguments{QStringLiteral("-a"), QString::fromLocal8Bit(argv[0])};
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QStringLiteral("xvfb-run"), arguments);
    if (!child.waitForStarted(10000)) {
        qWarning("xvfb-run could not be started");
        return 1;
    }
    child.waitForFinished(-1);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
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
    auto* found = form.findChild<QListWidget*>(QStringLiteral("List1"));
    found->addItem(QStringLiteral("Nokia 6230i"));
    found->addItem(QStringLiteral("SIM300"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    const QString folder = TestEnv::build_dir() + QStringLiteral("/screenshots");
    QVERIFY(QDir().mkpath(folder));
    auto* tabs = form.findChild<QTabWidget*>(QStringLiteral("SSTab1"));
    for (int tab = 0; tab < tabs->count(); ++tab) {
        tabs->setCurrentIndex(tab);
        QTest::qWait(200);
        const QPixmap shot = form.screen()->grabWindow(form.winId());
        QVERIFY(!shot.isNull());
        const QString path = folder + QStringLiteral("/settings_tab%1.png").arg(tab + 1);
        QVERIFY(shot.save(path));
        qInfo("saved %s", qPrintable(path));
    }
}

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty(kUnderXvfb))
        return rerun_under_xvfb(argc, argv);
    QApplication app(argc, argv);
    TestSettingsScreenshots test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_settings_screenshots.moc"
