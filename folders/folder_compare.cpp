#include "folders/folder_compare.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <new>
#include <numeric>
#include <string_view>
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
// would find, in constant time per entry: entries of equal key form a
// chain in ascending position, with a cursor past the ones already
// claimed. The tables hold positions only: no allocation per entry.
class PairIndex {
public:
  PairIndex(const std::vector<FolderEntry>& entries, bool ignoreCase)
      : entries_(entries), ignoreCase_(ignoreCase), claimed_(entries.size(), false) {
    exact_.Build(entries_, nullptr);
  }

  // The position of a's partner, now claimed, or -1.
  ptrdiff_t Claim(const FolderEntry& a) {
    ptrdiff_t i = exact_.Take(a.isFolder, a.name, claimed_);
    if (i < 0 && ignoreCase_) {
      // Folded names are only worked out once some name has no exact
      // partner; in most folders every name has one.
      if (folded_.Empty()) {
        foldedNames_.reserve(entries_.size());
        for (const FolderEntry& e : entries_) foldedNames_.push_back(FoldName(e.name));
        folded_.Build(entries_, &foldedNames_);
      }
      i = folded_.Take(a.isFolder, FoldName(a.name), claimed_);
    }
    if (i >= 0) claimed_[static_cast<size_t>(i)] = true;
    return i;
  }
  bool Claimed(size_t i) const { return claimed_[i]; }

private:
  // Open addressing over (kind, key): each used slot holds the first
  // position of its key; next_ links the later ones.
  class Table {
  public:
    bool Empty() const { return slots_.empty(); }

    // Keys are the entries' names, or keys[i] for entry i.
    void Build(const std::vector<FolderEntry>& entries, const std::vector<std::string>* keys) {
      entries_ = &entries;
      keys_ = keys;
      size_t size = 16;
      while (size < entries.size() * 2) size *= 2;
      slots_.assign(size, kNone);
      next_.assign(entries.size(), kNone);
      last_.assign(entries.size(), kNone);
      cursor_.assign(entries.size(), kNone);
      for (size_t i = 0; i < entries.size(); ++i) {
        size_t& slot = slots_[Find(entries[i].isFolder, KeyOf(i))];
        if (slot == kNone) {
          slot = cursor_[i] = last_[i] = i;
        } else {
          next_[last_[slot]] = i;
          last_[slot] = i;
        }
      }
    }

    ptrdiff_t Take(bool isFolder, std::string_view key, const std::vector<bool>& claimed) {
      const size_t head = slots_[Find(isFolder, key)];
      if (head == kNone) return -1;
      size_t& p = cursor_[head];
      while (p != kNone && claimed[p]) p = next_[p];
      return p == kNone ? -1 : static_cast<ptrdiff_t>(p);
    }

  private:
    static constexpr size_t kNone = static_cast<size_t>(-1);

    // The slot of (isFolder, key): its own, or the empty one it would take.
    size_t Find(bool isFolder, std::string_view key) const {
      const size_t mask = slots_.size() - 1;
      size_t k = (std::hash<std::string_view>()(key) * 2 + (isFolder ? 1 : 0)) & mask;
      for (;; k = (k + 1) & mask) {
        const size_t head = slots_[k];
        if (head == kNone) return k;
        if ((*entries_)[head].isFolder == isFolder && KeyOf(head) == key) return k;
      }
    }

    std::string_view KeyOf(size_t i) const {
      return keys_ ? (*keys_)[i] : (*entries_)[i].name;
    }

    const std::vector<FolderEntry>* entries_ = nullptr;
    const std::vector<std::string>* keys_ = nullptr;
    std::vector<size_t> slots_;
    std::vector<size_t> next_;    // by position: the next of the same key
    std::vector<size_t> last_;    // by first position: the last of its key
    std::vector<size_t> cursor_;  // by first position: no claimed one before it
  };

  const std::vector<FolderEntry>& entries_;
  bool ignoreCase_;
  std::vector<bool> claimed_;
  Table exact_;
  Table folded_;
  std::vector<std::string> foldedNames_;
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

// Lists folders ahead of the comparison on threads of its own, so that the
// queries of the next folders overlap the pairing of this one. A level
// hands over the listings its subfolder pairs will need (Expect); pairing
// one of them takes the listing (Take): done, it is handed over; being
// listed, it is waited for; not started yet, the caller lists it itself.
// Listings expected last are listed first, so the order follows the
// depth-first walk of the comparison. A bounded number of finished
// listings wait to be taken; past that the threads rest.
class ListingPrefetcher {
public:
  using ListFn = std::function<uint32_t(int side, const std::string& name,
                                        std::vector<FolderEntry>* out)>;

