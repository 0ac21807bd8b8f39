#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include "support/AnsweringDialogs.h"
#include "app/ApplicationFilter.h"
#include "controls/CustomControl.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "files/Preferences.h"
#include "midi/DeviceSearch.h"
#include "midi/LoopbackDriver.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/Protocol.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "settings/ConnectForm.h"
#include "settings/SettingsTexts.h"
#include "support/ProgramState.h"

namespace {

using Bytes = std::vector<uint8_t>;

// ---- the texts and rules without a window ----

TEST(SettingsTexts, DescriptionsFollowTheGroupOfEachModel)
{
    const struct {
        int subModel, value;
        const char* text;
    } rows[] = {
        {0, 4, "unused"},
        {1, 5, "unused"},
        {3, 1, "Left  = Dry Amp + CabSim\nRight = Amp + Cab + FX modeling"},
        {4, 4, "Left  = HiPass, Amp +  FX + LiveEQ\nRight = noFX, LoPass"},
        {5, 1, "Left  = Amp+ CabSim +FX, Hi Pass\nRight = noFX, LoPass"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ConfigurationDescription(r.subModel, r.value), QString::fromLatin1(r.text))
            << r.subModel << "/" << r.value;
    // Outside the table there is nothing to describe.
    EXPECT_TRUE(ConfigurationDescription(7, 0).isEmpty());
    EXPECT_TRUE(ConfigurationDescription(-1, 0).isEmpty());
    EXPECT_TRUE(ConfigurationDescription(4, 6).isEmpty());
    EXPECT_TRUE(ConfigurationDescription(4, -1).isEmpty());
}

TEST(SettingsTexts, TunerCalibrationTextsInHertzAndMidi)
{
    EXPECT_EQ(TunerCenterToText(15, 1), QStringLiteral("440 Hz"));
    EXPECT_EQ(TunerCenterToText(0, 0), QStringLiteral("425 Hz"));
    EXPECT_EQ(TunerCenterToText(15, TimeUnitMidi), QStringLiteral("40"));

    const struct {
        const char* typed;
        int timeUnit;
        int expected;
    } rows[] = {
        {"440 hz", 1, 15},     {"440Hz", 1, 15},      {"440 HZ", 0, 15},    {" 455 ", 1, 30},
        {"430 kHz", 1, 7},     {"abc", 1, 7},         {"", 1, 7},           {"H440", 1, 7},
        {"44o Hz", 1, 7},      {"40", TimeUnitMidi, 15}, {" 25 ", TimeUnitMidi, 0},
        {"440 Hz", TimeUnitMidi, 7},                  {"4.5", TimeUnitMidi, 7},
        // Far below the range the value clamps later; it must not wrap.
        {"-2147483648", 1, INT_MIN},
    };
    for (const auto& r : rows) {
        int v = 7;
        TunerCenterFromText(QString::fromLatin1(r.typed), r.timeUnit, v);
        EXPECT_EQ(v, r.expected) << "'" << r.typed << "' in time unit " << r.timeUnit;
    }
}

TEST(SettingsTexts, PlainValuesAndHelpAnchors)
{
    EXPECT_EQ(ValToTextMidi(127), QStringLiteral("127"));
    const struct {
        const char* typed;
        int expected;
    } rows[] = {{" 64 ", 64}, {"0", 0}, {"6x", 9}, {"", 9}, {"0x10", 9}, {"-3", -3}};
    for (const auto& r : rows) {
        int v = 9;
        TextToValMidi(QString::fromLatin1(r.typed), v);
        EXPECT_EQ(v, r.expected) << r.typed;
    }
    EXPECT_EQ(ConnectHelpAnchor(1), QStringLiteral("#T1H10"));
    EXPECT_EQ(ConnectHelpAnchor(2), QStringLiteral("#T1H30"));
    EXPECT_EQ(ConnectHelpAnchor(6), QStringLiteral("#T2H40"));
    EXPECT_EQ(ConnectHelpAnchor(10), QStringLiteral("#T2H80"));
    EXPECT_EQ(ConnectHelpAnchor(0), QStringLiteral("#T1H00"));
    EXPECT_EQ(ConnectHelpAnchor(11), QStringLiteral("#T1H00"));
}

// ---- the window ----

// A unit on output 0 that answers on input 0: identify reply with the given
// identity, name reply "STAGE RIG".
class FakeUnit : public LoopbackPeer {
public:
    FakeUnit(LoopbackDriver& d, int model, int device, std::string identity)
        : driver(d), model(static_cast<uint8_t>(model)), device(static_cast<uint8_t>(device)),
          identity(std::move(identity))
    {
    }
    void received(int, const Bytes& m) override
    {
        if (m == Bytes{0xF0, 0x00, 0x20, 0x32, 0x7F, 0x7F, 0x01, 0xF7}) {
            Bytes reply{0xF0, 0x00, 0x20, 0x32, device, model, 0x02};
            reply.insert(reply.end(), identity.begin(), identity.end());
            reply.push_back(0xF7);
            driver.inject(0, reply);
        } else if (m == Bytes{0xF0, 0x00, 0x20, 0x32, device, model, 0x65, 0xF7}) {
            Bytes reply{0xF0, 0x00, 0x20, 0x32, device, model, 0x25};
            for (char c : std::string("STAGE RIG       "))
                reply.push_back(static_cast<uint8_t>(c));
            reply.push_back(0xF7);
            driver.inject(0, reply);
        }
    }
    LoopbackDriver& driver;
    uint8_t model, device;
    std::string identity;
};

void pump()
{
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();
}

void keyUp(QWidget* w, int key)
{
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

void key(QWidget* w, int key)
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    keyUp(w, key);
}

class SettingsAreaTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(state.valid());
        TWC_CustomControl::SetModul(ModuleTable);
        dialogs.answer = QMessageBox::Abort;
        driver = new LoopbackDriver({"In A"}, {"Out A", "Out B"});
        ports = std::make_unique<MidiPorts>(std::unique_ptr<MidiDriver>(driver));
        protocol = std::make_unique<Protocol>(*ports);
        link = std::make_unique<PortsUnitLink>(*ports, protocol.get());
        SetUnitLink(link.get());
        search = std::make_unique<DeviceSearch>(*ports);
        ConnectSearchToProtocol(*search, *protocol);
        search->readWholeMemory = [] {};
        ports->SetInputHandler([this](int port, const Bytes& m) {
            if (!m.empty() && m[0] == 0xF0)
                protocol->HandleSysexIn(port, m);
        });
        ConnectServices services;
        services.ports = ports.get();
        services.search = search.get();
        services.protocol = protocol.get();
        services.openHelp = [this](const QString& anchor) { helpOpened << anchor; };
        // The program's key filter: Enter and Escape reach the edit fields as
        // their confirm and cancel keys.
        services.installMessageFilter = [this] { qApp->installEventFilter(&keys); };
        form = new TConnectForm(services);
        form->showModal();
        QApplication::setActiveWindow(form);
        pump();
    }
    void TearDown() override
    {
        delete form;
        qApp->removeEventFilter(&keys);
        SetUnitLink(nullptr);
        search.reset();
        link.reset();
        protocol.reset();
        ports.reset();
    }

