#include "editor/EditorForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include "app/KeyCodes.h"
#include "app/MessageService.h"
#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"
#include "editor/ConversionControls.h"
#include "editor/EditorFormPanel.h"
#include "editor/EditorFormTables.h"
#include "files/Preferences.h"
#include "model/Controllers.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"

namespace {

// Guitar preset parameters (Mcix) the window handles itself.
enum : int {
    McAmpModel = 8,
    McCabinet = 12,
    McPreEffectType = 17,
    McDelayType = 22,
    McDelayMix = 27,
    McModulationType = 28,
    McModulationMix = 32,
};

constexpr int Knob = ControlArt::KnobSize;
constexpr char HelpProperty[] = "HelpContext";

// Rows of the panel: the header with the name display and the compare
// buttons between the upper screws, then three rows of sections that end
// above the lower screws.
constexpr int RowTop[] = {76, 241, 406};
constexpr int RowHeight = 158;
// Knob centres lie this far below their row's top: room for the title, a
// line of lists and switches, and the knob's caption.
constexpr int KnobDrop = 100;
constexpr int ListTop = 24;

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
const QString NameStyle = QStringLiteral(
    "QLabel { background: transparent; color: #ffb240; font: bold 20px 'DejaVu Sans Mono'; }");
const QString EditStyle = QStringLiteral(
    "QLineEdit { background: #fff7e6; color: #101010; border: 1px solid #ffb040; border-radius: 3px;"
    " font: bold 11px 'DejaVu Sans Mono'; }");
const QString NameEditStyle = QStringLiteral(
    "QLineEdit { background: #fff7e6; color: #101010; border: 1px solid #ffb040; border-radius: 3px;"
    " font: bold 18px 'DejaVu Sans Mono'; }");

MCtrl& preset(int mcix) { return Param(ModixPreset, mcix); }

template <size_t N>
const std::string_view* texts(const std::array<std::string_view, N>& a)
{
    return a.data();
}

bool isFirstGeneration() { return ActiveDevice.Model == ModelDrux; }

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

} // namespace

// ---- building ----

