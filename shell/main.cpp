// Brisel: studying natural ventilation in building plans.
#include "shell/startup.h"
#include "toolkit/toolkit.h"

int main() {
  shell::StartUp();
  tk::MainLoop();
  tk::Close();
  return 0;
}
