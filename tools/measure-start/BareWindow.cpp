// The floor for the measurements: a bare Qt window, built with the same
// compiler and Qt as the editor, shown at once.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
