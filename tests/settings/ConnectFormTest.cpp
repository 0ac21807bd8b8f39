#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "support/AnsweringDialogs.h"
#include "app/ApplicationFilter.h"
#include "app/Program.h"
#include "files/Backups.h"
#include "files/IniFile.h"
#include "librarian/DeviceForm.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "controls/ImgKnob.h"
#include "settings/ConnectForm.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A unit answering the way the protocol describes, with its replies written
// out byte by byte: a first-generation DRUX (no name request) or a DRUX 2.
class FakeUnit : public LoopbackPeer {
public:
    FakeUnit(LoopbackDriver& d, int input, int model, int device) : driver(d), in(input), model(model), device(device)
    {
    }
    void received(int, const Bytes& m) override
    {
        ++messages;
        if (m == Bytes{0xF0, 0x00, 0x20, 0x32, 0x7F, 0x7F, 0x01, 0xF7}) {
            // "DRUX V1" for the DRUX, "DRUX 2 V2" for the DRUX 2.
            Bytes reply{0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x02,
                        'D', 'R', 'U', 'X', ' '};
            if (model == 0x11)
                reply.insert(reply.end(), {'2', ' '});
            reply.insert(reply.end(), {'V', '1', 0xF7});
            driver.inject(in, reply);
        } else if (m == Bytes{0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x65,
                              0xF7}) {
            Bytes reply{0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x25};
            for (char c : std::string("STAGE RIG       "))
                reply.push_back(static_cast<uint8_t>(c));
            reply.push_back(0xF7);
            driver.inject(in, reply);
        } else if (m == Bytes{0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x61,
                              0xF7}) {
            ++memoryRequests;
            // 125 images of 48 bytes; each ends in its 16-character name.
            Bytes dump{0xF0, 0x00, 0x20, 0x32, static_cast<uint8_t>(device), static_cast<uint8_t>(model), 0x21, 0x7D,
                       0x30};
            for (int slot = 0; slot < 125; ++slot) {
                dump.insert(dump.end(), 32, 0x00);
                const std::string name = "SIM " + std::to_string(slot) + std::string(16, ' ');
                dump.insert(dump.end(), name.begin(), name.begin() + 16);
            }
            dump.push_back(0xF7);
            driver.inject(in, dump);
        }
    }

    LoopbackDriver& driver;
    int in, model, device;
    int messages = 0;
    int memoryRequests = 0;
};

void pump()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

class ConnectFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(state.valid());
        dialogs.answer = QMessageBox::Abort;
    }
    void TearDown() override
    {
        delete form;
        search.reset();
        protocol.reset();
        ports.reset();
    }

    void make(std::vector<std::string> in, std::vector<std::string> out, QWidget* parent = nullptr)
    {
        driver = new LoopbackDriver(std::move(in), std::move(out));
        ports = std::make_unique<MidiPorts>(std::unique_ptr<MidiDriver>(driver));
        protocol = std::make_unique<Protocol>(*ports);
        search = std::make_unique<DeviceSearch>(*ports);
        ConnectSearchToProtocol(*search, *protocol);
        ports->SetInputHandler([this](int port, const Bytes& m) {
            if (!m.empty() && m[0] == 0xF0)
                protocol->HandleSysexIn(port, m);
        });
        ConnectServices services;
        services.ports = ports.get();
        services.search = search.get();
        services.installMessageFilter = [this] { ++filterInstalls; };
        form = new TConnectForm(services, parent);
    }

    ProgramState state{ModelDrux2};
    AnsweringDialogs dialogs;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    std::unique_ptr<DeviceSearch> search;
    // The main window the program gives the configuration window as parent.
    QWidget mainWindow;
    TConnectForm* form = nullptr;
    int filterInstalls = 0;
};

