// A real compare window in this process: created as the window manager
// creates it, filled and refreshed, with its message boxes answered by a
// watcher thread. Covers what cannot yet be driven from outside (a modified
// side, asked about on Close and Refresh) and the window's own texts.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <deque>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include "app/settings.h"
#include "app/window_manager.h"
#include "resources/resource.h"
#include "textwin/text_window.h"
#include "tests/win/test_shortcut.h"
#include "tests/win/text_window_harness.h"

namespace qm {
namespace {

// Answers the message boxes of this process in order and keeps their texts.
class BoxAnswerer {
public:
  explicit BoxAnswerer(std::vector<int> answers) : answers_(answers.begin(), answers.end()) {
    thread_ = std::thread([this] { Run(); });
  }
  ~BoxAnswerer() {
    stop_ = true;
    thread_.join();
  }
  std::vector<std::string> Texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }

private:
  static BOOL CALLBACK Find(HWND window, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (pid == GetCurrentProcessId() && std::string(cls) == "#32770" && IsWindowVisible(window) &&
        GetDlgItem(window, 0xFFFF)) {
      *reinterpret_cast<HWND*>(param) = window;
      return FALSE;
    }
    return TRUE;
  }
  void Run() {
    while (!stop_) {
      HWND box = nullptr;
      EnumWindows(Find, reinterpret_cast<LPARAM>(&box));
      if (box && box != last_) {
        last_ = box;
        char text[1024] = "";
        GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
        std::string plain;  // Wine keeps the line breaks as CR LF
        for (const char* p = text; *p; ++p)
          if (!(p[0] == '\r' && p[1] == '\n')) plain += *p;
        int answer = IDOK;
        {
          std::lock_guard<std::mutex> lock(mutex_);
          texts_.push_back(plain);
          if (!answers_.empty()) {
            answer = answers_.front();
            answers_.pop_front();
          }
        }
        PostMessageA(GetDlgItem(box, answer), BM_CLICK, 0, 0);
      }
      Sleep(20);
    }
  }

  std::deque<int> answers_;
  std::vector<std::string> texts_;
  std::mutex mutex_;
  std::atomic<bool> stop_{false};
  HWND last_ = nullptr;
  std::thread thread_;
};

const std::string kLeft = "zero\none\ntwo\nthree\n";
const std::string kRight = "one\r\ntwo\r\nthree\r\nfour\r\n";

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class TextWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\Ambervale\\Quillmere\\Settings");
    Settings.AskConfirmation = true;
    Settings.IdenticalMessage = false;
    Settings.CommandLineCompare = false;
    // Two one-sided differences: "zero" on the left, "four" on the right.
    left_ = TempFile("left.txt", kLeft);
    right_ = TempFile("right.txt", kRight);
    ComparisonWindow* created = CreateTextWindow();
    ASSERT_NE(created, nullptr);
    window_ = static_cast<TextWindow*>(created);
  }
  void TearDown() override {
    CloseTextWindow(window_);
    DeleteFileA(left_.c_str());
    DeleteFileA(right_.c_str());
  }

  void Compare() {
    window_->SetNames(left_, right_, true);
    Pump();
  }

  // Stands for an edit of the pane: the document changes and the history
  // marks the side, as the pane's edit primitives will.
  void Edit(int side) {
    CompareState& state = window_->Pane().State();
    state.side[side].doc.Insert(0, "new ", 4);
    state.list->ShiftOffsets(side, 1, 4);
    window_->History().MarkEdited(side);
    static_cast<TextViewHost&>(*window_).OnContentChanged();
  }

  std::string Title() const {
    char text[512] = "";
    GetWindowTextA(window_->hwnd(), text, sizeof text);
    return text;
  }

  std::string left_, right_;
  TextWindow* window_ = nullptr;
};

TEST_F(TextWindowTest, ANewWindowShowsNoFileAndComparesNothing) {
  EXPECT_EQ(Title(), "Quillmere - [<no file>, <no file>]");
  EXPECT_EQ(window_->StatusText(0), "Press F1 for help");
  for (int part = 1; part < 4; ++part)
    EXPECT_EQ(window_->StatusText(part), "") << "no result before a comparison, part " << part;
  EXPECT_TRUE(window_->idle());
}

