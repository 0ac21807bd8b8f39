#include <QApplication>
#include <gtest/gtest.h>

namespace {

// One application object for the whole test program; widgets need it.
class QtApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "controls_tests";
        static char* argv[] = {name, nullptr};
        app = new QApplication(argc, argv);
    }

    QApplication* app = nullptr;
};

const auto* registered = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

} // namespace
