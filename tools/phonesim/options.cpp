#include "options.h"

#include <QDir>

#include "phonebook.h"
#include "ussd_network.h"

const char* const phonesim_help = R"(Usage: phonesim [OPTIONS]
       phonesim --send CONTROL_PATH LINE...     (also: phonesim ctl CONTROL_PATH LINE...)

A phone or modem on a pseudo-terminal. The slave side is linked as comN into
a ports folder; "ready <link path>" is printed once the link and the control
channel exist. The link and the control socket are removed at exit (also on
SIGTERM and SIGINT).

Options:
  --mode gsm|gsm-noclcc|cdma|modem
                        gsm (default): GSM phone with call list (AT+CLCC);
                        gsm-noclcc: same, but AT+CLCC answers ERROR;
                        cdma: dials with AT+CDV<number>; (ATD and AT+CLCC ERROR);
                        modem: wired modem, ATD<number>; answers OK or the
                        result set by the control channel, ATH/ATH1 answer OK.
  --model TEXT          model name for AT+GMM, AT+CGMM and ATI (default
                        "PhoneSim 3000");
                        the two characters \n split it into two reply lines.
  --gmm-prefix          answer the model as "+GMM: <model>".
  --model-query gmm|cgmm|ati
                        which commands give the model: gmm (default): AT+GMM,
                        AT+CGMM and ATI; cgmm: AT+GMM answers ERROR, AT+CGMM
                        and ATI give it; ati: only ATI gives it.
  --ussd CODE=KIND[:TEXT]
                        the network's answer to the USSD request CODE (may be
                        repeated; CODE "any": every code without its own
                        answer, default unsupported). The two characters \n
                        in TEXT stand for a line break. KIND:
                          text:T        +CUSD: 0,"T",15 (GSM text)
                          ucs2:T        +CUSD: 0,"<T as UCS2 hex>",72
                          ucs2-dcs15:T  +CUSD: 0,"<T as UCS2 hex>",15
                          menu:M|F      +CUSD: 1,"M",15 (a menu waits); the
                                        user's next request, whatever it is,
                                        gets +CUSD: 0,"F",15
                          unsupported   +CUSD: 4
                          silent        no answer (only the OK)
                          error         the request is answered ERROR
                        Default: "*100#" and "*111#" answer a balance in
                        Russian as UCS2 under dcs 72.
  --ussd-delay MS       the +CUSD line follows the request's OK after MS
                        (default 50), so it may arrive inside the reply to a
                        later command (a call-list poll, say).
  --contact MEM,NUMBER,NAME
                        a phonebook entry in memory SM (the SIM, 250 places)
                        or ME (the phone, 500 places), at its next free place;
                        may be repeated.
  --phonebook FILE      phonebook entries, one MEM,NUMBER,NAME a line (UTF-8;
                        "#" starts a comment).
  --phonebook-quirk no-range|hex-numbers
                        no-range: AT+CPBR=a,b with b > a answers +CME ERROR: 4
                        (only one entry at a time); hex-numbers: in UCS2 the
                        numbers come hex-encoded too. May be repeated.
  --echo on|off         command echo (default on; ATE0/ATE1 switch it).
  --ports DIR           ports folder (default $VEKORRA_PORTS, else
                        ~/.config/vekorra/ports).
  --port N              link the line as DIR/comN (default 1); an existing
                        link is replaced.
  --control PATH        control socket (default DIR/comN.control).
  --log PATH            traffic log (default none), one flushed line each:
                          <epoch seconds.microseconds> RX <command line received>
                          ... TX <bytes sent>
                          ... EV <event>: "start <mode> <link> <pty>", every
                              control command as given, "call <+CLCC fields>"
                              on each change of a call, "call <id> released",
                              "line opened <n>" / "line closed <n>" when a
                              client opens or closes the port (n = openers
                              now), "ring-after <number>", "far-hangup-after",
                              "tone <c>" for each tone played (AT+VTS),
                              "ussd <code> <kind>", "ussd menu answered
                              <text>", "ussd cancelled", "ussd refused
                              <arguments>", "exit".
                        Control bytes are written as \xNN.
  --alert-ms MS         an outgoing call turns from dialing (2) to alerting (3)
                        after MS (default 300).
  --auto-answer MS      the far end answers outgoing calls MS after the dial.
  --ring-after MS NUMBER
                        an incoming call from NUMBER MS after start ("withheld"
                        for a caller without number); may be repeated.
  --far-hangup-after MS the far end hangs up a call MS after it became active.
  --reply-delay MS      the result of each command follows its echo after MS
                        (default 0), as a phone that takes its time.
  --ring-urc MS         while a call comes in (state 4), send the unsolicited
                        result "RING" at once and then every MS (default: never).
  --sms-capacity N      places in the message memory (default 10); a full
                        memory takes no message and announces none, the
                        network keeps it until a place is free.
  --sms-text-only       AT+CMGF=0 answers ERROR: a phone with text mode only.
  --sms-cnmi A;B;...    the AT+CNMI settings accepted (e.g. "1,1,0,0,0");
                        others answer +CMS ERROR: 303. Default: any.
  --sms-after MS FROM TEXT
                        a message from FROM MS after start; may be repeated.
  --exit-with-parent    end when the process that started the simulator ends.
  --help                this text.