    // A virtual unit of the SubModel, settled, with nothing sent yet.
    void chooseVirtual(int subModel)
    {
        form->ModelBox->setCurrentIndex(subModel);
        emit form->ModelBox->activated(subModel);
        FlushPending();
        driver->sent.clear();
    }
    // Searches and connects the one unit at output 0.
    void findUnit(int model, int device, const std::string& identity)
    {
        unit = std::make_unique<FakeUnit>(*driver, model, device, identity);
        driver->attach(0, unit.get());
        search->Search();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !search->ScanActive(); }, 3000));
        pump();
        ASSERT_EQ(search->Selected(), 0);
        FlushPending();
        driver->sent.clear();
    }
    // The user opens a list, walks to entry v with the arrow keys and takes
    // it with Enter.
    static void pick(QComboBox* box, int v)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_F4);
        QAbstractItemView* view = box->view();
        ASSERT_TRUE(view->isVisible());
        QTest::keyClick(view, Qt::Key_Home);
        for (int i = 0; i < v; ++i)
            QTest::keyClick(view, Qt::Key_Down);
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }
    // Types a text into a knob's value label and confirms it.
    void typeValue(QLabel* label, const QString& text)
    {
        QTest::mouseClick(label, Qt::LeftButton);
        QLineEdit* edit = TWC_CustomControl::ValEdit();
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(edit->isVisible());
        edit->setText(text);
        QTest::keyClick(edit, Qt::Key_Return);
        FlushPending();
    }
    std::vector<Bytes> sentBytes() const
    {
        std::vector<Bytes> out;
        for (const auto& [port, bytes] : driver->sent)
            out.push_back(bytes);
        return out;
    }

    ProgramState state{ModelDrux2};
    AnsweringDialogs dialogs;
    ApplicationFilter keys;
    LoopbackDriver* driver = nullptr;
    std::unique_ptr<MidiPorts> ports;
    std::unique_ptr<Protocol> protocol;
    std::unique_ptr<PortsUnitLink> link;
    std::unique_ptr<DeviceSearch> search;
    std::unique_ptr<FakeUnit> unit;
    TConnectForm* form = nullptr;
    QStringList helpOpened;
};

