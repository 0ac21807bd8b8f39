// drux-sim: a simulated unit on a pair of virtual MIDI ports.
#include <rtmidi/RtMidi.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>

#include "SimEngine.h"

namespace {

std::atomic<bool> stopping{false};
void onSignal(int) { stopping = true; }

// MIDI cable speed: 31250 baud, ten bits a byte.
constexpr double CableBytesPerSecond = 3125.0;
// On JACK large SysEx leaves in pieces: one event must fit the MIDI buffer
// of one period, and RtMidi joins the pieces again on the receiving side.
// The ALSA sequencer takes a message whole.
constexpr size_t JackPieceSize = 256;

const char* usage =
    "usage: drux-sim [options]\n"
    "A simulated unit on a virtual MIDI input and output port.\n"
    "  --name NAME                 client and port name (default drux-sim)\n"
    "  --model CODE                0x0D, 0x11 (default) or 0x13 (also 13, 17, 19)\n"
    "  --variant N                 unit type 0..6 (default: the model's first)\n"
    "  --device N                  device id, also the MIDI channel (default 0)\n"
    "  --identity TEXT             identity text of the identify reply\n"
    "  --unit-name TEXT            the unit's name (default DRUX SIMULATOR)\n"
    "  --memory FILE               all-presets dump file: loaded at start, saved after changes and at exit\n"
    "  --ignore-memory-requests N  give no answer to the first N whole-memory requests\n"
    "  --cut-memory-dumps N        cut the first N memory dumps short\n"
    "  --cut-preset-dumps N        cut the first N preset dumps short\n"
    "  --never-answer              answer nothing\n"
    "  --delay-preset-replies N:MS[,N:MS...]\n"
    "                              the reply to the N-th single-preset request leaves MS ms late\n"
    "  --drop-preset-requests N[,N...]\n"
    "                              give no answer to those single-preset requests (counted from 1)\n"
    "  --delay-name-reply MS       the name reply leaves MS ms late\n"
    "  --pace                      send at MIDI cable speed (31250 baud)\n"
    "  --api alsa|jack             MIDI system (default: ALSA when it opens, else JACK)\n";

int number(const char* text)
{
    return static_cast<int>(std::strtol(text, nullptr, 0));
}

// Sends the engine's answers from one thread, optionally at cable speed.
// Late answers wait for their time; the others leave in order.
class Sender {
public:
    using Clock = std::chrono::steady_clock;

