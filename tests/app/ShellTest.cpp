#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "support/AnsweringDialogs.h"
#include "support/ProgramState.h"
#include "app/AppIcon.h"
#include "app/ApplicationFilter.h"
#include "controls/KeyCodes.h"
#include "app/Program.h"
#include "app/SplashForm.h"
#include "editor/BassEditorForm.h"
#include "editor/EditorForm.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibraryForm.h"
#include "librarian/Printing.h"
#include "librarian/StoreForm.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"
#include "model/EditorLink.h"
#include "model/MemoryView.h"
#include "settings/ConnectForm.h"
#include "settings/PrefsForm.h"

namespace {

// Records the key codes a widget receives.
struct KeyLog : QObject {
    std::vector<int> pressed, released;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress)
            pressed.push_back(static_cast<QKeyEvent*>(e)->key());
        if (e->type() == QEvent::KeyRelease)
            released.push_back(static_cast<QKeyEvent*>(e)->key());
        return false;
    }
};

TEST(KeyFilter, EnterAndEscapeReachEditFieldsAsConfirmAndCancel)
{
    ApplicationFilter filter;
    qApp->installEventFilter(&filter);
    bool piano = false;
    filter.pianoActive = [&] { return piano; };

    QLineEdit edit;
    QWidget other;
    KeyLog editLog, otherLog;
    edit.installEventFilter(&editLog);
    other.installEventFilter(&otherLog);

    QTest::keyClick(&edit, Qt::Key_Return);
    QTest::keyClick(&edit, Qt::Key_Enter);
    QTest::keyClick(&edit, Qt::Key_Escape);
    QTest::keyClick(&edit, Qt::Key_O);
    QTest::keyClick(&other, Qt::Key_Return);
    EXPECT_EQ(editLog.pressed, (std::vector<int>{KeyConfirm, KeyConfirm, KeyCancel, Qt::Key_O}));
    EXPECT_EQ(editLog.released, (std::vector<int>{KeyConfirm, KeyConfirm, KeyCancel, Qt::Key_O}));
    EXPECT_EQ(otherLog.pressed, std::vector<int>{Qt::Key_Return});

    // While the bass piano is up, O and P are its keys, even in an edit field.
    piano = true;
    editLog.pressed.clear();
    QTest::keyClick(&edit, Qt::Key_O);
    QTest::keyClick(&edit, Qt::Key_P);
    QTest::keyClick(&edit, Qt::Key_Q);
    EXPECT_EQ(editLog.pressed, (std::vector<int>{KeyPianoDown, KeyPianoUp, Qt::Key_Q}));
    EXPECT_EQ(edit.text(), QStringLiteral("oq")); // the first O went in as a letter
    qApp->removeEventFilter(&filter);
}

// Once the toolkit dialog that `open` shows is up, types `text` into its
// focused edit field (or its first one) and presses `key`. A dialog still open after two
// seconds is rejected, so that the test fails instead of hanging.
template <typename Open>
auto answerToolkitDialog(const QString& text, Qt::Key key, Open open)
{
    QTimer::singleShot(50, [text, key] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog);
        auto* edit = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        for (QLineEdit* e : dialog->findChildren<QLineEdit*>())
            if (!edit && e->isVisible() && e->isEnabled()) {
                edit = e;
                edit->setFocus();
            }
        ASSERT_TRUE(edit) << "no edit field in " << dialog->metaObject()->className();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, key);
    });
    QTimer::singleShot(2000, [] {
        if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            d->reject();
    });
    return open();
}

TEST(KeyFilter, TheToolkitsDialogsKeepEnterAndEscape)
{
    ApplicationFilter filter;
    qApp->installEventFilter(&filter);
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Live")));
    const QString libraries = QStringLiteral("Guitar Library (*.dlb)");
    MessageService dialogs;

    // Save Library As: a name and Enter saves under that name.
    const QString saved = answerToolkitDialog(QStringLiteral("Gig.dlb"), Qt::Key_Return, [&] {
        return dialogs.saveFileName(nullptr, QStringLiteral("Save Library As"), dir.path(), libraries);
    });
    EXPECT_EQ(saved, dir.filePath(QStringLiteral("Gig.dlb")));

    // The folder chooser: a folder's name and Enter chooses it.
    const QString folder = answerToolkitDialog(QStringLiteral("Live"), Qt::Key_Enter, [&] {
        return dialogs.existingDirectory(nullptr, QStringLiteral("Choose/Make Working Directory"), dir.path());
    });
    EXPECT_EQ(QDir(folder).absolutePath(), QDir(dir.filePath(QStringLiteral("Live"))).absolutePath());

    // Open: Escape cancels the dialog.
    QElapsedTimer time;
    time.start();
    const QString opened = answerToolkitDialog(QStringLiteral("Gig"), Qt::Key_Escape, [&] {
        return dialogs.openFileName(nullptr, QStringLiteral("Open Library"), dir.path(), libraries);
    });
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_LT(time.elapsed(), 1500) << "Escape did not cancel the dialog";

    // The printer set-up: Escape in a margin field cancels it.
    QPrinter printer;
    PrintDialogs printDialogs;
    time.restart();
    const bool setUp = answerToolkitDialog(QString(), Qt::Key_Escape, [&] {
        return printDialogs.pageSetup(printer, nullptr);
    });
    EXPECT_FALSE(setUp);
    EXPECT_LT(time.elapsed(), 1500) << "Escape did not cancel the printer set-up";
    qApp->removeEventFilter(&filter);
}

