#pragma once
#include <QList>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

#include "serial/serial_device.h"

// A serial phone slot (1 to 4) as the plug-in offers see it.
struct SlotPort {
    int slot = 0;
    int port = 0;                // its port number
    bool enabled = false;        // slot 1 always; slots 2 to 4 when ON is "1"
    bool connected = false;      // its controller reports the phone connected
    QStringList device_names;    // the paths its port leads to
    bool awaits_device = false;  // its port is a link to a device that is absent (unplugged)
};

// A slot described from the port map: what port N leads to now, and
// whether it is a link waiting for its device to come back.
SlotPort describe_slot(int slot, int port, bool enabled, bool connected);

// Whether the slot's port leads to the device (through its entry, the
// entry's link, or the device node the port maps to).
bool slot_leads_to(const SlotPort& slot, const SerialDevice& device, const QString& ports_dir);

// A new phone to show the user: "Подключён телефон <model> (<device>)".
struct PhoneOffer {
    SerialDevice device;
    QString model;
    QList<int> free_slots;  // the slots it may go to, the best first
};

// Decides what to do with devices that come and go: a device that a slot's
// port leads to belongs to that slot (connect it again when it returns);
// any other device is asked for its model once it has settled, and offered
// when it answers. The interfaces of one USB device are offered once, on
// the first (lowest interface number) that answers. Time comes in as
// milliseconds on any steady clock; nothing here waits.
class PlugOffers {
public:
    // The model of the phone on the device, or "" when it does not answer
    // "AT" with one. May take a while and may let events run.
    using Probe = std::function<QString(const SerialDevice&)>;
    // How long after the first interface of a device the probing begins,
    // so that its other interfaces are there too.
    static constexpr qint64 kSettleMs = 300;

    PlugOffers(Probe probe, QString ports_dir, qint64 settle_ms = kSettleMs);

    // Devices that were there when the program started are not offered.
    void already_present(const QList<SerialDevice>& devices);
    // A device appeared. Returns the slot whose phone came back and should
    // be connected now, or 0 (a new device waits for poll()).
    int appeared(const SerialDevice& device, const QList<SlotPort>& phone_slots, qint64 now_ms);
    void left(const SerialDevice& device);
    // Probes the devices whose settling time is over and returns what to
    // offer. Call it at next_due_ms().
    QList<PhoneOffer> poll(const QList<SlotPort>& phone_slots, qint64 now_ms);
    // When poll() has work next; -1 when nothing waits.
    qint64 next_due_ms() const;
    // The user declined: the device is not offered again in this session.
    void decline(const PhoneOffer& offer);

private:
    struct Waiting {
        QList<SerialDevice> interfaces;
        qint64 due_ms = 0;
        bool decided = false;  // probed already: offered, or nothing answered
    };

    const SlotPort* owner(const SerialDevice& device, const QList<SlotPort>& phone_slots) const;
    std::optional<PhoneOffer> probe_group(const QString& key, const QList<SlotPort>& phone_slots);
    QList<int> free_slots(const QList<SlotPort>& phone_slots, int preferred) const;

    Probe probe_;
    QString ports_dir_;
    qint64 settle_ms_;
    QMap<QString, Waiting> devices_;  // by USB device (usb_device_key)
    QSet<QString> declined_;
};

// The port number an accepted offer gives its slot, with the ports folder
// made to lead there: a device that has an entry already keeps it; else the
// entry of the slot's own port number (unless another slot uses that
// number, then the first free number from 97 on) is linked to the device's
// stable name. Returns 0, with the reason in error, when no link could be
// written.
int link_offer_to_slot(const PhoneOffer& offer, const SlotPort& chosen, const QList<SlotPort>& phone_slots,
                       QString* error = nullptr);
