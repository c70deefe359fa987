// Redraws asked for during the analysis, paced on a stubbed clock: the
// computation's steps and the frames advance it by chosen amounts.
#include <chrono>
#include <functional>

#include "tests/flow/flow_fixture.h"

namespace {

using std::chrono::milliseconds;

class FramePacingTest : public FlowTest {
 protected:
  // Runs the analysis of a sample with every redraw request going through a
  // pacer; each request costs `step` of computation and each frame `frame`.
  void RunPaced(milliseconds step, milliseconds frame) {
    if (drawing.empty()) LoadSample("house.dat");
    FramePacer pacer([this] { return now_; });
    requests_ = frames_ = 0;
    struct Paced : AnalysisProgress {
      std::function<void()> redraw;
      void Redraw(const AnalysisResult&) override { redraw(); }
    } progress;
    progress.redraw = [&] {
      ++requests_;
      now_ += step;
      pacer.Offer([&] {
        ++frames_;
        now_ += frame;
        drawing_ += frame;
      });
    };
    const FramePacer::Clock::time_point start = now_;
    ASSERT_EQ(Analyse(drawing.walls(), options, progress).outcome, AnalysisOutcome::Done);
    elapsed_ = now_ - start;
  }

  FramePacer::Clock::time_point now_{};
  FramePacer::Clock::duration elapsed_{}, drawing_{};
  int requests_ = 0, frames_ = 0;
};

TEST_F(FramePacingTest, SlowFramesTakeASmallShareAndCheapOnesKeepTheDisplayRate) {
  // A frame as slow as a huge drawing's: hundreds of requests, a handful of
  // frames, and drawing at most a fifth of the time (plus the first frame).
  RunPaced(milliseconds(1), milliseconds(200));
  ASSERT_GT(requests_, 300);
  EXPECT_LE(drawing_ - milliseconds(200), elapsed_ / 5);
  EXPECT_LE(frames_, requests_ / 50);
  EXPECT_GE(frames_, 2);

  // A cheap frame is drawn about once per display frame: the streamlines
  // still grow on the screen.
  drawing_ = {};
  RunPaced(milliseconds(2), milliseconds(1));
  const auto displayFrames = elapsed_ / FramePacer::kDisplayFrame;
  EXPECT_GE(frames_, displayFrames * 2 / 3);
  EXPECT_LE(frames_, displayFrames + 1);
}

}  // namespace
