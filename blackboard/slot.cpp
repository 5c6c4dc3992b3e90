#include "blackboard/slot.h"

#include "settings_store/settings_store.h"

namespace blackboard {

QString Slot::read(QLatin1String key, const QString& default_value) const
{
    return read_setting(app::Kestrum, section_, key, default_value);
}

bool Slot::write(QLatin1String key, const QString& value) const
{
    return write_setting(app::Kestrum, section_, key, value);
}

QString Slot::take(QLatin1String key, const QString& default_value) const
{
    return take_setting(app::Kestrum, section_, key, default_value, true);
}

QString Slot::pozvonit() const { return read(key::pozvonit, QString()); }
bool Slot::append_dtmf(const QString& tones) const
{
    return append_setting(app::Kestrum, section_, key::dtmf, tones);
}

QString Slot::take_dtmf() const
{
    // Read first so that an absent key is not created at every tick.
    if (read(key::dtmf, QString()).isEmpty())
        return QString();
    return take(key::dtmf, QString());
}

bool Slot::set_pozvonit(const QString& number) const { return write(key::pozvonit, number); }
QString Slot::take_pozvonit() const { return take(key::pozvonit, QString()); }

bool Slot::note_pozvonit_taken(const QString& number) const { return write(key::pozvonit_vzyat, number); }

QString Slot::take_pozvonit_taken() const
{
    if (read(key::pozvonit_vzyat, QString()).isEmpty())
        return QString();
    return take(key::pozvonit_vzyat, QString());
}

QString Slot::phone_type_text() const { return read(key::Tip_tlf, blackboard::phone_type_text(kDefaultPhoneType)); }

std::optional<PhoneType> Slot::phone_type() const { return phone_type_of(phone_type_text()); }

void Slot::set_phone_type(const QString& type) const { write(key::Tip_Tlf, type); }

void Slot::set_phone_type(PhoneType type) const { set_phone_type(blackboard::phone_type_text(type)); }

QString Slot::port() const { return read(key::port, flag::off); }
void Slot::set_port(const QString& port) const { write(key::port, port); }

bool Slot::enabled() const { return flag::is_on(read(key::ON, flag::off)); }
void Slot::set_enabled(bool enabled) const { write(key::ON, flag::of(enabled)); }

bool Slot::run_permitted() const { return flag::is_on(read(key::on_przv_exe, flag::off)); }
void Slot::set_run_permission(bool permitted) const { write(key::on_przv_exe, flag::of(permitted)); }

bool Slot::port_open() const { return read(key::on_pr, flag::off) == flag::port_open; }

QStringList Slot::ussd_codes() const
{
    return read(key::ussd_codes, QString()).split(QLatin1Char('@'), Qt::SkipEmptyParts);
}

void Slot::set_ussd_codes(const QStringList& codes) const { write(key::ussd_codes, codes.join(QLatin1Char('@'))); }

QList<int> connected_gsm_slots()
{
    constexpr int serial_slots = 4;
    QList<int> connected;
    for (int slot = 1; slot <= serial_slots; ++slot) {
        const Slot board(slot);
        if ((slot == 1 || board.enabled()) && board.port_open() && board.phone_type() == PhoneType::Gsm)
            connected.append(slot);
    }
    return connected;
}

}  // namespace blackboard
