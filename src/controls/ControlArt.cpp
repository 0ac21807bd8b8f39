#include "controls/ControlArt.h"

#include <QConicalGradient>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>
#include <cmath>

namespace ControlArt {

namespace {

const QColor Amber(255, 163, 26);
const QColor AmberGlow(255, 150, 20, 110);

QPixmap blank(QSize size, qreal dpr)
{
    QPixmap pm(QSize(qCeil(size.width() * dpr), qCeil(size.height() * dpr)));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    return pm;
}

void smooth(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
}

// The disabled look of any picture: without colour, lighter and faded, so
// it reads as "not available" on the dark panel.
QPixmap greyedOut(const QPixmap& source, qreal opacity = 0.55)
{
    QImage img = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            const int a = qAlpha(c);
            if (a == 0)
                continue;
            // Premultiplied: work on the un-multiplied grey and multiply back.
            const int grey = qGray(qRed(c) * 255 / a, qGreen(c) * 255 / a, qBlue(c) * 255 / a);
            const int lifted = 70 + grey * 45 / 100;
            const int na = static_cast<int>(a * opacity);
            const int g = lifted * na / 255;
            line[x] = qRgba(g, g, g, na);
        }
    }
    QPixmap out = QPixmap::fromImage(img);
    out.setDevicePixelRatio(source.devicePixelRatio());
    return out;
}

void softShadow(QPainter& p, QPointF centre, qreal radius, int alpha)
{
    QRadialGradient g(centre, radius);
    g.setColorAt(0.0, QColor(0, 0, 0, alpha));
    g.setColorAt(0.75, QColor(0, 0, 0, alpha * 2 / 3));
    g.setColorAt(1.0, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, radius, radius);
}

void glowRing(QPainter& p, QPointF c, qreal radius)
{
    QRadialGradient glow(c, radius + 3.5);
    glow.setColorAt((radius - 2.0) / (radius + 3.5), QColor(255, 150, 20, 0));
    glow.setColorAt(radius / (radius + 3.5), AmberGlow);
    glow.setColorAt(1.0, QColor(255, 150, 20, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(c, radius + 3.5, radius + 3.5);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Amber, 1.6));
    p.drawEllipse(c, radius, radius);
}

QPixmap knobBody(KnobStyle style, bool highlighted, qreal dpr)
{
    QPixmap pm = blank(QSize(KnobSize, KnobSize), dpr);
    QPainter p(&pm);
    smooth(p);
    const QPointF c(KnobSize / 2.0, KnobSize / 2.0);

    softShadow(p, c + QPointF(1.2, 2.4), 25.0, 150);
    if (highlighted)
        glowRing(p, c, 23.6);

    // Knurled skirt: a dark ring with fine ridges catching the light.
    const qreal skirt = 21.5;
    QConicalGradient skirtShade(c, 90);
    const bool metal = style == KnobStyle::Metal;
    const QColor skirtLight = metal ? QColor(150, 152, 156) : QColor(74, 76, 80);
    const QColor skirtDark = metal ? QColor(62, 64, 68) : QColor(14, 14, 16);
    skirtShade.setColorAt(0.0, skirtLight);
    skirtShade.setColorAt(0.25, skirtDark);
    skirtShade.setColorAt(0.5, skirtLight.darker(130));
    skirtShade.setColorAt(0.75, skirtDark);
    skirtShade.setColorAt(1.0, skirtLight);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    p.setBrush(skirtShade);
    p.drawEllipse(c, skirt, skirt);

    const int ridges = 40;
    for (int i = 0; i < ridges; ++i) {
        const double a = i * 2.0 * M_PI / ridges;
        const QPointF dir(std::sin(a), -std::cos(a));
        // Ridges facing the light (upper left) are brighter.
        const double facing = 0.5 + 0.5 * std::cos(a + M_PI / 4.0);
        const int light = metal ? 120 + static_cast<int>(facing * 110) : 40 + static_cast<int>(facing * 70);
        p.setPen(QPen(QColor(light, light, light + 4, 170), 0.9));
        p.drawLine(c + dir * (skirt - 3.2), c + dir * (skirt - 0.6));
    }

    // Bevel between skirt and cap.
    const qreal cap = 16.5;
    QLinearGradient bevel(c.x(), c.y() - cap, c.x(), c.y() + cap);
    bevel.setColorAt(0.0, metal ? QColor(240, 240, 242) : QColor(120, 122, 126));
    bevel.setColorAt(1.0, QColor(0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(bevel);
    p.drawEllipse(c, cap + 1.3, cap + 1.3);

    if (metal) {
        // Brushed aluminium: a conical sheen with fine concentric turns.
        QConicalGradient sheen(c, 45);
        sheen.setColorAt(0.00, QColor(238, 239, 241));
        sheen.setColorAt(0.13, QColor(160, 163, 168));
        sheen.setColorAt(0.25, QColor(205, 207, 211));
        sheen.setColorAt(0.38, QColor(138, 141, 146));
        sheen.setColorAt(0.50, QColor(232, 233, 236));
        sheen.setColorAt(0.63, QColor(150, 153, 158));
        sheen.setColorAt(0.75, QColor(208, 210, 214));
        sheen.setColorAt(0.88, QColor(140, 143, 148));
        sheen.setColorAt(1.00, QColor(238, 239, 241));
        p.setBrush(sheen);
        p.drawEllipse(c, cap, cap);
        p.setBrush(Qt::NoBrush);
        for (qreal r = 2.0; r < cap; r += 1.6) {
            p.setPen(QPen(QColor(255, 255, 255, r < cap / 2 ? 18 : 26), 0.5));
            p.drawEllipse(c, r, r);
        }
    } else {
        QRadialGradient face(c + QPointF(-5.5, -7.5), cap * 1.6);
        face.setColorAt(0.0, QColor(92, 94, 99));
        face.setColorAt(0.45, QColor(38, 39, 42));
        face.setColorAt(1.0, QColor(10, 10, 12));
        p.setBrush(face);
        p.drawEllipse(c, cap, cap);
        // A soft reflection on the upper left of the cap.
        QRadialGradient reflection(c + QPointF(-6.0, -8.0), 7.0);
        reflection.setColorAt(0.0, QColor(255, 255, 255, 46));
        reflection.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(reflection);
        p.drawEllipse(c + QPointF(-6.0, -8.0), 7.0, 7.0);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0, 0, 0, 150), 0.8));
    p.drawEllipse(c, cap, cap);
    return pm;
}

