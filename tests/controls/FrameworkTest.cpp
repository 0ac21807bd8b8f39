#include <QDialog>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>

#include "ControlFixture.h"
#include "app/ApplicationFilter.h"
#include "controls/ListControls.h"

namespace {

// With the program's key filter, which turns Enter and Escape in the value
// editor into its confirm and cancel keys.
class Framework : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        qApp->installEventFilter(&keys);
    }
    void TearDown() override
    {
        qApp->removeEventFilter(&keys);
        ControlTest::TearDown();
    }

    // A knob on Gain with a value label and the shared value editor; the
    // parser accepts decimal numbers and leaves the value alone otherwise.
    TWC_ImgKnob* knobWithLabel()
    {
        TWC_ImgKnob* k = imageKnob(McGain);
        k->move(20, 20);
        label = new QLabel(&win());
        label->setGeometry(20, 80, 52, 18);
        edit = new QLineEdit(&win());
        edit->resize(40, 20);
        TWC_CustomControl::SetValEdit(edit);
        k->SetValLabel(label);
        k->OnValToText = [](QLabel* l, int v) { l->setText(QString::number(v)); };
        k->OnTextToVal = [](QLineEdit* e, int& v) {
            bool ok = false;
            const int typed = e->text().toInt(&ok);
            if (ok)
                v = typed;
        };
        return k;
    }

    void openEditor(TWC_ImgKnob* k)
    {
        QTest::mouseClick(label, Qt::LeftButton);
        ASSERT_FALSE(edit->isHidden());
        ASSERT_EQ(edit->parentWidget(), label->parentWidget());
        ASSERT_TRUE(edit->hasFocus());
        (void)k;
    }

    void type(const QString& text)
    {
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    ApplicationFilter keys;
    QLabel* label = nullptr;
    QLineEdit* edit = nullptr;
};

TEST_F(Framework, ChangeFromParameterUpdatesLabelAndCallsOnCtrlChange)
{
    TWC_ImgKnob* k = knobWithLabel();
    std::vector<int> seen;
    k->OnCtrlChange = [&](TWC_CustomControl* sender, int v) {
        EXPECT_EQ(sender, k);
        seen.push_back(v);
    };
    preset(McGain).SetVal(33);
    FlushPending();
    EXPECT_EQ(label->text(), QStringLiteral("33"));
    EXPECT_EQ(seen, std::vector<int>{33});
}

TEST_F(Framework, EditorOpensCentredOnTheLabelWithItsText)
{
    TWC_ImgKnob* k = knobWithLabel();
    preset(McGain).SetVal(12);
    FlushPending();
    showActive();
    openEditor(k);
    // (52 - 40) / 2 = 6 and (18 - 20) / 2 = -1, rounded toward zero.
    EXPECT_EQ(edit->pos(), QPoint(26, 79));
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
}

