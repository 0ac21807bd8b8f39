#include <QMenuBar>

#include "librarian/DeviceFormFixture.h"

namespace {

// Each entry "caption|key", "-" for a separator.
void expectItems(const QList<QAction*>& actions, const QStringList& items)
{
    ASSERT_EQ(actions.size(), items.size());
    for (qsizetype i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(items[i].toStdString());
        if (items[i] == QStringLiteral("-")) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        const QStringList parts = items[i].split(QLatin1Char('|'));
        EXPECT_EQ(actions[i]->text(), parts[0]);
        EXPECT_EQ(actions[i]->shortcut(), QKeySequence(parts.value(1)));
    }
}

TEST_F(DeviceFormTest, ActionListMenusAndContextMenuInTheirOrder)
{
    // name|caption|key|category
    const QStringList rows = {
        "Audition|&Audition|Alt+A|Memgrid", "Copy|&Copy|Ctrl+C|Memgrid", "Paste|&Paste|Ctrl+V|Memgrid",
        "Request|&Request|Ctrl+R|Memgrid", "Transmit|&Transmit|Ctrl+T|Memgrid", "Clear|C&lear|Del|Memgrid",
        "Rename|Rena&me|Ctrl+M|Memgrid", "Export|Ex&port|Ctrl+E|Memgrid", "OpenEditSelected|&Edit|Ctrl+E|Windows",
        "SelectAll|&Select All|Ctrl+A|Memgrid", "OpenConfiguration|C&onfiguration|Ctrl+N|Windows",
        "ExportSysex|&Export Sysex||File", "ImportSysex|&Import Sysex||File", "PrintSetup|Print Setup|Ctrl+Alt+P|File",
        "PrintP|&Print Preset Form||File", "PrintD|Print &Device List||File", "PrintL|Print &Library List||File",
        "Save|&Save Library|Ctrl+S|File", "SaveAs|Save Library &As...|Ctrl+Alt+S|File",
        "Open|&Open Libary ...|Ctrl+O|File", "CloseLib|&Close Library|Ctrl+Alt+O|File", "Undo|Undo|Ctrl+Z|",
        "Redo|Redo|Ctrl+Y|", "Print|Print|Ctrl+P|File", "RestoreBackup|&Restore Backup...||File"};
    ASSERT_EQ(form->DeviceActionList.size(), rows.size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const QStringList r = rows[i].split(QLatin1Char('|'));
        const QAction* a = form->DeviceActionList[i];
        EXPECT_EQ(QStringList({a->objectName(), a->text(), a->shortcut().toString(),
                               a->property("category").toString()}),
                  r);
    }
    EXPECT_FALSE(form->Undo->isEnabled());
    EXPECT_FALSE(form->Redo->isEnabled());

    expectItems(form->menuBar()->actions(), {"&File", "&Edit", "&Preferences", "&Windows", "&Help"});
    expectItems(form->FileM->actions(),
                {"&Open Libary ...|Ctrl+O", "&Save Library|Ctrl+S", "Save Library &As...|Ctrl+Alt+S",
                 "&Close Library|Ctrl+Alt+O", "-", "&Import Sysex", "&Export Sysex", "&Restore Backup...", "-",
                 "Printer Setup|Ctrl+Alt+P",
                 "&Print Editor", "Print &Configuration", "Print &Library List", "-", "E&xit"});
    expectItems(form->EditM->actions(),
                {"Undo|Ctrl+Z", "Redo|Ctrl+Y", "-", "&Copy|Ctrl+C", "&Paste|Ctrl+V", "&Select All|Ctrl+A"});
    expectItems(form->WindowsM->actions(),
                {"Librarian|Ctrl+L", "&Edit|Ctrl+E", "C&onfiguration|Ctrl+N", "-", "Minimized|Ctrl+I", "-",
                 "MIDI Monitor"});
    expectItems(form->HelpM->actions(), {"&Contents F1", "&About..."});
    expectItems(form->MemoryGridPopup->actions(),
                {"&Edit|Ctrl+E", "&Audition|Alt+A", "-", "&Copy|Ctrl+C", "&Paste|Ctrl+V", "-", "&Request|Ctrl+R",
                 "&Transmit|Ctrl+T", "-", "C&lear|Del", "Rena&me|Ctrl+M", "Ex&port|Ctrl+Alt+E"});
    EXPECT_FALSE(form->PasteM->isEnabled());
    EXPECT_TRUE(form->MinimizedM->isCheckable());
}

TEST_F(DeviceFormTest, PopupEnablingFollowsSelectionAndEditBufferFocus)
{
    activate();
    auto states = [this] {
        form->MemoryGridPopupPopup();
        std::vector<bool> on;
        for (QAction* a : {form->OpenEditSelected, form->Audition, form->Request, form->Transmit, form->Rename,
                           form->Clear, form->Export, form->Copy, form->Paste})
            on.push_back(a->isEnabled());
        return on;
    };
    click(2, 3);
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true, true, true, true, false}));
    click(4, 5, Qt::ShiftModifier);
    EXPECT_EQ(form->Selection(), QRect(QPoint(2, 3), QPoint(4, 5)));
    EXPECT_EQ(states(), (std::vector<bool>{false, false, false, false, false, false, true, true, false}));
    // Paste once the clipboard holds something.
    form->CopyExecute();
    EXPECT_EQ(states(), (std::vector<bool>{false, false, false, false, false, false, true, true, true}));
    // A press on a header cell keeps the selection; the edit buffer is the subject.
    click(0, 3);
    EXPECT_TRUE(form->EditBufferFocus());
    EXPECT_EQ(form->Selection(), QRect(QPoint(2, 3), QPoint(4, 5)));
    EXPECT_EQ(states(), (std::vector<bool>{true, false, false, false, false, false, true, false, false}));
    // The right button opens the menu and leaves the selection alone.
    QTest::mouseClick(form->PresetGrid->viewport(), Qt::RightButton, {}, cellCentre(5, 25));
    // The test clicks bring no context-menu event of their own.
    QContextMenuEvent menuKey(QContextMenuEvent::Mouse, cellCentre(5, 25), QPoint(), {});
    QCoreApplication::sendEvent(form->PresetGrid->viewport(), &menuKey);
    EXPECT_TRUE(form->MemoryGridPopup->isVisible());
    EXPECT_EQ(form->Selection(), QRect(QPoint(2, 3), QPoint(4, 5)));
    form->MemoryGridPopup->hide();
    click(1, 1);
    form->RenameExecute();
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true, false, true, true, true}));

    // The File menu's print items follow the other windows.
    bool libraryShown = false;
    form->libraryWindowVisible = [&] { return libraryShown; };
    form->FileMClick();
    EXPECT_FALSE(form->PrintEditorM->isEnabled());
    EXPECT_FALSE(form->PrintLibraryListM->isEnabled());
    libraryShown = true;
    form->FileMClick();
    EXPECT_TRUE(form->PrintLibraryListM->isEnabled());
}