TEditorForm::TEditorForm(EditorServices s, QWidget* parent) : QWidget(parent, Qt::Dialog), services(std::move(s))
{
    setObjectName(QStringLiteral("EditorForm"));
    setWindowTitle(QStringLiteral("Editor"));
    setFixedSize(ClientWidth, ClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    TResForm::Create();
    buildPanel();

    ChangedTimer.setInterval(ChangedMs);
    connect(&ChangedTimer, &QTimer::timeout, this, &TEditorForm::ChangedTimerTimer);

    // The window sees keys before its controls: the tap keys and F1.
    watchKeys(this);
    for (QWidget* w : findChildren<QWidget*>())
        watchKeys(w);
}

TEditorForm::~TEditorForm()
{
    // The shared value editor is this window's; no control may open it after.
    if (TWC_CustomControl::ValEdit() == ValueEdit)
        TWC_CustomControl::SetValEdit(nullptr);
}

void TEditorForm::watchKeys(QWidget* w)
{
    w->installEventFilter(this);
}

TWC_ImgKnob* TEditorForm::knob(TWC_ImgKnob*& k, QLabel*& label, int mcix, const char* caption, int help,
                               QPoint centre, bool metal, QLabel** captionLabel)
{
    TResForm* res = TResForm::Instance();
    k = new TWC_ImgKnob(this);
    k->SetBGndImagelist(metal ? &res->KnobMetal : &res->KnobBlack);
    k->SetDotImagelist(metal ? &res->DotsDark : &res->DotsLight);
    k->SetKnobMid(Knob / 2, Knob / 2);
    k->SetDotPos(ControlArt::KnobDotRadius);
    k->JumpEnabled = false;
    k->move(centre - QPoint(Knob / 2, Knob / 2));
    k->setProperty(HelpProperty, help);
    k->SetModix(ModixPreset);
    k->SetMcix(mcix);

    label = new QLabel(this);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(centre.x() - 33, centre.y() + 31, 66, 16);
    label->setStyleSheet(ValueStyle);
    label->setCursor(Qt::IBeamCursor);
    label->setToolTip(QStringLiteral("Click to type a value"));
    k->SetValLabel(label);
    InstallConversion(*k, GuitarValues::Midi);

    auto* title = new QLabel(QString::fromLatin1(caption), this);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(centre.x() - 40, centre.y() - 47, 80, 14);
    title->setStyleSheet(CaptionStyle);
    if (captionLabel)
        *captionLabel = title;
    knobs.push_back({k, label});
    return k;
}

TWC_ComboBox* TEditorForm::list(int mcix, QRect place, int help, const std::string_view* items, int count)
{
    auto* box = new TWC_ComboBox(this);
    box->setStyleSheet(ListStyle);
    for (int i = 0; i < count; ++i)
        box->addItem(QString::fromLatin1(items[i].data(), static_cast<qsizetype>(items[i].size())));
    box->setGeometry(place);
    box->setMaxVisibleItems(count > 16 ? 17 : count);
    box->setProperty(HelpProperty, help);
    box->SetModix(ModixPreset);
    box->SetMcix(mcix);
    return box;
}

TWC_ImgButton* TEditorForm::button(QPoint at, int help, int mcix)
{
    auto* b = new TWC_ImgButton(this);
    b->SetImageList(&TResForm::Instance()->Buttons);
    b->move(at);
    b->setProperty(HelpProperty, help);
    if (mcix >= 0) {
        b->SetModix(ModixPreset);
        b->SetMcix(mcix);
    }
    return b;
}

void TEditorForm::buildPanel()
{
    using namespace GuitarEditorTexts;
    BackImage = new TB_Image(this);

    ValueEdit = new QLineEdit(this);
    ValueEdit->resize(62, 20);
    ValueEdit->setAlignment(Qt::AlignCenter);
    ValueEdit->setStyleSheet(EditStyle);
    TWC_CustomControl::SetValEdit(ValueEdit);

    PanelDrawing panel;
    panel.size = QSize(ClientWidth, ClientHeight);
    auto section = [&](int x, int row, int w, const char* title) {
        panel.sections.push_back({QRect(x, RowTop[row], w, RowHeight), QString::fromLatin1(title)});
    };
    // A switch with its caption printed to its right.
    auto switchCaption = [&](TWC_ImgButton* b, const char* text, int width = 60) {
        panel.captions.push_back({QRect(b->x() + 50, b->y(), width, b->height()), QString::fromLatin1(text),
                                  Qt::AlignLeft | Qt::AlignVCenter});
    };
    // A switch with its caption printed below it.
    auto captionBelow = [&](TWC_ImgButton* b, const char* text) {
        panel.captions.push_back({QRect(b->x() - 14, b->y() + b->height() + 2, b->width() + 28, 12),
                                  QString::fromLatin1(text)});
    };
    auto knobAt = [&](int x, int row) { return QPoint(x, RowTop[row] + KnobDrop); };

    // Header: the name display and the compare and store buttons.
    panel.sections.push_back({QRect(22, 8, 745, 60), QString()});
    panel.nameDisplay = QRect(34, 18, 300, 40);
    PresetName = new QLabel(QStringLiteral("                "), this);
    PresetName->setGeometry(panel.nameDisplay.adjusted(10, 2, -10, -2));
    PresetName->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    PresetName->setStyleSheet(NameStyle);
    PresetName->setToolTip(QStringLiteral("Click to edit"));
    PresetName->setCursor(Qt::IBeamCursor);
    NameEdit = new QLineEdit(this);
    NameEdit->resize(260, 30);
    NameEdit->setStyleSheet(NameEditStyle);
    NameEdit->hide();
    connect(NameEdit, &QLineEdit::textEdited, this, &TEditorForm::NameEditChange);

    OriginalPresetBtn = button({434, 14}, 101);
    OriginalPresetBtn->SetIsRadioButton(true);
    captionBelow(OriginalPresetBtn, "ORIGINAL");
    EditBufferBtn = button({502, 14}, 100);
    EditBufferBtn->SetIsRadioButton(true);
    captionBelow(EditBufferBtn, "EDIT BUFFER");
    OriginalPresetBtn->SetDown(true);
    KnbCompare = button({570, 14}, 102);
    KnbCompare->SetIsPushButton(true);
    captionBelow(KnbCompare, "COMPARE");
    Store = button({638, 14}, 102);
    Store->SetIsPushButton(true);
    captionBelow(Store, "STORE");
    Overwrite = button({706, 14}, 103);
    Overwrite->SetIsPushButton(true);
    captionBelow(Overwrite, "OVERWRITE");

    // Amplifier: model, amp and drive switches, six tone knobs.
    section(8, 0, 470, "AMPLIFIER");
    const QRect ampList(20, RowTop[0] + ListTop, 190, 24);
    KnbAmpType2 = list(McAmpModel, ampList, 9, texts(AmpModels), static_cast<int>(AmpModels.size()));
    KnbAmpType1 = list(McAmpModel, ampList, 9, texts(AmpModels), FirstGenerationAmpModels);
    PreAmpBypass = button({224, RowTop[0] + ListTop - 2}, 10);
    switchCaption(PreAmpBypass, "AMP ON");
    KnbDriveOffOn = button({336, RowTop[0] + ListTop - 2}, 11, 15);
    switchCaption(KnbDriveOffOn, "DRIVE");
    knob(KnbAmp1, vlAmp1, 1, "Gain", 3, knobAt(58, 0), false);
    knob(KnbAmp2, vlAmp2, 4, "Bass", 4, knobAt(132, 0), false);
    knob(KnbAmp3, vlAmp3, 3, "Mid", 5, knobAt(206, 0), false);
    knob(KnbAmp4, vlAmp4, 2, "Treble", 6, knobAt(280, 0), false);
    knob(KnbAmp5, vlAmp5, 6, "Presence", 7, knobAt(354, 0), false, &lbAmp5);
    knob(KnbAmp6, vlAmp6, 5, "Volume", 8, knobAt(428, 0), false);

    // Cabinet and reverb.
    section(486, 0, 295, "CABINET / REVERB");
    KnbCabinetType = list(McCabinet, QRect(498, RowTop[0] + ListTop, 170, 24), 15, texts(Cabinets),
                          static_cast<int>(Cabinets.size()));
    CabinetBypass = button({676, RowTop[0] + ListTop - 2}, 16);
    switchCaption(CabinetBypass, "CAB ON", 44);
    panel.captions.push_back({QRect(498, RowTop[0] + 56, 150, 14), QStringLiteral("REVERB TYPE"),
                              Qt::AlignLeft | Qt::AlignVCenter});
    KnbReverbType = list(13, QRect(498, RowTop[0] + 72, 150, 24), 13, texts(ReverbTypes),
                         static_cast<int>(ReverbTypes.size()));
    KnbReverbOnOff = button({498, RowTop[0] + 110}, 14, 11);
    switchCaption(KnbReverbOnOff, "REVERB ON", 80);
    knob(KnbReverbSendOffOn, vlMix, 7, "Mix", 12, QPoint(722, RowTop[0] + 104), true);

    // Pre-effect.
    section(8, 1, 310, "PRE-EFFECT");
    KnbPreEffectType = list(McPreEffectType, QRect(20, RowTop[1] + ListTop, 160, 24), 13, texts(PreEffectTypes),
                            static_cast<int>(PreEffectTypes.size()));
    knob(KnbpFx1, vlpFx1, 18, "", 25, knobAt(55, 1), true, &lbpFx1);
    knob(KnbpFx2, vlpFx2, 19, "", 26, knobAt(127, 1), true, &lbpFx2);
    knob(KnbpFx3, vlpFx3, 20, "", 27, knobAt(199, 1), true, &lbpFx3);
    knob(KnbpFx4, vlpFx4, 21, "", 28, knobAt(271, 1), true, &lbpFx4);

    // Noise gate and wah.
    section(326, 1, 152, "GATE / WAH");
    knob(KnbNoiseGateLevel, GateValue, 14, "Threshold", 20, knobAt(366, 1), false);
    InstallConversion(*KnbNoiseGateLevel, GuitarValues::Gate);
    knob(KnbWahOffPosition, vlWah, 16, "Wah Position", 21, knobAt(438, 1), false);

    // Modulation.
    section(486, 1, 295, "MODULATION");
    KnbModFx = list(McModulationType, QRect(498, RowTop[1] + ListTop, 130, 24), 13, texts(ModulationTypes),
                    static_cast<int>(ModulationTypes.size()));
    PostFxMixOn = button({650, RowTop[1] + ListTop - 2}, 34);
    switchCaption(PostFxMixOn, "MIX ON", 60);
    knob(KnbFx1, vlFx1, 29, "Speed", 30, knobAt(528, 1), true);
    InstallConversion(*KnbFx1, GuitarValues::FxSpd, [] { return preset(McModulationType).value; });
    knob(KnbFx2, vlFx2, 30, "Depth", 31, knobAt(598, 1), true);
    knob(KnbFx3, vlFx3, 31, "FeedBack", 32, knobAt(668, 1), true);
    knob(KnbFx4, vlFx4, McModulationMix, "Mix", 33, knobAt(738, 1), true);

    // Delay.
    section(8, 2, 390, "DELAY");
    KnbFxDelay = list(McDelayType, QRect(20, RowTop[2] + ListTop, 150, 24), 13, texts(DelayTypes),
                      static_cast<int>(DelayTypes.size()));
    DelayMixOn = button({184, RowTop[2] + ListTop - 2}, 40);
    switchCaption(DelayMixOn, "MIX ON", 56);
    TapBtn = button({296, RowTop[2] + ListTop - 2}, 19);
    TapBtn->SetIsPushButton(true);
    switchCaption(TapBtn, "TAP", 40);
    knob(KnbDelay1, vlDelay1, 33, "Delay-Time", 36, knobAt(83, 2), false);
    KnbDelay1->FineEnabled = true;
    InstallConversion(*KnbDelay1, GuitarValues::DelT);
    knob(KnbDelay2, vlDelay2, 25, "Spread", 37, knobAt(163, 2), false);
    knob(KnbDelay3, vlDelay3, 26, "FeedBack", 38, knobAt(243, 2), false);
    knob(lbDelay4, vlDelay4, McDelayMix, "Mix", 39, knobAt(323, 2), false);

    // Effects: on/off, pedal assignment and the tuner.
    section(406, 2, 375, "EFFECTS");
    KnbFxOffOn = button({418, RowTop[2] + ListTop - 2}, 18, 10);
    switchCaption(KnbFxOffOn, "FX ON", 50);
    TunerBut = button({530, RowTop[2] + ListTop - 2}, 0);
    TunerBut->SetIsPushButton(true);
    switchCaption(TunerBut, "TUNER", 50);
    panel.captions.push_back({QRect(418, RowTop[2] + 64, 220, 14), QStringLiteral("CONTROL ASSIGNMENT"),
                              Qt::AlignLeft | Qt::AlignVCenter});
    KnbFxMixAssign = list(9, QRect(418, RowTop[2] + 80, 190, 24), 17, texts(ControlAssignments),
                          static_cast<int>(ControlAssignments.size()));
    panel.badge = QRect(612, RowTop[2] + 58, 160, 64);

    // Handlers.
    for (auto [box, handler] : {std::pair{KnbAmpType1, &TEditorForm::KnbAmpType2CtrlChange},
                                std::pair{KnbAmpType2, &TEditorForm::KnbAmpType2CtrlChange},
                                std::pair{KnbCabinetType, &TEditorForm::KnbCabinetTypeCtrlChange},
                                std::pair{KnbPreEffectType, &TEditorForm::KnbPreEffectTypeCtrlChange},
                                std::pair{KnbModFx, &TEditorForm::KnbModFxOnCtrlChange},
                                std::pair{KnbFxDelay, &TEditorForm::KnbFxDelayCtrlChange}})
        box->OnCtrlChange = [this, handler](QWidget*, int v) { (this->*handler)(v); };
    KnbFx4->OnCtrlChange = [this](TWC_CustomControl*, int v) { KnbFx4CtrlChange(v); };
    lbDelay4->OnCtrlChange = [this](TWC_CustomControl*, int v) { lbDelay4CtrlChange(v); };
    for (auto [b, handler] : {std::pair{PreAmpBypass, &TEditorForm::PreAmpBypassCtrlChange},
                              std::pair{CabinetBypass, &TEditorForm::CabinetBypassCtrlChange},
                              std::pair{PostFxMixOn, &TEditorForm::PostFxMixOnCtrlChange},
                              std::pair{DelayMixOn, &TEditorForm::DelayMixOnCtrlChange},
                              std::pair{TapBtn, &TEditorForm::TapBtnCtrlChange},
                              std::pair{TunerBut, &TEditorForm::TunerButCtrlChange},
                              std::pair{KnbCompare, &TEditorForm::KnbCompareCtrlChange},
                              std::pair{OriginalPresetBtn, &TEditorForm::OriginalPresetBtnCtrlChange},
                              std::pair{EditBufferBtn, &TEditorForm::EditBufferBtnCtrlChange}})
        b->OnCtrlChange = [this, handler](TWC_CustomControl*, int v) { (this->*handler)(v); };
    for (TWC_ImgButton* b : {Store, Overwrite})
        b->OnCtrlChange = [this, b](TWC_CustomControl*, int v) { StoreCtrlChange(b, v); };

    for (const KnobAndLabel& k : knobs)
        panel.knobCentres.push_back(k.knob->geometry().center() + QPoint(1, 1));
    BackImage->SetPicture(DrawEditorPanel(panel, qApp->devicePixelRatio()));
    BackImage->lower();
    for (QObject* child : children())
        if (auto* c = qobject_cast<TWC_CustomControl*>(child))
            c->SetParentImage(BackImage);
    NameEdit->raise();
    ValueEdit->raise();
}

int TEditorForm::HelpContext(const QWidget* control)
{
    return control ? control->property(HelpProperty).toInt() : 0;
}

// ---- opening ----

void TEditorForm::TakePreset(const PresetRecord& record)
{
    ApplyRecord(record, false);
    PresetName->setText(latin1(GetRecordName(record)));
    CaptureEditBuffer(*OriginalRecord);
    CaptureEditBuffer(*EditBufferRecord);
    ResetCompareState();
}

void TEditorForm::ResetCompareState()
{
    edited = false;
    switching = false;
    OriginalPresetBtn->SetDown(true);
}

void TEditorForm::ShowPreset(const QString& caption, PresetSource source)
{
    source_ = source;
    setWindowTitle(caption);
    if (isVisible())
        ShowAgain();
    show();
    raise();
    activateWindow();
}

std::string TEditorForm::PresetNameText() const
{
    return PresetName->text().toLatin1().toStdString();
}

void TEditorForm::ShowPresetName(const std::string& name)
{
    PresetName->setText(latin1(name));
}

void TEditorForm::TookOriginal()
{
    edited = false;
    OriginalPresetBtn->SetDown(true);
    // After a program change the mix switches bring back a middle mix.
    PostFxMixOnTag = 64;
    DelayMixOnTag = 64;
}

void TEditorForm::EnableChangedTimer()
{
    ChangedTimer.start();
}

void TEditorForm::StopChangedTimer()
{
    ChangedTimer.stop();
}

void TEditorForm::ShowAgain()
{
    if (isVisible())
        FormShow();
}

void TEditorForm::CloseWithoutQuery()
{
    const bool ask = CloseQueryEnabled;
    CloseQueryEnabled = false;
    close();
    CloseQueryEnabled = ask;
}

// ---- show, activate, close ----

void TEditorForm::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (!e->spontaneous())
        FormShow();
}

