// The settings area of the configuration window: the active unit's model,
// name, channel and ports, its base configuration and digital output, and
// the knobs of its global parameters.

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <span>
#include <type_traits>
#include <variant>

#include "controls/KeyCodes.h"
#include "controls/ControlArt.h"
#include "controls/CustomControl.h"
#include "controls/ImgKnob.h"
#include "controls/ListControls.h"
#include "files/Preferences.h"
#include "midi/MidiPorts.h"
#include "midi/Protocol.h"
#include "model/DeviceConnection.h"
#include "model/Parameters.h"
#include "model/Presets.h"
#include "model/Trace.h"
#include "settings/ConnectForm.h"
#include "settings/SettingsTexts.h"

namespace {

QString latin1(const std::string& s)
{
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// The boxes to the right of the recognised list, one row each.
constexpr int CaptionX = 221;
constexpr int BoxX = 276;
constexpr int BoxWidth = 178;
constexpr int BoxHeight = 22;
constexpr int ModelRow = 60;
constexpr int NameRow = 88;
constexpr int ChannelRow = 116;
constexpr int InPortRow = 144;
constexpr int OutPortRow = 172;
constexpr int DigOutRow = 202;

constexpr int KnobWidth = 48;
constexpr int KnobDotRadius = 13;
constexpr QSize ValueLabelSize(38, 12);
constexpr int KnobCaptionWidth = 76;
// The master volume and input gain column, between its two dividers.
constexpr int KnobColumnWidth = 116;

// The guitar and bass global modules number their common parameters alike;
// only the bass one has the input gain.
namespace Mc = GuitarGlobal;

constexpr char HelpProperty[] = "HelpNumber";

using F = TConnectForm;

// A box's row: its caption to the left, the box to the right.
constexpr QRect captionLeft(int row)
{
    return QRect(CaptionX, row + 3, BoxX - CaptionX - 2, 16);
}
constexpr QRect boxAt(int row)
{
    return QRect(BoxX, row, BoxWidth, BoxHeight);
}

// The caption of a box; `member` keeps it for a window that shows and
// hides it with the box.
struct Caption {
    const char* text = nullptr;
    QRect place = {};
    QLabel* F::*member = nullptr;
    const char* name = nullptr;
};

// A list of `entries`; an editable one takes typed text without adding it.
struct ListRow {
    QComboBox* F::*member;
    const char* name;
    QRect place;
    Caption caption;
    const char* status;
    std::span<const char* const> entries;
    int help = 0;
    bool editable = false;
    int visibleItems = 0;
};

enum class FieldKind { Editable, ReadOnly };

struct FieldRow {
    QLineEdit* F::*member;
    const char* name;
    QRect place;
    Caption caption;
    const char* status;
    FieldKind kind;
    int help = 0;
};

// A list bound to a parameter of the global module `modix`.
struct ParameterListRow {
    TWC_ComboBox* F::*member;
    const char* name;
    QRect place;
    Caption caption;
    const char* status;
    std::span<const char* const> entries;
    int modix;
    int mcix;
    int help;
};

struct ButtonRow {
    QPushButton* F::*member;
    const char* name;
    const char* text;
    QRect place;
};

// A text or picture; `small` sets it in the window's small size, `fit`
// makes it smaller still where it would not fit.
struct LabelRow {
    QLabel* F::*member;
    const char* name;
    const char* text;
    QRect place;
    Qt::Alignment align;
    const char* status = nullptr;
    bool small = false;
    bool wrap = false;
    bool fit = false;
    QPixmap (*picture)(qreal dpr) = nullptr;
};

// The tuner's calibration reads in the "Time Unit" of the preferences.
QString tunerText(int v)
{
    return TunerCenterToText(v, CurrentPreferences.TimeUnit);
}
void tunerValue(const QString& text, int& v)
{
    TunerCenterFromText(text, CurrentPreferences.TimeUnit, v);
}

// A knob with its value label above it and its caption below it; its hint
// says what it sets.
struct KnobRow {
    TWC_ImgKnob* F::*knob;
    QLabel* F::*value;
    const char* name;
    int mcix;
    QPoint at;
    int labelY;
    int captionY;
    const char* caption;
    const char* hint;
    int help;
    QString (*toText)(int v) = ValToTextMidi;
    void (*fromText)(const QString& text, int& v) = TextToValMidi;
};

using SettingsRow = std::variant<ListRow, FieldRow, ParameterListRow, ButtonRow, LabelRow, KnobRow>;

// The badge of the units with the analog cabinet simulation.
QPixmap zephraBadge(qreal dpr);

// The channel list's entries.
constexpr std::array<const char*, 16> Channels{"1", "2", "3",  "4",  "5",  "6",  "7",  "8",
                                               "9", "10", "11", "12", "13", "14", "15", "16"};

// The settings area, in the order the user tabs through it: the active
// unit's boxes, then the tuner, the base configuration with its
// description and the global knobs.
const SettingsRow SettingsRows[] = {
    ListRow{&F::ModelBox, "ModelBox", boxAt(ModelRow), {"Model :", captionLeft(ModelRow)}, nullptr, VirtualModelNames,
            0, true},
    FieldRow{&F::NameBox, "NameBox", boxAt(NameRow), {"Name :", captionLeft(NameRow)}, "You can rename it",
             FieldKind::Editable, 1},
    ListRow{&F::ChanEdit, "ChanEdit", boxAt(ChannelRow), {"Channel : ", captionLeft(ChannelRow)}, "Show or Set",
            Channels, 1, false, 16},
    FieldRow{&F::InPortBox, "InPortBox", boxAt(InPortRow), {"In Port :", captionLeft(InPortRow)}, nullptr,
             FieldKind::ReadOnly},
    ListRow{&F::OutPortBox, "OutPortBox", boxAt(OutPortRow), {"Out Port :", captionLeft(OutPortRow)}, nullptr, {}},
    ParameterListRow{&F::KnbDigOut, "KnbDigOut", boxAt(DigOutRow),
                     {"Digital Out :", captionLeft(DigOutRow), &F::lbDigOut, "lbDigOut"}, "Select digital format",
                     DigitalOutEntries, ModixGlobal, Mc::DigitalOut, 10},

    ButtonRow{&F::TunerBut, "TunerBut", "Tuner", QRect(84, 250, 56, 22)},

    // Three lists in one place: the one that fits the unit is shown.
    ParameterListRow{&F::KnbConfiguration, "KnbConfiguration", QRect(284, 274, 80, BoxHeight),
                     {"Base configuration", QRect(284, 256, 160, 16), &F::lbConfiguration, "lbConfiguration"},
                     "Base configuration", ConfigurationEntries, ModixGlobal, Mc::Configuration, 6},
    ParameterListRow{&F::KnbConfiguration2, "KnbConfiguration2", QRect(284, 274, 80, BoxHeight), {},
                     "Base configuration", ConfigurationEntries2, ModixGlobal, Mc::Configuration, 6},
    ParameterListRow{&F::KnbConfiguration3, "KnbConfiguration3", QRect(284, 274, 80, BoxHeight), {},
                     "Base configuration", ConfigurationEntries3, ModixBassGlobal, Mc::Configuration, 6},
    LabelRow{&F::ConfigurationStatusLbl, "ConfigurationStatusLbl", "", QRect(284, 313, 172, 28),
             Qt::AlignLeft | Qt::AlignTop, nullptr, true, true},
    LabelRow{&F::imgZephra, "imgZephra", "", QRect(393, 284, 60, 13), Qt::AlignLeft | Qt::AlignVCenter,
             "This Model has ZEPHRA-D", false, false, false, zephraBadge},
    LabelRow{&F::ZephraInfo, "ZephraInfo", "analog Cab Sim on XLR", QRect(353, 298, 105, 13),
             Qt::AlignRight | Qt::AlignVCenter, nullptr, true, false, true},

    // Knob, value label, name, parameter, place, the tops of the value label
    // and the caption, caption, hint, help number and, where it is not the
    // plain number, the value text.
    KnobRow{&F::KnbTunerBypassVolume, &F::vlTunerBypassVolume, "TunerBypassVolume", Mc::TunerVolume, {17, 360}, 342,
            409, "Volume", "Tuner Volume", 3},
    KnobRow{&F::KnbTunerCenterFrequency, &F::vlTunerCenterFrequency, "TunerCenterFrequency", Mc::TunerCenter, {74, 360},
            342, 409, "Calibration", "Tune central frequency", 4, tunerText, tunerValue},
    KnobRow{&F::KnbVolumePedal, &F::vlVolumePedal, "VolumePedal", Mc::MasterVolume, {179, 371}, 355, 416,
            "Master Volume", "Global Volume", 5},
    KnobRow{&F::KnbInputGain, &F::vlInputGain, "InputGain", BassGlobal::InputGain, {179, 287}, 271, 333, "Input Gain",
            "Input Gain", 5},
    KnobRow{&F::KnbLiveEQBass, &F::vlLiveEQBass, "LiveEQBass", Mc::LiveBass, {284, 360}, 342, 409, "Lo", "Live Bass",
            7},
    KnobRow{&F::KnbLiveEQMid, &F::vlLiveEQMid, "LiveEQMid", Mc::LiveMid, {344, 360}, 342, 409, "Mid", "Live Mid", 8},
    KnobRow{&F::KnbLiveEQTreble, &F::vlLiveEQTreble, "LiveEQTreble", Mc::LiveTreble, {402, 360}, 342, 409, "Hi",
            "Live Treble", 9},
};

const QColor FrameColour(110, 116, 126);

// Fonts differ between systems: a caption that would not fit its place is
// set a little smaller instead of being cut.
void fitText(QLabel* label)
{
    QFont f = label->font();
    if (QFontMetrics(f).horizontalAdvance(label->text()) <= label->width())
        return;
    f.setPixelSize(QFontInfo(f).pixelSize());
    while (f.pixelSize() > 8 && QFontMetrics(f).horizontalAdvance(label->text()) > label->width())
        f.setPixelSize(f.pixelSize() - 1);
    label->setFont(f);
}

// A description of several lines: wrapped at the label's width and set
// smaller, down to 8 pixels, until it fits the label's height.
void fitWrapped(QLabel* label, int pixelSize)
{
    QFont f = label->font();
    const QRect room(0, 0, label->width(), 10000);
    for (f.setPixelSize(pixelSize); f.pixelSize() > 8; f.setPixelSize(f.pixelSize() - 1))
        if (QFontMetrics(f).boundingRect(room, Qt::TextWordWrap, label->text()).height() <= label->height())
            break;
    label->setFont(f);
}

void fill(QComboBox* box, std::span<const char* const> entries)
{
    for (const char* e : entries)
        box->addItem(QString::fromLatin1(e));
}

// The knob pictures of the control set, brought to this window's knob size.
TImageList resized(const TImageList& list, int side, qreal dpr)
{
    std::vector<QPixmap> images;
    const int px = qRound(side * dpr);
    for (int i = 0; i < list.count(); ++i) {
        QPixmap pm = list.image(i).scaled(px, px, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        pm.setDevicePixelRatio(dpr);
        images.push_back(pm);
    }
    return TImageList(QSize(side, side), std::move(images));
}

// The panel: two framed areas and a printed scale around every knob.
QPixmap background(qreal dpr)
{
    QPixmap pm = ControlArt::Panel(QSize(TConnectForm::ClientWidth, TConnectForm::ClientHeight), dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0, 0, 0, 40));
    p.setPen(QPen(FrameColour, 1.0));
    p.drawRoundedRect(QRectF(216.5, 50.5, 244, 184), 4, 4);
    p.drawRoundedRect(QRectF(8.5, 240.5, 452, 190), 4, 4);
    // The tuner, the output and the configuration with its Live EQ apart.
    p.setPen(QPen(QColor(255, 255, 255, 30), 1.0));
    p.drawLine(QPointF(146.5, 252), QPointF(146.5, 420));
    p.drawLine(QPointF(268.5, 252), QPointF(268.5, 420));
    for (const SettingsRow& row : SettingsRows) {
        if (const auto* k = std::get_if<KnobRow>(&row)) {
            const QPointF c(k->at.x() + KnobWidth / 2.0, k->at.y() + KnobWidth / 2.0);
            ControlArt::DrawKnobScale(p, c, 25.5);
        }
    }
    return pm;
}

QPixmap zephraBadge(qreal dpr)
{
    QPixmap pm(qRound(60 * dpr), qRound(13 * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 178, 64), 1.0));
    p.setBrush(QColor(60, 36, 8));
    p.drawRoundedRect(QRectF(0.5, 0.5, 59, 12), 3, 3);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(255, 200, 110));
    p.drawText(QRectF(0, 0, 60, 13), Qt::AlignCenter, QStringLiteral("ZEPHRA-D"));
    return pm;
}

} // namespace

