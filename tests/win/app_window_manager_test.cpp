// The window manager against fake comparison windows: creation and reuse
// rules, initial rectangles, the Window menu, CloseAll, busy windows,
// placement tracking and the window count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_manager.h"
#include "app/window_placement.h"
#include "resources/resource.h"
#include "tests/win/app_fake_window.h"

namespace qm {

std::unique_ptr<ComparisonWindow> NewTextWindow() { return std::make_unique<test::FakeWindow>(); }

namespace {

using test::AsFake;
using test::FakeWindow;

std::unique_ptr<ComparisonWindow> NewFakeFolderWindow() {
  auto w = std::make_unique<FakeWindow>();
  w->kind_ = WindowKind::Folder;
  return w;
}

class WindowManagerTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::CloseEverything();
    Settings.ReUseFileWindow = false;
    Settings.ReUseFolderWindow = true;
    Settings.CompareWindow.Clear();
    Settings.SessionWindow.Clear();
    SetFolderWindowFactory(nullptr);
  }
  void TearDown() override {
    test::CloseEverything();
    SetFolderWindowFactory(nullptr);
  }
};

// ---- Initial rectangle ------------------------------------------------------

WindowPlacement Stored(LONG l, LONG t, LONG r, LONG b) {
  WindowPlacement p;
  p.left = l;
  p.top = t;
  p.right = r;
  p.bottom = b;
  p.valid = true;
  return p;
}

TEST(InitialWindowRect, StoredOffsetOrWrappedToTheOrigin) {
  const RECT work{0, 0, 1280, 984};
  struct Case {
    const char* name;
    WindowPlacement stored;
    bool othersOpen;
    RECT expected;
  } cases[] = {
      {"first window keeps the stored rectangle", Stored(100, 80, 700, 580), false,
       {100, 80, 700, 580}},
      {"second window moves 50 right and down", Stored(100, 80, 700, 580), true,
       {150, 130, 750, 630}},
      {"right edge past the work area wraps to 0,0", Stored(700, 80, 1250, 580), true,
       {0, 0, 550, 500}},
      {"bottom edge past the work area wraps to 0,0", Stored(100, 500, 700, 950), true,
       {0, 0, 600, 450}},
      {"touching the edge exactly stays", Stored(630, 434, 1230, 934), true,
       {680, 484, 1280, 984}},
  };
  for (const Case& c : cases) {
    const RECT got = InitialWindowRect(c.stored, c.othersOpen, work);
    EXPECT_TRUE(EqualRect(&got, &c.expected))
        << c.name << ": got " << got.left << "," << got.top << "," << got.right << ","
        << got.bottom;
  }
}

TEST(TileLayout, SideBySideStackedAndGrids) {
  const RECT work{0, 0, 1200, 900};
  struct Case {
    const char* name;
    size_t count;
    bool vertical;
    std::vector<RECT> expected;
  } cases[] = {
      {"nothing to tile", 0, true, {}},
      {"one window fills the area", 1, false, {{0, 0, 1200, 900}}},
      {"vertical: side by side", 3, true, {{0, 0, 400, 900}, {400, 0, 800, 900}, {800, 0, 1200, 900}}},
      {"horizontal: stacked", 2, false, {{0, 0, 1200, 450}, {0, 450, 1200, 900}}},
      {"vertical grid, short last row", 5, true,
       {{0, 0, 400, 450}, {400, 0, 800, 450}, {800, 0, 1200, 450},
        {0, 450, 600, 900}, {600, 450, 1200, 900}}},
      {"horizontal grid, short last column", 5, false,
       {{0, 0, 600, 300}, {0, 300, 600, 600}, {0, 600, 600, 900},
        {600, 0, 1200, 450}, {600, 450, 1200, 900}}},
  };
  for (const Case& c : cases) {
    const std::vector<RECT> got = TileLayout(c.count, work, c.vertical);
    ASSERT_EQ(got.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_TRUE(EqualRect(&got[i], &c.expected[i]))
          << c.name << ", window " << i << ": " << got[i].left << "," << got[i].top << ","
          << got[i].right << "," << got[i].bottom;
    }
  }
}

