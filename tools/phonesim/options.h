#pragma once
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// What the simulator was told on its command line.
struct SimOptions {
    enum class Mode { Gsm, GsmNoClcc, Cdma, Modem };
    // Which command gives the model: gmm: AT+GMM and AT+CGMM (and ATI);
    // cgmm: AT+GMM answers ERROR; ati: only ATI.
    enum class ModelQuery { Gmm, Cgmm, Ati };
    Mode mode = Mode::Gsm;
    QString model = QStringLiteral("PhoneSim 3000");
    ModelQuery model_query = ModelQuery::Gmm;
    bool gmm_prefix = false;
    bool echo = true;
    QString ports_dir;        // default: $VEKORRA_PORTS, else ~/.config/vekorra/ports
    int port = 1;
    QString control_path;     // default: <ports_dir>/comN.control
    QString log_path;         // default: no log
    int alert_ms = 300;
    int auto_answer_ms = -1;  // -1: the far end answers only when told
    int far_hangup_ms = -1;   // -1: the far end never hangs up by itself
    int reply_delay_ms = 0;   // pause between a command's echo and its result
    int ring_urc_ms = -1;     // -1: no unsolicited RING while a call comes in
    QList<QPair<int, QString>> rings;  // incoming calls at a time after start
    QStringList ussd_answers;          // "CODE=KIND[:TEXT]" each (see UssdNetwork)
    int ussd_delay_ms = 50;            // from a request's OK to its +CUSD line
    bool exit_with_parent = false;
    int sms_capacity = 10;             // places in the message memory
    bool sms_text_only = false;        // AT+CMGF=0 refused: text mode only
    QStringList sms_cnmi;              // AT+CNMI settings accepted ("" = any)
    QList<QPair<int, QString>> sms_after;  // "FROM TEXT" messages at a time after start
    QStringList contacts;           // "MEM,NUMBER,NAME" each
    QString phonebook_file;         // lines of the same form
    QStringList phonebook_quirks;   // "no-range", "hex-numbers"
};

// Fills options from the arguments (without the program name). Returns
// "" on success, else a message for the user.
QString parse_options(const QStringList& args, SimOptions* options);
QString mode_name(SimOptions::Mode mode);
// "gmm", "cgmm" or "ati" into query; false for any other word.
bool model_query_named(const QString& name, SimOptions::ModelQuery* query);
extern const char* const phonesim_help;
