#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

#include "controls/ImageList.h"

class QPainter;

// All pictures of the control set, drawn by the program with antialiasing at
// the given device pixel ratio so they stay sharp on high-density screens.
// Image lists follow the controls' index rules: knob bodies, dots and fader
// knobs hold disabled, normal, highlighted; button strips hold disabled, up,
// down, up highlighted, down highlighted; LED lists hold off, then green,
// yellow, red lit.
namespace ControlArt {

enum class KnobStyle { Black, Metal };

constexpr int KnobSize = 52;
constexpr int DotSize = 8;
// Radius of the circle the dot centre lies on.
constexpr int KnobDotRadius = 14;

TImageList KnobBodies(KnobStyle style, qreal dpr);
// Dots to match a knob style: light on black, dark on metal.
TImageList KnobDots(KnobStyle style, qreal dpr);
TImageList ButtonStrip(QSize size, qreal dpr);
TImageList Leds(QSize size, qreal dpr);

// The 39 x 35 scale discs of the drawn knob with 9 or 11 marks; the disc is
// filled with `fill` (the drawn knob builds one per state).
QPixmap KnobDisc(bool tenSteps, QColor fill, qreal dpr);

// Fader track of the given size (the axis is the longer side) and the three
// knob states of a fader cap.
QPixmap FaderTrack(QSize size, qreal dpr);
TImageList FaderKnobs(bool horizontal, qreal dpr);

// A brushed dark panel for windows and the demo.
QPixmap Panel(QSize size, qreal dpr);

// The scale printed on a panel around a knob: eleven ticks over its 300
// degrees of travel, the ends and the middle longer, starting `radius`
// pixels from the knob's centre.
void DrawKnobScale(QPainter& p, QPointF centre, qreal radius);

} // namespace ControlArt
