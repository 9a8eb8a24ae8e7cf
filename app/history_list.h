// HistoryList: a named, bounded, most-recent-first list of paths, filters or
// path pairs, persisted under the Settings key and shown by any number of
// attached combo boxes.
//
// Registry form: "<name>.count" (DWORD) and one string per entry named
// "<name>.<n>" (n in decimal from 0). A pair (RecentComparison) is stored as
// left path, a line feed, right path.
//
// Duplicates are found by display text, case-insensitively under the user's
// multibyte code page unless the list is case-sensitive (the filter lists).
// Attached combo boxes are borrowed: a combo box detaches itself before its
// window goes away. User-interface thread only.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qm {

struct RecentComparison {
  std::string left;
  std::string right;
};

class HistoryList {
 public:
  enum class Kind { Plain, Pairs };

  static constexpr int kNone = -1;

  explicit HistoryList(const char* name, Kind kind = Kind::Plain);
  HistoryList(const HistoryList&) = delete;
  HistoryList& operator=(const HistoryList&) = delete;

  const std::string& Name() const { return name_; }
  Kind GetKind() const { return kind_; }

  // Appends the stored entries of the Settings key in index order, skipping
  // missing and (for pairs) malformed values. Does not trim to the maximum.
  void Load();
  // Writes the count and every entry; stale values past the new count stay
  // in the registry and are ignored by Load.
  void Save() const;

  // Zero or less: no limit. Trims from the end and refreshes the combo boxes.
  void SetMaximum(int maximum);
  int Maximum() const { return maximum_; }
  void SetCaseSensitive(bool caseSensitive) { caseSensitive_ = caseSensitive; }
  bool CaseSensitive() const { return caseSensitive_; }

  // Moves the entry to the front, removing an entry of the same display
  // text, trims to the maximum and refreshes the combo boxes. An empty text
  // (or a pair of two empty paths) is ignored. Add(text) on a list of pairs
  // and Add(pair) on a plain list are ignored too.
  void Add(const std::string& text);
  void Add(const RecentComparison& pair);

  int Count() const { return static_cast<int>(entries_.size()); }
  bool Empty() const { return entries_.empty(); }
  // Display text of entry 0, or the empty string for an empty list.
  std::string FirstText() const;
  // Display text of an entry: the text itself, or string 8 "%1 <---> %2"
  // with the two paths for a pair. index must be in [0, Count()).
  const std::string& DisplayText(int index) const;
  // The pair of an entry of a list of pairs; for a plain entry left holds
  // the text and right is empty.
  RecentComparison Pair(int index) const;

  // Index of the entry with the shortest display text that begins with the
  // prefix (earliest among equal lengths), or kNone (also for an empty
  // prefix, which would otherwise complete to any entry).
  int FindCompletion(const std::string& prefix) const;

  // The combo box is filled with the entries at once and after every change.
  void AttachCombo(HWND combo);
  void DetachCombo(HWND combo);

  // Empties the list (tests and a fresh load).
  void Clear();

 private:
  struct Entry {
    std::string display;
    std::string left;   // the text of a plain entry
    std::string right;
  };

  void Insert(Entry entry);
  void Trim();
  void RefreshCombos() const;
  void RefreshCombo(HWND combo) const;
  bool SameText(const std::string& a, const std::string& b) const;

  std::string name_;
  Kind kind_;
  int maximum_ = 10;
  bool caseSensitive_ = false;
  std::vector<Entry> entries_;
  std::vector<HWND> combos_;
};

}  // namespace qm
