#pragma once
#include <QString>

// The language of the windows, chosen in the dialer's "Другое" tab and
// stored beside its other settings (application "Vekorra", section
// "drugoe"). Both programs read it once, when they start.
namespace blackboard::language {

// yazyk: "" follows the desktop's locale, "ru" Russian, "en" English;
// any other value counts as "".
inline constexpr const char* kApp = "Vekorra";
inline constexpr const char* kSection = "drugoe";
inline constexpr const char* kKey = "yazyk";
inline constexpr const char* kSystem = "";
inline constexpr const char* kRussian = "ru";
inline constexpr const char* kEnglish = "en";

QString interface_language();
void set_interface_language(const QString& value);

}  // namespace blackboard::language