AT commands: AT, ATE0/ATE1, ATZ, AT&F, ATV1, ATQ0, AT+CMEE, AT+CLIP, AT+CRC,
AT+CFUN (all OK), AT+GMM, AT+CGMM, ATI (see --model-query), AT+GMI,
AT+GMR, AT+CGSN, AT+CLCC, ATD<number>; (a voice call; without ";" NO
CARRIER), AT+CDV<number>;, ATA, AT+CHUP, ATH, ATH1, AT+CHLD=0|1|1x|2|2x|3|?,
AT+VTS, AT+CUSD, AT+CPBS, AT+CPBR, AT+CSCS. Anything else: ERROR. Lines that
do not start with AT are logged and otherwise ignored. Replies are verbose:
CR LF <text> CR LF per line, then CR LF OK CR LF (or ERROR, NO CARRIER,
BUSY, NO DIALTONE). With echo on, the command line is echoed followed by CR.
A command ends at CR (an LF after it is ignored) or at a lone LF.

Calls (gsm modes): ATD<number>; dials (state 2, then 3 after --alert-ms) and
puts an active call on hold; it is refused while another call is set up or
rings, or when active and held calls both exist. ATA takes the incoming call,
or the waiting one (the active call goes on hold). AT+CHUP and ATH release
active, dialling, alerting and incoming calls; a waiting call left alone
turns incoming. AT+CHLD=0 rejects the waiting (or incoming) call, else
releases the held ones; =1 releases the active calls and takes the waiting
or held one; =1x releases call x; =2 holds the active calls and takes the
waiting or held one; =2x keeps only call x active; =3 joins active and held
calls into one conference (multiparty 1). AT+CLCC lists
+CLCC: <id>,<dir>,<stat>,0,<mpty>,"<number>",<129|145> per call (a caller
without number ends after <mpty>).

Tones: AT+VTS=<c> (c one of 0-9 * # A-D, optionally in quotes and followed
by ",<duration>") answers OK while a call is active (gsm: a call in state 0;
cdma: after AT+CDV until AT+CHUP or ATH), else ERROR; a modem answers ERROR.

USSD (gsm modes; else ERROR): AT+CUSD=1,"<code>"[,<dcs>] answers OK, then
after --ussd-delay the unsolicited line of the code's answer (see --ussd);
while a menu waits, the next request is the user's answer to it.
AT+CUSD=2 cancels a menu and an answer not sent yet; AT+CUSD=0 and =1 turn
the unsolicited lines off and on; AT+CUSD? and AT+CUSD=? answer as phones do.

Phonebook (gsm modes; else ERROR): AT+CPBS="SM"|"ME" selects the memory,
AT+CPBS? and =? answer as phones do; AT+CPBR=? answers +CPBR: (1-<size>),40,18;
AT+CPBR=<a>[,<b>] lists +CPBR: <index>,"<number>",<129|145>,"<name>" for the
places that hold an entry (+CME ERROR: 22 for one empty place, 21 outside the
memory). AT+CSCS="GSM"|"IRA"|"UCS2" (default GSM) sets how names come: UCS2 as
hex of UTF-16; in GSM and IRA a letter outside ASCII comes as "?".

