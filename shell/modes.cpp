#include "shell/modes.h"

#include <utility>

#include "shell/commands.h"
#include "shell/editing.h"
#include "shell/line_mode.h"
#include "shell/measure_mode.h"
#include "shell/pickers.h"
#include "view/pick.h"

namespace cmd {

ModeRoutine modeRestart = nullptr;
bool keyboardEntry = false;
ShellHandles handles;

namespace {

ModeActions modeActions;

// Mode toggles a tool palette may carry; the main window has none of them
// today, and setting an attribute on a missing element does nothing.
const char* const kOtherModeToggles[] = {"drag_tgl",  "line_tgl",   "pline_tgl",
                                         "plgon_tgl", "circle_tgl", "arc_tgl",
                                         "bezier_tgl", "spline_tgl"};

struct ModePrompts {
  const char* select;
  const char* drag;
};

const ModePrompts kEnglish = {
    "Select: click a wall (Shift adds or removes it) or drag a fence around walls.",
    "Drag: press on a wall and drag it; on an end or a red mark of the selection, stretch it."};
const ModePrompts kPortuguese = {
    "Seleção: clique numa parede (Shift acrescenta ou retira) ou arraste uma cerca em volta "
    "das paredes.",
    "Arrastar: pressione sobre uma parede e arraste-a; sobre uma ponta ou marca vermelha da "
    "seleção, estique-a."};

const ModePrompts& Prompts() { return tk::GetLanguage() == "ENGLISH" ? kEnglish : kPortuguese; }

void SetPressed(const char* button, bool pressed) {
  tk::SetAttribute(tk::GetHandle(button), "VALUE", pressed ? "ON" : "OFF");
}

// One line asked for by dialog while the keyboard switch is on.  Returns
// true when a line was made.
bool EnterLineByKeyboard() { return KeyboardLineEntry(modeActions.createLine, ShowPrompt); }

void StartMouseLineOnCanvas() {
  LineInput input;
  input.canvas = handles.datascreen;
  input.done = PickDone;
  input.create = modeActions.createLine;
  input.message = ShowPrompt;
  input.adjust = modeActions.snap;
  input.coordinates = ShowCursorPos;
  StartMouseLine(input);
}

// Starting the mouse line mode removes the flow picture, since the drawing is
// about to change; while "Calcular" runs, once it ends, as it is using it.
void DiscardFlowResults() {
  if (modeActions.discardFlowResult) modeActions.discardFlowResult();
}

}  // namespace

void SetModeActions(ModeActions actions) { modeActions = std::move(actions); }

void FetchHandles() {
  handles.main = tk::GetHandle("main");
  handles.datascreen = tk::GetHandle("datascreen");
  handles.datatopmsg = tk::GetHandle("datatopmsg");
  handles.scaledial = tk::GetHandle("scaledial");
  handles.gauge = tk::GetHandle("gauge_name");
  handles.htext = tk::GetHandle("htext");
  handles.vtext = tk::GetHandle("vtext");
  handles.snaptoggle = tk::GetHandle("snaptoggle");
  tk::SetAttribute(handles.snaptoggle, "ACTIVE", "NO");
  handles.cursorxpos = tk::GetHandle("cursorxpos");
  handles.cursorypos = tk::GetHandle("cursorypos");
  handles.probetext = tk::GetHandle("probetext");
  handles.windtext = tk::GetHandle("windtext");
  handles.windspeedtext = tk::GetHandle("windspeedtext");
}

void SelectMode() {
  modeRestart = SelectMode;
  ShowActiveTool();
  ShowPrompt(nullptr, Prompts().select);
  ActivateSelectPicker(handles.datascreen, PickDone, 0);
}

void DragMode() {
  modeRestart = DragMode;
  ShowActiveTool();
  ShowPrompt(nullptr, Prompts().drag);
  ActivateDragPicker(handles.datascreen, PickDone, 0);
}

void LineMode() {
  modeRestart = LineMode;
  ShowActiveTool();
  if (keyboardEntry) {
    // One dialog after another until the user cancels; each line made
    // re-records the mode, since making it may have run other commands.
    while (EnterLineByKeyboard()) modeRestart = LineMode;
    ResetToSelect();
    return;
  }
  StartMouseLineOnCanvas();
  DiscardFlowResults();
}

void MeasureMode() {
  modeRestart = MeasureMode;
  MeasureInput input;
  input.canvas = handles.datascreen;
  input.done = PickDone;
  input.message = ShowPrompt;
  input.adjust = modeActions.snap;
  input.coordinates = ShowCursorPos;
  input.line = modeActions.measureLine;
  input.zone = modeActions.measureZone;
  StartMeasure(input);
}

void EndPick() { PickAbort(); }

void ResetToSelect() {
  tk::SetAttribute(tk::GetHandle("select_tgl"), "VALUE", "ON");
  for (const char* name : kOtherModeToggles)
    tk::SetAttribute(tk::GetHandle(name), "VALUE", "OFF");
  EndPick();
  SelectMode();
}

void ResumeMode() {
  if (modeRestart) modeRestart();
}

void PickDone(void*, int status) {
  if (status == -1) return;  // the shell ended it and decides what follows
  if (status == 0) {
    ResetToSelect();
    return;
  }
  ResumeMode();
}

void ViewDone(tk::Element* canvas, int) {
  ShowViewSize(canvas);
  ResumeMode();
}

void ShowActiveTool() {
  SetPressed("btsel", modeRestart == SelectMode);
  SetPressed("btline", modeRestart == LineMode);
  SetPressed("btkeyboard", keyboardEntry);
}

void ShowPrompt(void*, const std::string& text) {
  tk::SetAttribute(handles.datatopmsg, "TITLE", text);
}

void ShowCursorPos(void*, double x, double y) {
  tk::SetfAttribute(handles.cursorxpos, "TITLE", "%7.2f", x);
  tk::SetfAttribute(handles.cursorypos, "TITLE", "%7.2f", y);
  const std::string probe = modeActions.probe ? modeActions.probe(x, y) : "";
  tk::SetAttribute(handles.probetext, "TITLE", probe.empty() ? " " : probe);
}

void ClearCursorPos() {
  tk::SetAttribute(handles.cursorxpos, "TITLE", " ");
  tk::SetAttribute(handles.cursorypos, "TITLE", " ");
  tk::SetAttribute(handles.probetext, "TITLE", " ");
}

void CloseDrawing(shell::Workspace& ws) {
  EndPick();
  ws.drawing.history.Clear();
  ws.drawing.entities.deleteAll();
  ws.drawing.history.MarkUnchanged();  // an empty drawing has nothing to save
  ws.drawing.source = {};
}

}  // namespace cmd
