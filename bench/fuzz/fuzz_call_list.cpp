// Fuzz target: the call-list questions of module `at`, asked of any reply.
//
// Input: two bytes give the item number n asked for (a 16-bit value, as the
// engine passes it), one byte chooses how the rest is decoded (Latin-1, as
// the serial port delivers it, or UTF-8), the rest is the reply text.
//
// Each answer is compared with a plain model of the call list built here:
// entries, fields, states, and which questions must fail for an entry that
// lacks a field. Beyond that, the list items must give back the numbers and
// states of the active and held calls in reverse phone order.
#include <QStringList>
#include <optional>

#include "bench/fuzz/fuzz_support.h"
#include "controller/at.h"

namespace {

using fuzz::expect;
using fuzz::expect_equal;

// Any state outside 0..5: no question treats two such states differently.
constexpr int kOtherState = -1;

struct Entry {
    std::vector<std::u16string> fields;
    int state = 0;
};

// The state as the engine reads it: the trimmed field's leading decimal
// number, 0 without one.
int state_of(const std::u16string& field)
{
    const std::u16string text = fuzz::u16(QString::fromStdU16String(field).trimmed());
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == u'+' || text[pos] == u'-'))
        negative = text[pos++] == u'-';
    std::size_t end = pos;
    while (end < text.size() && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    const std::u16string digits = text.substr(pos, end - pos);
    const std::size_t significant = digits.find_first_not_of(u'0');
    if (significant == std::u16string::npos)
        return 0;
    if (digits.size() - significant > 1 || negative)
        return kOtherState;
    return digits[significant] - u'0';
}

struct Model {
    std::vector<Entry> entries;
    bool every_entry_has_state = true;

    explicit Model(const std::u16string& reply)
    {
        std::vector<std::u16string> pieces = fuzz::split(reply, u"+CLCC:");
        for (std::size_t i = 1; i < pieces.size(); ++i) {
            Entry entry;
            entry.fields = fuzz::split(pieces[i], u",");
            if (entry.fields.size() > 2)
                entry.state = state_of(entry.fields[2]);
            else
                every_entry_has_state = false;
            entries.push_back(entry);
        }
    }

    int count(int state) const
    {
        int n = 0;
        for (const Entry& entry : entries)
            n += entry.state == state ? 1 : 0;
        return n;
    }

    const Entry* last_in(int state_a, int state_b) const
    {
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            if (it->state == state_a || it->state == state_b)
                return &*it;
        return nullptr;
    }

    // Entries in state 0 or 1, last one in phone order first.
    std::vector<const Entry*> listed() const
    {
        std::vector<const Entry*> items;
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            if (it->state == 0 || it->state == 1)
                items.push_back(&*it);
        return items;
    }
};

// A caller without caller ID has no number field: its number is "".
std::u16string number_of(const Entry& entry)
{
    return entry.fields.size() > 5 ? fuzz::replace_all(entry.fields[5], u"\"", u"") : std::u16string();
}

std::u16string state_label(const std::u16string& raw)
{
    return raw == u"0" ? u"Разг." : raw == u"1" ? u"Удерж." : raw;
}

std::u16string direction_label(const std::u16string& raw)
{
    return raw == u"0" ? u"(Исх. вызов)" : raw == u"1" ? u"(Вх. вызов)" : raw;
}

// The answer, or nothing when the question failed for a missing field.
// Any other exception escapes and ends the run.
template <typename F>
auto answer(F question) -> std::optional<decltype(question())>
{
    try {
        return question();
    } catch (const AtFieldMissing&) {
        return std::nullopt;
    }
}

