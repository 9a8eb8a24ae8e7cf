// The search behind Find: rows of one side, read in place, compared by
// characters (see find_text.h).
#include "textwin/find_text.h"

#include <algorithm>
#include <vector>

#include "common/utf8.h"
#include "engine/diff_list.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

// A byte that starts no well-formed sequence reads as this plus the byte:
// above every code point, so it equals only the same malformed byte.
constexpr uint32_t kMalformed = 0x110000;
// No character (the edge of a row): not a word character.
constexpr uint32_t kNoChar = 0xFFFFFFFF;

// Ranges of characters from U+0080 up that are not word characters:
// punctuation, symbols, spaces, controls, private use, surrogate forms,
// emoji. Everything else above ASCII (letters, digits and marks of every
// script) belongs to words. Sorted, for a binary search.
struct CodeRange {
  uint32_t first;
  uint32_t last;
};
constexpr CodeRange kNotWord[] = {
    {0x80, 0xA9},       {0xAB, 0xB4},       {0xB6, 0xB9},       {0xBB, 0xBF},
    {0xD7, 0xD7},       {0xF7, 0xF7},       {0x2C2, 0x2C5},     {0x2D2, 0x2DF},
    {0x2E5, 0x2EB},     {0x2ED, 0x2ED},     {0x2EF, 0x2FF},     {0x375, 0x375},
    {0x37E, 0x37E},     {0x384, 0x385},     {0x387, 0x387},     {0x3F6, 0x3F6},
    {0x482, 0x482},     {0x55A, 0x55F},     {0x589, 0x58A},     {0x5BE, 0x5BE},
    {0x5C0, 0x5C0},     {0x5C3, 0x5C3},     {0x5C6, 0x5C6},     {0x5F3, 0x5F4},
    {0x600, 0x60F},     {0x61B, 0x61F},     {0x66A, 0x66D},     {0x6D4, 0x6D4},
    {0x964, 0x965},     {0x970, 0x970},     {0xE3F, 0xE3F},     {0xE4F, 0xE4F},
    {0xE5A, 0xE5B},     {0x1680, 0x1680},   {0x180E, 0x180E},   {0x2000, 0x206F},
    {0x20A0, 0x20CF},   {0x2100, 0x2125},   {0x2127, 0x2129},   {0x212C, 0x214F},
    {0x2190, 0x2BFF},   {0x2E00, 0x2E7F},   {0x3000, 0x3004},   {0x3008, 0x3020},
    {0x302A, 0x3030},   {0x3036, 0x303A},   {0x303D, 0x303F},   {0x30FB, 0x30FB},
    {0xD800, 0xF8FF},   {0xFE10, 0xFE1F},   {0xFE30, 0xFE6F},   {0xFEFF, 0xFEFF},
    {0xFF00, 0xFF0F},   {0xFF1A, 0xFF20},   {0xFF3B, 0xFF3E},   {0xFF40, 0xFF40},
    {0xFF5B, 0xFF65},   {0xFFF0, 0xFFFF},   {0x1F000, 0x1FAFF}, {kMalformed, kNoChar},
};

