#include "control_server.h"

#include "phone.h"
#include "pty_line.h"
#include "sim_log.h"

#include <QLocalServer>
#include <QLocalSocket>

ControlServer::ControlServer(Phone* phone, PtyLine* line, SimLog* log, QObject* parent)
    : QObject(parent), phone_(phone), line_(line), log_(log), server_(new QLocalServer(this))
{
    connect(server_, &QLocalServer::newConnection, this, &ControlServer::take_connection);
}

bool ControlServer::listen(const QString& path, QString* error)
{
    QLocalServer::removeServer(path);  // a socket left behind by a killed simulator
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (server_->listen(path))
        return true;
    *error = QStringLiteral("cannot listen on %1: %2").arg(path, server_->errorString());
    return false;
}

void ControlServer::take_connection()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read_commands(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        read_commands(socket);
    }
}

void ControlServer::read_commands(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        const QString command = QString::fromUtf8(socket->readLine()).trimmed();
        if (command.isEmpty())
            continue;
        socket->write(run(command).toUtf8() + '\n');
        socket->flush();
    }
}

namespace {

QString answer(const QString& why) { return why.isEmpty() ? QStringLiteral("OK") : QStringLiteral("ERROR ") + why; }

// \r, \n, \\ and \xNN written out in a control line, as the bytes they name;
// everything else as its UTF-8 bytes.
QByteArray unescaped(const QString& text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    for (qsizetype at = 0; at < in.size(); ++at) {
        const char next = at + 1 < in.size() ? in[at + 1] : '\0';
        bool hex = false;
        const int code = in.mid(at + 2, 2).size() == 2 ? in.mid(at + 2, 2).toInt(&hex, 16) : 0;
        if (in[at] != '\\') {
            out += in[at];
        } else if (next == 'r' || next == 'n' || next == '\\') {
            out += next == 'r' ? '\r' : next == 'n' ? '\n' : '\\';
            ++at;
        } else if (next == 'x' && hex) {
            out += char(code);
            at += 3;
        } else {
            out += in[at];
        }
    }
    return out;
}

// "on"/"off" into on; any other word is refused.
bool on_off(const QString& word, bool* on)
{
    *on = word == QLatin1String("on");
    return *on || word == QLatin1String("off");
}

}  // namespace

