// Find as a user works it: Ctrl+F opens the system's find dialog, Find Next
// selects the match in the pane (the status bar shows where the caret
// went), F3 and Ctrl+F3 repeat the search round the end of the text, a miss
// is reported, a search text in another script is found, and with two windows
// the one dialog stays with the window that opened it.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

// Controls of the system's find dialog.
constexpr int kFindWhat = 0x480;   // edt1
constexpr int kWholeWord = 0x410;  // chx1
constexpr int kFindNext = IDOK;
constexpr int kNewTextWindow = 20000;

class Find : public E2eTest {
protected:
  // Ctrl+F in window, and the dialog it opened (or focused).
  HWND OpenFindDialog(const TextWindowProbe& window) {
    window.CtrlKey('F');
    return program_.WaitDialog("Find");
  }

  void SetFindText(HWND dialog, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, kFindWhat), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
  }

  // Presses a button as the mouse would, so the dialog hears BN_CLICKED.
  void Click(HWND dialog, int id) {
    PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    program_.Settle(dialog);
  }

  // Where the caret is: "Virt r, Ln l, Col c".
  bool WaitCaret(const TextWindowProbe& window, const std::string& at) {
    return WaitFor([&] { return window.StatusPart(1) == at; }, 5000);
  }
};

TEST_F(Find, WholeWordFromTheDialogThenF3AndCtrlF3WrapAndAMissIsReported) {
  const std::string left =
      dir_.Write("left.txt", "alpha\nfoo_bar x\nthe bar here\nbarn\nlast bar\n");
  const std::string right =
      dir_.Write("right.txt", "alpha\nfoo_bar y\nthe bar here\nbarn\nlast bar\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  ASSERT_TRUE(WaitCaret(window, "Virt 1, Ln 1, Col 1")) << window.StatusPart(1);

  HWND dialog = OpenFindDialog(window);
  ASSERT_NE(dialog, nullptr) << "Ctrl+F opens the find dialog";
  SetFindText(dialog, "bar");
  Click(dialog, kWholeWord);
  EXPECT_EQ(IsDlgButtonChecked(dialog, kWholeWord), BST_CHECKED);
  Shot(window, "find-dialog");
  Click(dialog, kFindNext);
  // "foo_bar" is no whole word: the caret goes to the end of "the bar".
  EXPECT_TRUE(WaitCaret(window, "Virt 3, Ln 3, Col 8")) << window.StatusPart(1);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog); })) << "Find Next closes the dialog";
  Shot(window, "find-match");

  window.Key(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 5, Ln 5, Col 9")) << window.StatusPart(1);
  window.Key(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 3, Ln 3, Col 8")) << "round the end: " << window.StatusPart(1);
  window.CtrlKey(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 5, Ln 5, Col 9")) << "backwards round the start: "
                                                        << window.StatusPart(1);
  EXPECT_EQ(program_.FindMessageBox(), nullptr);

  dialog = OpenFindDialog(window);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, kFindWhat)), "bar") << "the last search text";
  EXPECT_EQ(IsDlgButtonChecked(dialog, kWholeWord), BST_CHECKED) << "and its options";
  SetFindText(dialog, "zzz");
  PostMessageA(GetDlgItem(dialog, kFindNext), BM_CLICK, 0, 0);
  // The dialog's own label is a static like a message box's text.
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  EXPECT_EQ(program_.AnswerNext(IDOK), "Search text not found.");
  EXPECT_TRUE(WaitCaret(window, "Virt 5, Ln 5, Col 9")) << "a miss moves nothing";
}

