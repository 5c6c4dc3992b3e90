#include "controller/messages_line.h"

#include <QLoggingCategory>
#include <QRegularExpression>

#include "blackboard/keys.h"
#include "blackboard/phone_text.h"
#include "blackboard/stored_texts.h"
#include "messages/message_store.h"
#include "messages/parts.h"
#include "messages/pdu.h"
#include "messages/text_mode.h"
#include "platform/clock.h"

// Never the text of a message above the debug level.
Q_LOGGING_CATEGORY(lcKestrumMessages, "kestrum.messages", QtWarningMsg)

namespace kestrum {

namespace {
// The announcement settings real phones accept, best first: those that
// pass status reports on (<ds> 1 or 2) before those that do not.
const char* const kAnnouncements[] = {"2,1,0,1,0", "2,1,2,1,0", "2,1,0,2,0", "1,1,0,1,0", "2,1,0,0,0", "1,1,0,0,0"};
constexpr int kNoReportsFrom = 4;
// A phone that announces nothing is listed again this often.
constexpr qint64 kListEveryMs = 30000;
constexpr qint64 kIncompleteLookEveryMs = 10 * 60 * 1000;
// The network takes a while to accept a message.
constexpr int kSendLimitMs = 30000;
constexpr int kListLimitMs = 15000;
constexpr int kSetUpAttempts = 3;
const QString kGsmCharset = QStringLiteral("GSM");

qint64 ms_of(const QDateTime& time) { return time.isValid() ? time.toMSecsSinceEpoch() : 0; }

// "+CMGS: 17" -> 17; -1 when the phone named no reference.
int reference_of(const AtChannel::Reply& reply)
{
    for (const QString& line : reply.lines)
        if (line.startsWith(QLatin1String("+CMGS:")))
            return line.mid(6).trimmed().section(QLatin1Char(','), 0, 0).toInt();
    return -1;
}

// Why a send the phone did not accept failed.
QString failure_of(const AtChannel::Reply& reply)
{
    if (reply.final == AtChannel::Final::CmsError)
        return blackboard::send_error_reason(reply.final_line.section(QLatin1Char(':'), 1).trimmed().toInt());
    return reply.final == AtChannel::Final::None ? blackboard::no_answer_reason() : blackboard::send_error_reason(500);
}

// Text mode sends plain ASCII as it is; anything else goes as UCS2, since
// the phone's own character set is not known to hold it.
bool needs_ucs2(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() > 0x7E)
            return true;
    return false;
}
}  // namespace

MessagesLine::MessagesLine(AtChannel& channel) : channel_(channel) {}

MessagesLine::~MessagesLine() = default;

void MessagesLine::subscribe(std::function<void()> announced)
{
    announced_ = std::move(announced);
    // "+CMTI: "SM",3" / "+CDSI: "SR",1": where the phone put it.
    const auto stored = [](const QString& line) {
        const QStringList fields = messages::reply_fields(QStringView(line).mid(line.indexOf(QLatin1Char(':')) + 1));
        return Stored{fields.value(0), fields.value(1, QStringLiteral("-1")).toInt()};
    };
    channel_.subscribe(QStringLiteral("+CMTI:"), [this, stored](const QString& line) {
        announced_entries_.append(stored(line));
        if (announced_)
            announced_();
    });
    channel_.subscribe(QStringLiteral("+CDSI:"), [this, stored](const QString& line) {
        announced_reports_.append(stored(line));
        if (announced_)
            announced_();
    });
    // PDU mode: "+CDS: <length>" and the PDU on the next line; text mode:
    // the report's fields on its own line.
    channel_.subscribe(
        QStringLiteral("+CDS:"),
        [this](const QString& unit) {
            const QStringList lines = unit.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
            if (lines.size() >= 2)
                take_report_pdu(lines.at(1).trimmed());
            else if (!lines.isEmpty())
                take_text_report(lines.at(0).mid(5).trimmed());
        },
        AtChannel::Seen::Cut, [](const QString& first) { return first.contains(QLatin1Char(',')) ? 0 : 1; });
}

void MessagesLine::open(const QString& line)
{
    line_ = line;
    store_.reset();
    if (line.isEmpty())
        return;
    store_ = std::make_unique<messages::MessageStore>();
    // What this line was sending when its controller last ended did not
    // go out whole; the user may send it again.
    store_->interrupt_sending(line_);
}

void MessagesLine::connected(const QString& model)
{
    model_ = blackboard::text_from_phone(model);
    mode_ = Mode::Unknown;
    reports_ = announces_ = listed_ = in_ucs2_ = false;
    set_up_attempts_ = 0;
    selected_memory_.clear();
    own_charset_.clear();
    queue_woken_ = true;
    resume_.reset();
}

