#pragma once
#include <QString>
#include <stdexcept>

// Module `at`: questions about the phone's call list, asked of the
// normalised reply to "AT+CLCC". Pure functions over the reply text; they
// keep no state.
//
// The reply holds one entry per call, each the marker "+CLCC:" followed by
// fields separated by ",": index, direction, state, mode, multiparty,
// number in double quotes, number type. States: 0 active, 1 held,
// 2 dialling, 3 alerting, 4 incoming, 5 waiting. Directions: 0 outgoing,
// 1 incoming.

// A call entry lacks a field that a question needs.
class AtFieldMissing : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace at {

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

}  // namespace at
