#include "dialer/dial/dispatcher.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "dialer/dial/dial_log.h"
#include "dialer/dial/main_window_presence.h"
#include "dialer/dial/operators_telefons.h"
#include "blackboard/slot.h"
#include "dialer/dial/reestr.h"
#include "journal/journal.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/link_opener.h"
#include "platform/messages.h"

namespace {

// A main window started by a hand-over gets this long to start its
// controllers before the number is put on the blackboard.
constexpr int kMainProgramStartWaitMs = 5000;

// The messages are looked up in the running language when shown.
struct Text {
    Q_DECLARE_TR_FUNCTIONS(Dispatcher)
};
const char* const kNotConnected = QT_TRANSLATE_NOOP("Dispatcher", "Телефон не подключен!");
const char* const kSkypeOff = QT_TRANSLATE_NOOP("Dispatcher",
    "Звонок на данного оператороа настроен через Скайп, но у Скайпа выключена активность в настройках программы!");
const char* const kSipOff = QT_TRANSLATE_NOOP("Dispatcher",
    "Звонок на данного оператороа настроен через SIP-телефон, но у SIP-телефона выключена активность в "
    "настройках программы!");
const char* const kRuleSlotNotConnected =
    QT_TRANSLATE_NOOP("Dispatcher", "Телефон, выбранный для этого оператора, не подключен!");
const char* const kRuleSlotNotEnabled =
    QT_TRANSLATE_NOOP("Dispatcher", "Телефон, выбранный для этого оператора, не включен в настройках программы!");
const char* const kNoSoftphone = QT_TRANSLATE_NOOP("Dispatcher", "Программа Express Talk не установлена!");
const char* const kNotHandedOver = QT_TRANSLATE_NOOP("Dispatcher", "Не удалось передать номер телефону!");

BusyPointer busy_pointer = nullptr;

void set_busy(bool busy)
{
    if (busy_pointer)
        busy_pointer(busy);
}

bool slot_enabled(int slot)
{
    return blackboard::Slot(slot).enabled();
}

bool slot_connected(int slot)
{
    return blackboard::Slot(slot).port_open();
}

// The number reaches the phone only through the blackboard: when it cannot
// be written there (a full disk, a broken store), the user must know that
// no call is coming.
bool write_pozvonit(int slot, const QString& number)
{
    if (blackboard::Slot(slot).set_pozvonit(number))
        return true;
    qCWarning(lcDial).noquote() << "number" << number << "could not be written for phone" << slot;
    platform::show_message(Text::tr(kNotHandedOver));
    return false;
}

void log_route(const QString& arrived, OperatorClass operator_class, const QString& rule,
               const QString& target)
{
    qCInfo(lcDial).noquote() << "number" << arrived << "class" << operator_class_key(operator_class) << "rule"
                             << rule << "target" << target;
}

// The main window's controllers serve the blackboard; a hand-over process
// has none, so it brings up a main window first, unless one runs.
void ensure_main_program_runs()
{
    if (main_window_runs())
        return;
    const QString program = dialer_main_program();
    qCInfo(lcDial).noquote() << "no main window runs; starting" << program;
    platform::launcher().start_detached(program, {});
    platform::clock().sleep_ms(kMainProgramStartWaitMs);
}

// Slots 2 to 6 all off: slot 1 is the only phone, whatever the rules say.
bool only_slot_one_in_use()
{
    bool any_enabled = false;
    for (const int slot : {4, 3, 2, 6, 5})
        any_enabled = slot_enabled(slot) || any_enabled;
    return !any_enabled;
}

// The call journal learns of a hand-over only here: nothing more of the
// call can be known. Opened for the one record, so that it is always the
// journal the environment names now.
void record_hand_over(const QString& line, const QString& number)
{
    journal::Journal(journal::journal_path()).handed_over(line, number, platform::clock().wall_clock_ms());
}

void call_through_skype(QString& number)
{
    if (!slot_enabled(Reestr::kSkypeSlot)) {
        platform::show_message(Text::tr(kSkypeOff));
        return;
    }
    complete_local_number(number);
    if (clean_number(number).size() == 10)
        number.prepend(Reestr::kodS1());
    if (open_link(QStringLiteral("skype:") + number))
        record_hand_over(QStringLiteral("skype"), number);
}

void call_through_softphone(QString& number)
{
    if (!slot_enabled(Reestr::kSipSlot)) {
        platform::show_message(Text::tr(kSipOff));
        return;
    }
    complete_local_number(number);
    if (clean_number(number).size() > 10)
        number = number.right(10);
    const QString program = sip_softphone_program();
    qCInfo(lcDial).noquote() << "softphone" << (program.isEmpty() ? QStringLiteral("(none)") : program)
                             << "-dial" << QStringLiteral("callto:") + number;
    if (program.isEmpty() ||
        !platform::launcher().start_detached(program, {QStringLiteral("-dial"), QStringLiteral("callto:") + number}))
        platform::show_message(Text::tr(kNoSoftphone));
    else
        record_hand_over(QStringLiteral("sip"), number);
}

// False only when the number could not be written.
bool call_through_serial_phone(int rule, const QString& number)
{
    const bool serial_slot = rule >= 0 && rule <= 3;
    const int slot = rule + 1;
    if (!serial_slot || (rule != 0 && !slot_enabled(slot))) {
        platform::show_message(Text::tr(kRuleSlotNotEnabled));
        return true;
    }
    if (!slot_connected(slot)) {
        platform::show_message(Text::tr(kRuleSlotNotConnected));
        return true;
    }
    return write_pozvonit(slot, number);
}

}  // namespace

