// FolderList in a top-level comparison window with a recording host: the
// rows mirror the result list, the context menu follows the chosen
// entries' states, list commands act on the chosen rows in order and stop
// at the first failed operation, a selection never spans two lists, and a
// row is painted where it matters.
#include "folders/folder_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_images.h"
#include "app/settings.h"
#include "controls/code_page.h"
#include "folders/icon_cache.h"
#include "tests/win/app_fake_window.h"
#include "tests/win/painted_bitmap.h"

namespace qm {

std::unique_ptr<ComparisonWindow> NewTextWindow() { return std::make_unique<test::FakeWindow>(); }

namespace {

// What a thread timer of a test does. Timer procedures must be stdcall
// functions on the 32-bit build, which a lambda cannot be converted to.
std::function<void()> timerWork;
void CALLBACK RunTimerWork(HWND, UINT, UINT_PTR, DWORD) {
  if (timerWork) timerWork();
}
void CALLBACK RunTimerWorkOnce(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (timerWork) timerWork();
}

constexpr int kIds[kFolderListCount] = {20411, 20410, 20412, 20413};  // by FolderListKind

struct OpCall {
  FolderOperation op;
  size_t index;
};

class RecordingHost : public FolderListHost {
public:
  FolderComparison& Comparison() override { return comparison; }
  ComparisonWindow* Window() override { return window; }
  void ClearOtherSelections(const FolderList* except) override {
    for (FolderList* list : lists)
      if (list && list != except) list->ClearSelection();
  }
  void EntriesChanged(FolderList*, bool marksChanged) override { changes.push_back(marksChanged); }
  bool RunOperation(FolderOperation op, FolderListKind kind, size_t index) override {
    ops.push_back({op, index});
    if (index == failAt) return false;
    FolderEntry& entry = comparison.List(kind)[index];
    switch (op) {
      case FolderOperation::CopyToOld: entry.state = EntryState::CopiedToOld; break;
      case FolderOperation::DeleteOld: entry.state = EntryState::DeletedOld; break;
      case FolderOperation::Undo: entry.state = EntryState::Present; break;
      default: entry.state = EntryState::DeletedBoth; break;
    }
    entry.undoable = op != FolderOperation::Undo;
    comparison.modified[0] = true;
    return true;
  }
  bool CompareSubfolders() const override { return subfolders; }
  void OpenPair(const std::string& oldPath, const std::string& newPath, bool isFolder,
                bool several) override {
    opened.push_back(oldPath + "|" + newPath + (isFolder ? "|folder" : "|file") +
                     (several ? "|several" : ""));
  }
  void RunShellAction(ShellAction action, FolderListKind, size_t index) override {
    shell.push_back(static_cast<int>(action) * 100 + static_cast<int>(index));
    if (onShell) onShell();
  }

