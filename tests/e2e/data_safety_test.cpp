// Every route that writes a file, tried the way a careless or unlucky user
// would: keys, tool-bar buttons and commands sent from outside on a window
// that loaded nothing, whose load failed, or whose sides are unchanged; the
// other compared file as a Save As or Export target; a device as a file.
// Whatever happens, the user's files keep their bytes.
#include "tests/e2e/e2e_fixture.h"

namespace qm::e2e {
namespace {

const std::string kPrecious = "keep me\r\n";
// A DOS file with one lone LF: rewriting it would turn that into CR LF.
const std::string kLoneLf = "one\r\ntwo\nthree\r\n";

class DataSafety : public E2eTest {
protected:
  // Save, Save All and Save As by every route the window offers.
  void TryEveryWrite(const TextWindowProbe& window) {
    window.CtrlKey('S');
    window.Key(VK_F12);
    window.Send(kSave);
    window.Send(kSaveAll);
    window.ToolBarClick(kSave);
    window.ToolBarClick(kSaveAll);
    window.Post(kSaveAs);
    HWND pane = FindWindowExA(window.Handle(), nullptr, "TextView", nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(pane, WM_COMMAND, kSave, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    // The edits: typed text, Replace and the merges sent from outside. A
    // side that holds no loaded file takes none of them, so nothing can
    // be marked modified that could never be saved.
    PostMessageW(pane, WM_CHAR, L'X', 1);
    PostMessageW(pane, WM_CHAR, L'\r', 1);
    for (int command : {kReplaceLeft, kReplaceRight, kCopyLeft, kCopyRight, kUndo, kRedo})
      window.Send(command);
    window.CtrlKey('V');
    program_.Settle(window.Handle());
    Sleep(300);
    EXPECT_EQ(window.Title().find('*'), std::string::npos) << window.Title();
  }
  bool AnyDialogOpen() const { return !program_.Windows("#32770").empty(); }
};

TEST_F(DataSafety, AWindowThatLoadedNothingWritesNothing) {
  const std::string left = dir_.Write("left.txt", kPrecious);
  const std::string right = dir_.Write("right.txt", kLoneLf);
  SetSetting("LeftFile.text", left);
  SetSetting("RightFile.text", right);
  auto window = Launch("");
  ASSERT_EQ(window.NameText(0), left);
  EXPECT_FALSE(window.ToolButtonEnabled(kSave));
  TryEveryWrite(window);
  EXPECT_FALSE(AnyDialogOpen()) << "a disabled Save As opens no dialog";
  EXPECT_EQ(ReadFileBytes(left), kPrecious);
  EXPECT_EQ(ReadFileBytes(right), kLoneLf);
  EXPECT_TRUE(program_.Running());
}

TEST_F(DataSafety, AFailedLoadWritesNothing) {
  const std::string left = dir_.Write("left.txt", kPrecious);
  ASSERT_TRUE(program_.Start(Quote(left) + " " + Quote(dir_.File("missing.txt"))));
  EXPECT_NE(program_.AnswerNext(IDOK).find("Could not find the file or folder"), std::string::npos);
  HWND handle = program_.WaitWindow("TextWindow");
  ASSERT_NE(handle, nullptr);
  TextWindowProbe window(program_, handle);
  TryEveryWrite(window);
  EXPECT_FALSE(AnyDialogOpen());
  EXPECT_EQ(ReadFileBytes(left), kPrecious);
}

TEST_F(DataSafety, UnchangedSidesAreNotRewrittenButSaveAsStillWrites) {
  const std::string left = dir_.Write("dos.txt", kLoneLf);
  const std::string right = dir_.Write("other.txt", "one\ntwo\n");
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitFor([&] { return window.StatusPart(3) != ""; }));
  window.CtrlKey('S');
  window.Send(kSave);
  window.Send(kSaveAll);
  window.ToolBarClick(kSave);
  program_.Settle(window.Handle());
  EXPECT_FALSE(AnyDialogOpen());
  EXPECT_EQ(ReadFileBytes(left), kLoneLf) << "nothing changed, nothing written";

  // Someone changes the file behind the window: an unmodified side is
  // never put back over it.
  dir_.Write("dos.txt", "their change\n");
  window.Send(kSave);
  EXPECT_EQ(ReadFileBytes(left), "their change\n");

  // Save As of the unchanged side writes the new file as loaded.
  const std::string copy = dir_.File("copy.txt");
  window.Key(VK_F12);
  ChooseFile("Save Left File", copy);
  program_.Settle(window.Handle());
  EXPECT_EQ(ReadFileBytes(copy), "one\r\ntwo\r\nthree\r\n");
}

TEST_F(DataSafety, TheOtherComparedFileIsNeverATarget) {
  const std::string left = dir_.Write("l.txt", "left\n");
  const std::string right = dir_.Write("r.txt", kLoneLf);
  auto window = Launch(Quote(left) + " " + Quote(right));
  ASSERT_TRUE(WaitFor([&] { return window.StatusPart(3) != ""; }));

  // Save As of the left side onto the right file, spelled differently.
  window.Key(VK_F12);
  ChooseFile("Save Left File", dir_.Path() + "\\.\\R.TXT");
  std::string message = program_.AnswerNext(IDOK);
  EXPECT_NE(message.find("being compared in this window"), std::string::npos) << message;
  program_.Settle(window.Handle());
  EXPECT_EQ(ReadFileBytes(right), kLoneLf);
  EXPECT_EQ(window.Title(), "Quillmere - [l.txt, r.txt]");
  EXPECT_EQ(window.NameText(0), left) << "the name box keeps the compared file";

  // Export onto either compared file is refused and the dialog stays open.
  for (const std::string& target : {left, right}) {
    ExportTo(window, target);
    HWND box = program_.WaitMessageBox();
    ASSERT_NE(box, nullptr);
    SaveScreenshot(window.Handle(), "export-onto-compared-file");
    message = program_.Answer(box, IDOK);
    EXPECT_NE(message.find("being compared in this window"), std::string::npos) << message;
    HWND dialog = program_.WaitDialog("Export");
    ASSERT_NE(dialog, nullptr) << "the export dialog waits for another name";
    PostMessageA(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !AnyDialogOpen(); }));
  }
  EXPECT_EQ(ReadFileBytes(left), "left\n");
  EXPECT_EQ(ReadFileBytes(right), kLoneLf);

