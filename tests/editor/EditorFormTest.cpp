#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "support/AnsweringDialogs.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/EditorFixture.h"
#include "editor/EditorForm.h"
#include "editor/EditorFormTables.h"
#include "files/Preferences.h"
#include "model/Controllers.h"
#include "model/RecordingUnit.h"
#include "model/EditorLink.h"

namespace {

// Guitar preset parameters the tests look at.
enum : int {
    McGain = GuitarPreset::Gain,
    McMid = GuitarPreset::Mid,
    McVolume = GuitarPreset::Volume,
    McPresence = GuitarPreset::Presence,
    McAmpModel = GuitarPreset::AmpModel,
    McCabinet = GuitarPreset::Cabinet,
    McPreEffectType = GuitarPreset::PreEffectType,
    McPreSpeed = GuitarPreset::PreEffectSpeed,
    McDelayType = GuitarPreset::DelayType,
    McDelayUpper = GuitarPreset::DelayTimeUpper,
    McDelayLower = GuitarPreset::DelayTimeLower,
    McDelayMix = GuitarPreset::DelayMix,
    McModType = GuitarPreset::ModulationType,
    McModSpeed = GuitarPreset::ModulationSpeed,
    McModMix = GuitarPreset::ModulationMix,
    McDelayTime = GuitarPreset::DelayTime,
};
constexpr int NameCcNumber = 81;

MCtrl& preset(int mcix) { return Param(ModixPreset, mcix); }

// What the model asks of the guitar editor, answered by the editor itself.
struct GuitarLink : EditorLink {
    TEditorForm* form = nullptr;
    std::string presetName() override { return form->PresetNameText(); }
    bool exists() override { return true; }
    bool visible() override { return form->isVisible(); }
    void showUnitPresetName(const std::string& name) override { form->ShowPresetName(name); }
    void tookOriginal() override { form->TookOriginal(); }
};

// A guitar editor on fresh modules, showing a preset with known values that
// is both the original and the edit buffer.
class GuitarEditor : public ::testing::TestWithParam<int>, protected EditorFixture<TEditorForm> {
protected:
    void SetUp() override
    {
        setUpEditor(GetParam(), EditorServices());
        link.form = form.get();
        SetEditorLink(false, &link);
        takeStart({{McGain, 70}, {McVolume, 100}, {McAmpModel, 5}, {McCabinet, 7}, {McModMix, 90},
                   {McDelayMix, 80}, {McDelayUpper, 10}, {McDelayLower, 20}, {McModSpeed, 100}},
                  "Clean Start");
    }

    void TearDown() override { tearDownEditor(); }

    // A knob turned one step up by the user.
    static void stepUp(TWC_ImgKnob* knob, int steps = 1)
    {
        for (int i = 0; i < steps; ++i) {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_Plus, Qt::KeypadModifier);
            QCoreApplication::sendEvent(knob, &e);
        }
    }
    static void stepDown(TWC_ImgKnob* knob, int steps = 1)
    {
        for (int i = 0; i < steps; ++i) {
            QKeyEvent e(QEvent::KeyPress, Qt::Key_Minus, Qt::KeypadModifier);
            QCoreApplication::sendEvent(knob, &e);
        }
    }
    static void key(QWidget* w, QEvent::Type type, int code, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QKeyEvent e(type, code, mods);
        QCoreApplication::sendEvent(w, &e);
    }
    // Keys arrive where the focus is, or at the window.
    QWidget* keyTarget() const
    {
        QWidget* f = QApplication::focusWidget();
        return f ? f : form.get();
    }

    std::vector<std::pair<int, int>> sentOn(int cc) const
    {
        std::vector<std::pair<int, int>> out;
        for (auto m : unit.controllers)
            if (m.first == cc)
                out.push_back(m);
        return out;
    }

    bool firstGeneration() const { return GetParam() == ModelDrux; }

    GuitarLink link;
};

// ---- knobs, lists and the connected model ----

