// The command line: which window opens with which paths, which messages
// are shown and in what order.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "resources/resource.h"

namespace qm {
namespace {

// Arguments name entries of a table: "a.txt" is C:\w\a.txt and a file, etc.
class TableProbe : public PathProbe {
public:
  std::string FullPath(const std::string& argument) const override {
    return argument == "toolong" ? std::string() : "C:\\w\\" + argument;
  }
  PathKind Kind(const std::string& full) const override {
    static const std::map<std::string, PathKind> kinds = {
        {"C:\\w\\a.txt", PathKind::File},   {"C:\\w\\b.txt", PathKind::File},
        {"C:\\w\\c.txt", PathKind::File},   {"C:\\w\\dirA", PathKind::Folder},
        {"C:\\w\\dirB", PathKind::Folder},
    };
    auto it = kinds.find(full);
    return it == kinds.end() ? PathKind::None : it->second;
  }
};

using Notices = std::vector<std::pair<UINT, std::string>>;

struct Case {
  const char* name;
  std::vector<std::string> args;
  bool opens;
  PathKind kind;
  std::vector<std::string> paths;
  bool compareNow;
  Notices notices;
};

const Notices kNone;
const std::pair<UINT, std::string> kHelp{IDS_COMMAND_LINE_HELP, ""};

TEST(CommandLinePlan, CasesOfTheCommandLine) {
  const Case cases[] = {
      {"no arguments", {}, false, PathKind::None, {}, true, kNone},
      {"two files", {"a.txt", "b.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"two folders", {"dirA", "dirB"}, true, PathKind::Folder,
       {"C:\\w\\dirA", "C:\\w\\dirB"}, true, kNone},
      {"one file only", {"a.txt"}, false, PathKind::File, {"C:\\w\\a.txt"}, true, kNone},
      {"file then folder: folder ignored silently", {"a.txt", "dirA"}, false, PathKind::File,
       {"C:\\w\\a.txt"}, true, kNone},
      {"file, folder, file: the two files", {"a.txt", "dirA", "b.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"three files: the third ignored", {"a.txt", "b.txt", "c.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"help first, then the comparison", {"/?", "a.txt", "b.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, {kHelp}},
      {"unknown option alone", {"/x"}, false, PathKind::None, {}, true, {kHelp}},
      {"missing file then an existing one", {"gone.txt", "a.txt"}, false, PathKind::File,
       {"C:\\w\\a.txt"}, true, {{IDS_PATH_NOT_FOUND, "gone.txt"}}},
      {"a missing third path is not reported", {"a.txt", "b.txt", "gone.txt"}, true,
       PathKind::File, {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"/ctx with the same file twice: filled, not compared", {"/ctx", "a.txt", "a.txt"}, true,
       PathKind::File, {"C:\\w\\a.txt", "C:\\w\\a.txt"}, false, kNone},
      {"/ctx with two files compares", {"/ctx", "a.txt", "b.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"/CTX is not the context option", {"/CTX", "a.txt", "a.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\a.txt"}, true, {kHelp}},
      {"empty arguments are skipped", {"", "a.txt", "", "b.txt"}, true, PathKind::File,
       {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true, kNone},
      {"a path too long to expand is not found", {"toolong", "a.txt", "b.txt"}, true,
       PathKind::File, {"C:\\w\\a.txt", "C:\\w\\b.txt"}, true,
       {{IDS_PATH_NOT_FOUND, "toolong"}}},
      {"messages keep their order", {"/x", "gone", "/?"}, false, PathKind::None, {}, true,
       {kHelp, {IDS_PATH_NOT_FOUND, "gone"}, kHelp}},
  };
  const TableProbe probe;
  for (const Case& c : cases) {
    std::vector<std::string> args = {"compare.exe"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const CommandLinePlan plan = PlanCommandLine(args, probe);
    EXPECT_EQ(plan.opensWindow(), c.opens) << c.name;
    EXPECT_EQ(plan.kind, c.kind) << c.name;
    EXPECT_EQ(plan.paths, c.paths) << c.name;
    if (c.opens) {
      EXPECT_EQ(plan.compareNow, c.compareNow) << c.name;
    }
    Notices got;
    for (const auto& n : plan.notices) got.emplace_back(n.stringId, n.insert);
    EXPECT_EQ(got, c.notices) << c.name;
  }
}

class FileSystemProbeTest : public ::testing::Test {
protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "qm_cmdline_test";
    CreateDirectoryA(dir_.c_str(), nullptr);
    file_ = dir_ + "\\one file.txt";
    HANDLE h = CreateFileA(file_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
  }
  void TearDown() override {
    DeleteFileA(file_.c_str());
    RemoveDirectoryA(dir_.c_str());
  }
  std::string dir_, file_;
};

TEST_F(FileSystemProbeTest, FilesFoldersAndMissingPaths) {
  const FileSystemProbe probe;
  EXPECT_EQ(probe.Kind(file_), PathKind::File);
  EXPECT_EQ(probe.Kind(dir_), PathKind::Folder);
  EXPECT_EQ(probe.Kind(dir_ + "\\missing.txt"), PathKind::None);
  EXPECT_EQ(probe.Kind(""), PathKind::None);
}

TEST_F(FileSystemProbeTest, RelativePathsAreExpanded) {
  const FileSystemProbe probe;
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(dir_.c_str());
  const std::string full = probe.FullPath("one file.txt");
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(full, file_);
  EXPECT_EQ(probe.FullPath(std::string(300, 'x')), "") << "longer than a path buffer";

  const CommandLinePlan plan =
      PlanCommandLine({"compare.exe", "/ctx", file_, file_}, probe);
  EXPECT_TRUE(plan.opensWindow());
  EXPECT_FALSE(plan.compareNow);
}

}  // namespace
}  // namespace qm
