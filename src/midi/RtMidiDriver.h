#pragma once

#include <map>
#include <memory>

#include "midi/MidiDriver.h"

class RtMidiIn;
class RtMidiOut;

// Real MIDI ports through RtMidi: the ALSA sequencer when it opens, else JACK;
// neither means no ports. The program's own ports are never listed, so it
// cannot end up listening to its own output.
class RtMidiDriver : public MidiDriver {
public:
    explicit RtMidiDriver(std::string clientName);
    ~RtMidiDriver() override;

    std::vector<std::string> inputPorts() override;
    std::vector<std::string> outputPorts() override;
    bool openOutput(int index, MidiError& error) override;
    bool closeOutput(MidiError& error) override;
    bool openInput(int index, MidiError& error) override;
    void closeInput(int index) override;
    bool send(const std::vector<uint8_t>& message, MidiError& error) override;

    // Error codes are RtMidi's error types; the driver's own findings use
    // these two of them.
    static const int InvalidDeviceCode;
    static const int InvalidUseCode;

    // RtMidi's error callback of every client: traces the message and keeps
    // its type for the operation that caused it.
    static void traceError(int type, const std::string& text, void* driver);

    // "ALSA", "JACK" or "none".
    std::string apiName() const;

private:
    struct Input;
    static void onMessage(double, std::vector<unsigned char>* message, void* user);
    // The last error RtMidi reported through its callback instead of
    // throwing, or -1.
    int reported = -1;
    bool ownPort(const std::string& name) const;
    std::vector<std::string> listed(bool inputs);
    int systemIndex(bool inputs, int index);

    // The last listing of each direction: system index and name per port.
    struct Listing {
        std::vector<unsigned> indexes;
        std::vector<std::string> names;
    };
    Listing lists[2]; // outputs, inputs

    std::string client;
    int api = 0; // RtMidi::Api
    std::unique_ptr<RtMidiIn> probeIn;
    std::unique_ptr<RtMidiOut> probeOut;
    std::string outName; // system port the output is connected to
    bool outActive = false;
    bool probeInUsed = false;
    std::map<int, std::unique_ptr<Input>> inputs;
};
