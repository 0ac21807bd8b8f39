#include <QApplication>
#include <gtest/gtest.h>

namespace {
// One QApplication for the whole program, made by whichever environment
// runs first.
struct PrefsQtApplication : ::testing::Environment {
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            new QApplication(argc, argv);
    }
    int argc = 1;
    char name[15] = "settings_tests";
    char* argv[2] = {name, nullptr};
};

[[maybe_unused]] ::testing::Environment* const prefsQtApp =
    ::testing::AddGlobalTestEnvironment(new PrefsQtApplication);
}
