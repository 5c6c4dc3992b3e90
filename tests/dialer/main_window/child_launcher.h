#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <memory>
#include <vector>

#include "platform/launcher.h"

// Starts the programs the dialer asks for as real processes, but as
// children of the test, so that none outlives it: the destructor ends
// those still running (after giving them `grace_ms` to end by themselves).
class ChildLauncher : public platform::Launcher {
public:
    ChildLauncher() { platform::set_launcher(this); }
    ~ChildLauncher() override
    {
        platform::set_launcher(nullptr);
        for (auto& child : children_) {
            if (!child->waitForFinished(grace_ms))
                child->kill();
            child->waitForFinished(3000);
        }
    }
    bool start_detached(const QString& program, const QStringList& arguments) override
    {
        auto child = std::make_unique<QProcess>();
        child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child->setStandardOutputFile(QProcess::nullDevice());
        child->start(program, arguments);
        const bool started = child->waitForStarted(5000);
        children_.push_back(std::move(child));
        return started;
    }
    int running() const
    {
        int count = 0;
        for (const auto& child : children_)
            count += child->state() != QProcess::NotRunning;
        return count;
    }
    int grace_ms = 3000;

private:
    std::vector<std::unique_ptr<QProcess>> children_;
};