void TEditorForm::FormShow()
{
    applyModelSetup();
    TWC_CustomControl::SetMouseDir(CurrentPreferences.MouseMoveMode);
    applyCouplings();
    for (const KnobAndLabel& k : knobs)
        refreshValueLabel(k.knob, k.label);
    ChangedTimer.start();
}

void TEditorForm::applyModelSetup()
{
    const bool first = isFirstGeneration();
    AdaptTablesToModel(ActiveDevice.Model);
    TWC_ComboBox* shown = first ? KnbAmpType1 : KnbAmpType2;
    TWC_ComboBox* hidden = first ? KnbAmpType2 : KnbAmpType1;
    hidden->hide();
    hidden->TWC_Hide();
    shown->show();
    shown->TWC_Show();
    lbAmp5->setVisible(!first);
    PreAmpBypass->SetEnabled(!first);
}

void TEditorForm::applyCouplings()
{
    KnbAmpType2CtrlChange(preset(McAmpModel).value);
    KnbCabinetTypeCtrlChange(preset(McCabinet).value);
    KnbFx4CtrlChange(preset(McModulationMix).value);
    lbDelay4CtrlChange(preset(McDelayMix).value);
    KnbPreEffectTypeCtrlChange(preset(McPreEffectType).value);
    KnbModFxOnCtrlChange(preset(McModulationType).value);
    KnbFxDelayCtrlChange(preset(McDelayType).value);
}

