// Progress and redraw requests of the flow analysis.  The numerical code
// knows no window: the shell installs hooks that read and set the gauge,
// let the toolkit handle pending events and redraw the canvas.  With no
// hooks installed (tests, the batch tool) these requests cost nothing.
#pragma once

#include <chrono>
#include <functional>
#include <string>

struct FlowHooks {
  std::function<double()> readGauge;                 // the gauge's value as a number
  std::function<void(const std::string&)> setGauge;  // the gauge's new value text
  std::function<void()> processEvents;               // one pass of the event loop
  std::function<void()> redraw;                      // show the current results
};

// A hook may throw AnalysisStopped to abandon the computation at a gauge or
// redraw point.  The grid and streamlines are then left part-built: whoever
// catches it releases them (ReleaseGrid).
struct AnalysisStopped {};

// Replaces the installed hooks; FlowHooks{} removes them.
void SetFlowHooks(FlowHooks hooks);

// The fraction each AdvanceGauge adds to the gauge.
extern double gaugeStep;

// Moves the gauge on by gaugeStep, wrapping to 0 past 1, writes it back
// with "%.7f" and lets pending events run once.
void AdvanceGauge();
// The gauge's next value after `value`: value + gaugeStep, or 0 past 1.
double NextGaugeValue(double value);
void RequestRedraw();
void ProcessEvents();

// Paces the redraws a computation asks for.  A frame is drawn only once the
// time since the previous frame ended is kFrameShare times what that frame
// took to draw, and at least one display frame; so drawing keeps a small
// share of the computation whatever the size of the drawing, while a small
// drawing is still redrawn at the display's rate.
class FramePacer {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kFrameShare = 4;
  static constexpr Clock::duration kDisplayFrame = std::chrono::milliseconds(16);

  explicit FramePacer(std::function<Clock::time_point()> now = Clock::now);
  // Calls `draw` when a frame is due and times it; answers whether it drew.
  bool Offer(const std::function<void()>& draw);

 private:
  std::function<Clock::time_point()> now_;
  bool drawnBefore_ = false;
  Clock::time_point lastEnd_{};
  Clock::duration wait_{};
};
