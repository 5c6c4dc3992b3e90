#include "dialer/main_window/form_port.h"

#include "contacts/shown_names.h"
#include "dialer/main_window/name_completion.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QAbstractItemView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>
#include <QDateTime>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <functional>

#include "dialer/dial/conference_add.h"
#include "dialer/dial/dial_entry.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/main_window_presence.h"
#include "dialer/main_window/ballon_tip.h"
#include "dialer/dial/reestr.h"
#include "dialer/main_window/controllers.h"
#include "dialer/contacts/contacts_panel.h"
#include "dialer/main_window/journal_panel.h"
#include "dialer/messages/messages_panel.h"
#include "dialer/main_window/plug_notice.h"
#include "dialer/main_window/start_mode.h"
#include "dialer/main_window/talk_times.h"
#include "dialer/main_window/watchers.h"
#include "dialer/main_window/ussd_dialog.h"
#include "dialer/settings/settings_window.h"
#include "blackboard/slot.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "serial/qt_serial_component.h"

Q_LOGGING_CATEGORY(lcWatch, "vekorra.watch", QtWarningMsg)

using main_window::CallButton;

namespace {

constexpr QSize kClientSize(737, 545);
constexpr int kTabsTop = 296;
constexpr int kPlugNoticeHeight = 58;
// The connected phones for "Через:" and the running controllers for the
// connect commands are looked at this often.
constexpr qint64 kViaLookMs = 500;
constexpr int kStatusPeriodMs = 100;
constexpr int kIncomingPeriodMs = 100;
constexpr int kRequestPeriodMs = 50;
constexpr int kOnTopMs = 100;
constexpr int kDialogFontPixels = 11;
// The journal is asked for missed calls at most this often: a status pass
// runs every 100 ms and a missed call is no hurry.
constexpr qint64 kMissedLookMs = 500;

// The window's client area. Pointer movement over its bare surface (not
// over a control) restores the pictures of hovered buttons.
class WindowSurface : public QWidget {
public:
    WindowSurface(QWidget* parent, std::function<void()> on_surface_hovered)
        : QWidget(parent), on_surface_hovered_(std::move(on_surface_hovered))
    {
        setMouseTracking(true);
    }

    // Places the controls that follow the window's size.
    std::function<void()> on_resized;

protected:
    void resizeEvent(QResizeEvent*) override
    {
        if (on_resized)
            on_resized();
    }

    void mouseMoveEvent(QMouseEvent* event) override
    {
        if (childAt(event->position().toPoint()) != nullptr) {
            event->ignore();
            return;
        }
        event->accept();
        on_surface_hovered_();
    }

private:
    std::function<void()> on_surface_hovered_;
};

// "Проверить обновление": blue text that acts like a link. A button to the
// keyboard (Tab, Space, Enter) and to screen readers.
class LinkButton : public QAbstractButton {
public:
    LinkButton(const QString& text, QWidget* parent, std::function<void()> on_click) : QAbstractButton(parent)
    {
        setText(text);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
        connect(this, &QAbstractButton::clicked, this, std::move(on_click));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(Qt::blue);
        painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter, text());
        if (!hasFocus())
            return;
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()) {
            event->accept();
            click();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }
};

// Shrinks a control's font until its text fits the control's fixed width.
template <typename Control>
void fit_text(Control* control)
{
    QFont font = control->font();
    while (font.pixelSize() > 8 && QFontMetrics(font).horizontalAdvance(control->text()) > control->width())
        font.setPixelSize(font.pixelSize() - 1);
    control->setFont(font);
}

}  // namespace

