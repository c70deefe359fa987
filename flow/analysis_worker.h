// Analyses run on a thread of their own, so that whoever starts them (the
// window's event thread) goes on with its work meanwhile.  One run at a
// time, and only the newest one matters: starting a run cancels the one
// going on, and nothing an older run produces is ever handed out.
//
// A run reports by leaving news for its starter to take (Take): the gauge,
// its result as far as it is built (copied at a paced rate, AnalysisPacing)
// and, at the end, its result.
// `notify` is called on the worker's thread whenever there is news; it must
// only pass the word on (wake the event thread), never take the news itself.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "flow/analysis.h"

// How often a run's news goes out.
struct AnalysisPacing {
  // A run hands out no partial result before this time: a short run shows
  // its result at once, with no half-built picture before it.
  std::chrono::milliseconds firstPartial{50};
  // Partial results are copied at most this often, and never more often
  // than keeps the copying under a fifth of the run: every copy is a
  // picture to draw on the event thread, which shares the machine with
  // the computation.
  std::chrono::milliseconds partialInterval{100};
  // The gauge is reported at most this often.
  std::chrono::milliseconds gaugeInterval{50};
};

class AnalysisWorker {
 public:
  using Job = std::function<AnalysisResult(AnalysisProgress&)>;
  // Names a run; 0 names none.
  using Run = unsigned long;

  explicit AnalysisWorker(std::function<void()> notify);
  // Cancels the run going on and waits for the thread to end.
  ~AnalysisWorker();
  AnalysisWorker(const AnalysisWorker&) = delete;
  AnalysisWorker& operator=(const AnalysisWorker&) = delete;

  // Runs the job after the run going on, which is cancelled, and answers the
  // new run's name.  The job gets a progress whose cancel flag it must heed;
  // what it throws ends the run as Failed.  Its news goes out as `pacing`
  // says.
  Run Start(Job job, AnalysisPacing pacing = {});
  // Cancels the run going on or waiting; nothing of it is handed out.
  void Cancel();
  // Cancels as Cancel does and waits for the thread to end; a later Start
  // starts a new one.
  void Stop();
  // Whether no run is going on or waiting.
  bool Idle() const;

  struct News {
    Run run = 0;       // the newest run, which the news is about
    double gauge = 0;  // its gauge
    // Its result as far as built, newer than the last one taken, or null.
    std::shared_ptr<const AnalysisResult> partial;
    // Its result, once it has ended; null before.
    std::unique_ptr<AnalysisResult> result;
  };
  // What the newest run has produced since the last call.
  News Take();

 private:
  class RunProgress;

  void Work();
  // Under the lock: forgets the run waiting and the news, names a new run
  // and cancels the one going on.
  Run NextRunLocked();
  // Hands out news of `run` when it is still the newest.
  void PublishPartial(Run run, std::shared_ptr<const AnalysisResult> partial);
  void PublishGauge(Run run, double gauge);
  void NotifyLocked();

  const std::function<void()> notify_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  Run lastRun_ = 0;     // the newest run named
  Run waitingRun_ = 0;  // the run waiting for the thread, or 0
  Job waitingJob_;
  AnalysisPacing waitingPacing_;
  bool busy_ = false;   // a run is going on
  bool quitting_ = false;
  News news_;
  std::atomic<bool> cancel_{false};  // the run going on must stop
  std::thread thread_;
};
