#include "editor/EditorFormBase.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include "controls/KeyCodes.h"
#include "shell/MessageService.h"
#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/ConversionControls.h"
#include "editor/EditorFormPanel.h"
#include "files/Preferences.h"
#include "model/Controllers.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

constexpr int Knob = ControlArt::KnobSize;
// Value labels are as wide as the space between knobs allows.
constexpr int ValueWidth = 66;
constexpr int NarrowValueWidth = 60;
constexpr char HelpProperty[] = "HelpContext";

const QString ListStyle = QStringLiteral(
    "QComboBox { color: #dfe2e8; font: 11px 'DejaVu Sans'; background: #1c1d21; border: 1px solid #000;"
    " border-radius: 3px; padding: 2px 6px; }"
    "QComboBox QAbstractItemView { background: #1c1d21; color: #dfe2e8; selection-background-color: #b86f10; }"
    "QComboBox:disabled { color: #5c5f66; }");
const QString ValueStyle = QStringLiteral(
    "QLabel { background: #0c0d0f; color: #ffb240; border: 1px solid #000; border-radius: 3px;"
    " font: bold 10px 'DejaVu Sans Mono'; }"
    "QLabel:disabled { color: #5c5f66; }");
const QString CaptionStyle = QStringLiteral(
    "QLabel { background: transparent; color: #d6dae2; font: bold 10px 'DejaVu Sans'; }"
    "QLabel:disabled { color: #6a6d74; }");
const QString SwitchLabelStyle = QStringLiteral(
    "QLabel { background: transparent; color: #d6dae2; font: bold 9px 'DejaVu Sans'; }");
const QString NameStyle = QStringLiteral(
    "QLabel { background: transparent; color: #ffb240; font: bold 20px 'DejaVu Sans Mono'; }");
const QString EditStyle = QStringLiteral(
    "QLineEdit { background: #fff7e6; color: #101010; border: 1px solid #ffb040; border-radius: 3px;"
    " font: bold 11px 'DejaVu Sans Mono'; }");
const QString NameEditStyle = QStringLiteral(
    "QLineEdit { background: #fff7e6; color: #101010; border: 1px solid #ffb040; border-radius: 3px;"
    " font: bold 18px 'DejaVu Sans Mono'; }");

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

// ---- building ----

TEditorFormBase::TEditorFormBase(EditorServices s, int modix_, const QString& objectName, const QString& caption,
                                 QWidget* parent)
    : QWidget(parent, Qt::Dialog), services(std::move(s)), modix(modix_)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    TResForm::Create();
    BackImage = new TB_Image(this);

    ValueEdit = new QLineEdit(this);
    ValueEdit->resize(62, 20);
    ValueEdit->setAlignment(Qt::AlignCenter);
    styleLater(ValueEdit, EditStyle);
    TWC_CustomControl::SetValEdit(ValueEdit);

    ChangedTimer.setInterval(ChangedMs);
    connect(&ChangedTimer, &QTimer::timeout, this, &TEditorFormBase::ChangedTimerTimer);
}

TEditorFormBase::~TEditorFormBase()
{
    // The shared value editor is this window's; no control may open it after.
    if (TWC_CustomControl::ValEdit() == ValueEdit)
        TWC_CustomControl::SetValEdit(nullptr);
}

void TEditorFormBase::buildHeader(PanelDrawing& panel)
{
    using R = PanelRows<TEditorFormBase>;
    using F = TEditorFormBase;
    constexpr SwitchKind Radio = SwitchKind::Radio;
    constexpr SwitchKind Push = SwitchKind::Push;
    // The compare buttons in a row, their captions below them.
    static const R::Row Header[] = {
        R::Switch{in<&F::originalButton>, {434, 14}, 101, Unbound, Radio, "Original", CaptionBelow(14)},
        R::Switch{in<&F::editBufferButton>, {502, 14}, 100, Unbound, Radio, "Edit Buffer", CaptionBelow(14)},
        R::Switch{in<&F::KnbCompare>, {570, 14}, 102, Unbound, Push, "Compare", CaptionBelow(14)},
        R::Switch{in<&F::Store>, {638, 14}, 102, Unbound, Push, "Store", CaptionBelow(14)},
        R::Switch{in<&F::Overwrite>, {706, 14}, 103, Unbound, Push, "Overwrite", CaptionBelow(14)},
    };
    panel.sections.push_back({QRect(22, 8, 745, 60), QString()});
    panel.nameDisplay = QRect(34, 18, 300, 40);
    PresetName = new QLabel(QStringLiteral("                "), this);
    PresetName->setGeometry(panel.nameDisplay.adjusted(10, 2, -10, -2));
    PresetName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    styleLater(PresetName, NameStyle);
    PresetName->setToolTip(QStringLiteral("Click to edit"));
    PresetName->setCursor(Qt::IBeamCursor);
    NameEdit = new QLineEdit(this);
    NameEdit->resize(260, 30);
    styleLater(NameEdit, NameEditStyle);
    NameEdit->hide();
    connect(NameEdit, &QLineEdit::textEdited, this, &TEditorFormBase::NameEditChange);

    buildControls<TEditorFormBase>(panel, Header);
    originalButton->SetDown(true);

    originalButton->OnCtrlChange = [this](TWC_CustomControl*, int) { originalButtonChange(); };
    editBufferButton->OnCtrlChange = [this](TWC_CustomControl*, int) { editBufferButtonChange(); };
    for (TWC_ImgButton* b : {Store, Overwrite})
        b->OnCtrlChange = [this, b](TWC_CustomControl*, int v) { StoreCtrlChange(b, v); };
}

