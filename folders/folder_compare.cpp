#include "folders/folder_compare.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <numeric>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>

#include "engine/text_file.h"
#include "folders/contents.h"
#include "folders/folder_filter.h"

namespace qm {

namespace {

// What one pair, or one level of two folders, came to. Unreadable only
// reaches a caller that asked to stop at the first difference: a listing
// level puts unreadable pairs into the Changed list and calls that a
// difference.
enum class Outcome { Alike, Differ, Unreadable };

Outcome FromContents(ContentsOutcome o) {
  return o == ContentsOutcome::Differ       ? Outcome::Differ
         : o == ContentsOutcome::Unreadable ? Outcome::Unreadable
                                            : Outcome::Alike;
}

// Finds the partner of each old entry among the new entries of one level:
// the first unclaimed new entry of the same kind with exactly the same
// name, else (names compared without case) the first with the same folded
// name. That is the pair a linear search from the start of the new entries
// would find, in constant time per entry: each name keeps the positions of
// its entries in ascending order and a cursor past the ones already
// claimed.
class PairIndex {
public:
  PairIndex(const std::vector<FolderEntry>& entries, bool ignoreCase)
      : entries_(entries), ignoreCase_(ignoreCase), claimed_(entries.size(), false) {
    exact_.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
      exact_[Key(entries[i].isFolder, entries[i].name)].positions.push_back(i);
    }
  }

  // The position of a's partner, now claimed, or -1.
  ptrdiff_t Claim(const FolderEntry& a) {
    ptrdiff_t i = Take(exact_, Key(a.isFolder, a.name));
    if (i < 0 && ignoreCase_) {
      // Folded names are only worked out once some name has no exact
      // partner; in most folders every name has one.
      if (folded_.empty()) {
        folded_.reserve(entries_.size());
        for (size_t k = 0; k < entries_.size(); ++k) {
          folded_[Key(entries_[k].isFolder, FoldName(entries_[k].name))].positions.push_back(k);
        }
      }
      i = Take(folded_, Key(a.isFolder, FoldName(a.name)));
    }
    if (i >= 0) claimed_[static_cast<size_t>(i)] = true;
    return i;
  }
  bool Claimed(size_t i) const { return claimed_[i]; }

private:
  struct Positions {
    std::vector<size_t> positions;
    size_t next = 0;
  };
  using Map = std::unordered_map<std::string, Positions>;

  static std::string Key(bool isFolder, const std::string& name) {
    std::string key(1, isFolder ? 'd' : 'f');
    key += name;
    return key;
  }
  ptrdiff_t Take(Map& map, const std::string& key) const {
    const auto it = map.find(key);
    if (it == map.end()) return -1;
    Positions& p = it->second;
    while (p.next < p.positions.size() && claimed_[p.positions[p.next]]) ++p.next;
    return p.next < p.positions.size() ? static_cast<ptrdiff_t>(p.positions[p.next]) : -1;
  }

  const std::vector<FolderEntry>& entries_;
  bool ignoreCase_;
  std::vector<bool> claimed_;
  Map exact_;
  Map folded_;
};

// A second thread for one comparison run: the listing of the new side
// while this thread lists the old one, and half the file pairs of a level
// while this thread reads the other half. Handing work over and waiting
// block on a condition variable; nothing spins. Without a thread (none
// could be started, or the file system is not safe for two) everything
// runs on the calling thread.
class HelperThread {
public:
  explicit HelperThread(FolderFileSystem& fs) : fs_(fs) {}
  ~HelperThread() {
    if (!thread_.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Runs second on the helper and first here, and returns when both are
  // done. An exception of either reaches the caller after both ended.
  void RunBoth(const std::function<void()>& first, const std::function<void()>& second) {
    if (!Start()) {
      first();
      second();
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      task_ = &second;
      error_ = nullptr;
    }
    wake_.notify_one();
    std::exception_ptr firstError;
    try {
      first();
    } catch (...) {
      firstError = std::current_exception();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    done_.wait(lock, [this] { return task_ == nullptr; });
    if (firstError) std::rethrow_exception(firstError);
    if (error_) std::rethrow_exception(error_);
  }

private:
  bool Start() {
    if (thread_.joinable()) return true;
    if (failed_ || !fs_.Concurrent()) return false;
    try {
      thread_ = std::thread([this] { Loop(); });
    } catch (const std::system_error&) {
      failed_ = true;
    }
    return !failed_;
  }

  void Loop() {
    fs_.HelperThreadStarted();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || task_ != nullptr; });
      if (stop_) break;
      const std::function<void()>* task = task_;
      lock.unlock();
      std::exception_ptr error;
      try {
        (*task)();
      } catch (...) {
        error = std::current_exception();
      }
      lock.lock();
      error_ = error;
      task_ = nullptr;
      done_.notify_one();
    }
    lock.unlock();
    fs_.HelperThreadEnded();
  }

