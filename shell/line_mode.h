// Drawing walls: the mouse line mode (a click for the first point, a rubber
// line with its length, a click for the end point) and the keyboard-only
// line entry used while the keyboard switch is on.
#pragma once

#include <functional>
#include <string>

#include "toolkit/toolkit.h"

namespace cmd {

// The state of one line being drawn with the mouse, and who is told what.
struct LineInput {
  double x0 = 0, y0 = 0;  // first point (world)
  double x1 = 0, y1 = 0;  // end point
  bool firstPointSet = false;
  tk::Element* canvas = nullptr;
  // 1 line done or end point cancelled (start again), 0 first point or a
  // dialog cancelled (back to Select), -1 ended by another command.
  void (*done)(void* owner, int status) = nullptr;
  std::function<bool(double x0, double y0, double x1, double y1)> create;
  void (*message)(void* owner, const std::string& text) = nullptr;
  std::function<void(double& x, double& y, bool control)> adjust;
  void (*coordinates)(void* owner, double x, double y) = nullptr;
};

// Starts the mouse line mode on input.canvas with the given callbacks: shows
// the first-point prompt and waits for the first point.
void StartMouseLine(const LineInput& input);

// Asks for one whole line by dialog, starting where the last keyed line
// ended; makes it through `create`.  False when the user cancelled or typed
// a line of no length.
bool KeyboardLineEntry(const std::function<bool(double, double, double, double)>& create,
                       void (*message)(void*, const std::string&));

// With Shift, the end point is pulled onto the vertical, the horizontal or
// a 45-degree diagonal through the first point, whichever is nearest in
// direction (a slope up to 0.75 counts as level).
void DirectionLock(double x0, double y0, double& x, double& y);

}  // namespace cmd
