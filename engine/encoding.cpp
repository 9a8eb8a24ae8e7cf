#include "engine/encoding.h"

#include <cstring>

namespace qm {

namespace {

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// The two bytes an odd last byte of a UTF-16 file is held as (see the
// header): a lead F8 to FB carrying the top two bits, then a continuation.
constexpr unsigned char kOddLeadFirst = 0xF8;
constexpr unsigned char kOddLeadLast = 0xFB;

bool IsOddBytePair(const unsigned char* p) {
  return p[0] >= kOddLeadFirst && p[0] <= kOddLeadLast && IsContinuation(p[1]);
}

char* PutUnit(uint32_t unit, bool bigEndian, char* out) {
  const char high = static_cast<char>(unit >> 8);
  const char low = static_cast<char>(unit & 0xFF);
  out[0] = bigEndian ? high : low;
  out[1] = bigEndian ? low : high;
  return out + 2;
}

}  // namespace

std::string_view ByteOrderMark(TextEncoding e) {
  switch (e) {
    case TextEncoding::Utf8Bom: return std::string_view("\xEF\xBB\xBF", 3);
    case TextEncoding::Utf16Le: return std::string_view("\xFF\xFE", 2);
    case TextEncoding::Utf16Be: return std::string_view("\xFE\xFF", 2);
    default: return {};
  }
}

TextEncoding EncodingFromBom(const char* bytes, size_t count) {
  const std::string_view head(bytes, count < 3 ? count : 3);
  for (TextEncoding e : {TextEncoding::Utf8Bom, TextEncoding::Utf16Le, TextEncoding::Utf16Be}) {
    const std::string_view bom = ByteOrderMark(e);
    if (head.substr(0, bom.size()) == bom) return e;
  }
  return TextEncoding::Legacy;
}

TextChar NextChar(const char* text, size_t count) {
  if (count == 0) return {0, 0, CharKind::Invalid};
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  const unsigned char c = p[0];
  if (c < 0x80) return {c, 1, CharKind::Scalar};
  const TextChar invalid{c, 1, CharKind::Invalid};
  // Bytes that may follow the lead, per RFC 3629's table: the narrow ranges
  // after E0, F0 and F4 exclude overlong forms and code points past 10FFFF.
  // After ED the range A0-BF (surrogates) is allowed here and reported.
  uint32_t length;
  unsigned char lo = 0x80, hi = 0xBF;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) lo = 0xA0;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return invalid;
  }
  if (count < length || p[1] < lo || p[1] > hi) return invalid;
  for (uint32_t i = 2; i < length; ++i) {
    if (!IsContinuation(p[i])) return invalid;
  }
  uint32_t code = c & (0x7F >> length);
  for (uint32_t i = 1; i < length; ++i) code = code << 6 | (p[i] & 0x3F);
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return {code, length, surrogate ? CharKind::Surrogate : CharKind::Scalar};
}

bool IsUtf8WithNonAscii(const char* bytes, size_t count) {
  bool nonAscii = false;
  size_t i = 0;
  while (i < count) {
    // Most text is ASCII: skip it eight bytes at a time.
    uint64_t word;
    while (i + 8 <= count) {
      std::memcpy(&word, bytes + i, 8);
      if (word & 0x8080808080808080ull) break;
      i += 8;
    }
    if (i >= count) break;
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    const TextChar ch = NextChar(bytes + i, count - i);
    if (ch.kind != CharKind::Scalar) return false;
    nonAscii = true;
    i += ch.length;
  }
  return nonAscii;
}

TextEncoding DetectEncoding(const char* bytes, size_t count) {
  const TextEncoding bom = EncodingFromBom(bytes, count);
  if (bom != TextEncoding::Legacy) return bom;
  return IsUtf8WithNonAscii(bytes, count) ? TextEncoding::Utf8 : TextEncoding::Legacy;
}

