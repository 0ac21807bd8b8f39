#include <gtest/gtest.h>
#include <cmath>

#include "controls/ControlLogic.h"

namespace {

TEST(KnobGeometry, AngleCoversThreeHundredDegreesAndInvertsBack)
{
    EXPECT_NEAR(KnobAngle(0.0), -150.0 * M_PI / 180.0, 1e-12);
    EXPECT_NEAR(KnobAngle(0.5), 0.0, 1e-12);
    EXPECT_NEAR(KnobAngle(1.0), 150.0 * M_PI / 180.0, 1e-12);
    for (double rel : {0.0, 0.1, 0.25, 0.5, 0.8, 1.0}) {
        const double a = KnobAngle(rel);
        EXPECT_NEAR(RelFromVector(std::sin(a), std::cos(a)), rel, 1e-6) << rel;
    }
    // Straight down lies 30 degrees beyond either end.
    EXPECT_NEAR(RelFromVector(0.0, -1.0), 1.1, 1e-6);
    EXPECT_NEAR(RelFromVector(-0.0, -1.0), -0.1, 1e-6);
}

TEST(KnobDrag, OtherModesMoveNothing)
{
    DragAnchor a;
    a.x = 10;
    a.y = 10;
    const KnobMove m = KnobDragMove(a, 50, 50, false, 7, 0, 0.0f);
    EXPECT_EQ(m.kind, KnobMove::None);
}

TEST(KnobDrag, TheOtherAxisFollowsThePointer)
{
    DragAnchor a;
    a.x = 0;
    a.y = 0;
    a.rel = 0.5f;
    KnobDragMove(a, 30, 7, false, ModeHorizontal, 0, 0.0f);
    EXPECT_EQ(a.y, 7);
    EXPECT_EQ(a.x, 0);
    KnobDragMove(a, 12, -20, false, ModeVertical, 0, 0.0f);
    EXPECT_EQ(a.x, 12);
    EXPECT_EQ(a.y, 7);
}

TEST(FaderArithmetic, SnapsToEvenStopsFromTheLowEnd)
{
    const struct {
        int v, lo, hi, ticks, expected;
    } rows[] = {
        {12, 0, 100, 5, 0},   {13, 0, 100, 5, 25},  {62, 0, 100, 5, 50},   {63, 0, 100, 5, 75},
        {99, 0, 100, 5, 100}, {40, 0, 100, 0, 40},  {40, 0, 100, 3, 50},   {24, 0, 100, 3, 0},
        {30, 10, 110, 5, 35}, {22, 10, 110, 5, 10}, {110, 10, 110, 5, 110}, {5, 0, 127, 2, 0},
        {64, 0, 127, 2, 127},
    };
    for (const auto& r : rows)
        EXPECT_EQ(SnapToTicks(r.v, r.lo, r.hi, r.ticks), r.expected) << r.v << " over " << r.lo << ".." << r.hi;
}

TEST(FaderArithmetic, KnobPositionAndPointerAreInverse)
{
    FaderScale up{0, 127, 127, 0}; // bottom to top, one pixel per step
    EXPECT_EQ(up.knobPos(0), 127);
    EXPECT_EQ(up.knobPos(127), 0);
    EXPECT_EQ(up.valueAt(100 + 8, 8), 27);

    // A range that does not start at 0 still puts its low end at the begin.
    FaderScale offset{10, 110, 0, 200};
    EXPECT_EQ(offset.knobPos(10), 0);
    EXPECT_EQ(offset.knobPos(110), 200);
    EXPECT_EQ(offset.valueAt(100 + 8, 8), 60);

    FaderScale flat{5, 5, 0, 200};
    EXPECT_EQ(flat.factor(), 0.0);
    EXPECT_EQ(flat.valueAt(150, 8), 5);
}

} // namespace
