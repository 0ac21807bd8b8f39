// The controls demo window: every kind of control bound to real parameters.
#include <QLabel>

#include "ControlsDemo.h"
#include "controls/ControlFixture.h"
#include "controls/Fader.h"
#include "controls/ImgButton.h"
#include "controls/LedVuChain.h"
#include "controls/ListControls.h"

namespace {

using Demo = ControlTest;

QImage pictureOf(QWidget* w)
{
    return w->grab().toImage();
}

TEST_F(Demo, PlacesEveryKindBoundToRealParameters)
{
    TControlsDemo demo;
    FlushPending();
    int bound = 0;
    for (TWC_CustomControl* c : demo.DrawnControls())
        bound += c->BoundParam() != nullptr;
    // All but the tap button, the three channel buttons and the peak chain.
    EXPECT_EQ(bound, static_cast<int>(demo.DrawnControls().size()) - 5);
    EXPECT_EQ(demo.VolumeKnob->BoundParam(), demo.LevelChain->BoundParam());
    EXPECT_EQ(demo.AmpList->BoundParam(), &preset(McAmpModel));
}

TEST_F(Demo, AKnobTurnReachesEveryControlOnTheSameParameter)
{
    TControlsDemo demo;
    demo.show();
    FlushPending();
    TWC_ImgKnob* volume = demo.VolumeKnob;
    volume->JumpEnabled = true;
    // A click straight right of the centre: 0.8 of the travel.
    press(volume, {46, 26});
    release(volume, {46, 26});
    FlushPending();
    EXPECT_EQ(demo.LevelChain->GetVal(), 102);
    EXPECT_EQ(volume->ValLabel()->text(), QStringLiteral("102"));
}

TEST_F(Demo, HighlightedAndDisabledLooksDiffer)
{
    TControlsDemo demo;
    demo.show();
    FlushPending();
    tick(25);
    const QImage normal = pictureOf(&demo);
    demo.HighlightAll();
    const QImage highlighted = pictureOf(&demo);
    EXPECT_NE(highlighted, normal);
    tick(25);
    EXPECT_EQ(pictureOf(&demo), normal);
    demo.SetControlsEnabled(false);
    EXPECT_NE(pictureOf(&demo), normal);
    // Disabled controls ignore changes of their parameters.
    const int before = demo.LevelChain->GetVal();
    preset(McVolume).SetVal(3);
    FlushPending();
    EXPECT_EQ(demo.LevelChain->GetVal(), before);
}

} // namespace