  FolderComparison comparison;
  ComparisonWindow* window = nullptr;
  std::vector<FolderList*> lists;
  std::vector<bool> changes;
  std::vector<OpCall> ops;
  size_t failAt = static_cast<size_t>(-1);
  bool subfolders = true;
  std::vector<std::string> opened;
  std::vector<int> shell;
  std::function<void()> onShell;
};

// A folder-kind comparison window that passes its lists' owner-draw
// messages on, as the folder window does.
class ListWindow : public test::FakeWindow {
public:
  void RegisterHandlers() override {
    FakeWindow::RegisterHandlers();
    maps().OnMessage(WM_MEASUREITEM, [this](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(l);
      if (FolderList* list = ListOf(item->CtlID)) list->Measure(item);
      return TRUE;
    });
    maps().OnMessage(WM_DRAWITEM, [this](HWND, UINT, WPARAM, LPARAM l) -> LRESULT {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(l);
      if (FolderList* list = ListOf(item->CtlID)) list->Draw(item);
      return TRUE;
    });
  }
  FolderList* ListOf(UINT id) {
    for (int k = 0; k < kFolderListCount; ++k)
      if (static_cast<UINT>(kIds[k]) == id && host) return host->lists[k];
    return nullptr;
  }
  RecordingHost* host = nullptr;
};

FolderEntry Entry(const std::string& name, EntryState state = EntryState::Present,
                  bool undoable = false, uint32_t flags = 0, bool isFolder = false) {
  FolderEntry e;
  e.name = name;
  e.state = state;
  e.undoable = undoable;
  e.flags = flags;
  e.isFolder = isFolder;
  return e;
}

class FolderListTest : public ::testing::Test {
protected:
  void SetUp() override {
    Settings.DblClickDefaults = true;
    SetFolderWindowFactory([]() -> std::unique_ptr<ComparisonWindow> {
      auto window = std::make_unique<ListWindow>();
      window->kind_ = WindowKind::Folder;
      return window;
    });
    window_ = static_cast<ListWindow*>(CreateFolderWindow());
    ASSERT_NE(window_, nullptr);
    window_->host = &host_;
    host_.window = window_;
    host_.comparison.oldRoot = "C:\\old";
    host_.comparison.newRoot = "C:\\new\\";
    host_.lists.assign(kFolderListCount, nullptr);
    for (int k = 0; k < kFolderListCount; ++k) {
      lists_[k] = std::make_unique<FolderList>(host_, static_cast<FolderListKind>(k));
      ASSERT_TRUE(lists_[k]->Create(window_->hwnd(), kIds[k]));
      MoveWindow(lists_[k]->hwnd(), 0, 0, 380, 200, FALSE);
      host_.lists[k] = lists_[k].get();
    }
  }
  void TearDown() override {
    for (auto& list : lists_) list.reset();
    test::CloseEverything();
    SetFolderWindowFactory(nullptr);
  }

  FolderList& List(FolderListKind kind) { return *lists_[static_cast<int>(kind)]; }
  void Fill(FolderListKind kind, std::vector<FolderEntry> entries) {
    host_.comparison.List(kind) = std::move(entries);
    List(kind).Refill();
  }
  void Select(FolderListKind kind, std::vector<int> rows, int caret) {
    HWND lb = List(kind).hwnd();
    SendMessageW(lb, LB_SETSEL, FALSE, -1);
    for (int row : rows) SendMessageW(lb, LB_SETSEL, TRUE, row);
    SendMessageW(lb, LB_SETCARETINDEX, caret, FALSE);
  }
  int SelCount(FolderListKind kind) {
    return static_cast<int>(SendMessageW(List(kind).hwnd(), LB_GETSELCOUNT, 0, 0));
  }

