// The pages "Text files", "Folders" and "Misc.": check boxes bound to the
// flags of Settings, with the rules that tie some of them together.
#include <iterator>

#include "app/history_combo.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "options/options_dialog.h"
#include "resources/resource.h"

namespace qm {

void StoreFlag(const CheckSetting& setting, bool value) {
  Settings.*setting.field = value;
  WriteSettingBool(setting.name, value);
  if (setting.updatesCommands) UpdateAllCommandStates();
}

const CheckSetting* FindCheck(const CheckSetting* table, size_t count, int id) {
  for (size_t i = 0; i < count; ++i) {
    if (table[i].id == id) return &table[i];
  }
  return nullptr;
}

namespace {

// IgnoreBlanks2 bits of the four blank options, in control order from 10101.
constexpr uint32_t kBlankBits[] = {1, 2, 4, 8};
constexpr uint32_t kIgnoreAllBits = 1;

const CheckSetting kIgnoreCase{IDC_OPT_IGNORE_CASE, "IgnoreCase", &SettingsRecord::IgnoreCase, false};
const CheckSetting kCompareChanges{IDC_OPT_COMPARE_CHANGES, "CompareChanges",
                                   &SettingsRecord::CompareChanges, false};
const CheckSetting kHighlight{IDC_OPT_HIGHLIGHT, "HighlightChanges",
                              &SettingsRecord::HighlightChanges, false};

// Only the highlight option changes what the windows show now; the others
// are read by the next comparison.
class TextFilesPage : public OptionsPageBase {
 public:
  TextFilesPage()
      : OptionsPageBase(IDS_PAGE_TEXT, IDD_OPTIONS_TEXT, IDB_PAGE_TEXT, IDB_PAGE_TEXT_MASK,
                        "textoptions.html") {}

  void OnInitDialog() override { ShowState(); }

  void OnCommand(WORD id, WORD code, HWND) override {
    if (code != BN_CLICKED) return;
    if (id == kIgnoreCase.id) {
      StoreFlag(kIgnoreCase, Checked(id));
    } else if (id >= IDC_OPT_BLANKS_ALL && id <= IDC_OPT_BLANKS_END) {
      const uint32_t bit = kBlankBits[id - IDC_OPT_BLANKS_ALL];
      if (Checked(id)) {
        Settings.IgnoreBlanks2 |= bit;
      } else {
        Settings.IgnoreBlanks2 &= ~bit;
      }
      WriteSettingDword("IgnoreBlanks2", Settings.IgnoreBlanks2);
    } else if (id == kCompareChanges.id) {
      StoreFlag(kCompareChanges, Checked(id));
    } else if (id == kHighlight.id) {
      StoreFlag(kHighlight, Checked(id));
      ApplyDisplaySettings();
    }
    ShowState();
  }

