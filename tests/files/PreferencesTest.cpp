#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "files/FilesFixture.h"
#include "files/Preferences.h"
#include "support/ProgramState.h"

namespace {

class Preferences : public ::testing::Test {
protected:
    ProgramState state;
    QTemporaryDir dir;
    int preferenceChanges = 0;
    const QString iniPath = state.iniPath();

    void SetUp() override
    {
        ASSERT_TRUE(state.valid() && dir.isValid());
        SetPreferencesObserver([this] { ++preferenceChanges; });
    }

    void writeIni(const char* text)
    {
        QFile f(iniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QString iniText() const
    {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    QStringList sections() const { return QSettings(iniPath, QSettings::IniFormat).childGroups(); }

    QVariant value(const char* key) const
    {
        return QSettings(iniPath, QSettings::IniFormat).value(QString::fromLatin1(key));
    }

    static QStringList names()
    {
        QStringList n;
        for (const PreferenceSet& s : PreferenceSets.sets)
            n << s.Name;
        return n;
    }
};

TEST_F(Preferences, FirstStartWritesTheDefaultSet)
{
    LoadPreferences();
    const QString text = iniText();
    for (const char* line : {"[Last]", "PrefCount=1", "Pref=PREF0", "[PREF0]", "Name=Default", "Confirm=1", "AutoAud=0",
                             "SysexNr=0", "MouseMoveMode=1", "TimeUnit=1"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line) + QLatin1Char('\n'))) << line << "\n" << qPrintable(text);
    const QString programDir = value("PREF0/Dir").toString();
    EXPECT_TRUE(QDir(programDir).exists(QStringLiteral("files_tests"))) << qPrintable(programDir);
    EXPECT_FALSE(programDir.endsWith(QLatin1Char('/')));
    EXPECT_EQ(CurrentPreferences.Name, QStringLiteral("Default"));
    EXPECT_EQ(CurrentPreferences.Dir, programDir);
    EXPECT_EQ(PreferenceSets.active, 0);
    EXPECT_EQ(preferenceChanges, 1);
}

// Values edited by hand outside their ranges (or no numbers at all) count as
// missing keys: the first set falls back to the defaults, a later one to the
// active set's values.
TEST_F(Preferences, ValuesOutsideTheirRangesFallBackAsMissingKeys)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n"
             "[PREF0]\nName=Edited\nConfirm=2\nAutoAud=-1\nSysexNr=16\nMouseMoveMode=4\nTimeUnit=3\n"
             "[PREF1]\nName=Second\nConfirm=0\nAutoAud=1\nSysexNr=15\nMouseMoveMode=x\nTimeUnit=2.5\n");
    LoadPreferences();
    ASSERT_EQ(PreferenceSets.sets.size(), 2u);
    const PreferenceSet& first = PreferenceSets.sets[0];
    EXPECT_EQ(first.Confirm, 1);
    EXPECT_EQ(first.AutoAud, 0);
    EXPECT_EQ(first.SysexNr, 0);
    EXPECT_EQ(first.MouseMoveMode, 1);
    EXPECT_EQ(first.TimeUnit, 1);
    EXPECT_EQ(CurrentPreferences, first);
    const PreferenceSet& second = PreferenceSets.sets[1];
    EXPECT_EQ(second.Confirm, 0);
    EXPECT_EQ(second.AutoAud, 1);
    EXPECT_EQ(second.SysexNr, 15);
    EXPECT_EQ(second.MouseMoveMode, 1);
    EXPECT_EQ(second.TimeUnit, 1);
}

// Installed, the program lies in a folder the user cannot write; its working
// folder is then the user's documents folder + "/Drux", made on first use.
TEST_F(Preferences, AProgramFolderNobodyWritesSendsTheWorkingFolderToTheDocuments)
{
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(dir.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral(".config"))));
    // Not even the superuser writes into /proc/self.
    ASSERT_FALSE(QFileInfo(QStringLiteral("/proc/self")).isWritable());
    const QString working = DefaultWorkingDirectory(QStringLiteral("/proc/self"));
    const QString expected = dir.filePath(QStringLiteral("Documents/Drux"));
    EXPECT_EQ(working, expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    // A folder the user writes stays the working folder.
    EXPECT_EQ(DefaultWorkingDirectory(dir.path()), dir.path());
    qputenv("HOME", home);
    if (config.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
}

TEST_F(Preferences, MissingSectionsAreSkippedAndTheNextSaveClosesTheGap)
{
    writeIni("[Last]\nPrefCount=3\nPref=PREF2\nDevice=DEV0\n"
             "[PREF0]\nName=Home\nDir=/home\nConfirm=0\nAutoAud=1\nSysexNr=4\nMouseMoveMode=0\nTimeUnit=2\n"
             "[PREF2]\nName=Stage\nDir=/stage\nConfirm=1\nAutoAud=0\nSysexNr=9\nMouseMoveMode=3\nTimeUnit=0\n");
    LoadPreferences();
    EXPECT_EQ(names(), (QStringList{QStringLiteral("Home"), QStringLiteral("Stage")}));
    EXPECT_EQ(PreferenceSets.active, 1);
    EXPECT_EQ(CurrentPreferences.SysexNr, 9);
    EXPECT_EQ(CurrentPreferences.MouseMoveMode, 3);
    EXPECT_EQ(CurrentPreferences.Dir, QStringLiteral("/stage"));

    SaveAllPreferences();
    EXPECT_EQ(value("Last/PrefCount").toInt(), 2);
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF1"));
    EXPECT_EQ(value("Last/Device").toString(), QStringLiteral("DEV0"));
    EXPECT_EQ(value("PREF1/Name").toString(), QStringLiteral("Stage"));
    EXPECT_EQ(value("PREF1/SysexNr").toInt(), 9);
    EXPECT_EQ(value("PREF0/AutoAud").toInt(), 1);
}

TEST_F(Preferences, MissingKeysTakeTheValuesInForce)
{
    writeIni("[Last]\nPrefCount=3\nPref=PREF1\n"
             "[PREF0]\nDir=/zero\n"
             "[PREF1]\nName=Active\nSysexNr=7\nTimeUnit=0\n"
             "[PREF2]\nName=Later\n");
    LoadPreferences();
    ASSERT_EQ(PreferenceSets.sets.size(), 3u);
    const PreferenceSet& zero = PreferenceSets.sets[0];
    EXPECT_EQ(zero.Name, QStringLiteral("No Name"));
    EXPECT_EQ(zero.Dir, QStringLiteral("/zero"));
    EXPECT_EQ(zero.Confirm, 1);
    EXPECT_EQ(zero.MouseMoveMode, 1);
    // The active set is read before PREF2: its values fill PREF2's gaps.
    const PreferenceSet& later = PreferenceSets.sets[2];
    EXPECT_EQ(later.SysexNr, 7);
    EXPECT_EQ(later.TimeUnit, 0);
    EXPECT_EQ(later.Dir, DefaultPreferences().Dir);
}

TEST_F(Preferences, WithoutAnActiveSetTheFirstOneIsActive)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF7\n"
             "[PREF0]\nName=One\nSysexNr=3\n[PREF1]\nName=Two\nSysexNr=5\n");
    const QString before = iniText();
    LoadPreferences();
    EXPECT_EQ(PreferenceSets.active, 0);
    EXPECT_EQ(CurrentPreferences.Name, QStringLiteral("One"));
    EXPECT_EQ(CurrentPreferences.SysexNr, 3);
    EXPECT_EQ(iniText(), before);
}

