#pragma once
#include <QByteArray>
#include <QHash>
#include <QString>

// The network's side of USSD as the simulator plays it: which answer a
// code gets, and the menu a two-step answer leaves open. Plain data, no
// timers: the phone sends the unsolicited line a moment after its "OK".
//
// An answer is given as "CODE=KIND[:TEXT]" (the two characters \n in TEXT
// stand for a line break):
//   text:T        +CUSD: 0,"T",15          (GSM text, as the phone shows it)
//   ucs2:T        +CUSD: 0,"<UCS2 hex>",72
//   ucs2-dcs15:T  +CUSD: 0,"<UCS2 hex>",15 (as some phones pass UCS2 on)
//   menu:M|F      +CUSD: 1,"M",15, and the user's next answer gets
//                 +CUSD: 0,"F",15
//   unsupported   +CUSD: 4
//   silent        no answer at all, only the "OK"
//   error         the request is answered "ERROR"
// CODE "any" names the answer of every code without its own (default:
// unsupported). "*100#" and "*111#" answer a balance in Russian as UCS2
// under dcs 72 unless told otherwise.
class UssdNetwork {
public:
    UssdNetwork();

    // Sets one answer; returns "" or the reason for refusing the text.
    QString configure(const QString& setting);

    struct Outcome {
        bool ok = true;           // the final result: OK, else ERROR
        QByteArray information;   // lines before the final result (queries)
        QByteArray unsolicited;   // the "+CUSD: ..." line (with its CR LFs), or empty
        QByteArray event;         // what the log notes about it
    };
    // The answer to "AT+CUSD<arguments>" (arguments as given, e.g.
    // "=1,\"*100#\",15", "=2", "?").
    Outcome command(const QString& arguments);

    static QByteArray ucs2_hex(const QString& text);

private:
    struct Answer {
        QString kind;
        QString text;
        QString follow_up;  // menu: the text after the user's answer
    };
    Outcome answer(const Answer& answer);
    Outcome request(const QString& text);

    QHash<QString, Answer> answers_;
    bool presenting_ = true;  // AT+CUSD=0 turns the unsolicited lines off
    bool menu_open_ = false;
    QString menu_final_;
};
