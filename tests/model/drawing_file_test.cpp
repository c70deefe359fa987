#include "model/drawing_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/model/model_fixture.h"

namespace fs = std::filesystem;

namespace {

class DrawingFileTest : public ModelFileTest {
 protected:
  // Loads `text` and returns the report; the file must open.
  ReadReport Load(const std::string& text) {
    ReadReport report;
    std::string error;
    EXPECT_TRUE(LoadDrawingFile(WriteText("in.dat", text), Settings().wallWidth, List(), report, error)) << error;
    return report;
  }

  static std::vector<std::vector<double>> Lines() {
    std::vector<std::vector<double>> lines;
    for (Entity* e : Order()) {
      auto* line = static_cast<LineEntity*>(e);
      lines.push_back({double(line->color), line->x0, line->y0, line->x1, line->y1});
    }
    return lines;
  }
};

// Every real is written with just enough digits to read back as the same
// double, so a save and an open move nothing.
TEST_F(DrawingFileTest, SaveAndOpenKeepOrderAndExactValuesAndSelectNothing) {
  NewLine(0, 10, 4, 0);
  auto* second = NewLine(4, 0, 4, 3.5, 255);
  auto* third = NewLine(4100008.75, 512345.67, -0.000012345678, 0.1);
  NewLine(1.0 / 3, 1e300, -2e-310, 1234567);
  second->selected = third->selected = 1;
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(PathOf("plan.dat"), List(), error)) << error;
  EXPECT_EQ(ReadText(PathOf("plan.dat")),
            "0\n0 0 10 4 0\n0\n255 4 0 4 3.5\n0\n0 4100008.75 512345.67 -1.2345678e-05 0.1\n"
            "0\n0 0.3333333333333333 1e+300 -2e-310 1234567\n");

  const std::vector<std::vector<double>> saved = Lines();
  List().deleteAll();
  ReadReport report = Load(ReadText(PathOf("plan.dat")));
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.linesRead, 4);
  EXPECT_EQ(Lines(), saved);
  for (Entity* e : Order()) EXPECT_FALSE(e->selected);
}

TEST_F(DrawingFileTest, RecordsMayBeSplitOverLinesWithAnyBlanks) {
  Load("0 0\t0 0\n4 0\n\n  0\n 0 4\n0 4 3.5");
  EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 4, 0, 4, 3.5}, {0, 0, 0, 4, 0}}));
}

// Only blanks may follow the last complete record.  Anything else, an
// unknown kind, a truncated record or a value that is not finite stops the
// reading where it stands, keeping the records before it, and says what was
// found; a comment or an extra word must not silently drop later walls.
TEST_F(DrawingFileTest, AnythingButBlanksAfterARecordStopsReadingAndSaysWhat) {
  const std::string wall = "0\n0 0 0 4 0\n";
  const std::string later = "0\n0 1 1 2 2\n0\n0 5 5 6 6\n";
  struct Case {
    std::string text;
    int record, lines;
    std::string reason;
  };
  const Case cases[] = {
      {wall + "# two more walls\n" + later, 2, 1, "o texto \"#\""},
      {"0\n0 0 0 4 0 east\n" + later, 2, 1, "o texto \"east\""},
      {"0\n0 0 0 4 0 7\n" + later, 2, 1, "desconhecido (7)"},
      {"0\n0.5 0 0 4 0\n", 1, 0, "cor (um número inteiro), o arquivo tem o texto \"0.5\""},
      {"0\n0 0 0 4,5 0\n", 1, 0, "coordenada, o arquivo tem o texto \"4,5\""},
      {"\xEF\xBB\xBF" + wall, 1, 0, "(BOM)"},
      {std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + wall, 1, 0, "dados binários"},
      {wall + "ponto-e-vírgula-" + std::string(40, 'x'), 2, 1, "\"ponto-e-vírgula-xxxxxxx...\""},
      {"1\n0 0 0 4 0\n", 1, 0, "tipo de figura desconhecido (1)"},
      {wall + "99999999999999999999\n" + later, 2, 1, "desconhecido (99999999999999999999)"},
      {wall + "0\n0 4 0 4", 2, 1, ""},  // truncated
      {wall + "0\n0 1 nan 2 2\n" + later, 2, 1, ""},
      {wall + "0\n0 1 inf 2 2\n" + later, 2, 1, ""},
      {wall + "0\n0 1 2 -inf 2\n" + later, 2, 1, ""},
      {wall + "0\n0 1 2 2 1e999\n" + later, 2, 1, ""},
      // A NUL byte ends no word: "1<NUL>5" and "0<NUL>" are not numbers.
      {wall + std::string("0\n0 1\0" "5 1 2 2\n", 14) + later, 2, 1, "coordenada, o arquivo tem dados binários"},
      {wall + std::string("0\0\n0 1 1 2 2\n", 13), 2, 1, "tipo de figura (um número inteiro), o arquivo tem dados binários"},
  };
  for (const Case& c : cases) {
    const ReadReport report = Load(c.text);
    EXPECT_FALSE(report.complete) << c.text;
    EXPECT_EQ(report.stopRecord, c.record) << c.text;
    EXPECT_EQ(report.linesRead, c.lines) << c.text;
    EXPECT_EQ(Order().size(), size_t(c.lines)) << c.text;
    EXPECT_NE(report.reason.find(c.reason), std::string::npos) << report.reason;
  }

  const ReadReport report = Load(wall + " \r\n\t\n\n");
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.linesRead, 1);
}