TEST(CascadeLayout, StepsDownAndRightAndWrapsPastTheWorkArea) {
  const RECT work{0, 0, 1000, 800};
  std::vector<RECT> got = CascadeLayout(3, work, 30);
  ASSERT_EQ(got.size(), 3u);
  const RECT first{0, 0, 940, 740}, last{60, 60, 1000, 800};
  EXPECT_TRUE(EqualRect(&got[0], &first));
  EXPECT_TRUE(EqualRect(&got[2], &last));
  // Many windows: all of half size, none leaves the work area.
  got = CascadeLayout(40, work, 30);
  for (const RECT& rc : got) {
    EXPECT_EQ(rc.right - rc.left, 500);
    EXPECT_LE(rc.right, work.right);
    EXPECT_LE(rc.bottom, work.bottom);
  }
  EXPECT_EQ(got[1].left, 30);
  EXPECT_TRUE(CascadeLayout(0, work, 30).empty());
}

// ---- Placement tracking -----------------------------------------------------

TEST(KeepingThePlacement, RectangleOnlyFromNormalWindows) {
  WindowPlacement p = Stored(1, 2, 3, 4);
  const RECT rc{10, 20, 410, 320};
  UpdatePlacement(p, rc, false, false, false);
  EXPECT_EQ(p.left, 10);
  EXPECT_EQ(p.bottom, 320);
  EXPECT_TRUE(p.valid);
  EXPECT_FALSE(p.maximized);

  const RECT screen{0, 0, 1280, 1024};
  UpdatePlacement(p, screen, false, true, false);
  EXPECT_TRUE(p.maximized);
  EXPECT_EQ(p.right, 410) << "a maximised window keeps the normal rectangle";

  // Minimising a maximised window must not forget that it was maximised.
  UpdatePlacement(p, RECT{-32000, -32000, -31840, -31970}, true, false, true);
  EXPECT_TRUE(p.maximized);
  EXPECT_EQ(p.left, 10);
  UpdatePlacement(p, RECT{-32000, -32000, -31840, -31970}, true, false, false);
  EXPECT_FALSE(p.maximized);
  EXPECT_EQ(p.left, 10);
}

// ---- Creation, reuse and the window count ----------------------------------

TEST_F(WindowManagerTest, CreationListsShowsAndCountsTheWindow) {
  ComparisonWindow* w = CreateTextWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(FirstTextWindow(), w);
  EXPECT_TRUE(IsWindowVisible(w->hwnd()));
  EXPECT_EQ(Settings.OpenWindowCount, 1);
  EXPECT_GE(AsFake(w)->commandUpdates, 1);
  EXPECT_TRUE(w->idle());
}

TEST_F(WindowManagerTest, SecondWindowOpensAtTheStoredPlacementPlusFifty) {
  Settings.CompareWindow = Stored(100, 100, 600, 500);
  ComparisonWindow* first = CreateTextWindow();
  ASSERT_NE(first, nullptr);
  MoveWindow(first->hwnd(), 100, 100, 500, 400, TRUE);
  ComparisonWindow* second = CreateTextWindow();
  ASSERT_NE(second, nullptr);
  RECT rc;
  GetWindowRect(second->hwnd(), &rc);
  EXPECT_EQ(rc.left, 150);
  EXPECT_EQ(rc.top, 150);
  EXPECT_EQ(rc.right - rc.left, 500);
}

TEST_F(WindowManagerTest, MaximizedPlacementSurvivesCreation) {
  Settings.CompareWindow = Stored(100, 100, 600, 500);
  Settings.CompareWindow.maximized = true;
  ComparisonWindow* w = CreateTextWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(IsZoomed(w->hwnd()));
  EXPECT_TRUE(Settings.CompareWindow.maximized);
}

