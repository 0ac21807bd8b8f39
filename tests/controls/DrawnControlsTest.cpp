#include "ControlFixture.h"
#include "controls/Fader.h"
#include "controls/Knob.h"
#include "controls/LedVuChain.h"

namespace {

using DrawnControls = ControlTest;

QPoint centreOf(const MarkRect& r)
{
    return {(r.left + r.right - 1) / 2, (r.top + r.bottom - 1) / 2};
}

TEST_F(DrawnControls, EightStepScaleMarksSetEighths)
{
    auto* k = new TWC_Knob(&win());
    EXPECT_EQ(k->size(), QSize(39, 35));
    k->SetModix(ModixPreset);
    k->SetMcix(McReverbType); // 0..8: mark k gives the value k
    for (int mark = 8; mark >= 0; --mark) {
        press(k, centreOf(KRArr8[mark]));
        release(k, centreOf(KRArr8[mark]));
        EXPECT_EQ(preset(McReverbType).GetVal(), mark) << "mark " << mark;
    }
    press(k, centreOf(KRArr8[4]));
    EXPECT_FLOAT_EQ(preset(McReverbType).GetRel(), 0.5f);
    EXPECT_TRUE(k->UserChange);
}

TEST_F(DrawnControls, TenStepScaleMarksSetTenths)
{
    auto* k = new TWC_Knob(&win());
    k->SetTenSteps(true);
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    // 127 x k/10 + 0.5001, integer part.
    const int expected[11] = {0, 13, 25, 38, 51, 64, 76, 89, 102, 114, 127};
    for (int mark = 0; mark <= 10; ++mark) {
        press(k, centreOf(KRArr10[mark]));
        release(k, centreOf(KRArr10[mark]));
        EXPECT_EQ(preset(McGain).GetVal(), expected[mark]) << "mark " << mark;
    }
}

TEST_F(DrawnControls, DrawnKnobCentreStartsAStepPerPixelDrag)
{
    auto* k = new TWC_Knob(&win());
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    TWC_CustomControl::MouseDir = ModeVertical;
    preset(McGain).SetVal(50);
    press(k, {18, 17});
    EXPECT_EQ(preset(McGain).GetVal(), 50);
    move(k, {18, 10});
    EXPECT_EQ(preset(McGain).GetVal(), 57);
    move(k, {18, 10}, Qt::ShiftModifier); // no fine switch on the drawn knob
    move(k, {18, 5}, Qt::ShiftModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 62);
    release(k, {18, 5});
    // The corner outside knob and marks does nothing.
    press(k, {37, 33});
    EXPECT_FALSE(TWC_CustomControl::Drag.moving);
    EXPECT_EQ(preset(McGain).GetVal(), 62);
}

TEST_F(DrawnControls, DrawnKnobLineEndFollowsTheValue)
{
    auto* k = new TWC_Knob(&win());
    k->SetModix(ModixPreset);
    k->SetMcix(McReverbType);
    // Relative 0.5 points straight up: (0 + 18, 17 - 13).
    preset(McReverbType).SetVal(4);
    EXPECT_EQ(k->GetLinePos(), QPoint(18, 4));
    // Relative 0 is -150 degrees: sin = -0.5 -> -6, cos = -0.866 -> -11.
    preset(McReverbType).SetVal(0);
    EXPECT_EQ(k->GetLinePos(), QPoint(12, 28));
}

class FaderTest : public ControlTest {
protected:
    // Unbound, 0..100, horizontal from x 0 to 200 (2 pixels per unit), knob
    // 16 pixels wide: a click at x maps to (x - 8) / 2.
    TWC_ImgFader* fader()
    {
        auto* f = new TWC_ImgFader(&win());
        f->SetBGndImage(ControlArt::FaderTrack(QSize(216, 36), 1.0));
        f->SetKnobImagelist(&TResForm::Instance()->FaderKnobH);
        f->SetTravel(0, 2, 200, 2);
        f->SetRange(0, 100);
        return f;
    }
};

TEST_F(FaderTest, JumpSnapsToFiveStops)
{
    TWC_ImgFader* f = fader();
    f->SetCacheTicks(5);
    showActive();
    QCoreApplication::processEvents();
    const struct {
        int x;
        int expected;
    } rows[] = {
        {32, 0},    // 12 -> 0
        {34, 25},   // 13 -> 25
        {128, 50},  // 60 -> 50
        {134, 75},  // 63 -> 75
        {184, 100}, // 88 -> 100
        {208, 100}, // 100 -> 100
        {58, 25},   // 25 -> 25
    };
    for (const auto& row : rows) {
        f->SetVal(row.x < 100 ? 100 : 0); // the knob well away from the click
        press(f, {row.x, 18});
        release(f, {row.x, 18});
        EXPECT_EQ(f->GetVal(), row.expected) << "x " << row.x;
        EXPECT_TRUE(f->Hilighted);
    }
}

TEST_F(FaderTest, CacheTicksOfOneIsRefused)
{
    TWC_ImgFader* f = fader();
    f->SetCacheTicks(5);
    f->SetCacheTicks(1);
    EXPECT_EQ(f->CacheTicks(), 5);
    f->SetCacheTicks(0);
    EXPECT_EQ(f->CacheTicks(), 0);
}

TEST_F(FaderTest, DragOnTheKnobFollowsThePointerAndFineMovesOneStepPerPixel)
{
    TWC_ImgFader* f = fader();
    f->FineEnabled = true;
    showActive();
    f->SetVal(50); // knob at x 100..116
    QCoreApplication::processEvents();
    ASSERT_EQ(f->KnobPos(), QPoint(100, 2));
    press(f, {108, 18});
    EXPECT_EQ(f->GetVal(), 50);
    move(f, {128, 18});
    EXPECT_EQ(f->GetVal(), 60);
    move(f, {128, 18}, Qt::ShiftModifier);
    move(f, {131, 18}, Qt::ShiftModifier);
    EXPECT_EQ(f->GetVal(), 63);
    move(f, {300, 18}); // Shift let go: re-anchors, no jump
    EXPECT_EQ(f->GetVal(), 63);
    move(f, {301, 18}); // coarse past the end: clamped
    EXPECT_EQ(f->GetVal(), 100);
    release(f, {300, 18});
}

TEST_F(FaderTest, BoundFaderTakesTheParameterRange)
{
    auto* f = new TWC_ImgFader(&win());
    f->SetKnobImagelist(&TResForm::Instance()->FaderKnobV);
    f->SetTravel(0, 127, 0, 0); // bottom to top, one pixel per step
    f->SetModix(ModixPreset);
    f->SetMcix(McGain);
    preset(McGain).SetVal(27);
    FlushPending();
    EXPECT_EQ(f->ValMax(), 127);
    EXPECT_EQ(f->GetVal(), 27);
    EXPECT_EQ(f->KnobPos(), QPoint(0, 100));
    key(f, QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 28);
    // Two presses within one tick step twice.
    key(f, QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 29);
    FlushPending();
    key(f, QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier);
    key(f, QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(preset(McGain).GetVal(), 27);
}

TEST_F(FaderTest, EqualRangeEndsDoNotDivideByZero)
{
    TWC_ImgFader* f = fader();
    f->SetRange(5, 5);
    EXPECT_EQ(f->FactorX(), 0.0);
    showActive();
    press(f, {150, 18});
    EXPECT_EQ(f->GetVal(), 5);
}

// ---- LED chain ----

class LedChain : public ControlTest {
protected:
    TWC_LedVuChain* chain()
    {
        auto* c = new TWC_LedVuChain(&win());
        c->SetLedImagelist(&TResForm::Instance()->Leds);
        c->SetGeometry(0, 0, 10, 0);
        c->SetRange(0, 100);
        return c;
    }
};

TEST_F(LedChain, ADisabledChainDrawsNoLeds)
{
    TWC_LedVuChain* c = chain();
    c->SetVal(60);
    auto* bare = new TWC_LedVuChain(&win());
    bare->SetGeometry(0, 0, 10, 0);
    bare->resize(c->size());
    showActive();
    const QImage withoutLeds = bare->grab().toImage();
    ASSERT_NE(c->grab().toImage(), withoutLeds);
    c->SetEnabled(false);
    EXPECT_EQ(c->grab().toImage(), withoutLeds);
}

TEST_F(LedChain, LinearFallDropsSixUnitsPerTick)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_LIN);
    c->SetFilterMs(300);
    c->SetVal(100);
    EXPECT_EQ(c->Level().displayed, 100); // rises are immediate
    c->SetVal(0);
    EXPECT_EQ(c->Level().fallStep, 6); // 100 x 20 / 300
    std::vector<int> seen;
    for (int i = 0; i < 18; ++i) {
        c->OnMS20Timer();
        seen.push_back(c->Level().displayed);
    }
    const std::vector<int> expected{94, 88, 82, 76, 70, 64, 58, 52, 46, 40, 34, 28, 22, 16, 10, 4, 0, 0};
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(c->Level().fallStep, 0);
}

