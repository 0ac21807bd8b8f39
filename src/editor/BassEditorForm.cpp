#include "editor/BassEditorForm.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>

#include "controls/KeyCodes.h"
#include "controls/CustomControl.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "editor/ConversionControls.h"
#include "editor/EditorFormPanel.h"
#include "files/Preferences.h"
#include "model/Parameters.h"

namespace {

// Bass preset parameters (Mcix) the window handles itself.
enum : int {
    McCompDensity = 7,
    McAmpModel = 8,
    McCabinet = 16,
    McXoverFrequency = 17,
    McXoverBalance = 18,
    McExpander = 19,
    McSensitivity = 20,
    McPedal = 22,
    McWahPosition = 27,
    McPreFxMode = 28,
    McWahDepth = 29,
    McPostFxMode = 32,
    McSynthKey = 44,
    McIntervalWithKey = 42,
    McIntervalWithoutKey = 43,
};

// Four rows of sections below the header; a row's lists and switches sit in
// its title line, its knobs below.
constexpr int RowTop[] = {74, 199, 324, 449};
constexpr int RowHeight = 123;
constexpr int KnobDrop = 76;
constexpr int TitleLine = 3;

const QColor PianoMarker(255, 0, 0);

} // namespace

// ---- the piano picture ----

TBassPianoPicture::TBassPianoPicture(QWidget* parent) : QWidget(parent)
{
    using namespace BassPiano;
    setFixedSize(Width, Height);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);

    Canvas = QPixmap(Width, Height);
    Canvas.fill(QColor(12, 12, 14));
    QPainter p(&Canvas);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < LastIndex; ++i) {
        const QRectF key(i * KeyWidth + 0.5, 0.5, KeyWidth - 1.0, Height - 1.5);
        QLinearGradient ivory(key.topLeft(), key.bottomLeft());
        ivory.setColorAt(0.0, QColor(236, 232, 220));
        ivory.setColorAt(0.85, QColor(250, 248, 240));
        ivory.setColorAt(1.0, QColor(200, 196, 186));
        p.setPen(QPen(QColor(60, 58, 54), 1.0));
        p.setBrush(ivory);
        p.drawRoundedRect(key, 2, 2);
    }
    for (int i = 0; i <= LastIndex; ++i) {
        if (BlackNotes[static_cast<size_t>(i)] == 0)
            continue;
        const QRectF key(i * KeyWidth - 5.0, 0.0, 10.0, 46.0);
        QLinearGradient ebony(key.topLeft(), key.topRight());
        ebony.setColorAt(0.0, QColor(10, 10, 12));
        ebony.setColorAt(0.5, QColor(58, 58, 64));
        ebony.setColorAt(1.0, QColor(10, 10, 12));
        p.setPen(QPen(QColor(0, 0, 0), 1.0));
        p.setBrush(ebony);
        p.drawRoundedRect(key, 1.5, 1.5);
    }
}

void TBassPianoPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, Canvas);
}

void TBassPianoPicture::mousePressEvent(QMouseEvent* e)
{
    if (OnMouseDown)
        OnMouseDown(e);
}

void TBassPianoPicture::mouseMoveEvent(QMouseEvent* e)
{
    if (OnMouseMove)
        OnMouseMove(e);
}

void TBassPianoPicture::mouseReleaseEvent(QMouseEvent* e)
{
    if (OnMouseUp)
        OnMouseUp(e);
}

// ---- building ----

TBassEditF::TBassEditF(const WindowServices& shell, EditorServices s, QWidget* parent)
    : TEditorFormBase(shell, std::move(s), ModixBassPreset, QStringLiteral("BassEditF"), QStringLiteral("BassEditF"),
                      parent)
{
    trimNameForEditing = true;
    defaultPair = BassValues::Midi;
    buildPanel();

    Dot.setInterval(DotMs);
    connect(&Dot, &QTimer::timeout, this, &TBassEditF::DotTimer);
    markerBackground = Piano->Canvas.copy(markerRect);
    applyCouplings();
}

TBassEditF::~TBassEditF() = default;

