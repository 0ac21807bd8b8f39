#pragma once

#include <QByteArray>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

#include "files/Preferences.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

// Records what the file operations send to the unit.
struct DumpRecordingUnit : UnitLink {
    struct PresetDump {
        int slot;
        std::vector<uint8_t> image;
    };
    std::vector<PresetDump> presetDumps;
    std::vector<std::vector<uint8_t>> memoryDumps;

    void sendControlChange(int, int) override {}
    void sendGlobalParameter(int, int) override {}
    void sendPresetDump(int slot, const unsigned char* image, int length) override
    {
        presetDumps.push_back({slot, std::vector<uint8_t>(image, image + length)});
    }
    void sendMemoryDump(const unsigned char* images, int length) override
    {
        memoryDumps.emplace_back(images, images + length);
    }
    void requestPreset(int) override {}
};

// Fresh modules, records and preferences for one test, connected to a unit
// of `model`, with a temporary folder for files.
struct FilesFixture {
    DumpRecordingUnit unit;
    QTemporaryDir dir;

    std::optional<ProgramState> state;

    void setUpModel(int model)
    {
        state.emplace(model);
        SetUnitLink(&unit);
        CurrentPreferences.Dir = dir.path();
        QStandardPaths::setTestModeEnabled(true);
        ASSERT_TRUE(dir.isValid());
    }

    void tearDownModel() { state.reset(); }

    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    static QByteArray contents(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static void writeBytes(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }

    static uint8_t at(const QByteArray& b, qsizetype i) { return static_cast<uint8_t>(b.at(i)); }

    static uint32_t word(const QByteArray& b, qsizetype i)
    {
        return uint32_t(at(b, i)) | uint32_t(at(b, i + 1)) << 8 | uint32_t(at(b, i + 2)) << 16
            | uint32_t(at(b, i + 3)) << 24;
    }

    // A record whose image bytes count up from `seed`, with a name.
    static void fillRecord(PresetRecord& r, int seed, const char* name)
    {
        for (int i = 0; i < PresetLength - NameLength; ++i)
            r.data[size_t(i)] = static_cast<uint8_t>((seed + i) & 0x7F);
        SetRecordName(r, name);
    }
};
