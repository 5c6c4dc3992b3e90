#pragma once
#include <QByteArray>

namespace messages {

// Reads octets from a PDU with every access checked: past the end, the
// reader is spent and returns zeros, so the decoder tests ok() once per
// field instead of checking before every octet.
class PduReader {
public:
    explicit PduReader(const QByteArray& octets) : octets_(octets) {}

    quint8 octet()
    {
        if (position_ >= octets_.size()) {
            overrun_ = true;
            return 0;
        }
        return quint8(octets_[position_++]);
    }
    QByteArray take(qsizetype count)
    {
        if (count < 0 || count > octets_.size() - position_) {
            overrun_ = true;
            position_ = octets_.size();
            return {};
        }
        const QByteArray part = octets_.mid(position_, count);
        position_ += count;
        return part;
    }
    qsizetype left() const { return octets_.size() - position_; }
    bool ok() const { return !overrun_; }

private:
    const QByteArray& octets_;
    qsizetype position_ = 0;
    bool overrun_ = false;
};

}  // namespace messages
