// A real OpenGL canvas in a shown dialog, named "datascreen" and configured
// like the main window's, shared by the tests of a suite.  Each test starts
// with an empty drawing, default settings and a fresh view of 400 x 400.
#pragma once

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/shell/workspace_access.h"
#include "model/entity.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"
#include "view/redraw.h"
#include "view/view.h"

class CanvasTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tk::Open();
    canvas_ = tk::GLCanvas("VisRedraw");
    const std::pair<const char*, const char*> attributes[] = {
        {"SCROLLBAR", "YES"},      {"BUFFER", "DOUBLE"},        {"COLOR", "RGBA"},
        {"DEPTH_SIZE", "16"},      {"HLIMITFACTOR", "5.0"},     {"VLIMITFACTOR", "5.0"},
        {"WINDOWRESIZE_ADJUST", "NO"}, {"ZOOMFACTOR", "1.2"},   {"FITFACTOR", "1.10"},
        {"RASTERSIZE", "400x400"}};
    for (auto& [name, value] : attributes) tk::SetAttribute(canvas_, name, value);
    dialog_ = tk::Dialog(canvas_);
    tk::SetHandle("datascreen", canvas_);
    cmd::handles.datascreen = canvas_;
    tk::Map(dialog_);
    tk::ShowXY(dialog_, 0, 0);
    for (int i = 0; i < 20; ++i) tk::LoopStep();
  }

  static void TearDownTestSuite() {
    shelltest::Entities().deleteAll();
    viewList.clear();
    cmd::handles = cmd::ShellHandles{};
    tk::Close();
  }

  void SetUp() override {
    shelltest::Entities().deleteAll();
    shelltest::Settings().wallWidth = 0.15;
    shelltest::Settings().gridStepX = shelltest::Settings().gridStepY = 1.0;
    shelltest::Settings().gridShown = shelltest::Settings().snapToGrid = false;
    redraws_ = 0;
    ASSERT_EQ(ViewCreate(canvas_, 0), 1);
    view_ = ViewFind(canvas_);
    ASSERT_TRUE(tk::GLMakeCurrent(canvas_));
    SetupCanvasGL();
  }

  // A view of `width` x `height` pixels showing `w` (grown to that shape),
  // with the scrollable range five times the window about it.
  void ShowWindow(int width, int height, ViewWindow w) {
    ViewResize(canvas_, width, height);
    view_->requestedWindow = w;
    SetScrollRange(view_, w);
    ViewCanvasAction(canvas_, 0, 0);
  }

  static void CountingRedraw(tk::Element*, double, double, double, double) { ++redraws_; }

  static void ExpectWindow(const ViewWindow& actual, const ViewWindow& expected,
                           double tolerance = 1e-9) {
    EXPECT_NEAR(actual.xmin, expected.xmin, tolerance);
    EXPECT_NEAR(actual.xmax, expected.xmax, tolerance);
    EXPECT_NEAR(actual.ymin, expected.ymin, tolerance);
    EXPECT_NEAR(actual.ymax, expected.ymax, tolerance);
  }

  static ViewWindow CurrentWindow() {
    ViewWindow w{};
    ViewGetWindow(canvas_, &w.xmin, &w.xmax, &w.ymin, &w.ymax);
    return w;
  }

  static inline tk::Element* canvas_ = nullptr;
  static inline tk::Element* dialog_ = nullptr;
  static inline int redraws_ = 0;
  ViewRecord* view_ = nullptr;
};
