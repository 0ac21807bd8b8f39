#include "librarian/LibraryFormLogic.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <cmath>

#include "files/DumpFile.h"
#include "files/LibraryFile.h"
#include "files/Preferences.h"
#include "librarian/FileMessages.h"
#include "librarian/PresetClipboard.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"

namespace {
QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

std::string toLatin1(const QString& s)
{
    return s.toLatin1().toStdString();
}

const QDateTime DayZero(QDate(1899, 12, 30), QTime(0, 0));
constexpr double MillisecondsPerDay = 86400000.0;
}

int EditLimit(EditColumn column)
{
    switch (column) {
    case EditColumn::Name:
        return NameLength;
    case EditColumn::Author:
        return library::CreatedByField - 1;
    case EditColumn::Comment:
    case EditColumn::NewCommentLine:
        return library::CommentField - 1;
    case EditColumn::None:
        break;
    }
    return 0;
}

QDateTime RecordDateTime(double days)
{
    return DayZero.addMSecs(static_cast<qint64>(std::llround(days * MillisecondsPerDay)));
}

double RecordDays(const QDateTime& when)
{
    return static_cast<double>(DayZero.msecsTo(when)) / MillisecondsPerDay;
}

void StampUndatedRecord(PresetRecord& r, const QDateTime& now)
{
    if (std::trunc(r.dateTime) == 0.0)
        r.dateTime = RecordDays(now);
}

std::vector<int> RowNumbers(const PresetRecordList& list)
{
    std::vector<int> numbers;
    int next = 1;
    for (int i = 0; i < list.count; ++i)
        numbers.push_back(list.at(i).isCommentLine() ? 0 : next++);
    return numbers;
}

QStringList RowTexts(const PresetRecord& r, int number)
{
    if (r.isCommentLine())
        return {latin1(r.comment)};
    const bool known = r.origin >= 0;
    return {
        QString::number(number),
        latin1(GetRecordName(r)),
        QString::number(r.deviceId),
        known ? QString::number(SlotBank(r.origin)) : QStringLiteral("?"),
        known ? QString(QChar::fromLatin1(SlotLetter(r.origin))) : QStringLiteral("?"),
        latin1(r.comment),
        QLocale::system().toString(RecordDateTime(r.dateTime), QLocale::ShortFormat),
        latin1(r.createdBy),
    };
}

bool SameFamily(const PresetRecord& r)
{
    return IsBassModel(static_cast<int>(r.model)) == IsBassModel(ActiveDevice.Model);
}

int CommitPropertyEdit(EditColumn column, int index, const QString& text)
{
    if (column == EditColumn::None)
        return -1;
    if (column != EditColumn::NewCommentLine && (index < 0 || index >= LibraryList->count))
        return -1;
    TakeLibrarySnapshot();
    const QString cut = text.left(EditLimit(column));
    switch (column) {
    case EditColumn::Name:
        SetRecordName(LibraryList->at(index), toLatin1(cut));
        break;
    case EditColumn::Comment:
        LibraryList->at(index).comment = toLatin1(cut.trimmed());
        break;
    case EditColumn::Author:
        LibraryList->at(index).createdBy = toLatin1(cut.trimmed());
        break;
    case EditColumn::NewCommentLine: {
        PresetRecord line;
        InitRecord(line, -1);
        line.origin = -1;
        line.comment = toLatin1(cut.trimmed());
        index = std::clamp(index, 0, LibraryList->count);
        ListInsert(*LibraryList, index, &line);
        LibraryList->at(index).mark = 0;
        break;
    }
    case EditColumn::None:
        break;
    }
    return index;
}

QString PropertyText(EditColumn column, int index)
{
    if (index < 0 || index >= LibraryList->count)
        return QString();
    const PresetRecord& r = LibraryList->at(index);
    switch (column) {
    case EditColumn::Name:
        return latin1(GetRecordName(r));
    case EditColumn::Comment:
        return latin1(r.comment);
    case EditColumn::Author:
        return latin1(r.createdBy);
    case EditColumn::NewCommentLine:
    case EditColumn::None:
        break;
    }
    return QString();
}

bool LibraryDiffersFromSaved()
{
    if (LibraryList->count != LibraryLoadedList->count)
        return true;
    for (int i = 0; i < LibraryList->count; ++i)
        if (!RecordsEqual(LibraryList->at(i), LibraryLoadedList->at(i)))
            return true;
    return false;
}

void MarkLibrarySaved()
{
    ListCopy(*LibraryLoadedList, *LibraryList);
}

void ClearLibrary()
{
    ListClear(*LibraryList);
    ListClear(*LibraryLoadedList);
}

