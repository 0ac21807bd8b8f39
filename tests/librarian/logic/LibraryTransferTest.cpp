// Cut, copy, paste, delete, drops and undo on the library list, without a
// window.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "librarian/logic/ClipboardFixture.h"

namespace {

using Names = std::vector<std::string>;
using Indices = std::vector<int>;
constexpr bool Ok = true;
constexpr bool Cancel = false;

TEST_F(ClipboardTest, CutIntoTheUnitMovesThePresetsCopyLeavesThem)
{
    EXPECT_FALSE(CopyLibraryItems({}, false)); // nothing selected, nothing to paste
    for (bool cut : {false, true}) {
        SCOPED_TRACE(cut);
        fill(*LibraryList, {"a", "b", "c", "d"});
        EXPECT_TRUE(CopyLibraryItems({3, 1}, cut));
        EXPECT_EQ(listNames(*ClipboardList), (Names{"b", "d"}));
        const GridWrite w = PasteIntoGrid(*ClipboardList, cells(1, 2, 1, 2), questions);
        EXPECT_EQ(slotNames(5, 2), (Names{"b", "d"}));
        EXPECT_EQ(w.libraryChanged, cut);
        EXPECT_EQ(listNames(*LibraryList), cut ? (Names{"a", "c"}) : (Names{"a", "b", "c", "d"}));
    }
    // The device side's own Copy is no cut: a later paste removes nothing.
    fill(*LibraryList, {"a", "b"});
    CopyLibraryItems({0}, true);
    CopyGridSelection(cells(1, 1, 1, 1), QString());
    fill(*LibraryList, {"a", "b"});
    LibraryList->at(0).mark = CutMark;
    ClipboardList->columns = 0;
    PasteIntoGrid(*ClipboardList, cells(1, 3, 1, 3), questions);
    EXPECT_EQ(LibraryList->count, 2);
}

// Comment lines never reach the unit, so a cut pasted there leaves them
// in the library, no longer marked as cut.
TEST_F(ClipboardTest, CutCommentLinesStayInTheLibraryWhenTheCutGoesIntoTheUnit)
{
    fill(*LibraryList, {"a", "#note", "b", "c"});
    CopyLibraryItems({0, 1, 2}, true);
    const GridWrite w = PasteIntoGrid(*ClipboardList, cells(1, 1, 1, 1), questions);
    EXPECT_EQ(slotNames(0, 2), (Names{"a", "b"}));
    EXPECT_TRUE(w.libraryChanged);
    EXPECT_EQ(listNames(*LibraryList), (Names{"#note", "c"}));
    EXPECT_EQ(LibraryList->at(0).mark & CutMark, 0);
}

TEST_F(ClipboardTest, ACutClippedAtTheLastSlotKeepsWhatDidNotFitInTheLibrary)
{
    fill(*LibraryList, {"a", "b", "c", "d"});
    CopyLibraryItems({0, 1, 2, 3}, true);
    PasteIntoGrid(*ClipboardList, cells(4, 25, 4, 25), questions);
    EXPECT_EQ(questions.texts, QStringList{FitQuestion});
    EXPECT_EQ(slotNames(123, 2), (Names{"a", "b"}));
    EXPECT_EQ(listNames(*LibraryList), (Names{"c", "d"}));
}

TEST_F(ClipboardTest, LibraryPasteInsertsAtFocusFirstSelectionOrEnd)
{
    const struct {
        int focused;
        Indices selected;
        Names after;
        Indices selection;
    } cases[] = {
        {2, {0}, {"a", "b", "x", "y", "c"}, {2, 3}},
        {-1, {2, 1}, {"a", "x", "y", "b", "c"}, {1, 2}},
        {-1, {}, {"a", "b", "c", "x", "y"}, {3, 4}},
    };
    fill(*ClipboardList, {"x", "y"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.focused * 10 + int(c.selected.size()));
        fill(*LibraryList, {"a", "b", "c"});
        const ListSelection s = PasteIntoLibrary(c.focused, c.selected);
        EXPECT_EQ(listNames(*LibraryList), c.after);
        EXPECT_EQ(s.selected, c.selection);
        EXPECT_EQ(s.focused, c.selection.front());
        EXPECT_EQ(UndoState.owner, UndoOwner::Library);
    }
}

TEST_F(ClipboardTest, LibraryCutAndPasteMovesItemsAndSelectsThemWhereTheyLanded)
{
    fill(*LibraryList, {"a", "#note", "b", "c", "d"});
    CopyLibraryItems({0, 1}, true);
    const ListSelection s = PasteIntoLibrary(4, {});
    EXPECT_EQ(listNames(*LibraryList), (Names{"b", "c", "a", "#note", "d"}));
    EXPECT_EQ(s.selected, (Indices{2, 3}));
    EXPECT_EQ(s.focused, 2);
    // Pasting again copies: the cut items are gone from the list.
    PasteIntoLibrary(-1, {});
    EXPECT_EQ(LibraryList->count, 7);
}

TEST_F(ClipboardTest, LibraryDeleteAsksYesOrNoAndRemovesEverySelectedItem)
{
    fill(*LibraryList, {"a", "b", "c", "d", "e"});
    EXPECT_FALSE(DeleteFromLibrary({}, questions));
    CurrentPreferences.Confirm = 1;
    questions.answers = {false};
    EXPECT_FALSE(DeleteFromLibrary({1, 3}, questions));
    EXPECT_EQ(questions.texts, QStringList{QStringLiteral("Delete Selected Preset ?")});
    EXPECT_EQ(LibraryList->count, 5);
    questions.answers = {true};
    EXPECT_TRUE(DeleteFromLibrary({1, 3, 4}, questions));
    EXPECT_EQ(listNames(*LibraryList), (Names{"a", "c"}));

    // Undo brings them back; Redo deletes them again.
    EXPECT_EQ(UndoLastChange(), UndoTarget::Library);
    EXPECT_EQ(listNames(*LibraryList), (Names{"a", "b", "c", "d", "e"}));
    EXPECT_FALSE(UndoState.undoEnabled);
    EXPECT_EQ(RedoLastChange(), UndoTarget::Library);
    EXPECT_EQ(listNames(*LibraryList), (Names{"a", "c"}));
    EXPECT_TRUE(UndoState.undoEnabled);
    EXPECT_FALSE(UndoState.redoEnabled);
}

TEST_F(ClipboardTest, TheLastSnapshotDecidesWhichSideUndoActsOn)
{
    fill(*LibraryList, {"a"});
    CopyGridSelection(cells(1, 1, 1, 1), QString());
    PasteIntoGrid(*ClipboardList, cells(2, 1, 2, 1), questions);
    PasteIntoLibrary(-1, {});
    EXPECT_EQ(UndoLastChange(), UndoTarget::Library);
    EXPECT_EQ(listNames(*LibraryList), Names{"a"});
    EXPECT_EQ(slotName(1), "s0"); // the device paste stays
    EXPECT_TRUE(unit.dumpSlots.size() == 1u);
}

TEST_F(ClipboardTest, ListDropsMoveReplaceOrInsert)
{
    const struct {
        DropMode mode;
        int drop;
        Names after;
        Indices selection;
        QString question;
    } cases[] = {
        // Dragging b and c.
        {DropMode::Move, 4, {"a", "d", "b", "c", "e"}, {2, 3}, QStringLiteral("Move presets?")},
        {DropMode::Move, 0, {"b", "c", "a", "d", "e"}, {0, 1}, QStringLiteral("Move presets?")},
        {DropMode::Move, 5, {"a", "d", "e", "b", "c"}, {3, 4}, QStringLiteral("Move presets?")},
        {DropMode::Replace, 3, {"a", "b", "c", "b", "c"}, {3, 4}, QStringLiteral("Replace presets?")},
        {DropMode::Insert, 4, {"a", "b", "c", "d", "b", "c", "e"}, {4, 5}, QString()},
    };
    CurrentPreferences.Confirm = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode) * 10 + c.drop);
        fill(*LibraryList, {"a", "b", "c", "d", "e"});
        questions.texts.clear();
        StartLibraryDrag({1, 2});
        EXPECT_EQ(listNames(*DragList), (Names{"b", "c"}));
        DropMode mode = c.mode;
        const LibraryDrop d = DropIntoLibrary(c.drop, mode, questions);
        EXPECT_TRUE(d.dropped);
        EXPECT_EQ(listNames(*LibraryList), c.after);
        EXPECT_EQ(d.selection.selected, c.selection);
        EXPECT_EQ(d.deselectOthers, c.mode == DropMode::Move);
        EXPECT_EQ(questions.texts, c.question.isEmpty() ? QStringList() : QStringList{c.question});
        EXPECT_EQ(mode, DropMode::Insert);
        for (int i = 0; i < LibraryList->count; ++i)
            EXPECT_EQ(LibraryList->at(i).mark & DraggedMark, i == 1 || i == 2 ? (c.mode != DropMode::Move) * 2 : 0);
    }
    // A drag from the list may not land on one of its own items.
    EXPECT_FALSE(LibraryDropAllowed(2, {1, 2}, true));
    EXPECT_TRUE(LibraryDropAllowed(2, {1, 2}, false));

    // Cancel leaves the list and the mode alone.
    UndoState = UndoStates();
    fill(*LibraryList, {"a", "b"});
    StartLibraryDrag({0});
    questions.answers = {Cancel};
    DropMode mode = DropMode::Move;
    EXPECT_FALSE(DropIntoLibrary(2, mode, questions).dropped);
    EXPECT_EQ(listNames(*LibraryList), (Names{"a", "b"}));
    EXPECT_EQ(mode, DropMode::Move);
    EXPECT_FALSE(UndoState.undoEnabled);
}

