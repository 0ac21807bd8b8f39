#include <QApplication>
#include <gtest/gtest.h>

namespace {
struct QtApplication : ::testing::Environment {
    void SetUp() override
    {
        if (!QCoreApplication::instance())
            new QApplication(argc, argv);
    }
    int argc = 1;
    char name[9] = "app_test";
    char* argv[2] = {name, nullptr};
};

[[maybe_unused]] ::testing::Environment* const qtApp = ::testing::AddGlobalTestEnvironment(new QtApplication);
}
