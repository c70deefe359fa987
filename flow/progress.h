// Progress and redraw requests of the flow analysis.  The numerical code
// knows no window: the shell installs hooks that read and set the gauge,
// let the toolkit handle pending events and redraw the canvas.  With no
// hooks installed (tests, the batch tool) these requests cost nothing.
#pragma once

#include <functional>
#include <string>

struct FlowHooks {
  std::function<double()> readGauge;                 // the gauge's value as a number
  std::function<void(const std::string&)> setGauge;  // the gauge's new value text
  std::function<void()> processEvents;               // one pass of the event loop
  std::function<void()> redraw;                      // show the current results
};

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
