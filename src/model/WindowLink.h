#pragma once

#include <string>

// What the model asks of the windows. The windows install an implementation;
// without one (tests, the command-line tool) the requests do nothing.
class WindowLink {
public:
    virtual ~WindowLink() = default;
    // Redraw the device window's cell of one slot (0..124).
    virtual void redrawSlot(int) {}
    // A new unit is active: close the editor of the other family and the
    // library window, without confirmations.
    virtual void closeWindowsForModel(int) {}
    // Name shown in the active editor's name label (bass editor for the bass
    // family), for capturing the edit buffer.
    virtual std::string editorPresetName(bool /*bass*/) { return {}; }
    // Show the edit buffer's name in the device window and both editors.
    virtual void showEditBufferName(const std::string&) {}

    // Controllers from the unit. `bass` picks the editor of the bass family.
    // Whether that editor window has been created, and whether it is shown.
    virtual bool editorExists(bool /*bass*/) { return false; }
    virtual bool editorVisible(bool /*bass*/) { return false; }
    // A preset name arrived from the unit: show it in the editor's name label
    // and in the device window's current preset field.
    virtual void showUnitPresetName(bool /*bass*/, const std::string&) {}
    // The editor's settings became the original: clear its edited mark and
    // switch its original button on.
    virtual void editorTookOriginal(bool /*bass*/) {}
    // The editor's comparison with the original preset (ChangedTimer).
    virtual void enableChangedTimer(bool /*bass*/) {}
    virtual void stopChangedTimer(bool /*bass*/) {}
    // An error box with an OK button (texts in the host's Latin-1).
    virtual void showError(const std::string&) {}
    // A question with Yes and No; true for Yes. Without windows nobody can
    // be asked, and the action the user started goes ahead.
    virtual bool askYesNo(const std::string&) { return true; }
    // The active preference set changed: knobs take the new drag mode and
    // the visible editor windows are shown again to take the rest.
    virtual void preferencesChanged() {}
};

void SetWindowLink(WindowLink* link);
WindowLink& Windows();
