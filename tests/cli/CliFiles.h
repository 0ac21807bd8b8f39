#pragma once

// Library and dump files laid out byte by byte from their format, so the
// tests do not read back what the code under test wrote itself; and a way to
// run a command in-process and keep what it printed.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "model/DeviceConnection.h"
#include "model/Presets.h"

namespace clitest {

inline void put32(QByteArray& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char(uint8_t(v >> (8 * i))));
}

inline uint32_t get32(const QByteArray& b, qsizetype at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}

// A text field: the Latin-1 bytes, then zeros to the end of the field.
inline void putText(QByteArray& b, const std::string& latin1, int field)
{
    QByteArray f(latin1.data(), qsizetype(latin1.size()));
    f.resize(field, '\0');
    b.append(f);
}

// A data image of `length` bytes: parameter bytes that differ per `seed`,
// then the 16 name bytes in the unit's character set, padded with blanks.
inline std::vector<uint8_t> image(int length, uint8_t seed, const std::string& unitName)
{
    std::vector<uint8_t> d(size_t(length), 0);
    for (int i = 0; i < length - 16; ++i)
        d[size_t(i)] = uint8_t((seed + 3 * i) & 0x7F);
    for (int i = 0; i < 16; ++i)
        d[size_t(length - 16 + i)] = i < int(unitName.size()) ? uint8_t(unitName[size_t(i)]) : uint8_t(' ');
    return d;
}

struct LibRecord {
    uint32_t model = 0x11;
    int32_t deviceId = 0;
    int32_t origin = -2;
    std::string comment; // Latin-1 bytes
    double date = 0.0;
    std::string author; // Latin-1 bytes
    std::vector<uint8_t> data;
};

constexpr uint32_t ProgramVersion = 0x02001101;

// Header "DRLB", version, byte count; records of L + 228 bytes; the trailer,
// the complement of the file magic.
inline QByteArray libraryFile(const std::vector<LibRecord>& records, int length, uint32_t version = ProgramVersion)
{
    QByteArray b("DRLB");
    put32(b, version);
    put32(b, uint32_t(records.size()) * uint32_t(length + 228));
    for (const LibRecord& r : records) {
        b.append("DRUX");
        put32(b, 1);
        put32(b, uint32_t(length + 212));
        put32(b, r.model);
        put32(b, uint32_t(r.deviceId));
        put32(b, uint32_t(r.origin));
        putText(b, r.comment, 128);
        const uint64_t date = std::bit_cast<uint64_t>(r.date);
        put32(b, uint32_t(date));
        put32(b, uint32_t(date >> 32));
        putText(b, r.author, 64);
        std::vector<uint8_t> d = r.data;
        d.resize(size_t(length), 0);
        b.append(reinterpret_cast<const char*>(d.data()), length);
        put32(b, ~0x58555244u);
    }
    put32(b, ~0x424C5244u);
    return b;
}

// F0 00 20 32, device, model, command, number, L, the images, F7.
inline QByteArray dumpFile(uint8_t device, uint8_t model, uint8_t command, uint8_t number, int length,
                           const std::vector<std::vector<uint8_t>>& images)
{
    QByteArray b;
    for (uint8_t c : {uint8_t(0xF0), uint8_t(0x00), uint8_t(0x20), uint8_t(0x32), device, model, command, number,
                      uint8_t(length)})
        b.append(char(c));
    for (const auto& i : images)
        b.append(reinterpret_cast<const char*>(i.data()), qsizetype(i.size()));
    b.append(char(0xF7));
    return b;
}

// 125 images whose names tell their slot: "SLOT 000" .. "SLOT 124".
inline std::vector<std::vector<uint8_t>> slotImages(int length)
{
    std::vector<std::vector<uint8_t>> all;
    char name[17];
    for (int j = 0; j < 125; ++j) {
        std::snprintf(name, sizeof name, "SLOT %03d", j);
        all.push_back(image(length, uint8_t(j), name));
    }
    return all;
}

inline QByteArray bytesOf(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Outcome {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs one command function in this process and keeps its stdout and stderr.
template <typename Command>
Outcome capture(Command command, const QStringList& args)
{
    Outcome o;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    o.code = command(args);
    std::fflush(stdout);
    std::fflush(stderr);
    o.out = ::testing::internal::GetCapturedStdout();
    o.err = ::testing::internal::GetCapturedStderr();
    return o;
}

// Files in a fresh folder; the connected unit and the image length, which
// the commands set while they read, are put back after each test.
class FileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    void TearDown() override
    {
        ActiveDevice = savedUnit;
        PresetLength = savedLength;
    }

    QTemporaryDir dir;

private:
    DeviceConnection savedUnit = ActiveDevice;
    int savedLength = PresetLength;
};

} // namespace clitest