void TEditorForm::FormActivate()
{
    for (QWidget* w : findChildren<QWidget*>())
        w->update();
}

void TEditorForm::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TEditorForm::closeEvent(QCloseEvent* e)
{
    if (CloseQueryEnabled)
        FormCloseQuery();
    else
        ChangedTimer.stop();
    e->accept();
}

bool TEditorForm::FormCloseQuery()
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

// ---- switch couplings ----

void TEditorForm::followSwitch(TWC_ImgButton* b, bool on)
{
    if (b->Down() != on)
        b->SetDown(on);
}

void TEditorForm::switchParameter(bool userChange, bool on, int mcix, int offValue, int& tag)
{
    if (!userChange)
        return;
    MCtrl& p = preset(mcix);
    if (on) {
        p.SetValFlags(tag, PendingBits);
    } else {
        tag = p.value;
        p.SetValFlags(offValue, PendingBits);
    }
}

void TEditorForm::PreAmpBypassCtrlChange(int v)
{
    switchParameter(PreAmpBypass->UserChange, v != 0, McAmpModel, GuitarEditorTexts::AmpBypass, PreAmpBypassTag);
}

void TEditorForm::CabinetBypassCtrlChange(int v)
{
    switchParameter(CabinetBypass->UserChange, v != 0, McCabinet, GuitarEditorTexts::CabinetBypass,
                    CabinetBypassTag);
}

