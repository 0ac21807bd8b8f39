#pragma once

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "controls/ControlLogic.h"

class QLabel;
class QLineEdit;
class QMouseEvent;

// A window's background picture. Drawn controls that name it as their
// ParentImage copy the part under themselves before drawing, so that the
// transparent parts of their pictures show the window background.
class TB_Image : public QWidget {
    Q_OBJECT
public:
    explicit TB_Image(QWidget* parent = nullptr);

    // Sizes the widget to the picture and rebuilds the background copy.
    void SetPicture(const QPixmap& picture);
    // Sizes the widget now and draws its picture when it is first needed
    // (painted, grabbed, read as a background): a window built at start-up
    // that is never opened holds no window-sized picture.
    void SetPictureLater(QSize size, std::function<QPixmap()> draw);
    const QPixmap& Picture() const;
    const QPixmap& BackgroundCopy() const;

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void drawPending() const;

    mutable QPixmap picture;
    mutable QPixmap copy;
    mutable std::function<QPixmap()> pending;
};

// Base of every drawn parameter control. The control binds to one parameter
// by Modix/Mcix, passes user changes to it and follows its changes through
// ChangeFromMCtrl, shows the value on an optional label that can be clicked
// to type a value, and marks a fresh change with a short highlight.
//
// Drawing goes to a cached picture of the whole control: a value change may
// update only the part that moved, and the widget's paint event only copies
// the cache to the screen.
class TWC_CustomControl : public QWidget, public BoundControl {
    Q_OBJECT
public:
    explicit TWC_CustomControl(QWidget* parent = nullptr);
    ~TWC_CustomControl() override;

    // ---- class-wide state ----
    static void SetModul(Modul** table);
    // Number of controls ever created; the first one creates TResForm.
    static int NrTWC;
    // Highlight duration in ticks of the 20 ms timer.
    static int HilightTime;
    // Knob drag mode: 0 horizontal, 1 vertical, 2 tangent, 3 circular. Windows
    // copy the "Knob mode" preference here when they are shown.
    static int MouseDir;
    static void SetMouseDir(int mode) { MouseDir = mode; }
    // The one shared in-place value editor; the one registered last serves
    // every control.
    static void SetValEdit(QLineEdit* edit);
    static QLineEdit* ValEdit();
    // The anchor of the one drag that can be in progress.
    static DragAnchor Drag;
    // Hints are off from a left button down on a drawn control to its button
    // up; ShowHintOn keeps whether they were on before.
    static bool ShowHintOn;
    static bool HintsOff;
    // Runs the highlight countdown of every listed control (every 20 ms tick).
    static void HilightListTimer();
    static TWC_CustomControl* HilightListHead() { return pHLFirst; }
    TWC_CustomControl* NextHilighted() const { return nextHilight; }

    // ---- binding ----
    void SetModix(int modix);
    void SetMcix(int mcix);
    int Modix() const { return link.Modix(); }
    int Mcix() const { return link.Mcix(); }
    MCtrl* BoundParam() const { return link.bound(); }
    void TWC_Show();
    void TWC_Hide();
    void ChangeFromMCtrl() override;

    // ---- value ----
    virtual void SetVal(int v);
    virtual int GetVal() const;
    void SetEnabled(bool enabled);
    void SetValText();

    // ---- value label and editor ----
    void SetValLabel(QLabel* label);
    QLabel* ValLabel() const { return valLabel; }
    void TWC_ValLabelClick(QObject* sender);
    void ValEditExit(QObject* sender);
    void ValEditKeyUp(QObject* sender, int key, Qt::KeyboardModifiers shift);

    // ---- focus and highlight ----
    void DoEnter();
    void DoExit();
    bool HilightNow();
    bool TimerExecHilight();

    void SetParentImage(TB_Image* image);
    TB_Image* ParentImage() const { return parentImage; }

    // Whole-control redraws so far; a value change that draws only the moved
    // part leaves it alone.
    int FullRenderCount() const { return fullRenders; }

    bool UserChange = false;
    std::function<void(TWC_CustomControl* sender, int val)> OnCtrlChange;
    std::function<void(QLineEdit* edit, int& val)> OnTextToVal;
    std::function<void(QLabel* label, int val)> OnValToText;
    int HilightCount = 0;
    bool Hilighted = false;
    bool Focused = false;

protected:
    // The control's own visible flag: false only when the control itself was
    // hidden, so controls in a window not yet shown, or on a page in the
    // background, still count as visible.
    bool visibleFlag() const;

    // Common mouse rules; mouseDownCommon returns false for other buttons.
    bool mouseDownCommon(QMouseEvent* e);
    bool mouseUpCommon(QMouseEvent* e);

    // Keys of the value controls (knobs, fader): keypad + and - step, keypad 0
    // sets 0, Enter opens the value editor. True when the key was theirs.
    bool valueKeyPress(QKeyEvent* e);
    bool valueKeyRelease(QKeyEvent* e);
    // A knob drag's move reaches the parameter as a user's change.
    void applyKnobMove(const KnobMove& m);
    // A change the user made; the fader overrides them to move unbound.
    virtual void userSetVal(int v);
    virtual void userStep(int delta);

    // Cached drawing. paintCanvas draws the whole control over the parent
    // background; paintOverlay runs after it with the cache free to be read.
    void invalidate();
    bool canvasReady() const { return canvasValid && !canvas.isNull(); }
    virtual void paintCanvas(QPainter&) {}
    virtual void paintOverlay() {}
    // Device pixels a picture drawn at a logical position touches.
    QRect imageRect(QPoint at, const QPixmap& image) const;
    // The logical rectangle that covers some device pixels.
    QRect logicalCover(const QRect& device) const;
    QPixmap grabCanvas(const QRect& device) const;
    void restoreCanvas(const QRect& device, const QPixmap& piece);
    void renderCanvas();
    QPixmap canvas;

    void paintEvent(QPaintEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void changeEvent(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

    ParamLink link;

private:
    static TWC_CustomControl* pHLFirst;
    TWC_CustomControl* nextHilight = nullptr;
    void unlinkHilight();

    QLabel* valLabel = nullptr;
    QPointer<TB_Image> parentImage;
    bool canvasValid = false;
    int fullRenders = 0;
};
