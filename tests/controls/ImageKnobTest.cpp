#include "ControlFixture.h"

namespace {

using ImageKnob = ControlTest;

TEST_F(ImageKnob, ClickInsideDotCircleStartsDragWithoutJumping)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    preset(McGain).SetVal(64);
    press(k, {26 + 6, 26 - 6}); // 8.5 pixels from the centre, radius 10
    EXPECT_EQ(preset(McGain).GetVal(), 64);
    EXPECT_TRUE(TWC_CustomControl::Drag.moving);
    EXPECT_FALSE(k->UserChange);
    release(k, {32, 20});
    EXPECT_FALSE(TWC_CustomControl::Drag.moving);
}

TEST_F(ImageKnob, ClickOutsideDotCircleJumpsToTheClickedAngle)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    // Straight right of the centre is +90 degrees: 0.8 of the travel,
    // 127 x 0.8 + 0.5001 = 102.1.
    press(k, {26 + 20, 26});
    EXPECT_EQ(preset(McGain).GetVal(), 102);
    EXPECT_TRUE(k->UserChange);
    EXPECT_FALSE(TWC_CustomControl::Drag.moving);
    release(k, {46, 26});

    // Straight up is the middle: 63.5 + 0.5 = 64.
    press(k, {26, 26 - 20});
    EXPECT_EQ(preset(McGain).GetVal(), 64);
    release(k, {26, 6});

    // Straight below the centre lies beyond the end of the travel.
    press(k, {26, 26 + 22});
    EXPECT_EQ(preset(McGain).GetVal(), 127);
    release(k, {26, 48});
}

TEST_F(ImageKnob, WithoutJumpEveryClickStartsADrag)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->JumpEnabled = false;
    preset(McGain).SetVal(30);
    press(k, {50, 26});
    EXPECT_EQ(preset(McGain).GetVal(), 30);
    EXPECT_TRUE(TWC_CustomControl::Drag.moving);
}

TEST_F(ImageKnob, TangentModeTreatsATieAsVertical)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->JumpEnabled = false;
    TWC_CustomControl::MouseDir = ModeTangent;
    preset(McGain).SetVal(64);
    press(k, {30, 30});
    // 10 left and 10 up: vertical gives 64/127 + 0.05 -> 70, horizontal would
    // give 64/127 - 0.05 -> 58.
    move(k, {20, 20});
    EXPECT_EQ(preset(McGain).GetVal(), 70);
    EXPECT_TRUE(k->UserChange);
    release(k, {20, 20});

    // One pixel more to the side than up is horizontal.
    preset(McGain).SetVal(64);
    press(k, {30, 30});
    move(k, {19, 20});
    // 64/127 - 11 x 0.005 = 0.44894 -> 57.0 + 0.5 -> 57.
    EXPECT_EQ(preset(McGain).GetVal(), 57);
}

TEST_F(ImageKnob, HorizontalAndVerticalCoarseDragsCoverTheRangeIn200Pixels)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->JumpEnabled = false;
    for (int mode : {ModeHorizontal, ModeVertical}) {
        TWC_CustomControl::MouseDir = mode;
        preset(McGain).SetVal(0);
        press(k, {0, 200});
        move(k, mode == ModeHorizontal ? QPoint(100, 200) : QPoint(0, 100));
        EXPECT_EQ(preset(McGain).GetVal(), 64) << "mode " << mode; // 63.5 + 0.5001
        move(k, mode == ModeHorizontal ? QPoint(200, 200) : QPoint(0, 0));
        EXPECT_EQ(preset(McGain).GetVal(), 127) << "mode " << mode;
        release(k, {0, 0});
    }
}

TEST_F(ImageKnob, FineModeMovesOneStepPerPixelAndShiftMidwayNeverJumps)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->JumpEnabled = false;
    k->FineEnabled = true;
    TWC_CustomControl::MouseDir = ModeVertical;
    preset(McGain).SetVal(64);

    press(k, {26, 50});
    move(k, {26, 30}); // coarse: 64/127 + 0.1 = 0.60394 -> 76.7 + 0.5 -> 77
    ASSERT_EQ(preset(McGain).GetVal(), 77);

    move(k, {26, 30}, Qt::ShiftModifier); // re-anchors only
    EXPECT_EQ(preset(McGain).GetVal(), 77);
    move(k, {26, 25}, Qt::ShiftModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 82);
    move(k, {26, 26}, Qt::ShiftModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 81);

    move(k, {26, 6}); // Shift let go far from the fine anchor: no jump
    EXPECT_EQ(preset(McGain).GetVal(), 81);
    move(k, {26, -14}); // coarse again from 81: 81/127 + 0.1 -> 93.7 + 0.5 -> 94
    EXPECT_EQ(preset(McGain).GetVal(), 94);
    release(k, {26, -14});
}

