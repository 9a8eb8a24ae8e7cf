// The Options dialog worked from outside: every check box writes its
// registry value the moment it is clicked, the rules between boxes hold,
// display changes reach every open text window at once while comparison
// options wait for the next comparison, and the dialog is one per process,
// closes with Esc and comes back where and as it was left.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kOptionsCommand = 20214;
constexpr int kNewTextWindow = 20000;
constexpr int kPageList = 10000;
enum Page { kTextPage = 0, kFoldersPage = 1, kDisplayPage = 2, kMiscPage = 3 };

LRESULT Ask(HWND window, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, msg, wParam, lParam, SMTO_ABORTIFHUNG, 10000, &result);
  return static_cast<LRESULT>(result);
}

// A REG_DWORD of the settings key, or fallback when absent.
DWORD SettingNumber(const char* name, DWORD fallback) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                   &size) != ERROR_SUCCESS) {
    return fallback;
  }
  return value;
}

struct Box {
  Page page;
  int id;
  const char* value;
};

// Every plain check box of the dialog and the value it writes.
const Box kBoxes[] = {
    {kTextPage, 10100, "IgnoreCase"},         {kTextPage, 10105, "CompareChanges"},
    {kTextPage, 10106, "HighlightChanges"},   {kFoldersPage, 10200, "FolderUndo"},
    {kFoldersPage, 10201, "IgnoreNameCase"},  {kFoldersPage, 10202, "CompareSubfolders"},
    {kFoldersPage, 10203, "CompareAttribs"},  {kFoldersPage, 10204, "CompareDate"},
    {kFoldersPage, 10205, "CompareSize"},     {kFoldersPage, 10206, "CompareQuick"},
    {kFoldersPage, 10207, "CompareFull"},     {kFoldersPage, 10208, "CompareFolderAttribs"},
    {kFoldersPage, 10209, "CompareFolderDate"}, {kDisplayPage, 10407, "DrawArrows"},
    {kDisplayPage, 10406, "DrawCaretBox"},    {kMiscPage, 10400, "IdenticalMessage"},
    {kMiscPage, 10403, "AskConfirmation"},    {kMiscPage, 10411, "SmartRefresh"},
    {kMiscPage, 10401, "ScrollToFirst"},      {kMiscPage, 10402, "WrapAround"},
    {kMiscPage, 10409, "DropDelete"},         {kMiscPage, 10410, "DblClickDefaults"},
    {kMiscPage, 10412, "SearchSelected"},     {kMiscPage, 10413, "JumpToNext"},
    {kMiscPage, 10414, "AllowBinary"},        {kMiscPage, 10404, "ReUseFileWindow"},
    {kMiscPage, 10405, "ReUseFolderWindow"},  {kMiscPage, 10408, "EscQuitsApp"},
};

