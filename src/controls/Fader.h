#pragma once

#include "controls/CustomControl.h"
#include "controls/ImageList.h"

class QKeyEvent;

// A linear fader: a track picture and a knob picture sliding between
// (Xbegin, Ybegin) and (Xend, Yend). It keeps its own value, which follows
// the parameter while bound. A value change redraws only the knob.
class TWC_ImgFader : public TWC_CustomControl {
    Q_OBJECT
public:
    explicit TWC_ImgFader(QWidget* parent = nullptr);

    // Knob pictures: disabled, normal, highlighted.
    void SetKnobImagelist(const TImageList* list);
    // The track picture; the control takes its size.
    void SetBGndImage(const QPixmap& picture);
    void SetRange(int valMin, int valMax);
    void SetTravel(int xBegin, int yBegin, int xEnd, int yEnd);
    int ValMin() const { return valMin; }
    int ValMax() const { return valMax; }
    bool FineEnabled = false;
    bool JumpEnabled = true;
    // Number of stops a jump snaps to; 0 is off, 1 is refused.
    void SetCacheTicks(int n);
    int CacheTicks() const { return cacheTicks; }
    bool Horizontal() const;

    void SetVal(int v) override;
    int GetVal() const override;
    void ChangeFromMCtrl() override;
    void ValChanged();
    void SetFactors();
    double FactorX() const { return factorX; }
    double FactorY() const { return factorY; }
    // Top-left of the knob for the current value.
    QPoint KnobPos() const;

protected:
    void paintCanvas(QPainter& p) override;
    void paintOverlay() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    // Unbound, the fader keeps and moves its own value.
    void userSetVal(int v) override;
    void userStep(int delta) override;

private:
    void PaintKnob(bool full);
    FaderScale axisScale() const;
    int axisCoord(QPoint at) const;
    int halfKnob() const;
    int imageIndex() const;

    const TImageList* knobs = nullptr;
    QPixmap track;
    int value = 0;
    int valMin = 0;
    int valMax = 100;
    int xBegin = 0;
    int yBegin = 0;
    int xEnd = 0;
    int yEnd = 0;
    int cacheTicks = 0;
    double factorX = 1.0;
    double factorY = 1.0;
    QRect knobRect;
    QRect knobDevice;
    QPixmap underKnob;
};