TEST_F(Preferences, WithNoSetAtAllADefaultSetIsMade)
{
    for (const char* ini : {"[Last]\nPrefCount=0\nDevice=DEV0\n", "[Last]\nPrefCount=2\nPref=PREF0\n[PREF5]\nName=X\n"}) {
        writeIni(ini);
        LoadPreferences();
        EXPECT_EQ(names(), QStringList{QStringLiteral("Default")}) << ini;
        EXPECT_EQ(PreferenceSets.active, 0) << ini;
        EXPECT_EQ(value("Last/PrefCount").toInt(), 1) << ini;
        EXPECT_EQ(value("PREF0/Name").toString(), QStringLiteral("Default")) << ini;
        QFile::remove(iniPath);
    }
}

TEST_F(Preferences, ATypedNameAppendsANewActiveSet)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\n[PREF1]\nName=B\n");
    LoadPreferences();
    PreferenceDialogValues v;
    v.selected = -1;
    v.typedName = QStringLiteral("Gig");
    v.values.Dir = QStringLiteral("/gig");
    v.values.SysexNr = 15;
    v.values.Confirm = 0;
    SaveAllPreferences(&v);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("Gig")}));
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF2"));
    EXPECT_EQ(value("Last/PrefCount").toInt(), 3);
    EXPECT_EQ(value("PREF2/Name").toString(), QStringLiteral("Gig"));
    EXPECT_EQ(value("PREF2/SysexNr").toInt(), 15);
    EXPECT_EQ(CurrentPreferences.SysexNr, 15);
    EXPECT_EQ(CurrentPreferences.Confirm, 0);
}

