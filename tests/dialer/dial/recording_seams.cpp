#include "recording_seams.h"

RecordingSeams::RecordingSeams(int seams) : seams_(seams)
{
    if (seams_ & MessagesSeam)
        platform::set_messages(this);
    if (seams_ & LauncherSeam)
        platform::set_launcher(this);
    if (seams_ & LinkOpenerSeam)
        platform::set_link_opener(this);
    if (seams_ & ClockSeam)
        platform::set_clock(this);
}

RecordingSeams::~RecordingSeams()
{
    if (seams_ & MessagesSeam)
        platform::set_messages(nullptr);
    if (seams_ & LauncherSeam)
        platform::set_launcher(nullptr);
    if (seams_ & LinkOpenerSeam)
        platform::set_link_opener(nullptr);
    if (seams_ & ClockSeam)
        platform::set_clock(nullptr);
}

void RecordingSeams::show(const QString& caption, const QString& text, platform::MessageIcon icon)
{
    QString event = QStringLiteral("message %1 %2: %3")
                        .arg(caption, icon == platform::MessageIcon::Error ? QStringLiteral("error")
                                                                            : QStringLiteral("none"),
                             text);
    if (snapshot_at_message)
        event += QStringLiteral(" [%1]").arg(snapshot_at_message());
    events << event;
}

bool RecordingSeams::start_detached(const QString& program, const QStringList& arguments)
{
    events << (QStringList{QStringLiteral("start"), program} + arguments).join(QLatin1Char(' '));
    return start_succeeds;
}

platform::OpenResult RecordingSeams::open_address(const QString& address)
{
    events << QStringLiteral("open ") + address;
    return open_result;
}

void RecordingSeams::sleep_ms(int ms)
{
    events << QStringLiteral("sleep %1").arg(ms);
}
