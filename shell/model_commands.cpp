// Placeholder bodies: each command goes on without doing anything until
// its work lands.
#include "shell/commands.h"

namespace cmd {

int Delete(const tk::Event&) { return tk::kDefault; }
int FillSel(const tk::Event&) { return tk::kDefault; }
int UnFillSel(const tk::Event&) { return tk::kDefault; }
int MoveSelFront(const tk::Event&) { return tk::kDefault; }
int MoveSelBack(const tk::Event&) { return tk::kDefault; }
int ProjGridOnOff(const tk::Event&) { return tk::kDefault; }
int ProjSnapToGridOnOff(const tk::Event&) { return tk::kDefault; }
int ProjSelVertexMark(const tk::Event&) { return tk::kDefault; }
int ProjDspGeomChar(const tk::Event&) { return tk::kDefault; }
int XsizeSet(const tk::Event&) { return tk::kDefault; }
int YsizeSet(const tk::Event&) { return tk::kDefault; }
int WidthSet(const tk::Event&) { return tk::kDefault; }

}  // namespace cmd
