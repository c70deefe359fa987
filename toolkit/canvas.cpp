// The OpenGL canvas: a double-buffered GL window with optional scrollbars
// kept in world units, the mouse callbacks, and the one path by which a
// finished frame reaches the screen.
//
// Every frame is shown by Present(): the back buffer is copied into the
// front buffer and the buffers are swapped.  Some renderers (Mesa's software
// one among them) do not leave the shown frame in the front buffer after a
// swap, and exclusive-or echoes drawn into the front buffer would then land
// on black; with the copy the front buffer always holds the frame on screen.
// During FLTK's own repaint the canvas ACTION runs; when the application
// presents from inside it (GLSwapBuffers), the repaint does not present again.
#include <FL/Fl.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/gl.h>

#include <algorithm>
#include <cmath>

#include "toolkit/element.h"
#include "toolkit/rules.h"
#include "toolkit/widgets_internal.h"

namespace tk {

namespace {

constexpr int kBar = 16;
constexpr int kScrollSteps = 100000;  // scrollbar resolution over the whole range

bool Flag(Element* e, const std::string& name) { return GetAttribute(e, name) == "YES"; }
bool HasHorizontalBar(Element* e) {
  return Flag(e, "SCROLLBAR") || Flag(e, "HORIZONTAL") || Flag(e, "SBH");
}
bool HasVerticalBar(Element* e) {
  return Flag(e, "SCROLLBAR") || Flag(e, "VERTICAL") || Flag(e, "SBV");
}

// Sets a scrollbar from a range, the visible part and the position, all in
// world units.
void SetBar(Fl_Scrollbar* bar, double low, double high, double visible, double position) {
  double range = high - low;
  if (!(range > 0)) {
    bar->value(0, kScrollSteps, 0, kScrollSteps);
    return;
  }
  auto steps = [&](double v) {
    return static_cast<int>(std::lround(std::clamp(v / range, 0.0, 1.0) * kScrollSteps));
  };
  int size = std::max(1, steps(visible));
  int pos = std::min(steps(position - low), kScrollSteps - size);
  bar->value(pos, size, 0, kScrollSteps);
  bar->linesize(std::max(1, size / 10));
}

void UpdateBars(Element* e) {
  if (e->hbar)
    SetBar(e->hbar, GetFloat(e, "XMIN"), GetFloat(e, "XMAX"), GetFloat(e, "DX"),
           GetFloat(e, "POSX"));
  if (e->vbar)
    SetBar(e->vbar, GetFloat(e, "YMIN"), GetFloat(e, "YMAX"), GetFloat(e, "DY"),
           GetFloat(e, "POSY"));
}

void Scrolled(Fl_Widget* widget, void* data) {
  Element* e = static_cast<Element*>(data);
  bool horizontal = widget == e->hbar;
  auto* bar = static_cast<Fl_Scrollbar*>(widget);
  double low = GetFloat(e, horizontal ? "XMIN" : "YMIN");
  double high = GetFloat(e, horizontal ? "XMAX" : "YMAX");
  double position = low + bar->value() / static_cast<double>(kScrollSteps) * (high - low);
  // Stored directly: the bar already shows this position.
  e->attrs[horizontal ? "POSX" : "POSY"] = std::to_string(position);
  if (e->canvas) e->canvas->Repaint();
}

bool IsArrowOrPageKey(int key) {
  return key == FL_Left || key == FL_Right || key == FL_Up || key == FL_Down ||
         key == FL_Page_Up || key == FL_Page_Down;
}

// Copies the back buffer into the front buffer, leaving every piece of
// OpenGL state as it was.
void CopyBackToFront(int width, int height) {
  glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_PIXEL_MODE_BIT | GL_VIEWPORT_BIT |
               GL_TRANSFORM_BIT | GL_CURRENT_BIT | GL_FOG_BIT);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_COLOR_LOGIC_OP);
  glDisable(GL_BLEND);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_STENCIL_TEST);
  glDisable(GL_SCISSOR_TEST);
  glDisable(GL_DITHER);
  glDisable(GL_FOG);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_LIGHTING);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPixelZoom(1.0f, 1.0f);
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glReadBuffer(GL_BACK);
  glDrawBuffer(GL_FRONT);
  glRasterPos2f(-1.0f, -1.0f);
  glCopyPixels(0, 0, width, height, GL_COLOR);
  glDrawBuffer(GL_BACK);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  glPopMatrix();
  glPopAttrib();
  glFlush();
}

}  // namespace