bool IsAsciiWord(uint32_t c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool InRange(uint32_t c, uint32_t first, uint32_t last) { return c >= first && c <= last; }

// Pairs laid out as upper case on even code points, lower case on odd.
uint32_t EvenUpper(uint32_t c) { return c | 1; }
// Pairs laid out as upper case on odd code points, lower case on even.
uint32_t OddUpper(uint32_t c) { return (c & 1) ? c + 1 : c; }

uint32_t FoldLatin(uint32_t c) {
  if (c < 0x100) return InRange(c, 0xC0, 0xDE) && c != 0xD7 ? c + 0x20 : c;
  if (c == 0x130) return 'i';
  if (c == 0x178) return 0xFF;
  if (c == 0x17F) return 's';
  if (InRange(c, 0x100, 0x12F) || InRange(c, 0x132, 0x137) || InRange(c, 0x14A, 0x177))
    return EvenUpper(c);
  if (InRange(c, 0x139, 0x148) || InRange(c, 0x179, 0x17E)) return OddUpper(c);
  if (InRange(c, 0x1CD, 0x1DC)) return OddUpper(c);
  if (InRange(c, 0x1DE, 0x1EF) || InRange(c, 0x1F8, 0x21F) || InRange(c, 0x222, 0x233) ||
      InRange(c, 0x246, 0x24F))
    return EvenUpper(c);
  return c;
}

uint32_t FoldGreek(uint32_t c) {
  if (InRange(c, 0x391, 0x3AB) && c != 0x3A2) return c + 0x20;
  switch (c) {
    case 0x386: return 0x3AC;
    case 0x388: case 0x389: case 0x38A: return c + 0x25;
    case 0x38C: return 0x3CC;
    case 0x38E: case 0x38F: return c + 0x3F;
    case 0x3C2: return 0x3C3;  // final sigma is a sigma
    case 0x376: return 0x377;
    case 0x37F: return 0x3F3;
    case 0x3CF: return 0x3D7;
    case 0x3F4: return 0x3B8;
    case 0x3F7: return 0x3F8;
    case 0x3F9: return 0x3F2;
    case 0x3FA: return 0x3FB;
    default: break;
  }
  if (InRange(c, 0x370, 0x373) || InRange(c, 0x3D8, 0x3EF)) return EvenUpper(c);
  if (InRange(c, 0x3FD, 0x3FF)) return c - 0x82;
  return c;
}

uint32_t FoldCyrillic(uint32_t c) {
  if (c < 0x410) return c + 0x50;
  if (c < 0x430) return c + 0x20;
  if (c == 0x4C0) return 0x4CF;
  if (InRange(c, 0x460, 0x481) || InRange(c, 0x48A, 0x4BF) || InRange(c, 0x4D0, 0x52F))
    return EvenUpper(c);
  if (InRange(c, 0x4C1, 0x4CE)) return OddUpper(c);
  return c;
}

// The case-insensitive comparison of ASCII bytes, the hot path.
uint32_t FoldAscii(uint32_t c) { return c >= 'A' && c <= 'Z' ? c + 0x20 : c; }

uint32_t Fold(uint32_t c) { return c < 0x80 ? FoldAscii(c) : FoldCase(c); }

// How the side's bytes become characters.
class CharReader {
public:
  explicit CharReader(const SideText& side) : utf8_(side.utf8) {
    if (utf8_) return;
    for (uint32_t b = 0; b < 256; ++b)
      legacy_[b] = side.legacy ? static_cast<uint32_t>(side.legacy[b])
                               : Windows1252Char(static_cast<unsigned char>(b));
  }

  // The character at p of a row of count bytes (p < count); size gets its
  // bytes.
  uint32_t At(const char* row, uint32_t count, uint32_t p, uint32_t* size) const {
    const auto b = static_cast<unsigned char>(row[p]);
    *size = 1;
    if (!utf8_) return legacy_[b];
    if (b < 0x80) return b;
    const TextChar c = NextChar(row + p, count - p);
    *size = c.length;
    return c.kind == CharKind::Invalid ? kMalformed + b : c.code;
  }

  // The character that ends at p (0 < p <= count).
  uint32_t Before(const char* row, uint32_t count, uint32_t p) const {
    const auto last = static_cast<unsigned char>(row[p - 1]);
    if (!utf8_) return legacy_[last];
    if (last < 0x80) return last;
    uint32_t q = p - 1;
    while (q > 0 && p - q < 4 && (static_cast<unsigned char>(row[q]) & 0xC0) == 0x80) --q;
    uint32_t size = 0;
    const uint32_t code = At(row, count, q, &size);
    return q + size == p ? code : kMalformed + last;
  }

private:
  bool utf8_;
  uint32_t legacy_[256] = {};
};

// The search text as characters, folded without match case, and the
// search of one row.
class RowSearch {
public:
  RowSearch(const SideText& side, const FindQuery& query)
      : reader_(side), matchCase_(query.matchCase), wholeWord_(query.wholeWord) {
    const std::string& text = query.text;
    for (size_t p = 0; p < text.size();) {
      const TextChar c = NextChar(text.data() + p, text.size() - p);
      const uint32_t code =
          c.kind == CharKind::Invalid ? kMalformed + static_cast<unsigned char>(text[p]) : c.code;
      needle_.push_back(matchCase_ ? code : Fold(code));
      p += c.length;
    }
  }

  size_t Length() const { return needle_.size(); }

  // The first (or, with last, the last) match that lies within bytes
  // [lo, hi) of a row of count bytes; -1 when there is none. end gets the
  // match's end.
  int64_t Search(const char* row, uint32_t count, uint32_t lo, uint32_t hi, bool last,
                 uint32_t* end) const {
    const uint32_t k = static_cast<uint32_t>(needle_.size());
    // Every character takes at least one byte.
    if (k == 0 || hi < lo || hi - lo < k) return -1;
    uint32_t before = wholeWord_ && lo > 0 ? reader_.Before(row, count, lo) : kNoChar;
    const uint32_t first = needle_[0];
    int64_t found = -1;
    for (uint32_t p = lo; p < hi && hi - p >= k;) {
      uint32_t size = 1;
      const uint32_t code = reader_.At(row, count, p, &size);
      if ((matchCase_ ? code : Fold(code)) == first) {
        uint32_t matchEnd = 0;
        if (MatchesAt(row, count, p + size, hi, &matchEnd) &&
            (!wholeWord_ || IsWordEdge(before, row, count, matchEnd))) {
          found = p;
          *end = matchEnd;
          if (!last) return found;
        }
      }
      before = code;
      p += size;
    }
    return found;
  }

private:
  // Whether the search text after its first character continues at p; end
  // gets where the match ends (within hi).
  bool MatchesAt(const char* row, uint32_t count, uint32_t p, uint32_t hi, uint32_t* end) const {
    for (size_t j = 1; j < needle_.size(); ++j) {
      if (p >= hi) return false;
      uint32_t size = 1;
      const uint32_t code = reader_.At(row, count, p, &size);
      if ((matchCase_ ? code : Fold(code)) != needle_[j]) return false;
      p += size;
    }
    if (p > hi) return false;
    *end = p;
    return true;
  }

  bool IsWordEdge(uint32_t before, const char* row, uint32_t count, uint32_t end) const {
    if (IsWordChar(before)) return false;
    uint32_t size = 1;
    return end >= count || !IsWordChar(reader_.At(row, count, end, &size));
  }

  CharReader reader_;
  bool matchCase_;
  bool wholeWord_;
  std::vector<uint32_t> needle_;
};

// Walks the rows of one side, handing each row's bytes to the search
// without copying them, unless the row spans the document's gap.
class RowWalker {
public:
  RowWalker(const DiffList& list, const SideText& side, const RowSearch& search)
      : list_(list), doc_(*side.doc), side_(side.side), search_(search) {}

  // Searches row within the document range [lo, hi) (clamped to the row).
  bool Try(int32_t row, uint32_t lo, uint32_t hi, bool last, FindMatch* match) {
    const uint32_t start = list_.Row(row).Offset(side_);
    const uint32_t stop = std::max(start, list_.RowEnd(side_, row, doc_));
    lo = std::clamp(lo, start, stop);
    hi = std::clamp(hi, start, stop);
    if (hi < lo || hi - lo < search_.Length()) return false;
    const char* first = nullptr;
    const char* second = nullptr;
    uint32_t firstCount = 0;
    uint32_t secondCount = 0;
    doc_.Segments(start, stop, &first, &firstCount, &second, &secondCount);
    const char* bytes = first;
    if (secondCount > 0) {
      scratch_.assign(first, firstCount);
      scratch_.append(second, secondCount);
      bytes = scratch_.data();
    }
    uint32_t end = 0;
    const int64_t at = search_.Search(bytes, stop - start, lo - start, hi - start, last, &end);
    if (at < 0) return false;
    *match = FindMatch{row, start + static_cast<uint32_t>(at), start + end};
    return true;
  }

private:
  const DiffList& list_;
  const TextDoc& doc_;
  int side_;
  const RowSearch& search_;
  std::string scratch_;
};

}  // namespace

