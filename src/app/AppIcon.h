#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// The program's icon: a knob on a dark panel, with its scale and an amber
// pointer. One description of its shapes is drawn two ways, with QPainter
// for the windows and the PNG files of the icon theme, and as SVG text for
// the scalable icon, so the two cannot drift apart.
namespace AppIcon {

// Name of the icon in the icon theme and of the desktop entry.
inline constexpr char Name[] = "drux-editor";

// The icon drawn at size x size pixels, transparent around the panel.
QImage Image(int size);

// The same icon as a standalone SVG document, 256 x 256 units.
QString Svg();

// The icon for the windows, drawn at the sizes window managers ask for.
QIcon Icon();

} // namespace AppIcon
