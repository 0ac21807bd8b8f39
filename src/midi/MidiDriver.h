#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// A failure of the MIDI system: the system's own error code, which the
// trace shows, and its message.
struct MidiError {
    int code = 0;
    std::string text;
};

// The operating system's MIDI ports as the port layer sees them. Two
// implementations: RtMidi for real ports and an in-process loopback for tests.
class MidiDriver {
public:
    // Called for every complete message that arrives on an open input port,
    // possibly on the driver's own thread. It must only copy and hand on.
    using InputCallback = std::function<void(int port, std::vector<uint8_t> bytes)>;

    virtual ~MidiDriver() = default;

    virtual std::vector<std::string> inputPorts() = 0;
    virtual std::vector<std::string> outputPorts() = 0;

    virtual bool openOutput(int index, MidiError& error) = 0;
    // Returns false when closing reported an error.
    virtual bool closeOutput(MidiError& error) = 0;
    virtual bool openInput(int index, MidiError& error) = 0;
    virtual void closeInput(int index) = 0;
    virtual bool send(const std::vector<uint8_t>& message, MidiError& error) = 0;

    void setInputCallback(InputCallback cb) { input = std::move(cb); }

protected:
    void deliver(int port, std::vector<uint8_t> bytes)
    {
        if (input)
            input(port, std::move(bytes));
    }

private:
    InputCallback input;
};
