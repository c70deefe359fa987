#include "model/drawing_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/model/model_fixture.h"

namespace fs = std::filesystem;

namespace {

class DrawingFileTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    dir_ = fs::temp_directory_path() / ("brisel-file-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    ModelTest::TearDown();
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::string WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(PathOf(name)) << text;
    return PathOf(name);
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  // Loads `text` and returns the report; the file must open.
  ReadReport Load(const std::string& text) {
    ReadReport report;
    std::string error;
    EXPECT_TRUE(LoadDrawingFile(WriteText("in.dat", text), report, error)) << error;
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

  fs::path dir_;
};

TEST_F(DrawingFileTest, SaveAndOpenKeepOrderAndSixDigitsAndSelectNothing) {
  new LineEntity(0, 0, 4, 0);
  auto* second = new LineEntity(4, 0, 4, 3.5, 255);
  auto* third = new LineEntity(1.23456789, 1234567, -0.000012345678, 2);
  second->selected = third->selected = 1;
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(PathOf("plan.dat"), error)) << error;
  EXPECT_EQ(ReadText(PathOf("plan.dat")),
            "0\n0 0 0 4 0\n0\n255 4 0 4 3.5\n0\n0 1.23457 1.23457e+06 -1.23457e-05 2\n");

  deleteAll();
  ReadReport report = Load(ReadText(PathOf("plan.dat")));
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.linesRead, 3);
  EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 1.23457, 1.23457e+06, -1.23457e-05, 2},
                                                        {255, 4, 0, 4, 3.5},
                                                        {0, 0, 0, 4, 0}}));
  for (Entity* e : Order()) EXPECT_FALSE(e->selected);
}

TEST_F(DrawingFileTest, EmptyDrawingGivesAnEmptyFileAndBack) {
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(PathOf("empty.dat"), error));
  EXPECT_EQ(ReadText(PathOf("empty.dat")), "");
  new LineEntity(0, 0, 1, 1);
  EXPECT_TRUE(Load("").complete);
  EXPECT_EQ(EntityList, nullptr);
}

TEST_F(DrawingFileTest, RecordsMayBeSplitOverLinesWithAnyBlanks) {
  Load("0 0\t0 0\n4 0\n\n  0\n 0 4\n0 4 3.5");
  EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 4, 0, 4, 3.5}, {0, 0, 0, 4, 0}}));
}

TEST_F(DrawingFileTest, ReadingStopsAtAnUnknownKindAndSaysWhere) {
  ReadReport report = Load("1\n0 0 0 4 0\n");
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.stopRecord, 1);
  EXPECT_EQ(report.linesRead, 0);
  EXPECT_EQ(EntityList, nullptr);

  report = Load("0\n0 0 0 4 0\n7\n0 1 1 2 2\n0\n0 5 5 6 6\n");
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.stopRecord, 2);
  EXPECT_EQ(report.linesRead, 1);
  EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 0, 0, 4, 0}}));
  EXPECT_FALSE(report.reason.empty());
}

TEST_F(DrawingFileTest, TextWhereAKindIsExpectedEndsReadingNormally) {
  ReadReport report = Load("0\n0 0 0 4 0\nend\n");
  EXPECT_TRUE(report.complete);
  EXPECT_EQ(report.linesRead, 1);
}

TEST_F(DrawingFileTest, TruncatedOrNonFiniteDataAddsNoLine) {
  ReadReport report = Load("0\n0 0 0 4 0\n0\n0 4 0 4");
  EXPECT_FALSE(report.complete);
  EXPECT_EQ(report.stopRecord, 2);
  EXPECT_EQ(report.linesRead, 1);
  EXPECT_EQ(Order().size(), 1u);

  for (const char* bad : {"nan", "inf", "-inf", "1e999"}) {
    report = Load(std::string("0\n0 0 0 4 0\n0\n0 1 ") + bad + " 2 2\n0\n0 5 5 6 6\n");
    EXPECT_FALSE(report.complete) << bad;
    EXPECT_EQ(report.stopRecord, 2) << bad;
    EXPECT_EQ(Lines(), (std::vector<std::vector<double>>{{0, 0, 0, 4, 0}})) << bad;
  }
}

TEST_F(DrawingFileTest, AFileThatCannotBeOpenedLeavesTheDrawingAlone) {
  new LineEntity(0, 0, 1, 1);
  ReadReport report;
  std::string error;
  EXPECT_FALSE(LoadDrawingFile(PathOf("absent.dat"), report, error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Order().size(), 1u);
}

TEST_F(DrawingFileTest, AFailedSaveReportsAndLeavesNoTrace) {
  new LineEntity(0, 0, 4, 0);
  std::string error;
  EXPECT_FALSE(SaveDrawingFile(PathOf("missing/plan.dat"), error));
  EXPECT_FALSE(error.empty());

  // A target that cannot be replaced: the temporary file must not stay.
  fs::create_directories(dir_ / "taken.dat" / "inner");
  error.clear();
  EXPECT_FALSE(SaveDrawingFile(PathOf("taken.dat"), error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(fs::is_directory(dir_ / "taken.dat" / "inner"));
  const auto entries = std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
  EXPECT_EQ(entries, 1);  // only the directory itself
}

TEST_F(DrawingFileTest, SavingOverAFileReplacesItAndKeepsItsPermissions) {
  const std::string target = WriteText("plan.dat", "old contents\n");
  ::chmod(target.c_str(), 0640);
  new LineEntity(0, 0, 4, 0);
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(target, error)) << error;
  EXPECT_EQ(ReadText(target), "0\n0 0 0 4 0\n");
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(DrawingFileTest, LongPathsWork) {
  fs::path deep = dir_;
  for (int i = 0; i < 8; ++i) deep /= std::string(40, 'a' + i);
  fs::create_directories(deep);
  const std::string target = (deep / "a_plan_with_a_rather_long_name.dat").string();
  ASSERT_GT(target.size(), 300u);
  new LineEntity(0, 0, 4, 0);
  std::string error;
  ASSERT_TRUE(SaveDrawingFile(target, error)) << error;
  ReadReport report;
  deleteAll();
  ASSERT_TRUE(LoadDrawingFile(target, report, error));
  EXPECT_EQ(report.linesRead, 1);
}

}  // namespace