QString LibraryExtension(bool bass)
{
    return bass ? QStringLiteral(".blb") : QStringLiteral(".dlb");
}

bool ConnectedUnitIsBass()
{
    return IsBassModel(ActiveDevice.Model);
}

bool TreeShowsFile(const QString& fileName, bool bass)
{
    const QString name = fileName.toLower();
    return name.endsWith(QStringLiteral(".syx")) || name.endsWith(LibraryExtension(bass));
}

QStringList TreeNameFilters(bool bass)
{
    return {QStringLiteral("*.syx"), QLatin1Char('*') + LibraryExtension(bass)};
}

bool OpenIntoLibrary(const QString& path, Questions& questions)
{
    if (path.endsWith(QStringLiteral(".syx"), Qt::CaseInsensitive)) {
        const dump::ReadResult read = ReadDumpIntoList(*LibraryList, path);
        ShowDumpReadResult(read, questions);
        return DumpReadTaken(read);
    }
    return ReadLibraryFile(*LibraryList, path) == FileResult::Ok;
}

QString LibraryNameFor(const QString& opened, bool bass)
{
    const QFileInfo info(opened);
    return QDir(info.absolutePath()).filePath(info.completeBaseName() + LibraryExtension(bass));
}

QString RenamedFileName(const QString& oldName, const QString& typed)
{
    const qsizetype oldDot = oldName.lastIndexOf(QLatin1Char('.'));
    if (oldDot <= 0)
        return typed;
    const QString extension = oldName.mid(oldDot).toLower();
    const qsizetype dot = typed.lastIndexOf(QLatin1Char('.'));
    return (dot < 0 ? typed : typed.left(dot)) + extension;
}

QString UntitledCaption(const QString& folder, bool bass)
{
    return QDir::toNativeSeparators(QDir(folder).filePath(QStringLiteral("Untitled") + LibraryExtension(bass)));
}

QString NewFolderName(const QString& parent)
{
    const QDir dir(parent);
    QString name = QStringLiteral("New Folder");
    for (int i = 2; dir.exists(name); ++i)
        name = QStringLiteral("New Folder %1").arg(i);
    return name;
}

bool ExportLibraryItems(const std::vector<int>& records, const QString& fileName, bool asDump)
{
    ListClear(*DragList);
    for (int i : records)
        if (i >= 0 && i < LibraryList->count)
            ListAdd(*DragList, &LibraryList->at(i));
    DragList->columns = 0;
    if (DragList->count == 0)
        return false;
    if (asDump)
        return ExportRecordDump(DragList->at(0), fileName) == FileResult::Ok;
    return WriteLibraryFile(*DragList, fileName) == FileResult::Ok;
}

bool AuditionItem(int index)
{
    if (index < 0 || index >= LibraryList->count)
        return false;
    return AuditionRecord(LibraryList->at(index));
}

bool AuditionRecord(const PresetRecord& r)
{
    if (r.isCommentLine() || !SameFamily(r))
        return false;
    Unit().sendPresetDump(dump::EditBufferNumber, r.data.data(), PresetLength);
    return true;
}

QString LibraryHelpAnchor(int helpContext)
{
    switch (helpContext) {
    case 1:
        return QStringLiteral("#T5H10");
    case 2:
        return QStringLiteral("#T5H20");
    default:
        return QStringLiteral("#T5H00");
    }
}

// ---- drags over the tree and the list ----

bool TreeAcceptsDrop(const QString& path, bool isDir, bool bass)
{
    return isDir || path.endsWith(LibraryExtension(bass), Qt::CaseInsensitive);
}

int ScrollDirection(const QRect& control, const QPoint& pointer)
{
    if (pointer.x() < control.left() || pointer.x() > control.right())
        return 0;
    if (pointer.y() < control.top())
        return -1;
    if (pointer.y() > control.bottom())
        return 1;
    return 0;
}

TreeDrop DropIntoTree(PresetRecordList& list, const QString& node, bool isDir, const QString& draggedFileName,
                      bool bass, Questions& questions)
{
    TreeDrop result;
    if (list.count == 0)
        return result;
    if (isDir) {
        const FolderWrite write = WritePresetsIntoFolder(list, node, draggedFileName, bass);
        result.dropped = true;
        result.saved = write.saved;
        result.path = write.path;
        result.editName = write.editName;
        return result;
    }
    if (CurrentPreferences.Confirm
        && !questions.okCancel(Questions::Tone::Question, QStringLiteral("Append presets?")))
        return result;
    result.dropped = true;
    result.path = node;
    result.saved = AppendToLibraryFile(list, node) == FileResult::Ok;
    return result;
}
