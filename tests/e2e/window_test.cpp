// A comparison once it is on screen: stepping through differences, long
// lines, Switch Sides, Export, closing, and settings that outlive the process.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

// Rows: 0 a, 1-2 right only, 3 b, 4 c, 5 d, 6 left only ("gone"), 7 e.
const std::string kLeft = "a\nb\nc\nd\ngone\ne\n";
const std::string kRight = "a\nnew 1\nnew 2\nb\nc\nd\ne\n";

class Navigation : public E2eTest {};

TEST_F(Navigation, NextAndPreviousDifferenceMoveTheCaretAndWrap) {
  std::string left = dir_.Write("left.txt", kLeft);
  std::string right = dir_.Write("right.txt", kRight);
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3")) << window.StatusPart(3);
  EXPECT_EQ(window.StatusPart(1), "Virt 1, Ln 1, Col 1");
  EXPECT_TRUE(window.ToolButtonEnabled(kNextDiff));
  EXPECT_TRUE(window.ToolButtonEnabled(kPrevDiff));

  window.Key(VK_F8);
  EXPECT_EQ(window.StatusPart(1).substr(0, 7), "Virt 2,") << window.StatusPart(1);
  window.Key(VK_F8);
  EXPECT_EQ(window.StatusPart(1), "Virt 7, Ln 5, Col 1");
  Shot(window, "next-difference");
  window.Key(VK_F8);  // wraps around to the first difference
  EXPECT_EQ(window.StatusPart(1).substr(0, 7), "Virt 2,") << window.StatusPart(1);
  window.Key(VK_F7);  // and back around to the last
  EXPECT_EQ(window.StatusPart(1), "Virt 7, Ln 5, Col 1");
  window.Send(kPrevDiff);
  EXPECT_EQ(window.StatusPart(1).substr(0, 7), "Virt 2,") << window.StatusPart(1);
}

TEST_F(Navigation, WithoutDifferencesTheCommandsAreDisabledAndDoNothing) {
  std::string left = dir_.Write("left.txt", kLeft);
  std::string right = dir_.Write("right.txt", kLeft);
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 2, "UNIX ANSI, UNIX ANSI"));
  EXPECT_EQ(window.StatusPart(3), kNoDifferences);
  EXPECT_FALSE(window.ToolButtonEnabled(kNextDiff));
  EXPECT_FALSE(window.ToolButtonEnabled(kPrevDiff));
  window.Key(VK_F8);
  EXPECT_EQ(window.StatusPart(1), "Virt 1, Ln 1, Col 1");
}

class LongLines : public E2eTest {};

TEST_F(LongLines, AChangePastColumnTenThousandComesIntoViewByBarAndByCaret) {
  // The lines differ from column 10000 (0-based) on; the left one ends at
  // 10004, without a line feed.
  const std::string wide(10000, 'x');
  std::string left = dir_.Write("left.txt", "head\n" + wide + "left");
  std::string right = dir_.Write("right.txt", "head\n" + wide + "right");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  HWND bar = window.HorizontalBar(0);
  ASSERT_NE(bar, nullptr);
  EXPECT_GE(window.HorizontalScroll(0).nMax, 10004) << "the range covers the whole line";

  PostMessageA(window.Handle(), WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(bar));
  program_.Settle(window.Handle());
  SCROLLINFO shown = window.HorizontalScroll(0);
  EXPECT_LE(shown.nPos, 10000);
  EXPECT_GE(shown.nPos + static_cast<int>(shown.nPage), 10004) << "columns 10000 to 10003";
  Shot(window, "long-line-right-end");

  PostMessageA(window.Handle(), WM_HSCROLL, SB_LEFT, reinterpret_cast<LPARAM>(bar));
  window.Key(VK_F8);  // the caret to the changed row, the focus to the pane
  ASSERT_EQ(window.StatusPart(1), "Virt 2, Ln 2, Col 1");
  EXPECT_EQ(window.HorizontalScroll(0).nPos, 0);
  window.Chord(VK_CONTROL, VK_END);
  ASSERT_TRUE(WaitStatus(window, 1, "Virt 2, Ln 2, Col 10005")) << window.StatusPart(1);
  shown = window.HorizontalScroll(0);
  EXPECT_LE(shown.nPos, 10000);
  EXPECT_GE(shown.nPos + static_cast<int>(shown.nPage), 10005) << "the caret after column 10003";
  Shot(window, "long-line-caret-at-end");
}

