#include "dialer/main_window/plug_watch.h"

#include <QLoggingCategory>

#include "blackboard/notify_keys.h"
#include "blackboard/slot.h"
#include "dialer/settings/main_window_link.h"
#include "dialer/settings/modem_model.h"
#include "platform/clock.h"
#include "serial/serial_component.h"
#include "serial/stable_names.h"

Q_LOGGING_CATEGORY(lcPlug, "vekorra.plug", QtWarningMsg)

namespace main_window {

namespace {

constexpr int kSerialSlots = 4;
const QString kConnect = QStringLiteral("connect");
const QString kDecline = QStringLiteral("decline");
const QString kDefault = QStringLiteral("default");

bool same_device(const PhoneOffer& a, const PhoneOffer& b) { return a.device.node == b.device.node; }

}  // namespace

QString offer_text(const PhoneOffer& offer)
{
    return PlugWatch::tr("Подключён телефон %1 (%2)").arg(offer.model, display_name(stable_name(offer.device)));
}

PlugWatch::PlugWatch(DeviceEvents* events, PlugOffers::Probe probe, MainWindowLink& main_window, QObject* parent)
    : QObject(parent), events_(events), offers_(std::move(probe), ports_folder()), main_window_(main_window)
{
    events_->setParent(this);
    poll_timer_.setSingleShot(true);
    connect(&poll_timer_, &QTimer::timeout, this, &PlugWatch::poll);
    connect(events_, &DeviceEvents::appeared, this, &PlugWatch::on_appeared);
    connect(events_, &DeviceEvents::left, this, &PlugWatch::on_left);
}

void PlugWatch::start()
{
    offers_.already_present(events_->start());
}

QList<SlotPort> PlugWatch::phone_slots()
{
    QList<SlotPort> phones;
    for (int slot = 1; slot <= kSerialSlots; ++slot) {
        const blackboard::Slot board(slot);
        const bool enabled = slot == 1 || board.enabled();
        phones += describe_slot(slot, board.port().toInt(), enabled, board.port_open());
    }
    return phones;
}

bool PlugWatch::defer_while_probing(std::function<void()> work)
{
    // While a probe waits, the window's events run, and with them this
    // watch's: its offers are not to change under the probe.
    if (!probing_)
        return false;
    QTimer::singleShot(kDeferMs, this, std::move(work));
    return true;
}

void PlugWatch::on_appeared(const SerialDevice& device)
{
    if (defer_while_probing([this, device] { on_appeared(device); }))
        return;
    // A device that has just appeared is not the one its slot is connected
    // to, whatever the store still says (it lags by up to a status tick).
    QList<SlotPort> phones = phone_slots();
    for (SlotPort& phone : phones)
        phone.connected = false;
    const int slot = offers_.appeared(device, phones, platform::clock().now_ms());
    if (slot != 0) {
        qCDebug(lcPlug) << "device of slot" << slot << "is back:" << device.node;
        blackboard::Slot(slot).write(blackboard::key::podkl_snova, blackboard::flag::on);
        emit reconnect_requested(slot);
    }
    schedule_poll();
}

void PlugWatch::on_left(const SerialDevice& device)
{
    if (defer_while_probing([this, device] { on_left(device); }))
        return;
    offers_.left(device);
    emit device_left(device);
    schedule_poll();
}

void PlugWatch::schedule_poll()
{
    const qint64 due = offers_.next_due_ms();
    if (due < 0) {
        poll_timer_.stop();
        return;
    }
    poll_timer_.start(static_cast<int>(qMax<qint64>(0, due - platform::clock().now_ms())));
}

void PlugWatch::poll()
{
    if (defer_while_probing([this] { poll(); }))
        return;
    probing_ = true;
    const QList<PhoneOffer> offers = offers_.poll(phone_slots(), platform::clock().now_ms());
    probing_ = false;
    for (const PhoneOffer& offer : offers) {
        qCDebug(lcPlug) << "offering" << offer.model << "on" << offer.device.node;
        emit offered(offer);
    }
    schedule_poll();
}

bool PlugWatch::accept(const PhoneOffer& offer, int slot, blackboard::PhoneType type, QString* error)
{
    const QList<SlotPort> phones = phone_slots();
    const int port = link_offer_to_slot(offer, phones.at(slot - 1), phones, error);
    if (port == 0) {
        qCWarning(lcPlug) << "cannot give" << offer.device.node << "a port:" << (error ? *error : QString());
        return false;
    }
    const blackboard::Slot board(slot);
    board.set_port(QString::number(port));
    board.set_phone_type(type);
    board.write(blackboard::key::name_tlf, offer.model);
    board.set_enabled(true);
    main_window_.set_phone_panel_visible(slot, true);
    // A controller running for the slot already takes the new port at its
    // next tick; told to connect, it does so at once.
    board.write(blackboard::key::podkl_snova, blackboard::flag::on);
    main_window_.start_controller(slot);
    return true;
}

void PlugWatch::decline(const PhoneOffer& offer)
{
    offers_.decline(offer);
}

PlugOffers::Probe PlugWatch::model_probe(SerialComponent& serial)
{
    return [&serial](const SerialDevice& device) {
        const int port = device.port_entries.isEmpty() ? port_of_device(device.node) : device.port_entries.first();
        // A test call of the settings window has the port in use.
        if (port == 0 || serial.PortOpen())
            return QString();
        // Off the window's thread: a phone takes half a second or more to
        // answer, and the window goes on meanwhile.
        const QString model = ask_model_in_background(port).model;
        // "ERROR" to every model query is a device that is no phone to offer.
        return model == kNoModel || model == QLatin1String("ERROR") ? QString() : model;
    };
}

PlugNotification::PlugNotification(platform::NotificationService& service, QObject* parent)
    : QObject(parent), service_(service)
{
    connect(&service_, &platform::NotificationService::action_invoked, this, &PlugNotification::on_action);
    connect(&service_, &platform::NotificationService::closed, this,
            [this](quint32 id, platform::CloseReason) { on_closed(id); });
}

void PlugNotification::show(const PhoneOffer& offer)
{
    if (!blackboard::notify::notifications_on())
        return;
    platform::Notification notification;
    notification.app_name = QStringLiteral("Vekorra");
    notification.desktop_entry = QStringLiteral("vekorra");
    notification.icon = QStringLiteral("vekorra");
    notification.summary = offer_text(offer);
    notification.category = QStringLiteral("device.added");
    if (service_.capabilities().contains(QStringLiteral("actions"))) {
        notification.body = PlugWatch::tr("Подключить его как телефон %1?").arg(offer.free_slots.first());
        notification.actions = {{kDefault, QString()},
                                {kConnect, PlugWatch::tr("Подключить")},
                                {kDecline, PlugWatch::tr("Не подключать")}};
    } else {
        notification.body = PlugWatch::tr("Подключите его в окне Vekorra.");
    }
    const quint32 id = service_.notify(notification);
    if (id != 0)
        shown_.append({id, offer});
}

void PlugNotification::withdraw(const PhoneOffer& offer)
{
    for (qsizetype index = shown_.size() - 1; index >= 0; --index) {
        if (same_device(shown_[index].second, offer))
            service_.close(shown_.takeAt(index).first);
    }
}

void PlugNotification::on_action(quint32 id, const QString& action_key)
{
    for (qsizetype index = 0; index < shown_.size(); ++index) {
        if (shown_[index].first != id)
            continue;
        if (action_key == kDefault) {
            emit raise_main_window();
            return;
        }
        const PhoneOffer offer = shown_.takeAt(index).second;
        service_.close(id);
        if (action_key == kConnect)
            emit accept(offer);
        else if (action_key == kDecline)
            emit decline(offer);
        return;
    }
}

void PlugNotification::on_closed(quint32 id)
{
    shown_.removeIf([id](const QPair<quint32, PhoneOffer>& shown) { return shown.first == id; });
}

}  // namespace main_window
