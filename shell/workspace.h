// What the program works on, made at start-up and kept for its whole run:
// the drawing, the flow result, the analyses that compute it and how it is
// shown.  The commands reach it through the callbacks they are registered
// with.
#pragma once

#include <memory>

#include "flow/analysis.h"
#include "flow/analysis_worker.h"
#include "model/drawing.h"
#include "toolkit/toolkit.h"
#include "view/redraw.h"

namespace shell {

// Who started an analysis, which decides what the window does meanwhile
// and with its end.
enum class AnalysisKind {
  Calcular,  // the drawing buttons and the editing commands wait for it; it reports problems
  Stage,     // one stage of "Calcular" on the last result: editing waits for it
  Live,      // started by a change of the drawing in live mode: nothing waits, nothing is said
};

// The analysis the window waits for; news of any other run is dropped.
struct AwaitedAnalysis {
  AnalysisWorker::Run run = 0;  // 0: none
  AnalysisKind kind = AnalysisKind::Calcular;
  bool releaseAtEnd = false;  // the result is to go once the run has ended
};

struct Workspace {
  Workspace() = default;
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  Drawing drawing;
  // What "Calcular" and live mode analyse with.
  AnalysisOptions options;
  // The last complete result; no grid when there is none.
  AnalysisResult result;
  // While an analysis runs, its result as far as built, which the redraws
  // show instead; null otherwise.
  std::shared_ptr<const AnalysisResult> partial;
  // Which pictures of the flow the canvas shows.
  FlowLayers layers = FlowLayers::Streamlines;
  // "Ao vivo": every change of the drawing starts an analysis.
  bool live = false;
  AwaitedAnalysis awaited;
  // Runs, on the event thread, whatever the worker has for the window.
  tk::Waker analysisNews;
  // Declared last, so that its thread has ended before anything above goes.
  AnalysisWorker worker{[this] { analysisNews.Wake(); }};

  const AnalysisResult& shownResult() const { return partial ? *partial : result; }
};

}  // namespace shell