TEST_F(Find, ASearchTextInAnotherScriptIsFoundWhateverItsCase) {
  // ЖУРНАЛ in the file, журнал in the dialog.
  const std::string left = dir_.Write("left.txt", "first\n\xD0\x96\xD0\xA3\xD0\xA0\xD0\x9D"
                                                  "\xD0\x90\xD0\x9B line\nlast\n");
  const std::string right = dir_.Write("right.txt", "first\nother\nlast\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 2")) << window.StatusPart(3);
  HWND dialog = OpenFindDialog(window);
  ASSERT_NE(dialog, nullptr);
  // The dialog holds the text as the system's edit control does, in
  // UTF-16; the program reads it back through its UTF-8 code page.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(GetDlgItem(dialog, kFindWhat), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(L"\x0436\x0443\x0440\x043D\x0430\x043B"),
                      SMTO_ABORTIFHUNG, 5000, &ignored);
  Click(dialog, kFindNext);
  EXPECT_TRUE(WaitCaret(window, "Virt 2, Ln 2, Col 7")) << window.StatusPart(1);
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
}

TEST_F(Find, WithSearchSelectedTheSelectionBecomesTheSearchText) {
  SetSetting("SearchSelected", "true");
  SetSetting("FindText", "BAR");
  const std::string left = dir_.Write("left.txt", "Bar x\nfoo\nbar y\n");
  const std::string right = dir_.Write("right.txt", "Bar x\nfoo\nbar z\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  // Nothing selected: the stored text, in any case.
  window.Key(VK_F3);
  ASSERT_TRUE(WaitCaret(window, "Virt 1, Ln 1, Col 4")) << window.StatusPart(1);
  // "Bar" selected: F3 searches it and keeps it.
  window.Key(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 3, Ln 3, Col 4")) << window.StatusPart(1);
  window.Send(kClose);
  ASSERT_TRUE(program_.WaitExit());
  EXPECT_EQ(GetSettingText("FindText"), "Bar") << "the selection searched is kept";
}

TEST_F(Find, AWholeLineSelectedIsFoundOnOtherLinesAndNotAgainItself) {
  SetSetting("SearchSelected", "true");
  const std::string left = dir_.Write("left.txt", "foo\nbar\nfoo\nend\n");
  const std::string right = dir_.Write("right.txt", "foo\nbar\nfoo\nend!\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  window.Chord(VK_SHIFT, VK_DOWN);
  ASSERT_TRUE(WaitCaret(window, "Virt 2, Ln 2, Col 1")) << window.StatusPart(1);
  // "foo" and its LF: the caret ends at the start of the line after.
  window.Key(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 4, Ln 4, Col 1")) << window.StatusPart(1);
  window.CtrlKey(VK_F3);
  EXPECT_TRUE(WaitCaret(window, "Virt 2, Ln 2, Col 1")) << "the first one, not the same again: "
                                                        << window.StatusPart(1);
}

TEST_F(Find, TheDialogStaysWithTheWindowThatOpenedIt) {
  const std::string left = dir_.Write("left.txt", "one\ntwo needle\nthree\n");
  const std::string right = dir_.Write("right.txt", "one\ntwo\nthree\n");
  auto first = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(first, 3, "Diffs: 2, Lines: 2")) << first.StatusPart(3);
  HWND dialog = OpenFindDialog(first);
  ASSERT_NE(dialog, nullptr);

  first.Send(kNewTextWindow);
  HWND secondWindow = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (HWND w : program_.Windows("TextWindow"))
      if (w != first.Handle()) secondWindow = w;
    return secondWindow != nullptr;
  }));
  TextWindowProbe second(program_, secondWindow);
  second.CtrlKey('F');
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == dialog; }, 2000))
      << "Ctrl+F in the second window brings the first one's dialog forward";
  int dialogs = 0;
  for (HWND box : program_.Windows("#32770")) dialogs += WindowText(box) == "Find";
  EXPECT_EQ(dialogs, 1);

  SetFindText(dialog, "needle");
  Click(dialog, kFindNext);
  EXPECT_TRUE(WaitCaret(first, "Virt 2, Ln 2, Col 11")) << first.StatusPart(1);
  EXPECT_EQ(program_.FindMessageBox(), nullptr) << "the empty second window was not searched";
}

}  // namespace
}  // namespace qm::e2e
