#include <QTranslator>
#include <QtTest>
#include <algorithm>

#include "blackboard/stored_texts.h"
#include "controller/at.h"
#include "serial/port_holders.h"

using blackboard::shown_text;

namespace {

bool has_cyrillic(const QString& text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.script() == QChar::Script_Cyrillic; });
}

// What the controllers write, from their own code: the rows and
// summaries of a call list in every state, and the held-port notes.
QStringList written_texts()
{
    const QString reply = QStringLiteral(
        "+CLCC: 1,0,0,0,0,\"0501111111\",129\r\n+CLCC: 2,1,1,0,0,\"0502222222\",129\r\n"
        "+CLCC: 3,0,2,0,0,\"0503333333\",129\r\n+CLCC: 4,0,3,0,0,\"0504444444\",129\r\n"
        "+CLCC: 5,1,4,0,0,\"0505555555\",129\r\n+CLCC: 6,1,5,0,0,\"0506666666\",129\r\nOK\r\n");
    QStringList texts;
    for (int n = 1; n <= 6; ++n)
        texts << at::call_state_text(reply, n) << at::call_list_state(reply, n);
    texts << at::outgoing_call(reply, 1)
          << at::outgoing_call(QStringLiteral("+CLCC: 1,0,3,0,0,\"050\",129\r\nOK\r\n"), 1);
    const PortHolder modem_manager{5, QStringLiteral("ModemManager"), false};
    const PortHolder minicom{7, QStringLiteral("minicom"), true};
    texts << port_busy_note({modem_manager}, {}) << port_busy_note({modem_manager}, {"12d1", "1001"})
          << port_busy_note({minicom}, {});
    return texts;
}

}  // namespace

class TestStoredTexts : public QObject {
    Q_OBJECT
private slots:
    void russian_session_shows_them_as_stored()
    {
        for (const QString& text : written_texts())
            QCOMPARE(shown_text(text), text);
    }

    void english_session_shows_every_written_text_in_english()
    {
        QTranslator english;
        QVERIFY(english.load(QStringLiteral("vekorra_en"), QStringLiteral(VEKORRA_BUILD_DIR "/translations")));
        QCoreApplication::installTranslator(&english);
        for (const QString& text : written_texts())
            QVERIFY2(!has_cyrillic(shown_text(text)), qPrintable(shown_text(text)));
        // Pieces written one after another, and the parts that are data.
        QCOMPARE(shown_text(QStringLiteral("Набор номера....2я линияВх.вызов")),
                 QStringLiteral("Dialling....2nd lineIncoming"));
        QCOMPARE(shown_text(QStringLiteral("Порт занят программой minicom (PID 7). Закройте её и подключите телефон снова.")),
                 QStringLiteral("The port is held by the program minicom (PID 7). Close it and connect the phone again."));
        QCOMPARE(shown_text(QStringLiteral("Получены части 1, 3 из 4")), QStringLiteral("Parts 1, 3 of 4 received"));
        QCOMPARE(shown_text(QStringLiteral("Nokia 6230i")), QStringLiteral("Nokia 6230i"));
        QCoreApplication::removeTranslator(&english);
    }
};

QTEST_GUILESS_MAIN(TestStoredTexts)
#include "test_stored_texts.moc"
