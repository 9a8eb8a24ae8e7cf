// The text pane as a user works it: text typed with the keyboard in any
// script is saved byte for byte in the file's own line endings, text from
// another program's clipboard comes in and goes back with CR LF, a block
// dragged with Ctrl lands on the other side, and the context menu shows.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

constexpr int kUndo = 20100;

class PaneInput : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    // Real input goes to where the pointer is: keep it off the window.
    SetCursorPos(0, 0);
  }

  // The comparison has ended with differences to show.
  bool Compared(const TextWindowProbe& window) const {
    return WaitFor([&] { return window.StatusPart(3).rfind("Diffs: ", 0) == 0; });
  }

  HWND Pane(const TextWindowProbe& window) const {
    return FindWindowExA(window.Handle(), nullptr, "TextView", nullptr);
  }

  // The height of a row: that of the pane's caret, once a click at the
  // top left of the text gave it the focus.
  int RowHeight(const TextWindowProbe& window) const {
    ClickAt(window, 40, 2);
    GUITHREADINFO info{sizeof info};
    const DWORD thread = GetWindowThreadProcessId(window.Handle(), nullptr);
    if (!GetGUIThreadInfo(thread, &info) || info.hwndCaret != Pane(window)) return 0;
    return info.rcCaret.bottom - info.rcCaret.top;
  }

  // A click that puts the caret (and the focus) at a point of the pane.
  void ClickAt(const TextWindowProbe& window, int x, int y) const {
    HWND pane = Pane(window);
    PostMessageA(pane, WM_MBUTTONDOWN, 0, MAKELPARAM(x, y));
    PostMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(pane, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    program_.Settle(window.Handle());
  }

  // A key pressed in the pane (posted: no modifier).
  void PaneKey(const TextWindowProbe& window, UINT key) const {
    PostMessageA(Pane(window), WM_KEYDOWN, key, 1);
    PostMessageA(Pane(window), WM_KEYUP, key, 0xC0000001u);
    program_.Settle(window.Handle());
  }

  // Types text as the keyboard would, one UTF-16 unit per key event (an
  // emoji is two), into the focused control of the foreground window.
  void TypeText(const TextWindowProbe& window, const std::string& utf8) const {
    SetForegroundWindow(window.Handle());
    WaitFor([&] { return GetForegroundWindow() == window.Handle(); }, 2000);
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                          nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        count);
    for (wchar_t unit : wide) {
      INPUT keys[2] = {};
      for (int i = 0; i < 2; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wScan = unit;
        keys[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
      }
      SendInput(2, keys, sizeof(INPUT));
    }
    program_.Settle(window.Handle());
  }

  static bool PutClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    const bool put = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
    CloseClipboard();
    return put;
  }

  template <class Char>
  static std::basic_string<Char> ClipboardText(UINT format) {
    std::basic_string<Char> text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE block = GetClipboardData(format)) {
      if (const auto* data = static_cast<const Char*>(GlobalLock(block))) {
        text = data;
        GlobalUnlock(block);
      }
    }
    CloseClipboard();
    return text;
  }
};

TEST_F(PaneInput, TypedTextInAnyScriptIsSavedInTheFilesOwnLineEndings) {
  const std::string left = dir_.Write("left.txt", "na\xC3\xAFve\r\ntwo\r\n");
  const std::string right = dir_.Write("right.txt", "na\xC3\xAFve\r\nthree\r\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  ASSERT_GT(RowHeight(window), 4) << "no caret in the pane";  // and the left side active
  PaneKey(window, VK_HOME);
  // é, ж, 中 and an emoji (a surrogate pair), then Enter, then Backspace
  // over a typo.
  TypeText(window, "X\xC3\xA9\xD0\xB6\xE4\xB8\xAD\xF0\x9F\x98\x80\rendd\b ");
  EXPECT_TRUE(WaitFor([&] { return window.Title().find('*') != std::string::npos; }))
      << window.Title();
  SaveScreenshot(window.Handle(), "pane-typed-text");
  window.CtrlKey('S');
  EXPECT_TRUE(WaitFor([&] { return window.Title().find('*') == std::string::npos; }));
  EXPECT_EQ(ReadFileBytes(left),
            "X\xC3\xA9\xD0\xB6\xE4\xB8\xAD\xF0\x9F\x98\x80\r\nend na\xC3\xAFve\r\ntwo\r\n")
      << "CR LF stays CR LF, every character whole";

  // Undo takes all of it back; saving again writes the original bytes.
  for (int i = 0; i < 20; ++i) window.Send(kUndo);
  window.CtrlKey('S');
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(left) == "na\xC3\xAFve\r\ntwo\r\n"; }))
      << ReadFileBytes(left);
}

