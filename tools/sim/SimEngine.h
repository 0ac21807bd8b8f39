#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "SimFrames.h"
#include "midi/LoopbackDriver.h"

// Everything a simulated unit is told at start.
struct SimOptions {
    int model = 0x11;        // 0x0D, 0x11 or 0x13
    int variant = -1;        // SubModel 0..6 of the default identity text; -1: the model's first
    int deviceId = 0;        // also the MIDI channel, as on the unit
    std::string identity;    // identity text of the identify reply; empty: default for the variant
    std::string unitName = "DRUX SIMULATOR"; // name in the unit's character set
    std::string memoryFile;  // all-presets dump file loaded at start and saved after changes
    // Faults, to test recovery.
    int ignoreMemoryRequests = 0; // the first N whole-memory requests get no answer
    int cutMemoryDumps = 0;       // the first N memory dumps are cut short
    int cutPresetDumps = 0;       // the first N preset dumps are cut short
    bool neverAnswer = false;     // no reply to anything
    // Single-preset requests are counted from 1 as they arrive: the reply to
    // request N leaves the given milliseconds late, and the requests in
    // dropPresetRequests get no answer.
    std::map<int, int> delayPresetReplies;
    std::set<int> dropPresetRequests;
    int delayNameReply = 0; // milliseconds
};

// "N:MS[,N:MS...]" into delayPresetReplies and "N[,N...]" into
// dropPresetRequests; false for text of another form.
bool ParseDelays(const std::string& text, std::map<int, int>& delays);
bool ParseNumberList(const std::string& text, std::set<int>& numbers);

// A simulated unit: receives what the program sends and answers as a unit
// does. Plain C++; the output goes wherever setOutput says (a loopback input
// port in tests, a virtual MIDI port in drux-sim).
class SimEngine : public LoopbackPeer {
public:
    using Output = std::function<void(const std::vector<uint8_t>&)>;
    // Sends a message after the given milliseconds.
    using LateOutput = std::function<void(int ms, const std::vector<uint8_t>&)>;

    explicit SimEngine(SimOptions options);

    void setOutput(Output out) { output = std::move(out); }
    // Where late replies go. Without it they are held back until
    // releaseLate().
    void setLateOutput(LateOutput out) { lateOutput = std::move(out); }
    void releaseLate();
    // In-process: take what the program sends on `outputPort` of the
    // loopback, answer on its `inputPort`.
    void attach(LoopbackDriver& driver, int outputPort, int inputPort);

    void received(int outputPort, const std::vector<uint8_t>& message) override;
    // One complete message (short message or SysEx).
    void handle(const std::vector<uint8_t>& message);

    // The message that loads or saves the memory file (an all-presets dump).
    bool loadMemory(const std::string& path, std::string& error);
    bool saveMemory(const std::string& path, std::string& error) const;
    std::vector<uint8_t> memoryDumpFile() const;

    int model() const { return options.model; }
    int subModel() const { return variant; }
    int deviceId() const { return options.deviceId; }
    int channel() const { return channelNr; }
    int imageLength() const { return length; }
    const std::string& identity() const { return identityText; }
    const std::string& unitName() const { return name; }
    // 125 images back to back.
    const std::vector<uint8_t>& memory() const { return images; }
    std::vector<uint8_t> image(int slot) const;
    const std::vector<uint8_t>& editBuffer() const { return edit; }
    int currentProgram() const { return program; }
    int globalValue(int command) const { return command == 0x23 ? global23 : global24; }
    // How many requests of each kind arrived (including ignored ones).
    int memoryRequests = 0;
    int presetRequests = 0;
    int identifyRequests = 0;
    int nameRequests = 0;

    // Default identity text of each SubModel 0..6.
    static std::string DefaultIdentity(int subModel);

private:
    void reply(const std::vector<uint8_t>& message);
    void replyLate(int ms, const std::vector<uint8_t>& message);
    void handleSysex(const std::vector<uint8_t>& m);
    void handleController(int c, int v);
    void reportAll();
    void memoryChanged();
    std::vector<uint8_t> cut(std::vector<uint8_t> message) const;
    bool addressed(const SimFrames::Message& m) const;

    SimOptions options;
    Output output;
    LateOutput lateOutput;
    std::vector<std::vector<uint8_t>> held;
    int variant = 1;
    int length = 48;
    int channelNr = 0;
    int program = 0;
    int namePosition = 0;
    int global23 = 0;
    int global24 = 0;
    std::string identityText;
    std::string name;
    std::vector<uint8_t> images;
    std::vector<uint8_t> edit;
    int memoryDumpsSent = 0;
    int presetDumpsSent = 0;
};
