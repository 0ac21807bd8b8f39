#include "app/SplashForm.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QScreen>

namespace {
constexpr int SplashWidth = 540;
constexpr int SplashHeight = 424;
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Drux Editor"));
    setFixedSize(SplashWidth, SplashHeight);
    setFocusPolicy(Qt::StrongFocus);
    if (QScreen* s = QGuiApplication::primaryScreen())
        move(s->availableGeometry().center() - rect().center());
    Timer1.setInterval(1000);
    Timer1.setSingleShot(true);
    connect(&Timer1, &QTimer::timeout, this, &TSplashForm::Timer1Timer);
    Timer1.start();
}

void TSplashForm::Timer1Timer()
{
    Timer1.stop();
    close();
}

void TSplashForm::showAbout()
{
    Timer1.stop();
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    setFocus();
    QEventLoop loop;
    connect(this, &QObject::destroyed, &loop, &QEventLoop::quit);
    while (isVisible())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
    setWindowModality(Qt::NonModal);
}

void TSplashForm::paintEvent(QPaintEvent*)
{
    // Drawn when first painted, like any window's contents, so that the
    // window is on the screen without waiting for the fonts the picture
    // loads; dropped when hidden: between the start and an About box the
    // picture has no business in memory.
    if (Image1.isNull())
        Image1 = picture(devicePixelRatioF());
    QPainter p(this);
    p.drawPixmap(0, 0, Image1);
}

void TSplashForm::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    Image1 = QPixmap();
}

void TSplashForm::mousePressEvent(QMouseEvent*)
{
    close();
}

void TSplashForm::keyPressEvent(QKeyEvent*)
{
    close();
}

QPixmap TSplashForm::picture(qreal dpr)
{
    QPixmap pm(QSize(SplashWidth, SplashHeight) * dpr);
    pm.setDevicePixelRatio(dpr);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRectF all(0, 0, SplashWidth, SplashHeight);

    // Dark amp cabinet with a warm glow behind the logo.
    QLinearGradient body(all.topLeft(), all.bottomLeft());
    body.setColorAt(0, QColor(44, 44, 48));
    body.setColorAt(1, QColor(14, 14, 16));
    p.fillRect(all, body);
    QRadialGradient glow(QPointF(270, 150), 260);
    glow.setColorAt(0, QColor(255, 140, 40, 90));
    glow.setColorAt(1, QColor(255, 140, 40, 0));
    p.fillRect(all, glow);

    // Speaker grille.
    const QRectF grille(30, 250, 480, 130);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(22, 22, 24));
    p.drawRoundedRect(grille, 10, 10);
    p.setClipRect(grille.adjusted(6, 6, -6, -6));
    p.setPen(QPen(QColor(70, 64, 56), 1.2));
    for (int x = -200; x < 600; x += 7)
        p.drawLine(QPointF(x, 250), QPointF(x + 130, 380));
    p.setClipping(false);

    // Brushed metal strip with knobs.
    QLinearGradient metal(QPointF(0, 196), QPointF(0, 236));
    metal.setColorAt(0, QColor(210, 210, 214));
    metal.setColorAt(0.5, QColor(150, 150, 156));
    metal.setColorAt(1, QColor(200, 200, 205));
    p.setBrush(metal);
    p.setPen(QPen(QColor(90, 90, 95), 1));
    p.drawRoundedRect(QRectF(30, 196, 480, 40), 6, 6);
    for (int i = 0; i < 7; ++i) {
        const QPointF c(70 + i * 66, 216);
        QRadialGradient knob(c - QPointF(4, 4), 16);
        knob.setColorAt(0, QColor(90, 90, 96));
        knob.setColorAt(1, QColor(12, 12, 14));
        p.setBrush(knob);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 14, 14);
        p.setPen(QPen(QColor(255, 170, 60), 2.4, Qt::SolidLine, Qt::RoundCap));
        const double a = (-135 + i * 45) * 3.14159265 / 180.0;
        p.drawLine(c, c + QPointF(10 * std::sin(a), -10 * std::cos(a)));
    }

    // Logo.
    QFont logo(QStringLiteral("DejaVu Sans"), 64, QFont::Black);
    logo.setLetterSpacing(QFont::PercentageSpacing, 112);
    p.setFont(logo);
    QPainterPath text;
    text.addText(0, 0, logo, QStringLiteral("DRUX"));
    const QRectF tb = text.boundingRect();
    text.translate(270 - tb.center().x(), 120 - tb.center().y());
    QLinearGradient chrome(QPointF(0, 80), QPointF(0, 160));
    chrome.setColorAt(0, QColor(255, 226, 160));
    chrome.setColorAt(0.55, QColor(255, 150, 40));
    chrome.setColorAt(1, QColor(170, 70, 10));
    p.setPen(QPen(QColor(40, 20, 5), 2));
    p.setBrush(chrome);
    p.drawPath(text);

    p.setPen(QColor(230, 230, 235));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 15, QFont::Bold));
    p.drawText(QRectF(0, 158, SplashWidth, 26), Qt::AlignCenter, QStringLiteral("Editor & Librarian"));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    p.setPen(QColor(170, 170, 178));
    p.drawText(QRectF(0, 388, SplashWidth, 18), Qt::AlignCenter,
               QStringLiteral("for the guitar and bass units of the DRUX family   \u2022   version %1")
                   .arg(QApplication::applicationVersion()));
    p.setPen(QPen(QColor(255, 150, 40), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(1, 1, -1, -1));
    return pm;
}
