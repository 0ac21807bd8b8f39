// One application object for a whole test program: widgets, timers and posted
// MIDI input need it. Programs that link Qt Widgets get a QApplication.
#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "files/IniFile.h"

#if defined(QT_WIDGETS_LIB)
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

namespace {
struct QtApplicationEnvironment : ::testing::Environment {
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        // Backups, the trash and other per-user data go to a folder of this
        // test program, never to the user's own.
        static QTemporaryDir dataHome;
        qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
        if (!QCoreApplication::instance())
            new TestApplication(argc, argv);
        besideProgram = QFileInfo(IniFilePath());
        before = stamp();
    }
    // Tests keep their ini files in folders of their own (support/ProgramState.h):
    // the one the program would use beside the test program stays untouched.
    void TearDown() override
    {
        EXPECT_EQ(stamp(), before) << "a test wrote " << besideProgram.filePath().toStdString();
    }
    QDateTime stamp()
    {
        besideProgram.refresh();
        return besideProgram.exists() ? besideProgram.lastModified() : QDateTime();
    }
    QFileInfo besideProgram;
    QDateTime before;
    int argc = 1;
    char name[10] = "drux_test";
    char* argv[2] = {name, nullptr};
};

[[maybe_unused]] ::testing::Environment* const qtApp =
    ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);
}
