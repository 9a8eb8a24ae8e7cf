// The folder window as a user works it: two trees compared from the
// command line and read back tab by tab, every message a Refresh can end
// with, Switch Sides, Go Up, the Quick Bar, a new folder window by key,
// and the commands of a text window that a folder window must not run.
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/folder_probe.h"

namespace qm::e2e {
namespace {

using Rows = std::vector<std::string>;

constexpr int kQuickBarCombo = 20414;
constexpr int kGoUpOld = 20408;
constexpr int kNewFolderWindow = 20001;
constexpr int kComparisonParents = 20002;
constexpr int kSelectAll = 20106;

// Gives a file a fixed last-write time, seconds after a fixed moment, so
// that only the differences a test means are found.
void SetTime(const std::string& path, int seconds) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  ULARGE_INTEGER t;
  t.QuadPart = 132223104000000000ULL + static_cast<ULONGLONG>(seconds) * 10000000ULL;
  FILETIME time{t.LowPart, t.HighPart};
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

class FolderWindowTest : public E2eTest {
protected:
  // old:  same.txt, changed.txt, gone.txt, sub\inner.txt, sub\keep.txt
  // new:  same.txt, changed.txt (newer, larger), added.txt,
  //       sub\inner.txt (larger), sub\keep.txt
  void MakeTrees() {
    oldRoot_ = dir_.Path() + "\\old";
    newRoot_ = dir_.Path() + "\\new";
    for (const std::string& root : {oldRoot_, newRoot_}) {
      CreateDirectoryA(root.c_str(), nullptr);
      CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    }
    Put("old\\same.txt", "same\n", 0);
    Put("new\\same.txt", "same\n", 0);
    Put("old\\changed.txt", "one\n", 0);
    Put("new\\changed.txt", "one two\n", 60);
    Put("old\\gone.txt", "gone\n", 0);
    Put("new\\added.txt", "added\n", 0);
    Put("old\\sub\\inner.txt", "abc\n", 0);
    Put("new\\sub\\inner.txt", "abc\nmore\n", 0);
    Put("old\\sub\\keep.txt", "keep\n", 0);
    Put("new\\sub\\keep.txt", "keep\n", 0);
  }
  void Put(const std::string& name, const std::string& bytes, int seconds) {
    SetTime(dir_.Write(name, bytes), seconds);
  }

  FolderWindowProbe LaunchFolders(const std::string& oldRoot, const std::string& newRoot) {
    EXPECT_TRUE(program_.Start(Quote(oldRoot) + " " + Quote(newRoot)));
    HWND window = program_.WaitWindow("FolderWindow");
    EXPECT_NE(window, nullptr) << "no folder window";
    return FolderWindowProbe(program_, window);
  }
  // Waits until the tabs count what a finished comparison found.
  bool WaitCounted(const FolderWindowProbe& window) {
    return WaitFor([&] { return window.TabCaption(0).find('(') != std::string::npos; });
  }
  void ExpectTrees(const FolderWindowProbe& window, const std::string& oldName,
                   const std::string& newName) {
    EXPECT_EQ(window.Title(), "Quillmere - [" + oldName + ", " + newName + "]");
    EXPECT_EQ(window.TabCaptions(),
              (Rows{"Changed (2)", "Old (1)", "New (1)", "Same (2)"}));
  }
  // Sets both bars as typing would, then presses F5; answers nothing.
  void TypeAndRefresh(const FolderWindowProbe& window, const std::string& oldText,
                      const std::string& newText) {
    window.SetNameText(0, oldText);
    window.SetNameText(1, newText);
    window.Key(VK_F5);
  }

