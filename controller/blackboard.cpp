#include "controller/blackboard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "settings_store/settings_store.h"

namespace kestrum {

namespace {
std::function<QString()> identity_source;

QString board_app() { return blackboard::app::Kestrum; }
}  // namespace

QString executable_folder()
{
    const QString path = QCoreApplication::applicationFilePath();
    QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return QFileInfo(canonical.isEmpty() ? path : canonical).absolutePath();
}

QString slot_identity()
{
    if (identity_source)
        return identity_source();
    // Asked at every read and write of the board: the folder is resolved
    // once (links followed) rather than on each.
    static const QString folder = QDir(executable_folder()).dirName();
    return folder;
}

void set_slot_identity_source(std::function<QString()> source)
{
    identity_source = std::move(source);
}

QString development_slot() { return blackboard::section::development(); }

QString read_board(const QString& key, const QString& default_value)
{
    return read_setting(board_app(), slot_identity(), key, default_value);
}

void write_board(const QString& key, const QString& value)
{
    write_setting(board_app(), slot_identity(), key, value);
}

void write_board(const QList<std::pair<QString, QString>>& values)
{
    write_settings(board_app(), slot_identity(), values);
}

QString take_board(const QString& key, const QString& default_value, bool reset)
{
    return take_setting(board_app(), slot_identity(), key, default_value, reset);
}

blackboard::Slot board() { return blackboard::Slot(slot_identity()); }

}  // namespace kestrum
