// DXF plans against files written by ezdxf (tests/model/dxf_fixtures.py)
// and the samples of examples/.
#include "model/dxf_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "model/drawing_file.h"
#include "tests/model/model_fixture.h"

namespace {

using Walls = std::vector<WallSegment>;

std::string Fixture(const std::string& name) {
  return std::string(BRISEL_DXF_FIXTURES) + "/" + name;
}
std::string Example(const std::string& name) {
  return std::string(BRISEL_EXAMPLES_DIR) + "/" + name;
}

// Bit for bit: -0 and 0 differ here.
bool SameBits(const Walls& a, const Walls& b) {
  return a.size() == b.size() &&
         std::memcmp(a.data(), b.data(), a.size() * sizeof(WallSegment)) == 0;
}

double Length(const WallSegment& w) { return std::hypot(w.x1 - w.x0, w.y1 - w.y0); }

class DxfFileTest : public ModelFileTest {
 protected:
  // The walls of the file on the given layers; the file must read.
  static DxfWalls Read(const std::string& path, const std::vector<std::string>& keep = {}) {
    DxfWalls walls;
    std::string error;
    EXPECT_TRUE(ReadDxfFile(path, keep, walls, error)) << path << ": " << error;
    return walls;
  }
  static std::string ErrorOf(const std::string& path, const std::vector<std::string>& keep = {}) {
    DxfWalls walls;
    std::string error;
    EXPECT_FALSE(ReadDxfFile(path, keep, walls, error)) << path;
    return error;
  }

