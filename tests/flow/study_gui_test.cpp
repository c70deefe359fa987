// The ventilation study in the real main window: the wind fields, the
// colour map and its legend on the canvas, the probe, "Medir" and the
// exports.
#include <GL/gl.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "flow/colour_map.h"
#include "flow/field.h"
#include "flow/png_image.h"
#include "model/drawing_file.h"
#include "shell/commands.h"
#include "shell/measure_mode.h"
#include "shell/modes.h"
#include "shell/startup.h"
#include "tests/flow/main_window_fixture.h"
#include "tests/shell/workspace_access.h"
#include "toolkit/toolkit.h"
#include "view/pick.h"
#include "view/redraw.h"
#include "view/view.h"

namespace {

class StudyGuiTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    SetField("windtext", "270");
    SetField("windspeedtext", "1");
    Click("show_lines");
    cmd::ResetToSelect();
  }

  static shell::Workspace& Ws() { return shelltest::Ws(); }

  static void Mouse(const char* callback, double x, double y, int button = 0, int pressed = 0,
                    const std::string& status = "      ") {
    shelltest::Mouse(Canvas(), callback, x, y, button, pressed, status);
  }
  static void Drag(double x0, double y0, double x1, double y1, const std::string& status = "      ") {
    Mouse("MOTION_CB", x0, y0, 0, 0, status);
    Mouse("BUTTON_CB", x0, y0, '1', 1, status);
    Mouse("MOTION_CB", x1, y1, 0, 0, status);
    Mouse("BUTTON_CB", x1, y1, '1', 0, status);
  }

  static std::string Title(tk::Element* e) { return tk::GetAttribute(e, "TITLE"); }

  // The world point the pick service takes for a point: that of its pixel.
  static PickPoint Picked(double x, double y) {
    tk::GLMakeCurrent(Canvas());
    int px = 0, py = 0;
    WorldToPixel(x, y, px, py);
    PickPoint p;
    PixelToWorld(px, py, p.x, p.y);
    return p;
  }

  // The screen's colour at a world point.
  static Rgb Shown(const std::vector<Rgb>& topFirst, int width, double x, double y) {
    tk::GLMakeCurrent(Canvas());
    int px = 0, py = 0, h = 0;
    WorldToPixel(x, y, px, py);
    ReadDrawSize(Canvas(), nullptr, &h);
    return topFirst[static_cast<size_t>(h - 1 - py) * width + px];
  }
  static int Distance(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
  }
  static bool IsRed(Rgb c) { return c.r > 200 && c.g < 80 && c.b < 80; }
};

// "Cores" shows the speed of the flow under the walls as the colour map
// says, with the legend in the lower right corner and no streamlines;
// "Ambos" adds the streamlines over it; "Linhas" brings back today's
// picture, however the kept drawing layer was made.  The screenshot is
// kept in the build folder.
TEST_F(StudyGuiTest, TheColourMapShowsTheSpeedsUnderTheWalls) {
  Open("single_room.dat");
  std::vector<Rgb> before;
  int width = 0, height = 0;
  Calcular();
  ASSERT_TRUE(ReadCanvasPicture(Canvas(), before, width, height));
  Click("show_colours");
  std::vector<Rgb> colours;
  ASSERT_TRUE(ReadCanvasPicture(Canvas(), colours, width, height));
  std::string error;
  EXPECT_TRUE(WritePngFile("study_colour_map.png", colours, width, height, error)) << error;

  const AnalysisResult& r = Ws().result;
  const double top = ColourScaleTop(r.grid);
  int checked = 0, red = 0;
  for (double x = 0.4; x < 5.7; x += 0.5) {
    for (double y = 0.4; y < 3.7; y += 0.45) {
      const FieldSample p = SampleField(r, x, y);
      if (!p.fluid) continue;
      ++checked;
      EXPECT_LE(Distance(Shown(colours, width, x, y), ViridisColour(p.speed / r.windSpeed * r.grid.inflowSpeed / top)), 30)
          << x << " " << y;
      red += IsRed(Shown(colours, width, x, y));
    }
  }
  EXPECT_GT(checked, 50);
  EXPECT_EQ(red, 0);  // no streamlines
  EXPECT_EQ(Distance(Shown(colours, width, 3, 0), Rgb{0, 0, 0}), 0);  // the south wall over the colours
  // The legend: its box is white and its bar runs from the map's bottom
  // colour to its top, in the lower right corner.
  const auto at = [&](int px, int py) { return colours[static_cast<size_t>(height - 1 - py) * width + px]; };
  int viridisLow = 0, viridisHigh = 0;
  for (int px = width - 150; px < width - 10; ++px) {
    for (int py = 10; py < 200; ++py) {
      viridisLow += Distance(at(px, py), ViridisColour(0.02)) < 12;
      viridisHigh += Distance(at(px, py), ViridisColour(0.98)) < 12;
    }
  }
  EXPECT_GT(viridisLow, 10);
  EXPECT_GT(viridisHigh, 10);

  Click("show_both");
  std::vector<Rgb> both;
  ASSERT_TRUE(ReadCanvasPicture(Canvas(), both, width, height));
  const Streamline& line = r.streamlines[r.streamlines.size() / 2];
  const StreamPoint& p = line.points[line.points.size() / 2];
  EXPECT_TRUE(IsRed(Shown(both, width, p.x, p.y)));

  Click("show_lines");
  std::vector<Rgb> after;
  ASSERT_TRUE(ReadCanvasPicture(Canvas(), after, width, height));
  size_t differing = 0;
  for (size_t k = 0; k < after.size(); ++k) differing += Distance(after[k], before[k]) != 0;
  EXPECT_EQ(differing, 0u);
}

