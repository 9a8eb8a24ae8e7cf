// The folder operations against an in-memory disk whose every primitive
// step can fail (a copy then leaves a partial result behind), with a user
// who edits, creates and deletes items and switches sides between the
// operations. A model of what each operation must leave checks the disk
// after every step.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/paths.h"
#include "folders/folder_ops.h"

namespace qm {
namespace {

struct Node {
  bool folder = false;
  std::string bytes;
  bool operator==(const Node& o) const { return folder == o.folder && bytes == o.bytes; }
};
void PrintTo(const Node& node, std::ostream* os) {
  *os << (node.folder ? "folder" : "\"" + node.bytes + "\"");
}
using Disk = std::map<std::string, Node>;  // full path -> node
using Tree = std::map<std::string, Node>;  // path relative to a tree's top ("" the top)

bool Below(const std::string& path, const std::string& top) {
  return path.size() > top.size() && path.compare(0, top.size(), top) == 0 &&
         path[top.size()] == '\\';
}
bool AtOrBelow(const std::string& path, const std::string& top) {
  return path == top || Below(path, top);
}

Tree TreeAt(const Disk& disk, const std::string& top) {
  Tree tree;
  for (const auto& [path, node] : disk) {
    if (AtOrBelow(path, top)) tree[path.substr(top.size())] = node;
  }
  return tree;
}

class FakeDisk : public FileOperations {
public:
  Disk disk;
  std::vector<Tree> bin;  // what went to the recycle bin
  std::mt19937 random{7};
  double faultRate = 0;
  bool removeFaults = false;  // whether RemoveItem may fail part way
  bool crowded = false;       // every temporary name taken
  bool refuseMoves = false;   // a rename the system refuses (a file held open)
  int refusals = 0;
  // Bookkeeping of one operation, for the rules checked by the test.
  std::set<std::string> made;  // paths this operation created
  std::vector<std::string> violations;
  bool removeFaulted = false;

  FakeDisk() {
    for (const char* folder : {"C:", "C:\\old", "C:\\new", "C:\\tmp"}) disk[folder].folder = true;
  }
  void BeginOperation() {
    made.clear();
    removeFaulted = false;
    keptAside = false;
  }
  bool Fault() { return std::uniform_real_distribution<double>(0, 1)(random) < faultRate; }

  bool CopyItem(const std::string& source, const std::string& targetFolder,
                unsigned titleId) override {
    if (titleId < 131 || titleId > 133) violations.push_back("title " + std::to_string(titleId));
    if (!disk.count(source) || !IsFolder(targetFolder)) return false;
    const std::string target = JoinPath(targetFolder, LastComponent(source));
    const Tree tree = TreeAt(disk, source);
    const bool fault = Fault();
    const size_t stop = fault ? random() % (tree.size() + 1) : tree.size();
    size_t done = 0;
    for (const auto& [relative, node] : tree) {
      const std::string path = target + relative;
      if (done++ == stop) {
        // A write cut short by a full disk or a cancel.
        if (!node.folder && !disk.count(path) && random() % 2) {
          disk[path] = Node{false, node.bytes.substr(0, node.bytes.size() / 2)};
          made.insert(path);
        }
        return false;
      }
      auto found = disk.find(path);
      if (found != disk.end()) {
        if (found->second.folder && node.folder) continue;  // merged into
        // Writing the same bytes over a file loses nothing.
        if (!made.count(path) && !(found->second == node)) overwrites.push_back(path);
      }
      disk[path] = node;
      made.insert(path);
    }
    return !fault;
  }
  bool RecycleItem(const std::string& path) override {
    if (!disk.count(path)) return true;
    if (Fault()) {
      // A folder may lose part of its files to the bin before the failure.
      Tree gone;
      for (const auto& [p, node] : TreeAt(disk, path)) {
        if (!p.empty() && !node.folder && random() % 2) gone[p] = node;
      }
      for (const auto& [relative, node] : gone) disk.erase(path + relative);
      if (!gone.empty()) bin.push_back(gone);
      return false;
    }
    bin.push_back(TreeAt(disk, path));
    Erase(path);
    return true;
  }
  bool MoveItem(const std::string& from, const std::string& to) override {
    if (!disk.count(from) || disk.count(to) || !IsFolder(ParentFolder(to)) || Fault()) return false;
    if (refuseMoves) return false;
    const Tree tree = TreeAt(disk, from);
    Erase(from);
    for (const auto& [relative, node] : tree) {
      disk[to + relative] = node;
      made.insert(to + relative);
    }
    return true;
  }
  bool RemoveItem(const std::string& path) override {
    if (!AtOrBelow(path, "C:\\tmp") && !made.count(path)) {
      violations.push_back("removed what it did not make: " + path);
    }
    if (removeFaults && Fault()) {
      removeFaulted = true;
      // A locked file inside: everything else goes.
      std::vector<std::string> files;
      for (const auto& [p, node] : disk) {
        if (Below(p, path) && !node.folder) files.push_back(p);
      }
      for (size_t i = 1; i < files.size(); ++i) disk.erase(files[i]);
      if (files.empty() && !disk.at(path).folder) return false;
      return !disk.count(path);
    }
    Erase(path);
    return true;
  }
  bool Exists(const std::string& path) override { return crowded && IsTemp(path) ? true : disk.count(path) > 0; }
  bool IsFolder(const std::string& path) override {
    auto found = disk.find(path);
    return found != disk.end() && found->second.folder;
  }
  bool MakeFolder(const std::string& path) override {
    if (disk.count(path) || !IsFolder(ParentFolder(path)) || Fault()) return false;
    disk[path].folder = true;
    made.insert(path);
    return true;
  }
  std::string TempFolder() override { return "C:\\tmp"; }
  uint32_t Random() override { return static_cast<uint32_t>(random()); }
  void Refuse(Refusal why, const std::string& path) override {
    ++refusals;
    if (why == Refusal::KeptAside) {
      keptAside = true;
      keptPaths.insert(path);
    }
  }
  std::set<std::string> keptPaths;  // reported to the user as kept there
  bool keptAside = false;

