#pragma once
#include "platform/messages.h"

namespace platform {

// Real modal message boxes (Qt Widgets). Programs with windows install it
// with set_messages() at start.
class BoxMessages : public Messages {
public:
    void show(const QString& caption, const QString& text, MessageIcon icon) override;
    bool ask(const QString& caption, const QString& text, const QString& confirm) override;
};

}  // namespace platform