TEST_F(WindowManagerTest, ReuseSettingDecidesWhetherANewTextWindowMayOpen) {
  EXPECT_TRUE(CanCreateTextWindow());
  ASSERT_NE(CreateTextWindow(), nullptr);
  EXPECT_TRUE(CanCreateTextWindow());
  Settings.ReUseFileWindow = true;
  EXPECT_FALSE(CanCreateTextWindow());
  // Ctrl+N with reuse on does nothing.
  SendMessageA(FirstTextWindow()->hwnd(), WM_COMMAND, ID_FILE_NEW_TEXT_WINDOW, 0);
  EXPECT_EQ(Settings.TextWindows.size(), 1u);
  Settings.ReUseFileWindow = false;
  SendMessageA(FirstTextWindow()->hwnd(), WM_COMMAND, ID_FILE_NEW_TEXT_WINDOW, 0);
  EXPECT_EQ(Settings.TextWindows.size(), 2u);
}

TEST_F(WindowManagerTest, NoFolderWindowIsOfferedWithoutAFolderWindowKind) {
  EXPECT_FALSE(CanCreateFolderWindow());
  EXPECT_EQ(CreateFolderWindow(), nullptr);
  EXPECT_EQ(OpenFolderComparison(nullptr, "C:\\a", "C:\\b", false), nullptr);
  EXPECT_TRUE(Settings.FolderWindows.empty());
  SetFolderWindowFactory(&NewFakeFolderWindow);
  EXPECT_TRUE(CanCreateFolderWindow());
}

TEST_F(WindowManagerTest, OpenTextComparisonReuseRules) {
  ComparisonWindow* a = CreateTextWindow();
  ComparisonWindow* b = CreateTextWindow();
  ASSERT_TRUE(a && b);
  a->ClearIdle();

  // Without reuse: the first idle window.
  EXPECT_EQ(OpenTextComparison(nullptr, "l", "r", false), b);
  EXPECT_EQ(AsFake(b)->names[0], "l");
  EXPECT_EQ(AsFake(b)->compares, 1);
  b->ClearIdle();

  // No idle window left: a new one.
  ComparisonWindow* c = OpenTextComparison(nullptr, "l2", "r2", false);
  EXPECT_TRUE(c != a && c != b && c != nullptr);
  EXPECT_EQ(Settings.TextWindows.size(), 3u);

  // With reuse: the first text window, busy or not idle.
  Settings.ReUseFileWindow = true;
  EXPECT_EQ(OpenTextComparison(nullptr, "x", "y", false), a);
  // A given window is used as it is.
  EXPECT_EQ(OpenTextComparison(b, "p", "q", true), b);
  EXPECT_EQ(AsFake(b)->names[1], "q");
}

TEST_F(WindowManagerTest, FolderComparisonReusesTheFirstFolderWindow) {
  SetFolderWindowFactory(&NewFakeFolderWindow);
  ComparisonWindow* f = OpenFolderComparison(nullptr, "C:\\old", "C:\\new", false);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->kind(), WindowKind::Folder);
  f->ClearIdle();
  EXPECT_EQ(OpenFolderComparison(nullptr, "C:\\o2", "C:\\n2", false), f);
  ComparisonWindow* g = OpenFolderComparison(f, "C:\\o3", "C:\\n3", true);
  EXPECT_NE(g, f) << "the new-window flag ignores the given window";
  EXPECT_EQ(Settings.FolderWindows.size(), 2u);
}

