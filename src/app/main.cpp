#include <QApplication>
#include <exception>

#include "app/MessageService.h"
#include "app/Program.h"

// The program reads no arguments of its own; Qt takes its usual ones.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Drux Editor"));
    QApplication::setApplicationVersion(QStringLiteral(DRUX_VERSION));
    std::unique_ptr<Program> program;
    try {
        program = std::make_unique<Program>();
        program->start();
        app.exec();
    } catch (const std::exception& e) {
        Dialogs().error(nullptr, QString::fromLocal8Bit(e.what()));
    }
    program.reset();
    return 0;
}