TEST_F(TextWindowTest, RefreshComparesAndReportsInTitleAndStatus) {
  Compare();
  EXPECT_EQ(window_->LastResult().code, CompareCode::Ok);
  EXPECT_EQ(Title(), "Quillmere - [qm-textwindow-left.txt, qm-textwindow-right.txt]");
  EXPECT_EQ(window_->StatusText(2), "UNIX ANSI, DOS ANSI");
  EXPECT_EQ(window_->StatusText(3), "Diffs: 2, Lines: 2");
  EXPECT_TRUE(window_->NamesUnchanged());
  EXPECT_FALSE(window_->idle());
  EXPECT_EQ(Settings.LeftFileHistory.FirstText(), left_);
  EXPECT_EQ(Settings.RecentFileHistory.Pair(0).right, right_);
  EXPECT_EQ(window_->SidePathOf(0), left_);
}

TEST_F(TextWindowTest, TheStatusBarNamesEachSidesEncodingAfterItsLineEndings) {
  Compare();
  window_->Pane().State().side[0].encoding = TextEncoding::Utf8;
  window_->Pane().State().side[1].encoding = TextEncoding::Utf16Be;
  EXPECT_EQ(window_->StatusText(2), "UNIX UTF-8, DOS UTF-16 BE");
  window_->Pane().SwapSides();
  EXPECT_EQ(window_->StatusText(2), "DOS UTF-16 BE, UNIX UTF-8") << "the labels follow the sides";
  // The longest pair of labels fits its part.
  HWND bar = FindWindowExA(window_->hwnd(), nullptr, STATUSCLASSNAMEA, nullptr);
  ASSERT_TRUE(bar);
  RECT part{};
  SendMessageA(bar, SB_GETRECT, 2, reinterpret_cast<LPARAM>(&part));
  HDC dc = GetDC(bar);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(bar, WM_GETFONT, 0, 0)));
  const std::string longest = "DOS UTF-16 BE, UNIX UTF-8 BOM";
  SIZE size{};
  GetTextExtentPoint32A(dc, longest.c_str(), static_cast<int>(longest.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(bar, dc);
  EXPECT_LT(size.cx + 8, part.right - part.left);
}

TEST_F(TextWindowTest, TheLayoutFollowsTheWindowSize) {
  MoveWindow(window_->hwnd(), 0, 0, 700, 500, TRUE);
  RECT client;
  GetClientRect(window_->hwnd(), &client);
  const PaneLayoutResult& layout = window_->Layout();
  RECT pane;
  GetWindowRect(window_->Pane().hwnd(), &pane);
  MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&pane), 2);
  EXPECT_EQ(pane.left, 0);
  EXPECT_EQ(pane.top, layout.paneTop);
  EXPECT_EQ(pane.right - pane.left, layout.paneWidth);
  const int bars = layout.summary.w > 0 ? 2 : 1;
  EXPECT_EQ(layout.paneWidth, client.right - bars * GetSystemMetrics(SM_CXVSCROLL));
  RECT box;
  GetWindowRect(window_->NameBox(1), &box);
  MapWindowPoints(nullptr, window_->hwnd(), reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, layout.side[1].nameBox.x);
  EXPECT_EQ(box.right - box.left, layout.side[1].nameBox.w);
}

// The name box's edit field: its first visible character, and whether its
// last character lies inside the field.
int FirstVisibleChar(HWND box) {
  return static_cast<int>(SendMessageA(GetWindow(box, GW_CHILD), EM_GETFIRSTVISIBLELINE, 0, 0));
}
bool LastCharVisible(HWND box) {
  HWND edit = GetWindow(box, GW_CHILD);
  const int length = GetWindowTextLengthA(edit);
  const LRESULT position = SendMessageA(edit, EM_POSFROMCHAR, length - 1, 0);
  const int x = static_cast<short>(LOWORD(position));
  RECT client;
  GetClientRect(edit, &client);
  return x >= 0 && x < client.right;
}

