#include "phone.h"

#include "pty_line.h"

#include <QRandomGenerator>
#include <QRegularExpression>

namespace {

QByteArray line_reply(const QString& text) { return "\r\n" + text.toLatin1() + "\r\n"; }
const QByteArray ok_reply = "\r\nOK\r\n";
const QByteArray error_reply = "\r\nERROR\r\n";

// Settings that a controller or terminal may send first; accepted as is.
const QStringList accepted_settings {"Z", "&F", "V1", "Q0", "+CMEE", "+CLIP", "+CRC", "+COLP",
                                     "+CFUN", "+CMGF", "+CSSN", "S0"};

bool cdma_dialable(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9+*#]+;$"));
    return pattern.match(text).hasMatch();
}

}  // namespace

Phone::Phone(const SimOptions& options, PtyLine* line, SimLog* log, QObject* parent)
    : QObject(parent), options_(options), line_(line), log_(log), sms_(log, options.sms_capacity),
      echo_(options.echo)
{
    connect(line_, &PtyLine::received, this, &Phone::take_bytes);
    connect(&sms_, &SmsMemory::unsolicited, this, [this](const QByteArray& bytes) {
        if (!silent_)
            send(bytes);
    });
    connect(&slow_timer_, &QTimer::timeout, this, &Phone::send_piece);
    reply_delay_ms_ = options.reply_delay_ms;
    if (options.ring_urc_ms > 0)
        ring_timer_.setInterval(options.ring_urc_ms);
    connect(&ring_timer_, &QTimer::timeout, this, &Phone::ring);
    for (const QString& setting : options.ussd_answers)
        ussd_.configure(setting);
    ussd_timer_.setSingleShot(true);
    connect(&ussd_timer_, &QTimer::timeout, this, [this] {
        if (!silent_)
            send(std::exchange(ussd_pending_, {}));
    });
}

bool Phone::is_gsm() const
{
    return options_.mode == SimOptions::Mode::Gsm || options_.mode == SimOptions::Mode::GsmNoClcc;
}

void Phone::start_scripted_events()
{
    sms_.set_pdu_mode_supported(!options_.sms_text_only);
    sms_.set_cnmi_accepted(options_.sms_cnmi);
    for (const auto& [ms, message] : options_.sms_after) {
        QTimer::singleShot(ms, this, [this, message = message] {
            SmsMemory::Incoming incoming;
            incoming.from = message.section(u' ', 0, 0);
            incoming.text = message.section(u' ', 1);
            sms_.deliver(incoming);
        });
    }
    for (const auto& [ms, number] : options_.rings) {
        QTimer::singleShot(ms, this, [this, number = number] {
            log_->write("EV", "ring-after " + number.toLatin1());
            const QString why = incoming(number == QLatin1String("withheld") ? QString() : number, false);
            if (!why.isEmpty())
                log_->write("EV", "ring refused: " + why.toLatin1());
        });
    }
}

void Phone::take_bytes(const QByteArray& bytes)
{
    QByteArray rest = bytes;
    while (sms_.awaiting_body() && !rest.isEmpty()) {
        // After "> " everything up to Ctrl-Z or Esc is the message.
        qsizetype cut = 0;
        while (cut < rest.size() && rest[cut] != '\x1a' && rest[cut] != '\x1b')
            ++cut;
        cut = std::min(cut + 1, rest.size());
        log_->write("RX", rest.left(cut));
        bool ended = false;
        const QByteArray reply = sms_.feed_body(rest.left(cut), &ended);
        rest = rest.mid(cut);
        if (ended) {
            if (echo_)
                send("\r\n");
            send(reply);
        }
    }
    for (const QByteArray& line : splitter_.feed(rest))
        take_command(line);
}

