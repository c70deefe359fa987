#include "shell/startup.h"

#include "shell/commands.h"
#include "shell/images.h"
#include "shell/main_window.h"
#include "shell/modes.h"
#include "toolkit/toolkit.h"

namespace shell {

void StartUp(Workspace& workspace) {
  tk::Open();
  BuildMainWindow();
  // The buttons name their pictures, so these may come after the window.
  CreateImages();
  cmd::FetchHandles();
  // The canvas's GL context must exist before the canvas is set up.
  tk::Map(cmd::handles.main);
  cmd::RegisterCommands(workspace);
  tk::SetLanguage("PORTUGUESE");
  cmd::InitCanvas(cmd::handles.datascreen, workspace);
  cmd::ShowViewSize(cmd::handles.datascreen);
  cmd::ResetToSelect();
  tk::ShowXY(cmd::handles.main, tk::kCenter, tk::kCenter);
}

}  // namespace shell
