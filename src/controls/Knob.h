#pragma once

#include <QColor>

#include "controls/CustomControl.h"

class QKeyEvent;

// Clickable scale marks around the drawn knob (left, top, right, bottom;
// right and bottom exclusive).
struct MarkRect {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};
extern const MarkRect KRKnob;
extern const MarkRect KRArr8[9];
extern const MarkRect KRArr10[11];

// The scale mark under a point, or -1; mark k stands for the relative value
// k / 8 (or k / 10 with ten steps).
int ScaleMarkAt(bool tenSteps, int x, int y);

// A small knob drawn as a coloured disc with a pointer line and a scale of
// 9 or 11 clickable marks. A value change redraws only the pointer line.
class TWC_Knob : public TWC_CustomControl {
    Q_OBJECT
public:
    explicit TWC_Knob(QWidget* parent = nullptr);

    void SetTenSteps(bool on);
    bool TenSteps() const { return tenSteps; }
    void SetDisableColor(QColor c);
    void SetUnhilightBgndColor(QColor c);
    void SetHilightBgndColor(QColor c);
    void SetUnhilightLineColor(QColor c);
    void SetHilightLineColor(QColor c);
    QColor DisableColor() const { return disableColor; }
    QColor UnhilightBgndColor() const { return unhilightBgnd; }
    QColor HilightBgndColor() const { return hilightBgnd; }

    void ChangeFromMCtrl() override;
    // End point of the pointer line for the current value.
    QPoint GetLinePos() const;

protected:
    void paintCanvas(QPainter& p) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    void InitBmp();
    void DrawLine(QPainter& p, QPoint end, QColor colour) const;
    const QPixmap& currentDisc() const;

    bool tenSteps = false;
    QColor disableColor{192, 192, 192};
    QColor unhilightBgnd{0, 0, 128};
    QColor hilightBgnd{0, 0, 255};
    QColor unhilightLine{Qt::white};
    QColor hilightLine{Qt::white};
    QPixmap discDisabled;
    QPixmap discNormal;
    QPixmap discHilight;
    QPoint lineEnd;
};
