// The grid's clipboard keys, drags and undo, driven through the window.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

#include "librarian/DeviceFormFixture.h"
#include "model/Trace.h"

namespace {

using Slots = std::vector<int>;

class DeviceClipboardTest : public DeviceFormTest {
protected:
    void SetUp() override
    {
        DeviceFormTest::SetUp();
        for (int slot = 0; slot < 10; ++slot)
            name(slot, ("s" + std::to_string(slot)).c_str());
        activate();
    }
    QStringList bank(int row) const
    {
        QStringList names;
        for (int c = 0; c < 5; ++c)
            names << cellText((row - 1) * 5 + c).trimmed();
        return names;
    }
    // Delivers the drag to `target` as the toolkit would: moves over the
    // cells of `path`, then a drop on the last one. Returns which moves were
    // accepted.
    std::vector<bool> dragAlong(QMimeData* data, QWidget* target, const std::vector<QPoint>& path)
    {
        std::unique_ptr<QMimeData> owned(data);
        std::vector<bool> accepted;
        QDragEnterEvent enter(path.front(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &enter);
        for (QPoint at : path) {
            QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
            QCoreApplication::sendEvent(target, &move);
            accepted.push_back(move.isAccepted());
        }
        QDropEvent drop(path.back(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(target, &drop);
        return accepted;
    }
    void pressAndPull(QWidget* w, QPoint from, Qt::KeyboardModifiers mods = {})
    {
        QTest::mousePress(w, Qt::LeftButton, mods, from);
        QTest::mouseMove(w, from + QPoint(3, 2));
        QTest::mouseMove(w, from + QPoint(12, 4));
        QTest::mouseRelease(w, Qt::LeftButton, mods, from + QPoint(12, 4));
    }
};

TEST_F(DeviceClipboardTest, CopyPasteUndoAndRedoKeys)
{
    click(1, 1);
    click(2, 1, Qt::ShiftModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_C, Qt::ControlModifier);
    click(3, 5);
    QTest::keyClick(form->PresetGrid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(bank(5), (QStringList{"USER PRESET", "USER PRESET", "s0", "s1", "USER PRESET"}));
    EXPECT_EQ(unit.dumpSlots, (Slots{22, 23}));
    EXPECT_EQ(form->Selection(), QRect(QPoint(3, 5), QPoint(4, 5)));
    EXPECT_TRUE(form->Undo->isEnabled());
    EXPECT_FALSE(form->Redo->isEnabled());

    QTest::keyClick(form->PresetGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cellText(22), QStringLiteral("USER PRESET     "));
    EXPECT_EQ(unit.dumpSlots.size(), 2u + 125u);
    EXPECT_FALSE(form->Undo->isEnabled());
    EXPECT_TRUE(form->Redo->isEnabled());
    QTest::keyClick(form->PresetGrid, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(cellText(22), QStringLiteral("s0              "));
    EXPECT_TRUE(form->Undo->isEnabled());

    // One copy pastes many times; Auto Audition plays the pasted slot.
    CurrentPreferences.AutoAud = 1;
    click(1, 10);
    QTest::keyClick(form->PresetGrid, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(cellText(46), QStringLiteral("s1              "));
    EXPECT_EQ(programChanges.back(), 45);
}

TEST_F(DeviceClipboardTest, ARenameCanBeUndone)
{
    click(2, 1);
    QTest::keyClick(form->PresetGrid, Qt::Key_M, Qt::ControlModifier);
    QTest::keyClicks(form->RenameEditor(), QStringLiteral("Renamed"));
    QTest::keyClick(form->RenameEditor(), Qt::Key_Return);
    EXPECT_EQ(cellText(1).trimmed(), QStringLiteral("Renamed"));
    QTest::keyClick(form->PresetGrid, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(cellText(1).trimmed(), QStringLiteral("s1"));
    EXPECT_EQ(GetRecordName(*DeviceMemory[1]), "s1              ");
}

TEST_F(DeviceClipboardTest, DragInsideTheGridSwapsAndWithCtrlCopies)
{
    std::vector<std::string> trace;
    SetTraceSink([&](int, const std::string& line) { trace.push_back(line); });
    const struct {
        Qt::KeyboardModifiers mods;
        QStringList bank1;
    } cases[] = {
        {{}, {"s2", "s3", "s0", "s1", "s4"}},
        {Qt::ControlModifier, {"s0", "s1", "s0", "s1", "s4"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mods));
        for (int slot = 0; slot < 5; ++slot)
            name(slot, ("s" + std::to_string(slot)).c_str());
        click(1, 1);
        click(2, 1, Qt::ShiftModifier);
        std::vector<bool> accepted;
        int drags = 0;
        form->runDrag = [&](QMimeData* data) {
            ++drags;
            accepted = dragAlong(data, form->PresetGrid->viewport(), {cellCentre(2, 1), cellCentre(3, 1)});
        };
        trace.clear();
        pressAndPull(form->PresetGrid->viewport(), cellCentre(1, 1), c.mods);
        ASSERT_EQ(drags, 1);
        EXPECT_EQ(form->DragCopyMode(), c.mods != Qt::NoModifier);
        // Over its own cells the drop is refused; one further it is taken.
        EXPECT_EQ(accepted, (std::vector<bool>{false, true}));
        EXPECT_EQ(bank(1), c.bank1);
        EXPECT_EQ(form->Selection(), QRect(QPoint(3, 1), QPoint(4, 1)));
        ASSERT_EQ(trace.size(), 3u);
        EXPECT_EQ(trace[0], "PresetGridStartDrag DragLibPresets nrpreset 2 nrcol 2");
        EXPECT_EQ(trace[2], "1 s1              ");
    }
    SetTraceSink(nullptr);
    EXPECT_TRUE(form->Undo->isEnabled());
}

TEST_F(DeviceClipboardTest, TheCurrentPresetFieldDragsTheEditBufferAndTakesDropsFromTheGrid)
{
    form->CurrentPreset->setText(QStringLiteral("Live sound"));
    ListAdd(*DragList, DeviceMemory[3]);
    std::vector<bool> accepted;
    form->runDrag = [&](QMimeData* data) {
        // Emptied at the start; filled from the edit buffer at the drop.
        EXPECT_EQ(DragList->count, 0);
        accepted = dragAlong(data, form->PresetGrid->viewport(), {cellCentre(0, 2), cellCentre(2, 3)});
    };
    pressAndPull(form->CurrentPreset, QPoint(10, 5));
    EXPECT_EQ(accepted, (std::vector<bool>{false, true}));
    EXPECT_EQ(cellText(11).trimmed(), QStringLiteral("Live sound"));
    EXPECT_EQ(unit.dumpSlots, Slots{11});
    EXPECT_EQ(unit.controllers, (std::vector<std::pair<int, int>>{{80, 80}}));

    // The field takes presets from the grid only; a drop auditions.
    click(4, 1);
    EXPECT_EQ(dragAlong(PresetDragData(DragSource::LibraryList), form->CurrentPreset, {QPoint(5, 5)}),
              std::vector<bool>{false});
    EXPECT_TRUE(programChanges.empty());
    EXPECT_EQ(dragAlong(PresetDragData(DragSource::Grid), form->CurrentPreset, {QPoint(5, 5)}),
              std::vector<bool>{true});
    EXPECT_EQ(programChanges, Slots{3});
    EXPECT_EQ(form->CurrentPreset->text(), QStringLiteral("s3              "));
}

TEST_F(DeviceClipboardTest, LibraryPresetsDropLinearlyAndForeignDataIsRefused)
{
    PresetRecord r;
    InitRecord(r, -1);
    ListClear(*DragList);
    for (const char* n : {"lib1", "lib2"}) {
        SetRecordName(r, n);
        ListAdd(*DragList, &r);
    }
    auto text = std::make_unique<QMimeData>();
    text->setText(QStringLiteral("lib1"));
    EXPECT_EQ(dragAlong(text.release(), form->PresetGrid->viewport(), {cellCentre(5, 2)}), std::vector<bool>{false});
    EXPECT_EQ(cellText(9).trimmed(), QStringLiteral("s9"));

    CurrentPreferences.AutoAud = 1;
    click(1, 1);
    dragAlong(PresetDragData(DragSource::LibraryList), form->PresetGrid->viewport(), {cellCentre(5, 2)});
    EXPECT_EQ(cellText(9).trimmed(), QStringLiteral("lib1"));
    EXPECT_EQ(cellText(10).trimmed(), QStringLiteral("lib2"));
    EXPECT_EQ(unit.dumpSlots, (Slots{9, 10}));
    // A linear drop leaves the selection where it was; Auto Audition plays
    // the first preset dropped.
    EXPECT_EQ(form->Selection(), QRect(QPoint(1, 1), QPoint(1, 1)));
    EXPECT_EQ(programChanges.back(), 9);
    EXPECT_EQ(form->CurrentPreset->text().trimmed(), QStringLiteral("lib1"));
}

} // namespace
