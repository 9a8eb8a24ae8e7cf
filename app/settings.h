// The process-wide Settings record: every persistent user setting, named
// after its registry value under HKEY_CURRENT_USER\kSettingsKey, plus the
// runtime state that lives with it (open windows, shared drawing objects,
// printer set-up, modeless dialogs).
//
// Lifecycle: `Settings` is constructed during static initialisation with
// the defaults and empty histories, loaded once at start-up (Load), changed
// in place on the user-interface thread, saved once at shutdown (Save),
// which also releases the drawing objects and the printer handles.
//
// Threads: only the user-interface thread writes the record. A comparison
// must not read the comparison fields from a worker while the Options dialog
// may change them: it takes CompareSnapshot() on the user-interface thread
// before its worker starts and hands the copy to the worker.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/display_settings.h"
#include "app/history_list.h"
#include "app/window_placement.h"
#include "engine/compare_options.h"

namespace qm {

class ComparisonWindow;
class OptionsDialog;

// Owning pointers whose deleter is supplied by the code that creates the
// object (where its type is complete): removing a list entry, or resetting
// the pointer, destroys the object.
using OwnedWindow = std::unique_ptr<ComparisonWindow, void (*)(ComparisonWindow*)>;
using OwnedOptionsDialog = std::unique_ptr<OptionsDialog, void (*)(OptionsDialog*)>;

// Values kept under the Settings key outside the record.
extern const char kTipShowOnStartupValue[];  // "TipOfTheDay.ShowOnStartup", bool, default true
extern const char kTipIndexValue[];          // "TipOfTheDay.TipIndex", DWORD, default 0
extern const char kOptionsBoxValue[];        // "OptionsBox", "%lx,%lx" left and top
extern const char kOptionsPageValue[];       // "OptionsPage", DWORD, default 0

// The last text of a path field: field is "LeftFile", "RightFile",
// "LeftFolder" or "RightFolder"; the value is that name plus ".text".
// ReadFieldText returns false when the value is absent.
bool ReadFieldText(const char* field, std::string* text);
void WriteFieldText(const char* field, const std::string& text);

// "OptionsBox": false when absent or unreadable.
bool ReadOptionsBox(POINT* topLeft);
void WriteOptionsBox(POINT topLeft);

// Bitmaps loaded into SettingsRecord::Bitmaps, slot by slot (1222 and 1223
// twice: the Display page and the font list each draw their own copy).
constexpr int kBitmapSlotCount = 26;
extern const int kBitmapSlotIds[kBitmapSlotCount];
constexpr int kDividerBitmapId = 1200;

// The first face of "Andale Mono", "Lucida Console", "Courier New",
// "Courier" installed on the screen device context, else "Fixedsys".
std::string DefaultFontFace();

class SettingsRecord {
 public:
  SettingsRecord();
  SettingsRecord(const SettingsRecord&) = delete;
  SettingsRecord& operator=(const SettingsRecord&) = delete;
  ~SettingsRecord();

  // Reads every value (defaults for absent ones, range and exclusivity
  // rules applied), creates the drawing objects and asks for the default
  // printer. The command image list is built by the application right after.
  void Load();
  // Destroys the Options dialog, writes every persistent value but
  // FragmentSize and MatchPercent, then releases the drawing objects, the
  // command image list and the printer handles.
  void Save();
  // Deletes the five solid brushes and makes them again from the colours.
  void RemakeBrushes();
  // The comparison fields, copied for one comparison.
  CompareSettings CompareSnapshot() const;
  // The display fields, copied for a window to draw with.
  DisplaySettings DisplaySnapshot() const;
  // The bitmap loaded from resource id (copy 1: its second slot), or null.
  HBITMAP Bitmap(int id, int copy = 0) const;

  // ---- Persistent fields, in registry order ----
  COLORREF TextColor = 0x000000;
  COLORREF ReadOnlyColor = 0x606060;
  COLORREF SameBkColor = 0xFFFFFF;
  COLORREF EmptyBkColor = 0xF4F4F4;
  COLORREF LeftBkColor = 0xC0DCC0;
  COLORREF RightBkColor = 0xF0CAA6;
  COLORREF ChangeBkColor = 0xA6CAF0;
  COLORREF CustomColor[16];  // "CustomColor.0" ... "CustomColor.15"