  FolderFileSystem& fs_;
  std::thread thread_;
  bool failed_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  const std::function<void()>* task_ = nullptr;
  std::exception_ptr error_;
  bool stop_ = false;
};

// One run of the comparison: the settings copied at its start, the file
// system, and the lists it fills.
class CompareRun {
public:
  CompareRun(FolderComparison& comparison, const FolderCompareSettings& settings,
             FolderFileSystem& fs)
      : c_(comparison), s_(settings), fs_(fs), helper_(fs) {}

  // The worker's whole work. Sets rootResult when a root cannot be listed.
  void Work();
  CompareResult rootResult;

private:
  bool Cancelled() const { return c_.cancel.load(std::memory_order_relaxed) != 0; }
  const std::string& Root(int side) const { return side == 0 ? c_.oldRoot : c_.newRoot; }
  uint32_t ScanFolder(int side, const std::string& relative, std::vector<FolderEntry>* out);
  void Filter(std::vector<FolderEntry>& entries) const;
  Outcome MatchEntryLists(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
                          bool checkOnly);
  Outcome CompareEntryPair(const FolderEntry& a, FolderEntry& b, bool checkOnly,
                           const Outcome* knownContents = nullptr);
  Outcome CompareContents(const FolderEntry& a, const FolderEntry& b, ContentsBuffers& buffers);
  void CompareContentsOfLevel(const std::vector<FolderEntry>& a, const std::vector<FolderEntry>& b,
                              const std::vector<ptrdiff_t>& partners,
                              std::vector<Outcome>* outcomes);
  uint32_t ScanBoth(const std::string& oldName, const std::string& newName,
                    std::vector<FolderEntry>* oldEntries, std::vector<FolderEntry>* newEntries,
                    uint32_t* newError);
  Outcome CompareSubfolderPair(const FolderEntry& a, const FolderEntry& b);
  void CompareFacts(const FolderEntry& a, FolderEntry& b, bool* differs, bool* unreadable);
  bool FactsOf(int side, const FolderEntry& e, FileFacts* facts);
  void AddToList(FolderListKind kind, const FolderEntry& entry);
  void SortAndLabel();