  std::vector<std::string> overwrites;

private:
  static bool IsTemp(const std::string& path) {
    return LastComponent(path).compare(0, 4, "cmp-") == 0;
  }
  void Erase(const std::string& top) {
    for (auto it = disk.begin(); it != disk.end();) {
      it = AtOrBelow(it->first, top) ? disk.erase(it) : std::next(it);
    }
  }
};

// The disk as the user sees it: everything but the temporary folder.
Disk Visible(const Disk& disk) {
  Disk visible;
  for (const auto& [path, node] : disk) {
    if (!Below(path, "C:\\tmp")) visible[path] = node;
  }
  return visible;
}

// Every file's bytes that were on the visible disk are still somewhere:
// on the disk (any name, backups included) or in the recycle bin.
// replaced: the tree a copy without undo was asked to overwrite.
void ExpectNothingLost(const Disk& before, const FakeDisk& fake, const std::string& replaced,
                       const std::string& step) {
  std::multiset<std::string> kept;
  for (const auto& [path, node] : fake.disk) kept.insert(node.bytes);
  for (const Tree& tree : fake.bin) {
    for (const auto& [relative, node] : tree) kept.insert(node.bytes);
  }
  for (const auto& [path, node] : Visible(before)) {
    if (!node.folder && !AtOrBelow(path, replaced)) {
      EXPECT_TRUE(kept.count(node.bytes)) << step << ": lost " << path;
    }
  }
}

struct Record {  // what an operation replaced, for its undo
  std::vector<std::pair<std::string, Tree>> targets;  // full path, tree before the operation
};

class FolderOpsModel : public ::testing::Test {
protected:
  FakeDisk fake;
  FolderComparison comparison;
  std::map<std::string, Record> records;  // by entry name

  void File(const std::string& path, const std::string& bytes) { fake.disk[path] = Node{false, bytes}; }
  void Folder(const std::string& path) { fake.disk[path].folder = true; }
  void Entry(FolderListKind kind, const std::string& name, bool folder) {
    FolderEntry entry;
    entry.name = name;
    entry.isFolder = folder;
    comparison.List(kind).push_back(entry);
  }

  void SetUpFresh() {
    fake = FakeDisk();
    for (auto& list : comparison.lists) list.clear();
    comparison.modified[0] = comparison.modified[1] = false;
    records.clear();
    SetUp();
  }
  FolderEntry& Find(FolderListKind kind, const std::string& name) {
    for (FolderEntry& e : comparison.List(kind)) {
      if (e.name == name) return e;
    }
    static FolderEntry none;
    return none;
  }
  size_t IndexOf(FolderListKind kind, const std::string& name) {
    return static_cast<size_t>(&Find(kind, name) - comparison.List(kind).data());
  }
  bool Do(FolderListKind kind, const std::string& name, FolderOperation op, bool undo = true) {
    fake.BeginOperation();
    return RunEntryOperation(comparison, kind, IndexOf(kind, name), op, undo, fake);
  }

