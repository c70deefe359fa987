// Commands that act on the drawing and its settings.
#include "shell/commands.h"
#include "shell/modes.h"
#include "shell/number_fields.h"
#include "view/view.h"

namespace cmd {

namespace {

// The selection commands end whatever the mouse was doing, change the
// drawing, show it and put the user back in the mode they were in.  Nothing
// changes while "Calcular" runs.
template <typename Operation>
int ChangeSelection(const Workspace& ws, Operation operation) {
  if (PipelineRunning(ws)) return tk::kDefault;
  EndPick();
  operation();
  ViewRedisplay(handles.datascreen);
  ResumeMode();
  return tk::kDefault;
}

void SetGridSteps(DrawingSettings& settings, tk::Element* xField, tk::Element* yField) {
  double x = 0, y = 0;
  const bool xOk = shell::ReadFinitePositive(xField, x);
  const bool yOk = shell::ReadFinitePositive(yField, y);
  if (xOk && yOk) {
    settings.gridStepX = x;
    settings.gridStepY = y;
  }
  ShowViewSize(handles.datascreen);
}

// Runs an operation on the list's selected entities, as one change that
// can be undone, in the way of the selection commands.
int ChangeRecordedSelection(Workspace& ws, void (EntityList::*operation)()) {
  return ChangeSelection(ws, [&ws, operation] {
    EntityList& entities = ws.drawing.entities;
    ws.drawing.history.RecordChange(entities.selectedEntities(),
                                    [&entities, operation] { (entities.*operation)(); });
    DrawingChanged(ws);
  });
}

// The removed walls are kept by the history, so that undo can bring them back.
void RemoveSelection(EntityList& entities) { entities.removeSelected(); }

// Undo and redo put back another drawing, for which the flow result was
// not computed.
void StepThroughHistory(Workspace& ws, bool (History::*step)()) {
  if (PipelineRunning(ws)) return;
  EndPick();
  (ws.drawing.history.*step)();
  ResultOutdated(ws);
  ViewRedisplay(handles.datascreen);
  ResumeMode();
}

}  // namespace

// Deleting discards the flow result too, since it was computed for walls
// that may no longer exist.
int Delete(Workspace& ws, const tk::Event&) {
  return ChangeSelection(ws, [&ws] {
    EntityList& entities = ws.drawing.entities;
    ws.drawing.history.RecordChange(entities.selectedEntities(),
                                    [&entities] { RemoveSelection(entities); });
    ResultOutdated(ws);
  });
}

int FillSel(Workspace& ws, const tk::Event&) {
  return ChangeRecordedSelection(ws, &EntityList::fillSelected);
}
int UnFillSel(Workspace& ws, const tk::Event&) {
  return ChangeRecordedSelection(ws, &EntityList::unfillSelected);
}
int MoveSelFront(Workspace& ws, const tk::Event&) {
  return ChangeRecordedSelection(ws, &EntityList::moveSelectedToFront);
}
int MoveSelBack(Workspace& ws, const tk::Event&) {
  return ChangeRecordedSelection(ws, &EntityList::moveSelectedToBack);
}

void UndoChange(Workspace& ws) {
  if (ws.drawing.history.UndoSteps() > 0) StepThroughHistory(ws, &History::Undo);
}

void RedoChange(Workspace& ws) {
  if (ws.drawing.history.RedoSteps() > 0) StepThroughHistory(ws, &History::Redo);
}

// Snapping needs the grid, so its toggle is usable only while the grid shows.
int ProjGridOnOff(Workspace& ws, const tk::Event& ev) {
  const bool on = ev.state != 0;
  tk::SetAttribute(ev.element, "VALUE", on ? "ON" : "OFF");
  tk::SetAttribute(handles.snaptoggle, "ACTIVE", on ? "YES" : "NO");
  ws.drawing.settings.gridShown = on;
  ViewRedisplay(handles.datascreen);
  return tk::kDefault;
}

int ProjSnapToGridOnOff(Workspace& ws, const tk::Event& ev) {
  ws.drawing.settings.snapToGrid = ev.state != 0;
  return tk::kDefault;
}

int ProjSelVertexMark(const tk::Event&) { return tk::kDefault; }

int ProjDspGeomChar(Workspace& ws, const tk::Event&) {
  std::string text;
  ws.drawing.entities.describeSelection(text);
  tk::Message("Características geométricas", text);
  return tk::kDefault;
}

int XsizeSet(Workspace& ws, const tk::Event& ev) {
  SetGridSteps(ws.drawing.settings, ev.element, tk::GetHandle("ygrid"));
  return tk::kDefault;
}

int YsizeSet(Workspace& ws, const tk::Event& ev) {
  SetGridSteps(ws.drawing.settings, tk::GetHandle("xgrid"), ev.element);
  return tk::kDefault;
}

int WidthSet(Workspace& ws, const tk::Event& ev) {
  double width = 0;
  if (shell::ReadFinitePositive(ev.element, width)) ws.drawing.settings.wallWidth = width;
  ShowViewSize(handles.datascreen);
  return tk::kDefault;
}

}  // namespace cmd