TEST_F(SettingsAreaTest, ControlsShownFollowTheModel)
{
    enum List { None, Drux2List, GuitarList, BassList };
    const struct {
        int subModel;
        List list;
        bool inputGain;
        bool digitalOut;
        int modix;
    } rows[] = {
        {0, None, false, false, ModixGlobal},      {1, Drux2List, false, false, ModixGlobal},
        {2, GuitarList, false, true, ModixGlobal}, {3, GuitarList, false, false, ModixGlobal},
        {4, BassList, true, false, ModixBassGlobal}, {5, BassList, true, true, ModixBassGlobal},
        {6, BassList, true, false, ModixBassGlobal},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.subModel);
        chooseVirtual(r.subModel);
        EXPECT_EQ(!form->KnbConfiguration->isHidden(), r.list == Drux2List);
        EXPECT_EQ(!form->KnbConfiguration2->isHidden(), r.list == GuitarList);
        EXPECT_EQ(!form->KnbConfiguration3->isHidden(), r.list == BassList);
        EXPECT_EQ(!form->ConfigurationStatusLbl->isHidden(), r.list != None);
        EXPECT_EQ(!form->KnbDigOut->isHidden(), r.digitalOut);
        EXPECT_EQ(!form->lbDigOut->isHidden(), r.digitalOut);
        EXPECT_EQ(form->KnbDigOut->Modix(), r.modix);
        for (TWC_ImgKnob* k : {form->KnbTunerBypassVolume, form->KnbTunerCenterFrequency, form->KnbVolumePedal}) {
            EXPECT_TRUE(k->isEnabled()) << k->objectName().toStdString();
            EXPECT_EQ(k->Modix(), r.modix) << k->objectName().toStdString();
            EXPECT_FALSE(k->ValLabel()->isHidden()) << k->objectName().toStdString();
        }
        EXPECT_EQ(form->KnbInputGain->isEnabled(), r.inputGain);
        EXPECT_EQ(!form->vlInputGain->isHidden(), r.inputGain);
        // A fresh virtual unit starts in configuration 0: no Live EQ anywhere.
        for (TWC_ImgKnob* k : {form->KnbLiveEQBass, form->KnbLiveEQMid, form->KnbLiveEQTreble}) {
            EXPECT_FALSE(k->isEnabled()) << k->objectName().toStdString();
            EXPECT_TRUE(k->ValLabel()->isHidden()) << k->objectName().toStdString();
        }
        EXPECT_FALSE(form->NameBox->isEnabled());
        EXPECT_TRUE(form->ChanEdit->isEnabled());
        EXPECT_TRUE(form->OutPortBox->isEnabled());
        EXPECT_EQ(form->NameBox->text(), QString::fromLatin1(VirtualModelNames[r.subModel]));
    }
}

