#include "dialer/main_window/ballon_tip.h"

#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QToolTip>

namespace Ballon_tip {

namespace {

const char kWineTahoma[] = "/usr/share/wine/fonts/tahoma.ttf";
// As long as Qt's own tooltips stay for a short text.
constexpr int kDisplayTimeMs = 10000;
constexpr int kCornerDiameter = 15;
// The platform's stock dark-grey brush.
const QColor kOutline(64, 64, 64);

QString balloon_family()
{
    static const QString family = [] {
        const QString tahoma = QStringLiteral("Tahoma");
        if (QFontDatabase::families().contains(tahoma, Qt::CaseInsensitive))
            return tahoma;  // installed where fontconfig finds it
        if (QFile::exists(QString::fromLatin1(kWineTahoma))) {
            const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kWineTahoma));
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                return families.first();
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

// Pointer triangle and rounded body, as one outline.
QPainterPath balloon_path(const QSize& size)
{
    QPainterPath body;
    body.addRoundedRect(QRectF(0, 8, size.width(), size.height() - 8), kCornerDiameter / 2.0,
                        kCornerDiameter / 2.0);
    QPainterPath pointer;
    pointer.addPolygon(QPolygonF({QPointF(8, 0), QPointF(8, 8), QPointF(16, 8), QPointF(8, 0)}));
    return body.united(pointer);
}

}  // namespace

QFont balloon_font()
{
    QFont font(balloon_family());
    font.setPixelSize(13);
    font.setWeight(QFont::Normal);
    return font;
}

QSize balloon_size(const QString& text)
{
    const QSize text_size = QFontMetrics(balloon_font()).size(0, text);
    return text_size + QSize(16, 24);
}

void Draw_balloon(QPainter& painter, const QSize& size, const QString& text, const QPalette& palette)
{
    const QPainterPath outline = balloon_path(size - QSize(1, 1));
    painter.fillPath(outline, palette.color(QPalette::ToolTipBase));
    painter.setPen(QPen(kOutline, 1));
    painter.drawPath(outline);

    painter.setFont(balloon_font());
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip;
    // A light copy one pixel below and right of the dark text engraves it.
    painter.setPen(palette.color(QPalette::Light));
    painter.drawText(QRect(QPoint(8, 16), QPoint(size.width() - 8, size.height() - 8)), flags, text);
    painter.setPen(palette.color(QPalette::ToolTipText));
    painter.drawText(QRect(QPoint(7, 15), QPoint(size.width() - 8, size.height() - 8)), flags, text);
}

Balloon::Balloon(QWidget* control, QString text, QWidget* form)
    : QWidget(form, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      control_(control), text_(std::move(text))
{
    setObjectName(QStringLiteral("Ballon_tip"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setPalette(QToolTip::palette());
    hide_timer_.setSingleShot(true);
    hide_timer_.setInterval(kDisplayTimeMs);
    connect(&hide_timer_, &QTimer::timeout, this, &QWidget::hide);
    control->installEventFilter(this);
    // Like the platform tooltip it replaces, the balloon shows also while
    // its window is not the active one.
    form->window()->setAttribute(Qt::WA_AlwaysShowToolTips);
}

void Balloon::show_at(const QPoint& pointer)
{
    const QSize size = balloon_size(text_);
    setGeometry(QRect(pointer + QPoint(-2, 20), size));
    // Outside the outline the balloon is see-through, also without a
    // compositing window manager.
    setMask(QRegion(balloon_path(size).toFillPolygon().toPolygon()));
    show();
    update();
    hide_timer_.start();
}

bool Balloon::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != control_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ToolTip:
        show_at(static_cast<QHelpEvent*>(event)->globalPos());
        return true;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Hide:
    case QEvent::WindowDeactivate:
        hide();
        hide_timer_.stop();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Balloon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Draw_balloon(painter, size(), text_, palette());
}

Balloon* Add_balloon(QWidget* control, const QString& text, QWidget* form)
{
    return new Balloon(control, text, form);
}

}  // namespace Ballon_tip
