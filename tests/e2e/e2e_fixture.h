// The fixture every end-to-end test starts from: a clean settings key, a
// temporary folder of the test's own and helpers to start the program on a
// command line and wait for its text window.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/driver.h"

namespace qm::e2e {

// Strings of the program that the tests read back.
inline const std::string kNoFile = "<no file>";
inline const std::string kNoDifferences = "No differences";
// Status parts 1 to 3 until a comparison succeeds.
inline const std::string kNoResult;
inline const std::string kIdentical = "The files are identical.";
inline const std::string kCommandLineHelp =
    "Using Quillmere from the command line:\n\nComparing files:\n"
    "    compare.exe [options] file1 file2\n\nComparing folders:\n"
    "    compare.exe [options] folder1 folder2\n\nOptions:\n    /?\tthis help";

// Commands of the text window.
enum Command : int {
  kSaveAll = 20503,
  kExport = 20003,
  kClose = 20008,
  kExit = 20009,
  kToggleToolBar = 20200,
  kToggleStatusBar = 20201,
  kPrevDiff = 20210,
  kNextDiff = 20211,
  kRefresh = 20212,
  kSwitchSides = 20213,
  kSave = 20501,
  kSaveAs = 20502,
  kUndo = 20100,
  kRedo = 20101,
  kReplaceLeft = 20110,
  kReplaceRight = 20111,
  kCopyLeft = 20507,
  kCopyRight = 20508,
};

inline std::string Quote(const std::string& path) { return "\"" + path + "\""; }

class E2eTest : public ::testing::Test {
protected:
  E2eTest() : dir_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}

  void SetUp() override { ResetSettings(); }

  // Starts the program and waits for its text window; fails the test when
  // no window shows.
  TextWindowProbe Launch(const std::string& args) {
    EXPECT_TRUE(program_.Start(args)) << "could not start " << ProgramPath();
    HWND window = program_.WaitWindow("TextWindow");
    EXPECT_NE(window, nullptr) << "no text window for: " << args;
    return TextWindowProbe(program_, window);
  }

  // Waits until status part 3 (the difference count) reads text.
  bool WaitStatus(const TextWindowProbe& window, int part, const std::string& text) {
    return WaitFor([&] { return window.StatusPart(part) == text; }, 10000);
  }

  // Answers an open file dialog (Save As, Browse) with a file name.
  void ChooseFile(const char* title, const std::string& path) {
    HWND dialog = program_.WaitDialog(title);
    ASSERT_NE(dialog, nullptr) << "no dialog " << title;
    // The file name field: edt1 in Wine's dialog, the combo box cmb13 in
    // the explorer-style dialog of Windows.
    HWND name = GetDlgItem(dialog, 0x480);
    if (!name || !IsWindowVisible(name)) name = GetDlgItem(dialog, 0x47C);
    ASSERT_NE(name, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &ignored);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    // A save dialog asks before it names an existing file: say yes, as a
    // user who picked that name on purpose would.
    ASSERT_TRUE(WaitFor([&] {
      if (!IsWindow(dialog)) return true;
      HWND box = program_.FindMessageBox();
      if (box && MessageBoxText(box).find("already exists") != std::string::npos) {
        program_.Answer(box, IDYES);
      }
      return false;
    }));
  }

  // Opens the export dialog, names the page and presses OK; what follows
  // (a question, a refusal, the page) is the caller's to wait for.
  void ExportTo(const TextWindowProbe& window, const std::string& path) {
    window.Post(kExport);
    HWND dialog = program_.WaitDialog("Export");
    ASSERT_NE(dialog, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, 10603), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, 5000, &ignored);
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
  }

  void Shot(const TextWindowProbe& window, const std::string& name) {
    SaveScreenshot(window.Handle(), name);
  }

  TempDir dir_;
  Program program_;
};

}  // namespace qm::e2e
