#include "platform/messages.h"

#include <cstdio>

namespace platform {

void HeadlessMessages::show(const QString&, const QString&, MessageIcon) {}

bool Messages::ask(const QString&, const QString&, const QString&) { return false; }

namespace {
HeadlessMessages headless_messages;
Messages* current_messages = &headless_messages;
QString title = QStringLiteral("Vekorra");
}  // namespace

Messages& messages() { return *current_messages; }

void set_messages(Messages* replacement)
{
    current_messages = replacement ? replacement : &headless_messages;
}

QString program_title() { return title; }
void set_program_title(const QString& new_title) { title = new_title; }

namespace {
void log_line(const QString& text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QString()).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), line.toUtf8().constData());
    std::fflush(stderr);
}
}  // namespace

void show_message(const QString& text, MessageIcon icon, const QString& caption)
{
    log_line(text);
    current_messages->show(caption.isEmpty() ? title : caption, text, icon);
}

bool ask_to_confirm(const QString& text, const QString& confirm)
{
    log_line(text);
    return current_messages->ask(title, text, confirm);
}

}  // namespace platform
