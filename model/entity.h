// The drawing: wall entities kept in one circular doubly linked list whose
// head is the front (drawn last, picked first) and whose tail is the back.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Packed colour 0x00RRGGBB.
using PackedColor = long;

// Makes the packed colour the current OpenGL colour.
void setGLColor(PackedColor color);

class Entity {
 public:
  Entity();            // kind -1, unselected, colour 0; inserted at the front
  virtual ~Entity();   // unlinks from EntityList

  Entity(const Entity&) = delete;
  Entity& operator=(const Entity&) = delete;

  virtual void writeRecord(std::FILE* file) const = 0;
  virtual bool isClosed() const { return false; }
  virtual int fill() { return 0; }
  virtual int unfill() { return 0; }
  virtual void boundingBox(double& xmin, double& xmax, double& ymin, double& ymax) const = 0;
  virtual bool keepsAspect() const { return false; }
  virtual void transform(double a, double b, double c, double d, double e, double f) = 0;
  virtual void draw() const = 0;
  virtual bool hitTest(double px, double py, double tol) const = 0;
  virtual int handleCount() const { return 0; }
  virtual bool handlePoint(int i, double& x, double& y) const;
  virtual bool endpoint(int i, double& x, double& y) const;
  virtual bool setEndpoint(int i, double x, double y);
  virtual bool describeGeometry(std::string& text) const;
  // Every number that makes up the entity's figure, and their restoration,
  // so that an edit can be taken back bit for bit.
  virtual std::vector<double> shape() const { return {}; }
  virtual void setShape(const std::vector<double>&) {}

  Entity* next = nullptr;
  Entity* prev = nullptr;
  int kind = -1;
  int selected = 0;
  PackedColor color = 0;
};

// A wall: the segment P0-P1 and its rectangle of width wallWidth.
class LineEntity : public Entity {
 public:
  LineEntity(double x0, double y0, double x1, double y1, PackedColor color = 0);

  void writeRecord(std::FILE* file) const override;
  void boundingBox(double& xmin, double& xmax, double& ymin, double& ymax) const override;
  void transform(double a, double b, double c, double d, double e, double f) override;
  void draw() const override;
  bool hitTest(double px, double py, double tol) const override;
  int handleCount() const override { return 2; }
  bool handlePoint(int i, double& x, double& y) const override;
  bool endpoint(int i, double& x, double& y) const override;
  bool setEndpoint(int i, double x, double y) override;
  // The endpoints and the outline: the outline is kept as it was, not
  // recomputed, since the wall width may have changed since.
  std::vector<double> shape() const override;
  void setShape(const std::vector<double>& numbers) override;

  // The colour it is painted in: pure red when selected, else its own.
  PackedColor shownColor() const;
  // The outline's four corners as vertices of the quadrilateral being drawn.
  void emitOutline() const;

  double x0, y0, x1, y1;
  double outline[8];  // c0x, c0y, c1x, c1y, c2x, c2y, c3x, c3y

 private:
  void computeOutline();
};

// ---- The list ---------------------------------------------------------------
extern Entity* EntityList;  // head (front); null when the drawing is empty

// Whether the entity is linked into the list (unlinked entities have no links).
inline bool inList(const Entity* e) { return e->next != nullptr; }

// Walks the list from the head (the front) to the tail.
template <typename Visit>
void forEachFrontToBack(Visit visit) {
  Entity* e = EntityList;
  if (!e) return;
  do {
    visit(e);
    e = e->next;
  } while (e != EntityList);
}

// Walks the list from the tail to the head: the order the drawing is painted
// and saved in.
template <typename Visit>
void forEachBackToFront(Visit visit) {
  if (!EntityList) return;
  Entity* const tail = EntityList->prev;
  Entity* e = tail;
  do {
    visit(e);
    e = e->prev;
  } while (e != tail);
}

// The first entity from the front for which `test` holds, or null.
template <typename Test>
Entity* findFrontToBack(Test test) {
  Entity* e = EntityList;
  if (!e) return nullptr;
  do {
    if (test(e)) return e;
    e = e->next;
  } while (e != EntityList);
  return nullptr;
}

void insertAtFront(Entity* e);
void insertAtBack(Entity* e);
void unlink(Entity* e);

// The selected entities from the front to the back.
std::vector<Entity*> selectedEntities();
void unselectAll();
void pickAtPoint(double px, double py, double tol, bool keep);
void pickInFence(double xmin, double xmax, double ymin, double ymax, bool keep);
// Takes the selected entities out of the list, front to back, and hands
// them to the caller.
std::vector<Entity*> removeSelected();
void deleteSelected();
void deleteAll();
void moveSelectedToFront();
void moveSelectedToBack();
void fillSelected();
void unfillSelected();
void describeSelection(std::string& text);
bool drawingExtents(double& xmin, double& xmax, double& ymin, double& ymax);
void snapPoint(double& x, double& y, bool ctrl);
// Draws every entity from the tail to the head, then the red selection marks.
void drawEntities();
// A summary of everything drawEntities draws, so that equal summaries give
// equal pictures: false when some entity's picture cannot be summarised.
bool drawingSignature(unsigned long long& signature);

// ---- Drawing settings -------------------------------------------------------
extern double wallWidth;   // 0.15
extern double gridStepX;   // 1.0
extern double gridStepY;   // 1.0
extern bool gridShown;     // off
extern bool snapToGrid;    // off
