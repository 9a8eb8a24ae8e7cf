// The folder comparison on an in-memory file system: random pairs of
// trees (files, folders, case variants, one-sided items, folders that
// cannot be listed, files that cannot be read) under random settings, with
// the four lists checked against a model that follows the rules in the
// plainest way (a linear search for each partner, a list per level); then
// the cases a model would share a blind spot with: result codes, cancel,
// 64-bit sizes, the pairing of a large folder.
#include <stdexcept>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "folder_test_fs.h"
#include "folders/folder_compare.h"
#include "folders/folder_filter.h"

namespace qm {
namespace {

using test::FakeFileSystem;
using test::FakeNode;

struct Item {
  std::string name;
  bool isFolder;
  uint32_t flags;
  bool operator==(const Item& o) const {
    return name == o.name && isFolder == o.isFolder && flags == o.flags;
  }
};
using Lists = std::array<std::vector<Item>, kFolderListCount>;

std::ostream& operator<<(std::ostream& os, const Item& i) {
  return os << i.name << (i.isFolder ? "\\" : "") << " " << std::hex << i.flags << std::dec;
}

enum class Result { Alike, Differ, Unreadable };

// The rules, level by level, on the trees themselves.
class Model {
public:
  explicit Model(const FolderCompareSettings& s) : s_(s) {
    if (s.HaveIncludeFilter) patterns_ = ParseFilterPatterns(s.IncludeFilter);
    if (s.HaveExcludeFilter) patterns_ = ParseFilterPatterns(s.ExcludeFilter);
  }

  Lists Run(const FakeNode& oldRoot, const FakeNode& newRoot) {
    Level(oldRoot, "", newRoot, "", false);
    return lists_;
  }

private:
  struct Scanned {
    const FakeNode* node;
    std::string name;
    uint32_t flags;
  };

  std::vector<Scanned> Scan(const FakeNode& folder, const std::string& prefix) const {
    std::vector<Scanned> out;
    for (const FakeNode& c : folder.children) {
      if (s_.HaveIncludeFilter || s_.HaveExcludeFilter) {
        const bool hit = std::any_of(patterns_.begin(), patterns_.end(), [&](const std::string& p) {
          return MatchWildcard(p, c.name, !s_.IgnoreNameCase);
        });
        if (hit != s_.HaveIncludeFilter) continue;
      }
      uint32_t flags = 0;
      if (c.isFolder ? s_.CompareFolderAttribs : s_.CompareAttribs) {
        if (c.hidden) flags |= kEntryHidden;
        if (c.readOnly) flags |= kEntryReadOnly;
      }
      out.push_back({&c, prefix.empty() ? c.name : prefix + "\\" + c.name, flags});
    }
    return out;
  }

  void Add(FolderListKind k, const Scanned& e) {
    lists_[static_cast<size_t>(k)].push_back({e.name, e.node->isFolder, e.flags});
  }

  Result Level(const FakeNode& oldFolder, const std::string& oldName, const FakeNode& newFolder,
               const std::string& newName, bool checkOnly) {
    if (oldFolder.unreadable || newFolder.unreadable) return Result::Unreadable;
    const std::vector<Scanned> a = Scan(oldFolder, oldName);
    std::vector<Scanned> b = Scan(newFolder, newName);
    bool any = false;
    for (const Scanned& old : a) {
      auto found = std::find_if(b.begin(), b.end(), [&](const Scanned& n) {
        return n.name == old.name && n.node->isFolder == old.node->isFolder;
      });
      if (found == b.end() && s_.IgnoreNameCase) {
        found = std::find_if(b.begin(), b.end(), [&](const Scanned& n) {
          return FoldName(n.name) == FoldName(old.name) && n.node->isFolder == old.node->isFolder;
        });
      }
      if (found == b.end()) {
        if (checkOnly) return Result::Differ;
        Add(FolderListKind::OldList, old);
        any = true;
        continue;
      }
      Scanned partner = *found;
      b.erase(found);
      const Result r = Pair(old, partner, checkOnly);
      if (r != Result::Alike && checkOnly) return r;
      any = any || r != Result::Alike;
    }
    if (!b.empty() && checkOnly) return Result::Differ;
    for (const Scanned& n : b) Add(FolderListKind::NewList, n);
    return any || !b.empty() ? Result::Differ : Result::Alike;
  }

