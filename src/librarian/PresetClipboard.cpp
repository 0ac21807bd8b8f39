#include "librarian/PresetClipboard.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <utility>

#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/FileMessages.h"

UndoStates UndoState;
bool ClipboardFromCut = false;

namespace {

std::function<void()> undoListener;

void undoStateChanged()
{
    if (undoListener)
        undoListener();
}

const QString FitWarning =
    QStringLiteral("Selection does not fit on destination! \n Do you want to clip the selection?");

// The fit warning is asked whatever the preferences say.
bool clipAccepted(Questions& questions)
{
    return questions.okCancel(Questions::Tone::Warning, FitWarning);
}

// Questions before destructive changes are asked only under "Confirm".
bool confirmed(Questions& questions, const QString& text)
{
    if (!CurrentPreferences.Confirm)
        return true;
    return questions.okCancel(Questions::Tone::Question, text);
}

void writeSlot(int slot, const PresetRecord& record, GridWrite& result)
{
    PresetRecord& target = *DeviceMemory[slot];
    CopyRecord(target, record);
    SendRecordToSlot(target);
    result.writtenSlots.push_back(slot);
}

// Cuts `target` back to the grid. Returns the cells per row that fall off
// the right edge, or -1 when the user would rather not clip.
int clipToGrid(QRect& target, Questions& questions)
{
    if (target.right() <= GridLastColumn && target.bottom() <= GridLastRow)
        return 0;
    if (!clipAccepted(questions))
        return -1;
    const int skip = std::max(0, target.right() - GridLastColumn);
    target.setRight(std::min(target.right(), GridLastColumn));
    target.setBottom(std::min(target.bottom(), GridLastRow));
    return skip;
}

// Writes the records of a linear list that are not comment lines into the
// slots from `slot` on. `consumed` receives how many list entries the walk
// went through, `clipped` whether the list had to be cut short.
GridWrite writeLinear(const PresetRecordList& list, int slot, Questions& questions, int& consumed, bool& clipped)
{
    GridWrite result;
    consumed = 0;
    clipped = false;
    int remaining = list.count - ListCommentLines(list);
    if (remaining <= 0 || slot < 0 || slot >= SlotCount)
        return result;
    if (slot + remaining > SlotCount) {
        if (!clipAccepted(questions))
            return result;
        remaining = SlotCount - slot;
        clipped = true;
    }
    if (!confirmed(questions, QStringLiteral("Replace presets?")))
        return result;
    TakeDeviceSnapshot();
    int i = 0;
    for (; i < list.count && remaining > 0; ++i) {
        if (list.at(i).isCommentLine())
            continue;
        writeSlot(slot++, list.at(i), result);
        --remaining;
    }
    consumed = i;
    result.written = true;
    return result;
}

std::vector<int> validSorted(std::vector<int> indices, int count)
{
    std::erase_if(indices, [count](int i) { return i < 0 || i >= count; });
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

ListSelection run(int first, int n)
{
    ListSelection s;
    for (int i = 0; i < n; ++i)
        s.selected.push_back(first + i);
    s.focused = first;
    return s;
}

void exchangeDeviceMemory()
{
    std::swap(DeviceMemory, DeviceMemoryUndo);
    UndoState.undoEnabled = !UndoState.undoEnabled;
    UndoState.redoEnabled = !UndoState.redoEnabled;
    for (PresetRecord* record : DeviceMemory)
        SendRecordToSlot(*record);
    undoStateChanged();
}

} // namespace

// ---- undo ----

void SetUndoStateListener(std::function<void()> listener)
{
    undoListener = std::move(listener);
}

const std::function<void()>& UndoStateListener()
{
    return undoListener;
}

void TakeDeviceSnapshot()
{
    for (int slot = 0; slot < SlotCount; ++slot)
        CopyRecord(*DeviceMemoryUndo[slot], *DeviceMemory[slot]);
    UndoState = {UndoOwner::Device, true, false};
    undoStateChanged();
}

void TakeLibrarySnapshot()
{
    ListCopy(*LibraryUndoList, *LibraryList);
    UndoState = {UndoOwner::Library, true, false};
    undoStateChanged();
}

UndoTarget UndoLastChange()
{
    if (!UndoState.undoEnabled)
        return UndoTarget::None;
    if (UndoState.owner == UndoOwner::Device) {
        exchangeDeviceMemory();
        return UndoTarget::Device;
    }
    ListCopy(*LibraryRedoList, *LibraryList);
    ListCopy(*LibraryList, *LibraryUndoList);
    UndoState.undoEnabled = false;
    UndoState.redoEnabled = true;
    undoStateChanged();
    return UndoTarget::Library;
}

UndoTarget RedoLastChange()
{
    if (!UndoState.redoEnabled)
        return UndoTarget::None;
    // On the device side Redo is the same exchange as Undo.
    if (UndoState.owner == UndoOwner::Device) {
        exchangeDeviceMemory();
        return UndoTarget::Device;
    }
    ListCopy(*LibraryUndoList, *LibraryList);
    ListCopy(*LibraryList, *LibraryRedoList);
    UndoState.undoEnabled = true;
    UndoState.redoEnabled = false;
    undoStateChanged();
    return UndoTarget::Library;
}

// ---- the device grid ----

QRect TargetRectangle(QPoint anchor, const PresetRecordList& list)
{
    const int columns = std::max(list.columns, 1);
    return QRect(anchor, QPoint(anchor.x() + columns - 1, anchor.y() + list.count / columns - 1));
}

GridWrite PasteIntoGrid(const PresetRecordList& clipboard, const QRect& selection, Questions& questions)
{
    if (clipboard.count == 0)
        return {};
    const QPoint anchor = NothingSelected(selection) ? QPoint(1, 1) : selection.topLeft();
    if (clipboard.columns == 0) {
        int consumed = 0;
        bool clipped = false;
        GridWrite result = writeLinear(clipboard, SlotAt(anchor), questions, consumed, clipped);
        // A cut in the library pasted into the unit moves the presets; the
        // ones that were clipped off stay in the library.
        if (result.written && ClipboardFromCut) {
            RemoveCutItems(clipped ? consumed : -1, true);
            result.libraryChanged = true;
        }
        return result;
    }
    QRect target = TargetRectangle(anchor, clipboard);
    const int skip = clipToGrid(target, questions);
    if (skip < 0 || !confirmed(questions, QStringLiteral("Replace presets?")))
        return {};
    TakeDeviceSnapshot();
    GridWrite result;
    int k = 0;
    for (int row = target.top(); row <= target.bottom(); ++row) {
        for (int column = target.left(); column <= target.right(); ++column, ++k)
            if (k < clipboard.count)
                writeSlot(SlotAt(column, row), clipboard.at(k), result);
        k += skip;
    }
    result.written = true;
    result.selection = target;
    return result;
}

bool GridDropAllowed(QPoint cell, const QRect& dragSelection, bool fromGrid)
{
    if (cell.x() < 1 || cell.y() < 1 || cell.x() > GridLastColumn || cell.y() > GridLastRow)
        return false;
    if (!fromGrid || NothingSelected(dragSelection))
        return true;
    return !QRect(cell, dragSelection.size()).intersects(dragSelection);
}

GridWrite DropOnGrid(const PresetRecordList& drag, QPoint cell, const QRect& source, bool copyMode,
                     Questions& questions)
{
    if (drag.count == 0 || !GridDropAllowed(cell, NoSelection(), false))
        return {};
    if (drag.columns == 0) {
        int consumed = 0;
        bool clipped = false;
        return writeLinear(drag, SlotAt(cell), questions, consumed, clipped);
    }
    // Without a selected source (a drag of the edit buffer) there is nothing
    // to swap with: the drop copies.
    const bool swap = !copyMode && !NothingSelected(source);
    QRect target = TargetRectangle(cell, drag);
    if (swap && target.intersects(source))
        return {};
    int sourceStep = GridLastColumn - drag.columns;
    const int skip = clipToGrid(target, questions);
    if (skip < 0)
        return {};
    sourceStep += skip;
    if (!confirmed(questions, swap ? QStringLiteral("Swap presets?") : QStringLiteral("Replace presets?")))
        return {};
    TakeDeviceSnapshot();
    GridWrite result;
    int q = SlotAt(source.topLeft());
    int k = 0;
    for (int row = target.top(); row <= target.bottom(); ++row) {
        for (int column = target.left(); column <= target.right(); ++column, ++k) {
            const int t = SlotAt(column, row);
            if (swap)
                writeSlot(q++, *DeviceMemory[t], result);
            if (k < drag.count)
                writeSlot(t, drag.at(k), result);
        }
        q += sourceStep;
        k += skip;
    }
    result.written = true;
    result.selection = target;
    return result;
}

void CopyGridSelection(const QRect& selection, const QString& editBufferName)
{
    CollectSelection(selection, editBufferName, *ClipboardList);
    ClipboardFromCut = false;
}

void CollectEditBuffer(const QString& name, PresetRecordList& list)
{
    CollectSelection(NoSelection(), name, list);
}

// ---- drags between the windows ----

namespace {
const QString PresetDragType = QStringLiteral("application/x-drux-presets");
}

QMimeData* PresetDragData(DragSource source)
{
    auto* data = new QMimeData;
    data->setData(PresetDragType, QByteArray::number(static_cast<int>(source)));
    return data;
}

DragSource PresetDragSource(const QMimeData* data)
{
    if (!data || !data->hasFormat(PresetDragType))
        return DragSource::None;
    const int source = data->data(PresetDragType).toInt();
    if (source < static_cast<int>(DragSource::Grid) || source > static_cast<int>(DragSource::FileTree))
        return DragSource::None;
    return static_cast<DragSource>(source);
}

QStringList DroppedPresetFiles(const QMimeData* data, bool bass)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    const QString library = bass ? QStringLiteral(".blb") : QStringLiteral(".dlb");
    for (const QUrl& url : data->urls()) {
        const QString file = url.toLocalFile();
        if (file.isEmpty() || !QFileInfo(file).isFile()
            || !(file.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)
                 || file.endsWith(library, Qt::CaseInsensitive)))
            return QStringList();
        files << file;
    }
    return files;
}

