#pragma once

#include "controls/CustomControl.h"
#include "controls/ImageList.h"

class QKeyEvent;

// A push, toggle or radio button drawn from five pictures: disabled, up,
// down, up highlighted, down highlighted. Unbound, it keeps its own down
// state.
class TWC_ImgButton : public TWC_CustomControl {
    Q_OBJECT
public:
    explicit TWC_ImgButton(QWidget* parent = nullptr);

    // Sets the control's size to the picture size.
    void SetImageList(const TImageList* list);
    const TImageList* ImageList() const { return images; }

    // Push and radio exclude each other.
    void SetIsPushButton(bool on);
    bool IsPushButton() const { return isPush; }
    void SetIsRadioButton(bool on);
    bool IsRadioButton() const { return isRadio; }

    bool Down() const { return GetVal() != 0; }
    void SetDown(bool down) { SetVal(down ? 1 : 0); }

    void SetVal(int v) override;
    int GetVal() const override;
    void ChangeFromMCtrl() override;
    // Keeps one member of the radio group down: when this one goes down the
    // others go up; when it goes up the first other member goes down.
    void HandleRadioButtons(bool select);

protected:
    void paintCanvas(QPainter& p) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void userSetVal(int v) override;

private:
    void click();
    void release();

    const TImageList* images = nullptr;
    bool isPush = false;
    bool isRadio = false;
    bool down = false;
};
