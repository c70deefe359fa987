// The flow analysis commands: "Calcular" (ViewGrid), the stages it runs,
// live mode and the size of the grid.
//
// Analyses run on the workspace's worker thread, on a copy of the drawing
// taken when they start, so the window stays live while they run: the
// gauge moves, the canvas shows the result as it grows.  The window waits
// for one run at a time (ws.awaited); news of any other run is dropped, so
// the result of an older drawing never replaces a newer one.  While
// "Calcular" runs, the commands that would change the drawing or release
// the result are held back (they ask PipelineRunning); Esc stops it
// (StopPipeline) and nothing of it is kept.  In live mode every change of
// the drawing starts a new run, which cancels the one going on.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "flow/analysis.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace cmd {

namespace {

using shell::AnalysisKind;

constexpr const char* kStoppedMessage = "Cálculo interrompido: nenhum resultado foi mantido.";

// Live mode's picture is replaced at every change, so a run there hands
// out fewer partial results: each is a picture drawn on the event thread
// while the machine's other core computes.
AnalysisPacing PacingOf(AnalysisKind kind) {
  AnalysisPacing pacing;
  if (kind == AnalysisKind::Live) {
    pacing.firstPartial = std::chrono::milliseconds(150);
    pacing.partialInterval = std::chrono::milliseconds(250);
  }
  return pacing;
}
constexpr int kMaxCells = 400;

const char* const kDrawingButtons[] = {"btsel", "btline", "btkeyboard", "btdel"};

void Redisplay() { ViewRedisplay(handles.datascreen); }

void SetDrawingButtonsActive(const char* active) {
  for (const char* name : kDrawingButtons) tk::SetAttribute(tk::GetHandle(name), "ACTIVE", active);
}

void ShowGauge(double value) {
  tk::SetAttribute(handles.gauge, "SHOW_TEXT", "YES");
  tk::SetfAttribute(handles.gauge, "VALUE", "%.7f", value);
}

void HideGauge() {
  tk::SetAttribute(handles.gauge, "VALUE", "0");
  tk::SetAttribute(handles.gauge, "SHOW_TEXT", "NO");
}

void ReportUnusableDrawing(AnalysisOutcome outcome) {
  switch (outcome) {
    case AnalysisOutcome::EmptyDrawing:
      tk::Message("Calcular", "O desenho está vazio: não há nada a calcular.");
      break;
    case AnalysisOutcome::NoArea:
      tk::Message("Calcular", "O desenho precisa ter largura e altura.");
      break;
    case AnalysisOutcome::NotFinite:
      tk::Message("Calcular", "As coordenadas do desenho são grandes demais para o cálculo.");
      break;
    case AnalysisOutcome::TooSmall:
      tk::Message("Calcular", "O desenho é pequeno demais para o cálculo.");
      break;
    case AnalysisOutcome::Collapsed:
      tk::Message("Calcular",
                  "O desenho está longe demais da origem para o seu tamanho: as células da grade "
                  "não se distinguem.");
      break;
    case AnalysisOutcome::NoResult:
      tk::Message("Calcular", "O cálculo deu valores não finitos; nenhum resultado foi mantido.");
      break;
    case AnalysisOutcome::NotConverged:
      // The picture stays, but it must not pass for a converged result.
      tk::Message("Calcular",
                  "O cálculo não convergiu no limite de iterações: o escoamento mostrado é "
                  "aproximado.");
      break;
    case AnalysisOutcome::Done:
    case AnalysisOutcome::Stopped:
    case AnalysisOutcome::Failed:
      break;
  }
}

// Says what ended a failed computation; only a failed allocation means
// memory ran out.
void ReportFailure(const std::exception_ptr& failure) {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    tk::Message("Calcular", "Memória insuficiente para o cálculo.");
    return;
  } catch (const std::exception& e) {
    tk::Message("Calcular", std::string("O cálculo falhou: ") + e.what() + ".");
    return;
  } catch (...) {
  }
  tk::Message("Calcular", "O cálculo falhou por um erro inesperado.");
}