  Result Pair(const Scanned& a, Scanned& b, bool checkOnly) {
    const FakeNode& o = *a.node;
    const FakeNode& n = *b.node;
    bool differs = false;
    bool unreadable = false;
    if ((a.flags & kEntryHidden) && !(b.flags & kEntryHidden)) b.flags |= kEntryWasHidden;
    if ((a.flags & kEntryReadOnly) && !(b.flags & kEntryReadOnly)) b.flags |= kEntryWasReadOnly;
    differs = ((a.flags ^ b.flags) & (kEntryHidden | kEntryReadOnly)) != 0;
    if (o.isFolder ? s_.CompareFolderDate : s_.CompareDate) {
      if (n.time != o.time) b.flags |= n.time < o.time ? kEntryOlder : kEntryNewer;
      differs = differs || n.time != o.time;
    }
    if (!o.isFolder && s_.CompareSize && n.size != o.size) {
      b.flags |= n.size < o.size ? kEntrySmaller : kEntryLarger;
      differs = true;
    }
    const size_t sameBefore = lists_[3].size();
    Result contents = Result::Alike;
    if (o.isFolder) {
      contents = Level(o, a.name, n, b.name, !s_.CompareSubfolders);
    } else if (s_.CompareQuick) {
      contents = o.unreadable || n.unreadable ? Result::Unreadable
                 : o.contents != n.contents   ? Result::Differ
                                              : Result::Alike;
    }
    if (contents == Result::Differ) b.flags |= kEntryContents;
    differs = differs || contents == Result::Differ;
    unreadable = contents == Result::Unreadable;
    if (unreadable) b.flags |= kEntryUnreadable;
    if (!checkOnly) {
      if (!o.isFolder) {
        Add(differs || unreadable ? FolderListKind::ChangedList : FolderListKind::SameList, b);
      } else if (!differs && !unreadable) {
        lists_[3].resize(sameBefore);
        Add(FolderListKind::SameList, b);
      } else if (!s_.CompareSubfolders || b.flags != kEntryContents) {
        Add(FolderListKind::ChangedList, b);
      }
    }
    return differs ? Result::Differ : unreadable ? Result::Unreadable : Result::Alike;
  }

  const FolderCompareSettings& s_;
  FilterPatterns patterns_;
  Lists lists_;
};

// Random trees: names that clash in case, files that change in one
// property at a time, whole subtrees that appear, vanish or cannot be read.
class TreeMaker {
public:
  explicit TreeMaker(uint32_t seed) : rng_(seed) {}

  FakeNode Folder(int depth) {
    FakeNode f;
    f.isFolder = true;
    for (int i = static_cast<int>(Pick(7)); i > 0; --i) AddRandomChild(f, depth);
    return f;
  }

  FakeNode Mutated(const FakeNode& old, int depth) {
    FakeNode f = old;
    f.children.clear();
    for (const FakeNode& c : old.children) {
      switch (Pick(12)) {
        case 0:  // gone
          continue;
        case 1: {  // the same item under a name in other capitals
          FakeNode moved = Mutated(c, depth + 1);
          moved.name = OtherCase(c.name);
          if (!f.Find(moved.name) && !old.Find(moved.name)) f.children.push_back(moved);
          continue;
        }
        default:
          f.children.push_back(c.isFolder ? Mutated(c, depth + 1) : Changed(c));
      }
    }
    if (Pick(3) == 0) AddRandomChild(f, depth);
    Shuffle(f.children);
    return f;
  }

  void SprinkleUnreadable(FakeNode& f) {
    for (FakeNode& c : f.children) {
      c.unreadable = Pick(15) == 0;
      SprinkleUnreadable(c);
    }
  }

