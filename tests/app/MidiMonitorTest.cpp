// Windows > MIDI Monitor as a user meets it: the program with a simulated
// unit on the loopback, the monitor opened from the device window's menu.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "SimEngine.h"
#include "support/AnsweringDialogs.h"
#include "support/ProgramState.h"
#include "shell/HelpPage.h"
#include "monitor/MidiMonitorForm.h"
#include "app/Program.h"
#include "librarian/DeviceForm.h"
#include "midi/LoopbackDriver.h"
#include "model/DeviceConnection.h"
#include "settings/ConnectForm.h"

namespace {

struct SavingDialogs : AnsweringDialogs {
    QString savePath;
    QString saveFileName(QWidget*, const QString&, const QString&, const QString&, QString*) override
    {
        return savePath;
    }
};

class MidiMonitorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(state.valid());
        state.writeWorkingFolderToIni();
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Unit In"},
                                                  std::vector<std::string>{"Unit Out"});
        driver = d.get();
        sim = std::make_unique<SimEngine>(SimOptions{});
        sim->attach(*d, 0, 0);
        program = std::make_unique<Program>(std::move(d));
        program->start();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !program->search().ScanActive(); }, 3000));
        monitor = program->midiMonitor();
    }
    void TearDown() override
    {
        SetHelpUrlOpener(nullptr);
        program.reset();
    }
    void openFromMenu()
    {
        TDeviceForm* device = program->deviceForm();
        device->WindowsM->popup(device->mapToGlobal(QPoint(40, 40)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(device->WindowsM));
        QTest::mouseClick(device->WindowsM, Qt::LeftButton, {},
                          device->WindowsM->actionGeometry(device->MidiMonitorM).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(monitor));
    }
    // The texts of the lines the list shows.
    QStringList shown() const
    {
        QStringList texts;
        const QAbstractItemModel* m = monitor->LineList->model();
        for (int r = 0; r < m->rowCount(); ++r)
            texts << m->index(r, 1).data().toString() + QLatin1Char(' ') + m->index(r, 3).data().toString();
        return texts;
    }
    bool shows(const QString& line) const { return shown().contains(line); }
    void click(QAbstractButton* b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2)); }

    ProgramState state;
    QTemporaryDir dir;
    SavingDialogs dialogs;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<SimEngine> sim;
    std::unique_ptr<Program> program;
    TMidiMonitorForm* monitor = nullptr;
};

// Open the monitor, connect, read the memory, turn a knob on the unit: the
// list says what happened in words, both ways.
TEST_F(MidiMonitorWindow, TellsTheConnectionTheReadAndAKnobInWords)
{
    openFromMenu();
    QTest::mouseClick(program->connectForm()->CloseButt, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return shows(QStringLiteral("in memory dump: 125 presets of 48 bytes")); },
                                3000))
        << shown().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(shows(QStringLiteral("out request memory dump")));

    driver->inject(0, {0xB0, 13, 90});
    ASSERT_TRUE(QTest::qWaitFor([this] { return shows(QStringLiteral("in Amplifier: Treble = 90")); }, 1000));
    // A program change on the unit: the program asks for all parameters.
    driver->inject(0, {0xC0, 17});
    ASSERT_TRUE(QTest::qWaitFor([this] { return shows(QStringLiteral("out report all parameters")); }, 1000));
    EXPECT_TRUE(shows(QStringLiteral("in program change: Bank 4 C")));
    // The unit's report reads as the editor shows it: the modulation speed
    // in its type's Hz after the type, the name whole after its last letter.
    auto reported = [this](const QString& start, const QString& part) {
        for (const QString& line : shown())
            if (line.startsWith(start) && line.contains(part))
                return true;
        return false;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return reported(QStringLiteral("in Modulation: Speed = "), QStringLiteral(" Hz")); },
                                1000))
        << shown().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return reported(QStringLiteral("in preset name: character 15 = "), QStringLiteral(", complete: \"")); },
        1000));

    // The dump's line folds its bytes; selecting it shows every one.
    const QAbstractItemModel* m = monitor->LineList->model();
    int dumpRow = -1;
    for (int r = 0; r < m->rowCount() && dumpRow < 0; ++r)
        if (m->index(r, 3).data().toString().startsWith(QStringLiteral("memory dump")))
            dumpRow = r;
    ASSERT_GE(dumpRow, 0);
    EXPECT_TRUE(m->index(dumpRow, 4).data().toString().endsWith(QStringLiteral("... (6010 bytes)")));
    monitor->LineList->scrollTo(m->index(dumpRow, 3));
    QTest::mouseClick(monitor->LineList->viewport(), Qt::LeftButton, {},
                      monitor->LineList->visualRect(m->index(dumpRow, 3)).center());
    EXPECT_TRUE(monitor->Detail->toPlainText().contains(QStringLiteral("6010 bytes:\nF0 00 20 32 00 11 21 7D 30")));
    EXPECT_TRUE(monitor->Detail->toPlainText().endsWith(QStringLiteral(" F7")));
}

