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
       {std::string(""), "--colour red " + room, "--cells 1 " + room, "--cells 1601 " + room, "--cells 12x " + room,
        "--wall-width 0 " + room, "--wall-width -0.2 " + room, "--tolerance nan " + room,
        "--tolerance -1 " + room, "--tolerance 0.1 " + room, "--scheme exact " + room,
        room + " --cells", "--dump '' " + room, "--wind west " + room,
        "--wind inf " + room, "--wind-speed 0 " + room, "--probe 1 " + room, "--probe 1,2,3 " + room,
        "--flux 1,2,3 " + room, "--zone 1,2,,4 " + room, "--probe 1,nan " + room,
        "--dump - " + room + " " + room, "--probe 1,1 " + room + " " + room,
        "--svg-dir /tmp " + room + " " + dir_ + "/./room.dat", "-j 0 " + room,
        "--dump-dir /tmp --dump - " + room}) {
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
  EXPECT_EQ(CountOf(svg, "<polygon"), 4);
  EXPECT_EQ(CountOf(svg, "<line"), 3 * 120);  // 60 arrows on each side
  EXPECT_GT(CountOf(svg, "<polyline"), 2);
  EXPECT_GE(CountOf(svg, "<circle"), CountOf(svg, "<polyline"));  // a dot at every seed
}

// The field's exports of one analysis agree: the VTK file read back by a
// real reader (meshio) holds the table's numbers, the probe prints the
// table's speed at a cell centre, the dump says its frame, and the PNG is
// the SVG picture with its colours.
TEST_F(ToolTest, ExportsOfTheFieldAgree) {
  const std::string csv = Path("f.csv"), vtk = Path("f.vtk"), png = Path("f.png"), svg = Path("f.svg");
  const std::string drawing = std::string(BRISEL_EXAMPLES_DIR) + "/two_rooms.dat";
  const ToolRun first = Tool("--wind 30 --wind-speed 3 --csv '" + csv + "' --vtk '" + vtk +
                             "' --colours --svg '" + svg + "' --png '" + png + "' --dump '" +
                             Path("f.dump") + "' " + drawing);
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(first.out.empty());
  EXPECT_NE(ReadFile(Path("f.dump")).find("\nwind 30 grid-to-drawing -0.49999999999999994 0.86602540378443871 "),
            std::string::npos);

  // The table's row of a fluid cell near the middle, as the probe reads it.
  const std::vector<std::string> rows = Lines(ReadFile(csv));
  ASSERT_EQ(rows.size(), 3601u);
  EXPECT_EQ(rows[0], "x,y,u,v,speed,solid");
  std::string probe;
  double speed = 0;
  for (size_t k = 1830; k < rows.size() && probe.empty(); ++k) {
    double x, y, u, v;
    int solid;
    ASSERT_EQ(std::sscanf(rows[k].c_str(), "%lf,%lf,%lf,%lf,%lf,%d", &x, &y, &u, &v, &speed, &solid), 6);
    char point[80];
    std::snprintf(point, sizeof point, "%.17g,%.17g", x, y);
    if (!solid) probe = point;
  }
  const ToolRun read = Tool("--wind 30 --wind-speed 3 --probe " + probe + " " + drawing);
  ASSERT_EQ(read.status, 0) << read.err;
  char expected[64];
  std::snprintf(expected, sizeof expected, ": Velocidade %.3f m/s (%.1f %% do vento)", speed, speed / 3 * 100);
  EXPECT_NE(read.out.find(expected), std::string::npos) << read.out << " / " << expected;

  const std::string script =
      "import sys, meshio, numpy\n"
      "m = meshio.read(sys.argv[1])\n"
      "rows = numpy.loadtxt(sys.argv[2], delimiter=',', skiprows=1)\n"
      "d = {k: numpy.concatenate(v).reshape(len(rows), -1).squeeze() for k, v in m.cell_data.items()}\n"
      "corners = m.points[m.cells[0].data].mean(axis=1)\n"
      "print(len(m.points), len(rows), abs(d['velocity'][:, :2] - rows[:, 2:4]).max(),\n"
      "      abs(d['speed'] - rows[:, 4]).max(), int((d['solid'] != rows[:, 5]).sum()),\n"
      "      abs(corners[:, :2] - rows[:, :2]).max())\n";
  std::ofstream(Path("read.py")) << script;
  const std::string command = "/usr/bin/python3 '" + Path("read.py") + "' '" + vtk + "' '" + csv + "' > '" +
                              Path("read.out") + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << ReadFile(Path("read.out"));
  int points = 0, cells = 0, solidDiffers = -1;
  double velocity = 1, speedDiff = 1, centres = 1;
  ASSERT_EQ(std::sscanf(ReadFile(Path("read.out")).c_str(), "%d %d %lf %lf %d %lf", &points, &cells,
                        &velocity, &speedDiff, &solidDiffers, &centres),
            6)
      << ReadFile(Path("read.out"));
  EXPECT_EQ(points, 61 * 61);
  EXPECT_EQ(cells, 3600);
  EXPECT_LE(velocity, 1e-15 * 3 * 100);
  EXPECT_LE(speedDiff, 1e-15 * 3 * 100);
  EXPECT_EQ(solidDiffers, 0);
  EXPECT_LE(centres, 1e-12);  // the cells' corners surround the table's centres

  const std::string picture = ReadFile(svg);
  EXPECT_EQ(CountOf(picture, "<image "), 1);
  EXPECT_EQ(CountOf(picture, " m/s "), 5);  // the legend's marks
  const std::string image = ReadFile(png);
  ASSERT_GT(image.size(), 24u);
  EXPECT_EQ(image.substr(1, 3), "PNG");
  const auto word = [&](size_t at) {
    return (unsigned char)image[at] << 24 | (unsigned char)image[at + 1] << 16 |
           (unsigned char)image[at + 2] << 8 | (unsigned char)image[at + 3];
  };
  EXPECT_EQ(word(16), 1000u);  // IHDR width: the SVG's
}