  RecordingHost host_;
  ListWindow* window_ = nullptr;
  std::unique_ptr<FolderList> lists_[kFolderListCount];
};

// The menu as text: items joined by ", ", "-" for a separator, "*" before
// the default item.
std::string MenuText(HMENU menu) {
  if (!menu) return "(none)";
  std::string text;
  const UINT preferred = GetMenuDefaultItem(menu, FALSE, 0);
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    if (!text.empty()) text += ", ";
    const UINT id = GetMenuItemID(menu, i);
    wchar_t label[128] = L"";
    GetMenuStringW(menu, i, label, 128, MF_BYPOSITION);
    if (!label[0]) {
      text += "-";
      continue;
    }
    if (id == preferred) text += "*";
    text += Utf8FromWide(label, wcslen(label));
  }
  DestroyMenu(menu);
  return text;
}

const char kShellItems[] = "&Open in app, E&xplore folder, &Properties";

TEST_F(FolderListTest, RowsMirrorTheResultListThroughRefillAndClear) {
  Fill(FolderListKind::ChangedList,
       {Entry("docs", EntryState::Present, false, 0, true), Entry("docs\\Grüße.txt"),
        Entry("a&b.txt")});
  HWND lb = List(FolderListKind::ChangedList).hwnd();
  ASSERT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 3);
  wchar_t text[64];
  SendMessageW(lb, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_EQ(Utf8FromWide(text, wcslen(text)), "docs\\Grüße.txt");

  // Switch Sides swaps the Old and New lists and refills every box.
  Fill(FolderListKind::OldList, {Entry("only-old.txt")});
  std::swap(host_.comparison.List(FolderListKind::OldList),
            host_.comparison.List(FolderListKind::NewList));
  List(FolderListKind::OldList).Refill();
  List(FolderListKind::NewList).Refill();
  EXPECT_EQ(SendMessageW(List(FolderListKind::OldList).hwnd(), LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(List(FolderListKind::NewList).hwnd(), LB_GETCOUNT, 0, 0), 1);

  List(FolderListKind::ChangedList).Clear();
  EXPECT_EQ(SendMessageW(lb, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(MenuText(List(FolderListKind::ChangedList).BuildContextMenu()), "(none)");
}

TEST_F(FolderListTest, ContextMenuFollowsTheChosenEntriesStates) {
  const auto P = EntryState::Present;
  const auto toOld = EntryState::CopiedToOld;
  struct Case {
    const char* what;
    FolderListKind kind;
    std::vector<FolderEntry> entries;
    std::vector<int> selected;
    int caret;
    bool dblClickDefaults;
    std::string expected;
  };
  const std::string shell = kShellItems;
  const Case cases[] = {
      {"old, single", FolderListKind::OldList, {Entry("a"), Entry("b")}, {1}, 1, true,
       "C&opy to new, *&Delete old, -, " + shell},
      {"old, single, no double-click defaults", FolderListKind::OldList, {Entry("a")}, {}, 0,
       false, "C&opy to new, &Delete old, -, " + shell},
      {"new, single", FolderListKind::NewList, {Entry("a")}, {0}, 0, true,
       "*&Copy to old, D&elete new, -, " + shell},
      {"changed, copied to old, single", FolderListKind::ChangedList,
       {Entry("a", toOld, true), Entry("b")}, {0}, 0, true, "&Undo copy to old, -, " + shell},
      {"changed, deleted both, nothing selected", FolderListKind::ChangedList,
       {Entry("a", EntryState::DeletedBoth, true)}, {}, 0, true, "&Undo delete both, -, " + shell},
      {"changed, two copied", FolderListKind::ChangedList,
       {Entry("a", toOld, true), Entry("b", toOld, true)}, {0, 1}, 1, true, "&Undo, -, " + shell},
      {"one selected row, caret elsewhere: several", FolderListKind::ChangedList,
       {Entry("a", toOld, true), Entry("b")}, {0}, 1, true, "&Undo, -, " + shell},
      {"changed, acted on and actionable", FolderListKind::ChangedList,
       {Entry("a", P), Entry("b", EntryState::DeletedNew, true)}, {0, 1}, 0, true,
       "&Undo, -, Co&mpare..., -, &Copy to old, C&opy to new, -, &Delete old, D&elete new, "
       "Delete &both, -, " + shell},
      {"changed, single present", FolderListKind::ChangedList, {Entry("a")}, {0}, 0, false,
       "*Co&mpare..., -, &Copy to old, C&opy to new, -, &Delete old, D&elete new, Delete &both, "
       "-, " + shell},
      {"the last acted-on entry decides", FolderListKind::ChangedList,
       {Entry("a", toOld, true), Entry("b", toOld, false)}, {0, 1}, 0, true, shell},
      {"same, single", FolderListKind::SameList, {Entry("a"), Entry("b")}, {1}, 1, true,
       "*Co&mpare..., -, " + shell},
      {"same never offers undo", FolderListKind::SameList, {Entry("a", toOld, true)}, {0}, 0,
       true, shell},
      {"opened entries stay actionable", FolderListKind::NewList,
       {Entry("a", EntryState::Opened)}, {0}, 0, true, "*&Copy to old, D&elete new, -, " + shell},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Settings.DblClickDefaults = c.dblClickDefaults;
    Fill(c.kind, c.entries);
    Select(c.kind, c.selected, c.caret);
    EXPECT_EQ(MenuText(List(c.kind).BuildContextMenu()), c.expected);
  }
}

TEST_F(FolderListTest, CommandsRunOverChosenRowsInOrderAndStopAtTheFirstFailure) {
  const auto kind = FolderListKind::ChangedList;
  FolderList& list = List(kind);
  Fill(kind, {Entry("a"), Entry("b"), Entry("c"), Entry("d"), Entry("e")});
  Select(kind, {4, 0, 2, 3}, 3);
  host_.failAt = 3;
  // Through the list box, as the context menu or the window delivers it.
  SendMessageW(list.hwnd(), WM_COMMAND, 20601, 0);
  ASSERT_EQ(host_.ops.size(), 3u);
  EXPECT_EQ(host_.ops[0].index, 0u);
  EXPECT_EQ(host_.ops[1].index, 2u);
  EXPECT_EQ(host_.ops[2].index, 3u);
  const auto& entries = host_.comparison.List(kind);
  EXPECT_EQ(entries[0].state, EntryState::CopiedToOld);
  EXPECT_EQ(entries[3].state, EntryState::Present);
  EXPECT_EQ(entries[4].state, EntryState::Present);
  // The first success set a side mark; the second found it set.
  EXPECT_EQ(host_.changes, (std::vector<bool>{true, false}));

  // Entries already acted on are skipped by a copy, and undone by Undo.
  host_.ops.clear();
  host_.failAt = static_cast<size_t>(-1);
  Select(kind, {0, 1}, 1);
  list.RunCommand(20602);
  ASSERT_EQ(host_.ops.size(), 1u);
  EXPECT_EQ(host_.ops[0].index, 1u);
  host_.ops.clear();
  list.RunCommand(20100);
  ASSERT_EQ(host_.ops.size(), 2u);
  EXPECT_EQ(host_.ops[0].op, FolderOperation::Undo);

  // Nothing selected: the caret row alone.
  host_.ops.clear();
  Select(kind, {}, 4);
  list.RunCommand(20603);
  ASSERT_EQ(host_.ops.size(), 1u);
  EXPECT_EQ(host_.ops[0].index, 4u);

  // Shell actions go on over every chosen row.
  Select(kind, {1, 3}, 3);
  list.RunCommand(20514);
  EXPECT_EQ(host_.shell, (std::vector<int>{201, 203}));
}

TEST_F(FolderListTest, CommandsAListNeverOffersDoNotRunByAnyRoute) {
  Fill(FolderListKind::SameList, {Entry("a", EntryState::CopiedToOld, true), Entry("b")});
  Fill(FolderListKind::OldList, {Entry("a")});
  Select(FolderListKind::SameList, {0, 1}, 1);
  Select(FolderListKind::OldList, {0}, 0);
  for (UINT id : {20601u, 20602u, 20603u, 20604u, 20605u, 20100u})
    SendMessageW(List(FolderListKind::SameList).hwnd(), WM_COMMAND, id, 0);
  for (UINT id : {20600u, 20601u, 20604u, 20605u})
    SendMessageW(List(FolderListKind::OldList).hwnd(), WM_COMMAND, id, 0);
  EXPECT_TRUE(host_.ops.empty());
  EXPECT_TRUE(host_.opened.empty());
  // An empty list does nothing at all.
  Fill(FolderListKind::NewList, {});
  List(FolderListKind::NewList).RunCommand(20512);
  EXPECT_TRUE(host_.shell.empty());
}

TEST_F(FolderListTest, CompareOpensEachPairAndMarksIt) {
  const auto kind = FolderListKind::ChangedList;
  Fill(kind, {Entry("sub", EntryState::Present, true, kEntryNewer, true), Entry("x.txt"),
              Entry("gone.txt", EntryState::DeletedOld, true)});
  Select(kind, {0, 1, 2}, 2);
  List(kind).RunCommand(20600);
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"C:\\old\\sub|C:\\new\\sub|folder|several",
                                                    "C:\\old\\x.txt|C:\\new\\x.txt|file|several"}));
  const auto& entries = host_.comparison.List(kind);
  EXPECT_EQ(entries[0].state, EntryState::Opened);
  EXPECT_FALSE(entries[0].undoable);
  EXPECT_EQ(entries[2].state, EntryState::DeletedOld);
  EXPECT_TRUE(host_.comparison.modified[0] && host_.comparison.modified[1]);
  EXPECT_EQ(host_.changes, (std::vector<bool>{true, false}));

  // A double-click acts on the caret row only; one pair is not "several".
  host_.opened.clear();
  Select(kind, {0, 1}, 1);
  List(kind).DoubleClick();
  EXPECT_EQ(host_.opened, (std::vector<std::string>{"C:\\old\\x.txt|C:\\new\\x.txt|file"}));
}

TEST_F(FolderListTest, DefaultActionsFollowTheDoubleClickSetting) {
  Fill(FolderListKind::OldList, {Entry("a"), Entry("b")});
  Select(FolderListKind::OldList, {0}, 1);
  Settings.DblClickDefaults = false;
  List(FolderListKind::OldList).DoubleClick();
  EXPECT_TRUE(host_.ops.empty());
  EXPECT_EQ(List(FolderListKind::OldList).EnterCommand(), 0u);
  EXPECT_EQ(List(FolderListKind::SameList).EnterCommand(), 20600u);
  Settings.DblClickDefaults = true;
  List(FolderListKind::OldList).DoubleClick();
  ASSERT_EQ(host_.ops.size(), 1u);
  EXPECT_EQ(host_.ops[0].op, FolderOperation::DeleteOld);
  EXPECT_EQ(host_.ops[0].index, 1u);
  EXPECT_EQ(List(FolderListKind::NewList).EnterCommand(), 20601u);
}

TEST_F(FolderListTest, ARunStopsWhenTheRowsAreRebuiltUnderIt) {
  // An error box of the shell lets the user refresh the window meanwhile:
  // the remaining row numbers would name other entries.
  const auto kind = FolderListKind::ChangedList;
  Fill(kind, {Entry("a"), Entry("b"), Entry("c")});
  Select(kind, {0, 1, 2}, 2);
  host_.onShell = [&] {
    host_.onShell = nullptr;
    Fill(kind, {Entry("z")});
  };
  List(kind).RunCommand(20512);
  EXPECT_EQ(host_.shell, (std::vector<int>{0}));
}

TEST_F(FolderListTest, ASelectionNeverSpansTwoLists) {
  Fill(FolderListKind::OldList, {Entry("a"), Entry("b")});
  Fill(FolderListKind::ChangedList, {Entry("c"), Entry("d"), Entry("e")});
  const int height = FolderList::RowHeight();
  HWND changed = List(FolderListKind::ChangedList).hwnd();
  HWND old = List(FolderListKind::OldList).hwnd();

  Select(FolderListKind::OldList, {0, 1}, 1);
  SendMessageW(changed, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, height + 2));
  SendMessageW(changed, WM_LBUTTONUP, 0, MAKELPARAM(50, height + 2));
  EXPECT_EQ(SelCount(FolderListKind::OldList), 0);
  EXPECT_EQ(SendMessageW(changed, LB_GETSEL, 1, 0), 1);

