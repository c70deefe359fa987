// The flow analysis commands: "Calcular" (ViewGrid) and the stages it runs.
//
// The computation runs inside the command, on the workspace's drawing, and
// lets the toolkit handle events at its pauses, so the window stays live
// and shows the result as it grows.  While it runs, the commands that
// would release the result or change the drawing are held back (they ask
// PipelineRunning), and an exit request waits until the end.  Esc stops it
// (StopPipeline) through its cancel flag: nothing of the result is kept.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <utility>

#include "flow/analysis.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/view.h"

namespace cmd {

namespace {

using Clock = std::chrono::steady_clock;

// Events run at most every 15 ms: on every step they would cost more than
// the computation itself.  Redraws are paced by what a frame costs.
constexpr auto kEventInterval = std::chrono::milliseconds(15);
constexpr const char* kStoppedMessage = "Cálculo interrompido: nenhum resultado foi mantido.";

const char* const kDrawingButtons[] = {"btsel", "btline", "btkeyboard", "btdel"};

bool running = false;
std::atomic<bool> stopRequested{false};
bool releasePending = false;  // a result release asked for while the computation ran

class Throttle {
 public:
  explicit Throttle(Clock::duration interval) : interval_(interval) {}
  bool Due() {
    const Clock::time_point now = Clock::now();
    if (now - last_ < interval_) return false;
    last_ = now;
    return true;
  }

 private:
  Clock::duration interval_;
  Clock::time_point last_{};
};

void Redisplay() { ViewRedisplay(handles.datascreen); }

// The window's side of a computation: the gauge shows its progress, the
// event loop runs at its pauses, the canvas shows the result as far as it
// is built, and Esc stops it.
class WindowProgress : public AnalysisProgress {
 public:
  explicit WindowProgress(Workspace& ws) : ws_(ws) {}
  WindowProgress(const WindowProgress&) = delete;
  WindowProgress& operator=(const WindowProgress&) = delete;

  void GaugeMoved(double value) override {
    char text[64];
    std::snprintf(text, sizeof text, "%.7f", value);
    tk::SetAttribute(handles.gauge, "VALUE", text);
  }
  void Pause() override {
    if (events_.Due()) tk::LoopStep();
  }
  void Redraw(const AnalysisResult& partial) override {
    ws_.partial = &partial;
    frames_.Offer(Redisplay);
  }
  const std::atomic<bool>* CancelFlag() const override { return &stopRequested; }

 private:
  Workspace& ws_;
  FramePacer frames_;
  Throttle events_{kEventInterval};
};

// Marks the computation as running for as long as it lasts; at the end it
// shows the complete picture and lets a held-back exit take effect.
class ComputationScope {
 public:
  explicit ComputationScope(Workspace& ws) : ws_(ws) {
    running = true;
    stopRequested = false;
  }
  ~ComputationScope() {
    ws_.partial = nullptr;
    if (releasePending) ReleaseGrid(ws_.result);
    releasePending = false;
    Redisplay();
    running = false;
    stopRequested = false;
    FinishPendingExit(ws_);
  }
  ComputationScope(const ComputationScope&) = delete;
  ComputationScope& operator=(const ComputationScope&) = delete;

 private:
  Workspace& ws_;
};

void SetDrawingButtonsActive(const char* active) {
  for (const char* name : kDrawingButtons) tk::SetAttribute(tk::GetHandle(name), "ACTIVE", active);
}

void ShowGauge() {
  tk::SetAttribute(handles.gauge, "SHOW_TEXT", "YES");
  tk::SetAttribute(handles.gauge, "VALUE", "0");
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

// Runs a computation that leaves its result in the workspace and answers
// its outcome.  A stop or a failure keeps nothing of the result; nothing
// thrown escapes into the toolkit.  Only "Calcular" reports a drawing it
// cannot analyse.
template <typename Computation>
void RunGuarded(Workspace& ws, bool reportUnusable, Computation computation) {
  ClearStoppedMessage();
  AnalysisOutcome outcome = AnalysisOutcome::Failed;
  std::exception_ptr failure;
  try {
    WindowProgress progress(ws);
    outcome = computation(progress);
    failure = ws.result.failure;
  } catch (...) {
    failure = std::current_exception();
  }
  ws.partial = nullptr;
  ws.result.failure = nullptr;
  if (Refused(outcome)) ReleaseGrid(ws.result);
  if (outcome == AnalysisOutcome::Stopped) {
    ShowPrompt(nullptr, kStoppedMessage);
  } else if (outcome == AnalysisOutcome::Failed) {
    ReportFailure(failure);
  } else if (reportUnusable) {
    ReportUnusableDrawing(outcome);
  }
}

}  // namespace

bool PipelineRunning() { return running; }

void StopPipeline() {
  if (running) stopRequested = true;
}

void ReleaseGridWhenFree(Workspace& ws) {
  if (running) releasePending = true;
  else ReleaseGrid(ws.result);
}

int ViewGrid(Workspace& ws, const tk::Event&) {
  if (running) return tk::kDefault;
  {
    ComputationScope scope(ws);
    ShowGauge();
    SetDrawingButtonsActive("NO");
    RunGuarded(ws, true, [&ws](AnalysisProgress& progress) {
      AnalysisResult result = Analyse(ws.drawing.entities.walls(), ws.options, progress);
      ws.partial = nullptr;
      ws.result = std::move(result);
      ws.result.windSpeed = ws.options.windSpeed;  // the field may have changed meanwhile
      return ws.result.outcome;
    });
    SetDrawingButtonsActive("YES");
    HideGauge();
  }
  return tk::kDefault;
}

int ComputeFlow(Workspace& ws, const tk::Event&) {
  if (running) return tk::kDefault;
  ComputationScope scope(ws);
  RunGuarded(ws, false, [&ws](AnalysisProgress& progress) {
    return ComputeFlowStage(ws.result, ws.options, progress);
  });
  return tk::kDefault;
}

int ComputeStreamLine(Workspace& ws, const tk::Event&) {
  if (running) return tk::kDefault;
  ComputationScope scope(ws);
  RunGuarded(ws, false,
             [&ws](AnalysisProgress& progress) { return ComputeStreamlineStage(ws.result, progress); });
  return tk::kDefault;
}

int PaintCell(const tk::Event&) {
  Redisplay();
  return tk::kDefault;
}

}  // namespace cmd
