#pragma once
#include <QByteArray>
#include <QtGlobal>

// Sets (or removes) one environment variable for the life of the object and
// puts the old state back afterwards. Children started meanwhile inherit it.
class EnvOverride {
public:
    EnvOverride(const char* name, const QByteArray& value) : EnvOverride(name) { qputenv(name, value); }
    static EnvOverride unset(const char* name)
    {
        EnvOverride override_(name);
        qunsetenv(name);
        return override_;
    }
    ~EnvOverride()
    {
        if (!name_)
            return;
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvOverride(EnvOverride&& other) noexcept : name_(other.name_), had_(other.had_), old_(other.old_)
    {
        other.name_ = nullptr;
    }
    EnvOverride(const EnvOverride&) = delete;
    EnvOverride& operator=(const EnvOverride&) = delete;
    EnvOverride& operator=(EnvOverride&&) = delete;

private:
    explicit EnvOverride(const char* name)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
    }
    const char* name_;
    bool had_;
    QByteArray old_;
};
