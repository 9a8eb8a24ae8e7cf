// What the tests of a real compare window in this process share: its files
// in the temporary folder, the message pump and its closing.
#pragma once

#include <windows.h>

#include <fstream>
#include <string>

#include "app/window_manager.h"
#include "textwin/text_window.h"

namespace qm {

// Writes bytes to "qm-textwindow-" name in the temporary folder; returns the path.
inline std::string TempFile(const std::string& name, const std::string& bytes) {
  char folder[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, folder);
  std::string path = std::string(folder) + "qm-textwindow-" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

// Pumps this thread's messages until nothing is left.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Closes window, if it is still open, without questions about its sides,
// and lets the window manager delete it.
inline void CloseTextWindow(TextWindow* window) {
  if (window && WindowBase::IsLive(window) && window->hwnd()) {
    window->History().Clear();
    SendMessageA(window->hwnd(), WM_CLOSE, 0, 0);
  }
  Pump();
  ReapClosedWindows();
}

}  // namespace qm
