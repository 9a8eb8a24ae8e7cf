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
#pragma once

#include <cstdint>

namespace qm {

enum class TextEncoding : uint32_t {
  Legacy = 0,   // the system's single-byte code page (Windows-1252 by default)
  Utf8 = 1,     // UTF-8 without a byte order mark
  Utf8Bom = 2,  // UTF-8 with EF BB BF
  Utf16Le = 3,  // UTF-16 little endian with FF FE
  Utf16Be = 4,  // UTF-16 big endian with FE FF
};

}  // namespace qm
