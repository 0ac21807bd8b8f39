#include "app/Program.h"

#include <QApplication>

#include "app/AppIcon.h"
#include "app/ApplicationFilter.h"
#include "shell/HelpPage.h"
#include "monitor/MidiMonitorForm.h"
#include "shell/MessageService.h"
#include "app/SplashForm.h"
#include "controls/CustomControl.h"
#include "editor/BassEditorForm.h"
#include "editor/EditorForm.h"
#include "files/Backups.h"
#include "files/IniFile.h"
#include "librarian/DeviceForm.h"
#include "librarian/LibrarianActions.h"
#include "librarian/LibraryForm.h"
#include "librarian/PrintPages.h"
#include "librarian/Printing.h"
#include "librarian/StoreForm.h"
#include "midi/DeviceSearch.h"
#include "midi/MidiPorts.h"
#include "midi/PortsUnitLink.h"
#include "midi/RtMidiDriver.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/EditorLink.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"
#include "files/Preferences.h"
#include "settings/ConnectForm.h"
#include "settings/PrefsForm.h"

// The editor of one family as the model sees it.
class Program::FamilyEditorLink : public EditorLink {
public:
    FamilyEditorLink(Program& program, bool bass) : program(program), bass(bass) {}

    bool exists() override { return editor() != nullptr; }
    bool visible() override { return editor() && editor()->isVisible(); }
    std::string presetName() override { return editor() ? editor()->PresetNameText() : std::string(); }
    void showUnitPresetName(const std::string& name) override
    {
        if (editor())
            editor()->ShowPresetName(name);
        if (program.DeviceForm)
            program.DeviceForm->ShowCurrentPresetName(
                QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
    }
    void tookOriginal() override
    {
        if (editor())
            editor()->TookOriginal();
    }
    void startChangedTimer() override
    {
        if (editor())
            editor()->EnableChangedTimer();
    }
    void stopChangedTimer() override
    {
        if (editor())
            editor()->StopChangedTimer();
    }

private:
    TEditorFormBase* editor() const { return program.editorFor(bass); }

    Program& program;
    const bool bass;
};

int RunGuarded(MessageService& messages, const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& e) {
        messages.error(nullptr, QString::fromLocal8Bit(e.what()));
    } catch (...) {
        messages.error(nullptr, QStringLiteral("Unknown error"));
    }
    return 0;
}

Program::Program(std::unique_ptr<MidiDriver> driver, ProgramShell shell)
    : ownMessages(shell.messages ? nullptr : std::make_unique<MessageService>())
    , ownHelp(shell.help ? nullptr : std::make_unique<HelpOpener>())
    , Messages(shell.messages ? shell.messages : ownMessages.get())
    , Help(shell.help ? shell.help : ownHelp.get())
    , Services{*Messages, *Help, CurrentPreferences, PreferenceSets}
    , Librarian(std::make_unique<LibrarianActions>())
{
    // Shown and painted at once, so that it is visible while the rest is built.
    Splash = new TSplashForm;
    Splash->setAttribute(Qt::WA_DeleteOnClose, false);
    Splash->show();
    Splash->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Every window shows the program's icon, the splash too from here on.
    QApplication::setWindowIcon(AppIcon::Icon());

    DataFormatVersion = CurrentDataFormatVersion;
    if (!driver)
        driver = std::make_unique<RtMidiDriver>("Drux Editor");
    Ports = std::make_unique<MidiPorts>(std::move(driver));
}

