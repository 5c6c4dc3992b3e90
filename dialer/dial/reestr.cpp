#include "dialer/dial/reestr.h"

#include "settings_store/settings_store.h"

namespace Reestr {

QString read(const Setting& setting)
{
    return read_setting(setting.app, setting.section, setting.key, setting.default_value);
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

int journal_days()
{
    bool ok = false;
    const int days = read(kJournalDays).trimmed().toInt(&ok);
    return ok && days > 0 ? days : 0;
}

QString rule_text(const QString& class_key)
{
    return read_setting(app::Vekorra, section::pravila, class_key, kRuleDefault);
}

}  // namespace Reestr
