#include <QCoreApplication>
#include <gtest/gtest.h>

// Processes and posted MIDI input need one application object for the run.
namespace {
struct QtApplication : ::testing::Environment {
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            app = new QCoreApplication(argc, argv);
    }
    int argc = 1;
    char name[18] = "integration_tests";
    char* argv[2] = {name, nullptr};
    QCoreApplication* app = nullptr;
};

[[maybe_unused]] ::testing::Environment* const qtApp = ::testing::AddGlobalTestEnvironment(new QtApplication);
}
