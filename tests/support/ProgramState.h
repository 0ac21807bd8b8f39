#pragma once

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "files/IniFile.h"
#include "files/Preferences.h"
#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/MemoryView.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"

// The program-wide state one test starts from, and leaves behind as it found
// it: the ini file in a temporary folder of the test's own (never the one
// beside the test program), the default preferences with that folder as the
// working folder, no unit connected, no memory view, editor link, unit link,
// preferences observer or trace sink. Given a model it also builds fresh
// modules, tables and records for a unit of that model.
//
// Declare it before the members that use this state, so that it is built
// first and torn down last.
class ProgramState {
public:
    ProgramState()
    {
        reset();
        SetIniFilePath(iniPath());
        CurrentPreferences.Dir = folder();
    }
    explicit ProgramState(int model) : ProgramState() { useModel(model); }
    ~ProgramState()
    {
        dropModel();
        SetMemoryView(nullptr);
        SetEditorLink(false, nullptr);
        SetEditorLink(true, nullptr);
        SetPreferencesObserver(nullptr);
        SetUnitLink(nullptr);
        SetTraceSink(nullptr);
        reset();
        SetIniFilePath(QString());
    }
    ProgramState(const ProgramState&) = delete;
    ProgramState& operator=(const ProgramState&) = delete;

    // Fresh modules, tables and records for a unit of `model`, also in the
    // middle of a test.
    void useModel(int model)
    {
        dropModel();
        ActiveDevice.Model = model;
        CreateModules();
        AdaptTablesToModel(model);
        CreateRecords();
        modelBuilt = true;
    }

    // An ini file whose one preference set, "Default", has this folder as
    // its working folder: a program started on it keeps its backups here
    // rather than beside the test program.
    void writeWorkingFolderToIni() const
    {
        QSettings ini(iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("Last/PrefCount"), 1);
        ini.setValue(QStringLiteral("Last/Pref"), QStringLiteral("PREF0"));
        ini.setValue(QStringLiteral("PREF0/Name"), QStringLiteral("Default"));
        ini.setValue(QStringLiteral("PREF0/Dir"), folder());
    }

    bool valid() const { return dir.isValid(); }
    QString folder() const { return dir.path(); }
    QString iniPath() const { return dir.filePath(QStringLiteral("drux.ini")); }

private:
    static void reset()
    {
        PreferenceSets = PreferenceList();
        CurrentPreferences = PreferenceSet();
        ActiveDevice = DeviceConnection();
        SavedDevice = ActiveDevice;
    }
    void dropModel()
    {
        if (!modelBuilt)
            return;
        DestroyRecords();
        AdaptTablesToModel(ModelDrux2);
        DestroyModules();
        modelBuilt = false;
    }

    QTemporaryDir dir;
    bool modelBuilt = false;
};
