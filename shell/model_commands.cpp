// Commands that act on the drawing and its settings.
#include "flow/cell_grid.h"
#include "model/entity.h"
#include "model/history.h"
#include "shell/commands.h"
#include "shell/modes.h"
#include "shell/number_fields.h"
#include "view/view.h"

namespace cmd {

namespace {

// The selection commands end whatever the mouse was doing, change the
// drawing, show it and put the user back in the mode they were in.  Nothing
// changes while "Calcular" is reading the drawing.
int ChangeSelection(void (*operation)()) {
  if (PipelineRunning()) return tk::kDefault;
  EndPick();
  operation();
  ViewRedisplay(handles.datascreen);
  ResumeMode();
  return tk::kDefault;
}

void SetGridSteps(tk::Element* xField, tk::Element* yField) {
  double x = 0, y = 0;
  const bool xOk = shell::ReadFinitePositive(xField, x);
  const bool yOk = shell::ReadFinitePositive(yField, y);
  if (xOk && yOk) {
    gridStepX = x;
    gridStepY = y;
  }
  ShowViewSize(handles.datascreen);
}

// Runs an operation on the selected entities as one change that can be
// undone.
template <void (*operation)()>
void RecordedOnSelection() {
  history::RecordChange(selectedEntities(), operation);
}

// The removed walls are kept by the history, so that undo can bring them back.
void RemoveSelection() { removeSelected(); }

// Undo and redo put back another drawing, for which the flow result was
// not computed.
void StepThroughHistory(bool (*step)()) {
  if (PipelineRunning()) return;
  EndPick();
  step();
  ReleaseGrid();
  ViewRedisplay(handles.datascreen);
  ResumeMode();
}

}  // namespace

// Deleting discards the flow result too, since it was computed for walls
// that may no longer exist.
int Delete(const tk::Event&) {
  return ChangeSelection([] {
    RecordedOnSelection<RemoveSelection>();
    ReleaseGrid();
  });
}

int FillSel(const tk::Event&) { return ChangeSelection(RecordedOnSelection<fillSelected>); }
int UnFillSel(const tk::Event&) { return ChangeSelection(RecordedOnSelection<unfillSelected>); }
int MoveSelFront(const tk::Event&) {
  return ChangeSelection(RecordedOnSelection<moveSelectedToFront>);
}
int MoveSelBack(const tk::Event&) {
  return ChangeSelection(RecordedOnSelection<moveSelectedToBack>);
}

void UndoChange() {
  if (history::UndoSteps() > 0) StepThroughHistory(history::Undo);
}

void RedoChange() {
  if (history::RedoSteps() > 0) StepThroughHistory(history::Redo);
}

// Snapping needs the grid, so its toggle is usable only while the grid shows.
int ProjGridOnOff(const tk::Event& ev) {
  const bool on = ev.state != 0;
  tk::SetAttribute(ev.element, "VALUE", on ? "ON" : "OFF");
  tk::SetAttribute(handles.snaptoggle, "ACTIVE", on ? "YES" : "NO");
  gridShown = on;
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

int ProjSnapToGridOnOff(const tk::Event& ev) {
  snapToGrid = ev.state != 0;
  return tk::kDefault;
}

int ProjSelVertexMark(const tk::Event&) { return tk::kDefault; }

int ProjDspGeomChar(const tk::Event&) {
  std::string text;
  describeSelection(text);
  tk::Message("Características geométricas", text);
  return tk::kDefault;
}

int XsizeSet(const tk::Event& ev) {
  SetGridSteps(ev.element, tk::GetHandle("ygrid"));
  return tk::kDefault;
}

int YsizeSet(const tk::Event& ev) {
  SetGridSteps(tk::GetHandle("xgrid"), ev.element);
  return tk::kDefault;
}

int WidthSet(const tk::Event& ev) {
  double width = 0;
  if (shell::ReadFinitePositive(ev.element, width)) wallWidth = width;
  ShowViewSize(handles.datascreen);
  return tk::kDefault;
}

}  // namespace cmd
