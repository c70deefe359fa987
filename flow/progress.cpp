#include "flow/progress.h"

#include <algorithm>
#include <cstdio>
#include <utility>

double gaugeStep = 0;

namespace {
FlowHooks hooks;
}

void SetFlowHooks(FlowHooks newHooks) { hooks = std::move(newHooks); }

double NextGaugeValue(double value) {
  const double sum = value + gaugeStep;
  return sum > 1.0 ? 0 : sum;
}

void AdvanceGauge() {
  if (hooks.setGauge) {
    const double value = NextGaugeValue(hooks.readGauge ? hooks.readGauge() : 0.0);
    char text[64];
    std::snprintf(text, sizeof text, "%.7f", value);
    hooks.setGauge(text);
  }
  ProcessEvents();
}

void RequestRedraw() {
  if (hooks.redraw) hooks.redraw();
}

void ProcessEvents() {
  if (hooks.processEvents) hooks.processEvents();
}

FramePacer::FramePacer(std::function<Clock::time_point()> now) : now_(std::move(now)) {}

bool FramePacer::Offer(const std::function<void()>& draw) {
  const Clock::time_point start = now_();
  if (drawnBefore_ && start - lastEnd_ < wait_) return false;
  draw();
  lastEnd_ = now_();
  wait_ = std::max(kDisplayFrame, kFrameShare * (lastEnd_ - start));
  drawnBefore_ = true;
  return true;
}