void TConnectForm::buildSettingsArea()
{
    const qreal dpr = qApp->devicePixelRatio();
    Background = new TB_Image(this);
    Background->setObjectName(QStringLiteral("Background"));
    Background->SetPictureLater(QSize(ClientWidth, ClientHeight), [dpr] { return background(dpr); });
    Background->lower();
    knobBodies = resized(ControlArt::KnobBodies(ControlArt::KnobStyle::Black, dpr), KnobWidth, dpr);
    knobDots = ControlArt::KnobDots(ControlArt::KnobStyle::Black, dpr);

    // The one in-place value editor of the drawn controls, unless another
    // window already gave one.
    if (!TWC_CustomControl::ValEdit()) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("ValueEdit"));
        edit->resize(52, 18);
        edit->setAlignment(Qt::AlignCenter);
        edit->hide();
        TWC_CustomControl::SetValEdit(edit);
    }

    buildRows();
    for (TWC_ComboBox* list : {KnbConfiguration, KnbConfiguration2, KnbConfiguration3})
        list->OnCtrlChange = [this](QWidget* sender, int v) { KnbConfigurationCtrlChange(sender, v); };

    // Enter in a box must not press a button of the window.
    for (QPushButton* b : findChildren<QPushButton*>())
        b->setAutoDefault(false);

    connect(ChanEdit, &QComboBox::activated, this, [this](int c) { ChanEditChange(c); });
    connect(TunerBut, &QPushButton::clicked, this, [this] { TunerButClick(); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            FormActivate();
    });
}