void TEditorFormBase::finishPanel(PanelDrawing& panel)
{
    for (const KnobAndLabel& k : knobs)
        panel.knobCentres.push_back(k.knob->geometry().center() + QPoint(1, 1));
    drawing = panel;
    BackImage->SetPictureLater(panel.size, [panel] { return DrawEditorPanel(panel, qApp->devicePixelRatio()); });
    BackImage->lower();
    for (QObject* child : children())
        if (auto* c = qobject_cast<TWC_CustomControl*>(child))
            c->SetParentImage(BackImage);
    NameEdit->raise();
    ValueEdit->raise();

    // The window sees keys before its controls.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);
}

void TEditorFormBase::placeKnob(TWC_ImgKnob*& k, QLabel*& label, QLabel** captionLabel, int mcix,
                                const char* caption, int help, QPoint centre, KnobLook look, ConversionPair conversion,
                                unsigned options, int reads)
{
    TResForm* res = TResForm::Instance();
    const bool metal = look == KnobLook::Metal;
    k = new TWC_ImgKnob(this);
    k->SetBGndImagelist(metal ? &res->KnobMetal : &res->KnobBlack);
    k->SetDotImagelist(metal ? &res->DotsDark : &res->DotsLight);
    k->SetKnobMid(Knob / 2, Knob / 2);
    k->SetDotPos(ControlArt::KnobDotRadius);
    k->JumpEnabled = false;
    k->move(centre - QPoint(Knob / 2, Knob / 2));
    k->setProperty(HelpProperty, help);
    k->SetModix(modix);
    k->SetMcix(mcix);

    const int width = (options & NarrowValue) ? NarrowValueWidth : ValueWidth;
    label = new QLabel(this);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(centre.x() - width / 2, centre.y() + 31, width, 16);
    styleLater(label, ValueStyle);
    label->setCursor(Qt::IBeamCursor);
    label->setToolTip(QStringLiteral("Click to type a value"));
    k->SetValLabel(label);
    if (reads >= 0)
        InstallConversion(*k, conversion.valToText ? conversion : defaultPair,
                          [this, reads] { return param(reads).value; });
    else
        InstallConversion(*k, conversion.valToText ? conversion : defaultPair);

    auto* title = new QLabel(QString::fromLatin1(caption), this);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(centre.x() - 40, centre.y() - 47, 80, 14);
    styleLater(title, CaptionStyle);
    if (captionLabel)
        *captionLabel = title;
    k->FineEnabled = (options & FineSteps) != 0;
    if (options & OffAtZero)
        k->SetNullIsOff(true);
    knobs.push_back({k, label});
}

void TEditorFormBase::placeList(TWC_ComboBox*& box, int mcix, QRect place, int help,
                                std::span<const std::string_view> items, const char* caption)
{
    box = new TWC_ComboBox(this);
    styleLater(box, ListStyle);
    for (std::string_view item : items)
        box->addItem(QString::fromLatin1(item.data(), static_cast<qsizetype>(item.size())));
    box->setGeometry(place);
    const int count = static_cast<int>(items.size());
    box->setMaxVisibleItems(count > 16 ? 17 : count);
    box->setProperty(HelpProperty, help);
    box->SetModix(modix);
    box->SetMcix(mcix);
    if (caption)
        nameControl(box, caption);
}