// The message of an earlier stop goes once a new computation starts.
void ClearStoppedMessage() {
  if (tk::GetAttribute(handles.datatopmsg, "TITLE") == kStoppedMessage) ShowPrompt(nullptr, " ");
}

// The whole analysis of a copy of the walls.
AnalysisWorker::Job AnalyseJob(std::vector<Wall> walls, const AnalysisOptions& options) {
  return [walls = std::move(walls), options](AnalysisProgress& progress) {
    return Analyse(walls, options, progress);
  };
}

// One stage run again on a copy of the result.
template <typename Stage>
AnalysisWorker::Job StageJob(AnalysisResult base, Stage stage) {
  return [base = std::move(base), stage](AnalysisProgress& progress) mutable {
    stage(base, progress);
    return std::move(base);
  };
}

// The window stops waiting for its run: the drawing buttons and the gauge
// come back, the partial result goes.  Answers the run it waited for.
shell::AwaitedAnalysis EndAwaited(Workspace& ws) {
  const shell::AwaitedAnalysis awaited = ws.awaited;
  ws.awaited = {};
  ws.partial.reset();
  if (awaited.run != 0 && awaited.kind == AnalysisKind::Calcular) SetDrawingButtonsActive("YES");
  HideGauge();
  return awaited;
}

// Forgets the run the window waits for; its result will never be shown.
void CancelAwaited(Workspace& ws) {
  if (ws.awaited.run == 0) return;
  ws.worker.Cancel();
  EndAwaited(ws);
}

// The awaited run has ended: its result replaces the last one, unless it
// is refused (a refused drawing must not keep an earlier picture).
void Finish(Workspace& ws, AnalysisResult result) {
  const shell::AwaitedAnalysis awaited = EndAwaited(ws);
  const AnalysisOutcome outcome = result.outcome;
  const std::exception_ptr failure = result.failure;
  result.failure = nullptr;
  if (Refused(outcome)) {
    ReleaseGrid(ws.result);
  } else {
    ws.result = std::move(result);
    ws.result.windSpeed = ws.options.windSpeed;  // the field may have changed meanwhile
  }
  if (awaited.releaseAtEnd) ReleaseGrid(ws.result);
  Redisplay();
  // Last, since a message box lets other events run.
  if (awaited.kind == AnalysisKind::Live) return;
  if (outcome == AnalysisOutcome::Failed) {
    ReportFailure(failure);
  } else if (awaited.kind == AnalysisKind::Calcular) {
    ReportUnusableDrawing(outcome);
  }
}

// Starts a run of the job as the one the window waits for.  Building the
// job (copying the drawing) may fail for lack of memory: then nothing runs
// and no earlier result stays, since it would pass for this drawing's.
template <typename MakeJob>
void StartGuarded(Workspace& ws, AnalysisKind kind, MakeJob makeJob) {
  ClearStoppedMessage();
  CancelAwaited(ws);
  AnalysisWorker::Job job;
  try {
    job = makeJob();
  } catch (...) {
    ReleaseGrid(ws.result);
    Redisplay();
    if (kind != AnalysisKind::Live) ReportFailure(std::current_exception());
    return;
  }
  StartAnalysis(ws, kind, std::move(job));
}

bool AnalyseLive(Workspace& ws) {
  if (!ws.live || PipelineRunning(ws)) return false;
  StartGuarded(ws, AnalysisKind::Live,
               [&ws] { return AnalyseJob(ws.drawing.entities.walls(), ws.options); });
  return true;
}

}  // namespace

bool PipelineRunning(const Workspace& ws) {
  return ws.awaited.run != 0 && ws.awaited.kind != AnalysisKind::Live;
}

void StartAnalysis(Workspace& ws, AnalysisKind kind, AnalysisWorker::Job job) {
  CancelAwaited(ws);
  if (kind == AnalysisKind::Calcular) {
    ShowGauge(0);
    SetDrawingButtonsActive("NO");
  }
  ws.awaited.kind = kind;
  ws.awaited.run = ws.worker.Start(std::move(job), PacingOf(kind));
}

