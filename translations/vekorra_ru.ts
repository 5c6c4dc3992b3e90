<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="ru">
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
