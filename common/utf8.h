// UTF-8 for every component: one decoder, one encoder, the Windows-1252
// table that stands in for bytes that are no UTF-8, and the display width
// of a character in cells.
//
// The decoder reads strict UTF-8 (RFC 3629: no overlong forms, nothing
// above U+10FFFF, nothing cut short) with one allowance: the 3-byte
// generalised form of a lone surrogate (ED A0 80 to ED BF BF) is reported
// as a kind of its own, because a UTF-8 side loaded from UTF-16 keeps an
// unpaired surrogate that way and must write it back. Callers that want
// plain strict UTF-8 treat it as malformed, as DecodeUtf8 does.
//
// Portable, no state; safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm {

constexpr uint32_t kReplacementChar = 0xFFFD;

// One character of UTF-8 text.
enum class CharKind : uint8_t {
  Scalar,     // a valid UTF-8 sequence; code is its code point
  Surrogate,  // the 3-byte form of an unpaired surrogate; code is D800-DFFF
  Invalid,    // a byte that starts no sequence; code is the byte, length 1
};
struct TextChar {
  uint32_t code;
  uint32_t length;  // bytes taken, 1 to 4; 0 only when count is 0
  CharKind kind;
};

// Reads the character at the start of text[0, count). Never fails: a
// sequence that is malformed or cut short by count is an Invalid lead byte.
TextChar NextChar(const char* text, size_t count);

// True when text[0, count), shorter than the sequence its lead byte starts,
// is well-formed so far: more bytes could still complete it (to a scalar
// or a surrogate's form). False for a whole sequence or a malformed start.
bool IsCutUtf8(const char* text, size_t count);

// NextChar for a reader that knows no surrogate forms: decodes the
// character at bytes[0] (available > 0) and returns the bytes it takes, 1
// to 4, with its code point in *codePoint. Overlong forms, surrogates,
// values above U+10FFFF, stray continuation bytes and sequences cut short
// give 1 and kReplacementChar, so that every byte of malformed text is
// shown and none is skipped.
int DecodeUtf8(const unsigned char* bytes, size_t available, uint32_t* codePoint);

// True when every byte of text belongs to a well-formed UTF-8 sequence
// (a surrogate's 3-byte form is not one).
bool IsValidUtf8(const std::string& text);

// Writes the UTF-8 form of code (at most 0x10FFFF; surrogates get their
// generalised 3-byte form) to out, which has room for 4 bytes. Returns the
// bytes written.
size_t PutUtf8(uint32_t code, char* out);

// The Unicode character a Windows-1252 byte stands for. The five bytes the
// code page leaves undefined (81, 8D, 8F, 90, 9D) give the C1 control of
// the same number, as the system's own conversion does.
uint32_t Windows1252Char(unsigned char byte);

// Combining marks (and the zero-width joiners and variation selectors)
// draw over the character before them.
bool IsCombiningChar(uint32_t codePoint);

// Display cells of a printable character: 2 for East Asian wide and full-
// width characters and emoji, 0 for combining marks, else 1.
int CharCells(uint32_t codePoint);

}  // namespace qm