void TEditorForm::PostFxMixOnCtrlChange(int v)
{
    switchParameter(PostFxMixOn->UserChange, v != 0, McModulationMix, 0, PostFxMixOnTag);
}

void TEditorForm::DelayMixOnCtrlChange(int v)
{
    switchParameter(DelayMixOn->UserChange, v != 0, McDelayMix, 0, DelayMixOnTag);
}

// The followers also remember every non-off value, so that a parameter
// turned off through its list or knob comes back with the switch as well.
void TEditorForm::KnbCabinetTypeCtrlChange(int v)
{
    followSwitch(CabinetBypass, v != GuitarEditorTexts::CabinetBypass);
    if (v != GuitarEditorTexts::CabinetBypass)
        CabinetBypassTag = v;
}

void TEditorForm::KnbFx4CtrlChange(int v)
{
    followSwitch(PostFxMixOn, v != 0);
    if (v != 0)
        PostFxMixOnTag = v;
}

void TEditorForm::lbDelay4CtrlChange(int v)
{
    followSwitch(DelayMixOn, v != 0);
    if (v != 0)
        DelayMixOnTag = v;
}

void TEditorForm::KnbAmpType2CtrlChange(int v)
{
    const bool bypass = v == GuitarEditorTexts::AmpBypass;
    followSwitch(PreAmpBypass, !bypass);
    if (!bypass)
        PreAmpBypassTag = v;
    for (auto [k, label] : {std::pair{KnbAmp1, vlAmp1}, std::pair{KnbAmp2, vlAmp2}, std::pair{KnbAmp3, vlAmp3},
                            std::pair{KnbAmp4, vlAmp4}})
        setKnobInUse(k, label, !bypass);
    setKnobInUse(KnbAmp5, vlAmp5, !bypass && !isFirstGeneration());
}

