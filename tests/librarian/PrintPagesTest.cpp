#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTextItem>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "librarian/PrintPages.h"
#include "model/RecordingUnit.h"

namespace {

// What a printout drew, page by page.
struct Drawn {
    struct Text {
        int page;
        QString text;
        QPointF at;
        bool bold;
    };
    struct Line {
        int page;
        QLineF line;
    };
    std::vector<Text> texts;
    std::vector<Line> lines;
    int page = 1;

    std::vector<Text> textsOn(int p) const
    {
        std::vector<Text> result;
        for (const Text& t : texts)
            if (t.page == p)
                result.push_back(t);
        return result;
    }
    // Horizontal lines on a page, each a row boundary.
    int horizontalLines(int p) const
    {
        int n = 0;
        for (const Line& l : lines)
            n += l.page == p && l.line.dy() == 0 && l.line.dx() != 0;
        return n;
    }
    // Vertical lines starting at height `y`.
    int verticalLinesAt(int p, double y) const
    {
        int n = 0;
        for (const Line& l : lines)
            n += l.page == p && l.line.dx() == 0 && l.line.y1() == y;
        return n;
    }
    int count(const QString& text) const
    {
        return static_cast<int>(std::count_if(texts.begin(), texts.end(), [&](const Text& t) { return t.text == text; }));
    }
    double lowestLine(int p) const
    {
        double y = 0;
        for (const Line& l : lines)
            if (l.page == p)
                y = std::max({y, l.line.y1(), l.line.y2()});
        return y;
    }
};

class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(Drawn& drawn)
        : QPaintEngine(AllFeatures)
        , drawn(drawn)
    {
    }
    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState&) override {}
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawTextItem(const QPointF& p, const QTextItem& item) override
    {
        drawn.texts.push_back({drawn.page, item.text(), p, item.font().bold()});
    }
    void drawLines(const QLine* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            drawn.lines.push_back({drawn.page, QLineF(lines[i])});
    }
    void drawLines(const QLineF* lines, int count) override
    {
        for (int i = 0; i < count; ++i)
            drawn.lines.push_back({drawn.page, lines[i]});
    }
    Type type() const override { return User; }

private:
    Drawn& drawn;
};

// A page of A4 at 150 dots per inch, landscape unless told.
class RecordingPage : public QPaintDevice {
public:
    explicit RecordingPage(QSize size = QSize(1754, 1240), int dpi = 150)
        : size(size)
        , dpi(dpi)
        , engine(drawn)
    {
    }
    QPaintEngine* paintEngine() const override { return &engine; }
    Drawn drawn;

protected:
    int metric(PaintDeviceMetric m) const override
    {
        // Width and height in pixels, the same resolution either way.
        switch (m) {
        case PdmWidth: return size.width();
        case PdmHeight: return size.height();
        case PdmWidthMM: return size.width() * 254 / (10 * dpi);
        case PdmHeightMM: return size.height() * 254 / (10 * dpi);
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        default: return dpi;
        }
    }

private:
    QSize size;
    int dpi;
    mutable RecordingEngine engine;
};

DeviceListPage namedGrid()
{
    DeviceListPage page;
    page.caption = QStringLiteral("BRAXEL DRUX Device :Stage");
    for (int c = 1; c < DeviceListColumns; ++c)
        page.cells[0][c] = QStringLiteral("Preset %1").arg(QChar('A' + c - 1));
    for (int r = 1; r < DeviceListRows; ++r) {
        page.cells[r][0] = QStringLiteral("Bank %1").arg(r);
        for (int c = 1; c < DeviceListColumns; ++c)
            page.cells[r][c] = QStringLiteral("p%1").arg((r - 1) * 5 + c - 1);
    }
    return page;
}

Drawn printDeviceList(RecordingPage& page, double points, bool landscape = true)
{
    QPainter painter(&page);
    QFont font = PrintFont();
    font.setPointSizeF(points);
    painter.setFont(font);
    PaintDeviceList(painter, namedGrid(), landscape);
    painter.end();
    return page.drawn;
}

// ---- geometry ----

TEST(PrintGeometry, TheShortSideCountsAsSevenPointEightEightInches)
{
    // 10 points at 788 short-side pixels: d = 100, half a line = 100 * (10/72) / 2.
    const PageGeometry portrait = PageGeometryFor(788, 1100, false, 10.0 / 72);
    EXPECT_DOUBLE_EQ(portrait.dotsPerInch, 100);
    EXPECT_NEAR(portrait.margin, 39.37, 0.01);
    EXPECT_EQ(portrait.halfLine, 6);
    EXPECT_EQ(portrait.rowHeight, 30);
    EXPECT_EQ(portrait.rightEdge, 748);
    EXPECT_EQ(portrait.firstRowTop(), 54);
    const PageGeometry landscape = PageGeometryFor(1100, 788, true, 10.0 / 72);
    EXPECT_DOUBLE_EQ(landscape.dotsPerInch, 100);
    EXPECT_EQ(landscape.rightEdge, 1060);
}