TEST_P(GuitarEditor, KnobsAndListsReachTheUnitAsTheirControllers)
{
    showActive();
    stepUp(form->KnbAmp1, 2);
    stepUp(form->KnbAmp6);
    FlushPending();
    EXPECT_EQ(sentOn(12), (std::vector<std::pair<int, int>>{{12, 72}}));
    EXPECT_EQ(sentOn(16), (std::vector<std::pair<int, int>>{{16, 101}}));

    // A drag upwards from the knob's centre turns it up.
    unit.controllers.clear();
    const QPoint centre = form->KnbAmp3->rect().center();
    QTest::mousePress(form->KnbAmp3, Qt::LeftButton, Qt::NoModifier, centre);
    QMouseEvent drag(QEvent::MouseMove, centre - QPoint(0, 30), form->KnbAmp3->mapToGlobal(centre - QPoint(0, 30)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(form->KnbAmp3, &drag);
    QTest::mouseRelease(form->KnbAmp3, Qt::LeftButton, Qt::NoModifier, centre - QPoint(0, 30));
    FlushPending();
    ASSERT_EQ(sentOn(14).size(), 1u);
    EXPECT_GT(sentOn(14)[0].second, 85);
    EXPECT_EQ(sentOn(14)[0].second, preset(McMid).value);

    // The delay time is one knob over two controllers of 7 bits each.
    unit.controllers.clear();
    stepUp(form->KnbDelay1, 200);
    FlushPending();
    const int whole = 10 * 128 + 20 + 200;
    ASSERT_FALSE(sentOn(50).empty());
    EXPECT_EQ(sentOn(50).back().second, whole >> 7);
    EXPECT_EQ(sentOn(51).back().second, whole & 127);

    // Amp model and presence: the first-generation unit numbers them
    // differently and has no presence.
    unit.controllers.clear();
    choose(firstGeneration() ? form->KnbAmpType1 : form->KnbAmpType2, 9);
    form->KnbAmp5->SetEnabled(true);
    stepUp(form->KnbAmp5);
    FlushPending();
    const int ampCc = firstGeneration() ? 19 : 61;
    EXPECT_EQ(sentOn(ampCc), (std::vector<std::pair<int, int>>{{ampCc, 9}}));
    EXPECT_EQ(sentOn(17).size(), firstGeneration() ? 0u : 1u);
}

TEST_P(GuitarEditor, ShowingSetsUpTheAmpSectionForTheModel)
{
    preset(McPresence).SetVal(33);
    FlushPending();
    showActive();
    const bool first = firstGeneration();
    TWC_ComboBox* shown = first ? form->KnbAmpType1 : form->KnbAmpType2;
    TWC_ComboBox* other = first ? form->KnbAmpType2 : form->KnbAmpType1;
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(other->isVisible());
    EXPECT_EQ(shown->count(), first ? 16 : 33);
    EXPECT_EQ(shown->currentText(), QStringLiteral("Brit Class A"));
    EXPECT_EQ(preset(McAmpModel).maximum, first ? 15 : 32);
    EXPECT_EQ(form->KnbAmp5->isEnabled(), !first);
    EXPECT_EQ(form->vlAmp5->text(), first ? QString() : QStringLiteral("33"));
    EXPECT_EQ(form->lbAmp5->isVisible(), !first);
    EXPECT_EQ(form->PreAmpBypass->isEnabled(), !first);

    // Only the list in view follows the parameter.
    preset(McAmpModel).SetValFromUnit(2);
    FlushPending();
    EXPECT_EQ(shown->currentIndex(), 2);
    EXPECT_EQ(other->currentIndex(), 5);
}

// The window takes its look when it is first shown: the value displays are
// amber bold figures, the lists light grey on dark.
TEST_P(GuitarEditor, ShownTheValueDisplaysAndListsHaveTheirLook)
{
    showActive();
    const QFont value = form->vlAmp1->font();
    EXPECT_EQ(value.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_TRUE(value.bold());
    EXPECT_EQ(value.pixelSize(), 10);
    EXPECT_EQ(form->vlAmp1->palette().color(QPalette::WindowText), QColor(0xff, 0xb2, 0x40));
    EXPECT_EQ(form->KnbCabinetType->font().pixelSize(), 11);
    EXPECT_EQ(form->KnbCabinetType->palette().color(QPalette::ButtonText), QColor(0xdf, 0xe2, 0xe8));
}

INSTANTIATE_TEST_SUITE_P(Models, GuitarEditor, ::testing::Values(ModelDrux, ModelDrux2),
                         [](const auto& info) { return info.param == ModelDrux ? "First" : "Second"; });

// The rest holds for both guitar models alike; the later one has every control.
class Editor : public GuitarEditor {};
INSTANTIATE_TEST_SUITE_P(Second, Editor, ::testing::Values(ModelDrux2));

// ---- switch couplings ----

TEST_P(Editor, BypassInTheAmpListReleasesTheAmpSwitchAndItBringsTheModelBack)
{
    showActive();
    EXPECT_TRUE(form->PreAmpBypass->Down());
    choose(form->KnbAmpType2, GuitarEditorTexts::AmpBypass);
    EXPECT_FALSE(form->PreAmpBypass->Down());
    for (TWC_ImgKnob* k : {form->KnbAmp1, form->KnbAmp2, form->KnbAmp3, form->KnbAmp4, form->KnbAmp5})
        EXPECT_FALSE(k->isEnabled());
    EXPECT_TRUE(form->vlAmp1->text().isEmpty());
    EXPECT_TRUE(form->KnbAmp6->isEnabled());

    unit.controllers.clear();
    click(form->PreAmpBypass);
    EXPECT_EQ(preset(McAmpModel).value, 5);
    EXPECT_EQ(sentOn(61), (std::vector<std::pair<int, int>>{{61, 5}}));
    EXPECT_TRUE(form->KnbAmp1->isEnabled());
    EXPECT_EQ(form->vlAmp1->text(), QStringLiteral("70"));

    click(form->PreAmpBypass);
    EXPECT_EQ(preset(McAmpModel).value, GuitarEditorTexts::AmpBypass);
    EXPECT_EQ(form->KnbAmpType2->currentIndex(), GuitarEditorTexts::AmpBypass);
}

TEST_P(Editor, SwitchesTurnTheirParameterOffAndBringTheLastValueBack)
{
    showActive();
    struct Row {
        TWC_ImgButton* button;
        int mcix;
        int cc;
        int start;
    };
    for (const Row& r : {Row{form->CabinetBypass, McCabinet, 23, 7}, Row{form->PostFxMixOn, McModMix, 59, 90},
                         Row{form->DelayMixOn, McDelayMix, 54, 80}}) {
        SCOPED_TRACE(r.cc);
        ASSERT_TRUE(r.button->Down());
        unit.controllers.clear();
        click(r.button);
        EXPECT_FALSE(r.button->Down());
        EXPECT_EQ(preset(r.mcix).value, 0);
        click(r.button);
        EXPECT_TRUE(r.button->Down());
        EXPECT_EQ(preset(r.mcix).value, r.start);
        EXPECT_EQ(sentOn(r.cc), (std::vector<std::pair<int, int>>{{r.cc, 0}, {r.cc, r.start}}));

        // The parameter reaching its off value from the unit releases the
        // switch, without the switch sending anything itself.
        unit.controllers.clear();
        preset(r.mcix).SetValFromUnit(0);
        FlushPending();
        EXPECT_FALSE(r.button->Down());
        preset(r.mcix).SetValFromUnit(3);
        FlushPending();
        EXPECT_TRUE(r.button->Down());
        EXPECT_TRUE(unit.controllers.empty());
    }
}

TEST_P(Editor, AProgramChangeRefreshLeavesTheMixSwitchesAMiddleValue)
{
    showActive();
    preset(McModMix).SetValFromUnit(0);
    preset(McDelayMix).SetValFromUnit(0);
    FlushPending();
    ProgramChangeRefresh = true;
    HandleController(NameCcNumber, 15);
    HandleController(NameCcNumber, 'A');
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    click(form->PostFxMixOn);
    click(form->DelayMixOn);
    EXPECT_EQ(preset(McModMix).value, 64);
    EXPECT_EQ(preset(McDelayMix).value, 64);
}

// ---- effect types ----

TEST_P(GuitarEditor, PreEffectTypeSetsCaptionsKnobsAndValueTexts)
{
    showActive();
    preset(McPreSpeed).SetVal(44);
    FlushPending();
    const ConversionContext c;
    struct Row {
        int type;
        std::array<const char*, 4> captions;
        QString firstValue;
    };
    const bool first = firstGeneration();
    const Row rows[] = {
        {0, {"", "", "", ""}, QString()},
        {1, {"Sense", first ? "" : "Attack", "", ""}, *GuitarValues::ValToTextRatio(44, c)},
        {2, {"Speed", "Depth", "Offset", "Frequency"}, *GuitarValues::ValToTextSpeed(44, c)},
    };
    const std::array<TWC_ImgKnob*, 4> knobs{form->KnbpFx1, form->KnbpFx2, form->KnbpFx3, form->KnbpFx4};
    const std::array<QLabel*, 4> values{form->vlpFx1, form->vlpFx2, form->vlpFx3, form->vlpFx4};
    const std::array<QLabel*, 4> captions{form->lbpFx1, form->lbpFx2, form->lbpFx3, form->lbpFx4};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        choose(form->KnbPreEffectType, r.type);
        for (int i = 0; i < 4; ++i) {
            const bool on = *r.captions[i] != 0;
            EXPECT_EQ(captions[i]->text(), QString::fromLatin1(r.captions[i]));
            EXPECT_EQ(knobs[i]->isEnabled(), on);
            EXPECT_EQ(values[i]->isEnabled(), on);
            if (!on) {
                EXPECT_TRUE(values[i]->text().isEmpty());
            }
        }
        EXPECT_EQ(form->vlpFx1->text(), r.firstValue);
    }
    EXPECT_NE(*GuitarValues::ValToTextRatio(44, c), *GuitarValues::ValToTextSpeed(44, c));
    // Offset keeps its plain number.
    EXPECT_EQ(form->vlpFx3->text(), QStringLiteral("0"));
}

TEST_P(Editor, ModulationAndDelayTypesTakeKnobsOutOfUse)
{
    showActive();
    struct Row {
        int type;
        bool depth;
        bool feedback;
    };
    const ConversionContext c;
    for (const Row& r : {Row{0, true, false}, Row{2, false, false}, Row{3, true, true}, Row{6, true, true}}) {
        SCOPED_TRACE(r.type);
        choose(form->KnbModFx, r.type);
        EXPECT_EQ(form->KnbFx2->isEnabled(), r.depth);
        EXPECT_EQ(form->vlFx2->text().isEmpty(), !r.depth);
        EXPECT_EQ(form->KnbFx3->isEnabled(), r.feedback);
        EXPECT_EQ(form->vlFx3->text().isEmpty(), !r.feedback);
        EXPECT_TRUE(form->KnbFx1->isEnabled());
        EXPECT_TRUE(form->KnbFx4->isEnabled());
        ConversionContext typed = c;
        typed.modulationType = r.type;
        EXPECT_EQ(form->vlFx1->text(), *GuitarValues::ValToTextFxSpd(100, typed));
    }

    for (int type : {1, 2, 0}) {
        choose(form->KnbFxDelay, type);
        EXPECT_EQ(form->KnbDelay2->isEnabled(), type == 0);
        EXPECT_EQ(form->vlDelay2->text().isEmpty(), type != 0);
    }
    EXPECT_EQ(form->vlDelay1->text(), *GuitarValues::ValToTextDelT(10 * 128 + 20, c));
}

TEST_P(Editor, NewTimeUnitShowsWhenShownAgain)
{
    showActive();
    const QString ms = form->vlDelay1->text();
    CurrentPreferences.TimeUnit = 2;
    form->ShowAgain();
    EXPECT_NE(form->vlDelay1->text(), ms);
    EXPECT_EQ(form->vlDelay1->text(), QString::number(10 * 128 + 20));
}

TEST_P(Editor, TypedDelayTimeGoesToTheUnitAndBadTextIsRefused)
{
    showActive();
    auto type = [&](const QString& text) {
        QTest::mouseClick(form->vlDelay1, Qt::LeftButton);
        ASSERT_TRUE(form->ValueEdit->isVisible());
        form->ValueEdit->selectAll();
        QTest::keyClicks(form->ValueEdit, text);
        QTest::keyClick(form->ValueEdit, Qt::Key_Return);
        FlushPending();
    };
    CurrentPreferences.TimeUnit = 2;
    type(QStringLiteral("1000"));
    EXPECT_EQ(preset(McDelayTime).value, 1000);
    EXPECT_EQ(sentOn(50).back().second, 1000 >> 7);
    EXPECT_EQ(sentOn(51).back().second, 1000 & 127);
    EXPECT_EQ(form->vlDelay1->text(), QStringLiteral("1000"));

    unit.controllers.clear();
    CurrentPreferences.TimeUnit = 1;
    type(QStringLiteral("abc"));
    EXPECT_EQ(dialogs.texts.size(), 1);
    EXPECT_EQ(preset(McDelayTime).value, 1000);
    EXPECT_TRUE(unit.controllers.empty());
}

// ---- preset name ----

TEST_P(Editor, TypedNameIsPaddedShownAndSentForAUnitPreset)
{
    showActive();
    QTest::mouseClick(form->PresetName, Qt::LeftButton);
    ASSERT_TRUE(form->NameEdit->isVisible());
    EXPECT_EQ(form->NameEdit->text(), QStringLiteral("Clean Start     "));
    QTest::keyClicks(form->NameEdit, QStringLiteral("Lead"));
    EXPECT_EQ(form->PresetName->text(), QStringLiteral("Lead"));
    QTest::keyClick(form->NameEdit, Qt::Key_Return);
    EXPECT_FALSE(form->NameEdit->isVisible());
    EXPECT_EQ(form->PresetName->text(), QStringLiteral("Lead            "));

    const auto sent = sentOn(NameCcNumber);
    ASSERT_EQ(sent.size(), 32u);
    EXPECT_EQ(sent[0].second, 0);
    EXPECT_EQ(sent[1].second, 'L');
    EXPECT_EQ(sent[30].second, 15);
    EXPECT_EQ(sent[31].second, ' ');
}

TEST_P(Editor, LongNamesAreCutEscapeRestoresAndLibraryPresetsSendNothing)
{
    showActive();
    form->SetPresetSource(PresetSource::Library);
    QTest::mouseClick(form->PresetName, Qt::LeftButton);
    QTest::keyClicks(form->NameEdit, QStringLiteral("A name much too long"));
    EXPECT_EQ(form->NameEdit->text(), QStringLiteral("A name much too "));
    EXPECT_EQ(form->PresetName->text(), QStringLiteral("A name much too "));
    QTest::keyClick(form->NameEdit, Qt::Key_Escape);
    EXPECT_FALSE(form->NameEdit->isVisible());
    EXPECT_EQ(form->PresetName->text(), QStringLiteral("Clean Start     "));
    EXPECT_TRUE(sentOn(NameCcNumber).empty());
}

TEST_P(Editor, NameFromTheUnitShowsInTheLabel)
{
    showActive();
    const char* name = "Crunch Rhythm   ";
    for (int i = 0; i < 16; ++i) {
        HandleController(NameCcNumber, i);
        HandleController(NameCcNumber, name[i]);
    }
    EXPECT_EQ(form->PresetName->text(), QString::fromLatin1(name));
}

// ---- original, edit buffer, compare ----

TEST_P(Editor, TurningAKnobBackToTheOriginalEndsTheEdit)
{
    showActive();
    stepUp(form->KnbAmp1, 3);
    tick();
    EXPECT_TRUE(form->Edited());
    EXPECT_TRUE(form->EditBufferBtn->Down());
    EXPECT_FALSE(form->OriginalPresetBtn->Down());
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 73);

    // The window's own 100 ms timer sees the way back.
    stepDown(form->KnbAmp1, 3);
    FlushPending();
    for (int i = 0; i < 20 && form->Edited(); ++i)
        QTest::qWait(TEditorForm::ChangedMs / 2);
    EXPECT_FALSE(form->Edited());
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    EXPECT_FALSE(form->EditBufferBtn->Down());

    // A changed name is an edit as well.
    form->ShowPresetName("Other Name      ");
    tick();
    EXPECT_TRUE(form->Edited());
    EXPECT_EQ(GetRecordName(*EditBufferRecord), "Other Name      ");
}

TEST_P(Editor, CompareSwitchesBetweenTheEditAndTheOriginal)
{
    showActive();
    stepUp(form->KnbAmp1, 5);
    tick();
    ASSERT_TRUE(form->Edited());

    unit.controllers.clear();
    click(form->KnbCompare);
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    EXPECT_EQ(preset(McGain).value, 70);
    EXPECT_EQ(sentOn(12), (std::vector<std::pair<int, int>>{{12, 70}}));
    tick();
    EXPECT_FALSE(form->Edited());
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 75) << "switching to the original keeps the edit";

    click(form->KnbCompare);
    EXPECT_TRUE(form->EditBufferBtn->Down());
    EXPECT_EQ(preset(McGain).value, 75);
    tick();
    EXPECT_TRUE(form->Edited());

    // The radio buttons do the same when the user presses them.
    click(form->OriginalPresetBtn);
    EXPECT_EQ(preset(McGain).value, 70);
    click(form->EditBufferBtn);
    EXPECT_EQ(preset(McGain).value, 75);
}