std::string StatusOfEvent() {
  int state = Fl::event_state();
  std::string status = "     ";
  if (state & FL_SHIFT) status[0] = 'S';
  if (state & FL_CTRL) status[1] = 'C';
  if (state & FL_BUTTON1) status[2] = '1';
  if (state & FL_BUTTON2) status[3] = '2';
  if (state & FL_BUTTON3) status[4] = '3';
  return status;
}

// ---- The GL window ---------------------------------------------------------------------

CanvasView::CanvasView(Element* e, int w, int h) : Fl_Gl_Window(0, 0, w, h), element(e) {
  int mode = FL_RGB | FL_DEPTH;
  if (GetAttribute(e, "BUFFER") != "SINGLE") mode |= FL_DOUBLE;
  this->mode(mode);
}

void CanvasView::flush() {
  make_current();
  Repaint();
  valid(1);
}

void CanvasView::draw() { Repaint(); }

void CanvasView::Repaint() {
  if (inRepaint || !shown()) return;
  inRepaint = true;
  make_current();
  if (w() != reportedW || h() != reportedH) {
    reportedW = w();
    reportedH = h();
    Event resized;
    resized.width = w();
    resized.height = h();
    Invoke(element, "RESIZE_CB", resized);
    make_current();
  }
  presented = false;
  Event expose;
  expose.posx = GetFloat(element, "POSX");
  expose.posy = GetFloat(element, "POSY");
  Invoke(element, "ACTION", expose);
  if (!presented && shown()) {
    make_current();
    Present();
  }
  inRepaint = false;
}

void CanvasView::Present() {
  if (!shown()) return;
  glFlush();
  if (mode() & FL_DOUBLE) {
    CopyBackToFront(w(), h());
    swap_buffers();
  }
  glFlush();
  presented = true;
}

int CanvasView::handle(int event) {
  Event report;
  switch (event) {
    case FL_PUSH:
    case FL_RELEASE:
      if (event == FL_PUSH) Fl::focus(this);
      // Buttons beyond the third (side buttons) keep their own number, so
      // that nobody mistakes them for the right button.
      report.button = '0' + std::clamp(Fl::event_button(), 1, 9);
      report.state = event == FL_PUSH ? 1 : 0;
      report.x = Fl::event_x();
      report.y = Fl::event_y();
      report.status = StatusOfEvent();
      Invoke(element, "BUTTON_CB", report);
      return 1;
    case FL_DRAG:
    case FL_MOVE:
      report.x = Fl::event_x();
      report.y = Fl::event_y();
      report.status = StatusOfEvent();
      Invoke(element, "MOTION_CB", report);
      return 1;
    case FL_ENTER:
      return 1;
    case FL_LEAVE:
      Invoke(element, "LEAVEWINDOW_CB", report);
      return 1;
    case FL_FOCUS:
    case FL_UNFOCUS:
      return 1;
    case FL_KEYBOARD:
      // The arrow and page keys reached the application through the key
      // callbacks already; taken here, they keep the focus on the canvas
      // instead of moving it to the next widget.
      return IsArrowOrPageKey(Fl::event_key()) ? 1 : Fl_Gl_Window::handle(event);
    default:
      return Fl_Gl_Window::handle(event);
  }
}

void CanvasView::resize(int X, int Y, int W, int H) {
  bool resized = W != w() || H != h();
  Fl_Gl_Window::resize(X, Y, W, H);
  if (resized) redraw();
}

// ---- Element services -----------------------------------------------------------------

void BuildCanvas(Element* e, Fl_Window*) {
  int w = 100, h = 100;
  if (const std::string* raster = OwnAttribute(e, "RASTERSIZE")) {
    int rw = -1, rh = -1;
    if (rules::ParseSize(*raster, rw, rh)) {
      if (rw > 0) w = rw;
      if (rh > 0) h = rh;
    }
  }
  e->canvas = new CanvasView(e, w, h);
  e->canvas->end();
  BindWidget(e->canvas, e);
  if (HasHorizontalBar(e)) {
    e->hbar = new Fl_Scrollbar(0, 0, 10, kBar);
    e->hbar->type(FL_HORIZONTAL);
    e->hbar->callback(Scrolled, e);
    e->extras.push_back(e->hbar);
  }
  if (HasVerticalBar(e)) {
    e->vbar = new Fl_Scrollbar(0, 0, kBar, 10);
    e->vbar->type(FL_VERTICAL);
    e->vbar->callback(Scrolled, e);
    e->extras.push_back(e->vbar);
  }
  UpdateBars(e);
}

