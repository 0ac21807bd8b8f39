#include "editor/EditorFormPanel.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "controls/ControlArt.h"

namespace {

const QColor CaptionColour(214, 218, 226);
const QColor TitleColour(255, 178, 64);

QFont panelFont(int pixels, bool bold, qreal spacing = 1.0)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
    return f;
}

void drawSection(QPainter& p, const PanelSection& s)
{
    const QRectF r = QRectF(s.area).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setBrush(QColor(0, 0, 0, 46));
    p.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
    p.drawRoundedRect(r, 6, 6);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
    if (s.title.isEmpty())
        return;
    const QFont font = panelFont(11, true);
    p.setFont(font);
    p.setPen(TitleColour);
    p.drawText(QPointF(r.left() + 12, r.top() + 17), s.title);
    const qreal tw = QFontMetricsF(font).horizontalAdvance(s.title);
    p.setPen(QPen(QColor(255, 178, 64, 90), 1.0));
    p.drawLine(QPointF(r.left() + 18 + tw, r.top() + 13), QPointF(r.right() - 12, r.top() + 13));
}


void drawNameDisplay(QPainter& p, QRectF r)
{
    p.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    p.setBrush(QColor(70, 72, 78));
    p.drawRoundedRect(r.adjusted(-3, -3, 3, 3), 6, 6);
    QLinearGradient glass(r.topLeft(), r.bottomLeft());
    glass.setColorAt(0.0, QColor(22, 16, 8));
    glass.setColorAt(1.0, QColor(10, 8, 4));
    p.setBrush(glass);
    p.setPen(QPen(QColor(0, 0, 0), 1.0));
    p.drawRoundedRect(r, 4, 4);
    p.setPen(QPen(QColor(255, 178, 64, 40), 1.0));
    p.drawLine(QPointF(r.left() + 6, r.top() + 2.5), QPointF(r.right() - 6, r.top() + 2.5));
}

void drawBadge(QPainter& p, QRectF r, const QString& subtitle)
{
    QFont big = panelFont(34, true, 6.0);
    big.setItalic(true);
    p.setFont(big);
    const QString name = QStringLiteral("DRUX");
    QPainterPath path;
    const QFontMetricsF fm(big);
    const QPointF base(r.center().x() - fm.horizontalAdvance(name) / 2, r.top() + fm.ascent());
    path.addText(base, big, name);
    QLinearGradient metal(r.topLeft(), QPointF(r.left(), r.top() + fm.height()));
    metal.setColorAt(0.0, QColor(236, 238, 242));
    metal.setColorAt(0.55, QColor(150, 154, 162));
    metal.setColorAt(1.0, QColor(210, 212, 218));
    p.setPen(QPen(QColor(0, 0, 0, 180), 1.2));
    p.setBrush(metal);
    p.drawPath(path);
    p.setFont(panelFont(9, true, 1.2));
    p.setPen(TitleColour);
    p.drawText(QRectF(r.left(), r.top() + fm.height() + 2, r.width(), 14), Qt::AlignHCenter | Qt::AlignTop,
               subtitle);
}

} // namespace

QPixmap DrawEditorPanel(const PanelDrawing& d, qreal dpr)
{
    QPixmap pm = ControlArt::Panel(d.size, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const PanelSection& s : d.sections)
        drawSection(p, s);
    for (const QPoint c : d.knobCentres)
        ControlArt::DrawKnobScale(p, QPointF(c), 28.5);
    // The panel prints its captions in capitals; the texts keep their own
    // case for the controls' hints and accessible names.
    QFont captionFont = panelFont(9, true, 0.6);
    captionFont.setCapitalization(QFont::AllUppercase);
    p.setFont(captionFont);
    p.setPen(CaptionColour);
    for (const PanelText& t : d.captions)
        p.drawText(t.area, static_cast<int>(t.align), t.text);
    if (!d.nameDisplay.isEmpty())
        drawNameDisplay(p, QRectF(d.nameDisplay));
    if (!d.badge.isEmpty())
        drawBadge(p, QRectF(d.badge), d.badgeSubtitle);
    return pm;
}
