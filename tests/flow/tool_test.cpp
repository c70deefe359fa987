// The batch tool run as a user would: arguments, exit status, messages and
// the dump format, and the dumps of the sample drawings against the kept ones.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
  int status = -1;
  std::string out, err;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/brisel-flow-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string WriteDrawing(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name)) << text;
    return Path(name);
  }

  ToolRun Tool(const std::string& arguments) const {
    const std::string command = std::string("'") + BRISEL_FLOW_TOOL + "' " + arguments + " >'" +
                                Path("out") + "' 2>'" + Path("err") + "'";
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(Path("out"));
    run.err = ReadFile(Path("err"));
    return run;
  }

  std::string dir_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

int CountOf(const std::string& text, const std::string& word) {
  int n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

const char kRoom[] = "0\n0 0 0 4 0\n0\n0 4 0 4 3\n0\n0 4 3 0 3\n0\n0 0 3 0 2\n";

TEST_F(ToolTest, BadArgumentsPrintTheUsageAndExitTwo) {
  const std::string room = WriteDrawing("room.dat", kRoom);
  for (const std::string& args :
       {std::string(""), "--colour red " + room, "--cells 1 " + room, "--cells 12x " + room,
        "--wall-width 0 " + room, "--wall-width -0.2 " + room, "--tolerance nan " + room,
        "--tolerance -1 " + room, "--tolerance 0.1 " + room, "--scheme exact " + room,
        room + " --cells", room + " " + room, "--dump '' " + room}) {
    const ToolRun run = Tool(args);
    EXPECT_EQ(run.status, 2) << args;
    EXPECT_NE(run.err.find("uso: brisel-flow"), std::string::npos) << args;
    EXPECT_TRUE(run.out.empty()) << args;
  }
}

// A drawing that cannot be read whole, or not analysed, ends with one line
// saying why, exit status 1 and nothing written: an analysis of the part
// before a bad record would pass for a result of the whole drawing.
TEST_F(ToolTest, UnusableDrawingsFailWithOneLineAndWriteNothing) {
  const struct {
    std::string drawing, message, options = "";
  } cases[] = {
      {Path("missing.dat"), "No such file"},
      {dir_, "é uma pasta"},
      {WriteDrawing("empty.dat", ""), "nada a analisar"},
      {WriteDrawing("flat.dat", "0\n0 0 1 5 1\n"), "largura e altura"},
      {WriteDrawing("huge.dat", "0\n0 0 0 1e152 1e152\n"), "grandes demais"},
      {WriteDrawing("tiny.dat", "0\n0 0 0 1e-120 1e-120\n"), "pequeno demais"},
      {WriteDrawing("far.dat", "0\n0 1e17 0 100000000000000064 1\n"), "longe demais"},
      {WriteDrawing("partial.dat", std::string(kRoom) + "7\n0 1 1 2 2\n"),
       "a leitura parou no registro 5: tipo de figura desconhecido (7); linhas lidas: 4; nada foi "
       "analisado"},
      {WriteDrawing("noted.dat", std::string(kRoom) + "fim\n"), "registro 5"},
      // Walls so wide that the picture's coordinates are not finite.
      {Path("room.dat"), "não são finitos", "--wall-width 1e308"},
  };
  WriteDrawing("room.dat", kRoom);
  for (const auto& c : cases) {
    const ToolRun run =
        Tool(c.options + " --dump - --svg '" + Path("out.svg") + "' '" + c.drawing + "'");
    EXPECT_EQ(run.status, 1) << c.drawing;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u) << run.err;
    EXPECT_TRUE(run.out.empty());
    EXPECT_NE(access(Path("out.svg").c_str(), F_OK), 0);
  }
}

TEST_F(ToolTest, PictureShowsWallsStreamlinesAndArrows) {
  const ToolRun run = Tool("--svg '" + Path("room.svg") + "' " + WriteDrawing("room.dat", kRoom));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string svg = ReadFile(Path("room.svg"));
  EXPECT_EQ(svg.rfind("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1000\"", 0), 0u);
  EXPECT_EQ(CountOf(svg, "<polygon"), 4);
  EXPECT_EQ(CountOf(svg, "<line"), 3 * 120);  // 60 arrows on each side
  EXPECT_GT(CountOf(svg, "<polyline"), 2);
  EXPECT_GE(CountOf(svg, "<circle"), CountOf(svg, "<polyline"));  // a dot at every seed
}

// Kept dumps of the sample drawings made with the literal scheme, checked by
// looking at their pictures: any change to its arithmetic shows up here.
TEST_F(ToolTest, SampleDumpsMatchTheKeptOnes) {
  for (const char* name : {"corridor", "house", "l_block", "single_room", "two_rooms"}) {
    const std::string golden = ReadFile(std::string(BRISEL_GOLDEN_DIR) + "/" + name + ".dump");
    ASSERT_FALSE(golden.empty()) << name;
    const ToolRun run =
        Tool(std::string("--scheme literal --dump - ") + BRISEL_EXAMPLES_DIR + "/" + name + ".dat");
    EXPECT_EQ(run.status, 0) << name;
    EXPECT_TRUE(run.out == golden) << name << ": the dump differs from the kept one";
  }
}

}  // namespace