  // Any other existing file is replaced only when the user says so.
  const std::string other = dir_.Write("page.html", "mine\n");
  ExportTo(window, other);
  EXPECT_NE(program_.AnswerNext(IDNO).find("already exists"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(other), "mine\n");
  HWND dialog = program_.WaitDialog("Export");
  ASSERT_NE(dialog, nullptr);
  PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  EXPECT_NE(program_.AnswerNext(IDYES).find("already exists"), std::string::npos);
  ASSERT_TRUE(WaitFor([&] { return ReadFileBytes(other).substr(0, 6) == "<HTML>"; }));
}

TEST_F(DataSafety, ADeviceIsNeverAWriteTarget) {
  auto window = Launch(Quote(dir_.Write("l.txt", "left\n")) + " " +
                       Quote(dir_.Write("r.txt", "right\n")));
  ASSERT_TRUE(WaitFor([&] { return window.StatusPart(3) != ""; }));
  for (const std::string& device : {std::string("NUL"), std::string("COM1")}) {
    SCOPED_TRACE(device);
    ExportTo(window, device);
    std::string message;
    // Whether the name seems to exist (then the replace question comes
    // first) depends on the machine; the refusal does not.
    for (int boxes = 0; boxes < 2 && message.empty(); ++boxes) {
      HWND box = program_.WaitMessageBox(8000);
      ASSERT_NE(box, nullptr);
      const std::string text = MessageBoxText(box);
      if (text.find("already exists") != std::string::npos) {
        program_.Answer(box, IDYES);
      } else {
        message = program_.Answer(box, IDOK);
      }
    }
    EXPECT_EQ(message, "Could not export comparison results.\n\nReason: The name is a device "
                       "or a pipe, not a file on disk.");
    ASSERT_TRUE(WaitFor([&] { return !AnyDialogOpen(); }));
  }
}

TEST_F(DataSafety, ADeviceTypedAsANameIsRefusedAtOnce) {
  const std::string file = dir_.Write("f.txt", kPrecious);
  auto window = Launch(Quote(file) + " " + Quote(file));
  ASSERT_TRUE(WaitFor([&] { return window.StatusPart(3) != ""; }));
  for (const std::string& device : {std::string("COM1"), std::string("NUL"),
                                    dir_.File("con.txt"), std::string("\\\\.\\pipe\\qm")}) {
    SCOPED_TRACE(device);
    window.SetNameText(1, device);
    window.Key(VK_F5);
    // Refused before anything is opened: never a "Please wait..." that
    // Cancel cannot end.
    HWND box = program_.WaitMessageBox(8000);
    ASSERT_NE(box, nullptr);
    if (device == "COM1") SaveScreenshot(window.Handle(), "device-refused");
    const std::string message = program_.Answer(box, IDOK);
    EXPECT_EQ(message.find("Cannot load right file.\n\nReason: "), 0u) << message;
    EXPECT_NE(message.find("device or a pipe"), std::string::npos) << message;
    ASSERT_TRUE(WaitFor([&] { return program_.Windows("#32770").empty(); }));
    EXPECT_FALSE(window.ToolButtonEnabled(kSave));
  }
  // The window still compares real files afterwards.
  window.SetNameText(1, file);
  window.Key(VK_F5);
  EXPECT_TRUE(WaitFor([&] { return window.StatusPart(3) == kNoDifferences; }));
  EXPECT_EQ(ReadFileBytes(file), kPrecious);
}

}  // namespace
}  // namespace qm::e2e
