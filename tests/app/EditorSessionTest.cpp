#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "support/ProgramState.h"
#include "SimEngine.h"
#include "app/Program.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "editor/BassEditorForm.h"
#include "editor/EditorForm.h"
#include "librarian/DeviceForm.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "model/DeviceConnection.h"
#include "settings/ConnectForm.h"

namespace {

// The parts of an editor window a session works with.
struct EditorParts {
    TEditorFormBase* window;
    TWC_ImgKnob* gain;
    TWC_ImgButton* original;
    TWC_ImgButton* editBuffer;
};

// The whole program working with a simulated unit of one family on the
// loopback ports: found by the search, its memory read when the
// configuration window closes, and one of its presets opened in the editor
// with a double click, as a user starts.
class EditorSession : public ::testing::TestWithParam<int> {
protected:
    static constexpr int Slot = 1;

    void SetUp() override
    {
        ASSERT_TRUE(state.valid());
        state.writeWorkingFolderToIni();
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Unit In"},
                                                  std::vector<std::string>{"Unit Out"});
        SimOptions options;
        options.model = GetParam();
        sim = std::make_unique<SimEngine>(options);
        sim->attach(*d, 0, 0);
        program = std::make_unique<Program>(std::move(d));
        program->start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !program->search().ScanActive(); }, 3000));
        QTest::mouseClick(program->connectForm()->CloseButt, Qt::LeftButton);
        QTableWidget& grid = *program->deviceForm()->PresetGrid;
        const int row = Slot / 5 + 1;
        const int column = Slot % 5 + 1;
        ASSERT_TRUE(QTest::qWaitFor([&] { return grid.item(row, column)->text().startsWith("SIM 01B"); }, 3000));

        settle();
        const QPoint cell = grid.visualRect(grid.model()->index(row, column)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        settle();
        // A double click is a press and a release, then the double click
        // event in place of the second press, then its release.
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        QTest::mouseRelease(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell);
        parts = editorParts();
        ASSERT_TRUE(parts.window->isVisible());
        QApplication::setActiveWindow(parts.window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(parts.window));
        settle();
    }

    void TearDown() override { program.reset(); }

    EditorParts editorParts() const
    {
        if (GetParam() == 0x13) {
            TBassEditF* e = program->bassEditor();
            return {e, e->KnbPre1, e->KnbOriginal, e->KnbEditBuffer};
        }
        TEditorForm* e = program->guitarEditor();
        return {e, e->KnbAmp1, e->OriginalPresetBtn, e->EditBufferBtn};
    }

    // Long enough for a few frame ticks and comparison ticks.
    static void settle() { QTest::qWait(300); }

    static void click(QWidget* w)
    {
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
        settle();
    }

    static void stepUp(QWidget* knob, int steps)
    {
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(knob, Qt::Key_Plus, Qt::KeypadModifier);
    }

    // Answers the next message box the way a user does, by clicking one of
    // its buttons, and keeps its text.
    void answerNextBox(QMessageBox::StandardButton answer)
    {
        answering = std::make_unique<QTimer>();
        QObject::connect(answering.get(), &QTimer::timeout, [this, answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            answering->stop();
            boxTexts << box->text();
            QTest::mouseClick(box->button(answer), Qt::LeftButton);
        });
        answering->start(20);
    }

    // The first edit, then back to the original: the edit buffer holds
    // the edit, so the next edit asks before it replaces it.
    void editAndReturnToTheOriginal()
    {
        editGain();
        click(parts.original);
    }

    // Five keypad steps up on the gain knob, until the edit buffer lights.
    void editGain()
    {
        parts.gain->setFocus();
        stepUp(parts.gain, 5);
        ASSERT_TRUE(QTest::qWaitFor([this] { return parts.editBuffer->Down(); }, 2000));
        settle();
    }

    // The window manager gives the window the focus back when a box closes.
    void reactivate()
    {
        QApplication::setActiveWindow(parts.window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(parts.window));
    }

    void typeName(const QString& text)
    {
        reactivate();
        QTest::mouseClick(parts.window->PresetName, Qt::LeftButton);
        QTest::keyClicks(parts.window->NameEdit, text);
    }

    QString shownName() const { return parts.window->PresetName->text(); }
    std::string unitName() const
    {
        const auto& edit = sim->editBuffer();
        return std::string(edit.end() - 16, edit.end());
    }

    ProgramState state;
    std::unique_ptr<SimEngine> sim;
    std::unique_ptr<Program> program;
    EditorParts parts{};
    std::unique_ptr<QTimer> answering;
    QStringList boxTexts;
};

