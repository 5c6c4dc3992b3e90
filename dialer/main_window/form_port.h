#pragma once
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "contacts/contact_book.h"
#include "dialer/main_window/call_notifier.h"
#include "dialer/main_window/missed_calls.h"
#include "dialer/main_window/phone_frame.h"
#include "dialer/main_window/plug_watch.h"
#include "dialer/main_window/skin_button.h"
#include "dialer/main_window/watchers.h"
#include "dialer/settings/main_window_link.h"
#include "journal/journal.h"
#include "platform/dbus_notifications.h"

class JournalPanel;
class MessagesPanel;
class PlugNotice;
class QAbstractButton;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

// The dialer's main window: the number field and call button, one frame
// per serial phone slot, the call log, and the owner of the controllers.
// Its three timers run from its creation until it closes.
class FormPort : public QMainWindow, public MainWindowLink {
    Q_OBJECT

public:
    explicit FormPort(const QString& installation_folder, QWidget* parent = nullptr);
    ~FormPort() override;

    // The start-up before the window is shown: the controllers of the
    // enabled slots and their frames, the call button's balloon, the
    // initial pictures of every frame.
    void start_up();

    // What the settings window uses.
    void start_controller(int slot) override;
    void set_phone_panel_visible(int slot, bool visible) override;
    int poisk_aktiv() const override { return poisk_aktiv_; }
    void set_poisk_aktiv(int value) override { poisk_aktiv_ = value; }
    SerialComponent& serial_port() override;

    PhoneFrame* frame(int slot) const { return frames_[slot - 1]; }
    QLineEdit* number_field() const { return Text2; }
    QPushButton* call_button() const { return Commanda1; }
    QLineEdit* last_call_number() const { return Text1; }
    QLineEdit* last_call_time() const { return Text3; }
    JournalPanel* journal_panel() const { return journal_panel_; }
    MessagesPanel* messages_panel() const { return messages_panel_; }
    QPushButton* message_button() const { return soobshenie_; }
    QTabWidget* tabs() const { return SSTab1; }
    QAbstractButton* update_link() const { return Label22; }
    QAction* connect_action() const { return podkluchitsa; }
    QAction* disconnect_action() const { return razorv_sv; }
    QAction* settings_action() const { return nastr_menu; }
    QAction* ussd_action() const { return ussd_action_; }
    PlugNotice* plug_notice() const { return plug_notice_; }

public slots:
    void run_status_pass();         // Timer1
    void run_incoming_watcher();    // Timer2
    void run_call_request_watcher();  // Timer5
    void obnul_kartinki();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build_menus();
    void build_controls(QWidget* surface);
    void start_controllers();
    void disconnect_phones();
    void call_typed_number();
    void on_call_button(int slot, main_window::CallButton button);
    void hold_on_top_briefly();
    void connect_call_notifier();
    void notify_calls();
    void watch_plugged_phones();
    void accept_offer(const PhoneOffer& offer, int slot, blackboard::PhoneType type);
    void decline_offer(const PhoneOffer& offer);
    void raise_window();
    void build_messages_tab();
    // The messages tab, with the conversation of the number ("" for a new one).
    void write_message(const QString& number);

    QString installation_folder_;
    SkinPictures pictures_;
    int poisk_aktiv_ = 0;
    main_window::CallRequestRaise request_raise_;
    std::unique_ptr<SerialComponent> serial_port_;

    QAction* podkluchitsa = nullptr;
    QAction* razorv_sv = nullptr;
    QAction* ussd_action_ = nullptr;
    QAction* nastr_menu = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Commanda1 = nullptr;
    QAbstractButton* Label22 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text3 = nullptr;
    JournalPanel* journal_panel_ = nullptr;
    MessagesPanel* messages_panel_ = nullptr;
    QPushButton* soobshenie_ = nullptr;  // "Сообщение" beside "Позвонить"
    PlugNotice* plug_notice_ = nullptr;
    std::array<PhoneFrame*, main_window::kSerialSlots> frames_{};

    // Desktop notifications of ringing and missed calls; the notifier
    // keeps a reference to the service, so the service comes first.
    // Every contact, followed as their folders change: the names that the
    // displays, the notifications and the journal show beside numbers.
    contacts::ContactBook contact_book_;
    platform::DBusNotificationService notifications_;
    main_window::CallNotifier call_notifier_{notifications_};
    journal::Journal journal_;
    main_window::MissedCallWatch missed_calls_;
    qint64 next_missed_look_ms_ = 0;
    // Phones plugged in and out while the dialer runs.
    main_window::PlugWatch* plug_watch_ = nullptr;
    main_window::PlugNotification plug_notification_{notifications_};

    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer5;
};
