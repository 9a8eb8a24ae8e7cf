// HistoryCombo in a real parent window: completion as the user types (keys
// sent to the edit field as the message loop would deliver them), Enter and
// the open list, drops from the shell (a DROPFILES block as the shell hands
// it over), the size of the open list, and the end of the subclassing.
#include "app/history_combo.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/history_list.h"
#include "app/quick_bar.h"
#include "tests/win/app_fake_window.h"
#include "tests/win/test_shortcut.h"

namespace qm {

std::unique_ptr<ComparisonWindow> NewTextWindow() { return std::make_unique<test::FakeWindow>(); }

namespace {

constexpr UINT kId = 4711;

// Codes of the WM_COMMAND messages the parent received for kId, and the
// box that gets the parent's WM_COMMAND.
std::vector<WORD> received;
HistoryCombo* routed = nullptr;

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND && LOWORD(wParam) == kId) {
    if (routed) routed->OnParentCommand(wParam);
    received.push_back(HIWORD(wParam));
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// Only the codes of the wrapper (200 to 202), after the posted ones came in.
std::vector<WORD> Posted() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  std::vector<WORD> codes;
  for (WORD code : received)
    if (code >= HistoryCombo::kEnter && code <= HistoryCombo::kDropped) codes.push_back(code);
  received.clear();
  return codes;
}

using Codes = std::vector<WORD>;

class HistoryComboTest : public ::testing::Test {
protected:
  void SetUp() override {
    CoInitialize(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QmComboHost";
    RegisterClassA(&wc);
    parent_ = CreateWindowExA(0, "QmComboHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40,
                              500, 200, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(nullptr, parent_);
    received.clear();
  }
  void TearDown() override {
    routed = nullptr;
    if (parent_) DestroyWindow(parent_);
    CoUninitialize();
  }

  // A box of the flags in the host, bound to history, routed its commands.
  void Make(unsigned flags, HistoryList* history) {
    ASSERT_TRUE(box_.Create(parent_, kId, history, nullptr, flags));
    box_.Move(10, 10, 300);
    routed = &box_;
    Posted();
  }
  HWND Edit() const { return GetWindow(box_.hwnd(), GW_CHILD); }

  // Key down and, for a character key, the character, as TranslateMessage
  // would have made it.
  void Press(UINT key, char ch = 0) {
    SendMessageA(Edit(), WM_KEYDOWN, key, 1);
    if (ch) SendMessageA(Edit(), WM_CHAR, static_cast<unsigned char>(ch), 1);
    SendMessageA(Edit(), WM_KEYUP, key, 0xC0000001);
  }
  void Type(const std::string& text) {
    for (char ch : text) Press(LOBYTE(VkKeyScanA(ch)), ch);
  }
  std::pair<DWORD, DWORD> Selection() const {
    DWORD start = 0, end = 0;
    SendMessageW(Edit(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }
  using Sel = std::pair<DWORD, DWORD>;

  HWND parent_ = nullptr;
  // The histories outlive the box, as those of Settings outlive every window.
  HistoryList list_{"LeftFileHistory"};
  HistoryList many_{"LeftFileHistory"};
  HistoryCombo box_;
};

// Entries added oldest first, without a limit.
void Fill(HistoryList& list, std::initializer_list<const char*> newestLast) {
  list.SetMaximum(0);
  for (const char* text : newestLast) list.Add(text);
}

TEST_F(HistoryComboTest, TypingCompletesWithTheTailSelectedAndDeletingDoesNot) {
  list_.Add("c:\\proj");
  list_.Add("c:\\program files\\x");
  Make(HistoryCombo::kAcceptFile, &list_);
  box_.SetText("");

  Type("c:\\pr");
  EXPECT_EQ("c:\\proj", box_.Text()) << "the shortest entry that begins with the text";
  EXPECT_EQ(Sel(5, 7), Selection()) << "the completed tail is selected";

  Press(VK_BACK, '\b');
  EXPECT_EQ("c:\\pr", box_.Text()) << "Backspace takes the tail away and does not complete";
  EXPECT_EQ(Sel(5, 5), Selection());
  Press(VK_BACK, '\b');
  EXPECT_EQ("c:\\p", box_.Text());

  Type("rog");
  EXPECT_EQ("c:\\program files\\x", box_.Text()) << "typing again completes again";
  EXPECT_EQ(Sel(7, 18), Selection());
  Type("ram files\\x");
  EXPECT_EQ("c:\\program files\\x", box_.Text()) << "typing over the selection, to the end";
  EXPECT_EQ(Sel(18, 18), Selection());

  // Delete on the completed tail, and Ctrl+X on it: neither completes.
  for (bool cut : {false, true}) {
    box_.SetText("c:\\proj");
    SendMessageW(Edit(), EM_SETSEL, 5, 7);
    if (cut) {
      Press('X', 0x18);
    } else {
      Press(VK_DELETE);
    }
    EXPECT_EQ("c:\\pr", box_.Text()) << (cut ? "cut" : "Delete");
  }
  EXPECT_TRUE(Posted().empty());
}

TEST_F(HistoryComboTest, TypingInsideTheTextKeepsTheUsersSelection) {
  Fill(list_, {"c:\\projects\\a.txt", "d:\\other"});
  Make(HistoryCombo::kAcceptFile, &list_);
  box_.SetText("c:\\poj");
  SendMessageW(Edit(), EM_SETSEL, 4, 4);
  Type("r");
  EXPECT_EQ("c:\\projects\\a.txt", box_.Text());
  EXPECT_EQ(Sel(5, 5), Selection()) << "the caret stays after the typed character";
}

TEST_F(HistoryComboTest, EnterTellsTheParentOnlyWhileTheListIsClosed) {
  Fill(list_, {"c:\\one", "c:\\two"});
  Make(HistoryCombo::kAcceptFile, &list_);
  Press(VK_RETURN, '\r');
  EXPECT_EQ(Codes{HistoryCombo::kEnter}, Posted());

  // Open the list, move to an entry and choose it with Enter.
  SendMessageA(box_.hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  ASSERT_TRUE(box_.IsDropped());
  EXPECT_TRUE(HistoryCombo::AnyListOpen());
  SendMessageA(box_.hwnd(), CB_SETCURSEL, 1, 0);
  Press(VK_RETURN, '\r');
  EXPECT_FALSE(box_.IsDropped());
  EXPECT_FALSE(HistoryCombo::AnyListOpen());
  EXPECT_EQ(Codes{HistoryCombo::kPicked}, Posted());

  // Closed without a choice: nothing.
  SendMessageA(box_.hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  SendMessageA(box_.hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  EXPECT_FALSE(HistoryCombo::AnyListOpen());
  EXPECT_TRUE(Posted().empty());
}

// A DROPFILES block with the paths, as the shell hands it to WM_DROPFILES.
HGLOBAL DropBlock(const std::vector<std::string>& paths) {
  std::string list;
  for (const std::string& path : paths) list += path + '\0';
  list += '\0';
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + list.size());
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = FALSE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
  GlobalUnlock(block);
  return block;
}

std::string Lower(std::string text) {
  CharLowerA(&text[0]);
  return text;
}

TEST_F(HistoryComboTest, DropsAreTakenByKindWithShortcutsResolved) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "qm_combo_drop";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string file = dir + "\\target.txt";
  const std::string link = dir + "\\target.lnk";
  const std::string folderLink = dir + "\\folder.lnk";
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(handle, "x\n", 2, &written, nullptr);
  CloseHandle(handle);
  ASSERT_TRUE(test::MakeShortcut(link, file));
  ASSERT_TRUE(test::MakeShortcut(folderLink, dir));

  const std::string before = "c:\\before";
  const struct {
    unsigned flags;
    std::vector<std::string> dropped;
    std::string taken;  // empty: ignored
  } rows[] = {
      {HistoryCombo::kAcceptFile, {file}, file},
      {HistoryCombo::kAcceptFile, {link, dir}, file},  // the first item, resolved
      {HistoryCombo::kAcceptFile, {dir, file}, ""},    // a folder on a file field
      {HistoryCombo::kAcceptFile, {folderLink}, ""},   // a shortcut to a folder
      {HistoryCombo::kAcceptFile, {dir + "\\missing.txt"}, ""},
      {HistoryCombo::kAcceptFolder, {dir}, dir},
      {HistoryCombo::kAcceptFolder, {folderLink}, dir},
      {HistoryCombo::kAcceptFolder, {file}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.dropped[0] + " flags " + std::to_string(row.flags));
    HistoryCombo box;
    ASSERT_TRUE(box.Create(parent_, kId, nullptr, nullptr, row.flags));
    routed = &box;
    box.SetText(before);
    SetFocus(parent_);
    Posted();
    SendMessageA(box.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(row.dropped)), 0);
    if (row.taken.empty()) {
      EXPECT_EQ(before, box.Text());
      EXPECT_TRUE(Posted().empty());
    } else {
      EXPECT_EQ(Lower(row.taken), Lower(box.Text()));
      EXPECT_EQ(Codes{HistoryCombo::kDropped}, Posted());
      EXPECT_TRUE(box.Owns(GetFocus())) << "the box takes the focus";
      HWND edit = GetWindow(box.hwnd(), GW_CHILD);
      DWORD start = 0, end = 0;
      SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      const DWORD length = static_cast<DWORD>(GetWindowTextLengthW(edit));
      EXPECT_EQ(Sel(length, length), Sel(start, end)) << "the caret at the end";
    }
    routed = nullptr;
    DestroyWindow(box.hwnd());
  }
  DeleteFileA(link.c_str());
  DeleteFileA(folderLink.c_str());
  DeleteFileA(file.c_str());
  RemoveDirectoryA(dir.c_str());
}

// The width of the open list for entries, with the box placed at (x, y) of
// the screen.
int DroppedWidth(HWND parent, HistoryCombo& box, int x, int y) {
  SetWindowPos(parent, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(box.hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  const int width = static_cast<int>(SendMessageA(box.hwnd(), CB_GETDROPPEDWIDTH, 0, 0));
  SendMessageA(box.hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  return width;
}

TEST_F(HistoryComboTest, OpenListFitsTheWidestEntryAndTheScreen) {
  // Entries of one width: a number of four digits, then the same text.
  const std::string wide(60, 'W');
  const std::string widest = "1000" + wide;
  HistoryList& few = list_;
  Fill(few, {"a", widest.c_str(), "b"});
  Make(HistoryCombo::kAcceptFile, &few);
  box_.Move(0, 0, 60);

  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int fits = DroppedWidth(parent_, box_, 0, 0);
  EXPECT_GT(fits, 60) << "wider than the box: the widest entry shows whole";

  // As many entries of the same widest text as cannot fit beside the box:
  // the list gets a scroll bar and grows by its width.
  HistoryList& many = many_;
  many.SetMaximum(0);
  for (int i = 0; i < 200; ++i) many.Add(std::to_string(1000 + i) + wide);
  box_.AttachHistory(&many);
  const int scrolled = DroppedWidth(parent_, box_, 0, screenHeight - 120);
  EXPECT_EQ(fits + GetSystemMetrics(SM_CXVSCROLL), scrolled);

  // Near the right edge the list stops at the screen's edge.
  RECT box;
  const int nearEdge = DroppedWidth(parent_, box_, screenWidth - 200, 0);
  GetWindowRect(box_.hwnd(), &box);
  EXPECT_LE(nearEdge, std::max<int>(screenWidth - box.left, box.right - box.left));

  // The open list shows every entry when they fit the screen.
  box_.AttachHistory(&few);
  SetWindowPos(parent_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(box_.hwnd(), CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(GetComboBoxInfo(box_.hwnd(), &info));
  RECT list;
  GetClientRect(info.hwndList, &list);
  const int itemHeight = static_cast<int>(SendMessageA(box_.hwnd(), CB_GETITEMHEIGHT, 0, 0));
  EXPECT_GE(list.bottom, 3 * itemHeight);
  SendMessageA(box_.hwnd(), CB_SHOWDROPDOWN, FALSE, 0);
  box_.AttachHistory(nullptr);
}

TEST_F(HistoryComboTest, EitherMayGoFirstWindowOrWrapper) {
  Fill(list_, {"c:\\one"});
  HWND combo = nullptr;
  {
    HistoryCombo box;
    ASSERT_TRUE(box.Create(parent_, kId, &list_, nullptr, HistoryCombo::kAcceptFile));
    combo = box.hwnd();
  }
  // The window outlived its wrapper: it works as a plain combo box, and the
  // history no longer refreshes it.
  HWND edit = GetWindow(combo, GW_CHILD);
  SendMessageA(edit, WM_CHAR, 'c', 1);
  SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
  list_.Add("c:\\two");
  EXPECT_EQ(1, SendMessageA(combo, CB_GETCOUNT, 0, 0));
  EXPECT_TRUE(Posted().empty());
  DestroyWindow(combo);

  HistoryCombo box;
  ASSERT_TRUE(box.Create(parent_, kId, &list_, nullptr, HistoryCombo::kAcceptFile));
  DestroyWindow(box.hwnd());
  EXPECT_EQ(nullptr, box.hwnd());
  list_.Add("c:\\three");  // would refresh a destroyed window
  EXPECT_EQ("", box.Text());
}

// The bar of a folder window: its own label and history, and a chosen pair
// goes to the owner's two fields with the comparison started.
TEST_F(HistoryComboTest, FolderQuickBarOpensTheChosenPairInItsOwner) {
  test::FakeWindow owner;
  owner.kind_ = WindowKind::Folder;
  ASSERT_TRUE(owner.CreateFrame());
  Settings.RecentFolderHistory.Clear();
  Settings.RecentFolderHistory.Add(RecentComparison{"c:\\old1", "c:\\new1"});
  {
    qm::QuickBar bar;
    ASSERT_TRUE(bar.Create(owner.hwnd(), &owner, true));
    bar.SetWidth(400);
    char label[64] = "";
    GetWindowTextA(bar.Label(), label, sizeof label);
    EXPECT_STREQ("Recent:", label);
    RECT barRect, comboRect;
    GetWindowRect(bar.hwnd(), &barRect);
    GetWindowRect(bar.Combo().hwnd(), &comboRect);
    EXPECT_EQ(comboRect.bottom - comboRect.top + 4, barRect.bottom - barRect.top);
    EXPECT_EQ(barRect.right - 8, comboRect.right);

    bar.AddRecentComparison("c:\\old2", "c:\\new2");
    EXPECT_EQ(0, bar.Combo().Selection());
    bar.Combo().Select(1);
    SetFocus(bar.hwnd());
    EXPECT_EQ(bar.Combo().hwnd(), GetFocus()) << "the bar hands the focus to its list";
    SendMessageA(bar.Combo().hwnd(), WM_KEYDOWN, VK_RETURN, 1);
    Posted();
    EXPECT_EQ("c:\\old1", owner.names[0]);
    EXPECT_EQ("c:\\new1", owner.names[1]);
    EXPECT_EQ(1, owner.compares);
  }
  Settings.RecentFolderHistory.Clear();
  DestroyWindow(owner.hwnd());
}

}  // namespace
}  // namespace qm
