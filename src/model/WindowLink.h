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
};

void SetWindowLink(WindowLink* link);
WindowLink& Windows();
