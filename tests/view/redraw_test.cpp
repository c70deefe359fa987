#include <array>
#include <cmath>

#include "tests/shell/workspace_access.h"
#include "tests/view/canvas_fixture.h"

namespace {

const Rgb kWhite{255, 255, 255}, kBlack{0, 0, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255};

class RedrawTest : public CanvasTest {
 protected:
  // Shows world 0..10 on the whole drawing area, square pixels.
  void ShowTenUnits() {
    ReadDrawSize(canvas_, &width_, &height_);
    ASSERT_GT(width_, 100);
    ASSERT_GT(height_, 100);
    ViewSetCallbacks(canvas_, shelltest::SceneRedraw());
    ShowWindow(width_, height_, {0, 10, 0, 10});
  }

  Rgb ShownAt(double x, double y) { return shelltest::ShownAt(canvas_, x, y); }

  // Whether a colour appears within `radius` pixels of a world point.
  bool ShownNear(double x, double y, int radius, const Rgb& colour) {
    int px = 0, py = 0;
    WorldToPixel(x, y, px, py);
    const int side = 2 * radius + 1;
    std::vector<unsigned char> rgb(3 * side * side);
    glReadBuffer(GL_FRONT);
    glReadPixels(px - radius, py - radius, side, side, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    for (size_t i = 0; i < rgb.size(); i += 3)
      if (Rgb{rgb[i], rgb[i + 1], rgb[i + 2]} == colour) return true;
    return false;
  }

  // The world points DrawGridPoints sends, caught in feedback mode with a
  // projection that makes window coordinates equal world ones plus 500.
  std::vector<std::pair<double, double>> GridPoints(ViewWindow shown) {
    view_->window = shown;
    glViewport(0, 0, 1000, 1000);
    SetProjection(-500, 500, -500, 500);
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    DrawGridPoints(canvas_, shelltest::Settings());
    const GLint used = glRenderMode(GL_RENDER);
    std::vector<std::pair<double, double>> points;
    for (GLint i = 0; i + 2 < used; i += 3) {
      EXPECT_EQ(buffer[i], GLfloat(GL_POINT_TOKEN));
      points.push_back({buffer[i + 1] - 500.0, buffer[i + 2] - 500.0});
    }
    return points;
  }

  int width_ = 0, height_ = 0;
};

TEST_F(RedrawTest, WallsAreDrawnInTheirColourOrRedWithMarksWhenSelected) {
  ShowTenUnits();
  Entity* blue = shelltest::NewLine(1, 5, 9, 5, 255);
  Entity* diagonal = shelltest::NewLine(1, 1, 9, 9);
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(0.5, 0.5), kWhite);
  EXPECT_EQ(ShownAt(3, 5), kBlue);
  EXPECT_EQ(ShownAt(3, 3), kBlack);
  EXPECT_EQ(ShownAt(1, 9), kWhite);  // no marks on unselected walls

  blue->selected = diagonal->selected = 1;
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(3, 5), kRed);
  EXPECT_EQ(ShownAt(3, 3), kRed);
  // The diagonal's box: corners and edge midpoints as points, joined by its outline.
  for (auto [x, y] : {std::pair{1.0, 9.0}, {9.0, 1.0}, {5.0, 9.0}, {1.0, 5.0}, {9.0, 5.0}})
    EXPECT_EQ(ShownAt(x, y), kRed) << x << ", " << y;
  EXPECT_TRUE(ShownNear(3, 9, 1, kRed));
  EXPECT_TRUE(ShownNear(9, 7, 1, kRed));
  EXPECT_EQ(ShownAt(3, 8.5), kWhite);

  // Frames of an unchanged drawing start from the pixels of the last one;
  // any change to a wall, made however it is made, is drawn afresh.
  blue->selected = diagonal->selected = 0;
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(3, 5), kBlue);
  blue->color = 0xFF0000;
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(3, 5), kRed);
  blue->setEndpoint(0, 1, 7, shelltest::Settings().wallWidth);
  blue->setEndpoint(1, 9, 7, shelltest::Settings().wallWidth);
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(3, 5), kWhite);
  EXPECT_EQ(ShownAt(3, 7), kRed);
  ShowWindow(width_, height_, {-10, 10, -10, 10});
  EXPECT_EQ(ShownAt(3, 7), kRed);
  EXPECT_EQ(ShownAt(8, 8), kBlack);
}

