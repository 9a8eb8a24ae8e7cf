// UTF-8 as the pane and the settings read it: a strict decoder that never
// fails (a byte that does not start a well-formed sequence stands alone for
// U+FFFD), and the display width of a character in cells. Portable, no
// state; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

constexpr uint32_t kReplacementChar = 0xFFFD;

// Decodes the character that starts at bytes[0] (available > 0 bytes
// readable). Returns the bytes it takes, 1 to 4, and its code point in
// *codePoint. Overlong forms, surrogates, values above U+10FFFF, stray
// continuation bytes and sequences cut short give 1 and kReplacementChar,
// so that every byte of malformed text is shown and none is skipped.
int DecodeUtf8(const unsigned char* bytes, size_t available, uint32_t* codePoint);

// True when every byte of text belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(const std::string& text);

// Combining marks (and the zero-width joiners and variation selectors)
// draw over the character before them.
bool IsCombiningChar(uint32_t codePoint);

// Display cells of a printable character: 2 for East Asian wide and full-
// width characters and emoji, 0 for combining marks, else 1.
int CharCells(uint32_t codePoint);

}  // namespace qm
