// Owner-drawn menus with command images, and the menu handling every
// comparison window shares (WM_INITMENUPOPUP, mnemonics, check marks).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/menu_images.h"
#include "app/settings.h"
#include "app/window_manager.h"
#include "controls/module_instance.h"
#include "resources/resource.h"
#include "tests/win/app_fake_window.h"

namespace qm {
namespace {

TEST(MenuText, LabelShortcutAndMnemonic) {
  std::string label, shortcut;
  SplitMenuText("New &Text Window\tCtrl+N", &label, &shortcut);
  EXPECT_EQ(label, "New &Text Window");
  EXPECT_EQ(shortcut, "Ctrl+N");
  SplitMenuText("&Cascade", &label, &shortcut);
  EXPECT_EQ(label, "&Cascade");
  EXPECT_EQ(shortcut, "");
  SplitMenuText("a\tb\tc", &label, &shortcut);
  EXPECT_EQ(shortcut, "b\tc") << "split at the first tab only";

  EXPECT_EQ(MnemonicOf("Tile &Horizontally"), 'h');
  EXPECT_EQ(MnemonicOf("Save &&Exit &Now"), 'n');
  EXPECT_EQ(MnemonicOf("none"), 0);
  EXPECT_EQ(MnemonicOf("trailing&"), 0);
}

TEST(CommandImages, EveryStripCommandHasItsImage) {
  ASSERT_TRUE(BuildCommandImages());
  ASSERT_NE(Settings.CommandImages, nullptr);
  int images = 0;
  for (const CommandStrip& strip : CommandStrips()) {
    for (UINT command : strip.commands) {
      if (command == 0) continue;
      ++images;
      ASSERT_TRUE(Settings.CommandImageIndex.count(command)) << "command " << command;
    }
  }
  EXPECT_EQ(static_cast<int>(Settings.CommandImageIndex.size()), images);
  // Images follow the strips: 20000 is the first image, 20501 the first of
  // the second strip (11 images), 20700 the first of the help strip.
  EXPECT_EQ(Settings.CommandImageIndex[20000], 0);
  EXPECT_EQ(Settings.CommandImageIndex[20501], 11);
  EXPECT_EQ(Settings.CommandImageIndex[20600], 30);
  EXPECT_EQ(Settings.CommandImageIndex[20700], 36);
  EXPECT_EQ(ImageList_GetImageCount(Settings.CommandImages), 44);
}

class MenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::CloseEverything();
    BuildCommandImages();
    window_ = CreateTextWindow();
    ASSERT_NE(window_, nullptr);
    bar_ = LoadMenuA(ModuleInstance(), MAKEINTRESOURCEA(IDR_MENU_TEXT));
    ASSERT_NE(bar_, nullptr);
    SetMenu(window_->hwnd(), bar_);
  }
  void TearDown() override { test::CloseEverything(); }

  // What the window does when the popup at position of the menu bar opens.
  HMENU Open(int position) {
    HMENU popup = GetSubMenu(bar_, position);
    SendMessageA(window_->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                 MAKELPARAM(position, FALSE));
    return popup;
  }

  ComparisonWindow* window_ = nullptr;
  HMENU bar_ = nullptr;
};

TEST_F(MenuTest, OpeningAPopupConvertsItsItemsOnce) {
  HMENU file = Open(0);
  const OwnerMenuItem* first = OwnerMenuItemAt(file, 0);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->label, "New &Text Window");
  EXPECT_EQ(first->shortcut, "Ctrl+N");
  EXPECT_EQ(first->image, Settings.CommandImageIndex[ID_FILE_NEW_TEXT_WINDOW]);
  EXPECT_EQ(OwnerMenuItemAt(file, 2), nullptr) << "separators stay as they are";
  const OwnerMenuItem* close = nullptr;
  for (int i = 0; i < GetMenuItemCount(file); ++i) {
    if (GetMenuItemID(file, i) == ID_FILE_CLOSE) close = OwnerMenuItemAt(file, i);
  }
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->image, -1) << "Close has no image";

  Open(0);
  EXPECT_EQ(OwnerMenuItemAt(file, 0), first) << "a converted item is left alone";

  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_MENU;
  mis.itemID = ID_FILE_NEW_TEXT_WINDOW;
  mis.itemData = reinterpret_cast<ULONG_PTR>(first);
  SendMessageA(window_->hwnd(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
  EXPECT_GE(mis.itemHeight, 19u);
  EXPECT_GT(mis.itemWidth, mis.itemHeight);
}

TEST_F(MenuTest, MnemonicsOfOwnerDrawnItemsStillWork) {
  HMENU window = Open(3);
  const LRESULT r = SendMessageA(window_->hwnd(), WM_MENUCHAR, MAKEWPARAM('h', MF_POPUP),
                                 reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(HIWORD(r), MNC_EXECUTE);
  EXPECT_EQ(GetMenuItemID(window, LOWORD(r)), UINT(ID_WINDOW_TILE_HORZ));
  const LRESULT none = SendMessageA(window_->hwnd(), WM_MENUCHAR, MAKEWPARAM('q', MF_POPUP),
                                    reinterpret_cast<LPARAM>(window));
  EXPECT_EQ(HIWORD(none), MNC_IGNORE);
}

TEST_F(MenuTest, WindowMenuIsRebuiltAndItsOldItemsReleased) {
  HMENU window = Open(3);
  ASSERT_EQ(GetMenuItemCount(window), 7);  // 3 commands, -, no folders, -, this window
  const OwnerMenuItem* listed = OwnerMenuItemAt(window, 6);
  ASSERT_NE(listed, nullptr);
  EXPECT_TRUE(GetMenuState(window, 6, MF_BYPOSITION) & MF_CHECKED);
  ASSERT_NE(CreateTextWindow(), nullptr);
  Open(3);
  EXPECT_EQ(GetMenuItemCount(window), 8);
  // The old item's data is gone with its item.
  MEASUREITEMSTRUCT mis{};
  mis.CtlType = ODT_MENU;
  mis.itemData = reinterpret_cast<ULONG_PTR>(listed);
  EXPECT_FALSE(MeasureMenuItem(&mis));
}

TEST_F(MenuTest, ViewMenuShowsTheSettings) {
  Settings.ViewToolBar = false;
  Settings.ViewStatusBar = true;
  Settings.ShowLineNumbers = 1;
  HMENU view = Open(2);
  EXPECT_FALSE(GetMenuState(view, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(view, ID_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_FALSE(GetMenuState(view, ID_VIEW_LINES_VIRTUAL, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(view, ID_VIEW_LINES_REAL, MF_BYCOMMAND) & MF_CHECKED);
  // Without an Options dialog in the program the command is not offered.
  EXPECT_TRUE(GetMenuState(view, ID_VIEW_OPTIONS, MF_BYCOMMAND) & MF_GRAYED);
  HMENU file = Open(0);
  EXPECT_TRUE(GetMenuState(file, ID_FILE_NEW_FOLDER_WINDOW, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(GetMenuState(file, ID_FILE_NEW_TEXT_WINDOW, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
}  // namespace qm