TEST_F(LedChain, LogarithmicFallRecomputesTheStepAndNeverStopsShort)
{
    LedChainLevel level;
    level.filterMode = FILTER_LOG;
    level.setFilterMs(300);
    level.piekMode = PIEK_OFF;
    level.value = 100;
    level.valueChanged();
    level.value = 0;
    level.valueChanged();
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        level.tick();
        seen.push_back(level.displayed);
    }
    // Steps 6, 6, 5, 5, 5: each |displayed - value| x 20 / 300.
    EXPECT_EQ(seen, (std::vector<int>{94, 88, 83, 78, 73, 69}));
    int ticks = 6;
    while (level.displayed != 0 && ticks < 1000) {
        EXPECT_GE(level.fallStep, 1);
        level.tick();
        ++ticks;
    }
    EXPECT_EQ(level.displayed, 0);
    level.tick();
    EXPECT_EQ(level.fallStep, 0);
}

TEST_F(LedChain, FilterOffFollowsAtOnce)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_OFF);
    c->SetVal(80);
    c->SetVal(10);
    EXPECT_EQ(c->Level().displayed, 10);
}

TEST_F(LedChain, PeakHoldOf50msIsStoredAs100AndLastsFiveTicks)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_OFF);
    c->SetPiekHoldMs(50);
    EXPECT_EQ(c->Level().piekHoldMs(), 100);
    c->SetVal(80);
    c->SetVal(20);
    EXPECT_EQ(c->Level().piekValue, 80);
    for (int i = 1; i <= 4; ++i) {
        c->OnMS20Timer();
        EXPECT_EQ(c->Level().piekValue, 80) << "tick " << i;
    }
    c->OnMS20Timer();
    EXPECT_EQ(c->Level().piekValue, 20);
}