void TBassEditF::buildPanel()
{
    using namespace BassEditorTexts;
    PanelDrawing panel;
    panel.size = QSize(ClientWidth, ClientHeight);
    panel.badgeSubtitle = QStringLiteral("BASS AMP MODELLER");
    auto section = [&](int x, int row, int w, const char* title, int rows = 1) {
        const int h = RowTop[row + rows - 1] + RowHeight - RowTop[row];
        panel.sections.push_back({QRect(x, RowTop[row], w, h), QString::fromLatin1(title)});
    };
    auto captionRight = [&](TWC_ImgButton* b, const char* text, int width = 60) {
        panel.captions.push_back({QRect(b->x() + 50, b->y(), width, b->height()), QString::fromLatin1(text),
                                  Qt::AlignLeft | Qt::AlignVCenter});
        nameControl(b, text);
    };
    auto knobAt = [&](int x, int row) { return QPoint(x, RowTop[row] + KnobDrop); };
    auto titleList = [&](int mcix, int x, int row, int w, int help, const auto& texts) {
        return list(mcix, QRect(x, RowTop[row] + TitleLine, w, 22), help, texts);
    };
    auto titleSwitch = [&](int x, int row, int help, int mcix = -1) {
        return button({x, RowTop[row] + 1}, help, mcix);
    };

    buildHeader(panel);
    KnbOriginal = originalButton;
    KnbEditBuffer = editBufferButton;
    KnbCompare->setProperty("HelpContext", 101);

    // Preamp: model, amp switch and eight tone knobs.
    section(8, 0, 592, "PREAMP");
    cbAmpModel = titleList(McAmpModel, 86, 0, 180, 2, AmpModels);
    KnbAmpBypass = titleSwitch(276, 0, 3);
    captionRight(KnbAmpBypass, "AMP ON");
    knob(KnbPre1, vlPre1, 1, "Gain", 6, knobAt(48, 0), false);
    knob(KnbPre2, vlPre2, 11, "Deep", 7, knobAt(120, 0), false);
    knob(KnbPre3, vlPre3, 4, "Bass", 8, knobAt(192, 0), false);
    knob(KnbPre4, vlPre4, 3, "Mid", 9, knobAt(264, 0), false);
    knob(KnbPre5, vlPre5, 10, "Mid-Shift", 10, knobAt(336, 0), false, &lbPre5);
    knob(KnbPre6, vlPre6, 2, "Treble", 11, knobAt(408, 0), false);
    knob(KnbPre7, vlPre7, 6, "Presence", 12, knobAt(480, 0), false);
    knob(KnbPre8, vlPre8, 5, "Volume", 13, knobAt(552, 0), false);

    // Cabinet and the effects' master switch.
    section(608, 0, 173, "CABINET");
    cbCabModel = list(McCabinet, QRect(620, RowTop[0] + 28, 150, 22), 4, Cabinets);
    KnbCabBypass = button({620, RowTop[0] + 58}, 5);
    captionRight(KnbCabBypass, "CAB ON");
    KnbFxOn = button({620, RowTop[0] + 90}, 32, 14);
    captionRight(KnbFxOn, "Global Fx On/Off", 110);

    // Compressor, crossover, denoiser.
    section(8, 1, 176, "COMPRESSOR");
    KnbCompOn = titleSwitch(130, 1, 20, 15);
    knob(KnbComp1, vlComp1, McCompDensity, "Density", 21, knobAt(52, 1), true);
    KnbComp1->SetNullIsOff(true);
    knob(KnbComp2, vlComp2, 12, "Attack", 22, knobAt(140, 1), true);

    section(190, 1, 176, "CROSSOVER");
    KnbXoverOn = titleSwitch(312, 1, 23);
    knob(KnbXover1, vlXover1, McXoverFrequency, "Frequency", 24, knobAt(234, 1), true);
    KnbXover1->SetNullIsOff(true);
    InstallConversion(*KnbXover1, BassValues::Freq, questions);
    knob(KnbXover2, vlXover2, McXoverBalance, "Balance", 25, knobAt(322, 1), true);
    InstallConversion(*KnbXover2, BassValues::Prct, questions);

    section(372, 1, 228, "DENOISER");
    KnbDenoiserOn = titleSwitch(546, 1, 26);
    knob(KnbDenoise1, vlDenoise1, McExpander, "Expander", 27, knobAt(414, 1), true);
    InstallConversion(*KnbDenoise1, BassValues::Exp, questions);
    knob(KnbDenoise2, vlDenoise2, McSensitivity, "Sensivity", 28, knobAt(486, 1), true);
    knob(KnbDenoise3, vlDenoise3, 21, "Range", 29, knobAt(558, 1), true);

    section(608, 1, 173, "");
    panel.badge = QRect(614, RowTop[1] + 28, 160, 64);

    // Pedal and pre-effect.
    section(8, 2, 298, "PEDAL");
    cbPedalSim = titleList(McPedal, 76, 2, 170, 18, PedalSims);
    knob(KnbStomp1, vlStomp1, 26, "Split", 19, knobAt(48, 2), false);
    KnbStomp1->SetNullIsOff(true);
    InstallConversion(*KnbStomp1, BassValues::Split, questions);
    knob(KnbStomp2, vlStomp2, 23, "Drive", 18, knobAt(118, 2), false);
    knob(KnbStomp3, vlStomp3, 24, "Tone", 18, knobAt(188, 2), false);
    knob(KnbStomp4, vlStomp4, 25, "Boost", 18, knobAt(258, 2), false);

    section(8, 3, 298, "PRE-EFFECT");
    cbPreFxMode = titleList(McPreFxMode, 120, 3, 120, 14, PreEffectModes);
    knob(KnbWah1, vlWah1, McWahDepth, "Depth", 15, knobAt(60, 3), false, &lbWah1);
    knob(KnbWah2, vlWah2, 30, "Speed", 16, knobAt(154, 3), false);
    knob(KnbWah3, vlWah3, 31, "Base", 17, knobAt(248, 3), false);

    // Post-effect over two rows: mode, looper or piano, tap and tuner above,
    // the seven effect knobs below.
    section(314, 2, 467, "POST-EFFECT", 2);
    cbPostFxMode = titleList(McPostFxMode, 430, 2, 150, 30, PostEffectModes);
    valueLabelWidth = 60;
    for (int i = 0; i < 7; ++i)
        knob(KnbFx[static_cast<size_t>(i)], vlFx[static_cast<size_t>(i)], 33 + i, "", 31, knobAt(350 + 66 * i, 3),
             true, &lbFx[static_cast<size_t>(i)]);
    KnbFx[6]->FineEnabled = true;

    const std::array<const char*, 6> looperTexts{"REC", "LOOP", "PLAY", "STOP", "HALF", "BACK"};
    std::array<TWC_ImgButton**, 6> looper{&KnbRec, &KnbLoop, &KnbPlay, &KnbStop, &KnbHalf, &KnbBack};
    for (size_t i = 0; i < looper.size(); ++i) {
        TWC_ImgButton* b = *looper[i] = button({340 + 54 * static_cast<int>(i), RowTop[2] + 44}, 40);
        b->SetIsPushButton(i < 4);
        QLabel* caption = looperCaptions[i] = new QLabel(QString::fromLatin1(looperTexts[i]), this);
        caption->setAlignment(Qt::AlignCenter);
        caption->setGeometry(b->x() - 6, b->y() + b->height() + 2, b->width() + 12, 12);
        caption->setStyleSheet(QStringLiteral("QLabel { background: transparent; color: #d6dae2;"
                                              " font: bold 9px 'DejaVu Sans'; }"));
    }
    const QRect pianoPlace(326, RowTop[2] + 34, BassPiano::Width, BassPiano::Height);
    panel.sections.push_back({pianoPlace.adjusted(-6, -6, 6, 6), QString()});
    buildPiano(pianoPlace);

    auto captionBelow = [&](TWC_ImgButton* b, const char* text) {
        panel.captions.push_back({QRect(b->x() - 20, b->y() + b->height() + 2, b->width() + 40, 12),
                                  QString::fromLatin1(text)});
        nameControl(b, text);
    };
    KnbTap = button({702, RowTop[2] + 32}, 33);
    KnbTap->SetIsPushButton(true);
    captionBelow(KnbTap, "Tap Tempo");
    TunerBut = button({702, RowTop[2] + 78}, 34);
    TunerBut->SetIsPushButton(true);
    captionBelow(TunerBut, "TUNER");

    // Handlers.
    for (auto [box, handler] : {std::pair{cbAmpModel, &TBassEditF::cbAmpModelCtrlChange},
                                std::pair{cbCabModel, &TBassEditF::cbCabModelCtrlChange},
                                std::pair{cbPedalSim, &TBassEditF::cbPedalSimCtrlChange},
                                std::pair{cbPreFxMode, &TBassEditF::cbPreFxModeCtrlChange},
                                std::pair{cbPostFxMode, &TBassEditF::cbPostFxModeCtrlChange}})
        box->OnCtrlChange = [this, handler](QWidget*, int v) { (this->*handler)(v); };
    // Only a choice that changes the mode is followed by this list's refresh;
    // choosing the shown mode again must not leave the mark for a later
    // change from a preset or the unit.
    connect(cbPreFxMode, &QComboBox::activated, this,
            [this](int index) { preFxModeChosen = index != shownPreFxMode; });
    for (auto [c, handler] : {std::pair{static_cast<TWC_CustomControl*>(KnbComp1), &TBassEditF::KnbComp1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbXover1), &TBassEditF::KnbXover1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoise1),
                                        &TBassEditF::KnbDenoise1CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoise2),
                                        &TBassEditF::KnbDenoise2CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbFx[4]), &TBassEditF::KnbFx5CtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbAmpBypass),
                                        &TBassEditF::KnbAmpBypassCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCabBypass),
                                        &TBassEditF::KnbCabBypassCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCompOn), &TBassEditF::KnbCompOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbXoverOn), &TBassEditF::KnbXoverOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbDenoiserOn),
                                        &TBassEditF::KnbDenoiserOnCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbTap), &TBassEditF::KnbTapCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(TunerBut), &TBassEditF::TunerButCtrlChange},
                              std::pair{static_cast<TWC_CustomControl*>(KnbCompare),
                                        &TBassEditF::KnbCompareCtrlChange}})
        c->OnCtrlChange = [this, handler](TWC_CustomControl*, int v) { (this->*handler)(v); };
    for (int i = 0; i < 6; ++i)
        (*looper[static_cast<size_t>(i)])->OnCtrlChange = [this, i](TWC_CustomControl*, int v) {
            LooperKeyCtrlChange(i, v);
        };

    finishPanel(panel);
}

