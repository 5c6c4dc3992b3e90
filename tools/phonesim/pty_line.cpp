#include "pty_line.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// No echo and no CR/LF translation: bytes pass unchanged both ways.
bool make_raw(int fd)
{
    termios raw {};
    if (tcgetattr(fd, &raw) != 0)
        return false;
    cfmakeraw(&raw);
    cfsetspeed(&raw, B19200);
    return tcsetattr(fd, TCSANOW, &raw) == 0;
}

}  // namespace

PtyLine::PtyLine(QObject* parent) : QObject(parent) {}

PtyLine::~PtyLine() { close(); }

bool PtyLine::open(const QString& ports_dir, int port, QString* error)
{
    close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        *error = QStringLiteral("cannot create a pseudo-terminal: %1").arg(qt_error_string(errno));
        close();
        return false;
    }
    char name[PATH_MAX];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        *error = QStringLiteral("cannot name the pseudo-terminal");
        close();
        return false;
    }
    slave_path_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (slave_ < 0 || !make_raw(slave_)) {
        *error = QStringLiteral("cannot open %1: %2").arg(slave_path_, qt_error_string(errno));
        close();
        return false;
    }

    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ >= 0 && inotify_add_watch(inotify_, name, IN_OPEN | IN_CLOSE) >= 0) {
        inotify_notifier_ = new QSocketNotifier(inotify_, QSocketNotifier::Read, this);
        connect(inotify_notifier_, &QSocketNotifier::activated, this, &PtyLine::read_open_events);
    }
    client_opens_ = 0;
    master_notifier_ = new QSocketNotifier(master_, QSocketNotifier::Read, this);
    connect(master_notifier_, &QSocketNotifier::activated, this, &PtyLine::read_master);
    write_notifier_ = new QSocketNotifier(master_, QSocketNotifier::Write, this);
    write_notifier_->setEnabled(false);
    connect(write_notifier_, &QSocketNotifier::activated, this, &PtyLine::flush_pending);

    // Link atomically, replacing whatever comN pointed to before.
    link_path_ = QStringLiteral("%1/com%2").arg(ports_dir).arg(port);
    const QByteArray link = QFile::encodeName(link_path_);
    const QByteArray temporary = link + ".new." + QByteArray::number(getpid());
    ::unlink(temporary.constData());
    if (::symlink(name, temporary.constData()) != 0 || ::rename(temporary.constData(), link.constData()) != 0) {
        *error = QStringLiteral("cannot link %1: %2").arg(link_path_, qt_error_string(errno));
        ::unlink(temporary.constData());
        link_path_.clear();
        close();
        return false;
    }
    return true;
}

void PtyLine::close(bool keep_link)
{
    delete master_notifier_;
    master_notifier_ = nullptr;
    delete inotify_notifier_;
    inotify_notifier_ = nullptr;
    delete write_notifier_;
    write_notifier_ = nullptr;
    pending_.clear();
    for (int* fd : {&inotify_, &slave_, &master_}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (keep_link)
        point_link_nowhere();
    else
        remove_link();
}

// The link stays as an unplugged device leaves it: dangling. Not at the
// closed terminal's name, which the kernel hands to the next terminal that
// anyone opens, but at a name in the ports folder that is never made.
void PtyLine::point_link_nowhere()
{
    if (link_names_this_line()) {
        const QByteArray link = QFile::encodeName(link_path_);
        const QFileInfo info(link_path_);
        const QByteArray nowhere = QFile::encodeName(info.path() + QStringLiteral("/.unplugged-") + info.fileName());
        const QByteArray temporary = link + ".new." + QByteArray::number(getpid());
        ::unlink(temporary.constData());
        if (::symlink(nowhere.constData(), temporary.constData()) != 0
            || ::rename(temporary.constData(), link.constData()) != 0)
            ::unlink(temporary.constData());
    }
    link_path_.clear();
}

// Removes comN only while it still names this line: another simulator
// may have taken the port over since.
void PtyLine::remove_link()
{
    if (link_names_this_line())
        ::unlink(QFile::encodeName(link_path_).constData());
    link_path_.clear();
}

bool PtyLine::link_names_this_line() const
{
    if (link_path_.isEmpty())
        return false;
    char target[PATH_MAX];
    const ssize_t length = ::readlink(QFile::encodeName(link_path_).constData(), target, sizeof target - 1);
    return length > 0 && QString::fromLocal8Bit(target, int(length)) == slave_path_;
}

void PtyLine::write(const QByteArray& bytes)
{
    if (master_ < 0)
        return;
    pending_ += bytes;
    flush_pending();
}

void PtyLine::flush_pending()
{
    qsizetype done = 0;
    while (master_ >= 0 && done < pending_.size()) {
        const ssize_t n = ::write(master_, pending_.constData() + done, size_t(pending_.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    pending_.remove(0, done);
    if (write_notifier_)
        write_notifier_->setEnabled(!pending_.isEmpty());
}

void PtyLine::read_master()
{
    QByteArray bytes;
    char chunk[4096];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0)
            bytes.append(chunk, n);
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    // The client opened the line before it sent these bytes, so its open
    // event is queued by now: it must be handled before the reply goes out,
    // or its discard would swallow the reply.
    read_open_events();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void PtyLine::read_open_events()
{
    if (inotify_ < 0)
        return;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(inotify_, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += ssize_t(sizeof(inotify_event) + event->len);
            if (event->mask & IN_OPEN) {
                if (client_opens_++ == 0)
                    discard_unread();
                emit client_opened(client_opens_);
            } else if (event->mask & IN_CLOSE) {
                if (client_opens_ > 0 && --client_opens_ == 0)
                    reset_after_client();
                emit client_closed(client_opens_);
            }
        }
    }
}

void PtyLine::discard_unread()
{
    if (slave_ >= 0)
        tcflush(slave_, TCIFLUSH);
}

// The last close of a real serial device also ends its exclusive mode and
// line settings. Here the held descriptor keeps the terminal alive, so a
// client that died without closing cleanly would leave it exclusive and
// every later open by an ordinary user would fail with EBUSY.
void PtyLine::reset_after_client()
{
    pending_.clear();
    if (write_notifier_)
        write_notifier_->setEnabled(false);
    discard_unread();
    if (slave_ < 0)
        return;
    ioctl(slave_, TIOCNXCL);
    make_raw(slave_);
}
