// How a flow analysis reports its progress and learns that it must stop.
// The numerical code knows no window: whoever runs an analysis hands it an
// AnalysisProgress, whose calls come from the thread running the analysis,
// between its steps, where the result handed over is consistent.
#pragma once

#include <atomic>

struct AnalysisResult;

class AnalysisProgress {
 public:
  virtual ~AnalysisProgress() = default;

  // The gauge's new value, from 0 to 1, at every gauge step.
  virtual void GaugeMoved(double value) { (void)value; }
  // After every gauge step and between the points of a streamline: a pause
  // where the caller may do other work on the analysis's thread.
  virtual void Pause() {}
  // The result as far as it is built: the grid once laid, then solved, then
  // the streamlines as they grow.  Valid only during the call.
  virtual void Redraw(const AnalysisResult& partial) { (void)partial; }
  // A flag that, once set, stops the analysis at its next gauge step, pause
  // or redraw; null for an analysis that always runs to the end.
  virtual const std::atomic<bool>* CancelFlag() const { return nullptr; }
};

// The points where one analysis reports to its AnalysisProgress: the gauge
// it moves and its checks for a stop.  A stop unwinds the analysis with
// AnalysisStopped, which Analyse catches.
class ProgressPoints {
 public:
  explicit ProgressPoints(AnalysisProgress& progress);

  // The fraction each AdvanceGauge adds to the gauge.
  double gaugeStep = 0;

  // Moves the gauge on by gaugeStep, wrapping to 0 past 1, as "%.7f" would
  // write it, reports it and pauses once.
  void AdvanceGauge();
  // The gauge's next value after `value`: value + gaugeStep, or 0 past 1.
  double NextGaugeValue(double value) const;
  void RequestRedraw(const AnalysisResult& partial);
  void ProcessEvents();

 private:
  void StopIfCancelled() const;

  AnalysisProgress& progress_;
  const std::atomic<bool>* cancel_;
  double gauge_ = 0;
};

// Thrown by ProgressPoints once the cancel flag is set.
struct AnalysisStopped {};
