// The dispatcher against a real store file, with the platform written down:
// which phone got the number, which box the user saw, what was started or
// opened, and in which order.
#include <QtTest>

#include "dialer/dial/dial_log.h"
#include "dialer/dial/dispatcher.h"
#include "recording_seams.h"
#include "settings_store/settings_store.h"
#include "tests/support/main_window_stand_in.h"
#include "tests/support/test_env.h"

namespace {

const QString kNoPozvonit = QStringLiteral("-");

// "App/Section/key=value"
const QString kMainRunning = QStringLiteral("main window runs");
// The main window of the current test, while it "runs".
std::unique_ptr<MainWindowStandIn> main_window;

// "APP/SECTION/KEY=VALUE" written to the store; kMainRunning holds the
// main window's lock as a running window does.
void apply_settings(const QStringList& settings)
{
    for (const QString& setting : settings) {
        if (setting == kMainRunning) {
            main_window = std::make_unique<MainWindowStandIn>();
            QVERIFY(main_window->held());
            continue;
        }
        const qsizetype equals = setting.indexOf(QLatin1Char('='));
        const QStringList path = setting.left(equals).split(QLatin1Char('/'));
        write_setting(path[0], path[1], path[2], setting.mid(equals + 1));
    }
}

QString pozvonit_of(int slot)
{
    return read_setting(QStringLiteral("Kestrum"), QString::number(slot), QStringLiteral("pozvonit"), kNoPozvonit);
}

// pozvonit of slots 1 to 4, "-" where absent.
QString pozvonit_all()
{
    QStringList values;
    for (int slot = 1; slot <= 4; ++slot)
        values << pozvonit_of(slot);
    return values.join(QLatin1Char(','));
}

QString error_box(const QString& text, const QString& pozvonit = QStringLiteral("-,-,-,-"))
{
    return QStringLiteral("message Vekorra error: %1 [%2]").arg(text, pozvonit);
}

const QString kNotConnected = QStringLiteral("Телефон не подключен!");
const QString kSkypeOff = QStringLiteral(
    "Звонок на данного оператороа настроен через Скайп, но у Скайпа выключена активность в настройках программы!");
const QString kSipOff = QStringLiteral(
    "Звонок на данного оператороа настроен через SIP-телефон, но у SIP-телефона выключена активность в настройках "
    "программы!");
const QString kRuleNotConnected = QStringLiteral("Телефон, выбранный для этого оператора, не подключен!");
const QString kRuleNotEnabled = QStringLiteral("Телефон, выбранный для этого оператора, не включен в настройках программы!");
const QString kNoSoftphone = QStringLiteral("Программа Express Talk не установлена!");

const QString kPhone1Connected = QStringLiteral("Kestrum/1/on_pr=True");
const QString kSkypeOn = QStringLiteral("Kestrum/5/ON=1");
const QString kSipOn = QStringLiteral("Kestrum/6/ON=1");
const QString kSipProgram = QStringLiteral("Vekorra/drugoe/sip_program=/opt/talk/talk");

}  // namespace

class TestDispatcher : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { main_window.reset(); }
    void dispatch_data();
    void dispatch();
    void open_link_reports_failure();
    void softphone_program_choice();
    void routing_is_logged();
};

