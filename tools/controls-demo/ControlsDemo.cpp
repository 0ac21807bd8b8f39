#include "ControlsDemo.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <cmath>

#include "controls/ControlArt.h"
#include "controls/Fader.h"
#include "controls/ImgButton.h"
#include "controls/ImgKnob.h"
#include "controls/Knob.h"
#include "controls/LedVuChain.h"
#include "controls/ListControls.h"
#include "controls/ResForm.h"

namespace {

constexpr QSize WindowSize(800, 480);
constexpr int Knob = ControlArt::KnobSize;

// Guitar preset parameters the demo binds to.
enum : int {
    Gain = GuitarPreset::Gain,
    Treble = GuitarPreset::Treble,
    Mid = GuitarPreset::Mid,
    Bass = GuitarPreset::Bass,
    Volume = GuitarPreset::Volume,
    Presence = GuitarPreset::Presence,
    ReverbMix = GuitarPreset::ReverbMix,
    AmpModel = GuitarPreset::AmpModel,
    EffectsOn = GuitarPreset::EffectsOn,
    ReverbOn = GuitarPreset::ReverbOn,
    ReverbType = GuitarPreset::ReverbType,
    DriveOn = GuitarPreset::DriveOn,
    WahPosition = GuitarPreset::WahPosition,
    PreEffectType = GuitarPreset::PreEffectType,
    DelayType = GuitarPreset::DelayType,
    ModSpeed = GuitarPreset::ModulationSpeed,
};
constexpr int GlobalVolume = GuitarGlobal::MasterVolume;

struct Section {
    QRect area;
    const char* title;
};
const Section Sections[] = {
    {{16, 16, 470, 168}, "AMPLIFIER"},
    {{498, 16, 286, 168}, "OUTPUT"},
    {{16, 196, 470, 120}, "SWITCHES"},
    {{498, 196, 286, 120}, "SCALES"},
    {{16, 328, 470, 136}, "LEVEL"},
    {{498, 328, 286, 136}, "LISTS"},
};

struct Caption {
    QPoint centre;
    const char* text;
};

const QColor CaptionColour(214, 218, 226);
const QColor TitleColour(255, 178, 64);

QFont captionFont(int pixels, bool bold)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    return f;
}

void drawCaption(QPainter& p, QPoint centre, const QString& text)
{
    p.setPen(CaptionColour);
    p.setFont(captionFont(10, true));
    p.drawText(QRect(centre.x() - 60, centre.y() - 7, 120, 14), Qt::AlignCenter, text);
}


QPixmap demoPanel(const std::vector<QPoint>& knobCentres, const std::vector<Caption>& captions)
{
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pm = ControlArt::Panel(WindowSize, dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (const Section& s : Sections) {
        const QRectF r = QRectF(s.area).adjusted(0.5, 0.5, -0.5, -0.5);
        p.setBrush(QColor(0, 0, 0, 46));
        p.setPen(QPen(QColor(0, 0, 0, 150), 1.0));
        p.drawRoundedRect(r, 6, 6);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 22), 1.0));
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 5, 5);
        p.setFont(captionFont(11, true));
        p.setPen(TitleColour);
        p.drawText(QPointF(r.left() + 12, r.top() + 17), QString::fromLatin1(s.title));
        p.setPen(QPen(QColor(255, 178, 64, 90), 1.0));
        const qreal tw = QFontMetricsF(captionFont(11, true)).horizontalAdvance(QString::fromLatin1(s.title));
        p.drawLine(QPointF(r.left() + 18 + tw, r.top() + 13), QPointF(r.right() - 12, r.top() + 13));
    }
    for (const QPoint c : knobCentres)
        ControlArt::DrawKnobScale(p, QPointF(c), 28.5);
    for (const Caption& c : captions)
        drawCaption(p, c.centre, QString::fromLatin1(c.text));
    return pm;
}

} // namespace

