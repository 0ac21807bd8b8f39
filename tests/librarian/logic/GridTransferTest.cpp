// Copy, paste, drops and undo on the unit's memory, without a window.
#include "librarian/logic/ClipboardFixture.h"

namespace {

using Names = std::vector<std::string>;
using Slots = std::vector<int>;
using Answers = QList<bool>;
constexpr bool Ok = true;
constexpr bool Cancel = false;

TEST_F(ClipboardTest, RectanglePastedPastTheRightEdgeAsksAndClipsEachRow)
{
    // Bank 1 A..C and Bank 2 A..C, pasted with the anchor at Bank 10 D.
    CopyGridSelection(cells(1, 1, 3, 2), QString());
    ASSERT_EQ(ClipboardList->columns, 3);
    const struct {
        int confirm;
        Answers answers;
        QStringList asked;
        bool written;
    } cases[] = {
        {0, {Cancel}, {FitQuestion}, false},
        {1, {Ok, Cancel}, {FitQuestion, QStringLiteral("Replace presets?")}, false},
        {1, {Ok, Ok}, {FitQuestion, QStringLiteral("Replace presets?")}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked.size() * 10 + c.written);
        CurrentPreferences.Confirm = c.confirm;
        questions.texts.clear();
        questions.answers = c.answers;
        const GridWrite w = PasteIntoGrid(*ClipboardList, cells(4, 10, 4, 10), questions);
        EXPECT_EQ(questions.texts, c.asked);
        EXPECT_EQ(w.written, c.written);
        EXPECT_EQ(UndoState.undoEnabled, c.written); // no snapshot without a change
        if (!c.written) {
            EXPECT_EQ(slotNames(48, 2), (Names{"s48", "s49"}));
            EXPECT_TRUE(unit.dumpSlots.empty());
            continue;
        }
        EXPECT_EQ(slotNames(48, 2), (Names{"s0", "s1"}));
        EXPECT_EQ(slotNames(53, 2), (Names{"s5", "s6"}));
        EXPECT_EQ(slotName(50), "s50"); // nothing wraps into the next bank
        EXPECT_EQ(unit.dumpSlots, (Slots{48, 49, 53, 54}));
        EXPECT_EQ(w.writtenSlots, unit.dumpSlots);
        EXPECT_EQ(w.selection, cells(4, 10, 5, 11));
        // The pasted records remember the slots they were copied from.
        EXPECT_EQ(DeviceMemory[53]->origin, 5);
    }
}

TEST_F(ClipboardTest, RectanglePastedPastTheLastBankKeepsTheRowsThatFit)
{
    CopyGridSelection(cells(2, 3, 3, 5), QString()); // 2 x 3
    const GridWrite w = PasteIntoGrid(*ClipboardList, cells(1, 24, 1, 24), questions);
    EXPECT_EQ(questions.texts, QStringList{FitQuestion});
    EXPECT_EQ(w.selection, cells(1, 24, 2, 25));
    EXPECT_EQ(slotNames(115, 2), (Names{"s11", "s12"}));
    EXPECT_EQ(slotNames(120, 2), (Names{"s16", "s17"}));
    EXPECT_EQ(unit.dumpSlots.size(), 4u);

    // A rectangle that fits asks nothing; with nothing selected it lands on
    // Bank 1, Preset A.
    questions.texts.clear();
    const GridWrite home = PasteIntoGrid(*ClipboardList, NoSelection(), questions);
    EXPECT_TRUE(questions.texts.isEmpty());
    EXPECT_EQ(home.selection, cells(1, 1, 2, 3));
    EXPECT_EQ(slotNames(10, 2), (Names{"s21", "s22"}));
}

TEST_F(ClipboardTest, LinearPasteSkipsCommentLinesAndClipsAtTheLastSlot)
{
    // Ten entries, two of them comment lines: eight presets for five slots.
    fill(*ClipboardList, {"p1", "#one", "p2", "p3", "p4", "#two", "p5", "p6", "p7", "p8"});
    questions.answers = {Cancel};
    EXPECT_FALSE(PasteIntoGrid(*ClipboardList, cells(1, 25, 1, 25), questions).written);
    EXPECT_EQ(slotName(120), "s120");

    const GridWrite w = PasteIntoGrid(*ClipboardList, cells(1, 25, 1, 25), questions);
    EXPECT_EQ(questions.texts, QStringList(2, FitQuestion));
    EXPECT_EQ(slotNames(120, 5), (Names{"p1", "p2", "p3", "p4", "p5"}));
    EXPECT_EQ(unit.dumpSlots, (Slots{120, 121, 122, 123, 124}));
    EXPECT_TRUE(w.selection.isNull());

    // Nothing but comment lines: nothing to paste, nothing asked.
    fill(*ClipboardList, {"#a", "#b"});
    questions.texts.clear();
    EXPECT_FALSE(PasteIntoGrid(*ClipboardList, cells(1, 1, 1, 1), questions).written);
    EXPECT_TRUE(questions.texts.isEmpty());
    EXPECT_FALSE(DropOnGrid(*ClipboardList, QPoint(1, 1), NoSelection(), false, questions).written);
}

TEST_F(ClipboardTest, CopyWithNothingSelectedTakesTheEditBufferUnderTheFieldsName)
{
    DeviceMemory[3]->data[0] = 5;
    ApplyRecord(*DeviceMemory[3], false);
    CopyGridSelection(NoSelection(), QStringLiteral("Buffer"));
    ASSERT_EQ(ClipboardList->count, 1);
    EXPECT_EQ(ClipboardList->columns, 1);
    PasteIntoGrid(*ClipboardList, cells(5, 7, 5, 7), questions);
    EXPECT_EQ(slotName(34), "Buffer");
    EXPECT_EQ(DeviceMemory[34]->data[0], 5);
    EXPECT_EQ(unit.dumpSlots, Slots{34});
}

TEST_F(ClipboardTest, DropsOnTheGridAreRefusedOverHeadersAndOverTheirOwnSelection)
{
    const QRect ab = cells(1, 1, 2, 1);
    const struct {
        QPoint cell;
        bool fromGrid, allowed;
    } cases[] = {
        {{2, 1}, true, false}, {{1, 1}, true, false}, {{3, 1}, true, true},  {{5, 1}, true, true},
        {{2, 1}, false, true}, {{0, 3}, false, false}, {{2, 0}, false, false}, {{6, 3}, false, false},
        {{1, 26}, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.cell.x() * 100 + c.cell.y());
        EXPECT_EQ(GridDropAllowed(c.cell, ab, c.fromGrid), c.allowed);
    }
}

TEST_F(ClipboardTest, GridDropSwapsWithoutCtrlAndCopiesWithIt)
{
    const struct {
        bool copy;
        Names bank1;
        QString question;
    } cases[] = {
        {false, {"s2", "s3", "s0", "s1", "s4"}, QStringLiteral("Swap presets?")},
        {true, {"s0", "s1", "s0", "s1", "s4"}, QStringLiteral("Replace presets?")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copy);
        CurrentPreferences.Confirm = 1;
        CollectSelection(cells(1, 1, 2, 1), QString(), *DragList);
        const GridWrite w = DropOnGrid(*DragList, QPoint(3, 1), cells(1, 1, 2, 1), c.copy, questions);
        EXPECT_EQ(questions.texts.takeLast(), c.question);
        EXPECT_EQ(slotNames(0, 5), c.bank1);
        EXPECT_EQ(w.selection, cells(3, 1, 4, 1));
        EXPECT_EQ(unit.dumpSlots, c.copy ? (Slots{2, 3}) : (Slots{0, 2, 1, 3}));
        unit.dumpSlots.clear();
        TearDown();
        SetUp();
    }
}

TEST_F(ClipboardTest, AClippedSwapStepsToTheNextSourceRow)
{
    // Bank 1..2, A..C dragged onto Bank 10 D: only columns D and E fit.
    CollectSelection(cells(1, 1, 3, 2), QString(), *DragList);
    const GridWrite w = DropOnGrid(*DragList, QPoint(4, 10), cells(1, 1, 3, 2), false, questions);
    EXPECT_EQ(questions.texts, QStringList{FitQuestion});
    EXPECT_EQ(w.selection, cells(4, 10, 5, 11));
    EXPECT_EQ(slotNames(48, 2), (Names{"s0", "s1"}));
    EXPECT_EQ(slotNames(53, 2), (Names{"s5", "s6"}));
    EXPECT_EQ(slotNames(0, 3), (Names{"s48", "s49", "s2"}));
    EXPECT_EQ(slotNames(5, 3), (Names{"s53", "s54", "s7"}));

    // A swap onto its own cells would lose presets and is refused.
    TearDown();
    SetUp();
    CollectSelection(cells(1, 1, 2, 1), QString(), *DragList);
    EXPECT_FALSE(DropOnGrid(*DragList, QPoint(2, 1), cells(1, 1, 2, 1), false, questions).written);
    EXPECT_EQ(slotNames(0, 3), (Names{"s0", "s1", "s2"}));
}

TEST_F(ClipboardTest, TheEditBufferDroppedWithoutCtrlIsCopiedNotSwapped)
{
    // Dragged from a header cell with nothing selected: there is no source
    // slot to swap with, so slot 0 keeps its preset.
    CollectSelection(NoSelection(), QStringLiteral("Buffer"), *DragList);
    DropOnGrid(*DragList, QPoint(3, 4), NoSelection(), false, questions);
    EXPECT_EQ(slotName(17), "Buffer");
    EXPECT_EQ(slotName(0), "s0");
    EXPECT_EQ(unit.dumpSlots, Slots{17});

    // A library drag lands linearly from the drop cell, clipped at the end.
    fill(*DragList, {"#c", "l1", "l2", "l3"});
    const GridWrite w = DropOnGrid(*DragList, QPoint(4, 25), NoSelection(), false, questions);
    EXPECT_EQ(questions.texts, QStringList{FitQuestion});
    EXPECT_EQ(slotNames(123, 2), (Names{"l1", "l2"}));
    EXPECT_TRUE(w.selection.isNull());
}

TEST_F(ClipboardTest, DeviceUndoExchangesTheImagesAndSendsEverySlot)
{
    CopyGridSelection(cells(1, 1, 1, 1), QString());
    PasteIntoGrid(*ClipboardList, cells(2, 1, 2, 1), questions);
    EXPECT_EQ(slotName(1), "s0");
    unit.dumpSlots.clear();
    int told = 0;
    SetUndoStateListener([&] { ++told; });

    EXPECT_EQ(RedoLastChange(), UndoTarget::None);
    EXPECT_EQ(UndoLastChange(), UndoTarget::Device);
    EXPECT_EQ(slotName(1), "s1");
    EXPECT_EQ(unit.dumpSlots.size(), 125u);
    EXPECT_EQ(unit.dumpSlots.back(), 124);
    EXPECT_FALSE(UndoState.undoEnabled);
    EXPECT_TRUE(UndoState.redoEnabled);
    // The Redo that follows, like a second Undo, brings the paste back.
    EXPECT_EQ(RedoLastChange(), UndoTarget::Device);
    EXPECT_EQ(slotName(1), "s0");
    EXPECT_EQ(unit.dumpSlots.size(), 250u);
    EXPECT_TRUE(UndoState.undoEnabled);
    EXPECT_EQ(told, 2);

    // A new unit resets both images but leaves Undo as it was.
    ResetAllRecords();
    EXPECT_TRUE(UndoState.undoEnabled);
    EXPECT_EQ(UndoLastChange(), UndoTarget::Device);
    EXPECT_EQ(slotName(1), "USER PRESET");
    SetUndoStateListener(nullptr);
}

TEST_F(ClipboardTest, ARecordOfTheOtherFamilyIsStoredButNotSent)
{
    fill(*ClipboardList, {"bass"});
    ClipboardList->at(0).model = ModelBass;
    PasteIntoGrid(*ClipboardList, cells(1, 2, 1, 2), questions);
    EXPECT_EQ(DeviceMemory[5]->model, uint32_t(ModelBass));
    EXPECT_TRUE(unit.dumpSlots.empty());
}

} // namespace
