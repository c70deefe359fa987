// The shell's drawing modes and read-outs.
//
// A drawing mode (Select, Drag or Line) is an interaction installed on the
// canvas that runs until it ends.  Each mode routine records itself in
// modeRestart before installing its interaction, so that any command that
// had to end the interaction can start the same mode again (ResumeMode).
#pragma once

#include <functional>
#include <string>

#include "shell/workspace.h"
#include "toolkit/toolkit.h"

namespace cmd {

using ModeRoutine = void (*)();

// Start routine of the current drawing mode, or null before the first one.
extern ModeRoutine modeRestart;
// Set by the Keyboard command: while on, LineMode asks for lines by dialog.
extern bool keyboardEntry;

// Elements the shell talks to, fetched once at start-up (FetchHandles).
struct ShellHandles {
  tk::Element* main = nullptr;
  tk::Element* datascreen = nullptr;
  tk::Element* datatopmsg = nullptr;
  tk::Element* scaledial = nullptr;
  tk::Element* gauge = nullptr;
  tk::Element* htext = nullptr;
  tk::Element* vtext = nullptr;
  tk::Element* snaptoggle = nullptr;
  tk::Element* cursorxpos = nullptr;
  tk::Element* cursorypos = nullptr;
  tk::Element* probetext = nullptr;
  tk::Element* windtext = nullptr;
  tk::Element* windspeedtext = nullptr;
};
extern ShellHandles handles;

// Fetches the handles above by name, making the snap toggle inactive on the
// way (snapping only makes sense once the grid is shown).
void FetchHandles();

// What the modes do with the drawing and the flow result, given at start-up
// by whoever owns them (SetModeActions): make a wall, snap a point, drop the
// flow picture, read the flow at the cursor, along a line, over a zone.
struct ModeActions {
  std::function<bool(double x0, double y0, double x1, double y1)> createLine;
  std::function<void(double& x, double& y, bool control)> snap;
  std::function<void()> discardFlowResult;
  // The probe's read-out at a point, "" where there is no flow to read.
  std::function<std::string(double x, double y)> probe;
  std::function<std::string(double x0, double y0, double x1, double y1)> measureLine;
  std::function<std::string(double xmin, double xmax, double ymin, double ymax)> measureZone;
};
void SetModeActions(ModeActions actions);

// The three drawing modes, and "Medir".
void SelectMode();
void DragMode();
void LineMode();
void MeasureMode();

// Ends any pick interaction in progress; its owner is told status -1.
void EndPick();
// Ends the pick and starts the Select mode, clearing every mode toggle.
void ResetToSelect();
// Starts the current mode afresh, if there is one.
void ResumeMode();

// End callback of the drawing modes: -1 ended by the shell (nothing to do),
// 0 aborted by the user (back to Select), anything else completed (again).
void PickDone(void* owner, int status);
// End callback of the zoom-window, pan and scale interactions.
// It refreshes the size read-outs and re-arms the mode, however the
// interaction ended.
void ViewDone(tk::Element* canvas, int status);

// The tool buttons show what is on: the button of the current mode
// ("Seleção" or "Linha") and, while typed entry is on, "Teclado" look
// pressed.
void ShowActiveTool();

// The prompt line above the canvas.
void ShowPrompt(void* owner, const std::string& text);
// The cursor read-outs of the bottom bar, in world units, and the probe's
// read-out of the flow there.
void ShowCursorPos(void* owner, double x, double y);
// Empties the cursor and probe read-outs, as the pointer leaves the canvas.
void ClearCursorPos();

// Empties the drawing and forgets its history, as the program ends.
void CloseDrawing(shell::Workspace& ws);

}  // namespace cmd
