// A comparison window for the window manager's tests: records what the
// manager asks of it. qm::NewTextWindow (defined in the test program) makes
// these, so the real manager code runs against them.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/comparison_window.h"
#include "app/settings.h"
#include "app/window_manager.h"

namespace qm::test {

class FakeWindow : public ComparisonWindow {
public:
  WindowKind kind() const override { return kind_; }
  bool CreateFrame() override {
    windowClass().className = kind_ == WindowKind::Text ? "QmFakeText" : "QmFakeFolder";
    return Create(0, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr,
                  nullptr, "fake");
  }
  void SetNames(const std::string& left, const std::string& right, bool compareNow) override {
    names[0] = left;
    names[1] = right;
    if (compareNow) ++compares;
  }
  bool AskToSave() override {
    ++asked;
    return mayClose;
  }
  void UpdateCommandStates() override { ++commandUpdates; }
  void ApplyBars() override { ++barUpdates; }
  void ApplyDisplay(const DisplaySettings& snapshot) override { displays.push_back(snapshot); }
  std::string SideMenuName(int side) const override { return names[side]; }
  void RegisterHandlers() override {
    ComparisonWindow::RegisterHandlers();
    maps().OnMessage(WM_APP, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      if (onApp) onApp();
      return 0;
    });
    maps().OnCommand(20212, [this](HWND, UINT, WPARAM, LPARAM) -> LRESULT {
      ++refreshes;
      return 0;
    });
  }
  bool PreTranslateMessage(MSG* msg) override {
    return consumeKey && msg->message == WM_KEYDOWN && msg->wParam == consumeKey;
  }
  void UseAccelerators(HACCEL accel) { SetAccelerators(accel); }

  WindowKind kind_ = WindowKind::Text;
  std::string names[2] = {"<no file>", "<no file>"};
  int compares = 0;
  int asked = 0;
  bool mayClose = true;
  int commandUpdates = 0;
  int barUpdates = 0;
  std::vector<DisplaySettings> displays;
  std::function<void()> onApp;  // run on WM_APP
  int refreshes = 0;            // command 20212 received
  WPARAM consumeKey = 0;        // PreTranslateMessage takes this key
};

inline FakeWindow* AsFake(ComparisonWindow* window) { return static_cast<FakeWindow*>(window); }

// Closes every window without asking and deletes the objects, so that each
// test starts with empty lists.
inline void CloseEverything() {
  for (auto* list : {&Settings.TextWindows, &Settings.FolderWindows}) {
    while (!list->empty()) {
      ComparisonWindow* w = list->front().get();
      if (w->hwnd()) DestroyWindow(w->hwnd());
      RemoveWindow(w);
    }
  }
  ReapClosedWindows();
  Settings.OpenWindowCount = 0;
  // Drop the WM_QUIT the last window posted.
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

// Pumps the thread's queue until nothing is left.
inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  ReapClosedWindows();
}

}  // namespace qm::test