FormPort::FormPort(const QString& installation_folder, const QString& update_address, QWidget* parent)
    : QMainWindow(parent), installation_folder_(installation_folder), update_address_(update_address),
      main_window_lock_(main_window_lock_name()),
      pictures_(main_window::skin_folder(installation_folder)),
      missed_calls_(journal_, QDateTime::currentMSecsSinceEpoch())
{
    setObjectName(QStringLiteral("FormPort"));
    setWindowTitle(QStringLiteral("Vekorra"));
    // Taken by the window itself, wherever it is made: while no window holds
    // it, a dial starts a main program of its own.
    main_window_lock_.acquire();
    // Queued: a dial may open the number chooser or a message box, which
    // must not run inside the socket's notification.
    connect(&main_window_lock_, &platform::InstanceLock::text_received, this, &FormPort::take_hand_over,
            Qt::QueuedConnection);
    contacts::show_names_from(&contact_book_.index());
    build_menus();
    auto* surface = new WindowSurface(this, [this] { obnul_kartinki(); });
    // It opens at the size the window always had and grows from there; the
    // tabs take what it grows by.
    surface->setMinimumSize(kClientSize);
    surface->resize(kClientSize);
    surface->on_resized = [this] { lay_out(); };
    // The controls' places were laid out for an 8-point dialog font at 96
    // dpi; a font of the same pixel size keeps their texts inside them.
    QFont dialog_font = surface->font();
    dialog_font.setPixelSize(kDialogFontPixels);
    surface->setFont(dialog_font);
    setCentralWidget(surface);
    build_controls(surface);
    resize(sizeHint());
    lay_out();
    connect_call_notifier();

    connect(&Timer1, &QTimer::timeout, this, &FormPort::run_status_pass);
    connect(&Timer2, &QTimer::timeout, this, &FormPort::run_incoming_watcher);
    connect(&Timer5, &QTimer::timeout, this, &FormPort::run_call_request_watcher);
    Timer1.start(kStatusPeriodMs);
    Timer2.start(kIncomingPeriodMs);
    Timer5.start(kRequestPeriodMs);
    connect(&store_watch_, &settings_store::StoreWatch::changed, this, [this] {
        if (!Timer1.isActive())
            return;  // closing
        run_call_request_watcher();
        run_incoming_watcher();
        run_status_pass();
        // "Страна" set in the settings window reads the numbers anew.
        contact_book_.follow_region();
    });
}

FormPort::~FormPort()
{
    // The tab's notifier uses the notification service, a member that
    // goes before the window's children.
    delete messages_panel_;
    contacts::show_names_from(nullptr);
}

void FormPort::build_menus()
{
    // The marked letters open the menus from the keyboard (Alt+letter).
    QMenu* svaz = menuBar()->addMenu(tr("&Связь"));
    connect(svaz, &QMenu::aboutToShow, this, [this] { update_connect_commands(); });
    podkluchitsa = svaz->addAction(tr("&Подключиться"), this, [this] { start_controllers(); });
    razorv_sv = svaz->addAction(tr("&Разорвать связь"), this, [this] { disconnect_phones(); });
    ussd_action_ = svaz->addAction(tr("&USSD-запрос…"), this, [this] { UssdDialog(this).exec(); });
    nastr_menu = menuBar()->addAction(tr("&Настройки"));
    connect(nastr_menu, &QAction::triggered, this, [this] { show_settings_window(*this, this); });
}

