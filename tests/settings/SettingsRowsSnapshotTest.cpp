#include <gtest/gtest.h>
#include <memory>

#include "controls/CustomControl.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "settings/ConnectForm.h"
#include "settings/SettingsRowsSnapshot.h"
#include "support/ProgramState.h"
#include "support/WidgetSnapshot.h"

namespace {

// Every control of the configuration window keeps its place, caption, hint,
// help number, parameter and conversion, in the order the user tabs through
// them.
TEST(SettingsRows, ControlsAsBuilt)
{
    ProgramState state(ModelDrux2);
    TWC_CustomControl::SetModul(ModuleTable);
    MidiPorts ports(std::make_unique<LoopbackDriver>(std::vector<std::string>{"In A"},
                                                     std::vector<std::string>{"Out A"}));
    DeviceSearch search(ports);
    ConnectServices services;
    services.ports = &ports;
    services.search = &search;
    auto form = std::make_unique<TConnectForm>(services);

    const QStringList lines = WidgetSnapshot::describeChildren(form.get(), &TConnectForm::HelpNumber);
    constexpr auto expected = std::size(SettingsRowsSnapshot);
    EXPECT_EQ(lines.size(), static_cast<qsizetype>(expected));
    for (qsizetype i = 0; i < std::min(lines.size(), static_cast<qsizetype>(expected)); ++i)
        EXPECT_EQ(lines[i].toStdString(), SettingsRowsSnapshot[i]) << "line " << i;

    form.reset();
    TWC_CustomControl::SetValEdit(nullptr);
    TWC_CustomControl::SetModul(nullptr);
}

} // namespace
