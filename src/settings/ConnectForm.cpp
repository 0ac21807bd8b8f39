#include "settings/ConnectForm.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusTipEvent>

#include "shell/MessageService.h"
#include "files/IniFile.h"
#include "midi/MidiPorts.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"

namespace {
QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}

QPixmap TConnectForm::UnitPicture(int subModel)
{
    // Floor units for the plain and PRO models, a flat rack unit for the
    // ORA models; bass units in blue, guitar units in red.
    const bool bass = subModel >= 4;
    const bool rack = subModel == 3 || subModel == 6;
    const bool pro = subModel == 2 || subModel == 5;
    QPixmap pm(39, 21);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor body = bass ? QColor(40, 70, 140) : QColor(150, 30, 30);
    const QRectF shape = rack ? QRectF(0.5, 5.5, 38, 11) : QRectF(3.5, 1.5, 32, 18);
    p.setPen(QColor(20, 20, 20));
    p.setBrush(body);
    p.drawRoundedRect(shape, 2, 2);
    p.setBrush(QColor(230, 230, 230));
    p.setPen(Qt::NoPen);
    const int knobs = pro || rack ? 4 : 3;
    for (int i = 0; i < knobs; ++i) {
        const qreal x = shape.left() + 5 + i * (shape.width() - 10) / (knobs - 1);
        p.drawEllipse(QPointF(x, shape.top() + 4), 1.6, 1.6);
    }
    if (!rack) {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(shape.left() + 4, shape.bottom() - 6, shape.width() - 8, 3));
    }
    if (subModel == 0) {
        p.setPen(QColor(255, 220, 120));
        p.drawLine(QPointF(shape.left() + 3, shape.center().y()), QPointF(shape.right() - 3, shape.center().y()));
    }
    return pm;
}

TConnectForm::TConnectForm(const WindowServices& shell, const ConnectServices& s, QWidget* parent)
    : QDialog(parent)
    , messages(shell.messages)
    , prefs(shell.preferences)
    , services(s)
    , search(*s.search)
{
    setObjectName(QStringLiteral("ConnectForm"));
    setWindowTitle(QStringLiteral("Configuration"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(ClientWidth, ClientHeight);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, QColor(232, 232, 232));
    setPalette(pal);

    ReSearch = new QPushButton(QStringLiteral("Rescan"), this);
    ReSearch->setObjectName(QStringLiteral("ReSearch"));
    ReSearch->setGeometry(18, 23, 100, 25);
    ReSearch->setStatusTip(QStringLiteral("Rescan for connected Drux'S"));
    StopScan = new QPushButton(QStringLiteral("Stop"), this);
    StopScan->setObjectName(QStringLiteral("StopScan"));
    StopScan->setGeometry(133, 22, 80, 25);
    StopScan->setStatusTip(QStringLiteral("Stop scanning"));
    CloseButt = new QPushButton(QStringLiteral("Close"), this);
    CloseButt->setObjectName(QStringLiteral("CloseButt"));
    CloseButt->setGeometry(369, 22, 85, 25);

    FoundView = new QTreeWidget(this);
    FoundView->setObjectName(QStringLiteral("FoundView"));
    FoundView->setGeometry(12, 57, 204, 174);
    FoundView->setColumnCount(1);
    FoundView->setHeaderLabels({QStringLiteral("Recognized devices :")});
    FoundView->setRootIsDecorated(false);
    FoundView->setIconSize(QSize(39, 21));
    FoundView->setSelectionMode(QAbstractItemView::SingleSelection);
    FoundView->setStatusTip(QStringLiteral("Select the Drux to control"));
    FoundView->viewport()->installEventFilter(this);

    buildSettingsArea();

    StatusBar = new QStatusBar(this);
    StatusBar->setSizeGripEnabled(false);
    StatusBar->setGeometry(0, ClientHeight - 20, ClientWidth, 20);
    StatusBar->setAutoFillBackground(true);
    QPalette bar = StatusBar->palette();
    bar.setColor(QPalette::Window, QColor(28, 29, 33));
    StatusBar->setPalette(bar);
    HintPanel = new QLabel(QStringLiteral("Hints"), StatusBar);
    HintPanel->setFixedWidth(300);
    UnitPanel = new QLabel(StatusBar);
    UnitPanel->setFixedWidth(150);
    StatusBar->addWidget(HintPanel);
    StatusBar->addWidget(UnitPanel);

    // The window sees every key before its controls: F1 works anywhere.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
    // Enter on a list or a knob presses no button: only Close ends the window.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    // Centred on the desktop, not over the main window.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    connect(ReSearch, &QPushButton::released, this, [this] { search.Search(); });
    connect(StopScan, &QPushButton::pressed, this, [this] { search.StopScan(); });
    connect(CloseButt, &QPushButton::released, this, [this] { accept(); });
    connect(FoundView, &QTreeWidget::itemSelectionChanged, this, [this] { FoundViewSelectItem(); });
    connect(ModelBox, &QComboBox::activated, this, [this](int k) { ModelBoxChange(k); });
    connect(ModelBox->lineEdit(), &QLineEdit::editingFinished, this, [this] { ModelBoxExit(); });
    connect(OutPortBox, &QComboBox::activated, this, [this](int k) { OutPortBoxChange(k); });
    connect(services.ports, &MidiPorts::outputPortsChanged, this,
            [this](const std::vector<std::string>& names) { FillOutPorts(names); });

    // Created once for the run: from here on the MIDI input reaches the
    // program, pending parameter changes are flushed, and the ports are known.
    if (services.installMessageFilter)
        services.installMessageFilter();
    connect(&FrameTimer, &QTimer::timeout, this, [this] { FrameTimerTimer(); });
    FrameTimer.setSingleShot(true);
    FrameTimer.setTimerType(Qt::PreciseTimer);
    frameClock.start();
    SetPendingWake([this] { wakeFrameTimer(); });
    if (PendingList.head)
        wakeFrameTimer();
    search.setWindow(this);
    FillOutPorts(services.ports->OutputNames());
    if (!search.Initialise())
        messages.error(parentWidget(), QStringLiteral("No MIDI Devices !?"));
    unShowSelected();
    showSelected();
}

TConnectForm::~TConnectForm()
{
    SetPendingWake(nullptr);
    FrameTimer.stop();
    search.setWindow(nullptr);
    setBusy(false);
}

void TConnectForm::FillOutPorts(const std::vector<std::string>& names)
{
    const bool was = syncing;
    syncing = true;
    OutPortBox->clear();
    for (const auto& n : names)
        OutPortBox->addItem(latin1(n));
    OutPortBox->setCurrentIndex(-1);
    syncing = was;
}

void TConnectForm::unitsChanged()
{
    const bool was = syncing;
    syncing = true;
    const auto& units = search.Units();
    // Items are rebuilt only when the list itself changed: a selection made
    // by a click must not delete the item under the mouse.
    bool same = FoundView->topLevelItemCount() == static_cast<int>(units.size());
    for (int i = 0; same && i < FoundView->topLevelItemCount(); ++i)
        same = FoundView->topLevelItem(i)->text(0) == latin1(units[i].DeviceName);
    if (!same) {
        FoundView->clear();
        for (const DeviceConnection& u : units)
            new QTreeWidgetItem(FoundView, {latin1(u.DeviceName)});
    }
    for (int i = 0; i < FoundView->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = FoundView->topLevelItem(i);
        item->setIcon(0, QIcon(UnitPicture(units[i].SubModel)));
        item->setToolTip(0, latin1(units[i].ModelText));
        item->setSelected(i == search.Selected());
    }
    syncing = was;
}

void TConnectForm::FoundViewSelectItem()
{
    if (syncing)
        return;
    const auto items = FoundView->selectedItems();
    search.SelectItem(items.isEmpty() ? -1 : FoundView->indexOfTopLevelItem(items.first()));
}

void TConnectForm::ModelBoxChange(int k)
{
    search.ChooseVirtualUnit(k);
}

void TConnectForm::ModelBoxExit()
{
    // Only the seven entries and the active unit's own text may stand there.
    const QString text = ModelBox->currentText();
    if (ModelBox->findText(text, Qt::MatchExactly) < 0 && text != latin1(ActiveDevice.ModelText))
        ModelBox->setEditText(latin1(ActiveDevice.ModelText));
}

void TConnectForm::OutPortBoxChange(int k)
{
    if (!syncing)
        search.OutputPortChanged(k);
}

void TConnectForm::enableOutPortBox()
{
    OutPortBox->setEnabled(true);
}

void TConnectForm::showModal()
{
    // Modal, yet without a nested event loop: the search goes on while the
    // window is up, and closing it finishes the connection.
    setModal(true);
    show();
    raise();
    activateWindow();
}

bool TConnectForm::askRescan()
{
    return messages.message(isVisible() ? this : parentWidget(), MessageService::Kind::Error, QString(),
                            QString::fromLatin1(ThruWarningText), QMessageBox::Abort | QMessageBox::Retry,
                            QMessageBox::Retry) == QMessageBox::Retry;
}

void TConnectForm::setBusy(bool on)
{
    busyPointer.set(on);
}

void TConnectForm::refreshCaption()
{
    if (services.refreshMainCaption)
        services.refreshMainCaption();
}

void TConnectForm::showError(const std::string& text)
{
    messages.error(this, QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size())));
}

