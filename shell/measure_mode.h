// "Medir": reading the flow along a line or over a rectangle drawn on the
// canvas.  A left drag draws a rubber line from the press to the release
// and reads the flow through it; with Shift held at the press it draws a
// rubber rectangle and reads the speeds over it.  The read-out goes to the
// message line and the tool waits for the next measurement; the right
// button ends it.
#pragma once

#include <functional>
#include <string>

#include "toolkit/toolkit.h"

namespace cmd {

struct MeasureInput {
  tk::Element* canvas = nullptr;
  // 0 the right button (back to Select), -1 ended by another command.
  void (*done)(void* owner, int status) = nullptr;
  void (*message)(void* owner, const std::string& text) = nullptr;
  std::function<void(double& x, double& y, bool control)> adjust;
  void (*coordinates)(void* owner, double x, double y) = nullptr;
  // The read-outs of a line from (x0, y0) to (x1, y1) and of a rectangle.
  std::function<std::string(double x0, double y0, double x1, double y1)> line;
  std::function<std::string(double xmin, double xmax, double ymin, double ymax)> zone;
};

constexpr const char* kMeasurePrompt =
    "Medir: arraste uma linha através de uma abertura (vazão); com Shift, um retângulo (zona). "
    "Botao da direita => Termina.";

// Shows the prompt and waits for the first measurement.
void StartMeasure(const MeasureInput& input);

}  // namespace cmd
