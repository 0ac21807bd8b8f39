#include "controls/ControlLogic.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "model/Trace.h"

namespace {
Modul** moduleTable = nullptr;
constexpr int ModuleCount = 4;
}

// ---- ParamLink ----

ParamLink::ParamLink(BoundControl* owner)
{
    binding.control = owner;
}

ParamLink::~ParamLink()
{
    detach();
}

void ParamLink::SetModul(Modul** table)
{
    moduleTable = table;
}

Modul** ParamLink::Modules()
{
    return moduleTable;
}

void ParamLink::setModix(int modix, bool visible)
{
    binding.Modix = modix;
    if (visible && binding.Mcix >= 0 && moduleTable)
        attach();
}

void ParamLink::setMcix(int mcix, bool visible)
{
    binding.Mcix = mcix;
    if (visible && binding.Modix >= 0 && moduleTable)
        attach();
}

void ParamLink::attach()
{
    detach();
    if (!moduleTable)
        return;
    const int modix = binding.Modix;
    const int mcix = binding.Mcix;
    // A layout naming a parameter that does not exist stays unbound rather
    // than reaching past the module's end.
    if (modix < 0 || modix >= ModuleCount || !moduleTable[modix] || mcix < 0 || mcix >= moduleTable[modix]->count()) {
        TraceLine(1, "control bound to missing parameter %d/%d", modix, mcix);
        return;
    }
    binding.bound = moduleTable[modix]->AttachToCtrl(&binding, mcix);
}

void ParamLink::detach()
{
    if (binding.bound)
        binding.bound->Detach(&binding);
    binding.bound = nullptr;
    binding.next = nullptr;
}

int ParamLink::getVal() const
{
    return binding.bound ? binding.bound->GetVal() : 0;
}

int ParamLink::getMax() const
{
    return binding.bound ? binding.bound->GetMax() : 0;
}

float ParamLink::getRel() const
{
    return binding.bound ? binding.bound->GetRel() : 0.0f;
}

void ParamLink::setVal(int v)
{
    if (binding.bound)
        binding.bound->SetVal(v);
}

void ParamLink::step(int delta)
{
    if (binding.bound)
        binding.bound->Step(delta);
}

void ParamLink::setRel(float r)
{
    if (binding.bound)
        binding.bound->SetRel(r);
}

void ParamLink::setValFromCtrl(int v)
{
    if (binding.bound)
        binding.bound->SetValFromCtrl(v);
}

// ---- knob geometry and drag ----

double KnobAngle(double rel)
{
    return rel * 5.235987755982989 - 2.6179938779914944;
}

double RelFromVector(double dx, double dy)
{
    return std::atan2(dx, dy) * 0.1909859392993735 + 0.5;
}

KnobMove KnobDragMove(DragAnchor& a, int x, int y, bool fine, int mode, int currentVal, float currentRel)
{
    KnobMove m;
    if (fine != a.fine) {
        a.x = x;
        a.y = y;
        a.val = currentVal;
        a.rel = currentRel;
        a.fine = fine;
        m.kind = KnobMove::Reanchored;
        return m;
    }
    if (mode == ModeTangent)
        mode = std::abs(x - a.x) > std::abs(a.y - y) ? ModeHorizontal : ModeVertical;
    switch (mode) {
    case ModeHorizontal:
    case ModeVertical: {
        const int delta = mode == ModeHorizontal ? x - a.x : a.y - y;
        if (fine) {
            m.kind = KnobMove::Value;
            m.value = a.val + delta;
        } else {
            m.kind = KnobMove::Relative;
            m.rel = a.rel + static_cast<float>(delta) * 0.005f;
        }
        // The other axis follows the pointer so that a later switch of the
        // dominant axis in tangent mode starts from here.
        if (mode == ModeHorizontal)
            a.y = y;
        else
            a.x = x;
        break;
    }
    case ModeCircular: {
        const int dx = x - a.x;
        const int dy = a.y - y;
        if (dx == 0 && dy == 0)
            break;
        m.kind = KnobMove::Relative;
        m.rel = static_cast<float>(RelFromVector(dx, dy));
        break;
    }
    default:
        break;
    }
    return m;
}

