// The entry point of compare.exe.
#include <windows.h>

#include "app/startup.h"
#include "controls/window_base.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qm::SetModuleInstance(instance);
  if (qm::InitInstance(qm::ProcessArguments())) qm::RunMessageLoop();
  qm::ExitInstance();
  return 0;
}
