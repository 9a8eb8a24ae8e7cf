// Word moves of the text pane: Ctrl+Left and Ctrl+Right, the word a double
// click selects and the whole words a drag after it extends by.
//
// Characters fall in three classes: word characters (letters and digits of
// any script, and "_"), white space (the LF included) and punctuation
// (everything else: signs, symbols, dashes, quotes). A move stops where the
// text passes from white space to anything else, or between punctuation
// and a word character.
//
// The text is read through CharText, a character at a time by byte offset,
// so a side of any size is walked without copying it. DocChars reads a
// TextDoc: UTF-8 (a combining mark belongs to the character before it, as
// the pane draws it) or single-byte text through a legacy character table.
//
// Portable: no windows.h.
#pragma once

#include <cstdint>

namespace qm {

class TextDoc;

enum class WordClass : uint8_t { Space, Word, Punctuation };

// The class of a Unicode code point.
WordClass ClassOfChar(uint32_t codePoint);

class CharText {
public:
  virtual ~CharText() = default;
  virtual uint32_t Length() const = 0;
  // The start of the character after the one at offset (offset < Length()).
  virtual uint32_t NextStart(uint32_t offset) const = 0;
  // The start of the character that ends at offset (offset > 0).
  virtual uint32_t PreviousStart(uint32_t offset) const = 0;
  // The class of the character at offset (offset < Length()).
  virtual WordClass ClassAt(uint32_t offset) const = 0;
};

// A TextDoc read by characters. legacy (256 characters, borrowed) maps the
// bytes of a single-byte side; null reads the document as UTF-8, where a
// byte that starts no sequence is a character of its own.
class DocChars : public CharText {
public:
  DocChars(const TextDoc& doc, const wchar_t* legacy);
  uint32_t Length() const override;
  uint32_t NextStart(uint32_t offset) const override;
  uint32_t PreviousStart(uint32_t offset) const override;
  WordClass ClassAt(uint32_t offset) const override;

private:
  // The code point and byte length of the UTF-8 character at offset.
  uint32_t DecodeAt(uint32_t offset, uint32_t* length) const;
  const TextDoc& doc_;
  const wchar_t* legacy_;
};

// Ctrl+Right: one character, then on to the next stop. Length() at the end.
uint32_t WordRight(const CharText& text, uint32_t offset);
// Ctrl+Left: one character back, then back to the previous stop. 0 at the start.
uint32_t WordLeft(const CharText& text, uint32_t offset);

struct WordSpan {
  uint32_t start = 0;
  uint32_t end = 0;
};
// The word a double click at offset selects: from the start of the run of
// the class of the character before offset (punctuation, else word
// characters) to the end of the run of the class of the character at
// offset (the same). Empty (start == end == offset) when neither neighbour
// is anything but white space.
WordSpan WordAt(const CharText& text, uint32_t offset);

}  // namespace qm