void TEditorFormBase::placeSwitch(PanelDrawing& panel, TWC_ImgButton*& b, QPoint at, int help, int mcix,
                                  SwitchKind kind, const char* caption, SwitchCaption captionArea, QLabel** label)
{
    b = button(at, help, mcix);
    if (kind == SwitchKind::Push)
        b->SetIsPushButton(true);
    else if (kind == SwitchKind::Radio)
        b->SetIsRadioButton(true);
    if (!caption)
        return;
    if (label) {
        auto* l = *label = new QLabel(QString::fromLatin1(caption), this);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(b->x() - 6, b->y() + b->height() + 2, b->width() + 12, 12);
        styleLater(l, SwitchLabelStyle);
        return;
    }
    panel.captions.push_back(
        {captionArea.area.translated(b->pos()), QString::fromLatin1(caption), captionArea.align});
    nameControl(b, caption);
}

TWC_ImgButton* TEditorFormBase::button(QPoint at, int help, int mcix)
{
    auto* b = new TWC_ImgButton(this);
    b->SetImageList(&TResForm::Instance()->Buttons);
    b->move(at);
    b->setProperty(HelpProperty, help);
    if (mcix >= 0) {
        b->SetModix(modix);
        b->SetMcix(mcix);
    }
    return b;
}

void TEditorFormBase::nameControl(QWidget* control, const char* caption)
{
    const QString text = QString::fromLatin1(caption);
    control->setToolTip(text);
    control->setAccessibleName(text);
}

int TEditorFormBase::HelpContext(const QWidget* control)
{
    return control ? control->property(HelpProperty).toInt() : 0;
}

MCtrl& TEditorFormBase::param(int mcix) const
{
    return Param(modix, mcix);
}

QWidget* TEditorFormBase::focusedChild() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && isAncestorOf(focus) ? focus : nullptr;
}

// ---- opening ----

void TEditorFormBase::TakePreset(const PresetRecord& record)
{
    ApplyRecord(record, false);
    PresetName->setText(latin1(GetRecordName(record)));
    CaptureEditBuffer(*OriginalRecord);
    CaptureEditBuffer(*EditBufferRecord);
    ResetCompareState();
}

void TEditorFormBase::ResetCompareState()
{
    edited = false;
    switching = false;
    originalButton->SetDown(true);
}

void TEditorFormBase::ShowPreset(const QString& caption, PresetSource source)
{
    source_ = source;
    setWindowTitle(caption);
    if (isVisible())
        ShowAgain();
    show();
    raise();
    activateWindow();
}

std::string TEditorFormBase::PresetNameText() const
{
    return PresetName->text().toLatin1().toStdString();
}

void TEditorFormBase::ShowPresetName(const std::string& name)
{
    PresetName->setText(latin1(name));
}

void TEditorFormBase::TookOriginal()
{
    edited = false;
    originalButton->SetDown(true);
    tookOriginal();
}

// The comparison runs only while the window is shown: a hidden editor has
// nothing to compare for the user and no business waking the program.
void TEditorFormBase::EnableChangedTimer()
{
    if (isVisible())
        ChangedTimer.start();
}

void TEditorFormBase::StopChangedTimer()
{
    ChangedTimer.stop();
}

void TEditorFormBase::ShowAgain()
{
    if (isVisible())
        FormShow();
}

void TEditorFormBase::CloseWithoutQuery()
{
    const bool ask = CloseQueryEnabled;
    CloseQueryEnabled = false;
    close();
    CloseQueryEnabled = ask;
}

// ---- show, activate, close ----

void TEditorFormBase::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    takeValueEditor();
    if (!e->spontaneous())
        FormShow();
}

void TEditorFormBase::FormActivate()
{
    for (QWidget* w : findChildren<QWidget*>())
        w->update();
}

void TEditorFormBase::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        takeValueEditor();
        FormActivate();
    }
}

// The controls share one value editor, which they move into the window of
// the label they edit. Both editor windows exist at once, so the active one
// makes its own editor the shared one; otherwise a window's field would end
// up owned, and deleted, by the other window.
void TEditorFormBase::takeValueEditor()
{
    if (TWC_CustomControl::ValEdit() != ValueEdit)
        TWC_CustomControl::SetValEdit(ValueEdit);
}

void TEditorFormBase::closeEvent(QCloseEvent* e)
{
    if (CloseQueryEnabled)
        FormCloseQuery();
    else
        ChangedTimer.stop();
    e->accept();
}

