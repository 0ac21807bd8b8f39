#include "monitor/MidiMonitorForm.h"

#include <QAbstractTableModel>
#include <algorithm>
#include <chrono>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QPainter>
#include <QSortFilterProxyModel>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "shell/HelpPage.h"
#include "shell/MessageService.h"
#include "files/Preferences.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"

namespace {
enum Column { TimeColumn, DirectionColumn, PortColumn, TextColumn, HexColumn, ColumnCount };
constexpr const char* Headers[ColumnCount] = {"Time (ms)", "Dir", "Port", "Message", "Bytes"};
constexpr const char* MonitorHelpAnchor = "#MidiMonitor";

QString directionText(MidiTapEvent::Kind k)
{
    switch (k) {
    case MidiTapEvent::Received:
        return QStringLiteral("in");
    case MidiTapEvent::Sent:
        return QStringLiteral("out");
    case MidiTapEvent::Trace:
        break;
    }
    return QStringLiteral("trace");
}
} // namespace

// The kept lines, oldest first. Appends and removals are told to the views
// in one step per frame.
class MonitorLineModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    std::deque<MonitorLine> rows;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
            return QString::fromLatin1(Headers[section]);
        return {};
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const MonitorLine& l = rows[size_t(index.row())];
        switch (index.column()) {
        case TimeColumn:
            return QString::number(l.ms, 'f', 1);
        case DirectionColumn:
            return directionText(l.direction);
        case PortColumn:
            return l.port;
        case TextColumn:
            return l.text;
        default:
            return l.hex;
        }
    }

    void append(std::vector<MonitorLine>& more)
    {
        if (more.empty())
            return;
        // Only the newest lines of a batch larger than the limit are kept.
        const size_t limit = TMidiMonitorForm::MonitorLineLimit;
        if (more.size() > limit)
            more.erase(more.begin(), more.end() - long(limit));
        const size_t overflow = rows.size() + more.size() > limit ? rows.size() + more.size() - limit : 0;
        if (overflow) {
            beginRemoveRows({}, 0, int(overflow) - 1);
            rows.erase(rows.begin(), rows.begin() + long(overflow));
            endRemoveRows();
        }
        beginInsertRows({}, int(rows.size()), int(rows.size() + more.size()) - 1);
        for (MonitorLine& l : more)
            rows.push_back(std::move(l));
        endInsertRows();
    }

    void clear()
    {
        beginResetModel();
        rows.clear();
        endResetModel();
    }
};

namespace {
// Lets a line through when its direction's box and its kind's box are on.
class LineFilter : public QSortFilterProxyModel {
public:
    LineFilter(const MonitorLineModel& m, const TMidiMonitorForm& f, QObject* parent)
        : QSortFilterProxyModel(parent), model(m), form(f)
    {
    }
    void refilter() { invalidateRowsFilter(); }

protected:
    bool filterAcceptsRow(int row, const QModelIndex&) const override
    {
        const MonitorLine& l = model.rows[size_t(row)];
        switch (l.direction) {
        case MidiTapEvent::Trace:
            return form.TraceBox->isChecked();
        case MidiTapEvent::Received:
            if (!form.InBox->isChecked())
                return false;
            break;
        case MidiTapEvent::Sent:
            if (!form.OutBox->isChecked())
                return false;
            break;
        }
        if (l.kind == MonitorKind::Sysex)
            return form.SysexBox->isChecked();
        if (l.kind == MonitorKind::Controller)
            return form.ControllersBox->isChecked();
        return true;
    }

private:
    const MonitorLineModel& model;
    const TMidiMonitorForm& form;
};

// Draws each cell's text from a cache of laid-out texts: a stream of lines
// repaints the list every frame, and laying the texts out again each time
// would cost the GUI thread most of its time.
class PlainTextDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        if (selected)
            painter->fillRect(option.rect, option.palette.highlight());
        const QString text = index.data().toString();
        if (text.isEmpty())
            return;
        constexpr qsizetype Kept = 4000;
        if (laidOut.size() > Kept)
            laidOut.clear();
        auto it = laidOut.find(text);
        if (it == laidOut.end()) {
            QStaticText t(text);
            t.setTextFormat(Qt::PlainText);
            t.setPerformanceHint(QStaticText::AggressiveCaching);
            it = laidOut.insert(text, t);
        }
        painter->save();
        painter->setClipRect(option.rect.adjusted(2, 0, -2, 0));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        const int y = option.rect.top() + (option.rect.height() - option.fontMetrics.height()) / 2;
        painter->drawStaticText(option.rect.left() + 3, y, *it);
        painter->restore();
    }

private:
    mutable QHash<QString, QStaticText> laidOut;
};

QCheckBox* filterBox(const char* text, const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setChecked(true);
    return box;
}

