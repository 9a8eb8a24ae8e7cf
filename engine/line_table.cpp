#include "engine/line_table.h"

#include <cstring>

#include "engine/platform.h"

namespace qm {

namespace {

inline bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

inline unsigned char Upper(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
}

// Each byte enters the hash as a signed 8-bit value.
inline uint32_t Signed(unsigned char c) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
}

constexpr uint32_t kP1 = 127;
constexpr uint32_t kP2 = kP1 * kP1;
constexpr uint32_t kP3 = kP2 * kP1;
constexpr uint32_t kP4 = kP3 * kP1;

// h * 127 + c over the bytes, four at a time to shorten the multiply chain.
uint32_t HashPlain(uint32_t h, const unsigned char* p, size_t n) {
  while (n >= 4) {
    h = h * kP4 + Signed(p[0]) * kP3 + Signed(p[1]) * kP2 + Signed(p[2]) * kP1 + Signed(p[3]);
    p += 4;
    n -= 4;
  }
  while (n--) h = h * kP1 + Signed(*p++);
  return h;
}

size_t CountLF(const char* p, const char* end) {
  size_t count = 0;
  while (p < end) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (!lf) break;
    ++count;
    p = static_cast<const char*>(lf) + 1;
  }
  return count;
}

// Lines hashed byte by byte under blank and case options.
class OptionHasher {
public:
  explicit OptionHasher(const CompareOptions& o)
      : all_((o.IgnoreBlanks2 & kIgnoreAllBlanks) != 0),
        runs_((o.IgnoreBlanks2 & kIgnoreBlankRuns) != 0),
        leading_((o.IgnoreBlanks2 & kIgnoreLeadingBlanks) != 0),
        trailing_((o.IgnoreBlanks2 & kIgnoreTrailingBlanks) != 0),
        ignoreCase_(o.IgnoreCase) {}

  void Add(unsigned char c) {
    if (IsBlank(c)) {
      if (all_ || (leading_ && atLineStart_)) return;
      if (!inBlank_) {
        inBlank_ = true;
        if (trailing_) saved_ = h_;
        if (runs_) h_ = h_ * kP1 + ' ';
      }
      if (runs_) return;
    } else {
      inBlank_ = false;
      atLineStart_ = false;
    }
    if (ignoreCase_) c = Upper(c);
    h_ = h_ * kP1 + Signed(c);
  }

  // Ends a line; the hash of its content (before any LF step).
  uint32_t Finish() {
    const uint32_t h = trailing_ && inBlank_ ? saved_ : h_;
    h_ = 0;
    inBlank_ = false;
    atLineStart_ = true;
    return h;
  }

private:
  const bool all_, runs_, leading_, trailing_, ignoreCase_;
  uint32_t h_ = 0;
  uint32_t saved_ = 0;
  bool inBlank_ = false;
  bool atLineStart_ = true;
};

bool PlainOptions(const CompareOptions& o) { return o.IgnoreBlanks2 == 0 && !o.IgnoreCase; }

// The bytes a line contributes to its hash under the options, one at a time
// (the LF excluded): blanks trimmed, dropped or collapsed, letters folded.
class NormalizedBytes {
public:
  NormalizedBytes(const char* line, uint32_t length, const CompareOptions& o)
      : p_(reinterpret_cast<const unsigned char*>(line)),
        all_((o.IgnoreBlanks2 & kIgnoreAllBlanks) != 0),
        runs_((o.IgnoreBlanks2 & kIgnoreBlankRuns) != 0),
        ignoreCase_(o.IgnoreCase) {
    end_ = p_ + length;
    hasLF_ = length > 0 && end_[-1] == '\n';
    if (hasLF_) --end_;
    if (!all_) {
      if (o.IgnoreBlanks2 & kIgnoreLeadingBlanks) {
        while (p_ < end_ && IsBlank(*p_)) ++p_;
      }
      if (o.IgnoreBlanks2 & kIgnoreTrailingBlanks) {
        while (end_ > p_ && IsBlank(end_[-1])) --end_;
      }
    }
  }

