// Refresh: every outcome of a comparison run and the message it shows, and
// what the window looks like afterwards.
#include <cstdio>

#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

const std::string kText = "alpha\nbeta\ngamma\n";
const std::string kBinary = std::string("\x01\x02\x03\x04\x05\x06\x07\x08text\x00\x00", 14);

class RefreshResult : public E2eTest {
protected:
  // Opens an empty window, puts the two names into its boxes and presses F5.
  TextWindowProbe RefreshWith(const std::string& left, const std::string& right) {
    auto window = Launch("");
    return RefreshAgain(window, left, right);
  }
  TextWindowProbe RefreshAgain(TextWindowProbe window, const std::string& left,
                               const std::string& right) {
    window.SetNameText(0, left);
    window.SetNameText(1, right);
    window.Key(VK_F5);
    return window;
  }

  // Two files of lines drawn at random from ten distinct ones: every line
  // has many equals, so even the fast road to a shortest script is long,
  // long enough to cancel or close meanwhile.
  void WriteLongPair(std::string* left, std::string* right) {
    std::string a, b;
    uint32_t seed = 12345;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 16; };
    for (int i = 0; i < 60000; ++i) {
      a += "line " + std::to_string(next() % 10) + "\n";
      b += "line " + std::to_string(next() % 10) + "\n";
    }
    *left = dir_.Write("big-left.txt", a);
    *right = dir_.Write("big-right.txt", b);
  }

  void ExpectNoResult(const TextWindowProbe& window) {
    for (int part = 1; part < 4; ++part)
      EXPECT_EQ(window.StatusPart(part), kNoResult) << "status part " << part;
  }
};

struct MessageCase {
  const char* name;
  std::string left;   // "" = a text file, "?" = the binary file, else the name as given
  std::string right;
  std::string message;
};

TEST_F(RefreshResult, EachFailureShowsItsMessageAndLeavesTheNamesInTheBoxes) {
  std::string text = dir_.Write("text.txt", kText);
  std::string binary = dir_.Write("data.bin", kBinary);
  std::string missing = dir_.File("missing.txt");
  const MessageCase cases[] = {
      {"left name invalid", "a|b.txt", text, "The left file name is invalid."},
      {"right name invalid", text, "<no file>", "The right file name is invalid."},
      {"both invalid", "*", "?", "The left file name is invalid."},
      {"left binary", binary, text,
       "The left file is a binary data file. Quillmere can only compare text files."},
      {"right binary", text, binary,
       "The right file is a binary data file. Quillmere can only compare text files."},
      {"names before contents", binary, "x|y", "The right file name is invalid."},
  };
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.name);
    auto window = RefreshWith(c.left, c.right);
    HWND box = program_.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), "Quillmere");
    EXPECT_EQ(GetWindow(box, GW_OWNER), window.Handle()) << "owned by the window";
    EXPECT_EQ(program_.Answer(box, IDOK), c.message);
    EXPECT_EQ(window.NameText(0), c.left);
    EXPECT_EQ(window.NameText(1), c.right);
    ExpectNoResult(window);
    program_.Kill();
  }
}

TEST_F(RefreshResult, LoadFailuresGiveTheSystemsReason) {
  std::string text = dir_.Write("text.txt", kText);
  std::string missing = dir_.File("missing.txt");
  struct {
    std::string left, right, prefix, title;
  } cases[] = {
      {missing, text, "Cannot load left file.\n\nReason: ", "Quillmere - [missing.txt, text.txt]"},
      {text, missing, "Cannot load right file.\n\nReason: ", "Quillmere - [text.txt, missing.txt]"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.prefix);
    auto window = RefreshWith(c.left, c.right);
    std::string message = program_.AnswerNext(IDOK);
    ASSERT_EQ(message.substr(0, c.prefix.size()), c.prefix);
    std::string reason = message.substr(c.prefix.size());
    EXPECT_FALSE(reason.empty()) << "the system's text for file-not-found";
    EXPECT_NE(reason.back(), '\n') << "no trailing line break in: " << reason;
    // The names stay as typed and the title shows their file-name parts.
    EXPECT_EQ(window.Title(), c.title);
    EXPECT_EQ(window.NameText(0), c.left);
    program_.Kill();
  }
}

TEST_F(RefreshResult, AfterAFailureTheNextRefreshCompares) {
  std::string left = dir_.Write("left.txt", kText);
  std::string right = dir_.Write("right.txt", "alpha\ngamma\n");
  auto window = RefreshWith(left, dir_.File("late.txt"));
  EXPECT_NE(program_.AnswerNext(IDOK).find("Cannot load right file."), std::string::npos);
  dir_.Write("late.txt", "alpha\ngamma\n");
  window.SetNameText(1, dir_.File("late.txt"));
  window.Key(VK_F5);
  EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
  EXPECT_EQ(window.Title(), "Quillmere - [left.txt, late.txt]");
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  (void)right;
}