Control channel (a local socket; one command per line, each answered by one
line "OK" or "ERROR <why>"; "calls" sends one line before it):
  incoming NUMBER       a call comes in (incoming, or waiting beside other calls)
  incoming-withheld     a call without caller number comes in
  waiting NUMBER        a call comes in as waiting (state 5) in any case
  answer                the far end answers the outgoing call
  busy                  the far end is busy: the outgoing call ends
                        (modem: the next ATD answers BUSY)
  hangup [NUMBER]       the far end hangs up every call (or the calls of NUMBER)
  result TEXT           modem: final result of the next ATD (e.g. NO DIALTONE)
  fault silence on|off  no reply and no effect at all (commands are still logged)
  fault error on|off    every command is answered ERROR and has no effect
  fault error-lower on|off
                        the first time a command line arrives it is answered
                        "error" in lower case without effect; the same line
                        again at once gets the real answer
  fault slow on|off [BYTES [MS]]
                        replies go out in pieces of BYTES (default 3) with MS
                        (default 150) between them
  fault garbage [BYTES [SEED]]
                        send garbage now: without BYTES a fixed mix of NUL,
                        control, high Latin-1 and printable bytes; with it
                        BYTES random bytes (all 256 values) from a generator
                        seeded with SEED (default 1). Output the client does
                        not read yet waits in order until it does.
  fault long on|off [BYTES]
                        every reply gets an information line of BYTES
                        (default 102400) digits and punctuation (no letters)
                        before its result
  fault clcc TEXT|off   AT+CLCC is answered with TEXT, then OK, instead of
                        the real calls (gsm mode); \r, \n, \\ and \xNN in
                        TEXT stand for those bytes, e.g.
                        fault clcc \r\n+CLCC: 1,0,0,0,0,"05\xff\r\n
                        "off": the real call list again
  drop [keep-link]      the line is dropped: the pseudo-terminal is closed and
                        the link removed, so the client's next operation
                        fails; calls, log and control channel stay. With
                        keep-link the link stays, pointing nowhere, as a link
                        to an unplugged device does (and stays at exit)
  reconnect             after drop: a new pseudo-terminal is linked as comN
                        (and "ready <link>" printed again)
  delay MS              the pause between echo and result from now on
  echo on|off           command echo
  model TEXT            the model name
  model-query gmm|cgmm|ati
                        which commands give the model (see --model-query)
  ussd CODE=KIND[:TEXT] the answer to a USSD code (see --ussd)
  ussd-delay MS         the pause before a +CUSD line from now on
  sms [--ucs2] [--parts N] [--order 2,1,..] FROM TEXT
                        a message arrives: stored (+CMTI: "SM",<index> when
                        AT+CNMI asked for it), in N parts (more if the text
                        needs them) in the given order, as UCS2 when told or
                        when the text needs it; FROM with letters is an
                        alphanumeric sender (a bank's name)
  sms-refuse CODE|off   AT+CMGS is answered +CMS ERROR: CODE until "off"
  sms-reports on|off    delivery reports (+CDS) for sends that ask for them
                        and an AT+CNMI with <ds> 1 (default on)
  sms-capacity N        places in the message memory from now on
  sms-status            one line: stored, capacity, held, mode, AT+CNMI; then OK
  calls                 the call list: one line of +CLCC fields, calls joined
                        by ";" (empty without calls), then OK
  quit                  end the simulator
)";

bool model_query_named(const QString& name, SimOptions::ModelQuery* query)
{
    const QStringList names {"gmm", "cgmm", "ati"};
    if (!names.contains(name))
        return false;
    *query = SimOptions::ModelQuery(names.indexOf(name));
    return true;
}

QString mode_name(SimOptions::Mode mode)
{
    switch (mode) {
    case SimOptions::Mode::Gsm: return QStringLiteral("gsm");
    case SimOptions::Mode::GsmNoClcc: return QStringLiteral("gsm-noclcc");
    case SimOptions::Mode::Cdma: return QStringLiteral("cdma");
    case SimOptions::Mode::Modem: return QStringLiteral("modem");
    }
    return {};
}

namespace {

bool to_ms(const QString& text, int* value)
{
    bool ok = false;
    *value = text.toInt(&ok);
    return ok && *value >= 0;
}

QString default_ports_dir()
{
    const QString env = qEnvironmentVariable("VEKORRA_PORTS");
    if (!env.isEmpty())
        return env;
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/vekorra/ports");
}

}  // namespace

