#include "SimEngine.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "SimFrames.h"

namespace {

constexpr int Slots = SimFrames::MemorySlots;
constexpr int NameLen = SimFrames::NameLength;
constexpr int ReportAllCc = 80;
constexpr int NameCc = 81;

// Controller on which the unit reports each preset parameter (index =
// parameter number, 1-based; 0 = not reported), per family.
constexpr std::array<int, 33> GuitarCc = {0,  12, 13, 14, 15, 16, 17, 18, 61, 60, 21, 22, 23, 24, 25, 26, 27,
                                          44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59};
// The first-generation unit has no presence control and numbers the two
// selectors differently.
constexpr std::array<int, 33> FirstGuitarCc = {0,  12, 13, 14, 15, 16, 0,  18, 19, 17, 21, 22, 23, 24, 25, 26, 27,
                                               44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59};
constexpr std::array<int, 41> BassCc = {0,  12, 13, 14, 15, 16, 17, 18, 61, 0,  24, 22, 26, 0,
                                        21, 38, 23, 28, 29, 25, 30, 31, 33, 34, 35, 36, 37, 27,
                                        48, 49, 50, 51, 39, 40, 41, 42, 43, 44, 45, 46, 0};
// Bass stomp split goes out as its value times seven.
constexpr int BassStompSplit = 26;
constexpr int StompSplitStep = 7;

struct Variant {
    int model;
    const char* identity;
};
// Identity texts whose keys make the program tell all seven types apart.
constexpr std::array<Variant, 7> Variants = {{
    {0x0D, "DRUX V1.20"},
    {0x11, "DRUX 2 V2.10"},
    {0x11, "DRUX PRO V2.10"},
    {0x11, "DRUXORA V2.10"},
    {0x13, "BASS DRUX V1.05"},
    {0x13, "BASS DRUX PRO V1.05"},
    {0x13, "BASS DRUXORA V1.05"},
}};

const int* ccTable(int model, int& count)
{
    if (model == 0x13) {
        count = static_cast<int>(BassCc.size());
        return BassCc.data();
    }
    count = static_cast<int>(GuitarCc.size());
    return model == 0x0D ? FirstGuitarCc.data() : GuitarCc.data();
}

int firstVariant(int model)
{
    return model == 0x0D ? 0 : (model == 0x13 ? 4 : 1);
}

} // namespace

namespace {
bool readNumber(const std::string& text, size_t& at, int& value)
{
    size_t used = 0;
    try {
        value = std::stoi(text.substr(at), &used);
    } catch (const std::exception&) {
        return false;
    }
    at += used;
    return value >= 0;
}
}

bool ParseDelays(const std::string& text, std::map<int, int>& delays)
{
    size_t at = 0;
    while (at < text.size()) {
        int n = 0, ms = 0;
        if (!readNumber(text, at, n) || at >= text.size() || text[at++] != ':' || !readNumber(text, at, ms))
            return false;
        delays[n] = ms;
        if (at < text.size() && text[at++] != ',')
            return false;
    }
    return !text.empty();
}

bool ParseNumberList(const std::string& text, std::set<int>& numbers)
{
    size_t at = 0;
    while (at < text.size()) {
        int n = 0;
        if (!readNumber(text, at, n))
            return false;
        numbers.insert(n);
        if (at < text.size() && text[at++] != ',')
            return false;
    }
    return !text.empty();
}

std::string SimEngine::DefaultIdentity(int subModel)
{
    if (subModel < 0 || subModel >= static_cast<int>(Variants.size()))
        return {};
    return Variants[subModel].identity;
}

