#include <gtest/gtest.h>

#include <string>

#include "model/Controllers.h"
#include "model/RecordingUnit.h"
#include "model/Trace.h"
#include "model/EditorLink.h"

namespace {

// Stands in for the two editors (and the device window's name field).
struct FakeWindows {
    bool exists[2] = {true, true};
    bool visible[2] = {false, false};
    std::string label[2];
    std::vector<std::string> shown;
    int tookOriginal[2] = {0, 0};
    int timerEnabled[2] = {0, 0};
    int timerStopped[2] = {0, 0};

    // One family's editor, answering from the arrays above.
    struct Family : EditorLink {
        Family(FakeWindows& windows, bool bass) : windows(windows), bass(bass) {}
        bool exists() override { return windows.exists[bass]; }
        bool visible() override { return windows.visible[bass]; }
        void showUnitPresetName(const std::string& name) override
        {
            windows.label[bass] = name;
            windows.shown.push_back(name);
        }
        std::string presetName() override { return windows.label[bass]; }
        void tookOriginal() override { ++windows.tookOriginal[bass]; }
        void startChangedTimer() override { ++windows.timerEnabled[bass]; }
        void stopChangedTimer() override { ++windows.timerStopped[bass]; }

        FakeWindows& windows;
        const bool bass;
    };
    Family guitarEditor{*this, false}, bassEditor{*this, true};

    void install()
    {
        SetEditorLink(false, &guitarEditor);
        SetEditorLink(true, &bassEditor);
    }
};

class Controllers : public ::testing::TestWithParam<int>, protected ModelFixtureBase {
protected:
    void SetUp() override
    {
        setUpModel(GetParam());
        windows.install();
        SetTraceSink([this](int, const std::string& l) { trace.push_back(l); });
        NameBuffer = {};
        NamePosition = {};
        ProgramChangeRefresh = false;
        ActiveDevice.DeviceKey = "DEV11M00I00O00";
    }
    void TearDown() override { tearDownModel(); }
    bool bass() const { return GetParam() == ModelBass; }
    // The connected family's parameter: the guitar's or the bass's.
    MCtrl& preset(GuitarPreset::Mcix guitar, BassPreset::Mcix b) const { return bass() ? Param(b) : Param(guitar); }
    MCtrl& global(GuitarGlobal::Mcix guitar, BassGlobal::Mcix b) const { return bass() ? Param(b) : Param(guitar); }
    void sendName(const std::string& sixteen)
    {
        for (int i = 0; i < 16; ++i) {
            HandleController(81, i);
            HandleController(81, static_cast<uint8_t>(sixteen[i]));
        }
    }
    bool traced(const std::string& text) const
    {
        return std::find(trace.begin(), trace.end(), text) != trace.end();
    }