TEST_F(PaneInput, AnotherProgramsClipboardTextComesInAsLinesAndGoesBackWithCrLf) {
  const std::string left = dir_.Write("left.txt", "x\n");
  const std::string right = dir_.Write("right.txt", "y\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  ASSERT_GT(RowHeight(window), 4) << "no caret in the pane";
  PaneKey(window, VK_HOME);
  ASSERT_TRUE(PutClipboard(L"a\r\nb"));
  window.CtrlKey('V');
  window.CtrlKey('A');
  window.CtrlKey('C');
  // The clipboard reaches another process a moment later.
  EXPECT_TRUE(WaitFor([] { return ClipboardText<wchar_t>(CF_UNICODETEXT) == L"a\r\nbx\r\n"; }, 3000))
      << "clipboard: " << ClipboardText<char>(CF_TEXT);
  EXPECT_EQ(ClipboardText<char>(CF_TEXT), "a\r\nbx\r\n");
  window.CtrlKey('S');
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(left) == "a\nbx\n"; }))
      << "a Unix file stays Unix: " << ReadFileBytes(left);
}

TEST_F(PaneInput, ABlockDraggedWithCtrlIsCopiedToTheOtherSide) {
  const std::string left = dir_.Write("left.txt", "same\nonly left\nmore left\nend\n");
  const std::string right = dir_.Write("right.txt", "same\nend\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  HWND pane = Pane(window);
  RECT client{};
  GetClientRect(pane, &client);
  const int row = RowHeight(window);
  ASSERT_GT(row, 4) << "no caret in the pane";
  const int leftX = client.right / 4;
  const int rightX = client.right * 3 / 4;
  const int pressY = row + row / 2;  // row 1, the first row of the block
  PostMessageA(pane, WM_MBUTTONDOWN, 0, 0);
  PostMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(leftX, pressY));
  PostMessageA(pane, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(leftX, pressY + 8));
  // The drop line between rows 0 and 1 of the right side.
  PostMessageA(pane, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(rightX, row));
  program_.Settle(window.Handle());
  SaveScreenshot(window.Handle(), "pane-text-drag");
  PostMessageA(pane, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(rightX, row));
  program_.Settle(window.Handle());
  EXPECT_TRUE(WaitFor([&] { return window.Title().find("right.txt*") != std::string::npos; }))
      << window.Title();
  SaveScreenshot(window.Handle(), "pane-after-drop");
  window.CtrlKey('S');  // the side dropped on is the active one
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(right) == ReadFileBytes(left); }))
      << ReadFileBytes(right);
  EXPECT_EQ(ReadFileBytes(left), "same\nonly left\nmore left\nend\n") << "a copy, not a move";
}

TEST_F(PaneInput, TheContextMenuOfADifferenceRunsItsCommandsThroughTheWindow) {
  const std::string left = dir_.Write("left.txt", "same\nchanged left\nend\n");
  const std::string right = dir_.Write("right.txt", "same\nchanged right\nend\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  HWND pane = Pane(window);
  RECT client{};
  GetClientRect(pane, &client);
  const int row = RowHeight(window);
  ASSERT_GT(row, 4) << "no caret in the pane";
  // Opens the menu on row 1 of the left side and presses keys in it, as
  // the keyboard sends them to the menu's loop.
  auto menuKeys = [&](std::initializer_list<WORD> keys, const char* shot) {
    PostMessageA(pane, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.right / 6, row + row / 2));
    HWND menu = nullptr;
    const bool shown = WaitFor([&] {
      menu = FindWindowA("#32768", nullptr);
      return menu && IsWindowVisible(menu);
    }, 5000);
    EXPECT_TRUE(shown) << "no popup menu";
    if (!shown) return;
    Sleep(200);
    if (shot) EXPECT_FALSE(SaveScreenshot(window.Handle(), shot).empty());
    for (WORD key : keys) {
      INPUT input[2] = {};
      for (int i = 0; i < 2; ++i) {
        input[i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = key;
        input[i].ki.dwFlags = i ? KEYEVENTF_KEYUP : 0;
      }
      SendInput(2, input, sizeof(INPUT));
      Sleep(50);
    }
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 5000));
    program_.Settle(window.Handle());
  };
  menuKeys({VK_ESCAPE}, "pane-context-menu");
  EXPECT_EQ(window.Title().find('*'), std::string::npos) << "Escape ran nothing";
  // The first item of the left side's menu of a changed row: Copy -->,
  // enabled as the window's own command is.
  menuKeys({VK_DOWN, VK_RETURN}, nullptr);
  EXPECT_TRUE(WaitFor([&] { return window.Title().find("right.txt*") != std::string::npos; }))
      << window.Title();
  window.Send(kSaveAll);
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(right) == "same\nchanged left\nend\n"; }))
      << ReadFileBytes(right);
}

