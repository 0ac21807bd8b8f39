#include "librarian/FileMessages.h"



namespace {

const QString NotCompatibleText = QStringLiteral("Sysex Dump is not compatible");

} // namespace

QString ReplaceQuestion(dump::Form form)
{
    if (form == dump::Form::OnePreset)
        return QStringLiteral("Replace Selected Preset ?");
    return QStringLiteral(
        "Replace All Presets ?\nIf you want to do this, first press \"Edit\", then \"Midi\" on your Drux.");
}

QString ImportErrorText(dump::ImportResult result)
{
    switch (result) {
    case dump::ImportResult::NotCompatible:
        return NotCompatibleText;
    case dump::ImportResult::BackupFailed:
        return QStringLiteral("Unable to back up the memory of the Drux.\nNothing was sent.");
    case dump::ImportResult::Done:
    case dump::ImportResult::NotLoaded:
    case dump::ImportResult::Cancelled:
        break;
    }
    return QString();
}

QString DumpReadErrorText(dump::ReadResult result)
{
    switch (result) {
    case dump::ReadResult::NotCompatible:
        return NotCompatibleText;
    case dump::ReadResult::Corrupted:
        return QStringLiteral("Sysex Dump is corrupted");
    case dump::ReadResult::Unreadable:
    case dump::ReadResult::WrongSize:
    case dump::ReadResult::Ok:
        break;
    }
    return QString();
}

void ShowDumpReadResult(dump::ReadResult result, Questions& questions)
{
    const QString text = DumpReadErrorText(result);
    if (!text.isEmpty())
        questions.showError(text);
}
