#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

// The splash window, shown while the program starts and again as the About
// box. Closing only hides it.
class TSplashForm : public QWidget {
    Q_OBJECT
public:
    explicit TSplashForm(QWidget* parent = nullptr);

    // Shown modally from Help > About: stays until a click or a key.
    void showAbout();

    QTimer Timer1;
    static QPixmap picture(qreal devicePixelRatio = 1.0);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void hideEvent(QHideEvent* e) override;

private:
    void Timer1Timer();
    QPixmap Image1;
};