// Pause holds the list, the filters hide what they say, Clear empties it,
// Copy and Save write every byte, F1 opens the monitor's help section, and
// the list keeps the newest 10,000 lines.
TEST_F(MidiMonitorWindow, PauseFiltersClearCopySaveHelpAndTheLimit)
{
    openFromMenu();
    QTest::mouseClick(program->connectForm()->CloseButt, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([this] { return shows(QStringLiteral("in memory dump: 125 presets of 48 bytes")); },
                                3000));

    click(monitor->PauseBtn);
    driver->inject(0, {0xB0, 14, 33});
    QTest::qWait(150);
    EXPECT_FALSE(shows(QStringLiteral("in Amplifier: Mid = 33")));
    click(monitor->PauseBtn);
    EXPECT_TRUE(QTest::qWaitFor([this] { return shows(QStringLiteral("in Amplifier: Mid = 33")); }, 500));

    click(monitor->ControllersBox);
    EXPECT_FALSE(shows(QStringLiteral("in Amplifier: Mid = 33")));
    EXPECT_TRUE(shows(QStringLiteral("in memory dump: 125 presets of 48 bytes")));
    click(monitor->SysexBox);
    EXPECT_FALSE(shows(QStringLiteral("in memory dump: 125 presets of 48 bytes")));
    click(monitor->SysexBox);
    click(monitor->OutBox);
    EXPECT_FALSE(shows(QStringLiteral("out request memory dump")));
    click(monitor->TraceBox);
    for (const QString& line : shown())
        EXPECT_TRUE(line.startsWith(QStringLiteral("in "))) << line.toStdString();

    // Copy with nothing selected: every line shown, with all its bytes.
    click(monitor->CopyBtn);
    const QString copied = QApplication::clipboard()->text();
    EXPECT_TRUE(copied.contains(QStringLiteral("\tin\tUnit In\tmemory dump: 125 presets of 48 bytes\tF0 00 20 32")));
    EXPECT_FALSE(copied.contains(QStringLiteral("Amplifier: Mid")));
    EXPECT_FALSE(copied.contains(QStringLiteral("(6010 bytes)")));

    dialogs.savePath = dir.filePath(QStringLiteral("traffic.txt"));
    click(monitor->SaveBtn);
    QFile saved(dialogs.savePath);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(saved.readAll()), copied);

    std::vector<QUrl> opened;
    SetHelpUrlOpener([&opened](const QUrl& url) { opened.push_back(url); });
    monitor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(monitor));
    QTest::keyClick(monitor->LineList, Qt::Key_F1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].fragment(), QStringLiteral("MidiMonitor"));

    click(monitor->ClearBtn);
    EXPECT_EQ(monitor->LineTotal(), 0);
    click(monitor->ControllersBox);
    for (int i = 0; i < 10050; ++i)
        driver->inject(0, {0xB0, 62, uint8_t(i & 127)});
    ASSERT_TRUE(QTest::qWaitFor([this] { return monitor->LineTotal() == 10000; }, 5000)) << monitor->LineTotal();
    QTest::qWait(100);
    EXPECT_EQ(monitor->LineTotal(), 10000);
}

} // namespace
