// Placeholder bodies: each command goes on without doing anything until
// its work lands.
#include "shell/commands.h"

namespace cmd {

int Exit(const tk::Event&) { return tk::kDefault; }
int ProjInfo(const tk::Event&) { return tk::kDefault; }
int ProjImagem(const tk::Event&) { return tk::kDefault; }
int ProjPrint(const tk::Event&) { return tk::kDefault; }
int ProjClipboard(const tk::Event&) { return tk::kDefault; }
int ProjPS(const tk::Event&) { return tk::kDefault; }
int ProjEPS(const tk::Event&) { return tk::kDefault; }
int Move(const tk::Event&) { return tk::kDefault; }
int Mirror(const tk::Event&) { return tk::kDefault; }
int Rotate(const tk::Event&) { return tk::kDefault; }
int Scale(const tk::Event&) { return tk::kDefault; }
int Select(const tk::Event&) { return tk::kDefault; }
int Drag(const tk::Event&) { return tk::kDefault; }
int Line(const tk::Event&) { return tk::kDefault; }
int PolyLine(const tk::Event&) { return tk::kDefault; }
int Polygon(const tk::Event&) { return tk::kDefault; }
int Circle(const tk::Event&) { return tk::kDefault; }
int Arc(const tk::Event&) { return tk::kDefault; }
int Bezier(const tk::Event&) { return tk::kDefault; }
int Spline(const tk::Event&) { return tk::kDefault; }
int PckMouseBt(const tk::Event&) { return tk::kDefault; }
int PckMouseMv(const tk::Event&) { return tk::kDefault; }
int PckEchoOff(const tk::Event&) { return tk::kDefault; }
int ScaleDialPress(const tk::Event&) { return tk::kDefault; }
int ScaleDialRelease(const tk::Event&) { return tk::kDefault; }
int HsizeText(const tk::Event&) { return tk::kDefault; }
int VsizeText(const tk::Event&) { return tk::kDefault; }
int XsizeText(const tk::Event&) { return tk::kDefault; }
int YsizeText(const tk::Event&) { return tk::kDefault; }
int WidthText(const tk::Event&) { return tk::kDefault; }
int Keyboard(const tk::Event&) { return tk::kDefault; }
int KeyCrtl(const tk::Event&) { return tk::kDefault; }
int BoundVel(const tk::Event&) { return tk::kDefault; }

}  // namespace cmd