  uint32_t Pick(uint32_t n) { return rng_() % n; }

private:
  void AddRandomChild(FakeNode& f, int depth) {
    static const char* const kNames[] = {"a", "A", "b.txt", "B.TXT", "c.obj", "\xC3\xA9",
                                         "\xC3\x89", "d"};
    const std::string name = kNames[Pick(8)];
    if (f.Find(name)) return;
    FakeNode c = depth < 3 && Pick(3) == 0 ? Folder(depth + 1) : FakeNode();
    c.name = name;
    if (!c.isFolder) {
      c.contents = Pick(2) ? "x" : "y";
      c.size = c.contents.size();
      c.time = 100 + Pick(2);
    }
    c.hidden = Pick(5) == 0;
    c.readOnly = Pick(5) == 0;
    f.children.push_back(c);
  }

  FakeNode Changed(const FakeNode& c) {
    FakeNode n = c;
    switch (Pick(8)) {
      case 0: n.contents = n.contents == "x" ? "y" : "x"; break;  // same size
      case 1: n.contents += "z"; n.size = n.contents.size(); break;
      case 2: n.time += Pick(2) ? 1 : -1; break;
      case 3: n.hidden = !n.hidden; break;
      case 4: n.readOnly = !n.readOnly; break;
      default: break;
    }
    return n;
  }

  static std::string OtherCase(std::string name) {
    if (name == "\xC3\xA9") return "\xC3\x89";
    if (name == "\xC3\x89") return "\xC3\xA9";
    for (char& ch : name) {
      if (std::isalpha(static_cast<unsigned char>(ch))) ch = static_cast<char>(ch ^ 0x20);
    }
    return name;
  }

  void Shuffle(std::vector<FakeNode>& v) { std::shuffle(v.begin(), v.end(), rng_); }

