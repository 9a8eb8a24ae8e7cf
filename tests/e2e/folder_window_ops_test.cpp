// The folder window with its lists and operations: a pair opened by
// double-click, copies and deletions from the context menu and by keys,
// undo after Switch Sides, and a Refresh that drops the undo backups.
// After every step the disk is read back: the window's word is not taken
// for it.
#include "tests/e2e/e2e_fixture.h"
#include "tests/e2e/folder_probe.h"

namespace qm::e2e {
namespace {

using Rows = std::vector<std::string>;

// The backup folders of undo in the temporary folder.
std::vector<std::string> BackupFolders() {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  std::vector<std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((std::string(temp) + "cmp-*.tmp").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return found;
  do {
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      found.push_back(std::string(temp) + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return found;
}

class FolderOpsTest : public E2eTest {
protected:
  void SetUp() override {
    E2eTest::SetUp();
    oldRoot_ = dir_.Path() + "\\old";
    newRoot_ = dir_.Path() + "\\new";
    CreateDirectoryA(oldRoot_.c_str(), nullptr);
    CreateDirectoryA(newRoot_.c_str(), nullptr);
    dir_.Write("old\\changed.txt", "old text\n");
    dir_.Write("new\\changed.txt", "new text, longer\n");
    dir_.Write("old\\gone.txt", "gone\n");
    dir_.Write("new\\added.txt", "added\n");
    backupsBefore_ = BackupFolders();
  }

  FolderWindowProbe Open() {
    EXPECT_TRUE(program_.Start(Quote(oldRoot_) + " " + Quote(newRoot_)));
    HWND handle = program_.WaitWindow("FolderWindow");
    EXPECT_NE(handle, nullptr);
    FolderWindowProbe window(program_, handle);
    EXPECT_TRUE(WaitFor([&] { return window.TabCaption(0).find('(') != std::string::npos; }));
    return window;
  }
  // Opens the context menu on a row and picks its item at position (0 the
  // first), with the keys a user would press; the open menu is saved as a
  // screenshot when shot is given.
  void ChooseFromMenu(const FolderWindowProbe& window, FolderTab tab, int row, int position,
                      const char* shot = nullptr) {
    window.ClickTab(tab);
    window.RightClickRow(tab, row);
    HWND menu = program_.WaitWindow("#32768", 5000);
    ASSERT_NE(menu, nullptr) << "no context menu";
    if (shot) SaveScreenshot(window.Handle(), shot);
    for (int i = 0; i <= position; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 5000));
    program_.Settle(window.Handle());
  }
  bool WaitFile(const std::string& path, bool exists) {
    return WaitFor([&] { return FileExists(path) == exists; });
  }
  std::vector<std::string> NewBackups() const {
    std::vector<std::string> now = BackupFolders(), added;
    for (const std::string& b : now)
      if (std::find(backupsBefore_.begin(), backupsBefore_.end(), b) == backupsBefore_.end())
        added.push_back(b);
    return added;
  }

  std::string oldRoot_, newRoot_;
  std::vector<std::string> backupsBefore_;
};

TEST_F(FolderOpsTest, DoubleClickOpensThePairAndMarksBothSides) {
  auto window = Open();
  window.DoubleClickRow(kChangedTab, 0);
  HWND text = program_.WaitWindow("TextWindow");
  ASSERT_NE(text, nullptr) << "a text window opens for the pair";
  TextWindowProbe pair(program_, text);
  EXPECT_EQ(pair.NameText(0), oldRoot_ + "\\changed.txt");
  EXPECT_EQ(pair.NameText(1), newRoot_ + "\\changed.txt");
  EXPECT_EQ(window.Title(), "Quillmere - [old*, new*]");
  EXPECT_EQ(window.TabCaption(kChangedTab), "Changed (0)") << "an opened entry is not Present";
  EXPECT_EQ(window.Rows(kChangedTab), (Rows{"changed.txt"})) << "but stays listed";
}

TEST_F(FolderOpsTest, CopyDeleteAndUndoFromTheMenuAndByKeys) {
  auto window = Open();
  const std::string copied = newRoot_ + "\\gone.txt";
  // Old list, first item "Copy to new".
  ChooseFromMenu(window, kOldTab, 0, 0, "folder-context-menu");
  ASSERT_TRUE(WaitFile(copied, true));
  EXPECT_EQ(ReadFileBytes(copied), "gone\n");
  EXPECT_EQ(ReadFileBytes(oldRoot_ + "\\gone.txt"), "gone\n");
  EXPECT_EQ(window.TabCaption(kOldTab), "Old (0)");
  EXPECT_EQ(window.Title(), "Quillmere - [old, new*]");
  SaveScreenshot(window.Handle(), "folder-after-copy");

  // Ctrl+Z undoes it: the copy is gone, the original stays.
  window.SelectRow(kOldTab, 0);
  window.CtrlKey('Z');
  ASSERT_TRUE(WaitFile(copied, false));
  EXPECT_EQ(ReadFileBytes(oldRoot_ + "\\gone.txt"), "gone\n");
  EXPECT_EQ(window.TabCaption(kOldTab), "Old (1)");

  // New list, second item "Delete new": the file goes, with a backup.
  const std::string added = newRoot_ + "\\added.txt";
  ChooseFromMenu(window, kNewTab, 0, 1);
  ASSERT_TRUE(WaitFile(added, false));
  EXPECT_EQ(window.TabCaption(kNewTab), "New (0)");
  EXPECT_FALSE(NewBackups().empty()) << "the deletion keeps a backup for undo";
  // Alt+Backspace, the other undo key, brings it back whole.
  window.SelectRow(kNewTab, 0);
  window.Chord(VK_MENU, VK_BACK);
  ASSERT_TRUE(WaitFile(added, true));
  EXPECT_EQ(ReadFileBytes(added), "added\n");
  EXPECT_EQ(window.TabCaption(kNewTab), "New (1)");
}

TEST_F(FolderOpsTest, UndoAfterSwitchSidesRestoresTheRightFile) {
  auto window = Open();
  // Changed list: Compare, Copy to old, Copy to new, Delete old, ...:
  // "Delete old" is the fourth action item.
  const std::string oldFile = oldRoot_ + "\\changed.txt";
  ChooseFromMenu(window, kChangedTab, 0, 3);
  ASSERT_TRUE(WaitFile(oldFile, false));
  EXPECT_EQ(ReadFileBytes(newRoot_ + "\\changed.txt"), "new text, longer\n");
  window.Send(kSwitchSides);
  EXPECT_EQ(window.Title(), "Quillmere - [new, old*]");
  window.SelectRow(kChangedTab, 0);
  window.CtrlKey('Z');
  ASSERT_TRUE(WaitFile(oldFile, true));
  EXPECT_EQ(ReadFileBytes(oldFile), "old text\n");
  EXPECT_EQ(ReadFileBytes(newRoot_ + "\\changed.txt"), "new text, longer\n");
}

TEST_F(FolderOpsTest, RefreshDropsTheUndoBackups) {
  auto window = Open();
  ChooseFromMenu(window, kNewTab, 0, 1);  // Delete new
  ASSERT_TRUE(WaitFile(newRoot_ + "\\added.txt", false));
  const std::vector<std::string> backups = NewBackups();
  ASSERT_FALSE(backups.empty());
  window.Key(VK_F5);
  ASSERT_TRUE(WaitFor([&] {
    return window.TabCaption(kNewTab) == "New (0)" && window.TabCaption(kOldTab) == "Old (1)";
  }));
  for (const std::string& backup : backups) EXPECT_FALSE(FileExists(backup)) << backup;
  EXPECT_FALSE(FileExists(newRoot_ + "\\added.txt")) << "the deletion itself stays";
  // Closing the window drops what a later operation kept.
  ChooseFromMenu(window, kOldTab, 0, 1);  // Delete old
  ASSERT_TRUE(WaitFile(oldRoot_ + "\\gone.txt", false));
  const std::vector<std::string> later = NewBackups();
  ASSERT_FALSE(later.empty());
  window.Post(kClose);
  ASSERT_TRUE(program_.WaitExit());
  for (const std::string& backup : later) EXPECT_FALSE(FileExists(backup)) << backup;
}

}  // namespace
}  // namespace qm::e2e