// Zoomed out until a wall is a third of a pixel wide, every wall still
// shows along its whole length: each pixel column of a flat wall (row of a
// steep one) has a wall pixel within one pixel of its centre line.
TEST_F(RedrawTest, WallsThinnerThanAPixelStayWhole) {
  ReadDrawSize(canvas_, &width_, &height_);
  ViewSetCallbacks(canvas_, shelltest::SceneRedraw());
  const double perPixel = 0.45;  // world units per pixel; the walls are 0.15 wide
  ShowWindow(width_, height_, {0, width_ * perPixel, 0, height_ * perPixel});
  const double w = width_ * perPixel, h = height_ * perPixel;
  const std::vector<std::array<double, 4>> walls = {
      {0.1 * w, 0.31 * h, 0.9 * w, 0.31 * h},  // flat
      {0.53 * w, 0.1 * h, 0.53 * w, 0.9 * h},  // upright
      {0.1 * w, 0.2 * h, 0.8 * w, 0.6 * h},    // slanting
      {0.2 * w, 0.9 * h, 0.4 * w, 0.1 * h}};   // steep
  for (const auto& p : walls) shelltest::NewLine(p[0], p[1], p[2], p[3]);
  ViewRedisplay(canvas_);
  std::vector<unsigned char> rgb(size_t(width_) * size_t(height_) * 3);
  glReadBuffer(GL_FRONT);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
  const auto black = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    const size_t i = (size_t(y) * size_t(width_) + size_t(x)) * 3;
    return rgb[i] == 0 && rgb[i + 1] == 0 && rgb[i + 2] == 0;
  };
  for (const auto& p : walls) {
    int ax = 0, ay = 0, bx = 0, by = 0;
    WorldToPixel(p[0], p[1], ax, ay);
    WorldToPixel(p[2], p[3], bx, by);
    const bool flat = std::abs(bx - ax) >= std::abs(by - ay);
    const int steps = flat ? std::abs(bx - ax) : std::abs(by - ay);
    int gaps = 0;
    for (int i = 2; i < steps - 2; ++i) {
      const double t = double(i) / steps;
      const int x = int(std::lround(ax + t * (bx - ax))), y = int(std::lround(ay + t * (by - ay)));
      const bool shown = flat ? black(x, y - 1) || black(x, y) || black(x, y + 1)
                              : black(x - 1, y) || black(x, y) || black(x + 1, y);
      gaps += shown ? 0 : 1;
    }
    EXPECT_EQ(gaps, 0) << "wall " << p[0] << ", " << p[1] << " - " << p[2] << ", " << p[3];
  }
}

TEST_F(RedrawTest, GridPointsLieOnTopAndTheProjectionStays) {
  ShowTenUnits();
  shelltest::NewLine(0, 5, 10, 5, 255);
  shelltest::Settings().gridShown = true;
  ViewRedisplay(canvas_);
  EXPECT_EQ(ShownAt(5, 5), kBlack);  // a node over the blue wall
  EXPECT_EQ(ShownAt(5.5, 5), kBlue);
  EXPECT_EQ(ShownAt(4, 4), kBlack);
  EXPECT_EQ(ShownAt(4.5, 4.5), kWhite);

  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_MODELVIEW);
  const ViewWindow projection = ReadProjectionWindow();
  ExpectWindow(projection, CurrentWindow(), 1e-5);  // single precision
}

TEST_F(RedrawTest, GridIsLeftOutWhenItsLargerStepIsUnderFivePixels) {
  ShowTenUnits();
  // width_ pixels across 200 units: one unit is under five pixels.
  EXPECT_TRUE(GridPoints({-100, 100, 0, 10}).empty());

  // A quarter of the width in units: the larger step of 2 spans 8 pixels, so
  // the grid shows even though its x step of 0.5 spans only 2.
  const double quarter = width_ / 4.0;
  shelltest::Settings().gridStepX = 0.5;
  shelltest::Settings().gridStepY = 2.0;
  EXPECT_FALSE(GridPoints({0, quarter, 0, 4}).empty());
  shelltest::Settings().gridStepY = 0.5;
  EXPECT_TRUE(GridPoints({0, quarter, 0, 4}).empty());
}

}  // namespace