  bool HasLF() const { return hasLF_; }

  // The next byte, or -1 at the end.
  int Next() {
    while (p_ < end_) {
      unsigned char c = *p_++;
      if (IsBlank(c)) {
        if (all_) continue;
        if (runs_) {
          while (p_ < end_ && IsBlank(*p_)) ++p_;
          return ' ';
        }
        return c;
      }
      return ignoreCase_ ? Upper(c) : c;
    }
    return -1;
  }

private:
  const unsigned char* p_;
  const unsigned char* end_;
  bool hasLF_ = false;
  const bool all_, runs_, ignoreCase_;
};

}  // namespace

void HashLines(const char* text, uint32_t start, uint32_t end, bool atDocumentEnd,
               const CompareOptions& options, LineTable* table) {
  table->text = text;
  table->start = start;
  table->ids.clear();
  table->starts.clear();
  const char* const stop = text + (end - start);
  const bool lastLine = atDocumentEnd && end > start;
  const size_t lines = CountLF(text, stop) + (lastLine ? 1 : 0);
  table->ids.reserve(lines);
  table->starts.reserve(lines + 1);
  AdviseLargeBuffer(table->ids.data(), lines * sizeof(uint32_t));
  AdviseLargeBuffer(table->starts.data(), (lines + 1) * sizeof(uint32_t));

  const char* p = text;
  if (PlainOptions(options)) {
    for (;;) {
      const void* lf = std::memchr(p, '\n', static_cast<size_t>(stop - p));
      if (!lf) break;
      const char* q = static_cast<const char*>(lf);
      const uint32_t h =
          HashPlain(0, reinterpret_cast<const unsigned char*>(p), static_cast<size_t>(q - p));
      table->ids.push_back(h * kP1 + 10);
      table->starts.push_back(start + static_cast<uint32_t>(p - text));
      p = q + 1;
    }
    if (lastLine) {
      table->ids.push_back(
          HashPlain(0, reinterpret_cast<const unsigned char*>(p), static_cast<size_t>(stop - p)));
      table->starts.push_back(start + static_cast<uint32_t>(p - text));
    }
  } else {
    OptionHasher hasher(options);
    const char* lineStart = p;
    for (; p < stop; ++p) {
      const unsigned char c = static_cast<unsigned char>(*p);
      if (c == '\n') {
        table->ids.push_back(hasher.Finish() * kP1 + 10);
        table->starts.push_back(start + static_cast<uint32_t>(lineStart - text));
        lineStart = p + 1;
      } else {
        hasher.Add(c);
      }
    }
    if (lastLine) {
      table->ids.push_back(hasher.Finish());
      table->starts.push_back(start + static_cast<uint32_t>(lineStart - text));
    }
  }
  table->starts.push_back(end);
}

bool LinesEqual(const char* a, uint32_t aLength, const char* b, uint32_t bLength,
                const CompareOptions& options) {
  if (PlainOptions(options)) return aLength == bLength && std::memcmp(a, b, aLength) == 0;
  NormalizedBytes x(a, aLength, options);
  NormalizedBytes y(b, bLength, options);
  if (x.HasLF() != y.HasLF()) return false;
  for (;;) {
    const int c = x.Next();
    if (c != y.Next()) return false;
    if (c < 0) return true;
  }
}

namespace {

// Open addressing keyed by the line hash; a slot per distinct line, so lines
// whose hashes collide but whose text differs get slots (and classes) of
// their own further along the probe sequence.
class ClassTable {
public:
  // Sized for half of lines being distinct; it grows when more are.
  ClassTable(const LineTable& left, const LineTable& right, const CompareOptions& options,
             size_t lines)
      : tables_{&left, &right}, options_(options) {
    size_t size = 1024;
    while (size < lines / 2) size *= 2;
    Grow(size);
  }

