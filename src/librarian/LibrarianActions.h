#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QAction;

// The actions both librarian windows offer: Save, Save As, Print Library
// List, Undo and Redo. The program owns one and hands it to the device
// window, which carries the actions out and lists them in its menus, and to
// the library window, whose buttons and menu run them. What the library
// window asks of the device side comes through here too, so that neither
// window holds the other.
class LibrarianActions : public QObject {
    Q_OBJECT
public:
    explicit LibrarianActions(QObject* parent = nullptr);

    QAction* Save;
    QAction* SaveAs;
    QAction* PrintL;
    QAction* Undo;
    QAction* Redo;

    // Save As; false when the library was not written (cancelled or failed).
    std::function<bool()> saveLibraryAs;
    // The name in the Current Preset field: a drag from it carries the edit
    // buffer under that name.
    std::function<QString()> editBufferName;
    // Where the save and open dialogs start from now on.
    std::function<void(const QString& folder)> setDialogDirectory;
    // Asked before Open replaces the library list: false keeps the list (the
    // library window offers to save unsaved changes first). Without an
    // answer the list may be replaced.
    std::function<bool()> libraryMayBeReplaced;
};
