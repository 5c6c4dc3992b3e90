<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>CallButtons</name>
    <message>
        <source>Снять трубку</source>
        <translation>Pick up</translation>
    </message>
    <message>
        <source>Положить трубку</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>Ответить на второй вызов</source>
        <translation>Answer the second call</translation>
    </message>
    <message>
        <source>Отклонить второй вызов</source>
        <translation>Reject the second call</translation>
    </message>
    <message>
        <source>Ответить</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>Отклонить</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>Переключить</source>
        <translation>Swap</translation>
    </message>
    <message>
        <source>Объединить в конференцию</source>
        <translation>Join into a conference</translation>
    </message>
    <message>
        <source>Переключить конференцию</source>
        <translation>Swap the conference</translation>
    </message>
    <message>
        <source>Добавить в конференцию</source>
        <translation>Add to the conference</translation>
    </message>
</context>
<context>
    <name>CallRecord</name>
    <message>
        <source>Отвечен</source>
        <translation>Answered</translation>
    </message>
    <message>
        <source>Пропущен</source>
        <translation>Missed</translation>
    </message>
    <message>
        <source>Отклонён</source>
        <translation>Rejected</translation>
    </message>
    <message>
        <source>Без ответа</source>
        <translation>No answer</translation>
    </message>
    <message>
        <source>Передан</source>
        <translation>Handed over</translation>
    </message>
    <message>
        <source>Прерван</source>
        <translation>Interrupted</translation>
    </message>
    <message>
        <source>Неизвестно</source>
        <translation>Unknown</translation>
    </message>
    <message>
        <source>Идёт</source>
        <translation>In progress</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>Входящий</source>
        <translation>Incoming</translation>
    </message>
    <message>
        <source>Исходящий</source>
        <translation>Outgoing</translation>
    </message>
</context>
<context>
    <name>ContactDialog</name>
    <message>
        <source>Контакт</source>
        <translation>Contact</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Номер</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>Имя:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Номер:</source>
        <translation>Number:</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Введите имя контакта</source>
        <translation>Enter the contact&apos;s name</translation>
    </message>
    <message>
        <source>Не удалось записать контакт: </source>
        <translation>Could not write the contact: </translation>
    </message>
    <message>
        <source>Добавить номер</source>
        <translation>Add a number</translation>
    </message>
    <message>
        <source>без метки</source>
        <translation>no label</translation>
    </message>
    <message>
        <source>Номер %1</source>
        <translation>Number %1</translation>
    </message>
    <message>
        <source>Вид номера %1</source>
        <translation>Kind of number %1</translation>
    </message>
</context>
<context>
    <name>Contacts</name>
    <message>
        <source>мобильный</source>
        <translation>mobile</translation>
    </message>
    <message>
        <source>рабочий</source>
        <translation>work</translation>
    </message>
    <message>
        <source>домашний</source>
        <translation>home</translation>
    </message>
    <message>
        <source>факс</source>
        <translation>fax</translation>
    </message>
    <message>
        <source>пейджер</source>
        <translation>pager</translation>
    </message>
    <message>
        <source>основной</source>
        <translation>main</translation>
    </message>
    <message>
        <source>другой</source>
        <translation>other</translation>
    </message>
    <message>
        <source>Мои контакты</source>
        <translation>My contacts</translation>
    </message>
    <message>
        <source>Импорт: %1</source>
        <translation>Import: %1</translation>
    </message>
    <message>
        <source>Смартфон</source>
        <translation>Smartphone</translation>
    </message>
    <message>
        <source>Телефон %1 (%2)</source>
        <translation>Phone %1 (%2)</translation>
    </message>
    <message>
        <source>память</source>
        <translation>memory</translation>
    </message>
    <message>
        <source>не удалось записать %1</source>
        <translation>could not write %1</translation>
    </message>
    <message>
        <source>строка без двоеточия: «%1»</source>
        <translation>line without a colon: &quot;%1&quot;</translation>
    </message>
    <message>
        <source>неизвестная кодировка %1</source>
        <translation>unknown character set %1</translation>
    </message>
    <message>
        <source>нет ни имени, ни номера</source>
        <translation>neither a name nor a number</translation>
    </message>
    <message>
        <source>нет END:VCARD</source>
        <translation>no END:VCARD</translation>
    </message>
    <message>
        <source>строка %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