TEST_F(ConnectFormTest, CreationInstallsTheFilterStartsTheTickAndListsThePorts)
{
    ActiveDevice.DeviceKey = "DEV11M00I00O00";
    make({"In A", "In B"}, {"Out A", "Out B"});
    EXPECT_EQ(filterInstalls, 1);
    // The new controls' first refresh is pending: the tick is due within a frame.
    EXPECT_TRUE(form->FrameTimer.isActive());
    EXPECT_LE(form->FrameTimer.interval(), 33);
    EXPECT_TRUE(dialogs.texts.isEmpty());
    EXPECT_EQ(ActiveDevice, DeviceConnection());
    EXPECT_EQ(SavedDevice, DeviceConnection());
    ASSERT_EQ(form->OutPortBox->count(), 2);
    EXPECT_EQ(form->OutPortBox->itemText(1), QStringLiteral("Out B"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Configuration"));
    EXPECT_EQ(form->size(), QSize(470, 454));
    EXPECT_EQ(form->FoundView->headerItem()->text(0), QStringLiteral("Recognized devices :"));
    ASSERT_EQ(form->ModelBox->count(), 7);
    EXPECT_EQ(form->ModelBox->itemText(6), QStringLiteral("BASS DRUXORA (virtual)"));
    EXPECT_EQ(form->HintPanel->text(), QStringLiteral("Hints"));

    // The tick flushes pending parameter changes, shown or not.
    Param(GuitarGlobal::Global1).SetVal(Param(GuitarGlobal::Global1).GetVal() + 1);
    EXPECT_TRUE(QTest::qWaitFor([] { return PendingList.head == nullptr; }, 500));
}

TEST_F(ConnectFormTest, NoPortsGiveOneMessageAndTheVirtualUnit)
{
    make({}, {"Out A"});
    EXPECT_EQ(dialogs.texts, QStringList{QStringLiteral("No MIDI Devices !?")});
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0");
}

TEST_F(ConnectFormTest, SearchShowsTheRecognisedUnitAndConnectsItsPorts)
{
    make({"In A", "In B"}, {"Out A", "Out B"});
    FakeUnit unit(*driver, 1, 0x0D, 5);
    driver->attach(1, &unit);
    form->showModal();
    QTest::mouseClick(form->ReSearch, Qt::LeftButton);
    EXPECT_FALSE(form->ReSearch->isEnabled());
    EXPECT_TRUE(form->ModelBox->currentText().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !search->ScanActive(); }, 3000));
    pump();

    ASSERT_EQ(form->FoundView->topLevelItemCount(), 1);
    QTreeWidgetItem* item = form->FoundView->topLevelItem(0);
    EXPECT_EQ(item->text(0), QStringLiteral("Device 6 @ Out B"));
    EXPECT_FALSE(item->icon(0).isNull());
    EXPECT_TRUE(item->isSelected());
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0DM05I01O01");
    EXPECT_EQ(form->ModelBox->currentText(), QStringLiteral("DRUX V1"));
    EXPECT_EQ(form->InPortBox->text(), QStringLiteral("In B"));
    EXPECT_FALSE(form->InPortBox->isEnabled());
    EXPECT_EQ(form->OutPortBox->currentIndex(), 1);
    EXPECT_FALSE(form->OutPortBox->isEnabled());
    EXPECT_TRUE(form->ReSearch->isEnabled());
    EXPECT_TRUE(dialogs.texts.isEmpty());
    // The first-generation unit's controllers map as soon as it is chosen.
    EXPECT_EQ(CcInGuitar[17], 9);
    EXPECT_EQ(driver->sent.back(), (std::pair<int, Bytes>{1, {0xB5, 80, 80}}));
}

TEST_F(ConnectFormTest, ClickingAnotherUnitConnectsIt)
{
    make({"In A", "In B"}, {"Out A", "Out B"});
    FakeUnit first(*driver, 0, 0x0D, 0);
    FakeUnit second(*driver, 1, 0x0D, 1);
    driver->attach(0, &first);
    driver->attach(1, &second);
    form->showModal();
    search->Search();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !search->ScanActive(); }, 3000));
    pump();
    ASSERT_EQ(form->FoundView->topLevelItemCount(), 2);
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0DM00I00O00");

    QTreeWidgetItem* item = form->FoundView->topLevelItem(1);
    EXPECT_EQ(item->text(0), QStringLiteral("Device 2 @ Out B"));
    const QRect r = form->FoundView->visualItemRect(item);
    QTest::mouseClick(form->FoundView->viewport(), Qt::LeftButton, {}, r.center());
    pump();
    EXPECT_EQ(ActiveDevice.DeviceKey, "DEV0DM01I01O01");
    EXPECT_EQ(SavedDevice, ActiveDevice);
    EXPECT_TRUE(form->FoundView->topLevelItem(1)->isSelected());
    EXPECT_EQ(form->InPortBox->text(), QStringLiteral("In B"));
    EXPECT_EQ(driver->sent.back(), (std::pair<int, Bytes>{1, {0xB1, 80, 80}}));
}