// ---- the device list ----

TEST(DeviceListPrint, TwentySixRowsOfSixCellsOnOnePage)
{
    RecordingPage page;
    const Drawn drawn = printDeviceList(page, 8);
    // 26 rows and the closing line.
    EXPECT_EQ(drawn.horizontalLines(1), 27);
    // Six cell lines and the right edge in every row.
    const PageGeometry g = PageGeometryFor(1754, 1240, true, 8.0 / 72);
    for (int row = 0; row < DeviceListRows; ++row)
        EXPECT_EQ(drawn.verticalLinesAt(1, g.firstRowTop() + row * g.rowHeight), 7) << row;
    EXPECT_LE(drawn.lowestLine(1), 1240);
    // The caption, 5 + 25 headers, 125 names.
    EXPECT_EQ(drawn.texts.size(), 1u + 30 + 125);
    EXPECT_EQ(drawn.texts.front().text, QStringLiteral("BRAXEL DRUX Device :Stage"));
    EXPECT_EQ(drawn.count(QStringLiteral("p124")), 1);
    for (const Drawn::Text& t : drawn.texts) {
        const bool header = t.text.startsWith(QStringLiteral("Preset ")) || t.text.startsWith(QStringLiteral("Bank"));
        EXPECT_EQ(t.bold, header) << t.text.toStdString();
    }
}

TEST(DeviceListPrint, ALargeFontShrinksUntilTheTableFits)
{
    for (const bool landscape : {true, false}) {
        RecordingPage page(landscape ? QSize(1754, 1240) : QSize(1240, 1754));
        const Drawn drawn = printDeviceList(page, 20, landscape);
        EXPECT_EQ(drawn.horizontalLines(1), 27);
        EXPECT_LE(drawn.lowestLine(1), landscape ? 1240 : 1754) << landscape;
    }
}

// ---- the library list ----

class LibraryPrint : public ::testing::Test, public ModelFixtureBase {
protected:
    void SetUp() override { setUpModel(ModelDrux2); }
    void TearDown() override { tearDownModel(); }

    // `comments` lists the indices that are comment lines.
    static LibraryPrintout printout(int count, std::vector<int> comments = {})
    {
        PresetRecordList list;
        ListInit(list);
        for (int i = 0; i < count; ++i) {
            PresetRecord r;
            InitRecord(r, -1);
            SetRecordName(r, "lib" + std::to_string(i));
            r.origin = i % SlotCount;
            if (std::find(comments.begin(), comments.end(), i) != comments.end()) {
                r.origin = -1;
                r.comment = "Section " + std::to_string(i);
            }
            ListAdd(list, &r);
        }
        LibraryPrintout result = LibraryPrintoutFromList(list, QStringLiteral("/home/u/Songs.dlb"));
        ListClear(list);
        return result;
    }
    static Drawn print(const LibraryPrintout& printout, int& pages)
    {
        RecordingPage page;
        QPainter painter(&page);
        painter.setFont(PrintFont());
        pages = PaintLibraryList(painter, printout, true, [&page] {
            ++page.drawn.page;
            return true;
        });
        painter.end();
        return page.drawn;
    }
    static int rowsOn(const Drawn& drawn, int page)
    {
        // Every row starts with a line at the left margin; the closing line
        // of the page is the one more.
        return drawn.horizontalLines(page) - 1;
    }
    // Items that fill the first page exactly (the header row included).
    static int firstPageItems()
    {
        int pages = 0;
        const Drawn drawn = print(printout(200), pages);
        return rowsOn(drawn, 1) - 1;
    }
};

TEST_F(LibraryPrint, RowsShowTheListsColumns)
{
    const LibraryPrintout p = printout(3, {1});
    ASSERT_EQ(p.rows.size(), 3u);
    EXPECT_EQ(p.rows[0].cells, (QStringList{"1", "lib0            ", "0", "1", "A", "", "", ""}));
    EXPECT_TRUE(p.rows[1].commentLine);
    EXPECT_EQ(p.rows[1].cells, QStringList{"Section 1"});
    // The running number skips comment lines.
    EXPECT_EQ(p.rows[2].cells.value(0), QStringLiteral("2"));
    EXPECT_EQ(p.rows[2].cells.value(3), QStringLiteral("1"));
    EXPECT_EQ(p.rows[2].cells.value(4), QStringLiteral("C"));
    EXPECT_EQ(p.listWidth, 561);
}

TEST_F(LibraryPrint, TheWindowsListLendsItsWidths)
{
    QTreeWidget view;
    view.setColumnCount(8);
    for (int column = 0; column < 8; ++column)
        view.setColumnWidth(column, 40 + 10 * column);
    view.resize(700, 300);
    const LibraryPrintout fromView = LibraryPrintoutFromView(view, QStringLiteral("Songs"));
    EXPECT_EQ(fromView.columnWidths, (QList<int>{40, 50, 60, 70, 80, 90, 100, 110}));
    EXPECT_EQ(fromView.listWidth, 700);
    // A list of other columns is not taken for the library's.
    view.setColumnCount(3);
    EXPECT_EQ(LibraryPrintoutFromView(view, QString()).columnWidths, LibraryColumnWidths());
}

