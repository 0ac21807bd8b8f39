// Time of one image knob value change, from SetVal through the parameter
// flush to the end of the knob's repaint, for the dot-only path and for a
// full repaint. Runs offscreen.
#include <QApplication>
#include <QEvent>
#include <benchmark/benchmark.h>

#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/ImgKnob.h"
#include "controls/ResForm.h"
#include "model/Parameters.h"

namespace {

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// With a window background picture the knob first copies the part of the
// picture under itself, as on the editor windows.
void KnobChange(benchmark::State& state, bool fullRepaint, bool background)
{
    QWidget window;
    window.resize(200, 200);
    TB_Image* picture = nullptr;
    if (background) {
        picture = new TB_Image(&window);
        picture->SetPicture(ControlArt::Panel(QSize(200, 200), qApp->devicePixelRatio()));
    }
    auto* knob = new TWC_ImgKnob(&window);
    knob->move(60, 60);
    knob->SetParentImage(picture);
    TResForm* res = TResForm::Create();
    knob->SetBGndImagelist(&res->KnobBlack);
    knob->SetDotImagelist(&res->DotsLight);
    knob->SetKnobMid(ControlArt::KnobSize / 2, ControlArt::KnobSize / 2);
    knob->SetDotPos(ControlArt::KnobDotRadius);
    knob->FullRepaint = fullRepaint;
    knob->SetModix(ModixPreset);
    knob->SetMcix(GuitarPreset::Gain);
    window.show();
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    knob->setFocus();
    PaintCounter counter;
    knob->installEventFilter(&counter);
    QCoreApplication::processEvents();
    FlushPending();
    QCoreApplication::processEvents();

    int value = 0;
    long missed = 0;
    for (auto _ : state) {
        value = (value + 7) % 128;
        const int before = counter.paints;
        Param(GuitarPreset::Gain).SetVal(value);
        FlushPending();
        for (int spin = 0; counter.paints == before && spin < 1000; ++spin)
            QCoreApplication::processEvents();
        if (counter.paints == before)
            ++missed;
    }
    state.counters["full_renders"] = knob->FullRenderCount();
    state.counters["missed_paints"] = static_cast<double>(missed);
    state.counters["focused"] = knob->Focused ? 1 : 0;
}

void DotOnly(benchmark::State& state)
{
    KnobChange(state, false, false);
}

void FullRepaint(benchmark::State& state)
{
    KnobChange(state, true, false);
}

void DotOnlyOnBackground(benchmark::State& state)
{
    KnobChange(state, false, true);
}

void FullRepaintOnBackground(benchmark::State& state)
{
    KnobChange(state, true, true);
}

BENCHMARK(DotOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRepaint)->Unit(benchmark::kMicrosecond);
BENCHMARK(DotOnlyOnBackground)->Unit(benchmark::kMicrosecond);
BENCHMARK(FullRepaintOnBackground)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CreateModules();
    TWC_CustomControl::SetModul(ModuleTable);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    DestroyModules();
    return 0;
}
