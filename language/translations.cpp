#include "language/translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

#include "blackboard/language_keys.h"

Q_LOGGING_CATEGORY(language_log, "vekorra.language", QtWarningMsg)


namespace language {

namespace {

bool install_catalog(const QString& name, const QString& folder)
{
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(name, folder)) {
        qCInfo(language_log) << "no catalog" << name << "in" << folder;
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

// The desktop's own locale where it speaks the chosen language (en_GB
// keeps its day-month order), else the language's usual one.
QLocale locale_of(Language language)
{
    const QLocale::Language wanted = language == Language::Russian ? QLocale::Russian : QLocale::English;
    const QLocale system = QLocale::system();
    if (system.language() == wanted)
        return system;
    return language == Language::Russian ? QLocale(QLocale::Russian, QLocale::Russia)
                                         : QLocale(QLocale::English, QLocale::UnitedStates);
}

}  // namespace

QString catalog_folder(const QString& installation_folder)
{
    return QDir(installation_folder).filePath(QStringLiteral("translations"));
}

bool use_language(Language language, const QString& catalog_folder)
{
    const QString code = language_code(language);
    QLocale::setDefault(locale_of(language));
    install_catalog(QStringLiteral("qtbase_") + code, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    const bool loaded = install_catalog(QStringLiteral("vekorra_") + code, catalog_folder);
    // Without its Russian catalog a window only loses its plural forms;
    // without the English one it speaks Russian to someone who may not.
    if (!loaded && language == Language::English)
        qCWarning(language_log) << "the English catalog is missing in" << catalog_folder
                                << "- the windows stay Russian";
    return loaded;
}

Language start_language()
{
    return chosen_language(blackboard::language::interface_language(), process_environment());
}

}  // namespace language