TEST_F(TextWindowTest, NameBoxesShowTheWholePathWhenItFitsElseItsFileName) {
  const std::string fits = "C:\\projects\\quillmere\\left.txt";
  std::string tooLong = "C:\\";
  for (int i = 0; i < 20; ++i) tooLong += "folder" + std::to_string(i) + "\\";
  tooLong += "right.txt";
  // Each path in each box; the left box holds the focus.
  for (int fitting = 0; fitting < 2; ++fitting) {
    SCOPED_TRACE(fitting == 0 ? "fitting path on the left" : "fitting path on the right");
    // Narrow, as a cascaded or tiled window may be: both paths show their end.
    MoveWindow(window_->hwnd(), 0, 0, 320, 400, TRUE);
    window_->SetNames(fitting == 0 ? fits : tooLong, fitting == 0 ? tooLong : fits, false);
    for (int side = 0; side < 2; ++side) {
      EXPECT_GT(FirstVisibleChar(window_->NameBox(side)), 0) << "side " << side;
      EXPECT_TRUE(LastCharVisible(window_->NameBox(side))) << "side " << side;
    }
    // Wide again, as restored: the path that fits shows from its drive, the
    // other still shows its file name.
    MoveWindow(window_->hwnd(), 0, 0, 1100, 600, TRUE);
    EXPECT_EQ(FirstVisibleChar(window_->NameBox(fitting)), 0);
    EXPECT_GT(FirstVisibleChar(window_->NameBox(1 - fitting)), 0);
    EXPECT_TRUE(LastCharVisible(window_->NameBox(1 - fitting)));
  }

  // A new window starts from the persisted names: boxes made narrow and
  // widened by the first layout, the left one holding the focus.
  WriteFieldText("LeftFile", fits);
  WriteFieldText("RightFile", fits);
  ComparisonWindow* second = CreateTextWindow();
  ASSERT_NE(second, nullptr);
  auto* fresh = static_cast<TextWindow*>(second);
  for (int side = 0; side < 2; ++side)
    EXPECT_EQ(FirstVisibleChar(fresh->NameBox(side)), 0) << "new window, side " << side;
  SendMessageA(fresh->hwnd(), WM_CLOSE, 0, 0);
}

TEST_F(TextWindowTest, ModifiedSideGetsAnAsteriskAndSurvivesSwitchSides) {
  Compare();
  Edit(0);
  EXPECT_EQ(Title(), "Quillmere - [qm-textwindow-left.txt*, qm-textwindow-right.txt]");
  window_->SwitchSides();
  EXPECT_EQ(Title(), "Quillmere - [qm-textwindow-right.txt, qm-textwindow-left.txt*]");
  EXPECT_EQ(window_->StatusText(2), "DOS ANSI, UNIX ANSI");
  EXPECT_EQ(window_->SidePathOf(1), left_);
}

TEST_F(TextWindowTest, AskToSaveCancelStopsAtTheFirstSide) {
  Compare();
  Edit(0);
  Edit(1);
  BoxAnswerer answers({IDCANCEL});
  EXPECT_FALSE(window_->AskToSave());
  Sleep(100);
  auto texts = answers.Texts();
  ASSERT_EQ(texts.size(), 1u) << "nothing may be asked about the right side";
  EXPECT_EQ(texts[0], "Save changes to " + left_ + "?");
  EXPECT_EQ(ReadBytes(left_), kLeft);
}

TEST_F(TextWindowTest, AskToSaveNoKeepsTheFilesYesWritesThemInTheirFormat) {
  Compare();
  Edit(0);
  Edit(1);
  {
    BoxAnswerer answers({IDNO, IDNO});
    EXPECT_TRUE(window_->AskToSave());
    EXPECT_EQ(answers.Texts().size(), 2u);
  }
  EXPECT_EQ(ReadBytes(left_), kLeft);
  {
    BoxAnswerer answers({IDYES, IDYES});
    EXPECT_TRUE(window_->AskToSave());
  }
  EXPECT_EQ(ReadBytes(left_), "new " + kLeft);
  EXPECT_EQ(ReadBytes(right_), "new " + kRight);
  EXPECT_FALSE(window_->History().AnyModified());
  EXPECT_EQ(Title(), "Quillmere - [qm-textwindow-left.txt, qm-textwindow-right.txt]");
}

TEST_F(TextWindowTest, AskingIsOffWithoutConfirmation) {
  Compare();
  Edit(0);
  Settings.AskConfirmation = false;
  BoxAnswerer answers({});
  EXPECT_TRUE(window_->AskToSave());
  Sleep(100);
  EXPECT_TRUE(answers.Texts().empty());
  Settings.AskConfirmation = true;
}