  void SetUp() override {
    comparison.oldRoot = "C:\\old";
    comparison.newRoot = "C:\\new";
    File("C:\\old\\a.txt", "a old");
    File("C:\\new\\a.txt", "a new, longer");
    for (const char* root : {"C:\\old", "C:\\new"}) {
      const std::string r = root;
      Folder(r + "\\dir");
      File(r + "\\dir\\same.txt", "same in both");
      File(r + "\\dir\\x.txt", "x of " + r);
      Folder(r + "\\dir\\in");
      File(r + "\\dir\\in\\y.txt", "y of " + r);
      File(r + "\\s.txt", "same");
    }
    File("C:\\old\\dir\\only-old.txt", "only in old dir");
    File("C:\\old\\o.txt", "old only");
    Folder("C:\\old\\odir");
    File("C:\\old\\odir\\p.txt", "p");
    File("C:\\new\\n.txt", "new only");
    Folder("C:\\new\\sub");
    Folder("C:\\new\\sub\\deep");
    File("C:\\new\\sub\\deep\\d.txt", "deep");
    Entry(FolderListKind::ChangedList, "a.txt", false);
    Entry(FolderListKind::ChangedList, "dir", true);
    Entry(FolderListKind::OldList, "o.txt", false);
    Entry(FolderListKind::OldList, "odir", true);
    Entry(FolderListKind::NewList, "n.txt", false);
    Entry(FolderListKind::NewList, "sub\\deep", true);
    Entry(FolderListKind::SameList, "s.txt", false);
  }

  std::string Item(int side, const std::string& name) const {
    return JoinPath(side == 0 ? comparison.oldRoot : comparison.newRoot, name);
  }

  void SwitchSides() {
    std::swap(comparison.oldRoot, comparison.newRoot);
    std::swap(comparison.lists[0], comparison.lists[1]);
    std::swap(comparison.modified[0], comparison.modified[1]);
    for (int list = 0; list < 3; ++list) {
      for (FolderEntry& e : comparison.lists[list]) {
        e.swapped = !e.swapped;
        if (e.state == EntryState::CopiedToOld) e.state = EntryState::CopiedToNew;
        else if (e.state == EntryState::CopiedToNew) e.state = EntryState::CopiedToOld;
        else if (e.state == EntryState::DeletedOld) e.state = EntryState::DeletedNew;
        else if (e.state == EntryState::DeletedNew) e.state = EntryState::DeletedOld;
      }
    }
  }

  // The user changes an item behind the program's back.
  void Meddle(std::mt19937& random) {
    const auto& list = comparison.lists[random() % 3];
    if (list.empty()) return;
    const FolderEntry& entry = list[random() % list.size()];
    const std::string path = Item(static_cast<int>(random() % 2), entry.name);
    auto found = fake.disk.find(path);
    if (found == fake.disk.end()) {
      if (fake.IsFolder(ParentFolder(path))) File(path, "appeared " + std::to_string(random()));
    } else if (!found->second.folder) {
      found->second.bytes += " edited";
    } else if (random() % 4 == 0) {
      fake.RecycleItem(path);
    }
  }

  // The disk before minus the touched trees must equal the disk after minus
  // the touched trees and the folders made to hold them.
  void ExpectRestUnchanged(const Disk& before, const std::vector<std::string>& touched,
                           const std::string& step) {
    auto strip = [&](const Disk& d) {
      Disk out;
      for (const auto& [path, node] : Visible(d)) {
        bool skip = false;
        for (const std::string& t : touched) {
          skip = skip || AtOrBelow(path, t) || (node.folder && Below(t, path) && !before.count(path));
        }
        if (!skip) out[path] = node;
      }
      return out;
    };
    EXPECT_EQ(strip(before), strip(fake.disk)) << step;
  }