QString MessagesLine::mode_text() const
{
    switch (mode_) {
    case Mode::Unknown: return blackboard::sms_mode::unknown;
    case Mode::None: return blackboard::sms_mode::none;
    case Mode::Pdu: return reports_ ? blackboard::sms_mode::pdu : blackboard::sms_mode::pdu_no_reports;
    case Mode::Text: return reports_ ? blackboard::sms_mode::text : blackboard::sms_mode::text_no_reports;
    }
    return QString();
}

bool MessagesLine::wants_work(qint64 now_ms) const
{
    if (!store_ || mode_ == Mode::None)
        return false;
    if (mode_ == Mode::Unknown)
        return true;
    return queue_woken_ || resume_ || !announced_entries_.isEmpty() || !announced_reports_.isEmpty() || !listed_
           || (!announces_ && now_ms - listed_at_ms_ >= kListEveryMs);
}

AtChannel::Reply MessagesLine::ask(const QString& command, int timeout_ms)
{
    return channel_.exchange(command, timeout_ms);
}

void MessagesLine::work(qint64 now_ms, bool delete_after_keeping, bool call_on,
                        const std::function<bool()>& call_first)
{
    if (!store_ || mode_ == Mode::None)
        return;
    if (mode_ == Mode::Unknown && !set_up())
        return;
    if (mode_ == Mode::None || call_first())
        return;
    read_announced(delete_after_keeping, call_first);
    if (!listed_ || (!announces_ && !call_on && now_ms - listed_at_ms_ >= kListEveryMs)) {
        if (call_first())
            return;
        list_stored(now_ms, delete_after_keeping);
    }
    if (now_ms - incomplete_closed_ms_ >= kIncompleteLookEveryMs) {
        incomplete_closed_ms_ = now_ms;
        store_->close_incomplete(platform::clock().wall_clock_ms());
    }
    send_queue(call_first);
    use_ucs2(false);
}

// --- Set-up ------------------------------------------------------------------

bool MessagesLine::set_up()
{
    if (!choose_mode()) {
        // A phone that stays silent is asked again at a later turn, a few
        // times; one that refuses has no messages.
        if (++set_up_attempts_ >= kSetUpAttempts)
            mode_ = Mode::None;
        return false;
    }
    if (mode_ == Mode::None)
        return false;
    announces_ = ask_announcements();
    qCInfo(lcKestrumMessages) << "line" << line_ << "takes messages:" << mode_text();
    return true;
}

bool MessagesLine::choose_mode()
{
    const AtChannel::Reply modes = ask(QStringLiteral("AT+CMGF=?"));
    if (modes.final == AtChannel::Final::None)
        return false;
    const QString offered = modes.lines.join(QLatin1Char(' '));
    const bool pdu_offered = !modes.ok() || offered.isEmpty() || offered.contains(QLatin1Char('0'));
    if (pdu_offered && ask(QStringLiteral("AT+CMGF=0")).ok()) {
        mode_ = Mode::Pdu;
    } else if (ask(QStringLiteral("AT+CMGF=1")).ok()) {
        mode_ = Mode::Text;
        const AtChannel::Reply charset = ask(QStringLiteral("AT+CSCS?"));
        for (const QString& line : charset.lines)
            if (line.startsWith(QLatin1String("+CSCS:")))
                own_charset_ = messages::reply_fields(QStringView(line).mid(6)).value(0);
        if (own_charset_.isEmpty() || own_charset_ == QLatin1String("UCS2"))
            own_charset_ = kGsmCharset;
    } else {
        mode_ = Mode::None;
    }
    return true;
}

bool MessagesLine::ask_announcements()
{
    int n = 0;
    for (const char* setting : kAnnouncements) {
        if (ask(QStringLiteral("AT+CNMI=") + QLatin1String(setting)).ok()) {
            reports_ = n < kNoReportsFrom;
            return true;
        }
        ++n;
    }
    return false;
}

bool MessagesLine::select_memory(const QString& memory)
{
    if (memory.isEmpty() || memory == selected_memory_)
        return true;
    if (!ask(QStringLiteral("AT+CPMS=\"%1\"").arg(memory)).ok())
        return false;
    selected_memory_ = memory;
    return true;
}

bool MessagesLine::use_ucs2(bool on)
{
    if (mode_ != Mode::Text || in_ucs2_ == on)
        return true;
    const QString charset = on ? QStringLiteral("UCS2") : own_charset_;
    if (!ask(QStringLiteral("AT+CSCS=\"%1\"").arg(charset)).ok())
        return false;
    in_ucs2_ = on;
    return true;
}

// --- Receiving -----------------------------------------------------------------