TEST_F(SettingsAreaTest, RealUnitsOpenTheNameBoxExceptTheFirstGeneration)
{
    findUnit(0x11, 2, "DRUX PRO V1");
    EXPECT_EQ(ActiveDevice.SubModel, 2);
    EXPECT_TRUE(form->NameBox->isEnabled());
    EXPECT_EQ(form->NameBox->text(), QStringLiteral("STAGE RIG"));
    EXPECT_EQ(form->ChanEdit->currentText(), QStringLiteral("3"));
    EXPECT_FALSE(form->KnbConfiguration2->isHidden());
    EXPECT_FALSE(form->KnbDigOut->isHidden());
    EXPECT_FALSE(form->OutPortBox->isEnabled());

    findUnit(0x0D, 1, "DRUX V1");
    EXPECT_EQ(ActiveDevice.Model, 0x0D);
    EXPECT_FALSE(form->NameBox->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{form->KnbConfiguration, form->KnbConfiguration2,
                                                      form->KnbConfiguration3, form->ConfigurationStatusLbl,
                                                      form->KnbDigOut, form->vlLiveEQBass, form->vlInputGain})
        EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(form->KnbLiveEQMid->isEnabled());
    EXPECT_FALSE(form->KnbInputGain->isEnabled());
    EXPECT_TRUE(form->KnbVolumePedal->isEnabled());
}

TEST_F(SettingsAreaTest, SearchBlanksTheArea)
{
    chooseVirtual(5);
    search->Search();
    EXPECT_TRUE(form->KnbConfiguration3->isHidden());
    EXPECT_TRUE(form->KnbDigOut->isHidden());
    EXPECT_FALSE(form->KnbVolumePedal->isEnabled());
    EXPECT_TRUE(form->vlVolumePedal->isHidden());
    EXPECT_TRUE(form->NameBox->text().isEmpty());
    EXPECT_FALSE(form->ChanEdit->isEnabled());
    EXPECT_FALSE(form->ReSearch->isEnabled());
    search->StopScan();
}

TEST_F(SettingsAreaTest, ConfigurationBringsDescriptionLiveEqAndZephra)
{
    const struct {
        int subModel;
        int value;
        const char* description;
        bool liveEq;
        bool zephra;
    } rows[] = {
        {2, 2, "Left  = Dry Amp\nRight = Amp + FX", false, true},
        {1, 2, "Stereo = Amp + Cab + FX modeling\n+ Live EQ", true, false},
        {1, 1, "Left  = Dry Amp + CabSim\nRight = Amp + Cab + FX modeling", false, false},
        {5, 5, "Stereo = Amp Model + FX + Live EQ", true, true},
        {4, 5, "Left  = Amp+Live EQ no CabSim\nRight = w/Cabsim, no Live EQ", true, false},
        {3, 4, "Stereo = Amp Model + FX + Live EQ", true, true},
        {6, 3, "Stereo = Amp + Cab + FX modeling\n+ Live EQ", true, false},
        {4, 2, "Left  = all Amp/Cab/FX models\nRight = DI Signal", false, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << r.subModel << "/" << r.value);
        chooseVirtual(r.subModel);
        TWC_ComboBox* list = form->VisibleConfiguration();
        ASSERT_NE(list, nullptr);
        pick(list, r.value);
        FlushPending();
        EXPECT_EQ(form->ConfigurationStatusLbl->text(), QString::fromLatin1(r.description));
        EXPECT_EQ(form->KnbLiveEQTreble->isEnabled(), r.liveEq);
        EXPECT_EQ(!form->vlLiveEQBass->isHidden(), r.liveEq);
        EXPECT_EQ(!form->imgZephra->isHidden(), r.zephra);
        EXPECT_EQ(!form->ZephraInfo->isHidden(), r.zephra);
        // The choice reaches the unit as the configuration controller.
        EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xB0, 84, static_cast<uint8_t>(r.value)}}));
    }
}

