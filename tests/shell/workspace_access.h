// The workspace the window tests start the program's window with, and
// shorthands for its parts.
#pragma once

#include <chrono>

#include "flow/analysis.h"
#include "model/drawing.h"
#include "shell/workspace.h"
#include "view/redraw.h"
#include "view/view.h"

namespace shelltest {

inline shell::Workspace& Ws() {
  static shell::Workspace workspace;
  return workspace;
}
inline EntityList& Entities() { return Ws().drawing.entities; }
inline DrawingSettings& Settings() { return Ws().drawing.settings; }
inline History& Hist() { return Ws().drawing.history; }
inline CellGrid& Grid() { return Ws().result.grid; }
inline StreamlineList& Streamlines() { return Ws().result.streamlines; }

// A wall of the current width put in front, as a wall drawn is.
inline LineEntity* NewLine(double x0, double y0, double x1, double y1, PackedColor color = 0) {
  auto* line = new LineEntity(x0, y0, x1, y1, Settings().wallWidth, color);
  Entities().insertAtFront(line);
  return line;
}

// Processes events until the window waits for no analysis; false when a
// minute passed first (a 400-cell run under the sanitizers takes seconds).
inline bool WaitForAnalysis() {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (Ws().awaited.run != 0 && std::chrono::steady_clock::now() < giveUp) tk::LoopWait(0.05);
  return Ws().awaited.run == 0;
}

// The redraw the program gives its canvas: the workspace's scene.
inline RedrawCallback SceneRedraw() {
  return [](tk::Element* canvas, double xmin, double xmax, double ymin, double ymax) {
    RedrawScene(canvas, xmin, xmax, ymin, ymax,
                Scene{Entities(), Settings(), Ws().shownResult()});
  };
}

}  // namespace shelltest
