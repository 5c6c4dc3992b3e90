// Loading the settings window, its change handlers and its closing.
#include "dialer/settings/nastr_form.h"

#include <algorithm>

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>

#include "dialer/dial/operators_telefons.h"
#include "dialer/dial/reestr.h"
#include "dialer/settings/main_window_link.h"
#include "dialer/settings/nastr_logic.h"
#include "blackboard/language_keys.h"
#include "contacts/number_key.h"
#include "blackboard/notify_keys.h"
#include "journal/journal.h"
#include "messages/message_store.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "blackboard/slot.h"
#include "settings_store/settings_store.h"

namespace {

namespace key = blackboard::key;

void write(const Reestr::Setting& setting, const QString& value)
{
    write_setting(setting.app, setting.section, setting.key, value);
}

QString flag_text(bool checked) { return blackboard::flag::of(checked); }

// Every control writes through one handler, for user and loading alike.
void write_on_toggle(QCheckBox* box, const Reestr::Setting& setting)
{
    QObject::connect(box, &QCheckBox::toggled, box, [&setting](bool checked) { write(setting, flag_text(checked)); });
}

void write_on_edit(QLineEdit* box, const Reestr::Setting& setting)
{
    QObject::connect(box, &QLineEdit::textChanged, box, [&setting](const QString& text) { write(setting, text); });
}

}  // namespace

Nastr_form::Nastr_form(MainWindowLink& main_window, QWidget* parent)
    : QDialog(parent), main_window_(main_window), scan_(main_window.serial_port())
{
    build();
    connect_handlers();
    load();
}