// The context menu's enabling holds while the menu is up; afterwards the
// keys act on the current cell as they did before it opened.
TEST_F(DeviceFormTest, AfterTheContextMenuTheKeysActOnTheCurrentCellAgain)
{
    activate();
    QSignalSpy editor(form.get(), &TDeviceForm::editorRequested);
    click(2, 3);
    click(4, 5, Qt::ShiftModifier); // the current cell: slot 23
    QContextMenuEvent menuKey(QContextMenuEvent::Mouse, cellCentre(3, 4), QPoint(), {});
    QCoreApplication::sendEvent(form->PresetGrid->viewport(), &menuKey);
    ASSERT_TRUE(form->MemoryGridPopup->isVisible());
    EXPECT_FALSE(form->Transmit->isEnabled());
    QTest::keyClick(form->MemoryGridPopup, Qt::Key_Escape);
    ASSERT_FALSE(form->MemoryGridPopup->isVisible());
    activate();

    QTest::keyClick(form->PresetGrid, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_R, Qt::ControlModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_A, Qt::AltModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_E, Qt::ControlModifier);
    QTest::keyClick(form->PresetGrid, Qt::Key_Delete);
    EXPECT_EQ(unit.dumpSlots, (std::vector<int>{23, 23}));
    EXPECT_EQ(unit.requests, std::vector<int>{23});
    EXPECT_EQ(programChanges, (std::vector<int>{23, 23}));
    EXPECT_EQ(editor.count(), 1);
    QTest::keyClick(form->PresetGrid, Qt::Key_M, Qt::ControlModifier);
    EXPECT_TRUE(form->RenameInProgress());
}

TEST_F(DeviceFormTest, StatusBarNamesTheCellUnderThePointer)
{
    form->show();
    const struct {
        int column, row;
        const char* text;
    } cases[] = {{5, 25, "Bank 25, Preset E"}, {3, 0, "Preset C"}, {0, 7, "Bank 7"}, {0, 0, ""}};
    for (const auto& c : cases) {
        QTest::mouseMove(form->PresetGrid->viewport(), cellCentre(c.column, c.row));
        EXPECT_EQ(form->DeviceStatusBar->currentMessage(), QString::fromLatin1(c.text));
    }
}

TEST_F(DeviceFormTest, MinimizedShrinksAndRestoresAndAnyGrowthUnchecksIt)
{
    form->show();
    const QSize full = form->size();
    EXPECT_EQ(full, QSize(TDeviceForm::MaxWidth, TDeviceForm::MaxHeight));
    form->MinimizedM->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->MinimizedM->isChecked());
    EXPECT_LT(form->height(), 100);
    form->MinimizedM->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->MinimizedM->isChecked());
    EXPECT_EQ(form->size(), full);

    form->MinimizedM->trigger();
    QCoreApplication::processEvents();
    form->resize(400, 300);
    QCoreApplication::processEvents();
    EXPECT_FALSE(form->MinimizedM->isChecked());
    form->resize(900, 900);
    EXPECT_EQ(form->size(), full);
}

TEST_F(DeviceFormTest, HelpAndClosing)
{
    const std::vector<QUrl>& opened = help.opened;
    activate();
    QTest::keyClick(form->PresetGrid, Qt::Key_F1);
    form->ContentsM->trigger();
    ASSERT_EQ(opened.size(), 2u);
    const QString dir = QCoreApplication::applicationDirPath();
    EXPECT_EQ(opened[0].toString(), QStringLiteral("file://localhost") + dir + QStringLiteral("/Drux_Help.html#T3H00"));
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(dir + QStringLiteral("/drux_help.html")));

    bool mayClose = false;
    form->closeQuery = [&] { return mayClose; };
    form->ExitM->trigger();
    EXPECT_TRUE(form->isVisible());
    mayClose = true;
    form->ExitM->trigger();
    EXPECT_FALSE(form->isVisible());
}

} // namespace