  ListingPrefetcher(FolderFileSystem& fs, const CancelFlag& cancel, ListFn list)
      : fs_(fs), cancel_(cancel), list_(std::move(list)) {}
  ~ListingPrefetcher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  ListingPrefetcher(const ListingPrefetcher&) = delete;
  ListingPrefetcher& operator=(const ListingPrefetcher&) = delete;

  // Queues the listings of names (side, name), the first to be taken
  // first. Does nothing on a file system that serves one thread.
  void Expect(const std::vector<std::pair<int, const std::string*>>& names) {
    if (names.empty() || !Start()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (auto it = names.rbegin(); it != names.rend(); ++it) {
        std::string key = Key(it->first, *it->second);
        jobs_[key];  // queued
        queue_.push_front(std::move(key));
      }
    }
    wake_.notify_all();
  }

  // The listing of (side, name) when it was expected and has been (or is
  // being) listed: true with *out and *error filled. False when the
  // caller must list it itself.
  bool Take(int side, const std::string& name, std::vector<FolderEntry>* out, uint32_t* error) {
    if (threads_.empty()) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    const auto it = jobs_.find(Key(side, name));
    if (it == jobs_.end()) return false;
    if (it->second.state == State::Queued) {
      jobs_.erase(it);  // its key stays in the queue and is skipped there
      return false;
    }
    const std::string key = it->first;
    done_.wait(lock, [&] { return jobs_.at(key).state == State::Done; });
    Job job = std::move(jobs_.at(key));
    jobs_.erase(key);
    waiting_ -= job.entries.size() + 1;
    lock.unlock();
    wake_.notify_all();
    if (job.failure) std::rethrow_exception(job.failure);
    *out = std::move(job.entries);
    *error = job.error;
    return true;
  }

private:
  enum class State { Queued, Running, Done };
  struct Job {
    State state = State::Queued;
    uint32_t error = 0;
    std::vector<FolderEntry> entries;
    std::exception_ptr failure;
  };
  // Entries of finished listings not yet taken, one more per listing,
  // past which the threads rest.
  static constexpr size_t kMaxWaiting = 200000;

  static std::string Key(int side, const std::string& name) {
    std::string key(1, side == 0 ? 'o' : 'n');
    key += name;
    return key;
  }

  bool Start() {
    if (!threads_.empty()) return true;
    if (failed_ || !fs_.Concurrent()) return false;
    const unsigned cores = std::thread::hardware_concurrency();
    const unsigned count = cores < 2 ? 1 : cores > 4 ? 4 : cores;
    for (unsigned i = 0; i < count; ++i) {
      try {
        threads_.emplace_back([this] { Loop(); });
      } catch (const std::system_error&) {
        break;
      }
    }
    failed_ = threads_.empty();
    return !failed_;
  }

  bool Cancelled() const { return cancel_.load(std::memory_order_relaxed) != 0; }

  void Loop() {
    fs_.HelperThreadStarted();
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] {
        return stop_ || Cancelled() || (!queue_.empty() && waiting_ < kMaxWaiting);
      });
      if (stop_ || Cancelled()) break;
      const std::string key = std::move(queue_.front());
      queue_.pop_front();
      const auto it = jobs_.find(key);
      if (it == jobs_.end() || it->second.state != State::Queued) continue;
      it->second.state = State::Running;
      lock.unlock();
      Job job;
      try {
        job.error = list_(key[0] == 'o' ? 0 : 1, key.substr(1), &job.entries);
      } catch (...) {
        job.failure = std::current_exception();
      }
      job.state = State::Done;
      lock.lock();
      waiting_ += job.entries.size() + 1;
      jobs_[key] = std::move(job);
      done_.notify_all();
    }
    // Every listing this thread began is done: no taker waits in vain.
    lock.unlock();
    fs_.HelperThreadEnded();
  }

  FolderFileSystem& fs_;
  const CancelFlag& cancel_;
  ListFn list_;
  std::vector<std::thread> threads_;
  bool failed_ = false;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  std::unordered_map<std::string, Job> jobs_;
  std::deque<std::string> queue_;
  size_t waiting_ = 0;
  bool stop_ = false;
};