  FolderComparison& c_;
  const FolderCompareSettings s_;
  FolderFileSystem& fs_;
  FilterPatterns patterns_;
  bool include_ = false;
  ContentsBuffers buffers_;        // this thread's
  ContentsBuffers helperBuffers_;  // the helper thread's
  HelperThread helper_;
};

uint32_t CompareRun::ScanFolder(int side, const std::string& relative,
                                std::vector<FolderEntry>* out) {
  out->clear();
  std::vector<FoundItem> items;
  const bool attributes = s_.CompareAttribs || s_.CompareFolderAttribs;
  // The facts come with the listing where they are cheap, so a pair needs
  // no queries of its own.
  const bool facts = s_.CompareDate || s_.CompareSize || s_.CompareFolderDate;
  const std::string path = fs_.Child(Root(side), relative);
  const uint32_t error = facts ? fs_.ListFolderWithFacts(path, attributes, &items)
                               : fs_.ListFolder(path, attributes, &items);
  if (error != 0) return error;
  out->reserve(items.size());
  for (FoundItem& item : items) {
    FolderEntry e;
    if (relative.empty()) {
      e.name = std::move(item.name);
    } else {
      e.name.reserve(relative.size() + 1 + item.name.size());
      e.name = relative;
      e.name += '\\';
      e.name += item.name;
    }
    e.isFolder = item.isFolder;
    e.inSubfolder = !relative.empty();
    e.haveFacts = item.haveFacts;
    e.writeSeconds = item.facts.writeSeconds;
    e.size = item.facts.size;
    if (e.isFolder ? s_.CompareFolderAttribs : s_.CompareAttribs) {
      if (item.hidden) e.flags |= kEntryHidden;
      if (item.readOnly) e.flags |= kEntryReadOnly;
    }
    out->push_back(std::move(e));
  }
  return 0;
}

// Lists the old folder here and the new one on the helper. Returns the old
// side's error; *newError receives the new side's.
uint32_t CompareRun::ScanBoth(const std::string& oldName, const std::string& newName,
                              std::vector<FolderEntry>* oldEntries,
                              std::vector<FolderEntry>* newEntries, uint32_t* newError) {
  uint32_t oldError = 0;
  helper_.RunBoth([&] { oldError = ScanFolder(0, oldName, oldEntries); },
                  [&] { *newError = ScanFolder(1, newName, newEntries); });
  return oldError;
}

void CompareRun::Filter(std::vector<FolderEntry>& entries) const {
  if (s_.HaveIncludeFilter || s_.HaveExcludeFilter) {
    ApplyFilter(entries, patterns_, include_, !s_.IgnoreNameCase);
  }
}

void CompareRun::Work() {
  if (s_.HaveIncludeFilter) {
    patterns_ = ParseFilterPatterns(s_.IncludeFilter);
    include_ = true;
  } else if (s_.HaveExcludeFilter) {
    patterns_ = ParseFilterPatterns(s_.ExcludeFilter);
  }
  std::vector<FolderEntry> a;
  std::vector<FolderEntry> b;
  uint32_t newError = 0;
  if (const uint32_t error = ScanBoth(std::string(), std::string(), &a, &b, &newError)) {
    rootResult = {kOldFolderUnreadable, error};
    return;
  }
  if (newError != 0) {
    rootResult = {kNewFolderUnreadable, newError};
    return;
  }
  Filter(a);
  Filter(b);
  MatchEntryLists(a, b, false);
  if (!Cancelled()) SortAndLabel();
}

// Pairs the old entries a with the new entries b of one level. With
// checkOnly nothing is listed and the first difference (or unreadable
// pair) ends the level; otherwise every entry goes to a list and the
// result says whether any of them went elsewhere than Same.
Outcome CompareRun::MatchEntryLists(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
                                    bool checkOnly) {
  PairIndex index(b, s_.IgnoreNameCase);
  // The pairs are found before any is compared: what a pair comes to has
  // no say in which entries pair up.
  std::vector<ptrdiff_t> partners(a.size());
  for (size_t i = 0; i < a.size(); ++i) partners[i] = index.Claim(a[i]);
  // A level that lists everything reads its file pairs on both threads
  // first; one that stops at the first difference reads them in order.
  std::vector<Outcome> contents;
  if (!checkOnly && (s_.CompareQuick || s_.CompareFull)) {
    CompareContentsOfLevel(a, b, partners, &contents);
  }
  bool noted = false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Cancelled()) return Outcome::Alike;
    const FolderEntry& old = a[i];
    const ptrdiff_t partner = partners[i];
    if (partner >= 0) {
      const Outcome o = CompareEntryPair(old, b[static_cast<size_t>(partner)], checkOnly,
                                         contents.empty() ? nullptr : &contents[i]);
      if (o != Outcome::Alike) {
        if (checkOnly) return o;
        noted = true;
      }
    } else {
      if (checkOnly) return Outcome::Differ;
      AddToList(FolderListKind::OldList, old);
      noted = true;
    }
  }
  for (size_t i = 0; i < b.size(); ++i) {
    if (index.Claimed(i)) continue;
    if (checkOnly) return Outcome::Differ;
    AddToList(FolderListKind::NewList, b[i]);
    noted = true;
  }
  return noted ? Outcome::Differ : Outcome::Alike;
}

