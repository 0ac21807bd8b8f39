#include "settings/PrefsForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "shell/HelpPage.h"
#include "controls/KeyCodes.h"
#include "shell/MessageService.h"
#include "model/DeviceConnection.h"

namespace {

const char* const KnobModeNames[] = {"Horizontal", "Vertical", "Tangient", "Circular"};
const char* const TimeUnitNames[] = {"BPM", "ms", "MIDI"};
constexpr int ExportChannels = 16;
const char* const HelpAnchor = "#Preferences";

QButtonGroup* radioGroup(QWidget* parent, const QString& title, const char* const* names, int count,
                         QGroupBox*& box)
{
    box = new QGroupBox(title, parent);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(box);
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(names[i]), box);
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch();
    return group;
}

void check(QButtonGroup* group, int id)
{
    if (QAbstractButton* b = group->button(id))
        b->setChecked(true);
}

} // namespace

TPrefsForm::TPrefsForm(const WindowServices& services, QWidget* parent)
    : QDialog(parent)
    , messages(services.messages)
    , help(services.help)
    , preferenceSets(services.preferenceSets)
{
    setObjectName(QStringLiteral("PrefsForm"));
    setWindowTitle(QStringLiteral("User Preferences"));
    setModal(true);

    PrefBox = new QComboBox(this);
    PrefBox->setObjectName(QStringLiteral("PrefBox"));
    PrefBox->setEditable(true);
    PrefBox->setInsertPolicy(QComboBox::NoInsert);
    PrefBox->setToolTip(QStringLiteral("Make a new one by typing a name"));
    PrefBox->setMinimumWidth(220);

    DirectoryEdit = new QLineEdit(this);
    DirectoryEdit->setObjectName(QStringLiteral("DirectoryEdit"));
    DirectoryEdit->setToolTip(QStringLiteral("Directory to put you stuff in"));
    DirectoryEdit->setMinimumWidth(280);
    DirectoryEdit->installEventFilter(this);
    BrowseButton = new QPushButton(QStringLiteral("..."), this);
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setFixedWidth(32);

    Confirm = new QCheckBox(QStringLiteral("Show Confirmations"), this);
    Confirm->setObjectName(QStringLiteral("Confirm"));
    AutoAud = new QCheckBox(QStringLiteral("Auto Audition"), this);
    AutoAud->setObjectName(QStringLiteral("AutoAud"));

    SysnrBox = new QComboBox(this);
    SysnrBox->setObjectName(QStringLiteral("SysnrBox"));
    for (int i = 1; i <= ExportChannels; ++i)
        SysnrBox->addItem(QString::number(i));
    GetChannel = new QPushButton(QStringLiteral("?"), this);
    GetChannel->setObjectName(QStringLiteral("GetChannel"));
    GetChannel->setFixedWidth(32);
    GetChannel->setToolTip(QStringLiteral("Device number of the connected unit"));

    QGroupBox* knobBox = nullptr;
    QGroupBox* timeBox = nullptr;
    KnobMode = radioGroup(this, QStringLiteral("Knob mode"), KnobModeNames, 4, knobBox);
    knobBox->setObjectName(QStringLiteral("KnobMode"));
    TimeUnit = radioGroup(this, QStringLiteral("Time Unit"), TimeUnitNames, 3, timeBox);
    timeBox->setObjectName(QStringLiteral("TimeUnit"));

    DeleteBtn = new QPushButton(QStringLiteral("Delete"), this);
    DeleteBtn->setObjectName(QStringLiteral("DeleteBtn"));
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));

    auto* form = new QGridLayout;
    form->addWidget(new QLabel(QStringLiteral("Preference Name :"), this), 0, 0);
    form->addWidget(PrefBox, 0, 1, 1, 2);
    form->addWidget(new QLabel(QStringLiteral("Working Directory :"), this), 1, 0);
    form->addWidget(DirectoryEdit, 1, 1);
    form->addWidget(BrowseButton, 1, 2);
    form->setColumnStretch(1, 1);

    auto* checks = new QHBoxLayout;
    checks->addWidget(Confirm);
    checks->addSpacing(24);
    checks->addWidget(AutoAud);
    checks->addStretch();

    auto* channel = new QHBoxLayout;
    channel->addWidget(new QLabel(QStringLiteral("Sysex export channel :"), this));
    channel->addWidget(SysnrBox);
    channel->addWidget(GetChannel);
    channel->addStretch();

    auto* groups = new QHBoxLayout;
    groups->addWidget(knobBox);
    groups->addWidget(timeBox);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(DeleteBtn);
    buttons->addStretch();
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(checks);
    layout->addLayout(channel);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(PrefBox, &QComboBox::activated, this, &TPrefsForm::PrefBoxSelect);
    connect(BrowseButton, &QPushButton::clicked, this, &TPrefsForm::BrowseButtonClick);
    connect(GetChannel, &QPushButton::clicked, this, &TPrefsForm::GetChannelClick);
    connect(OKBtn, &QPushButton::clicked, this, &TPrefsForm::OKClick);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(DeleteBtn, &QPushButton::clicked, this, &TPrefsForm::DeleteBtnClick);

    LoadPreferences();
    FormShow();
}

