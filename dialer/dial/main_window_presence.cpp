#include "dialer/dial/main_window_presence.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include "platform/instance_lock.h"
#include "settings_store/settings_store.h"

QString main_window_lock_name()
{
    // Each settings store (a user's, a demo profile, a test's) has its own
    // main window.
    const QString store = QFileInfo(settings_store::store_path()).absoluteFilePath();
    const QByteArray digest = QCryptographicHash::hash(store.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("vekorra-main-") + QString::fromLatin1(digest);
}

bool main_window_runs() { return platform::instance_running(main_window_lock_name()); }