    Sender(RtMidiOut& o, bool p, size_t piece) : out(o), pace(p), pieceSize(piece), worker([this] { run(); }) {}
    ~Sender()
    {
        {
            std::lock_guard<std::mutex> g(lock);
            done = true;
        }
        wake.notify_all();
        worker.join();
    }
    void push(const std::vector<uint8_t>& m, int delayMs = 0)
    {
        {
            std::lock_guard<std::mutex> g(lock);
            // Equal times keep their order of arrival.
            queue.emplace(Clock::now() + std::chrono::milliseconds(delayMs), m);
        }
        wake.notify_all();
    }

private:
    void run()
    {
        auto cableFree = Clock::now();
        for (;;) {
            std::vector<uint8_t> m;
            {
                std::unique_lock<std::mutex> g(lock);
                for (;;) {
                    // At the end, answers still to come late are dropped.
                    if (done && (queue.empty() || queue.begin()->first > Clock::now()))
                        return;
                    if (!queue.empty() && queue.begin()->first <= Clock::now())
                        break;
                    if (queue.empty())
                        wake.wait(g);
                    else
                        wake.wait_until(g, queue.begin()->first);
                }
                m = std::move(queue.begin()->second);
                queue.erase(queue.begin());
            }
            if (cableFree < Clock::now())
                cableFree = Clock::now();
            for (size_t at = 0; at < m.size(); at += pieceSize) {
                const size_t n = std::min(pieceSize, m.size() - at);
                if (pace) {
                    // A piece is handed on when its last byte would have
                    // arrived over the cable, so a message is complete at the
                    // receiver when it would be at cable speed.
                    cableFree += std::chrono::duration_cast<Clock::duration>(
                        std::chrono::duration<double>(static_cast<double>(n) / CableBytesPerSecond));
                    std::this_thread::sleep_until(cableFree);
                }
                try {
                    out.sendMessage(m.data() + at, n);
                } catch (const RtMidiError& e) {
                    std::fprintf(stderr, "drux-sim: %s\n", e.getMessage().c_str());
                }
                if (!pace && m.size() > pieceSize)
                    std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
    }

    RtMidiOut& out;
    bool pace;
    size_t pieceSize;
    std::mutex lock;
    std::condition_variable wake;
    std::multimap<Clock::time_point, std::vector<uint8_t>> queue;
    bool done = false;
    std::thread worker;
};

struct Input {
    SimEngine* engine;
    std::mutex* lock;
    std::vector<uint8_t> pending; // a SysEx still arriving in pieces
};

void onMessage(double, std::vector<unsigned char>* message, void* user)
{
    auto* in = static_cast<Input*>(user);
    if (message->empty())
        return;
    std::vector<uint8_t>& p = in->pending;
    if ((*message)[0] == 0xF0)
        p.clear();
    if ((*message)[0] == 0xF0 || !p.empty()) {
        p.insert(p.end(), message->begin(), message->end());
        if (p.back() != 0xF7)
            return;
        std::vector<uint8_t> whole;
        whole.swap(p);
        std::lock_guard<std::mutex> g(*in->lock);
        in->engine->handle(whole);
        return;
    }
    std::lock_guard<std::mutex> g(*in->lock);
    in->engine->handle(std::vector<uint8_t>(message->begin(), message->end()));
}

void quiet(RtMidiError::Type, const std::string& text, void*)
{
    std::fprintf(stderr, "drux-sim: %s\n", text.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    SimOptions options;
    std::string name = "drux-sim";
    std::string api;
    bool pace = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "drux-sim: %s needs a value\n%s", a.c_str(), usage);
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (a == "--name") {
            name = value();
        } else if (a == "--model") {
            options.model = number(value());
        } else if (a == "--variant") {
            options.variant = number(value());
        } else if (a == "--device") {
            options.deviceId = number(value());
        } else if (a == "--identity") {
            options.identity = value();
        } else if (a == "--unit-name") {
            options.unitName = value();
        } else if (a == "--memory") {
            options.memoryFile = value();
        } else if (a == "--ignore-memory-requests") {
            options.ignoreMemoryRequests = number(value());
        } else if (a == "--cut-memory-dumps") {
            options.cutMemoryDumps = number(value());
        } else if (a == "--cut-preset-dumps") {
            options.cutPresetDumps = number(value());
        } else if (a == "--delay-preset-replies") {
            if (!ParseDelays(value(), options.delayPresetReplies)) {
                std::fprintf(stderr, "drux-sim: --delay-preset-replies takes N:MS[,N:MS...]\n");
                return 2;
            }
        } else if (a == "--drop-preset-requests") {
            if (!ParseNumberList(value(), options.dropPresetRequests)) {
                std::fprintf(stderr, "drux-sim: --drop-preset-requests takes N[,N...]\n");
                return 2;
            }
        } else if (a == "--delay-name-reply") {
            options.delayNameReply = number(value());
        } else if (a == "--never-answer") {
            options.neverAnswer = true;
        } else if (a == "--pace") {
            pace = true;
        } else if (a == "--api") {
            api = value();
        } else {
            std::fprintf(stderr, "drux-sim: unknown option %s\n%s", a.c_str(), usage);
            return 2;
        }
    }
    if (options.model != 0x0D && options.model != 0x11 && options.model != 0x13) {
        std::fprintf(stderr, "drux-sim: model must be 0x0D, 0x11 or 0x13\n");
        return 2;
    }

    SimEngine engine(options);
    std::mutex engineLock;

    std::unique_ptr<RtMidiIn> in;
    std::unique_ptr<RtMidiOut> out;
    std::vector<RtMidi::Api> apis;
    if (api == "alsa")
        apis = {RtMidi::LINUX_ALSA};
    else if (api == "jack")
        apis = {RtMidi::UNIX_JACK};
    else
        apis = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
    std::string chosen;
    for (RtMidi::Api a : apis) {
        // Without the sequencer device the ALSA attempt would only complain.
        if (a == RtMidi::LINUX_ALSA && api.empty() && access("/dev/snd/seq", R_OK | W_OK) != 0)
            continue;
        try {
            in = std::make_unique<RtMidiIn>(a, name, 100);
            out = std::make_unique<RtMidiOut>(a, name);
            in->setErrorCallback(quiet, nullptr);
            out->setErrorCallback(quiet, nullptr);
            chosen = a == RtMidi::LINUX_ALSA ? "ALSA" : "JACK";
            break;
        } catch (const RtMidiError&) {
            in.reset();
            out.reset();
        }
    }
    if (!in || !out) {
        std::fprintf(stderr, "drux-sim: neither the ALSA sequencer nor a JACK server is available\n");
        return 1;
    }

    Input input{&engine, &engineLock, {}};
    Sender sender(*out, pace, chosen == "JACK" ? JackPieceSize : SIZE_MAX);
    engine.setOutput([&sender](const std::vector<uint8_t>& m) { sender.push(m); });
    engine.setLateOutput([&sender](int ms, const std::vector<uint8_t>& m) { sender.push(m, ms); });
    try {
        in->ignoreTypes(false, true, true);
        in->setCallback(onMessage, &input);
        in->openVirtualPort(name + " in");
        out->openVirtualPort(name + " out");
    } catch (const RtMidiError& e) {
        std::fprintf(stderr, "drux-sim: %s\n", e.getMessage().c_str());
        return 1;
    }

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::printf("drux-sim ready: %s, model %02X, SubModel %d, device %d, ports \"%s in\" and \"%s out\"\n",
                chosen.c_str(), engine.model(), engine.subModel(), engine.deviceId(), name.c_str(), name.c_str());
    std::fflush(stdout);
    while (!stopping)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));

    in->cancelCallback();
    in->closePort();
    if (!options.memoryFile.empty()) {
        std::lock_guard<std::mutex> g(engineLock);
        std::string error;
        if (!engine.saveMemory(options.memoryFile, error)) {
            std::fprintf(stderr, "drux-sim: %s\n", error.c_str());
            return 1;
        }
    }
    return 0;
}
