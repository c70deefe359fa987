// The program's start-up, up to the event loop: the toolkit opened, the main
// window built, mapped and shown with the canvas ready and the Select mode
// armed.  The program and the window tests start the same way.
#pragma once

namespace shell {

struct Workspace;

// The commands, the canvas and the modes work on `workspace`, which must
// outlive the window.
void StartUp(Workspace& workspace);

}  // namespace shell