void TEditorFormBase::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    // A minimised window is still shown (and comes back without a new
    // FormShow); a window hidden by the program is not.
    if (!e->spontaneous())
        ChangedTimer.stop();
}

bool TEditorFormBase::FormCloseQuery()
{
    ChangedTimer.stop();
    if (edited) {
        edited = false;
        int bank = 0;
        int presetIndex = 0;
        slotPreselection(bank, presetIndex);
        emit storeDialogRequested(bank, presetIndex);
    }
    return true;
}

// ---- switches ----

void TEditorFormBase::followSwitch(TWC_ImgButton* b, bool on)
{
    if (b->Down() != on)
        b->SetDown(on);
}

void TEditorFormBase::switchParameter(bool userChange, bool on, int mcix, int offValue, int& tag) const
{
    if (!userChange)
        return;
    MCtrl& p = param(mcix);
    if (on) {
        p.SetValFlags(tag, PendingBits);
    } else {
        tag = p.value;
        p.SetValFlags(offValue, PendingBits);
    }
}

void TEditorFormBase::setKnobInUse(TWC_ImgKnob* k, QLabel* label, bool on)
{
    k->SetEnabled(on);
    label->setEnabled(on);
    refreshValueLabel(k, label);
}

void TEditorFormBase::refreshValueLabel(TWC_ImgKnob* k, QLabel* label)
{
    if (k->isEnabled())
        k->SetValText();
    else
        label->clear();
}

void TEditorFormBase::styleLater(QWidget* widget, const QString& sheet)
{
    if (testAttribute(Qt::WA_WState_Polished))
        widget->setStyleSheet(sheet);
    else
        pendingStyles.emplace_back(widget, sheet);
}

// ---- keys ----

