#pragma once

#include <QTimer>
#include <QWidget>
#include <vector>

class QLabel;
class QLineEdit;
class TB_Image;
class TWC_CustomControl;
class TWC_ImgKnob;
class TWC_ImgButton;
class TWC_Knob;
class TWC_ImgFader;
class TWC_LedVuChain;
class TWC_ComboBox;
class TWC_CheckBox;
class TWC_TabControl;
class TWC_PageControl;

// A window that places each control kind bound to real parameters of the
// guitar preset and globals. It is not part of the editor's menus; the test
// suite and the demo tool open it, the latter for screenshots.
// The modules must exist and be handed to the controls before it is built.
class TControlsDemo : public QWidget {
    Q_OBJECT
public:
    explicit TControlsDemo(QWidget* parent = nullptr);

    // Every drawn control, in placing order.
    const std::vector<TWC_CustomControl*>& DrawnControls() const { return drawn; }
    // Starts the change highlight of every drawn control.
    void HighlightAll();
    void SetControlsEnabled(bool enabled);

    TB_Image* Background = nullptr;
    QLineEdit* ValueEdit = nullptr;
    std::vector<TWC_ImgKnob*> AmpKnobs;
    TWC_ImgKnob* VolumeKnob = nullptr;
    TWC_ImgKnob* ReverbKnob = nullptr;
    TWC_ImgFader* MasterFader = nullptr;
    TWC_ImgFader* WahFader = nullptr;
    TWC_ImgButton* DriveButton = nullptr;
    TWC_ImgButton* EffectsButton = nullptr;
    TWC_ImgButton* ReverbButton = nullptr;
    TWC_ImgButton* TapButton = nullptr;
    std::vector<TWC_ImgButton*> ChannelButtons;
    TWC_Knob* ReverbTypeKnob = nullptr;
    TWC_Knob* SpeedKnob = nullptr;
    TWC_LedVuChain* LevelChain = nullptr;
    TWC_LedVuChain* PeakChain = nullptr;
    TWC_ComboBox* AmpList = nullptr;
    TWC_CheckBox* EffectsCheck = nullptr;
    TWC_TabControl* DelayTabs = nullptr;
    TWC_PageControl* PrePages = nullptr;

private:
    QLabel* valueLabel(TWC_CustomControl* control, QPoint centreTop, int width = 46);
    void place(TWC_CustomControl* control);
    std::vector<TWC_CustomControl*> drawn;
    std::vector<QLabel*> labels;
    QWidget* buttonGroup = nullptr;
};
