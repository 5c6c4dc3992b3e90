#include "language/language_choice.h"

#include <QStringList>

namespace language {

namespace {

// "ru_RU.UTF-8", "be_BY@latin", "uk" -> "ru", "be", "uk".
QString language_part(const QString& locale_name)
{
    QString name = locale_name.trimmed();
    for (QChar end : {u'_', u'.', u'@', u'-'})
        name = name.section(end, 0, 0);
    return name.toLower();
}

bool has_catalog(const QString& part)
{
    static const QStringList known = {QStringLiteral("ru"), QStringLiteral("uk"), QStringLiteral("be"),
                                      QStringLiteral("en")};
    return known.contains(part);
}

Language language_of(const QString& part)
{
    static const QStringList read_russian = {QStringLiteral("ru"), QStringLiteral("uk"), QStringLiteral("be")};
    return read_russian.contains(part) ? Language::Russian : Language::English;
}

}  // namespace

Environment process_environment()
{
    return [](const char* name) { return qEnvironmentVariable(name); };
}

Language desktop_language(const Environment& environment)
{
    const QStringList preferred = environment("LANGUAGE").split(u':', Qt::SkipEmptyParts);
    for (const QString& entry : preferred)
        if (has_catalog(language_part(entry)))
            return language_of(language_part(entry));
    if (!preferred.isEmpty())
        return Language::English;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QString value = environment(name);
        if (!value.trimmed().isEmpty())
            return language_of(language_part(value));
    }
    return Language::English;
}

Language chosen_language(const QString& setting, const Environment& environment)
{
    if (setting == u"ru")
        return Language::Russian;
    if (setting == u"en")
        return Language::English;
    return desktop_language(environment);
}

QString language_code(Language language)
{
    return language == Language::Russian ? QStringLiteral("ru") : QStringLiteral("en");
}

}  // namespace language
