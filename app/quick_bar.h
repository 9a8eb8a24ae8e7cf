// QuickBar: the thin bar of a comparison window (window class "QuickBar")
// that holds a label and a drop-down list of the recent comparisons of its
// kind: RecentFileHistory in a text window, RecentFolderHistory in a folder
// window. Choosing an entry (Enter on it, or picking it from the open list)
// puts its two paths into the owning window's name fields and compares them
// at once.
//
// Ownership: the bar is a child of the owning window and is destroyed with
// it; the owner outlives the bar's object. The history belongs to Settings.
// User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

#include "app/history_combo.h"
#include "controls/window_base.h"

namespace qm {

class ComparisonWindow;

class QuickBar : public WindowBase {
public:
  static constexpr char kClassName[] = "QuickBar";
  static constexpr char kLabelClassName[] = "Label";

  // Creates the bar for owner, a text window (folder false) or a folder
  // window, as a child of parent. False when a window could not be made.
  bool Create(HWND parent, ComparisonWindow* owner, bool folder);

  // Makes the bar width wide and as high as its combo box plus 4 pixels.
  void SetWidth(int width);
  // Puts the pair first in the history (a pair of the same text leaves its
  // old place) and shows it as the chosen entry.
  void AddRecentComparison(const std::string& left, const std::string& right);

  HistoryCombo& Combo() { return combo_; }
  HWND Label() const { return label_; }

protected:
  void RegisterHandlers() override;

private:
  LRESULT OnSize(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPaint(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnComboCommand(HWND, UINT, WPARAM, LPARAM);
  // Label size in the default GUI font.
  SIZE LabelSize() const;
  int BarHeight() const;
  void OpenChosen();

  ComparisonWindow* owner_ = nullptr;
  bool folder_ = false;
  HWND label_ = nullptr;
  HistoryCombo combo_;
};

}  // namespace qm