// The contents outcome of every file pair of a level, by old entry, the
// pairs shared out between this thread and the helper.
void CompareRun::CompareContentsOfLevel(const std::vector<FolderEntry>& a,
                                        const std::vector<FolderEntry>& b,
                                        const std::vector<ptrdiff_t>& partners,
                                        std::vector<Outcome>* outcomes) {
  outcomes->assign(a.size(), Outcome::Alike);
  std::vector<size_t> pairs;
  for (size_t i = 0; i < a.size(); ++i) {
    if (partners[i] >= 0 && !a[i].isFolder) pairs.push_back(i);
  }
  std::atomic<size_t> next{0};
  const auto share = [&](ContentsBuffers& buffers) {
    for (size_t k; (k = next.fetch_add(1, std::memory_order_relaxed)) < pairs.size();) {
      if (Cancelled()) return;
      const size_t i = pairs[k];
      (*outcomes)[i] = CompareContents(a[i], b[static_cast<size_t>(partners[i])], buffers);
    }
  };
  if (pairs.size() < 2) {
    share(buffers_);
    return;
  }
  helper_.RunBoth([&] { share(buffers_); }, [&] { share(helperBuffers_); });
}

Outcome CompareRun::CompareContents(const FolderEntry& a, const FolderEntry& b,
                                    ContentsBuffers& buffers) {
  const std::string oldPath = fs_.Child(c_.oldRoot, a.name);
  const std::string newPath = fs_.Child(c_.newRoot, b.name);
  return FromContents(s_.CompareQuick
                          ? QuickContentsDiffer(fs_, oldPath, newPath, buffers, &c_.cancel)
                          : FullContentsDiffer(fs_, oldPath, newPath, s_.text, buffers,
                                               &c_.cancel));
}

// Attributes, date and size of a pair; the bits go on b.
void CompareRun::CompareFacts(const FolderEntry& a, FolderEntry& b, bool* differs,
                              bool* unreadable) {
  const struct {
    uint32_t own;
    uint32_t was;
  } attributes[] = {{kEntryHidden, kEntryWasHidden}, {kEntryReadOnly, kEntryWasReadOnly}};
  for (const auto& attr : attributes) {
    const bool oldHas = (a.flags & attr.own) != 0;
    const bool newHas = (b.flags & attr.own) != 0;
    if (oldHas && !newHas) b.flags |= attr.was;
    if (oldHas != newHas) *differs = true;
  }
  const bool date = a.isFolder ? s_.CompareFolderDate : s_.CompareDate;
  const bool size = !a.isFolder && s_.CompareSize;
  if (!date && !size) return;
  FileFacts oldFacts;
  FileFacts newFacts;
  if (!FactsOf(0, a, &oldFacts) || !FactsOf(1, b, &newFacts)) {
    *unreadable = true;
    return;
  }
  if (date && newFacts.writeSeconds != oldFacts.writeSeconds) {
    b.flags |= newFacts.writeSeconds < oldFacts.writeSeconds ? kEntryOlder : kEntryNewer;
    *differs = true;
  }
  if (size && newFacts.size != oldFacts.size) {
    b.flags |= newFacts.size < oldFacts.size ? kEntrySmaller : kEntryLarger;
    *differs = true;
  }
}

bool CompareRun::FactsOf(int side, const FolderEntry& e, FileFacts* facts) {
  if (e.haveFacts) {
    facts->writeSeconds = e.writeSeconds;
    facts->size = e.size;
    return true;
  }
  return fs_.QueryFile(fs_.Child(Root(side), e.name), facts);
}

Outcome CompareRun::CompareEntryPair(const FolderEntry& a, FolderEntry& b, bool checkOnly,
                                     const Outcome* knownContents) {
  bool differs = false;
  bool unreadable = false;
  CompareFacts(a, b, &differs, &unreadable);
  std::vector<FolderEntry>& same = c_.List(FolderListKind::SameList);
  const size_t sameBefore = same.size();
  Outcome contents = Outcome::Alike;
  if (a.isFolder) {
    contents = CompareSubfolderPair(a, b);
  } else if (knownContents) {
    contents = *knownContents;
  } else if (s_.CompareQuick || s_.CompareFull) {
    contents = CompareContents(a, b, buffers_);
  }
  if (contents == Outcome::Differ) {
    b.flags |= kEntryContents;
    differs = true;
  } else if (contents == Outcome::Unreadable) {
    unreadable = true;
  }
  if (unreadable) b.flags |= kEntryUnreadable;
  if (!checkOnly) {
    if (!b.isFolder) {
      AddToList(differs || unreadable ? FolderListKind::ChangedList : FolderListKind::SameList, b);
    } else if (differs || unreadable) {
      // A folder whose only difference lies inside shows through its
      // listed contents, not as an entry of its own.
      if (!(s_.CompareSubfolders && b.flags == kEntryContents)) {
        AddToList(FolderListKind::ChangedList, b);
      }
    } else {
      // A tree that is alike throughout is one Same entry.
      same.resize(sameBefore);
      AddToList(FolderListKind::SameList, b);
    }
  }
  return differs ? Outcome::Differ : unreadable ? Outcome::Unreadable : Outcome::Alike;
}