// A pipe nobody writes to would block an open for reading: it is refused at
// once, as is a device, and the drawing stays.  The alarm ends the test if
// it blocks.  (A missing file and a folder: see the window's and the batch
// tool's tests.)
TEST_F(DrawingFileTest, APipeOrADeviceIsRefusedAtOnce) {
  NewLine(0, 0, 1, 1);
  ReadReport report;
  std::string error;
  ASSERT_EQ(::mkfifo(PathOf("pipe.dat").c_str(), 0600), 0);
  ::alarm(10);
  for (const std::string& path : {PathOf("pipe.dat"), std::string("/dev/null")}) {
    error.clear();
    EXPECT_FALSE(LoadDrawingFile(path, Settings().wallWidth, List(), report, error)) << path;
    EXPECT_EQ(error, "não é um arquivo comum") << path;
  }
  ::alarm(0);
  EXPECT_EQ(Order().size(), 1u);
}

TEST_F(DrawingFileTest, AFailedSaveReportsAndLeavesNoTrace) {
  NewLine(0, 0, 4, 0);
  std::string error;
  EXPECT_FALSE(SaveDrawingFile(PathOf("missing/plan.dat"), List(), error));
  EXPECT_FALSE(error.empty());

  // A target that cannot be replaced: the temporary file must not stay.
  fs::create_directories(dir_ / "taken.dat" / "inner");
  error.clear();
  EXPECT_FALSE(SaveDrawingFile(PathOf("taken.dat"), List(), error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.dat" / "inner"));
  const auto entries = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
  EXPECT_EQ(entries, 1);  // only the directory itself
}

TEST_F(DrawingFileTest, SavingOverAFileReplacesItAndKeepsItsPermissions) {
  const std::string target = WriteText("plan.dat", "old contents\n");
  ::chmod(target.c_str(), 0640);
  NewLine(0, 0, 4, 0);
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(target, List(), error)) << error;
  EXPECT_EQ(ReadText(target), "0\n0 0 0 4 0\n");
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// Saving onto a symbolic link writes the file it names and keeps the link,
// through chains of links and links that name a file not yet there.
TEST_F(DrawingFileTest, SavingOntoALinkWritesItsTargetAndKeepsTheLink) {
  fs::create_directories(dir_ / "plans");
  const std::string target = WriteText("plans/plan.dat", "old contents\n");
  fs::create_symlink("plans/plan.dat", dir_ / "link.dat");
  fs::create_symlink(dir_ / "link.dat", dir_ / "chain.dat");
  fs::create_symlink("new.dat", dir_ / "plans" / "dangling.dat");
  NewLine(0, 0, 4, 0);
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(PathOf("chain.dat"), List(), error)) << error;
  ASSERT_TRUE(SaveDrawingFile(PathOf("plans/dangling.dat"), List(), error)) << error;
  for (const char* link : {"link.dat", "chain.dat", "plans/dangling.dat"})
    EXPECT_TRUE(fs::is_symlink(dir_ / link)) << link;
  EXPECT_EQ(ReadText(target), "0\n0 0 0 4 0\n");
  EXPECT_EQ(ReadText(PathOf("plans/new.dat")), "0\n0 0 0 4 0\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_ / "plans"), fs::directory_iterator()), 3);

  fs::create_symlink("loop.dat", dir_ / "loop.dat");
  EXPECT_FALSE(SaveDrawingFile(PathOf("loop.dat"), List(), error));
  EXPECT_TRUE(fs::is_symlink(dir_ / "loop.dat"));
}

TEST_F(DrawingFileTest, LongPathsWork) {
  fs::path deep = dir_;
  for (int i = 0; i < 8; ++i) deep /= std::string(40, 'a' + i);
  fs::create_directories(deep);
  const std::string target = (deep / "a_plan_with_a_rather_long_name.dat").string();
  ASSERT_GT(target.size(), 300u);
  NewLine(0, 0, 4, 0);
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(target, List(), error)) << error;
  ReadReport report;
  List().deleteAll();
  ASSERT_TRUE(LoadDrawingFile(target, Settings().wallWidth, List(), report, error));
  EXPECT_EQ(report.linesRead, 1);
}

}  // namespace
