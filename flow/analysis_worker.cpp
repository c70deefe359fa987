#include "flow/analysis_worker.h"

#include <algorithm>
#include <exception>
#include <utility>

// The worker's side of a run: its gauge and partial results go to the
// worker's news at a paced rate, and it stops once the worker cancels it.
class AnalysisWorker::RunProgress : public AnalysisProgress {
 public:
  using Clock = std::chrono::steady_clock;

  RunProgress(AnalysisWorker& worker, Run run, const AnalysisPacing& pacing)
      : worker_(worker),
        run_(run),
        pacing_(pacing),
        lastGauge_(Clock::now()),
        nextPartial_(lastGauge_ + pacing.firstPartial) {}

  // The clock is read at every 16th step only: there are steps for every
  // node and cell of the grid.
  void GaugeMoved(double value) override {
    if (++steps_ % 16 != 0) return;
    const Clock::time_point now = Clock::now();
    if (now - lastGauge_ < pacing_.gaugeInterval) return;
    lastGauge_ = now;
    worker_.PublishGauge(run_, value);
  }
  void Redraw(const AnalysisResult& partial) override {
    const Clock::time_point now = Clock::now();
    if (now < nextPartial_) return;
    worker_.PublishPartial(run_, std::make_shared<const AnalysisResult>(partial));
    const Clock::time_point copied = Clock::now();
    nextPartial_ =
        copied + std::max<Clock::duration>(pacing_.partialInterval, kCopyShare * (copied - now));
  }
  const std::atomic<bool>* CancelFlag() const override { return &worker_.cancel_; }

 private:
  // The wait after a copy is at least this many times what it took.
  static constexpr int kCopyShare = 4;

  AnalysisWorker& worker_;
  const Run run_;
  const AnalysisPacing pacing_;
  unsigned steps_ = 0;
  Clock::time_point lastGauge_;
  Clock::time_point nextPartial_;
};

namespace {

AnalysisResult RunJob(const AnalysisWorker::Job& job, AnalysisProgress& progress) {
  try {
    return job(progress);
  } catch (...) {
    AnalysisResult failed;
    failed.outcome = AnalysisOutcome::Failed;
    failed.failure = std::current_exception();
    return failed;
  }
}

}  // namespace

AnalysisWorker::AnalysisWorker(std::function<void()> notify) : notify_(std::move(notify)) {}

AnalysisWorker::~AnalysisWorker() { Stop(); }

AnalysisWorker::Run AnalysisWorker::NextRunLocked() {
  ++lastRun_;
  waitingRun_ = 0;
  waitingJob_ = nullptr;
  news_ = News{};
  news_.run = lastRun_;
  cancel_ = true;
  return lastRun_;
}

AnalysisWorker::Run AnalysisWorker::Start(Job job, AnalysisPacing pacing) {
  Run run = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    run = NextRunLocked();
    waitingRun_ = run;
    waitingJob_ = std::move(job);
    waitingPacing_ = pacing;
    if (!thread_.joinable()) thread_ = std::thread(&AnalysisWorker::Work, this);
  }
  wake_.notify_one();
  return run;
}

void AnalysisWorker::Cancel() {
  std::lock_guard<std::mutex> lock(mutex_);
  NextRunLocked();
}

void AnalysisWorker::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    NextRunLocked();
    quitting_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  quitting_ = false;
}

bool AnalysisWorker::Idle() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !busy_ && waitingRun_ == 0;
}

AnalysisWorker::News AnalysisWorker::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  News taken;
  taken.run = news_.run;
  taken.gauge = news_.gauge;
  taken.partial = std::move(news_.partial);
  taken.result = std::move(news_.result);
  return taken;
}

void AnalysisWorker::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return quitting_ || waitingRun_ != 0; });
    if (quitting_) return;
    const Run run = waitingRun_;
    const AnalysisPacing pacing = waitingPacing_;
    Job job = std::move(waitingJob_);
    waitingRun_ = 0;
    waitingJob_ = nullptr;
    cancel_ = false;
    busy_ = true;
    lock.unlock();
    {
      RunProgress progress(*this, run, pacing);
      auto result = std::make_unique<AnalysisResult>(RunJob(job, progress));
      job = nullptr;
      lock.lock();
      busy_ = false;
      if (run == lastRun_ && !quitting_) {
        news_.result = std::move(result);
        NotifyLocked();
      }
      lock.unlock();
    }  // the result of a run no longer wanted goes here, unlocked
    lock.lock();
  }
}

void AnalysisWorker::PublishPartial(Run run, std::shared_ptr<const AnalysisResult> partial) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (run != lastRun_ || quitting_) return;
  news_.partial = std::move(partial);
  NotifyLocked();
}

void AnalysisWorker::PublishGauge(Run run, double gauge) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (run != lastRun_ || quitting_) return;
  news_.gauge = gauge;
  NotifyLocked();
}

// Called with the lock held, so that no word goes out once Stop has begun:
// whatever `notify` reaches may be gone after that.
void AnalysisWorker::NotifyLocked() {
  if (notify_) notify_();
}