TEST_F(WindowManagerTest, LastWindowDestroyedPostsQuit) {
  ComparisonWindow* a = CreateTextWindow();
  ComparisonWindow* b = CreateTextWindow();
  ASSERT_EQ(Settings.OpenWindowCount, 2);
  SendMessageA(a->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Settings.OpenWindowCount, 1);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  SendMessageA(b->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(Settings.OpenWindowCount, 0);
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_TRUE(Settings.TextWindows.empty());
}

TEST_F(WindowManagerTest, CloseRefusedByTheSaveQuestionKeepsTheWindow) {
  ComparisonWindow* a = CreateTextWindow();
  AsFake(a)->mayClose = false;
  SendMessageA(a->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(a->hwnd()));
  EXPECT_EQ(FirstTextWindow(), a);
}

// ---- CloseAll ---------------------------------------------------------------

TEST_F(WindowManagerTest, ExitStopsAtTheFirstRefusal) {
  SetFolderWindowFactory(&NewFakeFolderWindow);
  ComparisonWindow* first = CreateTextWindow();
  ComparisonWindow* second = CreateTextWindow();
  ComparisonWindow* third = CreateTextWindow();
  ASSERT_NE(CreateFolderWindow(), nullptr);
  AsFake(second)->mayClose = false;

  EXPECT_FALSE(CloseAll());
  test::Pump();
  EXPECT_EQ(WindowIndex(first), -1) << "the first window was closed";
  EXPECT_EQ(WindowIndex(second), 0);
  EXPECT_EQ(WindowIndex(third), 1);
  EXPECT_EQ(AsFake(third)->asked, 0) << "nothing asked after the refusal";
  EXPECT_EQ(Settings.FolderWindows.size(), 1u) << "folder windows stay open";

  AsFake(second)->mayClose = true;
  EXPECT_TRUE(CloseAll());
  EXPECT_TRUE(Settings.TextWindows.empty());
  EXPECT_TRUE(Settings.FolderWindows.empty());
  EXPECT_EQ(Settings.OpenWindowCount, 0);
}

TEST_F(WindowManagerTest, BusyWindowIsCancelledAndClosesWhenItsComparisonEnds) {
  ComparisonWindow* busy = CreateTextWindow();
  ComparisonWindow* other = CreateTextWindow();
  bool sawBusy = false;
  bool closeDeferred = false;
  bool cancelSeen = false;
  // The worker stands for a comparison that runs until it is cancelled;
  // meanwhile another window's Exit arrives (as it would through the
  // dialog's modal loop).
  PostMessageA(other->hwnd(), WM_COMMAND, ID_FILE_EXIT, 0);
  const bool ran = busy->RunComparison([&] {
    sawBusy = busy->busy();
    for (int i = 0; i < 500 && !busy->cancelFlag().load(); ++i) Sleep(10);
    cancelSeen = busy->cancelFlag().load() != 0;
    closeDeferred = IsWindow(busy->hwnd()) != FALSE;
  });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(sawBusy);
  EXPECT_TRUE(cancelSeen) << "Exit asks the running comparison to stop";
  EXPECT_TRUE(closeDeferred) << "the window outlives its worker";
  EXPECT_EQ(WindowIndex(other), -1);
  test::Pump();
  EXPECT_TRUE(Settings.TextWindows.empty()) << "the busy window closes once the run ended";
  EXPECT_EQ(Settings.OpenWindowCount, 0);
}

TEST_F(WindowManagerTest, CloseOfABusyWindowCancelsItsComparisonAndClosesWhenItEnds) {
  ComparisonWindow* busy = CreateTextWindow();
  bool cancelSeen = false;
  // The close button or a WM_CLOSE from outside, reaching the window
  // through the progress dialog's loop.
  PostMessageA(busy->hwnd(), WM_CLOSE, 0, 0);
  const bool ran = busy->RunComparison([&] {
    for (int i = 0; i < 500 && !busy->cancelFlag().load(); ++i) Sleep(10);
    cancelSeen = busy->cancelFlag().load() != 0;
  });
  EXPECT_TRUE(ran);
  EXPECT_TRUE(cancelSeen) << "the close stops the comparison";
  EXPECT_TRUE(busy->closing()) << "the outcome needs no message";
  EXPECT_EQ(WindowIndex(busy), 0) << "the window outlives its worker";
  test::Pump();
  EXPECT_TRUE(Settings.TextWindows.empty());
  EXPECT_EQ(Settings.OpenWindowCount, 0);
}

TEST_F(WindowManagerTest, SecondComparisonInABusyWindowIsRefused) {
  ComparisonWindow* w = CreateTextWindow();
  bool nestedRan = true;
  DWORD nestedError = 0;
  bool nestedWorkRan = false;
  // A second request reaches the busy window through the dialog's loop.
  AsFake(w)->onApp = [&] {
    nestedRan = w->RunComparison([&] { nestedWorkRan = true; });
    nestedError = GetLastError();
  };
  PostMessageA(w->hwnd(), WM_APP, 0, 0);
  EXPECT_TRUE(w->RunComparison([] { Sleep(300); }));
  EXPECT_FALSE(nestedRan);
  EXPECT_EQ(nestedError, DWORD(ERROR_BUSY));
  EXPECT_FALSE(nestedWorkRan);
  EXPECT_FALSE(w->busy());
}

TEST_F(WindowManagerTest, ReuseSkipsAWindowWhoseComparisonRuns) {
  Settings.ReUseFileWindow = true;
  ComparisonWindow* w = CreateTextWindow();
  ComparisonWindow* opened = nullptr;
  AsFake(w)->onApp = [&] { opened = OpenTextComparison(nullptr, "a", "b", false); };
  PostMessageA(w->hwnd(), WM_APP, 0, 0);
  EXPECT_TRUE(w->RunComparison([] { Sleep(300); }));
  ASSERT_NE(opened, nullptr);
  EXPECT_NE(opened, w);
  EXPECT_EQ(AsFake(w)->compares, 0);
}

// ---- Window menu ------------------------------------------------------------

std::vector<std::string> MenuTexts(HMENU menu, std::vector<UINT>* states = nullptr) {
  std::vector<std::string> texts;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i) {
    char text[200] = "";
    GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
    const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
    texts.push_back((state & MF_SEPARATOR) ? std::string("-") : std::string(text));
    if (states) states->push_back(state);
  }
  return texts;
}

