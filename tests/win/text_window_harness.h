// What the tests of a real compare window in this process share: its files
// in the temporary folder, the message pump and its closing.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <cstring>
#include <string>
#include <vector>

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

// A drop of paths at a point of target's client area, as the shell makes it.
inline void DropOn(HWND target, POINT point, const std::vector<std::string>& paths) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const auto& path : paths) size += path.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = point;
  char* names = reinterpret_cast<char*>(drop + 1);
  for (const auto& path : paths) {
    memcpy(names, path.c_str(), path.size() + 1);
    names += path.size() + 1;
  }
  GlobalUnlock(memory);
  SendMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

}  // namespace qm
