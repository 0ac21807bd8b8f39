#include "librarian/StoreForm.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "shell/HelpPage.h"
#include "librarian/LibrarianState.h"
#include "model/DeviceConnection.h"
#include "model/Presets.h"
#include "model/Trace.h"
#include "model/EditorLink.h"

namespace {

const char* const PresetLetters[] = {"A", "B", "C", "D", "E"};
constexpr int BankCount = 25;

QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

// ---- the two stores ----

int ChosenSlot(int presetIndex, int bankIndex)
{
    if (presetIndex < 0 || bankIndex < 0)
        return 0;
    return presetIndex + 5 * bankIndex;
}

void CommitEditBuffer()
{
    CaptureEditBuffer(*OriginalRecord);
    CaptureEditBuffer(*EditBufferRecord);
    FamilyEditor(IsBassModel(ActiveDevice.Model)).tookOriginal();
}

bool StoreEditToSlot(int slot)
{
    if (slot < 0 || slot >= SlotCount) {
        TraceLine(0, "  Store: no slot %d", slot);
        return false;
    }
    PresetRecord& record = *DeviceMemory[slot];
    CaptureEditBuffer(record);
    SendRecordToSlot(record);
    CommitEditBuffer();
    return true;
}

int AppendEditToLibrary(bool openedFromDevice, int lastSelected)
{
    PresetRecord record;
    InitRecord(record, -1);
    const bool libraryPreset = !LibraryFileName.isEmpty() && !openedFromDevice;
    // A library item that is gone (the list was cleared or shortened since
    // it was selected) has nothing to lend; the edit then goes in as it is.
    if (libraryPreset && lastSelected >= 0 && lastSelected < LibraryList->count)
        CopyRecord(record, LibraryList->at(lastSelected));
    CaptureEditBuffer(record);
    record.origin = libraryPreset ? -2 : OriginalRecord->origin;
    ListAdd(*LibraryList, &record);
    const int index = LibraryList->count - 1;
    // The list reuses spare records, whose marks would make a later paste
    // remove the new item as if it had been cut.
    LibraryList->at(index).mark = 0;
    CommitEditBuffer();
    return index;
}

// ---- the dialog ----

TStoreForm::TStoreForm(const WindowServices& shell, StoreServices services_, QWidget* parent)
    : QDialog(parent)
    , help(shell.help)
    , services(std::move(services_))
{
    setObjectName(QStringLiteral("StoreForm"));
    setWindowTitle(QStringLiteral("Store to DRUX...."));
    setFixedSize(ClientWidth, ClientHeight);

    Label1 = new QLabel(QStringLiteral("As Preset :"), this);
    StorePresetNr = new QComboBox(this);
    StorePresetNr->setObjectName(QStringLiteral("StorePresetNr"));
    for (const char* letter : PresetLetters)
        StorePresetNr->addItem(QString::fromLatin1(letter));
    Label2 = new QLabel(QStringLiteral("of Bank : "), this);
    StoreBankNr = new QComboBox(this);
    StoreBankNr->setObjectName(QStringLiteral("StoreBankNr"));
    for (int bank = 1; bank <= BankCount; ++bank)
        StoreBankNr->addItem(QString::number(bank));
    StoreBankNr->setMaxVisibleItems(BankCount);

    StoreToDrux = new QPushButton(this);
    StoreToDrux->setObjectName(QStringLiteral("StoreToDrux"));
    StoreToLib = new QPushButton(this);
    StoreToLib->setObjectName(QStringLiteral("StoreToLib"));
    StoreCancel = new QPushButton(QStringLiteral("Do Not Store"), this);
    StoreCancel->setObjectName(QStringLiteral("StoreCancel"));
    for (QPushButton* b : {StoreToDrux, StoreToLib, StoreCancel})
        b->setAutoDefault(false);
    StoreToDrux->setDefault(true);

    auto* choice = new QHBoxLayout;
    choice->addWidget(Label1);
    choice->addWidget(StorePresetNr);
    choice->addStretch();
    choice->addWidget(Label2);
    choice->addWidget(StoreBankNr);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    column->addLayout(choice);
    column->addWidget(StoreToDrux);
    column->addWidget(StoreToLib);
    column->addWidget(StoreCancel);

    connect(StorePresetNr, &QComboBox::currentIndexChanged, this, &TStoreForm::StorePresetOrBankNrChange);
    connect(StoreBankNr, &QComboBox::currentIndexChanged, this, &TStoreForm::StorePresetOrBankNrChange);
    connect(StoreToDrux, &QPushButton::clicked, this, &TStoreForm::StoreToDruxClick);
    connect(StoreToLib, &QPushButton::clicked, this, &TStoreForm::StoreToLibClick);
    connect(StoreCancel, &QPushButton::clicked, this, &TStoreForm::StoreCancelClick);

    // The form sees every key first, so that F1 works on any of its controls.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);

    Preselect(0, 0);
    FormShow();
}

void TStoreForm::Preselect(int bankIndex, int presetIndex)
{
    StoreBankNr->setCurrentIndex(bankIndex >= 0 && bankIndex < BankCount ? bankIndex : 0);
    StorePresetNr->setCurrentIndex(presetIndex >= 0 && presetIndex < 5 ? presetIndex : 0);
}

int TStoreForm::ShowModal(int bankIndex, int presetIndex)
{
    Preselect(bankIndex, presetIndex);
    return exec();
}

void TStoreForm::StoreToUnit(int bankIndex, int presetIndex)
{
    Preselect(bankIndex, presetIndex);
    StoreToDruxClick();
}

void TStoreForm::StoreToLibrary(int bankIndex, int presetIndex)
{
    Preselect(bankIndex, presetIndex);
    StoreToLibClick();
}

int TStoreForm::ChosenSlot() const
{
    return ::ChosenSlot(StorePresetNr->currentIndex(), StoreBankNr->currentIndex());
}

void TStoreForm::FormShow()
{
    StorePresetOrBankNrChange();
    if (LibraryFileName.isEmpty())
        StoreToLib->setText(QStringLiteral("Append to Library"));
    else
        StoreToLib->setText(QStringLiteral("Append to Library: ") + QFileInfo(LibraryFileName).fileName());
}

void TStoreForm::StorePresetOrBankNrChange()
{
    const int slot = ChosenSlot();
    const QString name = DeviceMemory[slot] ? latin1(GetRecordName(*DeviceMemory[slot])) : QString();
    StoreToDrux->setText(QStringLiteral("Store to DRUX: ") + name);
}

void TStoreForm::StoreToDruxClick()
{
    const int slot = ChosenSlot();
    if (StoreEditToSlot(slot))
        showStoredSlot(slot);
    setResult(Yes);
    if (isVisible())
        done(Yes);
}

void TStoreForm::StoreToLibClick()
{
    const bool fromDevice = services.openedFromDevice ? services.openedFromDevice() : true;
    const int lastSelected = services.lastLibraryIndex ? services.lastLibraryIndex() : -1;
    AppendEditToLibrary(fromDevice, lastSelected);
    emit libraryListChanged();
    setResult(Yes);
    if (isVisible())
        done(Yes);
}

void TStoreForm::StoreCancelClick()
{
    setResult(No);
    if (isVisible())
        done(No);
}

void TStoreForm::FormKeyUp(int key)
{
    if (key == Qt::Key_F1)
        help.open(QString::fromLatin1(HelpAnchor));
}

void TStoreForm::showStoredSlot(int slot)
{
    if (services.showStoredSlot)
        services.showStoredSlot(slot);
}

void TStoreForm::showEvent(QShowEvent* e)
{
    FormShow();
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(e);
}

bool TStoreForm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_F1 && !key->isAutoRepeat()) {
            FormKeyUp(key->key());
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}