DragSource DropSource(const QMimeData* data, bool bass)
{
    const DragSource own = PresetDragSource(data);
    if (own != DragSource::None)
        return own;
    return DroppedPresetFiles(data, bass).isEmpty() ? DragSource::None : DragSource::Files;
}

bool ReadDroppedFiles(const QStringList& files, Questions& questions)
{
    ListClear(*DragList);
    bool all = true;
    PresetRecordList one;
    ListInit(one);
    for (const QString& file : files) {
        all = ReadPresetFile(one, file, questions) && all;
        for (int i = 0; i < one.count; ++i)
            ListAdd(*DragList, &one.at(i));
    }
    DragList->columns = 0;
    return all;
}

// ---- the library list ----

bool CopyLibraryItems(const std::vector<int>& selected, bool cut)
{
    const std::vector<int> items = validSorted(selected, LibraryList->count);
    if (!items.empty()) {
        for (int i = 0; i < LibraryList->count; ++i)
            LibraryList->at(i).mark &= static_cast<uint8_t>(~CutMark);
        ListClear(*ClipboardList);
        for (int i : items) {
            ListAdd(*ClipboardList, &LibraryList->at(i));
            if (cut)
                LibraryList->at(i).mark |= CutMark;
        }
        ClipboardFromCut = cut;
    }
    return ClipboardList->count > 0;
}