void CollectAnalysis(Workspace& ws) {
  AnalysisWorker::News news = ws.worker.Take();
  if (ws.awaited.run == 0 || news.run != ws.awaited.run) return;
  if (news.gauge > 0) ShowGauge(news.gauge);
  if (news.result) {
    Finish(ws, std::move(*news.result));
  } else if (news.partial) {
    ws.partial = std::move(news.partial);
    Redisplay();
  }
}

// Esc: the window is back at once; the worker drops the run at its next step.
void StopPipeline(Workspace& ws) {
  if (!PipelineRunning(ws)) return;
  CancelAwaited(ws);
  ReleaseGrid(ws.result);
  Redisplay();
  ShowPrompt(nullptr, kStoppedMessage);
}

void EndAnalyses(Workspace& ws) {
  ws.worker.Stop();
  ws.awaited = {};
  ws.partial.reset();
}

// In live mode the picture follows the drawing, so it stays.
void ReleaseGridWhenFree(Workspace& ws) {
  if (ws.live) return;
  if (ws.awaited.run != 0) {
    ws.awaited.releaseAtEnd = true;
  } else {
    ReleaseGrid(ws.result);
  }
}

void DrawingChanged(Workspace& ws) { AnalyseLive(ws); }

bool OptionsChanged(Workspace& ws) { return AnalyseLive(ws); }

void ResultOutdated(Workspace& ws) {
  if (ws.live) {
    AnalyseLive(ws);
  } else {
    ReleaseGrid(ws.result);
  }
}

void DiscardFlowResult(Workspace& ws) {
  CancelAwaited(ws);
  ReleaseGrid(ws.result);
}

int ViewGrid(Workspace& ws, const tk::Event&) {
  if (PipelineRunning(ws)) return tk::kDefault;
  StartGuarded(ws, AnalysisKind::Calcular,
               [&ws] { return AnalyseJob(ws.drawing.entities.walls(), ws.options); });
  return tk::kDefault;
}

int ComputeFlow(Workspace& ws, const tk::Event&) {
  if (PipelineRunning(ws)) return tk::kDefault;
  StartGuarded(ws, AnalysisKind::Stage, [&ws] {
    const AnalysisOptions options = ws.options;
    return StageJob(ws.result, [options](AnalysisResult& r, AnalysisProgress& progress) {
      ComputeFlowStage(r, options, progress);
    });
  });
  return tk::kDefault;
}

int ComputeStreamLine(Workspace& ws, const tk::Event&) {
  if (PipelineRunning(ws)) return tk::kDefault;
  StartGuarded(ws, AnalysisKind::Stage, [&ws] {
    return StageJob(ws.result, [](AnalysisResult& r, AnalysisProgress& progress) {
      ComputeStreamlineStage(r, progress);
    });
  });
  return tk::kDefault;
}

int PaintCell(const tk::Event&) {
  Redisplay();
  return tk::kDefault;
}

// Switched on, the drawing as it is is analysed at once.  Switched off, a
// run still going is dropped; the last result stays, as after "Calcular".
int FlowLiveOnOff(Workspace& ws, const tk::Event& ev) {
  const bool on = ev.state != 0;
  tk::SetAttribute(ev.element, "VALUE", on ? "ON" : "OFF");
  if (on == ws.live) return tk::kDefault;
  ws.live = on;
  if (on) {
    AnalyseLive(ws);
  } else if (ws.awaited.kind == AnalysisKind::Live) {
    CancelAwaited(ws);
    Redisplay();
  }
  return tk::kDefault;
}

// One toggle of the "Malha" choice, titled with its number of cells a side.
// The chosen one stays on when clicked again.
int FlowGridCells(Workspace& ws, const tk::Event& ev) {
  const int cells = std::atoi(tk::GetAttribute(ev.element, "TITLE").c_str());
  if (ev.state == 0) {
    if (cells == ws.options.cells) tk::SetAttribute(ev.element, "VALUE", "ON");
    return tk::kDefault;
  }
  if (cells < 2 || cells > kMaxCells || cells == ws.options.cells) return tk::kDefault;
  ws.options.cells = cells;
  OptionsChanged(ws);
  return tk::kDefault;
}

}  // namespace cmd
