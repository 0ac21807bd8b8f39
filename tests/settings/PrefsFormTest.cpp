#include <QApplication>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "app/ApplicationFilter.h"
#include "shell/MessageService.h"
#include "model/DeviceConnection.h"
#include "settings/PrefsForm.h"
#include "support/ProgramState.h"

namespace {

// Answers the folder chooser and remembers how it was asked.
struct FolderDialogs : MessageService {
    QString caption;
    QString startDir;
    QString answer;

    FolderDialogs() { SetDialogs(this); }
    ~FolderDialogs() override { SetDialogs(nullptr); }

    QString existingDirectory(QWidget*, const QString& c, const QString& dir) override
    {
        caption = c;
        startDir = dir;
        return answer;
    }
};

class PrefsFormTest : public ::testing::Test {
protected:
    ProgramState state;
    QTemporaryDir dir;
    const QString iniPath = state.iniPath();
    FolderDialogs dialogs;

    void SetUp() override { ASSERT_TRUE(state.valid() && dir.isValid()); }

    void writeIni(const char* text)
    {
        QFile f(iniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }

    QVariant value(const char* key) const
    {
        return QSettings(iniPath, QSettings::IniFormat).value(QString::fromLatin1(key));
    }

    // The program starting again: nothing is known but the ini file.
    static void forget()
    {
        PreferenceSets = PreferenceList();
        CurrentPreferences = PreferenceSet();
    }

    static QStringList texts(const QWidget& w)
    {
        QStringList t;
        for (const QLabel* l : w.findChildren<QLabel*>())
            t << l->text();
        for (const QAbstractButton* b : w.findChildren<QAbstractButton*>())
            t << b->text();
        for (const QGroupBox* g : w.findChildren<QGroupBox*>())
            t << g->title();
        return t;
    }
};

TEST_F(PrefsFormTest, ShowsEveryControlWithItsText)
{
    TPrefsForm form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("User Preferences"));
    const QStringList t = texts(form);
    for (const char* text : {"Preference Name :", "Working Directory :", "...", "Show Confirmations", "Auto Audition",
                             "Sysex export channel :", "?", "Knob mode", "Horizontal", "Vertical", "Tangient",
                             "Circular", "Time Unit", "BPM", "ms", "MIDI", "Delete", "OK", "Cancel"})
        EXPECT_TRUE(t.contains(QString::fromLatin1(text))) << text;
    EXPECT_TRUE(form.PrefBox->isEditable());
    EXPECT_EQ(form.PrefBox->toolTip(), QStringLiteral("Make a new one by typing a name"));
    EXPECT_EQ(form.DirectoryEdit->toolTip(), QStringLiteral("Directory to put you stuff in"));
    ASSERT_EQ(form.SysnrBox->count(), 16);
    EXPECT_EQ(form.SysnrBox->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(form.SysnrBox->itemText(15), QStringLiteral("16"));
}

TEST_F(PrefsFormTest, AFirstStartShowsTheDefaultSet)
{
    TPrefsForm form;
    EXPECT_EQ(form.PrefBox->count(), 1);
    EXPECT_EQ(form.PrefBox->currentText(), QStringLiteral("Default"));
    EXPECT_EQ(form.DirectoryEdit->text(), QCoreApplication::applicationDirPath());
    EXPECT_TRUE(form.Confirm->isChecked());
    EXPECT_FALSE(form.AutoAud->isChecked());
    EXPECT_EQ(form.SysnrBox->currentText(), QStringLiteral("1"));
    EXPECT_EQ(form.KnobMode->checkedButton()->text(), QStringLiteral("Vertical"));
    EXPECT_EQ(form.TimeUnit->checkedButton()->text(), QStringLiteral("ms"));
    EXPECT_FALSE(form.DeleteBtn->isEnabled());
    EXPECT_EQ(value("PREF0/Name").toString(), QStringLiteral("Default"));
}

TEST_F(PrefsFormTest, ChoicesSurviveARestart)
{
    {
        TPrefsForm form;
        form.DirectoryEdit->setText(dir.path());
        form.Confirm->setChecked(false);
        form.AutoAud->setChecked(true);
        form.SysnrBox->setCurrentIndex(15);
        form.KnobMode->button(3)->setChecked(true);
        form.TimeUnit->button(2)->setChecked(true);
        form.OKClick();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(value("PREF0/SysexNr").toInt(), 15);
    forget();
    TPrefsForm again;
    EXPECT_EQ(CurrentPreferences.SysexNr, 15);
    EXPECT_EQ(CurrentPreferences.MouseMoveMode, 3);
    EXPECT_EQ(again.DirectoryEdit->text(), dir.path());
    EXPECT_FALSE(again.Confirm->isChecked());
    EXPECT_TRUE(again.AutoAud->isChecked());
    EXPECT_EQ(again.SysnrBox->currentText(), QStringLiteral("16"));
    EXPECT_EQ(again.KnobMode->checkedButton()->text(), QStringLiteral("Circular"));
    EXPECT_EQ(again.TimeUnit->checkedButton()->text(), QStringLiteral("MIDI"));
}

TEST_F(PrefsFormTest, CancelChangesNothing)
{
    TPrefsForm form;
    form.SysnrBox->setCurrentIndex(7);
    form.CancelBtn->click();
    EXPECT_EQ(CurrentPreferences.SysexNr, 0);
    EXPECT_EQ(value("PREF0/SysexNr").toInt(), 0);
}

TEST_F(PrefsFormTest, TheFolderChooserStartsAtTheShownFolder)
{
    TPrefsForm form;
    form.DirectoryEdit->setText(QStringLiteral("/start/here"));
    dialogs.answer = QStringLiteral("/chosen");
    form.BrowseButton->click();
    EXPECT_EQ(dialogs.caption, QStringLiteral("Choose/Make Working Directory"));
    EXPECT_EQ(dialogs.startDir, QStringLiteral("/start/here"));
    EXPECT_EQ(form.DirectoryEdit->text(), QStringLiteral("/chosen"));
    dialogs.answer.clear();
    form.BrowseButton->click();
    EXPECT_EQ(form.DirectoryEdit->text(), QStringLiteral("/chosen"));
}

TEST_F(PrefsFormTest, TheCancelKeyRestoresTheFolderTextOfEntry)
{
    TPrefsForm form;
    form.DirectoryEdit->setText(QStringLiteral("/before"));
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(form.DirectoryEdit, &in);
    form.DirectoryEdit->setText(QStringLiteral("/typed"));
    // The program's key filter turns Escape in an edit field into its cancel key.
    ApplicationFilter keys;
    qApp->installEventFilter(&keys);
    QTest::keyClick(form.DirectoryEdit, Qt::Key_Escape);
    qApp->removeEventFilter(&keys);
    EXPECT_EQ(form.DirectoryEdit->text(), QStringLiteral("/before"));
}

TEST_F(PrefsFormTest, GetChannelTakesTheConnectedUnitsNumber)
{
    TPrefsForm form;
    ActiveDevice.MidiDevice = 9;
    form.GetChannel->click();
    EXPECT_EQ(form.SysnrBox->currentText(), QStringLiteral("10"));
}

TEST_F(PrefsFormTest, ATypedNameBecomesANewActiveSet)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\nSysexNr=1\n[PREF1]\nName=B\nSysexNr=2\n");
    TPrefsForm form;
    form.PrefBox->setEditText(QStringLiteral("Studio"));
    form.SysnrBox->setCurrentIndex(5);
    form.OKClick();
    EXPECT_EQ(value("Last/PrefCount").toInt(), 3);
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF2"));
    EXPECT_EQ(value("PREF2/Name").toString(), QStringLiteral("Studio"));
    EXPECT_EQ(value("PREF2/SysexNr").toInt(), 5);
    EXPECT_EQ(value("PREF0/SysexNr").toInt(), 1);
    form.FormShow();
    EXPECT_EQ(form.PrefBox->count(), 3);
    EXPECT_EQ(form.PrefBox->currentText(), QStringLiteral("Studio"));
}

TEST_F(PrefsFormTest, SelectingAnEntryShowsItsValues)
{
    writeIni("[Last]\nPrefCount=2\nPref=PREF0\n[PREF0]\nName=A\nSysexNr=1\nTimeUnit=0\n"
             "[PREF1]\nName=B\nSysexNr=2\nTimeUnit=2\n");
    TPrefsForm form;
    EXPECT_EQ(form.SysnrBox->currentText(), QStringLiteral("2"));
    EXPECT_FALSE(form.DeleteBtn->isEnabled());
    form.PrefBoxSelect(1);
    EXPECT_EQ(form.SysnrBox->currentText(), QStringLiteral("3"));
    EXPECT_EQ(form.TimeUnit->checkedButton()->text(), QStringLiteral("MIDI"));
    EXPECT_TRUE(form.DeleteBtn->isEnabled());
    form.OKClick();
    EXPECT_EQ(value("Last/Pref").toString(), QStringLiteral("PREF1"));
    EXPECT_EQ(value("Last/PrefCount").toInt(), 2);
}

TEST_F(PrefsFormTest, DeleteLeavesTheFirstSetWithItsOwnValues)
{
    writeIni("[Last]\nPrefCount=3\nPref=PREF0\n"
             "[PREF0]\nName=First\nSysexNr=1\nAutoAud=0\n"
             "[PREF1]\nName=Second\nSysexNr=2\nAutoAud=1\n"
             "[PREF2]\nName=Third\nSysexNr=3\n");
    TPrefsForm form;
    form.PrefBoxSelect(1);
    form.DeleteBtn->click();
    EXPECT_EQ(form.PrefBox->count(), 2);
    EXPECT_EQ(form.PrefBox->currentText(), QStringLiteral("First"));
    EXPECT_EQ(form.SysnrBox->currentText(), QStringLiteral("2")); // SysexNr 1 shown as 2
    EXPECT_FALSE(form.AutoAud->isChecked());
    EXPECT_FALSE(form.DeleteBtn->isEnabled());
    EXPECT_EQ(value("PREF0/SysexNr").toInt(), 1);
    EXPECT_EQ(value("PREF0/AutoAud").toInt(), 0);
    EXPECT_EQ(value("PREF1/Name").toString(), QStringLiteral("Third"));
    EXPECT_FALSE(value("PREF2/Name").isValid());
}

TEST_F(PrefsFormTest, Screenshot)
{
    const QByteArray out = qgetenv("DRUX_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep a picture of the dialog";
    writeIni("[Last]\nPrefCount=2\nPref=PREF1\n[PREF0]\nName=Default\nDir=/home/user/drux\n"
             "[PREF1]\nName=Stage\nDir=/home/user/drux/live\nAutoAud=1\nSysexNr=4\nMouseMoveMode=2\nTimeUnit=0\n");
    TPrefsForm form;
    form.show();
    QApplication::processEvents();
    EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/prefs-form.png")));
}

} // namespace