void Phone::take_command(const QByteArray& line)
{
    log_->write("RX", line);
    if (silent_)
        return;
    if (echo_)
        send(line + '\r');
    QByteArray out;
    if (always_error_) {
        out += error_reply;
    } else if (error_lower_ && line != error_lower_given_) {
        error_lower_given_ = line;
        out += "\r\nerror\r\n";
    } else {
        error_lower_given_.clear();
        out += execute(QString::fromLatin1(line));
        if (long_reply_bytes_ > 0 && !out.isEmpty())
            out.prepend(long_line());
    }
    // Results keep their order: every one waits the same pause.
    if (reply_delay_ms_ > 0)
        QTimer::singleShot(reply_delay_ms_, this, [this, out] { send(out); });
    else
        send(out);
}

QByteArray Phone::execute(const QString& command)
{
    const QString text = command.trimmed();
    const QString upper = text.toUpper();
    if (!upper.startsWith(QLatin1String("AT")))
        return {};  // not addressed to the phone: real phones stay quiet
    const QString body = upper.mid(2);
    const bool gsm = is_gsm();
    const bool modem = options_.mode == SimOptions::Mode::Modem;
    const bool cdma = options_.mode == SimOptions::Mode::Cdma;

    if (body.isEmpty())
        return ok_reply;
    if (body == QLatin1String("E0") || body == QLatin1String("E1") || body == QLatin1String("E")) {
        echo_ = body == QLatin1String("E1");
        return ok_reply;
    }
    if (body == QLatin1String("Z") || body == QLatin1String("&F"))
        echo_ = options_.echo;
    // The character set is the messages' and the phonebook's: the
    // messages take note, the phonebook answers.
    if (body.startsWith(QLatin1String("+CSCS")))
        sms_.execute(text, body);
    else if (sms_.handles(body))
        return gsm ? sms_.execute(text, body) : error_reply;
    for (const QString& setting : accepted_settings)
        if (body.startsWith(setting))
            return ok_reply;
    if (const QByteArray reply = phonebook_.command(body); !reply.isEmpty())
        return gsm ? reply : error_reply;
    if (body == QLatin1String("+GMM") || body == QLatin1String("+CGMM") || body.startsWith(QLatin1Char('I')))
        return model_query(body);
    if (body.startsWith(QLatin1String("+VTS=")))
        return modem ? error_reply : tone(text.mid(7));
    if (body.startsWith(QLatin1String("+CUSD")))
        return gsm ? ussd(text.mid(7)) : error_reply;
    if (body == QLatin1String("+GMI") || body == QLatin1String("+CGMI"))
        return line_reply(QStringLiteral("PhoneSim")) + ok_reply;
    if (body == QLatin1String("+GMR") || body == QLatin1String("+CGMR"))
        return line_reply(QStringLiteral("1.0")) + ok_reply;
    if (body == QLatin1String("+CGSN") || body == QLatin1String("+GSN"))
        return line_reply(QStringLiteral("350000000000%1").arg(options_.port, 3, 10, QLatin1Char('0'))) + ok_reply;
    if (body == QLatin1String("+CLCC"))
        return options_.mode == SimOptions::Mode::Gsm ? clcc_reply() : error_reply;
    if (body.startsWith(QLatin1String("+CDV"))) {
        if (!cdma || !cdma_dialable(text.mid(6)))
            return error_reply;
        cdma_in_call_ = true;
        return ok_reply;
    }
    if (body.startsWith(QLatin1Char('D')))
        return modem ? modem_dial() : gsm ? dial(text.mid(3)) : error_reply;
    if (body == QLatin1String("H") || body == QLatin1String("H0") || body == QLatin1String("+CHUP"))
        cdma_in_call_ = false;
    if (body == QLatin1String("H") || body == QLatin1String("H0")) {
        if (gsm) {
            calls_.hang_up();
            calls_changed();
        }
        return ok_reply;
    }
    if (body == QLatin1String("H1"))
        return modem ? ok_reply : error_reply;
    if (body == QLatin1String("+CHUP")) {
        if (modem)
            return error_reply;
        calls_.hang_up();
        calls_changed();
        return ok_reply;
    }
    if (body == QLatin1String("A")) {
        if (!gsm || !calls_.answer())
            return error_reply;
        calls_changed();
        return ok_reply;
    }
    if (body.startsWith(QLatin1String("+CHLD=")) && gsm)
        return chld(body.mid(6));
    return error_reply;
}