QList<MessagesLine::Entry> MessagesLine::entries_of(const AtChannel::Reply& reply, const QString& header_prefix,
                                                    bool with_index) const
{
    QList<Entry> entries;
    for (const QString& line : reply.lines) {
        if (line.startsWith(header_prefix)) {
            Entry entry;
            entry.header = line.mid(header_prefix.size()).trimmed();
            entry.listed = with_index;
            if (with_index)
                entry.index = entry.header.section(QLatin1Char(','), 0, 0).toInt();
            entries.append(entry);
        } else if (!entries.isEmpty()) {
            // A text-mode text may run over several lines.
            Entry& last = entries.last();
            last.body += (last.body.isEmpty() ? QString() : QStringLiteral("\n")) + line;
        }
    }
    return entries;
}

void MessagesLine::list_stored(qint64 now_ms, bool delete_after_keeping)
{
    if (mode_ == Mode::Text && !use_ucs2(true))
        use_ucs2(false);
    const QString command = mode_ == Mode::Pdu ? QStringLiteral("AT+CMGL=4") : QStringLiteral("AT+CMGL=\"ALL\"");
    const AtChannel::Reply reply = ask(command, kListLimitMs);
    listed_at_ms_ = now_ms;
    if (!reply.ok())
        return;  // an empty memory answers so on some phones
    listed_ = true;
    for (const Entry& entry : entries_of(reply, QStringLiteral("+CMGL:"), true))
        if (keep(entry) && delete_after_keeping)
            ask(QStringLiteral("AT+CMGD=%1").arg(entry.index));
}

void MessagesLine::read_announced(bool delete_after_keeping, const std::function<bool()>& call_first)
{
    while (!announced_entries_.isEmpty() || !announced_reports_.isEmpty()) {
        if (call_first())
            return;
        const bool report = announced_entries_.isEmpty();
        const Stored stored = report ? announced_reports_.takeFirst() : announced_entries_.takeFirst();
        if (stored.index < 0 || !select_memory(stored.memory))
            continue;
        if (mode_ == Mode::Text)
            use_ucs2(true);
        const AtChannel::Reply reply = ask(QStringLiteral("AT+CMGR=%1").arg(stored.index));
        QList<Entry> entries = entries_of(reply, QStringLiteral("+CMGR:"), false);
        if (!reply.ok() || entries.isEmpty())
            continue;
        entries.first().index = stored.index;
        if (keep(entries.first()) && (delete_after_keeping || report))
            ask(QStringLiteral("AT+CMGD=%1").arg(stored.index));
    }
}

bool MessagesLine::keep(const Entry& entry)
{
    return mode_ == Mode::Pdu ? keep_pdu(entry) : keep_text(entry);
}

bool MessagesLine::keep_pdu(const Entry& entry)
{
    const QString hex = entry.body.trimmed();
    const messages::Decoded decoded = messages::decode_pdu(hex.toLatin1());
    if (!decoded.ok) {
        // Left on the phone: what cannot be read here is not lost.
        qCWarning(lcKestrumMessages) << "line" << line_ << "message" << entry.index << "unreadable:" << decoded.error;
        return false;
    }
    const messages::Pdu& pdu = decoded.pdu;
    if (pdu.kind == messages::Kind::StatusReport) {
        take_report_pdu(hex);
        return true;
    }
    if (pdu.kind != messages::Kind::Deliver)
        return false;  // the phone's own drafts and sent messages stay its own
    messages::ReceivedPart part;
    part.line = line_;
    part.model = model_;
    part.number = pdu.number;
    part.text = pdu.encoding == messages::Encoding::Data8 ? pdu.text : blackboard::text_from_phone(pdu.text);
    part.sent_ms = ms_of(pdu.sent);
    part.received_ms = platform::clock().wall_clock_ms();
    part.reference = pdu.concat.reference;
    part.count = pdu.concat.count;
    part.sequence = pdu.concat.sequence;
    part.fingerprint = hex.toUpper();
    return store_->keep_received(part) != messages::Kept::Failed;
}

bool MessagesLine::keep_text(const Entry& entry)
{
    messages::TextModeMessage message;
    // +CMGL's header leads with the index, +CMGR's does not.
    if (!messages::parse_text_message(entry.header, entry.listed, in_ucs2_, message))
        return false;
    if (!message.state.startsWith(QLatin1String("REC")))
        return false;
    messages::ReceivedPart part;
    part.line = line_;
    part.model = model_;
    part.number = message.number;
    part.text = blackboard::text_from_phone(messages::text_mode_field(entry.body, in_ucs2_));
    part.sent_ms = ms_of(message.sent);
    part.received_ms = platform::clock().wall_clock_ms();
    part.fingerprint = message.number + QLatin1Char('|') + message.sent.toString(Qt::ISODate) + QLatin1Char('|')
                       + entry.body;
    return store_->keep_received(part) != messages::Kept::Failed;
}

