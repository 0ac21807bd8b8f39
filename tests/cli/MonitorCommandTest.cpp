#include <gtest/gtest.h>

#include <QTimer>

#include "CliFiles.h"
#include "MonitorCommand.h"
#include "midi/LoopbackDriver.h"

using namespace clitest;

namespace {

using Bytes = std::vector<uint8_t>;

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    size_t from = 0;
    for (size_t at; (at = text.find('\n', from)) != std::string::npos; from = at + 1)
        out.push_back(text.substr(from, at - from));
    return out;
}

// The columns after the time.
std::string withoutTime(const std::string& line)
{
    return line.substr(line.find('\t') + 1);
}

// Until a unit identifies itself the traffic is read for the virtual unit
// (guitar, channel 1); a bass unit with device id 2 then identifies itself on
// the second port, and the lines after it are read for that unit, on its
// channel 3. Nothing is sent.
TEST(MonitorCommand, PrintsWhatArrivesOnEveryPortInTheUnitsTerms)
{
    auto driver = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Keyboard", "Drux In"},
                                                   std::vector<std::string>{"Drux Out"});
    LoopbackDriver* loop = driver.get();
    bool sentNothing = false;
    const Bytes identify{0xF0, 0x00, 0x20, 0x32, 0x02, 0x13, 0x02, 'B', 'A', 'S', 'S', ' ', 'D', 'R', 'U', 'X', ' ', 'V', '1', 0xF7};
    Bytes tooLong(10300, 0x01);
    tooLong.front() = 0xF0;
    tooLong.back() = 0xF7;
    const Outcome o = capture(
        [&](const QStringList& args) {
            return RunMonitorCommand(args, std::move(driver), [&] {
                loop->inject(0, {0xB0, 14, 90});
                loop->inject(1, identify);
                loop->inject(1, {0xB2, 14, 90});
                loop->inject(1, tooLong);
                QTimer::singleShot(200, [&] { sentNothing = loop->sent.empty() && loop->openOutputPort() < 0; });
            });
        },
        {QStringLiteral("--seconds"), QStringLiteral("0.4")});
    EXPECT_EQ(o.code, 0);
    EXPECT_TRUE(sentNothing);
    const auto printed = lines(o.out);
    ASSERT_EQ(printed.size(), 4u) << o.out;
    EXPECT_EQ(withoutTime(printed[0]), "Keyboard\tAmplifier: Mid = 90\tB0 0E 5A");
    EXPECT_EQ(withoutTime(printed[1]),
              "Drux In\tidentify reply of device 2: \"BASS DRUX V1\", SubModel 4\t"
              "F0 00 20 32 02 13 02 42 41 53 53 20 44 52 55 58 ... (20 bytes)");
    EXPECT_EQ(withoutTime(printed[2]), "Drux In\tPreamp: Mid = 90\tB2 0E 5A");
    EXPECT_EQ(withoutTime(printed[3]).substr(0, 71),
              "Drux In\tSysEx of 10300 bytes, dropped: longer than 10240 bytes\tF0 01 01");
    // The time in ms comes first, growing.
    EXPECT_LE(std::stod(printed[0]), std::stod(printed[3]));
}

TEST(MonitorCommand, RawShowsEveryByteAndWrongOptionsAreUsageErrors)
{
    auto driver = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Drux In"}, std::vector<std::string>{});
    LoopbackDriver* loop = driver.get();
    Bytes dump(6010, 0);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    const Outcome o = capture(
        [&](const QStringList& args) {
            return RunMonitorCommand(args, std::move(driver), [&] { loop->inject(0, dump); });
        },
        {QStringLiteral("--raw"), QStringLiteral("--model"), QStringLiteral("0x0D"), QStringLiteral("--seconds"),
         QStringLiteral("0.2")});
    EXPECT_EQ(o.code, 0);
    const auto printed = lines(o.out);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].substr(printed[0].rfind('\t') + 1).size(), 6010u * 3 - 1);

    for (const QStringList& wrong : {QStringList{QStringLiteral("--model"), QStringLiteral("0x12")},
                                     QStringList{QStringLiteral("--seconds"), QStringLiteral("soon")},
                                     QStringList{QStringLiteral("file.syx")}})
        EXPECT_EQ(capture([](const QStringList& a) { return RunMonitorCommand(a); }, wrong).code, 2);
}

} // namespace