TEST_F(TextWindowTest, RefreshOfAModifiedWindowAsksFirstAndCancelKeepsTheEdit) {
  Compare();
  Edit(0);
  BoxAnswerer answers({IDCANCEL});
  window_->Refresh();
  EXPECT_TRUE(window_->History().IsModified(0)) << "Cancel keeps the window as it was";
  EXPECT_EQ(Title(), "Quillmere - [qm-textwindow-left.txt*, qm-textwindow-right.txt]");
}

TEST_F(TextWindowTest, CloseOfAModifiedWindowWithCancelKeepsIt) {
  Compare();
  Edit(1);
  HWND hwnd = window_->hwnd();
  {
    BoxAnswerer answers({IDCANCEL});
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(answers.Texts().size(), 1u);
  }
  EXPECT_TRUE(IsWindow(hwnd));
  {
    BoxAnswerer answers({IDNO});
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
  }
  EXPECT_FALSE(IsWindow(hwnd));
  window_ = nullptr;
  EXPECT_EQ(ReadBytes(right_), kRight);
}

TEST_F(TextWindowTest, AFailedSaveKeepsTheSideModifiedAndTheFileWhole) {
  Compare();
  Edit(0);
  SetFileAttributesA(left_.c_str(), FILE_ATTRIBUTE_READONLY);
  {
    BoxAnswerer answers({IDOK});
    EXPECT_FALSE(window_->SaveSide(0));
    auto texts = answers.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("Could not save the file.\n\nReason: ", 0), 0u) << texts[0];
  }
  SetFileAttributesA(left_.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(window_->History().IsModified(0));
  EXPECT_EQ(ReadBytes(left_), kLeft);
}

TEST_F(TextWindowTest, SavingOverSomeoneElsesChangeAsksFirst) {
  Compare();
  Edit(0);
  // Written behind the window's back since it was loaded.
  const std::string theirs = "their text, written while the window was open\r\n";
  { std::ofstream(left_, std::ios::binary) << theirs; }
  {
    BoxAnswerer answers({IDNO});
    EXPECT_FALSE(window_->SaveSide(0));
    auto texts = answers.Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("changed on disk since it was loaded"), std::string::npos) << texts[0];
  }
  EXPECT_EQ(ReadBytes(left_), theirs) << "No keeps their change";
  EXPECT_TRUE(window_->History().IsModified(0));
  {
    BoxAnswerer answers({IDYES});
    EXPECT_TRUE(window_->SaveSide(0));
    EXPECT_EQ(answers.Texts().size(), 1u);
  }
  EXPECT_EQ(ReadBytes(left_).rfind("new ", 0), 0u) << "Yes writes the side";
  // Saved again with nobody else writing: no question.
  Edit(0);
  {
    BoxAnswerer answers({});
    EXPECT_TRUE(window_->SaveSide(0));
    Sleep(100);
    EXPECT_TRUE(answers.Texts().empty());
  }
}

TEST_F(TextWindowTest, SavingASideComparedThroughAShortcutWritesItsTarget) {
  const std::string link = left_ + ".lnk";
  ASSERT_TRUE(test::MakeShortcut(link, left_));
  const std::string linkBytes = ReadBytes(link);
  window_->SetNames(link, right_, true);
  Pump();
  ASSERT_EQ(window_->LastResult().code, CompareCode::Ok);
  Edit(0);
  EXPECT_TRUE(window_->SaveSide(0));
  EXPECT_EQ(ReadBytes(link), linkBytes) << "the shortcut itself is left alone";
  EXPECT_EQ(ReadBytes(left_).rfind("new ", 0), 0u) << "the file it points to takes the text";
  DeleteFileA(link.c_str());
}

TEST_F(TextWindowTest, FailedRefreshForgetsTheSidePaths) {
  Compare();
  window_->SetNames(left_ + ".missing", right_, false);
  BoxAnswerer answers({IDOK});
  window_->Refresh();
  Sleep(100);
  auto texts = answers.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("Cannot load left file.\n\nReason: ", 0), 0u);
  EXPECT_EQ(window_->LastResult().code, CompareCode::LeftLoadFailed);
  EXPECT_EQ(window_->SidePathOf(0), left_ + ".missing") << "the box text stands in";
  EXPECT_EQ(window_->StatusText(3), "") << "no result after a failure";
  EXPECT_FALSE(window_->History().AnyModified());
}