TControlsDemo::TControlsDemo(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Controls"));
    setFixedSize(WindowSize);
    Background = new TB_Image(this);

    ValueEdit = new QLineEdit(this);
    ValueEdit->resize(50, 20);
    ValueEdit->setAlignment(Qt::AlignCenter);
    ValueEdit->setStyleSheet(QStringLiteral(
        "QLineEdit { background: #fff7e6; color: #101010; border: 1px solid #ffb040; border-radius: 3px;"
        " font: bold 11px 'DejaVu Sans Mono'; }"));
    TWC_CustomControl::SetValEdit(ValueEdit);

    TResForm* res = TResForm::Create();
    std::vector<QPoint> knobCentres;
    std::vector<Caption> captions;

    // Amplifier: five black knobs.
    const struct {
        int mcix;
        const char* name;
    } amp[] = {{Gain, "GAIN"}, {Bass, "BASS"}, {Mid, "MIDDLE"}, {Treble, "TREBLE"}, {Presence, "PRESENCE"}};
    for (int i = 0; i < 5; ++i) {
        auto* k = new TWC_ImgKnob(this);
        k->SetBGndImagelist(&res->KnobBlack);
        k->SetDotImagelist(&res->DotsLight);
        k->SetKnobMid(Knob / 2, Knob / 2);
        k->SetDotPos(ControlArt::KnobDotRadius);
        k->FineEnabled = true;
        const QPoint centre(70 + i * 90, 96);
        k->move(centre - QPoint(Knob / 2, Knob / 2));
        k->SetModix(ModixPreset);
        k->SetMcix(amp[i].mcix);
        place(k);
        valueLabel(k, centre + QPoint(0, 40));
        knobCentres.push_back(centre);
        captions.push_back({centre - QPoint(0, 47), amp[i].name});
        AmpKnobs.push_back(k);
    }

    // Output: two metal knobs and the master fader.
    auto metalKnob = [&](int mcix, QPoint centre, const char* name) {
        auto* k = new TWC_ImgKnob(this);
        k->SetBGndImagelist(&res->KnobMetal);
        k->SetDotImagelist(&res->DotsDark);
        k->SetKnobMid(Knob / 2, Knob / 2);
        k->SetDotPos(ControlArt::KnobDotRadius);
        k->SetNullIsOff(mcix == ReverbMix);
        k->move(centre - QPoint(Knob / 2, Knob / 2));
        k->SetModix(ModixPreset);
        k->SetMcix(mcix);
        place(k);
        valueLabel(k, centre + QPoint(0, 40));
        knobCentres.push_back(centre);
        captions.push_back({centre - QPoint(0, 47), name});
        return k;
    };
    VolumeKnob = metalKnob(Volume, {552, 96}, "VOLUME");
    ReverbKnob = metalKnob(ReverbMix, {642, 96}, "REVERB");

    const qreal dpr = qApp->devicePixelRatio();
    MasterFader = new TWC_ImgFader(this);
    MasterFader->SetBGndImage(ControlArt::FaderTrack(QSize(36, 118), dpr));
    MasterFader->SetKnobImagelist(&res->FaderKnobV);
    // Top of the travel is the largest value.
    MasterFader->SetTravel(2, 110 - 8, 2, 0);
    MasterFader->move(718, 46);
    MasterFader->SetModix(ModixGlobal);
    MasterFader->SetMcix(GlobalVolume);
    MasterFader->FineEnabled = true;
    place(MasterFader);
    captions.push_back({{736, 40}, "MASTER"});
    valueLabel(MasterFader, {736, 166}, 40);

    // Switches: three toggles, a push button and a radio group of three.
    auto button = [&](int mcix, QPoint at, const char* name) {
        auto* b = new TWC_ImgButton(this);
        b->SetImageList(&res->Buttons);
        b->move(at);
        if (mcix >= 0) {
            b->SetModix(ModixPreset);
            b->SetMcix(mcix);
        }
        place(b);
        captions.push_back({at + QPoint(23, 42), name});
        return b;
    };
    DriveButton = button(DriveOn, {40, 236}, "DRIVE");
    EffectsButton = button(EffectsOn, {100, 236}, "FX");
    ReverbButton = button(ReverbOn, {160, 236}, "REVERB");
    TapButton = button(-1, {236, 236}, "TAP");
    TapButton->SetIsPushButton(true);
    const char* channels[] = {"CH A", "CH B", "CH C"};
    for (int i = 0; i < 3; ++i) {
        TWC_ImgButton* b = button(-1, {318 + i * 54, 236}, channels[i]);
        b->SetIsRadioButton(true);
        ChannelButtons.push_back(b);
    }
    ChannelButtons[0]->SetDown(true);

    // Scales: the drawn knobs with 9 and 11 marks.
    ReverbTypeKnob = new TWC_Knob(this);
    ReverbTypeKnob->move(560, 238);
    ReverbTypeKnob->SetModix(ModixPreset);
    ReverbTypeKnob->SetMcix(ReverbType);
    place(ReverbTypeKnob);
    captions.push_back({{580, 228}, "REV TYPE"});
    valueLabel(ReverbTypeKnob, {580, 282});

    SpeedKnob = new TWC_Knob(this);
    SpeedKnob->SetTenSteps(true);
    SpeedKnob->SetUnhilightBgndColor(QColor(96, 16, 16));
    SpeedKnob->SetHilightBgndColor(QColor(200, 40, 30));
    SpeedKnob->move(680, 238);
    SpeedKnob->SetModix(ModixPreset);
    SpeedKnob->SetMcix(ModSpeed);
    place(SpeedKnob);
    captions.push_back({{700, 228}, "MOD SPEED"});
    valueLabel(SpeedKnob, {700, 282});

    // Level: an LED chain following the volume, one driven by the demo, and
    // the wah fader with five stops.
    auto chain = [&](QPoint at) {
        auto* c = new TWC_LedVuChain(this);
        c->move(at);
        c->SetGeometry(0, 0, 13, 0);
        c->resize(16 * 13, 16);
        c->SetLedImagelist(&res->Leds);
        c->SetLedRangeList({QStringLiteral("0"), QStringLiteral("10"), QStringLiteral("13")});
        place(c);
        return c;
    };
    LevelChain = chain({40, 366});
    LevelChain->SetModix(ModixPreset);
    LevelChain->SetMcix(Volume);
    captions.push_back({{144, 394}, "VOLUME LEVEL"});
    PeakChain = chain({272, 366});
    PeakChain->SetPiekHoldMs(1500);
    PeakChain->SetVal(72);
    captions.push_back({{376, 394}, "PEAK HOLD"});

    WahFader = new TWC_ImgFader(this);
    WahFader->SetBGndImage(ControlArt::FaderTrack(QSize(220, 36), dpr));
    WahFader->SetKnobImagelist(&res->FaderKnobH);
    WahFader->SetTravel(0, 2, 220 - 16, 2);
    WahFader->move(40, 412);
    WahFader->SetModix(ModixPreset);
    WahFader->SetMcix(WahPosition);
    WahFader->SetCacheTicks(5);
    place(WahFader);
    captions.push_back({{300, 430}, "WAH"});
    valueLabel(WahFader, {360, 422}, 40);

    // Lists.
    const QString listStyle = QStringLiteral(
        "QComboBox, QCheckBox, QTabBar::tab, QTabWidget::pane { color: #dfe2e8; font: 11px 'DejaVu Sans'; }"
        "QComboBox { background: #1c1d21; border: 1px solid #000; border-radius: 3px; padding: 2px 6px; }"
        "QComboBox QAbstractItemView { background: #1c1d21; color: #dfe2e8; selection-background-color: #b86f10; }"
        "QTabBar::tab { background: #26282d; border: 1px solid #000; padding: 3px 9px; border-top-left-radius: 3px;"
        " border-top-right-radius: 3px; }"
        "QTabBar::tab:selected { background: #3a3d44; color: #ffb240; }"
        "QTabWidget::pane { border: 1px solid #000; background: #202226; top: -1px; }"
        "QComboBox:disabled, QCheckBox:disabled, QTabBar::tab:disabled { color: #5c5f66; }"
        "QTabBar::tab:selected:disabled { color: #7a6a50; }");

    AmpList = new TWC_ComboBox(this);
    AmpList->setStyleSheet(listStyle);
    for (int i = 1; i <= 33; ++i)
        AmpList->addItem(QStringLiteral("Amp model %1").arg(i));
    AmpList->setGeometry(516, 356, 130, 24);
    AmpList->SetModix(ModixPreset);
    AmpList->SetMcix(AmpModel);

    EffectsCheck = new TWC_CheckBox(QStringLiteral("Effects on"), this);
    EffectsCheck->setStyleSheet(listStyle);
    EffectsCheck->setGeometry(660, 356, 110, 24);
    EffectsCheck->SetModix(ModixPreset);
    EffectsCheck->SetMcix(EffectsOn);

    DelayTabs = new TWC_TabControl(this);
    DelayTabs->setStyleSheet(listStyle);
    DelayTabs->setDrawBase(false);
    for (const char* t : {"Delay 1", "Delay 2", "Delay 3"})
        DelayTabs->addTab(QString::fromLatin1(t));
    DelayTabs->setGeometry(516, 390, 250, 26);
    DelayTabs->SetModix(ModixPreset);
    DelayTabs->SetMcix(DelayType);

    PrePages = new TWC_PageControl(this);
    PrePages->setStyleSheet(listStyle);
    for (int i = 1; i <= 3; ++i) {
        auto* page = new QLabel(QStringLiteral("Pre-effect page %1").arg(i));
        page->setStyleSheet(QStringLiteral("QLabel { color: #9aa0aa; font: 10px 'DejaVu Sans'; padding-left: 6px; }"
                                          "QLabel:disabled { color: #5c5f66; }"));
        PrePages->addTab(page, QStringLiteral("Pre %1").arg(i));
    }
    PrePages->setGeometry(516, 420, 250, 40);
    PrePages->SetModix(ModixPreset);
    PrePages->SetMcix(PreEffectType);

    Background->SetPicture(demoPanel(knobCentres, captions));
    Background->lower();
    for (TWC_CustomControl* c : drawn)
        c->SetParentImage(Background);
    ValueEdit->raise();
}

