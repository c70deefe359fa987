// The drawing's list, the operations on its selection, and its settings.
#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "model/entity.h"

Entity* EntityList = nullptr;

double wallWidth = 0.15;
double gridStepX = 1.0;
double gridStepY = 1.0;
bool gridShown = false;
bool snapToGrid = false;

// ---- Links ----------------------------------------------------------------------

namespace {

Entity* Tail() { return EntityList ? EntityList->prev : nullptr; }

// Links `e` after the tail; an empty list becomes `e` alone.
void LinkAfterTail(Entity* e) {
  if (!EntityList) {
    e->next = e->prev = e;
    EntityList = e;
    return;
  }
  Entity* tail = EntityList->prev;
  e->prev = tail;
  e->next = EntityList;
  tail->next = e;
  EntityList->prev = e;
}

}  // namespace

std::vector<Entity*> selectedEntities() {
  std::vector<Entity*> selected;
  forEachFrontToBack([&](Entity* e) {
    if (e->selected) selected.push_back(e);
  });
  return selected;
}

void insertAtFront(Entity* e) {
  LinkAfterTail(e);
  EntityList = e;
}

void insertAtBack(Entity* e) { LinkAfterTail(e); }

void unlink(Entity* e) {
  if (!inList(e)) return;
  if (e == EntityList) EntityList = (e->next == e) ? nullptr : e->next;
  e->prev->next = e->next;
  e->next->prev = e->prev;
  e->next = e->prev = nullptr;
}

// ---- Selection --------------------------------------------------------------------

void unselectAll() {
  forEachFrontToBack([](Entity* e) { e->selected = 0; });
}

void pickAtPoint(double px, double py, double tol, bool keep) {
  if (!keep) unselectAll();
  Entity* hit = findFrontToBack([&](const Entity* e) { return e->hitTest(px, py, tol); });
  if (hit) hit->selected = !hit->selected;
}

// Only entities whose box lies strictly inside the fence are taken.
void pickInFence(double xmin, double xmax, double ymin, double ymax, bool keep) {
  if (!keep) unselectAll();
  forEachFrontToBack([&](Entity* e) {
    double exmin, exmax, eymin, eymax;
    e->boundingBox(exmin, exmax, eymin, eymax);
    if (xmin < exmin && xmax > exmax && ymin < eymin && ymax > eymax)
      e->selected = !e->selected;
  });
}

std::vector<Entity*> removeSelected() {
  std::vector<Entity*> removed = selectedEntities();
  for (Entity* e : removed) unlink(e);
  return removed;
}

void deleteSelected() {
  for (Entity* e : removeSelected()) delete e;
}

void deleteAll() {
  while (EntityList) delete EntityList;
}

// Taking the selected entities from the back and putting each in front keeps
// their relative order.
void moveSelectedToFront() {
  std::vector<Entity*> selected = selectedEntities();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    if (*it == EntityList) continue;
    unlink(*it);
    insertAtFront(*it);
  }
}

void moveSelectedToBack() {
  for (Entity* e : selectedEntities()) {
    if (e == Tail()) continue;
    unlink(e);
    insertAtBack(e);
  }
}

void fillSelected() {
  forEachFrontToBack([](Entity* e) {
    if (e->selected && e->isClosed()) e->fill();
  });
}

void unfillSelected() {
  forEachFrontToBack([](Entity* e) {
    if (e->selected && e->isClosed()) e->unfill();
  });
}

void describeSelection(std::string& text) {
  const Entity* closed = nullptr;
  int count = 0;
  forEachFrontToBack([&](const Entity* e) {
    if (e->selected && e->isClosed() && count++ == 0) closed = e;
  });
  if (count > 1) {
    text = "Mais de um círculo ou polígono selecionado.";
    return;
  }
  if (!closed) {
    text = "Nenhum círculo ou polígono selecionado.";
    return;
  }
  closed->describeGeometry(text);
}

// The union of the boxes, enlarged about its centre by 1.3 across and 1.35
// up, so that the flow grid built over it has room around the building.
bool drawingExtents(double& xmin, double& xmax, double& ymin, double& ymax) {
  if (!EntityList) return false;
  bool first = true;
  forEachFrontToBack([&](Entity* e) {
    double exmin, exmax, eymin, eymax;
    e->boundingBox(exmin, exmax, eymin, eymax);
    if (first) {
      xmin = exmin, xmax = exmax, ymin = eymin, ymax = eymax;
      first = false;
      return;
    }
    if (exmin < xmin) xmin = exmin;
    if (exmax > xmax) xmax = exmax;
    if (eymin < ymin) ymin = eymin;
    if (eymax > ymax) ymax = eymax;
  });
  const double cx = (xmin + xmax) * 0.5;
  const double hw = (xmax - xmin) * 0.5 * 1.3;
  xmin = cx - hw;
  xmax = cx + hw;
  const double cy = (ymin + ymax) * 0.5;
  const double hh = (ymax - ymin) * 0.5 * 1.35;
  ymin = cy - hh;
  ymax = cy + hh;
  return true;
}

