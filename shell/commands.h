// The named commands of the main window.  Each takes the event that fired
// it and returns a toolkit callback code (tk::kDefault unless noted).  The
// commands that work on the drawing or the flow result take the workspace
// too, which they are registered with.
#pragma once

#include "shell/workspace.h"
#include "toolkit/toolkit.h"

namespace cmd {

using shell::Workspace;

// the foundation: exit, credits, placeholders, modes, keys, pick forwarding (app_commands.cpp)
int Exit(Workspace& ws, const tk::Event& ev);
int ProjInfo(const tk::Event& ev);
int ProjImagem(const tk::Event& ev);
int ProjPrint(const tk::Event& ev);
int ProjClipboard(const tk::Event& ev);
int ProjPS(const tk::Event& ev);
int ProjEPS(const tk::Event& ev);
int Move(const tk::Event& ev);
int Mirror(const tk::Event& ev);
int Rotate(const tk::Event& ev);
int Scale(const tk::Event& ev);
int Select(const tk::Event& ev);
int Drag(const tk::Event& ev);
int Line(Workspace& ws, const tk::Event& ev);
int PolyLine(const tk::Event& ev);
int Polygon(const tk::Event& ev);
int Circle(const tk::Event& ev);
int Arc(const tk::Event& ev);
int Bezier(const tk::Event& ev);
int Spline(const tk::Event& ev);
int PckMouseBt(const tk::Event& ev);
int PckMouseMv(const tk::Event& ev);
int PckEchoOff(const tk::Event& ev);
int ScaleDialPress(const tk::Event& ev);
int ScaleDialRelease(const tk::Event& ev);
int HsizeText(const tk::Event& ev);
int VsizeText(const tk::Event& ev);
int XsizeText(const tk::Event& ev);
int YsizeText(const tk::Event& ev);
int WidthText(const tk::Event& ev);
int WindText(const tk::Event& ev);
int WindSpeedText(const tk::Event& ev);
int Measure(const tk::Event& ev);
int Keyboard(const tk::Event& ev);
int KeyCrtl(Workspace& ws, const tk::Event& ev);
int BoundVel(const tk::Event& ev);

// view commands (view_commands.cpp)
int VisResize(const tk::Event& ev);
int VisRedraw(const tk::Event& ev);
int VisRedisplay(const tk::Event& ev);
int VisZoom(const tk::Event& ev);
int VisZoomIn(const tk::Event& ev);
int VisZoomOut(const tk::Event& ev);
int VisPrevZoom(const tk::Event& ev);
int VisPan(const tk::Event& ev);
int VisFit(const tk::Event& ev);
int VisScale(const tk::Event& ev);
int VisDistort(const tk::Event& ev);
int VisLimits(const tk::Event& ev);
int ScaleDialChange(const tk::Event& ev);
int HsizeSet(const tk::Event& ev);
int VsizeSet(const tk::Event& ev);
int ProjGridStep(const tk::Event& ev);

// drawing and settings commands (model_commands.cpp)
int Delete(Workspace& ws, const tk::Event& ev);
int FillSel(Workspace& ws, const tk::Event& ev);
int UnFillSel(Workspace& ws, const tk::Event& ev);
int MoveSelFront(Workspace& ws, const tk::Event& ev);
int MoveSelBack(Workspace& ws, const tk::Event& ev);
int ProjGridOnOff(Workspace& ws, const tk::Event& ev);
int ProjSnapToGridOnOff(Workspace& ws, const tk::Event& ev);
int ProjSelVertexMark(const tk::Event& ev);
int ProjDspGeomChar(Workspace& ws, const tk::Event& ev);
int XsizeSet(Workspace& ws, const tk::Event& ev);
int YsizeSet(Workspace& ws, const tk::Event& ev);
int WidthSet(Workspace& ws, const tk::Event& ev);

// open, save and export (file_commands.cpp)
int ProjReadFile(Workspace& ws, const tk::Event& ev);
int ProjSaveFile(Workspace& ws, const tk::Event& ev);
int ProjExportImage(Workspace& ws, const tk::Event& ev);
int ProjExportField(Workspace& ws, const tk::Event& ev);

// the wind, the pictures of the flow and its read-outs (study_commands.cpp)
int WindSet(Workspace& ws, const tk::Event& ev);
int WindSpeedSet(Workspace& ws, const tk::Event& ev);
int ShowStreamlines(Workspace& ws, const tk::Event& ev);
int ShowColours(Workspace& ws, const tk::Event& ev);
int ShowBoth(Workspace& ws, const tk::Event& ev);

// the flow analysis (flow_commands.cpp)
int ViewGrid(Workspace& ws, const tk::Event& ev);
int PaintCell(const tk::Event& ev);
int ComputeStreamLine(Workspace& ws, const tk::Event& ev);
int ComputeFlow(Workspace& ws, const tk::Event& ev);
int FlowLiveOnOff(Workspace& ws, const tk::Event& ev);  // "Ao vivo"
int FlowGridCells(Workspace& ws, const tk::Event& ev);  // a toggle of the "Malha" choice

// Shell services shared by the command files.
void ShowViewSize(tk::Element* canvas);  // view_commands.cpp: "%6.1f" into htext, vtext
// view_commands.cpp: view, pickers, GL, first window; the canvas shows the workspace.
void InitCanvas(tk::Element* canvas, Workspace& ws);
// flow_commands.cpp: the analyses.
// "Calcular" (or one of its stages) is computing: the editing commands wait.
bool PipelineRunning(const Workspace& ws);
// Esc: stops "Calcular"; nothing of its result is kept, and the message line
// says so.
void StopPipeline(Workspace& ws);
// Runs the job on the worker as the analysis the window waits for, which
// cancels the one it waited for.
void StartAnalysis(Workspace& ws, shell::AnalysisKind kind, AnalysisWorker::Job job);
// Takes what the worker has for the window: the gauge, the result as far as
// built, the end.  Runs on the event thread when the worker wakes it.
void CollectAnalysis(Workspace& ws);
// Cancels every analysis and waits for the worker's thread to end: the
// program is ending.
void EndAnalyses(Workspace& ws);
// The Line mode starts: the drawing is about to change, so the flow result
// goes, when the analysis the window waits for has ended; not in live mode,
// where the picture follows the drawing.
void ReleaseGridWhenFree(Workspace& ws);
// The drawing changed (a line made, a drag step, a change of order): in
// live mode a new analysis of the drawing as it now is starts.
void DrawingChanged(Workspace& ws);
// The options of the analysis changed (the grid, the wind): in live mode a
// new analysis starts; answers whether one did.
bool OptionsChanged(Workspace& ws);
// The drawing changed so that the result no longer fits it (a delete, an
// undo or a redo): in live mode a new analysis starts, else the result goes.
void ResultOutdated(Workspace& ws);
// The drawing is about to be replaced: the analysis going on is dropped and
// the result goes.
void DiscardFlowResult(Workspace& ws);
// model_commands.cpp: take back the last change to the drawing, or make the
// last one taken back again.
void UndoChange(Workspace& ws);
void RedoChange(Workspace& ws);
// file_commands.cpp: before the drawing is replaced or the program ends, a
// drawing changed since it was opened or saved is saved or discarded as the
// user answers.  False when the user cancelled or the save failed.
bool SettleUnsavedChanges(Workspace& ws);

// study_commands.cpp: the probe's and "Medir"'s read-outs of the
// workspace's flow.
struct ModeActions;
void SetStudyActions(ModeActions& actions, Workspace& ws);

// Registers every command above under its name, those that take the
// workspace bound to `ws`, and has the worker's news collected for `ws`.
void RegisterCommands(Workspace& ws);

}  // namespace cmd
