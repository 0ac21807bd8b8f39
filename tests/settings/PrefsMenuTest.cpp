#include <QActionGroup>
#include <QCoreApplication>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <gtest/gtest.h>

#include "support/AnsweringDialogs.h"
#include "files/Preferences.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianActions.h"
#include "model/Presets.h"
#include "support/ProgramState.h"

namespace {

class PrefsMenuTest : public ::testing::Test {
protected:
    ProgramState state{ModelDrux2};
    const QString iniPath = state.iniPath();
    int preferenceChanges = 0;
    AnsweringDialogs dialogs;
    CapturingHelp help;
    LibrarianActions librarian;

    void SetUp() override
    {
        QFile f(iniPath);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Last]\nPrefCount=3\nPref=PREF0\n[PREF0]\nName=Home\nMouseMoveMode=1\n"
                "[PREF1]\nName=Stage\nMouseMoveMode=3\n[PREF2]\nName=Studio\nMouseMoveMode=0\n");
        f.close();
        LoadPreferences();
        SetPreferencesObserver([this] { ++preferenceChanges; });
    }

    QByteArray iniBytes() const
    {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(PrefsMenuTest, TheMenuListsTheSetsAfterSetAndASeparator)
{
    TDeviceForm form(TestServices(dialogs, help), librarian);
    EXPECT_EQ(form.PrefsM->title(), QStringLiteral("&Preferences"));
    EXPECT_EQ(form.SetM->text(), QStringLiteral("&Set..."));
    for (int opening = 0; opening < 2; ++opening) {
        form.PrefsMClick();
        const QList<QAction*> entries = form.PrefsM->actions();
        ASSERT_EQ(entries.size(), 5);
        EXPECT_EQ(entries[0], form.SetM);
        EXPECT_TRUE(entries[1]->isSeparator());
        EXPECT_EQ(entries[2]->text(), QStringLiteral("Home"));
        EXPECT_EQ(entries[4]->text(), QStringLiteral("Studio"));
        EXPECT_TRUE(entries[2]->isChecked());
        EXPECT_FALSE(entries[3]->isChecked());
        EXPECT_TRUE(entries[3]->actionGroup() && entries[3]->actionGroup()->isExclusive());
    }
}

TEST_F(PrefsMenuTest, ChoosingASetSwitchesAtOnceAndLeavesTheIniFile)
{
    TDeviceForm form(TestServices(dialogs, help), librarian);
    const QByteArray before = iniBytes();
    form.PrefsMClick();
    form.PrefsM->actions()[3]->trigger();
    EXPECT_EQ(PreferenceSets.active, 1);
    EXPECT_EQ(CurrentPreferences.Name, QStringLiteral("Stage"));
    EXPECT_EQ(CurrentPreferences.MouseMoveMode, 3);
    EXPECT_EQ(preferenceChanges, 1);
    EXPECT_EQ(iniBytes(), before);
    form.PrefsMClick();
    EXPECT_TRUE(form.PrefsM->actions()[3]->isChecked());
    EXPECT_FALSE(form.PrefsM->actions()[2]->isChecked());
}

TEST_F(PrefsMenuTest, SetAsksForTheDialog)
{
    TDeviceForm form(TestServices(dialogs, help), librarian);
    int asked = 0;
    QObject::connect(&form, &TDeviceForm::preferencesRequested, [&asked] { ++asked; });
    form.SetM->trigger();
    EXPECT_EQ(asked, 1);
}

} // namespace

namespace {
TEST_F(PrefsMenuTest, Screenshot)
{
    const QByteArray out = qgetenv("DRUX_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep a picture of the device window";
    TDeviceForm form(TestServices(dialogs, help), librarian);
    form.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/device-form.png")));
    form.PrefsMClick();
    form.PrefsM->popup(form.mapToGlobal(QPoint(0, 0)));
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.PrefsM->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/prefs-menu.png")));
    form.PrefsM->hide();
}
} // namespace
