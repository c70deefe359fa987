// Placeholder bodies: each command goes on without doing anything until
// its work lands.
#include "shell/commands.h"

namespace cmd {

int ViewGrid(const tk::Event&) { return tk::kDefault; }
int PaintCell(const tk::Event&) { return tk::kDefault; }
int ComputeStreamLine(const tk::Event&) { return tk::kDefault; }
int ComputeFlow(const tk::Event&) { return tk::kDefault; }

bool PipelineRunning() { return false; }

}  // namespace cmd
