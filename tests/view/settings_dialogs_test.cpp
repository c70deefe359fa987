#include "shell/settings_dialogs.h"

#include "tests/view/canvas_fixture.h"

namespace {

class SettingsDialogTest : public CanvasTest {
 protected:
  void SetUp() override {
    CanvasTest::SetUp();
    ViewSetCallbacks(canvas_, CountingRedraw, nullptr);
    ShowWindow(400, 400, {0, 10, 0, 10});
    tk::test::EnableScripting(true);
    tk::test::TakeMessages();
  }
  void TearDown() override { tk::test::EnableScripting(false); }

  static void Answer(std::vector<std::string> values) {
    tk::test::QueueAnswer({false, std::move(values)});
  }
  static double Distortion() {
    double d = 0;
    ViewGetDistortion(canvas_, &d);
    return d;
  }
};

TEST_F(SettingsDialogTest, DistortionIsTakenAndTheViewFittedAgain) {
  Answer({"2"});
  shell::VerticalDistortionDialog();
  EXPECT_EQ(Distortion(), 2);
  // The empty drawing's 0..10 with its margin, twice as wide as high.
  ExpectWindow(CurrentWindow(), {-6, 16, -0.5, 10.5});
  EXPECT_TRUE(tk::test::TakeMessages().empty());
}

// A long run of digits reads as infinity; like 0 it is no factor.
TEST_F(SettingsDialogTest, DistortionNotFiniteAndAboveZeroIsRefusedWithAMessage) {
  const std::string huge = "1" + std::string(60, '0');
  for (const std::string& bad : {std::string("0"), std::string("-1"), huge}) {
    const int before = redraws_;
    Answer({bad});
    shell::VerticalDistortionDialog();
    EXPECT_EQ(Distortion(), 1) << bad;
    EXPECT_EQ(redraws_, before);
    EXPECT_EQ(tk::test::TakeMessages(),
              std::vector<std::string>{" |\nFator de distorção vertical inválido!\n"});
  }
  shell::VerticalDistortionDialog();  // nothing queued: cancelled
  EXPECT_EQ(Distortion(), 1);
  EXPECT_TRUE(tk::test::TakeMessages().empty());
}

TEST_F(SettingsDialogTest, LimitsGoThroughTheViewsWindowRules) {
  Answer({"0", "10", "0", "5"});
  shell::WindowLimitsDialog();
  ExpectWindow(CurrentWindow(), {0, 10, -2.5, 7.5});

  Answer({"0", "1" + std::string(60, '0'), "0", "5"});  // infinite: ignored
  shell::WindowLimitsDialog();
  ExpectWindow(CurrentWindow(), {0, 10, -2.5, 7.5});

  tk::test::QueueAnswer({true, {}});
  shell::WindowLimitsDialog();
  ExpectWindow(CurrentWindow(), {0, 10, -2.5, 7.5});
}

}  // namespace
