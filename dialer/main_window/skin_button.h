#pragma once
#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <array>
#include <optional>

#include "dialer/main_window/call_buttons.h"

// The 28 skin pictures of an installation. Each is read from its file on
// first use and kept. A picture that is missing or unreadable cannot be
// drawn around: it is reported and the dialer ends.
class SkinPictures {
public:
    explicit SkinPictures(QString folder);
    const QPixmap& picture(main_window::SkinFamily family, main_window::SkinRole role);
    // Reads all 28 pictures now, so that none can fail later.
    void load_all();
    QString folder() const { return folder_; }

private:
    QString folder_;
    std::array<std::optional<QPixmap>, main_window::kSkinFamilyCount * main_window::kSkinRoleCount>
        pictures_;
};

// One skinned call button: normal, hover and pressed pictures, a click on
// the primary pointer button. A button to the keyboard (Tab reaches it,
// Space or Enter presses it, a dotted frame marks the focus) and to screen
// readers (a push button named after what it does).
class SkinButton : public QAbstractButton {
    Q_OBJECT

public:
    SkinButton(main_window::CallButton button, SkinPictures& pictures, QWidget* parent);
    // A button of the skin that is no call button (the keypad button).
    SkinButton(main_window::SkinFamily family, const QString& name, const QString& caption, SkinPictures& pictures,
               QWidget* parent);
    main_window::CallButton button() const { return button_; }
    // Applies the role's picture unless it is shown already.
    void show_picture(main_window::SkinRole role);
    main_window::SkinRole shown_role() const { return shown_role_; }
    const QPixmap& pixmap() const { return shown_; }
    QSize sizeHint() const override;

signals:
    void hovered();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    main_window::CallButton button_;
    main_window::SkinFamily family_;
    SkinPictures& pictures_;
    QPixmap shown_;
    main_window::SkinRole shown_role_ = main_window::SkinRole::Normal;
    bool applied_ = false;
    bool primary_pressed_ = false;
};

// The inactive picture of a position where no call button is offered now.
// To screen readers it is the position's button, disabled: "Ответить" that
// cannot be pressed, not a picture of one. It takes the pointer's movements
// so that they do not reach the frame below it.
class SkinPlaceholder : public QAbstractButton {
    Q_OBJECT

public:
    SkinPlaceholder(main_window::Placeholder placeholder, QWidget* parent);
    void load_picture(SkinPictures& pictures);
    const QPixmap& pixmap() const { return picture_; }
    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    main_window::Placeholder placeholder_;
    QPixmap picture_;
};
