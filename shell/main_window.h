// The main window: prompt line, tool column, drawing canvas and the bottom
// bar of read-outs and settings fields.
#pragma once

namespace shell {

// Title of the main window.
extern const char kMainTitle[];

// Builds the element tree of the main window and registers its named
// elements.  The window is neither mapped nor shown; its buttons name their
// pictures, which may be created afterwards.
void BuildMainWindow();

}  // namespace shell
