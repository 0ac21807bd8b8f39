#include <QFile>
#include <QPrinter>
#include <QRegularExpression>

#include "librarian/DeviceFormFixture.h"
#include "librarian/Printing.h"

namespace {

// Answers the print dialog by printing into a PDF file, or cancels; records
// the orientation the printer had when it was asked.
struct PdfPrintDialogs : PrintDialogs {
    QString file;
    bool accept = true;
    std::vector<QPageLayout::Orientation> askedWith;

    bool print(QPrinter& printer, QWidget*) override
    {
        askedWith.push_back(printer.pageLayout().orientation());
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setResolution(150);
        printer.setPageOrientation(QPageLayout::Portrait); // the user's choice
        return accept;
    }
};

class PrintingTest : public DeviceFormTest {
protected:
    PdfPrintDialogs printDialogs;
    std::unique_ptr<TPrinting> printing;
    QWidget* active = nullptr;
    QWidget libraryWindow, guitarEditor, bassEditor, settingsWindow;

    void SetUp() override
    {
        DeviceFormTest::SetUp();
        printDialogs.file = path(QStringLiteral("out.pdf"));
        printing = std::make_unique<TPrinting>(form.get());
        printing->SetPrintDialogs(&printDialogs);
        printing->libraryWindow = &libraryWindow;
        printing->guitarEditor = &guitarEditor;
        printing->bassEditor = &bassEditor;
        printing->pictureWindows << &settingsWindow;
        printing->activeWindow = [this] { return active; };
        for (QWidget* w : {&libraryWindow, &guitarEditor, &bassEditor, &settingsWindow})
            w->resize(300, 200);
    }
    void TearDown() override
    {
        printing.reset();
        ListClear(*LibraryList);
        DeviceFormTest::TearDown();
    }

    // Pages of the PDF written, 0 when there is none.
    int pdfPages() const
    {
        QFile pdf(printDialogs.file);
        if (!pdf.open(QIODevice::ReadOnly))
            return 0;
        const QString text = QString::fromLatin1(pdf.readAll());
        return static_cast<int>(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))));
    }
    void removePdf() const { QFile::remove(printDialogs.file); }
    static void library(int count)
    {
        ListClear(*LibraryList);
        for (int i = 0; i < count; ++i) {
            PresetRecord r;
            InitRecord(r, -1);
            ListAdd(*LibraryList, &r);
        }
    }
};

TEST_F(PrintingTest, TheDeviceListIsOneLandscapePage)
{
    EXPECT_TRUE(printing->PrintDExecute());
    EXPECT_EQ(pdfPages(), 1);
    // Landscape before the dialog; the user's choice counts afterwards.
    EXPECT_EQ(printDialogs.askedWith, std::vector<QPageLayout::Orientation>{QPageLayout::Landscape});
    EXPECT_EQ(printing->Printer().pageLayout().orientation(), QPageLayout::Portrait);
}

TEST_F(PrintingTest, ALongLibraryRunsOverSeveralPages)
{
    struct Case {
        int items;
        bool severalPages;
    };
    for (const Case c : {Case{0, false}, Case{5, false}, Case{120, true}}) {
        removePdf();
        library(c.items);
        EXPECT_TRUE(printing->PrintLExecute());
        EXPECT_EQ(pdfPages() > 1, c.severalPages) << c.items;
        EXPECT_GE(pdfPages(), 1) << c.items;
    }
    // The window's own list is printed when it is offered.
    removePdf();
    printing->libraryPrintout = [] {
        LibraryPrintout p;
        p.headers = LibraryColumnCaptions();
        p.columnWidths = LibraryColumnWidths();
        p.rows.resize(300, LibraryPrintRow{false, {QStringLiteral("1")}});
        return p;
    };
    library(0);
    EXPECT_TRUE(printing->PrintLExecute());
    EXPECT_GT(pdfPages(), 2);
}

TEST_F(PrintingTest, ACancelledDialogPrintsNothing)
{
    printDialogs.accept = false;
    guitarEditor.show();
    EXPECT_FALSE(printing->PrintDExecute());
    EXPECT_FALSE(printing->PrintLExecute());
    EXPECT_FALSE(printing->PrintPExecute());
    EXPECT_FALSE(printing->PrintWindow(&settingsWindow));
    EXPECT_EQ(printDialogs.askedWith.size(), 4u);
    EXPECT_EQ(pdfPages(), 0);
}

TEST_F(PrintingTest, TheEditorPictureIsPrintedInLandscapeOnlyWhileAnEditorIsVisible)
{
    EXPECT_FALSE(printing->PrintPExecute());
    EXPECT_TRUE(printDialogs.askedWith.empty());
    bassEditor.show();
    EXPECT_TRUE(printing->PrintPExecute());
    EXPECT_EQ(pdfPages(), 1);
    // Landscape is set after the dialog, whatever was chosen there.
    EXPECT_EQ(printing->Printer().pageLayout().orientation(), QPageLayout::Landscape);
}

// Ctrl+P pressed in the window that is active prints what that window
// shows.
TEST_F(PrintingTest, PrintActsForTheActiveWindow)
{
    struct Case {
        QWidget* window;
        bool prints;
        const char* what;
    };
    printing->activeWindow = [] { return QApplication::activeWindow(); };
    printing->SharePrintKey();
    QObject::connect(form.get(), &TDeviceForm::printRequested, printing.get(), &TPrinting::PrintExecute);
    guitarEditor.show();
    QWidget other;
    other.resize(100, 100);
    const Case cases[] = {
        {form.get(), true, "device window"},    {&libraryWindow, true, "library window"},
        {&guitarEditor, true, "guitar editor"}, {&settingsWindow, true, "settings window"},
        {&other, false, "another window"},
    };
    for (const Case& c : cases) {
        removePdf();
        printDialogs.askedWith.clear();
        c.window->show();
        c.window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(c.window)) << c.what;
        QTest::keyClick(c.window, Qt::Key_P, Qt::ControlModifier);
        EXPECT_EQ(pdfPages(), c.prints ? 1 : 0) << c.what;
        EXPECT_EQ(printDialogs.askedWith.size(), c.prints ? 1u : 0u) << c.what;
    }
}

} // namespace