uint32_t Windows1252Char(unsigned char byte) {
  static const uint16_t kHighControls[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
  };
  // Everything else is Latin-1: the byte is the code point.
  return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

size_t PutUtf8(uint32_t code, char* out) {
  if (code < 0x80) {
    out[0] = static_cast<char>(code);
    return 1;
  }
  if (code < 0x800) {
    out[0] = static_cast<char>(0xC0 | code >> 6);
    out[1] = static_cast<char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<char>(0xE0 | code >> 12);
    out[1] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out[2] = static_cast<char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | code >> 18);
  out[1] = static_cast<char>(0x80 | (code >> 12 & 0x3F));
  out[2] = static_cast<char>(0x80 | (code >> 6 & 0x3F));
  out[3] = static_cast<char>(0x80 | (code & 0x3F));
  return 4;
}

size_t Utf16Decoder::Unit(uint32_t unit, char* out) {
  size_t n = 0;
  if (heldHigh_ != 0) {
    if (unit >= 0xDC00 && unit <= 0xDFFF) {
      const uint32_t code = 0x10000 + ((heldHigh_ - 0xD800) << 10) + (unit - 0xDC00);
      heldHigh_ = 0;
      return PutUtf8(code, out);
    }
    n = PutUtf8(heldHigh_, out);  // unpaired: kept as its own 3-byte form
    heldHigh_ = 0;
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    heldHigh_ = unit;
    return n;
  }
  return n + PutUtf8(unit, out + n);
}

size_t Utf16Decoder::Decode(const char* bytes, size_t count, char* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = p + count;
  const int hi = bigEndian_ ? 0 : 1;
  const int lo = 1 - hi;
  char* w = out;
  if (heldByte_ >= 0 && p < end) {
    const uint32_t first = static_cast<uint32_t>(heldByte_);
    const uint32_t unit = bigEndian_ ? (first << 8 | *p) : (static_cast<uint32_t>(*p) << 8 | first);
    heldByte_ = -1;
    ++p;
    w += Unit(unit, w);
  }
  while (end - p >= 2) {
    // The hot loop of a UTF-16 load: four ASCII units at a time.
    if (end - p >= 8 && heldHigh_ == 0 && (p[hi] | p[hi + 2] | p[hi + 4] | p[hi + 6]) == 0 &&
        ((p[lo] | p[lo + 2] | p[lo + 4] | p[lo + 6]) & 0x80) == 0) {
      w[0] = static_cast<char>(p[lo]);
      w[1] = static_cast<char>(p[lo + 2]);
      w[2] = static_cast<char>(p[lo + 4]);
      w[3] = static_cast<char>(p[lo + 6]);
      w += 4;
      p += 8;
      continue;
    }
    const uint32_t unit = static_cast<uint32_t>(p[hi]) << 8 | p[lo];
    p += 2;
    w += Unit(unit, w);
  }
  if (p < end) heldByte_ = *p;
  return static_cast<size_t>(w - out);
}

size_t Utf16Decoder::Finish(char* out) {
  size_t n = 0;
  if (heldHigh_ != 0) {
    n = PutUtf8(heldHigh_, out);
    heldHigh_ = 0;
  }
  if (heldByte_ >= 0) {
    const unsigned b = static_cast<unsigned>(heldByte_);
    out[n++] = static_cast<char>(kOddLeadFirst | b >> 6);
    out[n++] = static_cast<char>(0x80 | (b & 0x3F));
    heldByte_ = -1;
  }
  return n;
}

size_t EncodeUtf16(const char* text, size_t count, bool bigEndian, char* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  char* w = out;
  size_t i = 0;
  while (i < count) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      w = PutUnit(c, bigEndian, w);
      ++i;
      continue;
    }
    if (i + 2 == count && IsOddBytePair(p + i)) {
      *w++ = static_cast<char>((p[i] - kOddLeadFirst) << 6 | (p[i + 1] & 0x3F));
      break;
    }
    const TextChar ch = NextChar(text + i, count - i);
    if (ch.kind == CharKind::Invalid) {
      w = PutUnit(Windows1252Char(c), bigEndian, w);
    } else if (ch.code >= 0x10000) {
      const uint32_t v = ch.code - 0x10000;
      w = PutUnit(0xD800 | v >> 10, bigEndian, w);
      w = PutUnit(0xDC00 | (v & 0x3FF), bigEndian, w);
    } else {
      w = PutUnit(ch.code, bigEndian, w);  // a surrogate's own form included
    }
    i += ch.length;
  }
  return static_cast<size_t>(w - out);
}

}  // namespace qm
