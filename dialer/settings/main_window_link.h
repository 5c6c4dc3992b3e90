#pragma once

class SerialComponent;

// What the settings window needs of the main window, without depending on
// it: starting a controller, showing a phone's panel, the search flag, and
// the dialer's one serial port.
class MainWindowLink {
public:
    virtual ~MainWindowLink() = default;
    // Writes on_przv_exe = "1" for the slot and starts its controller.
    virtual void start_controller(int slot) = 0;
    // Shows or hides the main window's frame of phone slot 2, 3 or 4.
    virtual void set_phone_panel_visible(int slot, bool visible) = 0;
    // 1 while a phone search has run and the controllers must be restarted
    // when the settings window closes.
    virtual int poisk_aktiv() const = 0;
    virtual void set_poisk_aktiv(int value) = 0;
    // The dialer's serial port, used only by the search and the test call.
    virtual SerialComponent& serial_port() = 0;
};
