#include "files/PresetSearch.h"

#include "files/DumpFile.h"
#include "files/LibraryFile.h"

#include <QBuffer>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <unordered_map>

namespace presetsearch {

namespace {

// One byte folded: up to two bytes ("ß" becomes "ss").
struct Folded {
    uint8_t length = 1;
    char bytes[2] = {0, 0};
};

using FoldTable = std::array<Folded, 256>;

Folded foldOne(uint8_t byte)
{
    Folded f;
    switch (byte) {
    case 0xDF: return {2, {'s', 's'}};
    case 0xC6: case 0xE6: return {2, {'a', 'e'}};
    case 0xDE: case 0xFE: return {2, {'t', 'h'}};
    case 0xD0: case 0xF0: return {1, {'d', 0}};
    case 0xD8: case 0xF8: return {1, {'o', 0}};
    default: break;
    }
    // The rest by the character's decomposition: its base letter, lower case.
    const QString base = QString(QChar(byte)).normalized(QString::NormalizationForm_D).left(1).toLower();
    const char16_t c = base.isEmpty() ? char16_t(byte) : base.at(0).unicode();
    f.bytes[0] = static_cast<char>(c <= 0xFF ? c : byte);
    return f;
}

const FoldTable& hostFold()
{
    static const FoldTable table = [] {
        FoldTable t;
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = foldOne(uint8_t(b));
        return t;
    }();
    return table;
}

// The unit's characters go to the host's first, then fold.
const FoldTable& unitFold()
{
    static const FoldTable table = [] {
        FoldTable t;
        for (int b = 0; b < 256; ++b) {
            const char c = static_cast<char>(b);
            const std::string host = UnitToHostName(std::string_view(&c, 1));
            t[size_t(b)] = hostFold()[uint8_t(host[0])];
        }
        return t;
    }();
    return table;
}

const char* nameBytes(const PresetRecord& r)
{
    return reinterpret_cast<const char*>(r.data.data() + ImageLengthFor(r.model) - NameLength);
}

// Whether the folded `text` (up to its first zero byte) contains `query`.
// Most fields hold no byte that folds to the query's first character, so
// candidates are found on the raw bytes and folded only from there.
bool contains(const char* text, size_t length, const FoldTable& table, std::string_view query)
{
    const char first = query.front();
    for (size_t i = 0; i < length && text[i]; ++i) {
        if (table[uint8_t(text[i])].bytes[0] != first)
            continue;
        size_t k = 0;
        for (size_t j = i; k < query.size(); ++j) {
            if (j == length || !text[j])
                return false;
            const Folded& f = table[uint8_t(text[j])];
            if (f.bytes[0] != query[k])
                break;
            ++k;
            if (f.length == 2 && k < query.size()) {
                if (f.bytes[1] != query[k])
                    break;
                ++k;
            }
        }
        if (k == query.size())
            return true;
    }
    return false;
}

// The search's own reading: the file's bytes are looked at where they lie,
// and only the presets that match are decoded.
class FileScanner {
public:
    bool scan(const QString& path, std::string_view query, std::vector<Hit>& hits, QString& reason)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            reason = file.errorString();
            return false;
        }
        const qint64 size = file.size();
        if (size > MaxFileSize) {
            reason = QStringLiteral("too large for a preset file");
            return false;
        }
        bytes.resize(size_t(size));
        if (file.read(reinterpret_cast<char*>(bytes.data()), size) != size) {
            reason = file.errorString();
            return false;
        }
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == QLatin1String("syx"))
            return scanDump(path, query, hits, reason);
        const bool bass = suffix == QLatin1String("blb");
        for (int length : {bass ? BassImageLength : GuitarImageLength, bass ? GuitarImageLength : BassImageLength}) {
            library::Records records;
            if (!library::ViewLibrary(bytes.data(), size, length, CurrentDataFormatVersion, records))
                continue;
            const uint32_t connected = length == BassImageLength ? 0x13u : 0x11u;
            for (int i = 0; i < records.count; ++i) {
                const uint8_t* record = records.first + qsizetype(i) * library::RecordSize(length);
                const auto* text = reinterpret_cast<const char*>(record);
                if (int32_t(get32(record + library::OriginOffset)) == -1)
                    continue; // a comment line
                if (!query.empty() &&
                    !contains(text + library::ImageOffset + length - NameLength, NameLength, unitFold(), query) &&
                    !contains(text + library::CommentOffset, library::CommentField - 1, hostFold(), query) &&
                    !contains(text + library::CreatedByOffset, library::CreatedByField - 1, hostFold(), query))
                    continue;
                Hit& h = hits.emplace_back();
                h.file = path;
                h.position = i;
                library::DecodeRecord(record, length, connected, h.record);
            }
            return true;
        }
        reason = QStringLiteral("not a library file of this program, or damaged");
        return false;
    }

