// The program's start-up, up to the event loop: the toolkit opened, the main
// window built, mapped and shown with the canvas ready and the Select mode
// armed.  The program and the window tests start the same way.
#pragma once

namespace shell {

void StartUp();

}  // namespace shell
