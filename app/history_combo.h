// HistoryCombo: a combo box where the user types or picks a path, bound to
// one HistoryList of Settings, whose text can persist in the registry under
// its name followed by ".text".
//
// It shows the list's entries, puts a picked entry into its edit field,
// tells its parent when an entry was picked from the open list or a file
// was dropped on it (WM_COMMAND with the control id and a code below,
// posted), shows a path whole when it fits and its end (the file name)
// when it does not, and keeps the user's selection across a move. Every
// window with a path field uses it: the text window's name boxes, and the
// folder window's folder boxes after them.
//
// Ownership: the combo box window is a child of its parent and dies with
// it; the history list is borrowed from Settings, which outlives every
// window. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>

namespace qm {

class HistoryList;

class HistoryCombo {
public:
  // Notifications beside the combo box's own (WM_COMMAND high word).
  static constexpr WORD kEnter = 200;    // Enter while the list is closed
  static constexpr WORD kPicked = 201;   // an entry chosen from the open list
  static constexpr WORD kDropped = 202;  // a file dropped on the box

  HistoryCombo() = default;
  ~HistoryCombo();
  HistoryCombo(const HistoryCombo&) = delete;
  HistoryCombo& operator=(const HistoryCombo&) = delete;

  // Creates the box as a child of parent with control id id, bound to
  // history (may be null), its text persisting under registryName (may be
  // null). False when the window could not be made.
  bool Create(HWND parent, UINT id, HistoryList* history, const char* registryName);
  HWND hwnd() const { return combo_; }
  UINT id() const { return id_; }

  std::string Text() const;
  // Sets the text, shows its end and, with a registry name, persists it.
  void SetText(const std::string& text);
  // The persisted text, or fallback when none is stored (or it is empty).
  void LoadText(const std::string& fallback);
  void SaveText() const;
  // Adds the current text to the history (not an empty one).
  void AddToHistory();
  bool IsDropped() const;
  // True when window is the box or its edit field.
  bool Owns(HWND window) const;

  // Moves and sizes the closed box (height: the list's), keeping the
  // user's selection and the path's visible end.
  void Move(int x, int y, int width);
  // Shows the whole path when it fits, else its end; newText puts the caret
  // at the end even in a box that has the focus.
  void ShowEnd(bool newText);
  // Takes the first dropped item when it is a file: the text becomes its
  // path, selected, the box takes the focus and posts kDropped. False when
  // the item was not taken.
  bool TakeDroppedFile(const std::string& path);

  // The parent hands over its WM_COMMAND for this box's id: a changed
  // selection puts the entry's text into the edit field (the combo box
  // itself does that only after the notification), and a selection ended
  // with the list open posts kPicked.
  void OnParentCommand(WPARAM wParam);

private:
  HWND combo_ = nullptr;
  HWND parent_ = nullptr;
  UINT id_ = 0;
  HistoryList* history_ = nullptr;
  std::string registryName_;
};

}  // namespace qm
