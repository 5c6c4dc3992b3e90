#pragma once
#include <QString>

#include "language/language_choice.h"

// Puts the chosen language into effect for the running program: its own
// catalog, Qt's catalog (the buttons and dialogs Qt draws itself), and the
// locale that dates, times and numbers are written in. Call once, after
// the application object exists and before any window is built.
namespace language {

// The folder of the program's catalogs in the run layout: "translations"
// beside the dialer, one level above a controller's slot folder.
QString catalog_folder(const QString& installation_folder);

// Loads "vekorra_<code>.qm" from catalog_folder and "qtbase_<code>.qm" from
// Qt's translations; a catalog that is missing leaves its texts as written
// (an English one with a warning). Returns whether the program's own catalog loaded.
bool use_language(Language language, const QString& catalog_folder);

// The language the store's "yazyk" and the process environment choose.
Language start_language();

}  // namespace language
