#pragma once
#include <QCoreApplication>
#include <QString>

#include "journal/call_record.h"
#include "messages/message.h"
#include "messages/parts.h"

// The texts the messages tab shows, in the running language: the state of
// a message, the compose counter, the lines of a conversation read aloud
// or exported. Qt Core only.
namespace messages_window {

struct Labels {
    Q_DECLARE_TR_FUNCTIONS(MessagesWindow)
};

// "Отправляется" (queued or sending), "Отправлено", "Доставлено",
// "Ошибка: <reason>"; "" for a received message, its reason for an
// incomplete one.
QString state_label(const messages::Message& message);
// "Осталось 153, частей: 2 (GSM)": what is left of the last part.
QString counter_label(const messages::PartCount& count);
// 14:03 today, 01.05.24 on another day.
QString short_time_label(qint64 ms, qint64 now_ms);
// One message as a screen reader reads it and the export writes it:
// "Входящее, 01.05.2024 14:03:07: text"; with the state when outgoing.
QString message_line(const messages::Message& message);
// "Входящий звонок, 01.05.2024 14:03:07, 1:05" (the talk time when answered).
QString call_line(const journal::CallRecord& call);

}  // namespace messages_window