TEST_P(Editor, CompareWithNothingToCompareKeepsTheOriginal)
{
    showActive();
    click(form->KnbCompare);
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    EXPECT_FALSE(form->EditBufferBtn->Down());
    tick();
    EXPECT_FALSE(form->Edited());
}

// Edit A, go back to the original, then begin edit B: the edit buffer still
// holds A, so the user is asked before B replaces it.
class OverwriteQuestion : public GuitarEditor {
protected:
    void beginSecondEdit()
    {
        showActive();
        stepUp(form->KnbAmp1, 5);
        tick();
        click(form->OriginalPresetBtn);
        tick();
        ASSERT_EQ(EditBufferRecord->data[McGain - 1], 75);
        unit.controllers.clear();
        stepUp(form->KnbAmp6, 2);
        tick();
    }
};
INSTANTIATE_TEST_SUITE_P(Second, OverwriteQuestion, ::testing::Values(ModelDrux2));

TEST_P(OverwriteQuestion, NoTakesTheNewChangeBack)
{
    dialogs.answer = QMessageBox::No;
    beginSecondEdit();
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("Overwrite edit buffer ?")});
    EXPECT_FALSE(form->Edited());
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    EXPECT_EQ(preset(McVolume).value, 100);
    FlushPending();
    EXPECT_EQ(sentOn(16), (std::vector<std::pair<int, int>>{{16, 102}, {16, 100}}));
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 75);
    form->ChangedTimerTimer();
    EXPECT_EQ(dialogs.texts.size(), 1);
}

