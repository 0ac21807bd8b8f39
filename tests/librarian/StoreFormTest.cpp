#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "shell/HelpPage.h"
#include "librarian/DeviceFormFixture.h"
#include "librarian/StoreForm.h"
#include "model/EditorLink.h"

namespace {

// The editor as the records see it: the name in its name field, and how
// often its edit was declared the original.
struct EditorStandIn : EditorLink {
    std::string name = "Edited Lead";
    int tookOriginalCount = 0;
    std::string presetName() override { return name; }
    void tookOriginal() override { ++tookOriginalCount; }
};

constexpr uint8_t EditedByte = 77;

class StoreFormTest : public DeviceFormTest {
protected:
    EditorStandIn editor;
    std::unique_ptr<TStoreForm> store;
    bool fromDevice = true;
    int lastSelected = -1;
    CapturingHelp storeHelp;

    void SetUp() override
    {
        DeviceFormTest::SetUp();
        SetEditorLink(false, &editor);
        SetEditorLink(true, &editor);
        for (int slot = 0; slot < SlotCount; ++slot)
            name(slot, ("s" + std::to_string(slot)).c_str());
        // The preset module holds the edit: one byte differs from every slot.
        PresetRecord edit;
        InitRecord(edit, -1);
        edit.data[0] = EditedByte;
        ApplyRecord(edit, false);
        OriginalRecord->origin = 7;
        StoreServices services;
        services.showStoredSlot = [this](int slot) {
            form->RedrawSlot(slot);
            form->SelectSlot(slot);
        };
        services.openedFromDevice = [this] { return fromDevice; };
        services.lastLibraryIndex = [this] { return lastSelected; };
        store = std::make_unique<TStoreForm>(TestServices(dialogs, storeHelp), services);
    }
    void TearDown() override
    {
        store.reset();
        SetEditorLink(false, nullptr);
        SetEditorLink(true, nullptr);
        ListClear(*LibraryList);
        DeviceFormTest::TearDown();
    }

    void showStore(int bank, int preset)
    {
        store->Preselect(bank, preset);
        store->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(store.get()));
    }
    static std::string trimmed(const PresetRecord& r)
    {
        const std::string n = GetRecordName(r);
        return n.substr(0, n.find_last_not_of(' ') + 1);
    }
    // Library entries with names, comments and authors of their own.
    static void library(int count)
    {
        ListClear(*LibraryList);
        for (int i = 0; i < count; ++i) {
            PresetRecord r;
            InitRecord(r, -1);
            SetRecordName(r, "lib" + std::to_string(i));
            r.comment = "comment" + std::to_string(i);
            r.createdBy = "author" + std::to_string(i);
            r.deviceId = 10 + i;
            r.origin = i;
            ListAdd(*LibraryList, &r);
        }
    }
};

// ---- the store to the unit ----

TEST_F(StoreFormTest, TheButtonNamesThePresetThatWouldBeOverwritten)
{
    struct Case {
        int bank, preset, slot;
    };
    for (const Case c : {Case{0, 0, 0}, Case{2, 3, 13}, Case{24, 4, 124}, Case{24, 0, 120}}) {
        store->Preselect(c.bank, c.preset);
        EXPECT_EQ(store->ChosenSlot(), c.slot);
        EXPECT_EQ(store->StoreToDrux->text(),
                  QStringLiteral("Store to DRUX: s%1").arg(c.slot).leftJustified(15 + NameLength))
            << c.slot;
    }
    // Choosing in the lists follows at once.
    store->StoreBankNr->setCurrentIndex(1);
    store->StorePresetNr->setCurrentIndex(2);
    EXPECT_EQ(store->StoreToDrux->text().trimmed(), QStringLiteral("Store to DRUX: s7"));
    EXPECT_EQ(ChosenSlot(-1, 3), 0);
    EXPECT_EQ(ChosenSlot(2, -1), 0);
}

