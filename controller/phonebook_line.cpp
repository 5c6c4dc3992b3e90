#include "controller/phonebook_line.h"

#include <QLoggingCategory>

#include "contacts/contact_files.h"

Q_LOGGING_CATEGORY(lcKestrumPhonebook, "kestrum.phonebook", QtWarningMsg)

namespace kestrum {

namespace {
// A range of twenty entries in UCS2 is long; a phone answers it in well
// under this.
constexpr int kReplyLimitMs = 5000;
}  // namespace

void PhonebookLine::connected()
{
    read_.reset();
    wanted_ = true;
}

void PhonebookLine::work(const std::function<bool()>& call_first)
{
    if (line_.isEmpty())
        return;
    if (!read_ && wanted_) {
        read_.emplace();
        wanted_ = false;
    }
    while (read_ && !read_->done()) {
        if (read_->may_pause() && call_first())
            return;
        const AtChannel::Reply reply = channel_.exchange(read_->command(), kReplyLimitMs);
        if (reply.final == AtChannel::Final::None) {
            // A phone that stays silent is not asked place by place; the
            // next request or connection tries again.
            qCWarning(lcKestrumPhonebook) << "line" << line_ << "phonebook read given up:" << read_->command();
            read_.reset();
            return;
        }
        read_->take({reply.final == AtChannel::Final::None ? QString() : reply.final_line, reply.lines});
    }
    if (!read_)
        return;
    qCInfo(lcKestrumPhonebook) << "line" << line_ << "phonebook entries read:" << read_->entries().size();
    if (!contacts::write_phonebook(line_, read_->entries()))
        qCWarning(lcKestrumPhonebook) << "line" << line_ << "phonebook not written to the contacts cache";
    read_.reset();
}

}  // namespace kestrum
