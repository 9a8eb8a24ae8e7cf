// What the end-to-end tests read from and do to a folder window: the tab
// captions and the current tab, the rows of each result list, clicks on a
// tab, a row or a button, and the folder bars (which share the text
// window's name-box ids, so the text window's probe reads them).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/e2e/driver.h"

namespace qm::e2e {

// The four lists by the tab that shows them, in tab order.
enum FolderTab : int { kChangedTab = 0, kOldTab = 1, kNewTab = 2, kSameTab = 3 };

class FolderWindowProbe : public TextWindowProbe {
public:
  FolderWindowProbe(const Program& program, HWND window)
      : TextWindowProbe(program, window), program_(program) {}

  HWND Tabs() const;
  HWND List(FolderTab tab) const;
  std::string TabCaption(int tab) const;
  std::vector<std::string> TabCaptions() const;
  int CurrentTab() const;
  // Clicks a tab as the mouse would.
  void ClickTab(int tab) const;
  std::vector<std::string> Rows(FolderTab tab) const;
  // Selects row (the caret goes there too) and double-clicks it.
  void SelectRow(FolderTab tab, int row) const;
  void DoubleClickRow(FolderTab tab, int row) const;
  // Opens a list's context menu at a row (right click).
  void RightClickRow(FolderTab tab, int row) const;
  void ClickButton(int id) const;

private:
  // Runs a message whose lParam points to size bytes of the program's own
  // memory, first filled with in, and copies them back into out.
  LRESULT RemoteCall(HWND target, UINT msg, WPARAM wParam, const void* in, void* out,
                     size_t size) const;
  POINT RowCentre(HWND list, int row) const;

  const Program& program_;
};

}  // namespace qm::e2e