TEST_F(Framework, EnterCommitsAndReturnsTheFocus)
{
    TWC_ImgKnob* k = knobWithLabel();
    showActive();
    openEditor(k);
    type(QStringLiteral("100"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(preset(McGain).GetVal(), 100);
    EXPECT_TRUE(k->UserChange);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(k->hasFocus());
    FlushPending();
    EXPECT_FALSE(k->UserChange);
    EXPECT_EQ(label->text(), QStringLiteral("100"));
}

TEST_F(Framework, EscapeLeavesTheValueAndReturnsTheFocus)
{
    TWC_ImgKnob* k = knobWithLabel();
    preset(McGain).SetVal(20);
    FlushPending();
    showActive();
    openEditor(k);
    type(QStringLiteral("99"));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_EQ(preset(McGain).GetVal(), 20);
    EXPECT_FALSE(k->UserChange);
    EXPECT_TRUE(edit->isHidden());
    EXPECT_TRUE(k->hasFocus());
}

TEST_F(Framework, TypedValueEqualToTheCurrentOneIsNoUserChange)
{
    TWC_ImgKnob* k = knobWithLabel();
    preset(McGain).SetVal(64);
    FlushPending();
    showActive();
    openEditor(k);
    type(QStringLiteral("64"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_FALSE(k->UserChange);
    EXPECT_FALSE(preset(McGain).isQueued());
}

TEST_F(Framework, UnreadableTextChangesNothing)
{
    TWC_ImgKnob* k = knobWithLabel();
    preset(McGain).SetVal(64);
    FlushPending();
    showActive();
    openEditor(k);
    type(QStringLiteral("loud"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(preset(McGain).GetVal(), 64);
    EXPECT_FALSE(k->UserChange);
}

TEST_F(Framework, ClickingElsewhereCommitsAndAPressOnAControlCommitsFirst)
{
    TWC_ImgKnob* k = knobWithLabel();
    TWC_ImgKnob* other = imageKnob(McCabinet);
    other->move(200, 20);
    showActive();
    openEditor(k);
    type(QStringLiteral("7"));
    // The button going down on another control commits the open edit before
    // that control's own action.
    press(other, {26, 26});
    EXPECT_EQ(preset(McGain).GetVal(), 7);
    EXPECT_TRUE(edit->isHidden());
    release(other, {26, 26});
}

TEST_F(Framework, ValuesAreClampedByTheParameter)
{
    TWC_ImgKnob* k = knobWithLabel();
    showActive();
    openEditor(k);
    type(QStringLiteral("500"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(preset(McGain).GetVal(), 127);
}

TEST_F(Framework, LabelWithoutParserOpensNothing)
{
    TWC_ImgKnob* k = knobWithLabel();
    k->OnTextToVal = nullptr;
    showActive();
    QTest::mouseClick(label, Qt::LeftButton);
    EXPECT_TRUE(edit->isHidden());
}

TEST_F(Framework, EnterOnTheKnobOpensTheEditor)
{
    TWC_ImgKnob* k = knobWithLabel();
    showActive();
    k->setFocus();
    key(k, QEvent::KeyPress, Qt::Key_Return);
    key(k, QEvent::KeyRelease, Qt::Key_Return);
    EXPECT_FALSE(edit->isHidden());
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(Framework, EnterOnAKnobInADialogDoesNotPressTheDefaultButton)
{
    QDialog dialog;
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    auto* k = new TWC_ImgKnob(&dialog);
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    bool accepted = false;
    QObject::connect(&dialog, &QDialog::accepted, [&] { accepted = true; });
    dialog.show();
    k->setFocus();
    QTest::keyClick(k, Qt::Key_Return);
    EXPECT_FALSE(accepted);
}

// ---- highlight ----

TEST_F(Framework, HighlightRenewalKeepsOneEntryAndEnds400msAfterTheLastChange)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    tick(25);
    ASSERT_EQ(hilightListLength(), 0);
    ASSERT_FALSE(k->Hilighted);

    preset(McGain).SetVal(10);
    FlushPending();
    EXPECT_TRUE(k->Hilighted);
    EXPECT_EQ(k->HilightCount, 20);
    tick(10); // 200 ms later a second change
    preset(McGain).SetVal(11);
    FlushPending();
    EXPECT_EQ(hilightListLength(), 1);
    EXPECT_EQ(k->HilightCount, 20);

    tick(19);
    EXPECT_TRUE(k->Hilighted);
    EXPECT_EQ(hilightListLength(), 1);
    tick(1); // 20 ticks = 400 ms after the second change
    EXPECT_FALSE(k->Hilighted);
    EXPECT_EQ(hilightListLength(), 0);
    EXPECT_EQ(k->HilightCount, 0);
}

TEST_F(Framework, FocusedControlStaysHighlightedUntilTheFocusLeaves)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    TWC_ImgKnob* other = imageKnob(McCabinet);
    other->move(100, 0);
    tick(25); // the highlight of the first refresh has run out
    showActive();
    k->setFocus();
    ASSERT_TRUE(k->Focused);
    EXPECT_TRUE(k->Hilighted);
    preset(McGain).SetVal(90);
    FlushPending();
    EXPECT_EQ(hilightListLength(), 0); // focused: not listed
    tick(40);
    EXPECT_TRUE(k->Hilighted);
    other->setFocus();
    EXPECT_FALSE(k->Focused);
    EXPECT_FALSE(k->Hilighted);

    // Losing the focus while a countdown runs keeps the highlight until the
    // countdown ends.
    preset(McGain).SetVal(91);
    FlushPending();
    ASSERT_EQ(k->HilightCount, 20);
    k->setFocus();
    other->setFocus();
    EXPECT_TRUE(k->Hilighted);
    tick(19);
    EXPECT_TRUE(k->Hilighted);
    tick(1);
    EXPECT_FALSE(k->Hilighted);
}

// The tick runs only while a highlight fades: a change starts it, the
// highlight goes 400 ms after the change, and then the tick stops again.
TEST_F(Framework, TheTwentyMillisecondTickFadesTheHighlightAndThenSleeps)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    TResForm* res = TResForm::Instance();
    res->ManualTick = false;
    EXPECT_FALSE(res->MS20.isActive());
    preset(McGain).SetVal(10);
    QElapsedTimer clock;
    clock.start();
    FlushPending();
    ASSERT_TRUE(k->Hilighted);
    EXPECT_TRUE(res->MS20.isActive());
    EXPECT_EQ(res->MS20.interval(), 20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !k->Hilighted; }, 5000));
    // 20 ticks of 20 ms; a timer may be late, never early by more than its
    // own coarseness.
    EXPECT_GE(clock.elapsed(), 380);
    EXPECT_EQ(hilightListLength(), 0);
    EXPECT_FALSE(res->MS20.isActive());
}

TEST_F(Framework, DestroyedControlLeavesTheHighlightListAndItsParameter)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    preset(McGain).SetVal(10);
    FlushPending();
    ASSERT_EQ(hilightListLength(), 1);
    delete k;
    EXPECT_EQ(hilightListLength(), 0);
    EXPECT_EQ(preset(McGain).head, nullptr);
    preset(McGain).SetVal(11);
    FlushPending();
}

// ---- binding ----

TEST_F(Framework, SetMcixOnAHiddenControlDoesNotAttachUntilShown)
{
    auto* k = new TWC_ImgKnob(&win());
    k->hide();
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    EXPECT_EQ(k->BoundParam(), nullptr);
    EXPECT_EQ(preset(McGain).head, nullptr);
    k->TWC_Show();
    EXPECT_EQ(k->BoundParam(), &preset(McGain));
    ASSERT_NE(preset(McGain).head, nullptr);
    EXPECT_EQ(preset(McGain).head->control, k);
}

TEST_F(Framework, ControlsInAWindowNotYetShownAttach)
{
    auto* k = new TWC_ImgKnob(&win());
    k->SetModix(ModixPreset);
    k->SetMcix(McGain);
    EXPECT_EQ(k->BoundParam(), &preset(McGain));
}

TEST_F(Framework, RebindingDetachesFromThePreviousParameter)
{
    TWC_ImgKnob* k = imageKnob(McGain);
    k->SetMcix(McCabinet);
    EXPECT_EQ(preset(McGain).head, nullptr);
    EXPECT_EQ(k->BoundParam(), &preset(McCabinet));
    k->TWC_Hide();
    EXPECT_EQ(k->BoundParam(), nullptr);
    EXPECT_EQ(preset(McCabinet).head, nullptr);
    k->SetVal(5);
    EXPECT_EQ(preset(McCabinet).GetVal(), 0);
    EXPECT_EQ(k->GetVal(), 0);
}

TEST_F(Framework, NewestAttachedControlIsRefreshedFirst)
{
    std::vector<int> order;
    TWC_ImgKnob* a = imageKnob(McGain);
    TWC_ImgKnob* b = imageKnob(McGain);
    a->OnCtrlChange = [&](TWC_CustomControl*, int) { order.push_back(1); };
    b->OnCtrlChange = [&](TWC_CustomControl*, int) { order.push_back(2); };
    preset(McGain).SetVal(3);
    FlushPending();
    a->TWC_Show(); // back to the head
    preset(McGain).SetVal(4);
    FlushPending();
    EXPECT_EQ(order, (std::vector<int>{2, 1, 1, 2}));
}

TEST_F(Framework, MissingParameterIndexLeavesTheControlUnbound)
{
    auto* k = new TWC_ImgKnob(&win());
    k->SetModix(ModixPreset);
    k->SetMcix(500);
    EXPECT_EQ(k->BoundParam(), nullptr);
    k->SetModix(9);
    k->SetMcix(McGain);
    EXPECT_EQ(k->BoundParam(), nullptr);
}

// ---- list controls ----

TEST_F(Framework, ComboBoxWithAnOutOfRangeValueShowsNoSelection)
{
    auto* c = new TWC_ComboBox(&win());
    c->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    c->SetModix(ModixPreset);
    c->SetMcix(McCabinet);
    EXPECT_EQ(preset(McCabinet).GetVal(), 0); // adding items wrote nothing
    preset(McCabinet).SetVal(10);
    FlushPending();
    EXPECT_EQ(c->currentIndex(), -1);

    showActive();
    c->setFocus();
    QTest::keyClick(c, Qt::Key_Down);
    EXPECT_EQ(c->currentIndex(), 0);
    EXPECT_EQ(preset(McCabinet).GetVal(), 0);
    QTest::keyClick(c, Qt::Key_Down);
    EXPECT_EQ(preset(McCabinet).GetVal(), 1);
}

TEST_F(Framework, ComboBoxSnapsBackWhenTheParameterRefuses)
{
    auto* c = new TWC_ComboBox(&win());
    c->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")});
    c->SetModix(ModixPreset);
    c->SetMcix(McDelayType); // 0..2
    FlushPending();
    showActive();
    c->setFocus();
    QTest::keyClick(c, Qt::Key_End);
    EXPECT_EQ(preset(McDelayType).GetVal(), 2);
    FlushPending();
    EXPECT_EQ(c->currentIndex(), 2);
}

TEST_F(Framework, CheckBoxFollowsAndSetsItsParameter)
{
    auto* c = new TWC_CheckBox(QStringLiteral("FX"), &win());
    c->SetModix(ModixPreset);
    c->SetMcix(McEffectsOn);
    preset(McEffectsOn).SetVal(1);
    FlushPending();
    EXPECT_TRUE(c->isChecked());
    showActive();
    QTest::mouseClick(c, Qt::LeftButton);
    EXPECT_EQ(preset(McEffectsOn).GetVal(), 0);
}

TEST_F(Framework, TabAndPageControlsFollowTheirParametersAndSetThemOnlyOnTheUsersChoice)
{
    auto* tabs = new TWC_TabControl(&win());
    for (const char* t : {"x", "y", "z"})
        tabs->addTab(QString::fromLatin1(t));
    tabs->SetModix(ModixPreset);
    tabs->SetMcix(McCabinet);
    auto* pages = new TWC_PageControl(&win());
    pages->move(0, 100);
    for (const char* t : {"p", "q", "r"})
        pages->addTab(new QWidget, QString::fromLatin1(t));
    pages->SetModix(ModixPreset);
    pages->SetMcix(McReverbType);
    showActive();
    FlushPending();
    const int cabinet = preset(McCabinet).GetVal();
    const int reverb = preset(McReverbType).GetVal();

    preset(McCabinet).SetVal(2);
    preset(McReverbType).SetVal(1);
    FlushPending();
    EXPECT_EQ(tabs->currentIndex(), 2);
    EXPECT_EQ(pages->currentIndex(), 1);

    // The code moving the index or adding entries leaves the parameters alone.
    tabs->setCurrentIndex(1);
    pages->setCurrentIndex(2);
    pages->addTab(new QWidget, QStringLiteral("s"));
    FlushPending();
    EXPECT_EQ(preset(McCabinet).GetVal(), 2);
    EXPECT_EQ(preset(McReverbType).GetVal(), 1);
    (void)cabinet;
    (void)reverb;

    // A click on a tab is the user's choice.
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center());
    QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(3).center());
    EXPECT_EQ(preset(McCabinet).GetVal(), 0);
    EXPECT_EQ(preset(McReverbType).GetVal(), 3);

    // A value beyond the tabs shows none; choosing one afterwards sets it.
    QSignalSpy changes(tabs, &TWC_TabControl::tabChanged);
    preset(McCabinet).SetVal(7);
    FlushPending();
    EXPECT_TRUE(tabs->NoTabSelected());
    EXPECT_EQ(tabs->TabCount(), 3);
    EXPECT_EQ(changes.size(), 1);
    EXPECT_EQ(changes.value(0).value(0).toInt(), -1);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
    EXPECT_EQ(preset(McCabinet).GetVal(), 1);
    EXPECT_FALSE(tabs->NoTabSelected());
    EXPECT_EQ(tabs->count(), 3);
}

} // namespace
