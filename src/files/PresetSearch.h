#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Presets.h"

// Search over plain files: every library (.dlb, .blb) and dump file (.syx)
// under a folder, read with the program's own readers. Nothing here writes a
// file; a file that cannot be read is reported and skipped.
namespace presetsearch {

// The query typed by the user as fields are compared: lower case, accents
// dropped ("Über" and "uber" match), "ß" as "ss"; characters that
// Latin-1 cannot hold are kept after their accents are dropped, so that
// they match nothing rather than everything.
std::string FoldQuery(const QString& query);

// Name, comment or author of `r` contains the folded query.
bool Matches(const PresetRecord& r, std::string_view foldedQuery);

// The preset's name as the unit shows it, trailing blanks dropped.
std::string PresetName(const PresetRecord& r);

// Where a preset was found: the file and its place in that file's list as
// the library window shows it (comment lines counted), from 0.
struct Hit {
    QString file;
    int position = 0;
    PresetRecord record; // model tells the family
};

struct Skipped {
    QString file;
    QString reason;
};

struct Progress {
    int filesDone = 0;
    int filesTotal = 0;
};

struct Options {
    // Set from another thread to stop between two files.
    const std::atomic<bool>* cancel = nullptr;
    // Called after each file, on the searching thread.
    std::function<void(const Progress&)> progress;
};

struct Results {
    std::vector<Hit> hits;
    std::vector<Skipped> skipped;
    int filesRead = 0;
    bool cancelled = false;
};

// The preset files under `folder`, every level down, in name order.
QStringList PresetFiles(const QString& folder);

// The presets under `folder` whose name, comment or author contains `query`
// (case and accents aside). An empty query finds every preset.
Results Search(const QString& folder, const QString& query, const Options& options = {});

// Groups of presets with the same image: `sameName` groups agree in every
// byte, the others in every byte but the name. A preset is in at most one
// group of each kind; groups and their members are in file order.
struct DuplicateGroup {
    bool sameName = false;
    std::vector<Hit> members;
};

struct Duplicates {
    std::vector<DuplicateGroup> groups;
    std::vector<Skipped> skipped;
    int filesRead = 0;
    bool cancelled = false;
};

Duplicates FindDuplicates(const QString& folder, const Options& options = {});

} // namespace presetsearch