TEST_P(OverwriteQuestion, YesReplacesTheEditBuffer)
{
    dialogs.answer = QMessageBox::Yes;
    beginSecondEdit();
    EXPECT_EQ(dialogs.texts.size(), 1);
    EXPECT_TRUE(form->Edited());
    EXPECT_TRUE(form->EditBufferBtn->Down());
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 70);
    EXPECT_EQ(EditBufferRecord->data[McVolume - 1], 102);
}

TEST_P(OverwriteQuestion, NotAskedWithConfirmationsOff)
{
    CurrentPreferences.Confirm = 0;
    beginSecondEdit();
    EXPECT_TRUE(dialogs.texts.isEmpty());
    EXPECT_TRUE(form->Edited());
    EXPECT_EQ(EditBufferRecord->data[McVolume - 1], 102);
}

TEST_P(OverwriteQuestion, NameChangeAnsweredNoIsTakenBackAndAskedOnce)
{
    dialogs.answer = QMessageBox::No;
    showActive();
    stepUp(form->KnbAmp1, 5);
    tick();
    click(form->OriginalPresetBtn);
    tick();
    form->ShowPresetName("Renamed         ");
    tick();
    tick();
    EXPECT_EQ(dialogs.texts.size(), 1);
    EXPECT_EQ(form->PresetName->text(), QStringLiteral("Clean Start     "));
    EXPECT_FALSE(form->Edited());
}

