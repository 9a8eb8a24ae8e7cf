// The Options dialog: the one place where the user changes the persistent
// settings. Modeless, at most one per process (held by Settings.Options), no
// OK or Cancel: every control writes its field into Settings and the
// registry the moment it changes. Display changes reach every open text
// window at once (ApplyDisplaySettings); comparison and folder options are
// read by the next comparison, which takes its own copy before it starts.
//
// Layout: an owner-drawn list of the four pages (picture and title) on the
// left, the selected page (a child dialog) on the right. Only the shown
// page has a window; it is made when selected and destroyed when another
// page is selected or the dialog closes.
//
// Lifetime: ShowOptions makes the object and its window. Esc or the close
// box destroys the window; the object goes with it at the next ShowOptions
// or at shutdown (Settings.Save), never from inside one of its own handlers.
// Closing writes "OptionsBox" (the dialog's left and top) and "OptionsPage"
// (the page shown), which the next dialog starts from.
//
// User-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "controls/window_base.h"

namespace qm {

// One page: its title, picture, template and help topic, and its window
// while shown. The common dialog procedure offers every message to
// MessageHook first, then hands the dialog messages to the operations below.
class OptionsPageBase {
 public:
  OptionsPageBase(UINT titleId, UINT templateId, int imageId, int maskId, const char* helpTopic);
  OptionsPageBase(const OptionsPageBase&) = delete;
  OptionsPageBase& operator=(const OptionsPageBase&) = delete;
  virtual ~OptionsPageBase();

  // Makes the page window as a child of parent (hidden); null on failure.
  HWND Create(HWND parent);
  void Destroy();
  HWND hwnd() const { return hwnd_; }
  const std::string& Title() const { return title_; }
  int ImageId() const { return imageId_; }
  int MaskId() const { return maskId_; }

  virtual INT_PTR PageProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void MessageHook(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual void OnInitDialog() {}
  virtual void OnCommand(WORD id, WORD code, HWND control);
  virtual bool OnMeasureItem(MEASUREITEMSTRUCT* item);
  virtual bool OnDrawItem(const DRAWITEMSTRUCT* item);
  virtual void OnHelp();

 protected:
  bool Checked(int id) const;
  void Check(int id, bool on) const;
  void Enable(int id, bool on) const;

 private:
  static INT_PTR CALLBACK CommonPageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  HWND hwnd_ = nullptr;
  std::string title_;
  UINT templateId_;
  int imageId_;
  int maskId_;
  const char* helpTopic_;
};

// Draws a 16 x 15 picture of the Settings bitmaps (copy: which of two
// loaded copies) through its mask at x, y; nothing when either is missing.
void DrawOptionsPicture(HDC dc, int x, int y, int imageId, int maskId, int copy);

// A check box bound to a flag of Settings, named as its registry value.
struct CheckSetting {
  int id;
  const char* name;
  bool SettingsRecord::*field;
  bool updatesCommands;  // the field enables commands (UpdateAllCommandStates)
};

// Sets the flag in Settings and the registry at once.
void StoreFlag(const CheckSetting& setting, bool value);
// The entry of table with control id, or null.
const CheckSetting* FindCheck(const CheckSetting* table, size_t count, int id);

// The four pages, in list order.
std::unique_ptr<OptionsPageBase> NewTextFilesPage();
std::unique_ptr<OptionsPageBase> NewFoldersPage();
std::unique_ptr<OptionsPageBase> NewDisplayPage();
std::unique_ptr<OptionsPageBase> NewMiscPage();

class OptionsDialog : public DialogBase {
 public:
  OptionsDialog();
  // Destroys a window that still exists, which writes the position and page.
  ~OptionsDialog() override;

  void RegisterHandlers() override;
  // The page shown, or null.
  OptionsPageBase* CurrentPage() const { return current_; }

 private:
  LRESULT OnInitDialog(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnPageList(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnMeasureItem(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDrawItem(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnHelp(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnCancel(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnDestroy(HWND, UINT, WPARAM, LPARAM);
  void PlaceOnScreen();
  void ShowSelectedPage();

  std::vector<std::unique_ptr<OptionsPageBase>> pages_;
  OptionsPageBase* current_ = nullptr;
};

// Command 20214: shows the dialog and gives it the focus, creating it when
// there is none. The dialog has no owner. False (and nothing shown) when it
// could not be made.
bool ShowOptions(HWND owner);

}  // namespace qm