TEST(Splash, AKeyClosesItAtOnceAndTheAboutBoxStaysUntilClicked)
{
    TSplashForm splash;
    splash.show();
    EXPECT_EQ(splash.size(), QSize(540, 424));
    EXPECT_TRUE(splash.Timer1.isActive());
    QTest::keyClick(&splash, Qt::Key_Space);
    EXPECT_FALSE(splash.isVisible());

    // Shown again as the About box: the timer has stopped, a click closes it.
    QTimer::singleShot(1500, &splash, [&] {
        EXPECT_TRUE(splash.isVisible());
        QTest::mouseClick(&splash, Qt::LeftButton);
    });
    splash.showAbout();
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, ClosesItselfAfterOneSecond)
{
    TSplashForm splash;
    splash.show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 3000));
    EXPECT_FALSE(splash.Timer1.isActive());
}

class Startup : public ::testing::Test {
protected:
    void start(std::vector<std::string> inputs, std::vector<std::string> outputs)
    {
        state.writeWorkingFolderToIni();
        auto d = std::make_unique<LoopbackDriver>(std::move(inputs), std::move(outputs));
        driver = d.get();
        program = std::make_unique<Program>(std::move(d), ProgramShell{&dialogs, nullptr});
        program->start();
    }
    void TearDown() override { program.reset(); }

    ProgramState state;
    AnsweringDialogs dialogs;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<Program> program;
};

TEST_F(Startup, WithoutMidiPortsTheProgramStartsWithTheVirtualUnit)
{
    start({}, {});
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("No MIDI Devices !?")});
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0");
    EXPECT_EQ(DataFormatVersion, 0x02001101u);
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("Drux Editor"));
    EXPECT_TRUE(program->deviceForm()->isVisible());
}

TEST_F(Startup, TheMainWindowShowsTheMemoryGrid)
{
    start({"In"}, {"Out"});
    EXPECT_TRUE(dialogs.texts.isEmpty());
    TDeviceForm& form = *program->deviceForm();
    QTableWidget& grid = *form.PresetGrid;
    EXPECT_EQ(grid.columnCount(), 6);
    EXPECT_EQ(grid.rowCount(), 26);
    EXPECT_EQ(grid.item(0, 0)->text(), QString());
    EXPECT_EQ(grid.item(0, 1)->text(), QStringLiteral("Preset A"));
    EXPECT_EQ(grid.item(0, 5)->text(), QStringLiteral("Preset E"));
    EXPECT_EQ(grid.item(1, 0)->text(), QStringLiteral("Bank 1"));
    EXPECT_EQ(grid.item(25, 0)->text(), QStringLiteral("Bank 25"));
    for (int r = 1; r <= 25; ++r)
        for (int c = 1; c <= 5; ++c)
            ASSERT_EQ(grid.item(r, c)->text(), QStringLiteral("USER PRESET     "));
    // The virtual unit's edit buffer name shows in both editors too.
    EXPECT_EQ(form.CurrentPreset->text(), QStringLiteral("USER PRESET     "));
    EXPECT_EQ(program->guitarEditor()->PresetName->text(), QStringLiteral("USER PRESET     "));
    EXPECT_EQ(program->bassEditor()->PresetName->text(), QStringLiteral("USER PRESET     "));
    EXPECT_EQ(form.Selection(), QRect(QPoint(-1, -1), QPoint(-1, -1)));
    EXPECT_EQ(form.windowTitle(), QStringLiteral("BRAXEL DRUX Device :Virtual Drux 2"));

    // A renamed slot is redrawn through the model's window link.
    SetRecordName(*DeviceMemory[7], "Crunch");
    StoreDump(7, DeviceMemory[7]->data.data());
    EXPECT_EQ(grid.item(2, 3)->text(), QStringLiteral("Crunch          "));
}

// Records every timer event the event loop delivers, by receiver.
struct TimerLog : QObject {
    QStringList woken;
    bool eventFilter(QObject* receiver, QEvent* e) override
    {
        if (e->type() == QEvent::Timer)
            woken << QString::fromLatin1(receiver->metaObject()->className()) + QLatin1Char(' ') +
                         receiver->objectName();
        return false;
    }
};