class SwitchSides : public E2eTest {};

TEST_F(SwitchSides, ExchangesNamesFormatsAndTitleWithoutComparingAgain) {
  std::string left = dir_.Write("unix.txt", "a\nb\nc\n");
  std::string right = dir_.Write("dos.txt", "a\r\nB\r\nc\r\nd\r\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitStatus(window, 2, "UNIX ANSI, DOS ANSI"));
  std::string diffs = window.StatusPart(3);
  EXPECT_NE(diffs, kNoDifferences);

  // Both files change on disk: a new comparison would show no difference.
  dir_.Write("unix.txt", "same\n");
  dir_.Write("dos.txt", "same\r\n");
  window.Send(kSwitchSides);
  EXPECT_EQ(window.Title(), "Quillmere - [dos.txt, unix.txt]");
  EXPECT_EQ(window.NameText(0), right);
  EXPECT_EQ(window.NameText(1), left);
  EXPECT_EQ(window.StatusPart(2), "DOS ANSI, UNIX ANSI");
  EXPECT_EQ(window.StatusPart(3), diffs) << "Switch Sides must not compare again";
  EXPECT_FALSE(window.ToolButtonEnabled(kSaveAll)) << "switching modifies nothing";
  Shot(window, "switched-sides");

  window.Send(kSwitchSides);
  EXPECT_EQ(window.Title(), "Quillmere - [unix.txt, dos.txt]");
  EXPECT_EQ(window.StatusPart(2), "UNIX ANSI, DOS ANSI");
}

class Export : public E2eTest {
protected:
  HWND OpenExportDialog(const TextWindowProbe& window) {
    window.Post(kExport);
    return program_.WaitDialog("Export");
  }
  HWND window_ = nullptr;
  // The sample pair compared, and the export dialog open over it.
  HWND CompareAndOpenExport() {
    auto window = Launch(Quote(dir_.Write("left.txt", kLeft)) + " " +
                         Quote(dir_.Write("right.txt", kRight)));
    EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3"));
    window_ = window.Handle();
    return OpenExportDialog(window);
  }
  void SetEdit(HWND dialog, int id, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
  }
};

TEST_F(Export, WritesThePageAndRemembersTheChoice) {
  std::string left = dir_.File("left.txt"), right = dir_.File("right.txt");
  std::string page = dir_.File("result.html");
  HWND dialog = CompareAndOpenExport();
  ASSERT_NE(dialog, nullptr);
  TextWindowProbe window(program_, window_);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "no output file yet";
  SetEdit(dialog, 10603, page);
  PostMessageA(GetDlgItem(dialog, 10602), BM_CLICK, 0, 0);  // differences only
  program_.Settle(window.Handle());
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDOK)) != 0; }, 3000));
  SaveScreenshot(dialog, "export-dialog");
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }));
  ASSERT_TRUE(WaitFor([&] { return FileExists(page); }));
  program_.Settle(window.Handle());

  std::string html = ReadFileBytes(page);
  EXPECT_EQ(html.substr(0, 14), "<HTML>\r\n<HEAD>");
  EXPECT_NE(html.find("<TITLE>" + left + ", " + right + "</TITLE>"), std::string::npos);
  EXPECT_NE(html.find("<B>Diffs: 2, Lines: 3</B>"), std::string::npos);
  EXPECT_NE(html.find(">new 1&nbsp;<"), std::string::npos);
  EXPECT_NE(html.find("gone"), std::string::npos);
  EXPECT_EQ(html.find(">b&nbsp;"), std::string::npos) << "differences only: no unchanged rows";
  EXPECT_EQ(html.substr(html.size() - 9), "</HTML>\r\n");
  EXPECT_EQ(program_.FindMessageBox(), nullptr);

  // The dialog opens again with the last choice.
  dialog = OpenExportDialog(window);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(WindowText(GetDlgItem(dialog, 10603)), page);
  EXPECT_EQ(SendMessageA(GetDlgItem(dialog, 10602), BM_GETCHECK, 0, 0), BST_CHECKED);
  PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
}

