// Saving sides: Save As through the common dialog, each side written back
// in its own line-ending format byte for byte, failures that leave the
// user's file alone, and the question about unsaved changes.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

const std::string kUnix = "first\nsecond\tline\nthird\n";
// A lone CR inside a DOS line stays a text byte.
const std::string kDos = "first\r\nsec\rond\r\nlast without end";
const std::string kMac = "first\rsecond\rthird\r";

class Saving : public E2eTest {
protected:
  TextWindowProbe Compare(const std::string& left, const std::string& right) {
    auto window = Launch(Quote(left) + " " + Quote(right));
    EXPECT_TRUE(WaitFor([&] { return window.StatusPart(3) != kNoResult; }));
    return window;
  }
};

TEST_F(Saving, SaveAsWritesEachSideInItsOwnFormat) {
  std::string unix = dir_.Write("unix.txt", kUnix);
  std::string dos = dir_.Write("dos.txt", kDos);
  std::string mac = dir_.Write("mac.txt", kMac);
  enum How { kLeftSide, kAfterSwitch, kRightSideByF4 };
  struct {
    std::string left, right, format, expected;
    How how;
  } cases[] = {
      {unix, dos, "UNIX ANSI, DOS ANSI", kUnix, kLeftSide},
      {unix, dos, "UNIX ANSI, DOS ANSI", kDos, kAfterSwitch},
      {unix, dos, "UNIX ANSI, DOS ANSI", kDos, kRightSideByF4},
      {mac, unix, "MAC ANSI, UNIX ANSI", kMac, kLeftSide},
  };
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format + " case " + std::to_string(n + 1));
    auto window = Compare(c.left, c.right);
    EXPECT_EQ(window.StatusPart(2), c.format);
    if (c.how == kAfterSwitch) window.Send(kSwitchSides);
    if (c.how == kRightSideByF4) window.Key(VK_F4);
    const int side = c.how == kRightSideByF4 ? 1 : 0;
    std::string name = "saved" + std::to_string(++n) + ".txt";
    std::string target = dir_.File(name);
    window.Key(VK_F12);
    ChooseFile(side ? "Save Right File" : "Save Left File", target);
    program_.Settle(window.Handle());
    EXPECT_EQ(ReadFileBytes(target), c.expected);
    EXPECT_EQ(window.NameText(side), target) << "the name box takes the chosen name";
    EXPECT_NE(window.Title().find(side ? ", " + name + "]" : "[" + name + ", "), std::string::npos)
        << window.Title();
    EXPECT_EQ(program_.FindMessageBox(), nullptr);
    program_.Kill();
  }
  EXPECT_EQ(ReadFileBytes(unix), kUnix) << "the originals are untouched";
  EXPECT_EQ(ReadFileBytes(dos), kDos);
  EXPECT_EQ(ReadFileBytes(mac), kMac);
}

TEST_F(Saving, AFailedSaveShowsTheReasonAndKeepsTheTarget) {
  std::string left = dir_.Write("left.txt", kUnix);
  std::string right = dir_.Write("right.txt", kDos);
  std::string locked = dir_.Write("locked.txt", "precious\n");
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
  auto window = Compare(left, right);
  window.Post(kSaveAs);
  ChooseFile("Save Left File", locked);
  const std::string message = program_.AnswerNext(IDOK);
  const std::string prefix = "Could not save the file.\n\nReason: ";
  EXPECT_EQ(message.substr(0, prefix.size()), prefix) << message;
  EXPECT_GT(message.size(), prefix.size());
  EXPECT_EQ(ReadFileBytes(locked), "precious\n") << "a failed save must not touch the file";
  SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A side is modified the way a user does it: by typing into the pane.
class AskToSave : public Saving {
protected:
  bool Modify(const TextWindowProbe& window) {
    HWND pane = FindWindowExA(window.Handle(), nullptr, "TextView", nullptr);
    if (!pane) return false;
    PostMessageA(pane, WM_CHAR, 'X', 1);
    program_.Settle(window.Handle());
    return WaitFor([&] { return window.Title().find('*') != std::string::npos; }, 1000);
  }
};

TEST_F(AskToSave, YesNoAndCancelOnClose) {
  std::string left = dir_.Write("left.txt", kUnix);
  std::string right = dir_.Write("right.txt", kDos);
  for (int answer : {IDCANCEL, IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    dir_.Write("left.txt", kUnix);
    auto window = Compare(left, right);
    ASSERT_TRUE(Modify(window)) << window.Title();
    EXPECT_EQ(window.Title(), "Quillmere - [left.txt*, right.txt]");
    window.Post(kClose);
    HWND box = program_.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(program_.Answer(box, answer), "Save changes to " + left + "?");
    if (answer == IDCANCEL) {
      Sleep(300);
      EXPECT_TRUE(program_.Running());
      EXPECT_EQ(ReadFileBytes(left), kUnix);
      program_.Kill();
      continue;
    }
    EXPECT_TRUE(program_.WaitExit(10000));
    // Yes writes the typed character in front of the first line, in the
    // file's own line-ending format.
    EXPECT_EQ(ReadFileBytes(left), answer == IDNO ? kUnix : "X" + kUnix);
  }
}

TEST_F(AskToSave, ExitWithAModifiedWindowAsksFirst) {
  std::string left = dir_.Write("left.txt", kUnix);
  std::string right = dir_.Write("right.txt", kDos);
  auto window = Compare(left, right);
  ASSERT_TRUE(Modify(window)) << window.Title();
  window.Post(kExit);
  EXPECT_EQ(program_.AnswerNext(IDCANCEL), "Save changes to " + left + "?");
  Sleep(300);
  EXPECT_TRUE(program_.Running()) << "Cancel keeps the program";
  window.Post(kExit);
  EXPECT_EQ(program_.AnswerNext(IDNO), "Save changes to " + left + "?");
  EXPECT_TRUE(program_.WaitExit(10000));
  EXPECT_EQ(ReadFileBytes(left), kUnix);
}

}  // namespace
}  // namespace qm::e2e