QPixmap knobDot(KnobStyle style, bool highlighted, qreal dpr)
{
    QPixmap pm = blank(QSize(DotSize, DotSize), dpr);
    QPainter p(&pm);
    smooth(p);
    const QPointF c(DotSize / 2.0, DotSize / 2.0);
    if (highlighted) {
        QRadialGradient g(c, 4.0);
        g.setColorAt(0.0, QColor(255, 244, 210));
        g.setColorAt(0.45, QColor(255, 178, 50));
        g.setColorAt(0.8, QColor(255, 140, 0, 150));
        g.setColorAt(1.0, QColor(255, 140, 0, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawEllipse(c, 4.0, 4.0);
        return pm;
    }
    const bool metal = style == KnobStyle::Metal;
    p.setPen(QPen(metal ? QColor(255, 255, 255, 140) : QColor(0, 0, 0, 200), 0.8));
    QRadialGradient g(c + QPointF(-0.8, -0.8), 3.2);
    if (metal) {
        g.setColorAt(0.0, QColor(70, 72, 78));
        g.setColorAt(1.0, QColor(12, 12, 14));
    } else {
        g.setColorAt(0.0, QColor(255, 255, 255));
        g.setColorAt(1.0, QColor(206, 210, 216));
    }
    p.setBrush(g);
    p.drawEllipse(c, 2.6, 2.6);
    return pm;
}

QPixmap button(QSize s, bool down, bool highlighted, qreal dpr)
{
    QPixmap pm = blank(s, dpr);
    QPainter p(&pm);
    smooth(p);
    const QRectF outer(0.5, 0.5, s.width() - 1.0, s.height() - 1.0);

    // Recess in the panel the button sits in.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 150));
    p.drawRoundedRect(outer, 5, 5);

    const qreal inset = down ? 2.2 : 1.6;
    QRectF body = outer.adjusted(inset, inset, -inset, -inset);
    if (down)
        body.translate(0, 0.6);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    if (down) {
        g.setColorAt(0.0, QColor(30, 31, 34));
        g.setColorAt(1.0, QColor(52, 54, 58));
    } else {
        g.setColorAt(0.0, QColor(88, 91, 97));
        g.setColorAt(0.5, QColor(56, 58, 63));
        g.setColorAt(1.0, QColor(36, 37, 41));
    }
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 220), 0.8));
    p.drawRoundedRect(body, 4, 4);
    if (!down) {
        p.setPen(QPen(QColor(255, 255, 255, 60), 0.8));
        p.drawLine(QPointF(body.left() + 4, body.top() + 1.0), QPointF(body.right() - 4, body.top() + 1.0));
    }

    // The indicator lamp: a short bar near the top edge.
    const QRectF lamp(body.center().x() - body.width() * 0.28, body.top() + 3.5, body.width() * 0.56, 3.2);
    if (down) {
        QRadialGradient halo(lamp.center(), lamp.width() * 0.75);
        halo.setColorAt(0.0, QColor(120, 255, 120, 120));
        halo.setColorAt(1.0, QColor(120, 255, 120, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(lamp.center(), lamp.width() * 0.75, lamp.height() * 2.6);
        QLinearGradient on(lamp.topLeft(), lamp.bottomLeft());
        on.setColorAt(0.0, QColor(210, 255, 200));
        on.setColorAt(1.0, QColor(60, 220, 70));
        p.setBrush(on);
    } else {
        p.setBrush(QColor(24, 52, 28));
    }
    p.setPen(QPen(QColor(0, 0, 0, 180), 0.6));
    p.drawRoundedRect(lamp, 1.4, 1.4);

    // Grip lines across the lower half.
    p.setPen(QPen(QColor(0, 0, 0, 110), 0.8));
    const qreal gy = body.bottom() - body.height() * 0.38;
    for (int i = -1; i <= 1; ++i) {
        const qreal x = body.center().x() + i * 4.0;
        p.drawLine(QPointF(x, gy), QPointF(x, gy + body.height() * 0.22));
    }

    if (highlighted) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(AmberGlow, 3.0));
        p.drawRoundedRect(outer.adjusted(0.6, 0.6, -0.6, -0.6), 5, 5);
        p.setPen(QPen(Amber, 1.2));
        p.drawRoundedRect(outer.adjusted(0.6, 0.6, -0.6, -0.6), 5, 5);
    }
    return pm;
}

