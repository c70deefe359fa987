// The flow analysis commands: "Calcular" (ViewGrid) and the stages it runs.
//
// The computation runs inside the command and lets the toolkit handle
// events as it goes, so the window stays live.  While it runs, the commands
// that would release the grid or the drawing are held back (they ask
// PipelineRunning), and an exit request waits until the end.  Esc stops it
// (StopPipeline): at the next gauge or redraw point its hooks throw, and the
// command discards what was computed so far.
#include <chrono>
#include <exception>
#include <memory>
#include <new>
#include <string>

#include "flow/analysis.h"
#include "flow/cell_grid.h"
#include "flow/progress.h"
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
bool stopRequested = false;
bool releasePending = false;  // a grid release asked for while the computation ran

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

// Unwinds the computation once Esc has asked for it to stop.
void StopIfRequested() {
  if (stopRequested) throw AnalysisStopped{};
}

FlowHooks WindowHooks() {
  auto frames = std::make_shared<FramePacer>();
  auto events = std::make_shared<Throttle>(kEventInterval);
  FlowHooks hooks;
  hooks.readGauge = [] { return tk::GetFloat(handles.gauge, "VALUE"); };
  hooks.setGauge = [](const std::string& text) { tk::SetAttribute(handles.gauge, "VALUE", text); };
  hooks.processEvents = [events] {
    if (events->Due()) tk::LoopStep();
    StopIfRequested();
  };
  hooks.redraw = [frames] {
    StopIfRequested();
    frames->Offer(Redisplay);
  };
  return hooks;
}

// Marks the computation as running and wires its progress to the window for
// as long as it lasts; at the end it shows the complete picture and lets a
// held-back exit take effect.
class ComputationScope {
 public:
  ComputationScope() {
    running = true;
    stopRequested = false;
    SetFlowHooks(WindowHooks());
  }
  ~ComputationScope() {
    SetFlowHooks(FlowHooks{});
    if (releasePending) ReleaseGrid();
    releasePending = false;
    Redisplay();
    running = false;
    stopRequested = false;
    FinishPendingExit();
  }
  ComputationScope(const ComputationScope&) = delete;
  ComputationScope& operator=(const ComputationScope&) = delete;
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
      break;
  }
}

// A failed stage leaves no grid rather than a half-built one, and says why.
void ReportFailedAnalysis(const std::string& text) {
  ReleaseGrid();
  tk::Message("Calcular", text);
}

// The message of an earlier stop goes once a new computation starts.
void ClearStoppedMessage() {
  if (tk::GetAttribute(handles.datatopmsg, "TITLE") == kStoppedMessage) ShowPrompt(nullptr, " ");
}

// Runs one stage of the analysis; nothing it throws escapes into the
// toolkit.  A stop (Esc) keeps nothing of the result either.  Only a failed
// allocation means memory ran out.
template <typename Stage>
void RunGuarded(Stage stage) {
  ClearStoppedMessage();
  try {
    stage();
  } catch (const AnalysisStopped&) {
    ReleaseGrid();
    ShowPrompt(nullptr, kStoppedMessage);
  } catch (const std::bad_alloc&) {
    ReportFailedAnalysis("Memória insuficiente para o cálculo.");
  } catch (const std::exception& e) {
    ReportFailedAnalysis(std::string("O cálculo falhou: ") + e.what() + ".");
  } catch (...) {
    ReportFailedAnalysis("O cálculo falhou por um erro inesperado.");
  }
}

}  // namespace

bool PipelineRunning() { return running; }

void StopPipeline() {
  if (running) stopRequested = true;
}

void ReleaseGridWhenFree() {
  if (running) releasePending = true;
  else ReleaseGrid();
}

int ViewGrid(const tk::Event&) {
  if (running) return tk::kDefault;
  {
    ComputationScope scope;
    ShowGauge();
    SetDrawingButtonsActive("NO");
    RunGuarded([] {
      const AnalysisOutcome outcome = RunAnalysis(kGridCells);
      ReportUnusableDrawing(outcome);
    });
    SetDrawingButtonsActive("YES");
    HideGauge();
  }
  return tk::kDefault;
}

int ComputeFlow(const tk::Event&) {
  if (running) return tk::kDefault;
  ComputationScope scope;
  RunGuarded(ComputeFlowStage);
  return tk::kDefault;
}

int ComputeStreamLine(const tk::Event&) {
  if (running) return tk::kDefault;
  ComputationScope scope;
  RunGuarded(ComputeStreamlineStage);
  return tk::kDefault;
}

int PaintCell(const tk::Event&) {
  Redisplay();
  return tk::kDefault;
}

}  // namespace cmd
