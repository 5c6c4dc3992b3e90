#pragma once
#include <QString>
#include <array>

#include "blackboard/keys.h"

namespace kestrum {

// The state the engines keep between ticks, under the names the blackboard
// protocol uses.
struct ControllerState {
    QString tip_tlf = blackboard::kGsm;
    qint16 port_1 = 0;
    qint16 CLCC = 0;
    QString model;
    qint16 Podkl_tel = 0;
    qint16 Otkluch_tel = 0;

    QString tlf_numb;     // pending number to dial
    qint16 sch = 0;       // re-entry counter: plain GSM, CDMA, call engine
    qint32 i = 0;         // re-entry counter: wired modem

    // Command flags, 1 = pending.
    qint16 vzat_t_pr = 0;
    qint16 poloz_t_pr = 0;
    qint16 ud_konf = 0;
    qint16 ud_otklon = 0;
    qint16 ud_perekl = 0;
    qint16 vzat_t = 0;
    qint16 poloz_t = 0;

    // Published fields: summaries and the six call rows.
    std::array<QString, 7> status_str;
    std::array<QString, 7> zvonok_str;
    // Button flags of knopki_zv, in its order.
    QString sn_tr, pol_tr1, prin1, otklon1, pol_tr2, prin2, otklon2, kf, kf1, kf_oj, kf_dob;

    // Incoming-call tracking.
    QString tlf_in_1;    // remembered as ringing
    QString tlf_in_1_0;  // last written to vhod_zvonok
    QString tlf_in_2;    // ringing in this tick's list
    QString tlf_in_3;    // just stopped ringing
};

// Waits that are not part of the tick rhythm itself.
struct ControllerLimits {
    // A wired modem that gives no final result within this time counts as a
    // lost connection.
    int wired_reply_limit_ms = 60000;
    // A dialled number that never shows up in the call list leaves the
    // display after this time.
    int dial_label_hold_ms = 5000;
};

}  // namespace kestrum