// One run of the comparison: the settings copied at its start, the file
// system, and the lists it fills.
class CompareRun {
public:
  CompareRun(FolderComparison& comparison, const FolderCompareSettings& settings,
             FolderFileSystem& fs)
      : c_(comparison),
        s_(settings),
        fs_(fs),
        helper_(fs),
        prefetch_(fs, comparison.cancel,
                  [this](int side, const std::string& name, std::vector<FolderEntry>* out) {
                    return ListLevel(side, name, out);
                  }) {}

  // The worker's whole work. Sets rootResult when a root cannot be listed.
  void Work();
  CompareResult rootResult;

private:
  bool Cancelled() const { return c_.cancel.load(std::memory_order_relaxed) != 0; }
  const std::string& Root(int side) const { return side == 0 ? c_.oldRoot : c_.newRoot; }
  uint32_t ScanFolder(int side, const std::string& relative, std::vector<FolderEntry>* out);
  uint32_t ListLevel(int side, const std::string& relative, std::vector<FolderEntry>* out);
  void Filter(std::vector<FolderEntry>& entries) const;
  Outcome MatchEntryLists(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
                          bool checkOnly);
  Outcome CompareEntryPair(FolderEntry& a, FolderEntry& b, bool checkOnly,
                           const Outcome* knownContents = nullptr);
  Outcome CompareContents(FolderEntry& a, FolderEntry& b, ContentsBuffers& buffers);
  void CompareContentsOfLevel(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
                              const std::vector<ptrdiff_t>& partners,
                              std::vector<Outcome>* outcomes);
  uint32_t ScanBoth(const std::string& oldName, const std::string& newName,
                    std::vector<FolderEntry>* oldEntries, std::vector<FolderEntry>* newEntries,
                    uint32_t* newError);
  Outcome CompareSubfolderPair(const FolderEntry& a, const FolderEntry& b);
  void CompareFacts(const FolderEntry& a, FolderEntry& b, bool* differs, bool* unreadable);
  bool FactsOf(int side, const FolderEntry& e, FileFacts* facts);
  void AddToList(FolderListKind kind, FolderEntry& entry);
  void SortAndLabel();

  FolderComparison& c_;
  const FolderCompareSettings s_;
  FolderFileSystem& fs_;
  FilterPatterns patterns_;
  bool include_ = false;
  ContentsBuffers buffers_;        // this thread's
  ContentsBuffers helperBuffers_;  // the helper thread's
  HelperThread helper_;
  // Last: its threads call ListLevel until it is destroyed.
  ListingPrefetcher prefetch_;
};