TEST_F(ClipboardTest, DeviceDropsIntoTheListAppendOrOverwriteAsManyAsTheyBring)
{
    CurrentPreferences.Confirm = 1;
    CollectSelection(cells(1, 1, 2, 1), QString(), *DragList);
    const struct {
        DropMode mode;
        Names after;
    } cases[] = {
        {DropMode::Move, {"a", "s0", "s1", "b", "c"}},
        {DropMode::Insert, {"a", "s0", "s1", "b", "c"}},
        {DropMode::Replace, {"a", "s0", "s1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.mode));
        fill(*LibraryList, {"a", "b", "c"});
        LibraryList->at(1).mark = DraggedMark; // left over from an earlier list drag
        questions.texts.clear();
        DropMode mode = c.mode;
        DropIntoLibrary(1, mode, questions);
        EXPECT_EQ(listNames(*LibraryList), c.after);
        EXPECT_EQ(questions.texts, QStringList{QStringLiteral("Append presets?")});
    }
    // Into an empty library: the library now counts as changed.
    ListClear(*LibraryList);
    DropMode mode = DropMode::Insert;
    EXPECT_TRUE(DropIntoLibrary(0, mode, questions).libraryBecameChanged);
    EXPECT_EQ(LibraryList->at(0).origin, 0);
}

TEST_F(ClipboardTest, NewLibraryFilesTakeTheFirstFreeName)
{
    QTemporaryDir dir;
    EXPECT_EQ(NewLibraryPath(dir.path(), true), QDir(dir.path()).filePath(QStringLiteral("New.blb")));
    for (const char* name : {"New.dlb", "New0.dlb"}) {
        QFile f(QDir(dir.path()).filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    EXPECT_EQ(NewLibraryPath(dir.path(), false), QDir(dir.path()).filePath(QStringLiteral("New1.dlb")));
}

TEST_F(ClipboardTest, TreeFilesReadAsDumpOrLibraryAndAFailedReadLeavesNothingToDrop)
{
    QTemporaryDir dir;
    const QString syx = dir.filePath(QStringLiteral("one.syx"));
    const QString dlb = dir.filePath(QStringLiteral("two.dlb"));
    SetRecordName(*DeviceMemory[4], "dumped");
    ASSERT_EQ(ExportDump(4, syx), FileResult::Ok);
    fill(*LibraryList, {"x", "#between", "y"});
    ASSERT_EQ(WriteLibraryFile(*LibraryList, dlb), FileResult::Ok);

    fill(*DragList, {"old"});
    EXPECT_TRUE(ReadPresetFile(*DragList, syx, questions));
    EXPECT_EQ(listNames(*DragList), Names{"dumped"});
    EXPECT_TRUE(ReadPresetFile(*DragList, dlb, questions));
    EXPECT_EQ(listNames(*DragList), (Names{"x", "#between", "y"}));
    EXPECT_FALSE(ReadPresetFile(*DragList, dir.filePath(QStringLiteral("missing.dlb")), questions));
    EXPECT_EQ(DragList->count, 0);
    // A dump of the other family says so.
    QFile bass(dir.filePath(QStringLiteral("bass.syx")));
    ASSERT_TRUE(bass.open(QIODevice::WriteOnly));
    bass.write(QByteArray::fromHex("F0002032001320") + char(127) + char(BassImageLength)
               + QByteArray(BassImageLength, 1) + char(0xF7));
    bass.close();
    EXPECT_FALSE(ReadPresetFile(*DragList, bass.fileName(), questions));
    EXPECT_EQ(questions.texts, QStringList{QStringLiteral("Sysex Dump is not compatible")});

    // A file copied in the tree is no library cut: pasting it removes nothing.
    CopyLibraryItems({0}, true);
    EXPECT_TRUE(CopyFileToClipboard(syx, questions));
    PasteIntoGrid(*ClipboardList, cells(1, 1, 1, 1), questions);
    EXPECT_EQ(slotName(0), "dumped");
    EXPECT_EQ(LibraryList->count, 3);
}

TEST_F(ClipboardTest, PresetsWrittenIntoAFolderNeverOverwriteADumpFile)
{
    QTemporaryDir dir;
    const QString syx = dir.filePath(QStringLiteral("bank.syx"));
    ASSERT_EQ(ExportDump(-1, syx), FileResult::Ok);
    QFile dump(syx);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray before = dump.readAll();
    dump.close();
    ASSERT_TRUE(ReadPresetFile(*DragList, syx, questions));

    // Dropped onto its own folder: a library beside the dump.
    const FolderWrite copy = WritePresetsIntoFolder(*DragList, dir.path(), QStringLiteral("bank.syx"), false);
    EXPECT_TRUE(copy.saved);
    EXPECT_EQ(copy.path, dir.filePath(QStringLiteral("bank.dlb")));
    EXPECT_FALSE(copy.editName);
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    EXPECT_EQ(dump.readAll(), before);
    PresetRecordList read;
    ListInit(read);
    ASSERT_TRUE(ReadPresetFile(read, copy.path, questions));
    EXPECT_EQ(read.count, SlotCount);

    // Presets from the grid make a new file to be named.
    CollectSelection(cells(1, 1, 2, 1), QString(), *DragList);
    const FolderWrite fresh = WritePresetsIntoFolder(*DragList, dir.path(), QString(), false);
    EXPECT_TRUE(fresh.saved);
    EXPECT_TRUE(fresh.editName);
    EXPECT_EQ(fresh.path, dir.filePath(QStringLiteral("New.dlb")));
    EXPECT_FALSE(WritePresetsIntoFolder(*DragList, dir.filePath(QStringLiteral("no/such")), QString(), false).saved);
}

} // namespace