void TBassEditF::buildPiano(QRect place)
{
    Piano = new TBassPianoPicture(this);
    Piano->move(place.topLeft());
    Piano->hide();
    Piano->OnMouseDown = [this](QMouseEvent* e) {
        if (e->button() != Qt::LeftButton)
            return;
        // The press plays the key under the pointer even when no move
        // came before it.
        PianoMouseMove(false, e->position().toPoint().x(), e->position().toPoint().y());
        PianoMouseDown();
    };
    Piano->OnMouseMove = [this](QMouseEvent* e) {
        PianoMouseMove(e->buttons() & Qt::LeftButton, e->position().toPoint().x(), e->position().toPoint().y());
    };
    Piano->OnMouseUp = [this](QMouseEvent* e) {
        if (e->button() == Qt::LeftButton)
            PianoMouseUp();
    };
}

std::array<TWC_ImgButton*, 6> TBassEditF::looperButtons() const
{
    return {KnbRec, KnbLoop, KnbPlay, KnbStop, KnbHalf, KnbBack};
}

void TBassEditF::showLooper(bool on)
{
    for (TWC_ImgButton* b : looperButtons())
        b->setVisible(on);
    for (QLabel* caption : looperCaptions)
        caption->setVisible(on);
}

bool TBassEditF::PianoActive() const
{
    return isActiveWindow() && !Piano->isHidden();
}

