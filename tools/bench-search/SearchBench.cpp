// Makes a folder of 1,000 preset files holding 100,040 presets (guitar and
// bass libraries of 100, all-presets dumps, single-preset dumps), then times
// a search over it against reading the same files' bytes raw, warm in the
// page cache. Prints the best of several runs of each and their ratio.
//
//   search-bench [FOLDER] [RUNS]   (default: a temporary folder, 15 runs)
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <string>

#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "files/PresetSearch.h"
#include "model/Presets.h"

namespace {

PresetRecord preset(uint32_t model, int n)
{
    PresetRecord r;
    InitRecord(r, -1);
    r.model = model;
    const int length = ImageLengthFor(model);
    for (int i = 0; i < length - NameLength; ++i)
        r.data[size_t(i)] = static_cast<uint8_t>((n * 7 + i) & 0x7F);
    char name[NameLength + 1];
    std::snprintf(name, sizeof name, "PRESET %-9d", n);
    std::copy_n(name, NameLength, r.data.begin() + (length - NameLength));
    r.comment = n % 997 == 0 ? "for the bridge of the second song" : "Preset comment " + std::to_string(n);
    r.createdBy = n % 3 ? "J\xFCrgen" : "Bench";
    return r;
}

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray bytesOf(const std::vector<uint8_t>& v)
{
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

int makeFolder(const QString& folder)
{
    int presets = 0, n = 0;
    for (int f = 0; f < 1000; ++f) {
        const QString sub = QStringLiteral("%1/set%2").arg(folder).arg(f / 100);
        QDir().mkpath(sub);
        if (f < 800) {
            const uint32_t model = f < 600 ? 0x11 : 0x13;
            PresetRecordList list;
            ListInit(list);
            for (int i = 0; i < 100; ++i) {
                const PresetRecord r = preset(model, n++);
                ListAdd(list, &r);
            }
            presets += 100;
            write(QStringLiteral("%1/lib%2.%3").arg(sub).arg(f).arg(model == 0x13 ? "blb" : "dlb"),
                  library::EncodeLibrary(list, ImageLengthFor(model), CurrentDataFormatVersion));
        } else if (f < 960) {
            std::vector<uint8_t> images;
            for (int i = 0; i < SlotCount; ++i) {
                const PresetRecord r = preset(0x11, n++);
                images.insert(images.end(), r.data.begin(), r.data.begin() + GuitarImageLength);
            }
            presets += SlotCount;
            write(QStringLiteral("%1/memory%2.syx").arg(sub).arg(f),
                  bytesOf(dump::MemoryDumpBytes(0, 0x11, images.data(), GuitarImageLength)));
        } else {
            const PresetRecord r = preset(0x13, n++);
            ++presets;
            write(QStringLiteral("%1/one%2.syx").arg(sub).arg(f),
                  bytesOf(dump::PresetDumpBytes(0, 0x13, 127, r.data.data(), BassImageLength)));
        }
    }
    return presets;
}

// The same files read whole, with nothing done to their bytes.
qint64 rawRead(const QStringList& files)
{
    qint64 total = 0;
    QByteArray buffer;
    for (const QString& path : files) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            continue;
        buffer = f.readAll();
        total += buffer.size();
    }
    return total;
}

template <typename F>
double bestMs(int runs, F&& f)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        best = std::min(best, double(t.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTemporaryDir temporary;
    const QString folder = args.size() > 1 ? args[1] : temporary.path();
    const int runs = args.size() > 2 ? std::max(1, args[2].toInt()) : 15;
    const int presets = makeFolder(folder);
    const QStringList files = presetsearch::PresetFiles(folder);

    qint64 bytes = 0;
    size_t hits = 0;
    // The first runs bring every file into the page cache.
    const double raw = bestMs(runs, [&] { bytes = rawRead(files); });
    const double search = bestMs(runs, [&] { hits = presetsearch::Search(folder, QStringLiteral("bridge")).hits.size(); });
    const double everyone =
        bestMs(runs, [&] { hits = std::max(hits, presetsearch::Search(folder, QStringLiteral("jurgen")).hits.size()); });
    const double listing = bestMs(runs, [&] { presetsearch::PresetFiles(folder); });

    std::printf("files %lld, presets %d, bytes %lld\n", static_cast<long long>(files.size()), presets,
                static_cast<long long>(bytes));
    std::printf("raw read          %8.2f ms\n", raw);
    std::printf("folder walk       %8.2f ms\n", listing);
    std::printf("search (few hits) %8.2f ms   ratio %.2f\n", search, search / raw);
    std::printf("search (2/3 hit)  %8.2f ms   ratio %.2f   hits %zu\n", everyone, everyone / raw, hits);
    return 0;
}
