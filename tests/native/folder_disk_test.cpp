// The folder comparison on real folders through the system's file system:
// the full contents criterion through the text engine, byte comparison of
// binary files, items that cannot be read (a FIFO, a link that leads
// nowhere), times to the second and names in other capitals.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "folders/folder_compare.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

class FolderDisk : public ::testing::Test {
protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("qm_folder_disk_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "old");
    fs::create_directories(root_ / "new");
  }
  void TearDown() override { fs::remove_all(root_); }

  // Writes a file on one side (0 old, 1 new) with a fixed time.
  void Write(int side, const std::string& name, const std::string& bytes,
             int64_t seconds = 1000000000, long nanoseconds = 0) {
    const fs::path path = Side(side) / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
  }
  fs::path Side(int side) const { return root_ / (side == 0 ? "old" : "new"); }

  // "list name words" for every entry, lists in the order Changed, Old,
  // New, Same.
  std::vector<std::string> Run(const FolderCompareSettings& s) {
    FolderComparison c;
    c.oldRoot = Side(0).string();
    c.newRoot = Side(1).string();
    SystemFileSystem system;
    const CompareResult r = RunFolderCompare(c, s, system);
    EXPECT_EQ(r.code, CompareCode::Ok);
    std::vector<std::string> lines;
    const char* const kWords[] = {"old", "new", "changed", "same"};
    for (const int k : {2, 0, 1, 3}) {
      for (const FolderEntry& e : c.lists[static_cast<size_t>(k)]) {
        std::string line = std::string(kWords[k]) + " " + e.name;
        const std::string words = DifferenceText(e, s.CompareSubfolders);
        if (k == 2 && !words.empty()) line += " " + words;
        lines.push_back(line);
      }
    }
    return lines;
  }

  fs::path root_;
};

using Lines = std::vector<std::string>;

TEST_F(FolderDisk, FullCriterionComparesTextUnderTheTextOptions) {
  Write(0, "a.txt", "one  two\nthree\n");
  Write(1, "a.txt", "one two \nthree\n");
  FolderCompareSettings s;
  s.CompareSize = false;
  s.CompareFull = true;
  EXPECT_EQ(Run(s), (Lines{"changed a.txt (contents)"}));
  s.text.IgnoreBlanks2 = kIgnoreAllBlanks;
  EXPECT_EQ(Run(s), (Lines{"same a.txt"}));
  // Line ends are no difference to the text comparison either.
  Write(1, "a.txt", "one  two\r\nthree\r\n");
  s.text.IgnoreBlanks2 = 0;
  EXPECT_EQ(Run(s), (Lines{"same a.txt"}));
}

TEST_F(FolderDisk, FullCriterionComparesBinaryFilesByteForByte) {
  const std::string binary("\x01\x02\x00\x03", 4);
  Write(0, "x.bin", binary);
  Write(1, "x.bin", binary);
  Write(0, "y.bin", binary);
  Write(1, "y.bin", std::string("\x01\x02\x00\x04", 4));
  FolderCompareSettings s;
  s.CompareFull = true;
  EXPECT_EQ(Run(s), (Lines{"changed y.bin (contents)", "same x.bin"}));
}

TEST_F(FolderDisk, ItemsThatCannotBeReadAreUnreadableNeverAlike) {
  ASSERT_EQ(mkfifo((Side(0) / "pipe").c_str(), 0600), 0);
  ASSERT_EQ(mkfifo((Side(1) / "pipe").c_str(), 0600), 0);
  fs::create_symlink(root_ / "nowhere", Side(0) / "link");
  fs::create_symlink(root_ / "nowhere", Side(1) / "link");
  FolderCompareSettings s;
  s.CompareDate = s.CompareSize = false;
  EXPECT_EQ(Run(s), (Lines{"same link", "same pipe"}));
  s.CompareQuick = true;
  EXPECT_EQ(Run(s), (Lines{"changed link (unreadable)", "changed pipe (unreadable)"}));
  s.CompareQuick = false;
  s.CompareFull = true;
  EXPECT_EQ(Run(s), (Lines{"changed link (unreadable)", "changed pipe (unreadable)"}));
}

TEST_F(FolderDisk, TimesCountInWholeSecondsAndNamesPairAcrossCase) {
  Write(0, "Readme.TXT", "x", 1000000000, 100);
  Write(1, "README.txt", "x", 1000000000, 900000000);
  Write(0, "late", "x", 1000000000);
  Write(1, "late", "x", 1000000001);
  FolderCompareSettings s;
  EXPECT_EQ(Run(s), (Lines{"changed late (newer)", "same README.txt"}));
  s.IgnoreNameCase = false;
  s.CompareDate = false;
  EXPECT_EQ(Run(s), (Lines{"old Readme.TXT", "new README.txt", "same late"}));
}

TEST_F(FolderDisk, DotNamesAreHiddenAndNoOwnerWriteBitIsReadOnly) {
  Write(0, ".profile", "x");
  Write(1, ".profile", "x");
  Write(0, "locked", "x");
  Write(1, "locked", "x");
  fs::permissions(Side(0) / "locked", fs::perms::owner_read);
  FolderCompareSettings s;
  EXPECT_EQ(Run(s), (Lines{"same .profile", "same locked"}));
  s.CompareAttribs = true;
  EXPECT_EQ(Run(s), (Lines{"changed locked (was read-only)", "same .profile"}));
}

}  // namespace
}  // namespace qm
