// Draws the dialer's 28 skin pictures (49 by 28 JPEG files) into a folder:
// for each family a normal, a hover ("_f"), a pressed ("_kl") and an
// inactive ("_na") picture.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

constexpr int kWidth = 49;
constexpr int kHeight = 28;

enum class Role { Normal, Hover, Pressed, Inactive };

const QColor kGreen(30, 150, 45);
const QColor kRed(200, 35, 35);
const QColor kBlue(40, 90, 180);

// A telephone handset: a thick arc with an ear and a mouth piece.
// `hung_up` lays it flat with both pieces down.
void draw_handset(QPainter& painter, const QPointF& centre, const QColor& colour, bool hung_up)
{
    painter.save();
    painter.translate(centre);
    painter.rotate(hung_up ? 0 : -35);
    QPen pen(colour, 4, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const QRectF arc(-10, -6, 20, 14);
    painter.drawArc(arc, 20 * 16, 140 * 16);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawRoundedRect(QRectF(-12, -2, 7, 5), 2, 2);
    painter.drawRoundedRect(QRectF(5, -2, 7, 5), 2, 2);
    painter.restore();
}

void draw_person(QPainter& painter, const QPointF& head, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(head, 3.0, 3.0);
    QPainterPath body;
    body.moveTo(head + QPointF(-5, 11));
    body.quadTo(head + QPointF(0, 1), head + QPointF(5, 11));
    body.closeSubpath();
    painter.drawPath(body);
}

void draw_arrow(QPainter& painter, const QPointF& from, const QPointF& to, const QColor& colour)
{
    painter.setPen(QPen(colour, 1.6, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    const QPointF direction = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF normal(-direction.y(), direction.x());
    painter.drawLine(to, to - direction * 3 + normal * 2.5);
    painter.drawLine(to, to - direction * 3 - normal * 2.5);
}

void draw_symbol(QPainter& painter, const QString& family, const QColor& tint)
{
    const auto colour = [&](const QColor& own) { return tint.isValid() ? tint : own; };
    if (family == QLatin1String("ok")) {
        draw_handset(painter, QPointF(24.5, 15), colour(kGreen), false);
    } else if (family == QLatin1String("no")) {
        draw_handset(painter, QPointF(21, 16), colour(kRed), true);
        painter.setPen(QPen(colour(kRed), 2, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(34, 7), QPointF(40, 13));
        painter.drawLine(QPointF(40, 7), QPointF(34, 13));
    } else if (family == QLatin1String("off")) {
        draw_handset(painter, QPointF(24.5, 16), colour(kRed), true);
    } else if (family == QLatin1String("kf")) {
        draw_person(painter, QPointF(15, 8), colour(kBlue));
        draw_person(painter, QPointF(34, 8), colour(kBlue));
        draw_arrow(painter, QPointF(20, 11), QPointF(29, 11), colour(kGreen));
        draw_arrow(painter, QPointF(29, 17), QPointF(20, 17), colour(kGreen));
    } else if (family == QLatin1String("kf_oj")) {
        draw_person(painter, QPointF(12, 8), colour(kBlue));
        draw_person(painter, QPointF(24.5, 6), colour(kBlue));
        draw_person(painter, QPointF(37, 8), colour(kBlue));
        painter.setPen(QPen(colour(kGreen), 1.6));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QPointF(24.5, 14), 17, 10);
    } else if (family == QLatin1String("kf_dob")) {
        draw_person(painter, QPointF(19, 8), colour(kBlue));
        painter.setPen(QPen(colour(kGreen), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(33, 9), QPointF(33, 19));
        painter.drawLine(QPointF(28, 14), QPointF(38, 14));
    } else if (family == QLatin1String("dtmf")) {
        // A keypad: four rows of three keys.
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour(kBlue));
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 3; ++column)
                painter.drawRoundedRect(QRectF(16 + column * 6.5, 4 + row * 5.2, 4.5, 3.6), 1, 1);
    }
}

QImage draw_picture(const QString& family, Role role)
{
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(QColor(236, 236, 236));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QColor top(250, 250, 250), bottom(210, 214, 220);
    if (role == Role::Hover) {
        top = QColor(255, 255, 255);
        bottom = QColor(232, 240, 252);
    } else if (role == Role::Pressed) {
        top = QColor(180, 186, 196);
        bottom = QColor(214, 218, 226);
    } else if (role == Role::Inactive) {
        top = bottom = QColor(224, 224, 224);
    }
    QLinearGradient face(0, 0, 0, kHeight);
    face.setColorAt(0, top);
    face.setColorAt(1, bottom);
    painter.setBrush(face);
    painter.setPen(QPen(role == Role::Inactive ? QColor(190, 190, 190) : QColor(120, 126, 136), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, kWidth - 1, kHeight - 1), 5, 5);

    // Pressed pictures sink by a pixel; inactive ones are grey.
    if (role == Role::Pressed)
        painter.translate(1, 1);
    draw_symbol(painter, family, role == Role::Inactive ? QColor(165, 165, 165) : QColor());
    painter.end();
    if (role == Role::Hover) {
        // A lighter symbol too: blend towards white.
        QPainter wash(&image);
        wash.fillRect(image.rect(), QColor(255, 255, 255, 40));
    }
    return image;
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_pictures OUTPUT_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "skin_pictures: cannot create %s\n", argv[1]);
        return 1;
    }
    const QStringList families{"ok", "no", "off", "kf", "kf_oj", "kf_dob", "dtmf"};
    const QList<QPair<Role, QString>> roles{
        {Role::Normal, ""}, {Role::Hover, "_f"}, {Role::Pressed, "_kl"}, {Role::Inactive, "_na"}};
    for (const QString& family : families) {
        for (const auto& [role, suffix] : roles) {
            const QString path = folder.filePath(family + suffix + QStringLiteral(".jpg"));
            if (!draw_picture(family, role).save(path, "JPG", 92)) {
                std::fprintf(stderr, "skin_pictures: cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