// The questions that read the state of every entry fail exactly when an
// entry lacks it, and otherwise agree with the model.
void check_summaries(const QString& reply, const Model& model)
{
    const auto active = answer([&] { return at::has_active(reply); });
    expect(active.has_value() == model.every_entry_has_state, "has_active fails exactly without a state", reply);
    if (!active)
        return;
    const int held = model.count(1);
    const int talking = model.count(0);
    const int kind = held > 1 ? 2 : talking > 1 ? 1 : 0;
    expect_equal(*active, talking > 0 ? 1 : 0, "has_active", reply);
    expect_equal(at::has_incoming(reply), model.count(4) > 0 ? 1 : 0, "has_incoming", reply);
    expect_equal(at::has_waiting(reply), model.count(5) > 0 ? 1 : 0, "has_waiting", reply);
    expect_equal(at::has_outgoing_setup(reply), model.count(2) + model.count(3) > 0 ? 1 : 0,
                 "has_outgoing_setup", reply);
    expect_equal(at::conference_kind(reply), kind, "conference_kind", reply);
    const int join = held == 0 ? 0 : (kind == 0 || (kind == 2 && talking > 0)) ? 1 : 0;
    expect_equal(at::can_join(reply), join, "can_join", reply);

    const Entry* incoming = model.last_in(4, 4);
    expect_equal(fuzz::u16(at::incoming_number(reply)), incoming ? number_of(*incoming) : u"", "incoming_number",
                 reply);
    const Entry* waiting = model.last_in(5, 5);
    expect_equal(fuzz::u16(at::waiting_number(reply)), waiting ? number_of(*waiting) : u"", "waiting_number", reply);
    const Entry* outgoing = model.last_in(2, 3);
    expect_equal(fuzz::u16(at::outgoing_call(reply, 0)), outgoing ? number_of(*outgoing) : u"",
                 "outgoing_call number", reply);
    const std::u16string progress =
        !outgoing ? u"" : outgoing->state == 2 ? u"Набор номера...." : u"Ожидание ответа....";
    expect_equal(fuzz::u16(at::outgoing_call(reply, 1)), progress, "outgoing_call text", reply);
}

void check_state_text(const QString& reply, const Model& model, int n)
{
    const auto text = answer([&] { return at::call_state_text(reply, n); });
    const bool exists = n >= 1 && std::size_t(n) <= model.entries.size();
    if (!exists) {
        expect(text.has_value() && text->isEmpty(), "call_state_text of a missing entry is empty", reply);
        return;
    }
    const Entry& entry = model.entries[std::size_t(n) - 1];
    expect(text.has_value() == (entry.fields.size() > 2), "call_state_text fails exactly without a state", reply);
    if (!text)
        return;
    static const std::u16string texts[] = {u"Разговор",       u"Вызов удержан на второй линии",
                                           u"Набор номера",   u"Выполняется соединение....",
                                           u"Входящий вызов", u"Дозвон по второй линии"};
    const std::u16string trimmed = fuzz::u16(QString::fromStdU16String(entry.fields[2]).trimmed());
    std::u16string expected;
    if (trimmed.size() == 1 && trimmed[0] >= u'0' && trimmed[0] <= u'5')
        expected = texts[trimmed[0] - u'0'];
    expect_equal(fuzz::u16(*text), expected, "call_state_text", reply);
}

// The list: one item per active or held call, reverse phone order.
void check_call_list(const QString& reply, const Model& model, int n)
{
    const auto list = answer([&] { return at::call_list(reply); });
    expect(list.has_value() == model.every_entry_has_state, "call_list fails exactly without a state", reply);
    if (!list)
        return;
    std::u16string expected;
    for (const Entry* entry : model.listed())
        expected += number_of(*entry) + u"," + state_label(entry->fields[2]) + u" / " +
                    direction_label(entry->fields[1]) + u";";
    expect_equal(fuzz::u16(*list), expected, "call_list", reply);

    // A ";" inside a field would cut the list into other items than the
    // calls; only then may the items differ from the calls.
    if (reply.contains(u';'))
        return;
    const std::vector<const Entry*> items = model.listed();
    const int count = int(items.size());
    for (int item = 1; item <= count + 1; ++item) {
        const bool exists = item <= count;
        const Entry* entry = exists ? items[std::size_t(item) - 1] : nullptr;
        expect_equal(fuzz::u16(at::call_list_number(reply, item)), exists ? number_of(*entry) : u"",
                     "call_list_number", reply);
        expect_equal(fuzz::u16(at::call_list_state(reply, item)),
                     exists ? state_label(entry->fields[2]) + u" / " + direction_label(entry->fields[1]) : u"",
                     "call_list_state", reply);
    }
    if (n < 1 || n > count) {
        expect(at::call_list_number(reply, n).isEmpty(), "call_list_number beyond the list", reply);
        expect(at::call_list_state(reply, n).isEmpty(), "call_list_state beyond the list", reply);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::Input input(data, size);
    const int n = static_cast<std::int16_t>(input.byte() | input.byte() << 8);
    const bool utf8 = input.byte() & 1;
    const QByteArray bytes = input.rest();
    const QString reply = utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
    const Model model(fuzz::u16(reply));

    check_summaries(reply, model);
    check_state_text(reply, model, n);
    check_call_list(reply, model, n);
    return 0;
}
