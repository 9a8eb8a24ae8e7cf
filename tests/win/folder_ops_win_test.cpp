// The folder operations through the real shell file operation, with the
// faults a user meets: read-only targets, a file held open by someone
// else, a source that vanished, a path too long. After each, nothing is
// lost, and every undo brings back the exact bytes and times.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/paths.h"
#include "folders/folder_ops.h"
#include "folders/shell_file_operations.h"

namespace qm {
namespace {

std::wstring W(const std::string& s) {
  std::wstring w(s.size(), L'\0');
  w.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &w[0],
                          static_cast<int>(w.size()))));
  return w;
}

void Write(const std::string& path, const std::string& bytes, FILETIME* time = nullptr) {
  const HANDLE h = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h) << path;
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (time) SetFileTime(h, time, time, time);
  CloseHandle(h);
}

std::string Read(const std::string& path) {
  const HANDLE h = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[1 << 16];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

uint64_t WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(W(path).c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
         data.ftLastWriteTime.dwLowDateTime;
}

FILETIME Time(int year) {
  SYSTEMTIME st = {};
  st.wYear = static_cast<WORD>(year);
  st.wMonth = 3;
  st.wDay = 14;
  st.wHour = 10;
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

bool Exists(const std::string& path) {
  return GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void SetFolderTime(const std::string& path, FILETIME time) {
  const HANDLE h = CreateFileW(W(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  SetFileTime(h, &time, &time, &time);
  CloseHandle(h);
}

class ShellFolderOps : public ::testing::Test {
protected:
  std::string base;
  FolderComparison comparison;
  std::unique_ptr<FileOperations> ops = NewShellFileOperations(nullptr, ShellOperationsMode::Quiet);

  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "qm-ops-%lu-%lu", GetCurrentProcessId(), GetTickCount());
    std::string narrow;
    for (const wchar_t* p = temp; *p; ++p) narrow.push_back(static_cast<char>(*p));
    base = JoinPath(narrow, name);
    comparison.oldRoot = JoinPath(base, "old");
    comparison.newRoot = JoinPath(base, "new");
    ASSERT_TRUE(MakeFolderPath(*ops, comparison.oldRoot));
    ASSERT_TRUE(MakeFolderPath(*ops, comparison.newRoot));
  }
  void TearDown() override { DiscardBackupFolder(base); }

  size_t Add(FolderListKind kind, const std::string& name) {
    FolderEntry entry;
    entry.name = name;
    comparison.List(kind).push_back(entry);
    return comparison.List(kind).size() - 1;
  }
  bool Do(FolderListKind kind, size_t index, FolderOperation op, bool undo = true) {
    return RunEntryOperation(comparison, kind, index, op, undo, *ops);
  }
  std::string Old(const std::string& n) { return JoinPath(comparison.oldRoot, n); }
  std::string New(const std::string& n) { return JoinPath(comparison.newRoot, n); }
};

TEST_F(ShellFolderOps, CopyOverReadOnlyTargetThenUndoBringsBackBytesAndTime) {
  FILETIME t = Time(2001);
  Write(Old("a.txt"), "old bytes", &t);
  SetFileAttributesW(W(Old("a.txt")).c_str(), FILE_ATTRIBUTE_READONLY);
  Write(New("a.txt"), "new bytes, longer");
  const uint64_t oldTime = WriteTime(Old("a.txt"));
  const size_t i = Add(FolderListKind::ChangedList, "a.txt");
  ASSERT_TRUE(Do(FolderListKind::ChangedList, i, FolderOperation::CopyToOld));
  EXPECT_EQ("new bytes, longer", Read(Old("a.txt")));
  const std::string backup = comparison.lists[2][i].undoPath;
  EXPECT_EQ("old bytes", Read(JoinPath(backup, "a.txt")));
  EXPECT_EQ(0u, LastComponent(backup).find("cmp-"));
  ASSERT_TRUE(Do(FolderListKind::ChangedList, i, FolderOperation::Undo));
  EXPECT_EQ("old bytes", Read(Old("a.txt")));
  EXPECT_EQ(oldTime, WriteTime(Old("a.txt")));
  EXPECT_FALSE(Exists(backup));  // read-only inside did not keep it
}

TEST_F(ShellFolderOps, CopiedFolderKeepsFolderTimesAndUndoOfDeleteRestoresTree) {
  ASSERT_TRUE(MakeFolderPath(*ops, New("tree\\inner")));
  Write(New("tree\\inner\\f.txt"), "deep file");
  SetFolderTime(New("tree\\inner"), Time(1999));
  SetFolderTime(New("tree"), Time(1998));
  const size_t i = Add(FolderListKind::NewList, "tree");
  ASSERT_TRUE(Do(FolderListKind::NewList, i, FolderOperation::CopyToOld));
  EXPECT_EQ("deep file", Read(Old("tree\\inner\\f.txt")));
  EXPECT_EQ(WriteTime(New("tree")), WriteTime(Old("tree")));
  EXPECT_EQ(WriteTime(New("tree\\inner")), WriteTime(Old("tree\\inner")));

  const size_t j = Add(FolderListKind::NewList, "gone");
  ASSERT_TRUE(MakeFolderPath(*ops, New("gone")));
  FILETIME t = Time(2007);
  Write(New("gone\\g.txt"), "to be deleted", &t);
  const uint64_t deletedTime = WriteTime(New("gone\\g.txt"));
  ASSERT_TRUE(Do(FolderListKind::NewList, j, FolderOperation::DeleteNew));
  EXPECT_FALSE(Exists(New("gone")));
  ASSERT_TRUE(Do(FolderListKind::NewList, j, FolderOperation::Undo));
  EXPECT_EQ("to be deleted", Read(New("gone\\g.txt")));
  EXPECT_EQ(deletedTime, WriteTime(New("gone\\g.txt")));
}

TEST_F(ShellFolderOps, FaultsLeaveEveryItemAsItWas) {
  // Another program holds a file without sharing: it can be neither moved
  // aside nor replaced; inside a folder merged into (no undo) the shell may
  // even report success, but a copy that is not whole must not count.
  ASSERT_TRUE(MakeFolderPath(*ops, Old("tree")) && MakeFolderPath(*ops, New("tree")));
  const struct {
    const char* name;
    const char* held;
    bool undo;
  } cases[] = {{"held.txt", "held.txt", true}, {"held.txt", "held.txt", false},
               {"tree", "tree\\f.txt", false}};
  for (const auto& c : cases) {
    Write(Old(c.held), "held open");
    Write(New(c.held), "would replace it");
    const size_t i = Add(FolderListKind::ChangedList, c.name);
    const HANDLE h = CreateFileW(W(Old(c.held)).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_FALSE(Do(FolderListKind::ChangedList, i, FolderOperation::CopyToOld, c.undo)) << c.name;
    CloseHandle(h);
    EXPECT_EQ("held open", Read(Old(c.held))) << c.name;
    EXPECT_EQ(EntryState::Present, comparison.lists[2][i].state);
  }

  const size_t vanished = Add(FolderListKind::NewList, "vanished.txt");
  EXPECT_FALSE(Do(FolderListKind::NewList, vanished, FolderOperation::CopyToOld));
  EXPECT_FALSE(Exists(Old("vanished.txt")));

  const std::string longName(200, 'n');
  ASSERT_TRUE(MakeFolderPath(*ops, New(longName)));
  Write(New(longName + "\\x.txt"), "x");
  const size_t deep = Add(FolderListKind::NewList, longName + "\\" + std::string(80, 'x'));
  EXPECT_FALSE(Do(FolderListKind::NewList, deep, FolderOperation::CopyToOld));

  // Undo of a delete refuses while an item has appeared in its place.
  Write(Old("back.txt"), "original");
  const size_t back = Add(FolderListKind::OldList, "back.txt");
  ASSERT_TRUE(Do(FolderListKind::OldList, back, FolderOperation::DeleteOld));
  Write(Old("back.txt"), "written since");
  EXPECT_FALSE(Do(FolderListKind::OldList, back, FolderOperation::Undo));
  EXPECT_EQ("written since", Read(Old("back.txt")));
  DeleteFileW(W(Old("back.txt")).c_str());
  ASSERT_TRUE(Do(FolderListKind::OldList, back, FolderOperation::Undo));
  EXPECT_EQ("original", Read(Old("back.txt")));
}

bool NoLeftovers(const std::string& folder) {
  WIN32_FIND_DATAW find;
  const HANDLE h = FindFirstFileW(W(JoinPath(folder, "cmp-*")).c_str(), &find);
  if (h == INVALID_HANDLE_VALUE) return true;
  FindClose(h);
  return false;
}

// Drive Q: is a 512 KiB RAM disk when the test set-up could mount one.
TEST_F(ShellFolderOps, FullDiskLeavesTheTargetAndKeepsTheUndoForLater) {
  ULARGE_INTEGER available, total;
  if (!GetDiskFreeSpaceExW(L"Q:\\", &available, &total, nullptr) || total.QuadPart > (4u << 20)) {
    GTEST_SKIP() << "no small drive Q: (mounting a RAM disk needs the right to mount)";
  }
  comparison.newRoot = "Q:\\" + LastComponent(base);
  ASSERT_TRUE(MakeFolderPath(*ops, comparison.newRoot));
  Write(New("big.bin"), "precious");
  Write(Old("big.bin"), std::string(700 * 1024, 'b'));
  const size_t big = Add(FolderListKind::ChangedList, "big.bin");
  for (bool undo : {true, false}) {
    EXPECT_FALSE(Do(FolderListKind::ChangedList, big, FolderOperation::CopyToNew, undo));
    EXPECT_EQ("precious", Read(New("big.bin")));
    EXPECT_TRUE(NoLeftovers(comparison.newRoot));
  }
  EXPECT_TRUE(comparison.lists[2][big].undoPath.empty());

  const std::string mid(200 * 1024, 'm');
  Write(New("mid.bin"), mid);
  const size_t i = Add(FolderListKind::NewList, "mid.bin");
  ASSERT_TRUE(Do(FolderListKind::NewList, i, FolderOperation::DeleteNew));
  Write(New("filler.bin"), std::string(400 * 1024, 'f'));  // the disk fills up meanwhile
  EXPECT_FALSE(Do(FolderListKind::NewList, i, FolderOperation::Undo));
  EXPECT_FALSE(Exists(New("mid.bin")));  // the partial restore is taken back
  EXPECT_TRUE(Exists(JoinPath(comparison.lists[1][i].undoPath, "mid.bin")));
  DeleteFileW(W(New("filler.bin")).c_str());
  ASSERT_TRUE(Do(FolderListKind::NewList, i, FolderOperation::Undo));
  EXPECT_TRUE(mid == Read(New("mid.bin")));  // not printed: 200 KiB
  DiscardBackupFolder(comparison.newRoot);
}

}  // namespace
}  // namespace qm