HMENU WindowMenuSkeleton() {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, ID_WINDOW_CASCADE, "&Cascade");
  AppendMenuA(menu, MF_STRING, ID_WINDOW_TILE_HORZ, "Tile &Horizontally");
  AppendMenuA(menu, MF_STRING, ID_WINDOW_TILE_VERT, "&Tile Vertically");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  return menu;
}

TEST_F(WindowManagerTest, WindowMenuListsFolderThenTextWindowsWithTheCurrentChecked) {
  ComparisonWindow* a = CreateTextWindow();
  ComparisonWindow* b = CreateTextWindow();
  AsFake(a)->names[0] = "left.txt*";
  AsFake(a)->names[1] = "right.txt";
  HMENU menu = WindowMenuSkeleton();
  // Stale entries from an earlier opening are replaced.
  AppendMenuA(menu, MF_STRING, 59999, "stale");
  RebuildWindowMenu(b, menu);
  std::vector<UINT> states;
  const std::vector<std::string> texts = MenuTexts(menu, &states);
  const std::vector<std::string> expected = {
      "&Cascade", "Tile &Horizontally", "&Tile Vertically", "-", "(no folder windows)", "-",
      "left.txt*, right.txt", "<no file>, <no file>"};
  EXPECT_EQ(texts, expected);
  ASSERT_EQ(states.size(), expected.size());
  EXPECT_TRUE(states[4] & MF_GRAYED);
  EXPECT_FALSE(states[6] & MF_CHECKED);
  EXPECT_TRUE(states[7] & MF_CHECKED);
  EXPECT_EQ(GetMenuItemID(menu, 6), UINT(ID_WINDOW_TEXT_FIRST));
  EXPECT_EQ(GetMenuItemID(menu, 7), UINT(ID_WINDOW_TEXT_FIRST + 1));
  DestroyMenu(menu);
}

TEST_F(WindowManagerTest, WindowMenuWithFolderWindowsAndNoTextWindows) {
  SetFolderWindowFactory(&NewFakeFolderWindow);
  ComparisonWindow* f = CreateFolderWindow();
  AsFake(f)->names[0] = "old";
  AsFake(f)->names[1] = "<no folder>";
  HMENU menu = WindowMenuSkeleton();
  RebuildWindowMenu(f, menu);
  std::vector<UINT> states;
  const std::vector<std::string> texts = MenuTexts(menu, &states);
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts[4], "old, <no folder>");
  EXPECT_TRUE(states[4] & MF_CHECKED);
  EXPECT_EQ(GetMenuItemID(menu, 4), UINT(ID_WINDOW_FOLDER_FIRST));
  EXPECT_EQ(texts[6], "(no text windows)");
  DestroyMenu(menu);
}

