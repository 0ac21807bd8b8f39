#include "app/AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>
#include <numbers>
#include <vector>

namespace AppIcon {

namespace {

// Everything is given in a 256 x 256 box.
constexpr double Box = 256.0;

struct Stop {
    double at;
    QColor colour;
};

// A fill: one colour, a linear gradient from (x1, y1) to (x2, y2) or a
// radial one around (x1, y1) with radius r and focal point (x2, y2).
struct Fill {
    enum Kind { None, Plain, Linear, Radial } kind = None;
    std::vector<Stop> stops;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0, r = 0;
};

struct Stroke {
    QColor colour;
    double width = 0; // 0: none
};

// A rounded rectangle (radius > 0), a circle (w = h = diameter, radius < 0)
// or a line from (x, y) to (x + w, y + h) with round ends (radius 0).
struct Shape {
    double x, y, w, h, radius;
    Fill fill;
    Stroke stroke;
};

constexpr double KnobX = 128, KnobY = 140, KnobR = 64;

QColor rgba(int r, int g, int b, int a = 255) { return QColor(r, g, b, a); }

std::vector<Shape> shapes()
{
    std::vector<Shape> s;
    // The panel.
    Fill panel{Fill::Linear, {{0, rgba(70, 74, 82)}, {1, rgba(22, 23, 26)}}, 0, 16, 0, 240, 0};
    s.push_back({16, 16, 224, 224, 44, panel, {rgba(110, 116, 126), 4}});
    // The scale: eleven ticks over 300 degrees of travel, the ends and the
    // middle longer.
    for (int i = 0; i <= 10; ++i) {
        const double degrees = 240.0 - 30.0 * i;
        const double a = degrees * std::numbers::pi / 180.0;
        const double inner = KnobR + 12;
        const double outer = KnobR + ((i == 0 || i == 5 || i == 10) ? 34 : 26);
        const double x = KnobX + inner * std::cos(a), y = KnobY - inner * std::sin(a);
        const double x2 = KnobX + outer * std::cos(a), y2 = KnobY - outer * std::sin(a);
        s.push_back({x, y, x2 - x, y2 - y, 0, {}, {rgba(230, 232, 236), 8}});
    }
    // The knob: a shadow, the body lit from the upper left, its rim.
    s.push_back({KnobX - KnobR - 2, KnobY - KnobR + 4, 2 * KnobR + 4, 2 * KnobR + 4, -1,
                 {Fill::Plain, {{0, rgba(0, 0, 0, 90)}}}, {}});
    Fill body{Fill::Radial, {{0, rgba(112, 117, 126)}, {0.7, rgba(40, 42, 46)}, {1, rgba(18, 19, 21)}},
              KnobX, KnobY, KnobX - 26, KnobY - 30, KnobR};
    s.push_back({KnobX - KnobR, KnobY - KnobR, 2 * KnobR, 2 * KnobR, -1, body, {rgba(8, 8, 9), 4}});
    // The pointer, turned to seven tenths of the travel.
    const double a = (240.0 - 30.0 * 7) * std::numbers::pi / 180.0;
    const double x = KnobX + 18 * std::cos(a), y = KnobY - 18 * std::sin(a);
    const double x2 = KnobX + (KnobR - 12) * std::cos(a), y2 = KnobY - (KnobR - 12) * std::sin(a);
    s.push_back({x, y, x2 - x, y2 - y, 0, {}, {rgba(255, 176, 64), 12}});
    return s;
}

// ---- QPainter ----

QBrush brush(const Fill& f)
{
    auto withStops = [&](QGradient&& g) {
        for (const Stop& stop : f.stops)
            g.setColorAt(stop.at, stop.colour);
        return QBrush(g);
    };
    switch (f.kind) {
    case Fill::Plain:
        return QBrush(f.stops.front().colour);
    case Fill::Linear:
        return withStops(QLinearGradient(f.x1, f.y1, f.x2, f.y2));
    case Fill::Radial:
        return withStops(QRadialGradient(QPointF(f.x1, f.y1), f.r, QPointF(f.x2, f.y2)));
    case Fill::None:
        break;
    }
    return Qt::NoBrush;
}

void paint(QPainter& p, const Shape& s)
{
    p.setBrush(brush(s.fill));
    if (s.stroke.width > 0)
        p.setPen(QPen(s.stroke.colour, s.stroke.width, Qt::SolidLine, Qt::RoundCap));
    else
        p.setPen(Qt::NoPen);
    if (s.radius > 0)
        p.drawRoundedRect(QRectF(s.x, s.y, s.w, s.h), s.radius, s.radius);
    else if (s.radius < 0)
        p.drawEllipse(QRectF(s.x, s.y, s.w, s.h));
    else
        p.drawLine(QPointF(s.x, s.y), QPointF(s.x + s.w, s.y + s.h));
}

// ---- SVG ----

QString number(double v)
{
    return QString::number(v, 'f', 2).remove(QRegularExpression(QStringLiteral("\\.?0+$")));
}

QString colour(const QColor& c)
{
    return c.name(QColor::HexRgb);
}

QString opacity(const char* attribute, const QColor& c)
{
    if (c.alpha() == 255)
        return {};
    return QStringLiteral(" %1=\"%2\"").arg(QLatin1String(attribute), number(c.alphaF()));
}

} // namespace

QImage Image(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / Box, size / Box);
    for (const Shape& s : shapes())
        paint(p, s);
    return image;
}