TEST_F(LibraryPrint, AnEmptyLibraryPrintsTheHeadAndTheHeaderRow)
{
    int pages = 0;
    const Drawn drawn = print(printout(0), pages);
    EXPECT_EQ(pages, 1);
    EXPECT_EQ(rowsOn(drawn, 1), 1);
    QStringList texts;
    for (const Drawn::Text& t : drawn.texts)
        texts << t.text;
    QStringList expected{"BRAXEL DRUX Library : /home/u/Songs.dlb", "1"};
    expected << LibraryColumnCaptions();
    EXPECT_EQ(texts, expected);
}

TEST_F(LibraryPrint, LongListsContinueWithTheHeadAndTheNextPageNumber)
{
    const int perPage = firstPageItems();
    ASSERT_GT(perPage, 5);
    const int items = 2 * perPage + 10;
    int pages = 0;
    const Drawn drawn = print(printout(items), pages);
    EXPECT_EQ(pages, 3);
    EXPECT_EQ(drawn.page, 3);
    // Every item once, the column captions only on the first page.
    EXPECT_EQ(rowsOn(drawn, 1) + rowsOn(drawn, 2) + rowsOn(drawn, 3), items + 1);
    // A following page has no header row, so one item more fits.
    EXPECT_EQ(rowsOn(drawn, 2), perPage + 1);
    EXPECT_EQ(drawn.count(QStringLiteral("Number")), 1);
    EXPECT_EQ(drawn.count(QStringLiteral("lib%1").arg(items - 1).leftJustified(NameLength)), 1);
    for (int p = 1; p <= 3; ++p) {
        const std::vector<Drawn::Text> texts = drawn.textsOn(p);
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts[0].text, QStringLiteral("BRAXEL DRUX Library : /home/u/Songs.dlb"));
        EXPECT_EQ(texts[1].text, QString::number(p));
        EXPECT_LE(drawn.lowestLine(p), 1240);
    }
    // Page 2 begins with the next item's running number.
    EXPECT_EQ(drawn.textsOn(2)[2].text, QString::number(perPage + 1));
}

TEST_F(LibraryPrint, AFullLastPageIsNotFollowedByAnEmptyOne)
{
    const int perPage = firstPageItems();
    struct Case {
        int items, pages;
    };
    for (const Case c : {Case{perPage, 1}, Case{perPage + 1, 2}}) {
        int pages = 0;
        const Drawn drawn = print(printout(c.items), pages);
        EXPECT_EQ(pages, c.pages) << c.items;
        EXPECT_EQ(drawn.page, c.pages) << c.items;
    }
}

TEST_F(LibraryPrint, ACommentLineIsOneBoldTextWithoutInnerColumns)
{
    int pages = 0;
    const Drawn drawn = print(printout(3, {1}), pages);
    const PageGeometry g = PageGeometryFor(1754, 1240, true, 8.0 / 72);
    const int commentTop = g.firstRowTop() + 2 * g.rowHeight;
    EXPECT_EQ(drawn.verticalLinesAt(1, commentTop), 2);
    EXPECT_EQ(drawn.verticalLinesAt(1, commentTop - g.rowHeight), 9);
    int found = 0;
    for (const Drawn::Text& t : drawn.texts)
        if (t.text == QStringLiteral("Section 1")) {
            ++found;
            EXPECT_TRUE(t.bold);
        } else if (t.text.startsWith(QStringLiteral("lib"))) {
            EXPECT_FALSE(t.bold);
        }
    EXPECT_EQ(found, 1);
}

// ---- pictures ----

TEST(WindowPicture, APictureKeepsItsScreenSizeAndShrinksToFit)
{
    struct Case {
        QSize picture;
        double sourceDpi;
        double expectedWidth;
    };
    // A page of 1754 x 1240 at 150 dpi; the margin is one centimetre of d.
    const PageGeometry g = PageGeometryFor(1754, 1240, true, 8.0 / 72);
    const Case cases[] = {
        {{300, 200}, 75, 600},
        {{789, 583}, 150, 789},
        {{3000, 500}, 150, 1754 - 2 * g.margin},
    };
    for (const Case& c : cases) {
        QImage picture(c.picture, QImage::Format_RGB32);
        picture.fill(Qt::black);
        QImage page(1754, 1240, QImage::Format_RGB32);
        page.setDotsPerMeterX(5906);
        page.setDotsPerMeterY(5906);
        page.fill(Qt::white);
        QPainter painter(&page);
        PaintWindowPicture(painter, picture, c.sourceDpi, true);
        painter.end();
        int right = 0;
        const int row = static_cast<int>(g.margin) + 5;
        for (int x = 0; x < page.width(); ++x)
            if (qGray(page.pixel(x, row)) < 128)
                right = x;
        EXPECT_NEAR(right - g.margin, c.expectedWidth, 3) << c.picture.width();
    }
}

} // namespace
