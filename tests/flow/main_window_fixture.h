// The program's main window started on the tests' workspace, shared by the
// tests of a suite; each test starts with an empty drawing and no result,
// with modal dialogs answered from the script.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/drawing_file.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "shell/startup.h"
#include "tests/shell/workspace_access.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shell::StartUp(shelltest::Ws());
    for (int i = 0; i < 30; ++i) tk::LoopStep();
  }
  static void TearDownTestSuite() {
    cmd::EndAnalyses(shelltest::Ws());
    ReleaseGrid(shelltest::Ws().result);
    shelltest::Entities().deleteAll();
    tk::Close();
  }
  void SetUp() override {
    tk::test::EnableScripting(true);
    tk::test::TakeMessages();
    ReleaseGrid(shelltest::Ws().result);
    shelltest::Entities().deleteAll();
  }

  static tk::Element* Canvas() { return cmd::handles.datascreen; }

  // Clicks a toggle or check box (on or off), as the user would.
  static void Click(const char* toggle, bool on = true) {
    tk::Event ev;
    ev.state = on ? 1 : 0;
    tk::test::Fire(tk::GetHandle(toggle), "ACTION", ev);
  }
  // Types a value into a field and presses Enter.
  static void SetField(const char* name, const std::string& value) {
    tk::Element* field = tk::GetHandle(name);
    tk::SetAttribute(field, "VALUE", "");
    tk::test::Type(field, value);
    tk::test::Fire(field, "K_CR");
  }

  static void Open(const std::string& sample) {
    ReadReport report;
    std::string error;
    ASSERT_TRUE(LoadDrawingFile(std::string(BRISEL_EXAMPLES_DIR) + "/" + sample,
                                shelltest::Settings().wallWidth, shelltest::Entities(), report,
                                error));
    ViewFit(Canvas());
  }

  // Clicks "Calcular"; the analysis runs beside the window.
  static void StartCalcular() { cmd::ViewGrid(shelltest::Ws(), tk::Event{}); }
  // Clicks "Calcular" and waits for its end.
  static void Calcular() {
    StartCalcular();
    ASSERT_TRUE(shelltest::WaitForAnalysis());
  }
};