void Nastr_form::connect_handlers()
{
    for (int index = 0; index < kSerialSlots; ++index) {
        const int slot = index + 1;
        using blackboard::PhoneType;
        const std::array<std::pair<QRadioButton*, PhoneType>, 3> types{{{Option1[index], PhoneType::Gsm},
                                                                        {Option2[index], PhoneType::Cdma},
                                                                        {Option3[index], PhoneType::Provod}}};
        for (const auto& [choice, type] : types) {
            // An init-capture: clang before 16 cannot capture a structured binding.
            connect(choice, &QRadioButton::toggled, this, [slot, type = type](bool selected) {
                if (selected)
                    blackboard::Slot(slot).set_phone_type(type);
            });
        }
        connect(Text6[index], &QLineEdit::textChanged, this,
                [slot](const QString& text) { blackboard::Slot(slot).set_port(text); });
        connect(Command5[index], &QPushButton::clicked, this, [this, slot] { assign_to_slot(slot); });
    }
    for (int k = 1; k <= 5; ++k)
        connect(Check3[k], &QCheckBox::toggled, this, [this, k](bool checked) { on_enable_changed(k + 1, checked); });

    for (int list = 1; list <= kRuleLists; ++list) {
        const QString key = operator_class_key(Operators_telefons::kAllOperatorClasses[list - 1]);
        connect(Combo1[list], &QComboBox::currentIndexChanged, this, [key](int position) {
            if (position >= 0)
                write_setting(blackboard::app::Vekorra, blackboard::section::pravila, key,
                              QString::number(position));
        });
    }
    connect(Text3, &QLineEdit::textChanged, this, [this] { on_city_code_changed(Text3, Reestr::kKod3, 3); });
    connect(Text4, &QLineEdit::textChanged, this, [this] { on_city_code_changed(Text4, Reestr::kKod4, 4); });
    connect(Text5, &QLineEdit::textChanged, this, [this] { on_city_code_changed(Text5, Reestr::kKod5, 5); });
    write_on_edit(Text1, Reestr::kKodS1);
    write_on_edit(Text7, Reestr::kPlusReplNom);
    write_on_toggle(Check1, Reestr::kKodGorPlus);
    write_on_toggle(Check2, Reestr::kPlusRepl);
    write_on_toggle(Check4, Reestr::kWind);
    write_on_toggle(sms_udalyat, Reestr::kSmsUdalyat);
    connect(uvedomleniya, &QCheckBox::toggled, this, [](bool on) { blackboard::notify::set_notifications_on(on); });
    connect(sms_tekst, &QCheckBox::toggled, this, [](bool on) { blackboard::notify::set_message_text_shown(on); });
    write_on_edit(sip_program, Reestr::kSipProgram);
    // Queued: the question it may ask is not to open inside the change
    // (a screen reader that set the value waits for its answer meanwhile).
    connect(journal_days, &QSpinBox::valueChanged, this, [this](int days) { on_journal_days_changed(days); },
            Qt::QueuedConnection);
    connect(yazyk, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (position >= 0)
            blackboard::language::set_interface_language(yazyk->itemData(position).toString());
    });
    connect(strana, &QComboBox::currentIndexChanged, this, [this](int position) {
        if (position >= 0)
            contacts::set_default_region(strana->itemData(position).toString());
    });

    connect(SSTab1, &QTabWidget::currentChanged, this, [this] { Set_combo(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { close_by_button(); });
    connect(Timer1, &QTimer::timeout, this, [this] { refresh_models(); });

    // The search runs its own loop for minutes. Started inside the click,
    // it would run while the release of "Поиск телефонов" is still being
    // delivered: the button keeps the pointer, and every later press (on
    // "Остановить", on "Закрыть") goes to it instead. Queued, it starts
    // once the click is over.
    connect(Command2, &QPushButton::clicked, this, [this] { start_search(); }, Qt::QueuedConnection);
    connect(Command4, &QPushButton::clicked, this, [this] { scan_.request_stop(); });
    connect(List1, &QTreeWidget::itemSelectionChanged, this, [this] { on_entry_selected(); });
    connect(Command3, &QPushButton::clicked, this, [this] { test_call(DialCommand::Plain); });
    connect(Command6, &QPushButton::clicked, this, [this] { test_call(DialCommand::Cdma); });
}

// Every step that changes a control runs its handler, so what differs from
// the controls' first state is written back.
void Nastr_form::load()
{
    Text3->setText(Reestr::read(Reestr::kKod3));
    Text4->setText(Reestr::read(Reestr::kKod4));
    Text5->setText(Reestr::read(Reestr::kKod5));
    Text1->setText(Reestr::read(Reestr::kKodS1));
    Text7->setText(Reestr::read(Reestr::kPlusReplNom));
    Check4->setChecked(Reestr::read(Reestr::kWind) == QLatin1String("1"));
    uvedomleniya->setChecked(blackboard::notify::notifications_on());
    sms_tekst->setChecked(blackboard::notify::message_text_shown());
    sms_udalyat->setChecked(Reestr::read(Reestr::kSmsUdalyat) != blackboard::flag::off);
    sip_program->setText(Reestr::read(Reestr::kSipProgram));
    journal_days->setValue(Reestr::journal_days());
    yazyk->setCurrentIndex(std::max(0, yazyk->findData(blackboard::language::interface_language())));
    strana->setCurrentIndex(strana->findData(contacts::default_region()));
    Check1->setChecked(Reestr::read(Reestr::kKodGorPlus) == QLatin1String("1"));
    Check2->setChecked(Reestr::read(Reestr::kPlusRepl) == QLatin1String("1"));

    for (int index = 0; index < kSerialSlots; ++index)
        Text6[index]->setText(blackboard::Slot(index + 1).port());
    for (int index = 0; index < kSerialSlots; ++index)
        Label5[index]->setText(blackboard::Slot(index + 1).read(key::name_tlf, QString()));
    for (int index = 0; index < kSerialSlots; ++index) {
        // A type spelt otherwise leaves every choice as it is.
        const std::optional<blackboard::PhoneType> type = blackboard::Slot(index + 1).phone_type();
        if (type == blackboard::PhoneType::Gsm)
            Option1[index]->setChecked(true);
        else if (type == blackboard::PhoneType::Cdma)
            Option2[index]->setChecked(true);
        else if (type == blackboard::PhoneType::Provod)
            Option3[index]->setChecked(true);
    }

    for (int k = 1; k <= 5; ++k)
        Check3[k]->setChecked(nastr_logic::slot_enabled(k + 1));
    for (int k = 1; k <= 5; ++k)
        Frame1[k]->setVisible(Check3[k]->isChecked());
    apply_cascade();

    Set_combo();
    Timer1->start();
}

void Nastr_form::on_enable_changed(int slot, bool checked)
{
    blackboard::Slot(slot).set_enabled(checked);
    Frame1[slot - 1]->setVisible(checked);
    if (checked && slot <= kSerialSlots)
        main_window_.start_controller(slot);
    apply_cascade();
}

// Phone 3 only while phone 2 is enabled, phone 4 only while phone 3 is.
// Unchecking a box here runs its own handler (and this cascade) first.
void Nastr_form::apply_cascade()
{
    for (int slot = 2; slot <= kSerialSlots; ++slot) {
        const bool enabled = Check3[slot - 1]->isChecked();
        if (slot < kSerialSlots) {
            QCheckBox* next = Check3[slot];
            if (!enabled)
                next->setChecked(false);
            next->setVisible(enabled);
            Label8[slot - 1]->setVisible(enabled);
        }
        main_window_.set_phone_panel_visible(slot, enabled);
    }
}

void Nastr_form::on_journal_days_changed(int days)
{
    // The stored value again (the window's own load): nothing new to remove.
    if (days == Reestr::journal_days()) {
        write(Reestr::kJournalDays, QString::number(days));
        return;
    }
    journal::Journal journal;
    messages::MessageStore messages;  // they follow the calls' retention
    const qint64 now_ms = platform::clock().wall_clock_ms();
    const int doomed = journal.count_older_than_days(days, now_ms);
    const int doomed_messages = messages.count_older_than_days(days, now_ms);
    if ((doomed > 0 || doomed_messages > 0)
        && !platform::ask_to_confirm(nastr_logic::retention_question(days, doomed, doomed_messages),
                                     tr("Удалить"))) {
        const QSignalBlocker keep_quiet(journal_days);
        journal_days->setValue(Reestr::journal_days());
        return;
    }
    write(Reestr::kJournalDays, QString::number(days));
    if (doomed > 0)
        journal.remove_older_than_days(days, now_ms);
    if (doomed_messages > 0)
        messages.remove_older_than_days(days, now_ms);
}

void Nastr_form::on_city_code_changed(QLineEdit* box, const Reestr::Setting& setting, int width)
{
    const nastr_logic::CityCodeStep step = nastr_logic::city_code_step(box->text(), width);
    switch (step.kind) {
    case nastr_logic::CityCodeStep::Store:
        write(setting, step.text);
        break;
    case nastr_logic::CityCodeStep::Shorten:
        box->setText(step.text);  // comes back here and stores the shorter text
        break;
    case nastr_logic::CityCodeStep::Ignore:
        break;
    }
}

void Nastr_form::Set_combo()
{
    const QStringList entries = nastr_logic::rule_list_entries();
    for (int list = 1; list <= kRuleLists; ++list) {
        QComboBox* combo = Combo1[list];
        {
            // Refilling is not a choice: nothing is written until the
            // stored rule's entry is selected below.
            const QSignalBlocker quiet(combo);
            combo->clear();
            combo->addItems(entries);
            combo->setCurrentIndex(-1);
        }
        const QString key = operator_class_key(Operators_telefons::kAllOperatorClasses[list - 1]);
        const int position = nastr_logic::rule_position(key);
        if (position >= 0)
            combo->setCurrentIndex(position);
    }
    const bool rules_matter = nastr_logic::any_extra_slot_enabled();
    Frame2->setVisible(rules_matter);
    single_phone_notice->setVisible(!rules_matter);
}

void Nastr_form::refresh_models()
{
    for (int index = 0; index < kSerialSlots; ++index) {
        const QString model = blackboard::Slot(index + 1).read(key::model, QString());
        if (Label5[index]->text() != model)
            Label5[index]->setText(model);
    }
}

void Nastr_form::Nastr_vygr()
{
    if (main_window_.poisk_aktiv() == 1) {
        main_window_.set_poisk_aktiv(0);
        main_window_.start_controller(1);
        for (int slot = 2; slot <= kSerialSlots; ++slot) {
            if (nastr_logic::slot_enabled(slot))
                main_window_.start_controller(slot);
        }
    }
    Frame3->hide();
}

void Nastr_form::close_by_button()
{
    if (scan_.running()) {
        // The controllers may only come back once the ports are let go.
        scan_.request_stop();
        if (pending_close_ == PendingClose::None)
            pending_close_ = PendingClose::Hide;
        return;
    }
    Nastr_vygr();
    done(QDialog::Accepted);
}

void Nastr_form::reject() { close_by_button(); }

void Nastr_form::closeEvent(QCloseEvent* event)
{
    if (scan_.running()) {
        scan_.request_stop();
        pending_close_ = PendingClose::Unload;
        event->ignore();
        return;
    }
    Nastr_vygr();
    unload_requested_ = true;
    done(QDialog::Rejected);
    event->accept();
}
