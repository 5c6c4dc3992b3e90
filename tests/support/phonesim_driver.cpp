#include "phonesim_driver.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "test_env.h"

PhoneSim::PhoneSim(const QStringList& options, int port)
    : port_(port), ports_dir_(qEnvironmentVariable("VEKORRA_PORTS"))
{
    if (ports_dir_.isEmpty())
        ports_dir_ = QDir::tempPath();
    QFile::remove(log_path());
    QStringList args = options;
    args << QStringLiteral("--ports") << ports_dir_ << QStringLiteral("--port") << QString::number(port)
         << QStringLiteral("--control") << control_path() << QStringLiteral("--log") << log_path()
         << QStringLiteral("--exit-with-parent");
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(TestEnv::build_dir() + QStringLiteral("/tools/phonesim/phonesim"), args);
    ready_ = process_.waitForStarted(5000)
          && wait_until([this] { return output().contains(QLatin1String("ready ")); }, 5000)
          && QFile::exists(link_path());
    if (!ready_)
        qWarning("phonesim on port %d did not start: %s", port, qPrintable(output()));
}

PhoneSim::~PhoneSim() { stop(); }

void PhoneSim::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString PhoneSim::link_path() const { return QStringLiteral("%1/com%2").arg(ports_dir_).arg(port_); }
QString PhoneSim::control_path() const { return link_path() + QStringLiteral(".control"); }
QString PhoneSim::log_path() const { return link_path() + QStringLiteral(".log"); }

QString PhoneSim::output() const
{
    output_ += QString::fromLocal8Bit(process_.readAll());
    return output_;
}

QString PhoneSim::control_answer(const QString& line)
{
    const QByteArray path = QFile::encodeName(control_path());
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    if (size_t(path.size()) >= sizeof address.sun_path)
        return {};
    memcpy(address.sun_path, path.constData(), size_t(path.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    QByteArray answer;
    const QByteArray request = line.toUtf8() + '\n';
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0
        && ::write(fd, request.constData(), size_t(request.size())) == request.size()) {
        // Read until a line that ends the answer, for at most five seconds.
        static const QRegularExpression end(QStringLiteral("(^|\\n)(OK|ERROR[^\\n]*)\\n$"));
        pollfd waiting {fd, POLLIN, 0};
        while (!end.match(QString::fromUtf8(answer)).hasMatch() && ::poll(&waiting, 1, 5000) > 0) {
            char chunk[1024];
            const ssize_t n = ::read(fd, chunk, sizeof chunk);
            if (n <= 0)
                break;
            answer.append(chunk, n);
        }
    }
    ::close(fd);
    return QString::fromUtf8(answer).trimmed();
}

bool PhoneSim::control(const QString& line)
{
    const QString answer = control_answer(line);
    return answer == QLatin1String("OK") || answer.endsWith(QLatin1String("\nOK"));
}

QStringList PhoneSim::calls()
{
    const QStringList lines = control_answer(QStringLiteral("calls")).split(QLatin1Char('\n'));
    if (lines.size() != 2 || lines[1] != QLatin1String("OK") || lines[0].isEmpty())
        return {};
    return lines[0].split(QLatin1Char(';'));
}

QString PhoneSim::log_text() const
{
    QFile file(log_path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll());
}

QStringList PhoneSim::log_lines() const
{
    return log_text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QStringList PhoneSim::received() const
{
    QStringList commands;
    for (const QString& line : log_lines()) {
        const int kind = line.indexOf(QLatin1Char(' '));
        if (line.mid(kind + 1, 3) == QLatin1String("RX "))
            commands.append(line.mid(kind + 4));
    }
    return commands;
}

int PhoneSim::count_received(const QString& prefix) const
{
    const QStringList commands = received();
    return int(std::count_if(commands.begin(), commands.end(), [&](const QString& c) { return c.startsWith(prefix); }));
}

bool PhoneSim::wait_for_command(const QString& prefix, int timeout_ms, int count)
{
    return wait_until([&] { return count_received(prefix) >= count; }, timeout_ms);
}

bool PhoneSim::wait_for_log(const QString& text, int timeout_ms)
{
    return wait_until([&] { return log_text().contains(text); }, timeout_ms);
}

double PhoneSim::received_at(const QString& prefix, bool last) const
{
    double at = -1;
    for (const QString& line : log_lines()) {
        const int kind = line.indexOf(QLatin1Char(' '));
        if (line.mid(kind + 1, 3) == QLatin1String("RX ") && line.mid(kind + 4).startsWith(prefix)) {
            at = line.left(kind).toDouble();
            if (!last)
                break;
        }
    }
    return at;
}
