#pragma once
#include <QList>
#include <QString>
#include <QStringList>

#include "contacts/contact.h"

// Reading a phone's own phonebooks (3GPP TS 27.007 AT+CPBS, AT+CPBR,
// AT+CSCS) as a series of single commands, so that the controller can put
// a read between its call work and never in the middle of it. Plain logic:
// it says which command comes next and takes the phone's reply to it.
//
// The read asks the phone's character set (AT+CSCS?) once, then per
// memory ("SM" the SIM, "ME" the phone) selects it and asks how full it is
// (AT+CPBS?) and its places (AT+CPBR=?), and reads the places in short
// ranges. Each range is read under UCS2 (AT+CSCS="UCS2", so names in any
// alphabet arrive whole) and the phone's own set is restored right after
// it: between ranges the phone is as the calls expect it (some phones send
// even the call list's numbers hex-encoded under UCS2). A phone that
// refuses a range is read one place at a time; numbers sent hex-encoded
// are decoded.
class PhonebookRead {
public:
    struct Reply {
        QString result;      // "OK", "ERROR", "+CME ERROR: 22", "" for no answer
        QStringList lines;   // the information lines before it
    };

    explicit PhonebookRead(const QStringList& memories = {QStringLiteral("SM"), QStringLiteral("ME")},
                           int range_size = 20);

    // The next command, "" once the read is over.
    const QString& command() const { return command_; }
    void take(const Reply& reply);
    bool done() const { return command_.isEmpty(); }
    // True between ranges: the phone's character set is its own, and a
    // call may go first.
    bool may_pause() const { return !in_ucs2_; }
    // The entries read so far, with their memory and place.
    const QList<contacts::Contact>& entries() const { return entries_; }

    // One "+CPBR: <index>,"<number>",<type>,"<text>"" line; false when it
    // is no entry. Names and numbers in UCS2 hex are decoded when ucs2.
    static bool parse_entry(const QString& line, bool ucs2, contacts::Contact& entry);

private:
    enum class Step { AskCharset, Select, AskUsed, AskPlaces, ToUcs2, ReadRange, ReadPlace, Restore };
    void go(Step step);
    void next_range();
    void next_memory();
    void take_entries(const Reply& reply);

    QStringList memories_;
    int range_size_;
    Step step_ = Step::AskCharset;
    QString command_;
    QString own_charset_;      // as the phone had it, "" when unknown
    bool ucs2_refused_ = false;
    bool in_ucs2_ = false;
    bool one_at_a_time_ = false;
    int memory_ = -1;
    int used_ = -1;            // entries the memory holds, -1 unknown
    int seen_ = 0;
    int first_ = 0, last_ = 0; // the memory's places
    int at_ = 0;               // the next place to read
    int range_last_ = 0;
    QList<contacts::Contact> entries_;
};
