#pragma once
#include <QString>

namespace platform {

enum class MessageIcon { None, Error };

// Modal message boxes with an OK button. Every message also goes to
// standard error as "<program title>: <text>", so that a process started
// from a script shows why it refused.
class Messages {
public:
    virtual ~Messages() = default;
    // Returns once the user has closed the box.
    virtual void show(const QString& caption, const QString& text, MessageIcon icon) = 0;
    // A question before something that cannot be undone: buttons confirm and
    // "Отмена", the latter the default. True only when the user confirmed;
    // where no one can answer, nothing is confirmed.
    virtual bool ask(const QString& caption, const QString& text, const QString& confirm);
};

// Shows no box (the standard-error line is all there is); the default until
// a program with windows installs its box implementation.
class HeadlessMessages : public Messages {
public:
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
};

Messages& messages();
void set_messages(Messages* replacement);  // nullptr restores the default

// The program's title: "Vekorra" or "Kestrum". Caption of its message boxes
// and prefix of the standard-error line.
QString program_title();
void set_program_title(const QString& title);

// Writes the standard-error line and shows the box through the current seam.
void show_message(const QString& text, MessageIcon icon = MessageIcon::Error,
                  const QString& caption = QString());
// Writes the standard-error line and asks through the current seam; true
// when the user chose confirm.
bool ask_to_confirm(const QString& text, const QString& confirm);

}  // namespace platform
