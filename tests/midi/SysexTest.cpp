#include <gtest/gtest.h>

#include "midi/Sysex.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- builders: bytes worked out by hand from the message table ----

TEST(SysexMessages, RequestsAndShortCommands)
{
    EXPECT_EQ(IdentifyRequestMessage(), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x7F, 0x7F, 0x01, 0xF7}));
    EXPECT_EQ(SetChannelMessage(3, 0x11, 9), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x03, 0x11, 0x22, 0x09, 0xF7}));
    EXPECT_EQ(RequestPresetMessage(0, 0x13, 124), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x00, 0x13, 0x60, 0x7C, 0xF7}));
    // The preset number is masked to seven bits.
    EXPECT_EQ(RequestPresetMessage(0, 0x11, 0x85)[7], 0x05);
    EXPECT_EQ(RequestMemoryMessage(5, 0x0D), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x05, 0x0D, 0x61, 0xF7}));
    EXPECT_EQ(RequestNameMessage(15, 0x11), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x0F, 0x11, 0x65, 0xF7}));
    EXPECT_EQ(GlobalMessage(2, 0x23, 100), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x02, 0x0D, 0x23, 0x64, 0xF7}));
    EXPECT_EQ(GlobalMessage(2, 0x24, 40), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x02, 0x0D, 0x24, 0x28, 0xF7}));
}

