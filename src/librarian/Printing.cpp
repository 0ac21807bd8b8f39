#include "librarian/Printing.h"

#include <QApplication>
#include <QImage>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

#include "librarian/DeviceForm.h"
#include "librarian/LibrarianState.h"
#include "model/Trace.h"

bool PrintDialogs::print(QPrinter& printer, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintDialogOptions());
    return dialog.exec() == QDialog::Accepted;
}

bool PrintDialogs::pageSetup(QPrinter& printer, QWidget* parent)
{
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

namespace {

bool landscape(const QPrinter& printer)
{
    return printer.pageLayout().orientation() == QPageLayout::Landscape;
}

// Starts the document; a printer that cannot start has said so through the
// platform already.
bool begin(QPainter& painter, QPrinter& printer)
{
    if (painter.begin(&printer)) {
        painter.setFont(PrintFont());
        return true;
    }
    TraceLine(0, "  Printer could not start the document");
    return false;
}

} // namespace

TPrinting::TPrinting(TDeviceForm* deviceForm_, QObject* parent)
    : QObject(parent)
    , deviceForm(deviceForm_)
{
    activeWindow = [] { return QApplication::activeWindow(); };
}

TPrinting::~TPrinting() = default;

QPrinter& TPrinting::Printer()
{
    if (!printer)
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

void TPrinting::SetPrintDialogs(PrintDialogs* replacement)
{
    dialogs = replacement ? replacement : &defaultDialogs;
}

void TPrinting::SharePrintKey()
{
    if (!deviceForm)
        return;
    QList<QPointer<QWidget>> windows{libraryWindow, guitarEditor, bassEditor};
    windows << pictureWindows;
    for (const QPointer<QWidget>& window : windows)
        if (window)
            window->addAction(deviceForm->Print);
}

void TPrinting::PrintSetupExecute()
{
    dialogs->pageSetup(Printer(), deviceForm);
}

bool TPrinting::askToPrint()
{
    return dialogs->print(Printer(), deviceForm);
}

bool TPrinting::PrintDExecute()
{
    if (!deviceForm)
        return false;
    Printer().setPageOrientation(QPageLayout::Landscape);
    if (!askToPrint())
        return false;
    QPainter painter;
    if (!begin(painter, Printer()))
        return false;
    PaintDeviceList(painter, DeviceListFromGrid(*deviceForm), landscape(Printer()));
    painter.end();
    return true;
}

bool TPrinting::PrintLExecute()
{
    const LibraryPrintout printout =
        libraryPrintout ? libraryPrintout() : LibraryPrintoutFromList(*LibraryList, LibraryFileName);
    Printer().setPageOrientation(QPageLayout::Landscape);
    if (!askToPrint())
        return false;
    QPainter painter;
    if (!begin(painter, Printer()))
        return false;
    QPrinter& target = Printer();
    PaintLibraryList(painter, printout, landscape(target), [&target] { return target.newPage(); });
    painter.end();
    return true;
}

bool TPrinting::PrintPExecute()
{
    QWidget* editor = guitarEditor && guitarEditor->isVisible() ? guitarEditor.data()
                      : bassEditor && bassEditor->isVisible()   ? bassEditor.data()
                                                                : nullptr;
    if (!editor)
        return false;
    if (!askToPrint())
        return false;
    Printer().setPageOrientation(QPageLayout::Landscape);
    return printPicture(editor);
}

bool TPrinting::PrintWindow(QWidget* window)
{
    if (!window)
        return false;
    if (!askToPrint())
        return false;
    return printPicture(window);
}

bool TPrinting::printPicture(QWidget* window)
{
    const QImage picture = window->grab().toImage();
    QPainter painter;
    if (!begin(painter, Printer()))
        return false;
    PaintWindowPicture(painter, picture, window->logicalDpiX() * picture.devicePixelRatio(), landscape(Printer()));
    painter.end();
    return true;
}

bool TPrinting::PrintExecute()
{
    QWidget* active = activeWindow ? activeWindow() : nullptr;
    if (!active)
        return false;
    if (active == deviceForm)
        return PrintDExecute();
    if (active == libraryWindow)
        return PrintLExecute();
    if (active == guitarEditor || active == bassEditor)
        return PrintPExecute();
    for (const QPointer<QWidget>& window : pictureWindows)
        if (window && active == window)
            return PrintWindow(active);
    return false;
}
