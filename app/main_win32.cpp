// The entry point of compare.exe.
#include <windows.h>

#include "app/startup.h"
#include "app/window_manager.h"
#include "folders/folder_window.h"
#include "folders/icon_cache.h"
#include "options/options_dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qm::SetOptionsOpener(&qm::ShowOptions);
  qm::SetFolderWindowFactory(&qm::NewFolderWindow);
  qm::InitIconCache();
  if (qm::InitInstance(qm::ProcessArguments())) qm::RunMessageLoop();
  qm::DestroyIconCache();
  qm::ExitInstance();
  return 0;
}