</context>
<context>
    <name>ContactsPanel</name>
    <message>
        <source>Поиск по имени или номеру</source>
        <translation>Search by name or number</translation>
    </message>
    <message>
        <source>Поиск контактов</source>
        <translation>Search contacts</translation>
    </message>
    <message>
        <source>Новый контакт…</source>
        <translation>New contact…</translation>
    </message>
    <message>
        <source>Новый контакт</source>
        <translation>New contact</translation>
    </message>
    <message>
        <source>Импорт контактов…</source>
        <translation>Import contacts…</translation>
    </message>
    <message>
        <source>Импорт контактов из файла vCard</source>
        <translation>Import contacts from a vCard file</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Экспорт контактов в файл vCard</source>
        <translation>Export contacts to a vCard file</translation>
    </message>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Позвонить контакту</source>
        <translation>Call the contact</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Написать сообщение контакту</source>
        <translation>Write a message to the contact</translation>
    </message>
    <message>
        <source>Изменить…</source>
        <translation>Edit…</translation>
    </message>
    <message>
        <source>Изменить контакт</source>
        <translation>Edit the contact</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Удалить контакт</source>
        <translation>Delete the contact</translation>
    </message>
    <message>
        <source>Контакты</source>
        <translation>Contacts</translation>
    </message>
    <message>
        <source>Ничего не найдено</source>
        <translation>Nothing found</translation>
    </message>
    <message>
        <source>Удалить контакт «%1»?</source>
        <translation>Delete the contact &quot;%1&quot;?</translation>
    </message>
    <message>
        <source>Не удалось удалить файл контакта: </source>
        <translation>Could not delete the contact&apos;s file: </translation>
    </message>
    <message>
        <source>Импорт контактов</source>
        <translation>Import contacts</translation>
    </message>
    <message>
        <source>vCard (*.vcf *.vcard)</source>
        <translation>vCard (*.vcf *.vcard)</translation>
    </message>
    <message>
        <source>Не удалось прочитать файл %1: %2</source>
        <translation>Could not read the file %1: %2</translation>
    </message>
    <message>
        <source>Импортировано: %1, пропущено: %2</source>
        <translation>Imported: %1, skipped: %2</translation>
    </message>
    <message>
        <source>Экспорт контактов</source>
        <translation>Export contacts</translation>
    </message>
    <message>
        <source>контакты.vcf</source>
        <translation>contacts.vcf</translation>
    </message>
    <message>
        <source>vCard (*.vcf)</source>
        <translation>vCard (*.vcf)</translation>
    </message>
    <message>
        <source>Не удалось записать файл: </source>
        <translation>Could not write the file: </translation>
    </message>
    <message>
        <source>Контакты сохранены в файл: </source>
        <translation>The contacts were saved to the file: </translation>
    </message>
    <message>
        <source>Позвонить: %1</source>
        <translation>Call: %1</translation>
    </message>
    <message>
        <source>Сообщение: %1</source>
        <translation>Message: %1</translation>
    </message>
    <message>
        <source>Прочитать телефоны</source>
        <translation>Read phones</translation>
    </message>
    <message>
        <source>Прочитать заново телефонные книги подключённых телефонов</source>
        <translation>Read the phonebooks of the connected phones again</translation>
    </message>
    <message>
        <source>Нет подключённых телефонов GSM</source>
        <translation>No GSM phone is connected</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Выбор номера</source>
        <translation>Choose a number</translation>
    </message>
</context>
<context>
    <name>Dispatcher</name>
    <message>
        <source>Не введён номер!</source>
        <translation>No number entered!</translation>
    </message>
    <message>
        <source>Телефон не подключен!</source>
        <translation>The phone is not connected!</translation>
    </message>
    <message>
        <source>Звонок на данного оператороа настроен через Скайп, но у Скайпа выключена активность в настройках программы!</source>
        <translation>Calls to this operator are set to go through Skype, but Skype is not enabled in the program settings!</translation>
    </message>
    <message>
        <source>Звонок на данного оператороа настроен через SIP-телефон, но у SIP-телефона выключена активность в настройках программы!</source>
        <translation>Calls to this operator are set to go through the SIP phone, but the SIP phone is not enabled in the program settings!</translation>
    </message>
    <message>
        <source>Телефон, выбранный для этого оператора, не подключен!</source>
        <translation>The phone chosen for this operator is not connected!</translation>
    </message>
    <message>
        <source>Телефон, выбранный для этого оператора, не включен в настройках программы!</source>
        <translation>The phone chosen for this operator is not enabled in the program settings!</translation>
    </message>
    <message>
        <source>Программа Express Talk не установлена!</source>
        <translation>Express Talk is not installed!</translation>
    </message>
    <message>
        <source>Не удалось передать номер телефону!</source>
        <translation>Could not hand the number to the phone!</translation>
    </message>
    <message>
        <source>Невозможно открыть адрес: </source>
        <translation>Cannot open the address: </translation>
    </message>
</context>
<context>
    <name>Dob_kf</name>
    <message>
        <source>Добавление телефона в конференцию (Телефон %1)</source>
        <translation>Adding a phone to the conference (Phone %1)</translation>
    </message>
    <message>
        <source>Добавление абонента в конференцию (Телефон %1)</source>
        <translation>Adding a party to the conference (Phone %1)</translation>
    </message>
    <message>
        <source>Не удалось передать номер телефону!</source>
        <translation>Could not hand the number to the phone!</translation>
    </message>
</context>
<context>
    <name>FormPort</name>
    <message>
        <source>&amp;Связь</source>
        <translation>&amp;Connection</translation>
    </message>
    <message>
        <source>&amp;Подключиться</source>
        <translation>C&amp;onnect</translation>
    </message>
    <message>
        <source>&amp;Разорвать связь</source>
        <translation>&amp;Disconnect</translation>
    </message>
    <message>
        <source>&amp;USSD-запрос…</source>
        <translation>&amp;USSD request…</translation>
    </message>
    <message>
        <source>&amp;Настройки</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>Номер телефона</source>
        <translation>Phone number</translation>
    </message>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Версия программы:</source>
        <translation>Program version:</translation>
    </message>
    <message>
        <source>Проверить обновление</source>
        <translation>Check for updates</translation>
    </message>
    <message>
        <source>Последний звонок:</source>
        <translation>Last call:</translation>
    </message>
    <message>
        <source>Последний звонок: номер</source>
        <translation>Last call: number</translation>
    </message>
    <message>
        <source>Последний звонок: время</source>
        <translation>Last call: time</translation>
    </message>
    <message>
        <source>Журнал звонков</source>
        <translation>Call journal</translation>
    </message>
    <message>
        <source>Не введён номер!</source>
        <translation>No number entered!</translation>
    </message>
    <message>
        <source>Не удалось подключить телефон: </source>
        <translation>Could not connect the phone: </translation>
    </message>
    <message>
        <source>Через:</source>
        <translation>Via:</translation>
    </message>
    <message>
        <source>Через</source>
        <translation>Via</translation>
    </message>
    <message>
        <source>Телефоны отключены: Связь → Подключиться</source>
        <translation>The phones are disconnected: Connection → Connect</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
    <message>
        <source>Написать сообщение на этот номер</source>
        <translation>Write a message to this number</translation>
    </message>
    <message>
        <source>Сообщения (%1)</source>
        <translation>Messages (%1)</translation>
    </message>
    <message>
        <source>Сообщения</source>
        <translation>Messages</translation>
    </message>
    <message>
        <source>Контакты</source>
        <translation>Contacts</translation>
    </message>
