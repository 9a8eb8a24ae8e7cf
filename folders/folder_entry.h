// FolderEntry: one file or folder met by a folder comparison, the reasons a
// pair differs (EntryFlags), what has been done to it since (EntryState),
// and which of the four result lists holds it (FolderListKind). Also the
// rules that order and describe entries: names compared without regard to
// case, EntryLess, and the words of a difference.
//
// Names are relative to the root of their side, components joined with
// single backslashes on every platform ("docs\img\a.png"); a folder's name
// has no trailing backslash. Entries are plain values: the scan vectors
// hold them and the result lists hold copies. Portable, no state; safe
// from any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qm {

// Bits of FolderEntry::flags.
enum EntryFlags : uint32_t {
  kEntryHidden = 0x001,       // own hidden attribute, attributes compared for its kind
  kEntryWasHidden = 0x002,    // old hidden, new not (set on the new entry)
  kEntryReadOnly = 0x004,     // own read-only attribute, attributes compared
  kEntryWasReadOnly = 0x008,  // old read-only, new not
  kEntryNewer = 0x010,        // new modification time later than the old one
  kEntryOlder = 0x020,
  kEntryLarger = 0x040,       // new file larger than the old one
  kEntrySmaller = 0x080,
  kEntryContents = 0x100,     // contents differ (a folder: something inside)
  // The pair could not be compared as asked: a file that could not be read
  // under a contents criterion, a folder that could not be listed, a file
  // whose date or size could not be queried. Nothing is claimed about it.
  kEntryUnreadable = 0x200,
};

enum class EntryState : uint32_t {
  Present = 0,
  Opened = 1,
  CopiedToOld = 2,
  CopiedToNew = 3,
  DeletedOld = 4,
  DeletedNew = 5,
  DeletedBoth = 6,
};

enum class FolderListKind : uint32_t { OldList = 0, NewList = 1, ChangedList = 2, SameList = 3 };
constexpr int kFolderListCount = 4;

struct FolderEntry {
  std::string name;
  bool isFolder = false;
  bool inSubfolder = false;
  bool undoable = false;
  bool swapped = false;
  EntryState state = EntryState::Present;
  uint32_t flags = 0;
  int32_t icon = -1;
  // The item's time and size as the scan's listing gave them (haveFacts), used
  // while the comparison runs; the result lists do not keep them.
  bool haveFacts = false;
  int64_t writeSeconds = 0;
  uint64_t size = 0;
  // The temporary folder of this entry's undo backup; empty when it has
  // none. The comparison that owns the lists hands it to its backup hook
  // when the entry is dropped (folders/folder_compare.h).
  std::string undoPath;
};

// name with every character folded to lower case: letters of the Latin,
// Greek and Cyrillic alphabets and the full-width Latin ones. Bytes that
// are no UTF-8 are kept as they are. Two names are the same but for case
// exactly when their folded forms are equal.
std::string FoldName(const std::string& name);
// True when FoldName(name) == name: no capital and nothing past ASCII.
bool NameFoldsToItself(std::string_view name);
// The lower-case partner of one code point (itself when it has none).
uint32_t FoldChar(uint32_t codePoint);

// The order of the four lists: folders and everything below a top-level
// folder first, then the top-level files; within each group the folded
// names, character by character. A folder thus comes right before its
// contents, and "docs-old" between "docs" and "docs\a.txt".
bool EntryLess(const FolderEntry& a, const FolderEntry& b);
// The same order on precomputed keys: group (0 first) and FoldName(name).
// A name that is its own folded form is not copied: the key then refers
// to the entry, which must outlive it.
struct EntrySortKey {
  int group = 0;
  const std::string* name = nullptr;  // the entry's name when it needs no folding
  std::string folded;                 // otherwise its folded form
  std::string_view Folded() const { return name ? std::string_view(*name) : folded; }
};
EntrySortKey SortKeyOf(const FolderEntry& entry);
// The group of the order: 0 for folders and everything below a top-level
// folder, 1 for top-level files.
int SortGroupOf(const FolderEntry& entry);
bool SortKeyLess(const EntrySortKey& a, const EntrySortKey& b);

// The ten difference words, in the order of their bits. The list control
// loads them from the string table; these are the English ones.
struct DifferenceWords {
  std::string words[10] = {"hidden", "was hidden", "read-only", "was read-only", "newer",
                           "older",  "larger",     "smaller",   "contents",      "unreadable"};
};

// The words a Changed entry shows, "(newer, larger, contents)", in the
// fixed order hidden / was hidden, read-only / was read-only, newer /
// older, larger / smaller, contents, unreadable (the first of each pair
// wins). "contents" is left out for a folder while subfolders are
// compared, since its contents are listed. The empty text when no word
// applies.
std::string DifferenceText(const FolderEntry& entry, bool compareSubfolders,
                           const DifferenceWords& words = DifferenceWords());

}  // namespace qm