// AT+GMM, AT+CGMM and ATI (ATI0, ATI1, ...): which of them give the model
// depends on the phone.
QByteArray Phone::model_query(const QString& body) const
{
    static const QRegularExpression ati(QStringLiteral("^I[0-9]*$"));
    const auto query = options_.model_query;
    const bool gives = body == QLatin1String("+GMM")    ? query == SimOptions::ModelQuery::Gmm
                       : body == QLatin1String("+CGMM") ? query != SimOptions::ModelQuery::Ati
                                                        : ati.match(body).hasMatch();
    return gives ? model_reply() : error_reply;
}

// A DTMF tone: played only into an active call.
QByteArray Phone::tone(const QString& argument)
{
    static const QRegularExpression form(QStringLiteral(R"re(^"?([0-9*#A-Da-d])"?(,\d+)?$)re"));
    const QRegularExpressionMatch match = form.match(argument);
    const auto& calls = calls_.calls();
    const bool active = is_gsm() ? std::any_of(calls.begin(), calls.end(), [](const Call& c) { return c.stat == Call::Active; })
                                 : cdma_in_call_;
    if (!match.hasMatch() || !active)
        return error_reply;
    log_->write("EV", "tone " + match.captured(1).toUpper().toLatin1());
    return ok_reply;
}

// The request is answered at once; the network's answer follows the OK as
// an unsolicited line a moment later. A new request or a cancel drops an
// answer not sent yet.
QByteArray Phone::ussd(const QString& arguments)
{
    const UssdNetwork::Outcome outcome = ussd_.command(arguments);
    if (!outcome.event.isEmpty())
        log_->write("EV", outcome.event);
    if (arguments.startsWith(QLatin1String("=2")) || !outcome.unsolicited.isEmpty()) {
        ussd_timer_.stop();
        ussd_pending_.clear();
    }
    if (!outcome.unsolicited.isEmpty()) {
        ussd_pending_ = outcome.unsolicited;
        ussd_timer_.start(reply_delay_ms_ + options_.ussd_delay_ms);
    }
    return outcome.information + (outcome.ok ? ok_reply : error_reply);
}

// Each line of the model is its own information response.
QByteArray Phone::model_reply() const
{
    QStringList lines = options_.model.split(QStringLiteral("\\n"));
    if (options_.gmm_prefix)
        lines.first().prepend(QStringLiteral("+GMM: "));
    QByteArray reply;
    for (const QString& line : lines)
        reply += line_reply(line);
    return reply + ok_reply;
}

// A line of digits and punctuation that looks like text but means nothing:
// without letters, no part of it can ever read as a final result.
QByteArray Phone::long_line() const
{
    QByteArray line(long_reply_bytes_, 'x');
    for (int at = 0; at < line.size(); ++at)
        line[at] = char('!' + at % 32);
    return "\r\n" + line + "\r\n";
}

QByteArray Phone::clcc_reply() const
{
    if (!clcc_override_.isEmpty())
        return clcc_override_ + ok_reply;
    const QStringList fields = calls_.clcc_fields();
    if (fields.isEmpty())
        return ok_reply;
    return line_reply(QStringLiteral("+CLCC: ") + fields.join(QStringLiteral("\r\n+CLCC: "))) + ok_reply;
}

QByteArray Phone::dial(const QString& text)
{
    if (!text.endsWith(QLatin1Char(';')))
        return "\r\nNO CARRIER\r\n";  // a data call: this phone does voice only
    QString number = text.chopped(1).remove(QLatin1Char(' '));  // dial strings may be spaced out
    if (number.endsWith(QLatin1Char('I'), Qt::CaseInsensitive) || number.endsWith(QLatin1Char('G'), Qt::CaseInsensitive))
        number.chop(1);  // caller-ID and closed-group modifiers
    static const QRegularExpression dialable(QStringLiteral("^[0-9+*#pPwW,]+$"));
    quint64 serial = 0;
    if (!dialable.match(number).hasMatch() || !calls_.dial(number, &serial))
        return error_reply;
    calls_changed();
    schedule(options_.alert_ms, serial, [this](quint64 s) {
        const Call* call = calls_.find_serial(s);
        if (call && call->stat == Call::Dialing)
            calls_.set_state(s, Call::Alerting);
    });
    if (options_.auto_answer_ms >= 0) {
        schedule(options_.auto_answer_ms, serial, [this](quint64 s) {
            const Call* call = calls_.find_serial(s);
            if (call && (call->stat == Call::Dialing || call->stat == Call::Alerting))
                calls_.set_state(s, Call::Active);
        });
    }
    return ok_reply;
}

QByteArray Phone::chld(const QString& argument)
{
    if (argument == QLatin1String("?"))
        return line_reply(QStringLiteral("+CHLD: (0,1,1x,2,2x,3)")) + ok_reply;
    bool done = false;
    const int id = argument.mid(1).toInt();
    if (argument == QLatin1String("0")) {
        calls_.release_held_or_waiting();
        done = true;
    } else if (argument == QLatin1String("1")) {
        done = calls_.release_active_accept_other();
    } else if (argument.size() == 2 && argument.startsWith(QLatin1Char('1'))) {
        done = calls_.release_id(id);
    } else if (argument == QLatin1String("2")) {
        done = calls_.swap();
    } else if (argument.size() == 2 && argument.startsWith(QLatin1Char('2'))) {
        done = calls_.split(id);
    } else if (argument == QLatin1String("3")) {
        done = calls_.join();
    }
    calls_changed();
    return done ? ok_reply : error_reply;
}

QByteArray Phone::modem_dial()
{
    QByteArray result = next_dial_result_.isEmpty() ? QByteArray("OK") : next_dial_result_;
    next_dial_result_.clear();
    return "\r\n" + result + "\r\n";
}

void Phone::send(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    if (slow_) {
        slow_queue_ += bytes;
        if (!slow_timer_.isActive()) {
            send_piece();
            slow_timer_.start();
        }
        return;
    }
    log_->write("TX", bytes);
    line_->write(bytes);
}

void Phone::send_piece()
{
    const QByteArray piece = slow_queue_.left(slow_piece_);
    slow_queue_.remove(0, piece.size());
    if (!piece.isEmpty()) {
        log_->write("TX", piece);
        line_->write(piece);
    }
    if (slow_queue_.isEmpty())
        slow_timer_.stop();
}

// Logs every change of the call list and starts the far end's hang-up
// timer for calls that just became active.
void Phone::calls_changed()
{
    for (const Call& call : calls_.calls()) {
        auto before = std::find_if(last_seen_.begin(), last_seen_.end(),
                                   [&call](const Call& c) { return c.serial == call.serial; });
        if (before != last_seen_.end() && before->stat == call.stat && before->mpty == call.mpty)
            continue;
        log_->write("EV", "call " + CallList::fields(call).toLatin1());
        const bool now_active = call.stat == Call::Active && (before == last_seen_.end() || before->stat != Call::Active);
        if (now_active && options_.far_hangup_ms >= 0) {
            schedule(options_.far_hangup_ms, call.serial, [this](quint64 s) {
                log_->write("EV", "far-hangup-after");
                calls_.release_serial(s);
            });
        }
    }
    for (const Call& gone : last_seen_)
        if (!calls_.find_serial(gone.serial))
            log_->write("EV", "call " + QByteArray::number(gone.id) + " released");
    last_seen_ = calls_.calls();
    if (options_.ring_urc_ms > 0 && !ring_timer_.isActive())
        ring();
}

// The unsolicited result code of a ringing phone, repeated while it rings.
void Phone::ring()
{
    const auto& calls = calls_.calls();
    const bool ringing = std::any_of(calls.begin(), calls.end(), [](const Call& c) { return c.stat == Call::Incoming; });
    if (!ringing) {
        ring_timer_.stop();
        return;
    }
    if (!ring_timer_.isActive())
        ring_timer_.start();
    if (!silent_)
        send("\r\nRING\r\n");
}

void Phone::schedule(int ms, quint64 serial, const std::function<void(quint64)>& action)
{
    QTimer::singleShot(ms, this, [this, serial, action] {
        if (!calls_.find_serial(serial))
            return;
        action(serial);
        calls_changed();
    });
}

QString Phone::incoming(const QString& number, bool force_waiting)
{
    if (!is_gsm())
        return QStringLiteral("not a GSM phone");
    if (!calls_.ring(number, force_waiting, nullptr))
        return QStringLiteral("a call is ringing already or the call list is full");
    calls_changed();
    return {};
}

QString Phone::far_answer()
{
    if (!is_gsm() || !calls_.outgoing_answered())
        return QStringLiteral("no outgoing call");
    calls_changed();
    return {};
}

QString Phone::far_busy()
{
    if (options_.mode == SimOptions::Mode::Modem) {
        next_dial_result_ = "BUSY";
        return {};
    }
    if (!is_gsm() || !calls_.outgoing_busy())
        return QStringLiteral("no outgoing call");
    calls_changed();
    return {};
}

QString Phone::far_hangup(const QString& number)
{
    if (!is_gsm())
        return QStringLiteral("not a GSM phone");
    if (number.isEmpty())
        calls_.clear();
    else if (calls_.release_number(number) == 0)
        return QStringLiteral("no call with %1").arg(number);
    calls_changed();
    return {};
}

QString Phone::set_dial_result(const QString& result)
{
    static const QStringList results {"OK", "BUSY", "NO DIALTONE", "NO CARRIER", "ERROR", "NO ANSWER", "CONNECT"};
    if (options_.mode != SimOptions::Mode::Modem)
        return QStringLiteral("not a modem");
    if (!results.contains(result))
        return QStringLiteral("unknown result %1").arg(result);
    next_dial_result_ = result.toLatin1();
    return {};
}

QString Phone::set_fault(const QString& fault, bool on, int piece, int gap_ms)
{
    if (fault == QLatin1String("silence")) {
        silent_ = on;
    } else if (fault == QLatin1String("error")) {
        always_error_ = on;
    } else if (fault == QLatin1String("error-lower")) {
        error_lower_ = on;
        error_lower_given_.clear();
    } else if (fault == QLatin1String("slow")) {
        slow_ = on;
        slow_piece_ = qMax(1, piece);
        slow_timer_.setInterval(qMax(0, gap_ms));
        if (!on && !slow_queue_.isEmpty()) {
            slow_timer_.stop();
            send(std::exchange(slow_queue_, {}));
        }
    } else {
        return QStringLiteral("unknown fault %1").arg(fault);
    }
    return {};
}

void Phone::send_garbage(int count, quint32 seed)
{
    if (count > 0) {
        QRandomGenerator random(seed);
        QByteArray bytes(count, '\0');
        for (char& byte : bytes)
            byte = char(random.bounded(256));
        send(bytes);
        return;
    }
    // Bytes a noisy line or a confused phone produces: NUL, backspace,
    // vertical tab, high Latin-1 and a lone LF among printable noise.
    static const QByteArray garbage("\x00\x08~#%\xff\x0b\t\xe9q\n", 11);
    send(garbage);
}

QString Phone::calls_line() const
{
    return calls_.clcc_fields().join(QLatin1Char(';'));
}