TEST_F(LedChain, PeakHoldSettings)
{
    LedChainLevel level;
    level.setPiekHoldMs(1);
    EXPECT_EQ(level.piekHoldMs(), 100);
    level.setPiekHoldMs(0);
    EXPECT_EQ(level.piekHoldMs(), 0);
    level.setPiekHoldMs(250);
    EXPECT_EQ(level.piekHoldMs(), 250);
    level.setFilterMs(5);
    EXPECT_EQ(level.filterMs(), 20);
}

TEST_F(LedChain, RangesChooseTheLitPicture)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_OFF);
    c->SetPiekMode(PIEK_OFF);
    c->SetLedRangeList({QStringLiteral("0"), QStringLiteral("10"), QStringLiteral("14")});
    c->SetVal(100);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(c->LedImage(k), k < 10 ? 1 : (k < 14 ? 2 : 3)) << "LED " << k;
    // Half way: level 7.5 lights LEDs 0..7.
    c->SetVal(50);
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(c->LedImage(k), k <= 7 ? 1 : 0) << "LED " << k;
    c->SetLedRangeList({});
    EXPECT_EQ(c->LedRangeList(), QStringList{QStringLiteral("0")});
}

TEST_F(LedChain, LedsBelowTheFirstRangeUseTheOffPicture)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_OFF);
    c->SetPiekMode(PIEK_OFF);
    c->SetLedRangeList({QStringLiteral("4")});
    c->SetVal(100);
    EXPECT_EQ(c->LedImage(3), 0);
    EXPECT_EQ(c->LedImage(4), 1);
}

TEST_F(LedChain, BoundChainFollowsTheParameter)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_OFF);
    c->SetModix(ModixPreset);
    c->SetMcix(McGain);
    preset(McGain).SetVal(127);
    FlushPending();
    EXPECT_EQ(c->ValMax(), 127);
    EXPECT_EQ(c->GetVal(), 127);
    EXPECT_EQ(c->LedImage(15), 1);
}

TEST_F(LedChain, ChainsLeaveTheTimerListWhenDestroyed)
{
    TWC_LedVuChain* a = chain();
    TWC_LedVuChain* b = chain();
    EXPECT_EQ(TWC_LedVuChain::head, b);
    EXPECT_EQ(b->Next(), a);
    delete b;
    EXPECT_EQ(TWC_LedVuChain::head, a);
    delete a;
    EXPECT_EQ(TWC_LedVuChain::head, nullptr);
}

TEST_F(LedChain, APartialRedrawLooksLikeAFullOne)
{
    TWC_LedVuChain* c = chain();
    c->SetFilterMode(FILTER_LIN);
    showActive();
    c->SetVal(90);
    QCoreApplication::processEvents();
    c->SetVal(30);
    for (int i = 0; i < 4; ++i)
        c->OnMS20Timer();
    const QImage partial = c->grab().toImage();
    c->SetEnabled(true);
    EXPECT_EQ(c->grab().toImage(), partial);
}

} // namespace

namespace {

QImage pictureOf(QWidget* w)
{
    return w->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST_F(DrawnControls, DrawnKnobRedrawsOnlyItsLineAndLooksLikeAFullRedraw)
{
    auto* k = new TWC_Knob(&win());
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    showActive();
    k->setFocus();
    FlushPending();
    pictureOf(k);
    for (int v : {0, 30, 64, 100, 127}) {
        const int before = k->FullRenderCount();
        preset(McGain).SetVal(v);
        FlushPending();
        const QImage partial = pictureOf(k);
        EXPECT_EQ(k->FullRenderCount(), before) << v;
        k->SetEnabled(true);
        EXPECT_EQ(pictureOf(k), partial) << v;
    }
}

TEST_F(FaderTest, AKnobMoveRedrawsOnlyTheKnobAndLooksLikeAFullRedraw)
{
    TWC_ImgFader* f = fader();
    showActive();
    f->setFocus();
    pictureOf(f);
    for (int v : {0, 10, 55, 100}) {
        const int before = f->FullRenderCount();
        f->SetVal(v);
        const QImage partial = pictureOf(f);
        EXPECT_EQ(f->FullRenderCount(), before) << v;
        f->SetEnabled(true);
        EXPECT_EQ(pictureOf(f), partial) << v;
    }
}

} // namespace