TEST_F(WindowManagerTest, WindowMenuCommandFocusesTheListedWindow) {
  ComparisonWindow* a = CreateTextWindow();
  ComparisonWindow* b = CreateTextWindow();
  SendMessageA(b->hwnd(), WM_COMMAND, ID_WINDOW_TEXT_FIRST, 0);
  EXPECT_EQ(GetFocus(), a->hwnd());
  SendMessageA(a->hwnd(), WM_COMMAND, ID_WINDOW_TEXT_FIRST + 1, 0);
  EXPECT_EQ(GetFocus(), b->hwnd());
  // Past the end: nothing.
  SendMessageA(a->hwnd(), WM_COMMAND, ID_WINDOW_TEXT_FIRST + 7, 0);
  EXPECT_EQ(GetFocus(), b->hwnd());
}

TEST_F(WindowManagerTest, CascadeAndTileArrangeEveryWindow) {
  ComparisonWindow* a = CreateTextWindow();
  ComparisonWindow* b = CreateTextWindow();
  ASSERT_TRUE(a && b);
  RECT ra, rb, overlap;
  SendMessageA(a->hwnd(), WM_COMMAND, ID_WINDOW_TILE_VERT, 0);
  GetWindowRect(a->hwnd(), &ra);
  GetWindowRect(b->hwnd(), &rb);
  EXPECT_FALSE(IntersectRect(&overlap, &ra, &rb)) << "tiled windows do not overlap";
  EXPECT_EQ(ra.top, rb.top) << "vertical tiling puts them side by side";

  SendMessageA(a->hwnd(), WM_COMMAND, ID_WINDOW_TILE_HORZ, 0);
  GetWindowRect(a->hwnd(), &ra);
  GetWindowRect(b->hwnd(), &rb);
  EXPECT_FALSE(IntersectRect(&overlap, &ra, &rb));
  EXPECT_EQ(ra.left, rb.left) << "horizontal tiling stacks them";

  SendMessageA(a->hwnd(), WM_COMMAND, ID_WINDOW_CASCADE, 0);
  GetWindowRect(a->hwnd(), &ra);
  GetWindowRect(b->hwnd(), &rb);
  EXPECT_TRUE(IntersectRect(&overlap, &ra, &rb)) << "cascaded windows overlap";
  EXPECT_NE(ra.left, rb.left);
  EXPECT_NE(ra.top, rb.top);
}

// ---- Toggles ---------------------------------------------------------------

TEST_F(WindowManagerTest, TogglesChangeTheSettingAndReachEveryWindow) {
  SetFolderWindowFactory(&NewFakeFolderWindow);
  ComparisonWindow* t = CreateTextWindow();
  ComparisonWindow* f = CreateFolderWindow();
  const bool toolbar = Settings.ViewToolBar;
  SendMessageA(t->hwnd(), WM_COMMAND, ID_VIEW_TOOLBAR, 0);
  EXPECT_EQ(Settings.ViewToolBar, !toolbar);
  EXPECT_EQ(AsFake(t)->barUpdates, 1);
  EXPECT_EQ(AsFake(f)->barUpdates, 1);

  SendMessageA(f->hwnd(), WM_COMMAND, ID_VIEW_LINES_REAL, 0);
  EXPECT_EQ(Settings.ShowLineNumbers, 1);
  const bool summary = Settings.ViewSummary;
  ToggleSummary();
  EXPECT_EQ(Settings.ViewSummary, !summary);
  // Each toggle hands the text windows one whole snapshot with the change.
  const auto& displays = AsFake(t)->displays;
  ASSERT_EQ(displays.size(), 2u);
  EXPECT_EQ(displays[0].ShowLineNumbers, 1);
  EXPECT_EQ(displays[0].ViewSummary, summary);
  EXPECT_EQ(displays[1].ViewSummary, !summary);
  EXPECT_EQ(DisplayChangeBetween(displays[0], displays[1]), DisplayChange::Relayout);
  EXPECT_TRUE(AsFake(f)->displays.empty()) << "folder windows have no text pane";
}

}  // namespace
}  // namespace qm
