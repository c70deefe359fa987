#include "shell/commands.h"

namespace cmd {

namespace {
struct Entry {
  const char* name;
  int (*function)(const tk::Event&);
};

const Entry kCommands[] = {
    {"Exit", Exit},
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
    {"Line", Line},
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
    {"Keyboard", Keyboard},
    {"KeyCrtl", KeyCrtl},
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
    {"Delete", Delete},
    {"FillSel", FillSel},
    {"UnFillSel", UnFillSel},
    {"MoveSelFront", MoveSelFront},
    {"MoveSelBack", MoveSelBack},
    {"ProjGridOnOff", ProjGridOnOff},
    {"ProjSnapToGridOnOff", ProjSnapToGridOnOff},
    {"ProjSelVertexMark", ProjSelVertexMark},
    {"ProjDspGeomChar", ProjDspGeomChar},
    {"XsizeSet", XsizeSet},
    {"YsizeSet", YsizeSet},
    {"WidthSet", WidthSet},
    {"ProjReadFile", ProjReadFile},
    {"ProjSaveFile", ProjSaveFile},
    {"ViewGrid", ViewGrid},
    {"PaintCell", PaintCell},
    {"ComputeStreamLine", ComputeStreamLine},
    {"ComputeFlow", ComputeFlow},
};
}  // namespace

void RegisterCommands() {
  for (const Entry& entry : kCommands) tk::SetFunction(entry.name, entry.function);
}

}  // namespace cmd
