#include "librarian/PrintPages.h"

#include <QDateTime>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLocale>
#include <QPaintDevice>
#include <QPainter>
#include <QTableWidget>
#include <QTreeWidget>
#include <algorithm>
#include <numeric>

#include "librarian/DeviceForm.h"

namespace {

constexpr double ShortSideInches = 7.88;
constexpr double CentimetresPerInch = 2.54;
const QString LibraryHead = QStringLiteral("BRAXEL DRUX Library : ");

int whole(double v)
{
    return static_cast<int>(v);
}

QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The painter's font and a black pen, as at the start of every page.
void plainPen(QPainter& painter)
{
    painter.setPen(QPen(Qt::black, 0));
}

void setBold(QPainter& painter, bool bold)
{
    QFont font = painter.font();
    if (font.bold() != bold) {
        font.setBold(bold);
        painter.setFont(font);
    }
}

// Text whose top lies at `top`, cut off at `width` so that a long text does
// not run into the next column.
void cellText(QPainter& painter, int x, int top, int width, int height, const QString& text)
{
    if (text.isEmpty() || width <= 0)
        return;
    painter.drawText(QRect(x, top, width, height), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void hLine(QPainter& painter, const PageGeometry& g, int y)
{
    painter.drawLine(whole(g.margin), y, g.rightEdge, y);
}

QString dateTimeText(double days)
{
    if (whole(days) == 0)
        return QString();
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    const QDateTime when = base.addMSecs(static_cast<qint64>(days * 86400000.0 + 0.5));
    return QLocale::system().toString(when, QLocale::ShortFormat);
}

} // namespace

// ---- geometry ----

PageGeometry PageGeometryFor(int pageWidth, int pageHeight, bool landscape, double fontHeightInches)
{
    PageGeometry g;
    g.pageWidth = pageWidth;
    g.pageHeight = pageHeight;
    g.dotsPerInch = (landscape ? pageHeight : pageWidth) / ShortSideInches;
    g.margin = g.dotsPerInch / CentimetresPerInch;
    g.halfLine = whole(fontHeightInches * g.dotsPerInch / 2);
    g.rowHeight = 5 * g.halfLine;
    g.rightEdge = whole(pageWidth - g.margin);
    return g;
}

PageGeometry PageGeometryOf(const QPainter& painter, bool landscape)
{
    const QPaintDevice* device = painter.device();
    const QFont& font = painter.font();
    const int dpi = device->logicalDpiY() > 0 ? device->logicalDpiY() : 72;
    const double em = font.pointSizeF() > 0 ? font.pointSizeF() / 72.0 : font.pixelSize() / double(dpi);
    return PageGeometryFor(device->width(), device->height(), landscape, em);
}

QFont PrintFont()
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(8);
    font.setBold(false);
    return font;
}

// ---- the device list ----

DeviceListPage DeviceListFromGrid(const TDeviceForm& form)
{
    DeviceListPage page;
    page.caption = form.windowTitle();
    for (int row = 0; row < DeviceListRows; ++row)
        for (int column = 0; column < DeviceListColumns; ++column)
            if (const QTableWidgetItem* item = form.PresetGrid->item(row, column))
                page.cells[row][column] = item->text();
    return page;
}

void PaintDeviceList(QPainter& painter, const DeviceListPage& page, bool landscape)
{
    plainPen(painter);
    setBold(painter, false);
    PageGeometry g = PageGeometryOf(painter, landscape);
    constexpr double SmallestPoints = 4;
    while (g.firstRowTop() + DeviceListRows * g.rowHeight > g.pageHeight) {
        QFont font = painter.font();
        const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 8;
        if (points <= SmallestPoints)
            break;
        font.setPointSizeF(std::max(SmallestPoints, points - 0.5));
        painter.setFont(font);
        g = PageGeometryOf(painter, landscape);
    }
    const int m = whole(g.margin);
    const int h = g.halfLine;
    const int bankColumn = whole(2 * g.margin);
    const int w = whole((g.pageWidth - 4 * g.margin) / 5);

    cellText(painter, m, whole(g.margin - h), g.rightEdge - m, 2 * g.rowHeight, page.caption);
    int y = g.firstRowTop();
    for (int row = 0; row < DeviceListRows; ++row) {
        hLine(painter, g, y);
        int x = m;
        for (int column = 0; column < DeviceListColumns; ++column) {
            const int width = column == 0 ? bankColumn : w;
            setBold(painter, row == 0 || column == 0);
            painter.drawLine(x, y, x, y + g.rowHeight);
            cellText(painter, x + h, y + g.rowHeight / 2 - h, width - h, g.rowHeight, page.cells[row][column]);
            x += width;
        }
        painter.drawLine(g.rightEdge, y, g.rightEdge, y + g.rowHeight);
        y += g.rowHeight;
    }
    hLine(painter, g, y);
    setBold(painter, false);
}

// ---- the library list ----

const QStringList& LibraryColumnCaptions()
{
    static const QStringList captions = {
        QStringLiteral("Number"),  QStringLiteral("Preset-name"), QStringLiteral("Device ID"),
        QStringLiteral("Bank"),    QStringLiteral("Preset"),      QStringLiteral("Comment"),
        QStringLiteral("Date/Time"), QStringLiteral("Created by"),
    };
    return captions;
}

const QList<int>& LibraryColumnWidths()
{
    static const QList<int> widths = {49, 188, 60, 37, 42, 56, 63, 66};
    return widths;
}

LibraryPrintout LibraryPrintoutFromList(const PresetRecordList& list, const QString& caption,
                                        const QList<int>& columnWidths, int listWidth)
{
    LibraryPrintout printout;
    printout.caption = caption;
    printout.headers = LibraryColumnCaptions();
    printout.columnWidths = columnWidths.isEmpty() ? LibraryColumnWidths() : columnWidths;
    printout.listWidth =
        listWidth > 0 ? listWidth : std::accumulate(printout.columnWidths.begin(), printout.columnWidths.end(), 0);
    int number = 0;
    for (int i = 0; i < list.count; ++i) {
        const PresetRecord& r = list.at(i);
        LibraryPrintRow row;
        row.commentLine = r.isCommentLine();
        if (row.commentLine) {
            row.cells << latin1(r.comment);
        } else {
            const bool noSlot = r.origin < 0;
            row.cells << QString::number(++number) << latin1(GetRecordName(r)) << QString::number(r.deviceId)
                      << (noSlot ? QStringLiteral("?") : QString::number(SlotBank(r.origin)))
                      << (noSlot ? QStringLiteral("?") : QString(QChar::fromLatin1(SlotLetter(r.origin))))
                      << latin1(r.comment) << dateTimeText(r.dateTime) << latin1(r.createdBy);
        }
        printout.rows.push_back(row);
    }
    return printout;
}

LibraryPrintout LibraryPrintoutFromView(const QTreeWidget& view, const QString& caption)
{
    QList<int> widths;
    for (int column = 0; column < view.columnCount(); ++column)
        widths << view.columnWidth(column);
    if (widths.size() != LibraryColumnCaptions().size())
        widths.clear();
    return LibraryPrintoutFromList(*LibraryList, caption, widths, view.width());
}

int PaintLibraryList(QPainter& painter, const LibraryPrintout& printout, bool landscape, const NewPage& newPage)
{
    plainPen(painter);
    setBold(painter, false);
    const PageGeometry g = PageGeometryOf(painter, landscape);
    const int m = whole(g.margin);
    const int h = g.halfLine;
    // A list without a width on screen is printed at the width of its columns.
    int screenWidth = printout.listWidth;
    if (screenWidth <= 0)
        screenWidth = std::accumulate(printout.columnWidths.begin(), printout.columnWidths.end(), 0);
    const double scale = screenWidth > 0 ? (g.pageWidth - 2 * g.margin) / screenWidth : 1.0;
    std::vector<int> widths;
    for (int width : printout.columnWidths)
        widths.push_back(whole(width * scale));
    const int columns = static_cast<int>(std::min<qsizetype>(widths.size(), printout.headers.size()));

    int pageNumber = 1;
    auto head = [&] {
        setBold(painter, false);
        const int top = whole(g.margin - h);
        cellText(painter, m, top, g.rightEdge - h - m, 2 * g.rowHeight, LibraryHead + printout.caption);
        cellText(painter, g.rightEdge - h, top, g.pageWidth - g.rightEdge + h, 2 * g.rowHeight,
                 QString::number(pageNumber));
    };
    // Cells of one row from x = m; `texts` short of a column leave it empty.
    auto cells = [&](int y, const QStringList& texts) {
        int x = m;
        for (int column = 0; column < columns; ++column) {
            painter.drawLine(x, y, x, y + g.rowHeight);
            const int right = std::min(x + widths[column], g.rightEdge);
            cellText(painter, x + h, y + g.rowHeight / 2 - h, right - x - h, g.rowHeight,
                     texts.value(column));
            x += widths[column];
        }
    };

    head();
    int y = g.firstRowTop();
    const int rowCount = static_cast<int>(printout.rows.size()) + 1;
    for (int row = 0; row < rowCount; ++row) {
        hLine(painter, g, y);
        if (row == 0) {
            setBold(painter, true);
            cells(y, printout.headers);
        } else if (const LibraryPrintRow& item = printout.rows[row - 1]; item.commentLine) {
            setBold(painter, true);
            painter.drawLine(m, y, m, y + g.rowHeight);
            cellText(painter, m + h, y + g.rowHeight / 2 - h, g.rightEdge - m - 2 * h, g.rowHeight,
                     item.cells.value(0));
        } else {
            setBold(painter, false);
            cells(y, item.cells);
        }
        painter.drawLine(g.rightEdge, y, g.rightEdge, y + g.rowHeight);
        y += g.rowHeight;
        // A page ends where the next row would no longer fit; after the last
        // row the table simply closes, without an empty page behind it.
        const bool moreRows = row + 1 < rowCount;
        if (moreRows && y + g.rowHeight >= g.pageHeight) {
            hLine(painter, g, y);
            if (!newPage || !newPage())
                return pageNumber;
            ++pageNumber;
            plainPen(painter);
            y = g.firstRowTop();
            head();
        }
    }
    hLine(painter, g, y);
    setBold(painter, false);
    return pageNumber;
}

// ---- pictures of windows ----

void PaintWindowPicture(QPainter& painter, const QImage& picture, double sourceDpi, bool landscape)
{
    if (picture.isNull())
        return;
    const PageGeometry g = PageGeometryOf(painter, landscape);
    const QPaintDevice* device = painter.device();
    double scale = sourceDpi > 0 ? device->logicalDpiX() / sourceDpi : 1.0;
    const double room = g.pageWidth - 2 * g.margin;
    const double roomHeight = g.pageHeight - 2 * g.margin;
    scale = std::min({scale, room / picture.width(), roomHeight / picture.height()});
    const QRectF target(g.margin, g.margin, picture.width() * scale, picture.height() * scale);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
}
