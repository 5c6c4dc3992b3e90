#include "window_maps.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <cmath>

#include "dialer/main_window/form_port.h"
#include "dialer/main_window/phone_frame.h"
#include "dialer/settings/nastr_form.h"
#include "settings_fakes.h"
#include "settings_store/settings_store.h"

using main_window::CallButton;
using main_window::SkinFamily;
using main_window::SkinRole;

namespace {

// Lays the copy out like a shown window without putting it on the screen.
void lay_out(QWidget* window)
{
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    QApplication::processEvents();
}

}  // namespace

MainWindowMap::MainWindowMap(const QString& installation_folder)
    : copy_(std::make_unique<FormPort>(installation_folder))
{
    lay_out(copy_.get());
}

MainWindowMap::~MainWindowMap() = default;

QRect MainWindowMap::rect_of(const QWidget* widget) const
{
    return QRect(widget->mapTo(copy_.get(), QPoint(0, 0)), widget->size());
}

QRect MainWindowMap::number_field() const { return rect_of(copy_->number_field()); }
QRect MainWindowMap::call_button() const { return rect_of(copy_->call_button()); }

QRect MainWindowMap::settings_menu() const
{
    QMenuBar* bar = copy_->menuBar();
    for (QAction* action : bar->actions()) {
        if (QString(action->text()).remove(QLatin1Char('&')) == QStringLiteral("Настройки"))
            return bar->actionGeometry(action).translated(bar->mapTo(copy_.get(), QPoint(0, 0)));
    }
    return {};
}

QRect MainWindowMap::display(int slot) const
{
    return rect_of(copy_->frame(slot)->findChild<QPlainTextEdit*>());
}

QRect MainWindowMap::frame(int slot) const { return rect_of(copy_->frame(slot)); }

QRect MainWindowMap::button(int slot, CallButton which) const { return rect_of(copy_->frame(slot)->button(which)); }

QRect MainWindowMap::last_call_number() const { return rect_of(copy_->last_call_number()); }
QRect MainWindowMap::last_call_time() const { return rect_of(copy_->last_call_time()); }
QSize MainWindowMap::size() const { return copy_->size(); }

SettingsWindowMap::SettingsWindowMap(const SettingsWindowState& state)
    : main_window_(std::make_unique<RecordingMainWindow>())
{
    for (auto it = state.slot_keys.begin(); it != state.slot_keys.end(); ++it)
        write_setting(QStringLiteral("Kestrum"), it.key().section(QLatin1Char('/'), 0, 0),
                      it.key().section(QLatin1Char('/'), 1), it.value());
    copy_ = std::make_unique<Nastr_form>(*main_window_);
    auto* list = copy_->findChild<QTreeWidget*>(QStringLiteral("List1"));
    for (const QStringList& cells : state.found)
        new QTreeWidgetItem(list, cells);
    for (const QString& name : state.shown)
        copy_->findChild<QWidget*>(name)->show();
    copy_->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->setCurrentIndex(state.tab);
    lay_out(copy_.get());
    if (state.size.isValid())
        copy_->resize(state.size);
    QApplication::processEvents();
}

SettingsWindowMap::~SettingsWindowMap() = default;

QRect SettingsWindowMap::rect_of(const QWidget* widget) const
{
    return QRect(widget->mapTo(copy_.get(), QPoint(0, 0)), widget->size());
}

QRect SettingsWindowMap::control(const QString& object_name) const
{
    const QWidget* widget = copy_->findChild<QWidget*>(object_name);
    return widget ? rect_of(widget) : QRect();
}

QRect SettingsWindowMap::tab(int index) const
{
    const QTabBar* bar = copy_->findChild<QTabWidget*>(QStringLiteral("SSTab1"))->tabBar();
    return bar->tabRect(index).translated(bar->mapTo(copy_.get(), QPoint(0, 0)));
}

QRect SettingsWindowMap::found_entry(int row) const
{
    auto* list = copy_->findChild<QTreeWidget*>(QStringLiteral("List1"));
    return list->visualItemRect(list->topLevelItem(row)).translated(list->viewport()->mapTo(copy_.get(), QPoint(0, 0)));
}

QImage SettingsWindowMap::picture() const { return copy_->grab().toImage(); }

bool same_text(const QImage& picture, const QRect& area, const QImage& other, const QRect& other_area)
{
    if (picture.isNull() || other.isNull() || area.size() != other_area.size() || area.isEmpty())
        return false;
    int differing = 0;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            const bool dark = qGray(picture.pixel(area.x() + x, area.y() + y)) < 128;
            const bool other_dark = qGray(other.pixel(other_area.x() + x, other_area.y() + y)) < 128;
            differing += dark != other_dark;
        }
    }
    return differing * 200 <= area.width() * area.height();
}

namespace {

// Mean difference of the colour channels between the picture and the
// screen area, 0 for identical pixels.
double difference(const QImage& screen, const QRect& area, const QImage& picture)
{
    if (picture.isNull() || screen.isNull())
        return 1e9;
    double sum = 0;
    int count = 0;
    for (int y = 0; y < area.height() && y < picture.height(); ++y) {
        for (int x = 0; x < area.width() && x < picture.width(); ++x) {
            const QColor a = screen.pixelColor(area.x() + x, area.y() + y);
            const QColor b = picture.pixelColor(x, y);
            sum += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue());
            ++count;
        }
    }
    return count ? sum / count : 1e9;
}

}  // namespace

bool shows_button(const QImage& window_picture, const QRect& position, SkinFamily family,
                  const QString& installation_folder)
{
    const QString folder = main_window::skin_folder(installation_folder) + QLatin1Char('/');
    const double inactive =
        difference(window_picture, position, QImage(folder + main_window::skin_file_name(family, SkinRole::Inactive)));
    double closest_button = 1e9;
    for (SkinRole role : {SkinRole::Normal, SkinRole::Hover, SkinRole::Pressed}) {
        closest_button = std::min(closest_button, difference(window_picture, position,
                                                             QImage(folder + main_window::skin_file_name(family, role))));
    }
    return closest_button < inactive;
}