// ---- store, overwrite, close ----

TEST_P(Editor, OverwriteCommitsTheEditAndStoresWhereThePresetCameFrom)
{
    showActive();
    currentSlot = 37;
    QSignalSpy toUnit(form.get(), &TEditorForm::storeToUnitRequested);
    QSignalSpy toLibrary(form.get(), &TEditorForm::storeToLibraryRequested);
    QSignalSpy dialog(form.get(), &TEditorForm::storeDialogRequested);

    stepUp(form->KnbAmp1, 4);
    tick();
    click(form->Overwrite);
    EXPECT_FALSE(form->Edited());
    EXPECT_TRUE(form->OriginalPresetBtn->Down());
    EXPECT_EQ(OriginalRecord->data[McGain - 1], 74);
    EXPECT_EQ(EditBufferRecord->data[McGain - 1], 74);
    ASSERT_EQ(toUnit.count(), 1);
    EXPECT_EQ(toUnit[0], (QVariantList{7, 2}));
    tick();
    EXPECT_FALSE(form->Edited());

    form->SetPresetSource(PresetSource::Library);
    click(form->Overwrite);
    EXPECT_EQ(toLibrary.count(), 1);
    click(form->Store);
    ASSERT_EQ(dialog.count(), 1);
    EXPECT_EQ(dialog[0], (QVariantList{7, 2}));
    EXPECT_EQ(toUnit.count(), 1);
}