void TControlsDemo::place(TWC_CustomControl* control)
{
    drawn.push_back(control);
}

QLabel* TControlsDemo::valueLabel(TWC_CustomControl* control, QPoint centreTop, int width)
{
    auto* label = new QLabel(this);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(centreTop.x() - width / 2, centreTop.y() - 9, width, 16);
    label->setStyleSheet(QStringLiteral(
        "QLabel { background: #0c0d0f; color: #ffb240; border: 1px solid #000; border-radius: 3px;"
        " font: bold 10px 'DejaVu Sans Mono'; }"
        "QLabel:disabled { color: #5c5f66; }"));
    labels.push_back(label);
    label->setCursor(Qt::IBeamCursor);
    control->SetValLabel(label);
    control->OnValToText = [](QLabel* l, int val) { l->setText(QString::number(val)); };
    control->OnTextToVal = [](QLineEdit* edit, int& val) {
        bool ok = false;
        const int typed = edit->text().trimmed().toInt(&ok);
        if (ok)
            val = typed;
    };
    control->SetValText();
    return label;
}

void TControlsDemo::HighlightAll()
{
    for (TWC_CustomControl* c : drawn)
        c->HilightNow();
}

void TControlsDemo::SetControlsEnabled(bool enabled)
{
    for (TWC_CustomControl* c : drawn)
        c->SetEnabled(enabled);
    for (QWidget* w : std::initializer_list<QWidget*>{AmpList, EffectsCheck, DelayTabs, PrePages})
        w->setEnabled(enabled);
    for (QLabel* l : labels)
        l->setEnabled(enabled);
}
