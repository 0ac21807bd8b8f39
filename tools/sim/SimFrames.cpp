#include "SimFrames.h"

namespace SimFrames {

namespace {

Bytes header(int device, int model, uint8_t command)
{
    return {0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device & 0x7F), static_cast<uint8_t>(model & 0x7F),
            command};
}

} // namespace

std::optional<Message> read(const Bytes& m)
{
    if (m.size() < 8 || m[0] != 0xF0 || m[1] != 0x00 || m[2] != 0x20 || m[3] != 0x32)
        return std::nullopt;
    Message r;
    r.device = m[4];
    r.model = m[5];
    r.command = m[6];
    r.body.assign(m.begin() + 7, m.end() - 1);
    return r;
}

Bytes identifyReply(int device, int model, const std::string& identity)
{
    Bytes r = header(device, model, IdentifyReply);
    for (char ch : identity)
        r.push_back(static_cast<uint8_t>(ch) & 0x7F);
    r.push_back(0xF7);
    return r;
}

Bytes nameReply(int device, int model, const std::string& name)
{
    Bytes r = header(device, model, Name);
    for (size_t i = 0; i < name.size() && i < static_cast<size_t>(NameLength); ++i) {
        const auto ch = static_cast<uint8_t>(static_cast<uint8_t>(name[i]) & 0x7F);
        if (ch < 32)
            break;
        r.push_back(ch);
    }
    r.resize(7 + NameLength, ' ');
    r.push_back(0xF7);
    return r;
}

Bytes presetDump(int device, int model, int preset, const Bytes& image)
{
    Bytes r = header(device, model, PresetDump);
    r.push_back(static_cast<uint8_t>(preset & 0x7F));
    r.push_back(static_cast<uint8_t>(image.size() & 0x7F));
    r.insert(r.end(), image.begin(), image.end());
    r.push_back(0xF7);
    return r;
}

Bytes memoryDump(int device, int model, const Bytes& images, int length)
{
    Bytes r = header(device, model, MemoryDump);
    r.push_back(MemorySlots);
    r.push_back(static_cast<uint8_t>(length & 0x7F));
    r.insert(r.end(), images.begin(), images.begin() + MemorySlots * length);
    r.push_back(0xF7);
    return r;
}

} // namespace SimFrames
