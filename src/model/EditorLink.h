#pragma once

#include <string>

// What the model asks of the editor of one family (guitar or bass): the
// controllers from the unit and the capture of the edit buffer go through
// here. Without an installed link the editor does not exist.
class EditorLink {
public:
    virtual ~EditorLink() = default;
    // Whether the editor window has been created, and whether it is shown.
    virtual bool exists() { return false; }
    virtual bool visible() { return false; }
    // The name in the editor's name label, for capturing the edit buffer.
    virtual std::string presetName() { return {}; }
    // A preset name arrived from the unit: show it in the editor's name
    // label and in the device window's current preset field.
    virtual void showUnitPresetName(const std::string&) {}
    // The editor's settings became the original: clear its edited mark and
    // switch its original button on.
    virtual void tookOriginal() {}
    // The editor's comparison with the original preset (ChangedTimer).
    virtual void startChangedTimer() {}
    virtual void stopChangedTimer() {}
};

// `bass` picks the editor of the bass family. Null puts back the link of an
// editor that does not exist.
void SetEditorLink(bool bass, EditorLink* link);
EditorLink& FamilyEditor(bool bass);
