#pragma once
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <memory>

#include "contacts/contact_book.h"
#include "settings_store/store_watch.h"
#include "dialer/main_window/call_notifier.h"
#include "dialer/main_window/missed_calls.h"
#include "dialer/main_window/phone_frame.h"
#include "dialer/main_window/plug_watch.h"
#include "dialer/main_window/skin_button.h"
#include "dialer/main_window/start_mode.h"
#include "dialer/main_window/via_choices.h"
#include "dialer/main_window/watchers.h"
#include "dialer/settings/main_window_link.h"
#include "journal/journal.h"
#include "platform/dbus_notifications.h"
#include "platform/instance_lock.h"

class ContactsPanel;
class JournalPanel;
class MessagesPanel;
class PlugNotice;
class QAbstractButton;
class QComboBox;
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
    // update_address: the page "Проверить обновление" opens; empty hides
    // the link.
    explicit FormPort(const QString& installation_folder,
                      const QString& update_address = main_window::download_page_url(), QWidget* parent = nullptr);
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
    QComboBox* via_choice() const { return via_; }
    QLineEdit* last_call_number() const { return Text1; }
    QLineEdit* last_call_time() const { return Text3; }
    JournalPanel* journal_panel() const { return journal_panel_; }
    MessagesPanel* messages_panel() const { return messages_panel_; }
    ContactsPanel* contacts_panel() const { return contacts_panel_; }
    const contacts::ContactBook& contact_book() const { return contact_book_; }
    QPushButton* message_button() const { return soobshenie_; }
    QTabWidget* tabs() const { return SSTab1; }
    QAbstractButton* update_link() const { return Label22; }
    QAction* connect_action() const { return podkluchitsa; }
    QAction* disconnect_action() const { return razorv_sv; }
    QAction* settings_action() const { return nastr_menu; }
    QAction* ussd_action() const { return ussd_action_; }
    PlugNotice* plug_notice() const { return plug_notice_; }

    // Whether this window holds the lock that makes it the user's main
    // window for the store (false: another one ran first). While it holds
    // it, dials and hand-overs of this user come to it.
    bool holds_main_window_lock() const { return main_window_lock_.held(); }

    // Whether the controllers are let run ("Подключиться") or were let go
    // ("Разорвать связь").
    bool phones_connected() const { return phones_connected_; }

public slots:
    // A later start of the dialer handed a number over (empty: it only
    // asked for this window to come forward).
    void take_hand_over(const QString& text);
    void run_status_pass();         // Timer1
    void run_incoming_watcher();    // Timer2
    void run_call_request_watcher();  // Timer5
    void obnul_kartinki();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build_menus();
    void build_controls(QWidget* surface);
    // Places what follows the window's size: the tabs take the room below
    // the phones (below the plug-in offer while one shows).
    void lay_out();
    void refresh_via_choices();
    void add_talk_times(std::array<main_window::SlotView, main_window::kSerialSlots>& views);
    void start_controllers();
    void disconnect_phones();
    void call_typed_number();
    // Every dial of this window: refused while the phones are disconnected.
    void dial(const QString& text);
    void set_phones_connected(bool connected);
    void update_connect_commands();
    void on_call_button(int slot, main_window::CallButton button);
    void hold_on_top_briefly();
    void connect_call_notifier();
    void notify_calls(const std::array<main_window::SlotView, main_window::kSerialSlots>& views);
    void watch_plugged_phones();
    void accept_offer(const PhoneOffer& offer, int slot, blackboard::PhoneType type);
    void decline_offer(const PhoneOffer& offer);
    void raise_window();
    void build_messages_tab();
    void build_contacts_tab();
    // The messages tab, with the conversation of the number ("" for a new one).
    void write_message(const QString& number);

    QString installation_folder_;
    QString update_address_;
    platform::InstanceLock main_window_lock_;
    SkinPictures pictures_;
    int poisk_aktiv_ = 0;
    bool phones_connected_ = false;
    main_window::CallRequestRaise request_raise_;
    std::unique_ptr<SerialComponent> serial_port_;

    QAction* podkluchitsa = nullptr;
    QAction* razorv_sv = nullptr;
    QAction* ussd_action_ = nullptr;
    QAction* nastr_menu = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Commanda1 = nullptr;
    QComboBox* via_ = nullptr;
    QList<main_window::ViaChoice> via_choices_;
    qint64 next_via_look_ms_ = 0;
    QAbstractButton* Label22 = nullptr;
    QTabWidget* SSTab1 = nullptr;
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text3 = nullptr;
    JournalPanel* journal_panel_ = nullptr;
    MessagesPanel* messages_panel_ = nullptr;
    ContactsPanel* contacts_panel_ = nullptr;
    QPushButton* soobshenie_ = nullptr;  // "Сообщение" beside "Позвонить"
    PlugNotice* plug_notice_ = nullptr;
    std::array<PhoneFrame*, main_window::kSerialSlots> frames_{};

    // Desktop notifications of ringing and missed calls; the notifier
    // keeps a reference to the service, so the service comes first.
    // Every contact, followed as their folders change: the names that the
    // displays, the notifications and the journal show beside numbers.
    // Read in the background: the window opens without waiting for them.
    contacts::ContactBook contact_book_{true, contacts::ContactBook::Load::InBackground};
    platform::DBusNotificationService notifications_;
    main_window::CallNotifier call_notifier_{notifications_};
    journal::Journal journal_{journal::journal_path(), journal::JournalDatabase::Use::Window};
    main_window::MissedCallWatch missed_calls_;
    qint64 next_missed_look_ms_ = 0;
    // Phones plugged in and out while the dialer runs.
    main_window::PlugWatch* plug_watch_ = nullptr;
    main_window::PlugNotification plug_notification_{notifications_};

    QTimer Timer1;
    QTimer Timer2;
    QTimer Timer5;
    // A controller's commit is shown at once; the timers stay as the fallback.
    settings_store::StoreWatch store_watch_;
};