void FormPort::build_controls(QWidget* surface)
{
    Text2 = new QLineEdit(surface);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setGeometry(16, 8, 209, 19);
    QPalette yellow = Text2->palette();
    yellow.setColor(QPalette::Base, Qt::yellow);
    Text2->setPalette(yellow);
    Text2->setAccessibleName(tr("Номер телефона"));
    // Enter in the number field dials as the call button does.
    connect(Text2, &QLineEdit::returnPressed, this, [this] { call_typed_number(); });
    new NameCompletion(Text2, contact_book_.index());

    Commanda1 = new QPushButton(tr("Позвонить"), surface);
    Commanda1->setObjectName(QStringLiteral("Commanda1"));
    Commanda1->setGeometry(232, 5, 105, 25);
    // Enter presses it while it has the focus (this is no dialog: it never
    // takes Enter from the number field).
    Commanda1->setAutoDefault(true);
    connect(Commanda1, &QPushButton::clicked, this, [this] { call_typed_number(); });
    soobshenie_ = new QPushButton(tr("Сообщение"), surface);
    soobshenie_->setObjectName(QStringLiteral("soobshenie"));
    soobshenie_->setGeometry(341, 5, 80, 25);
    soobshenie_->setAccessibleName(tr("Написать сообщение на этот номер"));
    connect(soobshenie_, &QPushButton::clicked, this, [this] { write_message(Text2->text().trimmed()); });

    // "Через:": the phone for the next call only; the rules by default.
    auto* via_label = new QLabel(tr("Через:"), surface);
    via_label->setGeometry(426, 9, 36, 17);
    via_ = new QComboBox(surface);
    via_->setObjectName(QStringLiteral("via"));
    via_->setGeometry(462, 6, 86, 23);
    // Narrow beside "Сообщение": the open list shows the names whole.
    via_->view()->setMinimumWidth(200);
    via_->setAccessibleName(tr("Через"));
    via_label->setBuddy(via_);
    refresh_via_choices();

    auto* Label20 = new QLabel(tr("Версия программы:"), surface);
    Label20->setGeometry(552, 0, 112, 17);
    Label20->setObjectName(QStringLiteral("Label20"));
    auto* Label21 = new QLabel(QString::fromLatin1(main_window::kProgramVersion), surface);
    Label21->setObjectName(QStringLiteral("Label21"));
    Label21->setGeometry(664, 0, 65, 17);
    Label22 = new LinkButton(tr("Проверить обновление"), surface, [this] { open_link(update_address_); });
    Label22->setObjectName(QStringLiteral("Label22"));
    Label22->setGeometry(608, 24, 121, 17);
    // A build without a download page offers no link to one.
    Label22->setVisible(!update_address_.isEmpty());
    fit_text(Label20);
    fit_text(Label22);

    const std::array<QPoint, main_window::kSerialSlots> corners{
        QPoint(8, 40), QPoint(368, 40), QPoint(8, 160), QPoint(368, 160)};
    for (int slot = 1; slot <= main_window::kSerialSlots; ++slot) {
        auto* phone_frame = new PhoneFrame(slot, pictures_, surface);
        phone_frame->setGeometry(QRect(corners[slot - 1], QSize(353, 121)));
        connect(phone_frame, &PhoneFrame::surface_hovered, this, &FormPort::obnul_kartinki);
        connect(phone_frame, &PhoneFrame::button_clicked, this, &FormPort::on_call_button);
        frames_[slot - 1] = phone_frame;
    }

    SSTab1 = new QTabWidget(surface);
    SSTab1->setObjectName(QStringLiteral("SSTab1"));
    // Across the whole window, so that the call journal's columns fit.
    SSTab1->setGeometry(8, 296, 721, 241);
    auto* call_log = new QWidget;
    // The last call above, the journal below taking the rest of the tab.
    auto* last_call = new QWidget(call_log);
    last_call->setFixedHeight(56);
    auto* Label1 = new QLabel(tr("Последний звонок:"), last_call);
    Label1->setGeometry(8, 12, 150, 17);
    Text1 = new QLineEdit(last_call);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(8, 32, 200, 22);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(tr("Последний звонок: номер"));
    Text3 = new QLineEdit(last_call);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setGeometry(216, 32, 113, 22);
    Text3->setReadOnly(true);
    Text3->setAccessibleName(tr("Последний звонок: время"));
    // Below the last call: every call of the journal; a call back is the
    // number typed and "Позвонить" pressed.
    journal_panel_ = new JournalPanel(
        [this](const QString& number) {
            Text2->setText(number);
            call_typed_number();
        },
        call_log);
    auto* call_log_layout = new QVBoxLayout(call_log);
    call_log_layout->setContentsMargins(0, 0, 8, 8);
    call_log_layout->setSpacing(4);
    call_log_layout->addWidget(last_call);
    auto* journal_row = new QHBoxLayout;
    journal_row->setContentsMargins(8, 0, 0, 0);
    journal_row->addWidget(journal_panel_);
    call_log_layout->addLayout(journal_row, 1);
    // The name column asks the contacts as it paints, and a search by name
    // looks for their numbers: a change shows in both.
    connect(&contact_book_, &contacts::ContactBook::changed, journal_panel_, &JournalPanel::contacts_changed);
    SSTab1->addTab(call_log, tr("Журнал звонков"));
    connect(journal_panel_, &JournalPanel::write_message, this, &FormPort::write_message);
    build_messages_tab();
    build_contacts_tab();

    // Above the tabs while a phone just plugged in is offered: the tabs
    // move down for it (lay_out()).
    plug_notice_ = new PlugNotice(surface);
    plug_notice_->installEventFilter(this);

    Text2->setFocus();
}

