#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

#include "shell/BusyPointer.h"
#include "midi/MidiDriver.h"
#include "midi/Protocol.h"
#include "model/MemoryView.h"
#include "shell/WindowServices.h"

class ApplicationFilter;
class DeviceSearch;
class HelpOpener;
class LibrarianActions;
class MessageService;
class MidiPorts;
class PortsUnitLink;
class TConnectForm;
class TDeviceForm;
enum class PresetSource;
class TBassEditF;
class TEditorForm;
class TEditorFormBase;
class TLibraryForm;
class TMidiMonitorForm;
class TPrefsForm;
class TPrinting;
class TStoreForm;
class TSplashForm;

// Runs the program's body; an exception that escapes it is shown in the
// standard error box of `messages`. The program's result is 0 either way.
int RunGuarded(MessageService& messages, const std::function<void()>& body);

// The message service and the help opener the windows are handed; the
// program makes its own for what is not given (tests give theirs).
struct ProgramShell {
    MessageService* messages = nullptr;
    HelpOpener* help = nullptr;
};

// The program-wide objects, built at start-up in a fixed order and torn down
// in reverse.
class Program : public QObject, public MemoryView, public ProtocolUi {
    Q_OBJECT
public:
    // `driver` replaces the real MIDI ports (tests).
    explicit Program(std::unique_ptr<MidiDriver> driver = nullptr, ProgramShell shell = {});
    ~Program() override;

    // Start-up after the splash: modules, records, windows, MIDI.
    void start();

    TSplashForm* splash() const { return Splash; }
    TDeviceForm* deviceForm() const { return DeviceForm; }
    TEditorForm* guitarEditor() const { return GuitarEditor; }
    TBassEditF* bassEditor() const { return BassEditor; }
    MidiPorts& ports() const { return *Ports; }
    ApplicationFilter& filter() const { return *Filter; }
    TConnectForm* connectForm() const { return ConnectForm; }
    TPrefsForm* prefsForm() const { return PrefsForm; }
    TStoreForm* storeForm() const { return StoreForm; }
    TLibraryForm* libraryForm() const { return LibraryForm; }
    TPrinting* printing() const { return Printing; }
    TMidiMonitorForm* midiMonitor() const { return MidiMonitor; }
    DeviceSearch& search() const { return *Search; }
    Protocol& protocol() const { return *Proto; }
    LibrarianActions& librarian() const { return *Librarian; }

    // MemoryView
    void redrawSlot(int slot) override;
    void closeWindowsForModel(int model) override;
    void showEditBufferName(const std::string& name) override;

    // ProtocolUi
    void setBusy(bool busy) override;
    bool askRetry(const std::string& text) override;

private:
    // What the model asks of each family's editor.
    class FamilyEditorLink;
    // The active preference set changed.
    void preferencesChanged();
    // The editor of the bass family (0x13) or of the guitar family.
    TEditorFormBase* editorFor(bool bass) const;
    void openEditor(bool bass, const QString& name, const QString& caption, PresetSource source);

    std::unique_ptr<MessageService> ownMessages;
    std::unique_ptr<HelpOpener> ownHelp;
    MessageService* Messages;
    HelpOpener* Help;
    // What every window is handed.
    WindowServices Services;
    // Save, Save As, Print Library List, Undo and Redo of both librarian windows.
    std::unique_ptr<LibrarianActions> Librarian;
    TSplashForm* Splash = nullptr;
    TDeviceForm* DeviceForm = nullptr;
    TEditorForm* GuitarEditor = nullptr;
    TBassEditF* BassEditor = nullptr;
    TConnectForm* ConnectForm = nullptr;
    TPrefsForm* PrefsForm = nullptr;
    TLibraryForm* LibraryForm = nullptr;
    TStoreForm* StoreForm = nullptr;
    TPrinting* Printing = nullptr;
    TMidiMonitorForm* MidiMonitor = nullptr;
    std::unique_ptr<FamilyEditorLink> guitarLink, bassLink;
    std::unique_ptr<MidiPorts> Ports;
    std::unique_ptr<Protocol> Proto;
    std::unique_ptr<PortsUnitLink> Link;
    std::unique_ptr<DeviceSearch> Search;
    ApplicationFilter* Filter = nullptr;
    BusyPointer busyPointer;
};