SimEngine::SimEngine(SimOptions o) : options(std::move(o))
{
    if (options.model != 0x0D && options.model != 0x13)
        options.model = 0x11;
    variant = options.variant;
    if (variant < 0 || variant >= static_cast<int>(Variants.size()) || Variants[variant].model != options.model)
        variant = firstVariant(options.model);
    identityText = options.identity.empty() ? DefaultIdentity(variant) : options.identity;
    options.deviceId &= 0x7F;
    channelNr = options.deviceId & 0x0F;
    name = options.unitName;
    length = options.model == 0x13 ? 56 : 48;
    images.assign(static_cast<size_t>(Slots * length), 0);
    // A recognisable factory memory: parameters that differ from slot to slot
    // and names that tell the slot.
    for (int slot = 0; slot < Slots; ++slot) {
        uint8_t* img = images.data() + slot * length;
        for (int i = 0; i < length - NameLen; ++i)
            img[i] = static_cast<uint8_t>((slot * 7 + i * 3) % 64);
        char text[NameLen + 1];
        std::snprintf(text, sizeof text, "SIM %02d%c %-8s", slot / 5 + 1, 'A' + slot % 5,
                      options.model == 0x13 ? "BASS" : "GUITAR");
        std::copy(text, text + NameLen, img + length - NameLen);
    }
    edit.assign(images.begin(), images.begin() + length);
    if (!options.memoryFile.empty() && std::filesystem::exists(options.memoryFile)) {
        std::string error;
        loadMemory(options.memoryFile, error);
    }
}

void SimEngine::attach(LoopbackDriver& driver, int outputPort, int inputPort)
{
    driver.attach(outputPort, this);
    setOutput([&driver, inputPort](const std::vector<uint8_t>& m) { driver.inject(inputPort, m); });
}

void SimEngine::received(int, const std::vector<uint8_t>& message)
{
    handle(message);
}

std::vector<uint8_t> SimEngine::image(int slot) const
{
    if (slot < 0 || slot >= Slots)
        return {};
    return {images.begin() + slot * length, images.begin() + (slot + 1) * length};
}

void SimEngine::reply(const std::vector<uint8_t>& message)
{
    if (!options.neverAnswer && output)
        output(message);
}

void SimEngine::replyLate(int ms, const std::vector<uint8_t>& message)
{
    if (ms <= 0) {
        reply(message);
        return;
    }
    if (options.neverAnswer)
        return;
    if (lateOutput)
        lateOutput(ms, message);
    else
        held.push_back(message);
}

void SimEngine::releaseLate()
{
    std::vector<std::vector<uint8_t>> late;
    late.swap(held);
    for (const auto& m : late)
        reply(m);
}

void SimEngine::handle(const std::vector<uint8_t>& m)
{
    if (m.empty())
        return;
    if (m[0] == SimFrames::Start) {
        handleSysex(m);
        return;
    }
    if (m[0] < 0x80 || m[0] >= 0xF0 || (m[0] & 0x0F) != channelNr)
        return;
    switch (m[0] & 0xF0) {
    case 0xB0:
        if (m.size() >= 3)
            handleController(m[1] & 0x7F, m[2] & 0x7F);
        break;
    case 0xC0:
        if (m.size() >= 2 && m[1] < Slots) {
            program = m[1];
            edit = image(program);
        }
        break;
    default:
        break;
    }
}

void SimEngine::handleController(int c, int v)
{
    if (c == ReportAllCc) {
        if (v == ReportAllCc)
            reportAll();
        return;
    }
    if (c == NameCc) {
        // Position, then character, as the program sends names.
        if (v < NameLen)
            namePosition = v;
        else
            edit[length - NameLen + namePosition] = static_cast<uint8_t>(v);
        return;
    }
    int count = 0;
    const int* table = ccTable(options.model, count);
    for (int p = 1; p < count && p <= length - NameLen; ++p)
        if (table[p] == c) {
            const int value = options.model == 0x13 && p == BassStompSplit ? v / StompSplitStep : v;
            edit[p - 1] = static_cast<uint8_t>(value);
            return;
        }
}

// Every mapped preset parameter as a controller, then the name as 16
// position / character pairs.
void SimEngine::reportAll()
{
    const uint8_t status = static_cast<uint8_t>(0xB0 | channelNr);
    int count = 0;
    const int* table = ccTable(options.model, count);
    for (int p = 1; p < count && p <= length - NameLen; ++p) {
        if (table[p] == 0)
            continue;
        int v = edit[p - 1];
        if (options.model == 0x13 && p == BassStompSplit)
            v = std::min(127, v * StompSplitStep);
        reply({status, static_cast<uint8_t>(table[p]), static_cast<uint8_t>(v & 0x7F)});
    }
    for (int i = 0; i < NameLen; ++i) {
        uint8_t ch = edit[length - NameLen + i] & 0x7F;
        if (ch < 32)
            ch = ' ';
        reply({status, NameCc, static_cast<uint8_t>(i)});
        reply({status, NameCc, ch});
    }
}

