#include "dialer/main_window/skin_button.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
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
            platform::show_message(SkinButton::tr("Не удалось загрузить рисунок: ") + path);
            std::exit(EXIT_FAILURE);
        }
        slot = loaded;
    }
    return *slot;
}

void SkinPictures::load_all()
{
    for (int family = 0; family < main_window::kSkinFamilyCount; ++family) {
        for (int role = 0; role < main_window::kSkinRoleCount; ++role)
            picture(static_cast<SkinFamily>(family), static_cast<SkinRole>(role));
    }
}

SkinButton::SkinButton(main_window::CallButton button, SkinPictures& pictures, QWidget* parent)
    : SkinButton(main_window::family_of(button), main_window::button_name(button), main_window::button_caption(button),
                 pictures, parent)
{
    button_ = button;
}

SkinButton::SkinButton(SkinFamily family, const QString& name, const QString& caption, SkinPictures& pictures,
                       QWidget* parent)
    : QAbstractButton(parent), button_(main_window::CallButton::sn_tr_k), family_(family), pictures_(pictures)
{
    setObjectName(name);
    setAccessibleName(caption);
    // The keyboard reaches it with Tab; a click leaves the focus where it was.
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(main_window::kPictureWidth, main_window::kPictureHeight);
    move(main_window::position_left(family), main_window::kPictureTop);
    // Hover pictures follow the pointer without a button held.
    setMouseTracking(true);
}

void SkinButton::show_picture(SkinRole role)
{
    if (applied_ && role == shown_role_)
        return;
    shown_ = pictures_.picture(family_, role);
    shown_role_ = role;
    applied_ = true;
    update();
}

QSize SkinButton::sizeHint() const
{
    return {main_window::kPictureWidth, main_window::kPictureHeight};
}

void SkinButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, shown_);
    if (!hasFocus())
        return;
    // Black dots on a white line show on every picture of the skin.
    const QRect mark = rect().adjusted(1, 1, -2, -2);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(mark);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(mark);
}

void SkinButton::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !event->isAutoRepeat()) {
        event->accept();
        click();
        return;
    }
    if (key == Qt::Key_Space && !event->isAutoRepeat())
        show_picture(SkinRole::Pressed);
    QAbstractButton::keyPressEvent(event);  // Space presses, on release it clicks
}

void SkinButton::keyReleaseEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        show_picture(SkinRole::Normal);
    QAbstractButton::keyReleaseEvent(event);
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
    const bool clicked_here = event->button() == Qt::LeftButton && primary_pressed_
                              && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        primary_pressed_ = false;
    event->accept();
    if (clicked_here)
        click();
}

SkinPlaceholder::SkinPlaceholder(main_window::Placeholder placeholder, QWidget* parent)
    : QAbstractButton(parent), placeholder_(placeholder)
{
    setObjectName(main_window::placeholder_name(placeholder));
    setText(main_window::placeholder_caption(placeholder));
    setAccessibleName(main_window::placeholder_caption(placeholder));
    setEnabled(false);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(main_window::kPictureWidth, main_window::kPictureHeight);
    move(main_window::position_left(main_window::family_of(placeholder)), main_window::kPictureTop);
}

void SkinPlaceholder::load_picture(SkinPictures& pictures)
{
    picture_ = pictures.picture(main_window::family_of(placeholder_), SkinRole::Inactive);
    update();
}

QSize SkinPlaceholder::sizeHint() const { return {main_window::kPictureWidth, main_window::kPictureHeight}; }

bool SkinPlaceholder::event(QEvent* event)
{
    // Disabled, it would pass movements on to the frame, which takes them
    // for the pointer over its bare surface.
    if (event->type() == QEvent::MouseMove) {
        event->accept();
        return true;
    }
    return QAbstractButton::event(event);
}

void SkinPlaceholder::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}
