#include "tests/platform-qt/QtTestApplication.h"

#include <memory>

namespace orlim::testing {
namespace {

int argc = 1;
char programName[] = "orlim-test";
char* argv[] = {programName, nullptr};
std::unique_ptr<QApplication> application;

// Registered while the program loads, so every Qt test program gets one application.
const auto* registered = ::testing::AddGlobalTestEnvironment(new QtTestApplication);

} // namespace

void QtTestApplication::SetUp()
{
    application = std::make_unique<QApplication>(argc, argv);
}

void QtTestApplication::TearDown()
{
    application.reset();
}

} // namespace orlim::testing
