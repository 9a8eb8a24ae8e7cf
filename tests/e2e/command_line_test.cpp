// The command line: which window opens, what its name boxes hold, whether it
// compares at once, and the messages shown on the way.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

const std::string kLeftText = "one\ntwo\nthree\n";
const std::string kRightText = "one\ntwo\nthree\nfour\n";

class CommandLine : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    left_ = dir_.Write("a.txt", kLeftText);
    right_ = dir_.Write("b.txt", kRightText);
    third_ = dir_.Write("c.txt", "three\n");
  }

  void ExpectEmptyWindow(const TextWindowProbe& window) {
    EXPECT_EQ(window.Title(), "Quillmere - [<no file>, <no file>]");
    EXPECT_EQ(window.NameText(0), kNoFile);
    EXPECT_EQ(window.NameText(1), kNoFile);
    EXPECT_EQ(window.StatusPart(2), kNoResult) << "nothing may have been compared";
    EXPECT_EQ(program_.Windows("TextWindow").size(), 1u);
  }

  void ExpectCompared(const TextWindowProbe& window, const std::string& left,
                      const std::string& right, const std::string& title) {
    EXPECT_TRUE(WaitStatus(window, 3, "Diffs: 1, Lines: 1")) << window.StatusPart(3);
    EXPECT_EQ(window.Title(), title);
    EXPECT_EQ(window.NameText(0), left);
    EXPECT_EQ(window.NameText(1), right);
    EXPECT_EQ(window.StatusPart(2), "UNIX ANSI, UNIX ANSI");
  }

  std::string left_, right_, third_;
};

TEST_F(CommandLine, NoArgumentsOpensOneEmptyWindow) {
  auto window = Launch("");
  ExpectEmptyWindow(window);
  EXPECT_EQ(window.StatusPart(0), "Press F1 for help");
  EXPECT_EQ(window.StatusPart(1), kNoResult);
  EXPECT_EQ(window.StatusPart(3), kNoResult);
  Shot(window, "empty-window");
}

TEST_F(CommandLine, TwoFilesAreComparedAtOnce) {
  auto window = Launch(Quote(left_) + " " + Quote(right_));
  ExpectCompared(window, left_, right_, "Quillmere - [a.txt, b.txt]");
  EXPECT_EQ(window.StatusPart(1), "Virt 1, Ln 1, Col 1");
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  Shot(window, "two-files");
}

TEST_F(CommandLine, OneFileOrAFileWithAFolderOpensAnEmptyWindow) {
  for (const std::string& args : {Quote(left_), Quote(left_) + " " + Quote(dir_.Path())}) {
    SCOPED_TRACE(args);
    Program program;
    ASSERT_TRUE(program.Start(args));
    HWND handle = program.WaitWindow("TextWindow");
    ASSERT_NE(handle, nullptr);
    TextWindowProbe window(program, handle);
    EXPECT_EQ(window.NameText(0), kNoFile);
    EXPECT_EQ(window.NameText(1), kNoFile);
    EXPECT_EQ(window.StatusPart(2), kNoResult);
    EXPECT_EQ(program.FindMessageBox(), nullptr) << "the ignored path gives no message";
    EXPECT_TRUE(program.Windows("FolderWindow").empty());
  }
}

TEST_F(CommandLine, AThirdFileIsIgnored) {
  auto window = Launch(Quote(left_) + " " + Quote(right_) + " " + Quote(third_));
  ExpectCompared(window, left_, right_, "Quillmere - [a.txt, b.txt]");
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
}

TEST_F(CommandLine, HelpOptionShowsTheHelpThenCompares) {
  ASSERT_TRUE(program_.Start("/? " + Quote(left_) + " " + Quote(right_)));
  HWND box = program_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(box), "Quillmere");
  SaveScreenshot(box, "command-line-help");
  EXPECT_EQ(program_.Answer(box, IDOK), kCommandLineHelp);
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  ExpectCompared(TextWindowProbe(program_, handle), left_, right_, "Quillmere - [a.txt, b.txt]");
}