void TConnectForm::buildRows()
{
    const auto caption = [this](const Caption& c) {
        if (!c.text)
            return;
        auto* label = new QLabel(QString::fromLatin1(c.text), this);
        label->setGeometry(c.place);
        fitText(label);
        if (c.member) {
            label->setObjectName(QString::fromLatin1(c.name));
            this->*c.member = label;
        }
    };
    const auto common = [this](QWidget* w, const char* name, QRect place, const char* status, int help) {
        w->setObjectName(QString::fromLatin1(name));
        w->setGeometry(place);
        if (status)
            w->setStatusTip(QString::fromLatin1(status));
        if (help)
            w->setProperty(HelpProperty, help);
    };
    for (const SettingsRow& row : SettingsRows) {
        std::visit(
            [&](const auto& r) {
                using T = std::decay_t<decltype(r)>;
                if constexpr (std::is_same_v<T, ListRow>) {
                    caption(r.caption);
                    auto* box = this->*r.member = new QComboBox(this);
                    common(box, r.name, r.place, r.status, r.help);
                    if (r.editable) {
                        box->setEditable(true);
                        box->setInsertPolicy(QComboBox::NoInsert);
                    }
                    if (r.visibleItems)
                        box->setMaxVisibleItems(r.visibleItems);
                    fill(box, r.entries);
                } else if constexpr (std::is_same_v<T, FieldRow>) {
                    caption(r.caption);
                    auto* field = this->*r.member = new QLineEdit(this);
                    common(field, r.name, r.place, r.status, r.help);
                    if (r.kind == FieldKind::ReadOnly) {
                        field->setReadOnly(true);
                        field->setEnabled(false);
                    }
                } else if constexpr (std::is_same_v<T, ParameterListRow>) {
                    caption(r.caption);
                    auto* list = this->*r.member = new TWC_ComboBox(this);
                    common(list, r.name, r.place, r.status, r.help);
                    fill(list, r.entries);
                    list->SetModix(r.modix);
                    list->SetMcix(r.mcix);
                } else if constexpr (std::is_same_v<T, ButtonRow>) {
                    auto* button = this->*r.member = new QPushButton(QString::fromLatin1(r.text), this);
                    common(button, r.name, r.place, nullptr, 0);
                } else if constexpr (std::is_same_v<T, LabelRow>) {
                    auto* label = this->*r.member = new QLabel(QString::fromLatin1(r.text), this);
                    common(label, r.name, r.place, r.status, 0);
                    label->setAlignment(r.align);
                    label->setWordWrap(r.wrap);
                    if (r.small) {
                        QFont small = font();
                        small.setPixelSize(10);
                        label->setFont(small);
                    }
                    if (r.picture)
                        label->setPixmap(r.picture(qApp->devicePixelRatio()));
                    if (r.fit)
                        fitText(label);
                } else {
                    static_assert(std::is_same_v<T, KnobRow>);
                    const QString name = QString::fromLatin1(r.name);
                    auto* knob = this->*r.knob = new TWC_ImgKnob(this);
                    knob->setObjectName(QStringLiteral("Knb") + name);
                    knob->SetBGndImagelist(&knobBodies);
                    knob->SetDotImagelist(&knobDots);
                    knob->SetKnobMid(KnobWidth / 2, KnobWidth / 2);
                    knob->SetDotPos(KnobDotRadius);
                    knob->SetParentImage(Background);
                    knob->move(r.at);
                    knob->setStatusTip(QString::fromLatin1(r.hint));
                    knob->setProperty(HelpProperty, r.help);
                    knob->SetMcix(r.mcix);
                    knob->OnValToText = [toText = r.toText](QLabel* label, int v) { label->setText(toText(v)); };
                    knob->OnTextToVal = [fromText = r.fromText](QLineEdit* edit, int& v) {
                        fromText(edit->text(), v);
                    };

                    auto* value = this->*r.value = new QLabel(this);
                    value->setObjectName(QStringLiteral("vl") + name);
                    value->setGeometry(QRect(
                        QPoint(r.at.x() + (KnobWidth - ValueLabelSize.width()) / 2, r.labelY), ValueLabelSize));
                    value->setAlignment(Qt::AlignCenter);
                    value->setStatusTip(QStringLiteral("Editable field"));
                    value->setCursor(Qt::IBeamCursor);
                    value->setStyleSheet(QStringLiteral(
                        "QLabel { background: #121418; color: #ffb040; border: 1px solid #050506;"
                        " border-radius: 2px; font: 10px; padding: 0px; }"));
                    knob->SetValLabel(value);

                    auto* title = new QLabel(QString::fromLatin1(r.caption), this);
                    title->setObjectName(QStringLiteral("lb") + name);
                    // A caption wider than its knob takes the room of its column.
                    const int wanted = QFontMetrics(title->font()).horizontalAdvance(title->text()) + 4;
                    const int width = std::clamp(wanted, KnobCaptionWidth, KnobColumnWidth);
                    title->setGeometry(r.at.x() + KnobWidth / 2 - width / 2, r.captionY, width, 14);
                    title->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
                    fitText(title);
                }
            },
            row);
    }
}

