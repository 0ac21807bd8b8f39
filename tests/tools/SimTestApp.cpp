#include <QCoreApplication>
#include <gtest/gtest.h>

// Posted MIDI input needs an event loop: one application object for the run.
namespace {
struct QtApplication : ::testing::Environment {
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app = new QCoreApplication(argc, argv);
    }
    int argc = 1;
    char name[12] = "tools_test";
    char* argv[2] = {name, nullptr};
    QCoreApplication* app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const qtApp = ::testing::AddGlobalTestEnvironment(new QtApplication);
}
