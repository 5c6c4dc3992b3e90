#include "blackboard/stored_texts.h"

#include <QCoreApplication>
#include <QList>
#include <QRegularExpression>

#include <algorithm>
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
};

struct Piece {
    QString stored;
    std::optional<QRegularExpression> pattern;  // for a piece with "%1"
};

// Longest first, so that "Набор номера...." is not read as "Набор номера"
// and "....".
QList<Piece> pieces()
{
    QList<Piece> result;
    for (const char* text : kStoredTexts) {
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