TEST_F(StoreFormTest, StoringWritesTheSlotSendsItAndSelectsItsCell)
{
    CurrentPreferences.Confirm = 1;
    showStore(24, 4);
    QTest::mouseClick(store->StoreToDrux, Qt::LeftButton);

    EXPECT_FALSE(store->isVisible());
    EXPECT_EQ(store->result(), TStoreForm::Yes);
    EXPECT_EQ(DeviceMemory[124]->data[0], EditedByte);
    EXPECT_EQ(trimmed(*DeviceMemory[124]), "Edited Lead");
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{124});
    EXPECT_EQ(cellText(124).trimmed(), QStringLiteral("Edited Lead"));
    EXPECT_EQ(form->Selection(), QRect(QPoint(5, 25), QPoint(5, 25)));
    // Neighbours stay as they were.
    EXPECT_EQ(trimmed(*DeviceMemory[123]), "s123");
    EXPECT_EQ(DeviceMemory[123]->data[0], DeviceMemory[0]->data[0]);
    // The edit became the original; nothing was asked, nothing can be undone.
    EXPECT_EQ(OriginalRecord->data[0], EditedByte);
    EXPECT_EQ(EditBufferRecord->data[0], EditedByte);
    EXPECT_EQ(trimmed(*OriginalRecord), "Edited Lead");
    EXPECT_EQ(editor.tookOriginalCount, 1);
    EXPECT_TRUE(dialogs.texts.isEmpty());
    EXPECT_FALSE(UndoState.undoEnabled);
    EXPECT_TRUE(LibraryList->count == 0);
}

TEST_F(StoreFormTest, DoNotStoreAndEscapeChangeNothing)
{
    library(2);
    for (const bool escape : {false, true}) {
        showStore(3, 1);
        if (escape)
            QTest::keyClick(store->StoreBankNr, Qt::Key_Escape);
        else
            QTest::mouseClick(store->StoreCancel, Qt::LeftButton);
        EXPECT_FALSE(store->isVisible());
        EXPECT_EQ(store->result(), TStoreForm::No);
    }
    EXPECT_EQ(trimmed(*DeviceMemory[16]), "s16");
    EXPECT_EQ(cellText(16).trimmed(), QStringLiteral("s16"));
    EXPECT_TRUE(unit.dumpSlots.empty());
    EXPECT_EQ(LibraryList->count, 2);
    EXPECT_EQ(editor.tookOriginalCount, 0);
    EXPECT_NE(OriginalRecord->data[0], EditedByte);
}

TEST_F(StoreFormTest, ShownModallyEnterStoresIntoThePreselectedSlot)
{
    QTimer::singleShot(0, store.get(), [this] {
        EXPECT_EQ(store->StoreToDrux->text().trimmed(), QStringLiteral("Store to DRUX: s11"));
        QTest::keyClick(store->StoreBankNr, Qt::Key_Return);
    });
    EXPECT_EQ(store->ShowModal(2, 1), TStoreForm::Yes);
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{11});
    EXPECT_EQ(trimmed(*DeviceMemory[11]), "Edited Lead");
}

TEST_F(StoreFormTest, OverwriteStoresWithoutShowingTheDialog)
{
    store->StoreToUnit(4, 2);
    EXPECT_FALSE(store->isVisible());
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{22});
    EXPECT_EQ(form->Selection(), QRect(QPoint(3, 5), QPoint(3, 5)));

    QSignalSpy refills(store.get(), &TStoreForm::libraryListChanged);
    store->StoreToLibrary(4, 2);
    EXPECT_FALSE(store->isVisible());
    EXPECT_EQ(refills.count(), 1);
    ASSERT_EQ(LibraryList->count, 1);
    EXPECT_EQ(trimmed(LibraryList->at(0)), "Edited Lead");
    // The library append sends nothing.
    EXPECT_EQ(unit.dumpSlots, std::vector<int>{22});
    EXPECT_EQ(editor.tookOriginalCount, 2);
}

// ---- the append to the library ----

