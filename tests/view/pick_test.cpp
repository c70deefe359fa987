#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/shell/workspace_access.h"
#include "tests/view/canvas_fixture.h"
#include "view/pick.h"

namespace {

// What the callbacks of a pick were told, in order.
struct Call {
  char which;  // 'a' accept, 'r' release
  int status;
  int button;
  PickPoint anchor, releasePoint;
};
std::vector<Call> calls;

void Record(char which, PickRequest* r) {
  calls.push_back({which, r->pickStatus, r->button, r->anchor, r->releasePoint});
}
void Accepted(PickRequest* r) { Record('a', r); }
void Released(PickRequest* r) { Record('r', r); }
void SnapToUnits(PickRequest*, double* x, double* y, double) {
  *x = std::round(*x);
  *y = std::round(*y);
}

const char* const kNoKeys = "     ";
const char* const kControl = " C   ";

class PickTest : public CanvasTest {
 protected:
  void SetUp() override {
    CanvasTest::SetUp();
    calls.clear();
    PickAbort();
    calls.clear();
    pickService.pickAperture = 8;
    pickService.referenceAxis = 'x';
    ReadDrawSize(canvas_, &width_, &height_);
    ViewSetCallbacks(canvas_, shelltest::SceneRedraw());
    ShowWindow(width_, height_, {0, 10, 0, 10});
    ViewRedisplay(canvas_);
  }
  void TearDown() override { PickAbort(); }

  static PickRequest Request(int kind, int style) {
    PickRequest r;
    r.canvas = canvas_;
    r.pickKind = kind;
    r.echoStyle = style;
    r.acceptCallback = Accepted;
    r.releaseCallback = Released;
    return r;
  }

  // Events at a world point, given in the toolkit's pixels (y down).
  void Button(double x, double y, int button, int pressed, const char* status = kNoKeys) {
    int px = 0, py = 0;
    WorldToPixel(x, y, px, py);
    PickButton(canvas_, button, pressed, px, height_ - py, status);
  }
  void Click(double x, double y, int button = '1') {
    Button(x, y, button, 1);
    Button(x, y, button, 0);
  }
  void Move(double x, double y, const char* status = kNoKeys) {
    int px = 0, py = 0;
    WorldToPixel(x, y, px, py);
    PickMotion(canvas_, px, height_ - py, status);
  }

  // The red pixels of the front buffer, which holds what is on the screen.
  struct Box {
    int count = 0, xmin = 1 << 20, xmax = -1, ymin = 1 << 20, ymax = -1;
  };
  Box RedOnScreen() {
    std::vector<unsigned char> rgb(3 * width_ * height_);
    glReadBuffer(GL_FRONT);
    glReadPixels(0, 0, width_, height_, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    Box box;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) {
        const unsigned char* p = &rgb[3 * (y * width_ + x)];
        if (p[0] != 255 || p[1] != 0 || p[2] != 0) continue;
        ++box.count;
        box.xmin = std::min(box.xmin, x);
        box.xmax = std::max(box.xmax, x);
        box.ymin = std::min(box.ymin, y);
        box.ymax = std::max(box.ymax, y);
      }
    return box;
  }
  bool BlackAt(double x, double y) { return shelltest::ShownAt(canvas_, x, y) == Rgb{0, 0, 0}; }

  int width_ = 0, height_ = 0;
};

TEST_F(PickTest, PointPickIsAcceptedAtTheReleaseOfItsOwnPressOnly) {
  PickStart(Request(PickKindPoint, 0));
  // The release of the click that started the command, a side button and a
  // wheel click mean nothing.
  Button(3, 3, '1', 0);
  Click(3, 3, '8');
  ASSERT_TRUE(calls.empty());
  Button(2, 7, '1', 1);
  EXPECT_TRUE(calls.empty());
  Button(2, 7, '1', 0);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].which, 'a');
  EXPECT_EQ(calls[0].status, PickAccepted);
  EXPECT_NEAR(calls[0].anchor.x, 2, 0.05);
  EXPECT_NEAR(calls[0].anchor.y, 7, 0.05);
  EXPECT_FALSE(pickService.active);

  // A left-only pick forgets a middle press, so its release accepts nothing.
  PickRequest leftOnly = Request(PickKindPoint, 0);
  leftOnly.button = 1;
  PickStart(leftOnly);
  Click(4, 4, '2');
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_TRUE(pickService.active);
}

