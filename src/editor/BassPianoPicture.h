#pragma once

#include <QPixmap>
#include <QWidget>
#include <functional>

class QKeyEvent;
class QMouseEvent;

// The bass editor's piano keyboard: the picture of its keys with the position
// marker, which hands the mouse to the window's piano handlers, and the
// computer keys that play it.
class TBassPianoPicture : public QWidget {
    Q_OBJECT
public:
    explicit TBassPianoPicture(QWidget* parent = nullptr);

    // The keyboard as drawn, with the marker where the window put it.
    QPixmap Canvas;

    // Draws the marker over `area`; what it covered comes back when it moves
    // on or goes.
    void MoveMarker(QRect area);
    void RemoveMarker();
    QRect Marker() const { return markerRect; }

    std::function<void(QMouseEvent*)> OnMouseDown;
    std::function<void(QMouseEvent*)> OnMouseMove;
    std::function<void(QMouseEvent*)> OnMouseUp;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QPixmap markerBackground;
    QRect markerRect{0, 0, 6, 6};
};

namespace BassPiano {

// The digit keys of the main row by where they lie, 0..9 for the keys 1..9
// and 0, -1 for another key. They play the piano and work the looper.
int DigitRowPosition(const QKeyEvent* e);
// The piano position 0..11 of the keys 1..9, 0, O, P on the main row, -1 for
// another key.
int KeyIndex(const QKeyEvent* e);

} // namespace BassPiano
