// Text encodings of the files a comparison loads and saves.
//
// Every side is held in its TextDoc as UTF-8 (or, for a legacy side, its
// own single-byte code page, byte for byte), with LF-only lines; the engine
// compares bytes. A side remembers the encoding its file had, and saving
// writes that encoding back, byte order mark included, so an unmodified
// side always gives back the bytes it was read from.
//
// Detection, in this order: a UTF-8 byte order mark; a UTF-16 LE or BE
// byte order mark; valid UTF-8 with at least one non-ASCII sequence; else
// the legacy single-byte code page.
//
// Lossless UTF-16. Decoding never fails and encoding an unmodified text
// gives back the very units it came from:
// - a valid unit or surrogate pair becomes its UTF-8 form;
// - an unpaired surrogate becomes its 3-byte generalised UTF-8 form
//   (ED A0 80 to ED BF BF), which encodes back to that one unit;
// - an odd byte at the end of the file (half a unit) becomes the two bytes
//   F8 + (byte >> 6), 80 + (byte & 3F). Neither byte occurs in UTF-8 of any
//   kind, so the pair cannot be confused with text; only at the very end of
//   a text does it encode back to the single byte (anywhere else it would
//   shift every unit after it).
// A byte that is none of these (a legacy side's bytes copied across, say)
// is written as the Windows-1252 character it stands for, as the HTML page
// shows it.
//
// UTF-8 itself (the decoder that reports a surrogate's form, the encoder,
// the Windows-1252 table) is common/utf8.h's.
//
// Pure functions and a small decoder object: no state between calls, safe
// from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace qm {

enum class TextEncoding : uint32_t {
  Legacy = 0,   // the system's single-byte code page (Windows-1252 by default)
  Utf8 = 1,     // UTF-8 without a byte order mark
  Utf8Bom = 2,  // UTF-8 with EF BB BF
  Utf16Le = 3,  // UTF-16 little endian with FF FE
  Utf16Be = 4,  // UTF-16 big endian with FE FF
};

inline bool IsUtf16(TextEncoding e) {
  return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be;
}
// True for the encodings whose document text is UTF-8 (all but Legacy).
inline bool HoldsUtf8(TextEncoding e) { return e != TextEncoding::Legacy; }

// The byte order mark a file of encoding e starts with; empty for Legacy
// and Utf8 (and any value out of range).
std::string_view ByteOrderMark(TextEncoding e);

// The encoding announced by a byte order mark at the start of bytes:
// Utf8Bom, Utf16Le or Utf16Be; Legacy when there is none.
TextEncoding EncodingFromBom(const char* bytes, size_t count);

// True when bytes are valid UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF, no sequence cut short) holding at least one character
// outside ASCII.
bool IsUtf8WithNonAscii(const char* bytes, size_t count);

// The same test over a text that comes in pieces (a file as it is read):
// feed the pieces in order, then ask. Stops looking once a byte is invalid.
class Utf8Check {
public:
  // A sequence cut by the end of a piece is held until the next one.
  void Add(const char* bytes, size_t count);
  // The result for everything added; a held sequence is cut short.
  bool IsUtf8WithNonAscii() const { return valid_ && heldCount_ == 0 && nonAscii_; }

private:
  bool valid_ = true;
  bool nonAscii_ = false;
  char held_[4] = {};
  size_t heldCount_ = 0;
};

// The whole detection over a file's bytes, in the order given above.
TextEncoding DetectEncoding(const char* bytes, size_t count);

// UTF-16 bytes (after the byte order mark) to UTF-8 text, in pieces of any
// size, so that a file can be converted as it is read: a unit or a surrogate
// pair cut by the end of a piece is held for the next one.
class Utf16Decoder {
public:
  explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}
  // The room out must have for a Decode of count bytes or for Finish.
  static constexpr size_t Room(size_t count) { return (count + 1) / 2 * 3 + 8; }
  // Decodes count bytes into out; returns the bytes written.
  size_t Decode(const char* bytes, size_t count, char* out);
  // Ends the text: writes whatever is held (an unpaired high surrogate, an
  // odd last byte in its two-byte form). Returns the bytes written.
  size_t Finish(char* out);

private:
  size_t Unit(uint32_t unit, char* out);

  bool bigEndian_;
  int heldByte_ = -1;      // the first byte of a unit cut by a piece's end
  uint32_t heldHigh_ = 0;  // a high surrogate waiting for its low half
};

// The UTF-16 units of text in the byte order asked for, without a byte
// order mark, written to out, which has room for 2 * count bytes. Returns
// the bytes written.
size_t EncodeUtf16(const char* text, size_t count, bool bigEndian, char* out);

}  // namespace qm