// ---- Snapping -----------------------------------------------------------------------

namespace {

// The nearest multiple of `step`; an exact half goes toward zero.
double SnapToStep(double value, double step) {
  const double q = value / step;
  const double i = std::trunc(q);
  const double r = q - i;
  double n = i;
  if (r > 0.5) {
    n = i + 1;
  } else if (r < -0.5) {
    n = i - 1;
  }
  return n * step;
}

}  // namespace

// With snapping on, Control lets the point go free; with it off, Control
// snaps.  Nothing snaps while the grid is hidden.
void snapPoint(double& x, double& y, bool ctrl) {
  if (!gridShown) return;
  if (snapToGrid == ctrl) return;
  x = SnapToStep(x, gridStepX);
  y = SnapToStep(y, gridStepY);
}

// ---- Drawing -----------------------------------------------------------------------

namespace {

// The box outline, its corners and (for figures that may be stretched) the
// midpoints of its edges: the handles the Drag mode offers.
void DrawSelectionMarks(const Entity* e) {
  double xmin, xmax, ymin, ymax;
  e->boundingBox(xmin, xmax, ymin, ymax);
  const double xmid = (xmin + xmax) * 0.5, ymid = (ymin + ymax) * 0.5;
  glColor3d(1, 0, 0);
  glBegin(GL_LINE_LOOP);
  glVertex3d(xmin, ymin, 0);
  glVertex3d(xmax, ymin, 0);
  glVertex3d(xmax, ymax, 0);
  glVertex3d(xmin, ymax, 0);
  glEnd();
  glBegin(GL_POINTS);
  glVertex3d(xmin, ymin, 0);
  glVertex3d(xmax, ymin, 0);
  glVertex3d(xmax, ymax, 0);
  glVertex3d(xmin, ymax, 0);
  if (!e->keepsAspect()) {
    glVertex3d(xmid, ymin, 0);
    glVertex3d(xmax, ymid, 0);
    glVertex3d(xmid, ymax, 0);
    glVertex3d(xmin, ymid, 0);
  }
  glEnd();
}

// Walls go to OpenGL as one run of quadrilaterals, the colour set only where
// it changes.  That is the same vertices in the same order as drawing each
// wall on its own, so the same pixels, with a handful of calls instead of
// several per wall: what keeps a large drawing quick to redraw.
class WallBatch {
 public:
  WallBatch() = default;
  WallBatch(const WallBatch&) = delete;
  WallBatch& operator=(const WallBatch&) = delete;
  ~WallBatch() { close(); }

  void add(const LineEntity& wall) {
    const PackedColor colour = wall.shownColor();
    if (!open_) glBegin(GL_QUADS);
    if (!open_ || colour != colour_) setGLColor(colour);
    open_ = true;
    colour_ = colour;
    wall.emitOutline();
  }
  // Ends the run, so that an entity of another kind can draw itself.
  void close() {
    if (open_) glEnd();
    open_ = false;
  }

 private:
  bool open_ = false;
  PackedColor colour_ = 0;
};

}  // namespace

void drawEntities() {
  {
    WallBatch walls;
    forEachBackToFront([&walls](Entity* e) {
      if (const auto* wall = dynamic_cast<const LineEntity*>(e)) {
        walls.add(*wall);
      } else {
        walls.close();
        e->draw();
      }
    });
  }
  forEachBackToFront([](Entity* e) {
    if (e->selected) DrawSelectionMarks(e);
  });
}

namespace {

// Mixes one 64-bit value into the summary; order matters.
void Mix(unsigned long long& h, unsigned long long value) {
  h ^= value + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
}

void MixDouble(unsigned long long& h, double value) {
  unsigned long long bits;
  std::memcpy(&bits, &value, sizeof bits);
  Mix(h, bits);
}

}  // namespace

// A wall's picture and its marks depend on its outline, its endpoints (the
// box of the marks), its colour and its selection, in drawing order.
bool drawingSignature(unsigned long long& signature) {
  unsigned long long h = 0;
  bool summarised = true;
  forEachBackToFront([&](Entity* e) {
    const auto* wall = dynamic_cast<const LineEntity*>(e);
    if (!wall) {
      summarised = false;
      return;
    }
    Mix(h, static_cast<unsigned long long>(wall->shownColor()) << 1 | (wall->selected ? 1 : 0));
    for (double v : wall->outline) MixDouble(h, v);
    for (double v : {wall->x0, wall->y0, wall->x1, wall->y1}) MixDouble(h, v);
  });
  signature = h;
  return summarised;
}
