#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "librarian/PrintPages.h"

class QPrinter;
class TDeviceForm;

// The dialogs of printing. Tests install one that answers without a window.
class PrintDialogs {
public:
    virtual ~PrintDialogs() = default;
    // The print dialog, with printing to a file switched off and no other
    // options; false when it was cancelled. The copies chosen go to the
    // printer.
    virtual bool print(QPrinter& printer, QWidget* parent);
    // The printer set-up dialog.
    virtual bool pageSetup(QPrinter& printer, QWidget* parent);
};

// The print commands of the device window: the device list, the library
// list, a picture of the visible editor, Print by the active window, and
// the printer set-up. One printer is kept for the program's life, so that
// a set-up applies to every later print; it is made at the first print
// command, since making it loads the print system's libraries.
class TPrinting : public QObject {
    Q_OBJECT
public:
    explicit TPrinting(TDeviceForm* deviceForm, QObject* parent = nullptr);
    ~TPrinting() override;

    QPrinter& Printer();
    // Null restores the real dialogs.
    void SetPrintDialogs(PrintDialogs* dialogs);

    // The windows that print (any may be null).
    QPointer<QWidget> libraryWindow;
    QPointer<QWidget> guitarEditor;
    QPointer<QWidget> bassEditor;
    // Windows that Print turns into a picture when they are active (the
    // configuration window, the preferences dialog).
    QList<QPointer<QWidget>> pictureWindows;
    // The library window's list as it is shown; without it the library
    // list is printed with the window's default column widths.
    std::function<LibraryPrintout()> libraryPrintout;
    // The window Print acts for; the application's active window unless
    // replaced.
    std::function<QWidget*()> activeWindow;

    // Ctrl+P works in every window that prints, not only in the device
    // window: its Print action goes to the windows named above.
    void SharePrintKey();

    void PrintSetupExecute();
    // Each returns whether anything was printed.
    bool PrintDExecute();
    bool PrintLExecute();
    bool PrintPExecute();
    bool PrintExecute();
    // The print dialog, then a picture of `window`'s client area.
    bool PrintWindow(QWidget* window);

private:
    bool askToPrint();
    bool printPicture(QWidget* window);

    TDeviceForm* deviceForm;
    std::unique_ptr<QPrinter> printer;
    PrintDialogs defaultDialogs;
    PrintDialogs* dialogs = &defaultDialogs;
};