void TPrefsForm::FormShow()
{
    PrefBox->clear();
    for (const PreferenceSet& set : preferenceSets.sets)
        PrefBox->addItem(set.Name);
    PrefBoxSelect(preferenceSets.active < 0 ? 0 : preferenceSets.active);
}

void TPrefsForm::PrefBoxSelect(int index)
{
    if (index < 0 || index >= int(preferenceSets.sets.size()))
        return;
    PrefBox->setCurrentIndex(index);
    showValues(preferenceSets.sets[size_t(index)]);
    DeleteBtn->setEnabled(index > 0);
}

void TPrefsForm::showValues(const PreferenceSet& set)
{
    DirectoryEdit->setText(set.Dir);
    Confirm->setChecked(set.Confirm != 0);
    AutoAud->setChecked(set.AutoAud != 0);
    SysnrBox->setCurrentIndex(qBound(0, set.SysexNr, ExportChannels - 1));
    check(KnobMode, qBound(0, set.MouseMoveMode, 3));
    check(TimeUnit, qBound(0, set.TimeUnit, 2));
}

PreferenceDialogValues TPrefsForm::DialogValues() const
{
    PreferenceDialogValues v;
    const QString text = PrefBox->currentText();
    const int current = PrefBox->currentIndex();
    // A typed text that is not the name of an entry is a new set.
    if (current >= 0 && PrefBox->itemText(current) == text)
        v.selected = current;
    else
        v.selected = PrefBox->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    v.typedName = text;
    v.values.Dir = DirectoryEdit->text();
    v.values.Confirm = Confirm->isChecked() ? 1 : 0;
    v.values.AutoAud = AutoAud->isChecked() ? 1 : 0;
    v.values.SysexNr = SysnrBox->currentIndex();
    v.values.MouseMoveMode = KnobMode->checkedId();
    v.values.TimeUnit = TimeUnit->checkedId();
    return v;
}

void TPrefsForm::BrowseButtonClick()
{
    const QString dir =
        messages.existingDirectory(this, QStringLiteral("Choose/Make Working Directory"), DirectoryEdit->text());
    if (!dir.isEmpty())
        DirectoryEdit->setText(dir);
}

void TPrefsForm::GetChannelClick()
{
    SysnrBox->setCurrentIndex(qBound(0, ActiveDevice.MidiDevice, ExportChannels - 1));
}

void TPrefsForm::OKClick()
{
    const PreferenceDialogValues values = DialogValues();
    SaveAllPreferences(&values);
    accept();
}

void TPrefsForm::DeleteBtnClick()
{
    const int index = PrefBox->currentIndex();
    if (index < 1 || PrefBox->itemText(index) != PrefBox->currentText())
        return;
    DeletePreferenceSet(index);
    FormShow();
}

void TPrefsForm::showEvent(QShowEvent* e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TPrefsForm::keyReleaseEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1) {
        help.open(QLatin1String(HelpAnchor));
        return;
    }
    QDialog::keyReleaseEvent(e);
}

bool TPrefsForm::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == DirectoryEdit) {
        if (e->type() == QEvent::FocusIn)
            dirOnEntry = DirectoryEdit->text();
        else if (e->type() == QEvent::KeyRelease && static_cast<QKeyEvent*>(e)->key() == KeyCancel)
            DirectoryEdit->setText(dirOnEntry);
    }
    return QDialog::eventFilter(watched, e);
}
