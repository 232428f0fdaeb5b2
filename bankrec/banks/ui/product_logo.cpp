#include "bankrec/banks/ui/product_logo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace banks {

// A teal shield holding a stylised bird in flight over a ledger tick.
QPixmap productLogo(int size) {
    const qreal dpr = 2.0;
    QPixmap pm(int(size * dpr), int(size * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;

    QPainterPath shield;
    shield.moveTo(s * 0.5, s * 0.04);
    shield.cubicTo(s * 0.72, s * 0.12, s * 0.86, s * 0.12, s * 0.94, s * 0.12);
    shield.cubicTo(s * 0.94, s * 0.56, s * 0.80, s * 0.82, s * 0.5, s * 0.96);
    shield.cubicTo(s * 0.20, s * 0.82, s * 0.06, s * 0.56, s * 0.06, s * 0.12);
    shield.cubicTo(s * 0.14, s * 0.12, s * 0.28, s * 0.12, s * 0.5, s * 0.04);
    QLinearGradient g(0, 0, 0, s);
    g.setColorAt(0, QColor(28, 128, 140));
    g.setColorAt(1, QColor(12, 64, 88));
    p.setPen(QPen(QColor(8, 44, 60), s * 0.02));
    p.setBrush(g);
    p.drawPath(shield);

    // The bird: two swept wings meeting at the body.
    QPainterPath bird;
    bird.moveTo(s * 0.18, s * 0.34);
    bird.quadTo(s * 0.36, s * 0.30, s * 0.50, s * 0.44);
    bird.quadTo(s * 0.62, s * 0.26, s * 0.84, s * 0.24);
    bird.quadTo(s * 0.64, s * 0.36, s * 0.52, s * 0.54);
    bird.quadTo(s * 0.40, s * 0.40, s * 0.18, s * 0.34);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 245));
    p.drawPath(bird);

    // The tick.
    QPen tick(QColor(255, 196, 64), s * 0.07, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(tick);
    p.setBrush(Qt::NoBrush);
    QPainterPath t;
    t.moveTo(s * 0.32, s * 0.66);
    t.lineTo(s * 0.44, s * 0.77);
    t.lineTo(s * 0.68, s * 0.58);
    p.drawPath(t);
    return pm;
}

}  // namespace banks