void MessagesLine::take_report_pdu(const QString& hex)
{
    const messages::Decoded decoded = messages::decode_pdu(hex.toLatin1());
    if (!store_ || !decoded.ok || decoded.pdu.kind != messages::Kind::StatusReport)
        return;
    const messages::ReportOutcome outcome = messages::report_outcome(decoded.pdu.status);
    if (outcome == messages::ReportOutcome::Pending)
        return;
    const bool delivered = outcome == messages::ReportOutcome::Delivered;
    store_->report(line_, decoded.pdu.reference, delivered,
                   delivered ? QString() : blackboard::report_failure_reason(decoded.pdu.status));
}

void MessagesLine::take_text_report(const QString& fields)
{
    messages::TextModeReport report;
    if (!store_ || !messages::parse_text_report(fields, in_ucs2_, report))
        return;
    const messages::ReportOutcome outcome = messages::report_outcome(report.status);
    if (outcome == messages::ReportOutcome::Pending)
        return;
    const bool delivered = outcome == messages::ReportOutcome::Delivered;
    store_->report(line_, report.reference, delivered,
                   delivered ? QString() : blackboard::report_failure_reason(report.status));
}

// --- Sending -------------------------------------------------------------------

void MessagesLine::send_queue(const std::function<bool()>& call_first)
{
    if (resume_) {
        const messages::Message message = store_->message(resume_->id);
        const int first = resume_->next_part;
        resume_.reset();
        if (message.id != 0 && message.state == messages::State::Sending) {
            const int waiting = send_parts(message.id, message.number, message.text, first, call_first);
            if (waiting >= 0) {
                resume_ = Resume{message.id, waiting};
                return;
            }
        }
    }
    queue_woken_ = false;
    for (const messages::Message& message : store_->queued(line_)) {
        if (call_first()) {
            queue_woken_ = true;
            return;
        }
        store_->set_state(message.id, messages::State::Sending);
        store_->set_model(message.id, model_);
        const int waiting = send_parts(message.id, message.number, message.text, 0, call_first);
        if (waiting >= 0) {
            resume_ = Resume{message.id, waiting};
            queue_woken_ = true;
            return;
        }
    }
}

int MessagesLine::send_parts(qint64 id, const QString& number, const QString& text, int first,
                             const std::function<bool()>& call_first)
{
    // Text mode has no part headers: each part goes as a message of its own.
    const QStringList texts = mode_ == Mode::Text ? messages::split_parts(text) : QStringList();
    const QList<messages::SubmitPdu> pdus =
        mode_ == Mode::Pdu ? messages::encode_submit(number, text, int(id & 0xFF), reports_)
                           : QList<messages::SubmitPdu>();
    const int count = mode_ == Mode::Pdu ? int(pdus.size()) : int(texts.size());
    for (int part = first; part < count; ++part) {
        if (part > first && call_first())
            return part;
        QString failure;
        const std::optional<int> reference =
            mode_ == Mode::Pdu ? send_pdu_part(pdus[part].hex, pdus[part].tpdu_length, failure)
                               : send_text_part(number, texts[part], failure);
        if (!reference) {
            qCWarning(lcKestrumMessages) << "line" << line_ << "message" << id << "not sent:" << failure;
            store_->set_state(id, messages::State::Failed, failure);
            return -1;
        }
        store_->part_sent(id, line_, part + 1, *reference);
    }
    store_->set_state(id, messages::State::Sent);
    return -1;
}

std::optional<int> MessagesLine::send_pdu_part(const QByteArray& hex, int tpdu_length, QString& failure)
{
    const AtChannel::Reply reply =
        channel_.exchange(QStringLiteral("AT+CMGS=%1").arg(tpdu_length), QString::fromLatin1(hex), kSendLimitMs);
    if (reply.ok())
        return reference_of(reply);
    failure = failure_of(reply);
    return std::nullopt;
}

std::optional<int> MessagesLine::send_text_part(const QString& number, const QString& text, QString& failure)
{
    const bool ucs2 = needs_ucs2(text);
    // First octet: a submit with a relative validity, a status report asked
    // for when the phone passes them on; the coding: GSM or UCS2.
    const int first_octet = reports_ ? 0x31 : 0x11;
    ask(QStringLiteral("AT+CSMP=%1,167,0,%2").arg(first_octet).arg(ucs2 ? 8 : 0));
    if (!use_ucs2(ucs2) && ucs2) {
        failure = blackboard::send_error_reason(303);
        return std::nullopt;
    }
    const QString to = in_ucs2_ ? QString::fromLatin1(messages::ucs2_to_hex(number)) : number;
    const QString body = in_ucs2_ ? QString::fromLatin1(messages::ucs2_to_hex(text)) : text;
    const AtChannel::Reply reply = channel_.exchange(QStringLiteral("AT+CMGS=\"%1\"").arg(to), body, kSendLimitMs);
    if (reply.ok())
        return reference_of(reply);
    failure = failure_of(reply);
    return std::nullopt;
}

}  // namespace kestrum