// ---- show ----

void TBassEditF::FormShow()
{
    TWC_CustomControl::SetMouseDir(prefs.MouseMoveMode);
    applyCouplings();
    ChangedTimer.start();
}

// Brings every coupled control in step with the module as it is.
void TBassEditF::applyCouplings()
{
    cbAmpModelCtrlChange(param(McAmpModel).value);
    cbCabModelCtrlChange(param(McCabinet).value);
    KnbComp1CtrlChange(param(McCompDensity).value);
    KnbXover1CtrlChange(param(McXoverFrequency).value);
    KnbDenoise1CtrlChange(param(McExpander).value);
    KnbDenoise2CtrlChange(param(McSensitivity).value);
    cbPedalSimCtrlChange(param(McPedal).value);
    cbPreFxModeCtrlChange(param(McPreFxMode).value);
    cbPostFxModeCtrlChange(param(McPostFxMode).value);
    for (const KnobAndLabel& k : knobs)
        refreshValueLabel(k.knob, k.label);
}

// ---- switch couplings ----

void TBassEditF::KnbAmpBypassCtrlChange(int v)
{
    switchParameter(KnbAmpBypass->UserChange, v != 0, McAmpModel, BassEditorTexts::AmpBypass, KnbAmpBypassTag);
}

void TBassEditF::KnbCabBypassCtrlChange(int v)
{
    switchParameter(KnbCabBypass->UserChange, v != 0, McCabinet, BassEditorTexts::NoCabinet, KnbCabBypassTag);
}