// ---- effect types ----

void TEditorForm::setKnobInUse(TWC_ImgKnob* k, QLabel* label, bool on)
{
    k->SetEnabled(on);
    label->setEnabled(on);
    refreshValueLabel(k, label);
}

void TEditorForm::refreshValueLabel(TWC_ImgKnob* k, QLabel* label)
{
    if (k->isEnabled())
        k->SetValText();
    else
        label->clear();
}

void TEditorForm::KnbPreEffectTypeCtrlChange(int v)
{
    const std::array<TWC_ImgKnob*, 4> pfx{KnbpFx1, KnbpFx2, KnbpFx3, KnbpFx4};
    const std::array<QLabel*, 4> values{vlpFx1, vlpFx2, vlpFx3, vlpFx4};
    const std::array<QLabel*, 4> captions{lbpFx1, lbpFx2, lbpFx3, lbpFx4};
    for (int i = 0; i < 4; ++i) {
        pfx[i]->SetEnabled(false);
        values[i]->setEnabled(false);
        captions[i]->clear();
    }
    if (v >= 0 && v < static_cast<int>(PreEffectKnobs.size())) {
        for (int i = 0; i < 4; ++i) {
            const PreEffectKnob& k = PreEffectKnobs[v][i];
            const bool on = k.use == PreEffectKnob::On || (k.use == PreEffectKnob::OnNewerModels && !isFirstGeneration());
            if (!on)
                continue;
            captions[i]->setText(QString::fromLatin1(k.caption.data(), static_cast<qsizetype>(k.caption.size())));
            if (k.conversion)
                InstallConversion(*pfx[i], *k.conversion);
            pfx[i]->SetEnabled(true);
            values[i]->setEnabled(true);
        }
    }
    for (int i = 0; i < 4; ++i)
        refreshValueLabel(pfx[i], values[i]);
}