TEST_F(Export, AnUnwritableFileGivesTheExportMessage) {
  std::string page = dir_.File("no-such-folder\\result.html");
  HWND dialog = CompareAndOpenExport();
  ASSERT_NE(dialog, nullptr);
  SetEdit(dialog, 10603, page);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  std::string message = program_.AnswerNext(IDOK);
  const std::string prefix = "Could not export comparison results.\n\nReason: ";
  EXPECT_EQ(message.substr(0, prefix.size()), prefix) << message;
  EXPECT_GT(message.size(), prefix.size());
  EXPECT_FALSE(FileExists(page));
}

class SmartRefresh : public E2eTest {};

TEST_F(SmartRefresh, BrowsingBothSidesComparesOnlyWhenSmartRefreshIsOn) {
  std::string left = dir_.Write("left.txt", kLeft);
  std::string right = dir_.Write("right.txt", kRight);
  for (bool smart : {true, false}) {
    SCOPED_TRACE(smart ? "smart refresh on" : "smart refresh off");
    ResetSettings();
    SetSetting("SmartRefresh", smart ? "true" : "false");
    auto window = Launch("");
    PostMessageA(GetDlgItem(window.Handle(), 20404), BM_CLICK, 0, 0);
    ChooseFile("Choose Left File", left);
    EXPECT_EQ(window.NameText(0), left);
    EXPECT_EQ(window.Title(), "Quillmere - [left.txt, <no file>]");
    Sleep(200);
    EXPECT_EQ(window.StatusPart(2), kNoResult) << "one side alone compares nothing";
    PostMessageA(GetDlgItem(window.Handle(), 20405), BM_CLICK, 0, 0);
    ChooseFile("Choose Right File", right);
    if (smart) {
      EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3")) << window.StatusPart(3);
    } else {
      Sleep(500);
      EXPECT_EQ(window.StatusPart(3), kNoResult);
      EXPECT_EQ(window.StatusPart(2), kNoResult);
      window.Key(VK_F5);
      EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3"));
    }
    program_.Kill();
  }
}

class Closing : public E2eTest {};

TEST_F(Closing, ExitAndEscEndAnUnmodifiedProgramWithoutQuestions) {
  std::string left = dir_.Write("left.txt", kLeft);
  std::string right = dir_.Write("right.txt", kRight);
  for (bool byEsc : {false, true}) {
    SCOPED_TRACE(byEsc ? "Esc" : "Exit");
    auto window = Launch(Quote(left) + " " + Quote(right));
    ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3"));
    if (byEsc)
      window.Key(VK_ESCAPE);
    else
      window.Post(kExit);
    EXPECT_TRUE(program_.WaitExit(10000));
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
  }
}

class Persistence : public E2eTest {};

TEST_F(Persistence, NamesHistoriesAndViewOptionsSurviveARestart) {
  std::string left = dir_.Write("left.txt", kLeft);
  std::string right = dir_.Write("right.txt", kRight);
  {
    auto window = Launch(Quote(left) + " " + Quote(right));
    ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3"));
    EXPECT_TRUE(window.ChildVisible(20400));
    window.Send(kToggleToolBar);
    EXPECT_FALSE(window.ChildVisible(20400));
    window.Post(kExit);
    ASSERT_TRUE(program_.WaitExit(10000));
  }
  EXPECT_EQ(GetSettingText("ViewToolBar"), "false");
  EXPECT_EQ(GetSettingText("LeftFile.text"), left);
  EXPECT_EQ(GetSettingText("RightFile.text"), right);
  EXPECT_EQ(GetSettingText("LeftFileHistory.0"), left);
  EXPECT_EQ(GetSettingText("RightFileHistory.0"), right);
  EXPECT_EQ(GetSettingText("RecentFileHistory.0"), left + "\n" + right);
  EXPECT_TRUE(HasSetting("CompareWindow"));

  auto window = Launch("");
  EXPECT_EQ(window.NameText(0), left);
  EXPECT_EQ(window.NameText(1), right);
  EXPECT_EQ(window.Title(), "Quillmere - [left.txt, right.txt]");
  EXPECT_FALSE(window.ChildVisible(20400)) << "the tool bar stays hidden";
  EXPECT_EQ(window.StatusPart(2), kNoResult) << "a restored window does not compare by itself";
  Shot(window, "restored-without-toolbar");
  window.Key(VK_F5);
  EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 3"));
}

}  // namespace
}  // namespace qm::e2e