 private:
  // "Ignore all" hides the three finer options (their bits keep their
  // values); without "changed" lines there is nothing to highlight.
  void ShowState() const {
    Check(kIgnoreCase.id, Settings.IgnoreCase);
    const bool all = (Settings.IgnoreBlanks2 & kIgnoreAllBits) != 0;
    Check(IDC_OPT_BLANKS_ALL, all);
    for (int id = IDC_OPT_BLANKS_MULTIPLE; id <= IDC_OPT_BLANKS_END; ++id) {
      const uint32_t bit = kBlankBits[id - IDC_OPT_BLANKS_ALL];
      Check(id, !all && (Settings.IgnoreBlanks2 & bit) != 0);
      Enable(id, !all);
    }
    Check(kCompareChanges.id, Settings.CompareChanges);
    Check(kHighlight.id, Settings.CompareChanges && Settings.HighlightChanges);
    Enable(kHighlight.id, Settings.CompareChanges);
  }
};

const CheckSetting kFolderChecks[] = {
    {IDC_OPT_FOLDER_UNDO, "FolderUndo", &SettingsRecord::FolderUndo, true},
    {IDC_OPT_NAME_CASE, "IgnoreNameCase", &SettingsRecord::IgnoreNameCase, false},
    {IDC_OPT_SUBFOLDERS, "CompareSubfolders", &SettingsRecord::CompareSubfolders, false},
    {IDC_OPT_FILE_ATTRIBS, "CompareAttribs", &SettingsRecord::CompareAttribs, false},
    {IDC_OPT_FILE_DATE, "CompareDate", &SettingsRecord::CompareDate, false},
    {IDC_OPT_FILE_SIZE, "CompareSize", &SettingsRecord::CompareSize, false},
    {IDC_OPT_CONTENTS_QUICK, "CompareQuick", &SettingsRecord::CompareQuick, false},
    {IDC_OPT_CONTENTS_FULL, "CompareFull", &SettingsRecord::CompareFull, false},
    {IDC_OPT_FOLDER_ATTRIBS, "CompareFolderAttribs", &SettingsRecord::CompareFolderAttribs, false},
    {IDC_OPT_FOLDER_DATE, "CompareFolderDate", &SettingsRecord::CompareFolderDate, false},
    {IDC_OPT_HAVE_INCLUDE, "HaveIncludeFilter", &SettingsRecord::HaveIncludeFilter, false},
    {IDC_OPT_HAVE_EXCLUDE, "HaveExcludeFilter", &SettingsRecord::HaveExcludeFilter, false},
};

// Longest filter the fields take, in characters.
constexpr int kMaxFilter = 260;

// The folder options take effect at the next folder comparison. Of the two
// filters at most one is active: the first entry of its history.
class FoldersPage : public OptionsPageBase {
 public:
  FoldersPage()
      : OptionsPageBase(IDS_PAGE_FOLDERS, IDD_OPTIONS_FOLDERS, IDB_PAGE_FOLDERS,
                        IDB_PAGE_FOLDERS_MASK, "folderoptions.html") {}

  void MessageHook(UINT msg, WPARAM wParam, LPARAM) override {
    if (msg != WM_COMMAND) return;
    include_.OnParentCommand(wParam);
    exclude_.OnParentCommand(wParam);
  }

  void OnInitDialog() override {
    for (const CheckSetting& check : kFolderChecks) Check(check.id, Settings.*check.field);
    include_.Attach(hwnd(), IDC_OPT_INCLUDE, &Settings.IncludeFilterHistory);
    exclude_.Attach(hwnd(), IDC_OPT_EXCLUDE, &Settings.ExcludeFilterHistory);
    SendDlgItemMessageA(hwnd(), IDC_OPT_INCLUDE, CB_LIMITTEXT, kMaxFilter, 0);
    SendDlgItemMessageA(hwnd(), IDC_OPT_EXCLUDE, CB_LIMITTEXT, kMaxFilter, 0);
    if (Settings.HaveIncludeFilter) {
      include_.SelectFirst();
    } else if (Settings.HaveExcludeFilter) {
      exclude_.SelectFirst();
    }
  }

  void OnCommand(WORD id, WORD code, HWND) override {
    if (id == IDC_OPT_INCLUDE || id == IDC_OPT_EXCLUDE) {
      OnFilterField(id == IDC_OPT_INCLUDE, code);
    } else if (id == IDOK) {
      // Enter in a filter field reaches the dialog as its default command.
      // At most one field holds text (typing into one empties the other),
      // so the one with text is the one Enter was meant for.
      Remember(include_);
      Remember(exclude_);
    } else if (code == BN_CLICKED) {
      OnCheck(id);
    }
  }

 private:
  const CheckSetting& Setting(int id) const {
    return *FindCheck(kFolderChecks, std::size(kFolderChecks), id);
  }

  void OnCheck(int id) {
    const CheckSetting* check = FindCheck(kFolderChecks, std::size(kFolderChecks), id);
    if (!check) return;
    const bool on = Checked(id);
    StoreFlag(*check, on);
    if (on && id == IDC_OPT_CONTENTS_QUICK) SetCheck(IDC_OPT_CONTENTS_FULL, false);
    if (on && id == IDC_OPT_CONTENTS_FULL) SetCheck(IDC_OPT_CONTENTS_QUICK, false);
    if (id == IDC_OPT_HAVE_INCLUDE) OnFilterCheck(on, include_, exclude_, IDC_OPT_HAVE_EXCLUDE);
    if (id == IDC_OPT_HAVE_EXCLUDE) OnFilterCheck(on, exclude_, include_, IDC_OPT_HAVE_INCLUDE);
  }

  void SetCheck(int id, bool on) {
    Check(id, on);
    StoreFlag(Setting(id), on);
  }