TEST_F(ImageKnob, CircularModeFollowsTheAngleAroundThePressPoint)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->JumpEnabled = false;
    TWC_CustomControl::MouseDir = ModeCircular;
    preset(McGain).SetVal(10);
    press(k, {26, 26});
    move(k, {26, 26}); // no movement: nothing
    EXPECT_EQ(preset(McGain).GetVal(), 10);
    move(k, {16, 26}); // straight left: -90 degrees -> 0.2 -> 25.4 + 0.5 -> 25
    EXPECT_EQ(preset(McGain).GetVal(), 25);
}

TEST_F(ImageKnob, KeypadKeysStepAndZero)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    preset(McGain).SetVal(50);
    key(k, QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    key(k, QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    key(k, QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 51);
    EXPECT_TRUE(k->UserChange);
    // The main keyboard's plus is not the keypad's.
    key(k, QEvent::KeyPress, Qt::Key_Plus);
    EXPECT_EQ(preset(McGain).GetVal(), 51);
    key(k, QEvent::KeyRelease, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 0);
}

TEST_F(ImageKnob, UnboundKnobDoesNothing)
{
    auto* k = new TWC_ImgKnob(&win());
    k->SetBGndImagelist(&TResForm::Instance()->KnobBlack);
    k->SetKnobMid(26, 26);
    press(k, {50, 26});
    key(k, QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(k->GetVal(), 0);
    EXPECT_EQ(k->BoundParam(), nullptr);
}

QImage knobPicture(QWidget* k)
{
    return k->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(ImageKnob, NullIsOffHidesTheDotAtZeroOnly)
{
    TWC_ImgKnob* withRule = imageKnob(McEffectsOn);
    withRule->SetNullIsOff(true);
    TWC_ImgKnob* plain = imageKnob(McEffectsOn);
    // The same knob with invisible dots shows the body alone.
    QPixmap clear(8, 8);
    clear.fill(Qt::transparent);
    TImageList noDots(QSize(8, 8), {clear, clear, clear});
    TWC_ImgKnob* bodyOnly = imageKnob(McEffectsOn);
    bodyOnly->SetDotImagelist(&noDots);
    ASSERT_EQ(preset(McEffectsOn).GetVal(), 0);
    EXPECT_FALSE(withRule->DotShown());
    EXPECT_TRUE(plain->DotShown());
    const QImage body = knobPicture(bodyOnly);
    EXPECT_EQ(knobPicture(withRule), body);
    EXPECT_NE(knobPicture(plain), body);

    preset(McEffectsOn).SetVal(1);
    FlushPending();
    EXPECT_TRUE(withRule->DotShown());
    EXPECT_EQ(knobPicture(withRule), knobPicture(plain));
}

TEST_F(ImageKnob, AValueChangeRedrawsOnlyTheDotAndLooksLikeAFullRedraw)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    showActive();
    k->setFocus();
    ASSERT_TRUE(k->Focused);
    QCoreApplication::processEvents();
    ASSERT_TRUE(k->Hilighted);
    k->grab();
    int full = k->FullRenderCount();

    for (int v : {10, 40, 90, 127}) {
        preset(McGain).SetVal(v);
        FlushPending();
        const QImage incremental = knobPicture(k);
        EXPECT_EQ(k->FullRenderCount(), full) << v;
        k->FullRepaint = true;
        k->SetEnabled(true); // forces a whole redraw
        const QImage whole = knobPicture(k);
        k->FullRepaint = false;
        EXPECT_EQ(incremental, whole) << v;
        EXPECT_GT(k->FullRenderCount(), full);
        k->grab();
        full = k->FullRenderCount();
    }
}

TEST_F(ImageKnob, FullRepaintRedrawsTheWholeKnob)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->FullRepaint = true;
    showActive();
    k->setFocus();
    k->grab();
    const int before = k->FullRenderCount();
    preset(McGain).SetVal(99);
    FlushPending();
    k->grab();
    EXPECT_EQ(k->FullRenderCount(), before + 1);
}

TEST_F(ImageKnob, ImageIndexFollowsStateOnlyWithThreeImagesInBothLists)
{
    // With a body list of another size the knob always draws image 0, the
    // disabled look: the highlighted knob then looks like the disabled one.
    TResForm* res = TResForm::Instance();
    TImageList single(res->KnobBlack.size(), {res->KnobBlack.image(1)});
    auto* k = imageKnob(McGain);
    k->SetBGndImagelist(&single);
    k->SetDotImagelist(nullptr);
    k->Hilighted = true;
    k->SetEnabled(true);
    const QImage a = knobPicture(k);
    k->Hilighted = false;
    k->SetEnabled(true);
    EXPECT_EQ(knobPicture(k), a);
}

} // namespace
