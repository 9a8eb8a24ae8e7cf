// The start-up's command line against the real window manager (with fake
// text windows) and the main loop's treatment of keys.
#include <gtest/gtest.h>

#include <string>

#include "app/registry.h"
#include "app/settings.h"
#include "app/tips_dialog.h"
#include "app/startup.h"
#include "app/window_manager.h"
#include "controls/module_instance.h"
#include "resources/resource.h"
#include "tests/win/app_fake_window.h"

namespace qm {
namespace {

using test::AsFake;

class StartupTest : public ::testing::Test {
protected:
  void SetUp() override {
    test::CloseEverything();
    SetFolderWindowFactory(nullptr);
    Settings.CommandLineCompare = false;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "qm_startup_test";
    CreateDirectoryA(dir_.c_str(), nullptr);
    CreateDirectoryA((dir_ + "\\old").c_str(), nullptr);
    CreateDirectoryA((dir_ + "\\new").c_str(), nullptr);
    for (const char* name : {"\\a.txt", "\\b.txt"}) {
      HANDLE h = CreateFileA((dir_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                             nullptr);
      CloseHandle(h);
    }
  }
  void TearDown() override {
    test::CloseEverything();
    DeleteFileA((dir_ + "\\a.txt").c_str());
    DeleteFileA((dir_ + "\\b.txt").c_str());
    RemoveDirectoryA((dir_ + "\\old").c_str());
    RemoveDirectoryA((dir_ + "\\new").c_str());
    RemoveDirectoryA(dir_.c_str());
    Settings.CommandLineCompare = false;
  }
  std::string dir_;
};

TEST_F(StartupTest, TwoFilesOpenAComparedTextWindow) {
  EXPECT_TRUE(ParseCommandLine({"compare.exe", dir_ + "\\a.txt", dir_ + "\\b.txt"}));
  ASSERT_EQ(Settings.TextWindows.size(), 1u);
  auto* w = AsFake(FirstTextWindow());
  EXPECT_EQ(w->names[0], dir_ + "\\a.txt");
  EXPECT_EQ(w->names[1], dir_ + "\\b.txt");
  EXPECT_EQ(w->compares, 1);
  EXPECT_TRUE(Settings.CommandLineCompare);
}

TEST_F(StartupTest, ContextWithOneItemFillsBothSidesWithoutComparing) {
  const std::string a = dir_ + "\\a.txt";
  EXPECT_TRUE(ParseCommandLine({"compare.exe", "/ctx", a, a}));
  auto* w = AsFake(FirstTextWindow());
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->names[0], a);
  EXPECT_EQ(w->names[1], a);
  EXPECT_EQ(w->compares, 0);
}

TEST_F(StartupTest, FoldersWithoutAFolderWindowOpenNothingAndLeaveNoCommandLineMark) {
  EXPECT_FALSE(ParseCommandLine({"compare.exe", dir_ + "\\old", dir_ + "\\new"}));
  EXPECT_TRUE(Settings.TextWindows.empty());
  EXPECT_TRUE(Settings.FolderWindows.empty());
  // The empty window that opens instead must not close on its first
  // identical comparison.
  EXPECT_FALSE(Settings.CommandLineCompare);
}

TEST_F(StartupTest, OneFileOpensNothing) {
  EXPECT_FALSE(ParseCommandLine({"compare.exe", dir_ + "\\a.txt"}));
  EXPECT_TRUE(Settings.TextWindows.empty());
  EXPECT_FALSE(Settings.CommandLineCompare);
}

MSG KeyDown(HWND hwnd, WPARAM key) {
  MSG msg{};
  msg.hwnd = hwnd;
  msg.message = WM_KEYDOWN;
  msg.wParam = key;
  return msg;
}

TEST_F(StartupTest, MainLoopOffersKeysToTheTopLevelObjectThenItsAccelerators) {
  ComparisonWindow* window = CreateTextWindow();
  ASSERT_NE(window, nullptr);
  auto* fake = AsFake(window);
  ACCEL f5{FVIRTKEY, VK_F5, ID_VIEW_REFRESH};
  HACCEL accel = CreateAcceleratorTableA(&f5, 1);
  fake->UseAccelerators(accel);
  HWND child = CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 20, window->hwnd(),
                             nullptr, ModuleInstance(), nullptr);

  MSG msg = KeyDown(child, VK_F5);
  EXPECT_TRUE(PreTranslate(&msg)) << "F5 in a child reaches the window's accelerators";
  EXPECT_EQ(fake->refreshes, 1);

