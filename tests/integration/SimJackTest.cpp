// drux-sim as a separate program on a JACK server, read by the program's
// own port layer and protocol: runs when the test command has started a JACK
// server (DRUX_JACK_RUNNING=1).
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "midi/MidiDispatch.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "midi/RtMidiDriver.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

bool jackRunning()
{
    const char* v = std::getenv("DRUX_JACK_RUNNING");
    return v && std::string(v) == "1";
}

int indexOf(const std::vector<std::string>& names, const std::string& part)
{
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i].find(part) != std::string::npos)
            return static_cast<int>(i);
    return -1;
}

class SimJack : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!jackRunning())
            GTEST_SKIP() << "no JACK server (scripts/test starts one)";
        state.emplace(ModelDrux2);
    }
    void TearDown() override
    {
        protocol.reset();
        ports.reset();
        if (sim.state() != QProcess::NotRunning) {
            sim.terminate();
            sim.waitForFinished(3000);
        }
        state.reset();
    }
    void startSim(const QStringList& args)
    {
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(DRUX_SIM_PROGRAM), QStringList{"--api", "jack", "--name", name} + args);
        ASSERT_TRUE(sim.waitForStarted(5000));
        QElapsedTimer t;
        t.start();
        while (!sim.canReadLine() && t.elapsed() < 5000)
            sim.waitForReadyRead(100);
        ASSERT_TRUE(sim.readLine().startsWith("drux-sim ready:"));
    }
    void openPorts()
    {
        ports = std::make_unique<MidiPorts>(std::make_unique<RtMidiDriver>("Drux Editor Test"));
        ASSERT_TRUE(ports->Enumerate());
        ActiveDevice.MidiOut = indexOf(ports->OutputNames(), (name + " in").toStdString());
        ActiveDevice.MidiIn = indexOf(ports->InputNames(), (name + " out").toStdString());
        ASSERT_GE(ActiveDevice.MidiOut, 0);
        ASSERT_GE(ActiveDevice.MidiIn, 0);
        protocol = std::make_unique<Protocol>(*ports);
        hooks.sysex = [this](int port, const Bytes& m) { protocol->HandleSysexIn(port, m); };
        ports->SetInputHandler([this](int port, const Bytes& m) { DispatchMidiInput(hooks, port, m); });
        ASSERT_TRUE(ports->Open());
    }
    bool waitFor(const std::function<bool()>& done, int ms)
    {
        QElapsedTimer t;
        t.start();
        while (!done() && t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return done();
    }

    QString name = QStringLiteral("simjack%1").arg(QCoreApplication::applicationPid());
    QTemporaryDir dir; // outlives the simulator, which saves its memory at exit
    std::optional<ProgramState> state;
    QProcess sim;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    MidiHooks hooks;
};

TEST_F(SimJack, BassUnitIsRecognisedAndItsMemoryReadAtCableSpeed)
{
    // A memory of the simulator's own, loaded from its file.
    const std::string file = dir.filePath("bass.syx").toStdString();
    Bytes images(125 * 56);
    for (size_t i = 0; i < images.size(); ++i)
        images[i] = static_cast<uint8_t>((i * 13) % 128);
    const Bytes dump = MemoryDumpMessage(0, 0x13, images.data(), 56);
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(dump.data()), dump.size());
    startSim({"--model", "0x13", "--variant", "6", "--device", "2", "--unit-name", "Low End", "--memory",
              QString::fromStdString(file), "--pace"});
    ActiveDevice.MidiIn = -1;
    openPorts();

    bool recognised = false;
    protocol->hooks.unitRecognised = [&] { recognised = true; };
    protocol->SendIdentifyRequest();
    ASSERT_TRUE(waitFor([&] { return recognised; }, 3000));
    EXPECT_EQ(ActiveDevice.Model, 0x13);
    EXPECT_EQ(ActiveDevice.SubModel, 6);
    EXPECT_EQ(ActiveDevice.MidiDevice, 2);
    EXPECT_EQ(ActiveDevice.DeviceName, "Low End");
    EXPECT_EQ(ActiveDevice.ModelText.rfind("BASS DRUXORA", 0), 0u);

    ResetAllRecords(); // bass records
    bool read = false;
    protocol->hooks.memoryRead = [&] { read = true; };
    QElapsedTimer t;
    t.start();
    protocol->ReadMemory(1);
    ASSERT_TRUE(waitFor([&] { return read; }, 8000));
    const double seconds = t.elapsed() / 1000.0;
    const double cable = (8 + 7010) / 3125.0;
    std::printf("memory read at cable speed: %.3f s, cable time %.3f s, ratio %.2f\n", seconds, cable, seconds / cable);
    EXPECT_GT(seconds, cable * 0.95); // paced, not instant
    for (int j = 0; j < 125; ++j)
        ASSERT_TRUE(std::equal(images.begin() + j * 56, images.begin() + (j + 1) * 56, DeviceMemory[j]->data.begin()))
            << "slot " << j;

    // At exit the simulator writes its memory back, unchanged.
    sim.terminate();
    ASSERT_TRUE(sim.waitForFinished(3000));
    EXPECT_EQ(sim.exitCode(), 0);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), dump);
}

TEST_F(SimJack, UnitThatCutsMemoryDumpsIsReadOnePresetAtATime)
{
    startSim({"--model", "0x11", "--cut-memory-dumps", "1000"});
    ActiveDevice.Model = 0x11;
    openPorts();
    bool read = false;
    protocol->hooks.memoryRead = [&] { read = true; };
    protocol->ReadMemory(1);
    ASSERT_TRUE(waitFor([&] { return read; }, 15000));
    // The factory memory names every slot.
    EXPECT_EQ(GetRecordName(*DeviceMemory[0]), "SIM 01A GUITAR  ");
    EXPECT_EQ(GetRecordName(*DeviceMemory[124]), "SIM 25E GUITAR  ");
}

} // namespace