std::vector<TWC_ImgKnob*> TConnectForm::globalKnobs() const
{
    return {KnbTunerBypassVolume, KnbTunerCenterFrequency, KnbVolumePedal, KnbInputGain,
            KnbLiveEQBass,        KnbLiveEQMid,            KnbLiveEQTreble};
}

std::vector<TWC_ImgKnob*> TConnectForm::liveEqKnobs() const
{
    return {KnbLiveEQBass, KnbLiveEQMid, KnbLiveEQTreble};
}

void TConnectForm::showKnob(TWC_ImgKnob* knob, int modix)
{
    knob->SetModix(modix);
    knob->SetEnabled(true);
    knob->SetValText();
    knob->ValLabel()->show();
}

TWC_ComboBox* TConnectForm::VisibleConfiguration() const
{
    for (TWC_ComboBox* list : {KnbConfiguration, KnbConfiguration2, KnbConfiguration3})
        if (!list->isHidden())
            return list;
    return nullptr;
}

int TConnectForm::HelpNumber(const QWidget* control)
{
    for (const QWidget* w = control; w; w = w->parentWidget())
        if (const QVariant number = w->property(HelpProperty); number.isValid())
            return number.toInt();
    return 0;
}

void TConnectForm::unShowSelected()
{
    const bool was = syncing;
    syncing = true;
    for (TWC_ImgKnob* knob : globalKnobs()) {
        knob->SetEnabled(false);
        knob->ValLabel()->hide();
    }
    for (QWidget* w : std::initializer_list<QWidget*>{KnbConfiguration, KnbConfiguration2, KnbConfiguration3,
                                                      lbConfiguration, ConfigurationStatusLbl, KnbDigOut, lbDigOut,
                                                      imgZephra, ZephraInfo})
        w->hide();
    ReSearch->setEnabled(false);
    NameBox->setEnabled(false);
    OutPortBox->setEnabled(false);
    ChanEdit->setEnabled(false);
    ModelBox->setCurrentIndex(-1);
    ModelBox->setEditText(QString());
    NameBox->clear();
    InPortBox->clear();
    OutPortBox->setCurrentIndex(-1);
    UnitPanel->clear();
    syncing = was;
}

