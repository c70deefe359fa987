// The pick service: every mouse interaction on a canvas runs as a pick.
#pragma once

#include "toolkit/toolkit.h"

// Ends the interaction in progress on the canvas, if any; its owner is told
// status -1.
void PickAbort(tk::Element* canvas);