uint32_t CompareRun::ScanFolder(int side, const std::string& relative,
                                std::vector<FolderEntry>* out) {
  out->clear();
  std::vector<FoundItem> items;
  const bool attributes = s_.CompareAttribs || s_.CompareFolderAttribs;
  // The facts come with the listing where they are cheap, so a pair needs
  // no queries of its own; where opening a file gives them, a criterion
  // that opens every file pair leaves them to that (a folder pair's date
  // is then queried on its own).
  const bool facts = (s_.CompareDate || s_.CompareSize || s_.CompareFolderDate) &&
                     !((s_.CompareQuick || s_.CompareFull) && fs_.OpenGivesFacts());
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

// The filtered entries of one side of a level. Safe on any thread.
uint32_t CompareRun::ListLevel(int side, const std::string& relative,
                               std::vector<FolderEntry>* out) {
  const uint32_t error = ScanFolder(side, relative, out);
  if (error == 0) Filter(*out);
  return error;
}

// The levels of both sides: taken from the prefetcher where it has them,
// otherwise the old folder listed here and the new one on the helper.
// Returns the old side's error; *newError receives the new side's.
uint32_t CompareRun::ScanBoth(const std::string& oldName, const std::string& newName,
                              std::vector<FolderEntry>* oldEntries,
                              std::vector<FolderEntry>* newEntries, uint32_t* newError) {
  uint32_t oldError = 0;
  const bool haveOld = prefetch_.Take(0, oldName, oldEntries, &oldError);
  const bool haveNew = prefetch_.Take(1, newName, newEntries, newError);
  if (!haveOld && !haveNew) {
    helper_.RunBoth([&] { oldError = ListLevel(0, oldName, oldEntries); },
                    [&] { *newError = ListLevel(1, newName, newEntries); });
  } else if (!haveOld) {
    oldError = ListLevel(0, oldName, oldEntries);
  } else if (!haveNew) {
    *newError = ListLevel(1, newName, newEntries);
  }
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
  MatchEntryLists(a, b, false);
  if (!Cancelled()) SortAndLabel();
}

// Pairs the old entries a with the new entries b of one level. With
// checkOnly nothing is listed and the first difference (or unreadable
// pair) ends the level; otherwise every entry goes to a list and the
// result says whether any of them went elsewhere than Same.
Outcome CompareRun::MatchEntryLists(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
                                    bool checkOnly) {
  if (!checkOnly) {
    // Most entries of a level end up in the Same list: room for them all
    // at once spares the list its step-by-step growth.
    std::vector<FolderEntry>& same = c_.List(FolderListKind::SameList);
    const size_t wanted = same.size() + a.size();
    if (same.capacity() < wanted) same.reserve(std::max(wanted, 2 * same.capacity()));
  }
  PairIndex index(b, s_.IgnoreNameCase);
  // The pairs are found before any is compared: what a pair comes to has
  // no say in which entries pair up.
  std::vector<ptrdiff_t> partners(a.size());
  for (size_t i = 0; i < a.size(); ++i) partners[i] = index.Claim(a[i]);
  // Every subfolder pair of a listing level is compared, in this order.
  if (!checkOnly) {
    std::vector<std::pair<int, const std::string*>> subfolders;
    for (size_t i = 0; i < a.size(); ++i) {
      if (partners[i] < 0 || !a[i].isFolder) continue;
      subfolders.emplace_back(0, &a[i].name);
      subfolders.emplace_back(1, &b[static_cast<size_t>(partners[i])].name);
    }
    prefetch_.Expect(subfolders);
  }
  // A level that lists everything reads its file pairs on both threads
  // first; one that stops at the first difference reads them in order.
  std::vector<Outcome> contents;
  if (!checkOnly && (s_.CompareQuick || s_.CompareFull)) {
    CompareContentsOfLevel(a, b, partners, &contents);
  }
  bool noted = false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Cancelled()) return Outcome::Alike;
    FolderEntry& old = a[i];
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
void CompareRun::CompareContentsOfLevel(std::vector<FolderEntry>& a, std::vector<FolderEntry>& b,
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

// The contents of a file pair. A listing without facts leaves them to
// this: the files' opening gives them, and they go on the entries.
Outcome CompareRun::CompareContents(FolderEntry& a, FolderEntry& b, ContentsBuffers& buffers) {
  const std::string oldPath = fs_.Child(c_.oldRoot, a.name);
  const std::string newPath = fs_.Child(c_.newRoot, b.name);
  OpenedFacts opened;
  const Outcome outcome = FromContents(
      s_.CompareQuick
          ? QuickContentsDiffer(fs_, oldPath, newPath, buffers, &c_.cancel, &opened)
          : FullContentsDiffer(fs_, oldPath, newPath, s_.text, buffers, &c_.cancel, &opened));
  FolderEntry* const entries[2] = {&a, &b};
  for (int side = 0; side < 2; ++side) {
    FolderEntry& e = *entries[side];
    if (e.haveFacts || !opened.have[side]) continue;
    e.haveFacts = true;
    e.writeSeconds = opened.facts[side].writeSeconds;
    e.size = opened.facts[side].size;
  }
  return outcome;
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

Outcome CompareRun::CompareEntryPair(FolderEntry& a, FolderEntry& b, bool checkOnly,
                                     const Outcome* knownContents) {
  // A file pair's contents come first: reading them may give the facts.
  Outcome contents = Outcome::Alike;
  if (!a.isFolder && knownContents) {
    contents = *knownContents;
  } else if (!a.isFolder && (s_.CompareQuick || s_.CompareFull)) {
    contents = CompareContents(a, b, buffers_);
  }
  bool differs = false;
  bool unreadable = false;
  CompareFacts(a, b, &differs, &unreadable);
  std::vector<FolderEntry>& same = c_.List(FolderListKind::SameList);
  const size_t sameBefore = same.size();
  if (a.isFolder) contents = CompareSubfolderPair(a, b);
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
  return MatchEntryLists(oldEntries, newEntries, !s_.CompareSubfolders);
}

// Takes the entry's name: a level's entries are done with once listed.
void CompareRun::AddToList(FolderListKind kind, FolderEntry& entry) {
  FolderEntry copy;
  copy.name = std::move(entry.name);
  copy.isFolder = entry.isFolder;
  copy.inSubfolder = entry.inSubfolder;
  copy.flags = entry.flags;
  c_.List(kind).push_back(std::move(copy));
}

// Sorts every list and gives its entries their icons; icons wait until
// here so that the entries a Same folder swallows never ask for one.
void CompareRun::SortAndLabel() {
  // What is sorted: the group, the key's first 16 bytes as two numbers
  // (zero after its end: names hold no NUL byte) and the key, the entry's
  // position last so that equal keys keep their order. Most comparisons
  // end in the numbers, without a look at the names themselves.
  struct Item {
    uint64_t head[2];
    std::string_view folded;
    int group;
    size_t position;
    Item(std::string_view key, int g, size_t p) : head{0, 0}, folded(key), group(g), position(p) {
      for (size_t i = 0; i < 16 && i < key.size(); ++i) {
        head[i / 8] |= uint64_t{static_cast<unsigned char>(key[i])} << (56 - 8 * (i % 8));
      }
    }
    bool operator<(const Item& o) const {
      if (group != o.group) return group < o.group;
      if (head[0] != o.head[0]) return head[0] < o.head[0];
      if (head[1] != o.head[1]) return head[1] < o.head[1];
      if (folded.size() > 16 || o.folded.size() > 16) {
        const int c = folded.substr(std::min<size_t>(16, folded.size()))
                          .compare(o.folded.substr(std::min<size_t>(16, o.folded.size())));
        if (c != 0) return c < 0;
      }
      return position < o.position;
    }
  };
  constexpr size_t kPlaced = static_cast<size_t>(-1);
  for (int k = 0; k < kFolderListCount; ++k) {
    std::vector<FolderEntry>& list = c_.lists[static_cast<size_t>(k)];
    // The keys of EntryLess; only names that fold need a string of their own.
    const size_t folding = static_cast<size_t>(std::count_if(
        list.begin(), list.end(), [](const FolderEntry& e) { return !NameFoldsToItself(e.name); }));
    std::vector<std::string> folded;
    folded.reserve(folding);
    std::vector<Item> items;
    items.reserve(list.size());
    for (size_t i = 0; i < list.size(); ++i) {
      const FolderEntry& e = list[i];
      std::string_view key = e.name;
      if (folding > 0 && !NameFoldsToItself(key)) {
        folded.push_back(FoldName(e.name));
        key = folded.back();
      }
      items.emplace_back(key, SortGroupOf(e), i);
    }
    // A long list is sorted in two halves on both threads, then merged.
    const auto middle = items.begin() + static_cast<ptrdiff_t>(items.size() / 2);
    if (items.size() >= 4096) {
      helper_.RunBoth([&] { std::sort(items.begin(), middle); },
                      [&] { std::sort(middle, items.end()); });
      std::inplace_merge(items.begin(), middle, items.end());
    } else {
      std::sort(items.begin(), items.end());
    }
    // The entries move to their places in place, cycle by cycle: no second
    // list of them is ever made.
    for (size_t start = 0; start < items.size(); ++start) {
      if (items[start].position == start || items[start].position == kPlaced) continue;
      FolderEntry held = std::move(list[start]);
      size_t at = start;
      for (;;) {
        const size_t from = items[at].position;
        items[at].position = kPlaced;
        if (from == start) break;
        list[at] = std::move(list[from]);
        at = from;
      }
      list[at] = std::move(held);
    }
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
    // Whatever else stops a run (a system resource it could not have)
    // leaves its lists as incomplete as memory running out does, and is
    // reported the same way, never as a finished comparison.
    try {
      run.Work();
    } catch (...) {
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