void TConnectForm::showSelected()
{
    const DeviceConnection& d = ActiveDevice;
    const bool was = syncing;
    syncing = true;
    if (d.isVirtual())
        FoundView->clearSelection();

    const bool bass = d.Model == ModelBass;
    if (bass) {
        for (TWC_ImgKnob* knob : {KnbInputGain, KnbTunerBypassVolume, KnbTunerCenterFrequency, KnbVolumePedal})
            showKnob(knob, ModixBassGlobal);
        // Live EQ waits for a configuration that has it.
        for (TWC_ImgKnob* knob : liveEqKnobs())
            knob->SetModix(ModixBassGlobal);
        KnbConfiguration3->show();
        lbConfiguration->show();
        ConfigurationStatusLbl->show();
        // The list refreshes at the next tick and brings the description.
        Param(ModixBassGlobal, BassGlobal::Configuration).MarkPending(RefreshPending);
        NameBox->setEnabled(!d.isVirtual());
    } else {
        for (TWC_ImgKnob* knob : {KnbTunerBypassVolume, KnbTunerCenterFrequency, KnbVolumePedal})
            showKnob(knob, ModixGlobal);
        if (d.Model == ModelDrux2) {
            for (TWC_ImgKnob* knob : liveEqKnobs())
                knob->SetModix(ModixGlobal);
            (d.SubModel == 1 ? KnbConfiguration : KnbConfiguration2)->show();
            lbConfiguration->show();
            ConfigurationStatusLbl->show();
            Param(ModixGlobal, Mc::Configuration).MarkPending(RefreshPending);
            NameBox->setEnabled(!d.isVirtual());
        } else if (d.Model == ModelDrux) {
            // No configuration, Live EQ, input gain or name on this unit.
            NameBox->setEnabled(false);
        } else {
            NameBox->setEnabled(!d.isVirtual());
        }
    }

    const bool pro = d.SubModel == 2 || d.SubModel == 5;
    KnbDigOut->setVisible(pro);
    lbDigOut->setVisible(pro);
    KnbDigOut->SetModix(bass ? ModixBassGlobal : ModixGlobal);
    KnbDigOut->TWC_Show();
    KnbDigOut->ChangeFromMCtrl();

    ChanEdit->setCurrentIndex(d.MidiChan >= 0 && d.MidiChan < ChanEdit->count() ? d.MidiChan : -1);
    ModelBox->setEditText(latin1(d.ModelText));
    NameBox->setText(latin1(d.DeviceName));
    const auto& inputs = services.ports->InputNames();
    InPortBox->setText(d.MidiIn >= 0 && d.MidiIn < static_cast<int>(inputs.size()) ? latin1(inputs[d.MidiIn])
                                                                                    : QStringLiteral("no midi port"));
    OutPortBox->setCurrentIndex(d.MidiOut >= 0 && d.MidiOut < OutPortBox->count() ? d.MidiOut : -1);
    UnitPanel->setText(latin1(d.DeviceName));
    refreshCaption();
    ChanEdit->setEnabled(true);
    ReSearch->setEnabled(true);
    syncing = was;
}

