#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace platform {

// One running instance per name: a name in the kernel's abstract socket
// space (Linux), which the kernel frees when the process ends however it
// ends, so a crashed program leaves nothing stale behind. The holder also
// takes short texts from later starts over that socket: a start that finds
// the name held hands its text to the holder instead of doing the work a
// second time.
class InstanceLock : public QObject {
    Q_OBJECT

public:
    explicit InstanceLock(const QString& name, QObject* parent = nullptr);
    ~InstanceLock() override;

    // Takes the name (and, with take_texts, listens on it for later
    // starts); false when another process holds it (or no socket could be
    // made).
    bool acquire(bool take_texts = true);
    bool held() const { return fd_ >= 0; }

signals:
    // A later start handed this text over (one line, at most 4 KiB).
    void text_received(const QString& text);

private:
    void accept_one();

    QString name_;
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

// True when some process holds the name now.
bool instance_running(const QString& name);

// Hands the text to the holder of the name and waits (at most timeout_ms)
// for its receipt; false when no one took it.
bool send_to_instance(const QString& name, const QString& text, int timeout_ms = 2000);

}  // namespace platform
