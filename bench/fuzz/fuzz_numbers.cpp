// Fuzz target: the number functions of the dial logic (Operators_telefons):
// cleaning, marking and splitting several numbers, candidates, completing a
// local number, the dialling form, the operator class, the routing rule, and
// the number chooser's decision whether to ask.
//
// Input: a flag byte, then lines. Line 1 is the number text (UTF-8, as typed
// or handed over). With flag 1 the next three lines are the city codes kod3,
// kod4 and kod5; with flag 2 the next line is the country code kodS1; with
// flag 4 the next byte picks an operator class and the line after it is the
// text of that class's routing rule. The settings go into a real settings
// store in a temporary folder; settings not given are the defaults.
//
// Every function is compared with the rules written out here on plain
// strings; beyond that the results may only hold the characters the rules
// allow, and the dialling form and the class must not change when applied
// to their own result.
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <cstring>
#include <cmath>
#include <limits>
#include <map>
#include <string>

#include "bench/fuzz/fuzz_support.h"
#include "dialer/dial/number_chooser.h"
#include "dialer/dial/operators_telefons.h"
#include "dialer/dial/reestr.h"
#include "settings_store/settings_store.h"

namespace {

using fuzz::contains;
using fuzz::expect;
using fuzz::expect_equal;
using fuzz::replace_all;
using fuzz::u16;

struct Codes {
    std::u16string kod3 = u"044", kod4 = u"0442", kod5 = u"04422", kodS1 = u"+38";
};

// The store is written only when a value changes: reads are what the
// functions under test do on every call, writes are only the set-up.
void store(const Reestr::Setting& setting, const std::u16string& value)
{
    static std::map<std::string, std::u16string> written;
    const auto it = written.try_emplace(std::string(setting.key.data(), setting.key.size()),
                                        u16(QString(setting.default_value))).first;
    if (it->second == value)
        return;
    write_setting(setting.app, setting.section, setting.key, QString::fromStdU16String(value));
    it->second = value;
}

bool is_number_character(char16_t c) { return c == u'^' || c == u'+' || (c >= u'0' && c <= u'9'); }

std::u16string clean(std::u16string& text)
{
    text = replace_all(text, u"+3800", u"+380");
    std::u16string result;
    for (const char16_t c : text)
        if (is_number_character(c))
            result += c;
    return result.empty() ? u"er" : result;
}

std::u16string clean_copy(std::u16string text) { return clean(text); }

std::u16string marked(std::u16string text)
{
    for (const char16_t* mark : {u",", u".", u";", u"/", u"\\"})
        text = replace_all(text, mark, u"^^^");
    text = replace_all(text, u"+38", u"^^^+38");
    text = replace_all(text, u" 38", u"^^^38");
    return replace_all(text, u" 0", u"^^^0");
}

std::vector<std::u16string> candidates(const std::u16string& text)
{
    std::vector<std::u16string> result;
    for (const std::u16string& piece : fuzz::split(marked(text), u"^^^")) {
        const std::u16string c = clean_copy(piece);
        if (c != u"er" && c.size() > 4)
            result.push_back(c);
    }
    return result;
}

std::u16string completed(std::u16string number, const Codes& codes)
{
    if (clean(number).size() == 5)
        number = codes.kod5 + number;
    if (clean(number).size() == 6)
        number = codes.kod4 + number;
    if (clean(number).size() == 7)
        number = codes.kod3 + number;
    return number;
}

std::u16string for_dialling(std::u16string number)
{
    number = replace_all(clean(number), u"^", u"");
    if (number.size() == 11 && number[0] == u'8')
        number = number.substr(1);
    return number;
}

OperatorClass operator_class(const std::u16string& number, const Codes& codes)
{
    std::u16string c = clean_copy(number);
    if (contains(c, u"+")) {
        if (!contains(c, codes.kodS1))
            return OperatorClass::MEJD;
        c = replace_all(c, u"+", u"");
    }
    std::size_t start = 0;
    if (c.size() == 12)
        start = 2;
    else if (c.size() != 10)
        return c.size() >= 5 && c.size() <= 7 ? OperatorClass::GOR : OperatorClass::OST;
    const std::u16string p3 = c.substr(start, 3), p4 = c.substr(start, 4), p5 = c.substr(start, 5);
    if (p5 == codes.kod5 || p4 == codes.kod4)
        return OperatorClass::GOR;
    for (const char16_t* prefix : {u"050", u"066", u"095", u"099"})
        if (p3 == prefix)
            return OperatorClass::MTS;
    for (const char16_t* prefix : {u"067", u"096", u"097", u"098"})
        if (p3 == prefix)
            return OperatorClass::KS;
    if (p3 == u"063" || p3 == u"093")
        return OperatorClass::LF;
    if (p3 == u"068")
        return OperatorClass::BE;
    return p3 == codes.kod3 ? OperatorClass::GOR : OperatorClass::OST;
}

// A sign, digits, a point and digits (at least one digit) at the very
// start; rounded to nearest with ties to even, kept within int.
int rule_number(const std::u16string& text)
{
    const std::string ascii = fuzz::leading_decimal(text, 0);
    if (ascii.empty())
        return 0;
    const double value = std::strtod(ascii.c_str(), nullptr);
    if (value >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(std::nearbyint(value));
}

bool only(const QString& text, const char* allowed)
{
    for (const QChar c : text)
        if (c.unicode() > 127 || !std::strchr(allowed, char(c.unicode())) || c == QChar(0))
            return false;
    return true;
}

QString digits_and_plus(const QString& text)
{
    QString kept;
    for (const QChar c : text)
        if (c == u'+' || (c >= u'0' && c <= u'9'))
            kept += c;
    return kept;
}

void check_cleaning(const QString& text)
{
    const std::u16string raw = u16(text);
    QString changed = text;
    const QString c = clean_number(changed);
    std::u16string expected_text = raw;
    const std::u16string expected = clean(expected_text);
    expect_equal(u16(c), expected, "clean_number", text);
    expect_equal(u16(changed), expected_text, "clean_number leaves the caller +380 for +3800", text);
    expect(c == QLatin1String("er") || only(c, "0123456789+^"), "clean number only of digits, + and ^", text);
    expect_equal(u16(clean_copy(text)), expected, "clean_copy", text);

    const QString marks = mark_separators(text);
    expect_equal(u16(marks), marked(raw), "mark_separators", text);
    for (const char* mark : {",", ".", ";", "/", "\\"})
        expect(!marks.contains(QLatin1String(mark)), "no punctuation left after marking", text);
    expect_equal(digits_and_plus(marks), digits_and_plus(text), "marking keeps every digit and +", text);

    const QStringList found = candidate_numbers(text);
    const std::vector<std::u16string> expected_found = candidates(raw);
    expect_equal(found.size(), qsizetype(expected_found.size()), "candidate_numbers count", text);
    for (qsizetype i = 0; i < found.size(); ++i) {
        expect_equal(u16(found[i]), expected_found[std::size_t(i)], "candidate_numbers", text);
        expect(found[i].size() > 4 && only(found[i], "0123456789+^"), "candidate of digits, + and ^", text);
    }
    // Without a chooser nobody can pick one of several numbers.
    expect_equal(pick_number(text), found.size() < 2 ? text : QString(), "pick_number", text);
}

void check_dialling_form(const QString& text)
{
    QString number = text;
    prepare_for_dialling(number);
    expect_equal(u16(number), for_dialling(u16(text)), "prepare_for_dialling", text);
    expect(number == QLatin1String("er") || only(number, "0123456789+"), "dialling form of digits and +", text);
    expect(!(number.size() == 11 && number.startsWith(u'8')), "no 11-digit trunk form left", text);
    // "+38000" cleans to "+3800", which the next cleaning shortens again; a
    // text of only "^" prepares to "", which the dial entry rejects.
    if (!number.isEmpty() && !number.contains(QLatin1String("+3800"))) {
        QString again = number;
        prepare_for_dialling(again);
        expect_equal(again, number, "prepare_for_dialling is idempotent", text);
    }
}

void check_with_codes(const QString& text, const Codes& codes)
{
    const std::u16string raw = u16(text);
    QString number = text;
    complete_local_number(number);
    expect_equal(u16(number), completed(raw, codes), "complete_local_number", text);

    const OperatorClass found = classify_number(text);
    expect_equal(int(found), int(operator_class(raw, codes)), "classify_number", text);
    const QString c = clean_copy(text);
    if (!c.contains(QLatin1String("+3800")))
        expect_equal(int(classify_number(c)), int(found), "the class depends only on the clean number", text);
}

void check_rule(OperatorClass rule_class, const QString& rule_text)
{
    const QString key = operator_class_key(rule_class);
    write_setting(blackboard::app::Vekorra, blackboard::section::pravila, key, rule_text);
    const int expected = rule_number(u16(rule_text));
    expect_equal(read_rule_number(rule_text), expected, "read_rule_number", rule_text);
    expect_equal(route_rule(rule_class), expected, "route_rule", rule_text);
    expect_equal(flag_is_on(rule_text), rule_text == QLatin1String("1"), "flag_is_on", rule_text);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The chooser's warning about several numbers would be printed on
    // every run.
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    static QTemporaryDir folder;
    qputenv("VEKORRA_SETTINGS", folder.filePath(QStringLiteral("settings.sqlite")).toLocal8Bit());
    settings_store::reopen();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    const int flags = input.byte();
    const QString text = QString::fromUtf8(input.field());
    Codes codes;
    if (flags & 1) {
        codes.kod3 = u16(QString::fromUtf8(input.field()));
        codes.kod4 = u16(QString::fromUtf8(input.field()));
        codes.kod5 = u16(QString::fromUtf8(input.field()));
    }
    if (flags & 2)
        codes.kodS1 = u16(QString::fromUtf8(input.field()));
    store(Reestr::kKod3, codes.kod3);
    store(Reestr::kKod4, codes.kod4);
    store(Reestr::kKod5, codes.kod5);
    store(Reestr::kKodS1, codes.kodS1);

    check_cleaning(text);
    check_dialling_form(text);
    check_with_codes(text, codes);
    if (flags & 4) {
        const auto rule_class = Operators_telefons::kAllOperatorClasses[input.byte() % 7];
        check_rule(rule_class, QString::fromUtf8(input.field()));
    }
    return 0;
}
