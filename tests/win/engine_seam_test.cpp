// The engine's Windows seam under Wine: shortcuts made with the shell-link
// object resolve, error texts come from the system, the read-only attribute
// is seen, and replacing a saved file keeps its attributes.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/compare_state.h"
#include "engine/platform.h"
#include "engine/text_file.h"
#include "tests/win/test_shortcut.h"

namespace qm {
namespace {

class EngineSeam : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = std::string(temp) + "qmseam" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(folder_.c_str(), nullptr);
  }
  void TearDown() override {
    WIN32_FIND_DATAA find;
    HANDLE h = FindFirstFileA((folder_ + "*").c_str(), &find);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        const std::string path = folder_ + find.cFileName;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
      } while (FindNextFileA(h, &find));
      FindClose(h);
    }
    RemoveDirectoryA(folder_.c_str());
    CoUninitialize();
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = folder_ + name;
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    return path;
  }

  std::string Read(const std::string& path) {
    FileData data;
    if (ReadWholeFile(path, &data) != 0) return "<unreadable>";
    return std::string(data.data.get(), data.size);
  }

  std::string folder_;
};

// Path names compare without case on Windows.
std::string Lower(std::string s) {
  CharLowerBuffA(&s[0], static_cast<DWORD>(s.size()));
  return s;
}

TEST_F(EngineSeam, ShortcutResolvesToItsTarget) {
  const std::string target = Write("target.txt", "from the target\n");
  const std::string link = folder_ + "target.lnk";
  ASSERT_TRUE(test::MakeShortcut(link, target));
  EXPECT_EQ(Lower(ResolveShortcut(link)), Lower(target));
  // Anything that is not a shortcut stays as given.
  EXPECT_EQ(ResolveShortcut(target), target);
  const std::string empty = Write("empty.lnk", "");
  EXPECT_EQ(ResolveShortcut(empty), empty);
  EXPECT_EQ(ResolveShortcut(folder_ + "missing.lnk"), folder_ + "missing.lnk");
  EXPECT_EQ(ResolveShortcut(""), "");

  // A comparison named by the shortcut loads the target.
  CompareState state;
  const std::string other = Write("other.txt", "from the target\n");
  ASSERT_EQ(LoadAndCompare(state, link, other, {}, nullptr).code, CompareCode::Ok);
  EXPECT_EQ(state.list->diffCount, 0);
  EXPECT_EQ(state.side[0].doc.Length(), 16u);
}

TEST_F(EngineSeam, SystemErrorTextsAreTheSystems) {
  const std::string notFound = SystemErrorText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(notFound.empty());
  EXPECT_NE(notFound.back(), '\n');
  SetLastError(ERROR_ACCESS_DENIED);
  EXPECT_EQ(SystemErrorText(0), SystemErrorText(ERROR_ACCESS_DENIED));
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED), notFound);
  EXPECT_FALSE(SystemErrorText(kErrorFileTooLarge).empty());

  CompareState state;
  const CompareResult r =
      LoadAndCompare(state, folder_ + "missing.txt", Write("x.txt", "x"), {}, nullptr);
  EXPECT_EQ(r.code, CompareCode::LeftLoadFailed);
  EXPECT_EQ(r.detail, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
}

TEST_F(EngineSeam, ReadOnlyAttributeMakesAFileReadOnly) {
  const std::string path = Write("ro.txt", "x\n");
  EXPECT_FALSE(IsReadOnlyFile(path));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_TRUE(IsReadOnlyFile(path));
  EXPECT_TRUE(IsReadOnlyFile(folder_ + "missing.txt"));

  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, path, path, {}, nullptr).code, CompareCode::Ok);
  EXPECT_TRUE(state.side[0].readOnly);
  // Saving over it is refused and the file stays as it was.
  EXPECT_EQ(SaveTextFile(state, 0, path), static_cast<uint32_t>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(Read(path), "x\n");
  EXPECT_TRUE(state.side[0].readOnly);
}

TEST_F(EngineSeam, SavingKeepsAttributesAndLeavesNoTemporaryFile) {
  const std::string path = Write("hidden.txt", "old old old\r\n");
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  CompareState state;
  ASSERT_EQ(LoadAndCompare(state, path, path, {}, nullptr).code, CompareCode::Ok);
  state.side[0].doc.Delete(0, 4);
  ASSERT_EQ(SaveTextFile(state, 0, path), 0u);
  EXPECT_EQ(Read(path), "old old\r\n");
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);

  WIN32_FIND_DATAA find;
  HANDLE h = FindFirstFileA((folder_ + "~qm*.tmp").c_str(), &find);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "left behind: " << find.cFileName;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);

  // ReplaceWithTemp directly: a new target is simply created.
  const std::string temp = Write("t.tmp", "fresh");
  EXPECT_EQ(ReplaceWithTemp(temp, folder_ + "new.txt"), 0u);
  EXPECT_EQ(Read(folder_ + "new.txt"), "fresh");
  EXPECT_EQ(GetFileAttributesA(temp.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace qm