void FormPort::build_messages_tab()
{
    messages_panel_ = new MessagesPanel(notifications_, [](const QString& number) {
        call_number(number, DialCaller::MainWindow);
    });
    messages_panel_->setObjectName(QStringLiteral("messages_panel"));
    const auto title = [](int unread) {
        return unread > 0 ? tr("Сообщения (%1)").arg(unread) : tr("Сообщения");
    };
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(messages_panel_);
    const int tab = SSTab1->addTab(page, title(messages_panel_->unread_total()));
    connect(messages_panel_, &MessagesPanel::unread_changed, this,
            [this, tab, title](int unread) { SSTab1->setTabText(tab, title(unread)); });
    connect(messages_panel_, &MessagesPanel::show_requested, this, [this, page] {
        SSTab1->setCurrentWidget(page);
        raise_window();
    });
}

void FormPort::build_contacts_tab()
{
    contacts_panel_ = new ContactsPanel(contact_book_, [this](const QString& number) {
        Text2->setText(number);
        call_typed_number();
    });
    contacts_panel_->setObjectName(QStringLiteral("contacts_panel"));
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(contacts_panel_);
    SSTab1->addTab(page, tr("Контакты"));
    connect(contacts_panel_, &ContactsPanel::write_message, this, &FormPort::write_message);
    // Names shown beside numbers follow the contacts too.
    connect(&contact_book_, &contacts::ContactBook::changed, messages_panel_, &MessagesPanel::refresh);
}

void FormPort::write_message(const QString& number)
{
    SSTab1->setCurrentWidget(messages_panel_->parentWidget());
    messages_panel_->new_message(number);
}

void FormPort::lay_out()
{
    QWidget* surface = centralWidget();
    if (!surface || !SSTab1)
        return;
    const int width = surface->width();
    const int height = surface->height();
    // The version and the update link keep to the right edge.
    const int shift = width - kClientSize.width();
    if (auto* version_label = surface->findChild<QLabel*>(QStringLiteral("Label20")))
        version_label->move(552 + shift, 0);
    if (auto* version = surface->findChild<QLabel*>(QStringLiteral("Label21")))
        version->move(664 + shift, 0);
    Label22->move(608 + shift, 24);
    int tabs_top = kTabsTop;
    if (plug_notice_ && !plug_notice_->isHidden()) {
        plug_notice_->setGeometry(8, kTabsTop - 6, width - 16, kPlugNoticeHeight);
        tabs_top = plug_notice_->geometry().bottom() + 4;
    }
    SSTab1->setGeometry(8, tabs_top, width - 16, std::max(120, height - tabs_top - 8));
}

bool FormPort::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == plug_notice_ && (event->type() == QEvent::Show || event->type() == QEvent::Hide))
        lay_out();
    return QMainWindow::eventFilter(watched, event);
}

void FormPort::refresh_via_choices()
{
    const QList<main_window::ViaChoice> choices = main_window::via_choices();
    if (choices == via_choices_)
        return;
    // The choice stays while its phone stays connected.
    const QString chosen = via_->currentText();
    via_choices_ = choices;
    const QSignalBlocker quiet(via_);
    via_->clear();
    for (const main_window::ViaChoice& choice : choices)
        via_->addItem(choice.text);
    via_->setCurrentIndex(std::max(0, int(via_->findText(chosen))));
}

void FormPort::start_up()
{
    // A picture that cannot be read ends the dialer: before any controller
    // is allowed to run, so that none is left behind.
    pictures_.load_all();
    journal_panel_->remove_expired(Reestr::journal_days());
    messages_panel_->remove_expired(Reestr::journal_days());
    start_controllers();
    watch_plugged_phones();
    Ballon_tip::Add_balloon(Commanda1, tr("Позвонить"), this);
    for (PhoneFrame* phone_frame : frames_)
        phone_frame->load_initial_pictures();
}

void FormPort::set_phones_connected(bool connected)
{
    phones_connected_ = connected;
    update_connect_commands();
}