  std::string oldRoot_, newRoot_;
};

TEST_F(FolderWindowTest, CommandLineComparesTwoTreesIntoFourTabs) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window)) << window.TabCaption(0);
  ExpectTrees(window, "old", "new");
  EXPECT_EQ(window.NameText(0), oldRoot_);
  EXPECT_EQ(window.NameText(1), newRoot_);
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  // A folder that differs only inside is not listed itself; what lies in
  // a folder comes before the top-level files.
  EXPECT_EQ(window.Rows(kChangedTab), (Rows{"sub\\inner.txt", "changed.txt"}));
  EXPECT_EQ(window.Rows(kOldTab), (Rows{"gone.txt"}));
  EXPECT_EQ(window.Rows(kNewTab), (Rows{"added.txt"}));
  EXPECT_EQ(window.Rows(kSameTab), (Rows{"sub\\keep.txt", "same.txt"}));

  // The first tab is current; clicking another shows its list alone.
  EXPECT_EQ(window.CurrentTab(), kChangedTab);
  const char* shots[] = {"folder-changed", "folder-old", "folder-new", "folder-same"};
  for (int tab : {kOldTab, kNewTab, kSameTab, kChangedTab}) {
    SCOPED_TRACE(tab);
    window.ClickTab(tab);
    EXPECT_EQ(window.CurrentTab(), tab);
    for (int other = 0; other < 4; ++other)
      EXPECT_EQ(IsWindowVisible(window.List(static_cast<FolderTab>(other))) != 0, other == tab);
    SaveScreenshot(window.Handle(), shots[tab]);
  }
  // The bars were remembered for the next start.
  EXPECT_EQ(GetSettingText("LeftFolder.text"), oldRoot_);
  EXPECT_EQ(GetSettingText("RightFolder.text"), newRoot_);
}

// The shell's "/ctx" with one folder selected names it twice: both bars
// take it and nothing is compared; two different folders are compared.
TEST_F(FolderWindowTest, ContextOptionWithOneFolderFillsBothBarsOnly) {
  MakeTrees();
  ASSERT_TRUE(program_.Start("/ctx " + Quote(oldRoot_) + " " + Quote(oldRoot_)));
  HWND handle = program_.WaitWindow("FolderWindow");
  ASSERT_NE(handle, nullptr);
  FolderWindowProbe window(program_, handle);
  program_.Settle(handle);
  EXPECT_EQ(window.NameText(0), oldRoot_);
  EXPECT_EQ(window.NameText(1), oldRoot_);
  // A comparison would count the tabs within moments: give it the time.
  EXPECT_FALSE(WaitFor([&] { return window.TabCaption(0).find('(') != std::string::npos; }, 2000));
  EXPECT_TRUE(window.Rows(kSameTab).empty());
  program_.Kill();

  ASSERT_TRUE(program_.Start("/ctx " + Quote(oldRoot_) + " " + Quote(newRoot_)));
  handle = program_.WaitWindow("FolderWindow");
  ASSERT_NE(handle, nullptr);
  FolderWindowProbe compared(program_, handle);
  ASSERT_TRUE(WaitCounted(compared));
  ExpectTrees(compared, "old", "new");
}

// Every message a Refresh can end with, each from the state a user gets
// into, and the lists stay empty after each.
TEST_F(FolderWindowTest, EveryRefreshFailureIsToldAndLeavesNothingListed) {
  MakeTrees();
  const std::string file = dir_.Write("plain.txt", "x\n");
  ASSERT_TRUE(program_.Start(""));
  HWND text = program_.WaitWindow("TextWindow");
  ASSERT_NE(text, nullptr);
  TextWindowProbe(program_, text).CtrlKey('D');
  HWND handle = program_.WaitWindow("FolderWindow");
  ASSERT_NE(handle, nullptr) << "Ctrl+D opens a folder window";
  FolderWindowProbe window(program_, handle);
  EXPECT_EQ(window.NameText(0), "<no folder>");
  EXPECT_EQ(window.NameText(1), "<no folder>");
  EXPECT_EQ(window.Title(), "Quillmere - [<no folder>, <no folder>]");
  EXPECT_EQ(window.TabCaptions(), (Rows{"Changed", "Old", "New", "Same"}));
  SaveScreenshot(handle, "folder-empty-window");

  struct Case {
    std::string oldText, newText, message;
  };
  const Case cases[] = {
      {"<no folder>", "<no folder>", "The old folder name is invalid."},
      {oldRoot_, "C:\\a|b", "The new folder name is invalid."},
      {file, newRoot_, "'Old Folder' is not a folder."},
      {oldRoot_, dir_.Path() + "\\missing", "'New Folder' is not a folder."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    TypeAndRefresh(window, c.oldText, c.newText);
    HWND box = program_.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), "Quillmere");
    EXPECT_EQ(program_.Answer(box, IDOK), c.message);
    program_.Settle(handle);
    EXPECT_EQ(window.TabCaptions(), (Rows{"Changed", "Old", "New", "Same"}));
    for (int tab = 0; tab < 4; ++tab) EXPECT_TRUE(window.Rows(static_cast<FolderTab>(tab)).empty());
  }
  // A good pair after the failures fills the lists.
  TypeAndRefresh(window, oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  ExpectTrees(window, "old", "new");
  // A failure after a success empties them again and names no stale root.
  TypeAndRefresh(window, oldRoot_, dir_.Path() + "\\missing");
  EXPECT_EQ(program_.AnswerNext(IDOK), "'New Folder' is not a folder.");
  program_.Settle(handle);
  for (int tab = 0; tab < 4; ++tab) EXPECT_TRUE(window.Rows(static_cast<FolderTab>(tab)).empty());
  EXPECT_EQ(window.Title(), "Quillmere - [old, missing]") << "the bars, not a stale root";
}

