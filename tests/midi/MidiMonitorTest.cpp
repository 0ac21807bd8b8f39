#include <gtest/gtest.h>

#include <string>

#include "monitor/MidiMonitor.h"
#include "model/Parameters.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr auto In = MidiDirection::In;
constexpr auto Out = MidiDirection::Out;

Bytes sysex(int device, int model, int command, Bytes data = {})
{
    data.insert(data.begin(), {0xF0, 0x00, 0x20, 0x32, uint8_t(device), uint8_t(model), uint8_t(command)});
    data.push_back(0xF7);
    return data;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

// A preset image of `length` bytes whose last 16 hold the name.
Bytes image(int length, const std::string& name)
{
    Bytes b(size_t(length), 0);
    for (size_t i = 0; i < 16; ++i)
        b[size_t(length) - 16 + i] = i < name.size() ? uint8_t(name[i]) : ' ';
    return b;
}

Bytes presetDump(int model, int preset, int length, const std::string& name)
{
    Bytes data{uint8_t(preset), uint8_t(length)};
    const Bytes img = image(length, name);
    data.insert(data.end(), img.begin(), img.end());
    return sysex(0, model, 0x20, data);
}

Bytes memoryDump(int model, int length)
{
    Bytes data{0x7D, uint8_t(length)};
    data.resize(2 + size_t(125 * length), 0);
    return sysex(0, model, 0x21, data);
}

struct Row {
    MidiDirection direction;
    Bytes bytes;
    std::string text;
};

void check(int model, const std::vector<Row>& rows, int device = 0, int channel = 0)
{
    const MonitorUnit unit{model, device, channel, 1};
    for (const Row& r : rows) {
        SCOPED_TRACE("model " + std::to_string(model) + ": " + MonitorHex(r.bytes));
        EXPECT_EQ(DecodeMidiMessage(r.bytes, r.direction, unit), r.text);
    }
}

// What every model reads alike; the bytes carry the model's code and record
// length.
TEST(MidiMonitor, NamesTheMessagesOfEveryModel)
{
    for (int model : {0x0D, 0x11, 0x13}) {
        const int length = model == 0x13 ? 56 : 48;
        const int other = model == 0x13 ? 0x11 : 0x13;
        const int otherLength = model == 0x13 ? 48 : 56;
        const std::string full = std::to_string(125 * length + 10);
        Bytes cut = memoryDump(model, length);
        cut.resize(3000);
        const Bytes tooLong(10241, 0x10);
        check(model, {
            {Out, {0xF0, 0x00, 0x20, 0x32, 0x7F, 0x7F, 0x01, 0xF7}, "identify request"},
            {Out, sysex(0, model, 0x61), "request memory dump"},
            {Out, sysex(0, model, 0x60, {17}), "request preset Bank 4 C"},
            {Out, sysex(0, model, 0x60, {127}), "request preset edit buffer"},
            {Out, sysex(0, model, 0x65), "request name"},
            {Out, sysex(0, model, 0x22, {2}), "set channel 3"},
            {In, presetDump(model, 17, length, "CRUNCH LEAD"), "preset dump Bank 4 C \"CRUNCH LEAD\""},
            {Out, presetDump(model, 127, length, "AUDITION"), "preset dump edit buffer \"AUDITION\""},
            {In, memoryDump(model, length), "memory dump: 125 presets of " + std::to_string(length) + " bytes"},
            // The edge cases: a dump for another model, a cut one, another
            // unit, another maker, and what the port layer drops.
            {In, presetDump(other, 17, otherLength, "CRUNCH LEAD"),
             "preset dump Bank 4 C \"CRUNCH LEAD\" - not the unit's: model " + std::string(other == 0x13 ? "13h" : "11h") +
                 ", the unit is " + std::string(model == 0x0D ? "0Dh" : model == 0x11 ? "11h" : "13h")},
            {In, cut, "memory dump: 125 presets of " + std::to_string(length) +
                          " bytes - not the unit's: cut short (3000 of " + full + " bytes)"},
            {In, sysex(5, model, 0x60, {0}), "request preset Bank 1 A - not the unit's: device id 5, the unit's is 0"},
            {In, {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, "SysEx - not the unit's: other maker 43h"},
            {In, tooLong, "SysEx of 10241 bytes, dropped: longer than 10240 bytes"},
            {In, {0x20, 0x47, 0x55, 0x49, 0x54, 0x41, 0x52, 0x20, 0x20, 0xF7},
             "SysEx without F0 - not the unit's: a piece of a message cut apart (10 bytes)"},
            {In, {0x00, 0x20, 0x32, 0x00, uint8_t(model), 0x61, 0xF7}, "request memory dump (without F0)"},
            {In, sysex(0, model, 0x42, {1}), "SysEx command 42h - not the unit's: no message of the unit"},
            // Short messages on the unit's channel and on another.
            {In, {0xC0, 17}, "program change: Bank 4 C"},
            {Out, {0xC0, 127}, "program change 127: tuner"},
            {Out, {0xB0, 80, 80}, "report all parameters"},
            {Out, {0xB0, 81, 3}, "preset name: position 3"},
            {Out, {0xB0, 81, 'H'}, "preset name: character 'H'"},
            {In, {0xB0, 62, 5}, "controller 62 = 5: no parameter"},
            {Out, {0xB0, 64, 127}, "Tap Tempo = 127"},
            {In, {0xB0, 83, 40}, "Tuner: Centre Frequency = 440 Hz"},
            {In, {0xB1, 13, 90}, "control change 13 = 90 - not the unit's: channel 2, the unit's is 1"},
            {In, {0xB0, 13}, "control change - not the unit's: cut short (2 bytes)"},
            {In, {0xF8}, "system message F8h - not the unit's: no message of the unit"},
        });
    }
}

TEST(MidiMonitor, GuitarUnitsNameTheirParametersAsTheEditorCaptionsThem)
{
    const std::vector<Row> both = {
        {In, {0xB0, 13, 90}, "Amplifier: Treble = 90"},
        {In, {0xB0, 61, 7}, "Amplifier: Amp Model = Brit Hi Gain"},
        {In, {0xB0, 25, 11}, "Gate / Wah: Threshold = -60 dB"},
        {In, {0xB0, 25, 0}, "Gate / Wah: Threshold = off"},
        {In, {0xB0, 21, 127}, "Effects: FX ON = on"},
        {In, {0xB0, 24, 8}, "Cabinet / Reverb: REVERB TYPE = Long Ambience"},
        {Out, {0xB0, 50, 117}, "Delay: Delay-Time, upper 7 bits = 117"},
        {In, {0x90, 12, 127}, "note on C0 (12), velocity 127 - not the unit's: only the bass units play notes"},
    };
    check(0x11, both);
    check(0x0D, both);
    check(0x11, {
        {In, {0xB0, 17, 40}, "Amplifier: Presence = 40"},
        {In, sysex(0, 0x11, 0x02, text("DRUX PRO V1.0")), "identify reply of device 0: \"DRUX PRO V1.0\", SubModel 2"},
        {In, sysex(0, 0x11, 0x25, text("MY DRUX         ")), "name reply \"MY DRUX\""},
        {In, sysex(0, 0x11, 0x25, Bytes(16, 0)), "name reply: no name"},
        {Out, sysex(0, 0x11, 0x25, text("MY DRUX         ")), "set name \"MY DRUX\""},
        {Out, sysex(0, 0x0D, 0x23, {100}), "Global 23h: Tuner: Volume = 100 - not the unit's: model 0Dh, the unit is 11h"},
    });
    // The first-generation unit: controller 17 is the effect selection, the
    // tuner travels as SysEx, the unit has no name.
    check(0x0D, {
        {In, {0xB0, 17, 3}, "Effects: Control Assigment = Phaser + Delay"},
        {In, {0xB0, 19, 2}, "Amplifier: Amp Model = Tweed Combo"},
        {Out, sysex(0, 0x0D, 0x23, {100}), "Global 23h: Tuner: Volume = 100"},
        {Out, sysex(0, 0x0D, 0x24, {40}), "Global 24h: Tuner: Centre Frequency = 440 Hz"},
        {In, sysex(3, 0x0D, 0x02, text("DRUX V1")), "identify reply of device 3: \"DRUX V1\", SubModel 0"},
    });
    // Device id and channel of another unit than the first.
    check(0x11, {
        {In, {0xB2, 13, 90}, "Amplifier: Treble = 90"},
        {In, sysex(2, 0x11, 0x20, {0, 48}), "preset dump Bank 1 A - not the unit's: cut short (10 of 58 bytes)"},
        {In, {0xB0, 13, 90}, "control change 13 = 90 - not the unit's: channel 1, the unit's is 3"},
    }, 2, 2);
}

TEST(MidiMonitor, BassUnitsNameTheirParametersAsTheEditorCaptionsThem)
{
    check(0x13, {
        {In, {0xB0, 13, 90}, "Preamp: Treble = 90"},
        {In, {0xB0, 20, 9}, "Pre-Effect: Mode = Auto Wah"},
        {In, {0xB0, 20, 12}, "Post-Effect: Mode = Flanger"},
        {In, {0xB0, 20, 5}, "Post-Effect: Mode = Ambience"},
        {In, {0xB0, 37, 21}, "Pedal: Split = 58 Hz"},
        {In, {0xB0, 28, 10}, "Crossover: Frequency = 100 Hz"},
        {In, {0xB0, 38, 127}, "Compressor: On = on"},
        {In, {0xB0, 89, 64}, "Global: Input Gain = 64"},
        {Out, {0xB0, 58, 1}, "Looper: HALF = 1"},
        {Out, {0x90, 24, 127}, "bass piano: note on C1 (24), velocity 127"},
        {Out, {0x80, 24, 0}, "bass piano: note off C1 (24), velocity 0"},
        {In, sysex(0, 0x13, 0x02, text("BASS DRUXORA V2")), "identify reply of device 0: \"BASS DRUXORA V2\", SubModel 6"},
        {In, sysex(0, 0x15, 0x02, text("OTHER")), "identify reply - not the unit's: model 15h is none of the three"},
    });
}

// Rows read one after the other by one context, as the monitor reads the
// traffic.
void checkInOrder(int model, MonitorContext& context, const std::vector<Row>& rows)
{
    const MonitorUnit unit{model, 0, 0, 1};
    for (const Row& r : rows) {
        SCOPED_TRACE("model " + std::to_string(model) + ": " + MonitorHex(r.bytes));
        EXPECT_EQ(context.Decode(r.bytes, r.direction, unit), r.text);
    }
}

Bytes cc(int controller, int value) { return {0xB0, uint8_t(controller), uint8_t(value)}; }

// The guitar pre-effect knobs take the captions and units of the type last
// seen, the modulation speed its type's Hz, the delay time both halves; a
// knob the type does not use says so.
TEST(MidiMonitor, GuitarKnobsReadInTheLightOfTheirEffectType)
{
    for (int model : {0x0D, 0x11}) {
        MonitorContext context;
        checkInOrder(model, context, {
            {In, cc(45, 66), "Pre-Effect: Sense / Speed = 66"},
            {In, cc(44, 1), "Pre-Effect: Type = Compressor"},
            {In, cc(45, 66), "Pre-Effect: Sense = 2.5:1"},
            {In, cc(46, 16), model == 0x0D ? "Pre-Effect: Attack / Depth = 16 (not used by Compressor)"
                                           : "Pre-Effect: Attack = 2 ms"},
            {Out, cc(44, 2), "Pre-Effect: Type = Auto-Wah"},
            {In, cc(45, 26), "Pre-Effect: Speed = 50 ms"},
            {In, cc(46, 90), "Pre-Effect: Depth = 90"},
            {In, cc(47, 30), "Pre-Effect: Offset = 30"},
            {In, cc(44, 0), "Pre-Effect: Type = No Pre-Effect"},
            {In, cc(48, 5), "Pre-Effect: Frequency = 5 (not used by No Pre-Effect)"},
            {In, cc(56, 100), "Modulation: Speed = 100"},
            {In, cc(55, 2), "Modulation: Type = Tremolo"},
            {In, cc(56, 100), "Modulation: Speed = 6.20 Hz"},
            {In, cc(57, 10), "Modulation: Depth = 10 (not used by Tremolo)"},
            // A type beyond the list is held to its last entry, as the
            // parameter holds it.
            {In, cc(55, 17), "Modulation: Type = 17"},
            {In, cc(56, 100), "Modulation: Speed = 3.10 Hz"},
            {In, cc(50, 2), "Delay: Delay-Time, upper 7 bits = 2"},
            {In, cc(51, 3), "Delay: Delay-Time = 33.15 ms (lower 7 bits = 3)"},
            {Out, cc(50, 117), "Delay: Delay-Time = 1.917 s (upper 7 bits = 117)"},
            // The first-generation unit knows 16 amp models and no bypass.
            {In, cc(model == 0x0D ? 19 : 61, 32), model == 0x0D ? "Amplifier: Amp Model = 32"
                                                               : "Amplifier: Amp Model = Bypass"},
            {In, cc(13, 90), model == 0x0D ? "Amplifier: Treble = 90" : "Amplifier: Treble = 90 (not used by Bypass)"},
            {In, cc(49, 1), "Delay: Type = Echo"},
            {In, cc(52, 9), "Delay: Spread = 9 (not used by Echo)"},
            // A new preset: until its parameters come, nothing is known.
            {In, {0xC0, 5}, "program change: Bank 2 A"},
            {In, cc(45, 66), "Pre-Effect: Sense / Speed = 66"},
            {In, cc(51, 3), "Delay: Delay-Time, lower 7 bits = 3"},
        });
        // An edit-buffer dump brings the whole preset: byte 16 is the
        // pre-effect type.
        Bytes img = image(48, "AUDITION");
        img[16] = 1;
        Bytes dump{127, 48};
        dump.insert(dump.end(), img.begin(), img.end());
        checkInOrder(model, context, {
            {Out, sysex(0, model, 0x20, dump), "preset dump edit buffer \"AUDITION\""},
            {In, cc(45, 0), "Pre-Effect: Sense = 1.2:1"},
        });
    }
    // Without a context the knobs go by their numbers.
    check(0x11, {{In, cc(45, 66), "Pre-Effect: Sense / Speed = 66"}});
}

// The bass effect knobs take the captions and units of the post-effect mode
// last seen, whichever controller brought it; the delay time joins its
// halves, the synth's interval reads as the key says.
TEST(MidiMonitor, BassKnobsReadInTheLightOfTheirEffectMode)
{
    MonitorContext context;
    checkInOrder(0x13, context, {
        {In, cc(42, 64), "Post-Effect: Effect 3 = 64"},
        {In, cc(20, 1), "Post-Effect: Mode = Delay Chorus"},
        {In, cc(42, 64), "Post-Effect: Feedback = 51 %"},
        {In, cc(43, 7), "Post-Effect: Feedb.LP = 7"},
        {In, cc(45, 1), "Post-Effect: Del.Time, upper 7 bits = 1"},
        {In, cc(46, 0), "Post-Effect: Del.Time = 16.38 ms (lower 7 bits = 0)"},
        {Out, cc(45, 2), "Post-Effect: Del.Time = 32.77 ms (upper 7 bits = 2)"},
        {In, cc(39, 3), "Post-Effect: Mode = Delay/Loop"},
        {In, cc(46, 100), "Post-Effect: Del.Time = 0.790 s"},
        {In, cc(45, 5), "Post-Effect: Effect 6 = 5 (not used by Delay/Loop)"},
        {In, cc(20, 15), "Post-Effect: Mode = Synth"},
        {In, cc(44, 0), "Post-Effect: Key = off"},
        {In, cc(43, 2), "Post-Effect: Interval = -3"},
        {In, cc(44, 7), "Post-Effect: Key = Gb"},
        {In, cc(43, 2), "Post-Effect: Interval = -3rd"},
        {In, cc(20, 8), "Pre-Effect: Mode = P-Funk'n"},
        {In, cc(27, 64), "Pre-Effect: Wah Position = 64 (not used by P-Funk'n)"},
        {In, cc(48, 0), "Pre-Effect: Mode = MIDI-Wah"},
        {In, cc(49, 10), "Pre-Effect: Depth = 10 (not used by MIDI-Wah)"},
        {In, cc(27, 64), "Pre-Effect: Wah = 64"},
    });
    // Seeded from the parameter model, the context knows the mode at once.
    MBPreset preset;
    preset.GetCtrl(BassPreset::PostFxMode)->value = 9;
    MonitorContext seeded;
    seeded.Seed(0x13, preset);
    checkInOrder(0x13, seeded, {{In, cc(40, 100), "Post-Effect: Mix = 100"}});
}

// A name character says where it lands, and the last one the whole name;
// each direction keeps its own position.
TEST(MidiMonitor, NameCharactersJoinTheirPositions)
{
    for (int model : {0x0D, 0x11, 0x13}) {
        MonitorContext context;
        std::vector<Row> rows = {
            {In, cc(81, 'X'), "preset name: character 'X'"},
            {In, cc(81, 3), "preset name: position 3"},
            {In, cc(81, 'X'), "preset name: character 3 = 'X'"},
            {Out, cc(81, 'Q'), "preset name: character 'Q'"},
            {In, cc(81, 0), "preset name: position 0"},
            {In, cc(81, 'H'), "preset name: character 0 = 'H'"},
            {In, cc(81, 1), "preset name: position 1"},
            {In, cc(81, 'i'), "preset name: character 1 = 'i'"},
            {In, cc(81, 2), "preset name: position 2"},
            {In, cc(81, '['), "preset name: character 2 = '\xc4'"},
        };
        for (int i = 3; i < 16; ++i) {
            rows.push_back({In, cc(81, i), "preset name: position " + std::to_string(i)});
            rows.push_back({In, cc(81, ' '), "preset name: character " + std::to_string(i) + " = ' '" +
                                                 (i == 15 ? ", complete: \"Hi\xc4\"" : "")});
        }
        checkInOrder(model, context, rows);
    }
}

TEST(MidiMonitor, LongMessagesFoldToTheirFirstBytes)
{
    const Bytes dump = memoryDump(0x11, 48);
    EXPECT_EQ(MonitorHex(dump), "F0 00 20 32 00 11 21 7D 30 00 00 00 00 00 00 00 ... (6010 bytes)");
    EXPECT_EQ(MonitorHex(dump, 0).size(), 6010u * 3 - 1);
    EXPECT_EQ(MonitorHex({0xB0, 0x0D, 0x5A}), "B0 0D 5A");
}

} // namespace