  // Notes what a successful operation replaced, for its undo to restore.
  std::vector<std::string> RecordTargets(const FolderEntry& entry, const Disk& before) {
    Record& record = records[entry.name];
    record.targets.clear();
    std::vector<int> sides;
    if (entry.state == EntryState::CopiedToOld || entry.state == EntryState::DeletedOld) sides = {0};
    if (entry.state == EntryState::CopiedToNew || entry.state == EntryState::DeletedNew) sides = {1};
    if (entry.state == EntryState::DeletedBoth) sides = {0, 1};
    std::vector<std::string> touched;
    for (int side : sides) {
      const std::string path = Item(side, entry.name);
      record.targets.emplace_back(path, TreeAt(before, path));
      touched.push_back(path);
    }
    return touched;
  }

  void CheckOperation(FolderOperation op, FolderEntry& entry, const Disk& before,
                      EntryState stateBefore, bool undo, bool ok, const std::string& step) {
    for (const std::string& v : fake.violations) ADD_FAILURE() << step << ": " << v;
    fake.violations.clear();
    const bool copy = op == FolderOperation::CopyToOld || op == FolderOperation::CopyToNew;
    for (const std::string& o : fake.overwrites) {
      // Only a copy without undo merges into an existing folder.
      if (undo || !copy) {
        ADD_FAILURE() << step << ": overwrote " << o;
      }
    }
    fake.overwrites.clear();
    const std::string replaced =
        copy && !undo ? Item(op == FolderOperation::CopyToOld ? 0 : 1, entry.name) : "?";
    ExpectNothingLost(before, fake, replaced, step);
    // After a failed clean-up leftovers are allowed (and a kept-aside item is
    // reported): nothing lost is all that holds.
    if (fake.removeFaulted || fake.keptAside) {
      if (ok && op != FolderOperation::Undo) RecordTargets(entry, before);
      return;
    }
    const bool acted = op == FolderOperation::Undo ? stateBefore >= EntryState::CopiedToOld && entry.undoable
                                                   : stateBefore < EntryState::CopiedToOld;
    // The undo of a copy that made the item recycles it; should that fail
    // part way, what went is in the bin and cannot be put back from here.
    const bool copyUndo = op == FolderOperation::Undo && entry.undoPath.empty() &&
                          (stateBefore == EntryState::CopiedToOld ||
                           stateBefore == EntryState::CopiedToNew);
    if (!ok && copyUndo) return;
    const bool halfDone = !ok && entry.state == EntryState::DeletedOld && stateBefore != entry.state;
    if (halfDone && !undo) {
      RecordTargets(entry, before);
      return;  // the new item may be part-recycled: nothing lost is all that holds
    }
    if (!ok || !acted) {
      if (!halfDone) {
        // A failed merge of a folder into a folder without undo may leave
        // the target part-written: the user asked for no backup of it.
        const bool merge = replaced != "?" && before.count(replaced) &&
                           before.at(replaced).folder &&
                           before.count(Item(replaced == Item(0, entry.name) ? 1 : 0, entry.name)) &&
                           before.at(Item(replaced == Item(0, entry.name) ? 1 : 0, entry.name)).folder;
        if (merge) {
          ExpectRestUnchanged(before, {replaced}, step);
          return;
        }
        // Without a backup a folder that was partly recycled cannot be
        // made whole again; what went is in the bin.
        if (!undo && (op == FolderOperation::DeleteOld || op == FolderOperation::DeleteNew ||
                      op == FolderOperation::DeleteBoth)) {
          return;
        }
        EXPECT_EQ(Visible(before), Visible(fake.disk))
            << step << (ok ? " succeeded" : " failed") << " and changed the disk";
        EXPECT_EQ(stateBefore, entry.state) << step;
        return;
      }
    }
    Record& record = records[entry.name];
    if (op == FolderOperation::Undo) {
      std::vector<std::string> touched;
      for (const auto& [path, tree] : record.targets) {
        EXPECT_EQ(tree, TreeAt(fake.disk, path)) << step << ": undo did not restore " << path;
        touched.push_back(path);
      }
      ExpectRestUnchanged(before, touched, step);
      EXPECT_EQ(EntryState::Present, entry.state);
      return;
    }
    const std::vector<std::string> touched = RecordTargets(entry, before);
    auto target = [&](int side) { return Item(side, entry.name); };
    switch (entry.state) {
      case EntryState::CopiedToOld:
      case EntryState::CopiedToNew: {
        const int t = entry.state == EntryState::CopiedToOld ? 0 : 1;
        const std::string path = target(t);
        Tree expected = TreeAt(before, Item(1 - t, entry.name));
        if (!undo && fake.IsFolder(path) && !record.targets.back().second.empty()) {
          Tree merged = record.targets.back().second;
          for (const auto& [relative, node] : expected) merged[relative] = node;
          expected = merged;
        }
        EXPECT_EQ(expected, TreeAt(fake.disk, path)) << step << ": copy";
        break;
      }
      case EntryState::DeletedOld:
      case EntryState::DeletedNew:
        EXPECT_TRUE(TreeAt(fake.disk, target(entry.state == EntryState::DeletedOld ? 0 : 1)).empty())
            << step;
        break;
      case EntryState::DeletedBoth:
        EXPECT_TRUE(TreeAt(fake.disk, target(0)).empty()) << step;
        EXPECT_TRUE(TreeAt(fake.disk, target(1)).empty()) << step;
        break;
      default: ADD_FAILURE() << step << ": state " << static_cast<int>(entry.state);
    }
    ExpectRestUnchanged(before, touched, step);
  }

