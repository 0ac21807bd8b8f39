#pragma once

#include <string>
#include <vector>

#include "model/Parameters.h"

// The value side of the parameter-bound controls: binding, set, step,
// relative value, knob geometry, drag rules, fader arithmetic and the LED
// chain's level filter. Nothing here draws, so all of it runs without a
// window.

// The link of one control to its parameter. Attaching first detaches from
// the previous parameter; a control is attached to at most one at a time.
class ParamLink {
public:
    explicit ParamLink(BoundControl* owner);
    ~ParamLink();
    ParamLink(const ParamLink&) = delete;
    ParamLink& operator=(const ParamLink&) = delete;

    // The table of the four modules in Modix order, shared by every control.
    static void SetModul(Modul** table);
    static Modul** Modules();

    // Store the index; attach when the control is visible and the other
    // index is known.
    void setModix(int modix, bool visible);
    void setMcix(int mcix, bool visible);
    void attach();
    void detach();

    int Modix() const { return binding.Modix; }
    int Mcix() const { return binding.Mcix; }
    MCtrl* bound() const { return binding.bound; }
    ControlBinding* link() { return &binding; }

    // The parameter operations; an unbound link reads 0 and ignores writes.
    int getVal() const;
    int getMax() const;
    float getRel() const;
    void setVal(int v);
    void step(int delta);
    void setRel(float r);
    void setValFromCtrl(int v);

private:
    ControlBinding binding;
};

// Pointer angle in radians for a relative value: 300 degrees of travel from
// -150 (lower left) through 0 (straight up) to +150 (lower right).
double KnobAngle(double rel);
// The inverse, for a vector dx to the right and dy upward from the centre.
// Results outside 0..1 end at the nearest end through the parameter's clamp.
double RelFromVector(double dx, double dy);

enum KnobMode : int { ModeHorizontal = 0, ModeVertical = 1, ModeTangent = 2, ModeCircular = 3 };

// The drag anchor shared by all drawn controls: only one drag exists at a
// time in the whole program.
struct DragAnchor {
    int x = 0;
    int y = 0;
    int val = 0;
    float rel = 0.0f;
    bool moving = false;
    bool fine = false;
};

struct KnobMove {
    enum Kind { None, Reanchored, Value, Relative } kind = None;
    int value = 0;
    float rel = 0.0f;
};

// One pointer move of a knob drag. A change of the fine switch re-anchors at
// the current value and moves nothing, so switching never makes the knob jump.
KnobMove KnobDragMove(DragAnchor& anchor, int x, int y, bool fine, int mode, int currentVal, float currentRel);

// Fader arithmetic along one axis. The knob's top-left corner for value v is
// begin + (v - valMin) x factor; a pointer coordinate maps back through the
// knob's centre.
struct FaderScale {
    int valMin = 0;
    int valMax = 100;
    int begin = 0;
    int end = 0;

    double factor() const;
    int knobPos(int v) const;
    int valueAt(int pointer, int halfKnob) const;
};

// Snaps a value to one of `ticks` evenly spaced stops over valMin..valMax;
// ticks 0 leaves it alone.
int SnapToTicks(int v, int valMin, int valMax, int ticks);

enum TWCLVCFilerMode : int { FILTER_OFF = 0, FILTER_LIN = 1, FILTER_LOG = 2 };
enum TWCLVCPiekMode : int { PIEK_OFF = 0, PIEK_AUTO = 1, PIEK_EXTERN = 2 };

// The level, fall-off and peak hold of an LED chain.
class LedChainLevel {
public:
    static constexpr int TimerMs = 20;

    int value = 0;
    int displayed = 0;
    int valMin = 0;
    int valMax = 100;
    int nrLeds = 16;
    int filterMode = FILTER_LOG;
    int piekValue = 0;
    int piekMode = PIEK_AUTO;
    bool piekHoldOnChange = true;
    int fallStep = 0;
    int holdTicks = 0;
    int lastDrawn = 0;
    // First LED index of each colour range.
    std::vector<int> ranges{0};

    int filterMs() const { return filterMs_; }
    void setFilterMs(int ms) { filterMs_ = ms < 20 ? 20 : ms; }
    int piekHoldMs() const { return piekHoldMs_; }
    void setPiekHoldMs(int ms) { piekHoldMs_ = (ms > 0 && ms < 100) ? 100 : ms; }

    // After the value changed: clamp, start the fall or follow at once, and
    // catch a new peak.
    void valueChanged();
    void FilterSet();
    void FilterReset();
    void PiekSet();
    void PiekReset();
    // One 20 ms tick; true when the LEDs must be redrawn.
    bool tick();
    // The level falls or the peak is held: the tick has work.
    bool moving() const { return fallStep != 0 || holdTicks > 0; }

    double scale() const;
    double level() const { return (displayed - valMin) * scale(); }
    double peak() const { return (piekValue - valMin) * scale(); }
    bool lit(int k) const;
    // Image index for LED k: 0 when off or below the first range, else the
    // number of the range it lies in, counted from 1.
    int imageIndex(int k) const;
    // The first LED a partial redraw must cover.
    int firstToRedraw(bool full) const;

private:
    int filterMs_ = 300;
    int piekHoldMs_ = 1000;
};
