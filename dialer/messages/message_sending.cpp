#include "dialer/messages/message_sending.h"

#include "blackboard/slot.h"
#include "dialer/dial/dispatcher.h"
#include "dialer/dial/operators_telefons.h"
#include "dialer/messages/message_labels.h"
#include "messages/message_store.h"

namespace messages_window {

namespace {
constexpr int kSerialSlots = 4;

void wake(int slot)
{
    if (slot >= 1 && slot <= kSerialSlots)
        blackboard::Slot(slot).write(blackboard::key::sms_ochered, blackboard::flag::of(true));
}
}  // namespace

QList<SendingPhone> sending_phones()
{
    QList<SendingPhone> phones;
    for (const int slot : blackboard::connected_gsm_slots()) {
        const blackboard::Slot board(slot);
        QString name = Labels::tr("Телефон %1").arg(slot);
        const QString model = board.read(blackboard::key::model, QString());
        if (!model.isEmpty() && model != QLatin1String("ER"))
            name += QStringLiteral(" (%1)").arg(model);
        phones.append(SendingPhone{slot, name});
    }
    return phones;
}

int line_for_message(int chosen_slot, const QString& number)
{
    if (chosen_slot >= 1 && chosen_slot <= kSerialSlots)
        return chosen_slot;
    const int routed = message_slot_for(number);
    if (routed != 0)
        return routed;
    const QList<SendingPhone> phones = sending_phones();
    return phones.isEmpty() ? 1 : phones.first().slot;
}

QString sending_note(int slot)
{
    if (slot < 1 || slot > kSerialSlots)
        return QString();
    const blackboard::Slot board(slot);
    const QString mode = board.read(blackboard::key::sms_rezhim, QString());
    const std::optional<blackboard::PhoneType> type = board.phone_type();
    if (mode == blackboard::sms_mode::none || (type && *type != blackboard::PhoneType::Gsm))
        return Labels::tr("Телефон %1 не принимает сообщений").arg(slot);
    if (mode == blackboard::sms_mode::pdu_no_reports || mode == blackboard::sms_mode::text_no_reports)
        return Labels::tr("доставка не подтверждается");
    return QString();
}

QString sendable_number(const QString& typed)
{
    QString number = Operators_telefons::clean_copy(typed);
    number.remove(QLatin1Char('^'));
    // "+" counts only in front.
    const bool plus = number.startsWith(QLatin1Char('+'));
    number.remove(QLatin1Char('+'));
    if (number.isEmpty() || number == Operators_telefons::kNoNumber)
        return QString();
    return plus ? QLatin1Char('+') + number : number;
}

qint64 queue_message(messages::MessageStore& store, int slot, const QString& number, const QString& text,
                     qint64 now_ms)
{
    const qint64 id = store.queue(QString::number(slot), number, text, now_ms);
    if (id != 0)
        wake(slot);
    return id;
}

bool send_again(messages::MessageStore& store, qint64 id, qint64 now_ms)
{
    const messages::Message message = store.message(id);
    if (message.id == 0 || !store.resend(id, now_ms))
        return false;
    wake(message.line.toInt());
    return true;
}

}  // namespace messages_window
