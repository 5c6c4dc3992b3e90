#include "recording_seams.h"

RecordingSeams::RecordingSeams(int seams) : seams_(seams)
{
    if (seams_ & MessagesSeam) {
        messages_.emplace().on_show = [this](const QString& caption, const QString& text, platform::MessageIcon icon) {
            QString event = QStringLiteral("message %1 %2: %3")
                                .arg(caption,
                                     icon == platform::MessageIcon::Error ? QStringLiteral("error")
                                                                          : QStringLiteral("none"),
                                     text);
            if (snapshot_at_message)
                event += QStringLiteral(" [%1]").arg(snapshot_at_message());
            events << event;
        };
    }
    if (seams_ & LauncherSeam)
        platform::set_launcher(this);
    if (seams_ & LinkOpenerSeam)
        platform::set_link_opener(this);
    if (seams_ & ClockSeam) {
        MockClock& clock = clock_.emplace();
        clock.processes_events = false;
        clock.on_sleep = [this](int ms) { events << QStringLiteral("sleep %1").arg(ms); };
    }
}

RecordingSeams::~RecordingSeams()
{
    if (seams_ & LauncherSeam)
        platform::set_launcher(nullptr);
    if (seams_ & LinkOpenerSeam)
        platform::set_link_opener(nullptr);
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