INSTANTIATE_TEST_SUITE_P(Families, EditorSession, ::testing::Values(0x11, 0x13),
                         [](const auto& info) { return info.param == 0x13 ? "Bass" : "Guitar"; });

TEST_P(EditorSession, AClickOnTheLitEditBufferLampKeepsTheEdit)
{
    const int start = sim->editBuffer()[0];
    editGain();
    ASSERT_EQ(sim->editBuffer()[0], start + 5);

    click(parts.editBuffer);
    click(parts.original);
    EXPECT_EQ(sim->editBuffer()[0], start);
    click(parts.editBuffer);
    EXPECT_TRUE(parts.editBuffer->Down());
    EXPECT_EQ(parts.gain->GetVal(), start + 5);
    EXPECT_EQ(sim->editBuffer()[0], start + 5) << "the unit holds the edit again";
}

TEST_P(EditorSession, ANameTypedWhenTheQuestionComesLeavesTheUnitAndTheLabelAlike)
{
    editAndReturnToTheOriginal();
    const std::string original = unitName();
    ASSERT_EQ(shownName().toStdString(), original);

    // No takes the typing back: the box taking the focus sent nothing.
    answerNextBox(QMessageBox::No);
    typeName(QStringLiteral("Lead"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !boxTexts.isEmpty(); }, 2000));
    settle();
    EXPECT_EQ(boxTexts, QStringList{QStringLiteral("Overwrite edit buffer ?")});
    EXPECT_FALSE(parts.window->NameEdit->isVisible());
    EXPECT_EQ(shownName().toStdString(), original);
    EXPECT_EQ(unitName(), original);

    // Yes lets the typing go on, and Escape still goes back to the name the
    // typing started from.
    answerNextBox(QMessageBox::Yes);
    typeName(QStringLiteral("Lead"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boxTexts.size() == 2; }, 2000));
    reactivate();
    settle();
    EXPECT_TRUE(parts.window->NameEdit->hasFocus());
    EXPECT_EQ(unitName(), original);
    QTest::keyClicks(parts.window->NameEdit, QStringLiteral(" Solo"));
    QTest::keyClick(parts.window->NameEdit, Qt::Key_Escape);
    settle();
    EXPECT_FALSE(parts.window->NameEdit->isVisible());
    EXPECT_EQ(shownName().toStdString(), original);
    EXPECT_EQ(unitName(), original);

    // Enter ends the typing and sends what the label shows.
    typeName(QStringLiteral("Lead"));
    QTest::keyClick(parts.window->NameEdit, Qt::Key_Return);
    settle();
    EXPECT_EQ(boxTexts.size(), 2);
    EXPECT_EQ(shownName(), QStringLiteral("Lead            "));
    EXPECT_EQ(unitName(), "Lead            ");
}

TEST_P(EditorSession, OriginalAndEditBufferTakeTheirNamesToTheUnit)
{
    const std::string original = unitName();
    typeName(QStringLiteral("Lead"));
    QTest::keyClick(parts.window->NameEdit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([this] { return parts.editBuffer->Down(); }, 2000));
    ASSERT_EQ(unitName(), "Lead            ");

    click(parts.original);
    EXPECT_EQ(shownName().toStdString(), original);
    EXPECT_EQ(unitName(), original);
    click(parts.editBuffer);
    EXPECT_EQ(shownName(), QStringLiteral("Lead            "));
    EXPECT_EQ(unitName(), "Lead            ");
}

} // namespace
