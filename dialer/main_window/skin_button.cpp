#include "dialer/main_window/skin_button.h"

#include <QMouseEvent>
#include <cstdlib>

#include "platform/messages.h"

using main_window::SkinFamily;
using main_window::SkinRole;

SkinPictures::SkinPictures(QString folder) : folder_(std::move(folder)) {}

const QPixmap& SkinPictures::picture(SkinFamily family, SkinRole role)
{
    auto& slot = pictures_[static_cast<int>(family) * main_window::kSkinRoleCount + static_cast<int>(role)];
    if (!slot) {
        const QString path = folder_ + QLatin1Char('/') + main_window::skin_file_name(family, role);
        QPixmap loaded;
        if (!loaded.load(path, "JPG")) {
            platform::show_message(QStringLiteral("Не удалось загрузить рисунок: ") + path);
            std::exit(EXIT_FAILURE);
        }
        slot = loaded;
    }
    return *slot;
}

SkinButton::SkinButton(main_window::CallButton button, SkinPictures& pictures, QWidget* parent)
    : QLabel(parent), button_(button), pictures_(pictures)
{
    setObjectName(main_window::button_name(button));
    setFixedSize(main_window::kPictureWidth, main_window::kPictureHeight);
    move(main_window::position_left(main_window::family_of(button)), main_window::kPictureTop);
    // Hover pictures follow the pointer without a button held.
    setMouseTracking(true);
}

void SkinButton::show_picture(SkinRole role)
{
    if (applied_ && role == shown_role_)
        return;
    setPixmap(pictures_.picture(main_window::family_of(button_), role));
    shown_role_ = role;
    applied_ = true;
}

void SkinButton::mousePressEvent(QMouseEvent* event)
{
    // Any pointer button shows the pressed picture; only the primary one
    // can end in a click.
    show_picture(SkinRole::Pressed);
    if (event->button() == Qt::LeftButton)
        primary_pressed_ = true;
    event->accept();
}

void SkinButton::mouseMoveEvent(QMouseEvent* event)
{
    show_picture(SkinRole::Hover);
    emit hovered();
    event->accept();
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event)
{
    show_picture(SkinRole::Normal);
    const bool click = event->button() == Qt::LeftButton && primary_pressed_
                       && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        primary_pressed_ = false;
    event->accept();
    if (click)
        emit clicked();
}

SkinPlaceholder::SkinPlaceholder(main_window::Placeholder placeholder, QWidget* parent)
    : QLabel(parent), placeholder_(placeholder)
{
    setObjectName(main_window::placeholder_name(placeholder));
    setFixedSize(main_window::kPictureWidth, main_window::kPictureHeight);
    move(main_window::position_left(main_window::family_of(placeholder)), main_window::kPictureTop);
}

void SkinPlaceholder::load_picture(SkinPictures& pictures)
{
    setPixmap(pictures.picture(main_window::family_of(placeholder_), SkinRole::Inactive));
}
