#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

// The phone's end of the serial line: a pseudo-terminal whose slave is
// linked as <ports>/comN for the client to open.
//
// The simulator keeps a slave descriptor open itself, so that the line
// survives the client closing and reopening it (without one the master
// would report EIO/HUP until the next open). A real serial port forgets
// what it received while no one had it open and what its user left
// unread at close; the held descriptor would keep such bytes in the
// pseudo-terminal instead, so the line watches the slave's opens and
// closes and discards them the same way, and ends a dead client's
// exclusive mode as the last close of a real device would. It learns of a
// close a moment after it happened (an inotify event): a client that
// reopens at once may still find the bytes left by the one before.
class PtyLine : public QObject
{
    Q_OBJECT
public:
    explicit PtyLine(QObject* parent = nullptr);
    ~PtyLine() override;

    bool open(const QString& ports_dir, int port, QString* error);
    // Drops the line: master and slave closed, the link removed, or left
    // pointing at the vanished pseudo-terminal as a link to an unplugged
    // device stays behind.
    void close(bool keep_link = false);
    bool is_open() const { return master_ >= 0; }
    QString link_path() const { return link_path_; }
    QString slave_path() const { return slave_path_; }
    // Bytes the pseudo-terminal cannot take at once (its buffer is full
    // while the client does not read) wait in order and go out as the client
    // reads; they are forgotten when the line is dropped or its last client
    // closes it, as a real line forgets them.
    void write(const QByteArray& bytes);

signals:
    void received(const QByteArray& bytes);
    // A client opened or closed the slave; opens = how many hold it now.
    void client_opened(int opens);
    void client_closed(int opens);

private:
    void read_master();
    void flush_pending();
    void read_open_events();
    void discard_unread();
    void reset_after_client();
    void remove_link();
    void point_link_nowhere();
    // comN still names this line: another simulator may have taken the
    // port over since.
    bool link_names_this_line() const;

    int master_ = -1;
    int slave_ = -1;
    int inotify_ = -1;
    int client_opens_ = 0;
    QSocketNotifier* master_notifier_ = nullptr;
    QSocketNotifier* inotify_notifier_ = nullptr;
    QSocketNotifier* write_notifier_ = nullptr;
    QByteArray pending_;
    QString slave_path_;
    QString link_path_;
};