void FormPort::update_connect_commands()
{
    // Each command only where it can act: "Подключиться" also while a
    // controller that should run does not (it ended or was killed).
    bool all_running = phones_connected_;
    for (int slot = 1; slot <= main_window::kSerialSlots && all_running; ++slot) {
        if (slot == 1 || blackboard::Slot(slot).enabled())
            all_running = main_window::controller_running(installation_folder_, slot);
    }
    podkluchitsa->setEnabled(!all_running);
    razorv_sv->setEnabled(phones_connected_);
}

void FormPort::start_controllers()
{
    set_phones_connected(true);
    const std::array<bool, 3> shown = main_window::start_enabled_controllers(installation_folder_);
    for (int slot = 2; slot <= 4; ++slot)
        set_phone_panel_visible(slot, shown[slot - 2]);
}

void FormPort::start_controller(int slot)
{
    set_phones_connected(true);
    main_window::start_controller(installation_folder_, slot);
}

void FormPort::set_phone_panel_visible(int slot, bool visible)
{
    // The frame of phone 1 is always shown.
    if (slot >= 2 && slot <= main_window::kSerialSlots)
        frames_[slot - 1]->setVisible(visible);
}

SerialComponent& FormPort::serial_port()
{
    if (!serial_port_)
        serial_port_ = std::make_unique<QtSerialComponent>();
    return *serial_port_;
}

void FormPort::disconnect_phones()
{
    main_window::withdraw_run_permissions();
    set_phones_connected(false);
}

void FormPort::closeEvent(QCloseEvent* event)
{
    main_window::withdraw_run_permissions();
    Timer1.stop();
    Timer2.stop();
    Timer5.stop();
    event->accept();
}

void FormPort::call_typed_number()
{
    const QString text = Text2->text();
    if (text.isEmpty()) {
        platform::show_message(tr("Не введён номер!"), platform::MessageIcon::None);
        return;
    }
    dial(text);
}

void FormPort::dial(const QString& text)
{
    if (!phones_connected_) {
        platform::show_message(tr("Телефоны отключены: Связь → Подключиться"),
                               platform::MessageIcon::Error);
        return;
    }
    const int chosen = via_->currentIndex();
    const std::optional<int> via =
        chosen > 0 && chosen < via_choices_.size() ? via_choices_[chosen].rule : std::nullopt;
    // The choice is for this one call.
    via_->setCurrentIndex(0);
    call_number(text, DialCaller::MainWindow, via);
}

void FormPort::take_hand_over(const QString& text)
{
    raise_window();
    if (!text.isEmpty())
        dial(text);
}

void FormPort::on_call_button(int slot, CallButton button)
{
    if (button == CallButton::kf_dob_k)
        show_conference_add_window(slot, this);
    else
        main_window::write_button_command(slot, button);
}

void FormPort::connect_call_notifier()
{
    // Each action does what the matching button of the phone's frame does.
    connect(&call_notifier_, &main_window::CallNotifier::answer, this, &main_window::write_button_command);
    connect(&call_notifier_, &main_window::CallNotifier::decline, this, &main_window::write_button_command);
    connect(&call_notifier_, &main_window::CallNotifier::call_back, this,
            [this](const QString& number) { dial(number); });
    connect(&call_notifier_, &main_window::CallNotifier::raise_main_window, this, &FormPort::raise_window);
    connect(&call_notifier_, &main_window::CallNotifier::write_message, this, [this](const QString& number) {
        write_message(number);
        raise_window();
    });
}

void FormPort::raise_window()
{
    showNormal();
    raise();
    activateWindow();
}

void FormPort::watch_plugged_phones()
{
    plug_watch_ = new main_window::PlugWatch(make_device_watcher(),
                                             main_window::PlugWatch::model_probe(serial_port()), *this, this);
    connect(plug_watch_, &main_window::PlugWatch::offered, this, [this](const PhoneOffer& offer) {
        plug_notice_->add(offer);
        plug_notification_.show(offer);
    });
    connect(plug_watch_, &main_window::PlugWatch::device_left, this, [this](const SerialDevice& device) {
        plug_notice_->remove(device);
        plug_notification_.withdraw(PhoneOffer{device, {}, {}});
    });
    connect(plug_notice_, &PlugNotice::accepted, this, &FormPort::accept_offer);
    connect(plug_notice_, &PlugNotice::declined, this, &FormPort::decline_offer);
    connect(&plug_notification_, &main_window::PlugNotification::accept, this, [this](const PhoneOffer& offer) {
        plug_notice_->answered(offer);
        accept_offer(offer, offer.free_slots.first(), blackboard::kDefaultPhoneType);
    });
    connect(&plug_notification_, &main_window::PlugNotification::decline, this, [this](const PhoneOffer& offer) {
        plug_notice_->answered(offer);
        decline_offer(offer);
    });
    connect(&plug_notification_, &main_window::PlugNotification::raise_main_window, this, &FormPort::raise_window);
    plug_watch_->start();
}

