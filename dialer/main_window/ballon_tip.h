#pragma once
#include <QFont>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class QPainter;

namespace Ballon_tip {

// The balloon's font: "Tahoma", 13 pixels, normal weight. A Tahoma that
// fontconfig knows comes first, then Wine's (it has Cyrillic, but lies
// outside fontconfig's path), loaded on first use; otherwise the default
// sans font takes its place.
QFont balloon_font();

// Window size for a text: the text measured in the balloon font, plus 16
// by 24 for the frame and the pointer.
QSize balloon_size(const QString& text);

// Paints the balloon into a window of the given size: the pointer at the
// upper left, the rounded body, the engraved text.
void Draw_balloon(QPainter& painter, const QSize& size, const QString& text, const QPalette& palette);

// The balloon window of one control. It shows where a tooltip would (after
// the usual hover delay) below and right of the pointer, and hides when
// the pointer leaves, on a click, or when its display time is over.
class Balloon : public QWidget {
    Q_OBJECT

public:
    Balloon(QWidget* control, QString text, QWidget* form);
    QString text() const { return text_; }
    QWidget* control() const { return control_; }
    // Places the balloon for the pointer at `pointer` (screen coordinates)
    // and shows it without taking the focus.
    void show_at(const QPoint& pointer);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QPointer<QWidget> control_;
    QString text_;
    QTimer hide_timer_;
};

// Gives the control a balloon tooltip with the text; the balloon belongs to
// the form and ends with it. Any number of controls may have one.
Balloon* Add_balloon(QWidget* control, const QString& text, QWidget* form);

}  // namespace Ballon_tip