TEST_F(Preferences, DialogValuesGoIntoTheChosenSetKeepingItsName)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\n[PREF1]\nName=B\n");
    LoadPreferences();
    PreferenceDialogValues v;
    v.selected = 1;
    v.typedName = QStringLiteral("B");
    v.values.Name = QStringLiteral("ignored");
    v.values.MouseMoveMode = 2;
    SaveAllPreferences(&v);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF1"));
    EXPECT_EQ(value("PREF1/MouseMoveMode").toInt(), 2);
    EXPECT_EQ(CurrentPreferences.MouseMoveMode, 2);
}

TEST_F(Preferences, DeletingTheSecondOfThreeKeepsTheFirstSetsOwnValues)
{
    writeIni("[Last]\nPrefCount=3\nPref=PREF1\n"
             "[PREF0]\nName=First\nSysexNr=1\nTimeUnit=0\n"
             "[PREF1]\nName=Second\nSysexNr=2\nTimeUnit=2\n"
             "[PREF2]\nName=Third\nSysexNr=3\n");
    LoadPreferences();
    DeletePreferenceSet(1);
    EXPECT_EQ(names(), (QStringList{QStringLiteral("First"), QStringLiteral("Third")}));
    EXPECT_EQ(sections(), (QStringList{QStringLiteral("Last"), QStringLiteral("PREF0"), QStringLiteral("PREF1")}));
    EXPECT_EQ(value("PREF1/Name").toString(), QStringLiteral("Third"));
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF0"));
    EXPECT_EQ(value("PREF0/SysexNr").toInt(), 1);
    EXPECT_EQ(value("PREF0/TimeUnit").toInt(), 0);
    EXPECT_EQ(CurrentPreferences.Name, QStringLiteral("First"));
    EXPECT_EQ(CurrentPreferences.SysexNr, 1);

    DeletePreferenceSet(0);
    EXPECT_EQ(PreferenceSets.sets.size(), 2u);
}

TEST_F(Preferences, TheQuickSwitchChangesTheCurrentValuesButNotTheFile)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\nMouseMoveMode=1\n[PREF1]\nName=B\nMouseMoveMode=3\n");
    LoadPreferences();
    const QString before = iniText();
    preferenceChanges = 0;
    SwitchPreferenceSet(1);
    EXPECT_EQ(CurrentPreferences.MouseMoveMode, 3);
    EXPECT_EQ(PreferenceSets.active, 1);
    EXPECT_EQ(preferenceChanges, 1);
    EXPECT_EQ(iniText(), before);
    SwitchPreferenceSet(2);
    EXPECT_EQ(PreferenceSets.active, 1);
}

TEST_F(Preferences, ConfirmationsStayOffUntilTheLastGuardEndsEvenAcrossASwitch)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\nConfirm=1\n[PREF1]\nName=B\nConfirm=0\n");
    LoadPreferences();
    {
        ConfirmationsOff outer;
        EXPECT_EQ(CurrentPreferences.Confirm, 0);
        {
            ConfirmationsOff inner;
            SwitchPreferenceSet(1);
            SwitchPreferenceSet(0);
        }
        EXPECT_EQ(CurrentPreferences.Confirm, 0);
    }
    EXPECT_EQ(CurrentPreferences.Confirm, 1);
    {
        ConfirmationsOff quiet;
        SwitchPreferenceSet(1);
    }
    EXPECT_EQ(CurrentPreferences.Confirm, 0); // set B's own value
    SwitchPreferenceSet(0);
    EXPECT_EQ(CurrentPreferences.Confirm, 1);
    EXPECT_EQ(value("PREF0/Confirm").toInt(), 1);
}

TEST_F(Preferences, ChoicesSurviveARestart)
{
    LoadPreferences();
    PreferenceDialogValues v;
    v.selected = 0;
    v.typedName = QStringLiteral("Default");
    v.values = {QStringLiteral("x"), QStringLiteral("/music/drux lib, old"), 0, 1, 15, 2, 0};
    SaveAllPreferences(&v);
    const PreferenceSet saved = CurrentPreferences;
    PreferenceSets = PreferenceList();
    CurrentPreferences = PreferenceSet();
    LoadPreferences();
    EXPECT_EQ(CurrentPreferences, saved);
    EXPECT_EQ(CurrentPreferences.Dir, QStringLiteral("/music/drux lib, old"));
    EXPECT_EQ(CurrentPreferences.SysexNr, 15);
}

} // namespace