// Each side is listed under its own spelling of the folder's name. A side
// that cannot be listed makes the pair unreadable, and nothing below it is
// claimed to be on one side only.
Outcome CompareRun::CompareSubfolderPair(const FolderEntry& a, const FolderEntry& b) {
  std::vector<FolderEntry> oldEntries;
  std::vector<FolderEntry> newEntries;
  uint32_t newError = 0;
  if (ScanBoth(a.name, b.name, &oldEntries, &newEntries, &newError) != 0 || newError != 0) {
    return Outcome::Unreadable;
  }
  Filter(oldEntries);
  Filter(newEntries);
  return MatchEntryLists(oldEntries, newEntries, !s_.CompareSubfolders);
}

void CompareRun::AddToList(FolderListKind kind, const FolderEntry& entry) {
  FolderEntry copy;
  copy.name = entry.name;
  copy.isFolder = entry.isFolder;
  copy.inSubfolder = entry.inSubfolder;
  copy.flags = entry.flags;
  c_.List(kind).push_back(std::move(copy));
}

// Sorts every list and gives its entries their icons; icons wait until
// here so that the entries a Same folder swallows never ask for one.
void CompareRun::SortAndLabel() {
  for (int k = 0; k < kFolderListCount; ++k) {
    std::vector<FolderEntry>& list = c_.lists[static_cast<size_t>(k)];
    std::vector<EntrySortKey> keys;
    keys.reserve(list.size());
    for (const FolderEntry& e : list) keys.push_back(SortKeyOf(e));
    std::vector<size_t> order(list.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return SortKeyLess(keys[x], keys[y]); });
    std::vector<FolderEntry> sorted;
    sorted.reserve(list.size());
    for (const size_t i : order) sorted.push_back(std::move(list[i]));
    list = std::move(sorted);
    if (!c_.iconFor) continue;
    const std::string& root = k == static_cast<int>(FolderListKind::OldList) ? c_.oldRoot
                                                                             : c_.newRoot;
    for (FolderEntry& e : list) e.icon = c_.iconFor(fs_.Child(root, e.name), e.isFolder);
  }
}

}  // namespace

bool IsValidFolderPath(const std::string& path) { return IsValidFilePath(path, true); }

void ClearResultLists(FolderComparison& comparison) {
  for (std::vector<FolderEntry>& list : comparison.lists) {
    if (comparison.discardBackup) {
      for (const FolderEntry& e : list) {
        if (!e.undoPath.empty()) comparison.discardBackup(e.undoPath);
      }
    }
    list.clear();
  }
}

CompareResult RunFolderCompare(FolderComparison& comparison, const FolderCompareSettings& settings,
                               FolderFileSystem& fs, const WorkerRunner& runWorker) {
  ClearResultLists(comparison);
  comparison.modified[0] = comparison.modified[1] = false;
  if (!IsValidFolderPath(comparison.oldRoot)) return {kOldFolderInvalid, 0};
  if (!IsValidFolderPath(comparison.newRoot)) return {kNewFolderInvalid, 0};
  if (!fs.IsExistingFolder(comparison.oldRoot)) return {kOldFolderMissing, 0};
  if (!fs.IsExistingFolder(comparison.newRoot)) return {kNewFolderMissing, 0};
  comparison.cancel.store(0);
  bool outOfMemory = false;
  CompareRun run(comparison, settings, fs);
  const std::function<void()> work = [&] {
    try {
      run.Work();
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
    }
  };
  if (runWorker) {
    runWorker(work);
  } else {
    work();
  }
  if (comparison.cancel.load() != 0) return {CompareCode::Aborted, 0};
  if (outOfMemory) return {CompareCode::OutOfMemory, 0};
  return run.rootResult;
}

}  // namespace qm
