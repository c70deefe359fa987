// Every model test starts with a drawing of its own: empty, default settings,
// no history.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/drawing.h"

class ModelTest : public ::testing::Test {
 public:
  void SetUp() override { drawing_ = std::make_unique<Drawing>(); }
  void TearDown() override { drawing_.reset(); }

  static EntityList& List() { return drawing_->entities; }
  static DrawingSettings& Settings() { return drawing_->settings; }
  static History& Hist() { return drawing_->history; }

  // A wall of the current width put in front, as a wall drawn is.
  static LineEntity* NewLine(double x0, double y0, double x1, double y1, PackedColor color = 0) {
    auto* line = new LineEntity(x0, y0, x1, y1, Settings().wallWidth, color);
    List().insertAtFront(line);
    return line;
  }

  // The list from the head (front) to the tail (back).
  static std::vector<Entity*> Order() {
    std::vector<Entity*> order;
    List().forEachFrontToBack([&](Entity* e) { order.push_back(e); });
    return order;
  }

  static inline std::unique_ptr<Drawing> drawing_;
};

// A model test with a folder of its own for the files it writes.
class ModelFileTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() /
           ("brisel-file-test-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir_);
    ModelTest::TearDown();
  }

  std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

  std::string WriteText(const std::string& name, const std::string& text) const {
    std::ofstream(PathOf(name), std::ios::binary) << text;
    return PathOf(name);
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  std::filesystem::path dir_;
};