void TBassEditF::KnbCompOnCtrlChange(int v)
{
    switchParameter(KnbCompOn->UserChange, v != 0, McCompDensity, 0, KnbCompOnTag);
}

void TBassEditF::KnbXoverOnCtrlChange(int v)
{
    switchParameter(KnbXoverOn->UserChange, v != 0, McXoverFrequency, 0, KnbXoverOnTag);
    // The unit takes the balance again whenever the crossover comes on.
    if (v != 0)
        param(McXoverBalance).MarkPending(SendPending);
}

void TBassEditF::KnbDenoiserOnCtrlChange(int v)
{
    if (!KnbDenoiserOn->UserChange)
        return;
    MCtrl& expander = param(McExpander);
    MCtrl& sensitivity = param(McSensitivity);
    if (v != 0) {
        expander.SetValFlags(KnbDenoise1Tag, PendingBits);
        sensitivity.SetValFlags(KnbDenoise2Tag, PendingBits);
    } else {
        KnbDenoise1Tag = expander.value;
        KnbDenoise2Tag = sensitivity.value;
        expander.SetValFlags(0, PendingBits);
        sensitivity.SetValFlags(0, PendingBits);
    }
}

// The followers also remember every non-off value, so that a parameter
// turned off through its list or knob comes back with the switch as well.
void TBassEditF::cbAmpModelCtrlChange(int v)
{
    const bool bypass = v == BassEditorTexts::AmpBypass;
    followSwitch(KnbAmpBypass, !bypass);
    if (!bypass) {
        KnbAmpBypassTag = v;
        const bool midShift = BassEditorTexts::AmpHasMidShift(v);
        lbPre5->setText(midShift ? QStringLiteral("Mid-Shift") : QStringLiteral("Shape"));
        KnbPre5->SetNullIsOff(!midShift);
    }
    for (auto [k, label] : {std::pair{KnbPre1, vlPre1}, std::pair{KnbPre2, vlPre2}, std::pair{KnbPre3, vlPre3},
                            std::pair{KnbPre4, vlPre4}, std::pair{KnbPre5, vlPre5}, std::pair{KnbPre6, vlPre6},
                            std::pair{KnbPre7, vlPre7}})
        setKnobInUse(k, label, !bypass);
}

void TBassEditF::cbCabModelCtrlChange(int v)
{
    followSwitch(KnbCabBypass, v != BassEditorTexts::NoCabinet);
    if (v != BassEditorTexts::NoCabinet)
        KnbCabBypassTag = v;
}

void TBassEditF::KnbComp1CtrlChange(int v)
{
    setKnobInUse(KnbComp2, vlComp2, v != 0);
    if (v != 0)
        KnbCompOnTag = v;
}

void TBassEditF::KnbXover1CtrlChange(int v)
{
    followSwitch(KnbXoverOn, v != 0);
    setKnobInUse(KnbXover2, vlXover2, v != 0);
    if (v != 0)
        KnbXoverOnTag = v;
}

void TBassEditF::KnbDenoise1CtrlChange(int v)
{
    followSwitch(KnbDenoiserOn, v != 0 && param(McSensitivity).value != 0);
    if (v != 0)
        KnbDenoise1Tag = v;
}

