#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

#include "model/Presets.h"

class QFont;
class QPainter;
class QTreeWidget;
class TDeviceForm;

// The printed tables, drawn line by line with the painter's current font on
// whatever device the painter is active on (a printer, a PDF writer, an
// image). Nothing here opens a dialog or chooses a printer.

// Lengths on a page, in the device's pixels. The short side of the page
// counts as 7.88 inches whatever the paper, so a table keeps its
// proportions on any printer.
struct PageGeometry {
    int pageWidth = 0;
    int pageHeight = 0;
    double dotsPerInch = 0; // d
    double margin = 0;      // one centimetre
    int halfLine = 0;       // half a character height
    int rowHeight = 0;      // two and a half character heights
    int rightEdge = 0;

    // Top of the first row.
    int firstRowTop() const { return static_cast<int>(margin + rowHeight / 2); }
};

// `fontHeightInches` is the character height (the em) of the font in inches.
PageGeometry PageGeometryFor(int pageWidth, int pageHeight, bool landscape, double fontHeightInches);
// The geometry of the painter's device with the painter's font.
PageGeometry PageGeometryOf(const QPainter& painter, bool landscape);

// The font the tables are printed in: the application's font at 8 points,
// small enough for the 26 rows of the device list on a landscape page.
QFont PrintFont();

// ---- the device list ----

constexpr int DeviceListColumns = 6;
constexpr int DeviceListRows = 26;

// The device window's grid as text: row 0 the header with the preset
// letters, rows 1..25 the banks; column 0 the bank headers.
struct DeviceListPage {
    QString caption;
    std::array<std::array<QString, DeviceListColumns>, DeviceListRows> cells;
};

DeviceListPage DeviceListFromGrid(const TDeviceForm& form);

// One page: the caption above a table of 26 rows by 6 columns. A font too
// large for that is made smaller until the table fits.
void PaintDeviceList(QPainter& painter, const DeviceListPage& page, bool landscape);

// ---- the library list ----

struct LibraryPrintRow {
    bool commentLine = false;
    // One text per column; a comment line has only its text.
    QStringList cells;
};

// The library window's preset list as it is shown: column captions and
// on-screen widths, the list's own width on screen, and the rows.
struct LibraryPrintout {
    QString caption; // the library window's caption (the library's path)
    QStringList headers;
    QList<int> columnWidths;
    int listWidth = 0;
    std::vector<LibraryPrintRow> rows;
};

// The columns of the library window's list and their widths on screen.
const QStringList& LibraryColumnCaptions();
const QList<int>& LibraryColumnWidths();

// The rows of `list` as the library window shows them: running numbers for
// the presets, "?" for a bank and letter of no slot. Widths default to the
// window's own when `columnWidths` is empty; `listWidth` 0 means the sum of
// the widths.
LibraryPrintout LibraryPrintoutFromList(const PresetRecordList& list, const QString& caption,
                                        const QList<int>& columnWidths = {}, int listWidth = 0);

// LibraryList with the column widths and the width that `view` (the library
// window's preset list) has on screen.
LibraryPrintout LibraryPrintoutFromView(const QTreeWidget& view, const QString& caption);

// Starts a fresh page on the painter's device; false when none can be had
// (the printout then ends).
using NewPage = std::function<bool()>;

// As many pages as the rows need, each with the head and its page number;
// the column captions only on the first. Returns the number of pages.
int PaintLibraryList(QPainter& painter, const LibraryPrintout& printout, bool landscape, const NewPage& newPage);

// ---- pictures of windows ----

// Draws `picture` at the top-left margin, scaled from `sourceDpi` to the
// device's resolution so that it appears at about its size on screen, and
// shrunk to fit the page when it is larger.
class QImage;
void PaintWindowPicture(QPainter& painter, const QImage& picture, double sourceDpi, bool landscape);