TEST(SysexMessages, SetNamePadsWithBlanksAndStopsAtControlCharacters)
{
    const Bytes hi = {0xF0, 0x00, 0x20, 0x32, 0x01, 0x11, 0x25, 'H', 'i', ' ', ' ', ' ', ' ', ' ', ' ',
                      ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ',  ' ', 0xF7};
    EXPECT_EQ(SetNameMessage(1, 0x11, "Hi"), hi);
    EXPECT_EQ(SetNameMessage(1, 0x11, "Hi\nrest"), hi);
    // Bit 7 is cleared; more than 16 characters are cut.
    const Bytes m = SetNameMessage(0, 0x13, "\xC1" "BCDEFGHIJKLMNOPQRSTU");
    ASSERT_EQ(m.size(), 24u);
    EXPECT_EQ(m[7], 0x41);
    EXPECT_EQ(m[22], 'P');
    EXPECT_EQ(m[23], 0xF7);
}

TEST(SysexMessages, DumpsCarryTheImages)
{
    const uint8_t image[3] = {1, 2, 3};
    EXPECT_EQ(PresetDumpMessage(4, 0x11, 127, image, 3),
              (Bytes{0xF0, 0x00, 0x20, 0x32, 0x04, 0x11, 0x20, 0x7F, 0x03, 1, 2, 3, 0xF7}));

    for (int length : {48, 56}) {
        std::vector<uint8_t> images(static_cast<size_t>(125 * length));
        for (size_t i = 0; i < images.size(); ++i)
            images[i] = static_cast<uint8_t>(i % 128);
        const Bytes m = MemoryDumpMessage(0, 0x11, images.data(), length);
        ASSERT_EQ(m.size(), static_cast<size_t>(125 * length + 10)); // 6010 guitar, 7010 bass
        EXPECT_EQ((Bytes{m.begin(), m.begin() + 9}), (Bytes{0xF0, 0x00, 0x20, 0x32, 0x00, 0x11, 0x21, 0x7D,
                                                            static_cast<uint8_t>(length)}));
        EXPECT_TRUE(std::equal(images.begin(), images.end(), m.begin() + 9));
        EXPECT_EQ(m.back(), 0xF7);
    }
}

// ---- recognising ----

TEST(SysexFraming, RejectsWhatIsNotOurs)
{
    EXPECT_EQ(FrameSysex({}).kind, SysexKind::Empty);
    EXPECT_EQ(FrameSysex({0xF0, 0x00, 0x20, 0x32, 0, 0x11, 0x02, 0xF7}).kind, SysexKind::TooShort);
    EXPECT_EQ(FrameSysex(Bytes(10241, 0)).kind, SysexKind::TooLong);

    const SysexFrame maker1 = FrameSysex({0xF0, 0x43, 0x20, 0x32, 0, 0x11, 0x02, 'x', 0xF7});
    EXPECT_EQ(maker1.kind, SysexKind::ForeignMaker);
    EXPECT_EQ(ForeignMakerTrace(maker1), "Recieved Manufacture Id 43");
    const SysexFrame maker2 = FrameSysex({0xF0, 0x00, 0x21, 0x09, 0, 0x11, 0x02, 'x', 0xF7});
    EXPECT_EQ(ForeignMakerTrace(maker2), "Recieved Manufacture Id 21, 9");

    // Our own requests coming back through a Thru port are no reply.
    Bytes echoedIdentify = IdentifyRequestMessage();
    echoedIdentify.insert(echoedIdentify.end() - 1, 0); // 9 bytes: past the length test
    EXPECT_EQ(FrameSysex(echoedIdentify).kind, SysexKind::OtherCommand);
    EXPECT_EQ(FrameSysex(RequestPresetMessage(0, 0x11, 3)).kind, SysexKind::OtherCommand);
    EXPECT_EQ(FrameSysex(SetChannelMessage(0, 0x11, 3)).kind, SysexKind::OtherCommand);
}

TEST(SysexFraming, AMissingStartByteIsReadAsIfItStoodThere)
{
    const Bytes full = {0xF0, 0x00, 0x20, 0x32, 0x02, 0x13, 0x02, 'B', 'A', 'S', 'S', 0xF7};
    const SysexFrame f = FrameSysex(Bytes(full.begin() + 1, full.end()));
    EXPECT_EQ(f.kind, SysexKind::IdentifyReply);
    EXPECT_EQ(f.recorded, full.size() - 1);
    EXPECT_EQ(f.bytes, full);
    EXPECT_EQ(f.device(), 2);
    EXPECT_EQ(f.model(), 0x13);
}

Bytes identifyReply(int device, int model, const std::string& text)
{
    Bytes m = {0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x02};
    m.insert(m.end(), text.begin(), text.end());
    m.push_back(0xF7);
    return m;
}

struct IdentifyCase {
    int model;
    std::string text;
    int subModel;
    std::string modelText;
};

TEST(SysexIdentify, SevenUnitTypesAndTheirTails)
{
    const IdentifyCase cases[] = {
        {0x0D, "DRUX V1.20", 0, "DRUX V1.20"},
        {0x11, "DRUX 2 V2.10", 1, "DRUX 2 V2.10"},
        {0x11, "DRUX PRO V2.10", 2, "DRUX PRO V2.10"},
        // The guitar rack key "ORA " holds the blank, so the tail starts with it.
        {0x11, "DRUXORA V2.10", 3, "DRUXORA V2.10"},
        {0x13, "BASS DRUX V1.05", 4, "BASS DRUX V1.05"},
        {0x13, "BASS DRUX PRO V1.05", 5, "BASS DRUX PRO V1.05"},
        // The bass rack key "ORA" has none: the tail is what follows it.
        {0x13, "BASS DRUXORA-X", 6, "BASS DRUXORA-X"},
        // "PRO" wins over "XORA".
        {0x13, "XORA PRO 1", 5, "BASS DRUX PRO 1"},
        // No key: the first 20 characters (offset 1) or from the third on (offset 3).
        {0x11, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", 1, "DRUX 2ABCDEFGHIJKLMNOPQRST"},
        {0x11, "XORA-ABC", 3, "DRUXORARA-ABC"},
        // At most 20 characters of tail.
        {0x11, "MY DRUX 2 123456789012345678901234", 1, "DRUX 2 1234567890123456789"},
    };
    for (const IdentifyCase& c : cases) {
        SCOPED_TRACE(c.text);
        const auto info = ParseIdentifyReply(FrameSysex(identifyReply(7, c.model, c.text)));
        ASSERT_TRUE(info.has_value());
        EXPECT_EQ(info->model, c.model);
        EXPECT_EQ(info->device, 7);
        EXPECT_EQ(info->subModel, c.subModel);
        EXPECT_EQ(info->modelText, c.modelText);
    }
}

TEST(SysexIdentify, TextEndsAtZeroOrAtTheEndWithoutF7)
{
    Bytes m = identifyReply(0, 0x11, "DRUX 2 V2");
    m.insert(m.end() - 1, {0, 'P', 'R', 'O'});
    EXPECT_EQ(ParseIdentifyReply(FrameSysex(m))->subModel, 1); // "PRO" after the zero is no text

    Bytes noEnd = identifyReply(0, 0x11, "DRUX PRO 7");
    noEnd.pop_back();
    const auto info = ParseIdentifyReply(FrameSysex(noEnd));
    EXPECT_EQ(info->identity, "DRUX PRO 7");
}

TEST(SysexIdentify, OtherModelCodesAreNoUnit)
{
    for (int model : {0x00, 0x0E, 0x12, 0x7F})
        EXPECT_FALSE(ParseIdentifyReply(FrameSysex(identifyReply(0, model, "DRUX 2 V1"))).has_value());
}

TEST(SysexIdentify, KeyAndDefaultName)
{
    EXPECT_EQ(MakeDeviceKey(0x11, 0, 1, 2), "DEV11M00I01O02");
    EXPECT_EQ(MakeDeviceKey(0x0D, 15, 10, 0), "DEV0DM15I10O00");
    EXPECT_EQ(DefaultDeviceName(0, "Port 1"), "Device 1 @ Port 1");
}

Bytes nameReply(int device, int model, const std::string& name16)
{
    Bytes m = {0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x25};
    m.insert(m.end(), name16.begin(), name16.end());
    m.push_back(0xF7);
    return m;
}

TEST(SysexName, NameReply)
{
    EXPECT_EQ(ParseNameReply(FrameSysex(nameReply(0, 0x11, "Stage Left  \x01   "))), "Stage Left");
    // The unit's German characters become Latin-1: [ is A umlaut.
    EXPECT_EQ(ParseNameReply(FrameSysex(nameReply(0, 0x11, "B[R             "))), "B\xC4R");
    std::string zero = "AB";
    zero += '\0';
    zero += "CDEFGHIJKLMN";
    ASSERT_EQ(zero.size(), 15u);
    zero += ' ';
    EXPECT_EQ(ParseNameReply(FrameSysex(nameReply(0, 0x11, zero))), "AB");

    std::string empty(16, ' ');
    empty[0] = '\0';
    EXPECT_FALSE(ParseNameReply(FrameSysex(nameReply(0, 0x11, empty))).has_value());
    Bytes noEnd = nameReply(0, 0x11, "ABCDEFGHIJKLMNOP");
    noEnd.back() = ' ';
    EXPECT_FALSE(ParseNameReply(FrameSysex(noEnd)).has_value());
    noEnd.resize(20);
    EXPECT_FALSE(ParseNameReply(FrameSysex(noEnd)).has_value());
}

struct DumpFamily {
    int model;
    int length;
};
const DumpFamily Families[] = {{0x0D, 48}, {0x11, 48}, {0x13, 56}};

TEST(SysexDumps, PresetDumpLengthMustBeExact)
{
    for (const DumpFamily& d : Families) {
        SCOPED_TRACE(d.model);
        const std::vector<uint8_t> image(static_cast<size_t>(d.length), 9);
        const Bytes m = PresetDumpMessage(3, d.model, 17, image.data(), d.length);
        const SysexFrame f = FrameSysex(m);
        EXPECT_EQ(CheckPresetDump(f, 3, d.model, d.length), DumpCheck::Complete);
        EXPECT_EQ(DumpPreset(f), 17);
        EXPECT_EQ(DumpData(f)[0], 9);
        EXPECT_EQ(DumpData(f)[d.length - 1], 9);
        // Another unit, another model, another record length.
        EXPECT_EQ(CheckPresetDump(f, 4, d.model, d.length), DumpCheck::Foreign);
        EXPECT_EQ(CheckPresetDump(f, 3, 0x12, d.length), DumpCheck::Foreign);
        EXPECT_EQ(CheckPresetDump(f, 3, d.model, d.length == 48 ? 56 : 48), DumpCheck::Foreign);
        // One byte too many or too few.
        Bytes longer = m;
        longer.push_back(0xF7);
        EXPECT_EQ(CheckPresetDump(FrameSysex(longer), 3, d.model, d.length), DumpCheck::Short);
        EXPECT_EQ(CheckPresetDump(FrameSysex(Bytes(m.begin(), m.end() - 1)), 3, d.model, d.length),
                  DumpCheck::Short);
        // Without its F0h the length test fails.
        EXPECT_EQ(CheckPresetDump(FrameSysex(Bytes(m.begin() + 1, m.end())), 3, d.model, d.length),
                  DumpCheck::Short);
    }
}

TEST(SysexDumps, MemoryDumpMayBeLongerButNotShorter)
{
    for (const DumpFamily& d : Families) {
        SCOPED_TRACE(d.model);
        const std::vector<uint8_t> images(static_cast<size_t>(125 * d.length), 5);
        const Bytes m = MemoryDumpMessage(0, d.model, images.data(), d.length);
        EXPECT_EQ(CheckMemoryDump(FrameSysex(m), 0, d.model, d.length), DumpCheck::Complete);
        Bytes longer = m;
        longer.insert(longer.end(), 20, 0);
        EXPECT_EQ(CheckMemoryDump(FrameSysex(longer), 0, d.model, d.length), DumpCheck::Complete);
        // 125 x LL + 9 bytes (no F7h) still holds every data byte.
        EXPECT_EQ(CheckMemoryDump(FrameSysex(Bytes(m.begin(), m.end() - 1)), 0, d.model, d.length),
                  DumpCheck::Complete);
        EXPECT_EQ(CheckMemoryDump(FrameSysex(Bytes(m.begin(), m.end() - 2)), 0, d.model, d.length),
                  DumpCheck::Short);
        EXPECT_EQ(CheckMemoryDump(FrameSysex(Bytes(m.begin(), m.begin() + 3000)), 0, d.model, d.length),
                  DumpCheck::Short);
        Bytes count = m;
        count[7] = 0x7C;
        EXPECT_EQ(CheckMemoryDump(FrameSysex(count), 0, d.model, d.length), DumpCheck::Foreign);
        EXPECT_EQ(CheckMemoryDump(FrameSysex(m), 1, d.model, d.length), DumpCheck::Foreign);
    }
}

} // namespace
