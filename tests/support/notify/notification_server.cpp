#include "notification_server.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDateTime>
#include <QTimer>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
double epoch_seconds() { return QDateTime::currentMSecsSinceEpoch() / 1000.0; }

// The D-Bus type a hint arrived with: "y" for a byte, "i" for an int, ...
QString signature_of(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::UChar: return QStringLiteral("y");
    case QMetaType::Int: return QStringLiteral("i");
    case QMetaType::UInt: return QStringLiteral("u");
    case QMetaType::QString: return QStringLiteral("s");
    case QMetaType::Bool: return QStringLiteral("b");
    default: return QString::fromLatin1(value.metaType().name());
    }
}
}  // namespace

NotificationServer::NotificationServer(const QString& log_path, bool with_actions, QObject* parent)
    : QObject(parent), log_(log_path), with_actions_(with_actions)
{
    log_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void NotificationServer::record(QVariantMap entry)
{
    // Microseconds are not to be had from Qt's clock; milliseconds suffice
    // for latencies of tens of milliseconds and more.
    entry.insert(QStringLiteral("t"), epoch_seconds());
    log_.write(QJsonDocument(QJsonObject::fromVariantMap(entry)).toJson(QJsonDocument::Compact) + '\n');
    log_.flush();
}

bool NotificationServer::held_back(const QVariant& answer)
{
    if (reply_delay_ms == 0 || !calledFromDBus())
        return false;
    setDelayedReply(true);
    if (reply_delay_ms > 0) {
        const QDBusMessage reply = message().createReply(answer);
        QDBusConnection bus = connection();
        QTimer::singleShot(reply_delay_ms, this, [bus, reply]() mutable { bus.send(reply); });
    }
    return true;
}

QStringList NotificationServer::GetCapabilities()
{
    record({{QStringLiteral("call"), QStringLiteral("GetCapabilities")}});
    QStringList capabilities{QStringLiteral("body")};
    if (with_actions_)
        capabilities << QStringLiteral("actions");
    held_back(capabilities);
    return capabilities;
}

QString NotificationServer::GetServerInformation(QString& vendor, QString& version, QString& spec_version)
{
    vendor = QStringLiteral("vekorra tests");
    version = QStringLiteral("1");
    spec_version = QStringLiteral("1.2");
    return QStringLiteral("test-notification-server");
}

uint NotificationServer::Notify(const QString& app_name, uint replaces_id, const QString& app_icon,
                                const QString& summary, const QString& body, const QStringList& actions,
                                const QVariantMap& hints, int expire_timeout)
{
    const uint id = shown_.contains(replaces_id) ? replaces_id : ++last_id_;
    shown_.insert(id);
    const QVariant urgency = hints.value(QStringLiteral("urgency"));
    record({{QStringLiteral("call"), QStringLiteral("Notify")},
            {QStringLiteral("id"), id},
            {QStringLiteral("replaces_id"), replaces_id},
            {QStringLiteral("app_name"), app_name},
            {QStringLiteral("app_icon"), app_icon},
            {QStringLiteral("summary"), summary},
            {QStringLiteral("body"), body},
            {QStringLiteral("actions"), actions},
            {QStringLiteral("urgency"), urgency.isValid() ? QVariant(urgency.toInt()) : QVariant()},
            {QStringLiteral("urgency_type"), signature_of(urgency)},
            {QStringLiteral("category"), hints.value(QStringLiteral("category"))},
            {QStringLiteral("desktop_entry"), hints.value(QStringLiteral("desktop-entry"))},
            {QStringLiteral("expire_timeout"), expire_timeout}});
    held_back(id);
    return id;
}

void NotificationServer::CloseNotification(uint id)
{
    record({{QStringLiteral("call"), QStringLiteral("CloseNotification")}, {QStringLiteral("id"), id}});
    if (shown_.remove(id))
        emit NotificationClosed(id, 3);
}

void NotificationServer::invoke(uint id, const QString& action_key)
{
    record({{QStringLiteral("call"), QStringLiteral("Invoke")}, {QStringLiteral("id"), id},
            {QStringLiteral("action"), action_key}});
    emit ActionInvoked(id, action_key);
}

void NotificationServer::dismiss(uint id)
{
    record({{QStringLiteral("call"), QStringLiteral("Dismiss")}, {QStringLiteral("id"), id}});
    if (shown_.remove(id))
        emit NotificationClosed(id, 2);
}