QString parse_options(const QStringList& args, SimOptions* o)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& name = args[i];
        auto value = [&](int ahead = 1) -> const QString* {
            return i + ahead < args.size() ? &args[i + ahead] : nullptr;
        };
        const QString* v = value();
        bool ok = true;
        if (name == QLatin1String("--gmm-prefix")) {
            o->gmm_prefix = true;
            continue;
        }
        if (name == QLatin1String("--exit-with-parent")) {
            o->exit_with_parent = true;
            continue;
        }
        if (name == QLatin1String("--sms-text-only")) {
            o->sms_text_only = true;
            continue;
        }
        if (!v)
            return QStringLiteral("unknown option or missing value: %1").arg(name);
        if (name == QLatin1String("--mode")) {
            const QStringList modes {"gsm", "gsm-noclcc", "cdma", "modem"};
            ok = modes.contains(*v);
            o->mode = SimOptions::Mode(modes.indexOf(*v));
        } else if (name == QLatin1String("--model")) {
            o->model = *v;
        } else if (name == QLatin1String("--model-query")) {
            ok = model_query_named(*v, &o->model_query);
        } else if (name == QLatin1String("--ussd")) {
            ok = UssdNetwork().configure(*v).isEmpty();
            o->ussd_answers.append(*v);
        } else if (name == QLatin1String("--ussd-delay")) {
            ok = to_ms(*v, &o->ussd_delay_ms);
        } else if (name == QLatin1String("--contact")) {
            ok = Phonebook().add(*v).isEmpty();
            o->contacts.append(*v);
        } else if (name == QLatin1String("--phonebook")) {
            o->phonebook_file = *v;
        } else if (name == QLatin1String("--phonebook-quirk")) {
            ok = Phonebook().set_quirk(*v).isEmpty();
            o->phonebook_quirks.append(*v);
        } else if (name == QLatin1String("--echo")) {
            ok = *v == QLatin1String("on") || *v == QLatin1String("off");
            o->echo = *v == QLatin1String("on");
        } else if (name == QLatin1String("--ports")) {
            o->ports_dir = *v;
        } else if (name == QLatin1String("--port")) {
            o->port = v->toInt(&ok);
            ok = ok && o->port >= 1;
        } else if (name == QLatin1String("--control")) {
            o->control_path = *v;
        } else if (name == QLatin1String("--log")) {
            o->log_path = *v;
        } else if (name == QLatin1String("--alert-ms")) {
            ok = to_ms(*v, &o->alert_ms);
        } else if (name == QLatin1String("--auto-answer")) {
            ok = to_ms(*v, &o->auto_answer_ms);
        } else if (name == QLatin1String("--reply-delay")) {
            ok = to_ms(*v, &o->reply_delay_ms);
        } else if (name == QLatin1String("--ring-urc")) {
            ok = to_ms(*v, &o->ring_urc_ms) && o->ring_urc_ms > 0;
        } else if (name == QLatin1String("--far-hangup-after")) {
            ok = to_ms(*v, &o->far_hangup_ms);
        } else if (name == QLatin1String("--sms-capacity")) {
            o->sms_capacity = v->toInt(&ok);
            ok = ok && o->sms_capacity >= 1;
        } else if (name == QLatin1String("--sms-cnmi")) {
            o->sms_cnmi = v->split(u';', Qt::SkipEmptyParts);
        } else if (name == QLatin1String("--sms-after")) {
            int ms = 0;
            ok = to_ms(*v, &ms) && value(2) && value(3);
            if (ok) {
                o->sms_after.append({ms, *value(2) + u' ' + *value(3)});
                i += 2;
            }
        } else if (name == QLatin1String("--ring-after")) {
            int ms = 0;
            ok = to_ms(*v, &ms) && value(2);
            if (ok) {
                o->rings.append({ms, *value(2)});
                ++i;
            }
        } else {
            return QStringLiteral("unknown option: %1").arg(name);
        }
        if (!ok)
            return QStringLiteral("bad value for %1: %2").arg(name, *v);
        ++i;
    }
    if (o->ports_dir.isEmpty())
        o->ports_dir = default_ports_dir();
    if (o->control_path.isEmpty())
        o->control_path = QStringLiteral("%1/com%2.control").arg(o->ports_dir).arg(o->port);
    return {};
}
