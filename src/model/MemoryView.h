#pragma once

#include <string>

// What the model asks of the device memory window. The program installs an
// implementation; without one (tests, the command-line tool) the requests
// do nothing.
class MemoryView {
public:
    virtual ~MemoryView() = default;
    // Redraw the device window's cell of one slot (0..124).
    virtual void redrawSlot(int) {}
    // Show the edit buffer's name in the device window and both editors.
    virtual void showEditBufferName(const std::string&) {}
    // A new unit of `model` is active: close the editor of the other family
    // and the library window, without confirmations.
    virtual void closeWindowsForModel(int /*model*/) {}
};

// Null puts back the view that does nothing.
void SetMemoryView(MemoryView* view);
MemoryView& MemoryWindow();
