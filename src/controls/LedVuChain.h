#pragma once

#include <QStringList>

#include "controls/CustomControl.h"
#include "controls/ImageList.h"

// A row of LEDs showing a level, with colour ranges, peak hold and a falling
// display driven by the 20 ms tick. It keeps its own value, which follows the
// parameter while bound. A change redraws only from the lower of the old and
// new level upward.
class TWC_LedVuChain : public TWC_CustomControl {
    Q_OBJECT
public:
    explicit TWC_LedVuChain(QWidget* parent = nullptr);
    ~TWC_LedVuChain() override;

    // Every chain, newest first; the 20 ms tick serves them from the head.
    static TWC_LedVuChain* head;
    // Some chain falls or holds its peak.
    static bool AnyMoving();
    TWC_LedVuChain* Next() const { return next; }

    // LED pictures: 0 off, then one lit picture per colour range.
    void SetLedImagelist(const TImageList* list);
    void SetBGndImage(const QPixmap& picture);
    // First LED index of each colour range, as decimal texts; empty means "0".
    void SetLedRangeList(const QStringList& ranges);
    QStringList LedRangeList() const { return rangeTexts; }
    void SetNrLeds(int n);
    int NrLeds() const { return state.nrLeds; }
    void SetRange(int valMin, int valMax);
    int ValMin() const { return state.valMin; }
    int ValMax() const { return state.valMax; }
    // LED k lies at (PosX + DivX x k, PosY + DivY x k).
    void SetGeometry(int posX, int posY, int divX, int divY);
    void SetFilterMode(int mode);
    void SetFilterMs(int ms);
    void SetPiekValue(int v);
    void SetPiekMode(int mode);
    void SetPiekHoldMs(int ms);
    void SetPiekHoldOnChange(bool on) { state.piekHoldOnChange = on; }

    void SetVal(int v) override;
    int GetVal() const override { return state.value; }
    void ChangeFromMCtrl() override;

    void AutoCalcSize();
    void ValChanged();
    void PaintLeds(bool full);
    void PiekSet()
    {
        state.PiekSet();
        wakeTick();
    }
    void PiekReset() { state.PiekReset(); }
    void FilterSet()
    {
        state.FilterSet();
        wakeTick();
    }
    void FilterReset() { state.FilterReset(); }
    // One 20 ms tick for this chain and every chain after it in the list.
    void OnMS20Timer();

    const LedChainLevel& Level() const { return state; }
    QPoint LedPos(int k) const;
    // Picture index LED k is drawn with now.
    int LedImage(int k) const { return state.imageIndex(k); }

protected:
    void paintCanvas(QPainter& p) override;
    void paintOverlay() override;

private:
    // A chain that starts to fall or hold its peak needs the 20 ms tick.
    void wakeTick();

    LedChainLevel state;
    TWC_LedVuChain* next = nullptr;
    const TImageList* leds = nullptr;
    QPixmap background;
    QPixmap base;
    QStringList rangeTexts{QStringLiteral("0")};
    int posX = 0;
    int posY = 0;
    int divX = 0;
    int divY = 0;
};