uint32_t FoldCase(uint32_t c) {
  if (c < 0x80) return FoldAscii(c);
  if (c < 0x250) return FoldLatin(c);
  if (c < 0x370) return c;
  if (c < 0x400) return FoldGreek(c);
  if (c < 0x530) return FoldCyrillic(c);
  if (InRange(c, 0x531, 0x556)) return c + 0x30;
  if (InRange(c, 0x10A0, 0x10C5)) return c + 0x1C60;  // Georgian capitals
  if (InRange(c, 0x1E00, 0x1E95) || InRange(c, 0x1EA0, 0x1EFF)) return EvenUpper(c);
  if (c == 0x1E9E) return 0xDF;
  if (InRange(c, 0x1F00, 0x1F6F) && (c & 8)) return c - 8;  // Greek with diacritics
  if (c == 0x2126) return 0x3C9;
  if (c == 0x212A) return 'k';
  if (c == 0x212B) return 0xE5;
  if (InRange(c, 0x2160, 0x216F)) return c + 0x10;
  if (InRange(c, 0x24B6, 0x24CF)) return c + 0x1A;
  if (InRange(c, 0xFF21, 0xFF3A)) return c + 0x20;
  if (InRange(c, 0x10400, 0x10427)) return c + 0x28;
  return c;
}

