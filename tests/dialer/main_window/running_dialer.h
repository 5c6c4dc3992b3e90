#pragma once
#include "child_launcher.h"
#include "dialer/main_window/form_port.h"
#include "settings_store/settings_store.h"
#include "test_env.h"
#include "tests/support/message_recorder.h"

// The dialer as a user runs it, in this process (construct a TestEnv
// first): phone 1 a GSM phone on `port`, the controllers real processes
// that end with the test, message boxes recorded instead of shown.
struct RunningDialer {
    explicit RunningDialer(int port = 1)
    {
        write_setting("Kestrum", "1", "port", QString::number(port));
        write_setting("Kestrum", "1", "Tip_Tlf", "GSM");
    }
    ~RunningDialer() { form.close(); }

    // Start-up as at the program's start, and the window shown.
    void start()
    {
        form.start_up();
        form.show();
    }

    MessageRecorder messages;
    ChildLauncher controllers;
    FormPort form{TestEnv::build_dir()};
};
