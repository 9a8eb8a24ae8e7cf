// HistoryCombo: a combo box where the user types or picks a path or a
// filter, bound to one HistoryList of Settings, whose text can persist in the
// registry under its name followed by ".text".
//
// The wrapper subclasses the combo box (and, unless it is a drop-down list,
// the edit field inside it); both windows hold the object in GWLP_USERDATA
// and every message it does not consume goes on to the previous procedure.
// It completes what the user types from the history (the completed tail
// selected, so the next character replaces it; not after Delete, Backspace,
// a cut or a clear), sizes the open list to its widest entry, takes a file
// or folder dropped from the shell, and tells its parent (WM_COMMAND with
// the control id, a code below and the box as lParam, posted) when Enter was
// pressed, an entry was chosen from the open list or a path was dropped.
// The parent hands its WM_COMMAND messages to OnParentCommand, since the
// combo box's own notifications go to the parent.
//
// Users: the text window's name boxes (flag kAcceptFile), the folder
// window's folder boxes (kAcceptFolder), the Quick Bar (kListOnly) and the
// Options dialog's filter fields (Attach, no flags).
//
// Ownership: the combo box window is a child of its parent and dies with
// it; the wrapper undoes its subclassing when the window is destroyed or the
// wrapper goes first. The history list is borrowed from Settings, which
// outlives every window. User-interface thread only; the "a list is open"
// flag is process-wide because only one list can be open at a time.
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
  static constexpr WORD kDropped = 202;  // a file or folder dropped and taken

  // Flags.
  static constexpr unsigned kAcceptFile = 1;    // takes a dropped file
  static constexpr unsigned kAcceptFolder = 2;  // takes a dropped folder
  static constexpr unsigned kListOnly = 4;      // drop-down list, no edit field

  HistoryCombo() = default;
  ~HistoryCombo();
  HistoryCombo(const HistoryCombo&) = delete;
  HistoryCombo& operator=(const HistoryCombo&) = delete;

  // Creates the box as a child of parent with control id id and flags,
  // bound to history (may be null), its text persisting under registryName
  // (may be null). False when the window could not be made.
  bool Create(HWND parent, UINT id, HistoryList* history, const char* registryName,
              unsigned flags);
  // Takes over the combo box id of a dialog instead. False when the dialog
  // has no such control or it is already taken.
  bool Attach(HWND dialog, UINT id, HistoryList* history, unsigned flags = 0);
  HWND hwnd() const { return combo_; }
  UINT id() const { return id_; }
  unsigned flags() const { return flags_; }

  // Stores the flags and lets the box accept dropped items when flag 1 or 2
  // is set.
  void SetFlags(unsigned flags);
  // Leaves the previous list and shows the entries of history (may be null).
  void AttachHistory(HistoryList* history);
  HistoryList* History() const { return history_; }

  std::string Text() const;
  bool HasText() const { return !Text().empty(); }
  // Sets the text, shows its end and, with a registry name, persists it.
  void SetText(const std::string& text);
  void Clear() { SetText(std::string()); }
  // The persisted text, or fallback when none is stored (or it is empty).
  void LoadText(const std::string& fallback);
  void SaveText() const;
  // Adds the current text to the history (not an empty one).
  void AddToHistory();
  // A drop-down list selects entry 0; a box with an edit field takes the
  // history's first text (empty without a history or entries).
  void SelectFirst();
  // Selects entry index (-1: none). False when there is no such entry.
  bool Select(int index);
  // The selected entry, or -1.
  int Selection() const;
  bool IsDropped() const;
  // True while some history box of the process has its list open.
  static bool AnyListOpen();
  // True when window is the box or its edit field.
  bool Owns(HWND window) const;

  // Moves and sizes the closed box (height: the list's), keeping the
  // user's selection and the path's visible end.
  void Move(int x, int y, int width);
  // Shows the whole path when it fits, else its end; newText puts the caret
  // at the end even in a box that has the focus.
  void ShowEnd(bool newText);
  // Takes a dropped path: a shortcut is resolved to its target; a file is
  // taken with flag 1, a folder with flag 2. A taken path becomes the text
  // with the caret at its end, the box takes the focus and posts kDropped.
  // False (and nothing changes) when the path was not taken.
  bool TakeDroppedFile(const std::string& path);

  // The parent hands over its WM_COMMAND messages; those of other ids are
  // left alone. Completion, list sizing and kPicked happen here.
  void OnParentCommand(WPARAM wParam);

private:
  static LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  bool Subclass();
  void Unsubclass();
  void Notify(WORD code) const;
  void Complete();
  void SizeList();
  void OnDropFiles(HDROP drop);

  HWND combo_ = nullptr;
  HWND edit_ = nullptr;
  HWND parent_ = nullptr;
  UINT id_ = 0;
  unsigned flags_ = 0;
  bool deleting_ = false;  // the last key deleted, or a cut or clear
  bool typing_ = false;    // the edit field is taking the user's input
  WNDPROC comboPrevious_ = nullptr;
  WNDPROC editPrevious_ = nullptr;
  HistoryList* history_ = nullptr;
  std::string registryName_;
};

}  // namespace qm
