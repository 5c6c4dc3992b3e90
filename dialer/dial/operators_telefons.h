#pragma once
#include <QString>
#include <QStringList>
#include <array>

#include "blackboard/phone_text.h"

// Number texts as users type or paste them: cleaning, splitting several
// numbers apart, completing local numbers, the operator class of a number
// and its routing rule. Only complete_local_number, classify_number and
// route_rule read the store (afresh on every call).
namespace Operators_telefons {

// What a text without any digit, "+" or "^" cleans to. Callers compare it
// by its exact value.
inline const QString kNoNumber = QStringLiteral("er");

// Separator mark between two numbers of one text.
inline const QString kSeparatorMark = QStringLiteral("^^^");

// The digits 0-9, "+" and "^" of the text, in order, or "er" when there are
// none. Replaces every "+3800" by "+380" in the caller's text first; the
// caller keeps that change.
QString clean_number(QString& text);
// clean_number on a copy: the caller's text stays as it is.
QString clean_copy(const QString& text);

// The text with "^^^" where one number ends and the next begins: at the marks
// , . ; / and backslash, and before "+38", " 38" and " 0".
QString mark_separators(const QString& text);

// The clean forms, in order and with duplicates, of the pieces of the marked
// text that hold a number of more than 4 characters.
QStringList candidate_numbers(const QString& text);

// Puts the city code (kod5, kod4, kod3) in front of a local number of 5, 6
// or 7 characters.
void complete_local_number(QString& number);

// The clean form without "^"; an 11-character number beginning with "8"
// loses that "8".
void prepare_for_dialling(QString& number);

enum class OperatorClass { MTS, KS, LF, BE, GOR, MEJD, OST };

// In the order the settings window lists the rules.
inline constexpr std::array<OperatorClass, 7> kAllOperatorClasses{
    OperatorClass::MTS, OperatorClass::KS,   OperatorClass::LF, OperatorClass::BE,
    OperatorClass::GOR, OperatorClass::MEJD, OperatorClass::OST};

// The class's name, which is also the key of its routing rule.
QString operator_class_key(OperatorClass operator_class);

OperatorClass classify_number(const QString& number);

// The class's rule: target slot - 1 (0-3 serial phones, 4 Skype, 5 SIP).
int route_rule(OperatorClass operator_class);

// The leading decimal number of a text rounded to the nearest integer, ties
// to even ("3.7" -> 4, "2.5" -> 2, "5abc" -> 5); 0 when the text does not
// begin with a number (blackboard/phone_text.h).
using blackboard::read_rule_number;

// True exactly when the text is "1".
bool flag_is_on(const QString& text);

}  // namespace Operators_telefons

// The module's functions are used unqualified throughout the dialer.
using Operators_telefons::OperatorClass;
using Operators_telefons::candidate_numbers;
using Operators_telefons::classify_number;
using Operators_telefons::clean_copy;
using Operators_telefons::clean_number;
using Operators_telefons::complete_local_number;
using Operators_telefons::flag_is_on;
using Operators_telefons::mark_separators;
using Operators_telefons::operator_class_key;
using Operators_telefons::prepare_for_dialling;
using Operators_telefons::read_rule_number;
using Operators_telefons::route_rule;
