// The main window opening, showing and saving drawings, driven through its
// commands with scripted dialog answers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/flow/main_window_fixture.h"
#include "tests/shell/workspace_access.h"
#include "model/dxf_file.h"
#include "model/entity.h"
#include "shell/commands.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace fs = std::filesystem;

namespace {

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0};

class FileGuiTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    dir_ = fs::temp_directory_path() / ("brisel-gui-test-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    cmd::CloseDrawing(shelltest::Ws());  // empty, unchanged, from no file
  }
  void TearDown() override { fs::remove_all(dir_); }

  static void Fire(const char* command) {
    tk::Event ev;
    ev.element = Canvas();
    tk::GetFunction(command)(ev);
  }

  static void OpenThroughDialog(const std::string& path) {
    tk::test::QueueAnswer({false, {path}});
    Fire("ProjReadFile");
    for (int i = 0; i < 5; ++i) tk::LoopStep();
  }

  static Rgb ShownAt(double x, double y) { return shelltest::ShownAt(Canvas(), x, y); }

  static std::vector<std::vector<double>> Lines() {
    std::vector<std::vector<double>> lines;
    shelltest::Entities().forEachFrontToBack([&](Entity* e) {
      auto* line = static_cast<LineEntity*>(e);
      lines.push_back({double(line->color), line->x0, line->y0, line->x1, line->y1});
    });
    return lines;
  }

  fs::path dir_;
};

const std::string kTwoRooms = std::string(BRISEL_EXAMPLES_DIR) + "/two_rooms.dat";

TEST_F(FileGuiTest, OpenShowsTheSampleFittedBlackOnWhite) {
  OpenThroughDialog(kTwoRooms);
  ASSERT_EQ(Lines().size(), 8u);
  // The size read-outs show the fitted window, not the one before.
  double xmin, xmax, ymin, ymax;
  ViewGetWindow(Canvas(), &xmin, &xmax, &ymin, &ymax);
  char size[2][16];
  std::snprintf(size[0], sizeof size[0], "%6.1f", xmax - xmin);
  std::snprintf(size[1], sizeof size[1], "%6.1f", ymax - ymin);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.htext, "VALUE"), size[0]);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.vtext, "VALUE"), size[1]);

  EXPECT_EQ(ShownAt(2, 0), kBlack);  // the south wall
  EXPECT_EQ(ShownAt(5, 4), kBlack);  // the inner wall
  EXPECT_EQ(ShownAt(2.5, 3), kWhite);
  EXPECT_EQ(ShownAt(0, 3), kWhite);  // the west window
  EXPECT_TRUE(tk::test::TakeMessages().empty());
}

TEST_F(FileGuiTest, GridToggleShowsPointsAndEnablesSnapping) {
  OpenThroughDialog(kTwoRooms);
  tk::Element* grid = tk::GetHandle("grid_tgl");
  tk::Element* snap = tk::GetHandle("snaptoggle");
  tk::Event on;
  on.state = 1;
  tk::test::Fire(grid, "ACTION", on);
  EXPECT_EQ(tk::GetAttribute(snap, "ACTIVE"), "YES");
  EXPECT_EQ(ShownAt(2, 3), kBlack);
  tk::test::Fire(grid, "ACTION", tk::Event{});
  EXPECT_EQ(tk::GetAttribute(snap, "ACTIVE"), "NO");
  EXPECT_EQ(ShownAt(2, 3), kWhite);
}

TEST_F(FileGuiTest, AFailedSaveSaysSoAndNamesTheFile) {
  OpenThroughDialog(kTwoRooms);
  const std::string target = (dir_ / "no-such-folder" / "plan.dat").string();
  tk::test::QueueAnswer({false, {target}});
  Fire("ProjSaveFile");
  const auto messages = tk::test::TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find(target), std::string::npos) << messages[0];
  EXPECT_FALSE(fs::exists(target));
}

// A comment in the middle of a hand-made file keeps the walls before it and
// says where reading stopped; a missing file, a folder or a cancel leaves the
// drawing.
TEST_F(FileGuiTest, OpenReportsWhatItCouldNotRead) {
  const std::string commented = (dir_ / "commented.dat").string();
  std::ofstream(commented) << "0\n0 0 0 4 0\n# the east wall\n0\n0 4 0 4 3\n";
  OpenThroughDialog(commented);
  EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 0, 0, 4, 0}}));
  auto messages = tk::test::TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], "Abrir arquivo|A leitura de \"" + commented +
                             "\" parou no registro 2: em vez do código do tipo de figura (um "
                             "número inteiro), o arquivo tem o texto \"#\"; linhas lidas: 1.");

  // The drawing lacks the rest of its file, so opening another one first
  // asks whether to save it; the answer here drops it.
  const std::string question = "Desenho alterado|O desenho tem só parte do arquivo \"" +
                               fs::weakly_canonical(commented).string() +
                               "\": a leitura parou no registro 2.\nDeseja salvar o desenho?";
  for (const std::string& unreadable : {(dir_ / "absent.dat").string(), dir_.string()}) {
    tk::test::QueueAnswer({false, {"Descartar"}});
    OpenThroughDialog(unreadable);
    EXPECT_EQ(Lines().size(), 1u);  // the drawing stays as it was
    messages = tk::test::TakeMessages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], question);
    EXPECT_EQ(messages[1].rfind("Abrir arquivo|Não foi possível abrir \"" + unreadable + "\": ", 0),
              0u)
        << messages[1];
  }
  tk::test::QueueAnswer({false, {"Descartar"}});
  tk::test::QueueAnswer({true, {}});  // cancelled: no message, the drawing stays
  Fire("ProjReadFile");
  EXPECT_EQ(Lines().size(), 1u);
  EXPECT_EQ(tk::test::TakeMessages(), std::vector<std::string>{question});
}