void TestDispatcher::dispatch_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("number");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("pozvonit");  // slots 1 to 4 afterwards

    // Only phone slot 1 in use: the rules are not consulted.
    QTest::newRow("single phone, connected")
        << QStringList{kMainRunning, kPhone1Connected} << "0671234567" << QStringList{} << "0671234567,-,-,-";
    QTest::newRow("single phone, not connected: written before the box")
        << QStringList{kMainRunning} << "0671234567" << QStringList{error_box(kNotConnected, "0671234567,-,-,-")}
        << "0671234567,-,-,-";
    QTest::newRow("single phone, on_pr in another case")
        << QStringList{kMainRunning, "Kestrum/1/on_pr=true"} << "0671234567"
        << QStringList{error_box(kNotConnected, "0671234567,-,-,-")} << "0671234567,-,-,-";
    QTest::newRow("single phone despite a Skype rule")
        << QStringList{kMainRunning, kPhone1Connected, "Vekorra/pravila/KS=4"} << "0671234567" << QStringList{}
        << "0671234567,-,-,-";
    QTest::newRow("single phone, ON 0 everywhere")
        << QStringList{kMainRunning, kPhone1Connected, "Kestrum/2/ON=0", "Kestrum/5/ON=true", "Kestrum/6/ON= 1"}
        << "0671234567" << QStringList{} << "0671234567,-,-,-";
    QTest::newRow("local number completed")
        << QStringList{kMainRunning, kPhone1Connected} << "1234567" << QStringList{} << "0441234567,-,-,-";
    QTest::newRow("completion switched off")
        << QStringList{kMainRunning, kPhone1Connected, "MyApp/vekorra/kodGor_Plus=0"} << "1234567" << QStringList{}
        << "1234567,-,-,-";

    // No main window: start one, give it 5 s, go on whatever came of it.
    QTest::newRow("main window absent")
        << QStringList{} << "0671234567"
        << QStringList{"start <self>", "sleep 5000", error_box(kNotConnected, "0671234567,-,-,-")}
        << "0671234567,-,-,-";
    QTest::newRow("main window flag not 1")
        << QStringList{"Kestrum/1/on_przv_exe=0", kPhone1Connected} << "0671234567"
        << QStringList{"start <self>", "sleep 5000"} << "0671234567,-,-,-";

    // Rules in force.
    QTest::newRow("Skype on, rule 0 needs no ON")
        << QStringList{kMainRunning, kSkypeOn, kPhone1Connected} << "0671234567" << QStringList{}
        << "0671234567,-,-,-";
    QTest::newRow("rule 0, phone 1 not connected")
        << QStringList{kMainRunning, kSkypeOn} << "0671234567" << QStringList{error_box(kRuleNotConnected)}
        << "-,-,-,-";
    QTest::newRow("Skype, national number")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/KS=4"} << "0671234567"
        << QStringList{"open skype:+380671234567"} << "-,-,-,-";
    QTest::newRow("Skype completes even without kodGor_Plus")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/GOR=4", "MyApp/vekorra/kodGor_Plus=0"} << "1234567"
        << QStringList{"open skype:+380441234567"} << "-,-,-,-";
    QTest::newRow("Skype, full international form")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/KS=4"} << "+380671234567"
        << QStringList{"open skype:+380671234567"} << "-,-,-,-";
    QTest::newRow("Skype, 12 digits")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/KS=4"} << "380671234567"
        << QStringList{"open skype:380671234567"} << "-,-,-,-";
    QTest::newRow("Skype off")
        << QStringList{kMainRunning, kSipOn, "Vekorra/pravila/KS=4"} << "0671234567"
        << QStringList{error_box(kSkypeOff)} << "-,-,-,-";
    QTest::newRow("rule 3.7 is Skype")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/MTS=3.7"} << "0501234567"
        << QStringList{"open skype:+380501234567"} << "-,-,-,-";

    QTest::newRow("softphone, last 10 characters")
        << QStringList{kMainRunning, kSipOn, kSipProgram, "Vekorra/pravila/KS=5"} << "+380671234567"
        << QStringList{"start /opt/talk/talk -dial callto:0671234567"} << "-,-,-,-";
    QTest::newRow("softphone, national number unchanged")
        << QStringList{kMainRunning, kSipOn, kSipProgram, "Vekorra/pravila/KS=5"} << "0671234567"
        << QStringList{"start /opt/talk/talk -dial callto:0671234567"} << "-,-,-,-";
    QTest::newRow("softphone completes a local number")
        << QStringList{kMainRunning, kSipOn, kSipProgram, "Vekorra/pravila/GOR=5", "MyApp/vekorra/kodGor_Plus=0"}
        << "123456" << QStringList{"start /opt/talk/talk -dial callto:0442123456"} << "-,-,-,-";
    QTest::newRow("softphone off")
        << QStringList{kMainRunning, kSkypeOn, kSipProgram, "Vekorra/pravila/KS=5"} << "0671234567"
        << QStringList{error_box(kSipOff)} << "-,-,-,-";
    QTest::newRow("rule 5abc is the softphone")
        << QStringList{kMainRunning, kSipOn, kSipProgram, "Vekorra/pravila/KS=5abc"} << "0671234567"
        << QStringList{"start /opt/talk/talk -dial callto:0671234567"} << "-,-,-,-";

    // "+" replacement for serial phones only.
    QTest::newRow("foreign number, plus replaced, single phone")
        << QStringList{kMainRunning, kPhone1Connected, "MyApp/vekorra/Plus_repl=1", "MyApp/vekorra/Plus_repl_nom=815"}
        << "+74951234567" << QStringList{} << "81574951234567,-,-,-";
    QTest::newRow("foreign number, plus replaced, rule 0")
        << QStringList{kMainRunning, kSkypeOn, kPhone1Connected, "MyApp/vekorra/Plus_repl=1"} << "+74951234567"
        << QStringList{} << "81574951234567,-,-,-";
    QTest::newRow("foreign number to Skype keeps its plus")
        << QStringList{kMainRunning, kSkypeOn, "MyApp/vekorra/Plus_repl=1", "Vekorra/pravila/MEJD=4"}
        << "+74951234567" << QStringList{"open skype:+74951234567"} << "-,-,-,-";
    QTest::newRow("Plus_repl other than 1")
        << QStringList{kMainRunning, kPhone1Connected, "MyApp/vekorra/Plus_repl=2"} << "+74951234567"
        << QStringList{} << "+74951234567,-,-,-";
    QTest::newRow("plus of a national number stays")
        << QStringList{kMainRunning, kPhone1Connected, "MyApp/vekorra/Plus_repl=1"} << "+380671234567"
        << QStringList{} << "+380671234567,-,-,-";

    // Serial phones 2 to 4.
    QTest::newRow("rule 2, slot 3 not enabled")
        << QStringList{kMainRunning, "Kestrum/2/ON=1", "Kestrum/3/ON=0", "Kestrum/3/on_pr=True",
                       "Vekorra/pravila/KS=2"}
        << "0671234567" << QStringList{error_box(kRuleNotEnabled)} << "-,-,-,-";
    QTest::newRow("rule 2, slot 3 connected")
        << QStringList{kMainRunning, "Kestrum/3/ON=1", "Kestrum/3/on_pr=True", "Vekorra/pravila/KS=2"}
        << "0671234567" << QStringList{} << "-,-,0671234567,-";
    QTest::newRow("rule 2.5 is slot 3")
        << QStringList{kMainRunning, "Kestrum/3/ON=1", "Kestrum/3/on_pr=True", "Vekorra/pravila/KS=2.5"}
        << "0671234567" << QStringList{} << "-,-,0671234567,-";
    QTest::newRow("rule 2, on_pr TRUE is not True")
        << QStringList{kMainRunning, "Kestrum/3/ON=1", "Kestrum/3/on_pr=TRUE", "Vekorra/pravila/KS=2"}
        << "0671234567" << QStringList{error_box(kRuleNotConnected)} << "-,-,-,-";
    QTest::newRow("rule 3, slot 4")
        << QStringList{kMainRunning, "Kestrum/4/ON=1", "Kestrum/4/on_pr=True", "Vekorra/pravila/BE=3"}
        << "0681234567" << QStringList{} << "-,-,-,0681234567";
    QTest::newRow("rule 9 names no slot")
        << QStringList{kMainRunning, kSkypeOn, "Kestrum/10/ON=1", "Kestrum/10/on_pr=True", "Vekorra/pravila/KS=9"}
        << "0671234567" << QStringList{error_box(kRuleNotEnabled)} << "-,-,-,-";
    QTest::newRow("negative rule names no slot")
        << QStringList{kMainRunning, kSkypeOn, "Vekorra/pravila/KS=-1"} << "0671234567"
        << QStringList{error_box(kRuleNotEnabled)} << "-,-,-,-";
    QTest::newRow("class decided before completion")
        << QStringList{kMainRunning, kSkypeOn, "Kestrum/2/ON=1", "Kestrum/2/on_pr=True", "Vekorra/pravila/GOR=1",
                       "Vekorra/pravila/OST=4"}
        << "1234567" << QStringList{} << "-,0441234567,-,-";
}

