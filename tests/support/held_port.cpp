#include "held_port.h"

#include "test_env.h"

HeldPort::HeldPort(int port)
{
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.start(QStringLiteral(VEKORRA_PORT_HOLDER), {QString::number(port)});
    held_ = process_.waitForStarted(5000)
         && wait_until([this] { return output().contains(QLatin1String("held")); }, 5000);
    if (!held_)
        qWarning("port_holder on port %d did not start: %s", port, qPrintable(output()));
}

HeldPort::~HeldPort()
{
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) {
        process_.kill();
        process_.waitForFinished(3000);
    }
}

QString HeldPort::output() const
{
    output_ += QString::fromLocal8Bit(process_.readAll());
    return output_;
}

bool HeldPort::release()
{
    process_.write("release\n");
    held_ = !wait_until([this] { return output().contains(QLatin1String("released")); }, 5000);
    return !held_;
}
