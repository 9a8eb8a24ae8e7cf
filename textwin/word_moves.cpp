// Word moves: character classes and the stops of Ctrl+Left / Ctrl+Right.
#include "textwin/word_moves.h"

#include <algorithm>

#include "common/utf8.h"
#include "engine/text_doc.h"

namespace qm {

namespace {

bool IsSpaceCode(uint32_t c) {
  return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F ||
         c == 0x205F || c == 0x3000 || c == 0xFEFF;
}

// Non-ASCII code points that are no letters or digits: Latin-1 signs, the
// general punctuation, currency, arrows, mathematical and technical
// symbols, box drawing, dingbats, CJK and full-width punctuation, emoji.
bool IsPunctuationCode(uint32_t c) {
  if (c < 0x80) return !(c == '_' || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z'));
  if (c < 0xA0) return true;  // C1 controls
  if (c <= 0xBF) return c != 0xAA && c != 0xB5 && c != 0xBA && c != 0xB2 && c != 0xB3 &&
                        c != 0xB9 && c != 0xBC && c != 0xBD && c != 0xBE;
  if (c == 0xD7 || c == 0xF7) return true;
  if (c >= 0x2010 && c <= 0x2027) return true;
  if (c >= 0x2030 && c <= 0x205E) return true;
  if (c >= 0x20A0 && c <= 0x20CF) return true;
  if (c >= 0x2190 && c <= 0x2BFF) return true;
  if (c >= 0x3001 && c <= 0x3003) return true;
  if (c >= 0x3008 && c <= 0x3020) return true;
  if (c == 0x30FB) return true;
  if (c >= 0xFE10 && c <= 0xFE6F) return true;
  if ((c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
      (c >= 0xFF3B && c <= 0xFF40 && c != 0xFF3F) || (c >= 0xFF5B && c <= 0xFF65))
    return true;
  if (c >= 0x1F000 && c <= 0x1FAFF) return true;
  return false;
}

}  // namespace

WordClass ClassOfChar(uint32_t codePoint) {
  if (IsSpaceCode(codePoint)) return WordClass::Space;
  return IsPunctuationCode(codePoint) ? WordClass::Punctuation : WordClass::Word;
}

// ---- DocChars ----

DocChars::DocChars(const TextDoc& doc, const wchar_t* legacy) : doc_(doc), legacy_(legacy) {}

uint32_t DocChars::Length() const { return doc_.Length(); }

uint32_t DocChars::DecodeAt(uint32_t offset, uint32_t* length) const {
  char bytes[4];
  const uint32_t count = std::min<uint32_t>(4, doc_.Length() - offset);
  for (uint32_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(doc_.ByteAt(offset + i));
  const TextChar c = NextChar(bytes, count);
  *length = std::max<uint32_t>(1, c.length);
  return c.code;
}

uint32_t DocChars::NextStart(uint32_t offset) const {
  if (legacy_) return offset + 1;
  uint32_t length = 0;
  const uint32_t base = DecodeAt(offset, &length);
  uint32_t next = offset + length;
  // Marks that join the character go with it; a row's first character
  // joins nothing across the LF.
  while (base != '\n' && next < doc_.Length()) {
    const uint32_t code = DecodeAt(next, &length);
    if (!IsCombiningChar(code)) break;
    next += length;
  }
  return next;
}

uint32_t DocChars::PreviousStart(uint32_t offset) const {
  if (legacy_) return offset - 1;
  uint32_t start = offset;
  for (;;) {
    // The lead byte of the sequence that ends at start; the byte before
    // start when no well-formed sequence ends there.
    uint32_t lead = start - 1;
    for (uint32_t back = 1; back <= 3 && back < start; ++back) {
      if ((doc_.ByteAt(start - back) & 0xC0) != 0x80) break;
      const uint32_t candidate = start - 1 - back;
      uint32_t length = 0;
      DecodeAt(candidate, &length);
      if (candidate + length == start) {
        lead = candidate;
        break;
      }
    }
    uint32_t length = 0;
    const uint32_t code = DecodeAt(lead, &length);
    start = lead;
    if (start == 0 || !IsCombiningChar(code) || doc_.ByteAt(start - 1) == '\n') return start;
  }
}

WordClass DocChars::ClassAt(uint32_t offset) const {
  if (legacy_) return ClassOfChar(static_cast<uint32_t>(legacy_[doc_.ByteAt(offset)]));
  uint32_t length = 0;
  return ClassOfChar(DecodeAt(offset, &length));
}

// ---- Moves ----

namespace {

// Between two neighbouring characters of classes a (first) and b: a stop.
bool IsStop(WordClass a, WordClass b) {
  if (a == WordClass::Space) return b != WordClass::Space;
  return (a == WordClass::Punctuation && b == WordClass::Word) ||
         (a == WordClass::Word && b == WordClass::Punctuation);
}

WordClass RunClass(WordClass c) {
  return c == WordClass::Punctuation ? WordClass::Punctuation : WordClass::Word;
}

}  // namespace

uint32_t WordRight(const CharText& text, uint32_t offset) {
  const uint32_t end = text.Length();
  if (offset >= end) return end;
  WordClass passed = text.ClassAt(offset);
  offset = text.NextStart(offset);
  while (offset < end) {
    const WordClass next = text.ClassAt(offset);
    if (IsStop(passed, next)) break;
    passed = next;
    offset = text.NextStart(offset);
  }
  return offset;
}

uint32_t WordLeft(const CharText& text, uint32_t offset) {
  if (offset == 0) return 0;
  offset = std::min(offset, text.Length());
  offset = text.PreviousStart(offset);
  WordClass passed = text.ClassAt(offset);
  while (offset > 0) {
    const uint32_t before = text.PreviousStart(offset);
    const WordClass c = text.ClassAt(before);
    if (IsStop(c, passed)) break;
    passed = c;
    offset = before;
  }
  return offset;
}

WordSpan WordAt(const CharText& text, uint32_t offset) {
  const uint32_t end = text.Length();
  offset = std::min(offset, end);
  WordSpan span{offset, offset};
  const bool spaceBefore = offset == 0 || text.ClassAt(text.PreviousStart(offset)) == WordClass::Space;
  const bool spaceAfter = offset == end || text.ClassAt(offset) == WordClass::Space;
  if (spaceBefore && spaceAfter) return span;
  if (offset > 0) {
    const WordClass run = RunClass(text.ClassAt(text.PreviousStart(offset)));
    while (span.start > 0) {
      const uint32_t before = text.PreviousStart(span.start);
      if (text.ClassAt(before) != run) break;
      span.start = before;
    }
  }
  if (offset < end) {
    const WordClass run = RunClass(text.ClassAt(offset));
    while (span.end < end && text.ClassAt(span.end) == run) span.end = text.NextStart(span.end);
  }
  return span;
}

}  // namespace qm