  std::mt19937 rng_;
};

Lists Actual(const FolderComparison& c) {
  Lists out;
  for (size_t k = 0; k < out.size(); ++k) {
    for (const FolderEntry& e : c.lists[k]) out[k].push_back({e.name, e.isFolder, e.flags});
  }
  return out;
}

// Entries that differ only in the case of their names may come in either
// order; everything else must come as EntryLess sorts it.
void Canonical(std::vector<Item>& v) {
  std::sort(v.begin(), v.end(), [](const Item& x, const Item& y) {
    return std::tie(x.name, x.isFolder, x.flags) < std::tie(y.name, y.isFolder, y.flags);
  });
}

TEST(FolderCompareModel, RandomTreesGiveTheModelsFourLists) {
  // How often each list and the unreadable mark were met: a generator
  // that stopped reaching one of them would make the test hollow.
  size_t met[kFolderListCount + 1] = {};
  for (uint32_t seed = 1; seed <= 3000; ++seed) {
    TreeMaker maker(seed);
    FakeFileSystem fs;
    FakeNode& oldRoot = fs.roots["old"] = maker.Folder(0);
    FakeNode& newRoot = fs.roots["new"] = maker.Mutated(oldRoot, 0);
    if (maker.Pick(2)) {
      maker.SprinkleUnreadable(oldRoot);
      maker.SprinkleUnreadable(newRoot);
    }
    FolderCompareSettings s;
    s.IgnoreNameCase = maker.Pick(2);
    s.CompareSubfolders = maker.Pick(3) != 0;
    s.CompareAttribs = maker.Pick(2);
    s.CompareFolderAttribs = maker.Pick(2);
    s.CompareDate = maker.Pick(2);
    s.CompareFolderDate = maker.Pick(4) == 0;
    s.CompareSize = maker.Pick(2);
    s.CompareQuick = maker.Pick(2);
    static const char* const kFilters[] = {"*.txt", "a*;d", "?", "*.*", "*B*;c.obj"};
    switch (maker.Pick(4)) {
      case 0: s.HaveIncludeFilter = true; s.IncludeFilter = kFilters[maker.Pick(5)]; break;
      case 1: s.HaveExcludeFilter = true; s.ExcludeFilter = kFilters[maker.Pick(5)]; break;
      default: break;
    }
    // Listed ahead and read on several threads, the lists are the same.
    fs.concurrent = maker.Pick(2);
    fs.openGivesFacts = maker.Pick(2);
    FolderComparison c;
    c.oldRoot = "old";
    c.newRoot = "new";
    ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok) << "seed " << seed;
    for (const auto& list : c.lists) {
      for (size_t i = 1; i < list.size(); ++i) {
        ASSERT_FALSE(EntryLess(list[i], list[i - 1])) << "seed " << seed << " " << list[i].name;
      }
    }
    Lists expected = Model(s).Run(oldRoot, newRoot);
    Lists actual = Actual(c);
    for (size_t k = 0; k < actual.size(); ++k) met[k] += actual[k].size();
    for (const Item& i : actual[2]) met[kFolderListCount] += (i.flags & kEntryUnreadable) != 0;
    for (size_t k = 0; k < expected.size(); ++k) {
      Canonical(expected[k]);
      Canonical(actual[k]);
      ASSERT_EQ(actual[k], expected[k]) << "seed " << seed << " list " << k;
    }
  }
  for (int k = 0; k < kFolderListCount; ++k) EXPECT_GT(met[k], 1000u) << "list " << k;
  EXPECT_GT(met[kFolderListCount], 200u);
}

// Old and new alike: a random tree and folders more folders of one file
// each, so a run lists many folders.
void MakeTwinTrees(FakeFileSystem& fs, uint32_t seed, int folders) {
  TreeMaker maker(seed);
  fs.roots["old"] = maker.Folder(0);
  for (int i = 0; i < folders; ++i) {
    fs.roots["old"].AddFolder("f" + std::to_string(i)).AddFile("x", "1");
  }
  fs.roots["new"] = fs.roots["old"];
}

void SetRoots(FolderComparison& c) {
  c.oldRoot = "old";
  c.newRoot = "new";
}

TEST(FolderCompareResult, RootChecksInOrderThenUnreadableRootsWithTheirReason) {
  FakeFileSystem fs;
  fs.roots["old"].isFolder = true;
  fs.roots["new"].isFolder = true;
  fs.roots["file"].isFolder = false;
  FolderComparison c;
  SetRoots(c);
  const FolderCompareSettings s;
  const struct {
    const char* oldRoot;
    const char* newRoot;
    CompareCode code;
  } rows[] = {
      {"", "new", kOldFolderInvalid},         {"old", "a?b", kNewFolderInvalid},
      {"x:y", "a|b", kOldFolderInvalid},      {"\\\\server", "new", kOldFolderInvalid},
      {"missing", "new", kOldFolderMissing},  {"old", "file", kNewFolderMissing},
      {"old", "new", CompareCode::Ok},
  };
  for (const auto& row : rows) {
    c.oldRoot = row.oldRoot;
    c.newRoot = row.newRoot;
    EXPECT_EQ(RunFolderCompare(c, s, fs).code, row.code) << row.oldRoot << " " << row.newRoot;
  }
  EXPECT_TRUE(IsValidFolderPath("C:"));
  EXPECT_TRUE(IsValidFolderPath("C:\\x\\"));
  fs.roots["new"].unreadable = true;
  c.oldRoot = "old";
  c.newRoot = "new";
  const CompareResult r = RunFolderCompare(c, s, fs);
  EXPECT_EQ(r.code, kNewFolderUnreadable);
  EXPECT_EQ(r.detail, 5u);
}

TEST(FolderCompareResult, ARunEmptiesTheListsAndHandsOverEveryBackup) {
  FakeFileSystem fs;
  fs.roots["old"].isFolder = fs.roots["new"].isFolder = true;
  fs.roots["old"].AddFile("gone", "");
  FolderComparison c;
  SetRoots(c);
  std::vector<std::string> discarded;
  c.discardBackup = [&](const std::string& path) { discarded.push_back(path); };
  c.lists[1].resize(2);
  c.lists[1][0].undoPath = "cmp-00001.tmp";
  c.lists[3].resize(1);
  c.lists[3][0].undoPath = "cmp-00002.tmp";
  c.modified[0] = c.modified[1] = true;
  // Even a run that fails at once starts from empty lists.
  c.newRoot = "missing";
  EXPECT_EQ(RunFolderCompare(c, FolderCompareSettings(), fs).code, kNewFolderMissing);
  EXPECT_EQ(discarded, (std::vector<std::string>{"cmp-00001.tmp", "cmp-00002.tmp"}));
  EXPECT_FALSE(c.modified[0] || c.modified[1]);
  for (const auto& list : c.lists) EXPECT_TRUE(list.empty());
  SetRoots(c);
  ASSERT_EQ(RunFolderCompare(c, FolderCompareSettings(), fs).code, CompareCode::Ok);
  ASSERT_EQ(c.List(FolderListKind::OldList).size(), 1u);
  EXPECT_EQ(c.List(FolderListKind::OldList)[0].name, "gone");
}

TEST(FolderCompareResult, AFailureAnywhereInTheRunIsNeverASuccess) {
  FakeFileSystem fs;
  MakeTwinTrees(fs, 98, 8);
  FolderCompareSettings s;
  for (const bool concurrent : {false, true}) {
    fs.concurrent = concurrent;
    fs.listings = 0;
    fs.onList = nullptr;
    FolderComparison whole;
    SetRoots(whole);
    ASSERT_EQ(RunFolderCompare(whole, s, fs).code, CompareCode::Ok);
    const int total = fs.listings;
    for (int at = 0; at < total; ++at) {
      fs.listings = 0;
      fs.onList = [at](int n) {
        if (n == at) throw std::runtime_error("no handle left");
      };
      FolderComparison c;
      SetRoots(c);
      EXPECT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::OutOfMemory) << at;
    }
  }
  fs.onList = nullptr;
}

