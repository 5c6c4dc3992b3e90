#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

#include "blackboard/call_list.h"

// Module `at`: questions about the phone's call list, asked of the
// normalised reply to "AT+CLCC" (blackboard/call_list.h describes its
// entries). Pure functions; they keep no state.
//
// Each question comes twice: of the reply text, and of a CallListView that
// holds the reply parsed once, for a caller that asks many questions of one
// reply. Both give the same answers.

// A call entry lacks a field that a question needs.
class AtFieldMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace at {

// The reply parsed once, with the list of active and held calls built from
// it. Never throws itself: a question that needs a field an entry lacks
// throws when asked.
class CallListView {
public:
    explicit CallListView(const QString& reply);

    // Every entry as listed, also one without a state.
    const QList<blackboard::CallEntry>& entries() const { return entries_; }
    // Every entry, for a question about the whole list: an entry without a
    // state fails it (AtFieldMissing), since no answer about the call list
    // can skip a call.
    const QList<blackboard::CallEntry>& every_call() const;
    // call_list's text, and that text cut at its ";".
    const QString& list_text() const;
    const QStringList& list_pieces() const;

private:
    void require_states() const;

    QList<blackboard::CallEntry> entries_;
    int first_without_state_ = 0;  // 1-based; 0 when every entry has its state
    QString list_text_;
    QStringList list_pieces_;
};

QString call_state_text(const QString& reply, int n);
int has_active(const QString& reply);
int has_incoming(const QString& reply);
int has_waiting(const QString& reply);
int has_outgoing_setup(const QString& reply);
int conference_kind(const QString& reply);
int can_join(const QString& reply);
QString incoming_number(const QString& reply);
QString waiting_number(const QString& reply);
QString outgoing_call(const QString& reply, int mode);
QString call_list(const QString& reply);
QString call_list_state(const QString& reply, int n);
QString call_list_number(const QString& reply, int n);

// The state text of entry n (1-based): "Разговор", "Набор номера", ...;
// "" when there is no such entry or its state field is not exactly one of
// "0".."5" (spaces around it aside). Only entry n needs its state.
QString call_state_text(const CallListView& calls, int n);
// 1 when some call is active / incoming / waiting / dialling or alerting.
int has_active(const CallListView& calls);
int has_incoming(const CallListView& calls);
int has_waiting(const CallListView& calls);
int has_outgoing_setup(const CallListView& calls);
// 2 with more than one held call, else 1 with more than one active call,
// else 0.
int conference_kind(const CallListView& calls);
// 1 when the held call(s) can be joined with the active one(s).
int can_join(const CallListView& calls);
// The number of the last incoming / waiting call listed, "" when none.
QString incoming_number(const CallListView& calls);
QString waiting_number(const CallListView& calls);
// The last dialling or alerting call: its number (mode 0) or its progress
// text ("Набор номера....", "Ожидание ответа....").
QString outgoing_call(const CallListView& calls, int mode);
// Active and held calls as "number,state / direction;" items, the last one
// in the phone's order first.
QString call_list(const CallListView& calls);
// The state / number part of item n (1-based) of call_list; "" when there
// is no such item.
QString call_list_state(const CallListView& calls, int n);
QString call_list_number(const CallListView& calls, int n);

}  // namespace at
