#include "view/speed_colours.h"

#include <GL/gl.h>

#include <algorithm>
#include <vector>

#include "flow/colour_map.h"
#include "flow/flow_draw.h"
#include "view/view.h"

namespace {

// The texture of the last field drawn, with the signature of that field.
struct ColourTexture {
  GLuint name = 0;
  unsigned long long signature = 0;
};
ColourTexture colourTexture;

void LoadTexture(const AnalysisResult& result, unsigned long long signature) {
  const SpeedRaster raster = MakeSpeedRaster(result, RasterSamplesPerCell(result.grid));
  if (colourTexture.name == 0) glGenTextures(1, &colourTexture.name);
  glBindTexture(GL_TEXTURE_2D, colourTexture.name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  // Rows bottom first, as texture coordinates count them.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, raster.width, raster.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
               raster.pixels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  colourTexture.signature = signature;
}

// A rectangle of pixels, filled and outlined.
void PixelRect(int x0, int y0, int x1, int y1, bool filled) {
  glBegin(filled ? GL_QUADS : GL_LINE_LOOP);
  glVertex2i(x0, y0);
  glVertex2i(x1, y0);
  glVertex2i(x1, y1);
  glVertex2i(x0, y1);
  glEnd();
}

}  // namespace

void DrawSpeedColours(const AnalysisResult& result) {
  const unsigned long long signature = SpeedFieldSignature(result);
  if (signature == 0) return;
  glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_CURRENT_BIT | GL_PIXEL_MODE_BIT);
  if (signature != colourTexture.signature || colourTexture.name == 0) LoadTexture(result, signature);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, colourTexture.name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  const CellGrid& g = result.grid;
  PushGridFrame(result.frame);
  glBegin(GL_QUADS);
  glTexCoord2d(0, 0);
  glVertex2d(g.xmin, g.ymin);
  glTexCoord2d(1, 0);
  glVertex2d(g.xmax, g.ymin);
  glTexCoord2d(1, 1);
  glVertex2d(g.xmax, g.ymax);
  glTexCoord2d(0, 1);
  glVertex2d(g.xmin, g.ymax);
  glEnd();
  PopGridFrame(result.frame);
  glPopAttrib();
}

void DrawSpeedLegend(tk::Element* canvas, const AnalysisResult& result) {
  const std::vector<LegendMark> marks = SpeedLegend(result);
  if (marks.empty()) return;
  constexpr int kBarWidth = 14, kBarHeight = 140, kPad = 8, kMargin = 10, kSteps = 70;
  const int lineHeight = tk::kGLTextSize + 4;
  int textWidth = tk::GLTextWidth(canvas, kLegendTitle);
  for (const LegendMark& m : marks) textWidth = std::max(textWidth, tk::GLTextWidth(canvas, m.text) + kBarWidth + 6);
  GLint viewport[4];
  glGetIntegerv(GL_VIEWPORT, viewport);
  const int right = viewport[2] - kMargin, bottom = kMargin;
  const int left = right - textWidth - 2 * kPad;
  const int barX = left + kPad, barY = bottom + kPad + lineHeight / 2;
  const int titleBaseline = barY + kBarHeight + lineHeight / 2 + 6;
  const int top = titleBaseline + tk::kGLTextSize + kPad / 2;

  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_COLOR_LOGIC_OP);
  glLineWidth(1.0f);
  PushPixelProjection(viewport);
  glTranslated(0.5, 0.5, 0);  // lines on pixel centres
  glColor3d(1, 1, 1);
  PixelRect(left, bottom, right, top, true);
  glColor3d(0, 0, 0);
  PixelRect(left, bottom, right, top, false);
  glBegin(GL_QUADS);
  for (int k = 0; k < kSteps; ++k) {
    const Rgb c = ViridisColour((k + 0.5) / kSteps);
    glColor3ub(c.r, c.g, c.b);
    const int y0 = barY + kBarHeight * k / kSteps, y1 = barY + kBarHeight * (k + 1) / kSteps;
    glVertex2i(barX, y0);
    glVertex2i(barX + kBarWidth, y0);
    glVertex2i(barX + kBarWidth, y1);
    glVertex2i(barX, y1);
  }
  glEnd();
  glColor3d(0, 0, 0);
  PixelRect(barX, barY, barX + kBarWidth, barY + kBarHeight, false);
  glBegin(GL_LINES);
  for (const LegendMark& m : marks) {
    const int y = barY + static_cast<int>(kBarHeight * m.fraction + 0.5);
    glVertex2i(barX + kBarWidth, y);
    glVertex2i(barX + kBarWidth + 4, y);
  }
  glEnd();
  glLoadIdentity();  // text at whole pixels
  for (const LegendMark& m : marks) {
    const int y = barY + static_cast<int>(kBarHeight * m.fraction + 0.5);
    tk::GLDrawText(canvas, barX + kBarWidth + 7, y - tk::kGLTextSize / 3, m.text);
  }
  tk::GLDrawText(canvas, left + kPad, titleBaseline, kLegendTitle);
  PopPixelProjection();
  glPopAttrib();
}