  List(FolderListKind::OldList).SelectAll();
  EXPECT_EQ(SelCount(FolderListKind::OldList), 2);
  EXPECT_EQ(SelCount(FolderListKind::ChangedList), 0);

  // A right press on an unselected row selects it first, then the menu
  // opens for it (closed again by a timer).
  static bool menuSeen;
  menuSeen = false;
  timerWork = [] {
    menuSeen = FindWindowW(L"#32768", nullptr) != nullptr;
    EndMenu();
  };
  SetTimer(nullptr, 0, 200, RunTimerWorkOnce);
  SendMessageW(changed, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 2 * height + 2));
  SendMessageW(changed, WM_RBUTTONUP, 0, MAKELPARAM(50, 2 * height + 2));
  EXPECT_TRUE(menuSeen);
  EXPECT_EQ(SelCount(FolderListKind::OldList), 0);
  EXPECT_EQ(SelCount(FolderListKind::ChangedList), 1);
  EXPECT_EQ(SendMessageW(changed, LB_GETSEL, 2, 0), 1);
  EXPECT_NE(old, changed);
}

TEST_F(FolderListTest, DifferenceWordsComeFromTheStringTableAndMirrorWithTheSides) {
  const auto kind = FolderListKind::ChangedList;
  FolderEntry file = Entry("f.txt", EntryState::Present, false, kEntryNewer | kEntrySmaller);
  FolderEntry folder =
      Entry("sub", EntryState::Present, false, kEntryOlder | kEntryContents, true);
  FolderEntry odd = Entry("odd", EntryState::Present, false,
                          kEntryWasHidden | kEntryReadOnly | kEntryUnreadable);
  Fill(kind, {file, folder, odd});
  FolderList& list = List(kind);
  EXPECT_EQ(list.RowDescription(0), "(newer, smaller)");
  EXPECT_EQ(list.RowDescription(1), "(older)");
  EXPECT_EQ(list.RowDescription(2), "(was hidden, read-only, unreadable)");
  host_.subfolders = false;
  EXPECT_EQ(list.RowDescription(1), "(older, contents)");

  // Switch Sides mirrors each pair of flags.
  auto& entries = host_.comparison.List(kind);
  entries[0].flags = kEntryOlder | kEntryLarger;
  EXPECT_EQ(list.RowDescription(0), "(older, larger)");
  // Only the Changed list shows words.
  Fill(FolderListKind::SameList, {file});
  EXPECT_EQ(List(FolderListKind::SameList).RowDescription(0), "");
}

