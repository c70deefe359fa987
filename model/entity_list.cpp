// The drawing's list and the operations on its selection.
#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "model/entity_list.h"

// ---- Links ----------------------------------------------------------------------

// Links `e` after the tail; an empty list becomes `e` alone.
void EntityList::linkAfterTail(Entity* e) {
  if (e->list) e->list->unlink(e);
  e->list = this;
  if (!head_) {
    e->next = e->prev = e;
    head_ = e;
    return;
  }
  Entity* tail = head_->prev;
  e->prev = tail;
  e->next = head_;
  tail->next = e;
  head_->prev = e;
}

void EntityList::swap(EntityList& other) {
  std::swap(head_, other.head_);
  forEachFrontToBack([this](Entity* e) { e->list = this; });
  other.forEachFrontToBack([&other](Entity* e) { e->list = &other; });
}

std::vector<Entity*> EntityList::selectedEntities() const {
  std::vector<Entity*> selected;
  forEachFrontToBack([&](Entity* e) {
    if (e->selected) selected.push_back(e);
  });
  return selected;
}

void EntityList::insertAtFront(Entity* e) {
  linkAfterTail(e);
  head_ = e;
}

void EntityList::insertAtBack(Entity* e) { linkAfterTail(e); }

void EntityList::unlink(Entity* e) {
  if (e->list != this) return;
  if (e == head_) head_ = (e->next == e) ? nullptr : e->next;
  e->prev->next = e->next;
  e->next->prev = e->prev;
  e->next = e->prev = nullptr;
  e->list = nullptr;
}

// ---- Selection --------------------------------------------------------------------

void EntityList::unselectAll() {
  forEachFrontToBack([](Entity* e) { e->selected = 0; });
}

void EntityList::pickAtPoint(double px, double py, double tol, bool keep) {
  if (!keep) unselectAll();
  Entity* hit = findFrontToBack([&](const Entity* e) { return e->hitTest(px, py, tol); });
  if (hit) hit->selected = !hit->selected;
}

// Only entities whose box lies strictly inside the fence are taken.
void EntityList::pickInFence(double xmin, double xmax, double ymin, double ymax, bool keep) {
  if (!keep) unselectAll();
  forEachFrontToBack([&](Entity* e) {
    double exmin, exmax, eymin, eymax;
    e->boundingBox(exmin, exmax, eymin, eymax);
    if (xmin < exmin && xmax > exmax && ymin < eymin && ymax > eymax)
      e->selected = !e->selected;
  });
}

std::vector<Entity*> EntityList::removeSelected() {
  std::vector<Entity*> removed = selectedEntities();
  for (Entity* e : removed) unlink(e);
  return removed;
}

void EntityList::deleteSelected() {
  for (Entity* e : removeSelected()) delete e;
}

void EntityList::deleteAll() {
  while (head_) delete head_;
}

// Taking the selected entities from the back and putting each in front keeps
// their relative order.
void EntityList::moveSelectedToFront() {
  std::vector<Entity*> selected = selectedEntities();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
    if (*it == head_) continue;
    unlink(*it);
    insertAtFront(*it);
  }
}

void EntityList::moveSelectedToBack() {
  for (Entity* e : selectedEntities()) {
    if (e == head_->prev) continue;
    unlink(e);
    insertAtBack(e);
  }
}

void EntityList::fillSelected() {
  forEachFrontToBack([](Entity* e) {
    if (e->selected && e->isClosed()) e->fill();
  });
}

void EntityList::unfillSelected() {
  forEachFrontToBack([](Entity* e) {
    if (e->selected && e->isClosed()) e->unfill();
  });
}

void EntityList::describeSelection(std::string& text) const {
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

// The union of the boxes, grown so that the flow grid built over it has
// room around the building.
bool EntityList::drawingExtents(double& xmin, double& xmax, double& ymin, double& ymax) const {
  if (!head_) return false;
  BoxUnion box;
  forEachFrontToBack([&box](Entity* e) {
    double exmin, exmax, eymin, eymax;
    e->boundingBox(exmin, exmax, eymin, eymax);
    box.add(exmin, exmax, eymin, eymax);
  });
  xmin = box.xmin, xmax = box.xmax, ymin = box.ymin, ymax = box.ymax;
  GrowForFlowGrid(xmin, xmax, ymin, ymax);
  return true;
}

std::vector<Wall> EntityList::walls() const {
  std::vector<Wall> walls;
  forEachFrontToBack([&walls](const Entity* e) {
    const auto* line = dynamic_cast<const LineEntity*>(e);
    if (!line) return;
    Wall w;
    w.x0 = line->x0;
    w.y0 = line->y0;
    w.x1 = line->x1;
    w.y1 = line->y1;
    for (int i = 0; i < 8; ++i) w.outline[i] = line->outline[i];
    w.color = line->color;
    w.selected = line->selected != 0;
    walls.push_back(w);
  });
  return walls;
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
  WallBatch() : scale_(currentPixelScale()) {}
  WallBatch(const WallBatch&) = delete;
  WallBatch& operator=(const WallBatch&) = delete;
  ~WallBatch() { close(); }

  void add(const LineEntity& wall) {
    const PackedColor colour = wall.shownColor();
    if (!open_) glBegin(GL_QUADS);
    if (!open_ || colour != colour_) setGLColor(colour);
    open_ = true;
    colour_ = colour;
    wall.emitOutline(scale_);
  }
  // Ends the run, so that an entity of another kind can draw itself.
  void close() {
    if (open_) glEnd();
    open_ = false;
  }

 private:
  const PixelScale scale_;
  bool open_ = false;
  PackedColor colour_ = 0;
};

}  // namespace

void EntityList::drawEntities() const {
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
bool EntityList::drawingSignature(unsigned long long& signature) const {
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