void TestDispatcher::dispatch()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, number);
    QFETCH(QStringList, events);
    QFETCH(QString, pozvonit);
    TestEnv env;
    RecordingSeams seams;
    seams.snapshot_at_message = pozvonit_all;
    apply_settings(settings);

    dispatch_number(number);

    events.replaceInStrings(QStringLiteral("<self>"), dialer_main_program());
    QCOMPARE(seams.events, events);
    QCOMPARE(pozvonit_all(), pozvonit);
}

void TestDispatcher::open_link_reports_failure()
{
    TestEnv env;
    RecordingSeams seams;
    seams.open_result = {false, 3};
    open_link(QStringLiteral("skype:+380671234567"));
    QCOMPARE(seams.events,
             (QStringList{"open skype:+380671234567",
                          QString::fromUtf8("message Vekorra error: Невозможно открыть адрес: "
                                            "skype:+380671234567")}));

    // A failed Skype call shows the same box, after the open.
    seams.events.clear();
    apply_settings({kMainRunning, kSkypeOn, "Vekorra/pravila/KS=4"});
    QString number = QStringLiteral("0671234567");
    dispatch_number(number);
    QCOMPARE(seams.events.size(), 2);
    QVERIFY(seams.events[1].startsWith(QString::fromUtf8("message Vekorra error: Невозможно открыть адрес: ")));
}

