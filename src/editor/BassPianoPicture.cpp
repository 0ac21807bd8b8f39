#include "editor/BassPianoPicture.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <array>

#include "controls/KeyCodes.h"
#include "editor/BassEditorFormTables.h"

namespace {
const QColor MarkerColour(255, 0, 0);

// The keys as they look without the marker.
QPixmap drawKeys()
{
    using namespace BassPiano;
    QPixmap pm(Width, Height);
    pm.fill(QColor(12, 12, 14));
    QPainter p(&pm);
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
    p.end();
    return pm;
}

} // namespace

TBassPianoPicture::TBassPianoPicture(QWidget* parent) : QWidget(parent)
{
    using namespace BassPiano;
    setFixedSize(Width, Height);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);

    Canvas = drawKeys();
    markerBackground = Canvas.copy(markerRect);
}

void TBassPianoPicture::MoveMarker(QRect area)
{
    QPainter p(&Canvas);
    p.drawPixmap(markerRect.topLeft(), markerBackground);
    markerRect = area;
    markerBackground = Canvas.copy(markerRect);
    p.fillRect(markerRect, MarkerColour);
    update();
}

void TBassPianoPicture::RemoveMarker()
{
    QPainter p(&Canvas);
    p.drawPixmap(markerRect.topLeft(), markerBackground);
    update();
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

// ---- computer keys ----

// The digit keys' symbols depend on the keyboard layout (a
// French keyboard gives "&" for 1 unshifted, a German one the section sign
// for Shift with 3), their place does not: the platform's key code says which
// key it was. Events without one (synthesised ones) are read by their US
// symbols.
int BassPiano::DigitRowPosition(const QKeyEvent* e)
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

int BassPiano::KeyIndex(const QKeyEvent* e)
{
    if (e->key() == KeyPianoDown)
        return 10;
    if (e->key() == KeyPianoUp)
        return 11;
    return DigitRowPosition(e);
}