void TEditorForm::KnbModFxOnCtrlChange(int v)
{
    const ModulationKnobs use = ModulationKnobsFor(v);
    setKnobInUse(KnbFx2, vlFx2, use.depth);
    setKnobInUse(KnbFx3, vlFx3, use.feedback);
    // The speed reads in the unit of the new type.
    refreshValueLabel(KnbFx1, vlFx1);
}

void TEditorForm::KnbFxDelayCtrlChange(int v)
{
    setKnobInUse(KnbDelay2, vlDelay2, v == GuitarEditorTexts::SimpleDelay);
}

// ---- tap and tuner ----

void TEditorForm::TapBtnCtrlChange(int v)
{
    if (v != 0)
        Unit().sendControlChange(TapCc, TapValue);
}

void TEditorForm::TunerButCtrlChange(int v)
{
    if (v != 0 && services.sendProgramChange)
        services.sendProgramChange(TunerProgram);
}

// ---- keys ----

bool TEditorForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == NameEdit) {
        switch (e->type()) {
        case QEvent::FocusIn:
            NameEditEnter();
            break;
        case QEvent::FocusOut:
            NameEditExit();
            break;
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
        QWidget* focus = QApplication::focusWidget();
        const QObject* first = focus && isAncestorOf(focus) ? focus : this;
        if (watched == first) {
            auto* key = static_cast<QKeyEvent*>(e);
            if (e->type() == QEvent::KeyPress ? FormKeyDown(key) : FormKeyUp(key))
                return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

namespace {
// Keypad 0 away from edit fields, or Insert, taps the tempo.
bool isTapKey(const QKeyEvent* e)
{
    if (e->key() == Qt::Key_Insert)
        return true;
    if (e->key() != Qt::Key_0 || !(e->modifiers() & Qt::KeypadModifier))
        return false;
    return !qobject_cast<QLineEdit*>(QApplication::focusWidget());
}
}

// Tap keys are taken here and go no further: keypad 0 would also set the
// focused knob to 0.
bool TEditorForm::FormKeyDown(QKeyEvent* e)
{
    if (!isTapKey(e))
        return false;
    if (!e->isAutoRepeat())
        followSwitch(TapBtn, true);
    return true;
}

bool TEditorForm::FormKeyUp(QKeyEvent* e)
{
    if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(TapBtn, false);
        return true;
    }
    if (e->key() == Qt::Key_F1 && !e->isAutoRepeat()) {
        QWidget* focus = QApplication::focusWidget();
        emit helpRequested(EditorHelpAnchor(focus && isAncestorOf(focus) ? HelpContext(focus) : 0));
    }
    return false;
}

// ---- preset name ----

void TEditorForm::PresetNameClick()
{
    const QRect l = PresetName->geometry();
    NameEdit->move(l.left() + (l.width() - NameEdit->width()) / 2, l.top() + (l.height() - NameEdit->height()) / 2);
    NameEdit->setText(PresetName->text());
    NameEdit->show();
    NameEdit->raise();
    NameEdit->selectAll();
    NameEdit->setFocus(Qt::OtherFocusReason);
}

void TEditorForm::NameEditEnter()
{
    nameOnEntry = PresetName->text();
}

void TEditorForm::NameEditChange(const QString& typed)
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

void TEditorForm::NameEditKeyUp(int key)
{
    if (key == KeyConfirm) {
        NameEditExit();
        NameEdit->selectAll();
    } else if (key == KeyCancel) {
        NameEdit->setText(nameOnEntry);
        NameEditExit();
    }
}

void TEditorForm::NameEditDblClick()
{
    NameEdit->selectAll();
}

void TEditorForm::NameEditExit()
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

void TEditorForm::ChangedTimerTimer()
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
            // the question does not come again with the next tick.
            ApplyRecord(*OriginalRecord, true);
            PresetName->setText(latin1(GetRecordName(*OriginalRecord)));
            edited = false;
        } else {
            CaptureEditBuffer(*EditBufferRecord);
        }
    } else if (!edited && was && !switching) {
        CaptureEditBuffer(*EditBufferRecord);
    }
    if (edited != was) {
        OriginalPresetBtn->SetDown(was);
        if (!was)
            switching = false;
    }
}

