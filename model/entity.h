// The figures a drawing is made of.  An entity belongs to at most one
// EntityList (model/entity_list.h), which links it in drawing order.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// Packed colour 0x00RRGGBB.
using PackedColor = long;

// Makes the packed colour the current OpenGL colour.
void setGLColor(PackedColor color);

class EntityList;

// Pixels per world unit along x and y under the current OpenGL projection
// and viewport (an orthographic projection, the model-view the identity).
struct PixelScale {
  double x = 0, y = 0;
};
PixelScale currentPixelScale();

class Entity {
 public:
  Entity() = default;  // kind -1, unselected, colour 0, in no list
  virtual ~Entity();   // unlinks from its list, if it is in one

  Entity(const Entity&) = delete;
  Entity& operator=(const Entity&) = delete;

  virtual void writeRecord(std::FILE* file) const = 0;
  virtual bool isClosed() const { return false; }
  virtual int fill() { return 0; }
  virtual int unfill() { return 0; }
  virtual void boundingBox(double& xmin, double& xmax, double& ymin, double& ymax) const = 0;
  virtual bool keepsAspect() const { return false; }
  // Maps the figure by x' = a x + b y + c, y' = d x + e y + f; a wall's
  // outline is made again with the wall width given.
  virtual void transform(double a, double b, double c, double d, double e, double f,
                         double wallWidth) = 0;
  virtual void draw() const = 0;
  virtual bool hitTest(double px, double py, double tol) const = 0;
  virtual int handleCount() const { return 0; }
  virtual bool handlePoint(int i, double& x, double& y) const;
  virtual bool endpoint(int i, double& x, double& y) const;
  // Moves endpoint i; a wall's outline is made again with the width given.
  virtual bool setEndpoint(int i, double x, double y, double wallWidth);
  virtual bool describeGeometry(std::string& text) const;
  // Every number that makes up the entity's figure, and their restoration,
  // so that an edit can be taken back bit for bit.
  virtual std::vector<double> shape() const { return {}; }
  virtual void setShape(const std::vector<double>&) {}

  // Whether the entity is linked into a list.
  bool inList() const { return list != nullptr; }

  // Links, kept by the list that holds the entity; all null outside a list.
  Entity* next = nullptr;
  Entity* prev = nullptr;
  EntityList* list = nullptr;
  int kind = -1;
  int selected = 0;
  PackedColor color = 0;
};

// The rectangle of a wall from P0 to P1: the segment pushed half the width
// to each side along its normal, as corners c0 = P0 + h n, c1 = P1 + h n,
// c2 = P1 - h n, c3 = P0 - h n.  A segment with no length has no direction
// and gets a square of side `width` centred on its point instead.
void WallOutline(double x0, double y0, double x1, double y1, double width, double outline[8]);

// A wall: the segment P0-P1 and its rectangle of the wall width it was
// made or last edited with.
class LineEntity : public Entity {
 public:
  LineEntity(double x0, double y0, double x1, double y1, double wallWidth, PackedColor color = 0);

  void writeRecord(std::FILE* file) const override;
  void boundingBox(double& xmin, double& xmax, double& ymin, double& ymax) const override;
  void transform(double a, double b, double c, double d, double e, double f,
                 double wallWidth) override;
  void draw() const override;
  bool hitTest(double px, double py, double tol) const override;
  int handleCount() const override { return 2; }
  bool handlePoint(int i, double& x, double& y) const override;
  bool endpoint(int i, double& x, double& y) const override;
  bool setEndpoint(int i, double x, double y, double wallWidth) override;
  // The endpoints and the outline: the outline is kept as it was, not
  // recomputed, since the wall width may have changed since.
  std::vector<double> shape() const override;
  void setShape(const std::vector<double>& numbers) override;

  // The colour it is painted in: pure red when selected, else its own.
  PackedColor shownColor() const;
  // The outline's four corners as vertices of the quadrilateral being
  // drawn, at least one pixel wide on the screen at `scale`.
  void emitOutline(const PixelScale& scale) const;

  double x0, y0, x1, y1;
  double outline[8];  // c0x, c0y, c1x, c1y, c2x, c2y, c3x, c3y
};
