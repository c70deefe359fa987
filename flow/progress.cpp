#include "flow/progress.h"

#include <algorithm>
#include <cmath>
#include <utility>

ProgressPoints::ProgressPoints(AnalysisProgress& progress)
    : progress_(progress), cancel_(progress.CancelFlag()) {}

double ProgressPoints::NextGaugeValue(double value) const {
  const double sum = value + gaugeStep;
  return sum > 1.0 ? 0 : sum;
}

// The gauge keeps seven decimals, as the text it is shown with does, so
// that rounding never piles up over the many steps of an analysis.
void ProgressPoints::AdvanceGauge() {
  gauge_ = std::nearbyint(NextGaugeValue(gauge_) * 1e7) / 1e7;
  progress_.GaugeMoved(gauge_);
  ProcessEvents();
}

void ProgressPoints::RequestRedraw(const AnalysisResult& partial) {
  StopIfCancelled();
  progress_.Redraw(partial);
}

void ProgressPoints::ProcessEvents() {
  progress_.Pause();
  StopIfCancelled();
}

void ProgressPoints::StopIfCancelled() const {
  if (cancel_ && cancel_->load(std::memory_order_relaxed)) throw AnalysisStopped{};
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