// Saving never drops data silently.  A drawing read in part differs from
// its file, so it counts as changed, and saving it onto that file (under
// any name) asks whether to drop the unread records; saving onto any other
// existing file asks whether to replace it.  A new file is just written.
TEST_F(FileGuiTest, SaveAsksBeforeReplacingAFileOrDroppingUnreadRecords) {
  const std::string partial = (dir_ / "partial.dat").string();
  const std::string text = "0\n0 0 0 4 0\n7\n0 4 0 4 3\n";
  std::ofstream(partial) << text;
  const std::string link = (dir_ / "link.dat").string();
  fs::create_symlink(partial, link);
  OpenThroughDialog(partial);
  ASSERT_EQ(Lines().size(), 1u);
  tk::test::TakeMessages();
  EXPECT_TRUE(shelltest::Hist().Changed());

  const auto save = [](const std::string& path, const std::string& answer) {
    tk::test::QueueAnswer({false, {path}});
    tk::test::QueueAnswer({false, {answer}});
    Fire("ProjSaveFile");
    EXPECT_EQ(tk::test::PendingAnswers(), 0u);
    return tk::test::TakeMessages();
  };
  const std::string dropQuestion =
      "Salvar arquivo|O desenho foi lido só em parte de \"" + fs::weakly_canonical(partial).string() +
      "\": a leitura parou no registro 2.\nSalvar sobre o arquivo descarta os registros que não "
      "foram lidos.\nDeseja salvar assim mesmo?";
  const auto contents = [](const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(save(partial, "Cancelar"), std::vector<std::string>{dropQuestion});
  EXPECT_EQ(contents(partial), text);
  EXPECT_TRUE(shelltest::Hist().Changed());

  EXPECT_EQ(save(link, "Salvar"), std::vector<std::string>{dropQuestion});
  EXPECT_EQ(contents(partial), "0\n0 0 0 4 0\n");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_FALSE(shelltest::Hist().Changed());

  // Now whole, the file is like any other that exists.
  const std::string replaceQuestion =
      "Salvar arquivo|O arquivo \"" + partial + "\" já existe.\nDeseja substituí-lo?";
  shelltest::NewLine(4, 0, 4, 3);
  EXPECT_EQ(save(partial, "Cancelar"), std::vector<std::string>{replaceQuestion});
  EXPECT_EQ(contents(partial), "0\n0 0 0 4 0\n");
  EXPECT_EQ(save(partial, "Substituir"), std::vector<std::string>{replaceQuestion});
  EXPECT_EQ(contents(partial), "0\n0 0 0 4 0\n0\n0 4 0 4 3\n");

  tk::test::QueueAnswer({false, {(dir_ / "fresh.dat").string()}});
  Fire("ProjSaveFile");
  EXPECT_TRUE(tk::test::TakeMessages().empty() && fs::exists(dir_ / "fresh.dat"));
}

// A DXF plan: its layers are offered with the visible ones checked; a
// cancelled choice or a bad plan leaves the drawing; the walls of the chosen
// layers are read, the message line says what was read, and "Salvar..."
// with a .dxf name writes those walls exactly.
TEST_F(FileGuiTest, ADxfPlanOpensOnTheChosenLayersAndSavesAsDxf) {
  OpenThroughDialog(kTwoRooms);
  const std::string house = std::string(BRISEL_EXAMPLES_DIR) + "/house.dxf";
  tk::test::QueueAnswer({false, {house}});
  tk::test::QueueAnswer({true, {}});
  Fire("ProjReadFile");
  EXPECT_EQ(Lines().size(), 8u);
  EXPECT_EQ(tk::test::TakeMessages(),
            std::vector<std::string>{"Camadas|Camadas do arquivo cujas linhas serão paredes:"});
  const std::string notDxf = (dir_ / "plan.dxf").string();
  std::ofstream(notDxf) << "0\n0 0 0 4 0\n";
  OpenThroughDialog(notDxf);
  EXPECT_EQ(Lines().size(), 8u);
  const auto messages = tk::test::TakeMessages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("não é um arquivo DXF"), std::string::npos) << messages[0];

  // The walls and the furniture, which is on a frozen layer: a circle of 63
  // walls and a closed polyline of 4.
  tk::test::QueueAnswer({false, {house}});
  tk::test::QueueAnswer({false, {"PAREDES", "MOBILIA (congelada)"}});
  Fire("ProjReadFile");
  for (int i = 0; i < 5; ++i) tk::LoopStep();
  EXPECT_EQ(Lines().size(), 85u);
  EXPECT_EQ(tk::GetAttribute(cmd::handles.datatopmsg, "TITLE"),
            "85 paredes, em metros; 6 entidades em camadas ocultas ou não escolhidas");
  EXPECT_EQ(ShownAt(2, 0), kBlack);  // the south wall

  const std::string saved = (dir_ / "saved.dxf").string();
  tk::test::QueueAnswer({false, {saved}});
  Fire("ProjSaveFile");
  DxfWalls back;
  std::string error;
  ASSERT_TRUE(ReadDxfFile(saved, {}, back, error)) << error;
  const std::vector<WallSegment> shown = WallSegmentsOf(shelltest::Entities());
  ASSERT_EQ(back.walls.size(), shown.size());
  EXPECT_TRUE(std::equal(shown.begin(), shown.end(), back.walls.begin()));
}

}  // namespace
