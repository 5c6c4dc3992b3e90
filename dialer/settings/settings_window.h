#pragma once

class QWidget;
class MainWindowLink;

// Opens "Настройки программы" modally. The first opening loads the window;
// "Закрыть" hides it and the next opening shows it as it was left; the close
// box unloads it, so the next opening loads it afresh.
void show_settings_window(MainWindowLink& main_window, QWidget* parent);
