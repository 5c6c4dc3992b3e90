#include "dialer/main_window/form_port.h"

#include "contacts/shown_names.h"
#include "dialer/main_window/name_completion.h"

#include <QAbstractButton>
#include <QCloseEvent>
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
#include "dialer/main_window/ballon_tip.h"
#include "dialer/dial/reestr.h"
#include "dialer/main_window/controllers.h"
#include "dialer/main_window/journal_panel.h"
#include "dialer/messages/messages_panel.h"
#include "dialer/main_window/plug_notice.h"
#include "dialer/main_window/start_mode.h"
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

protected:
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

FormPort::FormPort(const QString& installation_folder, QWidget* parent)
    : QMainWindow(parent), installation_folder_(installation_folder),
      pictures_(main_window::skin_folder(installation_folder)),
      missed_calls_(journal_, QDateTime::currentMSecsSinceEpoch())
{
    setObjectName(QStringLiteral("FormPort"));
    setWindowTitle(QStringLiteral("Vekorra"));
    contacts::show_names_from(&contact_book_.index());
    build_menus();
    auto* surface = new WindowSurface(this, [this] { obnul_kartinki(); });
    surface->setFixedSize(kClientSize);
    // The controls' places were laid out for an 8-point dialog font at 96
    // dpi; a font of the same pixel size keeps their texts inside them.
    QFont dialog_font = surface->font();
    dialog_font.setPixelSize(kDialogFontPixels);
    surface->setFont(dialog_font);
    setCentralWidget(surface);
    build_controls(surface);
    setFixedSize(sizeHint());
    connect_call_notifier();

    connect(&Timer1, &QTimer::timeout, this, &FormPort::run_status_pass);
    connect(&Timer2, &QTimer::timeout, this, &FormPort::run_incoming_watcher);
    connect(&Timer5, &QTimer::timeout, this, &FormPort::run_call_request_watcher);
    Timer1.start(kStatusPeriodMs);
    Timer2.start(kIncomingPeriodMs);
    Timer5.start(kRequestPeriodMs);
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
    soobshenie_->setGeometry(342, 5, 105, 25);
    soobshenie_->setAccessibleName(tr("Написать сообщение на этот номер"));
    connect(soobshenie_, &QPushButton::clicked, this, [this] { write_message(Text2->text().trimmed()); });

    auto* Label20 = new QLabel(tr("Версия программы:"), surface);
    Label20->setGeometry(552, 0, 112, 17);
    auto* Label21 = new QLabel(QString::fromLatin1(main_window::kProgramVersion), surface);
    Label21->setGeometry(664, 0, 65, 17);
    Label22 = new LinkButton(tr("Проверить обновление"), surface, [] {
        open_link(QString::fromLatin1(main_window::kDownloadPageUrl));
    });
    Label22->setObjectName(QStringLiteral("Label22"));
    Label22->setGeometry(608, 24, 121, 17);
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
    auto* Label1 = new QLabel(tr("Последний звонок:"), call_log);
    Label1->setGeometry(8, 12, 150, 17);
    Text1 = new QLineEdit(call_log);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(8, 32, 200, 22);
    Text1->setReadOnly(true);
    Text1->setAccessibleName(tr("Последний звонок: номер"));
    Text3 = new QLineEdit(call_log);
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
    journal_panel_->setGeometry(8, 60, 701, 148);
    // The name column asks the contacts as it paints: a change repaints it.
    connect(&contact_book_, &contacts::ContactBook::changed, journal_panel_, [this] { journal_panel_->update(); });
    SSTab1->addTab(call_log, tr("Журнал звонков"));
    connect(journal_panel_, &JournalPanel::write_message, this, &FormPort::write_message);
    build_messages_tab();

    // Over the top of the tabs while a phone just plugged in is offered.
    plug_notice_ = new PlugNotice(surface);
    plug_notice_->setGeometry(8, 286, 721, 58);

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

void FormPort::write_message(const QString& number)
{
    SSTab1->setCurrentWidget(messages_panel_->parentWidget());
    messages_panel_->new_message(number);
}

void FormPort::start_up()
{
    // A picture that cannot be read ends the dialer: before any controller
    // is allowed to run, so that none is left behind.
    pictures_.load_all();
    journal_panel_->remove_expired(Reestr::journal_days());
    start_controllers();
    watch_plugged_phones();
    Ballon_tip::Add_balloon(Commanda1, tr("Позвонить"), this);
    for (PhoneFrame* phone_frame : frames_)
        phone_frame->load_initial_pictures();
}

void FormPort::start_controllers()
{
    const std::array<bool, 3> shown = main_window::start_enabled_controllers(installation_folder_);
    for (int slot = 2; slot <= 4; ++slot)
        set_phone_panel_visible(slot, shown[slot - 2]);
}

void FormPort::start_controller(int slot)
{
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
    call_number(text, DialCaller::MainWindow);
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
            [](const QString& number) { call_number(number, DialCaller::MainWindow); });
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
    const auto views = main_window::status_pass();
    for (int index = 0; index < main_window::kSerialSlots; ++index)
        frames_[index]->apply(views[index]);
    notify_calls();
}

void FormPort::notify_calls()
{
    namespace key = blackboard::key;
    for (int slot = 1; slot <= main_window::kSerialSlots; ++slot) {
        const blackboard::Slot board(slot);
        call_notifier_.phone_pass(main_window::phone_call_state(
            slot, board.read(key::model, QString()), board.read(key::zvonok, QString()),
            board.read(key::knopki_zv, QString())));
    }
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
    if (request_raise_.should_raise(main_window::pending_call_requests()))
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
