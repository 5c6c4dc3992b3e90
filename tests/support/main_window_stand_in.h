#pragma once
#include "dialer/dial/main_window_presence.h"
#include "platform/instance_lock.h"

// A dialer main window as the dial logic and a hand-over see one: the
// lock of the current store (VEKORRA_SETTINGS; construct a TestEnv first)
// held, and no texts taken, so that a hand-over dials by itself as it does
// when the window cannot be reached.
class MainWindowStandIn {
public:
    MainWindowStandIn() : lock_(main_window_lock_name()) { held_ = lock_.acquire(false); }
    bool held() const { return held_; }

private:
    platform::InstanceLock lock_;
    bool held_ = false;
};