// The wind's fields take only directions and speeds, and say so when a
// value is put back; a new direction drops the flow shown, whose next
// "Calcular" comes along the new wind, and a new
// speed scales what the probe reads under the cursor.
TEST_F(StudyGuiTest, TheWindFieldsAndTheProbe) {
  Open("single_room.dat");
  Calcular();
  ASSERT_EQ(shelltest::Grid().cellCount, 3600);
  const PickPoint p = Picked(3, 2);
  Mouse("MOTION_CB", 3, 2);
  const std::string probe = Title(cmd::handles.probetext);
  EXPECT_EQ(probe, ProbeText(SampleField(Ws().result, p.x, p.y)));
  ASSERT_EQ(probe.rfind("Velocidade ", 0), 0u) << probe;

  SetField("windspeedtext", "2.5");
  EXPECT_EQ(Ws().result.windSpeed, 2.5);
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);  // the same flow, read at the new speed
  Mouse("MOTION_CB", 3, 2.0001);
  Mouse("MOTION_CB", 3, 2);
  const FieldSample at = SampleField(Ws().result, p.x, p.y);
  EXPECT_EQ(Title(cmd::handles.probetext), ProbeText(at));
  EXPECT_GT(at.speed, 1.5);

  SetField("windspeedtext", "0");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.windspeedtext, "VALUE"), "2.5");
  EXPECT_EQ(tk::test::Type(cmd::handles.windtext, "-x"), "270");  // no sign, no letter
  SetField("windtext", "400");
  EXPECT_EQ(tk::GetAttribute(cmd::handles.windtext, "VALUE"), "270");
  EXPECT_EQ(Title(cmd::handles.datatopmsg).rfind("Vento: ", 0), 0u);  // says why it went back
  EXPECT_EQ(shelltest::Grid().cellCount, 3600);

  SetField("windtext", "30");
  EXPECT_EQ(Ws().options.windDirection, 30);
  EXPECT_EQ(shelltest::Grid().cellCount, 0);
  EXPECT_EQ(Title(cmd::handles.datatopmsg), "O vento mudou: Calcular mostra o escoamento do novo vento.");
  Mouse("MOTION_CB", 3, 2);
  EXPECT_EQ(Title(cmd::handles.probetext), " ");
  Calcular();
  EXPECT_EQ(Ws().result.frame.direction, 30);
  Mouse("MOTION_CB", 3, 2);
  EXPECT_EQ(Title(cmd::handles.probetext), ProbeText(SampleField(Ws().result, p.x, p.y)));
  Mouse("LEAVEWINDOW_CB", 3, 2);
  EXPECT_EQ(Title(cmd::handles.probetext), " ");
}

