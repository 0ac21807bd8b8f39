#include <QApplication>

#include "app/AppIcon.h"
#include "app/LibraryMessages.h"
#include "app/Program.h"
#include "shell/MessageService.h"

// The program reads no arguments of its own; Qt takes its usual ones.
int main(int argc, char** argv)
{
    RouteLibraryMessagesToTrace();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Drux Editor"));
    QApplication::setApplicationVersion(QStringLiteral(DRUX_VERSION));
    // The desktop entry of that name tells the desktop which program the
    // windows belong to.
    QGuiApplication::setDesktopFileName(QLatin1String(AppIcon::Name));
    MessageService messages;
    std::unique_ptr<Program> program;
    const int result = RunGuarded(messages, [&] {
        program = std::make_unique<Program>(nullptr, ProgramShell{&messages, nullptr});
        program->start();
        QApplication::exec();
    });
    // Windows, then records, then modules: the reverse of start-up.
    program.reset();
    return result;
}
