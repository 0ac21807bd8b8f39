#include <QMenuBar>

#include "librarian/DeviceFormFixture.h"

namespace {

struct Item {
    const char* caption; // nullptr for a separator
    const char* key;
};

void expectItems(const QList<QAction*>& actions, const std::vector<Item>& items)
{
    ASSERT_EQ(actions.size(), qsizetype(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        if (!items[i].caption) {
            EXPECT_TRUE(actions[i]->isSeparator());
            continue;
        }
        EXPECT_EQ(actions[i]->text(), QString::fromLatin1(items[i].caption));
        EXPECT_EQ(actions[i]->shortcut(), QKeySequence(QString::fromLatin1(items[i].key)));
    }
}

TEST_F(DeviceFormTest, TheActionListInItsOrderWithCaptionsKeysAndCategories)
{
    struct Row {
        const char* name;
        const char* caption;
        const char* key;
        const char* category;
    };
    const std::vector<Row> rows = {
        {"Audition", "&Audition", "Alt+A", "Memgrid"},
        {"Copy", "&Copy", "Ctrl+C", "Memgrid"},
        {"Paste", "&Paste", "Ctrl+V", "Memgrid"},
        {"Request", "&Request", "Ctrl+R", "Memgrid"},
        {"Transmit", "&Transmit", "Ctrl+T", "Memgrid"},
        {"Clear", "C&lear", "Del", "Memgrid"},
        {"Rename", "Rena&me", "Ctrl+M", "Memgrid"},
        {"Export", "Ex&port", "Ctrl+E", "Memgrid"},
        {"OpenEditSelected", "&Edit", "Ctrl+E", "Windows"},
        {"SelectAll", "&Select All", "Ctrl+A", "Memgrid"},
        {"OpenConfiguration", "C&onfiguration", "Ctrl+N", "Windows"},
        {"ExportSysex", "&Export Sysex", "", "File"},
        {"ImportSysex", "&Import Sysex", "", "File"},
        {"PrintSetup", "Print Setup", "Ctrl+Alt+P", "File"},
        {"PrintP", "&Print Preset Form", "", "File"},
        {"PrintD", "Print &Device List", "", "File"},
        {"PrintL", "Print &Library List", "", "File"},
        {"Save", "&Save Library", "Ctrl+S", "File"},
        {"SaveAs", "Save Library &As...", "Ctrl+Alt+S", "File"},
        {"Open", "&Open Libary ...", "Ctrl+O", "File"},
        {"CloseLib", "&Close Library", "Ctrl+Alt+O", "File"},
        {"Undo", "Undo", "Ctrl+Z", ""},
        {"Redo", "Redo", "Ctrl+Y", ""},
        {"Print", "Print", "Ctrl+P", "File"},
    };
    ASSERT_EQ(form->DeviceActionList.size(), qsizetype(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const QAction* a = form->DeviceActionList[qsizetype(i)];
        SCOPED_TRACE(rows[i].name);
        EXPECT_EQ(a->objectName(), QString::fromLatin1(rows[i].name));
        EXPECT_EQ(a->text(), QString::fromLatin1(rows[i].caption));
        EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(rows[i].key)));
        EXPECT_EQ(a->property("category").toString(), QString::fromLatin1(rows[i].category));
    }
    EXPECT_FALSE(form->Undo->isEnabled());
    EXPECT_FALSE(form->Redo->isEnabled());
}

TEST_F(DeviceFormTest, TheMainMenuInItsOrder)
{
    const QList<QAction*> bar = form->menuBar()->actions();
    ASSERT_EQ(bar.size(), 5);
    const QStringList titles = {"&File", "&Edit", "&Preferences", "&Windows", "&Help"};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(bar[i]->text(), titles[i]);

    expectItems(form->FileM->actions(), {{"&Open Libary ...", "Ctrl+O"},
                                         {"&Save Library", "Ctrl+S"},
                                         {"Save Library &As...", "Ctrl+Alt+S"},
                                         {"&Close Library", "Ctrl+Alt+O"},
                                         {nullptr, ""},
                                         {"&Import Sysex", ""},
                                         {"&Export Sysex", ""},
                                         {nullptr, ""},
                                         {"Printer Setup", "Ctrl+Alt+P"},
                                         {"&Print Editor", ""},
                                         {"Print &Configuration", ""},
                                         {"Print &Library List", ""},
                                         {nullptr, ""},
                                         {"E&xit", ""}});
    expectItems(form->EditM->actions(), {{"Undo", "Ctrl+Z"},
                                         {"Redo", "Ctrl+Y"},
                                         {nullptr, ""},
                                         {"&Copy", "Ctrl+C"},
                                         {"&Paste", "Ctrl+V"},
                                         {"&Select All", "Ctrl+A"}});
    expectItems(form->WindowsM->actions(), {{"Librarian", "Ctrl+L"},
                                            {"&Edit", "Ctrl+E"},
                                            {"C&onfiguration", "Ctrl+N"},
                                            {nullptr, ""},
                                            {"Minimized", "Ctrl+I"}});
    expectItems(form->HelpM->actions(), {{"&Contents F1", ""}, {"&About...", ""}});
    EXPECT_TRUE(form->MinimizedM->isCheckable());
    EXPECT_FALSE(form->PasteM->isEnabled());
    // The menu items run the actions of the list.
    EXPECT_EQ(form->WindowsM->actions()[1], form->OpenEditSelected);
    EXPECT_EQ(form->FileM->actions()[0], form->Open);
}

TEST_F(DeviceFormTest, TheContextMenuInItsOrder)
{
    expectItems(form->MemoryGridPopup->actions(), {{"&Edit", "Ctrl+E"},
                                                   {"&Audition", "Alt+A"},
                                                   {nullptr, ""},
                                                   {"&Copy", "Ctrl+C"},
                                                   {"&Paste", "Ctrl+V"},
                                                   {nullptr, ""},
                                                   {"&Request", "Ctrl+R"},
                                                   {"&Transmit", "Ctrl+T"},
                                                   {nullptr, ""},
                                                   {"C&lear", "Del"},
                                                   {"Rena&me", "Ctrl+M"},
                                                   {"Ex&port", "Ctrl+Alt+E"}});
}

// The menu items that run a handler of their own or of an action emit what
// the program connects.
TEST_F(DeviceFormTest, ItemsForOtherWindowsAskTheProgram)
{
    struct Case {
        QAction* item;
        void (TDeviceForm::*signal)();
    };
    const std::vector<Case> cases = {
        {form->OpenConfiguration, &TDeviceForm::configurationRequested},
        {form->LibrarianM, &TDeviceForm::libraryWindowRequested},
        {form->CloseLib, &TDeviceForm::closeLibraryRequested},
        {form->AboutM, &TDeviceForm::aboutRequested},
        {form->PrinterSetupM, &TDeviceForm::printSetupRequested},
        {form->PrintEditorM, &TDeviceForm::printPresetFormRequested},
        {form->PrintConfigurationM, &TDeviceForm::printDeviceListRequested},
        {form->PrintLibraryListM, &TDeviceForm::printLibraryListRequested},
        {form->Print, &TDeviceForm::printRequested},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item->text().toStdString());
        QSignalSpy spy(form.get(), c.signal);
        c.item->trigger();
        EXPECT_EQ(spy.count(), 1);
    }
}