</context>
<context>
    <name>JournalPanel</name>
    <message>
        <source>Пропущенные</source>
        <translation>Missed</translation>
    </message>
    <message>
        <source>Только пропущенные звонки</source>
        <translation>Missed calls only</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Экспорт журнала в файл CSV</source>
        <translation>Export the journal to a CSV file</translation>
    </message>
    <message>
        <source>Журнал звонков</source>
        <translation>Call journal</translation>
    </message>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Копировать номер</source>
        <translation>Copy number</translation>
    </message>
    <message>
        <source>Удалить запись</source>
        <translation>Delete entry</translation>
    </message>
    <message>
        <source>Добавить в контакты…</source>
        <translation>Add to contacts…</translation>
    </message>
    <message>
        <source>журнал-звонков-%1.csv</source>
        <translation>call-journal-%1.csv</translation>
    </message>
    <message>
        <source>Экспорт журнала звонков</source>
        <translation>Export the call journal</translation>
    </message>
    <message>
        <source>Не удалось записать файл: </source>
        <translation>Could not write the file: </translation>
    </message>
    <message>
        <source>Отложить повреждённый журнал и начать новый</source>
        <translation>Set the damaged journal aside and start a new one</translation>
    </message>
    <message>
        <source>Журнал звонков не читается: файл повреждён. Он остаётся как есть, новые звонки в него не записываются.</source>
        <translation>The call journal cannot be read: the file is damaged. It is left as it is; new calls are not written to it.</translation>
    </message>
    <message>
        <source>Журнал звонков не читается: %1</source>
        <translation>The call journal cannot be read: %1</translation>
    </message>
    <message>
        <source>Не удалось отложить повреждённый журнал звонков: %1</source>
        <translation>Could not set the damaged call journal aside: %1</translation>
    </message>
    <message>
        <source>Повреждённый журнал звонков сохранён как %1</source>
        <translation>The damaged call journal was kept as %1</translation>
    </message>
    <message>
        <source>Ничего не найдено</source>
        <translation>Nothing found</translation>
    </message>
    <message>
        <source>Журнал звонков сохранён в файл: </source>
        <translation>The call journal was saved to the file: </translation>
    </message>
    <message>
        <source>Написать сообщение</source>
        <translation>Write a message</translation>
    </message>
    <message>
        <source>Поиск по номеру или имени</source>
        <translation>Search by number or name</translation>
    </message>
</context>
<context>
    <name>Keypad</name>
    <message>
        <source>Тон звёздочка</source>
        <translation>Tone star</translation>
    </message>
    <message>
        <source>Тон решётка</source>
        <translation>Tone hash</translation>
    </message>
    <message>
        <source>Тон %1</source>
        <translation>Tone %1</translation>
    </message>
