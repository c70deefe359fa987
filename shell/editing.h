// What the drawing modes do to the drawing: the callbacks the shell gives
// the Select and Drag pickers and the line modes.  The two places where the
// drawing gains a line or has a drag applied are CreateLine and ApplyDrag.
#pragma once

#include <functional>

#include "model/affine.h"
#include "model/entity.h"
#include "shell/workspace.h"
#include "toolkit/toolkit.h"

namespace cmd {

using shell::Workspace;

// Creates the Select and Drag pickers of the canvas with the callbacks
// below, working on the workspace's drawing.
void CreatePickers(tk::Element* canvas, Workspace& ws);

// Makes a wall of the current width from (x0, y0) to (x1, y1), the only
// selected entity, and shows it.  Nothing happens while "Calcular" runs or
// when the wall cannot be allocated.  Returns whether a wall was made.
bool CreateLine(Workspace& ws, double x0, double y0, double x1, double y1);

// ---- Drag -------------------------------------------------------------------
struct DragState {
  Entity* dragTarget = nullptr;
  int vertexHandle = -1;  // index of the vertex handle picked at the press
  int boxHandle = -1;     // 0..7, the box handle picked at the press
  // Once the cursor moved with the button held: the press point and the
  // cursor point the target is shown dragged to.
  bool previewing = false;
  double pressX = 0, pressY = 0, cursorX = 0, cursorY = 0;
};
extern DragState dragState;

// Runs `show` with the target of the drag under way shown where the cursor
// has dragged it, then puts the model back exactly as it was; without such
// a drag, just runs `show`.  Every redraw of the canvas goes through here,
// so the dragged wall is drawn where the user holds it whatever asked for
// the picture.
void WithDragPreview(Workspace& ws, const std::function<void()>& show);

// Box handle i (0..7) of an entity's bounding box: the corners from the lower
// left counter-clockwise, then the edge midpoints from the bottom one.  The
// midpoints exist only for entities that may be stretched.
bool BoxHandle(const Entity* e, int i, double& x, double& y);

// Picks what the drag will move from the press point: a vertex handle of a
// selected entity, else one of its box handles, else any entity under the
// point; the entity found becomes the only selected one.
void BeginDrag(Workspace& ws, double px, double py, double tolerance);
// The map taking the target from its place at the press to the cursor (x, y):
// a scale about the opposite side for a box handle, a translation otherwise.
// False when there is nothing to move or the cursor sits on the fixed side.
bool DragTransform(double px, double py, double x, double y, Affine2D& m);
// Applies the drag from the press point to the release point (rx, ry) to the
// model, shows the result and forgets the target.
void ApplyDrag(Workspace& ws, double px, double py, double rx, double ry);

}  // namespace cmd
