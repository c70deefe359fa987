// Every model test starts and ends with an empty drawing and default settings.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "model/entity.h"

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void TearDown() override { Reset(); }

  static void Reset() {
    deleteAll();
    wallWidth = 0.15;
    gridStepX = gridStepY = 1.0;
    gridShown = snapToGrid = false;
  }

  // The list from the head (front) to the tail (back).
  static std::vector<Entity*> Order() {
    std::vector<Entity*> order;
    Entity* e = EntityList;
    if (!e) return order;
    do {
      order.push_back(e);
      e = e->next;
    } while (e != EntityList);
    return order;
  }
};