QString ControlServer::run(const QString& command)
{
    log_->write("EV", command.toUtf8());
    const QStringList words = command.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString verb = words.value(0).toLower();
    const QString rest = command.mid(command.indexOf(verb, 0, Qt::CaseInsensitive) + verb.size()).trimmed();
    bool on = false;

    if (verb == QLatin1String("incoming") && !rest.isEmpty())
        return answer(phone_->incoming(rest, false));
    if (verb == QLatin1String("incoming-withheld") && rest.isEmpty())
        return answer(phone_->incoming(QString(), false));
    if (verb == QLatin1String("waiting"))
        return answer(phone_->incoming(rest, true));
    if (verb == QLatin1String("answer"))
        return answer(phone_->far_answer());
    if (verb == QLatin1String("busy"))
        return answer(phone_->far_busy());
    if (verb == QLatin1String("hangup"))
        return answer(phone_->far_hangup(rest));
    if (verb == QLatin1String("result") && !rest.isEmpty())
        return answer(phone_->set_dial_result(rest));
    if (verb == QLatin1String("fault") && words.value(1) == QLatin1String("garbage")) {
        bool count_ok = true;
        bool seed_ok = true;
        const int count = words.size() > 2 ? words[2].toInt(&count_ok) : 0;
        const uint seed = words.size() > 3 ? words[3].toUInt(&seed_ok) : 1;
        if (!count_ok || !seed_ok || count < 0 || words.size() > 4)
            return answer(QStringLiteral("bad garbage count or seed"));
        phone_->send_garbage(count, seed);
        return answer({});
    }
    if (verb == QLatin1String("fault") && words.value(1) == QLatin1String("long") && on_off(words.value(2), &on)) {
        bool bytes_ok = true;
        const int bytes = words.size() > 3 ? words[3].toInt(&bytes_ok) : 102400;
        if (!bytes_ok || bytes < 1)
            return answer(QStringLiteral("bad length %1").arg(words.value(3)));
        phone_->set_long_reply(on ? bytes : 0);
        return answer({});
    }
    if (verb == QLatin1String("fault") && words.value(1) == QLatin1String("clcc") && words.size() > 2) {
        static const QString head = QStringLiteral("clcc ");
        const QString text = command.mid(command.indexOf(head) + head.size());
        phone_->set_clcc_override(text == QLatin1String("off") ? QByteArray() : unescaped(text));
        return answer({});
    }
    if (verb == QLatin1String("fault") && on_off(words.value(2), &on)) {
        const int piece = words.size() > 3 ? words[3].toInt() : 3;
        const int gap = words.size() > 4 ? words[4].toInt() : 150;
        return answer(phone_->set_fault(words.value(1), on, piece, gap));
    }
    if (verb == QLatin1String("drop") && (rest.isEmpty() || rest == QLatin1String("keep-link"))) {
        line_->close(rest == QLatin1String("keep-link"));
        return answer({});
    }
    if (verb == QLatin1String("reconnect")) {
        QString why;
        if (line_->is_open())
            return answer(QStringLiteral("the line is up"));
        emit reconnect_requested(&why);
        return answer(why);
    }
    if (verb == QLatin1String("delay") && words.size() == 2) {
        bool number = false;
        const int ms = words[1].toInt(&number);
        if (!number || ms < 0)
            return answer(QStringLiteral("bad delay %1").arg(words[1]));
        phone_->set_reply_delay(ms);
        return answer({});
    }
    if (verb == QLatin1String("echo") && words.size() == 2 && on_off(words[1], &on)) {
        phone_->set_echo(on);
        return answer({});
    }
    if (verb == QLatin1String("model") && !rest.isEmpty()) {
        phone_->set_model(rest);
        return answer({});
    }
    if (verb == QLatin1String("model-query") && words.size() == 2) {
        SimOptions::ModelQuery query {};
        if (!model_query_named(words[1], &query))
            return answer(QStringLiteral("unknown model query %1").arg(words[1]));
        phone_->set_model_query(query);
        return answer({});
    }
    if (verb == QLatin1String("ussd") && !rest.isEmpty())
        return answer(phone_->set_ussd_answer(rest));
    if (verb == QLatin1String("ussd-delay") && words.size() == 2) {
        bool number = false;
        const int ms = words[1].toInt(&number);
        if (!number || ms < 0)
            return answer(QStringLiteral("bad delay %1").arg(words[1]));
        phone_->set_ussd_delay(ms);
        return answer({});
    }
    if (verb == QLatin1String("sms"))
        return answer(sms(words.mid(1)));
    if (verb == QLatin1String("sms-refuse") && words.size() == 2) {
        bool number = false;
        const int code = words[1].toInt(&number);
        if (!number && words[1] != QLatin1String("off"))
            return answer(QStringLiteral("CODE or off"));
        phone_->sms().set_refusal(number ? code : 0);
        return answer({});
    }
    if (verb == QLatin1String("sms-reports") && words.size() == 2 && on_off(words[1], &on)) {
        phone_->sms().set_reports(on);
        return answer({});
    }
    if (verb == QLatin1String("sms-capacity") && words.size() == 2 && words[1].toInt() > 0) {
        phone_->sms().set_capacity(words[1].toInt());
        return answer({});
    }
    if (verb == QLatin1String("sms-status"))
        return phone_->sms().status_line() + QStringLiteral("\nOK");
    if (verb == QLatin1String("calls"))
        return phone_->calls_line() + QStringLiteral("\nOK");
    if (verb == QLatin1String("quit")) {
        emit quit_requested();
        return answer({});
    }
    return answer(QStringLiteral("unknown command: %1").arg(command));
}

// sms [--ucs2] [--parts N] [--order 2,1,..] FROM TEXT
QString ControlServer::sms(QStringList words)
{
    SmsMemory::Incoming message;
    while (!words.isEmpty() && words[0].startsWith(QLatin1String("--"))) {
        const QString option = words.takeFirst();
        if (option == QLatin1String("--ucs2")) {
            message.ucs2 = true;
        } else if (option == QLatin1String("--parts") && !words.isEmpty()) {
            message.parts = words.takeFirst().toInt();
            if (message.parts < 1 || message.parts > 255)
                return QStringLiteral("--parts takes 1 to 255");
        } else if (option == QLatin1String("--order") && !words.isEmpty()) {
            for (const QString& part : words.takeFirst().split(u','))
                message.order.append(part.toInt());
        } else {
            return QStringLiteral("unknown option %1").arg(option);
        }
    }
    if (words.size() < 2)
        return QStringLiteral("sms [--ucs2] [--parts N] [--order 2,1,..] FROM TEXT");
    message.from = words.takeFirst();
    message.text = words.join(u' ');
    if (!message.order.isEmpty())
        message.parts = qMax(message.parts, int(message.order.size()));
    return phone_->sms().deliver(message);
}