// Menus cannot be read from another process under Wine: their states are
// checked here, as the window prepares each popup when it opens.
TEST_F(TextWindowTest, MenuItemsFollowTheComparison) {
  HWND hwnd = window_->hwnd();
  auto state = [hwnd](int position, UINT command) {
    HMENU popup = GetSubMenu(GetMenu(hwnd), position);
    SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(position, 0));
    return GetMenuState(popup, command, MF_BYCOMMAND);
  };
  EXPECT_TRUE(state(2, ID_VIEW_NEXT_DIFF) & MF_GRAYED) << "no comparison yet";
  EXPECT_TRUE(state(2, ID_VIEW_PREV_DIFF) & MF_GRAYED);
  EXPECT_TRUE(state(0, ID_SIDE_SAVE_ALL) & MF_GRAYED);
  Compare();
  EXPECT_FALSE(state(2, ID_VIEW_NEXT_DIFF) & MF_GRAYED);
  EXPECT_FALSE(state(2, ID_VIEW_PREV_DIFF) & MF_GRAYED);
  EXPECT_TRUE(state(2, ID_VIEW_SYNC_SCROLL) & MF_CHECKED);
  EXPECT_TRUE(state(1, ID_EDIT_UNDO) & MF_GRAYED) << "nothing to undo after a comparison";
  EXPECT_FALSE(state(1, ID_EDIT_FIND_NEXT) & MF_GRAYED);
  Edit(1);
  EXPECT_FALSE(state(0, ID_SIDE_SAVE_ALL) & MF_GRAYED);
  SendMessageA(hwnd, WM_COMMAND, ID_VIEW_SYNC_SCROLL, 0);
  EXPECT_FALSE(state(2, ID_VIEW_SYNC_SCROLL) & MF_CHECKED);
  SendMessageA(hwnd, WM_COMMAND, ID_VIEW_SYNC_SCROLL, 0);
}

// Menus and the tool bar show what the command-state table says, in every
// state the window passes through: nothing keeps a list of its own.
TEST_F(TextWindowTest, MenusAndToolBarAgreeWithTheCommandTable) {
  HWND hwnd = window_->hwnd();
  HWND toolBar = GetDlgItem(hwnd, IDC_TOOLBAR);
  auto check = [&](const char* when) {
    HMENU bar = GetMenu(hwnd);
    for (int position = 0; position < GetMenuItemCount(bar); ++position) {
      HMENU popup = GetSubMenu(bar, position);
      SendMessageA(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                   MAKELPARAM(position, 0));
      for (int i = 0; i < GetMenuItemCount(popup); ++i) {
        const UINT id = GetMenuItemID(popup, i);
        if (id == 0 || id == static_cast<UINT>(-1) || id >= ID_WINDOW_FOLDER_FIRST) continue;
        const CommandState want = window_->CommandStateOf(id);
        const UINT got = GetMenuState(popup, i, MF_BYPOSITION);
        EXPECT_EQ((got & MF_GRAYED) == 0, want.enabled) << when << ": menu item " << id;
        if (want.checkable) {
          EXPECT_EQ((got & MF_CHECKED) != 0, want.checked) << when << ": " << id;
        }
      }
    }
    for (UINT id : kToolBarCommands) {
      if (!id) continue;
      EXPECT_EQ(SendMessageA(toolBar, TB_ISBUTTONENABLED, id, 0) != 0,
                window_->CommandStateOf(id).enabled)
          << when << ": button " << id;
    }
  };
  check("nothing loaded");
  EXPECT_FALSE(window_->CommandStateOf(ID_SIDE_SAVE_AS).enabled) << "nothing to write";
  Compare();
  check("compared");
  Edit(0);
  check("left side edited");
  SendMessageA(hwnd, WM_COMMAND, ID_VIEW_LINES_REAL, 0);
  check("real line numbers");
  SendMessageA(hwnd, WM_COMMAND, ID_VIEW_LINES_NONE, 0);
}

