#include "SearchCommands.h"

#include <QDir>
#include <cstdio>

#include "Cli.h"
#include "CliText.h"
#include "files/Preferences.h"
#include "files/PresetSearch.h"

using namespace clitext;

namespace {

// Exit code of a search that found nothing.
constexpr int ExitNoHits = 1;

// Positions count from 1, as a reader counts rows.
QStringList where(const presetsearch::Hit& h)
{
    return {QDir::toNativeSeparators(h.file), QString::number(h.position + 1),
            cell(latin1(presetsearch::PresetName(h.record)))};
}

QString folderArgument(const QStringList& args, int index)
{
    return args.size() > index ? args[index] : DefaultPreferences().Dir;
}

bool folderExists(const QString& folder, const char* command)
{
    if (QFileInfo(folder).isDir())
        return true;
    Message(std::string("drux ") + command + ": no folder " + folder.toLocal8Bit().toStdString());
    return false;
}

void reportSkipped(const std::vector<presetsearch::Skipped>& skipped)
{
    for (const presetsearch::Skipped& s : skipped)
        Message("Skipped " + QDir::toNativeSeparators(s.file).toLocal8Bit().toStdString() + ": " +
                s.reason.toLocal8Bit().toStdString());
}

} // namespace

int RunFindCommand(const QStringList& args)
{
    if (args.isEmpty() || args.size() > 2) {
        Message("drux find: which TEXT, and optionally which FOLDER? (see drux find --help)");
        return ExitUsage;
    }
    const QString folder = folderArgument(args, 1);
    if (!folderExists(folder, "find"))
        return ExitError;
    const presetsearch::Results r = presetsearch::Search(folder, args[0]);
    reportSkipped(r.skipped);
    for (const presetsearch::Hit& h : r.hits)
        out((where(h) << cell(latin1(h.record.comment)) << cell(latin1(h.record.createdBy))).join(QLatin1Char('\t')));
    std::fflush(stdout);
    return r.hits.empty() ? ExitNoHits : ExitOk;
}

int RunDupsCommand(const QStringList& args)
{
    if (args.size() > 1) {
        Message("drux dups: only one FOLDER, please");
        return ExitUsage;
    }
    const QString folder = folderArgument(args, 0);
    if (!folderExists(folder, "dups"))
        return ExitError;
    const presetsearch::Duplicates d = presetsearch::FindDuplicates(folder);
    reportSkipped(d.skipped);
    int group = 0;
    for (const presetsearch::DuplicateGroup& g : d.groups) {
        ++group;
        for (const presetsearch::Hit& h : g.members)
            out((QStringList{QString::number(group), g.sameName ? QStringLiteral("same") : QStringLiteral("renamed")}
                 << where(h))
                    .join(QLatin1Char('\t')));
    }
    std::fflush(stdout);
    return d.groups.empty() ? ExitNoHits : ExitOk;
}

namespace {

const AddCommands searchCommands({
    {"find", "find TEXT [FOLDER]", "find presets by name, comment or author in every file",
     "Reads every library (.dlb, .blb) and dump file (.syx) under FOLDER (default:\n"
     "the working folder), every level down, and prints one line per preset\n"
     "whose name, comment or author contains TEXT, upper or lower case and\n"
     "accents aside, tab-separated in UTF-8: file, position in the file (from\n"
     "1), name, comment, author. Files that cannot be read are named on stderr\n"
     "and skipped. Nothing is written.\n"
     "Exit codes: 0 presets found, 1 none, 2 wrong usage.\n",
     [](const std::vector<std::string>& a) { return RunFindCommand(toQt(a)); }},
    {"dups", "dups [FOLDER]", "list presets that appear more than once",
     "Reads every library and dump file under FOLDER (default: the working\n"
     "folder) and prints the groups of presets with the same sound, one line\n"
     "per preset, tab-separated: group number, \"same\" when the presets agree\n"
     "in every byte or \"renamed\" when only their names differ, file, position\n"
     "(from 1), name.\n"
     "Exit codes: 0 groups found, 1 none, 2 wrong usage.\n",
     [](const std::vector<std::string>& a) { return RunDupsCommand(toQt(a)); }},
});

} // namespace