// A root that exists but cannot be listed: the system's reason is shown,
// never an empty "identical" result. Such a root is a system's own: the
// volume information folder of Windows (closed to every user), or under
// Wine a process's mapping folder, which Wine reads as empty for an
// administrator: then there is none and the case is skipped.
TEST_F(FolderWindowTest, AnUnlistableRootIsReportedWithTheReason) {
  MakeTrees();
  std::string unlistable;
  for (const char* candidate : {"C:\\System Volume Information", "Z:\\proc\\1\\map_files"}) {
    const DWORD attributes = GetFileAttributesA(candidate);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    WIN32_FIND_DATAA found;
    HANDLE probe = FindFirstFileA((std::string(candidate) + "\\*").c_str(), &found);
    if (probe == INVALID_HANDLE_VALUE) {
      unlistable = candidate;
      break;
    }
    FindClose(probe);
  }
  if (unlistable.empty()) GTEST_SKIP() << "no folder here that exists but cannot be listed";
  SetSetting("IdenticalMessage", "true");
  const std::string prefixes[2] = {"The old folder could not be read.\n\nReason: ",
                                   "The new folder could not be read.\n\nReason: "};
  for (int side = 0; side < 2; ++side) {
    SCOPED_TRACE(side);
    auto window =
        side == 0 ? LaunchFolders(unlistable, newRoot_) : LaunchFolders(oldRoot_, unlistable);
    const std::string message = program_.AnswerNext(IDOK);
    EXPECT_EQ(message.rfind(prefixes[side], 0), 0u) << message;
    EXPECT_GT(message.size(), prefixes[side].size()) << "the reason is named";
    program_.Settle(window.Handle());
    EXPECT_EQ(program_.FindMessageBox(), nullptr) << "no identical message after it";
    EXPECT_EQ(window.TabCaptions(), (Rows{"Changed", "Old", "New", "Same"}));
    program_.Kill();
  }
}

TEST_F(FolderWindowTest, IdenticalTreesFromTheCommandLineSaySoAndClose) {
  const std::string a = dir_.Path() + "\\a", b = dir_.Path() + "\\b";
  CreateDirectoryA(a.c_str(), nullptr);
  CreateDirectoryA(b.c_str(), nullptr);
  Put("a\\x.txt", "x\n", 0);
  Put("b\\x.txt", "x\n", 0);
  SetSetting("IdenticalMessage", "true");
  LaunchFolders(a, b);
  EXPECT_EQ(program_.AnswerNext(IDOK), "The folders are identical.");
  EXPECT_TRUE(program_.WaitExit()) << "the only window closes and the program ends";
}

TEST_F(FolderWindowTest, SwitchSidesExchangesBarsTitleAndCounts) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  window.Send(kSwitchSides);
  EXPECT_EQ(window.NameText(0), newRoot_);
  EXPECT_EQ(window.NameText(1), oldRoot_);
  EXPECT_EQ(window.Title(), "Quillmere - [new, old]");
  EXPECT_EQ(window.TabCaptions(), (Rows{"Changed (2)", "Old (1)", "New (1)", "Same (2)"}));
  EXPECT_EQ(window.Rows(kOldTab), (Rows{"added.txt"}));
  EXPECT_EQ(window.Rows(kNewTab), (Rows{"gone.txt"}));
  EXPECT_EQ(window.Rows(kChangedTab), (Rows{"sub\\inner.txt", "changed.txt"}));
  EXPECT_EQ(GetSettingText("LeftFolder.text"), newRoot_);
  // And back: a Refresh now compares the trees the bars name.
  window.Send(kSwitchSides);
  EXPECT_EQ(window.Rows(kOldTab), (Rows{"gone.txt"}));
  window.Key(VK_F5);
  ASSERT_TRUE(WaitCounted(window));
  EXPECT_EQ(window.Rows(kOldTab), (Rows{"gone.txt"}));
}