// Once the windows have settled and the splash has gone, nothing wakes the
// idle program: no frame tick, no highlight tick, no editor comparison.
TEST_F(Startup, SettledTheIdleProgramIsWokenByNoTimer)
{
    start({}, {});
    ASSERT_TRUE(QTest::qWaitFor([this] { return !program->splash()->isVisible(); }, 3000));
    QTest::qWait(100);
    TimerLog log;
    qApp->installEventFilter(&log);
    QTest::qWait(500);
    qApp->removeEventFilter(&log);
    EXPECT_EQ(log.woken.join(QLatin1Char('\n')).toStdString(), "");
    EXPECT_FALSE(program->connectForm()->FrameTimer.isActive());
    EXPECT_FALSE(program->guitarEditor()->ChangedTimer.isActive());
    EXPECT_FALSE(program->bassEditor()->ChangedTimer.isActive());
}

TEST_F(Startup, EveryWindowShowsTheProgramsIcon)
{
    start({"In"}, {"Out"});
    const QImage icon = AppIcon::Image(32);
    const std::vector<QWidget*> windows{program->splash(),      program->deviceForm(), program->guitarEditor(),
                                        program->bassEditor(),  program->libraryForm(), program->connectForm(),
                                        program->storeForm(),   program->prefsForm()};
    for (QWidget* w : windows) {
        SCOPED_TRACE(w->metaObject()->className());
        const QImage shown = w->windowIcon().pixmap(QSize(32, 32)).toImage();
        EXPECT_EQ(shown.convertToFormat(icon.format()), icon);
    }
}

TEST_F(Startup, CaptionFallsBackToTheModelText)
{
    start({"In"}, {"Out"});
    ActiveDevice.DeviceName.clear();
    program->deviceForm()->FormActivate();
    EXPECT_EQ(program->deviceForm()->windowTitle(), QStringLiteral("BRAXEL DRUX Device :unknown: only output"));
}

TEST_F(Startup, AProgramChangeFromTheUnitSelectsItsCell)
{
    start({"In"}, {"Out"});
    ASSERT_TRUE(program->ports().Open());
    driver->inject(0, {0xC0, 13});
    QCoreApplication::processEvents();
    EXPECT_EQ(program->deviceForm()->Selection(), QRect(QPoint(4, 3), QPoint(4, 3)));
    EXPECT_EQ(driver->sent.back().second, (std::vector<uint8_t>{0xB0, 80, 80}));
}

TEST_F(Startup, EachFamilyHasItsEditorAndANewUnitClosesTheOtherFamilysEditor)
{
    start({"In"}, {"Out"});
    MemoryView& memory = MemoryWindow();
    EditorLink& guitar = FamilyEditor(false);
    EditorLink& bass = FamilyEditor(true);
    ASSERT_TRUE(guitar.exists());
    ASSERT_TRUE(bass.exists());

    emit program->deviceForm()->editorRequested(false, QStringLiteral("Clean"));
    EXPECT_TRUE(program->guitarEditor()->isVisible());
    EXPECT_TRUE(guitar.visible());
    EXPECT_FALSE(bass.visible());

    // A bass unit becomes active: the guitar editor goes without a question.
    ActiveDevice.Model = ModelBass;
    memory.closeWindowsForModel(ModelBass);
    EXPECT_FALSE(program->guitarEditor()->isVisible());
    EXPECT_TRUE(dialogs.texts.isEmpty());

    emit program->deviceForm()->editorRequested(true, QStringLiteral("Thump"));
    EXPECT_TRUE(bass.visible());
    bass.showUnitPresetName("Growl");
    EXPECT_EQ(QString::fromStdString(bass.presetName()).trimmed(), QStringLiteral("Growl"));
    EXPECT_EQ(program->deviceForm()->CurrentPreset->text(), QStringLiteral("Growl"));

    memory.closeWindowsForModel(ModelDrux2);
    EXPECT_FALSE(bass.visible());
    ActiveDevice = DeviceConnection();
}

TEST(EntryPoint, AnEscapingExceptionIsShownAndTheResultIsStillZero)
{
    AnsweringDialogs dialogs;
    EXPECT_EQ(RunGuarded(dialogs, [] { throw std::runtime_error("Out of resources"); }), 0);
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Out of resources")});
}

TEST(DeviceFormCells, StatusTextsAndSlots)
{
    EXPECT_EQ(TDeviceForm::StatusTextForCell(2, 3), QStringLiteral("Bank 3, Preset B"));
    EXPECT_EQ(TDeviceForm::StatusTextForCell(0, 25), QStringLiteral("Bank 25"));
    EXPECT_EQ(TDeviceForm::StatusTextForCell(5, 0), QStringLiteral("Preset E"));
    EXPECT_EQ(TDeviceForm::StatusTextForCell(0, 0), QString());
    EXPECT_EQ(TDeviceForm::CellToSlot(5, 25), 124);
    EXPECT_EQ(TDeviceForm::CellToSlot(0, 7), 0);
    EXPECT_EQ(TDeviceForm::CellToSlot(3, 2), 7);
}

} // namespace