TEST_F(PaneInput, CtrlBracketCopiesTheDifferenceAtTheCaretAndNothingOnAnUnchangedRow) {
  const std::string left = dir_.Write("left.txt", "same\nonly left\nend\n");
  const std::string right = dir_.Write("right.txt", "same\nend\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  const int row = RowHeight(window);  // the caret on row 0, unchanged
  ASSERT_GT(row, 4) << "no caret in the pane";
  window.Chord(VK_CONTROL, VK_OEM_6);  // Ctrl+]
  Sleep(200);
  EXPECT_EQ(window.Title().find('*'), std::string::npos) << "nothing to copy on row 0";
  ClickAt(window, 40, row + row / 2);  // row 1: left only
  window.Chord(VK_CONTROL, VK_OEM_6);
  EXPECT_TRUE(WaitFor([&] { return window.Title().find("right.txt*") != std::string::npos; }))
      << window.Title();
  window.Send(kSaveAll);
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(right) == "same\nonly left\nend\n"; }))
      << ReadFileBytes(right);
}

// Real mouse input, as a user's hand gives it: the pointer moves, buttons
// go down and up with Ctrl held. A Ctrl+double-click on the right side's
// extra line copies it to the left; then a Ctrl-drag of the left side's
// extra line drops it on the right.
TEST_F(PaneInput, CtrlDoubleClickAndCtrlDragWithTheRealMouse) {
  const std::string left = dir_.Write("left.txt", "same\nonly left\nend\n");
  const std::string right = dir_.Write("right.txt", "same\nend\nonly right\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(Compared(window)) << window.StatusPart(3);
  const int row = RowHeight(window);
  ASSERT_GT(row, 4) << "no caret in the pane";
  HWND pane = Pane(window);
  RECT client{};
  GetClientRect(pane, &client);
  SetForegroundWindow(window.Handle());
  WaitFor([&] { return GetForegroundWindow() == window.Handle(); }, 2000);
  auto screen = [&](int x, int y) {
    POINT point{x, y};
    ClientToScreen(pane, &point);
    return point;
  };
  auto send = [](std::initializer_list<INPUT> events) {
    for (INPUT event : events) {
      SendInput(1, &event, sizeof(INPUT));
      Sleep(30);
    }
  };
  auto key = [](WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
  };
  auto button = [](DWORD flag) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flag;
    return in;
  };
  auto moveTo = [&](POINT point) {
    SetCursorPos(point.x, point.y);
    Sleep(30);
  };

  // Rows: 0 same, 1 only left, 2 end, 3 only right (filler on the left).
  moveTo(screen(client.right * 3 / 4, 3 * row + row / 2));
  send({key(VK_CONTROL, false), button(MOUSEEVENTF_LEFTDOWN), button(MOUSEEVENTF_LEFTUP),
        button(MOUSEEVENTF_LEFTDOWN), button(MOUSEEVENTF_LEFTUP), key(VK_CONTROL, true)});
  EXPECT_TRUE(WaitFor([&] { return window.Title().find("left.txt*") != std::string::npos; }))
      << window.Title();

  // Row 1's left line dragged with Ctrl to the right side, between rows 0
  // and 1.
  const POINT from = screen(client.right / 4, row + row / 2);
  moveTo(from);
  send({key(VK_CONTROL, false), button(MOUSEEVENTF_LEFTDOWN)});
  moveTo(POINT{from.x, from.y + 8});
  moveTo(screen(client.right * 3 / 4, row + 2));
  send({button(MOUSEEVENTF_LEFTUP), key(VK_CONTROL, true)});
  EXPECT_TRUE(WaitFor([&] { return window.Title().find("right.txt*") != std::string::npos; }))
      << window.Title();
  SetCursorPos(0, 0);
  window.Send(kSaveAll);
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(left) == "same\nonly left\nend\nonly right\n"; }))
      << ReadFileBytes(left);
  EXPECT_TRUE(WaitFor([&] { return ReadFileBytes(right) == "same\nonly left\nend\nonly right\n"; }))
      << ReadFileBytes(right);
}

}  // namespace
}  // namespace qm::e2e