TEST_F(ConnectFormTest, NothingFoundAsksAboutThruAndAbortGivesTheVirtualUnit)
{
    make({"In A"}, {"Out A"});
    form->showModal();
    search->Search();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !dialogs.texts.isEmpty(); }, 3000));
    pump();
    EXPECT_EQ(dialogs.texts, QStringList{QString::fromLatin1(ThruWarningText)});
    EXPECT_FALSE(search->ScanActive());
    EXPECT_EQ(form->ModelBox->currentText(), QStringLiteral("DRUX 2 (virtual)"));
    EXPECT_TRUE(form->OutPortBox->isEnabled());
    EXPECT_EQ(form->OutPortBox->currentIndex(), 0);
    EXPECT_EQ(form->InPortBox->text(), QStringLiteral("In A"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ConnectFormTest, ModelBoxChoosesAVirtualUnitAndKeepsOnlyItsEntries)
{
    make({"In A"}, {"Out A", "Out B"});
    form->showModal();
    form->ModelBox->setCurrentIndex(5);
    emit form->ModelBox->activated(5);
    EXPECT_EQ(ActiveDevice.Model, 0x13);
    EXPECT_EQ(ActiveDevice.SubModel, 5);
    EXPECT_EQ(form->ModelBox->currentText(), QStringLiteral("BASS DRUX PRO (virtual)"));

    form->ModelBox->lineEdit()->setText(QStringLiteral("my own bass"));
    emit form->ModelBox->lineEdit()->editingFinished();
    EXPECT_EQ(form->ModelBox->currentText(), QStringLiteral("BASS DRUX PRO (virtual)"));

    emit form->OutPortBox->activated(1);
    EXPECT_EQ(ActiveDevice.MidiOut, 1);
    EXPECT_EQ(SavedDevice.MidiOut, 1);
}

TEST_F(ConnectFormTest, OnlyCloseAndTheTitleBarCloseTheWindowCentredOnTheDesktop)
{
    ApplicationFilter keys;
    qApp->installEventFilter(&keys);
    mainWindow.setGeometry(10, 10, 300, 200);
    mainWindow.show();
    make({"In A"}, {"Out A", "Out B"}, &mainWindow);
    FakeUnit unit(*driver, 0, 0x11, 0);
    driver->attach(1, &unit);
    search->Search();
    ASSERT_TRUE(search->ScanActive());
    form->showModal();
    ASSERT_GE(ActiveDevice.MidiOut, 0);
    EXPECT_EQ(form->OutPortBox->currentIndex(), ActiveDevice.MidiOut) << "the port being searched";
    const QPoint off = form->geometry().center() - QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE(off.manhattanLength(), 8) << "the window frame aside";
    ASSERT_TRUE(QTest::qWaitFor([this] { return !search->ScanActive(); }, 3000));
    pump();
    ASSERT_TRUE(form->KnbTunerBypassVolume->isEnabled());

    const std::vector<QWidget*> places{form->KnbTunerBypassVolume, form->ChanEdit, form->ReSearch, form->NameBox,
                                       form->FoundView};
    for (QWidget* w : places) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(w, Qt::Key_Return);
        pump();
        EXPECT_TRUE(form->isVisible()) << w->objectName().toStdString();
    }
    EXPECT_FALSE(OpenIniFile()->contains(QStringLiteral("Last/Device"))) << "nothing committed";

    // The title bar's close commits like Close.
    form->close();
    pump();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(OpenIniFile()->value(QStringLiteral("Last/Device")).toString(), QStringLiteral("DEV11M00I00O01"));
    qApp->removeEventFilter(&keys);
}

TEST_F(ConnectFormTest, HintsOfTheControlsReachTheStatusBar)
{
    make({"In A"}, {"Out A"});
    QStatusTipEvent tip(form->FoundView->statusTip());
    QApplication::sendEvent(form, &tip);
    EXPECT_EQ(form->HintPanel->text(), QStringLiteral("Select the Drux to control"));
    EXPECT_EQ(form->ReSearch->statusTip(), QStringLiteral("Rescan for connected Drux'S"));
    EXPECT_EQ(form->StopScan->statusTip(), QStringLiteral("Stop scanning"));
}

