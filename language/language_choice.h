#pragma once
#include <QString>
#include <functional>

// Which language the windows speak. Russian is the language the texts are
// written in; English is their one translation. The desktop's locale
// decides unless the user chose in the settings.
namespace language {

enum class Language { Russian, English };

// The value of an environment variable, "" when it is not set.
using Environment = std::function<QString(const char* name)>;
Environment process_environment();

// The desktop's language as gettext reads it: the first of LANGUAGE (a
// list such as "uk:en", its first entry we have a catalog for), LC_ALL,
// LC_MESSAGES and LANG that is set and not empty. Russian for ru, uk and
// be (their speakers read Russian more often than English); English for
// every other language, for "C" and "POSIX", and when nothing is set.
Language desktop_language(const Environment& environment);

// The setting's value ("ru", "en") wins; anything else follows the desktop.
Language chosen_language(const QString& setting, const Environment& environment);

// "ru" or "en": the suffix of the catalogs and the locale's language.
QString language_code(Language language);

}  // namespace language
