// Merging as a user does it: copying and deleting differences by keys,
// undo and redo with the title's modified mark, saving the merged side in
// its own line-ending format, and Replace with its question.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

// Left: Unix line ends; right: DOS line ends, one changed line, one extra.
const std::string kLeft = "one\nthe second line\nthree\nfour\n";
const std::string kRight = "one\r\nthe Second line\r\nthree\r\nextra\r\nfour\r\n";

class Merging : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    left_ = dir_.Write("left.txt", kLeft);
    right_ = dir_.Write("right.txt", kRight);
  }

  TextWindowProbe Compare() {
    auto window = Launch(Quote(left_) + " " + Quote(right_));
    EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 2, Lines: 2")) << window.StatusPart(3);
    return window;
  }

  bool WaitTitle(const TextWindowProbe& window, const std::string& title) {
    return WaitFor([&] { return window.Title() == title; }, 5000);
  }

  std::string left_, right_;
};

TEST_F(Merging, CopyByKeysUndoRedoAndSaveInTheSidesOwnFormat) {
  auto window = Compare();
  // On the first difference (the second line) Alt+Right copies the left
  // line over the right one.
  window.Post(kNextDiff);
  window.Chord(VK_MENU, VK_RIGHT);
  ASSERT_TRUE(WaitTitle(window, "Quillmere - [left.txt, right.txt*]")) << window.Title();
  EXPECT_EQ(window.StatusPart(3), "Diffs: 1, Lines: 1");

  // Undo takes the copy back and the mark goes; redo brings both again.
  window.CtrlKey('Z');
  ASSERT_TRUE(WaitTitle(window, "Quillmere - [left.txt, right.txt]")) << window.Title();
  EXPECT_EQ(window.StatusPart(3), "Diffs: 2, Lines: 2");
  window.CtrlKey('Y');
  ASSERT_TRUE(WaitTitle(window, "Quillmere - [left.txt, right.txt*]")) << window.Title();

  // The next difference is the right side's extra line: Ctrl+Del deletes it
  // from the active side, which must be the right one first (F4).
  window.Post(kNextDiff);
  window.Key(VK_F4);
  window.Chord(VK_CONTROL, VK_DELETE);
  ASSERT_TRUE(WaitStatus(window, 3, kNoDifferences)) << window.StatusPart(3);

  window.CtrlKey('S');
  EXPECT_TRUE(WaitTitle(window, "Quillmere - [left.txt, right.txt]")) << window.Title();
  EXPECT_EQ(ReadFileBytes(right_), "one\r\nthe second line\r\nthree\r\nfour\r\n");
  EXPECT_EQ(ReadFileBytes(left_), kLeft);

  // Undo past the save makes the side modified again.
  window.CtrlKey('Z');
  EXPECT_TRUE(WaitTitle(window, "Quillmere - [left.txt, right.txt*]")) << window.Title();
  Shot(window, "merge-after-undo");
  program_.Kill();
}

TEST_F(Merging, CommandsThatCannotApplyChangeNothing) {
  auto window = Compare();
  // The caret is on a changed pair: Copy <-- and --> are possible, but
  // nothing at all can be undone or redone yet.
  window.Send(kUndo);
  window.Send(kRedo);
  EXPECT_EQ(window.Title(), "Quillmere - [left.txt, right.txt]");
  // On the right side's extra line a copy to the right has nothing to copy.
  window.Send(kNextDiff);
  window.Send(kNextDiff);
  window.Send(kCopyRight);
  EXPECT_EQ(window.Title(), "Quillmere - [left.txt, right.txt]");
  EXPECT_EQ(window.StatusPart(3), "Diffs: 2, Lines: 2");
  program_.Kill();
  EXPECT_EQ(ReadFileBytes(left_), kLeft);
  EXPECT_EQ(ReadFileBytes(right_), kRight);
}

TEST_F(Merging, ReplaceAsksAndWritesAtOnce) {
  auto window = Compare();
  window.Post(kReplaceLeft);
  EXPECT_EQ(program_.AnswerNext(IDNO),
            "Warning: you cannot undo this operation! Really replace the file?");
  program_.Settle(window.Handle());
  EXPECT_EQ(ReadFileBytes(left_), kLeft) << "No changes nothing";

  window.Post(kReplaceLeft);
  EXPECT_EQ(program_.AnswerNext(IDYES),
            "Warning: you cannot undo this operation! Really replace the file?");
  // The left file now holds the right text in the right's format, written
  // already: no mark, nothing to undo, no differences.
  ASSERT_TRUE(WaitStatus(window, 3, kNoDifferences)) << window.StatusPart(3);
  EXPECT_EQ(ReadFileBytes(left_), kRight);
  EXPECT_EQ(window.Title(), "Quillmere - [left.txt, right.txt]");
  window.Send(kUndo);
  EXPECT_EQ(ReadFileBytes(left_), kRight);
  program_.Kill();
}

TEST_F(Merging, AFailedReplaceWriteLeavesTheSideModified) {
  auto window = Compare();
  // The file cannot be written: the replaced text exists only in the window,
  // which must keep asking to save it.
  SetFileAttributesA(left_.c_str(), FILE_ATTRIBUTE_READONLY);
  window.Post(kReplaceLeft);
  EXPECT_EQ(program_.AnswerNext(IDYES),
            "Warning: you cannot undo this operation! Really replace the file?");
  const std::string message = program_.AnswerNext(IDOK);
  EXPECT_EQ(message.substr(0, 24), "Could not save the file.") << message;
  EXPECT_TRUE(WaitTitle(window, "Quillmere - [left.txt*, right.txt]")) << window.Title();
  EXPECT_EQ(ReadFileBytes(left_), kLeft);
  window.Post(kClose);
  EXPECT_EQ(program_.AnswerNext(IDCANCEL), "Save changes to " + left_ + "?");
  SetFileAttributesA(left_.c_str(), FILE_ATTRIBUTE_NORMAL);
  program_.Kill();
}

}  // namespace
}  // namespace qm::e2e