void TBassEditF::KnbDenoise2CtrlChange(int v)
{
    setKnobInUse(KnbDenoise3, vlDenoise3, v != 0);
    followSwitch(KnbDenoiserOn, v != 0 && param(McExpander).value != 0);
    if (v != 0)
        KnbDenoise2Tag = v;
}

// ---- modes ----

void TBassEditF::rebind(TWC_ImgKnob* k, QLabel* label, int mcix)
{
    if (k->Mcix() != mcix)
        k->SetMcix(mcix);
    refreshValueLabel(k, label);
}

void TBassEditF::cbPreFxModeCtrlChange(int v)
{
    const bool chosen = preFxModeChosen;
    preFxModeChosen = false;
    shownPreFxMode = v;
    const bool midiWah = v == BassEditorTexts::MidiWah;
    if (midiWah) {
        rebind(KnbWah1, vlWah1, McWahPosition);
        lbWah1->setText(QStringLiteral("Wah"));
        // Only the user's choice starts the pedal at 0: a preset that
        // arrives in this mode keeps its own position.
        if (chosen)
            param(McWahPosition).SetValFlags(0, PendingBits);
    } else {
        rebind(KnbWah1, vlWah1, McWahDepth);
        lbWah1->setText(QStringLiteral("Depth"));
    }
    setKnobInUse(KnbWah2, vlWah2, !midiWah);
    setKnobInUse(KnbWah3, vlWah3, !midiWah);
    refreshValueLabel(KnbWah1, vlWah1);
}

void TBassEditF::cbPedalSimCtrlChange(int v)
{
    const bool bypass = v == 0;
    const bool boost = v == 1;
    setKnobInUse(KnbStomp1, vlStomp1, !bypass);
    setKnobInUse(KnbStomp2, vlStomp2, !bypass);
    setKnobInUse(KnbStomp3, vlStomp3, !bypass && !boost);
    setKnobInUse(KnbStomp4, vlStomp4, !bypass);
}

void TBassEditF::setEffectKnob(int i, const PostEffectKnob& use)
{
    TWC_ImgKnob* k = KnbFx[static_cast<size_t>(i)];
    QLabel* value = vlFx[static_cast<size_t>(i)];
    QLabel* caption = lbFx[static_cast<size_t>(i)];
    const bool on = !use.caption.empty();
    caption->setText(QString::fromLatin1(use.caption.data(), static_cast<qsizetype>(use.caption.size())));
    if (on)
        InstallConversion(*k, use.conversion ? *use.conversion : BassValues::Midi, questions);
    setKnobInUse(k, value, on);
}

void TBassEditF::cbPostFxModeCtrlChange(int v)
{
    using namespace BassEditorTexts;
    showLooper(false);
    if (!Piano->isHidden()) {
        PianoMouseUp();
        DotTimer();
        Piano->hide();
    }
    const PostEffectBindings b = PostEffectBindingsFor(v);
    rebind(KnbFx[6], vlFx[6], b.fx7);
    if (v != Synth)
        rebind(KnbFx[3], vlFx[3], b.fx4);
    rebind(KnbFx[4], vlFx[4], b.fx5);

    static constexpr std::array<PostEffectKnob, 7> none{};
    const auto& row = v >= 0 && v < static_cast<int>(PostEffectKnobs.size()) ? PostEffectKnobs[static_cast<size_t>(v)]
                                                                              : none;
    for (int i = 0; i < 7; ++i)
        setEffectKnob(i, row[static_cast<size_t>(i)]);
    if (v == Synth)
        bindSynthInterval(param(McSynthKey).value, true);
    if (v == DelayLoop)
        showLooper(true);
    if (v == MidiBassSynth) {
        Piano->show();
        Piano->raise();
    }
}

void TBassEditF::bindSynthInterval(int key, bool modeChanged)
{
    const int mcix = key != 0 ? McIntervalWithKey : McIntervalWithoutKey;
    if (!modeChanged && KnbFx[3]->Mcix() == mcix)
        return;
    // The mode gave the knob the plain pair; the key decides its own.
    InstallConversion(*KnbFx[3], key != 0 ? BassValues::Trans : BassValues::Semi, questions);
    if (KnbFx[3]->Mcix() != mcix)
        KnbFx[3]->SetMcix(mcix);
    refreshValueLabel(KnbFx[3], vlFx[3]);
}

