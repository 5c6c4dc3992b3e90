// Building the settings window's controls. Each control's objectName is its
// name, with "_<index>" for the members of a control array.
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

#include "blackboard/language_keys.h"
#include "contacts/regions.h"
#include "dialer/settings/nastr_form.h"
#include "platform/enter_presses.h"

namespace {

template <typename Widget>
Widget* named(Widget* widget, const QString& name)
{
    widget->setObjectName(name);
    return widget;
}

QString indexed(const char* name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

// Buttons of this window never act on Enter in a text box; Enter presses
// the button that has the focus.
QPushButton* button(const QString& text, const QString& name)
{
    auto* result = named(new QPushButton(text), name);
    result->setAutoDefault(false);
    platform::press_on_enter(result);
    return result;
}

// A hidden control keeps its room, so that showing or hiding it moves
// nothing around it.
template <typename Widget>
Widget* keeps_room(Widget* widget)
{
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
    return widget;
}

// A text box is read by screen readers under the name of what it holds.
QLineEdit* text_box(const QString& name, const QString& accessible_name)
{
    auto* box = named(new QLineEdit, name);
    box->setAccessibleName(accessible_name);
    return box;
}

QLineEdit* short_box(const QString& name, const QString& accessible_name, int width = 60)
{
    auto* box = text_box(name, accessible_name);
    box->setFixedWidth(width);
    return box;
}

}  // namespace

void Nastr_form::build()
{
    setObjectName(QStringLiteral("Nastr_form"));
    setWindowTitle(tr("Настройки программы"));

    SSTab1 = named(new QTabWidget, QStringLiteral("SSTab1"));
    SSTab1->addTab(build_phones_tab(), tr("Подключение телефонов"));
    SSTab1->addTab(build_rules_tab(), tr("Правила для звонков"));
    SSTab1->addTab(build_other_tab(), tr("Другое"));

    OKButton = button(tr("Закрыть"), QStringLiteral("OKButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(SSTab1, 1);
    layout->addLayout(buttons);
    // The found-phones list takes what the window grows by.
    setSizeGripEnabled(true);

    Timer1 = named(new QTimer(this), QStringLiteral("Timer1"));
    Timer1->setInterval(200);
}

QWidget* Nastr_form::build_phones_tab()
{
    auto* frames = new QGridLayout;
    for (int index = 0; index < kSerialSlots; ++index)
        frames->addWidget(build_phone_frame(index), index / 2, index % 2);
    Frame1[4] = named(new QGroupBox(QStringLiteral("Skype")), indexed("Frame1", 4));
    Frame1[5] = named(new QGroupBox(tr("SIP-телефон Express Talk")), indexed("Frame1", 5));
    for (int index = 4; index <= 5; ++index) {
        Frame1[index]->setMinimumHeight(40);
        frames->addWidget(Frame1[index], 2, index - 4);
    }
    frames->setRowStretch(3, 1);
    // Both columns keep their width while the frames of a column are hidden.
    for (int column = 0; column < 2; ++column) {
        frames->setColumnStretch(column, 1);
        frames->setColumnMinimumWidth(column, Frame1[0]->sizeHint().width());
    }

    auto* left = new QVBoxLayout;
    left->addWidget(build_enable_column());
    left->addWidget(build_search_area(), 1);

    auto* tab = new QWidget;
    auto* layout = new QHBoxLayout(tab);
    // The found-phones list shares the room the window grows by.
    layout->addLayout(left, 1);
    layout->addLayout(frames, 1);
    return tab;
}

QGroupBox* Nastr_form::build_phone_frame(int index)
{
    auto* frame = named(new QGroupBox(tr("Телефон %1").arg(index + 1)),
                        indexed("Frame1", index));
    Frame1[index] = frame;
    // The three type choices share the frame as parent: one excludes the others.
    Option1[index] = named(new QRadioButton(tr("GSM телефон")), indexed("Option1", index));
    Option2[index] = named(new QRadioButton(tr("CDMA телефон")), indexed("Option2", index));
    Option3[index] = named(new QRadioButton(tr("Проводной модем")), indexed("Option3", index));
    Text6[index] = short_box(indexed("Text6", index),
                             tr("Порт телефона %1").arg(index + 1));
    Label5[index] = named(new QLabel, indexed("Label5", index));
    Label5[index]->setMinimumWidth(120);
    Command5[index] = keeps_room(button(tr("Назначить >"), indexed("Command5", index)));
    Command5[index]->hide();

    auto* layout = new QGridLayout(frame);
    layout->addWidget(Option1[index], 0, 0);
    layout->addWidget(Option2[index], 1, 0);
    layout->addWidget(Option3[index], 2, 0);
    layout->addWidget(new QLabel(tr("Порт:")), 0, 1);
    layout->addWidget(Text6[index], 0, 2);
    layout->addWidget(new QLabel(tr("Модель:")), 1, 1);
    layout->addWidget(Label5[index], 1, 2);
    layout->addWidget(Command5[index], 2, 1, 1, 2);
    return frame;
}

QWidget* Nastr_form::build_enable_column()
{
    const char* labels[] = {QT_TR_NOOP("Телефон 2:"), QT_TR_NOOP("Телефон 3:"), QT_TR_NOOP("Телефон 4:"),
                            QT_TR_NOOP("Skype:"), QT_TR_NOOP("SIP-телефон:")};
    auto* column = new QWidget;
    auto* layout = new QGridLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    for (int k = 1; k <= 5; ++k) {
        Label8[k - 1] = named(new QLabel(tr(labels[k - 1])), indexed("Label8", k - 1));
        Check3[k] = named(new QCheckBox(k <= 3 ? tr("Включить") : tr("Задейств.")),
                          indexed("Check3", k));
        layout->addWidget(Label8[k - 1], k - 1, 0);
        layout->addWidget(Check3[k], k - 1, 1);
    }
    return column;
}

QWidget* Nastr_form::build_search_area()
{
    Command2 = button(tr("Поиск телефонов"), QStringLiteral("Command2"));
    Label4 = named(new QLabel, QStringLiteral("Label4"));
    // Wide enough for its longest text from the start: a search must not
    // widen the window and move "Закрыть" under the pointer.
    const QFontMetrics metrics = Label4->fontMetrics();
    Label4->setMinimumWidth(std::max({80, metrics.horizontalAdvance(tr("%1 из 256").arg(256)),
                                      metrics.horizontalAdvance(tr("Готово!"))})
                            + 4);
    Command4 = keeps_room(button(tr("Остановить"), QStringLiteral("Command4")));
    Command4->hide();
    // Two columns, so that a screen reader reads the model and the device
    // as cells of their own, and the model cell holds just the model.
    List1 = named(new QTreeWidget, QStringLiteral("List1"));
    List1->setAccessibleName(tr("Найденные телефоны"));
    List1->setRootIsDecorated(false);
    List1->setHeaderLabels({tr("Телефон"), tr("Устройство")});
    zanyatye_porty = named(new QLabel, QStringLiteral("zanyatye_porty"));
    zanyatye_porty->setTextFormat(Qt::PlainText);
    zanyatye_porty->setWordWrap(true);
    zanyatye_porty->setTextInteractionFlags(Qt::TextSelectableByMouse);
    zanyatye_porty->hide();

    Frame3 = named(new QGroupBox(tr("Проверка вызова номера")), QStringLiteral("Frame3"));
    test_phone_label = named(new QLabel, QStringLiteral("Frame3_phone"));
    // Empty at first: a number typed by mistake, not one given, is dialled.
    Text2 = text_box(QStringLiteral("Text2"), tr("Номер для проверки вызова"));
    Command3 = button(tr("Позвонить"), QStringLiteral("Command3"));
    Command6 = button(QStringLiteral("(CDMA)"), QStringLiteral("Command6"));
    auto* test_layout = new QGridLayout(Frame3);
    test_layout->addWidget(test_phone_label, 0, 0, 1, 3);
    test_layout->addWidget(Text2, 1, 0);
    test_layout->addWidget(Command3, 1, 1);
    test_layout->addWidget(Command6, 1, 2);
    Frame3->hide();

    auto* search_row = new QHBoxLayout;
    search_row->addWidget(Command2);
    search_row->addWidget(Label4);
    search_row->addWidget(Command4);
    search_row->addStretch();

    auto* area = new QWidget;
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(search_row);
    layout->addWidget(new QLabel(tr("Найденные телефоны:")));
    layout->addWidget(List1, 1);
    layout->addWidget(zanyatye_porty);
    layout->addWidget(Frame3);
    return area;
}

QWidget* Nastr_form::build_rules_tab()
{
    const char* rows[] = {"MTS, JEANS", "KYIVSTAR, DJUICE", "LIFE", "BEELINE"};
    for (int list = 1; list <= kRuleLists; ++list) {
        Combo1[list] = named(new QComboBox, indexed("Combo1", list));
        Combo1[list]->setMinimumWidth(180);
    }
    Text3 = short_box(QStringLiteral("Text3"), tr("Код города для семизначных номеров"));
    Text4 = short_box(QStringLiteral("Text4"), tr("Код города для шестизначных номеров"));
    Text5 = short_box(QStringLiteral("Text5"), tr("Код города для пятизначных номеров"));
    Check1 = named(new QCheckBox(tr("Если номер без кода, то добавлять код моего города")),
                   QStringLiteral("Check1"));
    Text1 = short_box(QStringLiteral("Text1"), tr("Код моей страны"));
    Check2 = named(new QCheckBox(tr("При звонке заменять \"+\" на:")), QStringLiteral("Check2"));
    // Holds a text of its own until loading puts the stored one in, so the
    // stored text is always written back on the first load.
    Text7 = short_box(QStringLiteral("Text7"), tr("Замена \"+\""));
    Text7->setText(QStringLiteral("Text7"));

    Frame2 = named(new QGroupBox, QStringLiteral("Frame2"));
    auto* grid = new QGridLayout(Frame2);
    int row = 0;
    grid->addWidget(new QLabel(tr("<b>Мобильные номера Украины:</b>")), row++, 0, 1, 3);
    for (int list = 1; list <= 4; ++list) {
        grid->addWidget(new QLabel(QString::fromUtf8(rows[list - 1])), row, 0);
        grid->addWidget(Combo1[list], row++, 1);
    }
    grid->addWidget(new QLabel(tr("Городские номера (с кодом моего города и без кода):")), row, 0);
    grid->addWidget(Combo1[5], row++, 1);
    grid->addWidget(new QLabel(tr("<b>Коды моего города для:</b>")), row++, 0, 1, 3);
    const int first_code_row = row;
    grid->addWidget(new QLabel(tr("Семизначных номеров (3 цифры кода):")), row, 0);
    grid->addWidget(Text3, row++, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(tr("Шестизначных номеров (4 цифры кода):")), row, 0);
    grid->addWidget(Text4, row++, 1, Qt::AlignLeft);
    grid->addWidget(new QLabel(tr("Пятизначных номеров (5 цифр кода):")), row, 0);
    grid->addWidget(Text5, row++, 1, Qt::AlignLeft);
    grid->addWidget(Check1, first_code_row, 2, 3, 1);
    grid->addWidget(new QLabel(tr(
                        "<b>Международные (с кодом страны, отличающимся от кода моей страны):</b>")),
                    row++, 0, 1, 3);
    auto* country = new QHBoxLayout;
    country->addWidget(new QLabel(tr("Код моей страны:")));
    country->addWidget(Text1);
    country->addStretch();
    grid->addLayout(country, row, 0);
    grid->addWidget(Combo1[6], row++, 1);
    auto* plus = new QHBoxLayout;
    plus->addWidget(Check2);
    plus->addWidget(Text7);
    plus->addStretch();
    grid->addLayout(plus, row++, 0, 1, 3);
    grid->addWidget(new QLabel(tr("Все номера, не вошедшие в вышеописанные правила:")), row, 0);
    grid->addWidget(Combo1[7], row++, 1);
    grid->setRowStretch(row, 1);

    single_phone_notice = named(new QLabel(tr(
                                    "В связи с тем, что используется только один телефон, все звонки "
                                    "будут идти через него")),
                                QStringLiteral("single_phone_notice"));
    single_phone_notice->setWordWrap(true);
    single_phone_notice->setAlignment(Qt::AlignCenter);

    // The panel lies over the notice; the notice shows where the panel is hidden.
    auto* tab = new QWidget;
    auto* layout = new QGridLayout(tab);
    layout->addWidget(single_phone_notice, 0, 0);
    layout->addWidget(Frame2, 0, 0);
    return tab;
}

QWidget* Nastr_form::build_other_tab()
{
    Check4 = named(new QCheckBox(tr("При звонке через приложения открывать окно программы")),
                   QStringLiteral("Check4"));
    uvedomleniya = named(new QCheckBox(tr("Показывать уведомления о звонках")),
                         QStringLiteral("uvedomleniya"));
    sms_tekst = named(new QCheckBox(tr("Показывать текст сообщений в уведомлениях")),
                      QStringLiteral("sms_tekst_v_uvedoml"));
    sms_udalyat = named(new QCheckBox(tr("Удалять сообщения из памяти телефона после приёма")),
                        QStringLiteral("sms_udalyat"));
    sip_program = text_box(QStringLiteral("sip_program"), tr("Программа SIP-телефона"));
    sip_program->setMinimumWidth(300);

    auto* sip_row = new QHBoxLayout;
    sip_row->addWidget(new QLabel(tr("Программа SIP-телефона:")));
    sip_row->addWidget(sip_program, 1);

    journal_days = named(new QSpinBox, QStringLiteral("journal_days"));
    journal_days->setRange(0, 36500);
    auto* days_label = new QLabel(tr("Хранить журнал звонков (дней, 0 — всегда):"));
    days_label->setBuddy(journal_days);
    journal_days->setAccessibleName(tr("Хранить журнал звонков, дней"));
    // A change that removes calls asks first: once, when the value is set,
    // not at every digit typed.
    journal_days->setKeyboardTracking(false);
    auto* days_row = new QHBoxLayout;
    days_row->addWidget(days_label);
    days_row->addWidget(journal_days);
    days_row->addStretch();

    // The languages are named in their own words, as language choices are.
    yazyk = named(new QComboBox, QStringLiteral("yazyk"));
    yazyk->addItem(tr("Как в системе"), QString::fromLatin1(blackboard::language::kSystem));
    yazyk->addItem(QStringLiteral("Русский"), QString::fromLatin1(blackboard::language::kRussian));
    yazyk->addItem(QStringLiteral("English"), QString::fromLatin1(blackboard::language::kEnglish));
    auto* language_label = new QLabel(tr("Язык интерфейса:"));
    language_label->setBuddy(yazyk);
    yazyk->setAccessibleName(tr("Язык интерфейса"));
    auto* language_row = new QHBoxLayout;
    language_row->addWidget(language_label);
    language_row->addWidget(yazyk);
    language_row->addWidget(new QLabel(tr("(действует после перезапуска программы)")));
    language_row->addStretch();

    // Every region libphonenumber reads numbers of, named in the windows'
    // language.
    strana = named(new QComboBox, QStringLiteral("strana"));
    for (const contacts::Region& region : contacts::supported_regions(QLocale::languageToCode(QLocale().language())))
        strana->addItem(QStringLiteral("%1 (+%2)").arg(region.name).arg(region.calling_code), region.code);
    auto* country_label = new QLabel(tr("Страна:"));
    country_label->setBuddy(strana);
    strana->setAccessibleName(tr("Страна"));
    strana->setToolTip(tr("Как читаются номера без кода страны при поиске имён контактов"));
    auto* country_row = new QHBoxLayout;
    country_row->addWidget(country_label);
    country_row->addWidget(strana);
    country_row->addStretch();

    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(Check4);
    layout->addWidget(uvedomleniya);
    layout->addWidget(sms_tekst);
    layout->addWidget(sms_udalyat);
    layout->addLayout(sip_row);
    layout->addLayout(days_row);
    layout->addLayout(language_row);
    layout->addLayout(country_row);
    layout->addStretch();
    return tab;
}