int RemoveCutItems(int limit, bool presetsOnly)
{
    int walked = 0;
    int removed = 0;
    for (int i = 0; i < LibraryList->count && (limit < 0 || walked < limit);) {
        PresetRecord& item = LibraryList->at(i);
        if (!(item.mark & CutMark)) {
            ++i;
            continue;
        }
        ++walked;
        if (presetsOnly && item.isCommentLine()) {
            item.mark &= static_cast<uint8_t>(~CutMark);
            ++i;
            continue;
        }
        ListRemove(*LibraryList, i);
        ++removed;
    }
    return removed;
}

ListSelection PasteIntoLibrary(int focused, const std::vector<int>& selected)
{
    const int n = ClipboardList->count;
    if (n == 0)
        return {};
    TakeLibrarySnapshot();
    const std::vector<int> items = validSorted(selected, LibraryList->count);
    int at = LibraryList->count;
    if (focused >= 0 && focused < LibraryList->count)
        at = focused;
    else if (!items.empty())
        at = items.front();
    for (int i = 0; i < n; ++i) {
        ListInsert(*LibraryList, at + i, &ClipboardList->at(i));
        LibraryList->at(at + i).mark = 0;
    }
    if (ClipboardList->columns == 0 && ClipboardFromCut) {
        // The pasted items move up by the cut items above them.
        int above = 0;
        for (int i = 0; i < at; ++i)
            above += (LibraryList->at(i).mark & CutMark) ? 1 : 0;
        RemoveCutItems();
        at -= above;
    }
    return run(at, n);
}

bool DeleteFromLibrary(const std::vector<int>& selected, Questions& questions)
{
    const std::vector<int> items = validSorted(selected, LibraryList->count);
    if (items.empty())
        return false;
    if (CurrentPreferences.Confirm && !questions.yesNo(QStringLiteral("Delete Selected Preset ?")))
        return false;
    TakeLibrarySnapshot();
    for (int i = 0; i < LibraryList->count; ++i)
        LibraryList->at(i).mark &= static_cast<uint8_t>(~CutMark);
    // From the bottom, so that the remaining indices stay valid.
    for (auto it = items.rbegin(); it != items.rend(); ++it)
        ListRemove(*LibraryList, *it);
    return true;
}

