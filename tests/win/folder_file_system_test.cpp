// The folder comparison's Windows file system: listings with attributes,
// a folder that vanished is an error and not an empty folder, times and
// sizes past 4 GiB, readers refusing folders, and shortcuts resolved.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "common/paths.h"
#include "folders/file_system.h"
#include "tests/win/test_shortcut.h"

namespace qm {
namespace {

class WindowsFileSystem : public ::testing::Test {
protected:
  std::string root;
  SystemFileSystem fs;

  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    root = JoinPath(temp, "qm-fs-" + std::to_string(GetCurrentProcessId()));
    ASSERT_TRUE(CreateDirectoryA(root.c_str(), nullptr));
  }
  void TearDown() override {
    // Everything made here is flat or one level deep.
    for (const char* sub : {"dir\\inner.txt", "dir", "hidden.txt", "ro.txt", "big.bin",
                            "plain.txt", "link.lnk", "empty"}) {
      const std::string path = JoinPath(root, sub);
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(root.c_str());
  }
  void Write(const std::string& name, const std::string& bytes) {
    const HANDLE h = CreateFileA(JoinPath(root, name).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
  }
};

TEST_F(WindowsFileSystem, ListingCarriesKindAndAttributesAndTellsAVanishedFolderFromAnEmptyOne) {
  ASSERT_TRUE(CreateDirectoryA(JoinPath(root, "dir").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(JoinPath(root, "empty").c_str(), nullptr));
  Write("dir\\inner.txt", "inner");
  Write("hidden.txt", "h");
  Write("ro.txt", "r");
  SetFileAttributesA(JoinPath(root, "hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(JoinPath(root, "ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);

  std::vector<FoundItem> items;
  ASSERT_EQ(0u, fs.ListFolder(root, true, &items));
  std::sort(items.begin(), items.end(),
            [](const FoundItem& a, const FoundItem& b) { return a.name < b.name; });
  ASSERT_EQ(4u, items.size());  // no "." or ".."
  EXPECT_EQ("dir", items[0].name);
  EXPECT_TRUE(items[0].isFolder);
  EXPECT_EQ("empty", items[1].name);
  EXPECT_EQ("hidden.txt", items[2].name);
  EXPECT_TRUE(items[2].hidden);
  EXPECT_FALSE(items[2].isFolder);
  EXPECT_TRUE(items[3].readOnly);
  EXPECT_FALSE(items[3].hidden);

  EXPECT_EQ(0u, fs.ListFolder(JoinPath(root, "empty"), true, &items));
  EXPECT_TRUE(items.empty());
  // A folder that is gone must not look like an empty one: every item of
  // the other side would then be reported as only there.
  items.push_back(FoundItem());
  EXPECT_NE(0u, fs.ListFolder(JoinPath(root, "gone"), true, &items));
  EXPECT_TRUE(items.empty());
  EXPECT_NE(0u, fs.ListFolder(JoinPath(root, "ro.txt"), true, &items));

  EXPECT_TRUE(fs.IsExistingFolder(JoinPath(root, "dir")));
  EXPECT_FALSE(fs.IsExistingFolder(JoinPath(root, "ro.txt")));
  EXPECT_FALSE(fs.IsExistingFolder(JoinPath(root, "gone")));
}

TEST_F(WindowsFileSystem, TimesAndSizesPastFourGibibytes) {
  const HANDLE h = CreateFileA(JoinPath(root, "big.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, h);
  DWORD returned = 0;
  DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
  LARGE_INTEGER size;
  size.QuadPart = (5LL << 30) + 7;  // sparse: takes no room
  ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  SYSTEMTIME st = {};
  st.wYear = 2004;
  st.wMonth = 2;
  st.wDay = 29;
  st.wHour = 12;
  FILETIME when;
  SystemTimeToFileTime(&st, &when);
  SetFileTime(h, nullptr, nullptr, &when);
  CloseHandle(h);

  FileFacts facts;
  ASSERT_TRUE(fs.QueryFile(JoinPath(root, "big.bin"), &facts));
  EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), facts.size);
  const uint64_t ticks = (static_cast<uint64_t>(when.dwHighDateTime) << 32) | when.dwLowDateTime;
  EXPECT_EQ(static_cast<int64_t>(ticks / 10000000u), facts.writeSeconds);

  uint32_t error = 0;
  auto reader = fs.OpenFile(JoinPath(root, "big.bin"), &error);
  ASSERT_TRUE(reader) << error;
  EXPECT_EQ(static_cast<uint64_t>(size.QuadPart), reader->Size());
  EXPECT_FALSE(fs.QueryFile(JoinPath(root, "gone.bin"), &facts));
}

TEST_F(WindowsFileSystem, ReadersTakeFilesOnlyAndShortcutsResolve) {
  Write("plain.txt", "some bytes");
  ASSERT_TRUE(CreateDirectoryA(JoinPath(root, "dir").c_str(), nullptr));
  uint32_t error = 0;
  auto reader = fs.OpenFile(JoinPath(root, "plain.txt"), &error);
  ASSERT_TRUE(reader);
  char buffer[32];
  size_t got = 0;
  EXPECT_EQ(0u, reader->Read(buffer, sizeof buffer, &got));
  EXPECT_EQ("some bytes", std::string(buffer, got));
  reader.reset();
  EXPECT_FALSE(fs.OpenFile(JoinPath(root, "dir"), &error));
  EXPECT_NE(0u, error);
  EXPECT_FALSE(fs.OpenFile("NUL", &error));

  ASSERT_TRUE(test::MakeShortcut(JoinPath(root, "link.lnk"), JoinPath(root, "plain.txt")));
  CoInitialize(nullptr);
  const std::string target = fs.ResolveShortcut(JoinPath(root, "link.lnk"));
  EXPECT_EQ(LastComponent(target), "plain.txt");
  EXPECT_EQ(JoinPath(root, "plain.txt"), fs.ResolveShortcut(JoinPath(root, "plain.txt")));
  CoUninitialize();
  EXPECT_EQ("a\\b", fs.Child("a", "b"));
  EXPECT_EQ("a", fs.Child("a", ""));
}

}  // namespace
}  // namespace qm