TEST_F(DeviceFormTest, PopupEnablingFollowsSelectionAndEditBufferFocus)
{
    activate();
    auto states = [this] {
        form->MemoryGridPopupPopup();
        return std::vector<bool>{form->OpenEditSelected->isEnabled(), form->Audition->isEnabled(),
                                 form->Request->isEnabled(),          form->Transmit->isEnabled(),
                                 form->Rename->isEnabled(),           form->Clear->isEnabled(),
                                 form->Export->isEnabled()};
    };
    click(2, 3);
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true, true, true}));
    click(4, 5, Qt::ShiftModifier);
    EXPECT_EQ(form->Selection(), QRect(QPoint(2, 3), QPoint(4, 5)));
    EXPECT_EQ(states(), (std::vector<bool>{false, false, false, false, false, false, true}));
    // A press on a header cell: the edit buffer is the subject.
    click(0, 3);
    EXPECT_TRUE(form->EditBufferFocus());
    EXPECT_EQ(form->Selection(), QRect(QPoint(2, 3), QPoint(4, 5)));
    EXPECT_EQ(states(), (std::vector<bool>{true, false, false, false, false, false, true}));
    click(1, 1);
    form->RenameExecute();
    EXPECT_EQ(states(), (std::vector<bool>{true, true, true, true, true, false, true}));
}

