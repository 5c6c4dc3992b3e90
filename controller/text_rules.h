#pragma once
#include <QString>

#include "blackboard/phone_text.h"

// Text conversions of the controller: the phone-text rules it shares with
// the dialer (numbers read from the blackboard, numbers put into dial
// commands, the model text), and the normalised form of a phone reply.
namespace kestrum {

using blackboard::ask_for_model;
using blackboard::clean_model_reply;
using blackboard::dial_command;
using blackboard::dialable_number;
using blackboard::leading_number16;
using blackboard::model_reply_text;
using blackboard::trim_spaces;

// The reply of the phone to a command, as the engines read it: line ends and
// tabs turned into spaces, the echoed command removed, runs of spaces
// shortened, spaces at both ends removed.
QString normalise_reply(const QString& raw, const QString& command);

}  // namespace kestrum