QPushButton* button(const char* text, const char* name, QWidget* parent)
{
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

TMidiMonitorForm::TMidiMonitorForm(const WindowServices& shell, MidiPorts& p, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , messages(shell.messages)
    , help(shell.help)
    , prefs(shell.preferences)
    , ports(p)
{
    setObjectName(QStringLiteral("MidiMonitorForm"));
    setWindowTitle(QStringLiteral("MIDI Monitor"));
    resize(900, 520);

    PauseBtn = button("&Pause", "PauseBtn", this);
    PauseBtn->setCheckable(true);
    ClearBtn = button("C&lear", "ClearBtn", this);
    CopyBtn = button("&Copy", "CopyBtn", this);
    SaveBtn = button("&Save as text...", "SaveBtn", this);
    InBox = filterBox("In", "InBox", this);
    OutBox = filterBox("Out", "OutBox", this);
    SysexBox = filterBox("SysEx", "SysexBox", this);
    ControllersBox = filterBox("Controllers", "ControllersBox", this);
    TraceBox = filterBox("Trace", "TraceBox", this);
    LineCount = new QLabel(this);
    // A width of its own: a new count does not lay the window out again.
    LineCount->setFixedWidth(LineCount->fontMetrics().horizontalAdvance(QStringLiteral("00000 lines")) + 8);
    LineCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    lines = new MonitorLineModel(this);
    auto* filter = new LineFilter(*lines, *this, this);
    filter->setSourceModel(lines);
    filtered = filter;
    LineList = new QTableView(this);
    LineList->setObjectName(QStringLiteral("LineList"));
    LineList->setModel(filtered);
    LineList->setItemDelegate(new PlainTextDelegate(LineList));
    LineList->setSelectionBehavior(QAbstractItemView::SelectRows);
    LineList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LineList->setWordWrap(false);
    LineList->verticalHeader()->hide();
    // Fixed row heights and column widths: no measuring of 10,000 lines.
    LineList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    LineList->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    LineList->horizontalHeader()->setStretchLastSection(true);
    LineList->setColumnWidth(TimeColumn, 80);
    LineList->setColumnWidth(DirectionColumn, 40);
    LineList->setColumnWidth(PortColumn, 110);
    LineList->setColumnWidth(TextColumn, 380);
    Detail = new QPlainTextEdit(this);
    Detail->setObjectName(QStringLiteral("Detail"));
    Detail->setReadOnly(true);
    Detail->setPlaceholderText(QStringLiteral("Select a line to see the whole message."));

    auto* bar = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{PauseBtn, ClearBtn, CopyBtn, SaveBtn})
        bar->addWidget(w);
    bar->addSpacing(16);
    for (QWidget* w : std::initializer_list<QWidget*>{InBox, OutBox, SysexBox, ControllersBox, TraceBox})
        bar->addWidget(w);
    bar->addStretch();
    bar->addWidget(LineCount);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(LineList);
    split->addWidget(Detail);
    split->setStretchFactor(0, 4);
    split->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split);

    frame.setSingleShot(true);
    frame.setInterval(FrameMs);
    connect(&frame, &QTimer::timeout, this, &TMidiMonitorForm::flush);
    connect(PauseBtn, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused && !pending.empty())
            frame.start();
    });
    connect(ClearBtn, &QPushButton::clicked, this, &TMidiMonitorForm::ClearClick);
    connect(CopyBtn, &QPushButton::clicked, this, &TMidiMonitorForm::CopyClick);
    connect(SaveBtn, &QPushButton::clicked, this, &TMidiMonitorForm::SaveClick);
    for (QCheckBox* box : {InBox, OutBox, SysexBox, ControllersBox, TraceBox})
        connect(box, &QCheckBox::toggled, this, &TMidiMonitorForm::applyFilters);
    connect(LineList->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &TMidiMonitorForm::showDetail);

    auto* copyKey = new QAction(this);
    copyKey->setShortcut(QKeySequence::Copy);
    copyKey->setShortcutContext(Qt::WindowShortcut);
    connect(copyKey, &QAction::triggered, this, &TMidiMonitorForm::CopyClick);
    addAction(copyKey);
    auto* helpKey = new QAction(this);
    helpKey->setShortcut(QKeySequence(Qt::Key_F1));
    helpKey->setShortcutContext(Qt::WindowShortcut);
    connect(helpKey, &QAction::triggered, this, &TMidiMonitorForm::FormKeyUp);
    addAction(helpKey);
    applyFilters();
}

TMidiMonitorForm::~TMidiMonitorForm()
{
    ports.SetTap(nullptr);
}

// The tap is there only while the window is open: closed, the monitor
// costs the traffic nothing.
void TMidiMonitorForm::showEvent(QShowEvent* e)
{
    // Times count from the first opening, on the port layer's clock.
    if (startNs < 0)
        startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::steady_clock::now().time_since_epoch())
                      .count();
    // The traffic while the window was closed went unseen: the editors'
    // values stand for it.
    const int modix = IsBassModel(ActiveDevice.Model) ? ModixBassPreset : ModixPreset;
    if (ModuleTable[modix])
        context.Seed(ActiveDevice.Model, *ModuleTable[modix]);
    ports.SetTap([this](const MidiTapEvent& event) { observe(event); });
    QWidget::showEvent(e);
}

void TMidiMonitorForm::hideEvent(QHideEvent* e)
{
    ports.SetTap(nullptr);
    QWidget::hideEvent(e);
}