void TBassEditF::KnbFx5CtrlChange(int v)
{
    if (KnbFx[4]->Mcix() == McSynthKey && param(McPostFxMode).value == BassEditorTexts::Synth)
        bindSynthInterval(v);
}

// ---- looper, tap, tuner ----

void TBassEditF::LooperKeyCtrlChange(int key, int v)
{
    if (key < 0 || key >= static_cast<int>(LooperKeys.size()))
        return;
    const LooperKey& k = LooperKeys[static_cast<size_t>(key)];
    if (v != 0) {
        for (int i = 0; i < k.pressCount; ++i)
            Unit().sendControlChange(k.press[static_cast<size_t>(i)].controller, k.press[static_cast<size_t>(i)].value);
    } else if (k.sendsRelease) {
        Unit().sendControlChange(k.release.controller, k.release.value);
    }
}

void TBassEditF::KnbTapCtrlChange(int v)
{
    if (v != 0)
        Unit().sendControlChange(TapCc, TapValue);
}

void TBassEditF::TunerButCtrlChange(int v)
{
    if (v != 0 && services.sendProgramChange)
        services.sendProgramChange(TunerProgram);
}

// ---- compare ----

void TBassEditF::KnbCompareCtrlChange(int v)
{
    if (v != 0)
        return;
    if (KnbOriginal->Down())
        KnbEditBuffer->SetDown(true);
    else
        KnbOriginal->SetDown(true);
    SetBuffers();
}

// ---- piano ----

void TBassEditF::PianoMouseMove(bool leftButton, int x, int y)
{
    Dot.start();
    const BassPiano::Position at = BassPiano::PositionAt(x, y);
    if (at.index < 0 || at == lastPosition)
        return;
    lastPosition = at;
    if (leftButton && BassPiano::NoteAt(at) != playingNote) {
        PianoMouseUp();
        PianoMouseDown();
    }
    QPainter p(&Piano->Canvas);
    p.drawPixmap(markerRect.topLeft(), markerBackground);
    markerRect = BassPiano::MarkerRect(at);
    markerBackground = Piano->Canvas.copy(markerRect);
    p.fillRect(markerRect, PianoMarker);
    Piano->update();
}

void TBassEditF::PianoMouseDown()
{
    const int note = BassPiano::NoteAt(lastPosition);
    if (note <= 0)
        return;
    playingNote = note;
    if (services.sendNoteOn)
        services.sendNoteOn(note, BassPiano::Velocity);
}

void TBassEditF::PianoMouseUp()
{
    if (playingNote < 0)
        return;
    if (services.sendNoteOff)
        services.sendNoteOff(playingNote, 0);
    playingNote = -1;
}

void TBassEditF::DotTimer()
{
    Dot.stop();
    QPainter p(&Piano->Canvas);
    p.drawPixmap(markerRect.topLeft(), markerBackground);
    lastPosition = {};
    Piano->update();
}

// ---- keys ----