TEST_F(StoreFormTest, TheLibraryButtonNamesTheCurrentFile)
{
    EXPECT_EQ(store->StoreToLib->text(), QStringLiteral("Append to Library"));
    LibraryFileName = dir.filePath(QStringLiteral("Songs.dlb"));
    showStore(0, 0);
    EXPECT_EQ(store->StoreToLib->text(), QStringLiteral("Append to Library: Songs.dlb"));
}

TEST_F(StoreFormTest, TheAppendedRecordTakesItsOriginFromWhereTheEditBegan)
{
    struct Case {
        const char* what;
        bool libraryFile;
        bool openedFromDevice;
        int lastSelected;
        int originMark;
        int origin;
        const char* comment; // carried from the library item
    };
    const Case cases[] = {
        {"no library file", false, true, 1, 7, 7, ""},
        {"no file, library flag", false, false, 1, 7, 7, ""},
        {"current preset field", false, true, -1, -2, -2, ""},
        {"file, from the device", true, true, 1, 12, 12, ""},
        {"file, from the library", true, false, 1, 7, -2, "comment1"},
        {"library item gone", true, false, 5, 7, -2, ""},
        {"nothing selected", true, false, -1, 7, -2, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        library(3);
        LibraryFileName = c.libraryFile ? dir.filePath(QStringLiteral("Songs.dlb")) : QString();
        fromDevice = c.openedFromDevice;
        lastSelected = c.lastSelected;
        OriginalRecord->origin = c.originMark;
        QSignalSpy refills(store.get(), &TStoreForm::libraryListChanged);
        showStore(0, 0);
        QTest::mouseClick(store->StoreToLib, Qt::LeftButton);

        EXPECT_FALSE(store->isVisible());
        EXPECT_EQ(store->result(), TStoreForm::Yes);
        EXPECT_EQ(refills.count(), 1);
        ASSERT_EQ(LibraryList->count, 4);
        const PresetRecord& added = LibraryList->at(3);
        EXPECT_EQ(added.origin, c.origin);
        EXPECT_EQ(added.comment, c.comment);
        // Device id and author come along with the comment.
        EXPECT_EQ(added.createdBy, *c.comment ? "author1" : "");
        EXPECT_EQ(added.data[0], EditedByte);
        EXPECT_EQ(trimmed(added), "Edited Lead");
        EXPECT_EQ(added.slot, -1);
        EXPECT_EQ(added.mark, 0);
        // The items before it are untouched.
        EXPECT_EQ(trimmed(LibraryList->at(1)), "lib1");
        EXPECT_EQ(LibraryList->at(1).comment, "comment1");
    }
    EXPECT_TRUE(unit.dumpSlots.empty());
    EXPECT_EQ(trimmed(*DeviceMemory[0]), "s0");
}

TEST_F(StoreFormTest, ASpareRecordsCutMarkDoesNotComeAlong)
{
    // Two items, one removed: the list keeps it as a spare, marked as cut.
    library(2);
    LibraryList->at(1).mark = CutMark;
    ListRemove(*LibraryList, 1);
    store->StoreToLibrary(0, 0);
    ASSERT_EQ(LibraryList->count, 2);
    EXPECT_EQ(LibraryList->at(1).mark, 0);
    EXPECT_EQ(RemoveCutItems(), 0);
    EXPECT_EQ(LibraryList->count, 2);
}

// ---- help ----

TEST_F(StoreFormTest, F1OnAnyControlOpensTheStoreTopic)
{
    showStore(0, 0);
    for (QWidget* w : std::initializer_list<QWidget*>{store->StoreBankNr, store->StoreToLib, store.get()})
        QTest::keyClick(w, Qt::Key_F1);
    QStringList helpUrls;
    for (const QUrl& url : storeHelp.opened)
        helpUrls << url.fragment();
    EXPECT_EQ(helpUrls, QStringList(3, QStringLiteral("T4H40")));
    EXPECT_TRUE(store->isVisible());
}

} // namespace
