#include "shell/commands.h"

namespace cmd {

namespace {
struct Entry {
  const char* name;
  int (*function)(const tk::Event&);
};

struct WorkspaceEntry {
  const char* name;
  int (*function)(Workspace&, const tk::Event&);
};

const Entry kCommands[] = {
    {"ProjInfo", ProjInfo},
    {"ProjImagem", ProjImagem},
    {"ProjPrint", ProjPrint},
    {"ProjClipboard", ProjClipboard},
    {"ProjPS", ProjPS},
    {"ProjEPS", ProjEPS},
    {"Move", Move},
    {"Mirror", Mirror},
    {"Rotate", Rotate},
    {"Scale", Scale},
    {"Select", Select},
    {"Drag", Drag},
    {"PolyLine", PolyLine},
    {"Polygon", Polygon},
    {"Circle", Circle},
    {"Arc", Arc},
    {"Bezier", Bezier},
    {"Spline", Spline},
    {"PckMouseBt", PckMouseBt},
    {"PckMouseMv", PckMouseMv},
    {"PckEchoOff", PckEchoOff},
    {"ScaleDialPress", ScaleDialPress},
    {"ScaleDialRelease", ScaleDialRelease},
    {"HsizeText", HsizeText},
    {"VsizeText", VsizeText},
    {"XsizeText", XsizeText},
    {"YsizeText", YsizeText},
    {"WidthText", WidthText},
    {"WindText", WindText},
    {"WindSpeedText", WindSpeedText},
    {"Measure", Measure},
    {"Keyboard", Keyboard},
    {"BoundVel", BoundVel},
    {"VisResize", VisResize},
    {"VisRedraw", VisRedraw},
    {"VisRedisplay", VisRedisplay},
    {"VisZoom", VisZoom},
    {"VisZoomIn", VisZoomIn},
    {"VisZoomOut", VisZoomOut},
    {"VisPrevZoom", VisPrevZoom},
    {"VisPan", VisPan},
    {"VisFit", VisFit},
    {"VisScale", VisScale},
    {"VisDistort", VisDistort},
    {"VisLimits", VisLimits},
    {"ScaleDialChange", ScaleDialChange},
    {"HsizeSet", HsizeSet},
    {"VsizeSet", VsizeSet},
    {"ProjGridStep", ProjGridStep},
    {"ProjSelVertexMark", ProjSelVertexMark},
    {"PaintCell", PaintCell},
};

const WorkspaceEntry kWorkspaceCommands[] = {
    {"Exit", Exit},
    {"KeyCrtl", KeyCrtl},
    {"Delete", Delete},
    {"FillSel", FillSel},
    {"UnFillSel", UnFillSel},
    {"MoveSelFront", MoveSelFront},
    {"MoveSelBack", MoveSelBack},
    {"ProjGridOnOff", ProjGridOnOff},
    {"ProjSnapToGridOnOff", ProjSnapToGridOnOff},
    {"ProjDspGeomChar", ProjDspGeomChar},
    {"XsizeSet", XsizeSet},
    {"YsizeSet", YsizeSet},
    {"WidthSet", WidthSet},
    {"ProjReadFile", ProjReadFile},
    {"ProjSaveFile", ProjSaveFile},
    {"ProjExportImage", ProjExportImage},
    {"ProjExportField", ProjExportField},
    {"WindSet", WindSet},
    {"WindSpeedSet", WindSpeedSet},
    {"ShowStreamlines", ShowStreamlines},
    {"ShowColours", ShowColours},
    {"ShowBoth", ShowBoth},
    {"ViewGrid", ViewGrid},
    {"ComputeStreamLine", ComputeStreamLine},
    {"ComputeFlow", ComputeFlow},
    {"Line", Line},
    {"FlowLiveOnOff", FlowLiveOnOff},
    {"FlowGridCells", FlowGridCells},
};
}  // namespace

void RegisterCommands(Workspace& ws) {
  for (const Entry& entry : kCommands) tk::SetFunction(entry.name, entry.function);
  for (const WorkspaceEntry& entry : kWorkspaceCommands) {
    const auto function = entry.function;
    tk::SetFunction(entry.name, [&ws, function](const tk::Event& ev) { return function(ws, ev); });
  }
  ws.analysisNews.SetWork([&ws] { CollectAnalysis(ws); });
}

}  // namespace cmd
