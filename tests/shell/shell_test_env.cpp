#include <gtest/gtest.h>

#include "shell/commands.h"
#include "shell/images.h"
#include "shell/main_window.h"
#include "shell/modes.h"
#include "tests/shell/shell_test_env.h"

namespace {

// The program's start-up without the event loop, once per test process.
class MainWindowEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    tk::Open();
    shell::BuildMainWindow();
    shell::CreateImages();
    cmd::FetchHandles();
    tk::Map(cmd::handles.main);
    cmd::RegisterCommands();
    tk::SetLanguage("PORTUGUESE");
    cmd::InitCanvas(cmd::handles.datascreen);
    cmd::ShowViewSize(cmd::handles.datascreen);
    cmd::ResetToSelect();
    tk::ShowXY(cmd::handles.main, tk::kCenter, tk::kCenter);
    shelltest::WaitFor([] { return tk::IsVisible(cmd::handles.main); });
  }
  void TearDown() override { tk::Close(); }
};

const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new MainWindowEnvironment);

}  // namespace
