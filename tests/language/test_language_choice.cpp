#include <QMap>
#include <QtTest>

#include "language/language_choice.h"

using language::Language;

class TestLanguageChoice : public QObject {
    Q_OBJECT
private slots:
    void choice_data();
    void choice();
};

// Each row: the setting, then the variables set, as "NAME=value" joined by
// spaces, and the language the windows speak.
void TestLanguageChoice::choice_data()
{
    QTest::addColumn<QString>("setting");
    QTest::addColumn<QString>("variables");
    QTest::addColumn<bool>("russian");
    const auto row = [](const char* name, const char* setting, const char* variables, bool russian) {
        QTest::newRow(name) << QString::fromUtf8(setting) << QString::fromUtf8(variables) << russian;
    };
    row("nothing set", "", "", false);
    row("LANG ru", "", "LANG=ru_RU.UTF-8", true);
    row("LANG uk", "", "LANG=uk_UA.UTF-8", true);
    row("LANG be latin", "", "LANG=be_BY@latin", true);
    row("LANG de", "", "LANG=de_DE.UTF-8", false);
    row("LANG C", "", "LANG=C.UTF-8", false);
    row("POSIX", "", "LANG=POSIX", false);
    row("LC_MESSAGES over LANG", "", "LANG=ru_RU.UTF-8 LC_MESSAGES=en_GB.UTF-8", false);
    row("LC_ALL over LC_MESSAGES", "", "LC_MESSAGES=en_US.UTF-8 LC_ALL=ru_RU.UTF-8", true);
    row("LANGUAGE over LC_ALL", "", "LC_ALL=ru_RU.UTF-8 LANGUAGE=en_US", false);
    row("LANGUAGE list, first known", "", "LANG=en_US.UTF-8 LANGUAGE=de:uk:en", true);
    row("LANGUAGE of unknown languages", "", "LANG=ru_RU.UTF-8 LANGUAGE=de:fr", false);
    row("empty LANGUAGE skipped", "", "LANG=ru_RU.UTF-8 LANGUAGE=", true);
    row("setting ru over the desktop", "ru", "LANG=en_US.UTF-8", true);
    row("setting en over the desktop", "en", "LANGUAGE=ru", false);
    row("unknown setting follows the desktop", "fr", "LANG=ru_RU.UTF-8", true);
}

void TestLanguageChoice::choice()
{
    QFETCH(QString, setting);
    QFETCH(QString, variables);
    QFETCH(bool, russian);
    QMap<QString, QString> set;
    for (const QString& variable : variables.split(u' ', Qt::SkipEmptyParts))
        set.insert(variable.section(u'=', 0, 0), variable.section(u'=', 1));
    const language::Environment environment = [&set](const char* name) {
        return set.value(QString::fromLatin1(name));
    };
    const Language chosen = language::chosen_language(setting, environment);
    QCOMPARE(chosen, russian ? Language::Russian : Language::English);
    QCOMPARE(language::language_code(chosen), russian ? QStringLiteral("ru") : QStringLiteral("en"));
}

QTEST_GUILESS_MAIN(TestLanguageChoice)
#include "test_language_choice.moc"
