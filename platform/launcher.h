#pragma once
#include <QString>
#include <QStringList>

namespace platform {

// Starting other programs: detached, with an argument list, never through a
// shell, without waiting for them.
class Launcher {
public:
    virtual ~Launcher() = default;
    // True when the program was started.
    virtual bool start_detached(const QString& program, const QStringList& arguments) = 0;
};

class ProcessLauncher : public Launcher {
public:
    bool start_detached(const QString& program, const QStringList& arguments) override;
};

Launcher& launcher();
void set_launcher(Launcher* replacement);  // nullptr restores the default

}  // namespace platform