  // Backups in the temporary folder are exactly those the entries own.
  void ExpectNoStrayBackups(const std::string& step) {
    std::set<std::string> owned;
    for (const auto& list : comparison.lists) {
      for (const FolderEntry& e : list) {
        if (!e.undoPath.empty()) owned.insert(e.undoPath);
      }
    }
    for (const auto& [path, node] : fake.disk) {
      if (ParentFolder(path) == "C:\\tmp" && !fake.keptPaths.count(path)) {
        EXPECT_TRUE(owned.count(path)) << step << ": stray " << path;
      }
    }
    for (const std::string& path : owned) EXPECT_TRUE(fake.IsFolder(path)) << step << ": " << path;
  }

  void Run(unsigned seed, double faultRate, bool removeFaults) {
    std::mt19937 random(seed);
    fake.random.seed(seed);
    fake.removeFaults = removeFaults;
    for (int step = 0; step < 400 && !HasFailure(); ++step) {
      if (random() % 4 == 0) Meddle(random);
      if (random() % 13 == 0) SwitchSides();
      const FolderListKind kind = static_cast<FolderListKind>(random() % 4);
      auto& list = comparison.List(kind);
      const size_t index = random() % list.size();
      FolderEntry& entry = list[index];
      const auto op = static_cast<FolderOperation>(random() % 6 == 5 ? 5 : random() % 6);
      const bool undo = entry.state >= EntryState::CopiedToOld ? entry.undoable : random() % 3 != 0;
      const Disk before = fake.disk;
      const EntryState stateBefore = entry.state;
      fake.faultRate = faultRate;
      fake.BeginOperation();
      const bool ok = RunEntryOperation(comparison, kind, index, op, undo, fake);
      fake.faultRate = 0;
      const std::string name = "seed " + std::to_string(seed) + " step " + std::to_string(step) +
                               " op " + std::to_string(static_cast<int>(op)) + " on " + entry.name;
      CheckOperation(op, entry, before, stateBefore, undo, ok, name);
      if (!removeFaults) ExpectNoStrayBackups(name);
    }
  }
};

TEST_F(FolderOpsModel, EveryOutcomeKeepsTheItemsAndEveryUndoRestoresThem) {
  for (unsigned seed = 1; seed <= 40 && !HasFailure(); ++seed) {
    SetUpFresh();
    Run(seed, seed % 4 == 0 ? 0.0 : 0.15, false);
  }
}

TEST_F(FolderOpsModel, CleanUpThatFailsPartWayLosesNothing) {
  for (unsigned seed = 100; seed < 120 && !HasFailure(); ++seed) {
    SetUpFresh();
    Run(seed, 0.2, true);
  }
}

TEST_F(FolderOpsModel, CopyOverAnItemThatCannotBeMovedAsideChangesNothing) {
  const Disk before = fake.disk;
  fake.refuseMoves = true;
  for (const char* name : {"a.txt", "dir"}) {
    for (bool undo : {true, false}) {
      if (!undo && std::string(name) == "dir") continue;  // merged into, no set-aside
      EXPECT_FALSE(Do(FolderListKind::ChangedList, name, FolderOperation::CopyToOld, undo)) << name;
      EXPECT_EQ(EntryState::Present, Find(FolderListKind::ChangedList, name).state);
      EXPECT_TRUE(Find(FolderListKind::ChangedList, name).undoPath.empty());
    }
  }
  EXPECT_EQ(before, fake.disk);  // backups discarded too
  EXPECT_EQ(3, fake.refusals);
  EXPECT_FALSE(comparison.modified[0]);
}

TEST_F(FolderOpsModel, UndoNeverOverwritesAnItemThatAppearedSince) {
  ASSERT_TRUE(Do(FolderListKind::OldList, "o.txt", FolderOperation::DeleteOld));
  ASSERT_TRUE(Do(FolderListKind::ChangedList, "a.txt", FolderOperation::DeleteBoth));
  File("C:\\old\\o.txt", "the user's new file");
  File("C:\\new\\a.txt", "another new file");
  const Disk before = fake.disk;
  EXPECT_FALSE(Do(FolderListKind::OldList, "o.txt", FolderOperation::Undo));
  EXPECT_FALSE(Do(FolderListKind::ChangedList, "a.txt", FolderOperation::Undo));
  EXPECT_EQ(before, fake.disk);  // the backups are kept for a later try
  EXPECT_EQ(EntryState::DeletedOld, Find(FolderListKind::OldList, "o.txt").state);
  // Once the user has moved the new items away, the undo goes through.
  fake.RecycleItem("C:\\old\\o.txt");
  fake.RecycleItem("C:\\new\\a.txt");
  EXPECT_TRUE(Do(FolderListKind::OldList, "o.txt", FolderOperation::Undo));
  EXPECT_TRUE(Do(FolderListKind::ChangedList, "a.txt", FolderOperation::Undo));
  EXPECT_EQ("old only", fake.disk.at("C:\\old\\o.txt").bytes);
  EXPECT_EQ("a new, longer", fake.disk.at("C:\\new\\a.txt").bytes);
  EXPECT_TRUE(TreeAt(fake.disk, "C:\\tmp").size() == 1);  // the backups are gone
}

TEST_F(FolderOpsModel, DeleteBothThenSwitchSidesThenUndoPutsEachItemBackWhereItCameFrom) {
  ASSERT_TRUE(Do(FolderListKind::ChangedList, "dir", FolderOperation::DeleteBoth));
  SwitchSides();
  ASSERT_TRUE(Do(FolderListKind::ChangedList, "dir", FolderOperation::Undo));
  EXPECT_EQ("x of C:\\old", fake.disk.at("C:\\old\\dir\\x.txt").bytes);
  EXPECT_EQ("x of C:\\new", fake.disk.at("C:\\new\\dir\\x.txt").bytes);
  EXPECT_TRUE(fake.disk.count("C:\\old\\dir\\only-old.txt"));
  EXPECT_FALSE(fake.disk.count("C:\\new\\dir\\only-old.txt"));
}

TEST_F(FolderOpsModel, RefusesCrowdedTempNamesDevicesAndOverlappingRoots) {
  const Disk before = fake.disk;
  fake.crowded = true;
  EXPECT_EQ("", MakeTempName(fake, "cmp-", "C:\\old"));  // returns, and says so
  EXPECT_FALSE(Do(FolderListKind::ChangedList, "a.txt", FolderOperation::CopyToNew));
  EXPECT_FALSE(Do(FolderListKind::OldList, "o.txt", FolderOperation::DeleteOld));
  fake.crowded = false;
  Entry(FolderListKind::OldList, "nul.txt", false);
  File("C:\\old\\nul.txt", "");
  EXPECT_FALSE(Do(FolderListKind::OldList, "nul.txt", FolderOperation::CopyToNew));
  for (const char* name : {"..\\new", "odir/../../new", "C:\\new", "\\new"}) {
    Entry(FolderListKind::OldList, name, true);
    EXPECT_FALSE(Do(FolderListKind::OldList, name, FolderOperation::DeleteOld)) << name;
  }
  comparison.newRoot = "C:\\old\\odir";  // one root inside the other
  Entry(FolderListKind::NewList, "odir", true);
  EXPECT_FALSE(Do(FolderListKind::NewList, "odir", FolderOperation::CopyToNew));
  fake.disk.erase("C:\\old\\nul.txt");
  EXPECT_EQ(before, fake.disk);
  EXPECT_EQ(8, fake.refusals);
  EXPECT_TRUE(NamesDevice("C:\\x\\COM3.log"));
  EXPECT_TRUE(NamesDevice("C:\\x\\con .txt\\y"));
  EXPECT_FALSE(NamesDevice("C:\\x\\console.txt"));
  EXPECT_FALSE(NamesDevice("C:\\x\\com0"));
}

}  // namespace
}  // namespace qm
