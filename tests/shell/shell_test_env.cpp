#include <gtest/gtest.h>

#include "tests/shell/workspace_access.h"
#include "shell/commands.h"
#include "shell/startup.h"
#include "shell/modes.h"
#include "tests/shell/shell_test_env.h"

namespace {

// The program's start-up without the event loop, once per test process.
class MainWindowEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    shell::StartUp(shelltest::Ws());
    shelltest::WaitFor([] { return tk::IsVisible(cmd::handles.main); });
  }
  void TearDown() override { tk::Close(); }
};

const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new MainWindowEnvironment);

}  // namespace