QPixmap led(QSize s, QColor colour, bool lit, qreal dpr)
{
    QPixmap pm = blank(s, dpr);
    QPainter p(&pm);
    smooth(p);
    const QRectF r(0.5, 0.5, s.width() - 1.0, s.height() - 1.0);
    const qreal radius = std::min(s.width(), s.height()) * 0.22;
    p.setPen(QPen(QColor(0, 0, 0, 230), 0.9));
    if (lit) {
        QRadialGradient g(r.center(), std::max(r.width(), r.height()) * 0.75);
        g.setColorAt(0.0, colour.lighter(165));
        g.setColorAt(0.55, colour);
        g.setColorAt(1.0, colour.darker(140));
        p.setBrush(g);
    } else {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0.0, QColor(40, 42, 40));
        g.setColorAt(1.0, QColor(22, 23, 22));
        p.setBrush(g);
    }
    p.drawRoundedRect(r, radius, radius);
    // Glass: a faint reflection on the upper half.
    QLinearGradient glass(r.topLeft(), QPointF(r.left(), r.center().y()));
    glass.setColorAt(0.0, QColor(255, 255, 255, lit ? 110 : 34));
    glass.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawRoundedRect(r.adjusted(1.2, 1.2, -1.2, -r.height() / 2.0), radius * 0.7, radius * 0.7);
    return pm;
}

