// Analyses beside their starter: two at once give each its own result,
// bit for bit the one it gives alone; a newer run cancels an older one,
// whose news never shows; a stop at any stage keeps nothing.  These tests
// also run under ThreadSanitizer.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "flow/analysis_worker.h"
#include "flow/flow_report.h"
#include "tests/flow/flow_fixture.h"

namespace {

AnalysisOptions Cells(int cells) {
  AnalysisOptions options;
  options.cells = cells;
  return options;
}

AnalysisWorker::Job AnalyseJob(std::vector<Wall> walls, AnalysisOptions options) {
  return [walls = std::move(walls), options](AnalysisProgress& progress) {
    return Analyse(walls, options, progress);
  };
}

// A worker with a starter that takes every piece of news as it comes, as
// the window's event thread does.
class Starter {
 public:
  Starter()
      : worker_([this] {
          std::lock_guard<std::mutex> lock(mutex_);
          notified_ = true;
          wake_.notify_one();
        }) {}

  AnalysisWorker& worker() { return worker_; }

  // Takes news until the run `run` has ended or ten minutes passed (the
  // sanitizers are slow); answers its result, or null.  Every partial
  // result taken meanwhile goes to `partial`.
  std::unique_ptr<AnalysisResult> ResultOf(
      AnalysisWorker::Run run,
      const std::function<void(const AnalysisResult&)>& partial = nullptr) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::minutes(10);
    while (std::chrono::steady_clock::now() < giveUp) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, giveUp, [this] { return notified_; });
        notified_ = false;
      }
      AnalysisWorker::News news = worker_.Take();
      EXPECT_EQ(news.run, run);
      if (news.partial && partial) partial(*news.partial);
      if (news.result) return std::move(news.result);
    }
    return nullptr;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  bool notified_ = false;
  AnalysisWorker worker_;  // last: its thread ends before the above go
};

// Two workers analyse different drawings at once, on different schemes and
// grids; each result is, bit for bit, the one the drawing gives alone.
TEST(AnalysisWorkerTest, TwoAnalysesAtOnceGiveWhatEachGivesAlone) {
  const std::vector<Wall> house = SampleWalls("house.dat"), block = SampleWalls("l_block.dat");
  AnalysisOptions houseOptions = Cells(75), blockOptions = Cells(45);
  blockOptions.scheme = SolverScheme::Literal;
  const std::string houseAlone = FlowDumpText(Analyse(house, houseOptions));
  const std::string blockAlone = FlowDumpText(Analyse(block, blockOptions));
  ASSERT_NE(houseAlone, blockAlone);

  Starter a, b;
  const AnalysisWorker::Run runA = a.worker().Start(AnalyseJob(house, houseOptions));
  const AnalysisWorker::Run runB = b.worker().Start(AnalyseJob(block, blockOptions));
  const std::unique_ptr<AnalysisResult> fromA = a.ResultOf(runA);
  const std::unique_ptr<AnalysisResult> fromB = b.ResultOf(runB);
  ASSERT_TRUE(fromA && fromB);
  EXPECT_TRUE(FlowDumpText(*fromA) == houseAlone);
  EXPECT_TRUE(FlowDumpText(*fromB) == blockAlone);
}

// A run started while another goes on cancels it: the news is the newest
// run's only, partial results included, and its result is the drawing's
// own.  Partial results come as the run goes, each a copy of its result
// as far as built.
TEST(AnalysisWorkerTest, ANewerRunCancelsTheOlderWhoseNewsNeverShows) {
  AnalysisPacing often;
  often.firstPartial = often.partialInterval = std::chrono::milliseconds(0);
  Starter starter;
  const std::vector<Wall> house = SampleWalls("house.dat"), room = SampleWalls("single_room.dat");
  starter.worker().Start(AnalyseJob(house, Cells(240)), often);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));  // under way
  const AnalysisWorker::Run newer = starter.worker().Start(AnalyseJob(room, Cells(60)), often);
  int partials = 0;
  const std::unique_ptr<AnalysisResult> result = starter.ResultOf(newer, [&](const AnalysisResult& p) {
    ++partials;
    EXPECT_EQ(p.grid.columns, 60);
  });
  ASSERT_TRUE(result);
  EXPECT_GE(partials, 1);
  EXPECT_TRUE(FlowDumpText(*result) == FlowDumpText(Analyse(room, Cells(60))));
  EXPECT_TRUE(starter.worker().Idle());
}

// A cancelled run hands out nothing, and the worker is soon free; Stop
// during a run returns once the thread has ended, and a run started after
// it works.  A job that throws ends as Failed with what it threw.
TEST(AnalysisWorkerTest, CancelStopAndFailure) {
  Starter starter;
  AnalysisWorker& worker = starter.worker();
  const AnalysisWorker::Run cancelled = worker.Start(AnalyseJob(SampleWalls("house.dat"), Cells(240)));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  worker.Cancel();
  while (!worker.Idle()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  AnalysisWorker::News news = worker.Take();
  EXPECT_NE(news.run, cancelled);
  EXPECT_FALSE(news.result);
  EXPECT_FALSE(news.partial);

  worker.Start(AnalyseJob(SampleWalls("house.dat"), Cells(240)));
  worker.Stop();
  EXPECT_TRUE(worker.Idle());

  const AnalysisWorker::Run failing = worker.Start(
      [](AnalysisProgress&) -> AnalysisResult { throw std::runtime_error("sem memória"); });
  const std::unique_ptr<AnalysisResult> failed = starter.ResultOf(failing);
  ASSERT_TRUE(failed);
  EXPECT_EQ(failed->outcome, AnalysisOutcome::Failed);
  try {
    std::rethrow_exception(failed->failure);
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "sem memória");
  }
}

// The cancel flag stops the analysis at its next step, whatever stage it is
// in: while the grid is laid, while the flow is solved, before the
// streamlines and half-way through them.  Nothing of the result is kept.
TEST(AnalysisWorkerTest, AStopAtAnyStageKeepsNothing) {
  struct Cancelling : AnalysisProgress {
    std::atomic<bool> cancel{false};
    int steps = 0, redraws = 0;
    int atStep = -1, atRedraw = -1;
    void GaugeMoved(double) override {
      if (++steps == atStep) cancel = true;
    }
    void Redraw(const AnalysisResult&) override {
      if (++redraws == atRedraw) cancel = true;
    }
    const std::atomic<bool>* CancelFlag() const override { return &cancel; }
  };
  const std::vector<Wall> house = SampleWalls("house.dat");
  // The first redraw comes with the grid laid, the second with the flow
  // solved, the later ones as the streamlines grow.
  const struct {
    int atStep, atRedraw;
  } stops[] = {{1000, -1}, {-1, 1}, {-1, 2}, {-1, 40}};
  for (const auto& stop : stops) {
    Cancelling progress;
    progress.atStep = stop.atStep;
    progress.atRedraw = stop.atRedraw;
    const AnalysisResult r = Analyse(house, AnalysisOptions{}, progress);
    SCOPED_TRACE(stop.atStep != -1 ? "at a gauge step" : "at a redraw");
    EXPECT_EQ(r.outcome, AnalysisOutcome::Stopped);
    if (stop.atRedraw > 0) {
      EXPECT_EQ(progress.redraws, stop.atRedraw);
    }
    EXPECT_EQ(r.grid.cellCount, 0);
    EXPECT_TRUE(r.grid.type.empty());
    EXPECT_TRUE(r.grid.nodes.empty());
    EXPECT_TRUE(r.streamlines.empty());
    EXPECT_FALSE(r.failure);
  }
}

}  // namespace
