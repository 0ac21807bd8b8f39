#include "ControlFixture.h"
#include "controls/ImgButton.h"

#include <QHelpEvent>
#include <QToolTip>

namespace {

class ImageButton : public ControlTest {
protected:
    TWC_ImgButton* button(QWidget* parent, int mcix = -1)
    {
        auto* b = new TWC_ImgButton(parent);
        b->SetImageList(&TResForm::Instance()->Buttons);
        if (mcix >= 0) {
            b->SetModix(ModixPreset);
            b->SetMcix(mcix);
            FlushPending();
        }
        return b;
    }
    static QPoint mid(QWidget* w) { return w->rect().center(); }
};

TEST_F(ImageButton, NoHintFromButtonDownToButtonUp)
{
    TWC_ImgButton* b = button(&win());
    b->SetIsPushButton(true);
    TWC_ImgKnob* k = imageKnob(McGain);
    k->move(100, 0);
    showActive();
    // What the hint shows when the pointer rests on a control now.
    auto hintOver = [](QWidget* w, const char* text) {
        QToolTip::hideText();
        w->setToolTip(QString::fromLatin1(text));
        QHelpEvent e(QEvent::ToolTip, mid(w), w->mapToGlobal(mid(w)));
        QCoreApplication::sendEvent(w, &e);
        return QToolTip::text();
    };
    EXPECT_EQ(hintOver(b, "button before"), QStringLiteral("button before"));
    press(b, mid(b));
    EXPECT_NE(hintOver(b, "button held"), QStringLiteral("button held"));
    release(b, mid(b));
    EXPECT_EQ(hintOver(b, "button after"), QStringLiteral("button after"));

    // A knob's jump (a click outside its dot circle) is a press as well.
    press(k, {2, 26});
    EXPECT_NE(hintOver(k, "knob held"), QStringLiteral("knob held"));
    release(k, {2, 26});
    EXPECT_EQ(hintOver(k, "knob after"), QStringLiteral("knob after"));
    QToolTip::hideText();
}

TEST_F(ImageButton, BoundPushButtonGivesOneOnPressAndZeroOnRelease)
{
    TWC_ImgButton* b = button(&win(), McDriveOn);
    b->SetIsPushButton(true);
    press(b, mid(b));
    EXPECT_EQ(preset(McDriveOn).GetVal(), 1);
    EXPECT_TRUE(b->UserChange);
    FlushPending();
    EXPECT_TRUE(b->Down());
    release(b, mid(b));
    EXPECT_EQ(preset(McDriveOn).GetVal(), 0);
    FlushPending();
    EXPECT_FALSE(b->Down());

    // The same with Space held and let go.
    key(b, QEvent::KeyPress, Qt::Key_Space);
    EXPECT_EQ(preset(McDriveOn).GetVal(), 1);
    key(b, QEvent::KeyRelease, Qt::Key_Space);
    EXPECT_EQ(preset(McDriveOn).GetVal(), 0);
}

TEST_F(ImageButton, ToggleButtonFlipsOnEachClickAndOnEnter)
{
    TWC_ImgButton* b = button(&win(), McEffectsOn);
    for (int expected : {1, 0, 1}) {
        press(b, mid(b));
        release(b, mid(b));
        FlushPending();
        EXPECT_EQ(preset(McEffectsOn).GetVal(), expected);
    }
    key(b, QEvent::KeyPress, Qt::Key_Return);
    key(b, QEvent::KeyRelease, Qt::Key_Return);
    FlushPending();
    EXPECT_EQ(preset(McEffectsOn).GetVal(), 0);
}

TEST_F(ImageButton, UnboundButtonKeepsItsOwnState)
{
    TWC_ImgButton* b = button(&win());
    EXPECT_FALSE(b->Down());
    press(b, mid(b));
    release(b, mid(b));
    EXPECT_TRUE(b->Down());
    EXPECT_EQ(b->GetVal(), 1);
    b->SetVal(0);
    EXPECT_FALSE(b->Down());
}

TEST_F(ImageButton, PushAndRadioExcludeEachOther)
{
    TWC_ImgButton* b = button(&win());
    b->SetIsRadioButton(true);
    b->SetIsPushButton(true);
    EXPECT_FALSE(b->IsPushButton());
    b->SetIsRadioButton(false);
    b->SetIsPushButton(true);
    b->SetIsRadioButton(true);
    EXPECT_FALSE(b->IsPushButton());
    EXPECT_TRUE(b->IsRadioButton());
}

TEST_F(ImageButton, RadioGroupAlwaysKeepsOneMemberDown)
{
    QWidget* group = new QWidget(&win());
    std::vector<TWC_ImgButton*> r;
    for (int i = 0; i < 3; ++i) {
        r.push_back(button(group));
        r.back()->SetIsRadioButton(true);
    }
    // A plain button on the same parent is not part of the group.
    TWC_ImgButton* other = button(group);
    other->SetDown(true);

    auto downs = [&] { return std::vector<bool>{r[0]->Down(), r[1]->Down(), r[2]->Down()}; };
    press(r[1], mid(r[1]));
    release(r[1], mid(r[1]));
    EXPECT_EQ(downs(), (std::vector<bool>{false, true, false}));
    press(r[2], mid(r[2]));
    release(r[2], mid(r[2]));
    EXPECT_EQ(downs(), (std::vector<bool>{false, false, true}));
    // Clicking the member that is down keeps it down.
    press(r[2], mid(r[2]));
    release(r[2], mid(r[2]));
    EXPECT_EQ(downs(), (std::vector<bool>{false, false, true}));
    // Putting the down member up puts the first other member down.
    r[2]->SetDown(false);
    EXPECT_EQ(downs(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(other->Down());
}

TEST_F(ImageButton, BoundRadioGroupSettlesAfterTheFlush)
{
    QWidget* group = new QWidget(&win());
    std::vector<TWC_ImgButton*> r;
    for (int mcix : {int(McEffectsOn), 11, int(McDriveOn)}) {
        r.push_back(button(group, mcix));
        r.back()->SetIsRadioButton(true);
    }
    press(r[0], mid(r[0]));
    release(r[0], mid(r[0]));
    FlushPending();
    press(r[2], mid(r[2]));
    release(r[2], mid(r[2]));
    FlushPending();
    EXPECT_EQ(preset(McEffectsOn).GetVal(), 0);
    EXPECT_EQ(preset(McReverbOn).GetVal(), 0);
    EXPECT_EQ(preset(McDriveOn).GetVal(), 1);
}

// Disabled, up, down, up highlighted, down highlighted: five different looks.
TEST_F(ImageButton, DrawsTheFiveStates)
{
    TWC_ImgButton* b = button(&win());
    auto picture = [](QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_ARGB32); };
    const struct {
        bool enabled, down, hilighted;
    } rows[] = {{false, false, false}, {true, false, false}, {true, true, false}, {true, false, true}, {true, true, true}};
    std::vector<QImage> seen;
    for (const auto& row : rows) {
        b->SetDown(row.down);
        b->Hilighted = row.hilighted;
        b->SetEnabled(row.enabled);
        seen.push_back(picture(b));
    }
    for (size_t i = 0; i < seen.size(); ++i)
        for (size_t j = i + 1; j < seen.size(); ++j)
            EXPECT_NE(seen[i], seen[j]) << i << " " << j;
}

} // namespace