  fake->consumeKey = VK_F5;
  msg = KeyDown(child, VK_F5);
  EXPECT_TRUE(PreTranslate(&msg));
  EXPECT_EQ(fake->refreshes, 1) << "PreTranslateMessage took it first";

  msg = KeyDown(child, 'A');
  EXPECT_FALSE(PreTranslate(&msg));
  HWND stranger = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                ModuleInstance(), nullptr);
  msg = KeyDown(stranger, VK_F5);
  EXPECT_FALSE(PreTranslate(&msg)) << "a window that is not ours";
  DestroyWindow(stranger);
  DestroyAcceleratorTable(accel);
}

// ---- Tip of the day ------------------------------------------------------------

struct TipsDriver {
  DWORD uiThread = 0;
  HWND dialog = nullptr;
  std::string first, second;
  DWORD indexAfterFirst = 0, indexAfterNext = 0;
  bool showOnStartupAfterClick = true;
  int dialogsWhileNested = 0;
  HWND nestedTarget = nullptr;
};

BOOL CALLBACK CountTips(HWND hwnd, LPARAM param) {
  char title[64] = "";
  GetWindowTextA(hwnd, title, sizeof title);
  if (std::string(title) == "Tip of the day" && IsWindowVisible(hwnd)) {
    auto* driver = reinterpret_cast<TipsDriver*>(param);
    driver->dialog = hwnd;
    ++driver->dialogsWhileNested;
  }
  return TRUE;
}

std::string ItemText(HWND dialog, int id) {
  char text[1024] = "";
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

DWORD WINAPI DriveTips(void* param) {
  auto* d = static_cast<TipsDriver*>(param);
  for (int i = 0; i < 300 && !d->dialog; ++i) {
    Sleep(10);
    EnumThreadWindows(d->uiThread, &CountTips, reinterpret_cast<LPARAM>(d));
  }
  if (!d->dialog) return 0;
  d->first = ItemText(d->dialog, IDC_TIP_TEXT);
  d->indexAfterFirst = ReadSettingDword(kTipIndexValue, 99);
  SendMessageA(GetDlgItem(d->dialog, IDC_TIP_NEXT), BM_CLICK, 0, 0);
  d->second = ItemText(d->dialog, IDC_TIP_TEXT);
  d->indexAfterNext = ReadSettingDword(kTipIndexValue, 99);
  SendMessageA(GetDlgItem(d->dialog, IDC_TIP_SHOW_ON_STARTUP), BM_CLICK, 0, 0);
  d->showOnStartupAfterClick = ReadSettingBool(kTipShowOnStartupValue, true);
  // Asking for the tips again while they show opens no second dialog.
  SendMessageA(d->nestedTarget, WM_APP, 0, 0);
  d->dialogsWhileNested = 0;
  EnumThreadWindows(d->uiThread, &CountTips, reinterpret_cast<LPARAM>(d));
  PostMessageA(d->dialog, WM_COMMAND, IDCANCEL, 0);
  return 0;
}

TEST_F(StartupTest, TipsDialogWalksTheTipsAndStoresItsStateAtOnce) {
  ComparisonWindow* w = CreateTextWindow();
  ASSERT_NE(w, nullptr);
  AsFake(w)->onApp = [] { ShowTips(); };
  WriteSettingDword(kTipIndexValue, 1);
  WriteSettingBool(kTipShowOnStartupValue, true);
  TipsDriver driver;
  driver.uiThread = GetCurrentThreadId();
  driver.nestedTarget = w->hwnd();
  HANDLE thread = CreateThread(nullptr, 0, &DriveTips, &driver, 0, nullptr);
  ShowTips();
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);

  ASSERT_NE(driver.dialog, nullptr);
  EXPECT_EQ(driver.first.rfind("Merging with the keyboard:\n\n    Ctrl+F7", 0), 0u)
      << "the second tip, escapes converted: " << driver.first;
  EXPECT_EQ(driver.indexAfterFirst, 2u) << "the stored index names the next tip";
  EXPECT_NE(driver.second, driver.first);
  EXPECT_EQ(driver.indexAfterNext, 3u);
  EXPECT_FALSE(driver.showOnStartupAfterClick);
  EXPECT_EQ(driver.dialogsWhileNested, 1);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kTipIndexValue);
  RegDeleteKeyValueA(HKEY_CURRENT_USER, kSettingsKey, kTipShowOnStartupValue);
}

}  // namespace
}  // namespace qm
