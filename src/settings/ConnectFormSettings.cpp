// The settings area of the configuration window: the active unit's model,
// name, channel and ports, its base configuration and digital output, and
// the knobs of its global parameters.

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

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

// Parameters (Mcix) that both global modules number alike.
enum GlobalParam : int {
    MasterVolume = 2,
    TunerVolume = 3,
    TunerCenter = 4,
    Configuration = 5,
    LiveTreble = 6,
    LiveMid = 7,
    LiveBass = 8,
    DigitalOut = 9,
    InputGain = 10,
};

enum KnobIndex : int { TunerVolumeKnob, TunerCenterKnob, MasterKnob, InputGainKnob, LoKnob, MidKnob, HiKnob };

// Each knob with its value label above it and its caption below it.
struct KnobPlace {
    const char* name;
    int mcix;
    QPoint at;
    int labelY;
    int captionY;
    const char* caption;
    const char* hint;
};
constexpr KnobPlace Knobs[] = {
    {"TunerBypassVolume", TunerVolume, {17, 360}, 342, 409, "Volume", "Tuner Volume"},
    {"TunerCenterFrequency", TunerCenter, {74, 360}, 342, 409, "Calibration", "Tune central frequency"},
    {"VolumePedal", MasterVolume, {179, 371}, 355, 416, "Master Volume", "Global Volume"},
    {"InputGain", InputGain, {179, 287}, 271, 333, "Input Gain", "Input Gain"},
    {"LiveEQBass", LiveBass, {284, 360}, 342, 409, "Lo", "Live Bass"},
    {"LiveEQMid", LiveMid, {344, 360}, 342, 409, "Mid", "Live Mid"},
    {"LiveEQTreble", LiveTreble, {402, 360}, 342, 409, "Hi", "Live Treble"},
};

struct HelpEntry {
    const char* control;
    int number;
};
constexpr HelpEntry HelpNumbers[] = {
    {"NameBox", 1},
    {"ChanEdit", 1},
    {"KnbDigOut", 10},
    {"KnbConfiguration", 6},
    {"KnbConfiguration2", 6},
    {"KnbConfiguration3", 6},
    {"KnbTunerBypassVolume", 3},
    {"KnbTunerCenterFrequency", 4},
    {"KnbVolumePedal", 5},
    {"KnbInputGain", 5},
    {"KnbLiveEQBass", 7},
    {"KnbLiveEQMid", 8},
    {"KnbLiveEQTreble", 9},
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

QLabel* rowCaption(QWidget* parent, const QString& text, int y)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(CaptionX, y + 3, BoxX - CaptionX - 2, 16);
    fitText(label);
    return label;
}

template <size_t N>
void fill(QComboBox* box, const std::array<const char*, N>& entries)
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
    for (const KnobPlace& k : Knobs) {
        const QPointF c(k.at.x() + KnobWidth / 2.0, k.at.y() + KnobWidth / 2.0);
        ControlArt::DrawKnobScale(p, c, 25.5);
    }
    return pm;
}

