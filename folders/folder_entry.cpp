#include "folders/folder_entry.h"

#include <algorithm>
#include <cstring>

#include "common/utf8.h"

namespace qm {

namespace {

// Runs of capitals whose small letter is a fixed distance away.
struct FoldRange {
  uint32_t first;
  uint32_t last;
  uint32_t delta;
};
constexpr FoldRange kShifted[] = {
    {0x0041, 0x005A, 0x20}, {0x00C0, 0x00D6, 0x20}, {0x00D8, 0x00DE, 0x20},
    {0x0388, 0x038A, 0x25}, {0x038E, 0x038F, 0x3F}, {0x0391, 0x03A1, 0x20},
    {0x03A3, 0x03AB, 0x20}, {0x0400, 0x040F, 0x50}, {0x0410, 0x042F, 0x20},
    {0xFF21, 0xFF3A, 0x20},
};
// Runs where capital and small letter alternate, the capital on the even
// (or, with odd set, the odd) code point.
struct AlternatingRange {
  uint32_t first;
  uint32_t last;
  bool odd;
};
constexpr AlternatingRange kAlternating[] = {
    {0x0100, 0x012F, false}, {0x0132, 0x0137, false}, {0x0139, 0x0148, true},
    {0x014A, 0x0177, false}, {0x0179, 0x017E, true},  {0x0460, 0x0481, false},
    {0x048A, 0x04BF, false},
};

}  // namespace

uint32_t FoldChar(uint32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z' ? c + 0x20 : c;
  for (const FoldRange& r : kShifted) {
    if (c >= r.first && c <= r.last) return c + r.delta;
  }
  for (const AlternatingRange& r : kAlternating) {
    if (c >= r.first && c <= r.last && (c & 1) == (r.odd ? 1u : 0u)) return c + 1;
  }
  switch (c) {
    case 0x0178: return 0x00FF;
    case 0x0386: return 0x03AC;
    case 0x038C: return 0x03CC;
    default: return c;
  }
}

std::string FoldName(const std::string& name) {
  std::string folded;
  folded.reserve(name.size());
  const char* p = name.data();
  size_t left = name.size();
  while (left > 0) {
    const unsigned char lead = static_cast<unsigned char>(*p);
    if (lead < 0x80) {  // the common case, without decoding
      folded += static_cast<char>(lead >= 'A' && lead <= 'Z' ? lead + 0x20 : lead);
      ++p;
      --left;
      continue;
    }
    const TextChar ch = NextChar(p, left);
    if (ch.kind == CharKind::Scalar) {
      char bytes[4];
      folded.append(bytes, PutUtf8(FoldChar(ch.code), bytes));
    } else {
      folded.append(p, ch.length);
    }
    p += ch.length;
    left -= ch.length;
  }
  return folded;
}

bool NameFoldsToItself(std::string_view name) {
  // Folding changes only capitals and bytes past ASCII.
  return std::none_of(name.begin(), name.end(), [](char c) {
    return (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
  });
}

int SortGroupOf(const FolderEntry& entry) { return entry.isFolder || entry.inSubfolder ? 0 : 1; }

EntrySortKey SortKeyOf(const FolderEntry& entry) {
  EntrySortKey key;
  key.group = SortGroupOf(entry);
  if (NameFoldsToItself(entry.name)) {
    key.name = &entry.name;
  } else {
    key.folded = FoldName(entry.name);
  }
  return key;
}

bool SortKeyLess(const EntrySortKey& a, const EntrySortKey& b) {
  if (a.group != b.group) return a.group < b.group;
  // UTF-8 bytes compared unsigned keep the order of the code points.
  return a.Folded() < b.Folded();
}

bool EntryLess(const FolderEntry& a, const FolderEntry& b) {
  return SortKeyLess(SortKeyOf(a), SortKeyOf(b));
}

std::string DifferenceText(const FolderEntry& entry, bool compareSubfolders,
                           const DifferenceWords& words) {
  // Word i belongs to bit 1 << i; of the four pairs only the first set bit
  // is named.
  const uint32_t flags = entry.flags;
  const uint32_t contents =
      entry.isFolder && compareSubfolders ? 0u : static_cast<uint32_t>(kEntryContents);
  std::string text;
  for (int i = 0; i < 10; ++i) {
    const uint32_t bit = 1u << i;
    if (!(flags & bit)) continue;
    if (bit == kEntryContents && !contents) continue;
    if (i < 8 && (i & 1) && (flags & (bit >> 1))) continue;
    text += text.empty() ? "(" : ", ";
    text += words.words[i];
  }
  if (!text.empty()) text += ')';
  return text;
}

}  // namespace qm