  // Checking one filter turns the other off and shows the last pattern
  // when the field is empty; unchecking empties the field.
  void OnFilterCheck(bool on, HistoryCombo& own, HistoryCombo& other, int otherCheck) {
    if (!on) {
      own.Clear();
      return;
    }
    SetCheck(otherCheck, false);
    other.Clear();
    if (!own.HasText()) own.SelectFirst();
  }

  void OnFilterField(bool include, WORD code) {
    HistoryCombo& own = include ? include_ : exclude_;
    HistoryCombo& other = include ? exclude_ : include_;
    if (code == CBN_EDITCHANGE || code == CBN_SELCHANGE) {
      SetCheck(include ? IDC_OPT_HAVE_INCLUDE : IDC_OPT_HAVE_EXCLUDE, own.HasText());
      SetCheck(include ? IDC_OPT_HAVE_EXCLUDE : IDC_OPT_HAVE_INCLUDE, false);
      other.Clear();
    } else if (code == CBN_KILLFOCUS || code == HistoryCombo::kEnter) {
      Remember(own);
    }
  }

  // The folder comparison uses the first entry of a history: adding the
  // field's text makes it the active filter.
  static void Remember(HistoryCombo& box) {
    const std::string text = box.Text();
    if (text.empty() || !box.History()) return;
    box.AddToHistory();
    box.History()->Save();
    // Refilling the list empties the field of a drop-down box.
    if (box.Text() != text) box.SetText(text);
  }

  HistoryCombo include_;
  HistoryCombo exclude_;
};

const CheckSetting kMiscChecks[] = {
    {IDC_OPT_IDENTICAL_MSG, "IdenticalMessage", &SettingsRecord::IdenticalMessage, false},
    {IDC_OPT_ASK_CONFIRM, "AskConfirmation", &SettingsRecord::AskConfirmation, false},
    {IDC_OPT_SMART_REFRESH, "SmartRefresh", &SettingsRecord::SmartRefresh, false},
    {IDC_OPT_SCROLL_FIRST, "ScrollToFirst", &SettingsRecord::ScrollToFirst, false},
    {IDC_OPT_WRAP_AROUND, "WrapAround", &SettingsRecord::WrapAround, false},
    {IDC_OPT_DROP_DELETE, "DropDelete", &SettingsRecord::DropDelete, false},
    {IDC_OPT_DBLCLICK, "DblClickDefaults", &SettingsRecord::DblClickDefaults, false},
    {IDC_OPT_SEARCH_SELECTED, "SearchSelected", &SettingsRecord::SearchSelected, false},
    {IDC_OPT_JUMP_NEXT, "JumpToNext", &SettingsRecord::JumpToNext, false},
    {IDC_OPT_ALLOW_BINARY, "AllowBinary", &SettingsRecord::AllowBinary, false},
    {IDC_OPT_REUSE_TEXT, "ReUseFileWindow", &SettingsRecord::ReUseFileWindow, true},
    {IDC_OPT_REUSE_FOLDER, "ReUseFolderWindow", &SettingsRecord::ReUseFolderWindow, true},
    {IDC_OPT_ESC_QUITS, "EscQuitsApp", &SettingsRecord::EscQuitsApp, false},
};

// Each check box sets its field; whoever uses the field reads it when needed.
class MiscPage : public OptionsPageBase {
 public:
  MiscPage()
      : OptionsPageBase(IDS_PAGE_MISC, IDD_OPTIONS_MISC, IDB_PAGE_MISC, IDB_PAGE_MISC_MASK,
                        "miscoptions.html") {}

  void OnInitDialog() override {
    for (const CheckSetting& check : kMiscChecks) Check(check.id, Settings.*check.field);
  }

  void OnCommand(WORD id, WORD code, HWND) override {
    const CheckSetting* check = FindCheck(kMiscChecks, std::size(kMiscChecks), id);
    if (check && code == BN_CLICKED) StoreFlag(*check, Checked(id));
  }
};

}  // namespace

std::unique_ptr<OptionsPageBase> NewTextFilesPage() { return std::make_unique<TextFilesPage>(); }
std::unique_ptr<OptionsPageBase> NewFoldersPage() { return std::make_unique<FoldersPage>(); }
std::unique_ptr<OptionsPageBase> NewMiscPage() { return std::make_unique<MiscPage>(); }

}  // namespace qm