// The badge of the units with the analog cabinet simulation.
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

    rowCaption(this, QStringLiteral("Model :"), ModelRow);
    ModelBox = new QComboBox(this);
    ModelBox->setObjectName(QStringLiteral("ModelBox"));
    ModelBox->setGeometry(BoxX, ModelRow, BoxWidth, BoxHeight);
    ModelBox->setEditable(true);
    ModelBox->setInsertPolicy(QComboBox::NoInsert);
    for (const char* name : VirtualModelNames)
        ModelBox->addItem(QString::fromLatin1(name));

    rowCaption(this, QStringLiteral("Name :"), NameRow);
    NameBox = new QLineEdit(this);
    NameBox->setObjectName(QStringLiteral("NameBox"));
    NameBox->setGeometry(BoxX, NameRow, BoxWidth, BoxHeight);
    NameBox->setStatusTip(QStringLiteral("You can rename it"));

    rowCaption(this, QStringLiteral("Channel : "), ChannelRow);
    ChanEdit = new QComboBox(this);
    ChanEdit->setObjectName(QStringLiteral("ChanEdit"));
    ChanEdit->setGeometry(BoxX, ChannelRow, BoxWidth, BoxHeight);
    ChanEdit->setMaxVisibleItems(16);
    for (int c = 1; c <= 16; ++c)
        ChanEdit->addItem(QString::number(c));
    ChanEdit->setStatusTip(QStringLiteral("Show or Set"));

    rowCaption(this, QStringLiteral("In Port :"), InPortRow);
    InPortBox = new QLineEdit(this);
    InPortBox->setObjectName(QStringLiteral("InPortBox"));
    InPortBox->setGeometry(BoxX, InPortRow, BoxWidth, BoxHeight);
    InPortBox->setReadOnly(true);
    InPortBox->setEnabled(false);

    rowCaption(this, QStringLiteral("Out Port :"), OutPortRow);
    OutPortBox = new QComboBox(this);
    OutPortBox->setObjectName(QStringLiteral("OutPortBox"));
    OutPortBox->setGeometry(BoxX, OutPortRow, BoxWidth, BoxHeight);

    lbDigOut = rowCaption(this, QStringLiteral("Digital Out :"), DigOutRow);
    lbDigOut->setObjectName(QStringLiteral("lbDigOut"));
    KnbDigOut = new TWC_ComboBox(this);
    KnbDigOut->setObjectName(QStringLiteral("KnbDigOut"));
    KnbDigOut->setGeometry(BoxX, DigOutRow, BoxWidth, BoxHeight);
    fill(KnbDigOut, DigitalOutEntries);
    KnbDigOut->setStatusTip(QStringLiteral("Select digital format"));
    KnbDigOut->SetModix(ModixGlobal);
    KnbDigOut->SetMcix(DigitalOut);

    TunerBut = new QPushButton(QStringLiteral("Tuner"), this);
    TunerBut->setObjectName(QStringLiteral("TunerBut"));
    TunerBut->setGeometry(84, 250, 56, 22);

    // Three lists in one place: the one that fits the unit is shown.
    lbConfiguration = new QLabel(QStringLiteral("Base configuration"), this);
    lbConfiguration->setObjectName(QStringLiteral("lbConfiguration"));
    lbConfiguration->setGeometry(284, 256, 160, 16);
    const struct {
        TWC_ComboBox*& list;
        const char* name;
        int modix;
    } lists[] = {
        {KnbConfiguration, "KnbConfiguration", ModixGlobal},
        {KnbConfiguration2, "KnbConfiguration2", ModixGlobal},
        {KnbConfiguration3, "KnbConfiguration3", ModixBassGlobal},
    };
    for (const auto& l : lists) {
        l.list = new TWC_ComboBox(this);
        l.list->setObjectName(QString::fromLatin1(l.name));
        l.list->setGeometry(284, 274, 80, BoxHeight);
        l.list->setStatusTip(QStringLiteral("Base configuration"));
        l.list->SetModix(l.modix);
        l.list->SetMcix(Configuration);
        l.list->OnCtrlChange = [this](QWidget* sender, int v) { KnbConfigurationCtrlChange(sender, v); };
    }
    fill(KnbConfiguration, ConfigurationEntries);
    fill(KnbConfiguration2, ConfigurationEntries2);
    fill(KnbConfiguration3, ConfigurationEntries3);

    ConfigurationStatusLbl = new QLabel(this);
    ConfigurationStatusLbl->setObjectName(QStringLiteral("ConfigurationStatusLbl"));
    ConfigurationStatusLbl->setGeometry(284, 313, 172, 28);
    ConfigurationStatusLbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ConfigurationStatusLbl->setWordWrap(true);
    QFont small = font();
    small.setPixelSize(10);
    ConfigurationStatusLbl->setFont(small);

    imgZephra = new QLabel(this);
    imgZephra->setObjectName(QStringLiteral("imgZephra"));
    imgZephra->setGeometry(393, 284, 60, 13);
    imgZephra->setPixmap(zephraBadge(dpr));
    imgZephra->setStatusTip(QStringLiteral("This Model has ZEPHRA-D"));
    ZephraInfo = new QLabel(QStringLiteral("analog Cab Sim on XLR"), this);
    ZephraInfo->setObjectName(QStringLiteral("ZephraInfo"));
    ZephraInfo->setGeometry(353, 298, 105, 13);
    ZephraInfo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ZephraInfo->setFont(small);
    fitText(ZephraInfo);

    placeKnob(KnbTunerBypassVolume, vlTunerBypassVolume, TunerVolumeKnob);
    placeKnob(KnbTunerCenterFrequency, vlTunerCenterFrequency, TunerCenterKnob);
    placeKnob(KnbVolumePedal, vlVolumePedal, MasterKnob);
    placeKnob(KnbInputGain, vlInputGain, InputGainKnob);
    placeKnob(KnbLiveEQBass, vlLiveEQBass, LoKnob);
    placeKnob(KnbLiveEQMid, vlLiveEQMid, MidKnob);
    placeKnob(KnbLiveEQTreble, vlLiveEQTreble, HiKnob);
    KnbTunerCenterFrequency->OnValToText = [this](QLabel* label, int v) {
        label->setText(TunerCenterToText(v, prefs.TimeUnit));
    };
    KnbTunerCenterFrequency->OnTextToVal = [this](QLineEdit* edit, int& v) {
        TunerCenterFromText(edit->text(), prefs.TimeUnit, v);
    };

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

