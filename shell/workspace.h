// What the program works on, made at start-up and kept for its whole run:
// the drawing, the last flow result and how it is shown.  The commands reach it through the
// callbacks they are registered with.
#pragma once

#include "flow/analysis.h"
#include "model/drawing.h"
#include "view/redraw.h"

namespace shell {

struct Workspace {
  Drawing drawing;
  // What "Calcular" analyses with.
  AnalysisOptions options;
  // The result of the last "Calcular"; no grid when there is none.
  AnalysisResult result;
  // While "Calcular" runs, the result as far as it is built, which the
  // redraws show instead; null otherwise.
  const AnalysisResult* partial = nullptr;
  // Which pictures of the flow the canvas shows.
  FlowLayers layers = FlowLayers::Streamlines;

  const AnalysisResult& shownResult() const { return partial ? *partial : result; }
};

}  // namespace shell