// "Medir" from its key: a drag across an opening reads the flow through
// it, a drag with Shift reads the zone, and the right button ends the tool.
TEST_F(StudyGuiTest, MeasuringLinesAndZones) {
  Open("single_room.dat");
  tk::test::Key(Canvas(), 'd');
  Drag(0, 1.2, 0, 2.8);
  EXPECT_EQ(Title(cmd::handles.datatopmsg), "Sem escoamento calculado: use Calcular antes de medir.");
  Calcular();
  EXPECT_EQ(cmd::modeRestart, cmd::MeasureMode);
  Drag(0, 1.2, 0, 2.8);
  const PickPoint a = Picked(0, 1.2), b = Picked(0, 2.8);
  const FluxMeasure flux = MeasureFlux(Ws().result, a.x, a.y, b.x, b.y);
  EXPECT_GT(flux.flow, 0.5);
  EXPECT_EQ(Title(cmd::handles.datatopmsg), FluxText(Ws().result, flux));
  Drag(0.3, 0.3, 5.7, 3.7, "S     ");
  const std::string zone = Title(cmd::handles.datatopmsg);
  EXPECT_EQ(zone.rfind("Zona: velocidade média ", 0), 0u) << zone;
  Mouse("BUTTON_CB", 3, 2, '3', 1);
  Mouse("BUTTON_CB", 3, 2, '3', 0);
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
  tk::test::Key(cmd::handles.windtext, 'd');  // a letter typed into a field stays there
  EXPECT_EQ(cmd::modeRestart, cmd::SelectMode);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// "Exportar imagem..." writes the canvas as it shows, "Exportar campo..."
// the table or the VTK grid by the name's ending; without a flow there is
// no field to write.
TEST_F(StudyGuiTest, ExportsWriteTheCanvasAndTheField) {
  tk::Element* file = tk::GetHandle("file");
  tk::Element* menu = tk::Children(file)[0];
  const auto item = [&](const std::string& title) {
    for (tk::Element* e : tk::Children(menu))
      if (tk::GetAttribute(e, "TITLE") == title) return e;
    return static_cast<tk::Element*>(nullptr);
  };
  ASSERT_NE(item("Exportar imagem..."), nullptr);
  ASSERT_NE(item("Exportar campo..."), nullptr);
  tk::test::Fire(item("Exportar campo..."), "ACTION");
  EXPECT_EQ(tk::test::TakeMessages(),
            std::vector<std::string>{
                "Exportar campo|Não há escoamento calculado: use Calcular antes de exportar o campo."});

  Open("two_rooms.dat");
  SetField("windtext", "30");
  Calcular();
  Click("show_both");
  tk::test::QueueAnswer({false, {"study_export.png"}});
  tk::test::Fire(item("Exportar imagem..."), "ACTION");
  std::vector<Rgb> shown;
  int width = 0, height = 0;
  ASSERT_TRUE(ReadCanvasPicture(Canvas(), shown, width, height));
  cairo_surface_t* png = cairo_image_surface_create_from_png("study_export.png");
  ASSERT_EQ(cairo_surface_status(png), CAIRO_STATUS_SUCCESS);
  ASSERT_EQ(cairo_image_surface_get_width(png), width);
  ASSERT_EQ(cairo_image_surface_get_height(png), height);
  size_t differing = 0;
  const unsigned char* data = cairo_image_surface_get_data(png);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(data + y * cairo_image_surface_get_stride(png));
    for (int x = 0; x < width; ++x) {
      const Rgb c = shown[static_cast<size_t>(y) * width + x];
      differing += row[x] != (0xFF000000u | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b);
    }
  }
  cairo_surface_destroy(png);
  EXPECT_EQ(differing, 0u);

  for (const char* name : {"study_export.csv", "study_export.vtk"}) {
    tk::test::QueueAnswer({false, {name}});
    tk::test::Fire(item("Exportar campo..."), "ACTION");
  }
  EXPECT_TRUE(tk::test::TakeMessages().empty());
  const std::string csv = ReadFile("study_export.csv"), vtk = ReadFile("study_export.vtk");
  EXPECT_EQ(csv.rfind("x,y,u,v,speed,solid\n", 0), 0u);  // the contents: see the batch tool's test
  EXPECT_EQ(vtk.rfind("# vtk DataFile Version 3.0\n", 0), 0u);
}

}  // namespace