  bool IgnoreCase = false;
  uint32_t IgnoreBlanks2 = 0;  // kIgnoreAllBlanks ... (engine/compare_options.h)
  bool CompareChanges = true;
  bool HighlightChanges = true;
  uint32_t FragmentSize = 2;   // read only
  int32_t MatchPercent = 50;   // read only
  bool WordWrap = false;
  bool ShowWhiteSpace = false;
  bool SyncScroll = true;
  int ShowLineNumbers = 2;     // 0 virtual, 1 real, 2 none
  bool ViewSummary = true;
  bool ViewToolBar = true;
  bool ViewQuickBar = true;
  bool ViewStatusBar = true;
  bool DrawCaretBox = true;
  bool DrawArrows = true;
  int TabStop = 4;             // 1 to 16
  bool WrapAround = true;
  bool IdenticalMessage = false;
  bool ScrollToFirst = false;
  bool AskConfirmation = true;
  bool ReUseFileWindow = false;
  bool ReUseFolderWindow = true;
  bool EscQuitsApp = true;
  bool DropDelete = true;
  bool DblClickDefaults = true;
  bool SmartRefresh = true;
  bool SearchSelected = false;
  bool JumpToNext = false;
  bool AllowBinary = false;
  bool FolderUndo = true;
  bool IgnoreNameCase = true;
  bool CompareSubfolders = true;
  bool CompareAttribs = false;
  bool CompareFolderAttribs = false;
  bool CompareDate = true;
  bool CompareFolderDate = false;
  bool CompareSize = true;
  bool CompareQuick = false;
  bool CompareFull = false;
  bool HaveIncludeFilter = false;
  bool HaveExcludeFilter = false;

  HistoryList LeftFileHistory{"LeftFileHistory"};
  HistoryList RightFileHistory{"RightFileHistory"};
  HistoryList LeftFolderHistory{"LeftFolderHistory"};
  HistoryList RightFolderHistory{"RightFolderHistory"};
  HistoryList IncludeFilterHistory{"IncludeFilterHistory"};
  HistoryList ExcludeFilterHistory{"ExcludeFilterHistory"};
  HistoryList RecentFileHistory{"RecentFileHistory", HistoryList::Kind::Pairs};
  HistoryList RecentFolderHistory{"RecentFolderHistory", HistoryList::Kind::Pairs};

  std::string FontFace;        // DefaultFontFace() when absent
  int FontSize = 8;            // points, 1 to 200
  std::string FindText;        // at most kMaxFindText characters
  bool FindMatchCase = false;
  bool FindWholeWord = false;
  bool FindDownwards = true;
  std::string ExportResults;   // shorter than MAX_PATH
  int ExportHow = 0;           // 0 everything, 1 context, 2 differences only
  WindowPlacement CompareWindow;
  WindowPlacement SessionWindow;  // default 50,50 to 500,600
  WindowPlacement PreviewWindow;
  int PrintScale = 100;        // percent, 25 to 100
  bool PrintPortrait = true;

  static constexpr size_t kMaxFindText = 255;

  // ---- Runtime state (not stored) ----
  UINT WheelScrollLines = 2;
  // Open windows in creation order; the window manager owns their entries.
  std::vector<OwnedWindow> TextWindows;
  std::vector<OwnedWindow> FolderWindows;
  int OpenWindowCount = 0;
  bool CommandLineCompare = false;
  HWND FindDialog = nullptr;   // the modeless find dialog, or null
  OwnedOptionsDialog Options{nullptr, nullptr};
  // Command id -> image index in CommandImages; built by the application
  // after Load, destroyed by Save.
  HIMAGELIST CommandImages = nullptr;
  std::map<UINT, int> CommandImageIndex;
  // Printer set-up shared by every window (null without a printer).
  HGLOBAL DevMode = nullptr;
  HGLOBAL DevNames = nullptr;
  // Drawing objects shared by the text panes and the Options dialog; null
  // where the module has no such resource.
  HBRUSH DividerBrush = nullptr;  // pattern brush of bitmap 1200
  HBRUSH SameBkBrush = nullptr;
  HBRUSH RightBkBrush = nullptr;
  HBRUSH LeftBkBrush = nullptr;
  HBRUSH EmptyBkBrush = nullptr;
  HBRUSH ChangeBkBrush = nullptr;
  HBITMAP Bitmaps[kBitmapSlotCount] = {};

 private:
  void LoadColors();
  void LoadFlags();
  void LoadHistories();
  void SaveColors() const;
  void SaveFlags() const;
  void SaveHistories() const;
  void CreateDrawingObjects();
  void DeleteBrushes();
  void ReleaseDrawingObjects();
  void LoadPrinter();
  void ReleasePrinter();
};

extern SettingsRecord Settings;

}  // namespace qm
