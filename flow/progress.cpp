#include "flow/progress.h"

#include <cmath>

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
