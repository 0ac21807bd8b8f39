#pragma once

#include "controls/CustomControl.h"
#include "controls/ImageList.h"

class QKeyEvent;

// A rotary knob drawn from a body picture and a small dot placed on a circle
// around the knob's centre. A value change redraws only the dot: the
// background saved under the old dot goes back and the dot is drawn anew.
class TWC_ImgKnob : public TWC_CustomControl {
    Q_OBJECT
public:
    explicit TWC_ImgKnob(QWidget* parent = nullptr);

    // Body and dot pictures: disabled, normal, highlighted. The body list sets
    // the control's size.
    void SetBGndImagelist(const TImageList* list);
    void SetDotImagelist(const TImageList* list);
    const TImageList* BGndImagelist() const { return bodies; }
    const TImageList* DotImagelist() const { return dots; }

    bool FineEnabled = false;
    bool JumpEnabled = true;
    void SetNullIsOff(bool on);
    bool NullIsOff() const { return nullIsOff; }
    // Radius of the circle the dot centre lies on.
    void SetDotPos(int radius);
    int DotPos() const { return dotPos; }
    void SetKnobMid(int x, int y);
    int KnobMidX() const { return midX; }
    int KnobMidY() const { return midY; }
    // Redraw the whole control on every value change.
    bool FullRepaint = false;

    void ChangeFromMCtrl() override;
    // Top-left of the dot for the current value.
    QPoint DotPosition() const;
    // The dot is drawn (not hidden by NullIsOff).
    bool DotShown() const;

protected:
    void paintCanvas(QPainter& p) override;
    void paintOverlay() override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;

private:
    int imageIndex() const;
    void drawDot();

    const TImageList* bodies = nullptr;
    const TImageList* dots = nullptr;
    bool nullIsOff = false;
    int dotPos = 19;
    int midX = 0;
    int midY = 0;
    int dotOffX = 0;
    int dotOffY = 0;
    QPoint dotAt;
    QRect dotDevice;
    QPixmap underDot;
};