void FormPort::accept_offer(const PhoneOffer& offer, int slot, blackboard::PhoneType type)
{
    plug_notification_.withdraw(offer);
    QString error;
    if (!plug_watch_->accept(offer, slot, type, &error))
        platform::show_message(tr("Не удалось подключить телефон: ") + error, platform::MessageIcon::Error);
}

void FormPort::decline_offer(const PhoneOffer& offer)
{
    plug_notification_.withdraw(offer);
    plug_watch_->decline(offer);
}

void FormPort::run_status_pass()
{
    auto views = main_window::status_pass();
    add_talk_times(views);
    for (int index = 0; index < main_window::kSerialSlots; ++index)
        frames_[index]->apply(views[index]);
    notify_calls(views);
    const qint64 now_ms = platform::clock().now_ms();
    if (now_ms >= next_via_look_ms_) {
        next_via_look_ms_ = now_ms + kViaLookMs;
        refresh_via_choices();
        update_connect_commands();
    }
}

void FormPort::add_talk_times(std::array<main_window::SlotView, main_window::kSerialSlots>& views)
{
    const qint64 now_ms = platform::clock().wall_clock_ms();
    for (int index = 0; index < main_window::kSerialSlots; ++index) {
        std::optional<main_window::DisplayState>& display = views[index].display;
        if (!display || display->colour != main_window::DisplayColour::LightGreen)
            continue;
        display->text = main_window::with_talk_times(display->text, journal_.open_calls(QString::number(index + 1)),
                                                     now_ms);
    }
}

void FormPort::notify_calls(const std::array<main_window::SlotView, main_window::kSerialSlots>& views)
{
    for (int index = 0; index < main_window::kSerialSlots; ++index)
        call_notifier_.phone_pass(main_window::phone_call_state(index + 1, views[index].model, views[index].calls));
    const qint64 now_ms = QDateTime::currentMSecsSinceEpoch();
    if (now_ms < next_missed_look_ms_)
        return;
    next_missed_look_ms_ = now_ms + kMissedLookMs;
    for (const main_window::MissedCall& call : missed_calls_.new_missed_calls())
        call_notifier_.missed_call(call);
}

void FormPort::run_incoming_watcher()
{
    const std::optional<main_window::IncomingCall> call = main_window::take_incoming_call();
    if (!call)
        return;
    Text1->setText(call->number);
    Text3->setText(call->time);
    qCDebug(lcWatch, "incoming call shown: %s at %lld ms", qPrintable(call->number),
            static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
}

void FormPort::run_call_request_watcher()
{
    // Taken notes first: a request taken between the two reads is then
    // seen as taken at the next look, not lost.
    const QStringList taken = main_window::take_taken_call_requests();
    if (request_raise_.should_raise(main_window::pending_call_requests(), taken))
        hold_on_top_briefly();
}

void FormPort::hold_on_top_briefly()
{
    // The flag is set on the native window: setting it on the widget would
    // re-create the window, which moves it and shows a hidden one.
    QWindow* native = windowHandle();
    const bool on_screen = isVisible() && !isMinimized();
    if (native)
        native->setFlag(Qt::WindowStaysOnTopHint, true);
    if (on_screen)
        raise();
    platform::clock().sleep_ms(kOnTopMs);
    if (native)
        native->setFlag(Qt::WindowStaysOnTopHint, false);
    qCDebug(lcWatch, "call request pending: window held on top");
}

void FormPort::obnul_kartinki()
{
    for (PhoneFrame* phone_frame : frames_)
        phone_frame->restore_pictures();
}
