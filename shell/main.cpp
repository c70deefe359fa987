// Brisel: studying natural ventilation in building plans.
#include "shell/startup.h"
#include "shell/workspace.h"
#include "toolkit/toolkit.h"

int main() {
  shell::Workspace workspace;
  shell::StartUp(workspace);
  tk::MainLoop();
  tk::Close();
  return 0;
}
