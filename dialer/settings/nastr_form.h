#pragma once
#include <QDialog>
#include <array>

#include "dialer/dial/reestr.h"
#include "dialer/settings/modem_model.h"
#include "dialer/settings/scan_ports.h"

class MainWindowLink;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

// The dialer's settings window "Настройки программы": phones and their
// enabling, types and ports, the search for phones, the routing rules and
// the dial settings. Every control writes its key the moment it changes,
// whether the user or the window's own loading changed it; nothing is
// applied later. Constructing the window loads it.
class Nastr_form : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSerialSlots = 4;
    static constexpr int kRuleLists = 7;

    explicit Nastr_form(MainWindowLink& main_window, QWidget* parent = nullptr);

    MainWindowLink& main_window() const { return main_window_; }

    // Refills the seven rule lists and shows the rules panel, or the notice
    // about a single phone when no slot besides phone 1 is enabled.
    void Set_combo();
    // The closing routine: restarts the controllers after a search, hides
    // the test-call frame.
    void Nastr_vygr();

    // Set once the close box closed the window: it is to be unloaded.
    bool unload_requested() const { return unload_requested_; }
    bool searching() const { return scan_.running(); }

protected:
    void closeEvent(QCloseEvent* event) override;
    // Escape: like "Закрыть".
    void reject() override;

private:
    enum class PendingClose { None, Hide, Unload };

    // Building the controls (nastr_form_layout.cpp).
    void build();
    QWidget* build_phones_tab();
    QGroupBox* build_phone_frame(int index);
    QWidget* build_enable_column();
    QWidget* build_search_area();
    QWidget* build_rules_tab();
    QWidget* build_other_tab();

    // Loading and the change handlers (nastr_form.cpp).
    void connect_handlers();
    void load();
    void on_enable_changed(int slot, bool checked);
    void apply_cascade();
    void on_journal_days_changed(int days);
    void on_city_code_changed(QLineEdit* box, const Reestr::Setting& setting, int width);
    void refresh_models();
    void close_by_button();

    // Discovery (nastr_form_search.cpp).
    void start_search();
    void on_entry_selected();
    void assign_to_slot(int slot);
    void test_call(DialCommand command);
    QTreeWidgetItem* selected_entry() const;
    void finish_pending_close();

    MainWindowLink& main_window_;
    Scan_ports scan_;
    bool unload_requested_ = false;
    PendingClose pending_close_ = PendingClose::None;

    QTabWidget* SSTab1 = nullptr;
    // Frames of phones 1 to 4, then Skype and the SIP softphone.
    std::array<QGroupBox*, 6> Frame1{};
    std::array<QRadioButton*, kSerialSlots> Option1{};  // "GSM телефон"
    std::array<QRadioButton*, kSerialSlots> Option2{};  // "CDMA телефон"
    std::array<QRadioButton*, kSerialSlots> Option3{};  // "Проводной модем"
    std::array<QLineEdit*, kSerialSlots> Text6{};       // port
    std::array<QLabel*, kSerialSlots> Label5{};         // model
    std::array<QPushButton*, kSerialSlots> Command5{};  // "Назначить >"
    // Index k enables slot k + 1; index 0 is unused (phone 1 is always on).
    std::array<QCheckBox*, 6> Check3{};
    std::array<QLabel*, 5> Label8{};
    QPushButton* Command2 = nullptr;  // "Поиск телефонов"
    QLabel* Label4 = nullptr;         // search progress
    QPushButton* Command4 = nullptr;  // "Остановить"
    QTreeWidget* List1 = nullptr;     // found phones: model, device
    // Ports another program holds, and what to do, after a search.
    QLabel* zanyatye_porty = nullptr;
    QGroupBox* Frame3 = nullptr;      // "Проверка вызова номера"
    QLabel* test_phone_label = nullptr;
    QLineEdit* Text2 = nullptr;       // number of the test call
    QPushButton* Command3 = nullptr;  // "Позвонить"
    QPushButton* Command6 = nullptr;  // "(CDMA)"

    QLabel* single_phone_notice = nullptr;
    QGroupBox* Frame2 = nullptr;      // rules panel
    // Index 1 to 7 in the order MTS, KS, LF, BE, GOR, MEJD, OST.
    std::array<QComboBox*, kRuleLists + 1> Combo1{};
    QLineEdit* Text3 = nullptr;  // kod3
    QLineEdit* Text4 = nullptr;  // kod4
    QLineEdit* Text5 = nullptr;  // kod5
    QCheckBox* Check1 = nullptr; // kodGor_Plus
    QLineEdit* Text1 = nullptr;  // kodS1
    QCheckBox* Check2 = nullptr; // Plus_repl
    QLineEdit* Text7 = nullptr;  // Plus_repl_nom

    QCheckBox* Check4 = nullptr;     // wind
    QCheckBox* uvedomleniya = nullptr;  // desktop notifications of calls
    QCheckBox* sms_tekst = nullptr;     // a new message's text in its notification
    QCheckBox* sms_udalyat = nullptr;   // messages deleted from the phone once kept
    QLineEdit* sip_program = nullptr;
    QSpinBox* journal_days = nullptr;  // days the call journal keeps a call
    QComboBox* yazyk = nullptr;        // the windows' language, from the next start
    QComboBox* strana = nullptr;       // "Страна": the numbering that reads numbers without a country code

    QPushButton* OKButton = nullptr;  // "Закрыть"
    QTimer* Timer1 = nullptr;         // model labels
};
