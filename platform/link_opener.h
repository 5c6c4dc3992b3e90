#pragma once
#include <QString>

namespace platform {

// Opening an address ("skype:...", a web page) with the desktop's default
// handler.
struct OpenResult {
    bool ok = false;
    int error_code = 0;  // meaningful when !ok
};

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual OpenResult open_address(const QString& address) = 0;
};

// Runs xdg-open. xdg-open runs the handler in the foreground and waits for
// it, so it is not waited on to the end: a quick non-zero exit is the
// failure (its exit status is the error code); exit 0, or still running
// after about a second, is success and it runs on detached.
class XdgLinkOpener : public LinkOpener {
public:
    OpenResult open_address(const QString& address) override;
};

LinkOpener& link_opener();
void set_link_opener(LinkOpener* replacement);  // nullptr restores the default

}  // namespace platform