DropMode DropModeFor(bool ctrl, bool shift)
{
    if (!ctrl)
        return DropMode::Move;
    return shift ? DropMode::Insert : DropMode::Replace;
}

void StartLibraryDrag(const std::vector<int>& selected)
{
    for (int i = 0; i < LibraryList->count; ++i)
        LibraryList->at(i).mark &= static_cast<uint8_t>(~DraggedMark);
    ListClear(*DragList);
    for (int i : validSorted(selected, LibraryList->count)) {
        ListAdd(*DragList, &LibraryList->at(i));
        LibraryList->at(i).mark |= DraggedMark;
    }
}

bool LibraryDropAllowed(int dropIndex, const std::vector<int>& selected, bool fromList)
{
    return !fromList || std::find(selected.begin(), selected.end(), dropIndex) == selected.end();
}

LibraryDrop DropIntoLibrary(int dropIndex, DropMode& mode, Questions& questions)
{
    const int n = DragList->count;
    const bool fromDevice = DragList->columns > 0;
    QString question;
    if (fromDevice)
        question = QStringLiteral("Append presets?");
    else if (mode == DropMode::Move)
        question = QStringLiteral("Move presets?");
    else if (mode == DropMode::Replace)
        question = QStringLiteral("Replace presets?");
    if (!question.isEmpty() && !confirmed(questions, question))
        return {};

    LibraryDrop result;
    result.libraryBecameChanged = LibraryList->count == 0;
    TakeLibrarySnapshot();
    int d = std::clamp(dropIndex, 0, LibraryList->count);
    if (mode == DropMode::Move && !fromDevice) {
        for (int i = 0; i < LibraryList->count;) {
            if (LibraryList->at(i).mark & DraggedMark) {
                ListRemove(*LibraryList, i);
                if (d > i)
                    --d;
            } else {
                ++i;
            }
        }
    }
    if (mode == DropMode::Replace)
        for (int i = 0; i < n && d < LibraryList->count; ++i)
            ListRemove(*LibraryList, d);
    for (int i = 0; i < n; ++i) {
        ListInsert(*LibraryList, d + i, &DragList->at(i));
        LibraryList->at(d + i).mark = 0;
    }
    result.dropped = true;
    result.deselectOthers = mode == DropMode::Move;
    result.selection = run(d, n);
    mode = DropMode::Insert;
    return result;
}

// ---- files ----

QString NewLibraryPath(const QString& folder, bool bass)
{
    const QString extension = bass ? QStringLiteral(".blb") : QStringLiteral(".dlb");
    const QDir dir(folder);
    QString path = dir.filePath(QStringLiteral("New") + extension);
    for (int i = 0; QFileInfo::exists(path); ++i)
        path = dir.filePath(QStringLiteral("New%1").arg(i) + extension);
    return path;
}

bool ReadPresetFile(PresetRecordList& list, const QString& path, Questions& questions)
{
    ListClear(list);
    if (path.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)) {
        const dump::ReadResult read = ReadDumpIntoList(list, path);
        ShowDumpReadResult(read, questions);
        return DumpReadTaken(read);
    }
    return ReadLibraryFile(list, path) == FileResult::Ok;
}

bool CopyFileToClipboard(const QString& path, Questions& questions)
{
    ClipboardFromCut = false;
    return ReadPresetFile(*ClipboardList, path, questions);
}

FolderWrite WritePresetsIntoFolder(const PresetRecordList& list, const QString& folder,
                                   const QString& draggedFileName, bool bass)
{
    FolderWrite result;
    if (draggedFileName.isEmpty()) {
        result.path = NewLibraryPath(folder, bass);
        result.editName = true;
    } else {
        QString name = draggedFileName;
        if (name.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive))
            name = QFileInfo(name).completeBaseName() + (bass ? QStringLiteral(".blb") : QStringLiteral(".dlb"));
        // A copy never replaces a file: dropped onto its own folder (or onto
        // one holding a namesake) it becomes Name0, Name1 ... beside it.
        const QDir dir(folder);
        const QFileInfo info(name);
        result.path = dir.filePath(name);
        for (int i = 0; QFileInfo::exists(result.path); ++i)
            result.path = dir.filePath(info.completeBaseName() + QString::number(i) + QLatin1Char('.') + info.suffix());
    }
    result.saved = WriteLibraryFile(list, result.path) == FileResult::Ok;
    return result;
}
