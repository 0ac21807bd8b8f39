#include "files/Preferences.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include "files/IniFile.h"

PreferenceSet CurrentPreferences = PreferenceSet();
PreferenceList PreferenceSets;

namespace {

const QString LastSection = QStringLiteral("Last");

std::function<void()>& preferencesObserver()
{
    static std::function<void()> observer;
    return observer;
}

void tellObserver()
{
    if (preferencesObserver())
        preferencesObserver()();
}

QString programDirectory()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

// A hand-edited value that is no number or lies outside 0..maximum counts as
// missing: a knob mode of 4, say, would make every knob ignore the mouse.
int readInt(QSettings& ini, const QString& key, int fallback, int maximum)
{
    bool ok = false;
    const int v = ini.value(key, fallback).toInt(&ok);
    return ok && v >= 0 && v <= maximum ? v : fallback;
}

// Every key but Name, with the values of `defaults` for the missing ones.
void readValues(QSettings& ini, PreferenceSet& set, const PreferenceSet& defaults)
{
    set.Dir = ini.value(QStringLiteral("Dir"), defaults.Dir).toString();
    set.Confirm = readInt(ini, QStringLiteral("Confirm"), defaults.Confirm, 1);
    set.AutoAud = readInt(ini, QStringLiteral("AutoAud"), defaults.AutoAud, 1);
    set.SysexNr = readInt(ini, QStringLiteral("SysexNr"), defaults.SysexNr, 15);
    set.MouseMoveMode = readInt(ini, QStringLiteral("MouseMoveMode"), defaults.MouseMoveMode, 3);
    set.TimeUnit = readInt(ini, QStringLiteral("TimeUnit"), defaults.TimeUnit, TimeUnitMidi);
}

void writeSet(QSettings& ini, const PreferenceSet& set)
{
    ini.setValue(QStringLiteral("Name"), set.Name);
    ini.setValue(QStringLiteral("Dir"), set.Dir);
    ini.setValue(QStringLiteral("Confirm"), set.Confirm);
    ini.setValue(QStringLiteral("AutoAud"), set.AutoAud);
    ini.setValue(QStringLiteral("SysexNr"), set.SysexNr);
    ini.setValue(QStringLiteral("MouseMoveMode"), set.MouseMoveMode);
    ini.setValue(QStringLiteral("TimeUnit"), set.TimeUnit);
}

int confirmationsOff = 0;
int confirmBeforeOff = 1;

void makeActive(int index)
{
    PreferenceSets.active = index;
    CurrentPreferences = PreferenceSets.sets[size_t(index)];
    if (confirmationsOff > 0)
        CurrentPreferences.Confirm = 0;
}

} // namespace

QString DefaultWorkingDirectory(const QString& programFolder)
{
    if (QFileInfo(programFolder).isWritable())
        return programFolder;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = QDir::cleanPath(documents + QStringLiteral("/Drux"));
    QDir().mkpath(folder);
    return folder;
}

PreferenceSet DefaultPreferences()
{
    PreferenceSet p;
    p.Dir = DefaultWorkingDirectory(programDirectory());
    return p;
}

QString PreferenceSection(int index) { return QStringLiteral("PREF%1").arg(index); }

void LoadPreferences(QSettings& ini)
{
    CurrentPreferences = DefaultPreferences();
    PreferenceSets = PreferenceList();
    const QStringList sections = ini.childGroups();
    if (sections.contains(LastSection)) {
        ini.beginGroup(LastSection);
        const int count = ini.value(QStringLiteral("PrefCount"), 0).toInt();
        const QString active = ini.value(QStringLiteral("Pref"), QString()).toString();
        ini.endGroup();
        for (int i = 0; i < count; ++i) {
            const QString section = PreferenceSection(i);
            if (!sections.contains(section))
                continue;
            // Keys missing from a set take the values in force when it is
            // read: the defaults, or the active set's once that was read.
            PreferenceSet set = CurrentPreferences;
            ini.beginGroup(section);
            set.Name = ini.value(QStringLiteral("Name"), QStringLiteral("No Name")).toString();
            readValues(ini, set, CurrentPreferences);
            ini.endGroup();
            PreferenceSets.sets.push_back(set);
            if (section == active)
                makeActive(int(PreferenceSets.sets.size()) - 1);
        }
        if (PreferenceSets.active < 0 && !PreferenceSets.sets.empty())
            makeActive(0);
    }
    if (PreferenceSets.sets.empty()) {
        PreferenceSets.sets.push_back(DefaultPreferences());
        makeActive(0);
        SaveAllPreferences(ini);
    }
}

void LoadPreferences()
{
    auto ini = OpenIniFile();
    LoadPreferences(*ini);
}

void SaveAllPreferences(QSettings& ini, const PreferenceDialogValues* dialog)
{
    auto& sets = PreferenceSets.sets;
    if (dialog) {
        int index = dialog->selected;
        if (index < 0 || index >= int(sets.size())) {
            PreferenceSet added;
            added.Name = dialog->typedName.isEmpty() ? QStringLiteral("No Name") : dialog->typedName;
            sets.push_back(added);
            index = int(sets.size()) - 1;
        }
        const QString name = sets[size_t(index)].Name;
        sets[size_t(index)] = dialog->values;
        sets[size_t(index)].Name = name;
        PreferenceSets.active = index;
    }
    ini.beginGroup(LastSection);
    ini.setValue(QStringLiteral("PrefCount"), int(sets.size()));
    if (PreferenceSets.active >= 0 && PreferenceSets.active < int(sets.size()))
        ini.setValue(QStringLiteral("Pref"), PreferenceSection(PreferenceSets.active));
    ini.endGroup();
    for (size_t i = 0; i < sets.size(); ++i) {
        ini.beginGroup(PreferenceSection(int(i)));
        writeSet(ini, sets[i]);
        ini.endGroup();
    }
    ini.sync();
    if (PreferenceSets.active >= 0 && PreferenceSets.active < int(sets.size()))
        makeActive(PreferenceSets.active);
    tellObserver();
}

void SaveAllPreferences(const PreferenceDialogValues* dialog)
{
    auto ini = OpenIniFile();
    SaveAllPreferences(*ini, dialog);
}

void DeletePreferenceSet(QSettings& ini, int index)
{
    auto& sets = PreferenceSets.sets;
    if (index < 1 || index >= int(sets.size()))
        return;
    for (int i = 1; i < int(sets.size()); ++i)
        ini.remove(PreferenceSection(i));
    sets.erase(sets.begin() + index);
    // The first set becomes active with its own values, not those the
    // dialog showed for the deleted one.
    PreferenceSets.active = 0;
    SaveAllPreferences(ini);
}

void DeletePreferenceSet(int index)
{
    auto ini = OpenIniFile();
    DeletePreferenceSet(*ini, index);
}

void SwitchPreferenceSet(int index)
{
    if (index < 0 || index >= int(PreferenceSets.sets.size()))
        return;
    makeActive(index);
    tellObserver();
}

void SetPreferencesObserver(std::function<void()> observer) { preferencesObserver() = std::move(observer); }

ConfirmationsOff::ConfirmationsOff()
{
    if (confirmationsOff++ == 0)
        confirmBeforeOff = CurrentPreferences.Confirm;
    CurrentPreferences.Confirm = 0;
}

ConfirmationsOff::~ConfirmationsOff()
{
    if (--confirmationsOff > 0)
        return;
    const int active = PreferenceSets.active;
    CurrentPreferences.Confirm = active >= 0 && active < int(PreferenceSets.sets.size())
        ? PreferenceSets.sets[size_t(active)].Confirm
        : confirmBeforeOff;
}