TEST(FolderCompareResult, CancelDuringTheRunIsCodeTwoAtAnyPoint) {
  FakeFileSystem fs;
  MakeTwinTrees(fs, 99, 20);
  FolderCompareSettings s;
  s.CompareQuick = true;
  int total = 0;
  {
    FolderComparison c;
    SetRoots(c);
    ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok);
    total = fs.listings;
  }
  for (int at = 0; at < total; ++at) {
    FolderComparison c;
    SetRoots(c);
    fs.listings = 0;
    fs.onList = [&](int n) {
      if (n == at) c.cancel.store(1);
    };
    EXPECT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Aborted) << at;
  }
  // A runner that stands in for the progress dialog runs the work once.
  fs.onList = nullptr;
  FolderComparison c;
  SetRoots(c);
  int runs = 0;
  EXPECT_EQ(RunFolderCompare(c, s, fs, [&](const std::function<void()>& work) {
              ++runs;
              work();
            }).code,
            CompareCode::Ok);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(c.List(FolderListKind::ChangedList).empty());
  EXPECT_GE(c.List(FolderListKind::SameList).size(), 20u);
}

TEST(FolderCompareFaults, SizesBeyondFourGigabytesAreCompared) {
  FakeFileSystem fs;
  fs.roots["old"].isFolder = fs.roots["new"].isFolder = true;
  fs.roots["old"].AddFile("big", "").size = 5ull << 30;
  fs.roots["new"].AddFile("big", "").size = 1ull << 30;
  FolderComparison c;
  SetRoots(c);
  FolderCompareSettings s;
  ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok);
  ASSERT_EQ(c.List(FolderListKind::ChangedList).size(), 1u);
  EXPECT_EQ(c.List(FolderListKind::ChangedList)[0].flags, uint32_t{kEntrySmaller});
  // Contents of different sizes differ without being read.
  s.CompareSize = false;
  s.CompareQuick = true;
  ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok);
  ASSERT_EQ(c.List(FolderListKind::ChangedList).size(), 1u);
  EXPECT_EQ(c.List(FolderListKind::ChangedList)[0].flags, uint32_t{kEntryContents});
}

