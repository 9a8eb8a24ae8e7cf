// A real folder window in this process, for what the driver from outside
// cannot hand it: items dropped from the shell, on the window and on a
// folder bar.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/settings.h"
#include "app/window_manager.h"
#include "folders/folder_window.h"
#include "tests/win/text_window_harness.h"

namespace qm {
namespace {

// A drop on target (its client origin) as the shell makes it.
void DropOn(HWND target, const std::vector<std::string>& paths) {
  qm::DropOn(target, POINT{0, 0}, paths);
  Pump();
}

std::string MakeFolder(const std::string& name) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string path = std::string(temp) + "qm-folderwindow-" + name;
  CreateDirectoryA(path.c_str(), nullptr);
  return path;
}

class FolderWindowDrops : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Ambervale\\Quillmere\\Settings");
    SetFolderWindowFactory(&NewFolderWindow);
    Settings.IdenticalMessage = false;
    Settings.SmartRefresh = true;
    Settings.ReUseFileWindow = false;
    a_ = MakeFolder("a");
    b_ = MakeFolder("b");
    file1_ = TempFile("one.txt", "one\n");
    file2_ = TempFile("two.txt", "two\n");
    window_ = static_cast<FolderWindow*>(CreateFolderWindow());
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    for (const OwnedWindow& w : Settings.TextWindows) PostMessageA(w->hwnd(), WM_CLOSE, 0, 0);
    if (WindowBase::IsLive(window_) && window_->hwnd()) SendMessageA(window_->hwnd(), WM_CLOSE, 0, 0);
    Pump();
    ReapClosedWindows();
    RemoveDirectoryA(a_.c_str());
    RemoveDirectoryA(b_.c_str());
    DeleteFileA(file1_.c_str());
    DeleteFileA(file2_.c_str());
  }
  HWND Bar(int side) const { return GetDlgItem(window_->hwnd(), side == 0 ? 20402 : 20403); }
  std::string BarText(int side) const {
    char text[MAX_PATH * 3] = "";
    GetWindowTextA(Bar(side), text, sizeof text);
    return text;
  }

  FolderWindow* window_ = nullptr;
  std::string a_, b_, file1_, file2_;
};

TEST_F(FolderWindowDrops, TwoFoldersAreComparedHere) {
  DropOn(window_->hwnd(), {b_, a_});
  EXPECT_FALSE(window_->idle());
  EXPECT_EQ(BarText(0), b_);
  EXPECT_EQ(BarText(1), a_);
  EXPECT_EQ(static_cast<int>(window_->LastResult().code), 0);
  EXPECT_EQ(Settings.FolderWindows.size(), 1u);
  EXPECT_TRUE(Settings.TextWindows.empty());
}

TEST_F(FolderWindowDrops, TwoFilesOpenATextWindow) {
  DropOn(window_->hwnd(), {file1_, file2_});
  ASSERT_EQ(Settings.TextWindows.size(), 1u);
  EXPECT_TRUE(window_->idle()) << "the folder window itself compared nothing";
}

TEST_F(FolderWindowDrops, AnyOtherDropIsIgnored) {
  const std::string before0 = BarText(0), before1 = BarText(1);
  for (const std::vector<std::string>& paths :
       {std::vector<std::string>{a_}, {a_, file1_}, {file1_, a_}, {a_, b_, a_},
        {a_, MakeFolder("missing") + "\\nothing"}}) {
    DropOn(window_->hwnd(), paths);
    EXPECT_TRUE(window_->idle());
    EXPECT_EQ(BarText(0), before0);
    EXPECT_EQ(BarText(1), before1);
    EXPECT_TRUE(Settings.TextWindows.empty());
  }
}

// A folder dropped on each bar counts as chosen: with smart refresh the
// second one compares, and only then.
TEST_F(FolderWindowDrops, DroppedOnBothBarsWithSmartRefreshCompares) {
  DropOn(Bar(1), {b_});
  EXPECT_EQ(BarText(1), b_);
  EXPECT_TRUE(window_->idle()) << "one side chosen: no comparison yet";
  DropOn(Bar(0), {file1_});
  EXPECT_NE(BarText(0), file1_) << "a folder bar takes no file";
  EXPECT_TRUE(window_->idle());
  DropOn(Bar(0), {a_});
  EXPECT_EQ(BarText(0), a_);
  EXPECT_FALSE(window_->idle()) << "both sides chosen: compared";
  EXPECT_EQ(static_cast<int>(window_->LastResult().code), 0);
}

// The Window menu is the third popup of a folder window's menu bar: it is
// rebuilt with the window lists, and the Help menu after it keeps its
// items.
TEST_F(FolderWindowDrops, TheWindowMenuIsRebuiltAndHelpKeptWhole) {
  HMENU bar = GetMenu(window_->hwnd());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 4);
  HMENU windows = GetSubMenu(bar, 2);
  HMENU help = GetSubMenu(bar, 3);
  const int helpItems = GetMenuItemCount(help);
  ASSERT_GT(helpItems, 4);
  for (HMENU popup : {help, windows}) {
    SendMessageA(window_->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                 MAKELPARAM(popup == help ? 3 : 2, FALSE));
  }
  EXPECT_EQ(GetMenuItemCount(help), helpItems);
  // Cascade, Tile twice, separator; this folder window; separator; the
  // grayed "(no text windows)".
  ASSERT_EQ(GetMenuItemCount(windows), 7);
  EXPECT_EQ(GetMenuItemID(windows, 4), 59000u);
  EXPECT_EQ(GetMenuState(windows, 4, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_NE(GetMenuState(windows, 6, MF_BYPOSITION) & MF_GRAYED, 0u);
}

}  // namespace
}  // namespace qm