void TEditorForm::SetBuffers()
{
    if (OriginalPresetBtn->Down()) {
        switching = true;
        CaptureEditBuffer(*EditBufferRecord);
        ApplyRecord(*OriginalRecord, true);
        PresetName->setText(latin1(GetRecordName(*OriginalRecord)));
    } else {
        edited = true;
        ApplyRecord(*EditBufferRecord, true);
        PresetName->setText(latin1(GetRecordName(*EditBufferRecord)));
    }
}

void TEditorForm::OriginalPresetBtnCtrlChange(int)
{
    if (OriginalPresetBtn->UserChange)
        SetBuffers();
}

void TEditorForm::EditBufferBtnCtrlChange(int)
{
    if (EditBufferBtn->UserChange)
        SetBuffers();
}

void TEditorForm::KnbCompareCtrlChange(int v)
{
    if (v != 0)
        return;
    if (EditBufferBtn->Down())
        OriginalPresetBtn->SetDown(true);
    else if (RecordDiffers(*EditBufferRecord) || GetRecordName(*OriginalRecord) != GetRecordName(*EditBufferRecord))
        EditBufferBtn->SetDown(true);
    SetBuffers();
}

// ---- store ----

void TEditorForm::slotPreselection(int& bank, int& presetIndex) const
{
    int n = services.currentSlot ? services.currentSlot() : 0;
    if (n < 0 || n >= SlotCount)
        n = 0;
    bank = n / 5;
    presetIndex = n % 5;
}

void TEditorForm::commitEdit()
{
    CaptureEditBuffer(*OriginalRecord);
    CaptureEditBuffer(*EditBufferRecord);
    edited = false;
    OriginalPresetBtn->SetDown(true);
}

void TEditorForm::StoreCtrlChange(TWC_ImgButton* sender, int v)
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
