#pragma once

class QWidget;

// Shows the conference-add window of phone slot 1 to 4 (Dob_kf1 to Dob_kf4)
// without blocking. The window is created on first use and afterwards only
// hidden and shown again.
void show_conference_add_window(int slot, QWidget* parent = nullptr);