class FolderListPixels : public FolderListTest {
protected:
  void SetUp() override {
    FolderListTest::SetUp();
    InitIconCache();
  }
  void TearDown() override {
    DestroyIconCache();
    FolderListTest::TearDown();
  }
  // Row 0 of list kind drawn into a bitmap of its own.
  std::unique_ptr<PaintedBitmap> DrawRow(FolderListKind kind, UINT state) {
    const int width = 360;
    const int height = FolderList::RowHeight();
    return std::make_unique<PaintedBitmap>(width, height, [&](HDC dc) {
      DRAWITEMSTRUCT item{};
      item.CtlType = ODT_LISTBOX;
      item.itemID = 0;
      item.itemAction = ODA_DRAWENTIRE;
      item.itemState = state;
      item.hwndItem = List(kind).hwnd();
      item.hDC = dc;
      item.rcItem = RECT{0, 0, width, height};
      List(kind).Draw(&item);
    });
  }
};

TEST_F(FolderListPixels, ARowShowsMarkIconNameWordsAndSeparator) {
  const auto kind = FolderListKind::ChangedList;
  FolderEntry entry = Entry("report.txt", EntryState::CopiedToOld, true,
                            kEntryNewer | kEntryContents);
  entry.icon = StockIcon(0);
  ASSERT_GE(entry.icon, 0);
  Fill(kind, {entry, Entry("second")});
  const int h = FolderList::RowHeight();
  const COLORREF window = GetSysColor(COLOR_WINDOW);
  const COLORREF separator = RGB(GetRValue(window) * 90 / 100, GetGValue(window) * 90 / 100,
                                 GetBValue(window) * 90 / 100);
  auto row = DrawRow(kind, 0);
  const int markTop = (h - 9) / 2;
  EXPECT_GT(row->CountOther(3, markTop, 12, markTop + 9, window), 0) << "state mark";
  EXPECT_EQ(row->CountOther(0, 0, 3, h - 1, window), 0) << "nothing left of the mark";
  EXPECT_GT(row->CountOther(15, (h - 16) / 2, 31, (h - 16) / 2 + 16, window), 0) << "icon";
  EXPECT_GT(row->CountOther(34, 0, 100, h - 1, window), 0) << "name";
  EXPECT_GT(row->CountOther(280, 0, 357, h - 1, window), 0) << "words at the right";
  EXPECT_EQ(row->CountOther(357, 0, 360, h - 1, window), 0) << "3 pixels kept free";
  EXPECT_EQ(row->CountOther(0, h - 1, 360, h, separator), 0) << "separator";

  // A present entry has no mark; a selected row has the highlight colour.
  host_.comparison.List(kind)[0].state = EntryState::Present;
  EXPECT_EQ(DrawRow(kind, 0)->CountOther(3, markTop, 12, markTop + 9, window), 0);
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_EQ(DrawRow(kind, ODS_SELECTED)->At(2, h / 2), highlight);
}

