// The entry point of compare.exe.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (qm::InitInstance(qm::ProcessArguments())) qm::RunMessageLoop();
  qm::ExitInstance();
  return 0;
}
