// The Select and Drag pickers: one record of each kind per canvas, holding
// the callbacks that give the pick service's points a meaning.  Activating a
// picker starts a drag pick on its canvas; the picker's callbacks then see
// the press, the cursor and the release.
#pragma once

#include "toolkit/toolkit.h"

namespace cmd {

// Told how a mode's pick ended: -1 ended by another command, 0 the user
// cancelled (right button, or a click in Drag mode), 1 done.
using PickerDone = void (*)(void* userData, int status);
// Moves a point before it is used (snapping); `control` inverts snapping.
using PickerAdjust = void (*)(void* userData, double* x, double* y, double tolerance,
                              bool control);

struct SelectPicker {
  tk::Element* canvas = nullptr;
  void* userData = nullptr;
  void (*pointPick)(void* userData, double x, double y, double tolerance, bool keep) = nullptr;
  void (*fence)(void* userData, double xmin, double xmax, double ymin, double ymax,
                bool keep) = nullptr;
  PickerAdjust adjust = nullptr;
  void (*motion)(void* userData, double x, double y) = nullptr;
  PickerDone done = nullptr;
  int armed = 0;  // 1 when re-armed by the middle button: the cursor box shows
};

struct DragPicker {
  tk::Element* canvas = nullptr;
  void* userData = nullptr;
  // At the press, with the adjusted press point and the held keys.
  void (*begin)(void* userData, double px, double py, double tolerance, bool shift,
                bool control) = nullptr;
  // At a release far enough from the press: the drag from p to r is applied.
  void (*end)(void* userData, double px, double py, double rx, double ry) = nullptr;
  void (*message)(void* userData, const char* text) = nullptr;
  PickerAdjust adjust = nullptr;
  // While dragging: the press point and the cursor.
  void (*motion)(void* userData, double px, double py, double x, double y) = nullptr;
  // When the pick ends without the drag applied: a click, another button,
  // or another command.
  void (*dropped)(void* userData) = nullptr;
  PickerDone done = nullptr;
  int armed = 0;
};

// Creating a picker for a canvas replaces the canvas's existing one.
SelectPicker* CreateSelectPicker(const SelectPicker& picker);
DragPicker* CreateDragPicker(const DragPicker& picker);
SelectPicker* FindSelectPicker(tk::Element* canvas);
DragPicker* FindDragPicker(tk::Element* canvas);
void RemovePickers(tk::Element* canvas);

// Store the done callback and the armed flag and start the picker's pick.
void ActivateSelectPicker(tk::Element* canvas, PickerDone done, int armed);
void ActivateDragPicker(tk::Element* canvas, PickerDone done, int armed);

}  // namespace cmd
