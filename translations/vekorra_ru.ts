<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="ru">
<context>
    <name>MessagesPanel</name>
    <message numerus="yes">
        <source>Удалить переписку с %1? Будет удалено сообщений: %n.</source>
        <translation>
            <numerusform>Удалить переписку с %1? Будет удалено %n сообщение.</numerusform>
            <numerusform>Удалить переписку с %1? Будут удалены %n сообщения.</numerusform>
            <numerusform>Удалить переписку с %1? Будет удалено %n сообщений.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>main_window::CallNotifier</name>
    <message numerus="yes">
        <source>Пропущено звонков: %n</source>
        <translation>
            <numerusform>Пропущено звонков: %n</numerusform>
            <numerusform>Пропущено звонков: %n</numerusform>
            <numerusform>Пропущено звонков: %n</numerusform>
        </translation>
    </message>
</context>
</TS>
