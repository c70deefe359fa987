// The shell's own commands: exit, credits, the drawing modes, the keyboard,
// the numeric key filter of the size fields and the canvas's mouse callbacks.
#include <string>

#include "shell/commands.h"
#include "shell/credits.h"
#include "shell/modes.h"
#include "view/pick.h"
#include "view/zoom.h"

namespace cmd {

namespace {

// A toggle switched off fires its command too; only switching on counts.
// Buttons report no state and always count.
bool SwitchedOff(const tk::Event& ev) {
  return tk::KindOf(ev.element) == "toggle" && ev.state == 0;
}

int StartMode(const tk::Event& ev, ModeRoutine mode) {
  if (SwitchedOff(ev)) return tk::kDefault;
  EndPick();
  mode();
  return tk::kDefault;
}

// Commands that must leave the user's mode as it was: end the interaction,
// then start the same mode afresh.
int EndPickAndResume() {
  EndPick();
  ResumeMode();
  return tk::kDefault;
}

// Editing keys (Backspace, Tab, Delete, arrows, Home, End ...) must always
// reach the field, or the user could not correct what was typed.
bool IsEditingKey(int code) {
  return (code >= 0 && code < 32) || code == 127 ||
         (code >= tk::kKeyHome && code <= tk::kKeyDel);
}

bool IsNumberCharacter(int c) { return (c >= '0' && c <= '9') || c == '.'; }

// A paste arrives as one keystroke carrying several characters, so the text
// the field would hold is checked as well.  Blanks pass: the size read-outs
// are right-aligned with leading blanks.
bool HoldsOnlyNumberCharacters(const std::string& text) {
  for (char c : text)
    if (!IsNumberCharacter(static_cast<unsigned char>(c)) && c != ' ') return false;
  return true;
}

// Size, step and width fields take unsigned decimal numbers only: a minus
// sign is refused, so no negative value can be typed.  Removing text is
// always allowed.  An editing key that would add text is really a letter
// whose character code coincides with that key's code, and is checked as
// typed text.
int NumericKeyFilter(const tk::Event& ev) {
  const bool editing = IsEditingKey(ev.key);
  if (editing && ev.text.size() <= tk::GetAttribute(ev.element, "VALUE").size())
    return tk::kDefault;
  if ((editing || IsNumberCharacter(ev.key)) && HoldsOnlyNumberCharacters(ev.text))
    return tk::kDefault;
  return tk::kIgnore;
}

// Control with the right button stands for the middle button, for mice
// that have none.  The release follows its press: once the right button
// went down as the middle one it comes up as the middle one too, whatever
// the status string says about the buttons still held.  Such a button is a
// plain middle button: Control is taken out of its status, or the press
// would change the aperture (Control + middle) instead of asking for
// coordinates, and its release would be swallowed with it.
struct PickButtonEvent {
  int button;
  std::string status;
};

PickButtonEvent ButtonForPick(const tk::Event& ev) {
  static bool rightActsAsMiddle = false;
  if (ev.button != '3') return {ev.button, ev.status};
  if (ev.state) rightActsAsMiddle = ev.status.size() > 1 && ev.status[1] == 'C';
  if (!rightActsAsMiddle) return {ev.button, ev.status};
  std::string status = ev.status;
  if (status.size() > 1) status[1] = ' ';
  return {'2', status};
}

// A key typed into a field may belong to its text.
bool FocusInTextField(const tk::Event& ev) { return tk::KindOf(ev.element) == "text"; }

}  // namespace

// Fired by "Sair" and by the window's close box.  Refusing keeps the window
// open.  An analysis still going is cancelled, and its thread has ended
// before the drawing goes.
int Exit(Workspace& ws, const tk::Event&) {
  if (!SettleUnsavedChanges(ws)) return tk::kIgnore;
  EndAnalyses(ws);
  CloseDrawing(ws);
  return tk::kClose;
}

int ProjInfo(const tk::Event&) {
  shell::ShowCredits();
  return tk::kDefault;
}

int ProjImagem(const tk::Event&) { return tk::kDefault; }
int ProjPrint(const tk::Event&) { return EndPickAndResume(); }
int ProjClipboard(const tk::Event&) { return EndPickAndResume(); }
int ProjPS(const tk::Event&) { return EndPickAndResume(); }
int ProjEPS(const tk::Event&) { return EndPickAndResume(); }

int Move(const tk::Event&) { return tk::kDefault; }
int Mirror(const tk::Event&) { return tk::kDefault; }
int Rotate(const tk::Event&) { return tk::kDefault; }
int Scale(const tk::Event&) { return tk::kDefault; }

int Select(const tk::Event& ev) { return StartMode(ev, SelectMode); }
int Drag(const tk::Event& ev) { return StartMode(ev, DragMode); }
// A new line would change the drawing while "Calcular" runs.
int Line(Workspace& ws, const tk::Event& ev) {
  if (PipelineRunning(ws)) return tk::kDefault;
  return StartMode(ev, LineMode);
}

int Measure(const tk::Event& ev) { return StartMode(ev, MeasureMode); }

int PolyLine(const tk::Event&) { return tk::kDefault; }
int Polygon(const tk::Event&) { return tk::kDefault; }
int Circle(const tk::Event&) { return tk::kDefault; }
int Arc(const tk::Event&) { return tk::kDefault; }
int Bezier(const tk::Event&) { return tk::kDefault; }
int Spline(const tk::Event&) { return tk::kDefault; }

int PckMouseBt(const tk::Event& ev) {
  const PickButtonEvent pick = ButtonForPick(ev);
  PickButton(ev.element, pick.button, ev.state, ev.x, ev.y, pick.status);
  return tk::kDefault;
}

int PckMouseMv(const tk::Event& ev) {
  PickMotion(ev.element, ev.x, ev.y, ev.status);
  return tk::kDefault;
}

// The echo goes before the pointer does; the read-outs then show nothing.
int PckEchoOff(const tk::Event&) {
  PickEchoOff();
  ClearCursorPos();
  return tk::kDefault;
}

int ScaleDialPress(const tk::Event&) { return tk::kDefault; }
int ScaleDialRelease(const tk::Event&) { return tk::kDefault; }

int HsizeText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int VsizeText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int XsizeText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int YsizeText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int WidthText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int WindText(const tk::Event& ev) { return NumericKeyFilter(ev); }
int WindSpeedText(const tk::Event& ev) { return NumericKeyFilter(ev); }

int Keyboard(const tk::Event&) {
  keyboardEntry = !keyboardEntry;
  if (keyboardEntry) ResetToSelect();
  ShowActiveTool();
  return tk::kDefault;
}

namespace {

// The keys a text field uses on its own text: characters, moving along the
// text and deleting in it, and Control with a letter.  Esc, Up, Down and
// the page keys mean nothing to a one-line field.
bool TextFieldUses(int key) {
  switch (key) {
    case tk::kKeyEsc:
    case tk::kKeyUp:
    case tk::kKeyDown:
    case tk::kKeyPgUp:
    case tk::kKeyPgDn:
      return false;
    default:
      return true;
  }
}

void PanView(PanAxis axis, double f) { PanStep(handles.datascreen, axis, f); }

// The main window's keys; false for a key that is not one of them.
bool ActOnKey(Workspace& ws, const tk::Event& ev) {
  const bool shift = !ev.status.empty() && ev.status[0] == 'S';
  switch (ev.key) {
    case tk::CtrlKey('z'):
      if (shift) {
        RedoChange(ws);
      } else {
        UndoChange(ws);
      }
      return true;
    case tk::CtrlKey('y'):
      RedoChange(ws);
      return true;
    case tk::kKeyEsc:
      // While "Calcular" runs, Esc only stops it.
      if (PipelineRunning(ws)) {
        StopPipeline(ws);
      } else {
        EndPick();
        ResetToSelect();
      }
      return true;
    case 'x':
    case 'y':
      SetReferenceAxis(static_cast<char>(ev.key));
      return true;
    case 'm':
      // The Drag mode has no button; m starts it.
      EndPick();
      DragMode();
      return true;
    case 'd':
      // "Medir" from the keyboard.
      EndPick();
      MeasureMode();
      return true;
    case 'p':
      PreviousZoom(handles.datascreen);
      ShowViewSize(handles.datascreen);
      return true;
    case 8:  // BackSpace; Control+H gives the same code and is left alone
      if (ev.status.size() > 1 && ev.status[1] == 'C') return false;
      Delete(ws, ev);
      return true;
    case tk::kKeyDel:
      Delete(ws, ev);
      return true;
    case tk::kKeyUp: PanView(PanAxis::Vertical, +0.1); return true;
    case tk::kKeyDown: PanView(PanAxis::Vertical, -0.1); return true;
    case tk::kKeyRight: PanView(PanAxis::Horizontal, +0.1); return true;
    case tk::kKeyLeft: PanView(PanAxis::Horizontal, -0.1); return true;
    case tk::kKeyPgDn: PanView(PanAxis::Vertical, +1.0); return true;
    case tk::kKeyPgUp: PanView(PanAxis::Vertical, -1.0); return true;
    default:
      return false;
  }
}

}  // namespace

// Every key typed anywhere in the main window passes here first, wherever
// the focus is, except the keys a text field uses while the focus is in
// one: they edit its text.  A key that acts here is taken, so that no
// widget acts on it as well (a focused scrollbar would pan a second time).
int KeyCrtl(Workspace& ws, const tk::Event& ev) {
  if (FocusInTextField(ev) && TextFieldUses(ev.key)) return tk::kDefault;
  return ActOnKey(ws, ev) ? tk::kIgnore : tk::kDefault;
}

int BoundVel(const tk::Event&) { return tk::kDefault; }

}  // namespace cmd
