#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Short messages in PDU form (3GPP TS 23.040): what a phone lists and
// announces (SMS-DELIVER, SMS-STATUS-REPORT, a stored SMS-SUBMIT), and
// what it is given to send (SMS-SUBMIT).
namespace messages {

enum class Kind { Deliver, Submit, StatusReport };
// How the user data is written; 8-bit data is shown as hex.
enum class Encoding { Gsm7, Data8, Ucs2 };

// A part of a long message: parts of one message share the sender, the
// reference and the count.
struct Concat {
    int reference = 0;
    int count = 1;     // 1: not a part of a longer message
    int sequence = 1;  // 1 .. count
    bool wide_reference = false;  // 16-bit reference (element 08)
};

struct Pdu {
    Kind kind = Kind::Deliver;
    QString service_centre;       // "" when the phone's own is meant
    // Sender (deliver), recipient (submit, status report): "+" and digits
    // for an international number, the digits of any other, or a name.
    QString number;
    bool alphanumeric = false;
    Encoding encoding = Encoding::Gsm7;
    QString text;                 // 8-bit data: upper-case hex
    Concat concat;
    QDateTime sent;               // the service centre's time stamp, with its offset
    QDateTime discharged;         // status report: when the outcome was reached
    int reference = -1;           // TP-MR of a submit or a status report
    int status = -1;              // TP-ST of a status report
    bool report_requested = false;
};

// The outcome a status report tells.
enum class ReportOutcome { Delivered, Pending, Failed };
ReportOutcome report_outcome(int status);

struct Decoded {
    bool ok = false;
    QString error;  // what is wrong with the PDU, when not ok
    Pdu pdu;
};

// A PDU as the phone gives it in hex, led by the service centre's address
// (AT+CMGF=0). Never reads beyond the data; anything malformed is an error.
// An incoming PDU of SMS-SUBMIT type is a message stored as sent.
Decoded decode_pdu(QByteArrayView hex);
// The same, without the hex step and with the service centre's part
// present or not.
Decoded decode_octets(const QByteArray& octets, bool with_service_centre);

// One part ready for AT+CMGS=<tpdu_length>.
struct SubmitPdu {
    QByteArray hex;       // "00" (the phone's service centre) + the TPDU
    int tpdu_length = 0;  // octets after the service centre's part
};

// A text for a number, cut into parts as parts.h counts them, each with a
// concatenation header (8-bit reference) when there are several. The
// status report is asked for when report is set.
QList<SubmitPdu> encode_submit(const QString& number, const QString& text, int reference, bool report);

}  // namespace messages