TEST_F(ConnectFormTest, ClosingPersistsTheVirtualUnitAndReadsNothing)
{
    make({"In A"}, {"Out A"});
    FakeUnit unit(*driver, 0, 0x11, 0);
    driver->attach(0, &unit);
    form->showModal();
    search->ChooseVirtualUnit(3);
    QTest::mouseClick(form->CloseButt, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    auto ini = OpenIniFile();
    EXPECT_EQ(ini->value(QStringLiteral("Last/Device")).toString(), QStringLiteral("DEV0"));
    EXPECT_EQ(ini->value(QStringLiteral("DEV0/SubModel")).toInt(), 3);
    EXPECT_EQ(ini->value(QStringLiteral("DEV0/Model")).toInt(), 17);
    EXPECT_EQ(unit.memoryRequests, 0);
}

// ---- the whole program ----

class ProgramStart : public ::testing::Test {
protected:
    void writeIni(const QByteArray& text)
    {
        QFile f(state.iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    void SetUp() override
    {
        ASSERT_TRUE(state.valid() && dir.isValid());
        // The working folder, where the backups of every read go, is the
        // test's own.
        writeIni("[Last]\nPrefCount=1\nPref=PREF0\n\n[PREF0]\nName=Test\nDir=" + dir.path().toUtf8() + "\n\n");
        dialogs.answer = QMessageBox::Abort;
    }
    void TearDown() override { program.reset(); }
    void start()
    {
        auto d = std::make_unique<LoopbackDriver>(std::vector<std::string>{"Unit In"},
                                                  std::vector<std::string>{"Unit Out"});
        driver = d.get();
        unit = std::make_unique<FakeUnit>(*driver, 0, 0x11, 2);
        driver->attach(0, unit.get());
        program = std::make_unique<Program>(std::move(d));
        program->start();
    }

    ProgramState state;
    QTemporaryDir dir;
    AnsweringDialogs dialogs;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<FakeUnit> unit;
    std::unique_ptr<Program> program;
};

TEST_F(ProgramStart, WithoutALastUnitTheConfigurationWindowSearchesAndClosingReadsTheMemory)
{
    start();
    TConnectForm* form = program->connectForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(form->isModal());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !program->search().ScanActive(); }, 3000));
    pump();
    EXPECT_EQ(ActiveDevice.DeviceName, "STAGE RIG");
    EXPECT_EQ(program->deviceForm()->windowTitle(), QStringLiteral("BRAXEL DRUX Device :STAGE RIG"));
    EXPECT_EQ(unit->memoryRequests, 0);

    form->CloseButt->click();
    pump();
    EXPECT_EQ(unit->memoryRequests, 1);
    QTableWidget& grid = *program->deviceForm()->PresetGrid;
    EXPECT_EQ(grid.item(1, 1)->text(), QStringLiteral("SIM 0           "));
    EXPECT_EQ(grid.item(25, 5)->text(), QStringLiteral("SIM 124         "));
    EXPECT_EQ(grid.item(3, 2)->text(), QStringLiteral("SIM 11          "));
    auto ini = OpenIniFile();
    EXPECT_EQ(ini->value(QStringLiteral("Last/Device")).toString(), QStringLiteral("DEV11M02I00O00"));
    EXPECT_EQ(ini->value(QStringLiteral("DEV11M02I00O00/MidiChan")).toInt(), 2);
    EXPECT_TRUE(dialogs.texts.isEmpty());

    // A program change from the unit selects its cell.
    driver->inject(0, {0xC2, 7});
    pump();
    EXPECT_EQ(program->deviceForm()->Selection(), QRect(QPoint(3, 2), QPoint(3, 2)));
}

TEST_F(ProgramStart, TheLastUnitIsReconnectedWithoutTheWindowAndRead)
{
    writeIni("[Last]\nDevice=DEV11M02I00O00\nPrefCount=1\nPref=PREF0\n\n[PREF0]\nName=Test\nDir=" +
             dir.path().toUtf8() +
             "\n\n[DEV11M02I00O00]\nModel=17\nMidiIn=0\nMidiOut=0\nMidiDevice=2\nMidiChan=2\nSubModel=1\n");
    start();
    pump();
    EXPECT_FALSE(program->connectForm()->isVisible());
    EXPECT_EQ(unit->memoryRequests, 1);
    EXPECT_EQ(ActiveDevice.DeviceName, "STAGE RIG");
    EXPECT_EQ(program->deviceForm()->PresetGrid->item(2, 1)->text(), QStringLiteral("SIM 5           "));

    // The read left one backup of the unit, its memory byte for byte.
    const auto backups = backup::ListBackups(dir.filePath(QStringLiteral("Backups")), "DEV11M02I00O00");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_TRUE(QFileInfo(backups[0].path).fileName().startsWith(QStringLiteral("STAGE RIG 20")));
    backup::MemoryImages kept;
    ASSERT_TRUE(backup::ReadBackup(backups[0].path, kept));
    std::vector<uint8_t> expected;
    for (int slot = 0; slot < 125; ++slot) {
        expected.insert(expected.end(), 32, 0x00);
        const std::string name = "SIM " + std::to_string(slot) + std::string(16, ' ');
        expected.insert(expected.end(), name.begin(), name.begin() + 16);
    }
    EXPECT_TRUE(kept.bytes == expected);
}

} // namespace