TEST_F(SettingsAreaTest, ConfigurationFromTheUnitUpdatesTheListAndItsDescription)
{
    findUnit(0x13, 0, "BASS DRUX PRO V1");
    Param(BassGlobal::Configuration).SetValFromUnit(4);
    FlushPending();
    EXPECT_EQ(form->KnbConfiguration3->currentText(), QStringLiteral("Live 2"));
    EXPECT_EQ(form->ConfigurationStatusLbl->text(),
              QStringLiteral("Left  = HiPass Amp + FX + LiveEQ\nRight = noFX, LoPass"));
    EXPECT_TRUE(form->KnbLiveEQMid->isEnabled());
    EXPECT_TRUE(sentBytes().empty());

    // A guitar unit afterwards shows its own list with its own value.
    Param(GuitarGlobal::Configuration).SetValFromUnit(1);
    chooseVirtual(2);
    Param(GuitarGlobal::Configuration).SetValFromUnit(1);
    FlushPending();
    EXPECT_EQ(form->KnbConfiguration2->currentText(), QStringLiteral("Studio 2"));
    EXPECT_EQ(form->ConfigurationStatusLbl->text(),
              QStringLiteral("Left  = Dry Amp + CabSim\nRight = Amp + Cab + FX modeling"));
    EXPECT_FALSE(form->KnbLiveEQMid->isEnabled());
}

TEST_F(SettingsAreaTest, KnobsReachTheUnitAsTheirControllers)
{
    const struct {
        int subModel;
        TWC_ImgKnob* TConnectForm::*knob;
        int value;
        Bytes expected;
        const char* text;
    } rows[] = {
        {1, &TConnectForm::KnbVolumePedal, 100, {0xB0, 7, 100}, "100"},
        {1, &TConnectForm::KnbTunerBypassVolume, 5, {0xB0, 82, 5}, "5"},
        {1, &TConnectForm::KnbTunerCenterFrequency, 16, {0xB0, 83, 41}, "441 Hz"},
        {5, &TConnectForm::KnbInputGain, 64, {0xB0, 89, 64}, "64"},
        {5, &TConnectForm::KnbVolumePedal, 3, {0xB0, 7, 3}, "3"},
        {6, &TConnectForm::KnbTunerCenterFrequency, 30, {0xB0, 83, 55}, "455 Hz"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        chooseVirtual(r.subModel);
        TWC_ImgKnob* knob = form->*r.knob;
        knob->SetVal(r.value);
        FlushPending();
        EXPECT_EQ(sentBytes(), std::vector<Bytes>{r.expected});
        EXPECT_EQ(knob->ValLabel()->text(), QString::fromLatin1(r.text));
    }

    // Live EQ on a DRUX 2 in "Live 2".
    chooseVirtual(1);
    pick(form->KnbConfiguration, 3);
    FlushPending();
    driver->sent.clear();
    form->KnbLiveEQBass->SetVal(11);
    form->KnbLiveEQMid->SetVal(22);
    form->KnbLiveEQTreble->SetVal(33);
    FlushPending();
    EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xB0, 87, 11}, {0xB0, 86, 22}, {0xB0, 85, 33}}));
    EXPECT_EQ(form->vlLiveEQMid->text(), QStringLiteral("22"));

    // The digital output of a BASS DRUX PRO.
    chooseVirtual(5);
    pick(form->KnbDigOut, 6);
    FlushPending();
    EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xB0, 88, 6}}));
    EXPECT_EQ(Param(BassGlobal::DigitalOut).GetVal(), 6);
}

