// The librarian windows as the program wires them to the editors.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "support/AnsweringDialogs.h"
#include "support/ProgramState.h"
#include "app/Program.h"
#include "editor/BassEditorForm.h"
#include "editor/EditorForm.h"
#include "files/LibraryFile.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibraryForm.h"
#include "librarian/Printing.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "model/DeviceConnection.h"
#include "settings/ConnectForm.h"
#include "settings/PrefsForm.h"
#include "model/Presets.h"

namespace {

// The program on the virtual unit, with its main window active.
class LibrarianInProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        state.writeWorkingFolderToIni();
        program = std::make_unique<Program>(
            std::make_unique<LoopbackDriver>(std::vector<std::string>{"In"}, std::vector<std::string>{"Out"}),
            ProgramShell{&dialogs, nullptr});
        program->start();
        // No unit answers: once the search has ended, the user closes the
        // configuration window and works with the virtual unit. (Closed
        // while the search still runs, the window comes back when it ends.)
        ASSERT_TRUE(QTest::qWaitFor([this] { return !program->search().ScanActive(); }, 3000));
        if (program->connectForm()->isVisible())
            QTest::mouseClick(program->connectForm()->CloseButt, Qt::LeftButton);
        device = program->deviceForm();
        activate(device);
    }
    void TearDown() override { program.reset(); }
    static void activate(QWidget* window)
    {
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void clickCell(int column, int row)
    {
        QTableWidget* grid = device->PresetGrid;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, column)).center());
    }
    QString editorName() const { return QString::fromStdString(program->guitarEditor()->PresetNameText()).trimmed(); }

    ProgramState state;
    AnsweringDialogs dialogs;
    std::unique_ptr<Program> program;
    TDeviceForm* device = nullptr;
};

// Edit with the edit buffer as its subject shows the editor as it is: the
// name the user gave the edited preset stays, so that a later store keeps it.
TEST_F(LibrarianInProgram, EditOfTheEditBufferKeepsTheEditorsName)
{
    SetRecordName(*DeviceMemory[6], "Slot six");
    device->RedrawSlot(6);
    clickCell(2, 2);
    QTest::keyClick(device->PresetGrid, Qt::Key_E, Qt::ControlModifier);
    ASSERT_TRUE(program->guitarEditor()->isVisible());
    EXPECT_EQ(editorName(), QStringLiteral("Slot six"));

    program->guitarEditor()->ShowPresetName("My own sound");
    activate(device);
    QTest::mouseClick(device->CurrentPreset, Qt::LeftButton);
    QTest::keyClick(device->CurrentPreset, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(editorName(), QStringLiteral("My own sound"));
    activate(device);
    QTest::mouseDClick(device->CurrentPreset, Qt::LeftButton);
    EXPECT_EQ(editorName(), QStringLiteral("My own sound"));
    EXPECT_TRUE(program->guitarEditor()->isVisible());
}

// Edit from the library names the editor after the tree's file; with a
// folder selected there the editor keeps the caption it had.
TEST_F(LibrarianInProgram, EditFromTheLibraryKeepsTheCaptionForAFolder)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("Set.dlb"));
    ListClear(*LibraryList);
    ListAdd(*LibraryList, DeviceMemory[3]);
    ASSERT_EQ(WriteLibraryFile(*LibraryList, file), FileResult::Ok);
    TLibraryForm* library = program->libraryForm();
    activate(library);
    library->RefillPresetList();
    auto editFirst = [library] {
        QTreeWidgetItem* item = library->PresetList->topLevelItem(0);
        QTest::mouseClick(library->PresetList->viewport(), Qt::LeftButton, {},
                          library->PresetList->visualItemRect(item).center());
        QTest::keyClick(library->PresetList, Qt::Key_Return);
    };
    library->SelectPath(file);
    editFirst();
    EXPECT_EQ(program->guitarEditor()->windowTitle(), QStringLiteral("Set.dlb"));
    activate(library);
    library->SelectPath(dir.path());
    editFirst();
    EXPECT_EQ(program->guitarEditor()->windowTitle(), QStringLiteral("Set.dlb"));
    ListClear(*LibraryList);
}

// Cancels every print dialog and counts them.
struct CountingPrintDialogs : PrintDialogs {
    int asked = 0;
    bool print(QPrinter&, QWidget*) override
    {
        ++asked;
        return false;
    }
};

// Ctrl+P in each window that prints opens the print dialog: the device
// window, the library window, an editor and the configuration window.
// Runs `act` once `window` is shown and active (at most five seconds on), as
// the user's keys reach a window only then: a fixed delay misses on a busy
// machine.
void whenActive(QWidget* window, std::function<void()> act)
{
    auto* poll = new QTimer(window);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(poll, &QTimer::timeout, window, [=] {
        if ((window->isVisible() && QApplication::activeWindow() == window) || started->hasExpired(5000)) {
            poll->deleteLater();
            poll->stop();
            act();
        }
    });
    poll->start(10);
}

TEST_F(LibrarianInProgram, CtrlPOpensThePrintDialogInEveryWindowThatPrints)
{
    CountingPrintDialogs printDialogs;
    program->printing()->SetPrintDialogs(&printDialogs);
    QTest::keyClick(device->PresetGrid, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs.asked, 1);

    QTest::keyClick(device->PresetGrid, Qt::Key_L, Qt::ControlModifier);
    TLibraryForm* library = program->libraryForm();
    activate(library);
    QTest::keyClick(library->PresetList, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs.asked, 2);

    activate(device);
    clickCell(1, 1);
    QTest::keyClick(device->PresetGrid, Qt::Key_E, Qt::ControlModifier);
    activate(program->guitarEditor());
    QTest::keyClick(program->guitarEditor(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printDialogs.asked, 3);

    activate(device);
    TConnectForm* settings = program->connectForm();
    whenActive(settings, [settings] {
        QTest::keyClick(settings, Qt::Key_P, Qt::ControlModifier);
        // Only Close ends the configuration window.
        QTest::mouseClick(settings->CloseButt, Qt::LeftButton);
    });
    QTest::keyClick(device->PresetGrid, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(printDialogs.asked, 4);

    // The preferences dialog, from Preferences > Set...
    activate(device);
    TPrefsForm* prefs = program->prefsForm();
    whenActive(prefs, [prefs] {
        QTest::keyClick(prefs, Qt::Key_P, Qt::ControlModifier);
        QTest::mouseClick(prefs->CancelBtn, Qt::LeftButton);
    });
    device->PrefsM->popup(device->mapToGlobal(QPoint(40, 40)));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(device->PrefsM));
    QTest::mouseClick(device->PrefsM, Qt::LeftButton, {}, device->PrefsM->actionGeometry(device->SetM).center());
    EXPECT_EQ(printDialogs.asked, 5);
    program->printing()->SetPrintDialogs(nullptr);
}

} // namespace
