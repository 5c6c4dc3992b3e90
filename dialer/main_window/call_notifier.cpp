#include "dialer/main_window/call_notifier.h"

#include <QStringList>

#include "blackboard/notify_keys.h"
#include "journal/call_record.h"
#include "contacts/shown_names.h"

namespace main_window {

namespace {
const QString kAnswer = QStringLiteral("answer");
const QString kDecline = QStringLiteral("decline");
const QString kCallBack = QStringLiteral("call-back");
const QString kMessage = QStringLiteral("message");
const QString kDefault = QStringLiteral("default");

QString number_text(const QString& number)
{
    return number.isEmpty() ? CallNotifier::tr("Номер скрыт") : contacts::with_name(number);
}

// "Телефон 2 (Nokia 6300)"; a phone whose model query failed ("ER") or
// never ran is named by its slot alone.
QString phone_text(int slot, const QString& model)
{
    QString text = CallNotifier::tr("Телефон %1").arg(slot);
    if (!model.isEmpty() && model != QLatin1String("ER"))
        text += QStringLiteral(" (%1)").arg(model);
    return text;
}
}  // namespace

PhoneCallState phone_call_state(int slot, const QString& model, const blackboard::PublishedCalls& calls)
{
    PhoneCallState phone{slot, model, std::nullopt};
    using Ringing = blackboard::PublishedCalls::Ringing;
    if (calls.ringing() != Ringing::None)
        phone.ringing = RingingCall{calls.number(), calls.ringing() == Ringing::Waiting};
    return phone;
}

CallNotifier::CallNotifier(platform::NotificationService& service, QObject* parent)
    : QObject(parent), service_(service)
{
    connect(&service_, &platform::NotificationService::action_invoked, this, &CallNotifier::on_action);
    connect(&service_, &platform::NotificationService::closed, this,
            [this](quint32 id, platform::CloseReason) { on_closed(id); });
}

void CallNotifier::phone_pass(const PhoneCallState& phone)
{
    if (phone.slot < 1 || phone.slot > static_cast<int>(ringing_.size()))
        return;
    Ringing& ringing = ringing_[phone.slot - 1];
    if (!phone.ringing || !blackboard::notify::notifications_on()) {
        close_ringing(ringing);
        return;
    }
    if (ringing.call != phone.ringing) {
        // Another call rings now: it gets its own chance to be seen.
        ringing.call = phone.ringing;
        ringing.settled = false;
    }
    if (ringing.settled)
        return;
    platform::Notification notification = ringing_notification(phone);
    if (notification == ringing.sent)
        return;  // shown as it is, or the server refused exactly this
    ringing.sent = notification;
    notification.replaces_id = ringing.id;
    const quint32 id = service_.notify(notification);
    if (id == 0 && ringing.id != 0)
        service_.close(ringing.id);  // the old text must not stay up as if current
    ringing.id = id;
}

void CallNotifier::missed_call(const MissedCall& call)
{
    if (!blackboard::notify::notifications_on())
        return;
    // A row ends when the user has seen to all of it.
    if (missed_.isEmpty() && missed_summary_id_ == 0)
        missed_in_row_ = 0;
    ++missed_in_row_;
    if (missed_in_row_ <= kMissedShownSingly) {
        const quint32 id = service_.notify(missed_notification(call));
        if (id != 0)
            missed_.insert(id, call.number);
        return;
    }
    platform::Notification sum = missed_summary(call);
    sum.replaces_id = missed_summary_id_;
    missed_summary_id_ = service_.notify(sum);
}

void CallNotifier::close_ringing(Ringing& ringing)
{
    if (ringing.id != 0)
        service_.close(ringing.id);
    ringing = Ringing{};
}

void CallNotifier::on_action(quint32 id, const QString& action_key)
{
    if (id == 0)
        return;
    for (size_t index = 0; index < ringing_.size(); ++index) {
        Ringing& ringing = ringing_[index];
        if (ringing.id != id)
            continue;
        const int slot = static_cast<int>(index) + 1;
        const bool waiting = ringing.call && ringing.call->waiting;
        if (action_key == kDefault) {
            emit raise_main_window();
            return;
        }
        if (action_key != kAnswer && action_key != kDecline)
            return;
        // The call is the user's business now: off the screen, and not shown
        // again while this call still rings on the phone.
        service_.close(ringing.id);
        ringing.id = 0;
        ringing.settled = true;
        if (action_key == kAnswer)
            emit answer(slot, waiting ? CallButton::prin1_k : CallButton::prin2_k);
        else
            emit decline(slot, waiting ? CallButton::otklon1_k : CallButton::otklon2_k);
        return;
    }
    if (id == missed_summary_id_ && action_key == kDefault) {
        emit raise_main_window();
        return;
    }
    const auto missed = missed_.constFind(id);
    if (missed == missed_.constEnd())
        return;  // another program's notification
    if (action_key == kDefault) {
        emit raise_main_window();
    } else if ((action_key == kCallBack || action_key == kMessage) && !missed->isEmpty()) {
        const QString number = *missed;
        service_.close(id);
        missed_.remove(id);
        if (action_key == kCallBack)
            emit call_back(number);
        else
            emit write_message(number);
    }
}

void CallNotifier::on_closed(quint32 id)
{
    if (id == 0)
        return;
    missed_.remove(id);
    if (id == missed_summary_id_)
        missed_summary_id_ = 0;
    for (Ringing& ringing : ringing_) {
        if (ringing.id == id) {
            // Dismissed by the user (or by the server): the phone rings on,
            // but this call is not pushed back onto the screen.
            ringing.id = 0;
            ringing.settled = true;
        }
    }
}

platform::Notification CallNotifier::base_notification(bool with_actions)
{
    platform::Notification notification;
    notification.app_name = QStringLiteral("Vekorra");
    notification.desktop_entry = QStringLiteral("vekorra");
    notification.icon = QStringLiteral("vekorra");
    if (with_actions)
        notification.actions << platform::NotificationAction{kDefault, QString()};
    return notification;
}

platform::Notification CallNotifier::ringing_notification(const PhoneCallState& phone)
{
    const QStringList capabilities = service_.capabilities();
    const bool with_actions = capabilities.contains(QStringLiteral("actions"));
    platform::Notification notification = base_notification(with_actions);
    notification.summary =
        phone.ringing->waiting ? tr("Второй вызов") : tr("Входящий звонок");
    QString body = number_text(phone.ringing->number) + QLatin1Char('\n') + phone_text(phone.slot, phone.model);
    if (capabilities.contains(QStringLiteral("body-markup")))
        body = body.toHtmlEscaped();
    notification.body = body;
    if (with_actions) {
        notification.actions << platform::NotificationAction{kAnswer, tr("Ответить")}
                             << platform::NotificationAction{kDecline, tr("Отклонить")};
    }
    notification.urgency = platform::Urgency::Critical;
    notification.category = QStringLiteral("call.incoming");
    notification.expire_timeout_ms = 0;  // stays while it rings; closed by us
    return notification;
}

platform::Notification CallNotifier::missed_notification(const MissedCall& call)
{
    const QStringList capabilities = service_.capabilities();
    const bool with_actions = capabilities.contains(QStringLiteral("actions"));
    platform::Notification notification = base_notification(with_actions);
    notification.summary = tr("Пропущенный звонок");
    QString body = number_text(call.number) + QLatin1Char('\n') + phone_text(call.slot, call.model)
                   + QLatin1Char('\n') + journal::time_label(call.time.toMSecsSinceEpoch());
    if (capabilities.contains(QStringLiteral("body-markup")))
        body = body.toHtmlEscaped();
    notification.body = body;
    // A withheld caller cannot be called back.
    if (with_actions && !call.number.isEmpty())
        notification.actions << platform::NotificationAction{kCallBack, tr("Перезвонить")}
                             << platform::NotificationAction{kMessage, tr("Сообщение")};
    notification.urgency = platform::Urgency::Normal;
    notification.category = QStringLiteral("call.unanswered");
    return notification;
}

platform::Notification CallNotifier::missed_summary(const MissedCall& last)
{
    const QStringList capabilities = service_.capabilities();
    platform::Notification notification = base_notification(capabilities.contains(QStringLiteral("actions")));
    notification.summary = tr("Пропущено звонков: %n", nullptr, missed_in_row_);
    QString body = tr("Последний: %1").arg(number_text(last.number)) + QLatin1Char('\n')
                   + phone_text(last.slot, last.model) + QLatin1Char('\n')
                   + last.time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    if (capabilities.contains(QStringLiteral("body-markup")))
        body = body.toHtmlEscaped();
    notification.body = body;
    notification.urgency = platform::Urgency::Normal;
    notification.category = QStringLiteral("call.unanswered");
    return notification;
}

}  // namespace main_window
