#pragma once
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

#include "blackboard/keys.h"
#include "platform/notifications.h"
#include "serial/device_events.h"
#include "serial/plug_offers.h"

class MainWindowLink;
class SerialComponent;

namespace main_window {

// Phones that come and go while the dialer runs. A slot's device that comes
// back has its controller told to connect at once (`podkl_snova`); a new
// device that answers with a model, and that no slot uses, is offered to
// the user; an accepted offer is set up exactly as the settings window sets
// up a found phone, and its controller started.
class PlugWatch : public QObject {
    Q_OBJECT

public:
    // events is the device-events seam (it becomes a child of the watch).
    PlugWatch(DeviceEvents* events, PlugOffers::Probe probe, MainWindowLink& main_window,
              QObject* parent = nullptr);

    // Begins watching; what is plugged in already is not offered.
    void start();

    // The user took the offer for `slot` as a phone of `type`: the port is
    // linked to the device's stable name, `port`, `Tip_Tlf`, `name_tlf` and
    // `ON` written, the controller started and its frame shown. false, with
    // the reason in error, when the port link could not be written.
    bool accept(const PhoneOffer& offer, int slot, blackboard::PhoneType type, QString* error = nullptr);
    // Not offered again in this session.
    void decline(const PhoneOffer& offer);

    // The model of the phone on a device, asked on the dialer's serial port
    // as the phone search asks (through the device's port number); "" when
    // it has no port number or answers no model.
    static PlugOffers::Probe model_probe(SerialComponent& serial);

    // The serial slots as the offers see them, from the store.
    static QList<SlotPort> phone_slots();

signals:
    void offered(const PhoneOffer& offer);
    // An offered device went away before the user answered.
    void device_left(const SerialDevice& device);
    // A slot's device came back and its controller was told to connect.
    void reconnect_requested(int slot);

private:
    void on_appeared(const SerialDevice& device);
    void on_left(const SerialDevice& device);
    void poll();
    void schedule_poll();
    // Runs work a little later when a probe is under way; false otherwise.
    bool defer_while_probing(std::function<void()> work);

    static constexpr int kDeferMs = 50;

    DeviceEvents* events_;
    PlugOffers offers_;
    MainWindowLink& main_window_;
    QTimer poll_timer_;
    bool probing_ = false;
};

// The desktop notification of an offer, beside the notice in the window:
// "Подключить" takes it for the first free slot as a GSM phone,
// "Не подключать" declines it, a click on it raises the main window.
// Shown only while notifications are switched on and the server has actions.
class PlugNotification : public QObject {
    Q_OBJECT

public:
    explicit PlugNotification(platform::NotificationService& service, QObject* parent = nullptr);

    void show(const PhoneOffer& offer);
    // The offer was answered in the window, or its device left.
    void withdraw(const PhoneOffer& offer);

signals:
    void accept(const PhoneOffer& offer);
    void decline(const PhoneOffer& offer);
    void raise_main_window();

private:
    void on_action(quint32 id, const QString& action_key);
    void on_closed(quint32 id);

    platform::NotificationService& service_;
    QList<QPair<quint32, PhoneOffer>> shown_;
};

// "Подключён телефон <model> (<device>)".
QString offer_text(const PhoneOffer& offer);

}  // namespace main_window