TEST_F(TextWindowTest, TooltipsAreTheTextAfterTheLineFeed) {
  auto tip = [this](UINT_PTR id, UINT flags) {
    NMTTDISPINFOA info{};
    info.hdr.code = TTN_NEEDTEXTA;
    info.hdr.idFrom = id;
    info.uFlags = flags;
    SendMessageA(window_->hwnd(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    return std::string(info.lpszText ? info.lpszText : "");
  };
  EXPECT_EQ(tip(ID_VIEW_REFRESH, 0), "Refresh") << "a tool-bar button, by command";
  HWND browse = GetDlgItem(window_->hwnd(), IDC_BROWSE_LEFT);
  EXPECT_EQ(tip(reinterpret_cast<UINT_PTR>(browse), TTF_IDISHWND), "Choose left file");
}

TEST_F(TextWindowTest, ExitAsksAboutAModifiedWindowAndCancelKeepsIt) {
  Compare();
  Edit(0);
  HWND hwnd = window_->hwnd();
  {
    BoxAnswerer answers({IDCANCEL});
    SendMessageA(hwnd, WM_COMMAND, ID_FILE_EXIT, 0);
    ASSERT_EQ(answers.Texts().size(), 1u);
    EXPECT_EQ(answers.Texts()[0], "Save changes to " + left_ + "?");
  }
  Pump();
  EXPECT_TRUE(IsWindow(hwnd));
  {
    BoxAnswerer answers({IDNO});
    SendMessageA(hwnd, WM_COMMAND, ID_FILE_EXIT, 0);
  }
  Pump();
  EXPECT_FALSE(IsWindow(hwnd));
  window_ = nullptr;
  EXPECT_EQ(ReadBytes(left_), kLeft);
}

TEST_F(TextWindowTest, DroppedFilesGoWhereTheyWereDropped) {
  Settings.SmartRefresh = false;
  HWND hwnd = window_->hwnd();
  std::string third = TempFile("third.txt", "x\n");
  const PaneLayoutResult& layout = window_->Layout();
  POINT onPaneRight{layout.pane.x + layout.pane.w - 20, layout.pane.y + 10};
  POINT onLeftBox{layout.side[0].nameBox.x + 5, layout.side[0].nameBox.y + 5};

  DropOn(hwnd, onPaneRight, {third, left_, right_});
  Pump();
  EXPECT_EQ(window_->SidePathOf(0), "<no file>") << "three items are ignored";

  DropOn(hwnd, onPaneRight, {third});
  Pump();
  EXPECT_EQ(window_->SidePathOf(1), third) << "one item on the right half names the right side";
  EXPECT_EQ(window_->SidePathOf(0), "<no file>");

  char folder[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, folder);
  DropOn(hwnd, onLeftBox, {folder});
  Pump();
  EXPECT_EQ(window_->SidePathOf(0), "<no file>") << "a folder is no file name";

  DropOn(hwnd, onLeftBox, {left_});
  Pump();
  EXPECT_EQ(window_->SidePathOf(0), left_);
  EXPECT_EQ(window_->LastResult().code, CompareCode::Ok);
  EXPECT_EQ(window_->StatusText(2), "") << "without smart refresh nothing compares";

  DropOn(hwnd, onPaneRight, {left_, right_});
  Pump();
  EXPECT_EQ(window_->StatusText(2), "UNIX ANSI, DOS ANSI") << "two files compare at once";
  EXPECT_EQ(window_->SidePathOf(1), right_);
  Settings.SmartRefresh = true;
  DeleteFileA(third.c_str());
}

TEST_F(TextWindowTest, SmartRefreshComparesOnceBothSidesAreChosen) {
  const PaneLayoutResult& layout = window_->Layout();
  POINT onLeftBox{layout.side[0].nameBox.x + 5, layout.side[0].nameBox.y + 5};
  POINT onRightBox{layout.side[1].nameBox.x + 5, layout.side[1].nameBox.y + 5};
  DropOn(window_->hwnd(), onLeftBox, {left_});
  Pump();
  EXPECT_EQ(window_->StatusText(2), "");
  DropOn(window_->hwnd(), onRightBox, {right_});
  Pump();
  EXPECT_EQ(window_->StatusText(2), "UNIX ANSI, DOS ANSI") << "the second choice starts the comparison";
}

}  // namespace
}  // namespace qm