bool IsWordChar(uint32_t c) {
  if (c < 0x80) return IsAsciiWord(c);
  const auto* end = std::end(kNotWord);
  const auto* range = std::upper_bound(std::begin(kNotWord), end, c,
                                       [](uint32_t v, const CodeRange& r) { return v < r.first; });
  return range == std::begin(kNotWord) || c > (range - 1)->last;
}

FindMatch FindInSide(const DiffList& list, const SideText& side, int32_t caretRow, uint32_t from,
                     const FindQuery& query) {
  const int32_t rows = list.RowCount();
  const RowSearch search(side, query);
  if (rows == 0 || search.Length() == 0 || !side.doc) return {};
  const int s = side.side;
  const TextDoc& doc = *side.doc;
  caretRow = std::clamp(caretRow, int32_t{0}, rows - 1);
  from = std::min(from, doc.Length());
  // A selection that reaches past the caret row: start beyond it, so that
  // the selected text is not found again.
  int32_t startRow = caretRow;
  if (from < list.Row(caretRow).Offset(s) || from > list.RowEnd(s, caretRow, doc))
    startRow = list.FindRowByOffset(s, from, caretRow);

  RowWalker walker(list, side, search);
  FindMatch match;
  constexpr uint32_t kWholeRow = UINT32_MAX;
  if (query.forwards) {
    if (walker.Try(startRow, from, kWholeRow, false, &match)) return match;
    for (int32_t r = startRow + 1; r < rows; ++r)
      if (walker.Try(r, 0, kWholeRow, false, &match)) return match;
    for (int32_t r = 0; r <= startRow; ++r)
      if (walker.Try(r, 0, kWholeRow, false, &match)) return match;
  } else {
    if (walker.Try(startRow, 0, from, true, &match)) return match;
    for (int32_t r = startRow - 1; r >= 0; --r)
      if (walker.Try(r, 0, kWholeRow, true, &match)) return match;
    for (int32_t r = rows - 1; r >= startRow; --r)
      if (walker.Try(r, 0, kWholeRow, true, &match)) return match;
  }
  return {};
}

std::string SearchTextOf(const SideText& side, uint32_t start, uint32_t end, size_t maxBytes) {
  if (!side.doc) return {};
  end = std::min(end, side.doc->Length());
  if (start >= end) return {};
  std::string bytes(end - start, '\0');
  side.doc->CopyOut(start, end, bytes.data());
  std::string text;
  char buffer[4];
  for (size_t p = 0; p < bytes.size();) {
    const char* piece = bytes.data() + p;
    size_t taken = 1;  // bytes of the side
    size_t size = 1;   // bytes of UTF-8
    if (side.utf8) {
      taken = size = std::max<uint32_t>(1, NextChar(piece, bytes.size() - p).length);
    } else {
      const auto b = static_cast<unsigned char>(*piece);
      size = PutUtf8(side.legacy ? static_cast<uint32_t>(side.legacy[b]) : Windows1252Char(b),
                     buffer);
      piece = buffer;
    }
    if (text.size() + size > maxBytes) break;
    text.append(piece, size);
    p += taken;
  }
  return text;
}

}  // namespace qm