bool SimEngine::addressed(const SimFrames::Message& m) const
{
    return (m.device == options.deviceId || m.device == SimFrames::Everyone)
        && (m.model == options.model || m.model == SimFrames::Everyone);
}

std::vector<uint8_t> SimEngine::cut(std::vector<uint8_t> message) const
{
    message.resize(message.size() / 2);
    message.push_back(SimFrames::End);
    return message;
}

void SimEngine::handleSysex(const std::vector<uint8_t>& bytes)
{
    using namespace SimFrames;
    const auto m = read(bytes);
    if (!m || !addressed(*m))
        return;
    const Bytes& body = m->body;
    const int dd = options.deviceId;
    const int mm = options.model;
    switch (m->command) {
    case Identify:
        ++identifyRequests;
        reply(identifyReply(dd, mm, identityText));
        break;
    case RequestName:
        ++nameRequests;
        if (options.model != 0x0D)
            replyLate(options.delayNameReply, nameReply(dd, mm, name));
        break;
    case Name:
        if (body.size() >= static_cast<size_t>(NameLen)) {
            name.assign(body.begin(), body.begin() + NameLen);
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
        }
        break;
    case SetChannel:
        if (!body.empty() && body[0] < 16) {
            options.deviceId = body[0];
            channelNr = body[0];
        }
        break;
    case Global23:
    case Global24:
        if (options.model == 0x0D && !body.empty())
            (m->command == Global23 ? global23 : global24) = body[0];
        break;
    case RequestPreset: {
        const int request = ++presetRequests;
        if (body.empty() || options.dropPresetRequests.count(request))
            break;
        const int n = body[0];
        const std::vector<uint8_t> img = n == EditBuffer ? edit : image(n);
        if (img.empty())
            break;
        auto dump = presetDump(dd, mm, n, img);
        if (presetDumpsSent++ < options.cutPresetDumps)
            dump = cut(dump);
        const auto late = options.delayPresetReplies.find(request);
        replyLate(late == options.delayPresetReplies.end() ? 0 : late->second, dump);
        break;
    }
    case RequestMemory: {
        ++memoryRequests;
        if (memoryRequests <= options.ignoreMemoryRequests)
            break;
        auto dump = memoryDump(dd, mm, images, length);
        if (memoryDumpsSent++ < options.cutMemoryDumps)
            dump = cut(dump);
        reply(dump);
        break;
    }
    case PresetDump:
        // Preset number, record length, the image.
        if (body.size() == static_cast<size_t>(length) + 2 && body[1] == length) {
            const int n = body[0];
            if (n == EditBuffer) {
                edit.assign(body.begin() + 2, body.end());
            } else if (n < Slots) {
                std::copy(body.begin() + 2, body.end(), images.begin() + n * length);
                memoryChanged();
            }
        }
        break;
    case MemoryDump:
        if (body.size() >= static_cast<size_t>(Slots * length) + 2 && body[0] == Slots && body[1] == length) {
            std::copy(body.begin() + 2, body.begin() + 2 + Slots * length, images.begin());
            memoryChanged();
        }
        break;
    default:
        break;
    }
}

void SimEngine::memoryChanged()
{
    if (options.memoryFile.empty())
        return;
    std::string error;
    if (!saveMemory(options.memoryFile, error))
        std::fprintf(stderr, "drux-sim: %s\n", error.c_str());
}

std::vector<uint8_t> SimEngine::memoryDumpFile() const
{
    return SimFrames::memoryDump(0, options.model, images, length);
}

bool SimEngine::loadMemory(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t expected = static_cast<size_t>(Slots * length) + 10;
    const auto m = SimFrames::read(bytes);
    if (bytes.size() != expected || !m || m->command != SimFrames::MemoryDump || m->body[0] != Slots
        || m->body[1] != length) {
        error = path + " is no all-presets dump of " + std::to_string(length) + "-byte presets";
        return false;
    }
    std::copy(m->body.begin() + 2, m->body.begin() + 2 + Slots * length, images.begin());
    return true;
}

bool SimEngine::saveMemory(const std::string& path, std::string& error) const
{
    // Written beside the target and renamed over it, so that a reader never
    // sees half a file.
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        const auto bytes = memoryDumpFile();
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            error = "cannot write " + temp;
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        error = "cannot rename " + temp + ": " + ec.message();
        return false;
    }
    return true;
}