TEST_F(FolderWindowTest, GoUpAndCompareParents) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_ + "\\sub", newRoot_ + "\\sub");
  ASSERT_TRUE(WaitCounted(window));
  EXPECT_EQ(window.Title(), "Quillmere - [sub, sub]");
  window.ClickButton(kGoUpOld);
  EXPECT_EQ(window.NameText(0), oldRoot_);
  EXPECT_EQ(GetSettingText("LeftFolder.text"), oldRoot_) << "persisted";
  EXPECT_EQ(window.Title(), "Quillmere - [sub, sub]") << "no refresh: the title keeps the roots";
  EXPECT_EQ(window.Rows(kChangedTab), (Rows{"inner.txt"}));
  // Compare Parents compares both parents in this window.
  window.Send(kComparisonParents);
  ASSERT_TRUE(WaitFor([&] { return window.Title() == "Quillmere - [old, new]"; }));
  EXPECT_EQ(program_.Windows("FolderWindow").size(), 1u);
  ASSERT_TRUE(WaitCounted(window));
  EXPECT_EQ(window.Rows(kOldTab), (Rows{"gone.txt"}));
  // Up from a drive's root leaves nothing; the next Refresh says so.
  window.SetNameText(0, "C:\\");
  window.ClickButton(kGoUpOld);
  EXPECT_EQ(window.NameText(0), "");
}

TEST_F(FolderWindowTest, QuickBarReopensAnEarlierPair) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  TypeAndRefresh(window, oldRoot_ + "\\sub", newRoot_ + "\\sub");
  ASSERT_TRUE(WaitFor([&] { return window.Title() == "Quillmere - [sub, sub]"; }));
  ASSERT_TRUE(WaitCounted(window));
  HWND bar = FindWindowExA(window.Handle(), nullptr, "QuickBar", nullptr);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(WindowText(FindWindowExA(bar, nullptr, "Label", nullptr)), "Recent:");
  HWND combo = GetDlgItem(bar, kQuickBarCombo);
  DWORD_PTR count = 0;
  SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count);
  EXPECT_EQ(count, 2u);
  // Entry 1 is the first pair: choose it as the list would.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(combo, CB_SETCURSEL, 1, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  PostMessageA(bar, WM_COMMAND, MAKEWPARAM(kQuickBarCombo, 200), reinterpret_cast<LPARAM>(combo));
  ASSERT_TRUE(WaitFor([&] { return window.Title() == "Quillmere - [old, new]"; }));
  ASSERT_TRUE(WaitCounted(window));
  EXPECT_EQ(window.NameText(0), oldRoot_);
  ExpectTrees(window, "old", "new");
}

// Ctrl+D opens a second folder window only when folder windows are not
// reused; with reuse on the command is off by every route.
TEST_F(FolderWindowTest, NewFolderWindowFollowsTheReuseSetting) {
  MakeTrees();
  SetSetting("ReUseFolderWindow", "false");
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  EXPECT_TRUE(window.ToolButtonEnabled(kNewFolderWindow));
  window.CtrlKey('D');
  ASSERT_TRUE(WaitFor([&] { return program_.Windows("FolderWindow").size() == 2; }));

  program_.Kill();
  ResetSettings();
  SetSetting("ReUseFolderWindow", "true");
  auto reused = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(reused));
  EXPECT_FALSE(reused.ToolButtonEnabled(kNewFolderWindow));
  reused.CtrlKey('D');
  reused.Send(kNewFolderWindow);
  reused.ToolBarClick(kNewFolderWindow);
  program_.Settle(reused.Handle());
  EXPECT_EQ(program_.Windows("FolderWindow").size(), 1u);
}

// A folder window takes none of a text window's commands, whoever sends
// them, and Select All picks every row of the focused list only.
TEST_F(FolderWindowTest, TextCommandsDoNothingAndSelectAllStaysInItsList) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  for (int command : {kSave, kSaveAs, kSaveAll, kExport, kCopyLeft, kCopyRight, kReplaceLeft,
                      kReplaceRight, kRedo, kNextDiff}) {
    window.Send(command);
  }
  program_.Settle(window.Handle());
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  EXPECT_TRUE(program_.Windows("#32770").empty()) << "no dialog opened";
  EXPECT_EQ(window.Rows(kChangedTab).size(), 2u);

  window.SelectRow(kChangedTab, 0);
  window.Send(kSelectAll);
  DWORD_PTR selected = 0;
  SendMessageTimeoutA(window.List(kChangedTab), LB_GETSELCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000,
                      &selected);
  EXPECT_EQ(selected, 2u);
}