// ---- fader ----

double FaderScale::factor() const
{
    if (valMax == valMin)
        return 0.0;
    return static_cast<double>(end - begin) / static_cast<double>(valMax - valMin);
}

int FaderScale::knobPos(int v) const
{
    return static_cast<int>(std::trunc((v - valMin) * factor() + begin));
}

int FaderScale::valueAt(int pointer, int halfKnob) const
{
    const double f = factor();
    if (f == 0.0)
        return valMin;
    return static_cast<int>(std::trunc((pointer - begin - halfKnob) / f)) + valMin;
}

int SnapToTicks(int v, int valMin, int valMax, int ticks)
{
    if (ticks <= 1)
        return v;
    const double step = static_cast<double>(valMax - valMin) / (ticks - 1);
    if (step == 0.0)
        return v;
    const double rel = v - valMin;
    return static_cast<int>(std::trunc(std::trunc((rel + step * 0.5) / step) * step + 0.5)) + valMin;
}

// ---- LED chain level ----

void LedChainLevel::valueChanged()
{
    value = std::clamp(value, std::min(valMin, valMax), std::max(valMin, valMax));
    if (filterMode == FILTER_OFF)
        displayed = value;
    else if (displayed != value)
        FilterSet();
    if (piekMode == PIEK_AUTO && (piekValue < value || (piekHoldOnChange && value != piekValue)))
        PiekSet();
}

void LedChainLevel::FilterSet()
{
    if (displayed < value)
        displayed = value;
    if (filterMode != FILTER_OFF && filterMs_ != 0 && displayed != value) {
        const int range = filterMode == FILTER_LIN ? valMax - valMin : displayed - value;
        fallStep = std::abs(range) * TimerMs / filterMs_;
        if (fallStep == 0)
            fallStep = 1;
    } else {
        fallStep = 0;
    }
}

void LedChainLevel::FilterReset()
{
    if (filterMs_ == 0) {
        displayed = value;
    } else if (value < displayed) {
        // A fixed step may pass the target; the level stops at it instead of
        // dipping below for one tick.
        displayed = std::max(displayed - fallStep, value);
        if (filterMode == FILTER_LOG)
            FilterSet();
    } else {
        FilterSet();
    }
}

void LedChainLevel::PiekSet()
{
    if (piekValue < value)
        PiekReset();
    holdTicks = (piekMode == PIEK_AUTO && piekHoldMs_ != 0) ? piekHoldMs_ / TimerMs : 0;
}

void LedChainLevel::PiekReset()
{
    piekValue = value;
}

bool LedChainLevel::tick()
{
    bool repaint = false;
    if (holdTicks > 0) {
        if (--holdTicks == 0) {
            PiekReset();
            repaint = true;
        }
    }
    if (fallStep != 0) {
        FilterReset();
        repaint = true;
    }
    return repaint;
}

double LedChainLevel::scale() const
{
    if (valMax == valMin)
        return 0.0;
    return static_cast<double>(nrLeds - 1) / (valMax - valMin);
}

bool LedChainLevel::lit(int k) const
{
    const double lv = level();
    if (lv != 0.0 && lv >= k)
        return true;
    return piekMode != PIEK_OFF && static_cast<int>(std::trunc(peak())) == k;
}

int LedChainLevel::imageIndex(int k) const
{
    if (!lit(k))
        return 0;
    int index = 0;
    for (size_t j = 0; j < ranges.size(); ++j) {
        if (k >= ranges[j])
            index = static_cast<int>(j) + 1;
    }
    return index;
}

int LedChainLevel::firstToRedraw(bool full) const
{
    if (full)
        return 0;
    return std::max(0, std::min(lastDrawn, static_cast<int>(std::trunc(level()))));
}
