// The document the program edits: the entities, the settings they are drawn
// and edited with, and the history of their changes.
#pragma once

#include <string>

#include "model/entity_list.h"
#include "model/history.h"

struct DrawingSettings {
  double wallWidth = 0.15;  // given to walls as they are made or edited
  double gridStepX = 1.0;
  double gridStepY = 1.0;
  bool gridShown = false;
  bool snapToGrid = false;

  // Moves the point to the nearest grid node (an exact half toward zero)
  // when snapping applies: with snapping on unless Control is held, with it
  // off only while Control is held, and never while the grid is hidden.
  void snapPoint(double& x, double& y, bool ctrl) const;
};

// The file a drawing was last opened from or saved to.
struct DrawingSource {
  std::string path;     // as the file system resolves it; "" for none
  int unreadFrom = 0;   // the record where reading stopped early, 0 when read whole
};

struct Drawing {
  EntityList entities;
  DrawingSettings settings;
  History history{entities};
  DrawingSource source;
};