QPixmap faderKnob(bool horizontal, int state, qreal dpr)
{
    // Long side across the track.
    const QSize s = horizontal ? QSize(16, 32) : QSize(32, 16);
    QPixmap pm = blank(s, dpr);
    QPainter p(&pm);
    smooth(p);
    const QRectF r(1.0, 1.0, s.width() - 2.0, s.height() - 2.0);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawRoundedRect(r.translated(0.8, 1.4), 3, 3);

    QLinearGradient g(horizontal ? r.topLeft() : r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
    g.setColorAt(0.0, QColor(200, 202, 206));
    g.setColorAt(0.48, QColor(120, 123, 128));
    g.setColorAt(0.52, QColor(90, 92, 97));
    g.setColorAt(1.0, QColor(160, 162, 167));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 210), 0.9));
    p.drawRoundedRect(r, 3, 3);

    // Grip ridges either side of the indicator line.
    p.setPen(QPen(QColor(0, 0, 0, 90), 0.7));
    for (int i = 1; i <= 3; ++i) {
        const qreal d = i * 3.2;
        if (horizontal) {
            p.drawLine(QPointF(r.left() + 3, r.center().y() - d - 2), QPointF(r.right() - 3, r.center().y() - d - 2));
            p.drawLine(QPointF(r.left() + 3, r.center().y() + d + 2), QPointF(r.right() - 3, r.center().y() + d + 2));
        } else {
            p.drawLine(QPointF(r.center().x() - d - 2, r.top() + 3), QPointF(r.center().x() - d - 2, r.bottom() - 3));
            p.drawLine(QPointF(r.center().x() + d + 2, r.top() + 3), QPointF(r.center().x() + d + 2, r.bottom() - 3));
        }
    }
    const QColor line = state == 2 ? Amber : QColor(250, 250, 250);
    p.setPen(QPen(line, 1.8));
    if (horizontal)
        p.drawLine(QPointF(r.center().x(), r.top() + 3), QPointF(r.center().x(), r.bottom() - 3));
    else
        p.drawLine(QPointF(r.left() + 3, r.center().y()), QPointF(r.right() - 3, r.center().y()));
    if (state == 2) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Amber, 1.2));
        p.drawRoundedRect(r.adjusted(-0.4, -0.4, 0.4, 0.4), 3, 3);
    }
    p.end();
    return state == 0 ? greyedOut(pm, 0.7) : pm;
}

} // namespace

TImageList KnobBodies(KnobStyle style, qreal dpr)
{
    const QPixmap normal = knobBody(style, false, dpr);
    return TImageList(QSize(KnobSize, KnobSize), {greyedOut(normal), normal, knobBody(style, true, dpr)});
}

TImageList KnobDots(KnobStyle style, qreal dpr)
{
    const QPixmap normal = knobDot(style, false, dpr);
    return TImageList(QSize(DotSize, DotSize), {greyedOut(normal, 0.8), normal, knobDot(style, true, dpr)});
}

TImageList ButtonStrip(QSize size, qreal dpr)
{
    const QPixmap up = button(size, false, false, dpr);
    return TImageList(size, {greyedOut(up, 0.6), up, button(size, true, false, dpr), button(size, false, true, dpr),
                             button(size, true, true, dpr)});
}

TImageList Leds(QSize size, qreal dpr)
{
    return TImageList(size, {led(size, QColor(), false, dpr), led(size, QColor(40, 220, 70), true, dpr),
                             led(size, QColor(250, 205, 30), true, dpr), led(size, QColor(240, 45, 35), true, dpr)});
}

QPixmap KnobDisc(bool tenSteps, QColor fill, qreal dpr)
{
    QPixmap pm = blank(QSize(39, 35), dpr);
    QPainter p(&pm);
    smooth(p);
    // The pointer line starts at pixel (18, 17); the disc is centred on it.
    const QPointF c(18.5, 17.5);
    const int marks = tenSteps ? 11 : 9;
    for (int k = 0; k < marks; ++k) {
        const double a = (-150.0 + k * 300.0 / (marks - 1)) * M_PI / 180.0;
        const QPointF at = c + QPointF(std::sin(a), -std::cos(a)) * 15.2;
        const bool end = k == 0 || k == marks - 1;
        p.setPen(Qt::NoPen);
        p.setBrush(end ? QColor(236, 238, 242) : QColor(178, 182, 190));
        p.drawEllipse(at, end ? 1.7 : 1.35, end ? 1.7 : 1.35);
    }
    softShadow(p, c + QPointF(0.6, 1.4), 13.2, 140);
    const qreal r = 11.5;
    QRadialGradient g(c + QPointF(-3.5, -4.5), r * 1.7);
    g.setColorAt(0.0, fill.lighter(175));
    g.setColorAt(0.5, fill);
    g.setColorAt(1.0, fill.darker(220));
    p.setBrush(g);
    p.setPen(QPen(QColor(0, 0, 0, 200), 0.9));
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 60), 0.8));
    p.drawArc(QRectF(c.x() - r + 1.2, c.y() - r + 1.2, 2 * r - 2.4, 2 * r - 2.4), 40 * 16, 100 * 16);
    return pm;
}

