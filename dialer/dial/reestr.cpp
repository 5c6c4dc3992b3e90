#include "dialer/dial/reestr.h"

#include "settings_store/settings_store.h"

namespace Reestr {

QString read(const Setting& setting)
{
    return read_setting(QString::fromLatin1(setting.app), QString::fromLatin1(setting.section),
                        QString::fromLatin1(setting.key), QString::fromLatin1(setting.default_value));
}

QString kod3() { return read(kKod3); }
QString kod4() { return read(kKod4); }
QString kod5() { return read(kKod5); }
QString kodS1() { return read(kKodS1); }
QString kodGor_Plus() { return read(kKodGorPlus); }
QString Plus_repl() { return read(kPlusRepl); }
QString Plus_repl_nom() { return read(kPlusReplNom); }
QString wind() { return read(kWind); }
QString sip_program() { return read(kSipProgram); }

QString rule_text(const QString& class_key)
{
    return read_setting(QString::fromLatin1(kRulesApp), QString::fromLatin1(kRulesSection), class_key,
                        QString::fromLatin1(kRuleDefault));
}

QString blackboard(int slot, const char* key)
{
    return read_setting(QString::fromLatin1(kBlackboardApp), QString::number(slot), QString::fromLatin1(key),
                        QStringLiteral("0"));
}

}  // namespace Reestr