TEST_P(Editor, ClosingWithAnEditAsksForTheStoreDialogThenCloses)
{
    showActive();
    QSignalSpy dialog(form.get(), &TEditorForm::storeDialogRequested);
    form->close();
    EXPECT_EQ(dialog.count(), 0);
    EXPECT_FALSE(form->ChangedTimer.isActive());

    showActive();
    EXPECT_TRUE(form->ChangedTimer.isActive());
    stepUp(form->KnbAmp1);
    tick();
    EXPECT_TRUE(form->close());
    EXPECT_EQ(dialog.count(), 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Edited());
}

// ---- tap, tuner, help ----

TEST_P(Editor, TapKeysAndTunerButton)
{
    showActive();
    form->KnbAmp1->setFocus();
    key(keyTarget(), QEvent::KeyPress, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_TRUE(form->TapBtn->Down());
    key(keyTarget(), QEvent::KeyRelease, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_FALSE(form->TapBtn->Down());
    FlushPending();
    EXPECT_EQ(preset(McGain).value, 70) << "the tap key does not set the knob to 0";
    key(keyTarget(), QEvent::KeyPress, Qt::Key_Insert);
    key(keyTarget(), QEvent::KeyRelease, Qt::Key_Insert);
    click(form->TapBtn);
    EXPECT_EQ(sentOn(64), (std::vector<std::pair<int, int>>(3, {64, 127})));

    // Keypad 0 belongs to an edit field that has the focus.
    unit.controllers.clear();
    QTest::mouseClick(form->PresetName, Qt::LeftButton);
    key(keyTarget(), QEvent::KeyPress, Qt::Key_0, Qt::KeypadModifier);
    EXPECT_FALSE(form->TapBtn->Down());
    EXPECT_TRUE(sentOn(64).empty());

    click(form->TunerBut);
    EXPECT_EQ(programs, std::vector<int>{127});
}

TEST_P(Editor, F1OpensTheHelpAtTheFocusedControlsAnchor)
{
    showActive();
    QSignalSpy help(form.get(), &TEditorForm::helpRequested);
    form->KnbpFx1->SetEnabled(true);
    form->KnbpFx1->setFocus();
    key(keyTarget(), QEvent::KeyRelease, Qt::Key_F1);
    form->TunerBut->setFocus();
    key(keyTarget(), QEvent::KeyRelease, Qt::Key_F1);
    ASSERT_EQ(help.count(), 2);
    EXPECT_EQ(help[0][0].toString(), QStringLiteral("#T7H40"));
    EXPECT_EQ(help[1][0].toString(), QStringLiteral("#T6H00"));
}

TEST(EditorHelpAnchors, NumbersMapToTheirPages)
{
    const std::pair<int, const char*> rows[] = {
        {0, "#T6H00"},   {1, "#T6H00"},   {2, "#T3H30"},  {3, "#T6H11"},  {10, "#T6H18"},  {11, "#T6H21"},
        {12, "#T6H31"},  {14, "#T6H33"},  {15, "#T6H41"}, {16, "#T6H42"}, {17, "#T6H51"},  {18, "#T6H52"},
        {19, "#T6H61"},  {21, "#T6H63"},  {22, "#T7H10"}, {28, "#T7H70"}, {29, "#T8H00"},  {34, "#T8H50"},
        {35, "#T9H00"},  {40, "#T9H50"},  {41, "#T6H00"}, {99, "#T6H00"}, {100, "#T4H20"}, {103, "#T4H50"},
        {104, "#T6H00"},
    };
    for (auto [number, anchor] : rows)
        EXPECT_EQ(EditorHelpAnchor(number), QString::fromLatin1(anchor)) << number;
}

// ---- the picture ----

TEST_P(Editor, CaptionsAreTheUnitsOwnTexts)
{
    // The panel prints them in capitals; hints and accessible names keep them.
    const std::pair<QWidget*, const char*> named[] = {
        {form->TapBtn, "Tap Tempo"},         {form->KnbFxMixAssign, "Control Assigment"},
        {form->KnbDriveOffOn, "Drive"},      {form->OriginalPresetBtn, "Original"},
        {form->EditBufferBtn, "Edit Buffer"}, {form->KnbCompare, "Compare"},
        {form->Store, "Store"},              {form->Overwrite, "Overwrite"},
    };
    for (auto [control, text] : named) {
        EXPECT_EQ(control->accessibleName(), QString::fromLatin1(text));
        EXPECT_EQ(control->toolTip(), QString::fromLatin1(text));
    }
}

TEST_P(GuitarEditor, Screenshot)
{
    showActive();
    choose(form->KnbPreEffectType, 2);
    // The change highlight fades as it does on screen.
    for (int i = 0; i < TWC_CustomControl::HilightTime; ++i)
        TWC_CustomControl::HilightListTimer();
    const QPixmap shot = form->grab();
    EXPECT_EQ(shot.deviceIndependentSize().toSize(), QSize(TEditorForm::ClientWidth, TEditorForm::ClientHeight));
    const QString dir = qEnvironmentVariable("DRUX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep pictures of the editor";
    shot.save(dir + QStringLiteral("/geditor-%1.png").arg(GetParam(), 2, 16, QLatin1Char('0')));
}

} // namespace