TEST_F(RefreshResult, CancelStopsALongComparison) {
  std::string left, right;
  WriteLongPair(&left, &right);
  auto window = RefreshWith(left, right);
  HWND progress = program_.WaitDialog("Please wait...", 5000);
  if (!progress) GTEST_SKIP() << "the comparison ended before it could be cancelled";
  SaveScreenshot(progress, "progress-dialog");
  PostMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
  // Either the engine stops and says so, or it had already finished.
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        box = program_.FindMessageBox();
        return box != nullptr || window.StatusPart(3) != kNoResult;
      },
      120000));
  if (!box) GTEST_SKIP() << "the comparison finished before Cancel reached it";
  EXPECT_EQ(program_.Answer(box, IDOK), "Operation aborted.");
  ExpectNoResult(window);
  EXPECT_EQ(window.NameText(0), left);
}

TEST_F(RefreshResult, TwoUnrelatedFilesOpenAtOnce) {
  // 60,000 lines on each side without a line in common: the shortest
  // script is to replace everything, and the window shows it without
  // waiting for the exact search's worst case.
  std::string a, b;
  for (int i = 0; i < 60000; ++i) {
    a += "left line " + std::to_string(i) + "\n";
    b += "right line " + std::to_string(i * 7) + "\n";
  }
  const std::string left = dir_.Write("unrelated-left.txt", a);
  const std::string right = dir_.Write("unrelated-right.txt", b);
  auto window = Launch("");
  window.SetNameText(0, left);
  window.SetNameText(1, right);
  const DWORD start = GetTickCount();
  window.Key(VK_F5);
  ASSERT_TRUE(WaitFor([&] { return window.StatusPart(3) != kNoResult; }, 30000));
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_EQ(window.StatusPart(3).rfind("Diffs: ", 0), 0u) << window.StatusPart(3);
  // Not a timing (bench/ measures speed): the exact search alone would take
  // a quarter of a minute here, so this bound tells the two roads apart on
  // a busy machine too.
  EXPECT_LT(elapsed, 8000u);
  std::printf("unrelated 60,000-line pair opened in %lu ms\n",
              static_cast<unsigned long>(elapsed));
  Shot(window, "unrelated-60k");
}

TEST_F(RefreshResult, TheStatusBarShowsAResultOnlyAfterASuccessfulComparison) {
  std::string text = dir_.Write("text.txt", kText);
  std::string other = dir_.Write("other.txt", "alpha\r\ngamma\r\n");
  std::string binary = dir_.Write("data.bin", kBinary);
  std::string missing = dir_.File("missing.txt");
  auto window = Launch("");
  ExpectNoResult(window);
  // Each failure follows a success, whose texts it must not leave behind.
  for (const std::string& bad : {binary, missing}) {
    SCOPED_TRACE(bad);
    RefreshAgain(window, text, other);
    ASSERT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
    EXPECT_EQ(window.StatusPart(1), "Virt 1, Ln 1, Col 1");
    EXPECT_EQ(window.StatusPart(2), "UNIX ANSI, DOS ANSI");
    RefreshAgain(window, text, bad);
    EXPECT_NE(program_.AnswerNext(IDOK), "(no message box)");
    program_.Settle(window.Handle());
    ExpectNoResult(window);
  }

  RefreshAgain(window, text, text);
  ASSERT_TRUE(WaitStatus(window, 3, kNoDifferences)) << window.StatusPart(3);
  std::string left, right;
  WriteLongPair(&left, &right);
  RefreshAgain(window, left, right);
  HWND progress = program_.WaitDialog("Please wait...", 5000);
  if (!progress) GTEST_SKIP() << "the comparison ended before it could be cancelled";
  ExpectNoResult(window);
  PostMessageA(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
  const std::string message = program_.AnswerNext(IDOK, 120000);
  if (message == "(no message box)") GTEST_SKIP() << "the comparison finished before Cancel";
  EXPECT_EQ(message, "Operation aborted.");
  program_.Settle(window.Handle());
  ExpectNoResult(window);
}

TEST_F(RefreshResult, ClosingTheWindowCancelsItsComparisonAndEndsAtOnce) {
  std::string left, right;
  WriteLongPair(&left, &right);
  // WM_CLOSE from outside, and the Close command (Ctrl+W) that sends it.
  for (bool byCommand : {false, true}) {
    SCOPED_TRACE(byCommand ? "Close command" : "WM_CLOSE");
    auto window = RefreshWith(left, right);
    HWND progress = program_.WaitDialog("Please wait...", 5000);
    if (!progress) GTEST_SKIP() << "the comparison ended before it could be closed";
    const DWORD start = GetTickCount();
    if (byCommand)
      window.Post(kClose);
    else
      PostMessageA(window.Handle(), WM_CLOSE, 0, 0);
    // The whole comparison takes many seconds; a cancelled one stops at
    // once, and no "Operation aborted." box holds the program.
    EXPECT_TRUE(program_.WaitExit(5000))
        << "still running; message box: " << MessageBoxText(program_.FindMessageBox());
    EXPECT_LT(GetTickCount() - start, 5000u);
    program_.Kill();
  }
}

}  // namespace
}  // namespace qm::e2e
