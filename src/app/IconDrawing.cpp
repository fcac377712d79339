#include "app/IconDrawing.h"

#include <QPainter>
#include <QPainterPath>

namespace geotal::app {

QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    p.setPen(QPen(QColor(40, 60, 90), s / 16));
    p.setBrush(QColor(120, 180, 230));
    p.drawRoundedRect(QRectF(s * 0.06, s * 0.22, s * 0.88, s * 0.66), s * 0.08, s * 0.08);
    p.setBrush(QColor(90, 150, 70));
    QPainterPath hills;
    hills.moveTo(s * 0.1, s * 0.84);
    hills.quadTo(s * 0.35, s * 0.5, s * 0.6, s * 0.84);
    hills.closeSubpath();
    p.drawPath(hills);
    QPainterPath pin;
    pin.moveTo(s * 0.68, s * 0.78);
    pin.cubicTo(s * 0.45, s * 0.45, s * 0.5, s * 0.08, s * 0.68, s * 0.08);
    pin.cubicTo(s * 0.86, s * 0.08, s * 0.91, s * 0.45, s * 0.68, s * 0.78);
    p.setBrush(QColor(210, 50, 40));
    p.drawPath(pin);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(s * 0.68, s * 0.3), s * 0.08, s * 0.08);
    return image;
}

}  // namespace geotal::app
