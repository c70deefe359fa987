// Placeholder bodies: each command goes on without doing anything until
// its work lands.
#include "shell/commands.h"

namespace cmd {

int VisResize(const tk::Event&) { return tk::kDefault; }
int VisRedraw(const tk::Event&) { return tk::kDefault; }
int VisRedisplay(const tk::Event&) { return tk::kDefault; }
int VisZoom(const tk::Event&) { return tk::kDefault; }
int VisZoomIn(const tk::Event&) { return tk::kDefault; }
int VisZoomOut(const tk::Event&) { return tk::kDefault; }
int VisPrevZoom(const tk::Event&) { return tk::kDefault; }
int VisPan(const tk::Event&) { return tk::kDefault; }
int VisFit(const tk::Event&) { return tk::kDefault; }
int VisScale(const tk::Event&) { return tk::kDefault; }
int VisDistort(const tk::Event&) { return tk::kDefault; }
int VisLimits(const tk::Event&) { return tk::kDefault; }
int ScaleDialChange(const tk::Event&) { return tk::kDefault; }
int HsizeSet(const tk::Event&) { return tk::kDefault; }
int VsizeSet(const tk::Event&) { return tk::kDefault; }
int ProjGridStep(const tk::Event&) { return tk::kDefault; }

void ShowViewSize(tk::Element*) {}
void InitCanvas(tk::Element*) {}

}  // namespace cmd
