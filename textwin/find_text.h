// Finding a plain text on one side of a comparison: the search behind the
// text window's Find, Find Next and Find Previous, apart from any window.
//
// A search walks the rows of one side, from the row that holds its start
// offset to the last row and round from row 0 (forwards), or to row 0 and
// round from the last row (backwards), and stops at the first match. It
// always wraps once, whatever the WrapAround setting says. A match lies in
// one row's text (its LF included), so a search text with an LF before its
// end never matches; a filler row has no text.
//
// Characters, not bytes. A UTF-8 side is read in characters (a byte that
// starts no well-formed sequence is a character of its own, equal only to
// the same byte); a legacy side is one byte a character through its code
// page. The search text is UTF-8 whatever the side. A match starts and ends
// on character boundaries. Without match case, characters compare by a
// simple case folding (ASCII, Latin-1 and Latin Extended, Greek, Cyrillic,
// Armenian and a few more); with whole word, the characters just before and
// after the match in its row must not be word characters (letters and
// digits of any script, and "_").
//
// Portable, no state: reads the list and the document and changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

class DiffList;
class TextDoc;

// What to look for and how.
struct FindQuery {
  std::string text;  // UTF-8; an empty text matches nothing
  bool matchCase = false;
  bool wholeWord = false;
  bool forwards = true;
};

// The side searched: its document and how its bytes are read.
struct SideText {
  const TextDoc* doc = nullptr;
  int side = 0;
  bool utf8 = true;
  // The legacy code page's 256 characters (legacy sides; null: Windows-1252).
  const wchar_t* legacy = nullptr;
};

// A match: bytes [start, end) of the side's document within row.
struct FindMatch {
  int32_t row = -1;  // -1: nothing found
  uint32_t start = 0;
  uint32_t end = 0;
  bool Found() const { return row >= 0; }
};

// Searches the side from offset from (a character boundary): the end of
// the selection (forwards) or its start (backwards), the caret offset when
// nothing is selected.
// caretRow is the caret's row; when from lies outside it (a selection that
// reaches into other rows) the search starts at the row that holds from.
// Returns the first match in the search order, or none.
FindMatch FindInSide(const DiffList& list, const SideText& side, int32_t caretRow, uint32_t from,
                     const FindQuery& query);

// The search text a selection stands for: the bytes [start, end) of the
// side as UTF-8 (a legacy side's bytes converted), cut at a character
// boundary to at most maxBytes.
std::string SearchTextOf(const SideText& side, uint32_t start, uint32_t end, size_t maxBytes);

// The character comparisons, for the tests: the simple case folding and
// the word-character test (code points; values above U+10FFFF stand for
// malformed bytes and are no word characters).
uint32_t FoldCase(uint32_t code);
bool IsWordChar(uint32_t code);

}  // namespace qm