bool TEditorFormBase::eventFilter(QObject* watched, QEvent* e)
{
    // Style sheets and polishing wait until the window is first shown:
    // before that nobody sees them, and for the few hundred labels and lists
    // they take a few MiB, which a program that never opens this editor
    // need not hold. Showing polishes the window, and the window its
    // children.
    if (e->type() == QEvent::PolishRequest && !testAttribute(Qt::WA_WState_Polished))
        return true;
    if (watched == this && e->type() == QEvent::Polish) {
        for (const auto& [widget, sheet] : pendingStyles)
            if (widget)
                widget->setStyleSheet(sheet);
        pendingStyles.clear();
    }
    if (watched == NameEdit) {
        switch (e->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut: {
            // The field's own entry and exit are the user moving within the
            // window. Another window, a popup or the "Overwrite edit buffer ?"
            // box taking the focus and giving it back leave the edit open
            // with the name it started from.
            const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
            if (r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason)
                break;
            if (e->type() == QEvent::FocusIn)
                NameEditEnter();
            else
                NameEditExit();
            break;
        }
        case QEvent::KeyRelease:
            if (!static_cast<QKeyEvent*>(e)->isAutoRepeat())
                NameEditKeyUp(static_cast<QKeyEvent*>(e)->key());
            break;
        case QEvent::MouseButtonDblClick:
            NameEditDblClick();
            return true;
        default:
            break;
        }
    } else if (watched == PresetName && e->type() == QEvent::MouseButtonPress
               && static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        PresetNameClick();
        return true;
    }
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) {
        // A key travels from the focused control up to the window; the window
        // takes it once, where it arrives first.
        QWidget* focus = focusedChild();
        const QObject* first = focus ? focus : this;
        if (watched == first) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (e->type() == QEvent::KeyPress ? FormKeyDown(key) : FormKeyUp(key))
                return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---- preset name ----

void TEditorFormBase::PresetNameClick()
{
    const QRect l = PresetName->geometry();
    NameEdit->move(l.left() + (l.width() - NameEdit->width()) / 2, l.top() + (l.height() - NameEdit->height()) / 2);
    NameEdit->setText(trimNameForEditing ? PresetName->text().trimmed() : PresetName->text());
    NameEdit->show();
    NameEdit->raise();
    NameEdit->selectAll();
    NameEdit->setFocus(Qt::OtherFocusReason);
}

void TEditorFormBase::NameEditEnter()
{
    nameOnEntry = PresetName->text();
}

void TEditorFormBase::NameEditChange(const QString& typed)
{
    if (typed.isEmpty())
        return;
    QString text = typed;
    if (text.size() > NameLength) {
        QApplication::beep();
        text.truncate(NameLength);
        NameEdit->setText(text);
    }
    PresetName->setText(text);
}

void TEditorFormBase::NameEditKeyUp(int key)
{
    if (key == KeyConfirm) {
        NameEditExit();
        NameEdit->selectAll();
    } else if (key == KeyCancel) {
        NameEdit->setText(nameOnEntry);
        NameEditExit();
    }
}

void TEditorFormBase::NameEditDblClick()
{
    NameEdit->selectAll();
}

void TEditorFormBase::NameEditExit()
{
    // Hiding the field takes its focus, which reports here once more.
    if (NameEdit->isHidden())
        return;
    const QString text = NameEdit->text().leftJustified(NameLength, u' ', true);
    NameEdit->hide();
    PresetName->setText(text);
    if (presetFromUnit())
        SendNameAsControllers(text.toLatin1().toStdString());
}

// ---- original, edit buffer, compare ----

void TEditorFormBase::ChangedTimerTimer()
{
    if ((QGuiApplication::mouseButtons() & Qt::LeftButton) || !isActiveWindow())
        return;
    const bool was = edited;
    edited = RecordDiffers(*OriginalRecord) || PresetNameText() != GetRecordName(*OriginalRecord);
    if (edited && !was) {
        if (!RecordsEqual(*EditBufferRecord, *OriginalRecord) && CurrentPreferences.Confirm
            && RecordDiffers(*EditBufferRecord)
            && !Dialogs().confirm(this, QStringLiteral("Overwrite edit buffer ?"))) {
            // The change that began the edit is taken back, name included, so
            // the question does not come again with the next tick. A name
            // being typed was never sent; its field closes unsent, so the
            // label and the unit both keep the original name.
            ApplyRecord(*OriginalRecord, true);
            const QString original = latin1(GetRecordName(*OriginalRecord));
            showRecordName(*OriginalRecord);
            if (!NameEdit->isHidden()) {
                NameEdit->setText(original);
                NameEdit->hide();
            }
            edited = false;
        } else {
            CaptureEditBuffer(*EditBufferRecord);
        }
    } else if (!edited && was && !switching) {
        CaptureEditBuffer(*EditBufferRecord);
    }
    if (edited != was) {
        originalButton->SetDown(was);
        if (!was)
            switching = false;
    }
}

void TEditorFormBase::SetBuffers()
{
    if (originalButton->Down()) {
        switching = true;
        CaptureEditBuffer(*EditBufferRecord);
        ApplyRecord(*OriginalRecord, true);
        showRecordName(*OriginalRecord);
    } else {
        edited = true;
        ApplyRecord(*EditBufferRecord, true);
        showRecordName(*EditBufferRecord);
    }
}

// The parameters of a record reach the unit with it; its name must too, or
// the unit would keep a name the window no longer shows. The unit holds the
// name shown, or while a name is being typed (never sent yet) the one the
// typing started from.
void TEditorFormBase::showRecordName(const PresetRecord& record)
{
    const QString name = latin1(GetRecordName(record));
    const QString held = NameEdit->isHidden() ? PresetName->text() : nameOnEntry;
    PresetName->setText(name);
    if (presetFromUnit() && name != held)
        SendNameAsControllers(name.toLatin1().toStdString());
}

void TEditorFormBase::originalButtonChange()
{
    if (originalButton->UserChange)
        SetBuffers();
}

void TEditorFormBase::editBufferButtonChange()
{
    if (editBufferButton->UserChange)
        SetBuffers();
}

// ---- store ----

void TEditorFormBase::slotPreselection(int& bank, int& presetIndex) const
{
    int n = services.currentSlot ? services.currentSlot() : 0;
    if (n < 0 || n >= SlotCount)
        n = 0;
    bank = n / 5;
    presetIndex = n % 5;
}

void TEditorFormBase::commitEdit()
{
    CaptureEditBuffer(*OriginalRecord);
    CaptureEditBuffer(*EditBufferRecord);
    edited = false;
    originalButton->SetDown(true);
}

void TEditorFormBase::StoreCtrlChange(TWC_ImgButton* sender, int v)
{
    if (v != 0)
        return;
    int bank = 0;
    int presetIndex = 0;
    slotPreselection(bank, presetIndex);
    if (sender == Store) {
        emit storeDialogRequested(bank, presetIndex);
        return;
    }
    commitEdit();
    if (presetFromUnit())
        emit storeToUnitRequested(bank, presetIndex);
    else
        emit storeToLibraryRequested(bank, presetIndex);
}