QPixmap FaderTrack(QSize size, qreal dpr)
{
    QPixmap pm = blank(size, dpr);
    QPainter p(&pm);
    smooth(p);
    const bool horizontal = size.width() >= size.height();
    const qreal len = horizontal ? size.width() : size.height();
    const qreal across = horizontal ? size.height() : size.width();
    const qreal mid = across / 2.0;
    // The knob centre travels from half a knob width in from either end.
    const qreal margin = 8.0;

    auto at = [&](qreal along, qreal off) { return horizontal ? QPointF(along, off) : QPointF(off, along); };

    p.setPen(QPen(QColor(160, 164, 172), 0.9));
    for (int i = 0; i <= 10; ++i) {
        const qreal pos = margin + (len - 2 * margin) * i / 10.0;
        const qreal tick = (i % 5 == 0) ? 6.0 : 3.5;
        p.drawLine(at(pos, 2.0), at(pos, 2.0 + tick));
        p.drawLine(at(pos, across - 2.0), at(pos, across - 2.0 - tick));
    }

    const qreal slot = 5.0;
    const QRectF groove = horizontal ? QRectF(margin - 3, mid - slot / 2, len - 2 * margin + 6, slot)
                                     : QRectF(mid - slot / 2, margin - 3, slot, len - 2 * margin + 6);
    QLinearGradient g(horizontal ? groove.topLeft() : groove.topLeft(), horizontal ? groove.bottomLeft() : groove.topRight());
    g.setColorAt(0.0, QColor(0, 0, 0));
    g.setColorAt(1.0, QColor(34, 35, 38));
    p.setBrush(g);
    p.setPen(QPen(QColor(255, 255, 255, 40), 0.8));
    p.drawRoundedRect(groove, 2.5, 2.5);
    return pm;
}

TImageList FaderKnobs(bool horizontal, qreal dpr)
{
    const QSize s = horizontal ? QSize(16, 32) : QSize(32, 16);
    return TImageList(s, {faderKnob(horizontal, 0, dpr), faderKnob(horizontal, 1, dpr), faderKnob(horizontal, 2, dpr)});
}

QPixmap Panel(QSize size, qreal dpr)
{
    QPixmap pm = blank(size, dpr);
    QPainter p(&pm);
    smooth(p);
    const QRectF r(0, 0, size.width(), size.height());
    QLinearGradient base(r.topLeft(), r.bottomLeft());
    base.setColorAt(0.0, QColor(52, 54, 59));
    base.setColorAt(1.0, QColor(30, 31, 35));
    p.fillRect(r, base);

    // Brushed texture: faint horizontal streaks from a fixed seed, so every
    // run draws the same panel.
    QRandomGenerator rng(4711);
    for (int i = 0; i < size.height() * 3; ++i) {
        const qreal y = rng.bounded(size.height() * 10) / 10.0;
        const qreal x = rng.bounded(size.width());
        const qreal w = 20 + rng.bounded(160);
        const int light = rng.bounded(2) ? 255 : 0;
        p.setPen(QPen(QColor(light, light, light, 5 + rng.bounded(7)), 0.6));
        p.drawLine(QPointF(x, y), QPointF(x + w, y));
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 36), 1.0));
    p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));
    p.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    p.drawRect(r.adjusted(0.5, 0.5, -0.5, -0.5));

    // Screws in the corners.
    for (const QPointF at : {QPointF(10, 10), QPointF(size.width() - 10, 10), QPointF(10, size.height() - 10),
                             QPointF(size.width() - 10, size.height() - 10)}) {
        QRadialGradient g(at + QPointF(-1.2, -1.5), 5.0);
        g.setColorAt(0.0, QColor(200, 202, 206));
        g.setColorAt(1.0, QColor(70, 72, 76));
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 0, 0, 200), 0.8));
        p.drawEllipse(at, 4.2, 4.2);
        p.setPen(QPen(QColor(30, 30, 32), 1.1));
        p.drawLine(at + QPointF(-2.6, 1.2), at + QPointF(2.6, -1.2));
    }
    return pm;
}

void DrawKnobScale(QPainter& p, QPointF centre, qreal radius)
{
    for (int i = 0; i <= 10; ++i) {
        const double a = (-150.0 + i * 30.0) * M_PI / 180.0;
        const QPointF dir(std::sin(a), -std::cos(a));
        const bool major = i % 5 == 0;
        p.setPen(QPen(QColor(200, 204, 212, major ? 230 : 150), major ? 1.6 : 1.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre + dir * radius, centre + dir * (radius + (major ? 5.5 : 3.5)));
    }
}

} // namespace ControlArt