void TConnectForm::done(int result)
{
    const bool wasVisible = isVisible();
    QDialog::done(result);
    if (wasVisible)
        WindowClosed();
}

void TConnectForm::WindowClosed()
{
    setBusy(false);
    auto ini = OpenIniFile();
    search.WindowClosed(*ini);
}

void TConnectForm::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    const bool was = syncing;
    syncing = true;
    const int out = ActiveDevice.MidiOut;
    OutPortBox->setCurrentIndex(out >= 0 && out < OutPortBox->count() ? out : -1);
    syncing = was;
}

void TConnectForm::keyPressEvent(QKeyEvent* e)
{
    // The window has no key that closes it: Escape would commit the
    // connection and start a memory read. Close and the title bar's close
    // are the only ways out, and both end in done().
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool TConnectForm::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip) {
        const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
        HintPanel->setText(tip.isEmpty() ? QStringLiteral("Hints") : tip);
        return true;
    }
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

bool TConnectForm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(e)->key() == Qt::Key_F1) {
        FormKeyUp(Qt::Key_F1);
        return true;
    }
    if (watched == NameBox) {
        switch (e->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // Another window or a popup taking the focus and giving it back
            // is neither an exit nor a new entry.
            const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
            if (r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason)
                break;
            if (e->type() == QEvent::FocusIn)
                NameBoxEnter();
            else
                NameBoxExit();
            break;
        }
        case QEvent::MouseButtonDblClick:
            NameBoxDblClick();
            return true;
        case QEvent::KeyPress:
            // Delete acts on its release, like the other edit keys.
            if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Delete)
                return true;
            break;
        case QEvent::KeyRelease:
            NameBoxKeyUp(static_cast<QKeyEvent*>(e)->key());
            break;
        default:
            break;
        }
    }
    if (watched == FoundView->viewport() && e->type() == QEvent::MouseButtonRelease &&
        FoundView->selectedItems().isEmpty())
        search.ListClicked();
    return QDialog::eventFilter(watched, e);
}