void TConnectForm::KnbConfigurationCtrlChange(QWidget* sender, int v)
{
    // The lists of the other families share the parameter or keep theirs
    // bound while hidden; only the one shown speaks for the unit.
    if (sender->isHidden())
        return;
    const int sub = ActiveDevice.SubModel;
    const bool liveEq = LiveEqApplies(sub, v);
    for (TWC_ImgKnob* knob : liveEqKnobs()) {
        knob->SetEnabled(liveEq);
        if (liveEq)
            knob->SetValText();
        knob->ValLabel()->setVisible(liveEq);
    }
    imgZephra->hide();
    ZephraInfo->hide();
    if (ConfigurationGroup(sub) >= 0) {
        ConfigurationStatusLbl->setText(ConfigurationDescription(sub, v));
        fitWrapped(ConfigurationStatusLbl, 10);
    }
    if (ZephraApplies(sub, v)) {
        imgZephra->show();
        ZephraInfo->show();
    }
}

void TConnectForm::NameBoxEnter()
{
    nameOnEntry = NameBox->text();
}

void TConnectForm::NameBoxDblClick()
{
    NameBox->selectAll();
}

void TConnectForm::NameBoxKeyUp(int key)
{
    switch (key) {
    case KeyConfirm:
        NameBoxExit();
        NameBox->selectAll();
        break;
    case KeyCancel:
        NameBox->setText(nameOnEntry);
        break;
    case Qt::Key_Delete:
        // One character after the caret, or the selection.
        NameBox->del();
        break;
    default:
        break;
    }
}