// Read-outs asked for on the command line are printed in the order given,
// in the window's words; the flow across the whole grid is the wind's.
TEST_F(ToolTest, ReadOutsArePrintedInOrder) {
  const ToolRun run = Tool("--wind-speed 2 --zone 40,40,41,41 --probe 3,2 --flux 3,-5,3,10 --probe 50,50 " +
                           WriteDrawing("room.dat", kRoom));
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_EQ(lines.size(), 4u) << run.out;
  EXPECT_EQ(lines[0], "zona 40,40,41,41: Zona sem escoamento (só paredes ou fora da grade)");
  EXPECT_EQ(lines[1].rfind("sonda 3,2: Velocidade ", 0), 0u) << lines[1];
  // The room is 4 × 3: the grid's height is 1.35 × 3 and the wind 2 m/s.
  EXPECT_EQ(lines[2].rfind("linha 3,-5,3,10: Vazão +8.1000 m³/s por metro de altura; velocidade média ", 0), 0u)
      << lines[2];
  EXPECT_EQ(lines[3], "sonda 50,50: Sem escoamento aqui (parede ou fora da grade)");
}

// Several drawings side by side, two at a time: each one's outputs, named
// after it in the folders given, are bit for bit those it gives alone; one
// that fails says so in one line and makes the exit status 1, while the
// others are still written.
TEST_F(ToolTest, SeveralDrawingsAtOnceGiveWhatEachGivesAlone) {
  const std::vector<std::string> samples = {"corridor", "house", "l_block", "single_room",
                                            "two_rooms"};
  ASSERT_EQ(std::system(("mkdir '" + Path("dumps") + "' '" + Path("svgs") + "'").c_str()), 0);
  std::string drawings = "'" + WriteDrawing("flat.dat", "0\n0 0 1 5 1\n") + "'";
  for (const std::string& name : samples)
    drawings += std::string(" ") + BRISEL_EXAMPLES_DIR + "/" + name + ".dat";
  const ToolRun together = Tool("-j 2 --cells 45 --dump-dir '" + Path("dumps") + "' --svg-dir '" +
                                Path("svgs") + "' " + drawings);
  EXPECT_EQ(together.status, 1);
  ASSERT_EQ(Lines(together.err).size(), 1u) << together.err;
  EXPECT_NE(together.err.find("flat.dat: o desenho precisa ter largura e altura"),
            std::string::npos);
  EXPECT_NE(access(Path("dumps/flat.dump").c_str(), F_OK), 0);
  for (const std::string& name : samples) {
    const ToolRun alone = Tool("--cells 45 --dump - --svg '" + Path("alone.svg") + "' " +
                               BRISEL_EXAMPLES_DIR + "/" + name + ".dat");
    ASSERT_EQ(alone.status, 0) << name;
    EXPECT_TRUE(ReadFile(Path("dumps/" + name + ".dump")) == alone.out) << name;
    EXPECT_TRUE(ReadFile(Path("svgs/" + name + ".svg")) == ReadFile(Path("alone.svg"))) << name;
  }
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

// The house plan drawn as DXF gives exactly the walls of house.dat, so the
// same analysis to the last bit; layers choose what is read.
TEST_F(ToolTest, ADxfPlanIsAnalysedLikeItsDrawingFile) {
  const std::string house = std::string(BRISEL_EXAMPLES_DIR) + "/house.dxf";
  ToolRun run = Tool("--scheme literal --dump - " + house);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.out == ReadFile(std::string(BRISEL_GOLDEN_DIR) + "/house.dump"));
  EXPECT_EQ(run.err, "brisel-flow: " + house +
                         ": 18 paredes, em metros; ignorados: 5 TEXT, 1 DIMENSION; 2 entidades em "
                         "camadas ocultas ou não escolhidas\n");

  run = Tool("--layers textos " + house);
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("nenhuma parede"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("ignorados: 5 TEXT"), std::string::npos) << run.err;
  EXPECT_EQ(Tool("--layers PAREDES, " + house).status, 2);
  EXPECT_EQ(Tool("--layers PAREDES " + std::string(BRISEL_EXAMPLES_DIR) + "/house.dat").status, 2);
}

}  // namespace
