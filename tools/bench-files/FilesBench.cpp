// Writes and reads a library of 10,000 presets and the same number of raw
// bytes in one piece; prints each library operation as a ratio to its raw
// counterpart.
#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>

#include "files/LibraryFile.h"
#include "files/SafeFile.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"

namespace {

constexpr int Presets = 10000;

struct Library {
    QTemporaryDir dir;
    PresetRecordList list;
    QString libraryFile, rawFile;
    QByteArray raw;

    Library()
    {
        ActiveDevice.Model = ModelDrux2;
        ListInit(list);
        PresetRecord r;
        InitRecord(r, -1);
        for (int i = 0; i < Presets; ++i) {
            r.comment = "Preset comment " + std::to_string(i);
            r.createdBy = "Bench";
            r.dateTime = 45000.0 + i;
            r.data[0] = static_cast<uint8_t>(i & 0x7F);
            ListAdd(list, &r);
        }
        libraryFile = dir.filePath(QStringLiteral("bench.dlb"));
        rawFile = dir.filePath(QStringLiteral("bench.raw"));
        raw = QByteArray(16 + qsizetype(Presets) * library::RecordSize(PresetLength), 'x');
        WriteLibraryFile(list, libraryFile);
        QFile f(rawFile);
        f.open(QIODevice::WriteOnly);
        f.write(raw);
    }
};

Library& lib()
{
    static Library l;
    return l;
}

void WriteLibrary(benchmark::State& state)
{
    for (auto _ : state)
        if (WriteLibraryFile(lib().list, lib().libraryFile) != FileResult::Ok)
            state.SkipWithError("write failed");
    state.SetBytesProcessed(state.iterations() * lib().raw.size());
}

// The same bytes in one piece, as plainly as the toolkit writes them.
void WriteRaw(benchmark::State& state)
{
    for (auto _ : state) {
        QFile f(lib().rawFile);
        if (!f.open(QIODevice::WriteOnly) || f.write(lib().raw) != lib().raw.size())
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(state.iterations() * lib().raw.size());
}

// The same bytes in one piece through the checked temporary-file writer.
void WriteRawSafely(benchmark::State& state)
{
    for (auto _ : state)
        if (!WriteFileSafely(lib().rawFile, lib().raw.constData(), lib().raw.size()))
            state.SkipWithError("write failed");
    state.SetBytesProcessed(state.iterations() * lib().raw.size());
}

void ReadLibrary(benchmark::State& state)
{
    PresetRecordList list;
    ListInit(list);
    for (auto _ : state)
        if (ReadLibraryFile(list, lib().libraryFile) != FileResult::Ok || list.count != Presets)
            state.SkipWithError("read failed");
    state.SetBytesProcessed(state.iterations() * lib().raw.size());
}

void ReadRaw(benchmark::State& state)
{
    for (auto _ : state) {
        QFile f(lib().rawFile);
        if (!f.open(QIODevice::ReadOnly))
            state.SkipWithError("read failed");
        QByteArray bytes = f.readAll();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * lib().raw.size());
}

BENCHMARK(WriteLibrary)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(WriteRaw)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(WriteRawSafely)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(ReadLibrary)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(ReadRaw)->Unit(benchmark::kMillisecond)->Repetitions(5);

// Remembers the best time per iteration of each benchmark over its
// repetitions: on a busy machine the fastest run is the one least disturbed.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.iterations <= 0 || r.run_type != Run::RT_Iteration)
                continue;
            const std::string name = r.run_name.function_name;
            const double t = r.real_accumulated_time / double(r.iterations);
            if (!seconds.count(name) || t < seconds[name])
                seconds[name] = t;
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const char* a, const char* b) {
        if (reporter.seconds.count(a) && reporter.seconds.count(b) && reporter.seconds[b] > 0)
            std::printf("%-14s / %-14s = %.2f\n", a, b, reporter.seconds[a] / reporter.seconds[b]);
    };
    std::printf("\nRatios of the best times (goal: at most 3)\n");
    ratio("WriteLibrary", "WriteRaw");
    ratio("WriteLibrary", "WriteRawSafely");
    ratio("ReadLibrary", "ReadRaw");
    benchmark::Shutdown();
    return 0;
}
