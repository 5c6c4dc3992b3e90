#pragma once
#include <QList>
#include <QString>
#include <functional>
#include <utility>

#include "blackboard/keys.h"
#include "blackboard/slot.h"

// The controller's side of the phone blackboard: application "Kestrum",
// section = the slot identity, taken afresh at every access.
namespace kestrum {

// The folder that holds the running executable (symbolic links resolved).
QString executable_folder();

// The slot identity: the name of the executable's folder ("1" to "4", or
// "Проект" for a controller run by hand). Never cached.
QString slot_identity();

// Replaces where the slot identity comes from (tests run from folders of
// their own). An empty function restores the executable's folder.
void set_slot_identity_source(std::function<QString()> source);

// The slot identity that runs in development mode.
QString development_slot();

QString read_board(const QString& key, const QString& default_value);
void write_board(const QString& key, const QString& value);
// Several keys of the slot in one commit (see write_settings).
void write_board(const QList<std::pair<QString, QString>>& values);
QString take_board(const QString& key, const QString& default_value, bool reset);

// The slot identity's section, for the typed accessors.
blackboard::Slot board();

}  // namespace kestrum