void TConnectForm::NameBoxExit()
{
    // Blanking the area while the box has the focus is no rename.
    if (syncing || !NameBox->isEnabled())
        return;
    const QString text = NameBox->text();
    if (!text.isEmpty())
        ActiveDevice.DeviceName = text.left(NameLength).toLatin1().toStdString();
    const QString name = latin1(ActiveDevice.DeviceName);
    NameBox->setText(name);
    UnitPanel->setText(name);
    if (search.Selected() >= 0) {
        search.UpdateSelectedItem();
        if (services.protocol)
            services.protocol->SendSetName(HostToUnitName(ActiveDevice.DeviceName));
        else
            TraceLine(0, "Set name: no protocol");
    }
    refreshCaption();
}

void TConnectForm::ChanEditChange(int c)
{
    if (syncing || c < 0 || c >= ChanEdit->count())
        return;
    // Still addressed with the old device id; from here on the new one.
    if (services.protocol)
        services.protocol->SendSetChannel(c);
    else
        TraceLine(0, "Set channel: no protocol");
    ActiveDevice.MidiDevice = c;
    ActiveDevice.MidiChan = c;
    search.UpdateSelectedItem();
}

void TConnectForm::TunerButClick()
{
    services.ports->SendProgramChange(127);
}

void TConnectForm::FormKeyUp(int key)
{
    if (key != Qt::Key_F1)
        return;
    QWidget* focus = QApplication::focusWidget();
    const int number = focus && isAncestorOf(focus) ? HelpNumber(focus) : 0;
    if (services.openHelp)
        services.openHelp(ConnectHelpAnchor(number));
}

void TConnectForm::FormActivate()
{
    update();
    for (QWidget* w : findChildren<QWidget*>())
        w->update();
}

void TConnectForm::FrameTimerTimer()
{
    FlushPending();
    if (PendingList.head)
        wakeFrameTimer();
}

void TConnectForm::wakeFrameTimer()
{
    if (FrameTimer.isActive())
        return;
    FrameTimer.start(FrameMs - static_cast<int>(frameClock.elapsed() % FrameMs));
}