// A list with marks, icons and words in a shown window, and its context
// menu, written as bitmaps when QM_FOLDERLIST_SHOTS names a folder.
TEST_F(FolderListPixels, ScreenshotsOfAListAndItsMenu) {
  const char* folder = std::getenv("QM_FOLDERLIST_SHOTS");
  const auto kind = FolderListKind::ChangedList;
  const int folderIcon = StockIcon(3);
  std::vector<FolderEntry> entries = {
      Entry("docs", EntryState::Present, false, kEntryNewer | kEntryContents, true),
      Entry("docs\\guide.txt", EntryState::Opened, false, kEntryNewer | kEntryLarger | kEntryContents),
      Entry("docs\\notes.txt", EntryState::CopiedToOld, true, kEntryOlder | kEntrySmaller),
      Entry("src", EntryState::Present, false, kEntryContents, true),
      Entry("src\\main.cpp", EntryState::DeletedBoth, true, kEntryReadOnly | kEntryContents),
      Entry("readme", EntryState::CopiedToNew, true, kEntryWasHidden | kEntryNewer),
      Entry("setup.ini", EntryState::Present, false, kEntryUnreadable)};
  for (FolderEntry& e : entries) e.icon = e.isFolder ? folderIcon : StockIcon(0);
  Fill(kind, entries);
  // Only the current tab's list is visible, as in the folder window.
  for (int k = 0; k < kFolderListCount; ++k)
    if (k != static_cast<int>(kind)) ShowWindow(lists_[k]->hwnd(), SW_HIDE);
  ShowWindow(window_->hwnd(), SW_SHOWNORMAL);
  MoveWindow(window_->hwnd(), 20, 20, 420, 300, TRUE);
  MoveWindow(List(kind).hwnd(), 8, 8, 390, 240, TRUE);
  Select(kind, {1}, 1);
  SetFocus(List(kind).hwnd());
  BuildCommandImages();
  UpdateWindow(window_->hwnd());
  test::Pump();
  // QM_FOLDERLIST_HOLD keeps the list and then the menu on screen for a
  // few seconds each, for a screenshot of the display taken from outside.
  const bool hold = std::getenv("QM_FOLDERLIST_HOLD") != nullptr;
  for (DWORD end = GetTickCount() + 3000; hold && GetTickCount() < end; Sleep(20)) test::Pump();
  RECT frame{};
  GetWindowRect(window_->hwnd(), &frame);
  auto grab = [&](const RECT& area) {
    return std::make_unique<PaintedBitmap>(area.right - area.left, area.bottom - area.top,
                                           [&](HDC dc) {
                                             HDC screen = GetDC(nullptr);
                                             BitBlt(dc, 0, 0, area.right - area.left,
                                                    area.bottom - area.top, screen, area.left,
                                                    area.top, SRCCOPY);
                                             ReleaseDC(nullptr, screen);
                                           });
  };
  auto list = grab(frame);
  if (folder) {
    EXPECT_TRUE(list->SaveBmp(std::string(folder) + "\\folder_list.bmp"));
  }
  // Something was painted in the list beyond the window colour.
  EXPECT_GT(list->CountOther(0, 0, frame.right - frame.left, frame.bottom - frame.top,
                             GetSysColor(COLOR_WINDOW)),
            100);

  static std::unique_ptr<PaintedBitmap> menuShot;
  static RECT menuArea;
  menuArea = RECT{frame.left, frame.top, frame.left + 420, frame.top + 420};
  static decltype(grab)* grabber;
  grabber = &grab;
  timerWork = [] {
    menuShot = (*grabber)(menuArea);
    EndMenu();
  };
  SetTimer(nullptr, 0, hold ? 3000 : 400, RunTimerWorkOnce);
  SendMessageW(List(kind).hwnd(), WM_CONTEXTMENU, 0, -1);
  ASSERT_TRUE(menuShot);
  if (folder) {
    EXPECT_TRUE(menuShot->SaveBmp(std::string(folder) + "\\folder_list_menu.bmp"));
  }
  menuShot.reset();
}

}  // namespace
}  // namespace qm