TEST(FolderCompareFaults, AnUnlistableSubfolderIsUnreadableAndNothingBelowItIsOneSided) {
  FakeFileSystem fs;
  FakeNode& o = fs.roots["old"];
  FakeNode& n = fs.roots["new"];
  o.isFolder = n.isFolder = true;
  o.AddFolder("docs").AddFile("a.txt", "1");
  n.AddFolder("docs").AddFile("b.txt", "1");
  n.Find("docs")->unreadable = true;
  for (const bool sub : {true, false}) {
    FolderComparison c;
    SetRoots(c);
    FolderCompareSettings s;
    s.CompareSubfolders = sub;
    ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok);
    EXPECT_TRUE(c.List(FolderListKind::OldList).empty());
    EXPECT_TRUE(c.List(FolderListKind::NewList).empty());
    ASSERT_EQ(c.List(FolderListKind::ChangedList).size(), 1u);
    EXPECT_EQ(c.List(FolderListKind::ChangedList)[0].name, "docs");
    EXPECT_EQ(DifferenceText(c.List(FolderListKind::ChangedList)[0], sub), "(unreadable)");
  }
}

TEST(FolderCompareFaults, LargeFolderPairsEveryNameWithItsCaseVariant) {
  // 100,000 names with case variants interleaved (a quadratic search would
  // take minutes; the folder benchmark times it). No dates or sizes: the
  // test's file system looks names up linearly.
  FakeFileSystem fs;
  FakeNode& o = fs.roots["old"];
  FakeNode& n = fs.roots["new"];
  o.isFolder = n.isFolder = true;
  constexpr int kCount = 100000;
  o.children.reserve(kCount);
  n.children.reserve(kCount);
  for (int i = 0; i < kCount; ++i) o.AddFile("File" + std::to_string(i), "");
  for (int i = kCount; i-- > 0;) n.AddFile((i % 2 ? "FILE" : "File") + std::to_string(i), "");
  FolderComparison c;
  SetRoots(c);
  FolderCompareSettings s;
  s.CompareDate = s.CompareSize = false;
  ASSERT_EQ(RunFolderCompare(c, s, fs).code, CompareCode::Ok);
  EXPECT_EQ(c.List(FolderListKind::SameList).size(), size_t{kCount});
}

// The system's own file system, on whichever system the tests run: a small
// real tree through listing, queries and reading.
TEST(FolderSystem, ARealTreeGivesItsFourLists) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / "qm_folder_system_test";
  fs::remove_all(root);
  const auto write = [&](const std::string& name, const std::string& text) {
    const fs::path path = root / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  };
  write("old/same.txt", "same");
  write("old/changed.txt", "abc");
  write("old/gone.txt", "x");
  write("old/sub/a.txt", "a");
  write("old/kind", "file");
  write("new/same.txt", "same");
  write("new/changed.txt", "abd");
  write("new/added.txt", "y");
  write("new/sub/a.txt", "a");
  write("new/sub/b.txt", "b");
  write("new/kind/inner", "i");
  // One time for every file, so that only contents tell them apart.
  const fs::file_time_type when = fs::last_write_time(root / "old/same.txt");
  for (const auto& item : fs::recursive_directory_iterator(root)) {
    if (item.is_regular_file()) fs::last_write_time(item.path(), when);
  }
  FolderComparison c;
  c.oldRoot = (root / "old").string();
  c.newRoot = (root / "new").string();
  SystemFileSystem system;
  FolderCompareSettings s;
  s.CompareQuick = true;
  ASSERT_EQ(RunFolderCompare(c, s, system).code, CompareCode::Ok);
  fs::remove_all(root);
  const auto names = [&](FolderListKind k) {
    std::vector<std::string> n;
    for (const FolderEntry& e : c.List(k)) n.push_back(e.name + (e.isFolder ? "\\" : ""));
    return n;
  };
  using Names = std::vector<std::string>;
  EXPECT_EQ(names(FolderListKind::ChangedList), (Names{"changed.txt"}));
  EXPECT_EQ(c.List(FolderListKind::ChangedList).at(0).flags, uint32_t{kEntryContents});
  EXPECT_EQ(names(FolderListKind::OldList), (Names{"gone.txt", "kind"}));
  EXPECT_EQ(names(FolderListKind::NewList), (Names{"kind\\", "sub\\b.txt", "added.txt"}));
  EXPECT_EQ(names(FolderListKind::SameList), (Names{"sub\\a.txt", "same.txt"}));
}

}  // namespace
}  // namespace qm
