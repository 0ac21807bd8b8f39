#pragma once

#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

class QSettings;

// Values of the "Time Unit" preference: how times and speeds are shown.
enum TimeUnitMode : int { TimeUnitBpm = 0, TimeUnitMs = 1, TimeUnitMidi = 2 };

// One named set of user preferences. The field names are the ini keys.
struct PreferenceSet {
    QString Name = QStringLiteral("Default");
    QString Dir;       // working directory: start folder of the file dialogs and the library window
    int Confirm = 1;   // ask before replacing or overwriting
    int AutoAud = 0;   // audition a preset when it is selected, dropped, imported, pasted or cleared
    int SysexNr = 0;   // 0..15, device number in byte 4 of exported dump files (shown 1..16)
    int MouseMoveMode = 1; // knob drag: 0 horizontal, 1 vertical, 2 tangential, 3 circular
    int TimeUnit = 1;  // time values: 0 BPM, 1 ms, 2 raw MIDI values

    bool operator==(const PreferenceSet&) const = default;
};

// The defaults: "Default", the working folder below, confirmations on.
PreferenceSet DefaultPreferences();

// The default working folder: the program's own folder, or, where the user
// may not write there (an installed program in /usr/bin), the user's
// documents folder + "/Drux", made when it is missing.
QString DefaultWorkingDirectory(const QString& programFolder);

// The sets in the order the dialog and the menu list them; `active` is the
// index of the set in force, -1 when none is.
struct PreferenceList {
    std::vector<PreferenceSet> sets;
    int active = -1;
};

// The active set's values, read by the rest of the program.
extern PreferenceSet CurrentPreferences;

// The device number that dump files written now carry (SysexNr, 0..15).
inline uint8_t ExportDeviceNumber() { return static_cast<uint8_t>(std::clamp(CurrentPreferences.SysexNr, 0, 15)); }
extern PreferenceList PreferenceSets;

// Section names of the ini file.
QString PreferenceSection(int index);

// Loads the sets from the ini file. Sections that are missing are skipped.
// A first start (no section "Last") creates and saves a "Default" set; when
// no loaded set is named active the first one is, and with no set at all a
// "Default" set is created and saved.
void LoadPreferences(QSettings& ini);
void LoadPreferences();

// What the dialog shows when OK or Delete is pressed: the index of the
// chosen set, or -1 when a new name was typed.
struct PreferenceDialogValues {
    int selected = -1;
    QString typedName;
    PreferenceSet values; // every field but Name
};

// Stores the dialog's values into the chosen (or a new) set and makes it
// active, when `dialog` is given; then writes every set as PREF0.. and the
// active one's section name, makes its values current and tells the
// preferences observer.
void SaveAllPreferences(QSettings& ini, const PreferenceDialogValues* dialog = nullptr);
void SaveAllPreferences(const PreferenceDialogValues* dialog = nullptr);

// Removes set `index` (never the first) and its section, makes the first
// set active with its own values, and saves.
void DeletePreferenceSet(QSettings& ini, int index);
void DeletePreferenceSet(int index);

// The device window's quick switch: makes set `index` active and current
// without writing the ini file, and tells the preferences observer.
void SwitchPreferenceSet(int index);

// Called whenever the active set changed (saved, deleted or switched): the
// program makes the knobs take the new drag mode and shows the visible
// editors again to take the rest. An empty function removes it.
void SetPreferencesObserver(std::function<void()> observer);

// While one of these exists, CurrentPreferences.Confirm reads 0 whatever set
// is active, so nothing asks. When the last one ends, the active set's own
// value is back. A new unit becoming active closes windows this way.
class ConfirmationsOff {
public:
    ConfirmationsOff();
    ~ConfirmationsOff();
    ConfirmationsOff(const ConfirmationsOff&) = delete;
    ConfirmationsOff& operator=(const ConfirmationsOff&) = delete;
};