void Program::start()
{
    CreateModules();
    TWC_CustomControl::SetModul(ModuleTable);
    CreateRecords();
    QApplication::setApplicationDisplayName(QStringLiteral("Drux Editor"));

    DeviceForm = new TDeviceForm(Services, *Librarian);
    DeviceForm->setAttribute(Qt::WA_DeleteOnClose, false);
    SetMemoryView(this);
    guitarLink = std::make_unique<FamilyEditorLink>(*this, false);
    bassLink = std::make_unique<FamilyEditorLink>(*this, true);
    SetEditorLink(false, guitarLink.get());
    SetEditorLink(true, bassLink.get());
    SetPreferencesObserver([this] { preferencesChanged(); });

    EditorServices editorServices;
    editorServices.sendProgramChange = [this](int program) { Ports->SendProgramChange(program); };
    editorServices.currentSlot = [this] { return DeviceForm->CurrentSlot(); };
    GuitarEditor = new TEditorForm(Services, editorServices);
    EditorServices bassServices = editorServices;
    bassServices.sendNoteOn = [this](int note, int velocity) { Ports->SendNoteOn(note, velocity); };
    bassServices.sendNoteOff = [this](int note, int velocity) { Ports->SendNoteOff(note, velocity); };
    BassEditor = new TBassEditF(Services, bassServices);
    for (TEditorFormBase* editor : {editorFor(false), editorFor(true)})
        connect(editor, &TEditorFormBase::helpRequested, this, [this](const QString& anchor) { Help->open(anchor); });
    connect(DeviceForm, &TDeviceForm::editorRequested, this, [this](bool bass, const QString& name) {
        openEditor(bass, name, QString(), PresetSource::Unit);
    });

    // The library window, with the start-up snapshot that enables Undo.
    LibraryForm = new TLibraryForm(Services, *Librarian);
    connect(DeviceForm, &TDeviceForm::libraryWindowRequested, LibraryForm, [this] {
        LibraryForm->show();
        LibraryForm->raise();
        LibraryForm->activateWindow();
    });
    connect(DeviceForm, &TDeviceForm::closeLibraryRequested, LibraryForm, &QWidget::close);
    connect(DeviceForm, &TDeviceForm::libraryOpened, LibraryForm, &TLibraryForm::LibraryOpened);
    connect(DeviceForm, &TDeviceForm::librarySaved, LibraryForm, &TLibraryForm::LibrarySaved);
    connect(DeviceForm, &TDeviceForm::sysexImported, LibraryForm, &TLibraryForm::SysexImported);
    connect(DeviceForm, &TDeviceForm::libraryListChanged, LibraryForm, &TLibraryForm::RefillPresetList);
    DeviceForm->libraryWindowVisible = [this] { return LibraryForm->isVisible(); };
    connect(LibraryForm, &TLibraryForm::editorRequested, this,
            [this](bool bass, const QString& name, const QString& caption) {
                // Without a file to name, the editor keeps its caption.
                openEditor(bass, name, caption.isEmpty() ? editorFor(bass)->windowTitle() : caption,
                           PresetSource::Library);
            });

    // Closing the main window asks the editors and the library window first.
    DeviceForm->closeQuery = [this] {
        for (TEditorFormBase* editor : {editorFor(false), editorFor(true)})
            if (editor->isVisible() && !editor->FormCloseQuery())
                return false;
        if (!LibraryForm->FormCloseQuery())
            return false;
        GuitarEditor->CloseWithoutQuery();
        BassEditor->CloseWithoutQuery();
        LibraryForm->hide();
        return true;
    };

    Proto = std::make_unique<Protocol>(*Ports);
    Proto->setUi(this);
    Link = std::make_unique<PortsUnitLink>(*Ports, Proto.get());
    SetUnitLink(Link.get());
    Search = std::make_unique<DeviceSearch>(*Ports);
    ConnectSearchToProtocol(*Search, *Proto);
    // Every complete read of a real unit keeps its memory among the backups
    // (once per change: an unchanged memory writes nothing).
    Proto->hooks.memoryRead = [] {
        if (backup::BackUpActiveUnit(CurrentPreferences.Dir, ExportDeviceNumber()).outcome == backup::Outcome::Failed)
            TraceLine(0, "Unable to back up the memory of %s", ActiveDevice.DeviceKey.c_str());
    };

    Filter = new ApplicationFilter(this);
    Filter->pianoActive = [this] { return BassEditor && BassEditor->PianoActive(); };
    Filter->hooks.controller = [](int controller, int value) { HandleController(controller, value); };
    Filter->hooks.programChange = [this](int program) {
        ProgramChangeFromUnit();
        DeviceForm->SelectSlot(program);
    };
    Filter->hooks.sysex = [this](int port, const std::vector<uint8_t>& m) { Proto->HandleSysexIn(port, m); };

    // Installs the message filter, starts the frame tick, makes the virtual
    // unit active and enumerates the ports.
    ConnectServices services;
    services.ports = Ports.get();
    services.search = Search.get();
    services.protocol = Proto.get();
    services.installMessageFilter = [this] { Filter->install(*Ports); };
    services.refreshMainCaption = [this] { DeviceForm->FormActivate(); };
    services.openHelp = [this](const QString& anchor) { Help->open(anchor); };
    ConnectForm = new TConnectForm(Services, services, DeviceForm);
    connect(DeviceForm, &TDeviceForm::configurationRequested, ConnectForm, [this] { ConnectForm->exec(); });
    connect(DeviceForm, &TDeviceForm::programChangeRequested, this,
            [this](int program) { Ports->SendProgramChange(program); });
    connect(DeviceForm, &TDeviceForm::aboutRequested, this, [this] { Splash->showAbout(); });

    // Creating the preferences dialog loads the preference sets.
    PrefsForm = new TPrefsForm(Services, DeviceForm);
    connect(DeviceForm, &TDeviceForm::preferencesRequested, PrefsForm, [this] { PrefsForm->exec(); });
    TWC_CustomControl::SetMouseDir(CurrentPreferences.MouseMoveMode);

    // Where an edited preset goes: the store dialog, or Overwrite directly.
    StoreServices storeServices;
    storeServices.showStoredSlot = [this](int slot) {
        DeviceForm->RedrawSlot(slot);
        DeviceForm->SelectSlot(slot);
    };
    storeServices.openedFromDevice = [this] {
        const TEditorFormBase* editor = editorFor(IsBassModel(ActiveDevice.Model));
        return !editor || editor->Source() == PresetSource::Unit;
    };
    storeServices.lastLibraryIndex = [this] { return LibraryForm->LastSelectedIndex(); };
    StoreForm = new TStoreForm(Services, storeServices, DeviceForm);
    connect(StoreForm, &TStoreForm::libraryListChanged, LibraryForm, &TLibraryForm::RefillPresetList);
    for (TEditorFormBase* editor : {editorFor(false), editorFor(true)}) {
        connect(editor, &TEditorFormBase::storeDialogRequested, StoreForm, &TStoreForm::ShowModal);
        connect(editor, &TEditorFormBase::storeToUnitRequested, StoreForm, &TStoreForm::StoreToUnit);
        connect(editor, &TEditorFormBase::storeToLibraryRequested, StoreForm, &TStoreForm::StoreToLibrary);
    }

    Printing = new TPrinting(DeviceForm, this);
    Printing->libraryWindow = LibraryForm;
    Printing->libraryPrintout = [this] {
        return LibraryPrintoutFromView(*LibraryForm->PresetList, LibraryForm->windowTitle());
    };
    Printing->guitarEditor = GuitarEditor;
    Printing->bassEditor = BassEditor;
    Printing->pictureWindows = {ConnectForm, PrefsForm};
    Printing->SharePrintKey();
    connect(DeviceForm, &TDeviceForm::printSetupRequested, Printing, &TPrinting::PrintSetupExecute);
    connect(DeviceForm, &TDeviceForm::printPresetFormRequested, Printing, &TPrinting::PrintPExecute);
    connect(DeviceForm, &TDeviceForm::printDeviceListRequested, Printing, &TPrinting::PrintDExecute);
    connect(DeviceForm, &TDeviceForm::printLibraryListRequested, Printing, &TPrinting::PrintLExecute);
    connect(DeviceForm, &TDeviceForm::printRequested, Printing, &TPrinting::PrintExecute);

    MidiMonitor = new TMidiMonitorForm(Services, *Ports, DeviceForm);
    connect(DeviceForm, &TDeviceForm::midiMonitorRequested, MidiMonitor, [this] {
        MidiMonitor->show();
        MidiMonitor->raise();
        MidiMonitor->activateWindow();
    });

    ResetAllRecords();
    DeviceForm->show();

    // The last unit, or a search with the configuration window up.
    auto ini = OpenIniFile();
    Search->RestoreLastUnit(*ini);
}