namespace qm {
namespace {

// The program's boxes (caption string 1) answered as they come up; other
// boxes (the shell's own) are closed too but not counted.
std::vector<std::string> answeredBoxes;

BOOL CALLBACK AnswerBox(HWND hwnd, LPARAM) {
  wchar_t cls[16] = L"", caption[64] = L"", text[512] = L"";
  GetClassNameW(hwnd, cls, 16);
  if (wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  GetWindowTextW(hwnd, caption, 64);
  GetDlgItemTextW(hwnd, 0xFFFF, text, 512);
  if (wcscmp(caption, L"Quillmere") == 0) {
    std::string shown = Utf8FromWide(text, wcslen(text));
    shown.erase(std::remove(shown.begin(), shown.end(), '\r'), shown.end());
    answeredBoxes.push_back(shown);
  }
  PostMessageW(hwnd, WM_COMMAND, IDOK, 0);
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return TRUE;
}

TEST(ShellActions, EachFailureIsReportedWithItsReasonAndTheNextItemIsStillTried) {
  FolderComparison comparison;
  comparison.oldRoot = "C:\\qm-missing-old";
  comparison.newRoot = "C:\\qm-missing-new\\";
  const FolderEntry entry = Entry("sub\\nothing.txt");
  EXPECT_EQ(ShellActionTargets(ShellAction::ExploreRoots, FolderListKind::NewList, comparison,
                               entry),
            (std::vector<std::string>{"C:\\qm-missing-new\\"}));
  EXPECT_EQ(ShellActionTargets(ShellAction::ShowProperties, FolderListKind::OldList, comparison,
                               entry),
            (std::vector<std::string>{"C:\\qm-missing-old\\sub\\nothing.txt"}));

  answeredBoxes.clear();
  timerWork = [] { EnumThreadWindows(GetCurrentThreadId(), AnswerBox, 0); };
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, RunTimerWork);
  EXPECT_FALSE(OpenInApp(nullptr, comparison, FolderListKind::ChangedList, entry));
  ASSERT_EQ(answeredBoxes.size(), 2u);
  for (const std::string& box : answeredBoxes) {
    EXPECT_EQ(box.rfind("Could not open the file in Explorer.\n\nReason: ", 0), 0u) << box;
    EXPECT_GT(box.size(), std::string("Could not open the file in Explorer.\n\nReason: ").size());
  }
  answeredBoxes.clear();
  EXPECT_FALSE(ShowProperties(nullptr, comparison, FolderListKind::SameList, entry));
  ASSERT_EQ(answeredBoxes.size(), 2u);
  EXPECT_EQ(answeredBoxes[0].rfind("Could not open the properties window.", 0), 0u);
  KillTimer(nullptr, timer);
}

}  // namespace
}  // namespace qm
