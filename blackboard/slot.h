#pragma once
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

#include "blackboard/keys.h"

namespace blackboard {

// One section of the phone blackboard, read and written afresh at every
// call (another process may change it at any moment). The typed accessors
// give each key its reader's default.
class Slot {
public:
    explicit Slot(QString section) : section_(std::move(section)) {}
    explicit Slot(int slot) : section_(section::slot(slot)) {}

    const QString& name() const { return section_; }

    QString read(QLatin1String key, const QString& default_value) const;
    // False when the store could not take the value.
    bool write(QLatin1String key, const QString& value) const;
    // Reads and writes the default back in one step: the key is consumed.
    QString take(QLatin1String key, const QString& default_value) const;

    // `pozvonit`: the number waiting to be dialled, "" when none.
    QString pozvonit() const;
    bool set_pozvonit(const QString& number) const;
    QString take_pozvonit() const;
    // `pozvonit_vzyat`: the controller notes each request it took; the main
    // window takes the note ("" when none, and an absent key stays absent).
    bool note_pozvonit_taken(const QString& number) const;
    QString take_pozvonit_taken() const;

    // `dtmf`: tones added to those already waiting, in one step with any
    // other writer's; false when the store could not be written.
    bool append_dtmf(const QString& tones) const;
    // The waiting tones as written (unfiltered), taken so that each is
    // handed over once; "" when none wait (an absent key stays absent).
    QString take_dtmf() const;

    // The phone type, read under `Tip_tlf` ("GSM" when absent) and written
    // under `Tip_Tlf`.
    QString phone_type_text() const;
    std::optional<PhoneType> phone_type() const;
    void set_phone_type(const QString& type) const;
    void set_phone_type(PhoneType type) const;

    // `port` as stored ("0" when absent).
    QString port() const;
    void set_port(const QString& port) const;

    // `ON`: the slot is enabled.
    bool enabled() const;
    void set_enabled(bool enabled) const;

    // `on_przv_exe`: the dialer lets the slot's controller run.
    bool run_permitted() const;
    void set_run_permission(bool permitted) const;

    // `on_pr` is exactly "True": the controller has its port open.
    bool port_open() const;

    // `ussd_codes`: the last codes asked on this phone, newest first.
    QStringList ussd_codes() const;
    void set_ussd_codes(const QStringList& codes) const;

private:
    QString section_;
};

// The serial slots (1 to 4) whose GSM phone is connected now: in use
// (slot 1 always is), port open, phone type GSM. The phones a message or
// a phonebook read can go through.
QList<int> connected_gsm_slots();

}  // namespace blackboard