Program::~Program()
{
    SetUnitLink(nullptr);
    SetPreferencesObserver(nullptr);
    SetEditorLink(false, nullptr);
    SetEditorLink(true, nullptr);
    SetMemoryView(nullptr);
    delete LibraryForm;
    delete BassEditor;
    delete GuitarEditor;
    delete DeviceForm;
    delete Splash;
    setBusy(false);
    Search.reset();
    Link.reset();
    Proto.reset();
    Ports.reset();
    DestroyRecords();
    DestroyModules();
}

void Program::redrawSlot(int slot)
{
    if (DeviceForm)
        DeviceForm->RedrawSlot(slot);
}

void Program::showEditBufferName(const std::string& name)
{
    for (TEditorFormBase* editor : {editorFor(false), editorFor(true)})
        if (editor)
            editor->ShowPresetName(name);
    if (DeviceForm)
        DeviceForm->ShowCurrentPresetName(QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size())));
}

void Program::setBusy(bool on)
{
    busyPointer.set(on);
}

bool Program::askRetry(const std::string& text)
{
    const QMessageBox::StandardButton answer =
        Messages->message(DeviceForm, MessageService::Kind::Error, QString(), QString::fromLatin1(text.c_str()),
                          QMessageBox::Abort | QMessageBox::Retry, QMessageBox::Retry);
    return answer == QMessageBox::Retry;
}

TEditorFormBase* Program::editorFor(bool bass) const
{
    return bass ? static_cast<TEditorFormBase*>(BassEditor) : GuitarEditor;
}

// Shows the family's editor with a preset whose records the device or
// library window has prepared; the caption is the unit's name unless given.
// Without a name the editor goes on with the edit buffer it holds: its name
// field and compare state stay as they are.
void Program::openEditor(bool bass, const QString& name, const QString& caption, PresetSource source)
{
    TEditorFormBase* editor = editorFor(bass);
    if (!name.isEmpty()) {
        editor->ShowPresetName(name.toLatin1().toStdString());
        editor->ResetCompareState();
    }
    editor->ShowPreset(caption.isEmpty() ? QString::fromLatin1(ActiveDevice.DeviceName.c_str()) : caption, source);
}

void Program::closeWindowsForModel(int model)
{
    // A new unit takes over: the editor of the other family and the library
    // window close, and windows that close now ask nothing (the library
    // window would offer to save).
    const ConfirmationsOff quiet;
    if (TEditorFormBase* other = editorFor(!IsBassModel(model)))
        other->CloseWithoutQuery();
    if (LibraryForm && LibraryForm->isVisible())
        LibraryForm->close();
}

void Program::preferencesChanged()
{
    TWC_CustomControl::SetMouseDir(CurrentPreferences.MouseMoveMode);
    for (TEditorFormBase* editor : {editorFor(false), editorFor(true)})
        if (editor)
            editor->ShowAgain();
}
