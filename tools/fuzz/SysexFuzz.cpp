// Feeds arbitrary bytes to the SysEx recognisers and to the program's
// handling of received SysEx and controllers, in every protocol state.
#include <QCoreApplication>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "midi/Sysex.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

struct World {
    World()
    {
        static int argc = 1;
        static char name[] = "sysex_fuzz";
        static char* argv[] = {name, nullptr};
        app = std::make_unique<QCoreApplication>(argc, argv);
        CreateModules();
        CreateRecords();
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"In A", "In B"},
                                                  std::vector<std::string>{"Out A", "Out B"});
        ports = std::make_unique<MidiPorts>(std::move(d));
        ports->Enumerate();
        protocol = std::make_unique<Protocol>(*ports);
    }
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
};

World& world()
{
    static World w;
    return w;
}

const int Models[4] = {0x0D, 0x11, 0x13, 0x12};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    World& w = world();
    if (size < 2)
        return 0;
    // The first two bytes choose the state the message meets.
    const uint8_t state = data[0];
    const uint8_t more = data[1];
    const SysexBytes message(data + 2, data + size);

    const SysexFrame f = FrameSysex(message);
    (void)ParseIdentifyReply(f);
    (void)ParseNameReply(f);
    (void)CheckPresetDump(f, state & 0x7F, Models[state & 3], (more & 1) ? 56 : 48);
    (void)CheckMemoryDump(f, state & 0x7F, Models[state & 3], (more & 1) ? 56 : 48);
    if (f.kind == SysexKind::ForeignMaker)
        (void)ForeignMakerTrace(f);

    ActiveDevice = DeviceConnection();
    ActiveDevice.Model = Models[state & 3];
    ActiveDevice.MidiDevice = (state >> 2) & 1;
    ActiveDevice.MidiIn = (state & 8) ? -1 : (state >> 4) & 1;
    ActiveDevice.MidiOut = (state >> 5) & 1;
    PresetLength = ImageLengthFor(static_cast<uint32_t>(ActiveDevice.Model));
    w.protocol->OneByOneDump = (more & 2) != 0;
    w.protocol->RetryBudget = (more >> 2) & 7;
    w.protocol->RequestedPreset = (more & 0x20) ? -1 : more >> 1;
    const int port = static_cast<int>((more >> 6) & 3) - 1; // -1 .. 2: two real ports and two wrong ones

    if (state & 0x80) {
        // Short messages: controller pairs on the unit's channel.
        for (size_t i = 0; i + 1 < message.size(); i += 2)
            HandleController(message[i] & 0x7F, message[i + 1] & 0x7F);
        FlushPending();
    } else {
        w.protocol->HandleSysexIn(port, message);
        if (state & 0x40)
            w.protocol->UploadTimerTimer();
    }
    return 0;
}
