#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "files/Backups.h"
#include "librarian/DeviceFormFixture.h"
#include "librarian/RestoreBackupForm.h"

namespace {

// File > Restore Backup... from the keyboard, as a user opens it; `answer`
// then acts in the dialog the way the user would.
void restoreFromMenu(TDeviceForm& form, std::function<void(TRestoreBackupForm&)> answer)
{
    bool answered = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = qobject_cast<TRestoreBackupForm*>(QApplication::activeModalWidget()); dialog && !answered) {
            answered = true;
            answer(*dialog);
        }
    });
    poll.start(10);
    QTest::keyClick(&form, Qt::Key_F, Qt::AltModifier);
    QWidget* menu = QApplication::activePopupWidget();
    ASSERT_NE(menu, nullptr);
    QTest::keyClick(menu, Qt::Key_R);
    EXPECT_TRUE(answered);
}

TEST_F(DeviceFormTest, RestoreBackupPutsTheChosenMemoryBackAfterKeepingTheCurrentOne)
{
    CurrentPreferences.Dir = dir.path();
    ActiveDevice.DeviceName = "Stage";
    name(3, "ORIGINAL");
    const QDateTime read = QDateTime::currentDateTime().addSecs(-600);
    ASSERT_EQ(backup::BackUpActiveUnit(dir.path(), 0, read).outcome, backup::Outcome::Written);
    name(3, "DRAGGED");
    name(4, "OVER");
    activate();

    restoreFromMenu(*form, [](TRestoreBackupForm& dialog) {
        ASSERT_EQ(dialog.List->topLevelItemCount(), 1);
        QTreeWidgetItem* row = dialog.List->topLevelItem(0);
        EXPECT_TRUE(row->text(2).startsWith(QStringLiteral("2 slots: 1 D ORIGINAL, 1 E "))) << qPrintable(row->text(2));
        QTest::mouseClick(dialog.List->viewport(), Qt::LeftButton, {},
                          dialog.List->visualItemRect(row).center());
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("Restore")), Qt::LeftButton);
    });

    EXPECT_EQ(GetRecordName(*DeviceMemory[3]), "ORIGINAL        ");
    EXPECT_EQ(cellText(3).trimmed(), QStringLiteral("ORIGINAL"));
    EXPECT_EQ(unit.memoryDumps, 1);
    // The memory it replaced is the newest backup now.
    const auto list = backup::ListBackups(backup::BackupLocation(dir.path()).folder, "DEV1");
    ASSERT_EQ(list.size(), 2u);
    backup::MemoryImages replaced;
    ASSERT_TRUE(backup::ReadBackup(list[0].path, replaced));
    EXPECT_EQ(replaced.slotName(3), "DRAGGED");

    // Cancel changes nothing.
    activate();
    restoreFromMenu(*form, [](TRestoreBackupForm& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(unit.memoryDumps, 1);
}

} // namespace