// The View toggles give the rows and tabs the room of a hidden bar and take
// it back; the band under the tool bar stays.
TEST_F(FolderWindowTest, HiddenBarsGiveTheirRoomToTheTabs) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  auto tabsRect = [&] {
    RECT rect{};
    GetWindowRect(window.Tabs(), &rect);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const RECT shown = tabsRect();
  RECT client{};
  GetClientRect(window.Handle(), &client);
  for (int toggle : {int{kToggleToolBar}, int{kToggleStatusBar}, 20215}) window.Send(toggle);
  EXPECT_FALSE(window.ChildVisible(20400));
  EXPECT_FALSE(window.ChildVisible(20401));
  const RECT hidden = tabsRect();
  // Rows of 23 and more, 8 apart, below the 2-pixel band at the top.
  EXPECT_GE(hidden.top, 2 + 2 * (23 + 8) + 8);
  EXPECT_LT(hidden.top, shown.top);
  EXPECT_EQ(hidden.bottom, client.bottom - 8);
  EXPECT_EQ(hidden.left, 8);
  EXPECT_EQ(hidden.right, client.right - 8);
  SaveScreenshot(window.Handle(), "folder-bars-hidden");
  for (int toggle : {int{kToggleToolBar}, int{kToggleStatusBar}, 20215}) window.Send(toggle);
  const RECT again = tabsRect();
  EXPECT_EQ(again.top, shown.top);
  EXPECT_EQ(again.bottom, shown.bottom);
}

// The Choose folder buttons open the shell's folder browser on the bar's
// folder. Cancel leaves everything; a folder picked on each side compares
// at once with smart refresh, and only when both were picked.
TEST_F(FolderWindowTest, ChooseFolderOnBothSidesComparesWithSmartRefresh) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  Put("old\\late.txt", "late\n", 0);  // seen only by a new comparison
  auto browse = [&](int button, int answer, const char* shot) {
    PostMessageA(window.Handle(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window.Handle(), button)));
    HWND browser = nullptr;
    ASSERT_TRUE(WaitFor([&] {
      for (HWND dialog : program_.Windows("#32770"))
        if (GetWindow(dialog, GW_OWNER) == window.Handle()) browser = dialog;
      return browser != nullptr;
    })) << "no folder browser";
    if (shot) SaveScreenshot(browser, shot);
    PostMessageA(browser, WM_COMMAND, answer, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(browser); }));
    program_.Settle(window.Handle());
  };
  browse(20406, IDCANCEL, "folder-choose-old");
  EXPECT_EQ(window.NameText(0), oldRoot_);
  browse(20406, IDOK, nullptr);
  EXPECT_EQ(window.NameText(0), oldRoot_) << "the browser started on the bar's folder";
  EXPECT_EQ(window.TabCaption(kOldTab), "Old (1)") << "one side chosen: no comparison";
  browse(20407, IDOK, nullptr);
  EXPECT_EQ(window.NameText(1), newRoot_);
  EXPECT_TRUE(WaitFor([&] { return window.TabCaption(kOldTab) == "Old (2)"; }))
      << window.TabCaption(kOldTab);
}

// Esc ends the program, but only closes a bar's open list first.
TEST_F(FolderWindowTest, EscClosesAnOpenListFirstThenTheProgram) {
  MakeTrees();
  auto window = LaunchFolders(oldRoot_, newRoot_);
  ASSERT_TRUE(WaitCounted(window));
  HWND bar = GetDlgItem(window.Handle(), 20402);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(bar, CB_SHOWDROPDOWN, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  window.Key(VK_ESCAPE);
  EXPECT_TRUE(program_.Running()) << "Esc with a list open closes the list only";
  SendMessageTimeoutA(bar, CB_SHOWDROPDOWN, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  window.Key(VK_ESCAPE);
  EXPECT_TRUE(program_.WaitExit());
}

}  // namespace
}  // namespace qm::e2e