TEST_F(CommandLine, UnknownOptionShowsTheHelpThenAnEmptyWindow) {
  ASSERT_TRUE(program_.Start("/x"));
  EXPECT_EQ(program_.AnswerNext(IDOK), kCommandLineHelp);
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  ExpectEmptyWindow(TextWindowProbe(program_, handle));
}

TEST_F(CommandLine, MissingFileIsNamedAsTyped) {
  ASSERT_TRUE(program_.Start("no-such-file.txt " + Quote(right_)));
  EXPECT_EQ(program_.AnswerNext(IDOK), "Could not find the file or folder:\nno-such-file.txt");
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  ExpectEmptyWindow(TextWindowProbe(program_, handle));
}

TEST_F(CommandLine, ContextOptionWithOneFileFillsBothSidesWithoutComparing) {
  auto window = Launch("/ctx " + Quote(left_) + " " + Quote(left_));
  EXPECT_EQ(window.NameText(0), left_);
  EXPECT_EQ(window.NameText(1), left_);
  EXPECT_EQ(window.Title(), "Quillmere - [a.txt, a.txt]");
  Sleep(300);
  EXPECT_EQ(window.StatusPart(2), kNoResult) << "the files must not have been loaded";
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
}

TEST_F(CommandLine, ContextOptionIsCaseSensitive) {
  ASSERT_TRUE(program_.Start("/CTX " + Quote(left_) + " " + Quote(left_)));
  EXPECT_EQ(program_.AnswerNext(IDOK), kCommandLineHelp);
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  TextWindowProbe window(program_, handle);
  EXPECT_TRUE(WaitStatus(window, 2, "UNIX ANSI, UNIX ANSI")) << "the comparison must have run";
  EXPECT_EQ(window.StatusPart(3), kNoDifferences);
}

TEST_F(CommandLine, IdenticalFilesWithTheMessageOnEndTheProgram) {
  SetSetting("IdenticalMessage", "true");
  std::string copy = dir_.Write("copy.txt", kLeftText);
  ASSERT_TRUE(program_.Start(Quote(left_) + " " + Quote(copy)));
  HWND box = program_.WaitMessageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(program_.Answer(box, IDOK), kIdentical);
  EXPECT_TRUE(program_.WaitExit(10000)) << "the only window must close after the message";
}

TEST_F(CommandLine, IdenticalFilesWithTheMessageOffKeepTheWindow) {
  std::string copy = dir_.Write("copy.txt", kLeftText);
  auto window = Launch(Quote(left_) + " " + Quote(copy));
  EXPECT_TRUE(WaitStatus(window, 3, kNoDifferences));
  EXPECT_TRUE(WaitStatus(window, 2, "UNIX ANSI, UNIX ANSI"));
  Sleep(300);
  EXPECT_EQ(program_.FindMessageBox(), nullptr);
  EXPECT_TRUE(program_.Running());
}

TEST_F(CommandLine, IdenticalMessageOnALaterRefreshKeepsTheWindow) {
  SetSetting("IdenticalMessage", "true");
  std::string copy = dir_.Write("copy.txt", kLeftText);
  ASSERT_TRUE(program_.Start(Quote(left_) + " " + Quote(copy)));
  EXPECT_EQ(program_.AnswerNext(IDOK), kIdentical);
  ASSERT_TRUE(program_.WaitExit(10000));

  // Started empty, then compared by Refresh: the message, and the window stays.
  ASSERT_TRUE(program_.Start(""));
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  TextWindowProbe window(program_, handle);
  window.SetNameText(0, left_);
  window.SetNameText(1, copy);
  window.Key(VK_F5);
  EXPECT_EQ(program_.AnswerNext(IDOK), kIdentical);
  Sleep(300);
  EXPECT_TRUE(program_.Running());
  EXPECT_TRUE(IsWindow(handle));
}

}  // namespace
}  // namespace qm::e2e
