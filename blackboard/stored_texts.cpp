#include "blackboard/stored_texts.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
#include <iterator>
#include <optional>

namespace blackboard {

namespace {

// Every text a controller writes as data, spelled as it writes it. "%1"
// and "%2" stand for parts that are kept (a program's name, part numbers).
const char* const kStoredTexts[] = {
    // The states of a call row, `status` fields 1 to 6.
    QT_TRANSLATE_NOOP("StoredText", "Разг."),
    QT_TRANSLATE_NOOP("StoredText", "Удерж."),
    QT_TRANSLATE_NOOP("StoredText", "(Исх. вызов)"),
    QT_TRANSLATE_NOOP("StoredText", "(Вх. вызов)"),
    // The pieces of the summary, `status` field 0.
    QT_TRANSLATE_NOOP("StoredText", "Подключение..."),
    QT_TRANSLATE_NOOP("StoredText", "Набор номера...."),
    QT_TRANSLATE_NOOP("StoredText", "Ожидание ответа...."),
    QT_TRANSLATE_NOOP("StoredText", "2я линия"),
    QT_TRANSLATE_NOOP("StoredText", "Вх.вызов"),
    // The call states of the controller's list.
    QT_TRANSLATE_NOOP("StoredText", "Разговор"),
    QT_TRANSLATE_NOOP("StoredText", "Вызов удержан на второй линии"),
    QT_TRANSLATE_NOOP("StoredText", "Набор номера"),
    QT_TRANSLATE_NOOP("StoredText", "Выполняется соединение...."),
    QT_TRANSLATE_NOOP("StoredText", "Входящий вызов"),
    QT_TRANSLATE_NOOP("StoredText", "Дозвон по второй линии"),
    // The state of the link, in the controller's window.
    QT_TRANSLATE_NOOP("StoredText", "Потеряна связь"),
    QT_TRANSLATE_NOOP("StoredText", "Потеряна связь (>1)"),
    QT_TRANSLATE_NOOP("StoredText", "Потеряна связь (нет ОК)"),
    QT_TRANSLATE_NOOP("StoredText", "Ошибка порта"),
    // The note on a port another program holds, `port_zanyat`.
    QT_TRANSLATE_NOOP("StoredText", "Порт занят программой %1."),
    QT_TRANSLATE_NOOP("StoredText", "Порт, вероятно, занят программой %1."),
    QT_TRANSLATE_NOOP("StoredText", " Закройте её и подключите телефон снова."),
    QT_TRANSLATE_NOOP("StoredText", " Чтобы ModemManager не трогал телефон, запишите правило в файл "
                                    "/etc/udev/rules.d/61-vekorra-modemmanager.rules:\n"),
    QT_TRANSLATE_NOOP("StoredText", "\n(коды телефона показывает команда lsusb: ID idVendor:idProduct)"),
    QT_TRANSLATE_NOOP("StoredText", "\nи выполните: sudo udevadm control --reload && sudo udevadm trigger, "
                                    "затем подключите телефон заново."),
    // Why a text message failed, kept with the message.
    QT_TRANSLATE_NOOP("StoredText", "Получены части %1 из %2"),
    QT_TRANSLATE_NOOP("StoredText", "Отправка прервана"),
    QT_TRANSLATE_NOOP("StoredText", "телефон не ответил"),
    QT_TRANSLATE_NOOP("StoredText", "не доставлено (код %1)"),
    QT_TRANSLATE_NOOP("StoredText", "ошибка %1"),
};

// What the phone's "+CMS ERROR: <n>" means (3GPP TS 27.005 and the
// network's causes of TS 24.011), in words the user can act on.
const struct {
    int code;
    const char* text;
} kSendErrors[] = {
    {8, QT_TRANSLATE_NOOP("StoredText", "оператор запретил отправку")},
    {10, QT_TRANSLATE_NOOP("StoredText", "исходящие сообщения запрещены")},
    {21, QT_TRANSLATE_NOOP("StoredText", "сеть отклонила сообщение")},
    {27, QT_TRANSLATE_NOOP("StoredText", "абонент недоступен")},
    {28, QT_TRANSLATE_NOOP("StoredText", "неизвестный абонент")},
    {29, QT_TRANSLATE_NOOP("StoredText", "сеть отклонила сообщение")},
    {30, QT_TRANSLATE_NOOP("StoredText", "неизвестный абонент")},
    {38, QT_TRANSLATE_NOOP("StoredText", "сеть не работает")},
    {41, QT_TRANSLATE_NOOP("StoredText", "временный сбой сети")},
    {42, QT_TRANSLATE_NOOP("StoredText", "сеть перегружена")},
    {47, QT_TRANSLATE_NOOP("StoredText", "сеть перегружена")},
    {50, QT_TRANSLATE_NOOP("StoredText", "услуга не подключена")},
    {69, QT_TRANSLATE_NOOP("StoredText", "сеть не поддерживает отправку")},
    {96, QT_TRANSLATE_NOOP("StoredText", "неверные данные сообщения")},
    {300, QT_TRANSLATE_NOOP("StoredText", "сбой телефона")},
    {302, QT_TRANSLATE_NOOP("StoredText", "телефон не разрешил отправку")},
    {303, QT_TRANSLATE_NOOP("StoredText", "телефон не поддерживает отправку")},
    {304, QT_TRANSLATE_NOOP("StoredText", "неверные данные сообщения")},
    {305, QT_TRANSLATE_NOOP("StoredText", "неверные данные сообщения")},
    {310, QT_TRANSLATE_NOOP("StoredText", "нет SIM-карты")},
    {311, QT_TRANSLATE_NOOP("StoredText", "нужен PIN-код SIM-карты")},
    {313, QT_TRANSLATE_NOOP("StoredText", "сбой SIM-карты")},
    {314, QT_TRANSLATE_NOOP("StoredText", "SIM-карта занята")},
    {320, QT_TRANSLATE_NOOP("StoredText", "сбой памяти телефона")},
    {321, QT_TRANSLATE_NOOP("StoredText", "нет сообщения в этой ячейке памяти")},
    {322, QT_TRANSLATE_NOOP("StoredText", "память телефона заполнена")},
    {330, QT_TRANSLATE_NOOP("StoredText", "неизвестен номер центра сообщений")},
    {331, QT_TRANSLATE_NOOP("StoredText", "нет сети")},
    {332, QT_TRANSLATE_NOOP("StoredText", "сеть не ответила вовремя")},
    {500, QT_TRANSLATE_NOOP("StoredText", "неизвестная ошибка телефона")},
};

// What a status report's failure (TP-ST, TS 23.040) means.
const struct {
    int status;
    const char* text;
} kReportFailures[] = {
    {0x41, QT_TRANSLATE_NOOP("StoredText", "телефон получателя не принимает сообщения")},
    {0x42, QT_TRANSLATE_NOOP("StoredText", "получатель отказался от сообщения")},
    {0x46, QT_TRANSLATE_NOOP("StoredText", "срок хранения истёк")},
    {0x47, QT_TRANSLATE_NOOP("StoredText", "сообщение удалено отправителем")},
    {0x48, QT_TRANSLATE_NOOP("StoredText", "сообщение удалено центром сообщений")},
};

struct Piece {
    QString stored;
    std::optional<QRegularExpression> pattern;  // for a piece with "%1"
};

// Longest first, so that "Набор номера...." is not read as "Набор номера"
// and "....".
QList<Piece> pieces()
{
    QList<const char*> texts(std::begin(kStoredTexts), std::end(kStoredTexts));
    for (const auto& error : kSendErrors)
        texts << error.text;
    for (const auto& failure : kReportFailures)
        texts << failure.text;
    QList<Piece> result;
    for (const char* text : texts) {
        const QString stored = QString::fromUtf8(text);
        Piece piece{stored, std::nullopt};
        if (stored.contains(QLatin1String("%1"))) {
            // The kept parts end where the sentence does.
            QString pattern = QRegularExpression::escape(stored);
            for (const QString& kept : {QStringLiteral("%1"), QStringLiteral("%2")})
                pattern.replace(QRegularExpression::escape(kept), QStringLiteral("(.+?)"));
            piece.pattern = QRegularExpression(pattern + QStringLiteral("(?=\\s|$)"));
        }
        result << piece;
    }
    std::stable_sort(result.begin(), result.end(),
                     [](const Piece& a, const Piece& b) { return a.stored.size() > b.stored.size(); });
    return result;
}

QString translated(const QString& stored)
{
    return QCoreApplication::translate(kStoredTextContext, stored.toUtf8().constData());
}

bool has_cyrillic(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

}  // namespace

QString send_error_reason(int cms_error)
{
    for (const auto& error : kSendErrors)
        if (error.code == cms_error)
            return QString::fromUtf8(error.text);
    return QStringLiteral("ошибка %1").arg(cms_error);
}

QString report_failure_reason(int status)
{
    for (const auto& failure : kReportFailures)
        if (failure.status == status)
            return QString::fromUtf8(failure.text);
    return QStringLiteral("не доставлено (код %1)").arg(status);
}

QString no_answer_reason() { return QStringLiteral("телефон не ответил"); }

QString shown_text(const QString& stored)
{
    if (!has_cyrillic(stored))
        return stored;
    static const QList<Piece> known = pieces();
    QString shown = stored;
    // Translations hold no Cyrillic, so a piece once replaced is never
    // matched again by a shorter one.
    for (const Piece& piece : known) {
        if (!piece.pattern) {
            shown.replace(piece.stored, translated(piece.stored));
            continue;
        }
        QString rebuilt;
        qsizetype from = 0;
        for (const QRegularExpressionMatch& match : piece.pattern->globalMatch(shown)) {
            rebuilt += QStringView(shown).mid(from, match.capturedStart() - from);
            QString shown_piece = translated(piece.stored);
            for (int part = 1; part <= match.lastCapturedIndex(); ++part)
                shown_piece = shown_piece.arg(match.captured(part));
            rebuilt += shown_piece;
            from = match.capturedEnd();
        }
        rebuilt += QStringView(shown).mid(from);
        shown = rebuilt;
    }
    return shown;
}

}  // namespace blackboard
