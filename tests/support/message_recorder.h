#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "platform/messages.h"

// The one message-box double of the tests: installs itself as the messages
// seam for its lifetime and writes down every box instead of showing it.
class MessageRecorder : public platform::Messages {
public:
    MessageRecorder() { platform::set_messages(this); }
    ~MessageRecorder() override { platform::set_messages(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void show(const QString& caption, const QString& text, platform::MessageIcon icon) override
    {
        if (on_show)
            on_show(caption, text, icon);
        captions.append(caption);
        texts.append(text);
        icons.append(icon);
    }

    // A question is written down like a box; answer is what the user chose.
    bool ask(const QString& caption, const QString& text, const QString& confirm) override
    {
        show(caption, text, platform::MessageIcon::None);
        questions.append(confirm);
        return answer;
    }

    QStringList captions;
    QStringList texts;
    QList<platform::MessageIcon> icons;
    QStringList questions;  // the confirming button of each question
    bool answer = true;
    // Runs while the box would be open (e.g. to log it among other events).
    std::function<void(const QString& caption, const QString& text, platform::MessageIcon icon)> on_show;
};