void PlaceCanvas(Element* e) {
  if (!e->canvas) return;
  int glw = std::max(1, e->w - (e->vbar ? kBar : 0));
  int glh = std::max(1, e->h - (e->hbar ? kBar : 0));
  e->canvas->resize(e->x, e->y, glw, glh);
  if (e->hbar) e->hbar->resize(e->x, e->y + glh, glw, kBar);
  if (e->vbar) e->vbar->resize(e->x + glw, e->y, kBar, glh);
}

// "NONE" hides the system cursor over the canvas (an echo stands in for
// it); any other name shows the arrow.
void ApplyCursor(Element* e) {
  if (!e->canvas) return;
  e->canvas->cursor(GetAttribute(e, "CURSOR") == "NONE" ? FL_CURSOR_NONE : FL_CURSOR_DEFAULT);
}

void ApplyCanvasAttribute(Element* e, const std::string& name) {
  if (name == "CURSOR") return ApplyCursor(e);
  static const char* const scroll[] = {"XMIN", "XMAX", "YMIN", "YMAX", "DX", "DY", "POSX", "POSY"};
  for (const char* s : scroll)
    if (name == s) UpdateBars(e);
}

std::string CanvasDrawSize(Element* e) {
  int w = 0, h = 0;
  if (e->canvas) {
    w = e->canvas->w();
    h = e->canvas->h();
  } else if (const std::string* raster = OwnAttribute(e, "RASTERSIZE")) {
    int rw = -1, rh = -1;
    if (rules::ParseSize(*raster, rw, rh)) {
      w = std::max(rw, 0);
      h = std::max(rh, 0);
    }
  }
  return std::to_string(w) + "x" + std::to_string(h);
}

void ShowCanvas(Element* e, bool shown) {
  if (!e->canvas) return;
  if (shown && !e->canvas->visible()) e->canvas->show();
  if (!shown && e->canvas->visible()) e->canvas->hide();
}

void DropCanvas(Element* e) {
  if (!e->canvas) return;
  UnbindWidget(e->canvas);
  if (e->canvas->parent()) e->canvas->parent()->remove(e->canvas);
  Fl::delete_widget(e->canvas);
  e->canvas = nullptr;
}

void ForgetCanvas(Element* e) {
  if (e->canvas) UnbindWidget(e->canvas);
  e->canvas = nullptr;
}

// ---- Public interface ---------------------------------------------------------------------

bool GLMakeCurrent(Element* canvas) {
  if (!canvas || !canvas->canvas || !canvas->canvas->shown()) return false;
  canvas->canvas->make_current();
  return true;
}

void GLSwapBuffers(Element* canvas) {
  if (!canvas || !canvas->canvas || !canvas->canvas->shown()) return;
  canvas->canvas->make_current();
  canvas->canvas->Present();
}

// FLTK's GL text: the font's bitmaps drawn at the raster position.  Some X
// servers give the
// blank no bitmap and no advance, so the text goes word by word, each
// blank moving the next word on by the blank's width in the same font.
namespace {

double BlankWidth() { return gl_width("n") * 0.55; }

template <typename Word>
double ForEachWord(const std::string& text, Word word) {
  double x = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) x += word(x, text.substr(start, end - start));
    if (end < text.size()) x += BlankWidth();
    start = end + 1;
  }
  return x;
}

}  // namespace

void GLDrawText(Element* canvas, double x, double y, const std::string& text) {
  if (!GLMakeCurrent(canvas) || text.empty()) return;
  gl_font(FL_HELVETICA, kGLTextSize);
  ForEachWord(text, [x, y](double at, const std::string& word) {
    glRasterPos2d(x + std::floor(at + 0.5), y);
    gl_draw(word.c_str(), static_cast<int>(word.size()));
    return gl_width(word.c_str(), static_cast<int>(word.size()));
  });
}

int GLTextWidth(Element* canvas, const std::string& text) {
  if (!GLMakeCurrent(canvas)) return 0;
  gl_font(FL_HELVETICA, kGLTextSize);
  const double width = ForEachWord(text, [](double, const std::string& word) {
    return gl_width(word.c_str(), static_cast<int>(word.size()));
  });
  return static_cast<int>(std::ceil(width));
}

void Redraw(Element* canvas) {
  if (canvas && canvas->canvas) canvas->canvas->redraw();
}

}  // namespace tk
