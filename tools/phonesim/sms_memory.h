#pragma once
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include "sim_log.h"

// The simulated phone's messages: its memory ("SM", 10 places unless told
// otherwise), PDU and text mode, the new-message and status-report
// announcements that AT+CNMI asks for, and the network's side: messages
// that arrive (parts in any order), sends it accepts or refuses, and the
// delivery reports it returns. Written for the simulator alone: it
// encodes and decodes just enough of the PDU format to play a phone.
class SmsMemory : public QObject
{
    Q_OBJECT
public:
    SmsMemory(SimLog* log, int capacity, QObject* parent = nullptr);

    // Whether the command is one of the message commands; then answers it.
    bool handles(const QString& body) const;
    QByteArray execute(const QString& text, const QString& body);
    // After AT+CMGS: the text or PDU up to Ctrl-Z (sent) or Esc (cancelled).
    bool awaiting_body() const { return awaiting_; }
    // Feeds bytes while awaiting; returns the reply once the body ended.
    QByteArray feed_body(const QByteArray& bytes, bool* ended);

    // Control channel.
    struct Incoming {
        QString from, text;
        bool ucs2 = false;
        int parts = 1;
        QList<int> order;  // the order the parts arrive in, 1-based; empty = 1..parts
    };
    QString deliver(const Incoming& message);
    void set_refusal(int cms_error) { refusal_ = cms_error; }  // 0 = none
    void set_reports(bool on) { reports_ = on; }
    void set_capacity(int capacity) { capacity_ = capacity; }
    // Which AT+CNMI settings the phone accepts ("" = any); others are
    // answered +CMS ERROR: 303.
    void set_cnmi_accepted(const QStringList& settings) { cnmi_accepted_ = settings; }
    void set_pdu_mode_supported(bool on) { pdu_supported_ = on; }
    QString status_line() const;

signals:
    // An unsolicited line for the serial line.
    void unsolicited(const QByteArray& bytes);

private:
    struct Stored {
        int index = 0;
        bool read = false;
        QByteArray pdu;  // hex, led by the service centre
        QString from, text;
        QDateTime time;
    };
    QByteArray list(const QString& argument);
    QByteArray read(int index);
    QByteArray entry(const Stored& stored, bool with_index) const;
    QByteArray sent(const QByteArray& body);
    void store_or_hold(const Stored& message);
    void take_held();
    int free_index() const;
    QString field(const QString& text) const;  // text as the character set writes it

    SimLog* log_;
    int capacity_;
    QList<Stored> memory_;
    QList<Stored> held_;  // at the network while the memory is full
    bool text_mode_ = false;
    bool ucs2_ = false;
    bool pdu_supported_ = true;
    int cnmi_mt_ = 0, cnmi_ds_ = 0;
    QStringList cnmi_accepted_;
    bool awaiting_ = false;
    QString awaiting_number_;  // text mode: the recipient
    QByteArray body_;
    int next_reference_ = 1;
    int next_concat_reference_ = 17;
    int refusal_ = 0;
    bool reports_ = true;
};