bool dispatch_number(QString& number, std::optional<int> via)
{
    const QString arrived = number;
    const OperatorClass operator_class = classify_number(number);
    ensure_main_program_runs();

    if (flag_is_on(Reestr::kodGor_Plus()))
        complete_local_number(number);
    if (operator_class == OperatorClass::MEJD) {
        const int rule = via.value_or(route_rule(operator_class));
        // Skype and the softphone dial "+" themselves; a serial phone may need
        // the international access code instead.
        if (rule != 4 && rule != 5 && flag_is_on(Reestr::Plus_repl()))
            number.replace(QLatin1Char('+'), Reestr::Plus_repl_nom());
    }

    if (!via && only_slot_one_in_use()) {
        log_route(arrived, operator_class, QStringLiteral("(only phone 1 in use)"),
                  QStringLiteral("phone 1: ") + number);
        // The request stays on the blackboard even when the phone is not
        // connected yet: its controller may come up in a moment.
        if (!write_pozvonit(1, number))
            return false;
        if (!slot_connected(1))
            platform::show_message(Text::tr(kNotConnected));
        return true;
    }

    const int rule = via.value_or(route_rule(operator_class));
    const QString rule_text = via ? QStringLiteral("chosen %1").arg(rule) : QString::number(rule);
    if (rule == 4) {
        log_route(arrived, operator_class, rule_text, QStringLiteral("Skype"));
        call_through_skype(number);
    } else if (rule == 5) {
        log_route(arrived, operator_class, rule_text, QStringLiteral("SIP softphone"));
        call_through_softphone(number);
    } else {
        log_route(arrived, operator_class, rule_text,
                  QStringLiteral("phone %1: %2").arg(QString::number(qint64(rule) + 1), number));
        return call_through_serial_phone(rule, number);
    }
    return true;
}

int message_slot_for(const QString& number)
{
    if (only_slot_one_in_use())
        return 1;
    const int rule = route_rule(classify_number(clean_copy(number)));
    return rule >= 0 && rule <= 3 ? rule + 1 : 0;
}

bool open_link(const QString& address)
{
    set_busy(true);
    const platform::OpenResult result = platform::link_opener().open_address(address);
    qCInfo(lcDial).noquote() << "open" << address << (result.ok ? "ok" : "failed") << result.error_code;
    set_busy(false);
    if (!result.ok) {
        // The address, under the program's title; the handler's exit status
        // goes to the log above, it tells a user nothing.
        platform::show_message(Text::tr("Невозможно открыть адрес: ") + address, platform::MessageIcon::Error);
    }
    return result.ok;
}

void set_busy_pointer(BusyPointer pointer) { busy_pointer = pointer; }

QString sip_softphone_program()
{
    const QString configured = Reestr::sip_program();
    if (!configured.isEmpty())
        return configured;
    const QString program_files = qEnvironmentVariable("ProgramFiles");
    if (!program_files.isEmpty())
        return QDir(program_files).filePath(QStringLiteral("NCH Software/Talk/talk.exe"));
    return QStandardPaths::findExecutable(QStringLiteral("talk.exe"));
}

QString dialer_main_program()
{
    const QString own = QCoreApplication::applicationFilePath();
    const QString resolved = QFileInfo(own).canonicalFilePath();
    return resolved.isEmpty() ? own : resolved;
}