  // The walls of a drawing file, in file order.
  static Walls DatWalls(const std::string& path) {
    ReadReport report;
    std::string error;
    EXPECT_TRUE(LoadDrawingFile(path, Settings().wallWidth, List(), report, error)) << error;
    return WallSegmentsOf(List());
  }
};

// The house sample draws house.dat's walls with polylines, a block placed
// twice, texts, a dimension and furniture on a frozen layer: it must give
// those walls exactly, in the same order, so the analysis cannot differ.
TEST_F(DxfFileTest, SamplesGiveTheirWallsInMetres) {
  DxfPlan house;
  std::string error;
  ASSERT_TRUE(house.Read(Example("house.dxf"), error)) << error;
  EXPECT_TRUE(house.Unit().given);
  EXPECT_EQ(house.Unit().name, "metros");
  DxfWalls walls;
  ASSERT_TRUE(house.Walls({}, walls, error)) << error;
  EXPECT_TRUE(SameBits(walls.walls, DatWalls(Example("house.dat"))));
  EXPECT_EQ(house.Summary(walls),
            "18 paredes, em metros; ignorados: 5 TEXT, 1 DIMENSION; 2 entidades em camadas ocultas "
            "ou não escolhidas");  // the furniture is on a frozen layer

  // Millimetres, a quarter-circle corner, and columns of 300 mm about the
  // corners of a 12 x 8 m shell.
  DxfPlan apartment;
  ASSERT_TRUE(apartment.Read(Example("apartment.dxf"), error)) << error;
  EXPECT_EQ(apartment.Unit().name, "milímetros");
  ASSERT_TRUE(apartment.Walls({}, walls, error)) << error;
  double xmin = 1e9, xmax = -1e9, ymin = 1e9, ymax = -1e9;
  for (const WallSegment& w : walls.walls) {
    xmin = std::min({xmin, w.x0, w.x1}), xmax = std::max({xmax, w.x0, w.x1});
    ymin = std::min({ymin, w.y0, w.y1}), ymax = std::max({ymax, w.y0, w.y1});
  }
  EXPECT_EQ(xmin, -0.15);
  EXPECT_EQ(xmax, 12.15);
  EXPECT_EQ(ymin, -0.15);
  EXPECT_EQ(ymax, 8.15);
  EXPECT_EQ(walls.SkippedSummary(), "5 TEXT, 2 HATCH, 1 MTEXT");
}

// kinds.dxf has each kind on a layer of its name: reading one layer at a
// time shows what each kind becomes.
TEST_F(DxfFileTest, EachKindAndTransformGivesItsWalls) {
  const std::string kinds = Fixture("kinds.dxf");
  DxfWalls line = Read(kinds, {"LINE"});  // not the one of no length, nor the paper-space one
  EXPECT_TRUE(SameBits(line.walls, {{0, 0, 4, 0}}));
  EXPECT_EQ(line.SkippedSummary(), "1 LINE");

  // An arc is cut into pieces of at most a tenth of its radius that start
  // and end exactly at its ends; a bulge of 1 is half a circle, drawn
  // counter-clockwise from (0, 0) to (2, 0), so below the chord.
  const Walls bulge = Read(kinds, {"BULGE"}).walls;
  ASSERT_EQ(bulge.size(), 33u);
  EXPECT_EQ(bulge.front().x0, 0);
  EXPECT_EQ(bulge.front().y0, 0);
  EXPECT_TRUE(SameBits({bulge.back()}, {{2, 0, 2, 3}}));
  for (size_t i = 0; i + 1 < bulge.size(); ++i) {
    EXPECT_LE(Length(bulge[i]), 0.1);
    EXPECT_NEAR(std::hypot(bulge[i].x1 - 1, bulge[i].y1), 1, 1e-15);
    EXPECT_LE(bulge[i].y1, 0);
    EXPECT_EQ(bulge[i].x1, bulge[i + 1].x0);
    EXPECT_EQ(bulge[i].y1, bulge[i + 1].y0);
  }

  EXPECT_TRUE(SameBits(Read(kinds, {"POLYLINE"}).walls,
                       {{0, 0, 1, 0}, {1, 0, 1, 1}, {1, 1, 0, 1}, {0, 1, 0, 0}}));

  // A quarter arc ends exactly on the axes; seen from below (extrusion
  // 0, 0, -1) the same arc is mirrored in x.
  const Walls arc = Read(kinds, {"ARC"}).walls;
  ASSERT_EQ(arc.size(), 16u);
  EXPECT_EQ(arc.front().x0, 2);
  EXPECT_EQ(arc.front().y0, 0);
  EXPECT_EQ(arc.back().x1, 0);
  EXPECT_EQ(arc.back().y1, 2);
  const Walls mirrored = Read(kinds, {"MIRRORED"}).walls;
  ASSERT_EQ(mirrored.size(), arc.size());
  for (size_t i = 0; i < arc.size(); ++i) {
    EXPECT_EQ(mirrored[i].x0, -arc[i].x0);
    EXPECT_EQ(mirrored[i].y1, arc[i].y1);
  }

  const Walls circle = Read(kinds, {"CIRCLE"}).walls;
  ASSERT_EQ(circle.size(), 63u);
  EXPECT_TRUE(circle.front().x0 == 11 && circle.back().x1 == 11 && circle.front().y0 == 10 &&
              circle.back().y1 == 10);

  // A unit segment in a block turned and doubled inside a block that is
  // moved to its base point, turned and stretched along its own x.
  EXPECT_TRUE(SameBits(Read(kinds, {"NESTED"}).walls, {{11, 0, 9, 0}}));
  EXPECT_TRUE(SameBits(Read(kinds, {"ARRAY"}).walls, {{0, 20, 1, 20},
                                                      {10, 20, 11, 20},
                                                      {0, 30, 1, 30},
                                                      {10, 30, 11, 30},
                                                      {0, 40, 1, 40},
                                                      {10, 40, 11, 40}}));

  // Kinds that make no wall are counted; a layer of nothing else has no wall.
  const std::string error = ErrorOf(kinds, {"OTHER"});
  EXPECT_NE(error.find("nenhuma parede"), std::string::npos) << error;
  EXPECT_NE(error.find(
                "ignorados: 2 TEXT, 1 DIMENSION, 1 ELLIPSE, 1 HATCH, 1 INSERT (bloco inexistente), "
                "1 INSERT (referência externa), 1 MTEXT, 1 POINT, 1 SPLINE"),
            std::string::npos)
      << error;

  // An R12 file: POLYLINE with VERTEX entities, closed by half a circle.
  const Walls old = Read(Fixture("r12.dxf")).walls;
  ASSERT_EQ(old.size(), 34u);
  EXPECT_TRUE(SameBits({old[0], old[1]}, {{0, 0, 2, 0}, {2, 0, 2, 2}}));
  EXPECT_EQ(old.back().x1, 0);
  EXPECT_EQ(old.back().y1, 0);
}

TEST_F(DxfFileTest, UnitsBecomeMetres) {
  struct Case {
    int code;
    const char* name;
    double x, y;
  };
  const Case cases[] = {{1, "polegadas", 25.4, 64.516}, {2, "pés", 304.8, 774.192},
                        {4, "milímetros", 1, 2.54},     {5, "centímetros", 10, 25.4},
                        {6, "metros", 1000, 2540},      {0, "metros", 1000, 2540}};
  for (const Case& c : cases) {
    DxfPlan plan;
    std::string error;
    ASSERT_TRUE(plan.Read(Fixture("units-" + std::to_string(c.code) + ".dxf"), error)) << error;
    EXPECT_EQ(plan.Unit().code, c.code);
    EXPECT_EQ(plan.Unit().given, c.code != 0);
    EXPECT_EQ(plan.Unit().name, c.name);
    DxfWalls walls;
    ASSERT_TRUE(plan.Walls({}, walls, error)) << error;
    EXPECT_TRUE(SameBits(walls.walls, {{c.x, c.y, 0, 0}})) << c.code;
    if (c.code == 0) {
      EXPECT_EQ(plan.Summary(walls), "1 parede; o arquivo não indica a unidade: lido em metros");
    }
  }
  DxfPlan old;  // R12 has no $INSUNITS at all
  std::string error;
  ASSERT_TRUE(old.Read(Fixture("r12.dxf"), error));
  EXPECT_FALSE(old.Unit().given);
}

// A block with a line on layer 0 (which takes the INSERT's layer) and one on
// layer OWN, inserted on SHOWN at y 0, on OFF at y 10 and on FROZEN at y 20;
// and a line on FROZEN.
TEST_F(DxfFileTest, LayersChooseWhatIsRead) {
  DxfPlan plan;
  std::string error;
  ASSERT_TRUE(plan.Read(Fixture("layers.dxf"), error)) << error;
  std::vector<std::string> hidden;
  for (const DxfLayer& layer : plan.Layers()) {
    if (!layer.Visible())
      hidden.push_back(layer.name + (layer.frozen ? " congelada" : " desligada"));
  }
  EXPECT_EQ(hidden, (std::vector<std::string>{"OFF desligada", "FROZEN congelada"}));

  // Every visible layer: an INSERT on a switched-off layer still shows what
  // is on other layers; one on a frozen layer shows nothing.
  DxfWalls walls;
  ASSERT_TRUE(plan.Walls({}, walls, error)) << error;
  EXPECT_TRUE(SameBits(walls.walls, {{0, 0, 1, 0}, {0, 1, 1, 1}, {0, 11, 1, 11}}));
  EXPECT_EQ(walls.hidden, 3);

  // A chosen layer is read even when frozen; names ignore case.
  ASSERT_TRUE(plan.Walls({"frozen"}, walls, error)) << error;
  EXPECT_TRUE(SameBits(walls.walls, {{0, 20, 1, 20}, {5, 5, 6, 6}}));
  ASSERT_TRUE(plan.Walls({"OWN"}, walls, error)) << error;
  EXPECT_TRUE(SameBits(walls.walls, {{0, 1, 1, 1}, {0, 11, 1, 11}}));

  EXPECT_FALSE(plan.Walls({"OWN", "PAREDES"}, walls, error));
  EXPECT_EQ(error, "o arquivo não tem a camada \"PAREDES\"");
}

// Every value survives a save and a read, and ezdxf reads the same numbers.
TEST_F(DxfFileTest, SavedWallsReadBackBitForBitHereAndElsewhere) {
  const Walls walls = {{0, 10, 4, 0},
                       {0.1, 1.0 / 3, -0.0, 1e-20},
                       {4100008.75, 123456789.123, -2.5e-7, 1e300},
                       {-2e-310, 0.30000000000000004, 7, 7.000000000000001}};
  const std::string path = PathOf("saved.dxf");
  std::string error;
  ASSERT_TRUE(WriteDxfFile(path, walls, error)) << error;
  const DxfWalls back = Read(path);
  EXPECT_TRUE(SameBits(back.walls, walls));
  EXPECT_TRUE(back.skipped.empty());

  const std::string command =
      std::string("/usr/bin/python3 ") + BRISEL_DXF_SCRIPT + " describe '" + path + "'";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char text[4096] = "";
  std::string seen;
  while (std::fgets(text, sizeof text, pipe)) seen += text;
  ASSERT_EQ(::pclose(pipe), 0) << seen;
  std::istringstream lines(seen);
  int units = 0;
  lines >> units;
  EXPECT_EQ(units, 6);
  Walls described;
  std::string layer, x0, y0, x1, y1;
  while (lines >> layer >> x0 >> y0 >> x1 >> y1) {
    EXPECT_EQ(layer, "BRISEL");
    described.push_back({std::strtod(x0.c_str(), nullptr), std::strtod(y0.c_str(), nullptr),
                         std::strtod(x1.c_str(), nullptr), std::strtod(y1.c_str(), nullptr)});
  }
  EXPECT_TRUE(SameBits(described, walls)) << seen;

  EXPECT_FALSE(WriteDxfFile(PathOf("no-folder/saved.dxf"), walls, error));
  EXPECT_FALSE(error.empty());
}

TEST_F(DxfFileTest, BadFilesAreRefusedSayingWhatAndWhere) {
  const std::string units = ReadText(Fixture("units-6.dxf"));
  auto replaced = [&units](const std::string& from, const std::string& to) {
    std::string text = units;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  // The LINE's first coordinate, and the lines of the file where the LINE
  // begins and where that coordinate's group code stands.
  const std::string x0 = "AcDbLine\n 10\n1000.0\n";
  const auto lineOfX0 = std::count(units.begin(), units.begin() + units.find(x0), '\n') + 2;
  const auto lineOfLine =
      std::count(units.begin(), units.begin() + units.find("\n  0\nLINE\n"), '\n') + 2;
  const struct {
    std::string path, expected;
  } cases[] = {
      {PathOf("absent.dxf"), "No such file"},
      {dir_.string(), "é uma pasta"},
      {WriteText("empty.dxf", ""), "não é um arquivo DXF: o arquivo está vazio"},
      {Example("house.dat"), "não é um arquivo DXF: não começa por uma seção"},
      {WriteText("garbage.dxf", "\x89PNG\r\n\x1a\n"),
       "não é um arquivo DXF: linha 1: em vez de um código de grupo "
       "(um número inteiro), o arquivo tem dados binários"},
      {Fixture("kinds-binary.dxf"), "DXF binário"},
      {WriteText("cut.dxf", units.substr(0, units.size() / 2)), "incompleto: termina na linha"},
      {WriteText("inf.dxf", replaced(x0, "AcDbLine\n 10\n1e999\n")),
       "linha " + std::to_string(lineOfLine) +
           ": LINE com uma coordenada que não é um número finito"},
      {WriteText("code.dxf", replaced(x0, "AcDbLine\n1O\n1000.0\n")),
       "linha " + std::to_string(lineOfX0) +
           ": em vez de um código de grupo (um número inteiro), "
           "o arquivo tem o texto \"1O\""},
      {Fixture("only-text.dxf"),
       "nenhuma parede: nas camadas lidas não há LINE, LWPOLYLINE, POLYLINE, "
       "ARC, CIRCLE nem INSERT que as forme; ignorados: 1 TEXT"},
      {Fixture("loop.dxf"), "o bloco \"LOOP\" insere a si mesmo"},
      {Fixture("deep.dxf"), "os blocos inserem-se uns nos outros vezes demais"},
  };
  for (const auto& c : cases) {
    const std::string error = ErrorOf(c.path);
    EXPECT_NE(error.find(c.expected), std::string::npos) << c.path << ": " << error;
  }
}

}  // namespace