TEST_F(DeviceFormTest, FileMenuPrintItemsFollowTheOtherWindows)
{
    bool libraryShown = false;
    form->libraryWindowVisible = [&] { return libraryShown; };
    form->FileMClick();
    EXPECT_FALSE(form->PrintEditorM->isEnabled());
    EXPECT_FALSE(form->PrintLibraryListM->isEnabled());
    libraryShown = true;
    form->FileMClick();
    EXPECT_TRUE(form->PrintLibraryListM->isEnabled());
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
        QCoreApplication::processEvents();
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
    EXPECT_LE(form->width(), 260);
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
    // Never beyond the maximum.
    form->resize(900, 900);
    QCoreApplication::processEvents();
    EXPECT_EQ(form->size(), QSize(TDeviceForm::MaxWidth, TDeviceForm::MaxHeight));
}

TEST_F(DeviceFormTest, HelpOpensTheFileAtTheWindowsAnchor)
{
    std::vector<QUrl> opened;
    form->openUrl = [&](const QUrl& url) { opened.push_back(url); };
    activate();
    QTest::keyClick(form->PresetGrid, Qt::Key_F1);
    form->ContentsM->trigger();
    ASSERT_EQ(opened.size(), 2u);
    const QString dir = QCoreApplication::applicationDirPath();
    EXPECT_EQ(opened[0].toString(), QStringLiteral("file://localhost") + dir + QStringLiteral("/Drux_Help.html#T3H00"));
    EXPECT_EQ(opened[1], QUrl::fromLocalFile(dir + QStringLiteral("/drux_help.html")));
}

TEST_F(DeviceFormTest, ClosingAsksTheProgramAndExitCloses)
{
    bool mayClose = false;
    form->closeQuery = [&] { return mayClose; };
    form->show();
    form->ExitM->trigger();
    EXPECT_TRUE(form->isVisible());
    mayClose = true;
    form->ExitM->trigger();
    EXPECT_FALSE(form->isVisible());
}

} // namespace

namespace {
// Pictures of the window and its menus for a look by eye.
TEST_F(DeviceFormTest, Screenshots)
{
    const QByteArray out = qgetenv("DRUX_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep pictures of the device window";
    const QString folder = QString::fromLocal8Bit(out);
    name(0, "Clean Twin");
    name(7, "Crunch \xC4rger");
    form->show();
    click(2, 2);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->grab().save(folder + QStringLiteral("/device-window.png")));
    for (QMenu* menu : {form->FileM, form->EditM, form->WindowsM, form->HelpM, form->MemoryGridPopup}) {
        if (menu == form->MemoryGridPopup)
            form->MemoryGridPopupPopup();
        menu->popup(form->mapToGlobal(QPoint(0, 0)));
        QCoreApplication::processEvents();
        EXPECT_TRUE(menu->grab().save(folder + QLatin1Char('/') + menu->objectName() + QStringLiteral(".png")));
        menu->hide();
    }
    form->MinimizedM->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->grab().save(folder + QStringLiteral("/minimized.png")));
}
} // namespace
