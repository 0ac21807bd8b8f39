#include "ControlFixture.h"
#include "controls/LedVuChain.h"

namespace {

using Resources = ControlTest;

QSize logicalSize(const QPixmap& pm)
{
    return (QSizeF(pm.size()) / pm.devicePixelRatio()).toSize();
}

TEST_F(Resources, PicturesFollowTheControlsIndexRules)
{
    const TResForm* res = TResForm::Instance();
    EXPECT_EQ(res->objectName(), QStringLiteral("ResForm"));
    EXPECT_EQ(logicalSize(res->Knob8), QSize(39, 35));
    EXPECT_EQ(logicalSize(res->Knob10), QSize(39, 35));
    const struct {
        const TImageList* list;
        int count;
    } rows[] = {{&res->KnobBlack, 3}, {&res->KnobMetal, 3}, {&res->DotsLight, 3}, {&res->DotsDark, 3},
                {&res->Buttons, 5},   {&res->Leds, 4},      {&res->FaderKnobH, 3}, {&res->FaderKnobV, 3}};
    for (const auto& row : rows) {
        ASSERT_EQ(row.list->count(), row.count);
        for (int i = 0; i < row.count; ++i)
            EXPECT_EQ(logicalSize(row.list->image(i)), row.list->size());
    }
}

TEST_F(Resources, PicturesAreDrawnForTheScreenDensity)
{
    for (qreal dpr : {1.0, 1.5, 2.0}) {
        const TImageList knobs = ControlArt::KnobBodies(ControlArt::KnobStyle::Black, dpr);
        EXPECT_EQ(knobs.image(1).size(), QSize(ControlArt::KnobSize, ControlArt::KnobSize) * dpr);
        const QPixmap disc = ControlArt::KnobDisc(false, Qt::blue, dpr);
        EXPECT_EQ(disc.size(), QSize(qCeil(39 * dpr), qCeil(35 * dpr)));
        EXPECT_EQ(disc.devicePixelRatio(), dpr);
    }
}

TEST_F(Resources, TheTwentyMillisecondTickDrivesTheLedChains)
{
    auto* c = new TWC_LedVuChain(&win());
    c->SetFilterMode(FILTER_LIN);
    c->SetRange(0, 100);
    TResForm* res = TResForm::Instance();
    res->ManualTick = false;
    c->SetVal(100);
    c->SetVal(0);
    // The falling chain wakes the tick, which sleeps again once the fall
    // and the peak hold are over.
    EXPECT_TRUE(res->MS20.isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return c->Level().displayed == 0; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !res->MS20.isActive(); }, 5000));
    EXPECT_FALSE(c->Level().moving());
}

} // namespace