TEST_F(SettingsAreaTest, TypedValuesAndBadTextLeaveTheValue)
{
    chooseVirtual(1);
    CurrentPreferences.TimeUnit = 1;
    form->KnbTunerCenterFrequency->SetVal(15);
    FlushPending();
    driver->sent.clear();
    EXPECT_EQ(form->vlTunerCenterFrequency->text(), QStringLiteral("440 Hz"));

    typeValue(form->vlTunerCenterFrequency, QStringLiteral("445 hz"));
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).GetVal(), 20);
    EXPECT_EQ(form->vlTunerCenterFrequency->text(), QStringLiteral("445 Hz"));
    EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xB0, 83, 45}}));
    EXPECT_FALSE(TWC_CustomControl::ValEdit()->isVisible());

    driver->sent.clear();
    typeValue(form->vlTunerCenterFrequency, QStringLiteral("four forty"));
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).GetVal(), 20);
    EXPECT_EQ(form->vlTunerCenterFrequency->text(), QStringLiteral("445 Hz"));
    EXPECT_TRUE(sentBytes().empty());

    // Out of range is clamped, not refused.
    typeValue(form->vlTunerCenterFrequency, QStringLiteral("500 Hz"));
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).GetVal(), 30);

    typeValue(form->vlVolumePedal, QStringLiteral(" 99 "));
    EXPECT_EQ(Param(GuitarGlobal::MasterVolume).GetVal(), 99);
    typeValue(form->vlVolumePedal, QStringLiteral("9 9"));
    EXPECT_EQ(Param(GuitarGlobal::MasterVolume).GetVal(), 99);
    typeValue(form->vlVolumePedal, QStringLiteral("400"));
    EXPECT_EQ(Param(GuitarGlobal::MasterVolume).GetVal(), 127);
    EXPECT_EQ(form->vlVolumePedal->text(), QStringLiteral("127"));

    // With Time Unit "MIDI" the calibration shows and takes the controller value.
    CurrentPreferences.TimeUnit = TimeUnitMidi;
    form->KnbTunerCenterFrequency->SetVal(15);
    FlushPending();
    EXPECT_EQ(form->vlTunerCenterFrequency->text(), QStringLiteral("40"));
    typeValue(form->vlTunerCenterFrequency, QStringLiteral("30"));
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).GetVal(), 5);
    EXPECT_EQ(form->vlTunerCenterFrequency->text(), QStringLiteral("30"));
    typeValue(form->vlTunerCenterFrequency, QStringLiteral("440 Hz"));
    EXPECT_EQ(Param(GuitarGlobal::TunerCenter).GetVal(), 5);
}

TEST_F(SettingsAreaTest, RenameIsCutToSixteenAndSentInTheUnitsCharacters)
{
    findUnit(0x11, 2, "DRUX 2 V1");
    form->NameBox->setFocus();
    form->NameBox->setText(QString::fromLatin1("\xC4rger mit dem Verst\xE4rker"));
    QTest::keyClick(form->NameBox, Qt::Key_Return);
    EXPECT_EQ(ActiveDevice.DeviceName, "\xC4rger mit dem Ve");
    EXPECT_EQ(form->NameBox->text(), QString::fromLatin1("\xC4rger mit dem Ve"));
    EXPECT_EQ(form->NameBox->selectedText(), form->NameBox->text());
    const Bytes setName{0xF0, 0x00, 0x20, 0x32, 0x02, 0x11, 0x25, '[', 'r', 'g', 'e', 'r', ' ', 'm',
                        'i',  't',  ' ',  'd',  'e',  'm',  ' ',  'V', 'e', 0xF7};
    EXPECT_EQ(sentBytes(), std::vector<Bytes>{setName});
    // The recognised list shows and keeps the new name.
    EXPECT_EQ(form->FoundView->topLevelItem(0)->text(0), QString::fromLatin1("\xC4rger mit dem Ve"));
    EXPECT_EQ(search->Units()[0].DeviceName, ActiveDevice.DeviceName);

    // Escape puts back what was there on entry; an empty box gets the name back.
    form->CloseButt->setFocus();
    form->NameBox->setFocus();
    driver->sent.clear();
    form->NameBox->setText(QStringLiteral("typo"));
    // Another window coming and going in between changes nothing.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QApplication::setActiveWindow(form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    ASSERT_TRUE(form->NameBox->hasFocus());
    EXPECT_EQ(form->NameBox->text(), QStringLiteral("typo"));
    QTest::keyClick(form->NameBox, Qt::Key_Escape);
    EXPECT_EQ(form->NameBox->text(), QString::fromLatin1("\xC4rger mit dem Ve"));
    form->NameBox->clear();
    form->CloseButt->setFocus();
    EXPECT_EQ(form->NameBox->text(), QString::fromLatin1("\xC4rger mit dem Ve"));
    EXPECT_EQ(ActiveDevice.DeviceName, "\xC4rger mit dem Ve");
}