    FakeWindows windows;
    std::vector<std::string> trace;
};

INSTANTIATE_TEST_SUITE_P(Models, Controllers, ::testing::Values(ModelDrux, ModelDrux2, ModelBass),
                         [](const auto& info) { return "Model" + std::to_string(info.param); });

TEST_P(Controllers, PresetValueFromTheUnitIsNotEchoed)
{
    HandleController(13, 90);
    EXPECT_EQ(preset(GuitarPreset::Treble, BassPreset::Treble).value, 90);
    EXPECT_TRUE(preset(GuitarPreset::Treble, BassPreset::Treble).is(RefreshPending));
    FlushPending();
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_P(Controllers, TunerCentreArrivesWithItsOffset)
{
    HandleController(83, 40);
    EXPECT_EQ(global(GuitarGlobal::TunerCenter, BassGlobal::TunerCenter).value, 15);
    HandleController(83, 10);
    EXPECT_EQ(global(GuitarGlobal::TunerCenter, BassGlobal::TunerCenter).value, 0);
    HandleController(7, 100);
    EXPECT_EQ(global(GuitarGlobal::MasterVolume, BassGlobal::MasterVolume).value, 100);
    FlushPending();
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_P(Controllers, AmpModelChangeAsksForAllParametersOnce)
{
    HandleController(61, 3);
    EXPECT_EQ(preset(GuitarPreset::AmpModel, BassPreset::AmpModel).value, 3);
    HandleController(61, 3); // no change, no question
    FlushPending();
    EXPECT_EQ(unit.controllers, (std::vector<std::pair<int, int>>{{80, 80}}));
    EXPECT_FALSE(ProgramChangeRefresh);
}

TEST_P(Controllers, UnmappedControllerIsTracedOnly)
{
    HandleController(62, 5);
    EXPECT_TRUE(traced("Unused cc nr 62"));
    HandleController(80, 80); // our own request echoed back
    EXPECT_TRUE(traced("Unused cc nr 80"));
    FlushPending();
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_P(Controllers, NameShownWhenItsLastCharacterArrives)
{
    HandleController(81, 0);
    HandleController(81, 'H');
    HandleController(81, 1);
    HandleController(81, 'i');
    for (int i = 2; i < 15; ++i) {
        HandleController(81, i);
        HandleController(81, ' ');
    }
    HandleController(81, 15);
    EXPECT_TRUE(windows.shown.empty());
    HandleController(81, ' ');
    EXPECT_EQ(windows.shown, std::vector<std::string>{"Hi              "});
    EXPECT_EQ(windows.label[bass()], "Hi              ");
    EXPECT_EQ(windows.label[!bass()], "");
}

TEST_P(Controllers, PositionOnlyMovesAndCharactersDoNotAdvance)
{
    HandleController(81, 5);
    HandleController(81, 'X');
    HandleController(81, 'Y');
    const int family = bass() ? BassFamily : GuitarFamily;
    EXPECT_EQ(NameBuffer[family][5], 'Y');
    EXPECT_EQ(NameBuffer[family][6], 0);
    EXPECT_TRUE(windows.shown.empty());
}

TEST_P(Controllers, NameFromTheUnitIsConvertedToLatin1)
{
    sendName("Gr\x7D\x7Bn           ");
    ASSERT_EQ(windows.shown.size(), 1u);
    EXPECT_EQ(windows.shown[0], "Gr\xFC\xE4n           ");
}

TEST_P(Controllers, NameIgnoredWhileTheEditorDoesNotExist)
{
    windows.exists[bass()] = false;
    sendName("ABCDEFGHIJKLMNOP");
    EXPECT_TRUE(windows.shown.empty());
    const int family = bass() ? BassFamily : GuitarFamily;
    EXPECT_EQ(NameBuffer[family][0], 0);
}

TEST_P(Controllers, RefreshMakesTheReceivedPresetTheOriginal)
{
    RequestRefresh();
    EXPECT_TRUE(ProgramChangeRefresh);
    EXPECT_EQ(unit.controllers, (std::vector<std::pair<int, int>>{{80, 80}}));
    windows.visible[bass()] = true;
    HandleController(12, 77);
    sendName("Lead Tone       ");
    EXPECT_FALSE(ProgramChangeRefresh);
    EXPECT_EQ(OriginalRecord->data[0], 77);
    EXPECT_EQ(EditBufferRecord->data[0], 77);
    EXPECT_EQ(GetRecordName(*OriginalRecord), "Lead Tone       ");
    EXPECT_EQ(windows.tookOriginal[bass()], 1);
    EXPECT_EQ(windows.timerEnabled[bass()], 1);

    // A name without a refresh leaves the original alone.
    HandleController(12, 10);
    sendName("Other           ");
    EXPECT_EQ(OriginalRecord->data[0], 77);
    EXPECT_EQ(windows.tookOriginal[bass()], 1);
    EXPECT_EQ(windows.timerEnabled[bass()], 2);
}

TEST_P(Controllers, VirtualUnitIsNotAsked)
{
    ActiveDevice.DeviceKey = "DEV0";
    RequestRefresh();
    EXPECT_TRUE(ProgramChangeRefresh);
    EXPECT_TRUE(unit.controllers.empty());
}

TEST_P(Controllers, ProgramChangeStopsTheVisibleEditorAndAsks)
{
    windows.visible[bass()] = true;
    ProgramChangeFromUnit();
    EXPECT_EQ(windows.timerStopped[bass()], 1);
    EXPECT_EQ(windows.timerStopped[!bass()], 0);
    EXPECT_TRUE(ProgramChangeRefresh);
    EXPECT_EQ(unit.controllers, (std::vector<std::pair<int, int>>{{80, 80}}));
}

TEST_P(Controllers, NameAsControllers)
{
    SendNameAsControllers("TenLetters");
    EXPECT_TRUE(unit.controllers.empty());
    SendNameAsControllers("Gr\xFCn Crunch 2024");
    ASSERT_EQ(unit.controllers.size(), 32u);
    EXPECT_EQ(unit.controllers[0], std::make_pair(81, 0));
    EXPECT_EQ(unit.controllers[1], std::make_pair(81, static_cast<int>('G')));
    EXPECT_EQ(unit.controllers[4], std::make_pair(81, 2));
    EXPECT_EQ(unit.controllers[5], std::make_pair(81, 0x7D)); // u umlaut in the unit's set
    EXPECT_EQ(unit.controllers[30], std::make_pair(81, 15));
    EXPECT_EQ(unit.controllers[31], std::make_pair(81, static_cast<int>('4')));
}

TEST_P(Controllers, SwitchValuesAreClamped)
{
    const int c = 21; // effects on/off on both families
    HandleController(c, 64);
    EXPECT_EQ(preset(GuitarPreset::EffectsOn, BassPreset::EffectsOn).value, 1);
    HandleController(c, 0);
    EXPECT_EQ(preset(GuitarPreset::EffectsOn, BassPreset::EffectsOn).value, 0);
}

TEST(ControllersGuitar, Controller17FollowsTheGeneration)
{
    RecordingUnit unit;
    for (int model : {ModelDrux, ModelDrux2}) {
        ActiveDevice = DeviceConnection();
        ActiveDevice.Model = model;
        CreateModules();
        AdaptTablesToModel(model);
        SetUnitLink(&unit);
        HandleController(17, 5);
        if (model == ModelDrux) {
            EXPECT_EQ(Param(GuitarPreset::EffectSelection).value, 5);
            EXPECT_EQ(Param(GuitarPreset::Presence).value, 0);
        } else {
            EXPECT_EQ(Param(GuitarPreset::Presence).value, 5);
            EXPECT_EQ(Param(GuitarPreset::EffectSelection).value, 0);
        }
        SetUnitLink(nullptr);
        AdaptTablesToModel(ModelDrux2);
        DestroyModules();
    }
    ActiveDevice = DeviceConnection();
}

TEST(ControllersBass, SpecialControllers)
{
    ModelFixtureBase f;
    f.setUpModel(ModelBass);
    HandleController(20, 9);
    EXPECT_EQ(Param(BassPreset::PreFxMode).value, 2);
    HandleController(20, 8);
    EXPECT_EQ(Param(BassPreset::PreFxMode).value, 1);
    HandleController(20, 12);
    EXPECT_EQ(Param(BassPreset::PostFxMode).value, 10);
    HandleController(20, 5);
    EXPECT_EQ(Param(BassPreset::PostFxMode).value, 5);
    HandleController(37, 20);
    EXPECT_EQ(Param(BassPreset::StompSplit).value, 2);
    HandleController(89, 50);
    EXPECT_EQ(Param(BassGlobal::InputGain).value, 50);
    f.tearDownModel();
}

TEST(ControllersModel, OtherModelCodeIsTraced)
{
    std::vector<std::string> trace;
    SetTraceSink([&](int, const std::string& l) { trace.push_back(l); });
    ActiveDevice = DeviceConnection();
    ActiveDevice.Model = 0x12;
    CreateModules();
    HandleController(13, 5);
    EXPECT_EQ(trace, std::vector<std::string>{"Faulty Model 12"});
    EXPECT_EQ(Param(GuitarPreset::Treble).value, 0);
    DestroyModules();
    SetTraceSink(nullptr);
    ActiveDevice = DeviceConnection();
}

} // namespace