void TConnectForm::placeKnob(TWC_ImgKnob*& knob, QLabel*& valueLabel, int which)
{
    const KnobPlace& k = Knobs[which];
    const QString name = QString::fromLatin1(k.name);
    knob = new TWC_ImgKnob(this);
    knob->setObjectName(QStringLiteral("Knb") + name);
    knob->SetBGndImagelist(&knobBodies);
    knob->SetDotImagelist(&knobDots);
    knob->SetKnobMid(KnobWidth / 2, KnobWidth / 2);
    knob->SetDotPos(KnobDotRadius);
    knob->SetParentImage(Background);
    knob->move(k.at);
    knob->setStatusTip(QString::fromLatin1(k.hint));
    knob->SetMcix(k.mcix);
    knob->OnValToText = [](QLabel* label, int v) { label->setText(ValToTextMidi(v)); };
    knob->OnTextToVal = [](QLineEdit* edit, int& v) { TextToValMidi(edit->text(), v); };

    valueLabel = new QLabel(this);
    valueLabel->setObjectName(QStringLiteral("vl") + name);
    valueLabel->setGeometry(QRect(QPoint(k.at.x() + (KnobWidth - ValueLabelSize.width()) / 2, k.labelY),
                                  ValueLabelSize));
    valueLabel->setAlignment(Qt::AlignCenter);
    valueLabel->setStatusTip(QStringLiteral("Editable field"));
    valueLabel->setCursor(Qt::IBeamCursor);
    valueLabel->setStyleSheet(QStringLiteral(
        "QLabel { background: #121418; color: #ffb040; border: 1px solid #050506; border-radius: 2px;"
        " font: 10px; padding: 0px; }"));
    knob->SetValLabel(valueLabel);

    auto* caption = new QLabel(QString::fromLatin1(k.caption), this);
    caption->setObjectName(QStringLiteral("lb") + name);
    // A caption wider than its knob takes the room of its column.
    const int wanted = QFontMetrics(caption->font()).horizontalAdvance(caption->text()) + 4;
    const int width = std::clamp(wanted, KnobCaptionWidth, KnobColumnWidth);
    caption->setGeometry(k.at.x() + KnobWidth / 2 - width / 2, k.captionY, width, 14);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    fitText(caption);
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
        for (const HelpEntry& h : HelpNumbers)
            if (w->objectName() == QLatin1String(h.control))
                return h.number;
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
        Param(ModixBassGlobal, Configuration).MarkPending(RefreshPending);
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
            Param(ModixGlobal, Configuration).MarkPending(RefreshPending);
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