TEST_F(SettingsAreaTest, RenameWithoutASelectedUnitStaysLocal)
{
    findUnit(0x13, 0, "BASS DRUX V1");
    search->SelectItem(-1);
    ASSERT_TRUE(form->NameBox->isEnabled());
    form->NameBox->setFocus();
    form->NameBox->setText(QStringLiteral("LOCAL"));
    form->CloseButt->setFocus();
    EXPECT_EQ(ActiveDevice.DeviceName, "LOCAL");
    EXPECT_TRUE(sentBytes().empty());
    EXPECT_EQ(search->Units()[0].DeviceName, "STAGE RIG");
}

TEST_F(SettingsAreaTest, DeleteKeyRemovesOneCharacterOnItsRelease)
{
    findUnit(0x11, 2, "DRUX 2 V1");
    form->NameBox->setFocus();
    form->NameBox->setCursorPosition(0);
    key(form->NameBox, Qt::Key_Delete);
    EXPECT_EQ(form->NameBox->text(), QStringLiteral("TAGE RIG"));
    form->NameBox->setSelection(0, 5);
    key(form->NameBox, Qt::Key_Delete);
    EXPECT_EQ(form->NameBox->text(), QStringLiteral("RIG"));
}

TEST_F(SettingsAreaTest, ChannelChangeGoesToTheOldIdAndThenAddressesTheNewOne)
{
    findUnit(0x11, 2, "DRUX 2 V1");
    pick(form->ChanEdit, 5);
    EXPECT_EQ(ActiveDevice.MidiChan, 5);
    EXPECT_EQ(ActiveDevice.MidiDevice, 5);
    EXPECT_EQ(search->Units()[0].MidiChan, 5);
    form->KnbVolumePedal->SetVal(90);
    FlushPending();
    EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xF0, 0x00, 0x20, 0x32, 0x02, 0x11, 0x22, 0x05, 0xF7},
                                              {0xB5, 7, 90}}));
    // Not committed before the window closes.
    EXPECT_EQ(SavedDevice.MidiChan, 2);
}

TEST_F(SettingsAreaTest, OutPortTunerButtonAndHelpKey)
{
    chooseVirtual(1);
    pick(form->OutPortBox, 1);
    form->TunerBut->click();
    ASSERT_FALSE(driver->sent.empty());
    EXPECT_EQ(driver->sent.back(), (std::pair<int, Bytes>{1, {0xC0, 127}}));

    // F1 anywhere opens the page of the focused control.
    pick(form->KnbConfiguration, 2);
    FlushPending();
    const std::pair<QWidget*, const char*> rows[] = {
        {form->ChanEdit, "#T1H10"},
        {form->KnbLiveEQMid, "#T2H60"},
        {form->KnbTunerCenterFrequency, "#T2H20"},
        {form->KnbConfiguration, "#T2H40"},
        {form->CloseButt, "#T1H00"},
    };
    for (const auto& [control, anchor] : rows) {
        control->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), control) << anchor;
        helpOpened.clear();
        keyUp(control, Qt::Key_F1);
        EXPECT_EQ(helpOpened, QStringList{QString::fromLatin1(anchor)});
    }
}