</context>
<context>
    <name>KeypadWindow</name>
    <message>
        <source>Тоновый набор: </source>
        <translation>Tone dialling: </translation>
    </message>
    <message>
        <source>Отправленные тоны</source>
        <translation>Tones sent</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Не удалось передать тон телефону!</source>
        <translation>Could not hand the tone to the phone!</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>MessagesPanel</name>
    <message>
        <source>Поиск</source>
        <translation>Search</translation>
    </message>
    <message>
        <source>Поиск по сообщениям и номерам</source>
        <translation>Search messages and numbers</translation>
    </message>
    <message>
        <source>Новое сообщение</source>
        <translation>New message</translation>
    </message>
    <message>
        <source>Переписки</source>
        <translation>Conversations</translation>
    </message>
    <message>
        <source>Номер</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>Номер получателя</source>
        <translation>Recipient&apos;s number</translation>
    </message>
    <message>
        <source>Отправить снова</source>
        <translation>Send again</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Экспорт переписки в текстовый файл</source>
        <translation>Export the conversation to a text file</translation>
    </message>
    <message>
        <source>Переписка</source>
        <translation>Conversation</translation>
    </message>
    <message>
        <source>Текст сообщения</source>
        <translation>Message text</translation>
    </message>
    <message>
        <source>Сообщение (Ctrl+Enter — отправить)</source>
        <translation>Message (Ctrl+Enter sends)</translation>
    </message>
    <message>
        <source>Счётчик символов</source>
        <translation>Character counter</translation>
    </message>
    <message>
        <source>Отправить через</source>
        <translation>Send through</translation>
    </message>
    <message>
        <source>Авто (по правилам)</source>
        <translation>Auto (by the rules)</translation>
    </message>
    <message>
        <source>Через:</source>
        <translation>Through:</translation>
    </message>
    <message>
        <source>Отправить</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>Не введён номер!</source>
        <translation>No number entered!</translation>
    </message>
    <message>
        <source>Не удалось сохранить сообщение: </source>
        <translation>Could not save the message: </translation>
    </message>
    <message>
        <source>переписка-%1.txt</source>
        <translation>conversation-%1.txt</translation>
    </message>
    <message>
        <source>Экспорт переписки</source>
        <translation>Export the conversation</translation>
    </message>
    <message>
        <source>Текст (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>Не удалось записать файл: </source>
        <translation>Could not write the file: </translation>
    </message>
    <message numerus="yes">
        <source>Удалить переписку с %1? Будет удалено сообщений: %n.</source>
        <translation>
            <numerusform>Delete the conversation with %1? %n message will be deleted.</numerusform>
            <numerusform>Delete the conversation with %1? %n messages will be deleted.</numerusform>
        </translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Копировать текст</source>
        <translation>Copy text</translation>
    </message>
    <message>
        <source>Удалить сообщение</source>
        <translation>Delete message</translation>
    </message>
    <message>
        <source>Удалить переписку…</source>
        <translation>Delete conversation…</translation>
    </message>
    <message>
        <source>Позвонить по этому номеру</source>
        <translation>Call this number</translation>
    </message>
    <message>
        <source>Добавить в контакты…</source>
        <translation>Add to contacts…</translation>
    </message>
</context>
<context>
    <name>MessagesWindow</name>
    <message>
        <source>Вы: %1</source>
        <translation>You: %1</translation>
    </message>
    <message>
        <source>Отправляется</source>
        <translation>Sending</translation>
    </message>
    <message>
        <source>Отправлено</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>Доставлено</source>
        <translation>Delivered</translation>
    </message>
    <message>
        <source>Ошибка: %1</source>
        <translation>Error: %1</translation>
    </message>
    <message>
        <source>Осталось %1, частей: %2 (%3)</source>
        <translation>%1 left, parts: %2 (%3)</translation>
    </message>
    <message>
        <source>Исходящее</source>
        <translation>Outgoing</translation>
    </message>
    <message>
        <source>Входящее</source>
        <translation>Incoming</translation>
    </message>
    <message>
        <source>Входящий звонок</source>
        <translation>Incoming call</translation>
    </message>
    <message>
        <source>Исходящий звонок</source>
        <translation>Outgoing call</translation>
    </message>
    <message>
        <source>Новое сообщение</source>
        <translation>New message</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>Переписка с %1</source>
        <translation>Conversation with %1</translation>
    </message>
    <message>
        <source>Телефон %1 не принимает сообщений</source>
        <translation>Phone %1 takes no messages</translation>
    </message>
    <message>
        <source>доставка не подтверждается</source>
        <translation>delivery is not confirmed</translation>
    </message>
</context>
<context>
    <name>Modem_model</name>
    <message>
        <source>Ошибка модема!</source>
        <translation>Modem error!</translation>
    </message>
</context>
<context>
    <name>NameCompletion</name>
    <message>
        <source>Контакты</source>
        <translation>Contacts</translation>
    </message>
</context>
<context>
    <name>Nastr_form</name>
    <message>
        <source>Как в системе</source>
        <translation>System default</translation>
    </message>
    <message>
        <source>Язык интерфейса:</source>
        <translation>Interface language:</translation>
    </message>
    <message>
        <source>Язык интерфейса</source>
        <translation>Interface language</translation>
    </message>
    <message>
        <source>(действует после перезапуска программы)</source>
        <translation>(takes effect when the program starts again)</translation>
    </message>
    <message>
        <source>Настройки программы</source>
        <translation>Program settings</translation>
    </message>
    <message>
        <source>Подключение телефонов</source>
        <translation>Phone connection</translation>
    </message>
    <message>
        <source>Правила для звонков</source>
        <translation>Call rules</translation>
    </message>
    <message>
        <source>Другое</source>
        <translation>Other</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>SIP-телефон Express Talk</source>
        <translation>Express Talk SIP phone</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>GSM телефон</source>
        <translation>GSM phone</translation>
    </message>
    <message>
        <source>CDMA телефон</source>
        <translation>CDMA phone</translation>
    </message>
    <message>
        <source>Проводной модем</source>
        <translation>Wired modem</translation>
    </message>
    <message>
        <source>Назначить &gt;</source>
        <translation>Assign &gt;</translation>
    </message>
    <message>
        <source>Порт:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Модель:</source>
        <translation>Model:</translation>
    </message>
    <message>
        <source>Телефон 2:</source>
        <translation>Phone 2:</translation>
    </message>
    <message>
        <source>Телефон 3:</source>
        <translation>Phone 3:</translation>
    </message>
    <message>
        <source>Телефон 4:</source>
        <translation>Phone 4:</translation>
    </message>
    <message>
        <source>Skype:</source>
        <translation>Skype:</translation>
    </message>
    <message>
        <source>SIP-телефон:</source>
        <translation>SIP phone:</translation>
    </message>
    <message>
        <source>Включить</source>
        <translation>Enable</translation>
    </message>
    <message>
        <source>Задейств.</source>
        <translation>Use</translation>
    </message>
    <message>
        <source>Поиск телефонов</source>
        <translation>Search for phones</translation>
    </message>
    <message>
        <source>%1 из 256</source>
        <translation>%1 of 256</translation>
    </message>
    <message>
        <source>Готово!</source>
        <translation>Done!</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Телефон</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>Устройство</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Проверка вызова номера</source>
        <translation>Test call</translation>
    </message>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Найденные телефоны:</source>
        <translation>Phones found:</translation>
    </message>
    <message>
        <source>Если номер без кода, то добавлять код моего города</source>
        <translation>Add my city code to a number without a code</translation>
    </message>
    <message>
        <source>При звонке заменять &quot;+&quot; на:</source>
        <translation>When calling, replace &quot;+&quot; with:</translation>
    </message>
    <message>
        <source>&lt;b&gt;Мобильные номера Украины:&lt;/b&gt;</source>
        <translation>&lt;b&gt;Mobile numbers of Ukraine:&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Городские номера (с кодом моего города и без кода):</source>
        <translation>City numbers (with or without my city code):</translation>
    </message>
    <message>
        <source>&lt;b&gt;Коды моего города для:&lt;/b&gt;</source>
        <translation>&lt;b&gt;My city codes for:&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Семизначных номеров (3 цифры кода):</source>
        <translation>Seven-digit numbers (3-digit code):</translation>
    </message>
    <message>
        <source>Шестизначных номеров (4 цифры кода):</source>
        <translation>Six-digit numbers (4-digit code):</translation>
    </message>
    <message>
        <source>Пятизначных номеров (5 цифр кода):</source>
        <translation>Five-digit numbers (5-digit code):</translation>
    </message>
    <message>
        <source>&lt;b&gt;Международные (с кодом страны, отличающимся от кода моей страны):&lt;/b&gt;</source>
        <translation>&lt;b&gt;International (with a country code other than my country&apos;s):&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Код моей страны:</source>
        <translation>My country code:</translation>
    </message>
    <message>
        <source>Все номера, не вошедшие в вышеописанные правила:</source>
        <translation>All numbers not covered by the rules above:</translation>
    </message>
    <message>
        <source>В связи с тем, что используется только один телефон, все звонки будут идти через него</source>
        <translation>As only one phone is in use, all calls will go through it</translation>
    </message>
    <message>
        <source>При звонке через приложения открывать окно программы</source>
        <translation>Open the program window when calling from other applications</translation>
    </message>
    <message>
        <source>Показывать уведомления о звонках</source>
        <translation>Show call notifications</translation>
    </message>
    <message>
        <source>Программа SIP-телефона:</source>
        <translation>SIP phone program:</translation>
    </message>
    <message>
        <source>Хранить журнал звонков (дней, 0 — всегда):</source>
        <translation>Keep the call journal (days, 0 = forever):</translation>
    </message>
    <message>
        <source>Хранить журнал звонков, дней</source>
        <translation>Keep the call journal, days</translation>
    </message>
    <message>
        <source>Не выбран телефон!</source>
        <translation>No phone selected!</translation>
    </message>
    <message>
        <source>Порт %1: </source>
        <translation>Port %1: </translation>
    </message>
    <message>
        <source>Привет!</source>
        <translation>Hello!</translation>
    </message>
    <message>
        <source>SIP-телефон</source>
        <translation>SIP phone</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Порт телефона %1</source>
        <translation>Port of phone %1</translation>
    </message>
    <message>
        <source>Найденные телефоны</source>
        <translation>Phones found</translation>
    </message>
    <message>
        <source>Номер для проверки вызова</source>
        <translation>Number for the test call</translation>
    </message>
    <message>
        <source>Код города для семизначных номеров</source>
        <translation>City code for seven-digit numbers</translation>
    </message>
    <message>
        <source>Код города для шестизначных номеров</source>
        <translation>City code for six-digit numbers</translation>
    </message>
    <message>
        <source>Код города для пятизначных номеров</source>
        <translation>City code for five-digit numbers</translation>
    </message>
    <message>
        <source>Код моей страны</source>
        <translation>My country code</translation>
    </message>
    <message>
        <source>Замена &quot;+&quot;</source>
        <translation>Replacement for &quot;+&quot;</translation>
    </message>
    <message>
        <source>Программа SIP-телефона</source>
        <translation>SIP phone program</translation>
    </message>
    <message>
        <source>Не введён номер!</source>
        <translation>No number entered!</translation>
    </message>
    <message>
        <source>%1 — номер экстренной службы. Проверочный звонок дойдёт до неё.
Всё равно позвонить?</source>
        <translation>%1 is an emergency number. The test call will reach the emergency services.
Call anyway?</translation>
    </message>
    <message>
        <source>Из журнала будут сразу удалены звонки старше %1 дн.: %2.
Удалить их?</source>
        <translation>Calls older than %1 days will be deleted from the journal at once: %2.
Delete them?</translation>
    </message>
    <message>
        <source>Из журнала будут сразу удалены записи старше %1 дн.: звонков %2, сообщений %3.
Удалить их?</source>
        <translation>Entries older than %1 days will be deleted from the journal at once: %2 calls, %3 messages.
Delete them?</translation>
    </message>
    <message>
        <source>Показывать текст сообщений в уведомлениях</source>
        <translation>Show the text of messages in notifications</translation>
    </message>
    <message>
        <source>Удалять сообщения из памяти телефона после приёма</source>
        <translation>Delete messages from the phone&apos;s memory once received</translation>
    </message>
    <message>
        <source>Страна:</source>
        <translation>Country:</translation>
    </message>
    <message>
        <source>Страна</source>
        <translation>Country</translation>
    </message>
    <message>
        <source>Как читаются номера без кода страны при поиске имён контактов</source>
        <translation>How numbers without a country code are read when contacts&apos; names are looked up</translation>
    </message>
</context>
<context>
    <name>PhoneFrame</name>
    <message>
        <source>Телефон3</source>
        <translation>Phone3</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>Тоновый набор</source>
        <translation>Tone dialling</translation>
    </message>
    <message>
        <source>Экран: </source>
        <translation>Display: </translation>
    </message>
</context>
<context>
    <name>PlugNotice</name>
    <message>
        <source>Новый телефон</source>
        <translation>New phone</translation>
    </message>
    <message>
        <source>Подключить как</source>
        <translation>Connect as</translation>
    </message>
    <message>
        <source>Тип телефона</source>
        <translation>Phone type</translation>
    </message>
    <message>
        <source>GSM телефон</source>
        <translation>GSM phone</translation>
    </message>
    <message>
        <source>CDMA телефон</source>
        <translation>CDMA phone</translation>
    </message>
    <message>
        <source>Проводной модем</source>
        <translation>Wired modem</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Не подключать</source>
        <translation>Do not connect</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
</context>
<context>
    <name>SkinButton</name>
    <message>
        <source>Не удалось загрузить рисунок: </source>
        <translation>Could not load the picture: </translation>
    </message>
</context>
<context>
    <name>StatusPass</name>
    <message>
        <source> &lt; НЕТ СВЯЗИ &gt;</source>
        <translation> &lt; NOT CONNECTED &gt;</translation>
    </message>
</context>
<context>
    <name>StoredText</name>
    <message>
        <source>Разг.</source>
        <translation>Talk</translation>
    </message>
    <message>
        <source>Удерж.</source>
        <translation>Held</translation>
    </message>
    <message>
        <source>(Исх. вызов)</source>
        <translation>(Outgoing)</translation>
    </message>
    <message>
        <source>(Вх. вызов)</source>
        <translation>(Incoming)</translation>
    </message>
    <message>
        <source>Подключение...</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>Набор номера....</source>
        <translation>Dialling....</translation>
    </message>
    <message>
        <source>Ожидание ответа....</source>
        <translation>Waiting for answer....</translation>
    </message>
    <message>
        <source>2я линия</source>
        <translation>2nd line</translation>
    </message>
    <message>
        <source>Вх.вызов</source>
        <translation>Incoming</translation>
    </message>
    <message>
        <source>Разговор</source>
        <translation>Talking</translation>
    </message>
    <message>
        <source>Вызов удержан на второй линии</source>
        <translation>Call held on the second line</translation>
    </message>
    <message>
        <source>Набор номера</source>
        <translation>Dialling</translation>
    </message>
    <message>
        <source>Выполняется соединение....</source>
        <translation>Connecting....</translation>
    </message>
    <message>
        <source>Входящий вызов</source>
        <translation>Incoming call</translation>
    </message>
    <message>
        <source>Дозвон по второй линии</source>
        <translation>Call waiting on the second line</translation>
    </message>
    <message>
        <source>Потеряна связь</source>
        <translation>Connection lost</translation>
    </message>
    <message>
        <source>Потеряна связь (&gt;1)</source>
        <translation>Connection lost (&gt;1)</translation>
    </message>
    <message>
        <source>Потеряна связь (нет ОК)</source>
        <translation>Connection lost (no OK)</translation>
    </message>
    <message>
        <source>Ошибка порта</source>
        <translation>Port error</translation>
    </message>
    <message>
        <source>Порт занят программой %1.</source>
        <translation>The port is held by the program %1.</translation>
    </message>
    <message>
        <source>Порт, вероятно, занят программой %1.</source>
        <translation>The port is probably held by the program %1.</translation>
    </message>
    <message>
        <source> Закройте её и подключите телефон снова.</source>
        <translation> Close it and connect the phone again.</translation>
    </message>
    <message>
        <source> Чтобы ModemManager не трогал телефон, запишите правило в файл /etc/udev/rules.d/61-vekorra-modemmanager.rules:
</source>
        <translation> To keep ModemManager away from the phone, write this rule into the file /etc/udev/rules.d/61-vekorra-modemmanager.rules:
</translation>
    </message>
    <message>
        <source>
(коды телефона показывает команда lsusb: ID idVendor:idProduct)</source>
        <translation>
(the command lsusb shows the phone&apos;s codes: ID idVendor:idProduct)</translation>
    </message>
    <message>
        <source>
и выполните: sudo udevadm control --reload &amp;&amp; sudo udevadm trigger, затем подключите телефон заново.</source>
        <translation>
and run: sudo udevadm control --reload &amp;&amp; sudo udevadm trigger, then connect the phone again.</translation>
    </message>
    <message>
        <source>Получены части %1 из %2</source>
        <translation>Parts %1 of %2 received</translation>
    </message>
    <message>
        <source>Отправка прервана</source>
        <translation>Sending interrupted</translation>
    </message>
    <message>
        <source>телефон не ответил</source>
        <translation>the phone did not answer</translation>
    </message>
    <message>
        <source>не доставлено (код %1)</source>
        <translation>not delivered (code %1)</translation>
    </message>
    <message>
        <source>ошибка %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>оператор запретил отправку</source>
        <translation>sending barred by the operator</translation>
    </message>
    <message>
        <source>исходящие сообщения запрещены</source>
        <translation>outgoing messages are barred</translation>
    </message>
    <message>
        <source>сеть отклонила сообщение</source>
        <translation>the network rejected the message</translation>
    </message>
    <message>
        <source>абонент недоступен</source>
        <translation>the recipient is out of service</translation>
    </message>
    <message>
        <source>неизвестный абонент</source>
        <translation>unknown recipient</translation>
    </message>
    <message>
        <source>сеть не работает</source>
        <translation>the network is out of order</translation>
    </message>
    <message>
        <source>временный сбой сети</source>
        <translation>temporary network failure</translation>
    </message>
    <message>
        <source>сеть перегружена</source>
        <translation>the network is congested</translation>
    </message>
    <message>
        <source>услуга не подключена</source>
        <translation>the service is not subscribed</translation>
    </message>
    <message>
        <source>сеть не поддерживает отправку</source>
        <translation>the network does not support sending</translation>
    </message>
    <message>
        <source>неверные данные сообщения</source>
        <translation>invalid message data</translation>
    </message>
    <message>
        <source>сбой телефона</source>
        <translation>phone failure</translation>
    </message>
    <message>
        <source>телефон не разрешил отправку</source>
        <translation>the phone did not allow sending</translation>
    </message>
    <message>
        <source>телефон не поддерживает отправку</source>
        <translation>the phone does not support sending</translation>
    </message>
    <message>
        <source>нет SIM-карты</source>
        <translation>no SIM card</translation>
    </message>
    <message>
        <source>нужен PIN-код SIM-карты</source>
        <translation>the SIM card&apos;s PIN is needed</translation>
    </message>
    <message>
        <source>сбой SIM-карты</source>
        <translation>SIM card failure</translation>
    </message>
    <message>
        <source>SIM-карта занята</source>
        <translation>the SIM card is busy</translation>
    </message>
    <message>
        <source>сбой памяти телефона</source>
        <translation>phone memory failure</translation>
    </message>
    <message>
        <source>нет сообщения в этой ячейке памяти</source>
        <translation>no message at this memory place</translation>
    </message>
    <message>
        <source>память телефона заполнена</source>
        <translation>the phone&apos;s memory is full</translation>
    </message>
    <message>
        <source>неизвестен номер центра сообщений</source>
        <translation>the message centre&apos;s number is unknown</translation>
    </message>
    <message>
        <source>нет сети</source>
        <translation>no network</translation>
    </message>
    <message>
        <source>сеть не ответила вовремя</source>
        <translation>the network did not answer in time</translation>
    </message>
    <message>
        <source>неизвестная ошибка телефона</source>
        <translation>unknown phone error</translation>
    </message>
    <message>
        <source>телефон получателя не принимает сообщения</source>
        <translation>the recipient&apos;s phone does not take messages</translation>
    </message>
    <message>
        <source>получатель отказался от сообщения</source>
        <translation>the recipient refused the message</translation>
    </message>
    <message>
        <source>срок хранения истёк</source>
        <translation>the validity period expired</translation>
    </message>
    <message>
        <source>сообщение удалено отправителем</source>
        <translation>the message was deleted by the sender</translation>
    </message>
    <message>
        <source>сообщение удалено центром сообщений</source>
        <translation>the message was deleted by the message centre</translation>
    </message>
</context>
<context>
    <name>UssdDialog</name>
    <message>
        <source>USSD-запрос</source>
        <translation>USSD request</translation>
    </message>
    <message>
        <source>Телефон</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>USSD-код</source>
        <translation>USSD code</translation>
    </message>
    <message>
        <source>&amp;Отправить</source>
        <translation>&amp;Send</translation>
    </message>
    <message>
        <source>Ответ сети</source>
        <translation>Network answer</translation>
    </message>
    <message>
        <source>Состояние запроса</source>
        <translation>Request state</translation>
    </message>
    <message>
        <source>&amp;Закрыть</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>&amp;Телефон:</source>
        <translation>&amp;Phone:</translation>
    </message>
    <message>
        <source>&amp;Код:</source>
        <translation>C&amp;ode:</translation>
    </message>
    <message>
        <source>Нет подключённых GSM-телефонов</source>
        <translation>No GSM phones connected</translation>
    </message>
    <message>
        <source>Ответ на меню</source>
        <translation>Answer to the menu</translation>
    </message>
</context>
<context>
    <name>UssdExchange</name>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>Код может содержать только цифры и знаки *, # и + (не более %1)</source>
        <translation>The code may hold only digits and the signs *, # and + (at most %1)</translation>
    </message>
    <message>
        <source>Ожидание ответа сети…</source>
        <translation>Waiting for the network&apos;s answer…</translation>
    </message>
    <message>
        <source>Меню закрыто</source>
        <translation>Menu closed</translation>
    </message>
    <message>
        <source>Ответ получен</source>
        <translation>Answer received</translation>
    </message>
    <message>
        <source>Сеть ждёт ответа: введите его и нажмите «Отправить»</source>
        <translation>The network waits for an answer: type it and press &quot;Send&quot;</translation>
    </message>
    <message>
        <source>Сеанс завершён сетью</source>
        <translation>Session ended by the network</translation>
    </message>
    <message>
        <source>Запрос не поддерживается</source>
        <translation>Request not supported</translation>
    </message>
    <message>
        <source>Сеть не дождалась ответа</source>
        <translation>The network timed out waiting for the answer</translation>
    </message>
    <message>
        <source>Нет ответа сети за 20 секунд</source>
        <translation>No answer from the network within 20 seconds</translation>
    </message>
    <message>
        <source>Телефон отклонил запрос</source>
        <translation>The phone refused the request</translation>
    </message>
</context>
<context>
    <name>ViaChoices</name>
    <message>
        <source>Авто (по правилам)</source>
        <translation>Auto (by the rules)</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>SIP-телефон</source>
        <translation>SIP phone</translation>
    </message>
</context>
<context>
    <name>contacts_window::ContactTableModel</name>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Номера</source>
        <translation>Numbers</translation>
    </message>
    <message>
        <source>Откуда</source>
        <translation>Source</translation>
    </message>
</context>
<context>
    <name>journal::JournalTableModel</name>
    <message>
        <source>Номер скрыт</source>
        <translation>Number withheld</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Направление</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>Номер</source>
        <translation>Number</translation>
    </message>
    <message>
        <source>Имя</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Длительность</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Итог</source>
        <translation>Outcome</translation>
    </message>
</context>
<context>
    <name>kestrum::AboutWindow</name>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Данная подпрограмма &quot;Kestrum&quot; предназначена для совместной работы с программой &quot;Vekorra&quot;</source>
        <translation>This program &quot;Kestrum&quot; is meant to work together with the program &quot;Vekorra&quot;</translation>
    </message>
    <message>
        <source>© Vekorra. Все права защищены.</source>
        <translation>© Vekorra. All rights reserved.</translation>
    </message>
</context>
<context>
    <name>kestrum::Controller</name>
    <message>
        <source>Отсутствует гудок</source>
        <translation>No dial tone</translation>
    </message>
</context>
<context>
    <name>kestrum::DialWindow</name>
    <message>
        <source>Введите номер телефона!</source>
        <translation>Enter a phone number!</translation>
    </message>
    <message>
        <source>Набор номера</source>
        <translation>Dialling</translation>
    </message>
    <message>
        <source>Позвонить</source>
        <translation>Call</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Не введён номер!</source>
        <translation>No number entered!</translation>
    </message>
</context>
<context>
    <name>kestrum::FormPort</name>
    <message>
        <source>Телефонный Kestrum</source>
        <translation>Kestrum phone</translation>
    </message>
    <message>
        <source>Подклчюить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Отключить</source>
        <translation>Disconnect</translation>
    </message>
    <message>
        <source>Поиск телефонов</source>
        <translation>Search for phones</translation>
    </message>
    <message>
        <source>Набрать номер</source>
        <translation>Dial a number</translation>
    </message>
    <message>
        <source>Входящий / исходящий</source>
        <translation>Incoming / outgoing</translation>
    </message>
    <message>
        <source>Снять трубку</source>
        <translation>Pick up</translation>
    </message>
    <message>
        <source>Положить трубку</source>
        <translation>Hang up</translation>
    </message>
    <message>
        <source>Принять</source>
        <translation>Accept</translation>
    </message>
    <message>
        <source>Отклонить</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>Конференция / ожидание</source>
        <translation>Conference / hold</translation>
    </message>
    <message>
        <source>Конф - ожидание</source>
        <translation>Conf - hold</translation>
    </message>
    <message>
        <source>Конференция</source>
        <translation>Conference</translation>
    </message>
    <message>
        <source>Объеденить вызовы для конференции</source>
        <translation>Join the calls into a conference</translation>
    </message>
    <message>
        <source>Добавить в конференцию</source>
        <translation>Add to the conference</translation>
    </message>
    <message>
        <source>Отвеченные</source>
        <translation>Answered</translation>
    </message>
    <message>
        <source>Неотвеченные</source>
        <translation>Unanswered</translation>
    </message>
</context>
<context>
    <name>kestrum::SearchMod</name>
    <message>
        <source>Поиск телефонов</source>
        <translation>Search for phones</translation>
    </message>
    <message>
        <source>Найденные порты модемов:</source>
        <translation>Modem ports found:</translation>
    </message>
    <message>
        <source>Телефон</source>
        <translation>Phone</translation>
    </message>
    <message>
        <source>Устройство</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Выбранный порт:</source>
        <translation>Chosen port:</translation>
    </message>
    <message>
        <source>Подключить телефон как:</source>
        <translation>Connect the phone as:</translation>
    </message>
    <message>
        <source>GSM телефон</source>
        <translation>GSM phone</translation>
    </message>
    <message>
        <source>CDMA телефон</source>
        <translation>CDMA phone</translation>
    </message>
    <message>
        <source>Проводной модем</source>
        <translation>Wired modem</translation>
    </message>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Повторить поиск</source>
        <translation>Search again</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Подождите, выполняется поиск....</source>
        <translation>Please wait, searching....</translation>
    </message>
    <message>
        <source>%1 из 256</source>
        <translation>%1 of 256</translation>
    </message>
    <message>
        <source>Готово!</source>
        <translation>Done!</translation>
    </message>
    <message>
        <source>Телефон не подключен!</source>
        <translation>The phone is not connected!</translation>
    </message>
</context>
<context>
    <name>main_window::CallNotifier</name>
    <message>
        <source>Номер скрыт</source>
        <translation>Number withheld</translation>
    </message>
    <message>
        <source>Телефон %1</source>
        <translation>Phone %1</translation>
    </message>
    <message>
        <source>Второй вызов</source>
        <translation>Second call</translation>
    </message>
    <message>
        <source>Входящий звонок</source>
        <translation>Incoming call</translation>
    </message>
    <message>
        <source>Ответить</source>
        <translation>Answer</translation>
    </message>
    <message>
        <source>Отклонить</source>
        <translation>Reject</translation>
    </message>
    <message>
        <source>Пропущенный звонок</source>
        <translation>Missed call</translation>
    </message>
    <message>
        <source>Перезвонить</source>
        <translation>Call back</translation>
    </message>
    <message numerus="yes">
        <source>Пропущено звонков: %n</source>
        <translation>
            <numerusform>Missed call: %n</numerusform>
            <numerusform>Missed calls: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>Последний: %1</source>
        <translation>Last: %1</translation>
    </message>
    <message>
        <source>Сообщение</source>
        <translation>Message</translation>
    </message>
</context>
<context>
    <name>main_window::PlugWatch</name>
    <message>
        <source>Подключён телефон %1 (%2)</source>
        <translation>Phone %1 plugged in (%2)</translation>
    </message>
    <message>
        <source>Подключить его как телефон %1?</source>
        <translation>Connect it as phone %1?</translation>
    </message>
    <message>
        <source>Подключить</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Не подключать</source>
        <translation>Do not connect</translation>
    </message>
    <message>
        <source>Подключите его в окне Vekorra.</source>
        <translation>Connect it in the Vekorra window.</translation>
    </message>
</context>
</TS>