// Called for every message: a copy is kept for the next frame, nothing more.
void TMidiMonitorForm::observe(const MidiTapEvent& e)
{
    Arrival a{e.kind, e.nanoseconds, e.port, e.bytes ? *e.bytes : std::vector<uint8_t>(),
              e.trace ? *e.trace : std::string()};
    pending.push_back(std::move(a));
    // While paused the lines wait, the newest of them.
    if (pending.size() > size_t(2 * MonitorLineLimit))
        pending.erase(pending.begin(), pending.begin() + MonitorLineLimit);
    if (!frame.isActive() && !PauseBtn->isChecked())
        frame.start();
}

void TMidiMonitorForm::flush()
{
    if (PauseBtn->isChecked() || pending.empty())
        return;
    std::vector<Arrival> batch;
    batch.swap(pending);
    const MonitorUnit unit = MonitorUnit::of(ActiveDevice, prefs.TimeUnit);
    const auto& inputs = ports.InputNames();
    const auto& outputs = ports.OutputNames();
    std::vector<MonitorLine> more;
    more.reserve(batch.size());
    for (Arrival& a : batch) {
        MonitorLine l;
        l.ms = double(a.nanoseconds - startNs) / 1e6;
        l.direction = a.kind;
        if (a.kind == MidiTapEvent::Trace) {
            l.text = QString::fromLatin1(a.trace.data(), qsizetype(a.trace.size()));
        } else {
            const auto& names = a.kind == MidiTapEvent::Received ? inputs : outputs;
            if (a.port >= 0 && a.port < int(names.size()))
                l.port = QString::fromLatin1(names[size_t(a.port)].c_str());
            const MidiDirection direction = a.kind == MidiTapEvent::Received ? MidiDirection::In : MidiDirection::Out;
            l.kind = MonitorKindOf(a.bytes);
            l.text = QString::fromLatin1(context.Decode(a.bytes, direction, unit).c_str());
            l.hex = QString::fromLatin1(MonitorHex(a.bytes).c_str());
            l.bytes = std::make_shared<const std::vector<uint8_t>>(std::move(a.bytes));
        }
        more.push_back(std::move(l));
    }
    QScrollBar* scroll = LineList->verticalScrollBar();
    const bool atEnd = scroll->value() == scroll->maximum();
    lines->append(more);
    if (atEnd)
        LineList->scrollToBottom();
    LineCount->setText(QStringLiteral("%1 lines").arg(filtered->rowCount()));
}

void TMidiMonitorForm::applyFilters()
{
    static_cast<LineFilter*>(filtered)->refilter();
    LineCount->setText(QStringLiteral("%1 lines").arg(filtered->rowCount()));
}

int TMidiMonitorForm::LineTotal() const
{
    return int(lines->rows.size());
}

QString TMidiMonitorForm::lineText(const MonitorLine& l) const
{
    const QString hex = l.bytes ? QString::fromLatin1(MonitorHex(*l.bytes, 0).c_str()) : QString();
    return QStringList{QString::number(l.ms, 'f', 1), directionText(l.direction), l.port, l.text, hex}.join(
        QLatin1Char('\t'));
}

void TMidiMonitorForm::showDetail()
{
    const QModelIndex current = filtered->mapToSource(LineList->currentIndex());
    if (!current.isValid()) {
        Detail->clear();
        return;
    }
    const MonitorLine& l = lines->rows[size_t(current.row())];
    QString text = l.text;
    if (l.bytes)
        text += QStringLiteral("\n%1 bytes:\n").arg(l.bytes->size()) +
                QString::fromLatin1(MonitorHex(*l.bytes, 0).c_str());
    Detail->setPlainText(text);
}

QStringList TMidiMonitorForm::VisibleLinesAsText(bool selectedOnly) const
{
    QStringList out;
    const QModelIndexList selected = LineList->selectionModel()->selectedRows();
    if (selectedOnly && !selected.isEmpty()) {
        std::vector<int> rows;
        for (const QModelIndex& i : selected)
            rows.push_back(filtered->mapToSource(i).row());
        std::sort(rows.begin(), rows.end());
        for (int r : rows)
            out << lineText(lines->rows[size_t(r)]);
        return out;
    }
    for (int r = 0; r < filtered->rowCount(); ++r)
        out << lineText(lines->rows[size_t(filtered->mapToSource(filtered->index(r, 0)).row())]);
    return out;
}

// The selected lines, or every line shown when none is selected.
void TMidiMonitorForm::CopyClick()
{
    QApplication::clipboard()->setText(VisibleLinesAsText(true).join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void TMidiMonitorForm::SaveClick()
{
    const QString path =
        messages.saveFileName(this, QStringLiteral("Save as text"), prefs.Dir, QStringLiteral("Text files (*.txt)"));
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray text = (VisibleLinesAsText(false).join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        messages.error(this, QStringLiteral("Unable to write %1").arg(path));
}

void TMidiMonitorForm::ClearClick()
{
    pending.clear();
    lines->clear();
    Detail->clear();
    LineCount->setText(QStringLiteral("0 lines"));
}

void TMidiMonitorForm::FormKeyUp()
{
    help.open(QString::fromLatin1(MonitorHelpAnchor));
}
