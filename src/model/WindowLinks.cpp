#include "model/EditorLink.h"
#include "model/MemoryView.h"

namespace {

MemoryView noMemoryView;
MemoryView* memoryView = &noMemoryView;
EditorLink noEditor;
EditorLink* editorLinks[2] = {&noEditor, &noEditor};

} // namespace

void SetMemoryView(MemoryView* view) { memoryView = view ? view : &noMemoryView; }
MemoryView& MemoryWindow() { return *memoryView; }

void SetEditorLink(bool bass, EditorLink* link) { editorLinks[bass ? 1 : 0] = link ? link : &noEditor; }
EditorLink& FamilyEditor(bool bass) { return *editorLinks[bass ? 1 : 0]; }