namespace {

bool inEditField()
{
    return qobject_cast<QLineEdit*>(QApplication::focusWidget()) != nullptr;
}

// Keypad 0 or Insert taps the tempo while neither the looper keys nor the
// piano are up.
bool isTapKey(const QKeyEvent* e)
{
    return e->key() == Qt::Key_Insert || (e->key() == Qt::Key_0 && (e->modifiers() & Qt::KeypadModifier));
}

// The digit keys of the main row by where they lie, 0..9 for the keys 1..9
// and 0, -1 for another key. Their symbols depend on the keyboard layout (a
// French keyboard gives "&" for 1 unshifted, a German one the section sign
// for Shift with 3), their place does not: the platform's key code says which
// key it was. Events without one (synthesised ones) are read by their US
// symbols.
int digitRowPosition(const QKeyEvent* e)
{
    if (e->modifiers() & Qt::KeypadModifier)
        return -1;
#if defined(Q_OS_MACOS)
    // Virtual key codes of the keys 1..0.
    static constexpr std::array<quint32, 10> places{0x12, 0x13, 0x14, 0x15, 0x17, 0x16, 0x1A, 0x1C, 0x19, 0x1D};
    const quint32 code = e->nativeVirtualKey();
#elif defined(Q_OS_WIN)
    // Scan codes of the keys 1..0.
    static constexpr std::array<quint32, 10> places{0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B};
    const quint32 code = e->nativeScanCode();
#else
    // X11 and Wayland key codes of the keys 1..0 (evdev codes + 8).
    static constexpr std::array<quint32, 10> places{10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
    const quint32 code = e->nativeScanCode();
#endif
    if (code != 0) {
        for (size_t i = 0; i < places.size(); ++i)
            if (places[i] == code)
                return static_cast<int>(i);
        return -1;
    }
    static constexpr std::array<int, 10> shiftedDigits{Qt::Key_Exclam,     Qt::Key_At,        Qt::Key_NumberSign,
                                                       Qt::Key_Dollar,     Qt::Key_Percent,   Qt::Key_AsciiCircum,
                                                       Qt::Key_Ampersand,  Qt::Key_Asterisk,  Qt::Key_ParenLeft,
                                                       Qt::Key_ParenRight};
    const int key = e->key();
    if (key >= Qt::Key_1 && key <= Qt::Key_9)
        return key - Qt::Key_1;
    if (key == Qt::Key_0)
        return 9;
    if (e->modifiers() & Qt::ShiftModifier)
        for (size_t i = 0; i < shiftedDigits.size(); ++i)
            if (key == shiftedDigits[i])
                return static_cast<int>(i);
    return -1;
}

// 1..6 of the looper keys, on the main row or the keypad; 0 for another key.
int looperNumber(const QKeyEvent* e)
{
    if (e->modifiers() & Qt::KeypadModifier)
        return e->key() >= Qt::Key_1 && e->key() <= Qt::Key_6 ? e->key() - Qt::Key_1 + 1 : 0;
    const int at = digitRowPosition(e);
    return at >= 0 && at < 6 ? at + 1 : 0;
}

// The piano position 0..11 of the keys 1..9, 0, O, P on the main row, -1 for
// another key.
int pianoKeyIndex(const QKeyEvent* e)
{
    if (e->key() == KeyPianoDown)
        return 10;
    if (e->key() == KeyPianoUp)
        return 11;
    return digitRowPosition(e);
}

} // namespace

bool TBassEditF::pianoKey(QKeyEvent* e, bool down)
{
    const int i = pianoKeyIndex(e);
    if (i < 0)
        return false;
    if (e->isAutoRepeat())
        return true;
    const BassPiano::KeyPoint at = BassPiano::LowestOctave[static_cast<size_t>(i)];
    int x = at.x;
    if (e->modifiers() & Qt::ShiftModifier)
        x += (e->modifiers() & Qt::ControlModifier) ? 2 * BassPiano::OctaveWidth : BassPiano::OctaveWidth;
    if (down) {
        // A key plays even where the pointer rests already.
        lastPosition = {};
        PianoMouseMove(true, x, at.y);
    } else {
        PianoMouseUp();
        DotTimer();
    }
    return true;
}

bool TBassEditF::FormKeyDown(QKeyEvent* e)
{
    if (inEditField())
        return false;
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, true);
        return true;
    }
    if (!KnbStop->isHidden()) {
        if (const int n = looperNumber(e)) {
            if (!e->isAutoRepeat())
                followSwitch(looperButtons()[static_cast<size_t>(n - 1)], true);
            return true;
        }
    } else if (!Piano->isHidden()) {
        if (pianoKey(e, true))
            return true;
    } else if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, true);
        return true;
    }
    return false;
}

bool TBassEditF::FormKeyUp(QKeyEvent* e)
{
    if (inEditField())
        return false;
    if (e->key() == Qt::Key_Space) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, false);
        return true;
    }
    if (!KnbStop->isHidden()) {
        if (const int n = looperNumber(e)) {
            if (!e->isAutoRepeat())
                followSwitch(looperButtons()[static_cast<size_t>(n - 1)], false);
            return true;
        }
    } else if (!Piano->isHidden()) {
        if (pianoKey(e, false))
            return true;
    } else if (isTapKey(e)) {
        if (!e->isAutoRepeat())
            followSwitch(KnbTap, false);
        return true;
    }
    if (e->key() == Qt::Key_F1 && !e->isAutoRepeat())
        emit helpRequested(BassEditorHelpAnchor(HelpContext(focusedChild())));
    return false;
}
