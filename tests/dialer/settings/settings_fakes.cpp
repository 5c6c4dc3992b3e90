#include "settings_fakes.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTest>

#include "settings_store/settings_store.h"

void RecordingMainWindow::start_controller(int slot)
{
    write_setting(QStringLiteral("Kestrum"), QString::number(slot), QStringLiteral("on_przv_exe"),
                  QStringLiteral("1"));
    calls << QStringLiteral("start %1").arg(slot);
}

void RecordingMainWindow::set_phone_panel_visible(int slot, bool visible)
{
    calls << QStringLiteral("panel %1 %2").arg(slot).arg(visible ? QStringLiteral("shown") : QStringLiteral("hidden"));
}

void RecordingMainWindow::set_poisk_aktiv(int value)
{
    poisk_aktiv_ = value;
    calls << QStringLiteral("poisk_aktiv %1").arg(value);
}

QList<int> RecordingMainWindow::started() const
{
    QList<int> started_slots;
    for (const QString& call : calls) {
        if (call.startsWith(QLatin1String("start ")))
            started_slots << call.mid(6).toInt();
    }
    return started_slots;
}

std::optional<bool> RecordingMainWindow::panel_visible(int slot) const
{
    const QString prefix = QStringLiteral("panel %1 ").arg(slot);
    for (auto it = calls.crbegin(); it != calls.crend(); ++it) {
        if (it->startsWith(prefix))
            return it->endsWith(QLatin1String("shown"));
    }
    return std::nullopt;
}

int shortened_search_wait(int ms)
{
    return ms >= 500 && ms < 1000 ? 150 : ms / 100;
}

void click_search(QWidget& form)
{
    QTest::mouseClick(form.findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QCoreApplication::processEvents();
}
