#include "serial/plug_offers.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "serial/serial_component.h"
#include "serial/stable_names.h"

namespace {

// Port numbers from here on have no device of their own, only entries.
constexpr int kFirstEntryOnlyPort = 97;
constexpr int kLastPort = 256;

bool before(const SerialDevice& a, const SerialDevice& b)
{
    return std::tie(a.interface_number, a.node) < std::tie(b.interface_number, b.node);
}

}  // namespace

SlotPort describe_slot(int slot, int port, bool enabled, bool connected)
{
    SlotPort described{slot, port, enabled, connected, {}, false};
    const QString path = port_device_path(port);
    if (path.isEmpty())
        return described;
    const QFileInfo info(path);
    described.device_names += path;
    if (info.isSymLink())
        described.device_names += info.symLinkTarget();
    const QString node = info.canonicalFilePath();
    if (!node.isEmpty())
        described.device_names += node;
    described.awaits_device = info.isSymLink() && node.isEmpty();
    return described;
}

bool slot_leads_to(const SlotPort& slot, const SerialDevice& device, const QString& ports_dir)
{
    const QStringList names = device_names(device, ports_dir);
    return std::any_of(slot.device_names.cbegin(), slot.device_names.cend(),
                       [&](const QString& name) { return names.contains(name); });
}

PlugOffers::PlugOffers(Probe probe, QString ports_dir, qint64 settle_ms)
    : probe_(std::move(probe)), ports_dir_(std::move(ports_dir)), settle_ms_(settle_ms)
{
}

void PlugOffers::already_present(const QList<SerialDevice>& devices)
{
    for (const SerialDevice& device : devices) {
        Waiting& waiting = devices_[usb_device_key(device)];
        waiting.interfaces += device;
        waiting.decided = true;
    }
}

const SlotPort* PlugOffers::owner(const SerialDevice& device, const QList<SlotPort>& phone_slots) const
{
    for (const SlotPort& slot : phone_slots) {
        if (slot_leads_to(slot, device, ports_dir_))
            return &slot;
    }
    return nullptr;
}

int PlugOffers::appeared(const SerialDevice& device, const QList<SlotPort>& phone_slots, qint64 now_ms)
{
    const SlotPort* slot = owner(device, phone_slots);
    if (slot && slot->enabled)
        return slot->connected ? 0 : slot->slot;
    const QString key = usb_device_key(device);
    if (declined_.contains(key))
        return 0;
    Waiting& waiting = devices_[key];
    if (waiting.interfaces.isEmpty())
        waiting.due_ms = now_ms + settle_ms_;
    const bool known = std::any_of(waiting.interfaces.cbegin(), waiting.interfaces.cend(),
                                   [&](const SerialDevice& d) { return d.node == device.node; });
    if (!known)
        waiting.interfaces += device;
    return 0;
}

void PlugOffers::left(const SerialDevice& device)
{
    for (auto it = devices_.begin(); it != devices_.end(); ++it) {
        it->interfaces.removeIf([&](const SerialDevice& d) { return d.node == device.node; });
        if (it->interfaces.isEmpty()) {
            // Gone for good: plugged in again, it is a new arrival.
            devices_.erase(it);
            return;
        }
    }
}

QList<PhoneOffer> PlugOffers::poll(const QList<SlotPort>& phone_slots, qint64 now_ms)
{
    QStringList due;
    for (auto it = devices_.cbegin(); it != devices_.cend(); ++it) {
        if (!it->decided && it->due_ms <= now_ms)
            due += it.key();
    }
    QList<PhoneOffer> offers;
    // A probe may let events run, and so appeared() and left(): each
    // device is looked up again rather than held across a probe.
    for (const QString& key : due) {
        if (std::optional<PhoneOffer> offer = probe_group(key, phone_slots))
            offers += *offer;
    }
    return offers;
}

std::optional<PhoneOffer> PlugOffers::probe_group(const QString& key, const QList<SlotPort>& phone_slots)
{
    if (!devices_.contains(key) || devices_[key].decided)
        return std::nullopt;
    devices_[key].decided = true;
    QList<SerialDevice> interfaces = devices_[key].interfaces;
    std::sort(interfaces.begin(), interfaces.end(), before);
    for (const SerialDevice& device : interfaces) {
        const SlotPort* slot = owner(device, phone_slots);
        if (slot && slot->enabled)
            continue;  // a slot's port leads here by now
        const QString model = probe_(device);
        if (model.isEmpty())
            continue;
        const QList<int> free = free_slots(phone_slots, slot ? slot->slot : 0);
        if (free.isEmpty())
            return std::nullopt;
        return PhoneOffer{device, model, free};
    }
    return std::nullopt;
}

QList<int> PlugOffers::free_slots(const QList<SlotPort>& phone_slots, int preferred) const
{
    QList<int> free;
    for (const SlotPort& slot : phone_slots) {
        if (slot.slot == preferred || (!slot.connected && !slot.awaits_device))
            free += slot.slot;
    }
    std::sort(free.begin(), free.end(), [preferred](int a, int b) {
        return std::make_pair(a != preferred, a) < std::make_pair(b != preferred, b);
    });
    return free;
}

qint64 PlugOffers::next_due_ms() const
{
    qint64 next = -1;
    for (const Waiting& waiting : devices_) {
        if (!waiting.decided && (next < 0 || waiting.due_ms < next))
            next = waiting.due_ms;
    }
    return next;
}

void PlugOffers::decline(const PhoneOffer& offer)
{
    declined_.insert(usb_device_key(offer.device));
}

int link_offer_to_slot(const PhoneOffer& offer, const SlotPort& chosen, const QList<SlotPort>& phone_slots,
                       QString* error)
{
    if (!offer.device.port_entries.isEmpty())
        return offer.device.port_entries.first();
    const auto used_elsewhere = [&](int port) {
        return std::any_of(phone_slots.cbegin(), phone_slots.cend(),
                           [&](const SlotPort& s) { return s.slot != chosen.slot && s.port == port; });
    };
    int port = chosen.port;
    if (port <= 0 || port > kLastPort || used_elsewhere(port)) {
        port = 0;
        const QDir folder(ports_folder());
        for (int candidate = kFirstEntryOnlyPort; candidate <= kLastPort && port == 0; ++candidate) {
            const QFileInfo entry(folder.filePath(QStringLiteral("com%1").arg(candidate)));
            if (!entry.exists() && !entry.isSymLink() && !used_elsewhere(candidate))
                port = candidate;
        }
    }
    if (port == 0) {
        if (error)
            *error = QStringLiteral("no free port number");
        return 0;
    }
    return write_port_link(port, stable_name(offer.device), error) ? port : 0;
}
