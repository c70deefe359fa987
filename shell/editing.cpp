#include "shell/editing.h"

#include <cmath>
#include <new>
#include <vector>

#include "model/drawing.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "shell/pickers.h"
#include "view/pick.h"
#include "view/view.h"

namespace cmd {

DragState dragState;

namespace {

void Redraw() { ViewRedisplay(handles.datascreen); }

bool Near(double hx, double hy, double px, double py, double tolerance) {
  return std::fabs(hx - px) <= tolerance && std::fabs(hy - py) <= tolerance;
}

// The first vertex handle of `e` within tolerance of the point, or -1.
int VertexHandleNear(const Entity* e, double px, double py, double tolerance) {
  for (int i = 0; i < e->handleCount(); ++i) {
    double hx = 0, hy = 0;
    if (e->handlePoint(i, hx, hy) && Near(hx, hy, px, py, tolerance)) return i;
  }
  return -1;
}

int BoxHandleNear(const Entity* e, double px, double py, double tolerance) {
  for (int i = 0; i < 8; ++i) {
    double hx = 0, hy = 0;
    if (BoxHandle(e, i, hx, hy) && Near(hx, hy, px, py, tolerance)) return i;
  }
  return -1;
}

void MakeOnlySelected(EntityList& entities, Entity* e) {
  entities.unselectAll();
  e->selected = 1;
}

Workspace& WorkspaceOf(void* userData) { return *static_cast<Workspace*>(userData); }

// The endpoints of an entity, to put it back exactly after a preview.
std::vector<PickPoint> SavedEndpoints(const Entity* e) {
  std::vector<PickPoint> points;
  PickPoint p;
  while (e->endpoint(static_cast<int>(points.size()), p.x, p.y)) points.push_back(p);
  return points;
}

void RestoreEndpoints(Entity* e, const std::vector<PickPoint>& points, double wallWidth) {
  for (size_t i = 0; i < points.size(); ++i)
    e->setEndpoint(static_cast<int>(i), points[i].x, points[i].y, wallWidth);
}

// How a box handle moves one axis: -1 it carries the low side (the high side
// stays), +1 the high side, 0 not at all (the middle stays).
struct HandleRoles {
  int x, y;
};
constexpr HandleRoles kHandleRoles[8] = {{-1, -1}, {+1, -1}, {+1, +1}, {-1, +1},
                                         {0, -1},  {+1, 0},  {0, +1},  {-1, 0}};

// One axis of a box-handle drag: the distance of the cursor from the fixed
// side (the scale's numerator) and the fixed coordinate.
struct AxisDrag {
  double moved = 0, fixed = 0, extent = 0;
  bool scales = false;
};

AxisDrag AlongAxis(int role, double low, double high, double cursor) {
  AxisDrag a;
  a.extent = high - low;
  a.scales = role != 0;
  a.fixed = role < 0 ? high : role > 0 ? low : (low + high) * 0.5;
  a.moved = role < 0 ? high - cursor : cursor - low;
  return a;
}

// A figure with no extent on an axis (a horizontal or vertical wall) has
// nothing to scale there: it keeps the factor 1 on that axis and scales along
// the other.  Otherwise the cursor on the fixed side is refused, since it
// would flatten the figure.
bool AxisFactor(const AxisDrag& a, double& factor) {
  factor = 1;
  if (!a.scales || a.extent == 0) return true;
  if (a.moved == 0) return false;
  factor = a.moved / a.extent;
  return true;
}

bool BoxHandleTransform(const Entity* e, int handle, double x, double y, Affine2D& m) {
  if (e->keepsAspect() && handle > 3) return false;
  double xmin, xmax, ymin, ymax;
  e->boundingBox(xmin, xmax, ymin, ymax);
  const AxisDrag ax = AlongAxis(kHandleRoles[handle].x, xmin, xmax, x);
  const AxisDrag ay = AlongAxis(kHandleRoles[handle].y, ymin, ymax, y);
  double sx = 1, sy = 1;
  if (!AxisFactor(ax, sx) || !AxisFactor(ay, sy)) return false;
  if (e->keepsAspect()) {
    // One factor for both axes, from the axis the cursor moved less along.
    const bool byHeight = std::fabs(ay.moved) <= std::fabs(ax.moved) && ay.extent != 0;
    sx = sy = byHeight ? sy : sx;
  }
  m.reset();
  m.scaleAbout(sx, sy, ax.fixed, ay.fixed);
  return true;
}

// The target follows the cursor.  In live mode the drawing is analysed as
// shown, so that the flow follows the moving wall.
void PreviewDrag(Workspace& ws, double px, double py, double x, double y) {
  dragState.previewing = true;
  dragState.pressX = px;
  dragState.pressY = py;
  dragState.cursorX = x;
  dragState.cursorY = y;
  WithDragPreview(ws, [&ws] { DrawingChanged(ws); });
  Redraw();
}

// ---- The callbacks given to the pickers -------------------------------------------

void SelectAt(void* ws, double x, double y, double tolerance, bool keep) {
  WorkspaceOf(ws).drawing.entities.pickAtPoint(x, y, tolerance, keep);
  Redraw();
}

void SelectInFence(void* ws, double xmin, double xmax, double ymin, double ymax, bool keep) {
  WorkspaceOf(ws).drawing.entities.pickInFence(xmin, xmax, ymin, ymax, keep);
  Redraw();
}

void SnapAdjust(void* ws, double* x, double* y, double, bool control) {
  WorkspaceOf(ws).drawing.settings.snapPoint(*x, *y, control);
}

void DragBegin(void* ws, double px, double py, double tolerance, bool, bool) {
  BeginDrag(WorkspaceOf(ws), px, py, tolerance);
  Redraw();
}

// Before the press the cursor is drawn onto the handles of the selection, so
// that the press lands exactly on one; during a drag it snaps to the grid.
void DragAdjust(void* ws, double* x, double* y, double tolerance, bool control) {
  const Drawing& drawing = WorkspaceOf(ws).drawing;
  if (dragState.dragTarget) return drawing.settings.snapPoint(*x, *y, control);
  drawing.entities.findFrontToBack([&](const Entity* e) {
    if (!e->selected) return false;
    double hx = 0, hy = 0;
    const int vertex = VertexHandleNear(e, *x, *y, tolerance);
    const bool found = vertex >= 0 ? e->handlePoint(vertex, hx, hy)
                                   : BoxHandle(e, BoxHandleNear(e, *x, *y, tolerance), hx, hy);
    if (found) *x = hx, *y = hy;
    return found;
  });
}

// The erase and the redraw of the echo both report the cursor; the picture
// changes only when the cursor point does.
void DragMotion(void* ws, double px, double py, double x, double y) {
  ShowCursorPos(nullptr, x, y);
  if (!dragState.dragTarget) return;
  if (dragState.previewing && x == dragState.cursorX && y == dragState.cursorY) return;
  PreviewDrag(WorkspaceOf(ws), px, py, x, y);
}

void DragEnd(void* ws, double px, double py, double rx, double ry) {
  ApplyDrag(WorkspaceOf(ws), px, py, rx, ry);
}

// A drag ended without being applied: the target is shown where it is, and
// in live mode analysed there again.
void DragDropped(void* ws) {
  const bool previewed = dragState.previewing;
  dragState = DragState{};
  if (!previewed) return;
  DrawingChanged(WorkspaceOf(ws));
  Redraw();
}

}  // namespace

void CreatePickers(tk::Element* canvas, Workspace& ws) {
  SelectPicker select;
  select.canvas = canvas;
  select.userData = &ws;
  select.pointPick = SelectAt;
  select.fence = SelectInFence;
  select.adjust = SnapAdjust;
  select.motion = ShowCursorPos;
  CreateSelectPicker(select);

  DragPicker drag;
  drag.canvas = canvas;
  drag.userData = &ws;
  drag.begin = DragBegin;
  drag.end = DragEnd;
  drag.adjust = DragAdjust;
  drag.motion = DragMotion;
  drag.dropped = DragDropped;
  CreateDragPicker(drag);
}

bool CreateLine(Workspace& ws, double x0, double y0, double x1, double y1) {
  // The drawing must not change while "Calcular" runs.
  if (PipelineRunning(ws)) return false;
  Drawing& drawing = ws.drawing;
  LineEntity* line = nullptr;
  drawing.history.RecordChange({}, [&] {
    line = new (std::nothrow) LineEntity(x0, y0, x1, y1, drawing.settings.wallWidth);
    if (!line) return;
    drawing.entities.insertAtFront(line);
    drawing.history.Created(line);
    MakeOnlySelected(drawing.entities, line);
  });
  if (!line) return false;
  DrawingChanged(ws);
  Redraw();
  return true;
}

void WithDragPreview(Workspace& ws, const std::function<void()>& show) {
  static bool applied = false;  // a picture asked for while one is drawn
  Entity* target = dragState.dragTarget;
  Affine2D m;
  if (!target || !dragState.previewing || applied ||
      (dragState.vertexHandle < 0 && !DragTransform(dragState.pressX, dragState.pressY,
                                                    dragState.cursorX, dragState.cursorY, m))) {
    show();
    return;
  }
  const double wallWidth = ws.drawing.settings.wallWidth;
  const std::vector<PickPoint> saved = SavedEndpoints(target);
  if (dragState.vertexHandle >= 0) {
    target->setEndpoint(dragState.vertexHandle, dragState.cursorX, dragState.cursorY, wallWidth);
  } else {
    target->transform(m.a, m.b, m.c, m.d, m.e, m.f, wallWidth);
  }
  applied = true;
  show();
  applied = false;
  RestoreEndpoints(target, saved, wallWidth);
}

bool BoxHandle(const Entity* e, int i, double& x, double& y) {
  if (!e || i < 0 || i > 7 || (i > 3 && e->keepsAspect())) return false;
  double xmin, xmax, ymin, ymax;
  e->boundingBox(xmin, xmax, ymin, ymax);
  const double xs[3] = {xmin, (xmin + xmax) * 0.5, xmax};
  const double ys[3] = {ymin, (ymin + ymax) * 0.5, ymax};
  // Each role picks the low side, the middle or the high side.
  x = xs[kHandleRoles[i].x + 1];
  y = ys[kHandleRoles[i].y + 1];
  return true;
}

// A drag is recorded from the press, so that undo gives back the selection
// the press replaced as well as the target's shape.
void BeginDrag(Workspace& ws, double px, double py, double tolerance) {
  EntityList& entities = ws.drawing.entities;
  History& history = ws.drawing.history;
  history.Begin();
  dragState = DragState{};
  auto vertexAt = [&](const Entity* e) {
    return e->selected ? VertexHandleNear(e, px, py, tolerance) : -1;
  };
  auto boxAt = [&](const Entity* e) {
    return e->selected ? BoxHandleNear(e, px, py, tolerance) : -1;
  };
  if (Entity* e = entities.findFrontToBack([&](const Entity* c) { return vertexAt(c) >= 0; })) {
    dragState = {e, vertexAt(e), -1};
  } else if (Entity* e = entities.findFrontToBack([&](const Entity* c) { return boxAt(c) >= 0; })) {
    dragState = {e, -1, boxAt(e)};
  } else {
    dragState.dragTarget =
        entities.findFrontToBack([&](const Entity* e) { return e->hitTest(px, py, tolerance); });
  }
  if (!dragState.dragTarget) return;
  history.Touch({dragState.dragTarget});
  MakeOnlySelected(entities, dragState.dragTarget);
}

bool DragTransform(double px, double py, double x, double y, Affine2D& m) {
  const Entity* target = dragState.dragTarget;
  if (!target) return false;
  if (dragState.boxHandle >= 0) return BoxHandleTransform(target, dragState.boxHandle, x, y, m);
  m.reset();
  m.translate(x - px, y - py);
  return true;
}

void ApplyDrag(Workspace& ws, double px, double py, double rx, double ry) {
  Entity* target = dragState.dragTarget;
  // The drawing must not change while "Calcular" runs.
  if (target && !PipelineRunning(ws)) {
    History& history = ws.drawing.history;
    const double wallWidth = ws.drawing.settings.wallWidth;
    if (!history.Recording()) history.Begin();  // the press was not seen
    history.Touch({target});
    Affine2D m;
    if (dragState.vertexHandle >= 0) {
      target->setEndpoint(dragState.vertexHandle, rx, ry, wallWidth);
    } else if (DragTransform(px, py, rx, ry, m)) {
      target->transform(m.a, m.b, m.c, m.d, m.e, m.f, wallWidth);
    }
    history.Commit();
    DrawingChanged(ws);
  }
  dragState = DragState{};
  Redraw();
}

}  // namespace cmd