TEST_F(PickTest, RightButtonCancelsAndAbortEndsWithMinusOne) {
  PickStart(Request(PickKindDrag, 0));
  Button(3, 3, '3', 1);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].which, 'r');
  EXPECT_EQ(calls[0].status, PickCancelled);
  // The next pick does not see the cancel's release.
  PickStart(Request(PickKindPoint, 0));
  Button(3, 3, '3', 0);
  EXPECT_EQ(calls.size(), 1u);
  PickAbort();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].which, 'a');
  EXPECT_EQ(calls[1].status, PickEndedByCommand);
  PickAbort();  // nothing is running
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(PickTest, EchoIsRedOverWhiteAndLeavesThePictureAsItWas) {
  shelltest::NewLine(1, 5, 9, 5);
  ViewRedisplay(canvas_);
  ASSERT_EQ(RedOnScreen().count, 0);
  PickRequest r = Request(PickKindPoint, EchoCross + EchoBox + EchoLine);
  r.anchor = {1, 1};
  PickStart(r);
  EXPECT_EQ(tk::GetAttribute(canvas_, "CURSOR"), "NONE");
  Move(6, 5.1);
  const Box first = RedOnScreen();
  EXPECT_GT(first.count, 100);
  EXPECT_LE(first.xmin, 41);  // the rubber line starts at the anchor
  EXPECT_TRUE(BlackAt(2, 5));

  // A redraw while the echo shows keeps it, and the next move leaves no trace.
  ViewRedisplay(canvas_);
  EXPECT_EQ(RedOnScreen().count, first.count);
  Move(3, 8);
  const Box moved = RedOnScreen();
  EXPECT_GT(moved.ymax, first.ymax + 80);

  // Leaving hides the echo; coming back shows it once, not a stale copy.
  PickEchoOff();
  EXPECT_EQ(RedOnScreen().count, 0);
  EXPECT_EQ(tk::GetAttribute(canvas_, "CURSOR"), "ARROW");
  Move(6, 5.1);
  EXPECT_EQ(RedOnScreen().count, first.count);
  PickAbort();
  EXPECT_EQ(RedOnScreen().count, 0);
  EXPECT_TRUE(BlackAt(6, 5));
  EXPECT_TRUE(BlackAt(2, 5));
}

TEST_F(PickTest, ControlMiddleCyclesTheApertureAndSwallowsItsRelease) {
  PickStart(Request(PickKindPoint, EchoCross + EchoBox));
  Move(5, 5);
  EXPECT_EQ(RedOnScreen().xmax - RedOnScreen().xmin, 16);
  std::vector<int> apertures;
  for (int i = 0; i < 5; ++i) {
    Button(5, 5, '2', 1, kControl);
    Button(5, 5, '2', 0, kControl);
    apertures.push_back(pickService.pickAperture);
  }
  EXPECT_EQ(apertures, (std::vector<int>{4, 20, 16, 12, 8}));
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(pickService.active);
  Button(5, 5, '2', 1, kControl);
  const Box small = RedOnScreen();
  EXPECT_EQ(small.xmax - small.xmin, 8);
  EXPECT_EQ(small.ymax - small.ymin, 8);
}

TEST_F(PickTest, BoxFollowsTheVerticalDistortion) {
  ViewSetDistortion(canvas_, 2);
  ViewRedisplay(canvas_);
  PickStart(Request(PickKindPoint, EchoBox));
  int px = width_ / 2, py = height_ / 2;
  PickMotion(canvas_, px, py, kNoKeys);
  const Box box = RedOnScreen();
  EXPECT_EQ(box.xmax - box.xmin, 16);
  EXPECT_EQ(box.ymax - box.ymin, 32);
  // Measured along y, the box is 8 pixels high and 4 wide.
  SetReferenceAxis('y');
  PickMotion(canvas_, px, py, kNoKeys);
  const Box byY = RedOnScreen();
  EXPECT_EQ(byY.xmax - byY.xmin, 8);
  EXPECT_EQ(byY.ymax - byY.ymin, 16);
  pickService.referenceAxis = 'x';
  ViewSetDistortion(canvas_, 1);
}

TEST_F(PickTest, CrossSitsOnTheAdjustedPoint) {
  PickRequest r = Request(PickKindPoint, EchoCross);
  r.adjustCallback = SnapToUnits;
  PickStart(r);
  Move(4.3, 6.2);
  int px = 0, py = 0;
  WorldToPixel(4, 6, px, py);
  const Box cross = RedOnScreen();
  // Arms of 8 pixels from the snapped point's pixel.
  EXPECT_EQ(cross.xmin, px - 8);
  EXPECT_EQ(cross.ymin, py - 8);
  EXPECT_GE(cross.xmax, px + 7);
}

}  // namespace