// The frame tick sleeps while nothing is pending. A knob turned by the user
// wakes it: however many values the drag passes before the next boundary of
// the 33 ms grid, one controller with the last of them goes out at that tick.
TEST_F(SettingsAreaTest, TheFrameTickSleepsUntilAKnobTurnAndSendsItWithinOneFrame)
{
    chooseVirtual(1);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !form->FrameTimer.isActive(); }, 2000));
    pump();
    EXPECT_FALSE(form->FrameTimer.isActive());

    const int mouseDir = TWC_CustomControl::MouseDir;
    TWC_CustomControl::MouseDir = ModeVertical;
    TWC_ImgKnob* knob = form->KnbVolumePedal;
    const QPoint centre = knob->rect().center();
    auto mouse = [knob](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent e(type, at, knob->mapToGlobal(at), button, held, Qt::NoModifier);
        QApplication::sendEvent(knob, &e);
    };
    const int before = Param(GuitarGlobal::MasterVolume).GetVal();
    mouse(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    for (int dy = 1; dy <= 40; ++dy)
        mouse(QEvent::MouseMove, centre - QPoint(0, dy), Qt::NoButton, Qt::LeftButton);
    const int turned = Param(GuitarGlobal::MasterVolume).GetVal();
    ASSERT_GT(turned, before + 1);
    EXPECT_TRUE(form->FrameTimer.isActive());
    EXPECT_LE(form->FrameTimer.remainingTime(), TConnectForm::FrameMs);
    EXPECT_TRUE(driver->sent.empty());
    EXPECT_TRUE(QTest::qWaitFor([this] { return !driver->sent.empty(); }, 1000));
    mouse(QEvent::MouseButtonRelease, centre - QPoint(0, 40), Qt::LeftButton, Qt::NoButton);
    pump();
    TWC_CustomControl::MouseDir = mouseDir;
    EXPECT_EQ(sentBytes(), (std::vector<Bytes>{{0xB0, 7, static_cast<uint8_t>(turned)}}));
    EXPECT_TRUE(QTest::qWaitFor([this] { return !form->FrameTimer.isActive(); }, 2000));
}

TEST_F(SettingsAreaTest, KnobCaptionsShowTheirWholeText)
{
    chooseVirtual(5);
    for (const char* name : {"lbTunerBypassVolume", "lbTunerCenterFrequency", "lbVolumePedal", "lbInputGain",
                             "lbLiveEQBass", "lbLiveEQMid", "lbLiveEQTreble"}) {
        SCOPED_TRACE(name);
        auto* caption = form->findChild<QLabel*>(QString::fromLatin1(name));
        ASSERT_NE(caption, nullptr);
        EXPECT_LE(QFontMetrics(caption->font()).horizontalAdvance(caption->text()), caption->width());
        EXPECT_TRUE(form->rect().contains(caption->geometry()));
    }
    // "Master Volume" keeps inside the column of its knob: between the
    // dividers at x 146 and 268.
    auto* master = form->findChild<QLabel*>(QStringLiteral("lbVolumePedal"));
    EXPECT_EQ(master->text(), QStringLiteral("Master Volume"));
    const int half = QFontMetrics(master->font()).horizontalAdvance(master->text()) / 2;
    EXPECT_GT(master->geometry().center().x() - half, 146);
    EXPECT_LT(master->geometry().center().x() + half, 268);
}

TEST_F(SettingsAreaTest, Screenshot)
{
    const QByteArray out = qgetenv("DRUX_SCREENSHOT_DIR");
    if (out.isEmpty())
        GTEST_SKIP() << "set DRUX_SCREENSHOT_DIR to keep pictures of the configuration window";
    findUnit(0x11, 2, "DRUX PRO V1");
    pick(form->KnbConfiguration2, 4);
    FlushPending();
    pump();
    EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/configuration-guitar.png")));
    findUnit(0x13, 0, "BASS DRUX PRO V1");
    Param(BassGlobal::Configuration).SetValFromUnit(5);
    FlushPending();
    pump();
    EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/configuration-bass.png")));
    chooseVirtual(0);
    pump();
    EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(out) + QStringLiteral("/configuration-drux.png")));
}

} // namespace
