// The controller tables derived from the module tables, held against the
// tables the program has always sent and read, number for number.
#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/ParameterTables.h"
#include "model/Parameters.h"
#include "support/ProgramState.h"

namespace {

struct Row {
    int max;
    int initial;
    unsigned flags;
    bool operator==(const Row&) const = default;
};

const std::vector<int> PresetCcOutFixed = {
    0, 12, 13, 14, 15, 16, 17, 18, 61, 60, 21, 22, 23, 24, 25, 26,
    27, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58,
    59, 0,
};

const std::vector<int> GlobalCcOutFixed = {
    0, 1, 7, 82, 83, 84, 85, 86, 87, 88,
};

const std::vector<int> BassPresetCcOutFixed = {
    0, 12, 13, 14, 15, 16, 17, 18, 61, 0, 24, 22, 26, 0, 21, 38,
    23, 28, 29, 25, 30, 31, 33, 34, 35, 36, 37, 27, 48, 49, 50, 51,
    39, 40, 41, 42, 43, 44, 45, 46, 0,
};

const std::vector<int> BassGlobalCcOutFixed = {
    0, 1, 7, 82, 83, 84, 85, 86, 87, 88, 89,
};

const std::vector<int> CcInGuitarFixed = {
    0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4,
    5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 17, 18, 19, 20,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 9, 8, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const std::vector<int> CcInBassFixed = {
    0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4,
    5, 6, 7, 8, 32, 14, 11, 16, 10, 19, 12, 27, 17, 18, 20, 21,
    0, 22, 23, 24, 25, 26, 15, 32, 33, 34, 35, 36, 37, 38, 39, 0,
    28, 29, 30, 31, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 3, 4, 5, 6, 7, 8, 9, 10, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const std::vector<int> FirstGenerationPresetCcOutFixed = {
    0, 12, 13, 14, 15, 16, 0, 18, 19, 17, 21, 22, 23, 24, 25, 26,
    27, 44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58,
    59, 0,
};

const std::vector<int> FirstGenerationCcInGuitarFixed = {
    0, 1, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1, 2, 3, 4,
    5, 9, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 17, 18, 19, 20,
    21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 9, 8, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

const std::vector<Row> GuitarPresetFixed = {
    {0, 0, 0x00}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 0
    {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 4
    {32, 0, 0x2C}, {15, 0, 0x2C}, {1, 0, 0x29}, {1, 0, 0x29},  // 8
    {15, 0, 0x28}, {8, 0, 0x28}, {15, 0, 0x28}, {1, 0, 0x29},  // 12
    {127, 0, 0x28}, {2, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 16
    {127, 64, 0x28}, {127, 0, 0x28}, {2, 0, 0x28}, {127, 0, 0x28},  // 20
    {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 24
    {6, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 64, 0x28},  // 28
    {127, 0, 0x28}, {15103, 0, 0x20},  // 32
};

const std::vector<Row> GuitarGlobalFixed = {
    {0, 0, 0x00}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 0
    {30, 15, 0x28}, {4, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 4
    {127, 0, 0x28}, {7, 0, 0x28},  // 8
};

const std::vector<Row> BassPresetFixed = {
    {0, 0, 0x00}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 0
    {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 4
    {32, 0, 0x2C}, {0, 0, 0x00}, {127, 0, 0x28}, {127, 0, 0x28},  // 8
    {127, 0, 0x28}, {0, 0, 0x00}, {1, 0, 0x29}, {1, 0, 0x29},  // 12
    {23, 0, 0x28}, {99, 0, 0x28}, {127, 0, 0x28}, {15, 0, 0x28},  // 16
    {127, 0, 0x28}, {127, 0, 0x28}, {4, 0, 0x28}, {127, 0, 0x28},  // 20
    {127, 0, 0x28}, {127, 0, 0x28}, {17, 0, 0x28}, {127, 0, 0x28},  // 24
    {2, 0, 0x2C}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 28
    {15, 0, 0x2C}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 32
    {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 36
    {0, 0, 0x00}, {15615, 0, 0x20}, {6, 0, 0x20}, {6, 3, 0x20},  // 40
    {12, 0, 0x20},  // 44
};

const std::vector<Row> BassGlobalFixed = {
    {0, 0, 0x00}, {127, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 0
    {30, 15, 0x28}, {5, 0, 0x28}, {127, 0, 0x28}, {127, 0, 0x28},  // 4
    {127, 0, 0x28}, {7, 0, 0x28}, {127, 0, 0x28},  // 8
};

struct Hooked {
    int modix;
    int mcix;
    ChangeHookFn hook;
    bool operator==(const Hooked&) const = default;
};

const std::vector<Hooked> HooksFixed = {
    {0, 23, DelayHalvesHook}, {0, 24, DelayHalvesHook}, {0, 33, DelayWholeHook},
    {2, 36, SynthParamHook}, {2, 37, SynthParamHook}, {2, 38, BassDelayHalvesHook},
    {2, 39, BassDelayHalvesHook}, {2, 41, BassDelayWholeHook}, {2, 42, SynthValueHook},
    {2, 43, SynthValueHook}, {2, 44, SynthKeyHook},
};

std::vector<int> entries(const auto& table) { return {std::begin(table), std::end(table)}; }

std::vector<Row> rows(int modix)
{
    std::vector<Row> r;
    Modul& m = *ModuleTable[modix];
    for (int i = 0; i < m.count(); ++i) {
        const MCtrl& p = *m.GetCtrl(i);
        r.push_back({p.maximum, p.value, p.flags});
    }
    return r;
}

std::vector<Hooked> hooks()
{
    std::vector<Hooked> h;
    for (int modix = 0; modix < 4; ++modix)
        for (int i = 0; i < ModuleTable[modix]->count(); ++i)
            if (ChangeHookFn f = Param(modix, i).ChangeHook)
                h.push_back({modix, i, f});
    return h;
}

class ParameterTables : public ::testing::Test {
protected:
    ProgramState state{ModelDrux2};
};

TEST_F(ParameterTables, ModulesAndControllerTablesAreTheFixedOnes)
{
    EXPECT_EQ(rows(ModixPreset), GuitarPresetFixed);
    EXPECT_EQ(rows(ModixGlobal), GuitarGlobalFixed);
    EXPECT_EQ(rows(ModixBassPreset), BassPresetFixed);
    EXPECT_EQ(rows(ModixBassGlobal), BassGlobalFixed);
    EXPECT_EQ(hooks(), HooksFixed);

    for (int model : {ModelDrux2, ModelBass, ModelDrux, ModelDrux2}) {
        SCOPED_TRACE(model);
        AdaptTablesToModel(model);
        const bool first = model == ModelDrux;
        EXPECT_EQ(entries(PresetCcOut), first ? FirstGenerationPresetCcOutFixed : PresetCcOutFixed);
        EXPECT_EQ(entries(GlobalCcOut), GlobalCcOutFixed);
        EXPECT_EQ(entries(BassPresetCcOut), BassPresetCcOutFixed);
        EXPECT_EQ(entries(BassGlobalCcOut), BassGlobalCcOutFixed);
        EXPECT_EQ(entries(CcInGuitar), first ? FirstGenerationCcInGuitarFixed : CcInGuitarFixed);
        EXPECT_EQ(entries(CcInBass), CcInBassFixed);
        EXPECT_EQ(Param(GuitarPreset::AmpModel).maximum, first ? 15 : 32);
    }
}

} // namespace
