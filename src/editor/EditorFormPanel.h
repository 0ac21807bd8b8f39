#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>
#include <vector>

// The front panel behind the guitar editor's controls: the brushed panel of
// the control set with titled sections, the scales around the knobs, the
// printed captions beside the switches, the name display and the badge.
struct PanelSection {
    QRect area;
    QString title; // empty: a plain frame
};

struct PanelText {
    QRect area;
    QString text;
    Qt::Alignment align = Qt::AlignCenter;
};

struct PanelDrawing {
    QSize size;
    std::vector<PanelSection> sections;
    std::vector<QPoint> knobCentres;
    std::vector<PanelText> captions;
    QRect nameDisplay;
    QRect badge;
    QString badgeSubtitle = QStringLiteral("GUITAR AMP MODELLER");
};

QPixmap DrawEditorPanel(const PanelDrawing& d, qreal dpr);