private:
    // Far above the largest library a unit's owner makes (a million presets).
    static constexpr qint64 MaxFileSize = qint64(1) << 28;

    static uint32_t get32(const uint8_t* p)
    {
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }

    bool scanDump(const QString& path, std::string_view query, std::vector<Hit>& hits, QString& reason)
    {
        if (bytes.size() < size_t(dump::HeaderLength) + 1) {
            reason = QStringLiteral("too short for a dump");
            return false;
        }
        const uint32_t model = bytes[5];
        const int length = ImageLengthFor(model);
        const dump::Form form = dump::HeaderCompatible(bytes.data(), length)
                                    ? dump::FormOf(bytes.data(), qint64(bytes.size()), length)
                                    : dump::Form::Other;
        if (form == dump::Form::Other) {
            reason = QStringLiteral("not a dump of a preset or of the whole memory");
            return false;
        }
        const int count = form == dump::Form::OnePreset ? 1 : SlotCount;
        for (int i = 0; i < count; ++i) {
            const uint8_t* image = bytes.data() + dump::HeaderLength + qsizetype(i) * length;
            if (!query.empty() &&
                !contains(reinterpret_cast<const char*>(image + length - NameLength), NameLength, unitFold(), query))
                continue;
            // A fresh record rather than InitRecord, which follows the
            // connected unit: a search runs beside the window's thread.
            Hit& h = hits.emplace_back();
            h.file = path;
            h.position = i;
            h.record.model = model;
            std::copy_n(image, length, h.record.data.begin());
        }
        return true;
    }

    std::vector<uint8_t> bytes;
};

} // namespace

std::string FoldQuery(const QString& query)
{
    std::string out;
    for (QChar c : query.normalized(QString::NormalizationForm_D)) {
        if (c.category() == QChar::Mark_NonSpacing)
            continue;
        if (c.unicode() > 0xFF) {
            // Nothing in a preset can match it: a zero byte never occurs in a
            // folded field.
            out.push_back('\0');
            continue;
        }
        const Folded& f = hostFold()[uint8_t(c.unicode())];
        out.append(f.bytes, f.length);
    }
    return out;
}

std::string PresetName(const PresetRecord& r)
{
    const char* name = nameBytes(r);
    std::string host = UnitToHostName(std::string_view(name, strnlen(name, NameLength)));
    host.erase(host.find_last_not_of(' ') + 1);
    return host;
}

bool Matches(const PresetRecord& r, std::string_view foldedQuery)
{
    if (foldedQuery.empty())
        return true;
    return contains(nameBytes(r), NameLength, unitFold(), foldedQuery) ||
           contains(r.comment.data(), r.comment.size(), hostFold(), foldedQuery) ||
           contains(r.createdBy.data(), r.createdBy.size(), hostFold(), foldedQuery);
}

QStringList PresetFiles(const QString& folder)
{
    QStringList files;
    // Name filters compare without regard to case: ".SYX" counts too.
    QDirIterator it(folder, {QStringLiteral("*.dlb"), QStringLiteral("*.blb"), QStringLiteral("*.syx")},
                    QDir::Files | QDir::Readable, QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
    while (it.hasNext())
        files << it.next();
    std::sort(files.begin(), files.end());
    return files;
}

Results Search(const QString& folder, const QString& query, const Options& options)
{
    Results results;
    const std::string folded = FoldQuery(query);
    const QStringList files = PresetFiles(folder);
    FileScanner scanner;
    Progress progress{0, int(files.size())};
    for (const QString& path : files) {
        if (options.cancel && options.cancel->load(std::memory_order_relaxed)) {
            results.cancelled = true;
            break;
        }
        QString reason;
        if (scanner.scan(path, folded, results.hits, reason))
            ++results.filesRead;
        else
            results.skipped.push_back({path, reason});
        ++progress.filesDone;
        if (options.progress)
            options.progress(progress);
    }
    return results;
}

Duplicates FindDuplicates(const QString& folder, const Options& options)
{
    Duplicates d;
    // Every preset of every file, read as the search reads them: the
    // library readers follow the connected unit's image length and would cut
    // the other family's images short.
    const Results every = Search(folder, QString(), options);
    d.skipped = every.skipped;
    d.filesRead = every.filesRead;
    d.cancelled = every.cancelled;
    if (d.cancelled)
        return d;
    const std::vector<Hit>& all = every.hits;

    // Family and image bytes (with or without the name) as the key.
    auto key = [](const PresetRecord& r, bool withName) {
        const int length = ImageLengthFor(r.model);
        std::string k(1, r.model == 0x13 ? 'b' : 'g');
        k.append(reinterpret_cast<const char*>(r.data.data()), size_t(withName ? length : length - NameLength));
        return k;
    };
    std::unordered_map<std::string, std::vector<size_t>> sounds, whole;
    for (size_t i = 0; i < all.size(); ++i) {
        sounds[key(all[i].record, false)].push_back(i);
        whole[key(all[i].record, true)].push_back(i);
    }
    // Groups in the order of their first member.
    std::map<size_t, DuplicateGroup> ordered;
    for (const auto& [k, members] : whole) {
        if (members.size() < 2)
            continue;
        DuplicateGroup g{true, {}};
        for (size_t i : members)
            g.members.push_back(all[i]);
        ordered.emplace(members.front() * 2, std::move(g));
    }
    for (const auto& [k, members] : sounds) {
        if (members.size() < 2)
            continue;
        // Only when the names differ: a sound under one name alone is a
        // group of the first kind already.
        const char* firstName = nameBytes(all[members.front()].record);
        const bool namesDiffer = std::any_of(members.begin() + 1, members.end(), [&](size_t i) {
            return std::memcmp(nameBytes(all[i].record), firstName, NameLength) != 0;
        });
        if (!namesDiffer)
            continue;
        DuplicateGroup g{false, {}};
        for (size_t i : members)
            g.members.push_back(all[i]);
        ordered.emplace(members.front() * 2 + 1, std::move(g));
    }
    for (auto& [first, g] : ordered)
        d.groups.push_back(std::move(g));
    return d;
}

} // namespace presetsearch