class Options : public E2eTest {
 protected:
  // Opens the dialog by its command and waits for it.
  HWND Open(const TextWindowProbe& window) {
    window.Send(kOptionsCommand);
    return program_.WaitDialog("Options");
  }
  std::vector<HWND> OptionsDialogs() const {
    std::vector<HWND> found;
    for (HWND dialog : program_.Windows("#32770")) {
      if (WindowText(dialog) == "Options") found.push_back(dialog);
    }
    return found;
  }
  // The page shown: the dialog's child dialog.
  static HWND Page(HWND dialog) { return FindWindowExA(dialog, nullptr, "#32770", nullptr); }
  static HWND ShowPage(HWND dialog, int index) {
    HWND list = GetDlgItem(dialog, kPageList);
    Ask(list, LB_SETCURSEL, index);
    Ask(dialog, WM_COMMAND, MAKEWPARAM(kPageList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return Page(dialog);
  }
  static void Click(HWND page, int id) { Ask(GetDlgItem(page, id), BM_CLICK); }
  static bool Checked(HWND page, int id) {
    return Ask(GetDlgItem(page, id), BM_GETCHECK) == BST_CHECKED;
  }
  static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != 0; }
  // Chooses entry text of a drop-down list as a user would.
  static void Choose(HWND page, int id, const char* text) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index = Ask(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                              reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    Ask(combo, CB_SETCURSEL, static_cast<WPARAM>(index));
    Ask(page, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  static std::string Selected(HWND page, int id) {
    HWND combo = GetDlgItem(page, id);
    const LRESULT index = Ask(combo, CB_GETCURSEL);
    char text[256] = "";
    if (index >= 0) Ask(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
  }
  static void PostKey(HWND target, UINT key) {
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 1 | 0xC0000000u);
  }
  TextWindowProbe LaunchPair(const std::string& left, const std::string& right) {
    auto window =
        Launch(Quote(dir_.Write("left.txt", left)) + " " + Quote(dir_.Write("right.txt", right)));
    EXPECT_TRUE(WaitFor([&] { return window.StatusPart(3) != kNoResult; }));
    return window;
  }
};

TEST_F(Options, EveryCheckBoxWritesItsValueAtOnce) {
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  const char* shots[] = {"options_text", "options_folders", "options_display", "options_misc"};
  for (int page = kTextPage; page <= kMiscPage; ++page) {
    HWND shown = ShowPage(dialog, page);
    ASSERT_NE(shown, nullptr) << page;
    program_.Settle(dialog);
    SaveScreenshot(dialog, shots[page]);
    for (const Box& box : kBoxes) {
      if (box.page != page) continue;
      const bool before = Checked(shown, box.id);
      Click(shown, box.id);
      EXPECT_EQ(Checked(shown, box.id), !before) << box.value;
      EXPECT_EQ(GetSettingText(box.value), before ? "false" : "true") << box.value;
      Click(shown, box.id);
      EXPECT_EQ(GetSettingText(box.value), before ? "true" : "false") << box.value;
    }
  }
}

TEST_F(Options, BoxesThatDependOnEachOtherFollowTheirRules) {
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  HWND page = ShowPage(dialog, kTextPage);

  // "Ignore all" shows the finer blank options unchecked and disabled but
  // keeps their bits; unchecking it shows them again.
  Click(page, 10102);
  EXPECT_EQ(SettingNumber("IgnoreBlanks2", 0), 2u);
  Click(page, 10101);
  EXPECT_EQ(SettingNumber("IgnoreBlanks2", 0), 3u);
  for (int id : {10102, 10103, 10104}) {
    EXPECT_FALSE(Checked(page, id)) << id;
    EXPECT_FALSE(Enabled(page, id)) << id;
  }
  Click(page, 10101);
  EXPECT_EQ(SettingNumber("IgnoreBlanks2", 0), 2u);
  EXPECT_TRUE(Checked(page, 10102));
  EXPECT_TRUE(Enabled(page, 10104));

  // Without "changed" lines the highlight option is off and disabled, and
  // comes back with its stored state.
  Click(page, 10105);
  EXPECT_FALSE(Checked(page, 10106));
  EXPECT_FALSE(Enabled(page, 10106));
  EXPECT_EQ(GetSettingText("HighlightChanges"), "");
  Click(page, 10105);
  EXPECT_TRUE(Checked(page, 10106));

  // Quick and full contents exclude each other.
  page = ShowPage(dialog, kFoldersPage);
  Click(page, 10207);
  Click(page, 10206);
  EXPECT_FALSE(Checked(page, 10207));
  EXPECT_EQ(GetSettingText("CompareFull"), "false");
  EXPECT_EQ(GetSettingText("CompareQuick"), "true");

  // Reusing the one text window disables "New Text Window" at once.
  page = ShowPage(dialog, kMiscPage);
  ASSERT_TRUE(window.ToolButtonEnabled(kNewTextWindow));
  Click(page, 10404);
  program_.Settle(window.Handle());
  EXPECT_FALSE(window.ToolButtonEnabled(kNewTextWindow));
  Click(page, 10404);
  program_.Settle(window.Handle());
  EXPECT_TRUE(window.ToolButtonEnabled(kNewTextWindow));
}

TEST_F(Options, AFilterTypedAndEnteredBecomesTheActiveOne) {
  SetSetting("ExcludeFilterHistory.0", std::string("*.obj"));
  SetSetting("ExcludeFilterHistory.count", 1);
  SetSetting("HaveExcludeFilter", std::string("true"));
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  HWND page = ShowPage(dialog, kFoldersPage);
  EXPECT_TRUE(Checked(page, 10212));
  EXPECT_EQ(WindowText(GetDlgItem(page, 10213)), "*.obj");

  HWND include = GetDlgItem(page, 10211);
  HWND field = FindWindowExA(include, nullptr, "Edit", nullptr);
  ASSERT_NE(field, nullptr);
  for (char c : std::string("*.cpp")) PostMessageA(field, WM_CHAR, static_cast<WPARAM>(c), 1);
  program_.Settle(dialog);
  ASSERT_TRUE(WaitFor([&] { return Checked(page, 10210); }));
  EXPECT_FALSE(Checked(page, 10212));
  EXPECT_EQ(WindowText(GetDlgItem(page, 10213)), "");
  EXPECT_EQ(GetSettingText("HaveIncludeFilter"), "true");
  EXPECT_EQ(GetSettingText("HaveExcludeFilter"), "false");

  PostKey(field, VK_RETURN);
  ASSERT_TRUE(WaitFor([] { return GetSettingText("IncludeFilterHistory.0") == "*.cpp"; }))
      << GetSettingText("IncludeFilterHistory.0");
  EXPECT_EQ(WindowText(include), "*.cpp");
  SaveScreenshot(dialog, "options_filters");

  // The page made again shows the active filter from its history.
  ShowPage(dialog, kMiscPage);
  page = ShowPage(dialog, kFoldersPage);
  include = GetDlgItem(page, 10211);
  EXPECT_TRUE(Checked(page, 10210));
  EXPECT_EQ(WindowText(include), "*.cpp");
  EXPECT_EQ(Ask(include, CB_GETCOUNT), 1);

  // Unchecking the include box empties its field.
  Click(page, 10210);
  EXPECT_EQ(WindowText(include), "");
  EXPECT_EQ(GetSettingText("HaveIncludeFilter"), "false");
}

TEST_F(Options, DefaultsRestoresTheSevenColoursOnly) {
  const char* colours[] = {"TextColor",    "ReadOnlyColor", "SameBkColor", "EmptyBkColor",
                           "LeftBkColor",  "RightBkColor",  "ChangeBkColor"};
  const DWORD standard[] = {0x000000, 0x606060, 0xFFFFFF, 0xF4F4F4, 0xC0DCC0, 0xF0CAA6, 0xA6CAF0};
  for (const char* name : colours) SetSetting(name, DWORD{0x123456});
  SetSetting("CustomColor.3", DWORD{0x00ABCDEF});
  // Not in the size list: the first size shows, the stored one stays.
  SetSetting("FontSize", DWORD{100});
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  HWND page = ShowPage(dialog, kDisplayPage);
  EXPECT_EQ(Selected(page, 10301), "4");
  Click(page, 10310);
  for (size_t i = 0; i < 7; ++i) {
    EXPECT_EQ(SettingNumber(colours[i], 1), standard[i]) << colours[i];
  }
  EXPECT_EQ(SettingNumber("CustomColor.3", 0), 0x00ABCDEFu);
  EXPECT_EQ(SettingNumber("FontSize", 0), 100u);
  EXPECT_EQ(GetSettingText("DrawArrows"), "");
}

TEST_F(Options, FontAndTabSizeReachEveryOpenTextWindowAtOnce) {
  // Past the pane's least column range only with wide tabs.
  const std::string text = std::string(400, '\t') + "deep\nplain line\n";
  auto first = LaunchPair(text, text + "more\n");
  ASSERT_TRUE(WaitStatus(first, 3, "Diffs: 1, Lines: 1")) << first.StatusPart(3);
  first.Send(kNewTextWindow);
  ASSERT_TRUE(WaitFor([&] { return program_.Windows("TextWindow").size() == 2; }));
  HWND other = nullptr;
  for (HWND w : program_.Windows("TextWindow")) {
    if (w != first.Handle()) other = w;
  }
  TextWindowProbe second(program_, other);
  second.SetNameText(0, dir_.File("left.txt"));
  second.SetNameText(1, dir_.File("right.txt"));
  second.Send(kRefresh);
  ASSERT_TRUE(WaitStatus(second, 3, "Diffs: 1, Lines: 1")) << second.StatusPart(3);

  const SCROLLINFO before[2] = {first.HorizontalScroll(0), second.HorizontalScroll(0)};
  HWND dialog = Open(first);
  ASSERT_NE(dialog, nullptr);
  HWND page = ShowPage(dialog, kDisplayPage);
  Choose(page, 10301, "36");
  Choose(page, 10302, "16");
  EXPECT_EQ(SettingNumber("FontSize", 0), 36u);
  EXPECT_EQ(SettingNumber("TabStop", 0), 16u);
  const TextWindowProbe* windows[2] = {&first, &second};
  for (int i = 0; i < 2; ++i) {
    program_.Settle(windows[i]->Handle());
    const SCROLLINFO after = windows[i]->HorizontalScroll(0);
    // A larger font shows fewer columns; wider tabs make the tabbed line longer.
    EXPECT_LT(after.nPage, before[i].nPage) << "window " << i;
    EXPECT_GT(after.nMax, before[i].nMax) << "window " << i;
  }
  Ask(GetDlgItem(page, 10300), CB_SHOWDROPDOWN, TRUE);
  if (WaitFor([&] { return !program_.Windows("ComboLBox").empty(); }, 3000)) {
    SaveScreenshot(program_.Windows("ComboLBox").front(), "options_font_list");
  }
  Ask(GetDlgItem(page, 10300), CB_SHOWDROPDOWN, FALSE);
  Shot(first, "options_font_36_first");
  Shot(second, "options_font_36_second");
}

TEST_F(Options, ABlankOptionChangesTheNextComparisonNotTheShownOne) {
  auto window = LaunchPair("a b\nsame\n", "a   b\nsame\n");
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  Click(ShowPage(dialog, kTextPage), 10102);
  program_.Settle(window.Handle());
  EXPECT_EQ(window.StatusPart(3), "Diffs: 1, Lines: 1");
  window.Send(kRefresh);
  EXPECT_TRUE(WaitStatus(window, 3, kNoDifferences)) << window.StatusPart(3);
}

TEST_F(Options, OneDialogThatEscClosesAndThatReopensWhereItWasLeft) {
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  window.Send(kOptionsCommand);
  program_.Settle(dialog);
  EXPECT_EQ(OptionsDialogs().size(), 1u);

  ShowPage(dialog, kDisplayPage);
  SetWindowPos(dialog, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  PostKey(GetDlgItem(dialog, kPageList), VK_ESCAPE);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(GetSettingText("OptionsBox"), "7b,4d");
  EXPECT_EQ(SettingNumber("OptionsPage", 9), 2u);
  EXPECT_TRUE(program_.Running()) << "Esc in the dialog quit the program";
  program_.Kill();

  auto again = Launch(Quote(dir_.File("left.txt")) + " " + Quote(dir_.File("right.txt")));
  ASSERT_TRUE(WaitFor([&] { return again.StatusPart(3) != kNoResult; }));
  dialog = Open(again);
  ASSERT_NE(dialog, nullptr);
  RECT box{};
  GetWindowRect(dialog, &box);
  EXPECT_EQ(box.left, 123);
  EXPECT_EQ(box.top, 77);
  HWND page = Page(dialog);
  ASSERT_NE(page, nullptr);
  EXPECT_NE(GetDlgItem(page, 10300), nullptr) << "not the Display page";
  EXPECT_EQ(Ask(GetDlgItem(dialog, kPageList), LB_GETCURSEL), 2);
}

TEST_F(Options, AChosenColourIsStoredAndACancelledOneIsNot) {
  auto window = LaunchPair("a\n", "b\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  HWND page = ShowPage(dialog, kDisplayPage);
  HWND same = GetDlgItem(page, 10305);

  PostMessageA(same, BM_CLICK, 0, 0);
  HWND chooser = program_.WaitDialog("Color");
  ASSERT_NE(chooser, nullptr);
  RECT box{};
  GetWindowRect(chooser, &box);
  EXPECT_NEAR((box.left + box.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR((box.top + box.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
  PostMessageA(GetDlgItem(chooser, IDCANCEL), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(chooser); }));
  EXPECT_FALSE(HasSetting("SameBkColor"));

  PostMessageA(same, BM_CLICK, 0, 0);
  chooser = program_.WaitDialog("Color");
  ASSERT_NE(chooser, nullptr);
  // The chooser's red field (706): white with its red part at 0x12.
  Ask(GetDlgItem(chooser, 706), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("18"));
  PostMessageA(GetDlgItem(chooser, IDOK), BM_CLICK, 0, 0);
  // The value is written after the chooser's window has gone.
  EXPECT_TRUE(WaitFor([] { return SettingNumber("SameBkColor", 1) == 0xFFFF12u; }))
      << std::hex << SettingNumber("SameBkColor", 1);
  program_.Settle(dialog);
  SaveScreenshot(dialog, "options_colour_chosen");
}

TEST_F(Options, AStoredPlaceOffEveryScreenIsNotUsed) {
  // -5000, -5000 as the dialog writes it, and a page past the last.
  SetSetting("OptionsBox", std::string("ffffec78,ffffec78"));
  SetSetting("OptionsPage", DWORD{7});
  auto window = LaunchPair("a\n", "a\n");
  HWND dialog = Open(window);
  ASSERT_NE(dialog, nullptr);
  RECT box{};
  GetWindowRect(dialog, &box);
  EXPECT_NEAR((box.left + box.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
  EXPECT_NEAR((box.top + box.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
  // No page selected: the first is shown.
  EXPECT_EQ(Ask(GetDlgItem(dialog, kPageList), LB_GETCURSEL), LB_ERR);
  HWND page = Page(dialog);
  ASSERT_NE(page, nullptr);
  EXPECT_NE(GetDlgItem(page, 10100), nullptr);

  // Leaving the program with the dialog open stores where it was.
  window.Post(kExit);
  ASSERT_TRUE(program_.WaitExit());
  char expected[32];
  snprintf(expected, sizeof expected, "%lx,%lx", static_cast<unsigned long>(box.left),
           static_cast<unsigned long>(box.top));
  EXPECT_EQ(GetSettingText("OptionsBox"), expected);
}

}  // namespace
}  // namespace qm::e2e
