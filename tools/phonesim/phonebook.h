#pragma once
#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The handset's phonebooks as 3GPP TS 27.007 presents them: AT+CPBS picks
// the memory ("SM" the SIM, "ME" the phone), AT+CPBR reads entries, AT+CSCS
// sets the character set of names ("GSM", "IRA", "UCS2"). Plain data; the
// phone hands it the command text after "AT" and sends what it returns.
//
// Quirks of real phones, on request:
//   no-range     AT+CPBR=a,b with b > a answers +CME ERROR: 4: only one
//                entry at a time is read
//   hex-numbers  in UCS2 the numbers come hex-encoded too
class Phonebook {
public:
    struct Entry {
        QString number;
        QString name;
    };
    Phonebook();

    // "MEM,NUMBER,NAME" (MEM "SM" or "ME"): the next free place of that
    // memory. Returns "" or why the text is refused.
    QString add(const QString& text);
    // A file of such lines ("#" starts a comment).
    QString load(const QString& path);
    QString set_quirk(const QString& quirk);

    // The reply (information lines and final result) to "+CPBS...",
    // "+CPBR..." or "+CSCS..."; empty when the command is none of them.
    QByteArray command(const QString& body);

private:
    QByteArray select(const QString& arguments);
    QByteArray read(const QString& arguments);
    QByteArray charset(const QString& arguments);
    QString encoded(const QString& text) const;

    QMap<QString, QMap<int, Entry>> memories_;  // memory -> index -> entry
    QMap<QString, int> sizes_;
    QString memory_ = QStringLiteral("SM");
    QString charset_ = QStringLiteral("GSM");
    bool no_range_ = false;
    bool hex_numbers_ = false;
};