  // Asks for the memory a later ClassOf(hash) will read: the slot first,
  // then (once the slot is at hand) the line it will be compared with.
  void PrefetchSlot(uint32_t hash) const { __builtin_prefetch(&slots_[Home(hash)]); }
  void PrefetchLine(uint32_t hash) const {
    const Slot& slot = slots_[Home(hash)];
    if (slot.cls != kEmpty && slot.hash == hash) __builtin_prefetch(Text(slot));
  }

  uint32_t ClassOf(int side, int32_t line, uint32_t hash) {
    const LineTable& own = *tables_[side];
    const uint32_t offset = own.starts[static_cast<size_t>(line)] - own.start;
    const uint32_t length = own.LineLength(line);
    const char* text = own.text + offset;
    for (size_t i = Home(hash);; i = (i + 1) & mask_) {
      Slot& slot = slots_[i];
      if (slot.cls == kEmpty) {
        slot = Slot{hash, count_ | (side ? kRightSide : 0), offset, length};
        ++count_;
        if (count_ * 4 > slots_.size() * 3) Grow(slots_.size() * 2);
        return count_ - 1;
      }
      if (slot.hash == hash &&
          LinesEqual(Text(slot), slot.length, text, length, options_)) {
        return slot.cls & ~kRightSide;
      }
    }
  }

  uint32_t Count() const { return count_; }

private:
  static constexpr uint32_t kEmpty = 0xFFFFFFFFu;
  static constexpr uint32_t kRightSide = 0x80000000u;  // in Slot::cls
  // A class and the line that stands for it, where the line's bytes are
  // found without looking anything else up.
  struct Slot {
    uint32_t hash;
    uint32_t cls;     // with kRightSide when the line is on the right side
    uint32_t offset;  // of the line in its side's text
    uint32_t length;
  };

  const char* Text(const Slot& slot) const {
    return tables_[(slot.cls & kRightSide) ? 1 : 0]->text + slot.offset;
  }

  size_t Home(uint32_t hash) const {
    return static_cast<size_t>((hash * 0x9E3779B1u) >> shift_) & mask_;
  }

  void Grow(size_t size) {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.reserve(size);
    AdviseLargeBuffer(slots_.data(), size * sizeof(Slot));
    slots_.assign(size, Slot{0, kEmpty, 0, 0});
    mask_ = size - 1;
    shift_ = 32;
    for (size_t s = size; s > 1; s >>= 1) --shift_;
    for (const Slot& slot : old) {
      if (slot.cls == kEmpty) continue;
      size_t i = Home(slot.hash);
      while (slots_[i].cls != kEmpty) i = (i + 1) & mask_;
      slots_[i] = slot;
    }
  }

  const LineTable* tables_[2];
  const CompareOptions& options_;
  std::vector<Slot> slots_;
  uint32_t count_ = 0;
  size_t mask_ = 0;
  int shift_ = 32;
};

}  // namespace

uint32_t AssignLineClasses(LineTable& left, LineTable& right, const CompareOptions& options) {
  // Only the ids change; the table reads lines through text and starts.
  // (Two threads, each owning half of the hashes, were measured no faster:
  // the lookups wait on memory, not on the processor.)
  ClassTable classes(left, right, options, left.ids.size() + right.ids.size());
  for (int side = 0; side < 2; ++side) {
    // Lines are looked up in order; those ahead still hold their hashes.
    constexpr size_t kSlotAhead = 16;
    constexpr size_t kLineAhead = 6;
    std::vector<uint32_t>& ids = (side == 0 ? left : right).ids;
    const size_t n = ids.size();
    for (size_t i = 0; i < n; ++i) {
      if (i + kSlotAhead < n) classes.PrefetchSlot(ids[i + kSlotAhead]);
      if (i + kLineAhead < n) classes.PrefetchLine(ids[i + kLineAhead]);
      ids[i] = classes.ClassOf(side, static_cast<int32_t>(i), ids[i]);
    }
  }
  return classes.Count();
}

}  // namespace qm
