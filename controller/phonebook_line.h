#pragma once
#include <QString>
#include <functional>
#include <optional>

#include "controller/at_channel.h"
#include "controller/phonebook_read.h"

namespace kestrum {

// The phone's own phonebooks, a part of its controller on the AT channel:
// read once after connecting and again on demand, into the contacts cache
// of the line. The controller runs work() only while no call goes on, and
// the read stops between its ranges (the phone then in its own character
// set) whenever call_first() says a call must go first; it goes on at the
// next turn.
class PhonebookLine {
public:
    explicit PhonebookLine(AtChannel& channel) : channel_(channel) {}

    // The line whose cache is written, "" for none (no read at all).
    void open(const QString& line) { line_ = line; }
    // A freshly opened port: its phone is read afresh.
    void connected();
    // The user asked for the phonebooks again.
    void request() { wanted_ = true; }

    bool wants_work() const { return !line_.isEmpty() && (wanted_ || read_.has_value()); }
    void work(const std::function<bool()>& call_first);

private:
    AtChannel& channel_;
    QString line_;
    bool wanted_ = false;
    std::optional<PhonebookRead> read_;
};

}  // namespace kestrum