QString Svg()
{
    QString svg;
    QTextStream out(&svg);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" viewBox=\"0 0 256 256\">\n";
    const std::vector<Shape> all = shapes();
    out << "  <defs>\n";
    for (size_t i = 0; i < all.size(); ++i) {
        const Fill& f = all[i].fill;
        if (f.kind != Fill::Linear && f.kind != Fill::Radial)
            continue;
        if (f.kind == Fill::Linear)
            out << "    <linearGradient id=\"g" << i << "\" gradientUnits=\"userSpaceOnUse\" x1=\"" << number(f.x1)
                << "\" y1=\"" << number(f.y1) << "\" x2=\"" << number(f.x2) << "\" y2=\"" << number(f.y2) << "\">\n";
        else
            out << "    <radialGradient id=\"g" << i << "\" gradientUnits=\"userSpaceOnUse\" cx=\"" << number(f.x1)
                << "\" cy=\"" << number(f.y1) << "\" r=\"" << number(f.r) << "\" fx=\"" << number(f.x2)
                << "\" fy=\"" << number(f.y2) << "\">\n";
        for (const Stop& stop : f.stops)
            out << "      <stop offset=\"" << number(stop.at) << "\" stop-color=\"" << colour(stop.colour) << "\""
                << opacity("stop-opacity", stop.colour) << "/>\n";
        out << (f.kind == Fill::Linear ? "    </linearGradient>\n" : "    </radialGradient>\n");
    }
    out << "  </defs>\n";
    for (size_t i = 0; i < all.size(); ++i) {
        const Shape& s = all[i];
        QString paintAttributes;
        switch (s.fill.kind) {
        case Fill::None:
            paintAttributes = QStringLiteral(" fill=\"none\"");
            break;
        case Fill::Plain:
            paintAttributes = QStringLiteral(" fill=\"%1\"").arg(colour(s.fill.stops.front().colour)) +
                              opacity("fill-opacity", s.fill.stops.front().colour);
            break;
        default:
            paintAttributes = QStringLiteral(" fill=\"url(#g%1)\"").arg(i);
        }
        if (s.stroke.width > 0)
            paintAttributes += QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\" stroke-linecap=\"round\"")
                                   .arg(colour(s.stroke.colour), number(s.stroke.width)) +
                               opacity("stroke-opacity", s.stroke.colour);
        if (s.radius > 0)
            out << "  <rect x=\"" << number(s.x) << "\" y=\"" << number(s.y) << "\" width=\"" << number(s.w)
                << "\" height=\"" << number(s.h) << "\" rx=\"" << number(s.radius) << "\"" << paintAttributes
                << "/>\n";
        else if (s.radius < 0)
            out << "  <circle cx=\"" << number(s.x + s.w / 2) << "\" cy=\"" << number(s.y + s.h / 2) << "\" r=\""
                << number(s.w / 2) << "\"" << paintAttributes << "/>\n";
        else
            out << "  <line x1=\"" << number(s.x) << "\" y1=\"" << number(s.y) << "\" x2=\"" << number(s.x + s.w)
                << "\" y2=\"" << number(s.y + s.h) << "\"" << paintAttributes << "/>\n";
    }
    out << "</svg>\n";
    return svg;
}

QIcon Icon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(Image(size)));
    return icon;
}

} // namespace AppIcon