void TestDispatcher::softphone_program_choice()
{
    TestEnv env;
    RecordingSeams seams;
    apply_settings({kMainRunning, kSipOn, "Vekorra/pravila/KS=5"});
    const QByteArray saved_program_files = qgetenv("ProgramFiles");
    const QByteArray saved_path = qgetenv("PATH");
    auto dial = [] {
        QString number = QStringLiteral("0671234567");
        dispatch_number(number);
    };

    qputenv("ProgramFiles", "/pf");
    dial();
    // The setting wins over the default location.
    apply_settings({"Vekorra/drugoe/sip_program=/usr/local/bin/sip phone"});
    dial();
    // A program that does not start is reported.
    seams.start_succeeds = false;
    dial();
    QCOMPARE(seams.events, (QStringList{"start /pf/NCH Software/Talk/talk.exe -dial callto:0671234567",
                                        "start /usr/local/bin/sip phone -dial callto:0671234567",
                                        "start /usr/local/bin/sip phone -dial callto:0671234567",
                                        "message Vekorra error: " + kNoSoftphone}));

    // Neither setting nor ProgramFiles: talk.exe on the PATH, else the box
    // without any start.
    seams.events.clear();
    seams.start_succeeds = true;
    apply_settings({"Vekorra/drugoe/sip_program="});
    qunsetenv("ProgramFiles");
    QTemporaryDir bin;
    qputenv("PATH", bin.path().toLocal8Bit());
    dial();
    QFile talk(bin.filePath("talk.exe"));
    QVERIFY(talk.open(QIODevice::WriteOnly));
    talk.close();
    talk.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    dial();
    QCOMPARE(seams.events, (QStringList{"message Vekorra error: " + kNoSoftphone,
                                        "start " + bin.filePath("talk.exe") + " -dial callto:0671234567"}));

    qputenv("PATH", saved_path);
    if (saved_program_files.isNull())
        qunsetenv("ProgramFiles");
    else
        qputenv("ProgramFiles", saved_program_files);
}

namespace {
QStringList dial_log_lines;
void collect_dial_log(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (QLatin1String(context.category) == QLatin1String("vekorra.dial"))
        dial_log_lines << message;
}
}  // namespace

void TestDispatcher::routing_is_logged()
{
    TestEnv env;
    RecordingSeams seams;
    apply_settings({kMainRunning, kSkypeOn, "Vekorra/pravila/KS=4"});
    QLoggingCategory::setFilterRules(QStringLiteral("vekorra.dial.info=true"));
    const QtMessageHandler previous = qInstallMessageHandler(collect_dial_log);
    QString number = QStringLiteral("0671234567");
    dispatch_number(number);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    const QString decision = dial_log_lines.filter("class").value(0);
    QVERIFY2(decision.contains("0671234567") && decision.contains("KS") && decision.contains("rule 4") &&
                 decision.contains("Skype"),
             qPrintable(dial_log_lines.join('\n')));
}

QTEST_GUILESS_MAIN(TestDispatcher)
#include "test_dispatcher.moc"
