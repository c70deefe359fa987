// Undo and redo from the keyboard, and the question about unsaved changes
// before the program ends or another drawing is opened.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/shell/workspace_access.h"
#include "flow/cell_grid.h"
#include "model/entity.h"
#include "model/history.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"

namespace fs = std::filesystem;

namespace {

const char* const kQuestion =
    "Desenho alterado|O desenho foi alterado desde que foi aberto ou salvo.\n"
    "Deseja salvar as alterações?";

class UndoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("brisel-undo-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    tk::test::EnableScripting(true);
    tk::test::TakeMessages();
    cmd::ResetToSelect();
  }
  void TearDown() override {
    // Leave no unsaved change behind, or the next Exit would ask.
    shelltest::Hist().Clear();
    shelltest::Hist().MarkUnchanged();
    shelltest::Entities().deleteAll();
    ReleaseGrid(shelltest::Ws().result);
    tk::test::EnableScripting(false);
    fs::remove_all(dir_);
  }

  // A room of four walls, as if just opened, with its east wall deleted.
  static void RoomWithEastWallDeleted() {
    shelltest::NewLine(0, 0, 4, 0);
    (shelltest::NewLine(4, 0, 4, 3))->selected = 1;
    shelltest::NewLine(4, 3, 0, 3);
    shelltest::NewLine(0, 3, 0, 0);
    shelltest::Hist().MarkUnchanged();
    cmd::Delete(shelltest::Ws(), tk::Event{});
    ASSERT_EQ(Walls(), 3);
  }

  static int Walls() {
    int n = 0;
    shelltest::Entities().forEachFrontToBack([&](Entity*) { ++n; });
    return n;
  }

  static void Key(const char* focus, char letter, const char* status = " C") {
    tk::test::Key(tk::GetHandle(focus), tk::CtrlKey(letter), status);
  }

  static std::string Contents(const fs::path& file) {
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }

  fs::path dir_;
};

TEST_F(UndoTest, ControlKeysUndoAndRedoExceptInTextFields) {
  RoomWithEastWallDeleted();
  cmd::Drag(tk::Event{});
  cmd::ViewGrid(shelltest::Ws(), tk::Event{});
  ASSERT_TRUE(shelltest::WaitForAnalysis());
  ASSERT_FALSE(shelltest::Grid().type.empty());

  Key("htext", 'z');  // the field keeps Control+Z for its own text
  EXPECT_EQ(Walls(), 3);
  EXPECT_FALSE(shelltest::Grid().type.empty());

  Key("datascreen", 'z');
  ASSERT_EQ(Walls(), 4);
  const auto* east = static_cast<const LineEntity*>(shelltest::Entities().selectedEntities().at(0));
  EXPECT_EQ(shelltest::Entities().selectedEntities().size(), 1u);
  EXPECT_EQ(east->x0, 4);
  EXPECT_EQ(east->y1, 3);
  EXPECT_TRUE(shelltest::Grid().type.empty());  // the flow picture no longer fits
  EXPECT_EQ(cmd::modeRestart, cmd::DragMode);

  Key("xgrid", 'y');
  EXPECT_EQ(Walls(), 4);
  Key("datascreen", 'y');
  EXPECT_EQ(Walls(), 3);
  Key("datascreen", 'z');
  Key("datascreen", 'z', "SC");  // Control+Shift+Z redoes too
  EXPECT_EQ(Walls(), 3);
  EXPECT_TRUE(shelltest::Entities().selectedEntities().empty());
}

// "Sair" and the close box over a changed drawing: cancel, a save that
// fails or is cancelled keep the program running; a save ends it.
TEST_F(UndoTest, ExitAsksAboutUnsavedChanges) {
  RoomWithEastWallDeleted();
  tk::Element* main = cmd::handles.main;

  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kIgnore);  // no answer: closed box
  EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{kQuestion});
  tk::test::QueueAnswer({false, {"Cancelar"}});
  EXPECT_EQ(tk::test::Fire(main, "CLOSE_CB"), tk::kIgnore);
  EXPECT_TRUE(tk::IsVisible(main));
  EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{kQuestion});

  const fs::path failing = dir_ / "no-such-folder" / "plan.dat";
  tk::test::QueueAnswer({false, {"Salvar"}});
  tk::test::QueueAnswer({false, {failing.string()}});
  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kIgnore);
  EXPECT_EQ(tk::test::TakeMessages().size(), 2u);  // the question, the failure
  tk::test::QueueAnswer({false, {"Salvar"}});
  tk::test::QueueAnswer({true, {}});  // the file dialog cancelled
  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kIgnore);
  EXPECT_EQ(Walls(), 3);
  EXPECT_TRUE(shelltest::Hist().Changed());

  const fs::path saved = dir_ / "plan.dat";
  tk::test::QueueAnswer({false, {"Salvar"}});
  tk::test::QueueAnswer({false, {saved.string()}});
  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kClose);
  EXPECT_EQ(Contents(saved), "0\n0 0 0 4 0\n0\n0 4 3 0 3\n0\n0 0 3 0 0\n");
  EXPECT_EQ(shelltest::Entities().head(), nullptr);
  EXPECT_EQ(tk::test::PendingAnswers(), 0u);

  tk::test::TakeMessages();
  EXPECT_EQ(cmd::Exit(shelltest::Ws(), tk::Event{}), tk::kClose);  // nothing changed: no question
  EXPECT_TRUE(tk::test::TakeMessages().empty());
}

// Saving marks the drawing unchanged, undoing past the save changes it
// again, and "Abrir..." asks before replacing it.
TEST_F(UndoTest, OpenAsksOnlyWhileTheDrawingDiffersFromTheSavedOne) {
  RoomWithEastWallDeleted();
  const fs::path saved = dir_ / "three.dat";
  tk::test::QueueAnswer({false, {saved.string()}});
  cmd::ProjSaveFile(shelltest::Ws(), tk::Event{});
  EXPECT_FALSE(shelltest::Hist().Changed());
  Key("datascreen", 'z');
  EXPECT_TRUE(shelltest::Hist().Changed());

  const int popups = tk::test::ScriptedPopups();
  tk::test::QueueAnswer({false, {"Cancelar"}});
  cmd::ProjReadFile(shelltest::Ws(), tk::Event{});
  EXPECT_EQ(tk::test::ScriptedPopups(), popups + 1);  // no file dialog came
  EXPECT_EQ(Walls(), 4);

  Key("datascreen", 'y');  // back to the saved drawing: opening just opens
  EXPECT_FALSE(shelltest::Hist().Changed());
  tk::test::QueueAnswer({false, {saved.string()}});
  cmd::ProjReadFile(shelltest::Ws(), tk::Event{});
  EXPECT_EQ(Walls(), 3);
  EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{kQuestion});
  EXPECT_EQ(shelltest::Hist().UndoSteps(), 0u);  // an opened drawing starts a new history

  shelltest::Entities().head()->selected = 1;
  cmd::Delete(shelltest::Ws(), tk::Event{});
  tk::test::QueueAnswer({false, {"Descartar"}});
  tk::test::QueueAnswer({false, {saved.string()}});
  cmd::ProjReadFile(shelltest::Ws(), tk::Event{});
  EXPECT_EQ(Walls(), 3);
  EXPECT_FALSE(shelltest::Hist().Changed());
}

}  // namespace
